// Figures for the array sort, measured in one run: 1,000,000 Doubles sorted by
// RuntimeDoubleArraySort against std::sort, and 200,000 Strings sorted by
// RuntimeStringArraySort against std::sort with the same locale comparison,
// each printed as a ratio (ours over theirs). The orders are checked equal.
#include "objects/array.h"
#include "startup/loader.h"
#include "text/strfuncs.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

enum {
  kDoubles = 1000000, // elements of the number sort
  kStrings = 200000,  // elements of the string sort
  kRepeats = 2,       // measurements of each kind; the best one counts
};

static double now_ms() {
  static LARGE_INTEGER freq;
  if (!freq.QuadPart) QueryPerformanceFrequency(&freq);
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return (double)t.QuadPart * 1e3 / (double)freq.QuadPart;
}

// The best of kRepeats runs of `work` after `prepare`, which is not timed.
template <class P, class W> static double best_ms(P prepare, W work) {
  double best = 1e300;
  for (int r = 0; r < kRepeats; r++) {
    prepare();
    double t0 = now_ms();
    work();
    best = std::min(best, now_ms() - t0);
  }
  return best;
}

static void report(const char *what, double ours, double theirs) {
  printf("%-34s ours %9.1f ms  std::sort %9.1f ms  ratio %.2f\n", what, ours, theirs,
         ours / theirs);
}

static void bench_doubles() {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> pick(-1e6, 1e6);
  std::vector<double> values(kDoubles), copy;
  for (double &v : values) v = pick(rng);
  ArrayRecord *a = RuntimeArrayCreateAddIndex(RuntimeCreateArray(), 0, kDoubles - 1);
  auto fill = [&] {
    for (int32_t i = 0; i < kDoubles; i++) RuntimeDirectWriteDoubleArray(a, i, values[i]);
  };
  double ours = best_ms(fill, [&] { RuntimeDoubleArraySort(a); });
  double theirs = best_ms([&] { copy = values; }, [&] { std::sort(copy.begin(), copy.end()); });
  for (int32_t i = 0; i < kDoubles; i++)
    if (RuntimeDirectReadDoubleArray(a, i) != copy[i]) printf("order differs at %d\n", i);
  report("sort 1,000,000 Doubles", ours, theirs);
  RuntimeDisposeIntArray(a);
}

static RString *random_text(std::mt19937 &rng) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -";
  char text[16];
  int n = 4 + (int)(rng() % 10);
  for (int i = 0; i < n; i++) text[i] = letters[rng() % (sizeof letters - 1)];
  return str_make(text, n);
}

static bool locale_less(RString *x, RString *y) { return StringStrCompare(x, y, 1) < 0; }

static void bench_strings() {
  std::mt19937 rng(3);
  std::vector<RString *> values(kStrings), copy;
  for (RString *&s : values) s = random_text(rng);
  ArrayRecord *a = RuntimeArrayCreateAddIndex(RuntimeCreateArray(), 0, kStrings - 1);
  auto fill = [&] {
    for (int32_t i = 0; i < kStrings; i++) RuntimeDirectWriteStringArray(a, i, values[i]);
  };
  double ours = best_ms(fill, [&] { RuntimeStringArraySort(a); });
  double theirs =
      best_ms([&] { copy = values; }, [&] { std::sort(copy.begin(), copy.end(), locale_less); });
  int differ = 0; /* equal texts may stand in either order: compare the texts */
  for (int32_t i = 0; i < kStrings; i++) {
    RString *s = RuntimeDirectReadStringArray(a, i);
    if (StringStrCompare(s, copy[i], 1) != 0) differ++;
    RuntimeUnlockString(s);
  }
  if (differ) printf("%d places differ\n", differ);
  report("sort 200,000 Strings (locale)", ours, theirs);
  RuntimeDisposeStringArray(a);
  for (RString *s : values) RuntimeUnlockString(s);
}

int main() {
  runtime_core_init();
  bench_doubles();
  bench_strings();
  return 0;
}
