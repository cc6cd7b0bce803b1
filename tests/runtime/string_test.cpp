// Runtime strings: sharing, the buffer layout, the primitives' clamping rules,
// comparison, fault reports, memory returned to the pool, and the lock.
#include "text/string.h"
#include "base/pool.h"
#include "recorder.h"
#include <string>
#include <thread>

namespace {

class StringTest : public RuntimeTest {
protected:
  int32_t poolAtStart = 0;
  void SetUp() override {
    RuntimeTest::SetUp();
    poolAtStart = pool_used();
  }
  static RString *make(const std::string &t) { return str_make(t.data(), (int32_t)t.size()); }
  static std::string textOf(const RString *s) { return std::string(str_cview(s), str_len(s)); }
  void expectPoolBack() { EXPECT_EQ(pool_used(), poolAtStart); }
  bool lastBoxEndsWith(const char *tail) {
    if (gRecorder.boxes.empty()) return false;
    const std::string &t = gRecorder.boxes.back().text;
    return t.size() >= strlen(tail) &&
           t.compare(t.size() - strlen(tail), std::string::npos, tail) == 0;
  }
};

TEST_F(StringTest, MakeLaysOutBothViews) {
  struct Case {
    int32_t n;
    uint8_t lengthByte;
  } cases[] = {{1, 1}, {255, 255}, {256, 255}, {300, 255}};
  for (const Case &c : cases) {
    std::string t(c.n, 'x');
    t[0] = 'a';
    RString *s = make(t);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->refs, 1);
    EXPECT_EQ(s->length, c.n);
    EXPECT_EQ(s->bufferSize, c.n + 2);
    const uint8_t *p = StringGetPString(s);
    EXPECT_EQ(p[0], c.lengthByte) << c.n;
    EXPECT_EQ(p[c.n + 1], 0);
    EXPECT_EQ(StringGetCString(s), (const char *)p + 1);
    EXPECT_EQ(StringToCString(s), StringGetCString(s));
    EXPECT_EQ(StringToPString(s), p);
    EXPECT_EQ(textOf(s), t);
    RuntimeUnlockString(s);
  }
  expectPoolBack();
}

TEST_F(StringTest, NilIsTheEmptyStringEverywhere) {
  EXPECT_EQ(str_make("abc", 0), nullptr);
  EXPECT_EQ(str_make("abc", -1), nullptr);
  EXPECT_EQ(str_from(""), nullptr);
  EXPECT_EQ(str_from(nullptr), nullptr);
  EXPECT_EQ(KARUBuildString("x", 0), nullptr);
  EXPECT_EQ(str_len(nullptr), 0);
  EXPECT_STREQ(StringGetCString(nullptr), "");
  EXPECT_EQ(StringGetPString(nullptr)[0], 0);
  EXPECT_EQ(StringToOSType(nullptr), 0x3F3F3F3Fu);
  EXPECT_EQ(str_join(nullptr, nullptr), nullptr);
  EXPECT_EQ(RuntimeAddString(nullptr, nullptr), nullptr);
  EXPECT_EQ(str_left(nullptr, 3), nullptr);
  EXPECT_EQ(str_right(nullptr, 3), nullptr);
  EXPECT_EQ(str_tail(nullptr, 0), nullptr);
  EXPECT_EQ(str_slice(nullptr, 0, 3), nullptr);
  EXPECT_EQ(str_trim(nullptr), nullptr);
  EXPECT_EQ(str_ltrim(nullptr), nullptr);
  EXPECT_EQ(str_rtrim(nullptr), nullptr);
  EXPECT_EQ(RuntimeStringCompare(nullptr, nullptr), 0);
  RuntimeLockString(nullptr);
  RuntimeUnlockString(nullptr);
  KARULockString(nullptr);
  KARUUnlockString(nullptr);
  RString *s = nullptr;
  str_assign(&s, nullptr);
  str_append(&s, nullptr);
  EXPECT_EQ(s, nullptr);
  RString *one = str_join_byte(nullptr, 'z');
  EXPECT_EQ(textOf(one), "z");
  RuntimeUnlockString(one);
  EXPECT_TRUE(gRecorder.boxes.empty());
  expectPoolBack();
}

