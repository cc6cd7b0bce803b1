// Figures for number conversion and search, measured in one run: StringStr
// against snprintf("%.7f") and StringVal against strtod on the same values,
// and StringInStrB against a naive search, each printed as a ratio (ours over
// theirs). The texts are checked against the C library's along the way.
#include "startup/loader.h"
#include "strdef.h"
#include "text/numbers.h"
#include "text/strfuncs.h"
#include <windows.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

enum {
  kValues = 100000, // doubles converted per measurement
  kSearches = 2000, // searches per measurement
  kRepeats = 5,     // measurements of each kind; the best one counts
};

static volatile uint32_t gSink; // results land here so no work can be dropped
static inline void sink(uint32_t v) { gSink = gSink + v; }

static double now_ns() {
  static LARGE_INTEGER freq;
  if (!freq.QuadPart) QueryPerformanceFrequency(&freq);
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return (double)t.QuadPart * 1e9 / (double)freq.QuadPart;
}

template <class F> static double best_ns(F work) {
  double best = 1e300;
  for (int r = 0; r < kRepeats; r++) {
    double t0 = now_ns();
    work();
    double t = now_ns() - t0;
    if (t < best) best = t;
  }
  return best;
}

// Mostly the values an application shows (a few decimals, up to a million),
// some from across the exponent range.
static std::vector<double> make_values() {
  std::mt19937_64 rng(5);
  std::vector<double> v;
  for (int i = 0; i < kValues; i++) {
    if (i % 5)
      v.push_back((double)(int64_t)(rng() % 1000000000) / 1000.0);
    else
      v.push_back(pow(10.0, (double)(rng() % 4000) / 100 - 20) * ((rng() & 1) ? 1 : -1));
  }
  return v;
}

static void report(const char *what, double ours, double theirs, int count) {
  printf("%-40s %8.1f ns  vs %8.1f ns   ratio %.2f\n", what, ours / count, theirs / count,
         ours / theirs);
}

static void bench_numbers() {
  std::vector<double> values = make_values();
  std::vector<std::string> texts;
  std::vector<RString *> strings;
  int wrongStr = 0, wrongVal = 0;
  for (double x : values) {
    RString *s = StringStr(x);
    if (reference_str(x) != std::string(str_cview(s), str_len(s))) wrongStr++;
    texts.push_back(str_cview(s));
    strings.push_back(s);
  }
  for (size_t i = 0; i < texts.size(); i++)
    if (StringVal(strings[i]) != strtod(texts[i].c_str(), nullptr)) wrongVal++;
  double ours = best_ns([&] {
    for (double x : values) {
      RString *s = StringStr(x);
      sink(s->length);
      RuntimeUnlockString(s);
    }
  });
  double theirs = best_ns([&] {
    char text[400];
    for (double x : values) sink(snprintf(text, sizeof text, "%.7f", x));
  });
  report("StringStr vs snprintf(\"%.7f\")", ours, theirs, kValues);
  ours = best_ns([&] {
    for (RString *s : strings) sink((uint32_t)StringVal(s));
  });
  theirs = best_ns([&] {
    for (const std::string &t : texts) sink((uint32_t)strtod(t.c_str(), nullptr));
  });
  report("StringVal vs strtod", ours, theirs, kValues);
  printf("texts differing from the C library's: Str %d, Val %d (of %d)\n", wrongStr, wrongVal,
         kValues);
  for (RString *s : strings) RuntimeUnlockString(s);
}

static int32_t naive_find(const std::string &s, const std::string &t) {
  for (size_t i = 0; i + t.size() <= s.size(); i++) {
    size_t j = 0;
    while (j < t.size() && s[i + j] == t[j]) j++;
    if (j == t.size()) return (int32_t)i + 1;
  }
  return 0;
}

static void bench_search() {
  std::mt19937 rng(9);
  std::string hay;
  for (int i = 0; i < 4096; i++) hay += (char)('a' + rng() % 26);
  std::vector<std::string> patterns;
  for (int i = 0; i < 64; i++) {
    size_t m = 8 + rng() % 9; /* half occur near the end, half nowhere */
    patterns.push_back(i % 2 ? hay.substr(3000 + rng() % 1000, m) : std::string(m, 'q') + "z");
  }
  RString *h = str_make(hay.data(), (int32_t)hay.size());
  std::vector<RString *> pats;
  for (const std::string &p : patterns) pats.push_back(str_make(p.data(), (int32_t)p.size()));
  int wrong = 0;
  for (size_t i = 0; i < patterns.size(); i++)
    if (StringInStrB(1, h, pats[i]) != naive_find(hay, patterns[i])) wrong++;
  double ours = best_ns([&] {
    for (int i = 0; i < kSearches; i++) sink(StringInStrB(1, h, pats[i % pats.size()]));
  });
  double theirs = best_ns([&] {
    for (int i = 0; i < kSearches; i++) sink(naive_find(hay, patterns[i % patterns.size()]));
  });
  report("StringInStrB vs naive search (4 KB)", ours, theirs, kSearches);
  printf("searches differing from the naive one: %d\n", wrong);
  for (RString *p : pats) RuntimeUnlockString(p);
  RuntimeUnlockString(h);
}

int main() {
  runtime_core_init();
  bench_numbers();
  bench_search();
  return 0;
}
