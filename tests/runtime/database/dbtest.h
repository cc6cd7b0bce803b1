// What the database tests share: strings made for a test and released after
// it, statements run with their outcome as text, and a SELECT's rows as
// "a,b|c,d" (NULL as "~").
#pragma once
#include "database/dbinternal.h"
#include "recorder.h"
#include "startup/init.h"
#include <string>
#include <vector>

// Every test leaves as many live objects as it found: a reference a cursor,
// field, record or query forgets to release shows up here.
class DbTest : public RuntimeTest {
protected:
  std::vector<RString *> made;
  int32_t liveBefore = 0;
  static void SetUpTestSuite() { runtime_classes_init(); }
  void SetUp() override {
    RuntimeTest::SetUp();
    liveBefore = RuntimeDebugObjectCount(nullptr);
  }
  void TearDown() override {
    for (RString *m : made) RuntimeUnlockString(m);
    made.clear();
    EXPECT_EQ(RuntimeDebugObjectCount(nullptr), liveBefore) << "objects left alive";
    RuntimeTest::TearDown();
  }
  // A string that lives until the end of the test.
  RString *s(const std::string &text) {
    made.push_back(str_make(text.data(), (int32_t)text.size()));
    return made.back();
  }
  // The text of a new reference, which is released.
  static std::string take(RString *r) {
    std::string t(str_cview(r), str_len(r));
    RuntimeUnlockString(r);
    return t;
  }
  // "" when the statement succeeded, else "code message".
  std::string outcome(DatabaseObject *db) {
    if (!databaseErrorGetter(db)) return "";
    return std::to_string(databaseErrorCodeGetter(db)) + " " + take(databaseErrorStringGetter(db));
  }
  std::string run(DatabaseObject *db, const char *sql) {
    databaseSQLExecute(db, s(sql));
    return outcome(db);
  }
  // Every row of the cursor from its current one; the cursor is released.
  static std::string drain(DatabaseCursorObject *c) {
    std::string out;
    for (; c && !cursorEOFGetter(c); cursorMoveNext(c)) {
      if (!out.empty()) out += "|";
      for (int32_t f = 0; f < cursorFieldCount(c); f++) {
        RString *v = dbcursor_field_string(c, f);
        DbValue raw{};
        c->cursor->ops->value(c->cursor, f, &raw);
        out += (f ? "," : "") + (raw.type == kDbNull ? std::string("~") : take(v));
        if (raw.type == kDbNull) RuntimeUnlockString(v);
      }
    }
    if (c) RuntimeUnlockObject(&c->header);
    return out;
  }
  std::string rows(DatabaseObject *db, const char *sql) {
    DatabaseCursorObject *c = (DatabaseCursorObject *)databaseSQLSelect(db, s(sql));
    if (!c) return "error " + outcome(db);
    return drain(c);
  }
};
