// The runtime's own Japanese and UTF-8 converters and the encoding guess, on
// their own: the JIS arithmetic over every row and cell, the sample's known
// bytes, invalid and cut-off sequences, and the guess on each encoding.
#include "jsamples.h"
#include "text/jguess.h"
#include "text/jiscode.h"
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace jsample;

const uint8_t *bytes(const std::string &s) { return (const uint8_t *)s.data(); }
std::string text(const std::vector<uint8_t> &v) { return std::string(v.begin(), v.end()); }

// Decoded Shift-JIS with each replacement shown as "<?>".
std::string shown(const SjisText &t) {
  std::string s;
  size_t from = 0;
  for (size_t bad : t.bad) {
    s += std::string(t.bytes.begin() + from, t.bytes.begin() + bad) + "<?>";
    from = bad;
  }
  return s + std::string(t.bytes.begin() + from, t.bytes.end());
}

TEST(JisCode, EveryRowAndCellSurvivesTheShiftJISArithmetic) {
  for (int row = 1; row <= 120; row++)
    for (int cell = 1; cell <= 94; cell++) {
      uint8_t pair[2];
      jis_to_sjis(row, cell, pair);
      ASSERT_TRUE(sjis_lead(pair[0]) && sjis_trail(pair[1])) << row << "-" << cell;
      int r, c;
      sjis_to_jis(pair[0], pair[1], &r, &c);
      ASSERT_EQ(r * 100 + c, row * 100 + cell);
    }
}

TEST(JisCode, TheSampleEncodesAndDecodesToItsKnownBytes) {
  std::vector<uint8_t> euc, jis, kana, so;
  euc_encode(bytes(kShiftJIS), kShiftJIS.size(), &euc);
  iso2022_encode(kCpIso2022JP, bytes(kShiftJIS), kShiftJIS.size(), &jis);
  iso2022_encode(kCpIso2022JPKana, bytes(kShiftJIS), kShiftJIS.size(), &kana);
  iso2022_encode(kCpIso2022JPSO, bytes(kShiftJIS), kShiftJIS.size(), &so);
  EXPECT_EQ(text(euc), kEucJP);
  EXPECT_EQ(text(jis), kIso2022JP);
  EXPECT_EQ(text(kana), kIso2022JPKana);
  EXPECT_EQ(text(so), kIso2022JPSO);

  SjisText fromEuc;
  EXPECT_EQ(euc_decode(bytes(kEucJP), kEucJP.size(), &fromEuc), kEucJP.size());
  EXPECT_EQ(shown(fromEuc), kShiftJIS);
  const std::pair<std::string, std::string> jisForms[] = {
      {kIso2022JP, kShiftJISFull}, {kIso2022JPKana, kShiftJIS}, {kIso2022JPSO, kShiftJIS}};
  for (const auto &[encoded, decoded] : jisForms) {
    SjisText t;
    uint8_t set = kSetAscii;
    EXPECT_EQ(iso2022_decode(bytes(encoded), encoded.size(), &set, &t), encoded.size());
    EXPECT_EQ(shown(t), decoded);
    EXPECT_EQ(set, kSetAscii);
  }

  std::vector<uint16_t> units;
  EXPECT_EQ(utf8_decode(bytes(kUtf8), kUtf8.size(), &units), kUtf8.size());
  std::vector<uint8_t> again;
  utf8_encode(units.data(), units.size(), &again);
  EXPECT_EQ(text(again), kUtf8);
  EXPECT_EQ(std::string((const char *)units.data(), units.size() * 2), kUtf16LE);
}

TEST(JisCode, HalfWidthKanaTakeTheirVoicedMarksIntoOneFullWidthCharacter) {
  std::vector<uint8_t> out; // ｶﾞ ﾊﾟ ｳﾞ ｱﾞ: ガ パ ヴ ア゛
  iso2022_encode(kCpIso2022JP, bytes("\xB6\xDE\xCA\xDF\xB3\xDE\xB1\xDE"), 8, &out);
  EXPECT_EQ(text(out), "\x1B$B%,%Q%t%\"!+\x1B(B");
}

