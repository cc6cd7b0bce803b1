// Databases of the embedded engine through the entry points: files made and
// reopened, statements, cursors and their fields of every type, records,
// queries with bound values, transactions, schemas, closing, and a database
// the application carries.
#include "dbtest.h"
#include "files/file.h"
#include "graphics/picture.h"
#include "objects/date.h"
#include "objects/registry.h"
#include <cstdio>
#include <string>

namespace {

std::string tempPath(const char *name) {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  return std::string(folder) + name;
}

class DatabaseTest : public DbTest {
protected:
  std::string path;
  Object *item = nullptr;
  DatabaseObject *db = nullptr;
  void SetUp() override {
    DbTest::SetUp();
    path = tempPath(("dbtest" + std::to_string(GetCurrentProcessId()) + ".db").c_str());
    DeleteFileA(path.c_str());
    item = folderitem_at(path.c_str());
    db = (DatabaseObject *)newKARUDatabase(item);
    ASSERT_NE(db, nullptr);
  }
  void TearDown() override {
    RuntimeUnlockObject(&db->header);
    RuntimeUnlockObject(item);
    DeleteFileA(path.c_str());
    DbTest::TearDown();
  }
  void shop() {
    for (const char *sql :
         {"create table customer (id integer not null, name varchar(40), primary key (id))",
          "create table orders (num integer, customer integer, total double)",
          "insert into customer (id, name) values (1, 'Ann')",
          "insert into customer (id, name) values (2, 'Bob''s')",
          "insert into orders (num, customer, total) values (10, 2, 7.5)",
          "insert into orders (num, customer, total) values (11, 1, 2.25)",
          "insert into orders (num, customer, total) values (12, 2, 1)", "commit"})
      ASSERT_EQ(run(db, sql), "") << sql;
  }
};

TEST_F(DatabaseTest, TablesRowsJoinsAndOrderSurviveReopening) {
  shop();
  EXPECT_EQ(
      rows(db, "select name, num from customer, orders where id = customer order by total desc"),
      "Bob's,10|Ann,11|Bob's,12");
  EXPECT_EQ(run(db, "insert into customer (id, name) values (3, 'uncommitted')"), "");
  databaseClose(db);
  RuntimeUnlockObject(&db->header);
  db = (DatabaseObject *)openKARUDatabase(item);
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(rows(db, "select name from customer order by id"), "Ann|Bob's");
}

TEST_F(DatabaseTest, StatementErrorsAreStoredAndCallNothing) {
  shop();
  EXPECT_EQ(run(db, "delete from customer wehre id = 1").substr(0, 4), "200 ");
  EXPECT_EQ(rows(db, "select count(*) from customer"), "2");
  EXPECT_EQ(run(db, "drop table customer").substr(0, 5), "2007 ");
  EXPECT_EQ(run(db, "frobnicate everything").empty(), false); /* an unknown verb is an error */
  EXPECT_EQ(rows(db, "select nothing from customer").substr(0, 10), "error 206 ");
  EXPECT_EQ(run(db, "insert into customer (id, name) values (1, 'again')").empty(), false);
  EXPECT_EQ(run(db, "commit"), ""); /* success clears the stored error */
}

TEST_F(DatabaseTest, TransactionsRollBackEverythingSinceTheLastCommit) {
  shop();
  EXPECT_EQ(run(db, "update orders set total = 0"), "");
  EXPECT_EQ(run(db, "delete from customer where id = 1"), "");
  EXPECT_EQ(rows(db, "select sum(total) from orders"), "0");
  databaseRollback(db);
  EXPECT_EQ(rows(db, "select sum(total) from orders"), "10.75");
  EXPECT_EQ(rows(db, "select count(*) from customer"), "2");
}

TEST_F(DatabaseTest, CursorsMoveEditDeleteAndReadEveryFieldType) {
  ASSERT_EQ(run(db, "create table t (i integer, d double, w date, s varchar(9), b long varbinary)"),
            "");
  ASSERT_EQ(run(db, "insert into t (i, d, w, s) values (5, 2.5, '2026-12-10', 'five')"), "");
  ASSERT_EQ(run(db, "insert into t (i, d, s) values (6, -1, 'six')"), "");
  DatabaseCursorObject *c = (DatabaseCursorObject *)databaseSQLSelect(db, s("select * from t"));
  ASSERT_NE(c, nullptr);
  EXPECT_FALSE(cursorBOFGetter(c));
  EXPECT_EQ(cursorFieldCount(c), 5);
  auto field = [&](int i) { return (DatabaseCursorFieldObject *)cursorGetFieldByIndex(c, i); };
  DatabaseCursorFieldObject *i = field(1), *d = field(2), *w = field(3), *st = field(4);
  EXPECT_EQ(field(6), nullptr);
  EXPECT_EQ(take(cursorFieldNameGetter(d, 0)), "d");
  EXPECT_EQ(cursorFieldIntegerValueGetter(i, 0), 5);
  EXPECT_EQ(cursorFieldDoubleValueGetter(d, 0), 2.5);
  EXPECT_EQ(take(cursorFieldStringValueGetter(st, 0)), "five");
  Object *date = cursorFieldDateValueGetter(w, 0);
  ASSERT_NE(date, nullptr);
  EXPECT_EQ(dateFieldGetter(date, (int)DateField::Day), 10);

  cursorEdit(c);
  cursorFieldIntegerValueSetter(i, 0, 50);
  cursorFieldDoubleValueSetter(d, 0, 0.125);
  dateFieldSetter(date, (int)DateField::Year, 2030);
  cursorFieldDateValueSetter(w, 0, date);
  cursorUpdate(c);
  cursorMoveNext(c);
  EXPECT_EQ(cursorFieldDateValueGetter(w, 0), nullptr); /* NULL gives no date */
  cursorDeleteRecord(c);
  EXPECT_TRUE(cursorEOFGetter(c));
  for (Object *o : {(Object *)i, (Object *)d, (Object *)w, (Object *)st, date})
    RuntimeUnlockObject(o);
  RuntimeUnlockObject(&c->header);
  EXPECT_EQ(rows(db, "select i, d, w from t"), "50,0.125,2030-12-10");
}

TEST_F(DatabaseTest, RecordsCarryEveryColumnTypeIntoANewRow) {
  ASSERT_EQ(run(db, "create table r (s varchar(20), i integer, d double, f boolean, w timestamp, "
                    "b long varbinary, p long varbinary)"),
            "");
  DatabaseRecordObject *r = (DatabaseRecordObject *)CreateInstance(registry_find("DatabaseRecord"));
  setDatabaseRecordColumn(r, s("s"), s("it's"));
  setDatabaseRecordIntegerColumn(r, s("i"), -7);
  setDatabaseRecordDoubleColumn(r, s("d"), 0.1);
  SetDatabaseRecordBooleanColumn(r, s("f"), true);
  Object *date = CreateInstance(registry_find("Date"));
  dateTotalSecondsSetter(date, 0, 0); /* 1904-01-01 00:00:00 */
  setDatabaseRecordDateColumn(r, s("w"), date);
  SetDatabaseRecordBlobColumn(r, s("b"), s(std::string("a\0b\xff", 4)));
  PictureObject *picture = picture_new(3, 2, 32);
  setDatabaseRecordMacPictColumn(r, s("p"), &picture->header);
  EXPECT_EQ(getDatabaseRecordIntegerColumn(r, s("I")), -7); /* names ignore case */
  EXPECT_EQ(getDatabaseRecordDoubleColumn(r, s("d")), 0.1);
  EXPECT_TRUE(GetDatabaseRecordBooleanColumn(r, s("f")));
  EXPECT_EQ(take(GetDatabaseRecordBlobColumn(r, s("b"))), std::string("a\0b\xff", 4));
  EXPECT_EQ(getDatabaseRecordColumn(r, s("missing")), nullptr);
  databaseInsertRecord(db, s("r"), r);
  EXPECT_EQ(outcome(db), "");
  EXPECT_EQ(rows(db, "select s, i, d, f, w from r"), "it's,-7,0.1,1,1904-01-01 00:00:00");

  DatabaseCursorObject *c = (DatabaseCursorObject *)databaseSQLSelect(db, s("select b, p from r"));
  ASSERT_NE(c, nullptr);
  Object *b = cursorGetFieldByName(c, s("b")), *p = cursorGetFieldByName(c, s("P"));
  EXPECT_EQ(take(cursorFieldNativeValueGetter((DatabaseCursorFieldObject *)b, 0)),
            std::string("a\0b\xff", 4));
  Object *back = cursorFieldMactPictGetter((DatabaseCursorFieldObject *)p, 0);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(pictureWidthGetter((PictureObject *)back, 0), 3);
  EXPECT_EQ(pictureHeightGetter((PictureObject *)back, 0), 2);
  for (Object *o : {b, p, back, date, &c->header}) RuntimeUnlockObject(o);

  setDatabaseRecordJPEGColumn(r, s("p"), &picture->header); /* the platform's JPEG encoder */
  RString *jpeg = GetDatabaseRecordBlobColumn(r, s("p"));
  EXPECT_EQ(std::string(str_cview(jpeg), 2), "\xff\xd8");
  RuntimeUnlockString(jpeg);
  Object *decoded = getDatabaseRecordJPEGColumn(r, s("p"));
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(pictureWidthGetter((PictureObject *)decoded, 0), 3);
  for (Object *o : {decoded, &picture->header, &r->header}) RuntimeUnlockObject(o);
}

TEST_F(DatabaseTest, QueryParametersAreValuesNeverStatementText) {
  shop();
  DatabaseQueryObject *q = (DatabaseQueryObject *)CreateInstance(registry_find("DatabaseQuery"));
  q->database = (DatabaseObject *)RuntimeLockObject(&db->header);
  str_assign(&q->statement, s("select id from customer where name = ?"));
  struct {
    const char *value, *rows;
  } cases[] = {{"Bob's", "2"}, {"x' or 'a' = 'a", ""}, {"Ann", "1"}, {"", ""}};
  for (auto &k : cases) {
    databaseQuerySetParameter(q, 1, s(k.value));
    EXPECT_EQ(drain((DatabaseCursorObject *)databaseQueryRunQuery(q)), k.rows) << k.value;
  }
  str_assign(&q->statement, s("insert into customer (id, name) values (?, ?)"));
  databaseQuerySetParameter(q, 1, s("9"));
  databaseQuerySetParameter(q, 2, s("'); delete from customer; --"));
  EXPECT_EQ(databaseQueryRunQuery(q), nullptr);
  EXPECT_EQ(rows(db, "select name from customer where id = 9"), "'); delete from customer; --");
  databaseQuerySetParameter(q, 0, s("no such marker"));
  EXPECT_EQ(databaseErrorCodeGetter(db), kDbErrBadParameter);
  RuntimeUnlockObject(&q->header);
}

TEST_F(DatabaseTest, SchemasListTablesAndColumns) {
  shop();
  EXPECT_EQ(drain((DatabaseCursorObject *)databaseTableSchema(db)), "customer|orders");
  DatabaseCursorObject *c = (DatabaseCursorObject *)databaseFieldSchema(db, s("customer"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(dbcursor_field_index(c, s("ColumnName")), 0);
  EXPECT_EQ(drain(c).substr(0, 3), "id,");
}

TEST_F(DatabaseTest, ClosingTheDatabaseEndsItsCursorsSafely) {
  shop();
  DatabaseCursorObject *c =
      (DatabaseCursorObject *)databaseSQLSelect(db, s("select * from orders"));
  Object *f = cursorGetFieldByIndex(c, 1);
  databaseClose(db);
  EXPECT_TRUE(cursorEOFGetter(c));
  EXPECT_EQ(cursorFieldCount(c), 0);
  EXPECT_EQ(cursorFieldStringValueGetter((DatabaseCursorFieldObject *)f, 0), nullptr);
  cursorMoveNext(c); /* nothing happens */
  RuntimeUnlockObject(f);
  RuntimeUnlockObject(&c->header);
}

TEST_F(DatabaseTest, MissingFilesAndFilesInUseAreRefused) {
  Object *missing = folderitem_at(tempPath("no-such-dbtest.db").c_str());
  EXPECT_EQ(openKARUDatabase(missing), nullptr);
  EXPECT_EQ(openKARUDatabase(nullptr), nullptr);
  RuntimeUnlockObject(missing);
  EXPECT_EQ(openKARUDatabase(item), nullptr); /* this test holds it open */
  EXPECT_EQ(newKARUDatabase(item), nullptr);  /* and it is not replaced under us */
  EXPECT_EQ(rows(db, "select count(*) from customer").substr(0, 6), "error ");
}

// A carried database lives beside the executable and opens on first use.
TEST_F(DatabaseTest, CarriedDatabaseStartsFromItsBytesOrEmpty) {
  shop();
  databaseClose(db);
  FILE *f = fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::string bytes;
  for (int ch; (ch = fgetc(f)) != EOF;) bytes += (char)ch;
  fclose(f);
  char exe[MAX_PATH];
  std::string folder(exe, GetModuleFileNameA(nullptr, exe, MAX_PATH));
  folder.erase(folder.rfind('\\') + 1);
  std::string name = "carried" + std::to_string(GetCurrentProcessId()) + ".db";
  DeleteFileA((folder + name).c_str());

  DatabaseObject *carried = (DatabaseObject *)database_project_item(
      name.c_str(), (int32_t)name.size(), (const uint8_t *)bytes.data(), (int32_t)bytes.size());
  EXPECT_EQ(carried->handle, nullptr);
  EXPECT_EQ(rows(carried, "select name from customer order by id"), "Ann|Bob's");
  RuntimeUnlockObject(&carried->header); /* closes it */
  DeleteFileA((folder + name).c_str());

  DatabaseObject *empty =
      (DatabaseObject *)database_project_item(name.c_str(), (int32_t)name.size(), nullptr, 0);
  EXPECT_EQ(run(empty, "create table x (a integer)"), "");
  EXPECT_EQ(rows(empty, "select * from x"), "");
  RuntimeUnlockObject(&empty->header);
  DeleteFileA((folder + name).c_str());

  DatabaseObject *escape = (DatabaseObject *)database_project_item("..\\up.db", 8, nullptr, 0);
  EXPECT_EQ(rows(escape, "select * from x").substr(0, 10), "error 1001");
  RuntimeUnlockObject(&escape->header);
}

} // namespace
