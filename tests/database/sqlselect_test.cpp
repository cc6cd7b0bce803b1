// SELECT's results: validation messages, joins, ORDER BY with hidden
// columns and runs through temporary files, aggregates and GROUP BY, moves
// and edits through the result cursor, and the background task.
#include "sqltest.h"
#include <algorithm>
#include <cstring>

namespace {

void make_shop(SqlDb *db) {
  db->run({"create table customers (id integer, name varchar, city varchar)",
           "create table orders (oid integer, cid integer, total double, qty integer)",
           "insert into customers (id, name, city) values (1, 'Ann', 'Oslo')",
           "insert into customers (id, name, city) values (2, 'Bob', 'Rome')",
           "insert into customers (id, name, city) values (3, 'Cy', 'Oslo')",
           "insert into orders (oid, cid, total, qty) values (10, 1, 5.5, 1)",
           "insert into orders (oid, cid, total, qty) values (11, 2, 20, 4)",
           "insert into orders (oid, cid, total, qty) values (12, 1, 7.25, NULL)",
           "insert into orders (oid, cid, total, qty) values (13, 3, NULL, 2)",
           "insert into orders (oid, cid, total, qty) values (14, 1, 1, 3)"});
}

TEST(SqlSelect, ErrorsCarryTheirExactMessagesAndCodes) {
  struct Case {
    const char *sql;
    int32_t code;
    const char *message;
  } cases[] = {
      {"selec * from orders", 200, "Expected 'SELECT'"},
      {"select count(name) from customers", 201, "Only COUNT(*) supported"},
      {"select total(qty) from orders", 201, "Unsupported SELECT function"},
      {"select sum(qty from orders", 200, "Expected ')'"},
      {"select sum(9) from orders", 201, "Invalid column name"},
      {"select 1x from orders", 201, "Invalid column/table name"},
      {"select orders.1 from orders", 201, "Invalid column name"},
      {"select oid orders", 200, "Expecting 'FROM'"},
      {"select * from orders, 5", 201, "Invalid table name"},
      {"select * from orders customers", 200, "Expecting ','"},
      {"select * from orders order oid", 200, "Expecting 'BY'"},
      {"select * from orders order by 5", 201, "Invalid ORDER BY column"},
      {"select oid from orders order by 2", 201, "Invalid ORDER BY column"},
      {"select * from orders order by 0", 201, "Invalid ORDER BY column"},
      {"select * from orders order by 99999999999999", 201, "Invalid ORDER BY column"},
      {"select * from orders order by oid, 0", 201, "Invalid column index"},
      {"select * from orders order by oid, 'x'", 201, "Invalid column index"},
      {"select * from orders order by oid group by cid", 201,
       "ORDER BY can't be used in conjunction with GROUP BY"},
      {"select cid from orders group cid", 200, "Expecting 'BY'"},
      {"select cid from orders group by 5", 201, "Invalid GROUP BY column"},
      {"select cid from orders group by cid, oid", 201,
       "Only single GROUP BY columns currently supported"},
      {"select * from orders group by cid order by cid", 200,
       "Unexpected text after the statement: order"},
      {"select * from nosuch", 202, "Invalid table nosuch"},
      {"select nosuch.* from orders", 202, "Invalid table nosuch"},
      {"select id from customers, orders, customers", 205, "Ambiguous column reference: id"},
      {"select nosuch from orders", 206, "Unknown column: nosuch"},
      {"select customers.oid from orders, customers", 206, "Unknown column: customers.oid"},
      {"select * from orders where nosuch = 1", 206, "Unknown column: nosuch"},
      {"select * from orders, customers where oid = customers.nosuch", 206,
       "Unknown column: customers.nosuch"},
      {"select * from orders order by nosuch", 206, "Unknown column: nosuch"},
      {"select sum(name) from customers", 201, "Cannot total the column name"},
      {"select * from orders where", 201, "Invalid column/table identifier"},
      {"select * from orders where oid = 1 oid", 200, "Unexpected text after the statement: oid"},
  };
  for (const Case &c : cases) {
    SqlDb db;
    make_shop(&db);
    EXPECT_EQ(db.select(c.sql), Rows{}) << c.sql;
    EXPECT_EQ(db.err.code, c.code) << c.sql;
    EXPECT_EQ(db.message(), c.message) << c.sql;
    EXPECT_EQ(db.count.openCursors, 0) << c.sql;
  }
}

TEST(SqlSelect, ItemsStarsAndNames) {
  SqlDb db;
  make_shop(&db);
  DbCursor *c = sql_select(
      db.engine, sqltext("select customers.*, oid, max(total) from customers, orders"), &db.err);
  ASSERT_TRUE(c) << db.message();
  std::vector<std::string> names;
  for (int32_t i = 0; i < c->ops->fieldCount(c); i++) {
    DbText n = c->ops->fieldName(c, i);
    names.push_back(std::string(n.bytes, n.length));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"id", "name", "city", "oid", "max(total)"}));
  EXPECT_EQ(c->ops->fieldType(c, 4), kDbDouble);
  c->ops->close(c);
  EXPECT_EQ(db.select("select * from customers where city = 'Rome'"), (Rows{{"2", "Bob", "Rome"}}));
  EXPECT_EQ(db.select("select NAME, Id from CUSTOMERS where ID = 3"), (Rows{{"Cy", "3"}}));
}

