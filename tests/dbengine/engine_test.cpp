// The embedded engine through its routine table: every column type and
// NULL, primary keys and keyed lookups, editing through cursors, blobs of
// every size, transactions, schemas, and the errors each misuse reports.
#include "enginetest.h"

#include <map>
#include <unistd.h>
#include <random>

namespace {

class Engine : public ::testing::Test {
protected:
  MemFs fs;
  DbEngine *db = nullptr;
  void SetUp() override {
    memfs_init(&fs);
    db = open("t.db", kDbOpenCreate);
    ASSERT_NE(db, nullptr);
  }
  void TearDown() override {
    if (db) {
      EXPECT_TRUE(embedded_check(db)) << error_of(db);
      embedded_close(db);
    }
  }
  DbEngine *open(const char *path, int32_t flags, DbOpenError *err = nullptr) {
    DbOpenError local;
    return embedded_open(&fs.fs, path, flags, err ? err : &local);
  }
  void reopen() {
    embedded_close(db);
    db = open("t.db", 0);
    ASSERT_NE(db, nullptr);
  }
};

TEST_F(Engine, EveryTypeAndNullRoundTripsThroughCommitAndReopen) {
  ASSERT_TRUE(create_table(db, "all",
                           {{"s", kDbSmallInt, 1},
                            {"i", kDbInteger, 1},
                            {"c", kDbText, 1},
                            {"f", kDbFloat, 1},
                            {"d", kDbDouble, 1},
                            {"dt", kDbDate, 1},
                            {"tm", kDbTime, 1},
                            {"ts", kDbTimestamp, 1},
                            {"b", kDbBoolean, 1},
                            {"lt", kDbLongText, 1},
                            {"lb", kDbBinary, 1}}));
  ASSERT_TRUE(insert_row(db, "all",
                         {{"s", "-32768"},
                          {"i", "2147483647"},
                          {"c", "it's"},
                          {"f", "1.5"},
                          {"d", "-2.25e10"},
                          {"dt", "2026-12-10"},
                          {"tm", "08:40:42"},
                          {"ts", "2026-12-10 08:40:42"},
                          {"b", "true"},
                          {"lt", "long"},
                          {"lb", "xyz"}}))
      << error_of(db);
  ASSERT_TRUE(insert_row(db, "all", {{"c", nullptr}})) << error_of(db);
  ASSERT_TRUE(insert_row(db, "all", {{"c", "NULL"}, {"i", "-1"}}))
      << error_of(db); // quoted: the text NULL
  const std::vector<std::string> expected = {
      "-32768|2147483647|it's|1.5|-2.25e+10|2026-12-10|08:40:42|2026-12-10 08:40:42|1|long|<3 "
      "bytes>",
      "NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL",
      "NULL|-1|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL"};
  EXPECT_EQ(select_rows(db, "all"), expected);
  ASSERT_TRUE(db->ops->commit(db)) << error_of(db);
  reopen();
  EXPECT_EQ(select_rows(db, "ALL"), expected);
}

TEST_F(Engine, ValuesNotOfTheColumnTypeAreRejected) {
  ASSERT_TRUE(create_table(
      db, "t",
      {{"s", kDbSmallInt, 1}, {"dt", kDbDate, 1}, {"b", kDbBoolean, 1}, {"n", kDbInteger, 0}}));
  struct Case {
    const char *column, *value;
    int32_t code;
  } cases[] = {{"s", "40000", kDbErrTypeMismatch},
               {"s", "abc", kDbErrTypeMismatch},
               {"dt", "2026-02-30", kDbErrTypeMismatch},
               {"b", "maybe", kDbErrTypeMismatch},
               {"n", nullptr, kDbErrNotNull},
               {"nope", "1", kDbErrNoColumn}};
  for (auto &c : cases) {
    bool own = std::string(c.column) == "n";
    std::vector<std::pair<const char *, const char *>> row = {{c.column, c.value}};
    if (!own) row.insert(row.begin(), {"n", "1"});
    EXPECT_FALSE(insert_row(db, "t", row)) << c.column;
    EXPECT_EQ(db->ops->errorCode(db), c.code) << c.column << " " << error_of(db);
  }
  EXPECT_FALSE(insert_row(db, "missing", {{"n", "1"}}));
  EXPECT_EQ(db->ops->errorCode(db), kDbErrNoTable);
  EXPECT_TRUE(insert_row(db, "t", {{"n", "1"}}));
  EXPECT_EQ(db->ops->errorCode(db), 0);
  EXPECT_EQ(select_rows(db, "t").size(), 1u);
}

TEST_F(Engine, SchemaErrorsAndSchemaCursors) {
  EXPECT_FALSE(create_table(db, "t", {}));
  EXPECT_EQ(db->ops->errorCode(db), kDbErrBadSchema);
  EXPECT_FALSE(create_table(db, "t", {{"a", kDbInteger, 1}, {"A", kDbText, 1}}));
  EXPECT_EQ(db->ops->errorCode(db), kDbErrColumnExists);
  EXPECT_FALSE(create_table(db, std::string(10000, 'x').c_str(), {{"a", kDbInteger, 1}}));
  EXPECT_EQ(db->ops->errorCode(db), kDbErrTooLarge);
  EXPECT_FALSE(create_table(db, "sys$mine", {{"a", kDbInteger, 1}}));
  ASSERT_TRUE(create_table(db, "people", {{"id", kDbInteger, 0}, {"name", kDbText, 1}}, {0}));
  EXPECT_FALSE(create_table(db, "PEOPLE", {{"a", kDbInteger, 1}}));
  EXPECT_EQ(db->ops->errorCode(db), kDbErrTableExists);
  DbColumn added{T("born"), kDbDate, 1};
  ASSERT_TRUE(insert_row(db, "people", {{"id", "1"}, {"name", "Ann"}}));
  ASSERT_TRUE(db->ops->addColumn(db, T("people"), &added)) << error_of(db);
  EXPECT_FALSE(db->ops->addColumn(db, T("people"), &added));
  EXPECT_EQ(db->ops->errorCode(db), kDbErrColumnExists);
  DbColumn strict{T("must"), kDbInteger, 0};
  EXPECT_FALSE(db->ops->addColumn(db, T("people"), &strict)); // existing rows would hold NULL
  EXPECT_EQ(db->ops->errorCode(db), kDbErrNotNull);
  ASSERT_TRUE(insert_row(db, "people", {{"id", "2"}, {"name", "Bo"}, {"born", "2001-01-31"}}));
  EXPECT_EQ(select_rows(db, "people"), (std::vector<std::string>{"1|Ann|NULL", "2|Bo|2001-01-31"}));
  EXPECT_EQ(rows_of(db->ops->tableSchema(db)), std::vector<std::string>{"people"});
  EXPECT_EQ(rows_of(db->ops->fieldSchema(db, T("people"))),
            (std::vector<std::string>{"id|3|1|1", "name|5|0|0", "born|8|0|0"}));
  EXPECT_EQ(select_rows(db, "sys$tables").size(), 1u);
  EXPECT_FALSE(insert_row(db, "sys$tables", {{"TableName", "x"}}));
  EXPECT_EQ(db->ops->errorCode(db), kDbErrReadOnly);
  ASSERT_TRUE(db->ops->commit(db));
  reopen();
  EXPECT_EQ(select_rows(db, "people"), (std::vector<std::string>{"1|Ann|NULL", "2|Bo|2001-01-31"}));
}

TEST_F(Engine, PrimaryKeysRejectDuplicatesAndAnswerEqualityByLookup) {
  ASSERT_TRUE(create_table(db, "k", {{"a", kDbText, 1}, {"b", kDbInteger, 1}, {"v", kDbInteger, 1}},
                           {0, 1}));
  for (int i = 0; i < 500; i++)
    ASSERT_TRUE(insert_row(db, "k",
                           {{"a", i % 2 ? "odd" : "even"},
                            {"b", std::to_string(i).c_str()},
                            {"v", std::to_string(i * 10).c_str()}}));
  EXPECT_FALSE(insert_row(db, "k", {{"a", "odd"}, {"b", "7"}}));
  EXPECT_EQ(db->ops->errorCode(db), kDbErrDuplicateKey);
  EXPECT_FALSE(insert_row(db, "k", {{"b", "7000"}}));
  EXPECT_EQ(db->ops->errorCode(db), kDbErrNotNull); // key columns are never NULL
  DbCondition a = leaf("a", kDbEqual, "odd"), b = leaf("b", kDbEqual, "7"),
              both = node(kDbAnd, &a, &b);
  EXPECT_EQ(select_rows(db, "k", &both), std::vector<std::string>{"odd|7|70"});
  DbCondition wrong = leaf("b", kDbEqual, "8"), miss = node(kDbAnd, &a, &wrong);
  EXPECT_TRUE(select_rows(db, "k", &miss).empty());
  DbCondition big = leaf("v", kDbGreaterOrEqual, "4970"), part = node(kDbAnd, &a, &big);
  EXPECT_EQ(select_rows(db, "k", &part),
            (std::vector<std::string>{"odd|497|4970", "odd|499|4990"}));
  std::string longKey(600, 'k');
  EXPECT_FALSE(insert_row(db, "k", {{"a", longKey.c_str()}, {"b", "1"}}));
  EXPECT_EQ(db->ops->errorCode(db), kDbErrTooLarge);
  DbCondition bad = leaf("nope", kDbEqual, "1");
  EXPECT_EQ(db->ops->openCursor(db, T("k"), nullptr, 0, &bad), nullptr);
  EXPECT_EQ(db->ops->errorCode(db), kDbErrNoColumn);
}

TEST_F(Engine, CursorsEditUpdateAndDeleteRows) {
  ASSERT_TRUE(create_table(
      db, "p", {{"id", kDbInteger, 0}, {"name", kDbText, 1}, {"n", kDbInteger, 1}}, {0}));
  for (int i = 1; i <= 300; i++)
    ASSERT_TRUE(insert_row(
        db, "p",
        {{"id", std::to_string(i).c_str()}, {"name", "x"}, {"n", std::to_string(i % 3).c_str()}}));
  DbText cols[] = {T("name"), T("id")};
  DbCondition zero = leaf("n", kDbEqual, "0");
  DbCursor *c = db->ops->openCursor(db, T("p"), cols, 2, &zero);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->ops->fieldCount(c), 2);
  EXPECT_EQ(std::string(c->ops->fieldName(c, 1).bytes, 2), "id");
  EXPECT_FALSE(c->ops->setValue(c, 0, nullptr)); // before edit
  EXPECT_EQ(db->ops->errorCode(db), kDbErrMisuse);
  int edited = 0;
  for (; !c->ops->atEnd(c); c->ops->moveNext(c), edited++) {
    DbValue id;
    c->ops->value(c, 1, &id);
    std::string name = "row" + std::to_string(id.integer);
    DbValue v{kDbText, 0, 0, T(name)};
    std::string newKey = std::to_string(id.integer + 1000);
    DbValue newId{kDbText, 0, 0, T(newKey)};
    ASSERT_TRUE(c->ops->edit(c));
    ASSERT_TRUE(c->ops->setValue(c, 0, &v));
    ASSERT_TRUE(c->ops->setValue(c, 1, &newId)) << error_of(db);
    ASSERT_TRUE(c->ops->update(c)) << error_of(db);
  }
  c->ops->close(c);
  EXPECT_EQ(edited, 100);
  DbCondition renamed = leaf("id", kDbEqual, "1003");
  EXPECT_EQ(select_rows(db, "p", &renamed), std::vector<std::string>{"1003|row3|0"});
  DbCondition old = leaf("id", kDbEqual, "3");
  EXPECT_TRUE(select_rows(db, "p", &old).empty());
  // A key change onto an existing key is refused.
  c = db->ops->openCursor(db, T("p"), nullptr, 0, &renamed);
  DbValue taken{kDbInteger, 1, 0, T("")};
  ASSERT_TRUE(c->ops->edit(c));
  ASSERT_TRUE(c->ops->setValue(c, 0, &taken));
  EXPECT_FALSE(c->ops->update(c));
  EXPECT_EQ(db->ops->errorCode(db), kDbErrDuplicateKey);
  c->ops->close(c);
  // Deleting stands on the next row; deleting all empties the table.
  DbCondition one = leaf("n", kDbEqual, "1");
  c = db->ops->openCursor(db, T("p"), nullptr, 0, &one);
  int deleted = 0;
  while (!c->ops->atEnd(c)) {
    ASSERT_TRUE(c->ops->deleteRow(c)) << error_of(db);
    deleted++;
  }
  c->ops->close(c);
  EXPECT_EQ(deleted, 100);
  EXPECT_EQ(select_rows(db, "p").size(), 200u);
  ASSERT_TRUE(embedded_check(db)) << error_of(db);
  c = db->ops->openCursor(db, T("p"), nullptr, 0, nullptr);
  while (!c->ops->atEnd(c)) ASSERT_TRUE(c->ops->deleteRow(c));
  c->ops->close(c);
  EXPECT_TRUE(select_rows(db, "p").empty());
  ASSERT_TRUE(insert_row(db, "p", {{"id", "3"}}));
  EXPECT_EQ(select_rows(db, "p"), std::vector<std::string>{"3|NULL|NULL"});
}

