// Helpers for the engine's tests: opening databases on the in-memory file
// system, creating tables and inserting from short literals, and reading a
// cursor's rows back as text.
#pragma once
#include "dbengine/embedded.h"
#include "memfs.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

inline DbText T(const std::string &s) { return DbText{s.data(), static_cast<uint32_t>(s.size())}; }
inline DbText T(const char *s) { return DbText{s, static_cast<uint32_t>(strlen(s))}; }

// Column specs such as {"id", kDbInteger, 0}; nullable 0 means NOT NULL.
struct ColumnSpec {
  const char *name;
  DbType type;
  uint8_t nullable;
};
int32_t create_table(DbEngine *e, const char *table, std::vector<ColumnSpec> columns,
                     std::vector<uint8_t> key = {});

// Inserts {"col", "value"} pairs; a value of nullptr is an unquoted NULL.
int32_t insert_row(DbEngine *e, const char *table,
                   std::vector<std::pair<const char *, const char *>> values);

// A leaf condition `column op right`, and AND/OR nodes over two others.
DbCondition leaf(const char *column, DbOperator op, const char *right);
DbCondition node(DbOperator op, DbCondition *left, DbCondition *right);

// Every row of the cursor, fields joined by '|', NULL as "NULL", blobs as
// "<n bytes>"; closes the cursor. An empty vector when the cursor is nil.
std::vector<std::string> rows_of(DbCursor *c);
std::vector<std::string> select_rows(DbEngine *e, const char *table,
                                     const DbCondition *where = nullptr);
std::string value_text(const DbValue &v);

// The engine's error as "code: message".
std::string error_of(DbEngine *e);