TEST(JisCode, InvalidSequencesEachBecomeOneReplacement) {
  struct Case {
    const char *what;
    std::string in, decoded; // UTF-8 decoded as UTF-8 again, EUC and ISO-2022 as Shift-JIS
  };
  const Case utf8Cases[] = {
      {"stray continuation", "a\x80z", "a\xEF\xBF\xBDz"},
      {"overlong", "\xC0\xAF!", "\xEF\xBF\xBD\xEF\xBF\xBD!"},
      {"surrogate", "\xED\xA0\x80!", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD!"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"cut short inside", "\xE3\x81z", "\xEF\xBF\xBDz"},
      {"four bytes", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
  };
  for (const Case &c : utf8Cases) {
    std::vector<uint16_t> units;
    EXPECT_EQ(utf8_decode(bytes(c.in), c.in.size(), &units), c.in.size()) << c.what;
    std::vector<uint8_t> out;
    utf8_encode(units.data(), units.size(), &out);
    EXPECT_EQ(text(out), c.decoded) << c.what;
  }
  const Case eucCases[] = {
      {"lead before ASCII", "\xC6z", "<?>z"},
      {"C1 control", "\x85!", "<?>!"},
      {"kana shift before a non-kana", "\x8E\xE0!", "<?><?>!"},
      {"JIS X 0212", "\x8F\xB0\xA1!", "<?>!"},
  };
  for (const Case &c : eucCases) {
    SjisText t;
    euc_decode(bytes(c.in), c.in.size(), &t);
    EXPECT_EQ(shown(t), c.decoded) << c.what;
  }
  const Case jisCases[] = {
      {"eight-bit byte", "a\xA4z", "a<?>z"},
      {"unknown escape", "\x1B(Zz", "<?>(Zz"},
      {"pair broken by a control", "\x1B$BF\n", "<?>\n"},
      {"JIS X 0212 pair", "\x1B$(D0!\x1B(Bz", "<?>z"},
      {"kana byte out of range", "\x1B(I\x7E", "<?>"},
  };
  for (const Case &c : jisCases) {
    SjisText t;
    uint8_t set = kSetAscii;
    iso2022_decode(bytes(c.in), c.in.size(), &set, &t);
    EXPECT_EQ(shown(t), c.decoded) << c.what;
  }
}

TEST(JisCode, DecodersStopBeforeASequenceTheEndCutsOff) {
  std::vector<uint16_t> units;
  EXPECT_EQ(utf8_decode(bytes("ab\xE6\x97"), 4, &units), 2u);
  SjisText t;
  EXPECT_EQ(euc_decode(bytes("a\xC6"), 2, &t), 1u);
  EXPECT_EQ(euc_decode(bytes("a\x8F\xB0"), 3, &t), 1u);
  uint8_t set = kSetAscii;
  EXPECT_EQ(iso2022_decode(bytes("a\x1B$"), 3, &set, &t), 1u);
  set = kSetKanji;
  EXPECT_EQ(iso2022_decode(bytes("F|K"), 3, &set, &t), 2u);
}

TEST(JisGuess, EachEncodingOfTheSampleIsRecognised) {
  const std::pair<std::string, int32_t> cases[] = {
      {kShiftJIS, kCpShiftJIS},
      {kUtf8, kCpUtf8},
      {kEucJP, kCpEucJP},
      {kUtf16LE, kCpUtf16LE},
      {kIso2022JP, kCpIso2022JP},
      {kIso2022JPKana, kCpIso2022JP},
      {kParagraph, kCpShiftJIS},
      {"\xEF\xBB\xBF"
       "abc",
       kCpUtf8},
      {"\xFF\xFE"
       "a",
       kCpUtf16LE},
      {std::string("a\0b\0", 4), kCpUtf16LE},
      {"plain ASCII text", 1252},
      {"", 1252},
  };
  for (const auto &[sample, cp] : cases)
    EXPECT_EQ(guess_japanese(bytes(sample), sample.size(), 1252), cp) << sample;
}

TEST(JisGuess, TheParagraphIsRecognisedInEveryEncoding) {
  SjisText t; // Shift-JIS -> EUC-JP by the encoder; the guess must tell them apart
  std::vector<uint8_t> euc, jis;
  euc_encode(bytes(kParagraph), kParagraph.size(), &euc);
  iso2022_encode(kCpIso2022JP, bytes(kParagraph), kParagraph.size(), &jis);
  EXPECT_EQ(guess_japanese(euc.data(), euc.size(), 932), kCpEucJP);
  EXPECT_EQ(guess_japanese(jis.data(), jis.size(), 932), kCpIso2022JP);
}

} // namespace
