// The platform-free text code on its own, with the locale records filled by
// hand: number patterns under other separators, and the scans under an upper-
// case table and a double-byte lead-byte table. (Str and Val are checked
// against the C library by the fuzz target.)
#include "text/numformat.h"
#include "text/textscan.h"
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string format(double x, const std::string &pattern, const NumPunct &punct) {
  uint8_t out[512];
  int64_t n = numformat(x, (const uint8_t *)pattern.data(), (int32_t)pattern.size(), &punct, out,
                        sizeof out);
  return std::string((const char *)out, n);
}

TEST(TextCore, PatternsUseTheSeparatorsGiven) {
  NumPunct german = {",", "."}, swiss = {".", "'"}, wide = {"\xE3\x80", "\xC2\xA0"};
  EXPECT_EQ(format(1234.5, "#,##0.00", german), "1.234,50");
  EXPECT_EQ(format(1234567.5, "#,##0.0", swiss), "1'234'567.5");
  std::string wideText =
      std::string("1\xC2\xA0") + "234" + "\xE3\x80" + "5"; // hex escapes end here
  EXPECT_EQ(format(1234.5, "#,##0.0", wide), wideText);
  EXPECT_EQ(format(-0.25, "0.0%;(0.0%)", german), "(25,0%)");
}

TEST(TextCore, PatternOutputReportsItsFullLength) {
  NumPunct punct = {".", ","};
  const char *pattern = "#,##0.00";
  uint8_t out[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(numformat(1234.5, (const uint8_t *)pattern, 8, &punct, out, 3), 8);
  EXPECT_EQ(std::string((const char *)out, 4), "1,2x"); // nothing past the room given
}

struct Tables {
  uint8_t upper[256], lead[256];
  Tables() {
    for (int b = 0; b < 256; b++) {
      upper[b] = (uint8_t)(b >= 'a' && b <= 'z' ? b - 32 : b);
      lead[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); // code page 932
    }
  }
};

int32_t find(const Finder &f, const std::string &s, const std::string &t, int32_t from = 0) {
  return scan_find(&f, (const uint8_t *)s.data(), (int32_t)s.size(), (const uint8_t *)t.data(),
                   (int32_t)t.size(), from);
}

TEST(TextCore, ScansUnderEachKind) {
  Tables tb;
  Finder exact = {kScanExact, nullptr}, fold = {kScanFold, tb.upper}, chars = {kScanChars, tb.lead};
  struct Case {
    const Finder *f;
    std::string s, t;
    int32_t at;
  } cases[] = {
      {&exact, "HELLO world", "world", 6},
      {&fold, "HELLO world", "WORLD", 6},
      {&exact, "HELLO world", "WORLD", -1},
      {&chars, "\x82\xA0\xA0", "\xA0", 2},
      {&chars, "\x82\xA0", "\xA0", -1},
      {&exact, "\x82\xA0", "\xA0", 1},
      {&exact, std::string(100, 'x') + std::string("pat\0tern", 8), std::string("pat\0tern", 8),
       100},
  };
  for (const Case &c : cases) EXPECT_EQ(find(*c.f, c.s, c.t), c.at) << c.s;
  const uint8_t *s = (const uint8_t *)"a\x82\xA0"
                                      "b\x82"; // a lead byte at the end counts alone
  EXPECT_EQ(chars_count(s, 5, tb.lead), 4);
  EXPECT_EQ(chars_offset(s, 5, tb.lead, 2), 3);
  EXPECT_EQ(chars_offset(s, 5, tb.lead, 9), 5);
}

} // namespace
