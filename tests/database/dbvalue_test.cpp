// Values and conditions: reading SQL text as each type, the cross-type order,
// LIKE, case folding next to Shift-JIS, and conditions evaluated on a row.
#include "dbengine/condition.h"
#include "dbengine/dbvalue.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

DbText T(const char *s) { return dbtext_cstr(s); }

DbValue parsed(DbType type, const char *text) {
  DbValue v;
  EXPECT_TRUE(dbvalue_parse(type, T(text), &v)) << text;
  return v;
}

TEST(DbValue, ReadsEachTypeAndRefusesTextOfAnother) {
  struct Case {
    DbType type;
    const char *text;
    bool ok;
  } cases[] = {
      {kDbInteger, "42", true},
      {kDbInteger, "-7", true},
      {kDbInteger, "+7", true},
      {kDbInteger, "2147483648", false},
      {kDbInteger, "-2147483648", true},
      {kDbInteger, "4x", false},
      {kDbInteger, "", false},
      {kDbInteger, "-", false},
      {kDbInteger, "+-5", false},
      {kDbInteger, "1.5", false},
      {kDbSmallInt, "32767", true},
      {kDbSmallInt, "32768", false},
      {kDbDouble, "-3.5", true},
      {kDbDouble, "1e300", true},
      {kDbDouble, "1e999", false},
      {kDbDouble, "inf", false},
      {kDbDouble, "nan", false},
      {kDbDouble, ".5", true},
      {kDbDouble, "1e", false},
      {kDbFloat, " 2.25 ", true},
      {kDbBoolean, "TRUE", true},
      {kDbBoolean, "0", true},
      {kDbBoolean, "yes", false},
      {kDbDate, "2024-02-29", true},
      {kDbDate, "2023-02-29", false},
      {kDbDate, "2024-13-01", false},
      {kDbDate, "2024-1-01", false},
      {kDbTime, "23:59:59", true},
      {kDbTime, "24:00:00", false},
      {kDbTimestamp, "2026-12-10 08:40:42", true},
      {kDbTimestamp, "2026-12-10", false},
      {kDbTimestamp, "2026-12-10T08:40:42", false},
      {kDbText, "anything", true},
      {kDbBinary, "", true},
  };
  for (const Case &c : cases) {
    DbValue v;
    EXPECT_EQ(dbvalue_parse(c.type, T(c.text), &v), c.ok) << dbtype_name(c.type) << " " << c.text;
    EXPECT_EQ(v.type, c.ok ? c.type : kDbNull) << c.text;
  }
  EXPECT_EQ(parsed(kDbBoolean, "True").integer, 1);
  EXPECT_EQ(parsed(kDbDouble, "-3.5").real, -3.5);
}

TEST(DbValue, UnquotedNullAssignmentIsNull) {
  DbAssignment bare = {T("c"), T("NULL"), 0}, quoted = {T("c"), T("NULL"), 1};
  DbValue v;
  ASSERT_TRUE(dbvalue_from_assignment(kDbInteger, &bare, &v));
  EXPECT_EQ(v.type, kDbNull);
  ASSERT_TRUE(dbvalue_from_assignment(kDbText, &quoted, &v));
  EXPECT_EQ(std::string(v.text.bytes, v.text.length), "NULL");
  EXPECT_FALSE(dbvalue_from_assignment(kDbInteger, &quoted, &v));
}

TEST(DbValue, OrdersNullsThenNumbersExactlyThenTextsBytewise) {
  DbValue null = {kDbNull, 0, 0, {nullptr, 0}};
  DbValue big = {kDbInteger, 9007199254740993, 0, {nullptr, 0}}; // 2^53 + 1
  DbValue bigReal = {kDbDouble, 0, 9007199254740992.0, {nullptr, 0}};
  DbValue half = {kDbDouble, 0, 0.5, {nullptr, 0}};
  DbValue zero = {kDbInteger, 0, 0, {nullptr, 0}};
  DbValue one = {kDbBoolean, 1, 0, {nullptr, 0}};
  DbValue ab = {kDbText, 0, 0, T("ab")}, abc = {kDbText, 0, 0, T("abc")};
  DbValue high = {kDbText, 0, 0, T("\x90\x40")};
  std::vector<const DbValue *> ascending = {&null, &zero, &half, &one, &bigReal,
                                            &big,  &ab,   &abc,  &high};
  for (size_t i = 0; i < ascending.size(); i++)
    for (size_t j = 0; j < ascending.size(); j++) {
      int c = dbvalue_compare(ascending[i], ascending[j]);
      EXPECT_EQ(c < 0, i < j) << i << " " << j;
      EXPECT_EQ(c == 0, i == j) << i << " " << j;
    }
  DbValue null2 = null;
  EXPECT_EQ(dbvalue_compare(&null, &null2), 0);
}