// What setValue accepts: any value as the text SQL would write, numbers
// into number columns, and dates, times and timestamps as one another.
TEST_F(Engine, SetValueConvertsToTheColumnType) {
  ASSERT_TRUE(create_table(db, "v",
                           {{"i", kDbInteger, 1},
                            {"s", kDbSmallInt, 1},
                            {"d", kDbDouble, 1},
                            {"c", kDbText, 1},
                            {"dt", kDbDate, 1},
                            {"tm", kDbTime, 1},
                            {"ts", kDbTimestamp, 1},
                            {"b", kDbBoolean, 1}}));
  ASSERT_TRUE(insert_row(db, "v", {{"i", "1"}}));
  struct Case {
    int32_t field;
    DbValue value;
    const char *stored; // nullptr: refused as a type mismatch
  } cases[] = {
      {0, {kDbText, 0, 0, T("42")}, "42"},
      {0, {kDbDouble, 0, 7.0, T("")}, "7"},
      {0, {kDbDouble, 0, 7.5, T("")}, nullptr},
      {0, {kDbInteger, int64_t(1) << 40, 0, T("")}, nullptr},
      {1, {kDbInteger, 40000, 0, T("")}, nullptr},
      {2, {kDbInteger, 3, 0, T("")}, "3"},
      {2, {kDbText, 0, 0, T("2.5e3")}, "2500"},
      {3, {kDbDouble, 0, 0.25, T("")}, "0.25"},
      {4, {kDbTimestamp, 0, 0, T("2026-12-10 08:40:42")}, "2026-12-10"},
      {5, {kDbTimestamp, 0, 0, T("2026-12-10 08:40:42")}, "08:40:42"},
      {6, {kDbDate, 0, 0, T("2026-12-10")}, "2026-12-10 00:00:00"},
      {4, {kDbText, 0, 0, T("yesterday")}, nullptr},
      {7, {kDbText, 0, 0, T("FALSE")}, "0"},
      {7, {kDbInteger, 5, 0, T("")}, "1"},
      {0, {kDbNull, 0, 0, T("")}, "NULL"},
  };
  for (auto &c : cases) {
    DbCursor *cur = db->ops->openCursor(db, T("v"), nullptr, 0, nullptr);
    ASSERT_TRUE(cur->ops->edit(cur));
    int32_t ok = cur->ops->setValue(cur, c.field, &c.value);
    EXPECT_EQ(ok != 0, c.stored != nullptr) << c.field << " " << value_text(c.value);
    if (!ok) {
      EXPECT_EQ(db->ops->errorCode(db), kDbErrTypeMismatch);
    } else {
      ASSERT_TRUE(cur->ops->update(cur));
      DbValue v;
      cur->ops->value(cur, c.field, &v);
      EXPECT_EQ(value_text(v), c.stored);
    }
    cur->ops->close(cur);
  }
}

