// Text encodings as compiled code sees them: the sample round trip through
// every encoding with its known bytes, converters fed a text cut anywhere,
// invalid input in each encoding, the names both ways and the guess.
#include "jsamples.h"
#include "variants.h"
#include "objects/textconverter.h"
#include "objects/registry.h"
#include "text/codepage.h"

namespace {

using namespace jsample;

class TextEncodingTest : public PoolCheckedTest {
protected:
  static TextEncodingObject *encoding(int32_t cp) { return getTextEncoding(cp, 0, 0); }
  // A converter between two code pages, owned by the test.
  static Object *converter(int32_t from, int32_t to) {
    Ref source((Object *)encoding(from)), destination((Object *)encoding(to));
    return (Object *)getTextConverter((TextEncodingObject *)source.get(),
                                      (TextEncodingObject *)destination.get());
  }
  static std::string convert(Object *c, const std::string &text) {
    return take(textConverterConvert((TextConverterObject *)c, Text(text)));
  }
  static std::string convert(int32_t from, int32_t to, const std::string &text) {
    Ref c(converter(from, to));
    return convert(c, text);
  }
};

struct Encoded {
  int32_t cp;
  std::string bytes;    // the sample in the code page
  std::string readBack; // those bytes converted back to Shift-JIS
};

const Encoded kEncoded[] = {
    {kCpShiftJIS, kShiftJIS, kShiftJIS},
    {kCpUtf8, kUtf8, kShiftJIS},
    {kCpUtf16LE, kUtf16LE, kShiftJIS},
    {kCpEucJP, kEucJP, kShiftJIS},
    {kCpEucJPMs, kEucJP, kShiftJIS},
    {kCpIso2022JP, kIso2022JP, kShiftJISFull},
    {kCpIso2022JPKana, kIso2022JPKana, kShiftJIS},
    {kCpIso2022JPSO, kIso2022JPSO, kShiftJIS},
};

TEST_F(TextEncodingTest, TheSampleConvertsToItsKnownBytesAndBack) {
  if (!japanese_code_page()) GTEST_SKIP() << "needs the Japanese code page";
  EXPECT_EQ(registry_find("TextConverter")->instanceSize, int32_t(sizeof(TextConverterObject)));
  for (const Encoded &e : kEncoded) {
    EXPECT_EQ(convert(0, e.cp, kShiftJIS), e.bytes) << e.cp;
    EXPECT_EQ(convert(e.cp, 0, e.bytes), e.readBack) << e.cp;
    if (e.readBack == kShiftJIS) {
      EXPECT_EQ(convert(e.cp, kCpUtf8, e.bytes), kUtf8) << e.cp;
    }
  }
  // Western holds the ASCII but none of the Japanese: each character is one '?'.
  EXPECT_EQ(convert(kCpShiftJIS, kCpWestern, kShiftJIS), "???????A?");
  EXPECT_EQ(convert(kCpUtf8, kCpWestern, "caf\xC3\xA9"), "caf\xE9");
  EXPECT_EQ(convert(kCpWestern, kCpUtf8, "caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(convert(kCpUtf8, kCpUtf16BE, "A\xE6\x97\xA5"), std::string("\0A\x65\xE5", 4));
}

TEST_F(TextEncodingTest, AConverterCarriesASequenceCutBetweenTwoTexts) {
  if (!japanese_code_page()) GTEST_SKIP() << "needs the Japanese code page";
  for (const Encoded &e : kEncoded) {
    Ref c(converter(e.cp, kCpShiftJIS));
    for (size_t cut = 0; cut <= e.bytes.size(); cut++) {
      std::string got = convert(c, e.bytes.substr(0, cut));
      got += convert(c, e.bytes.substr(cut));
      ASSERT_EQ(got, e.readBack) << e.cp << " cut at " << cut;
    }
  }
  Ref c(converter(kCpUtf8, kCpShiftJIS)); // Clear drops what is carried
  EXPECT_EQ(convert(c, "A\xE6\x97"), "A");
  textConverterClear((TextConverterObject *)c.get());
  EXPECT_EQ(convert(c, "\xA5"
                       "B"),
            "?B");
}

TEST_F(TextEncodingTest, InvalidInputBecomesTheReplacementCharacter) {
  if (!japanese_code_page()) GTEST_SKIP() << "needs the Japanese code page";
  const std::string bad = "\xEF\xBF\xBD"; // U+FFFD in UTF-8
  struct Case {
    int32_t cp;
    std::string in, utf8;
  } cases[] = {
      {kCpShiftJIS, "a\x81 z", "a" + bad + " z"},
      {kCpShiftJIS, "a\x81", "a" + bad},     // a lead byte at the very end
      {kCpShiftJIS, "\x85\x40!", bad + "!"}, // a pair the code page leaves undefined
      {kCpUtf8, "a\xFF\xC0\x80z", "a" + bad + bad + bad + "z"},
      {kCpUtf8, "a\xE6\x97", "a" + bad},
      {kCpUtf16LE, std::string("A\0\0\xD8!\0", 6), "A" + bad + "!"}, // a lone surrogate
      {kCpUtf16LE, std::string("A\0B", 3), "A" + bad},
      {kCpEucJP, "\xA4z\x8F\xB0\xA1", bad + "z" + bad},
      {kCpIso2022JP, "\x1B$BF\x1B(Bz\x80", bad + "z" + bad},
      {kCpIso2022JP, "\x1B$", bad},
  };
  for (const Case &c : cases) {
    RString *got = str_convert(Text(c.in), c.cp, kCpUtf8);
    EXPECT_EQ(take(got), c.utf8) << c.cp << " " << c.in;
  }
  EXPECT_EQ(convert(kCpUtf8, kCpShiftJIS,
                    "a\xFF"
                    "b"),
            "a?b"); // U+FFFD has no Shift-JIS form
}

TEST_F(TextEncodingTest, EncodingsAreFoundByTheirNamesInAnyCase) {
  const std::pair<const char *, int32_t> names[] = {
      {"Shift_JIS", 932},     {"shift-jis", 932}, {"X-SJIS", 932},        {"euc-jp", 20932},
      {"ISO-2022-JP", 50220}, {"utf8", 65001},    {"UTF-8", 65001},       {"us-ascii", 20127},
      {"utf-16", 1200},       {"UTF-16BE", 1201}, {"windows-1252", 1252}, {"cp1251", 1251},
  };
  for (auto [name, cp] : names) {
    Ref e((Object *)getInternetTextEncoding(Text(name)));
    ASSERT_TRUE(e.get()) << name;
    EXPECT_EQ(textEncodingBaseGetter((TextEncodingObject *)e.get(), 0), cp) << name;
  }
  for (const char *unknown : {"", "klingon", "utf-9", "windows-", "windows-99999", "cp"})
    EXPECT_EQ(getInternetTextEncoding(Text(unknown)), nullptr) << unknown;
  EXPECT_EQ(getInternetTextEncoding(nullptr), nullptr);

  Ref own((Object *)getTextEncoding(0, 3, 4)); // 0: the application's code page
  auto *e = (TextEncodingObject *)own.get();
  EXPECT_EQ(textEncodingBaseGetter(e, 0), (int32_t)GetACP());
  EXPECT_EQ(textEncodingVariantGetter(e, 0), 3);
  EXPECT_EQ(textEncodingFormatGetter(e, 0), 4);
  EXPECT_EQ(getTextEncoding(12345, 0, 0), nullptr);
  EXPECT_EQ(getTextConverter(e, nullptr), nullptr);
}

TEST_F(TextEncodingTest, TheGuessNamesEachEncodingOfTheSample) {
  if (!japanese_code_page()) GTEST_SKIP() << "needs the Japanese code page";
  const std::pair<std::string, int32_t> cases[] = {
      {kShiftJIS, 932},
      {kUtf8, 65001},
      {kEucJP, 20932},
      {kUtf16LE, 1200},
      {kIso2022JP, 50220},
      {kParagraph, 932},
      {"just ASCII", 932},
      {"", 932},
      {convert(kCpShiftJIS, kCpUtf8, kParagraph), 65001},
      {convert(kCpShiftJIS, kCpEucJP, kParagraph), 20932},
  };
  for (const auto &[text, cp] : cases) {
    Ref e((Object *)guessJapaneseEncoding(Text(text)));
    EXPECT_EQ(textEncodingBaseGetter((TextEncodingObject *)e.get(), 0), cp) << text;
  }
}

} // namespace