// Every primitive that cuts nothing hands back its input with one more reference.
TEST_F(StringTest, UncutResultsShareTheInput) {
  RString *s = str_from("abcdef");
  RString *results[] = {
      str_left(s, 6),
      str_left(s, 99),
      str_right(s, 6),
      str_right(s, 99),
      str_tail(s, 0),
      str_tail(s, -1),
      str_slice(s, 0, 6),
      str_slice(s, 0, 99),
      str_join(s, nullptr),
      str_join(nullptr, s),
      RuntimeAddString(s, nullptr),
      str_ltrim(s),
      str_rtrim(s),
      str_trim(s),
  };
  int n = (int)(sizeof results / sizeof results[0]);
  for (int i = 0; i < n; i++) EXPECT_EQ(results[i], s) << i;
  EXPECT_EQ(s->refs, 1 + n);
  for (RString *r : results) RuntimeUnlockString(r);
  EXPECT_EQ(s->refs, 1);
  RuntimeUnlockString(s);
  expectPoolBack();
}

TEST_F(StringTest, CuttingPrimitivesClampTheirArguments) {
  RString *s = str_from("abcdef");
  struct Case {
    const char *what;
    RString *got;
    const char *want; // nullptr: nil
  } cases[] = {
      {"left 2", str_left(s, 2), "ab"},
      {"left 0", str_left(s, 0), nullptr},
      {"left -1", str_left(s, -1), nullptr},
      {"right 2", str_right(s, 2), "ef"},
      {"right 0", str_right(s, 0), nullptr},
      {"right -3", str_right(s, -3), nullptr},
      {"tail 4", str_tail(s, 4), "ef"},
      {"tail 6", str_tail(s, 6), nullptr},
      {"slice 1 2", str_slice(s, 1, 2), "bc"},
      {"slice 4 99", str_slice(s, 4, 99), "ef"},
      {"slice -2 5", str_slice(s, -2, 5), "abc"},
      {"slice -2 2", str_slice(s, -2, 2), nullptr},
      {"slice -1 min", str_slice(s, -1, INT32_MIN), nullptr},
      {"slice 6 1", str_slice(s, 6, 1), nullptr},
      {"slice 2 0", str_slice(s, 2, 0), nullptr},
  };
  for (const Case &c : cases) {
    if (!c.want) {
      EXPECT_EQ(c.got, nullptr) << c.what;
      continue;
    }
    ASSERT_NE(c.got, nullptr) << c.what;
    EXPECT_NE(c.got, s) << c.what;
    EXPECT_EQ(c.got->refs, 1) << c.what;
    EXPECT_EQ(textOf(c.got), c.want) << c.what;
    RuntimeUnlockString(c.got);
  }
  EXPECT_EQ(s->refs, 1);
  RuntimeUnlockString(s);
  expectPoolBack();
}

TEST_F(StringTest, TrimsRemoveSpacesAndTabsOnly) {
  struct Case {
    std::string in, ltrim, rtrim, trim; // "": nil
  } cases[] = {
      {"ab \t ", "ab \t ", "ab", "ab"},
      {" \t", "", "", ""},
      {"\t x y\t", "x y\t", "\t x y", "x y"},
      {"\nx\r", "\nx\r", "\nx\r", "\nx\r"},
      {std::string(" \0 ", 3), std::string("\0 ", 2), std::string(" \0", 2), std::string(1, 0)},
  };
  for (const Case &c : cases) {
    RString *s = make(c.in);
    RString *got[] = {str_ltrim(s), str_rtrim(s), str_trim(s)};
    const std::string *want[] = {&c.ltrim, &c.rtrim, &c.trim};
    for (int i = 0; i < 3; i++) {
      EXPECT_EQ(textOf(got[i]), *want[i]) << c.in << " #" << i;
      if (want[i]->empty()) {
        EXPECT_EQ(got[i], nullptr) << c.in << " #" << i;
      }
      RuntimeUnlockString(got[i]);
    }
    EXPECT_EQ(s->refs, 1);
    RuntimeUnlockString(s);
  }
  expectPoolBack();
}

TEST_F(StringTest, EmbeddedNulKeepsItsPlace) {
  RString *s = make(std::string("a\0b", 3));
  RString *t = str_join_byte(s, 0);
  EXPECT_EQ(textOf(t), std::string("a\0b\0", 4));
  EXPECT_STREQ(StringGetCString(t), "a");
  RString *r = str_right(t, 2);
  EXPECT_EQ(textOf(r), std::string("b\0", 2));
  for (RString *x : {s, t, r}) RuntimeUnlockString(x);
  expectPoolBack();
}

