// Database objects over engines given as slot tables: the error state and
// its getters, delegation to an engine that runs SQL itself, commit and
// rollback through the slots, and the second engine of the kpdb plug-in,
// which the SQL layer drives through its record-level slots.
#include "dbtest.h"
#include "karuplugin.h"
#include "startup/entrytable.h"
#include <string>
#include <vector>

namespace {

// A fake engine: every slot records its call; errorCode and errorMessage
// say what the test sets.
struct Fake {
  std::vector<std::string> calls;
  int32_t code = 0;
  const char *message = "";
} gFake;

void fakeExecute(void *, RString *s) {
  gFake.calls.push_back("execute " + std::string(str_cview(s)));
}
Object *fakeSelect(void *, RString *s) {
  gFake.calls.push_back("select " + std::string(str_cview(s)));
  return nullptr;
}
void fakeCommit(void *) { gFake.calls.push_back("commit"); }
void fakeRollback(void *) { gFake.calls.push_back("rollback"); }
int32_t fakeCode(void *) { return gFake.code; }
RString *fakeMessage(void *) { return str_from(gFake.message); }

DbSlots sqlSlots() {
  DbSlots s{};
  s.selectSQL = fakeSelect;
  s.executeSQL = fakeExecute;
  s.errorCode = fakeCode;
  s.errorMessage = fakeMessage;
  return s;
}

class DbSlotsTest : public DbTest {
protected:
  DbSlots slots = sqlSlots();
  DatabaseObject *db = nullptr;
  void SetUp() override {
    DbTest::SetUp();
    gFake = Fake{};
    db = database_new();
    db->handle = this;
    db->slots = &slots;
  }
  void TearDown() override {
    db->handle = nullptr; /* nothing to close */
    RuntimeUnlockObject(&db->header);
    DbTest::TearDown();
  }
};

TEST_F(DbSlotsTest, StoredErrorWinsOverTheEnginesAndNilMessageIsEmpty) {
  gFake.code = 7;
  gFake.message = "engine says";
  EXPECT_TRUE(databaseErrorGetter(db));
  EXPECT_EQ(databaseErrorCodeGetter(db), 7);
  EXPECT_EQ(take(databaseErrorStringGetter(db)), "engine says");

  RString *m = str_from("mine");
  KARUDatabaseSetError(db, 42, m);
  RuntimeUnlockString(m); /* the database keeps its own reference */
  EXPECT_EQ(databaseErrorCodeGetter(db), 42);
  EXPECT_EQ(take(databaseErrorStringGetter(db)), "mine");

  KARUDatabaseSetError(db, 43, nullptr);
  EXPECT_EQ(take(databaseErrorStringGetter(db)), "");

  KARUDatabaseSetError(db, 0, nullptr);
  gFake.code = 0;
  EXPECT_FALSE(databaseErrorGetter(db));
  EXPECT_EQ(databaseErrorCodeGetter(db), 0);
}

TEST_F(DbSlotsTest, StatementsGoToAnEngineThatRunsSqlAndClearTheStoredError) {
  database_fail(db, 99, "old");
  EXPECT_EQ(run(db, "create table t (a integer)"), "");
  EXPECT_EQ(databaseSQLSelect(db, s("select * from t")), nullptr);
  EXPECT_EQ(gFake.calls, (std::vector<std::string>{"execute create table t (a integer)",
                                                   "select select * from t"}));
  EXPECT_FALSE(databaseErrorGetter(db));
}

TEST_F(DbSlotsTest, CommitAndRollbackUseTheirSlotsElseTheStatementSlotElseFail) {
  databaseCommit(db); /* no commit slot: the word through execute */
  databaseRollback(db);
  slots.commit = fakeCommit;
  slots.rollback = fakeRollback;
  databaseCommit(db);
  databaseRollback(db);
  EXPECT_EQ(gFake.calls,
            (std::vector<std::string>{"execute commit", "execute rollback", "commit", "rollback"}));
  slots = DbSlots{}; /* neither: an error, not a silent success */
  databaseCommit(db);
  EXPECT_EQ(databaseErrorCodeGetter(db), kDbErrNoOperation);
}

TEST_F(DbSlotsTest, AClosedOrNeverOpenedDatabaseReportsAnError) {
  DatabaseObject *none = database_new();
  EXPECT_EQ(databaseSQLSelect(none, s("select * from t")), nullptr);
  EXPECT_EQ(databaseErrorCodeGetter(none), kDbErrNotOpen);
  databaseSQLExecute(none, s("commit"));
  EXPECT_TRUE(databaseErrorGetter(none));
  RuntimeUnlockObject(&none->header);
}

// The kpdb plug-in, loaded once and given the runtime's entries.
typedef KARUObject (*MakeDatabase)();
HMODULE plugin() {
  static HMODULE library = [] {
    HMODULE h = LoadLibraryA(KPDB_DLL);
    if (h) ((KARUPluginMainProc)(void *)GetProcAddress(h, "KARUPluginMain"))(entry_routine);
    return h;
  }();
  return library;
}
DatabaseObject *pluginDatabase(const char *maker) {
  MakeDatabase make = (MakeDatabase)(void *)GetProcAddress(plugin(), maker);
  return make ? (DatabaseObject *)make() : nullptr;
}

class SecondEngineTest : public DbTest {};

TEST_F(SecondEngineTest, SqlRunsOverThePluginsRecordSlots) {
  DatabaseObject *db = pluginDatabase("KpMemoryDatabase");
  ASSERT_NE(db, nullptr);
  EXPECT_EQ(run(db, "create table pet (name varchar(20), legs integer)"), "");
  EXPECT_EQ(run(db, "insert into pet (name, legs) values ('cat', 4)"), "");
  EXPECT_EQ(run(db, "insert into pet (name, legs) values ('hen', 2)"), "");
  EXPECT_EQ(run(db, "insert into pet (name, legs) values ('it''s', 0)"), "");
  databaseCommit(db);
  EXPECT_EQ(rows(db, "select name from pet where legs > 1 order by name"), "cat|hen");
  EXPECT_EQ(rows(db, "select count(*), sum(legs) from pet"), "3,6");

  EXPECT_EQ(run(db, "update pet set legs = 3 where name = 'hen'"), "");
  EXPECT_EQ(run(db, "delete from pet where name = 'cat'"), "");
  EXPECT_EQ(rows(db, "select name, legs from pet order by name"), "hen,3|it's,0");
  databaseRollback(db);
  EXPECT_EQ(rows(db, "select name, legs from pet order by 1"), "cat,4|hen,2|it's,0");

  EXPECT_EQ(run(db, "insert into pet (nose) values ('x')"), "503 no such column");
  databaseClose(db);
  EXPECT_EQ(databaseSQLSelect(db, s("select * from pet")), nullptr);
  RuntimeUnlockObject(&db->header);
}

TEST_F(SecondEngineTest, CursorsOfThePluginMoveAndChangeRows) {
  DatabaseObject *db = pluginDatabase("KpMemoryDatabase");
  ASSERT_NE(db, nullptr);
  run(db, "create table n (v integer, t varchar(9))");
  for (const char *v : {"1", "2", "3"})
    run(db, (std::string("insert into n (v, t) values (") + v + ", 'x" + v + "')").c_str());
  DatabaseCursorObject *c = (DatabaseCursorObject *)databaseSQLSelect(db, s("select v, t from n"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(cursorFieldCount(c), 2);
  Object *t = cursorGetFieldByName(c, s("T"));
  EXPECT_EQ(take(cursorFieldStringValueGetter((DatabaseCursorFieldObject *)t, 0)), "x1");
  cursorMoveNext(c);
  cursorEdit(c);
  cursorFieldStringValueSetter((DatabaseCursorFieldObject *)t, 0, s("changed"));
  cursorUpdate(c);
  cursorClose(c);
  EXPECT_TRUE(cursorEOFGetter(c)); /* a closed cursor reads as finished, never as freed memory */
  RuntimeUnlockObject(t);
  RuntimeUnlockObject(&c->header);
  EXPECT_EQ(rows(db, "select t from n order by v"), "x1|changed|x3");
  RuntimeUnlockObject(&db->header);
}

TEST_F(SecondEngineTest, AMissingSlotIsReportedNotCalled) {
  DatabaseObject *db = pluginDatabase("KpNoTablesDatabase");
  ASSERT_NE(db, nullptr);
  std::string outcome = run(db, "create table t (a integer)");
  EXPECT_EQ(outcome.substr(0, 5), "1102 ") << outcome;
  EXPECT_EQ(run(db, "alter table t add b integer").substr(0, 5), "1102 ");
  RuntimeUnlockObject(&db->header);
}

} // namespace
