// The statements other than SELECT's results: every message and code, what
// reaches the engine (and that nothing does after an error), NULLs, values
// holding quotes, bound parameters, long names and random input.
#include "sqltest.h"
#include <cstddef>
#include <cstring>
#include <random>

namespace {

void make_people(SqlDb *db) {
  db->run({"create table people (id integer not null, name varchar(20), price double, "
           "born date, flag boolean, PRIMARY KEY (id))",
           "insert into people (id, name, price, born, flag) values (1, 'Ann', 2.5, '1990-05-01', "
           "true)",
           "insert into people (id, name, price, born, flag) values (2, 'Bob', -3.75, "
           "'1985-01-31', false)",
           "insert into people (id, name) values (3, NULL)"});
}

TEST(SqlStatements, ErrorsCarryTheirExactMessagesAndCodes) {
  struct Case {
    const char *sql;
    int32_t code;
    const char *message;
  } cases[] = {
      {"create table x", 200, "Expecting '('"},
      {"create table x (a integer not nul)", 200, "Expecting 'NULL'"},
      {"create table x (a char(abc))", 201, "Invalid field constraint"},
      {"create table x (a char(10 b)", 200, "Expecting ')'"},
      {"create table x (a blob)", 200, "Expecting field type"},
      {"create table x (a long text)", 200, "Expecting field type"},
      {"create table x (a integer b integer)", 200, "Expecting ',' or ')'"},
      {"create table x (a integer, primary kee (a))", 200, "Expecting 'KEY'"},
      {"create table x (a integer, primary key (9))", 201, "Invalid column name"},
      {"create table x (a integer, primary key (b))", 201, "Invalid column"},
      {"create table x (a integer, primary key (a, b))", 201, "Invalid column"},
      {"create table t ()", 206, "CREATE TABLE requires at least one column defined"},
      {"alter table people add flag2 boolean", 200, "Expecting field type"},
      {"alter table people drop column name", 2008,
       "Dropping columns is not supported for this database"},
      {"alter table people rename x", 200, "Expected 'ADD'"},
      {"drop table people", 2007, "Dropping tables from this database is not currently supported."},
      {"insert people (id) values (1)", 200, "Expecting 'INTO'"},
      {"insert into 9t (id) values (1)", 201, "Invalid table name"},
      {"insert into people id values (1)", 200, "Expecting '('"},
      {"insert into people (id values (1)", 200, "Expecting ')'"},
      {"insert into people (id) (1)", 200, "Expecting 'VALUES'"},
      {"insert into people (id, name) values (1)", 208, "Mismatched INSERT columns"},
      {"insert into people (id) values (1, 'x')", 208, "Mismatched INSERT columns"},
      {"insert into people (id, 2x) values (1, 2)", 201, "Invalid column name"},
      {"insert into people (id, name) values (4, 'abc)", 200, "Unterminated quote"},
      {"update people name = 'x'", 200, "Expecting 'SET'"},
      {"update people set name 'x'", 200, "Expecting '='"},
      {"update people set 1 = 'x'", 201, "Invalid column name"},
      {"update people set nosuch = 1", 208, "The column nosuch does not exist in table people"},
      {"update people set id = 'abc'", 201, "Invalid value for column id: abc"},
      {"delete people", 200, "Expecting 'FROM'"},
      {"DELETE FROM people WEHRE id = 5", 200, "Unexpected text after the statement: WEHRE"},
      {"delete from people where upper name = 'x'", 200, "Expected '('"},
      {"delete from people where upper(name = 'x'", 200, "Expected ')'"},
      {"delete from people where 5 = id", 201, "Invalid column/table identifier"},
      {"delete from people where people.5 = id", 201, "Invalid column/table identifier"},
      {"delete from people where id ! 5", 201, "Invalid operator !"},
      {"delete from people where id is 5", 200, "Expecting 'NULL'"},
      {"delete from people where id not 5", 200, "Expecting 'LIKE'"},
      {"delete from people where name LIKE abc", 201, "Quotes expected after LIKE operation"},
      {"delete from people where name = 'abc", 200, "Unterminated quote"},
      {"delete from people where name = ", 200, "Expecting a value"},
      {"delete from people where id = 1 and", 201, "Invalid column/table identifier"},
      {"delete from [people", 200, "Expecting ']'"},
      {"frobnicate people", 200, "Unsupported statement frobnicate"},
      {"select * from people", 200, "Unsupported statement select"},
      {"   ;;", 200, "Expecting a statement"},
      {"commit now", 200, "Unexpected text after the statement: now"},
  };
  for (const Case &c : cases) {
    SqlDb db;
    make_people(&db);
    int32_t calls = db.count.calls;
    EXPECT_EQ(db.exec(c.sql), c.code) << c.sql;
    EXPECT_EQ(db.message(), c.message) << c.sql;
    bool opensCursor = strncmp(c.sql, "update", 6) == 0 &&
                       (c.code == 208 || strstr(c.message, "Invalid value")); // to see the fields
    if (!opensCursor) {
      EXPECT_EQ(db.count.calls, calls) << c.sql << ": the engine was called";
    }
    EXPECT_EQ(db.select("select count(*) from people"), Rows{{"3"}}) << c.sql;
    EXPECT_EQ(db.count.openCursors, 0);
  }
}

TEST(SqlStatements, MisspeltWhereDeletesNothing) {
  SqlDb db;
  make_people(&db);
  EXPECT_EQ(db.exec("DELETE FROM people WEHRE id = 5"), 200);
  EXPECT_EQ(db.select("select count(*) from people"), Rows{{"3"}});
  EXPECT_EQ(db.exec("DELETE FROM people WHERE id = 2"), 0);
  EXPECT_EQ(db.select("select id from people"), (Rows{{"1"}, {"3"}}));
  EXPECT_EQ(db.exec("DELETE FROM people"), 0);
  EXPECT_EQ(db.select("select id from people"), Rows{});
}

TEST(SqlStatements, CreateTableGivesTheEngineTypesKeysAndNullability) {
  SqlDb db;
  db.run({"CREATE TABLE t (a smallint, b integer NOT NULL, c char, d character(5), e varchar, "
          "f varchar(9), g float, h double, i date, j time, k timestamp, l boolean, "
          "m long varchar, n long varbinary, PRIMARY KEY (n, B))",
          "alter table t add column o timestamp not null", "ALTER TABLE t ADD p long varchar"});
  DbCursor *schema = db.engine->ops->fieldSchema(db.engine, dbtext_cstr("t"));
  Rows fields = read_rows(schema); // ColumnName, FieldType, IsPrimary, NotNull
  std::vector<std::string> types, keys, notNull;
  for (const auto &f : fields) types.push_back(f[1]), keys.push_back(f[2]), notNull.push_back(f[3]);
  EXPECT_EQ(types, (std::vector<std::string>{"2", "3", "5", "5", "5", "5", "6", "7", "8", "9", "10",
                                             "12", "15", "16", "10", "15"}));
  std::vector<std::string> want(16, "0");
  want[1] = want[13] = "1";
  EXPECT_EQ(keys, want);
  want.assign(16, "0");
  want[1] = want[14] = "1";
  EXPECT_EQ(notNull, want);
  if (MemEngine *m = db.mem()) { // the key's columns in the order written
    EXPECT_EQ(mem_table(m, "t")->keys, (std::vector<uint8_t>{13, 1}));
  }
  EXPECT_NE(db.exec("create table t (a integer)"), 0); // the engine's own failure
  EXPECT_NE(db.message(), "");
}

TEST(SqlStatements, TrailingSemicolonsCaseAndBracketedNames) {
  SqlDb db;
  db.run({"CrEaTe TaBlE [Order Items] ([Order Date] date, note varchar);;;",
          "insert into [order items] ([ORDER DATE], note) values ('2026-12-10', 'it''s')",
          "INSERT INTO [Order Items] ([Order Date], note) VALUES ('2026-12-11', \"say "
          "\"\"hi\"\"\");"});
  EXPECT_EQ(db.select("select * from [Order Items];;"),
            (Rows{{"2026-12-10", "it's"}, {"2026-12-11", "say \"hi\""}}));
  EXPECT_EQ(db.select("SELECT [order date] FROM [Order Items] WHERE note = 'it''s'"),
            Rows{{"2026-12-10"}});
}

TEST(SqlStatements, NullsAreStoredAndTested) {
  SqlDb db;
  make_people(&db);
  EXPECT_EQ(db.select("select id, name, price, born, flag from people where id = 3"),
            (Rows{{"3", "NULL", "NULL", "NULL", "NULL"}}));
  EXPECT_EQ(db.select("select id from people where name is null"), Rows{{"3"}});
  EXPECT_EQ(db.select("select id from people where name is not null"), (Rows{{"1"}, {"2"}}));
  EXPECT_EQ(db.select("select id from people where name <> 'Ann'"), Rows{{"2"}});
  EXPECT_NE(db.exec("insert into people (name) values ('no id')"), 0); // NOT NULL, by the engine
  db.run({"update people set name = NULL where id = 1",
          "update people set name = 'NULL' where id = 2"});
  EXPECT_EQ(db.select("select name from people"), (Rows{{"NULL"}, {"NULL"}, {"NULL"}}));
  EXPECT_EQ(db.select("select id from people where name = 'NULL'"), Rows{{"2"}});
}

TEST(SqlStatements, ConditionsCompareByTypeAndAndBindsTighterThanOr) {
  SqlDb db;
  make_people(&db);
  struct Case {
    const char *where;
    Rows ids;
  } cases[] = {
      {"price > -3.5", {{"1"}}},
      {"price >= -3.75", {{"1"}, {"2"}}},
      {"id <= 2 and price < 0", {{"2"}}},
      {"born < '1989-12-31'", {{"2"}}},
      {"flag = true", {{"1"}}},
      {"flag = 0", {{"2"}}},
      {"upper(name) = 'ANN'", {{"1"}}},
      {"lower(name) like 'b%'", {{"2"}}},
      {"name not like '%n%'", {{"2"}}},
      {"people.id = 2", {{"2"}}},
      {"id = 1 AND name = 'Bob' OR id = 3", {{"3"}}}, // (F and F) or T
      {"id = 3 OR id = 1 AND name = 'Bob'", {{"3"}}}, // T or (T and F)
      {"id = 1 AND name = 'Ann' OR id = 2", {{"1"}, {"2"}}},
      {"id = 2 OR id = 1 AND flag = true OR id = 9", {{"1"}, {"2"}}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(db.select(std::string("select id from people where ") + c.where), c.ids) << c.where;
}

// The trees the engine receives: one operator kind chains to the right;
// AND binds tighter than OR.
TEST(SqlStatements, ConditionTreesReachTheEngineInTheirShape) {
  struct Case {
    const char *where, *tree;
  } cases[] = {
      {"a = 1", "a=1"},
      {"a = 1 and b = 2 and c = 3", "AND(a=1,AND(b=2,c=3))"},
      {"a = 1 or b = 2 or c = 3", "OR(a=1,OR(b=2,c=3))"},
      {"a = 1 AND b = 2 OR c = 3", "OR(AND(a=1,b=2),c=3)"},
      {"a = 1 OR b = 2 AND c = 3", "OR(a=1,AND(b=2,c=3))"},
      {"a=1 or b=2 and c=3 and a=4 or b=5", "OR(a=1,OR(AND(b=2,AND(c=3,a=4)),b=5))"},
      {"upper(b) like 'X%' and lower ( c ) not like '%y'",
       "AND(upper(b) LIKE X%,lower(c) NOT LIKE %y)"},
      {"t.a <= -3.5 and b is null and c is not null",
       "AND(t.a<=-3.5,AND(b IS NULL,c IS NOT NULL))"},
      {"a <> b and t.a >= t.c and b = 'c'", "AND(a<>[b],AND(t.a>=[t.c],b=c))"},
      {"b = true", "b=[true]"}, // a name; the condition's evaluation takes it as text
  };
  for (const Case &c : cases) {
    SqlDb db;
    db.run({"create table t (a integer, b varchar, c varchar)"});
    EXPECT_EQ(db.exec(std::string("delete from t where ") + c.where), 0) << c.where << db.message();
    EXPECT_EQ(db.count.lastWhere, c.tree) << c.where;
  }
}

TEST(SqlStatements, UpdateChangesEachMatchingRowOnceEvenWhenItMoves) {
  SqlDb db;
  if (!db.mem()) GTEST_SKIP() << "unique keys: a constant can move only one row";
  db.mem()->keyOrder = true; // the cursor walks rows in key order, so raising a key moves the row
  db.run({"create table k (id integer, name varchar, primary key (id))",
          "insert into k (id, name) values (1, 'a1')", "insert into k (id, name) values (2, 'a2')",
          "insert into k (id, name) values (3, 'b3')",
          "insert into k (id, name) values (4, 'a4')"});
  int32_t calls = db.count.calls;
  EXPECT_EQ(db.exec("update k set id = 100, name = 'moved' where name like 'a%'"), 0)
      << db.message();
  EXPECT_EQ(db.count.calls - calls, 1 + 3); // the cursor, then one update per matching row
  EXPECT_EQ(db.select("select id, name from k"),
            (Rows{{"3", "b3"}, {"100", "moved"}, {"100", "moved"}, {"100", "moved"}}));
}

TEST(SqlStatements, CommitAndRollbackReachTheEngine) {
  SqlDb db;
  db.run({"create table t (a integer)", "insert into t (a) values (1)", "COMMIT",
          "insert into t (a) values (2)"});
  EXPECT_EQ(db.select("select a from t"), (Rows{{"1"}, {"2"}}));
  db.run({"rollback work;"});
  EXPECT_EQ(db.select("select a from t"), Rows{{"1"}});
}

TEST(SqlStatements, MissingEngineOperationsAreReportedNotCalled) {
  struct Case {
    const char *sql;
    size_t slot; // the DbEngineOps routine taken away, by its place in the record
  } cases[] = {
      {"create table u (a integer)", offsetof(DbEngineOps, createTable)},
      {"insert into t (a) values (1)", offsetof(DbEngineOps, insert)},
      {"update t set a = 1", offsetof(DbEngineOps, openCursor)},
      {"delete from t", offsetof(DbEngineOps, openCursor)},
      {"alter table t add b integer", offsetof(DbEngineOps, addColumn)},
      {"commit", offsetof(DbEngineOps, commit)},
      {"rollback", offsetof(DbEngineOps, rollback)},
  };
  for (const Case &c : cases) {
    SqlDb db;
    db.run({"create table t (a integer)"});
    *(void **)((char *)&db.count.ops + c.slot) = nullptr;
    EXPECT_EQ(db.exec(c.sql), kSqlErrorUnsupported) << c.sql;
    EXPECT_EQ(db.message().rfind("This database does not support ", 0), 0u) << db.message();
  }
  SqlDb db;
  db.count.ops.openCursor = nullptr;
  EXPECT_EQ(sql_select(db.engine, sqltext("select * from t"), &db.err), nullptr);
  EXPECT_EQ(db.err.code, kSqlErrorUnsupported);
  DbEngine closed = {nullptr};
  EXPECT_EQ(sql_select(&closed, sqltext("select * from t"), &db.err), nullptr);
  EXPECT_EQ(db.err.code, kSqlErrorUnsupported);
}

TEST(SqlStatements, EngineFailuresBecomeTheError) {
  SqlDb db;
  db.run({"create table t (a integer)"});
  for (const char *sql : {"insert into nosuch (a) values (1)", "delete from nosuch",
                          "update nosuch set a = 1", "insert into t (a) values ('x')",
                          "insert into t (nosuch) values (1)", "delete from t where nosuch = 1"}) {
    EXPECT_NE(db.exec(sql), 0) << sql;
    EXPECT_EQ(db.err.code, db.engine->ops->errorCode(db.engine)) << sql << ": " << db.message();
    EXPECT_NE(db.message(), "") << sql;
  }
  EXPECT_EQ(db.exec("insert into t (a) values (1)"), 0);
  EXPECT_EQ(db.err.message, nullptr); // a success clears the previous error
}

TEST(SqlStatements, BoundValuesAreNeverReadAsSql) {
  SqlDb db;
  db.run({"create table t (id integer, name varchar, note varchar)"});
  const char *evil = "O'Brien'); DROP TABLE t; --";
  DbValue params[3] = {{kDbInteger, 7, 0, {nullptr, 0}},
                       {kDbText, 0, 0, dbtext_cstr(evil)},
                       {kDbNull, 0, 0, {nullptr, 0}}};
  sql_execute_bound(db.engine, sqltext("insert into t (id, name, note) values (?, ?, ?)"), params,
                    3, &db.err);
  ASSERT_EQ(db.err.code, 0) << db.message();
  DbCursor *c = sql_select_bound(db.engine, sqltext("select id, note from t where name = ?"),
                                 params + 1, 1, &db.err);
  EXPECT_EQ(read_rows(c), (Rows{{"7", "NULL"}}));
  c = sql_select_bound(db.engine, sqltext("select name from t where name like ?"), params + 1, 1,
                       &db.err);
  EXPECT_EQ(read_rows(c), Rows{{evil}});
  sql_execute_bound(db.engine, sqltext("update t set note = ? where id = ?"), params + 1, 1,
                    &db.err);
  EXPECT_EQ(db.err.code, kSqlErrorMismatch);
  EXPECT_EQ(db.message(), "Not enough parameter values");
}

// Long names travel whole: an engine may refuse them, with its own error.
TEST(SqlStatements, NamesOfTenThousandCharacters) {
  SqlDb db;
  std::string table(10000, 't'), column = "c" + std::string(9999, 'x');
  if (db.exec("create table " + table + " (" + column + " varchar)") == 0) {
    EXPECT_EQ(db.exec("insert into " + table + " (" + column + ") values ('v')"), 0);
    EXPECT_EQ(db.select("select " + column + " from " + table + " where " + column + " = 'v'"),
              Rows{{"v"}});
  } else {
    EXPECT_EQ(db.err.code, db.engine->ops->errorCode(db.engine)) << db.message();
  }
  db.run({"create table t (a integer)"});
  std::string wrong = "d" + std::string(9999, 'y');
  EXPECT_EQ(db.select("select " + wrong + " from t"), Rows{});
  EXPECT_EQ(db.err.code, kSqlErrorUnknownColumn);
  EXPECT_EQ(db.message(), "Unknown column: " + wrong);
  EXPECT_EQ(db.select("select * from " + table + "x"), Rows{});
  EXPECT_EQ(db.err.code, kSqlErrorUnknownTable);
  EXPECT_EQ(db.err.length, strlen("Invalid table ") + 10001);
}

// Statements of random bytes and random tokens: an error or a success,
// never a crash, and never a failure without a message.
TEST(SqlStatements, RandomInputIsAnErrorNeverACrash) {
  SqlDb db;
  make_people(&db);
  std::mt19937 rng(21);
  const char *words[] = {"select", "insert", "update", "delete", "create", "alter", "table", "from",
                         "where",  "order",  "group",  "by",     "(",      ")",     ",",     ".",
                         "=",      "<",      "'x'",    "people", "id",     "name",  "and",   "or",
                         "*",      "count",  "into",   "values", "set",    "'",     "[",     "1",
                         "-2.5",   "like",   "is",     "not",    "null",   "desc"};
  for (int i = 0; i < 4000; i++) {
    std::string s;
    int n = rng() % 24;
    for (int j = 0; j < n; j++) {
      if (i % 2)
        s += (char)(rng() % 256);
      else
        s += std::string(words[rng() % (sizeof words / sizeof *words)]) + " ";
    }
    db.exec(s);
    EXPECT_EQ(db.err.code != 0, db.err.length != 0) << s;
    Rows r = db.select(s);
    EXPECT_EQ(db.err.code != 0, db.err.length != 0) << s;
    EXPECT_EQ(db.count.openCursors, 0) << s;
  }
}

} // namespace