TEST(SqlSelect, JoinsPairRowsThatMeetTheCondition) {
  SqlDb db;
  make_shop(&db);
  EXPECT_EQ(db.select("select name, oid from customers, orders where id = cid and city = 'Oslo' "
                      "and total > 2 order by oid"),
            (Rows{{"Ann", "10"}, {"Ann", "12"}}));
  EXPECT_EQ(db.select("select customers.name, orders.oid from orders, customers "
                      "where orders.cid = customers.id and (qty is null or qty > 3)"),
            Rows{})
      << "no parentheses in this dialect";
  EXPECT_EQ(db.err.code, kSqlErrorInvalid);
  EXPECT_EQ(db.select("select name, oid from orders, customers where cid = id and qty > 3 or "
                      "cid = id and qty is null order by 2 desc"),
            (Rows{{"Ann", "12"}, {"Bob", "11"}}));
  EXPECT_EQ(db.select("select count(*) from customers, orders").at(0).at(0), "15");
  EXPECT_EQ(db.select("select count(*) from customers, orders where name = 'Nobody'"), Rows{{"0"}});
}

TEST(SqlSelect, OrderByIndexesNamesAndHiddenColumns) {
  SqlDb db;
  make_shop(&db);
  // The second column descending, then name ascending through a hidden column.
  db.run({"insert into customers (id, name, city) values (4, 'Al', 'Rome')"});
  EXPECT_EQ(db.select("select id, city from customers order by 2 desc, name"),
            (Rows{{"4", "Rome"}, {"2", "Rome"}, {"1", "Oslo"}, {"3", "Oslo"}}));
  // NULLs first ascending, last descending.
  EXPECT_EQ(db.select("select oid from orders order by total"),
            (Rows{{"13"}, {"14"}, {"10"}, {"12"}, {"11"}}));
  EXPECT_EQ(db.select("select oid from orders order by orders.total desc"),
            (Rows{{"11"}, {"12"}, {"10"}, {"14"}, {"13"}}));
  EXPECT_EQ(db.select("select oid, total from orders where qty > 1 order by 2 asc"),
            (Rows{{"13", "NULL"}, {"14", "1"}, {"11", "20"}}));
}

TEST(SqlSelect, AggregatesSkipNullsAndGroupByGivesOneRowPerGroup) {
  SqlDb db;
  make_shop(&db);
  EXPECT_EQ(
      db.select("select cid, count(*), sum(qty), avg(total), min(total), max(qty) from orders "
                "group by cid"),
      (Rows{{"1", "3", "4", "4.583333333333333", "1", "3"},
            {"2", "1", "4", "20", "20", "4"},
            {"3", "1", "2", "NULL", "NULL", "2"}}));
  EXPECT_EQ(db.select("select count(*), sum(total), avg(qty), min(oid), max(total) from orders"),
            (Rows{{"5", "33.75", "2.5", "10", "20"}}));
  // Over no rows: one row; count 0 and the others NULL (avg does not divide by zero).
  EXPECT_EQ(db.select("select count(*), sum(qty), avg(total), min(total), max(qty) from orders "
                      "where oid > 100"),
            (Rows{{"0", "NULL", "NULL", "NULL", "NULL"}}));
  EXPECT_EQ(db.select("select cid, count(*) from orders where oid > 100 group by cid"), Rows{});
  // The grouping column need not be shown; a joined GROUP BY.
  EXPECT_EQ(db.select("select count(*), max(total) from orders group by qty"),
            (Rows{{"1", "7.25"}, {"1", "5.5"}, {"1", "NULL"}, {"1", "1"}, {"1", "20"}}));
  EXPECT_EQ(db.select("select city, count(*), sum(total) from customers, orders where id = cid "
                      "group by city"),
            (Rows{{"Oslo", "4", "13.75"}, {"Rome", "1", "20"}}));
  EXPECT_EQ(db.select("select min(name), max(city) from customers"), (Rows{{"Ann", "Rome"}}));
}

