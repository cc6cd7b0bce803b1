// A differential fuzz target for the platform-free text code: Str against the
// C library's conversions, Val against strtod, patterns for their length
// contract, the byte-exact search against a naive one, and the Japanese
// decoders for their round trips. Built for libFuzzer
// with Clang; otherwise a driver feeds it random inputs (the count is argv[1]).
#include "text/numformat.h"
#include "text/numtext.h"
#include "text/jguess.h"
#include "text/jiscode.h"
#include "text/textscan.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static void check(bool ok, const char *what, const std::string &input) {
  if (ok) return;
  fprintf(stderr, "%s differs for: %s\n", what, input.c_str());
  abort();
}

static void fuzz_str(const uint8_t *data, size_t size) {
  double x;
  if (size < 8) return;
  memcpy(&x, data, 8);
  if (x != x) return;
  char got[kNumTextMax], want[400];
  int n = numtext_str(x, got);
  double ax = fabs(x);
  if (x == 0) {
    strcpy(want, "0");
  } else if (ax >= 0.00001 && ax <= 1000000) {
    int k = snprintf(want, sizeof want, "%.7f", x);
    while (want[k - 1] == '0') k--;
    want[want[k - 1] == '.' ? k - 1 : k] = 0;
  } else {
    snprintf(want, sizeof want, "%.6e", x);
  }
  check(std::string(got, n) == want, "Str", want);
}

// Only the bytes of decimal numbers, so that strtod reads the same grammar.
static void fuzz_val(const uint8_t *data, size_t size) {
  static const char alphabet[] = "0123456789012345678901234567890123456789.eE+- ";
  std::string text;
  for (size_t i = 0; i < size; i++) text += alphabet[data[i] % (sizeof alphabet - 1)];
  double got = numtext_val((const uint8_t *)text.data(), (int32_t)text.size());
  double want = strtod(text.c_str(), nullptr);
  check(memcmp(&got, &want, 8) == 0, "Val", text);
}

static void fuzz_format(const uint8_t *data, size_t size) {
  double x;
  if (size < 8) return;
  memcpy(&x, data, 8);
  NumPunct punct = {",", "'"};
  const uint8_t *pattern = data + 8;
  int32_t n = (int32_t)(size - 8);
  int64_t full = numformat(x, pattern, n, &punct, nullptr, 0);
  std::string out(full + 1, '\x7F');
  int64_t again = numformat(x, pattern, n, &punct, (uint8_t *)&out[0], full);
  check(again == full && out[full] == '\x7F', "Format length",
        std::string((const char *)pattern, n));
}

static int32_t naive(const uint8_t *s, int32_t n, const uint8_t *t, int32_t m, int32_t from) {
  for (int32_t i = from; i + m <= n; i++)
    if (memcmp(s + i, t, m) == 0) return i;
  return -1;
}

// The first byte splits the rest into a pattern and a text over few letters.
static void fuzz_search(const uint8_t *data, size_t size) {
  if (size < 2) return;
  std::string all;
  for (size_t i = 1; i < size; i++) all += (char)(data[i] % 4);
  int32_t m = 1 + data[0] % 16;
  if ((size_t)m > all.size()) return;
  const uint8_t *t = (const uint8_t *)all.data(), *s = t + m;
  int32_t n = (int32_t)all.size() - m, from = data[0] >> 4;
  check(scan_exact(s, n, t, m, from) == naive(s, n, t, m, from < 0 ? 0 : from), "Search",
        "(bytes)");
}

// The Japanese decoders on any bytes: each leaves at most a cut-off sequence
// undecoded, and what it yields encodes and decodes again unchanged.
static void fuzz_japanese(const uint8_t *data, size_t size) {
  std::string input((const char *)data, size);
  std::vector<uint16_t> units, again;
  size_t used = utf8_decode(data, size, &units);
  check(size - used <= 3, "UTF-8 decoder stopped early", input);
  std::vector<uint8_t> utf8;
  utf8_encode(units.data(), units.size(), &utf8);
  check(utf8_decode(utf8.data(), utf8.size(), &again) == utf8.size() && again == units,
        "UTF-8 round trip", input);

  SjisText sjis, back;
  check(size - euc_decode(data, size, &sjis) <= 2, "EUC-JP decoder stopped early", input);
  std::vector<uint8_t> euc;
  euc_encode(sjis.bytes.data(), sjis.bytes.size(), &euc);
  check(euc_decode(euc.data(), euc.size(), &back) == euc.size() && back.bytes == sjis.bytes &&
            back.bad.empty(),
        "EUC-JP round trip", input);

  SjisText fromJis;
  uint8_t set = kSetAscii;
  check(size - iso2022_decode(data, size, &set, &fromJis) <= 3, "ISO-2022-JP stopped early", input);
  std::vector<uint8_t> jis;
  iso2022_encode(kCpIso2022JPKana, sjis.bytes.data(), sjis.bytes.size(), &jis);
  SjisText jisBack;
  set = kSetAscii;
  bool controls = false; /* ESC, SO and SI cannot stand for themselves in ISO-2022-JP */
  for (uint8_t b : sjis.bytes) controls |= b == 0x1B || b == 0x0E || b == 0x0F;
  check(iso2022_decode(jis.data(), jis.size(), &set, &jisBack) == jis.size() &&
            (controls || jisBack.bytes == sjis.bytes),
        "ISO-2022-JP round trip", input);
  guess_japanese(data, size, 932);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  switch (data[0] % 5) {
  case 0:
    fuzz_str(data + 1, size - 1);
    break;
  case 1:
    fuzz_val(data + 1, size - 1);
    break;
  case 2:
    fuzz_format(data + 1, size - 1);
    break;
  case 3:
    fuzz_japanese(data + 1, size - 1);
    break;
  default:
    fuzz_search(data + 1, size - 1);
    break;
  }
  return 0;
}

#ifdef TEXT_FUZZ_DRIVER
#include <random>

int main(int argc, char **argv) {
  long rounds = argc > 1 ? atol(argv[1]) : 100000;
  std::mt19937 rng(1);
  for (long r = 0; r < rounds; r++) {
    uint8_t data[300];
    size_t size = 1 + rng() % (r % 8 ? 40 : sizeof data - 1);
    for (size_t i = 0; i < size; i++) data[i] = (uint8_t)rng();
    LLVMFuzzerTestOneInput(data, size);
  }
  printf("%ld inputs\n", rounds);
  return 0;
}
#endif