TEST_F(Engine, CursorsMoveBothWaysAndSeekRows) {
  ASSERT_TRUE(create_table(db, "m", {{"n", kDbInteger, 1}}));
  for (int i = 0; i < 1000; i++)
    ASSERT_TRUE(insert_row(db, "m", {{"n", std::to_string(i).c_str()}}));
  DbCondition tens = leaf("n", kDbLess, "30");
  DbCursor *c = db->ops->openCursor(db, T("m"), nullptr, 0, &tens);
  DbValue v;
  EXPECT_TRUE(c->ops->moveLast(c));
  c->ops->value(c, 0, &v);
  EXPECT_EQ(v.integer, 29);
  int back = 1;
  while (c->ops->movePrev(c)) back++;
  EXPECT_EQ(back, 30);
  EXPECT_TRUE(c->ops->atStart(c));
  EXPECT_TRUE(c->ops->moveNext(c));
  c->ops->value(c, 0, &v);
  EXPECT_EQ(v.integer, 0);
  int64_t id = c->ops->rowId(c);
  EXPECT_TRUE(c->ops->moveLast(c));
  EXPECT_TRUE(c->ops->seekRow(c, id + 5));
  c->ops->value(c, 0, &v);
  EXPECT_EQ(v.integer, 5);
  EXPECT_FALSE(c->ops->seekRow(c, id + 500)); // a row, but not one this cursor shows
  EXPECT_TRUE(c->ops->moveNext(c));
  c->ops->value(c, 0, &v);
  EXPECT_EQ(v.integer, 6);
  c->ops->close(c);
}