TEST_F(StringTest, JoinAppendAndAssignKeepCountsRight) {
  RString *a = str_from("ab"), *b = str_from("cd");
  RString *ab = RuntimeAddString(a, b);
  EXPECT_EQ(textOf(ab), "abcd");
  EXPECT_EQ(ab->length, 4);
  EXPECT_EQ(StringGetPString(ab)[0], 4);
  EXPECT_EQ(a->refs, 1);
  EXPECT_EQ(b->refs, 1);

  RString *v = nullptr;
  str_append(&v, a); // from nil: a itself
  EXPECT_EQ(v, a);
  EXPECT_EQ(a->refs, 2);
  str_append(&v, b);
  EXPECT_EQ(textOf(v), "abcd");
  EXPECT_EQ(a->refs, 1);
  str_append(&v, nullptr);
  EXPECT_EQ(textOf(v), "abcd");

  str_assign(&v, b);
  EXPECT_EQ(v, b);
  EXPECT_EQ(b->refs, 2);
  str_assign(&v, v); // the only-reference case must not free it
  str_assign(&b, b);
  EXPECT_EQ(b->refs, 2);
  str_assign(&v, nullptr);
  EXPECT_EQ(v, nullptr);
  EXPECT_EQ(b->refs, 1);

  for (RString *x : {a, b, ab}) RuntimeUnlockString(x);
  expectPoolBack();
}

TEST_F(StringTest, AssigningTheOnlyReferenceToItselfKeepsIt) {
  RString *s = str_from("solo");
  RString *alias = s;
  str_assign(&s, alias);
  EXPECT_EQ(s->refs, 1);
  EXPECT_EQ(textOf(s), "solo");
  RuntimeUnlockString(s);
  expectPoolBack();
}

TEST_F(StringTest, WritableCopiesOnlyWhenShared) {
  RString *s = str_from("abc");
  uint8_t *p = str_writable(&s, 1);
  EXPECT_EQ(p, s->buffer + 2); // sole owner: in place
  *p = 'X';
  EXPECT_EQ(textOf(s), "aXc");

  RString *other = s;
  RuntimeLockString(other);
  p = str_writable(&s, 2);
  EXPECT_NE(s, other);
  *p = 'Y';
  EXPECT_EQ(textOf(s), "aXY");
  EXPECT_EQ(textOf(other), "aXc");
  EXPECT_EQ(s->refs, 1);
  EXPECT_EQ(other->refs, 1);
  RuntimeUnlockString(s);
  RuntimeUnlockString(other);
  expectPoolBack();
  EXPECT_TRUE(gRecorder.boxes.empty());
}

TEST_F(StringTest, WritableOutOfRangeIsReportedAndHarmless) {
  RString *s = str_from("abc");
  struct Case {
    RString *s;
    int32_t i;
    const char *report; // nullptr: none
  } cases[] = {{s, 3, " string : 377"},
               {s, -1, " string : 377"},
               {nullptr, 1, " string : 387"},
               {nullptr, -1, " string : 387"},
               {nullptr, 0, nullptr}};
  for (const Case &c : cases) {
    gRecorder.boxes.clear();
    RString *v = c.s;
    uint8_t *p = str_writable(&v, c.i);
    ASSERT_NE(p, nullptr);
    *p = '!'; // lands nowhere that is read
    EXPECT_EQ(v, c.s);
    if (c.report)
      EXPECT_TRUE(lastBoxEndsWith(c.report)) << c.i;
    else
      EXPECT_TRUE(gRecorder.boxes.empty());
  }
  EXPECT_EQ(textOf(s), "abc");
  EXPECT_STREQ(StringGetCString(nullptr), "");
  EXPECT_EQ(StringGetPString(nullptr)[0], 0);
  RuntimeUnlockString(s);
  expectPoolBack();
}

// A freed record's first word is the pool's free-list link: the faulty call
// is reported and must not write there.
TEST_F(StringTest, LockOrReleaseAtZeroIsReportedAndLeavesTheCount) {
  RString fake = {0, nullptr, 0, 0};
  RuntimeLockString(&fake);
  ASSERT_EQ(gRecorder.boxes.size(), 1u);
  EXPECT_TRUE(lastBoxEndsWith(" string : 90"));
  EXPECT_EQ(fake.refs, 0);
  RuntimeUnlockString(&fake);
  ASSERT_EQ(gRecorder.boxes.size(), 2u);
  EXPECT_TRUE(lastBoxEndsWith(" string : 102"));
  EXPECT_EQ(fake.refs, 0);
  KARUUnlockString(&fake);
  EXPECT_EQ(gRecorder.boxes.size(), 3u);
  EXPECT_EQ(fake.refs, 0);
  expectPoolBack();
}