// The longest condition the layer passes on, and one comparison more.
TEST(SqlSelect, ConditionsOfManyComparisons) {
  SqlDb db;
  make_shop(&db);
  std::string where = "oid = 11";
  for (int i = 1; i < kSqlMaxComparisons; i++)
    where += i % 2 ? " or oid = " + std::to_string(1000 + i) : " and qty > -" + std::to_string(i);
  EXPECT_EQ(db.select("select oid from orders where " + where), Rows{{"11"}});
  EXPECT_EQ(db.select("select name, oid from customers, orders where " + where + " order by 1"),
            (Rows{{"Ann", "11"}, {"Bob", "11"}, {"Cy", "11"}}));
  EXPECT_EQ(db.exec("delete from orders where " + where), 0) << db.message();
  EXPECT_EQ(db.select("select count(*) from orders"), Rows{{"4"}});
  EXPECT_EQ(db.exec("delete from orders where " + where + " or oid = 10"), kSqlErrorInvalid);
  EXPECT_EQ(db.message(), "Too many comparisons in the condition");
}

TEST(SqlSelect, SumsThatOutgrowIntegersGoOnInReals) {
  SqlDb db;
  db.run({"create table big (n integer)"});
  for (int i = 0; i < 3; i++) db.run({"insert into big (n) values (2147483647)"});
  EXPECT_EQ(db.select("select sum(n) from big"), Rows{{"6442450941"}});
}

// A single table's result passes moves and edits through to the engine.
TEST(SqlSelect, SingleTableCursorMovesAndEdits) {
  SqlDb db;
  make_shop(&db);
  DbCursor *c =
      sql_select(db.engine, sqltext("select name, id from customers where id > 1"), &db.err);
  ASSERT_TRUE(c && c->ops->edit && c->ops->movePrev && c->ops->deleteRow);
  ASSERT_TRUE(c->ops->edit(c));
  DbValue v = {kDbText, 0, 0, dbtext_cstr("Robert")};
  EXPECT_TRUE(c->ops->setValue(c, 0, &v));
  EXPECT_TRUE(c->ops->update(c));
  EXPECT_TRUE(c->ops->moveNext(c));
  EXPECT_TRUE(c->ops->deleteRow(c));
  EXPECT_TRUE(c->ops->atEnd(c));
  EXPECT_TRUE(c->ops->movePrev(c));
  c->ops->value(c, 1, &v);
  EXPECT_EQ(v.integer, 2);
  c->ops->close(c);
  EXPECT_EQ(db.select("select name from customers"), (Rows{{"Ann"}, {"Robert"}}));
  for (const char *readOnly : {"select city, count(*) from customers group by city",
                               "select name from customers, orders where id = cid order by 1"}) {
    c = sql_select(db.engine, sqltext(readOnly), &db.err);
    ASSERT_TRUE(c) << db.message();
    EXPECT_EQ(c->ops->edit, nullptr) << readOnly;
    c->ops->close(c);
  }
}

// A sorted result over one table edits its rows in the table; a row keeps
// its place in the order until the query runs again.
TEST(SqlSelect, SortedSingleTableCursorEditsThroughTheTable) {
  SqlDb db;
  make_shop(&db);
  DbCursor *c = sql_select(db.engine,
                           sqltext("select name from customers order by city desc, name"), &db.err);
  ASSERT_TRUE(c && c->ops->edit && c->ops->deleteRow) << db.message();
  ASSERT_TRUE(c->ops->edit(c)); // Bob, of Rome
  DbValue v = {kDbText, 0, 0, dbtext_cstr("Zed")};
  EXPECT_TRUE(c->ops->setValue(c, 0, &v));
  EXPECT_TRUE(c->ops->update(c));
  c->ops->value(c, 0, &v);
  EXPECT_EQ(value_text(v), "Zed");
  EXPECT_TRUE(c->ops->moveNext(c)); // Ann
  EXPECT_TRUE(c->ops->deleteRow(c));
  c->ops->value(c, 0, &v);
  EXPECT_EQ(value_text(v), "Cy");
  EXPECT_TRUE(c->ops->movePrev(c)); // past the deleted row
  c->ops->value(c, 0, &v);
  EXPECT_EQ(value_text(v), "Zed");
  c->ops->close(c);
  EXPECT_EQ(db.select("select id, name from customers order by id"),
            (Rows{{"2", "Zed"}, {"3", "Cy"}}));
}