TEST_F(Engine, BlobsOfEverySizeRoundTripAndFreeTheirPages) {
  ASSERT_TRUE(create_table(db, "b", {{"id", kDbInteger, 0}, {"data", kDbBinary, 1}}, {0}));
  std::mt19937 rng(7);
  std::vector<std::string> blobs;
  for (size_t size :
       {size_t(0), size_t(1), size_t(987), size_t(4096), size_t(5000), size_t(10) << 20}) {
    std::string bytes(size, '\0');
    for (auto &ch : bytes) ch = static_cast<char>(rng());
    blobs.push_back(bytes);
  }
  auto read_back = [&](size_t i) {
    std::string key = std::to_string(i);
    DbCondition w = leaf("id", kDbEqual, key.c_str());
    DbCursor *c = db->ops->openCursor(db, T("b"), nullptr, 0, &w);
    DbValue v{};
    if (c && !c->ops->atEnd(c)) c->ops->value(c, 1, &v);
    std::string got(v.text.bytes ? v.text.bytes : "", v.text.length);
    if (c) c->ops->close(c);
    return got;
  };
  for (size_t i = 0; i < blobs.size(); i++) {
    std::string id = std::to_string(i);
    DbAssignment a[] = {{T("id"), T(id), 0}, {T("data"), T(blobs[i]), 1}};
    ASSERT_TRUE(db->ops->insert(db, T("b"), a, 2)) << error_of(db);
  }
  ASSERT_TRUE(db->ops->commit(db));
  reopen();
  for (size_t i = 0; i < blobs.size(); i++) EXPECT_TRUE(read_back(i) == blobs[i]) << "blob " << i;
  ASSERT_TRUE(embedded_check(db)) << error_of(db);
  size_t before = memfs_bytes(&fs, "t.db").size();
  // Replacing the large blob with a small one and back reuses freed pages.
  for (int round = 0; round < 2; round++) {
    DbCondition w = leaf("id", kDbEqual, "5");
    DbCursor *c = db->ops->openCursor(db, T("b"), nullptr, 0, &w);
    DbValue small{kDbBinary, 0, 0, T(round ? blobs[5] : blobs[1])};
    ASSERT_TRUE(c->ops->edit(c) && c->ops->setValue(c, 1, &small) && c->ops->update(c))
        << error_of(db);
    c->ops->close(c);
    ASSERT_TRUE(db->ops->commit(db)) << error_of(db);
  }
  EXPECT_TRUE(read_back(5) == blobs[5]);
  EXPECT_LT(memfs_bytes(&fs, "t.db").size(), before + before / 10);
}