TEST_F(StringTest, CompareIgnoresCaseThenOrdersByLength) {
  struct Case {
    std::string a, b;
    int32_t want;
  } cases[] = {
      {"abc", "ABC", 0},
      {"ab", "ABC", -1},
      {"ABC", "ab", 1},
      {"abc", "abd", -1},
      {"b", "A", 1},
      {"", "a", -1},
      {"a", "", 1},
      {std::string("a\0b", 3), std::string("a\0c", 3), -1},
      {std::string("a\0c", 3), std::string("A\0B", 3), 1},
      {std::string(300, 'q'), std::string(300, 'Q'), 0},
      {std::string(300, 'q'), std::string(299, 'Q') + "r", -1},
  };
  for (const Case &c : cases) {
    RString *a = make(c.a), *b = make(c.b);
    EXPECT_EQ(RuntimeStringCompare(a, b), c.want) << c.a << " / " << c.b;
    RuntimeUnlockString(a);
    RuntimeUnlockString(b);
  }
  RString *s = str_from("same");
  EXPECT_EQ(RuntimeStringCompare(s, s), 0);
  RuntimeUnlockString(s);
  expectPoolBack();
}

TEST_F(StringTest, OSTypeTakesUpToFourBytesLowFirst) {
  struct Case {
    const char *text;
    uint32_t want;
  } cases[] = {{"AB", 0x00004241}, {"A", 0x41}, {"TEXT", 0x54584554}, {"TEXTS", 0x54584554}};
  for (const Case &c : cases) {
    RString *s = str_from(c.text);
    EXPECT_EQ(StringToOSType(s), c.want) << c.text;
    RuntimeUnlockString(s);
  }
}

// Buffers over 252 bytes come from the platform heap, which the recorder can
// make refuse; small ones may come from chunks already cut.
TEST_F(StringTest, RefusedBufferGivesNilAndLeaksNothing) {
  std::string big(300, 'b');
  RString *small = str_from("keep");
  RString *big1 = make(big);
  gRecorder.refuseHeap = true;
  EXPECT_EQ(make(big), nullptr);
  EXPECT_EQ(KARUBuildString(big.data(), 300), nullptr);
  EXPECT_EQ(str_join(big1, small), nullptr);

  RString *v = small;
  RuntimeLockString(v);
  str_append(&v, big1); // no buffer: v keeps its text
  EXPECT_EQ(v, small);
  EXPECT_EQ(small->refs, 2);

  RString *w = big1;
  RuntimeLockString(w);
  uint8_t *p = str_writable(&w, 0); // no private copy: the shared text is untouched
  *p = 'Z';
  EXPECT_EQ(w, big1);
  EXPECT_EQ(textOf(big1), big);
  gRecorder.refuseHeap = false;

  for (RString *x : {v, w, small, big1}) RuntimeUnlockString(x);
  EXPECT_TRUE(gRecorder.boxes.empty());
  expectPoolBack();
}

TEST_F(StringTest, StringLockIsReentrant) {
  str_enter();
  str_enter();
  RString *s = str_from("held");
  RString *t = str_join_byte(s, '!');
  str_leave();
  str_leave();
  EXPECT_EQ(textOf(t), "held!");
  RuntimeUnlockString(s);
  RuntimeUnlockString(t);
  expectPoolBack();
}

TEST_F(StringTest, ConcurrentJoinsKeepCountsConsistent) {
  RString *shared = str_from("shared");
  RString *suffix = str_from("-x");
  auto work = [&] {
    for (int i = 0; i < 20000; i++) {
      RString *j = str_join(shared, suffix);
      RString *same = str_left(shared, 99);
      RuntimeLockString(shared);
      RuntimeUnlockString(same);
      RuntimeUnlockString(j);
      RuntimeUnlockString(shared);
    }
  };
  std::thread t1(work), t2(work);
  t1.join();
  t2.join();
  EXPECT_EQ(shared->refs, 1);
  EXPECT_EQ(suffix->refs, 1);
  RuntimeUnlockString(shared);
  RuntimeUnlockString(suffix);
  EXPECT_TRUE(gRecorder.boxes.empty());
  expectPoolBack();
}

} // namespace
