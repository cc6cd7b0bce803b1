// Helpers for the engine's tests.
#include "enginetest.h"

#include <cstdio>

int32_t create_table(DbEngine *e, const char *table, std::vector<ColumnSpec> columns,
                     std::vector<uint8_t> key) {
  std::vector<DbColumn> cols;
  for (auto &c : columns) cols.push_back(DbColumn{T(c.name), c.type, c.nullable});
  return e->ops->createTable(e, T(table), cols.data(), static_cast<int32_t>(cols.size()),
                             key.data(), static_cast<int32_t>(key.size()));
}

int32_t insert_row(DbEngine *e, const char *table,
                   std::vector<std::pair<const char *, const char *>> values) {
  std::vector<DbAssignment> a;
  for (auto &v : values)
    a.push_back(DbAssignment{T(v.first), v.second ? T(v.second) : T("NULL"), v.second != nullptr});
  return e->ops->insert(e, T(table), a.data(), static_cast<int32_t>(a.size()));
}

DbCondition leaf(const char *column, DbOperator op, const char *right) {
  return DbCondition{op, kDbNoFunction, T(column), T(""), T(right), 0, T(""), nullptr, nullptr};
}

DbCondition node(DbOperator op, DbCondition *left, DbCondition *right) {
  return DbCondition{op, kDbNoFunction, T(""), T(""), T(""), 0, T(""), left, right};
}

std::string value_text(const DbValue &v) {
  char buffer[64];
  switch (v.type) {
  case kDbNull:
    return "NULL";
  case kDbSmallInt:
  case kDbInteger:
  case kDbBoolean:
    snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(v.integer));
    return buffer;
  case kDbFloat:
  case kDbDouble:
    snprintf(buffer, sizeof buffer, "%g", v.real);
    return buffer;
  case kDbBinary:
    snprintf(buffer, sizeof buffer, "<%u bytes>", v.text.length);
    return buffer;
  default:
    return std::string(v.text.bytes ? v.text.bytes : "", v.text.length);
  }
}

std::vector<std::string> rows_of(DbCursor *c) {
  std::vector<std::string> rows;
  if (!c) return rows;
  for (; !c->ops->atEnd(c); c->ops->moveNext(c)) {
    std::string row;
    for (int32_t f = 0; f < c->ops->fieldCount(c); f++) {
      DbValue v;
      c->ops->value(c, f, &v);
      row += (f ? "|" : "") + value_text(v);
    }
    rows.push_back(row);
  }
  c->ops->close(c);
  return rows;
}

std::vector<std::string> select_rows(DbEngine *e, const char *table, const DbCondition *where) {
  return rows_of(e->ops->openCursor(e, T(table), nullptr, 0, where));
}

std::string error_of(DbEngine *e) {
  DbText m = e->ops->errorMessage(e);
  return std::to_string(e->ops->errorCode(e)) + ": " +
         std::string(m.bytes ? m.bytes : "", m.length);
}
