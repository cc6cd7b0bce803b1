// The SQL layer's tests run statements against an engine and read results
// back as text; this holds the engine, the error record and the helpers.
#pragma once
#include "database/sql.h"
#include "dbengine/dbvalue.h"
#include "countengine.h"
#include "memengine.h"
#ifdef SQL_TEST_EMBEDDED
#include "dbengine/embedded.h"
#include "memfs.h"
#endif
#include <gtest/gtest.h>
#include <string>
#include <vector>

typedef std::vector<std::vector<std::string>> Rows;

inline DbText sqltext(const std::string &s) { return DbText{s.data(), (uint32_t)s.size()}; }

// A value as the tests write it: NULL, decimal numbers, texts as they are.
inline std::string value_text(const DbValue &v) {
  if (v.type == kDbNull) return "NULL";
  char buf[kDbValueTextMax];
  if (dbtype_class(v.type) == kDbClassText) return std::string(v.text.bytes, v.text.length);
  return std::string(buf, dbvalue_format(&v, buf, sizeof buf));
}

// Every remaining row of a cursor, which is then closed.
inline Rows read_rows(DbCursor *c) {
  Rows rows;
  if (!c) return rows;
  int32_t n = c->ops->fieldCount(c);
  for (; !c->ops->atEnd(c); c->ops->moveNext(c)) {
    rows.emplace_back();
    for (int32_t i = 0; i < n; i++) {
      DbValue v;
      c->ops->value(c, i, &v);
      rows.back().push_back(value_text(v));
    }
  }
  c->ops->close(c);
  return rows;
}

// The engine under test: the in-memory one, or (built with
// SQL_TEST_EMBEDDED) the embedded engine on an in-memory file system; either
// behind the counting wrapper.
struct SqlDb {
  MemEngine memEngine;
#ifdef SQL_TEST_EMBEDDED
  MemFs fs;
#endif
  DbEngine *tested;
  CountingEngine count;
  DbEngine *engine; // what statements run against
  SqlError err;

  SqlDb() {
    mem_init(&memEngine);
    tested = &memEngine.base;
#ifdef SQL_TEST_EMBEDDED
    memfs_init(&fs);
    DbOpenError openError;
    tested = embedded_open(&fs.fs, "sql.db", kDbOpenCreate, &openError);
    EXPECT_TRUE(tested) << openError.message;
#endif
    counting_init(&count, tested);
    engine = &count.base;
    sql_error_init(&err);
  }
  ~SqlDb() {
    sql_error_clear(&err);
    EXPECT_EQ(count.openCursors, 0);
#ifdef SQL_TEST_EMBEDDED
    EXPECT_TRUE(embedded_check(tested));
    embedded_close(tested);
#endif
  }
  MemEngine *mem() { return tested == &memEngine.base ? &memEngine : nullptr; }

  int32_t exec(const std::string &s) {
    sql_execute(engine, sqltext(s), &err);
    return err.code;
  }
  // Runs statements that must succeed.
  void run(std::initializer_list<const char *> statements) {
    for (const char *s : statements) EXPECT_EQ(exec(s), 0) << s << ": " << message();
  }
  Rows select(const std::string &s) {
    DbCursor *c = sql_select(engine, sqltext(s), &err);
    EXPECT_EQ(c == nullptr, err.code != 0) << s;
    return read_rows(c);
  }
  std::string message() const { return err.message ? std::string(err.message, err.length) : ""; }
};
