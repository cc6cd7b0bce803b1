// The string functions as compiled code sees them, under the code page in
// force: clamping, sharing, searching (against a naive search too), replacing,
// fields, trimming, case, comparison, the double-byte forms and the message box.
#include "base/pool.h"
#include "recorder.h"
#include "text/chartables.h"
#include "startup/init.h"
#include "text/string.h"
#include "ui/msgbox.h"
#include "text/strfuncs.h"
#include "texts.h"
#include <climits>
#include <random>
#include <thread>

namespace {

class StringFuncTest : public RuntimeTest {};

const std::string kAiu = "\x82\xA0\x82\xA2\x82\xA4"; // three hiragana in code page 932

TEST_F(StringFuncTest, CharTablesFollowTheCodePage) {
  const CharTables *ct = chartables();
  EXPECT_EQ(ct->codePage, GetACP());
  EXPECT_EQ(ct->dbcs, japanese_code_page());
  if (ct->dbcs) {
    EXPECT_TRUE(ct->lead[0x82]);
    EXPECT_FALSE(ct->lead['A']);
    return;
  }
  EXPECT_EQ(ct->upper['a'], 'A');
  EXPECT_EQ(ct->upper[0xE9], 0xC9); // e acute
  EXPECT_EQ(ct->lower['Q'], 'q');
  EXPECT_TRUE(ct->space[' '] && ct->space['\t']);
  EXPECT_FALSE(ct->space['a']);
}

TEST_F(StringFuncTest, ExtractionClampsPositions) {
  Text s("abcdef");
  struct Case {
    RString *result;
    const char *expected;
  } cases[] = {
      {StringLeft(s, 2), "ab"},
      {StringLeft(s, 0), ""},
      {StringLeft(s, -1), ""},
      {StringRight(s, 2), "ef"},
      {StringRight(s, -3), ""},
      {StringMid2(s, 3), "cdef"},
      {StringMid2(s, 7), ""},
      {StringMid2(s, INT_MIN), "abcdef"},
      {StringMid3(s, 2, 3), "bcd"},
      {StringMid3(s, 0, 3), "ab"},
      {StringMid3(s, 5, 10), "ef"},
      {StringMid3(s, -1, 3), "a"},
      {StringMid3(s, 7, 1), ""},
      {StringMid3(s, 2, 0), ""},
      {StringMid3(s, INT_MIN, INT_MAX), ""},
      {StringMid3(s, 2, INT_MAX), "bcdef"},
  };
  for (const Case &c : cases) EXPECT_EQ(take(c.result), c.expected);
}

TEST_F(StringFuncTest, UncutResultsShareTheArgument) {
  Text s("a,b"), comma(","), x("x");
  RString *results[] = {StringLeft(s, 99),
                        StringRight(s, 3),
                        StringMid2(s, 1),
                        StringMid3(s, 1, 99),
                        StringReplace(s, x, x),
                        StringReplaceAll(s, x, x),
                        StringReplaceAll(s, nullptr, x),
                        runTrim(s),
                        StringNthField(s, x, 1),
                        StringDBCSRight(s, 5)};
  for (RString *r : results) {
    EXPECT_EQ(r, (RString *)s);
    RuntimeUnlockString(r);
  }
  EXPECT_EQ(((RString *)s)->refs, 1);
}

TEST_F(StringFuncTest, CharacterCodes) {
  EXPECT_EQ(StringAsc(nullptr), 0);
  EXPECT_EQ(StringAsc(Text("A")), 65);
  EXPECT_EQ(StringAsc(Text("\xFFx")), 255);
  EXPECT_EQ(take(StringChr(0)), std::string(1, '\0'));
  EXPECT_EQ(take(StringChr(0x141)), "A");
  EXPECT_EQ(StringLen(nullptr), 0);
  EXPECT_EQ(StringLen(Text(std::string("a\0b", 3))), 3);
}

TEST_F(StringFuncTest, SearchesFollowTheStartRules) {
  struct Case {
    int32_t start;
    const char *s, *t;
    int32_t inStr, inStrB;
  } cases[] = {
      {1, "abc", "", 1, 1},      {0, "abc", "", 0, 0},      {9, "abc", "", 9, 9},
      {1, "", "", 0, 0},         {5, "abc", "c", 0, 0},     {1, "HELLO world", "WORLD", 7, 0},
      {1, "abcabc", "BC", 2, 0}, {3, "abcabc", "bc", 5, 5}, {-4, "abcabc", "c", 3, 3},
      {1, "ab", "abc", 0, 0},    {2, "abc", "abc", 0, 0},
  };
  for (const Case &c : cases) {
    Text s(c.s), t(c.t);
    EXPECT_EQ(StringInStr(c.start, s, t), c.inStr) << c.s << " / " << c.t << " from " << c.start;
    EXPECT_EQ(StringInStrB(c.start, s, t), c.inStrB) << c.s << " / " << c.t << " from " << c.start;
  }
}

int32_t naive_find(const std::string &s, const std::string &t, int32_t from) {
  for (size_t i = from; i + t.size() <= s.size(); i++)
    if (s.compare(i, t.size(), t) == 0) return (int32_t)i + 1;
  return 0;
}

// Patterns long enough for Boyer-Moore, over a small alphabet with NUL bytes,
// so that shifts are tested hard; half are cut from the text so they occur.
TEST_F(StringFuncTest, InStrBMatchesANaiveSearch) {
  std::mt19937 rng(7);
  const char alphabet[] = {'a', 'b', '\0', 'c'};
  auto random_text = [&](int n) {
    std::string t;
    for (int i = 0; i < n; i++) t += alphabet[rng() % 4];
    return t;
  };
  for (int round = 0; round < 20000; round++) {
    std::string s = random_text(rng() % 400), t = random_text(1 + rng() % 12);
    if (round % 2 && s.size() > t.size()) t = s.substr(rng() % (s.size() - t.size()), t.size());
    int32_t start = 1 + (int32_t)(rng() % 50);
    Text ts(s), tt(t);
    ASSERT_EQ(StringInStrB(start, ts, tt), naive_find(s, t, start - 1)) << round;
  }
  // A match that only bytes after a NUL in the pattern lead to.
  std::string hay = std::string(200, 'e') + std::string("a\0bcde", 6) + "zz";
  EXPECT_EQ(StringInStrB(1, Text(hay), Text(std::string("a\0bcde", 6))), 201);
}

TEST_F(StringFuncTest, ReplaceIgnoresCaseAndNeverRescans) {
  struct Case {
    const char *s, *t, *u, *replace, *replaceAll;
  } cases[] = {
      {"aaa", "a", "aa", "aaaa", "aaaaaa"},
      {"Hello hello", "HELLO", "x", "x hello", "x x"},
      {"abc", "", "x", "abc", "abc"},
      {"abcb", "b", "", "acb", "ac"},
      {"aaaa", "aa", "b", "baa", "bb"},
      {"abc", "z", "x", "abc", "abc"},
      {"", "a", "b", "", ""},
      {"ab", "ab", "", "", ""},
  };
  for (const Case &c : cases) {
    Text s(c.s), t(c.t), u(c.u);
    EXPECT_EQ(take(StringReplace(s, t, u)), c.replace) << c.s;
    EXPECT_EQ(take(StringReplaceAll(s, t, u)), c.replaceAll) << c.s;
  }
}

// Results too long for the stack, made by several threads at once: each gets
// its own text (the result is never assembled in storage shared between calls).
TEST_F(StringFuncTest, ReplaceAllIsExactUnderConcurrency) {
  auto work = [](char letter, bool *ok) {
    std::string s, want;
    for (int i = 0; i < 300; i++) s += "ab", want += std::string("a") + letter + letter + letter;
    Text ts(s), tb("b"), tu(std::string(3, letter));
    for (int i = 0; i < 300 && *ok; i++) *ok = take(StringReplaceAll(ts, tb, tu)) == want;
  };
  bool ok[4] = {true, true, true, true};
  std::thread threads[4];
  for (int i = 0; i < 4; i++) threads[i] = std::thread(work, (char)('w' + i), &ok[i]);
  for (std::thread &t : threads) t.join();
  for (bool b : ok) EXPECT_TRUE(b);
}

TEST_F(StringFuncTest, FieldsCountEmptyTextsAndSeparators) {
  struct Case {
    const char *s, *t;
    int32_t count, n;
    const char *field;
  } cases[] = {
      {"a,,b", ",", 3, 2, ""},   {"a,,b", ",", 3, 3, "b"}, {"a,b", ",", 2, 3, ""},
      {"", ",", 0, 1, ""},       {"abc", "", 1, 1, ""},    {"a,b,", ",", 3, 3, ""},
      {"AxBxC", "X", 3, 2, "B"}, {",", ",", 2, 1, ""},     {"a::b::c", "::", 3, 3, "c"},
      {"a,b", ",", 2, 0, ""},    {"a,b", ",", 2, -1, ""},  {"one", ",", 1, 1, "one"},
  };
  for (const Case &c : cases) {
    Text s(c.s), t(c.t);
    EXPECT_EQ(StringCountFields(s, t), c.count) << c.s;
    EXPECT_EQ(take(StringNthField(s, t, c.n)), c.field) << c.s << " field " << c.n;
  }
}

TEST_F(StringFuncTest, TrimmingDropsWhiteSpace) {
  struct Case {
    std::string s, trim, left, right;
  } cases[] = {
      {"  ab \t", "ab", "ab \t", "  ab"},
      {" \t ", "", "", ""},
      {"", "", "", ""},
      {"a b", "a b", "a b", "a b"},
  };
  for (const Case &c : cases) {
    Text s(c.s);
    EXPECT_EQ(take(runTrim(s)), c.trim);
    EXPECT_EQ(take(runLTrim(s)), c.left);
    EXPECT_EQ(take(runRTrim(s)), c.right);
  }
  if (japanese_code_page()) { // the ideographic space is white space too
    EXPECT_EQ(take(runTrim(Text("\x81\x40" + kAiu + "\x81\x40"))), kAiu);
  }
}

TEST_F(StringFuncTest, CaseConversionUsesThePlatform) {
  EXPECT_EQ(take(StringUCase(Text("aBc1"))), "ABC1");
  EXPECT_EQ(take(StringLCase(Text("aBc1"))), "abc1");
  EXPECT_EQ(StringUCase(nullptr), nullptr);
  EXPECT_EQ(take(StringTitleCase(Text("hELLO wORLD"))), "Hello World");
  EXPECT_EQ(take(StringTitleCase(Text("o'NEIL-smith\tx"))), "O'neil-smith\tX");
  if (!japanese_code_page()) {
    EXPECT_EQ(take(StringUCase(Text("\xE9t\xE9"))), "\xC9T\xC9");
  }
}

TEST_F(StringFuncTest, StrCompareModes) {
  struct Case {
    const char *s, *t;
    int32_t mode, expected;
  } cases[] = {
      {"", "", 0, 0},    {"", "a", 0, -1},    {"a", "", 0, 1},   {"a", "b", 0, -1},
      {"ab", "a", 0, 1}, {"\x80", "a", 0, 1}, {"B", "a", 0, -1}, {"abc", "abc", 1, 0},
      {"a", "b", 1, -1}, {"b", "a", 1, 1},    {"", "x", 1, -1},
  };
  for (const Case &c : cases)
    EXPECT_EQ(StringStrCompare(Text(c.s), Text(c.t), c.mode), c.expected) << c.s << " " << c.t;
  EXPECT_NE(StringStrCompare(Text("abc"), Text("ABC"), 1), 0); // the locale mode keeps case
}

// On a double-byte code page positions count characters; elsewhere each
// double-byte form is its byte form.
TEST_F(StringFuncTest, DoubleByteFormsCountCharacters) {
  bool dbcs = japanese_code_page();
  Text s("a" + kAiu.substr(0, 2) + "b" + kAiu.substr(2, 2)); // a, A-hiragana, b, I-hiragana
  struct Case {
    RString *result;
    std::string japanese, single;
  } cases[] = {
      {StringDBCSLeft(s, 2), "a\x82\xA0", "a\x82"},
      {StringDBCSRight(s, 1), "\x82\xA2", "\xA2"},
      {StringDBCSMid2(s, 2),
       "\x82\xA0"
       "b\x82\xA2",
       "\x82\xA0"
       "b\x82\xA2"},
      {StringDBCSMid3(s, 2, 2),
       "\x82\xA0"
       "b",
       "\x82\xA0"},
      {StringDBCSMid3(s, 0, 2), "a", "a"},
      {StringDBCSChr(0x82A0), "\x82\xA0", "\xA0"},
      {StringDBCSChr(0x41), "A", "A"},
  };
  for (const Case &c : cases) EXPECT_EQ(take(c.result), dbcs ? c.japanese : c.single);
  EXPECT_EQ(StringDBCSLen(s), dbcs ? 4 : 6);
  EXPECT_EQ(StringLen(Text(kAiu.substr(0, 4))), 4);
  EXPECT_EQ(StringDBCSLen(Text(kAiu.substr(0, 4))), dbcs ? 2 : 4);
  EXPECT_EQ(StringDBCSLen(Text("a\x82")), 2); // a lead byte at the end is a character
  EXPECT_EQ(StringDBCSInStr(1, s, Text("b")), dbcs ? 3 : 4);
  EXPECT_EQ(StringDBCSInStr(3, s, Text("\x82\xA2")), dbcs ? 4 : 5);
  EXPECT_EQ(StringDBCSAsc(Text(kAiu)), dbcs ? 0x82A0 : 0x82);
  EXPECT_EQ(StringDBCSAsc(Text("\x82")), 0x82);
  // A match never starts on a trail byte; the byte-exact search does not care.
  EXPECT_EQ(StringInStr(1, Text("\x82\xA0"), Text("\xA0")), dbcs ? 0 : 2);
  EXPECT_EQ(StringInStrB(1, Text("\x82\xA0"), Text("\xA0")), 2);
  if (dbcs) { // full-width letters fold too
    EXPECT_EQ(StringInStr(1, Text("x\x82\x60"), Text("\x82\x81")), 2);
  }
}

TEST_F(StringFuncTest, MsgBoxShowsTheTextAndPicksItsOwner) {
  RuntimeMsgBox(Text("Done"));
  ASSERT_EQ(gRecorder.boxes.size(), 1u);
  EXPECT_EQ(gRecorder.boxes[0].text, "Done");
  EXPECT_EQ(gRecorder.boxes[0].caption, "Message");
  EXPECT_EQ(gRecorder.boxes[0].type, (UINT)(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(msgbox_owner(), nullptr);

  HWND frame = (HWND)2, document = (HWND)3;
  struct Case {
    bool noModals, mdi;
    HWND modal, expected;
  } cases[] = {
      {false, true, (HWND)1, (HWND)1},
      {false, false, nullptr, nullptr},
      {true, true, nullptr, (HWND)2},
      {true, false, nullptr, (HWND)3},
  };
  for (const Case &c : cases)
    EXPECT_EQ(msgbox_choose_owner(!c.noModals, c.modal, c.mdi, frame, document), c.expected);

  ProjectSettings saved = gSettings;
  gSettings.mdi = 1;
  gSettings.applicationName = str_from("Calc");
  RuntimeMsgBox(nullptr);
  EXPECT_EQ(gRecorder.boxes.back().caption, "Calc");
  EXPECT_EQ(gRecorder.boxes.back().text, "");
  RuntimeUnlockString(gSettings.applicationName);
  gSettings = saved;
}

// A result that cannot be had ends the process; it never comes back empty.
TEST_F(StringFuncTest, ExhaustedMemoryEndsTheProcess) {
  std::string big(1000, 'a');
  Text s(big);
  EXPECT_EXIT(
      {
        gRecorder.refuseHeap = true;
        StringUCase(s);
      },
      testing::ExitedWithCode(0), "run out of memory");
}

} // namespace
