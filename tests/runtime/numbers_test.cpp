// Numbers and text as compiled code sees them: the exact texts of Str (also
// against the C library on a million doubles), Val (also against strtod),
// patterns under the separators in force, digits, conversions, mathematics.
#include "recorder.h"
#include "text/numbers.h"
#include "strdef.h"
#include "texts.h"
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

class NumberTest : public RuntimeTest {};

uint64_t bits_of(double x) {
  uint64_t b;
  memcpy(&b, &x, 8);
  return b;
}

double double_of(uint64_t b) {
  double x;
  memcpy(&x, &b, 8);
  return x;
}

TEST_F(NumberTest, StrGivesTheExactTexts) {
  struct Case {
    double x;
    const char *text;
  } cases[] = {
      {1.5, "1.5"},
      {100, "100"},
      {0.1, "0.1"},
      {1.0 / 3, "0.3333333"},
      {1000000, "1000000"},
      {0.00001, "0.00001"},
      {1234567, "1.234567e+06"},
      {0.000001, "1.000000e-06"},
      {1000001, "1.000001e+06"},
      {0.000009, "9.000000e-06"},
      {-0.0, "0"},
      {0.0, "0"},
      {2.5, "2.5"},
      {0.12345678, "0.1234568"},
      {-1.5, "-1.5"},
      {36, "36"},
      {72, "72"},
      {0.00390625, "0.0039062"}, // a tie: to even
      {0.01171875, "0.0117188"},
      {999999.99999999, "1000000"},
      {-1234567, "-1.234567e+06"},
      {1e300, "1.000000e+300"},
      {DBL_MAX, "1.797693e+308"},
      {5e-324, "4.940656e-324"},
      {9999999.5, "1.000000e+07"},
      {HUGE_VAL, "inf"},
      {-HUGE_VAL, "-inf"},
      {NAN, "nan"},
      {-NAN, "nan"},
  };
  for (const Case &c : cases) EXPECT_EQ(take(StringStr(c.x)), c.text) << c.text;
}

// Random bit patterns cover every exponent; values drawn around the fixed
// range's bounds and at ties of the 7th decimal cover the rounding.
TEST_F(NumberTest, StrMatchesTheCLibraryOnAMillionDoubles) {
  std::mt19937_64 rng(2024);
  int mismatches = 0;
  for (int i = 0; i < 1000000 && mismatches < 10; i++) {
    double x;
    switch (i % 4) {
    case 0:
      x = double_of(rng());
      break;
    case 1:
      x = ldexp((double)(rng() >> 11), -(int)(rng() % 80));
      break; // 53-bit values of all sizes
    case 2:
      x = (double)(int64_t)(rng() % 20000001) / 16384 * ((rng() & 1) ? 1 : -1);
      break; // exact ties
    default:
      x = pow(10.0, (double)(rng() % 2000) / 100 - 10);
      break;
    }
    if (x != x) continue;
    RString *s = StringStr(x);
    std::string want = reference_str(x);
    if (take(s) != want) ADD_FAILURE() << "x=" << want << " bits " << bits_of(x), mismatches++;
  }
}

TEST_F(NumberTest, ValReadsNumbersAndRadixForms) {
  struct Case {
    const char *text;
    double value;
  } cases[] = {
      {"&H1F", 31},
      {"&hff", 255},
      {"&O17", 15},
      {"&B101", 5},
      {"&X1", 0},
      {"  -1.5e3xyz", -1500},
      {"abc", 0},
      {"&HFFFFFFFF", -1},
      {"&H1G2", 0x12},
      {"&", 0},
      {"&H", 0},
      {"1e", 1},
      {"1e+", 1},
      {".5", 0.5},
      {"5.", 5},
      {"-.5e-1", -0.05},
      {"+3", 3},
      {"1,234", 1},
      {"0x10", 0},
      {"inf", 0},
      {"nan", 0},
      {"\t\n 7", 7},
      {".", 0},
      {"-", 0},
      {"1e400", HUGE_VAL},
      {"-1e400", -HUGE_VAL},
      {"1e-400", 0},
      {"2.2250738585072011e-308", 2.2250738585072011e-308},
      {"4.9406564584124654e-324", 5e-324},
      {"2.4703282292062328e-324", 5e-324},
      {"2.4703282292062327e-324", 0},
      {"9007199254740993", 9007199254740992.0},
      {"9007199254740993.0000000000000000001", 9007199254740994.0},
      {"1.7976931348623158e308", DBL_MAX},
      {"1.7976931348623159e308", HUGE_VAL},
      {"0.000000000000000000000000000001", 1e-30},
      {"123456789012345678901234567890", 1.2345678901234568e29},
      {"36", 36},
      {"1.5", 1.5},
  };
  for (const Case &c : cases) EXPECT_EQ(StringVal(Text(c.text)), c.value) << c.text;
  EXPECT_TRUE(std::signbit(StringVal(Text("-0"))));
  std::string longDigits = "0." + std::string(799, '0') + "1e799"; // 0.1, read through 800 digits
  EXPECT_EQ(StringVal(Text(longDigits)), 0.1);
}