TEST_F(Engine, RollbackAndCloseDiscardUncommittedWork) {
  ASSERT_TRUE(create_table(db, "r", {{"n", kDbInteger, 1}}));
  ASSERT_TRUE(insert_row(db, "r", {{"n", "1"}}));
  ASSERT_TRUE(db->ops->commit(db));
  ASSERT_TRUE(insert_row(db, "r", {{"n", "2"}}));
  ASSERT_TRUE(create_table(db, "gone", {{"n", kDbInteger, 1}}));
  ASSERT_TRUE(db->ops->rollback(db));
  EXPECT_EQ(select_rows(db, "r"), std::vector<std::string>{"1"});
  EXPECT_TRUE(select_rows(db, "gone").empty());
  EXPECT_EQ(db->ops->errorCode(db), kDbErrNoTable);
  ASSERT_TRUE(insert_row(db, "r", {{"n", "3"}}));
  reopen();
  EXPECT_EQ(select_rows(db, "r"), std::vector<std::string>{"1"});
  ASSERT_TRUE(insert_row(db, "r", {{"n", "4"}}));
  EXPECT_EQ(select_rows(db, "r"), (std::vector<std::string>{"1", "4"}));
}

// Random inserts, updates and deletes against a model, checked as they go:
// splits, emptied pages leaving the tree and re-used from the free list.
TEST_F(Engine, RandomChangesMatchAModel) {
  ASSERT_TRUE(create_table(db, "r", {{"k", kDbText, 0}, {"v", kDbText, 1}}, {0}));
  std::map<std::string, std::string> model;
  std::mt19937 rng(11);
  for (int step = 0; step < 6000; step++) {
    std::string key = "key" + std::to_string(rng() % 2000);
    std::string value(rng() % 300, static_cast<char>('a' + step % 26));
    DbCondition w = leaf("k", kDbEqual, key.c_str());
    if (rng() % 3 == 0) {
      DbCursor *c = db->ops->openCursor(db, T("r"), nullptr, 0, &w);
      ASSERT_NE(c, nullptr);
      if (!c->ops->atEnd(c)) {
        ASSERT_TRUE(c->ops->deleteRow(c));
      }
      c->ops->close(c);
      model.erase(key);
    } else if (model.count(key)) {
      DbCursor *c = db->ops->openCursor(db, T("r"), nullptr, 0, &w);
      DbValue v{kDbText, 0, 0, T(value)};
      ASSERT_TRUE(c->ops->edit(c) && c->ops->setValue(c, 1, &v) && c->ops->update(c));
      c->ops->close(c);
      model[key] = value;
    } else {
      ASSERT_TRUE(insert_row(db, "r", {{"k", key.c_str()}, {"v", value.c_str()}}));
      model[key] = value;
    }
    if (step % 1500 == 0) {
      ASSERT_TRUE(embedded_check(db)) << error_of(db);
      ASSERT_TRUE(db->ops->commit(db));
    }
  }
  std::map<std::string, std::string> stored;
  for (auto &row : select_rows(db, "r"))
    stored[row.substr(0, row.find('|'))] = row.substr(row.find('|') + 1);
  EXPECT_TRUE(stored == model);
}