TEST(DbValue, FormatsNumbersSoTheyReadBack) {
  DbValue third = {kDbDouble, 0, 1.0 / 3, {nullptr, 0}}, neg = {kDbInteger, -12, 0, {nullptr, 0}};
  char buf[kDbValueTextMax];
  uint32_t n = dbvalue_format(&third, buf, sizeof buf);
  EXPECT_EQ(parsed(kDbDouble, std::string(buf, n).c_str()).real, 1.0 / 3);
  EXPECT_EQ(std::string(buf, dbvalue_format(&neg, buf, sizeof buf)), "-12");
}

TEST(DbValue, LikeMatchesPercentAndUnderscoreByCharacter) {
  struct Case {
    const char *text, *pattern;
    bool match;
  } cases[] = {
      {"hello", "h%o", true},
      {"hello", "h_llo", true},
      {"hello", "H%", false},
      {"hello", "%", true},
      {"", "%", true},
      {"", "_", false},
      {"abcabd", "%abd", true},
      {"abcab", "%abd", false},
      {"aaa", "a%a%a", true},
      {"aa", "a%a%a", false},
      {"50%", "50%", true},
      {"x", "", false},
      {"\x93\xfa\x96\x7b", "_\x96\x7b", true}, // a double-byte character is one
      {"\x93\xfa\x96\x7b", "__", true},
      {"\x93\xfa\x96\x7b", "___", false},
      {"\x93\xfa", "\x93_", false}, // half a character is not a character
  };
  for (const Case &c : cases)
    EXPECT_EQ(dbtext_like(T(c.text), T(c.pattern)), c.match) << c.text << " / " << c.pattern;
  std::string many(5000, 'a');
  EXPECT_FALSE(dbtext_like(T(many.c_str()), T("%a%a%a%a%b"))); // no exponential backtracking
}

TEST(DbValue, CaseFoldingLeavesDoubleByteCharactersAlone) {
  const char *text = "ab\x82\x61Z\x81"; // 0x82 0x61 is one character; a lone lead byte ends it
  char out[7];
  dbtext_upper(T(text), out);
  EXPECT_EQ(std::string(out, 6), "AB\x82\x61Z\x81");
  dbtext_lower(T(text), out);
  EXPECT_EQ(std::string(out, 6), "ab\x82\x61z\x81");
  EXPECT_TRUE(dbtext_equal_nocase(T("Order Date"), T("oRDER dATE")));
  EXPECT_FALSE(dbtext_equal_nocase(T("\xc1"), T("\xe1")));
}

// A row of named columns for the condition tests.
struct Row {
  std::vector<std::pair<std::string, DbValue>> columns;
};

int32_t lookup(void *context, DbText table, DbText column, DbValue *out) {
  Row *row = (Row *)context;
  if (table.length && !dbtext_equal_cstr_nocase(table, "t")) return 0;
  for (auto &c : row->columns)
    if (dbtext_equal_cstr_nocase(column, c.first.c_str())) return *out = c.second, 1;
  return 0;
}

DbCondition leaf(const char *column, DbOperator op, const char *right, bool rightIsColumn = false) {
  DbCondition c = {};
  c.op = op;
  c.column = T(column);
  c.right = T(right);
  c.rightIsColumn = rightIsColumn;
  return c;
}