// Random decimal texts of every length and exponent, read both ways.
TEST_F(NumberTest, ValMatchesStrtodOnRandomTexts) {
  std::mt19937 rng(99);
  int mismatches = 0;
  for (int i = 0; i < 200000 && mismatches < 10; i++) {
    std::string t = (rng() & 1) ? "-" : "";
    int digits = 1 + rng() % (i % 3 ? 20 : 40);
    for (int d = 0; d < digits; d++) t += (char)('0' + rng() % 10);
    if (rng() % 2) t.insert(t.size() - rng() % digits, ".");
    t += "e" + std::to_string((int)(rng() % 660) - 340);
    double want = strtod(t.c_str(), nullptr), got = StringVal(Text(t));
    if (bits_of(got) != bits_of(want)) ADD_FAILURE() << t, mismatches++;
  }
}

// The expectations are written with "," and "."; the separators in force replace them.
std::string localised(const std::string &text) {
  char decimal[8] = ".", thousands[8] = ",";
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof decimal);
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousands, sizeof thousands);
  std::string out;
  for (char c : text) out += c == '.' ? decimal : c == ',' ? thousands : std::string(1, c);
  return out;
}

TEST_F(NumberTest, FormatFollowsThePattern) {
  struct Case {
    double x;
    const char *pattern, *text;
  } cases[] = {
      {1234.5, "#,##0.00", "1,234.50"},
      {1234.5, "0.0", "1234.5"},
      {0.5, "0%", "50%"},
      {-3, "0;(0)", "(3)"},
      {-3, "0", "3"},
      {0, "0;(0);\\z\\e\\r\\o", "zero"},
      {1234567, "Scientific", "1.234567E+06"},
      {-1234567, "sCIENTIFIC", "-1.234567E+06"},
      {0, "#", ""},
      {0, "0", "0"},
      {0.5, "#.##", ".5"},
      {5, "000", "005"},
      {1234567.891, "#,##0.00", "1,234,567.89"},
      {1234, "#,#", "1,234"},
      {-1.5, "+0.0", "-1.5"},
      {1.5, "+0.0", "+1.5"},
      {0, "+0", "0"},
      {12345, "0.00e+00", "1.23e+04"},
      {0.00012, "0.0E-", "1.2E-04"},
      {12000, "0.0E-", "1.2E04"},
      {12000, "0E", "1E+04"},
      {3, "0\\%", "3%"},
      {3, "a0b", "3"},
      {1.005, "0.00", "1.00"},
      {5, "0\\;0", "0;5"},
      {5, "0,000", "0,005"},
      {1e20, "#,##0", "100,000,000,000,000,000,000"},
      {-2, "0;", ""},
      {2, "#.", "2."},
      {-7, "-0", "-7"},
      {0.125, "0.0", "0.1"},
      {HUGE_VAL, "0", "inf"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(take(StringFormat(c.x, Text(c.pattern))), localised(c.text)) << c.pattern;
  std::string zeros(300, '0'); // longer than any buffer on the stack
  EXPECT_EQ(take(StringFormat(12, Text(zeros))), std::string(298, '0') + "12");
}

TEST_F(NumberTest, LocaleFormsUseTheSeparatorsInForce) {
  EXPECT_EQ(take(runCStr(1234.5)), localised("1234.5"));
  EXPECT_EQ(take(runCStr(1e7)), localised("1.000000e+07"));
  EXPECT_EQ(runCDbl(Text(localised("1,234,567.25"))), 1234567.25);
  EXPECT_EQ(runCDbl(nullptr), 0);
}

TEST_F(NumberTest, RadixDigits) {
  struct Case {
    RString *text;
    const char *expected;
  } cases[] = {
      {RuntimeHex(255), "FF"},
      {RuntimeHex(0xFFFFFFFFu), "FFFFFFFF"},
      {RuntimeHex(0), "0"},
      {RuntimeBin(0), "0"},
      {RuntimeBin(5), "101"},
      {RuntimeOct(8), "10"},
      {RuntimeOct(0xFFFFFFFFu), "37777777777"},
  };
  for (const Case &c : cases) EXPECT_EQ(take(c.text), c.expected);
}

TEST_F(NumberTest, IntegerConversionsTruncateOrGiveIndefinite) {
  struct Case {
    double x;
    int32_t i;
  } cases[] = {{-2.7, -2},
               {2.7, 2},
               {2147483647.9, INT_MAX},
               {2147483648.0, INT_MIN},
               {-2147483648.9, INT_MIN},
               {-2147483649.0, INT_MIN},
               {NAN, INT_MIN},
               {HUGE_VAL, INT_MIN}};
  for (const Case &c : cases) EXPECT_EQ(FPToInt(c.x), c.i) << c.x;
  EXPECT_EQ(SingleToInt(-2.7f), -2);
  EXPECT_EQ(SingleToInt(3e9f), INT_MIN);
  EXPECT_EQ(IntToFP(INT_MIN), -2147483648.0);
  EXPECT_EQ(RuntimeShortToInteger(65535), -1);
  EXPECT_EQ(RuntimeShortToInteger(32768), -32768);
  EXPECT_EQ(RuntimeShortToInteger(0x12345), 0x2345);
}

TEST_F(NumberTest, MathematicalEntries) {
  const double pi = 3.14159265358979323846;
  struct Case {
    double got, want;
  } cases[] = {
      {RuntimeAbs(-2), 2},
      {RuntimeMax(NAN, 1), 1},
      {RuntimeMin(3, 2), 2},
      {RuntimeCeil(-1.5), -1},
      {RuntimeFloor(-1.5), -2},
      {RuntimeRound(2.5), 3},
      {RuntimeRound(-2.5), -2},
      {RuntimeSqrt(16), 4},
      {RuntimeLog(0), -HUGE_VAL},
      {RuntimeATan(1), pi / 4},
      {RuntimeATan2(1, -1), 3 * pi / 4},
      {RuntimeACos(-1), pi},
      {RuntimeACos(1), 0},
      {RuntimePow(2, 10), 1024},
      {RuntimeExp(0), 1},
  };
  for (const Case &c : cases) EXPECT_DOUBLE_EQ(c.got, c.want);
  double bad[] = {RuntimeSqrt(-1), RuntimeLog(-1), RuntimeACos(1.5)};
  for (double x : bad) EXPECT_EQ(bits_of(x), 0x7FFFFFFFE0000000ull); // Single 0x7FFFFFFF
  errno = 0;
  RuntimeSqrt(-4);
  EXPECT_EQ(errno, 33);
  EXPECT_EQ(BitwiseAnd(12, 10), 8);
  EXPECT_EQ(BitwiseOr(12, 10), 14);
  EXPECT_EQ(BitwiseXor(12, 10), 6);
}

// The minimal standard generator's check value: from seed 1 the 10,000th
// state is 1043618065.
TEST_F(NumberTest, RndFollowsParkMiller) {
  rnd_seed(1);
  EXPECT_EQ(rnd(), 16807 / 1048576.0);
  EXPECT_EQ(rnd(), 408305 / 1048576.0); // 282475249 & 0xFFFFF
  double last = 0;
  for (int i = 3; i <= 10000; i++) last = rnd();
  EXPECT_EQ(last, 284945 / 1048576.0); // 1043618065 & 0xFFFFF
  rnd_seed(0);                         // next use seeds from the clock again
  double r = rnd();
  EXPECT_TRUE(r >= 0 && r < 1);
}

} // namespace