TEST_F(Engine, OpeningReportsEveryFailureClearly) {
  DbOpenError err;
  EXPECT_EQ(open("missing.db", 0, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrCannotOpen);
  EXPECT_EQ(open("t.db", 0, &err), nullptr); // the fixture holds it
  EXPECT_EQ(err.code, kDbErrInUse);
  EXPECT_EQ(open("t.db", kDbOpenReadOnly, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrInUse);
  memfs_bytes(&fs, "text.db").assign(8192, 'x');
  EXPECT_EQ(open("text.db", kDbOpenCreate, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrNotDatabase);
  memfs_bytes(&fs, "empty.db");
  EXPECT_EQ(open("empty.db", 0, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrNotDatabase);
  ASSERT_TRUE(create_table(db, "t", {{"n", kDbInteger, 1}}));
  ASSERT_TRUE(db->ops->commit(db));
  embedded_close(db);
  db = nullptr;
  std::vector<uint8_t> good = memfs_bytes(&fs, "t.db");
  std::vector<uint8_t> newer = good;
  newer[8] = 9; // the format version
  memfs_bytes(&fs, "newer.db") = newer;
  EXPECT_EQ(open("newer.db", 0, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrVersion) << err.message;
  memfs_bytes(&fs, "short.db").assign(good.begin(), good.end() - 4096);
  EXPECT_EQ(open("short.db", 0, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrDamaged) << err.message;
  // Read-only openers share the file and may not change it.
  DbEngine *r1 = open("t.db", kDbOpenReadOnly), *r2 = open("t.db", kDbOpenReadOnly);
  ASSERT_TRUE(r1 && r2);
  EXPECT_EQ(open("t.db", 0, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrInUse);
  EXPECT_FALSE(insert_row(r1, "t", {{"n", "1"}}));
  EXPECT_EQ(r1->ops->errorCode(r1), kDbErrReadOnly);
  embedded_close(r1);
  embedded_close(r2);
  db = open("t.db", 0);
  ASSERT_NE(db, nullptr);
}

// Short rows whose record fits inside a std::string object: seeking to one,
// and failing to seek away from it, must leave its texts readable.
TEST_F(Engine, SeekingKeepsShortTextsReadable) {
  ASSERT_TRUE(create_table(db, "s", {{"name", kDbText, 1}, {"n", kDbInteger, 1}}));
  ASSERT_TRUE(insert_row(db, "s", {{"name", "Ann"}, {"n", "1"}}));
  ASSERT_TRUE(insert_row(db, "s", {{"name", "Bob"}, {"n", "2"}}));
  DbCondition one = leaf("n", kDbEqual, "1");
  DbCursor *c = db->ops->openCursor(db, T("s"), nullptr, 0, nullptr);
  DbCursor *only = db->ops->openCursor(db, T("s"), nullptr, 0, &one);
  int64_t ann = c->ops->rowId(c);
  ASSERT_TRUE(c->ops->moveNext(c));
  int64_t bob = c->ops->rowId(c);
  ASSERT_TRUE(c->ops->seekRow(c, ann));
  DbValue v;
  c->ops->value(c, 0, &v);
  EXPECT_EQ(value_text(v), "Ann");
  EXPECT_FALSE(only->ops->seekRow(only, bob)); // Bob is not one of its rows
  only->ops->value(only, 0, &v);
  EXPECT_EQ(value_text(v), "Ann");
  DbValue renamed{kDbText, 0, 0, T("Cy")};
  ASSERT_TRUE(c->ops->edit(c) && c->ops->setValue(c, 1, &renamed) == 0); // n is an integer
  ASSERT_TRUE(c->ops->setValue(c, 0, &renamed) && c->ops->update(c));
  c->ops->close(c);
  only->ops->close(only);
  EXPECT_EQ(select_rows(db, "s"), (std::vector<std::string>{"Cy|1", "Bob|2"}));
}

TEST_F(Engine, MalformedOrTooDeepConditionsAreRefused) {
  ASSERT_TRUE(create_table(db, "w", {{"n", kDbInteger, 1}}));
  std::vector<DbCondition> leaves(1002, leaf("n", kDbEqual, "1")), ands(1001);
  for (size_t i = 0; i < ands.size(); i++)
    ands[i] = node(kDbOr, &leaves[i], i + 1 < ands.size() ? &ands[i + 1] : &leaves[i + 1]);
  EXPECT_EQ(db->ops->openCursor(db, T("w"), nullptr, 0, &ands[0]), nullptr);
  EXPECT_EQ(db->ops->errorCode(db), kDbErrTooLarge);
  DbCondition lopsided = node(kDbAnd, &leaves[0], nullptr);
  EXPECT_EQ(db->ops->openCursor(db, T("w"), nullptr, 0, &lopsided), nullptr);
  EXPECT_EQ(db->ops->errorCode(db), kDbErrMisuse);
  DbCursor *c = db->ops->openCursor(db, T("w"), nullptr, 0, &ands[3]);
  EXPECT_NE(c, nullptr) << "998 deep is fine";
  if (c) c->ops->close(c);
}

// The native file table: a second opener of a real file is refused while
// the first holds it, and a commit leaves no journal behind.
TEST(EnginePosix, ASecondOpenerIsRefusedAndCommitsLeaveNoJournal) {
  char dir[] = "/tmp/dbposixXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string path = std::string(dir) + "/p.db";
  DbOpenError err;
  DbEngine *e = embedded_open(dbfile_posix(), path.c_str(), kDbOpenCreate, &err);
  ASSERT_NE(e, nullptr) << err.message;
  ASSERT_TRUE(create_table(e, "t", {{"n", kDbInteger, 1}}));
  ASSERT_TRUE(insert_row(e, "t", {{"n", "5"}}));
  ASSERT_TRUE(e->ops->commit(e));
  EXPECT_NE(access((path + "-journal").c_str(), F_OK), 0);
  EXPECT_EQ(embedded_open(dbfile_posix(), path.c_str(), 0, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrInUse);
  EXPECT_EQ(embedded_open(dbfile_posix(), path.c_str(), kDbOpenReadOnly, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrInUse);
  embedded_close(e);
  e = embedded_open(dbfile_posix(), path.c_str(), kDbOpenReadOnly, &err);
  ASSERT_NE(e, nullptr) << err.message;
  EXPECT_EQ(select_rows(e, "t"), std::vector<std::string>{"5"});
  embedded_close(e);
  unlink(path.c_str());
  rmdir(dir);
}

} // namespace