TEST(Condition, LeavesFollowSqlComparisons) {
  Row row = {{{"id", {kDbInteger, 5, 0, {nullptr, 0}}},
              {"name", {kDbText, 0, 0, T("Smith")}},
              {"born", {kDbDate, 0, 0, T("1990-05-01")}},
              {"flag", {kDbBoolean, 1, 0, {nullptr, 0}}},
              {"other", {kDbInteger, 5, 0, {nullptr, 0}}},
              {"gone", {kDbNull, 0, 0, {nullptr, 0}}}}};
  struct Case {
    DbCondition c;
    DbConditionResult want;
  } cases[] = {
      {leaf("id", kDbEqual, "5"), kDbConditionTrue},
      {leaf("ID", kDbLess, "5.5"), kDbConditionTrue},
      {leaf("id", kDbGreaterOrEqual, "6"), kDbConditionFalse},
      {leaf("id", kDbNotEqual, "-3"), kDbConditionTrue},
      {leaf("name", kDbGreater, "Smi"), kDbConditionTrue},
      {leaf("name", kDbLike, "S%h"), kDbConditionTrue},
      {leaf("name", kDbNotLike, "S%h"), kDbConditionFalse},
      {leaf("id", kDbLike, "5"), kDbConditionTrue},
      {leaf("born", kDbLess, "2000-01-01"), kDbConditionTrue},
      {leaf("flag", kDbEqual, "true", true), kDbConditionTrue},
      {leaf("id", kDbEqual, "other", true), kDbConditionTrue},
      {leaf("gone", kDbIsNull, ""), kDbConditionTrue},
      {leaf("gone", kDbIsNotNull, ""), kDbConditionFalse},
      {leaf("gone", kDbEqual, "x"), kDbConditionFalse},
      {leaf("gone", kDbNotEqual, "x"), kDbConditionFalse},
      {leaf("gone", kDbNotLike, "x"), kDbConditionFalse},
      {leaf("id", kDbEqual, "gone", true), kDbConditionFalse},
  };
  for (Case &k : cases)
    EXPECT_EQ(dbcondition_eval(&k.c, lookup, &row, nullptr), k.want)
        << std::string(k.c.column.bytes, k.c.column.length) << " op " << (int)k.c.op;
  DbCondition up = leaf("name", kDbEqual, "SMITH");
  up.function = kDbUpper;
  EXPECT_EQ(dbcondition_eval(&up, lookup, &row, nullptr), kDbConditionTrue);
  up.function = kDbLower;
  up.right = T("smith");
  EXPECT_EQ(dbcondition_eval(&up, lookup, &row, nullptr), kDbConditionTrue);
}

TEST(Condition, UnknownColumnIsReportedNotCrashedOn) {
  Row row = {{{"id", {kDbInteger, 5, 0, {nullptr, 0}}}}};
  DbCondition c = leaf("missing", kDbEqual, "1");
  DbConditionError err = {};
  EXPECT_EQ(dbcondition_eval(&c, lookup, &row, &err), kDbConditionUnknownColumn);
  EXPECT_EQ(std::string(err.column.bytes, err.column.length), "missing");
  DbCondition q = leaf("id", kDbEqual, "nosuch", true);
  q.rightTable = T("u");
  EXPECT_EQ(dbcondition_eval(&q, lookup, &row, &err), kDbConditionUnknownColumn);
  EXPECT_EQ(std::string(err.table.bytes, err.table.length), "u");
}

TEST(Condition, AndOrShortCircuitAlongLongChains) {
  Row row = {{{"id", {kDbInteger, 5, 0, {nullptr, 0}}}}};
  // A chain of 100,000 ORs whose only true leaf is the last.
  std::vector<DbCondition> nodes(200001);
  for (int i = 0; i < 100000; i++) {
    nodes[2 * i] = leaf("id", kDbEqual, "4");
    nodes[2 * i + 1] = DbCondition{kDbOr,
                                   kDbNoFunction,
                                   {},
                                   {},
                                   {},
                                   0,
                                   {},
                                   &nodes[2 * i],
                                   &nodes[i < 99999 ? 2 * i + 3 : 200000]};
  }
  nodes[200000] = leaf("id", kDbEqual, "5");
  EXPECT_EQ(dbcondition_eval(&nodes[1], lookup, &row, nullptr), kDbConditionTrue);
  // AND stops at the first false leaf: the unknown column after it is never read.
  DbCondition f = leaf("id", kDbEqual, "4"), bad = leaf("missing", kDbEqual, "1");
  DbCondition both = {kDbAnd, kDbNoFunction, {}, {}, {}, 0, {}, &f, &bad};
  EXPECT_EQ(dbcondition_eval(&both, lookup, &row, nullptr), kDbConditionFalse);
  EXPECT_EQ(dbcondition_eval(nullptr, lookup, &row, nullptr), kDbConditionTrue);
}

} // namespace