// Temporary files in memory, counted, so the tests see the runs.
struct MemFiles {
  int opened = 0, open = 0, failAfter = -1, appends = 0;
  std::vector<std::string *> live;
};
MemFiles g_files;

void *mf_open(void *) {
  g_files.opened++, g_files.open++;
  return new std::string;
}
int32_t mf_append(void *f, const void *bytes, uint32_t n) {
  if (g_files.failAfter >= 0 && g_files.appends++ >= g_files.failAfter) return 0;
  ((std::string *)f)->append((const char *)bytes, n);
  return 1;
}
int32_t mf_read_at(void *f, uint64_t at, void *bytes, uint32_t n) {
  std::string *s = (std::string *)f;
  if (at + n > s->size()) return 0;
  memcpy(bytes, s->data() + at, n);
  return 1;
}
void mf_close(void *f) {
  g_files.open--;
  delete (std::string *)f;
}
const SqlTempFileOps kMemFiles = {mf_open, mf_append, mf_read_at, mf_close};

struct Background {
  SqlDb *db;
  int calls;
  int32_t nestedCode;
};
void background(void *context) {
  Background *b = (Background *)context;
  if (b->calls++ == 100) {
    b->db->exec("delete from big");
    b->nestedCode = b->db->err.code;
  }
}

std::string key_of(int i) {
  char buf[64];
  snprintf(buf, sizeof buf, "%08d-%040d", (i * 7919) % 40000, i);
  return buf;
}

TEST(SqlSelect, LongSortsRunThroughTemporaryFilesWithTheBackgroundTask) {
  SqlDb db;
  db.run({"create table big (k varchar, n integer)"});
  const int rows = 40000; // about 2.5 MB of encoded rows: several runs
  for (int i = 0; i < rows; i++)
    db.exec("insert into big (k, n) values ('" + key_of(i) + "', " + std::to_string(i) + ")");
  Background bg = {&db, 0, 0};
  SqlHooks hooks = {background, &bg, &kMemFiles, nullptr};
  sql_set_hooks(&hooks);
  g_files = MemFiles{};
  SqlError err;
  sql_error_init(&err);
  DbCursor *c = sql_select(db.engine, sqltext("select n, k from big order by k desc"), &err);
  ASSERT_TRUE(c) << err.message;
  EXPECT_GE(g_files.opened, 4);
  EXPECT_EQ(g_files.open, 1);                   // only the final run remains
  EXPECT_GE(bg.calls, rows);                    // at least once between any two rows read
  EXPECT_EQ(bg.nestedCode, kSqlErrorReentered); // the nested statement was refused
  std::vector<std::string> want;
  for (int i = 0; i < rows; i++) want.push_back(key_of(i));
  std::sort(want.rbegin(), want.rend());
  int seen = 0;
  for (; !c->ops->atEnd(c); c->ops->moveNext(c), seen++) {
    DbValue v;
    c->ops->value(c, 1, &v);
    ASSERT_EQ(std::string(v.text.bytes, v.text.length), want[seen]) << seen;
  }
  EXPECT_EQ(seen, rows);
  EXPECT_TRUE(c->ops->moveLast(c) && c->ops->movePrev(c));
  DbValue v;
  c->ops->value(c, 1, &v);
  EXPECT_EQ(std::string(v.text.bytes, v.text.length), want[rows - 2]);
  c->ops->close(c);
  EXPECT_EQ(g_files.open, 0);

  g_files = MemFiles{};
  g_files.failAfter = 3; // a disk that fills up during the sort
  EXPECT_EQ(sql_select(db.engine, sqltext("select * from big order by k"), &err), nullptr);
  EXPECT_EQ(err.code, kSqlErrorTempFile);
  EXPECT_EQ(g_files.open, 0);
  EXPECT_EQ(db.count.openCursors, 0);
  sql_set_hooks(nullptr);

  // The C library's temporary files by default; a grouping over the sorted rows.
  c = sql_select(db.engine, sqltext("select count(*), min(n) from big group by n"), &err);
  ASSERT_TRUE(c) << err.message;
  Rows groups = read_rows(c);
  EXPECT_EQ(groups.size(), (size_t)rows);
  EXPECT_EQ(groups[rows - 1], (std::vector<std::string>{"1", std::to_string(rows - 1)}));
  sql_error_clear(&err);
}

} // namespace
