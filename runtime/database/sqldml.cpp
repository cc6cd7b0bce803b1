// INSERT, UPDATE and DELETE: parsed whole before the engine is called, then
// run through the engine's insert and a cursor over the matching rows.
#include "database/sqlparse.h"
#include "dbengine/dbvalue.h"
#include <vector>

namespace {

// "( item {, item} )" where each item is read by take; sep-or-close errors
// give "Expecting ')'".
template <class Take> bool paren_list(SqlParse *p, Take take) {
  if (!sql_expect_punct(p, "(", "Expecting '('")) return false;
  for (;;) {
    if (!take()) return false;
    SqlToken t = sql_take(p);
    if (sql_is_punct(&t, ")")) return true;
    if (!sql_is_punct(&t, ",")) return sql_fail(p, kSqlErrorSyntax, "Expecting ')'");
  }
}

// [WHERE condition] and the end of the statement; where stays nil without one.
bool optional_where(SqlParse *p, DbCondition **where) {
  *where = nullptr;
  SqlToken t = sql_peek(p);
  if (sql_is_keyword(&t, "where")) {
    sql_take(p);
    if (!(*where = sql_parse_condition(p))) return false;
  }
  return sql_expect_end(p);
}

DbCursor *open_table(SqlParse *p, DbText table, const DbCondition *where) {
  DbEngine *e = p->engine;
  if (!sql_need(p, e->ops->openCursor, "cursors")) return nullptr;
  DbCursor *c = e->ops->openCursor(e, table, nullptr, 0, where);
  if (c) return c;
  sql_engine_failed(p);
  return nullptr;
}

int32_t find_field(DbCursor *c, DbText name) {
  int32_t n = c->ops->fieldCount(c);
  for (int32_t i = 0; i < n; i++)
    if (dbtext_equal_nocase(c->ops->fieldName(c, i), name)) return i;
  return -1;
}

struct SetPlan {
  std::vector<int32_t> fields;
  std::vector<DbValue> values;
};

// Maps each SET column to a cursor field and reads its value as the field's
// type, before any row is touched.
bool plan_set(SqlParse *p, DbCursor *c, DbText table, const std::vector<DbAssignment> &sets,
              SetPlan *plan) {
  for (const DbAssignment &a : sets) {
    int32_t f = find_field(c, a.column);
    if (f < 0) {
      sql_error_set(p->err, kSqlErrorMismatch, dbtext_cstr("The column "), a.column,
                    dbtext_cstr(" does not exist in table "), table);
      return false;
    }
    DbValue v;
    if (!dbvalue_from_assignment(c->ops->fieldType(c, f), &a, &v)) {
      sql_error_set(p->err, kSqlErrorInvalid, dbtext_cstr("Invalid value for column "), a.column,
                    dbtext_cstr(": "), a.value);
      return false;
    }
    plan->fields.push_back(f);
    plan->values.push_back(v);
  }
  return true;
}

bool change_row(SqlParse *p, DbCursor *c, const SetPlan &plan) {
  if (!c->ops->edit(c)) return sql_engine_failed(p), false;
  for (size_t i = 0; i < plan.fields.size(); i++)
    if (!c->ops->setValue(c, plan.fields[i], &plan.values[i])) return sql_engine_failed(p), false;
  if (!c->ops->update(c)) return sql_engine_failed(p), false;
  return true;
}

// The matching rows are collected first and then changed one by one, so a
// change that moves a row within the cursor's order cannot make the walk
// visit it twice. A cursor without row identities is walked as it stands.
void update_rows(SqlParse *p, DbCursor *c, const SetPlan &plan) {
  const DbCursorOps *ops = c->ops;
  if (!ops->rowId || !ops->seekRow) {
    for (; !ops->atEnd(c); ops->moveNext(c))
      if (!change_row(p, c, plan)) return;
    return;
  }
  std::vector<int64_t> ids;
  for (; !ops->atEnd(c); ops->moveNext(c)) ids.push_back(ops->rowId(c));
  for (int64_t id : ids)
    if (ops->seekRow(c, id) && !change_row(p, c, plan)) return;
}

} // namespace

void sql_insert(SqlParse *p) {
  DbText table;
  std::vector<DbAssignment> pairs;
  size_t values = 0;
  if (!sql_expect_keyword(p, "into", "Expecting 'INTO'")) return;
  if (!sql_take_name(p, &table, kSqlErrorInvalid, "Invalid table name")) return;
  auto column = [&] {
    DbAssignment a = {};
    pairs.push_back(a);
    return sql_take_name(p, &pairs.back().column, kSqlErrorInvalid, "Invalid column name");
  };
  if (!paren_list(p, column)) return;
  if (!sql_expect_keyword(p, "values", "Expecting 'VALUES'")) return;
  auto value = [&] {
    DbAssignment spare, *a = values < pairs.size() ? &pairs[values] : &spare;
    values++;
    return sql_parse_value(p, &a->value, &a->quoted);
  };
  if (!paren_list(p, value)) return;
  if (values != pairs.size()) {
    sql_fail(p, kSqlErrorMismatch, "Mismatched INSERT columns");
    return;
  }
  if (!sql_expect_end(p)) return;
  DbEngine *e = p->engine;
  if (!sql_need(p, e->ops->insert, "INSERT")) return;
  if (!e->ops->insert(e, table, pairs.data(), (int32_t)pairs.size())) sql_engine_failed(p);
}

void sql_update(SqlParse *p) {
  DbText table;
  std::vector<DbAssignment> sets;
  DbCondition *where;
  if (!sql_take_name(p, &table, kSqlErrorInvalid, "Invalid table name")) return;
  if (!sql_expect_keyword(p, "set", "Expecting 'SET'")) return;
  for (;;) {
    DbAssignment a = {};
    if (!sql_take_name(p, &a.column, kSqlErrorInvalid, "Invalid column name")) return;
    if (!sql_expect_punct(p, "=", "Expecting '='")) return;
    if (!sql_parse_value(p, &a.value, &a.quoted)) return;
    sets.push_back(a);
    SqlToken t = sql_peek(p);
    if (!sql_is_punct(&t, ",")) break;
    sql_take(p);
  }
  if (!optional_where(p, &where)) return;
  DbCursor *c = open_table(p, table, where);
  if (!c) return;
  SetPlan plan;
  bool editable = c->ops->edit && c->ops->setValue && c->ops->update;
  if (sql_need(p, editable, "UPDATE") && plan_set(p, c, table, sets, &plan))
    update_rows(p, c, plan);
  c->ops->close(c);
}

void sql_delete(SqlParse *p) {
  DbText table;
  DbCondition *where;
  if (!sql_expect_keyword(p, "from", "Expecting 'FROM'")) return;
  if (!sql_take_name(p, &table, kSqlErrorInvalid, "Invalid table name")) return;
  if (!optional_where(p, &where)) return;
  DbCursor *c = open_table(p, table, where);
  if (!c) return;
  if (sql_need(p, c->ops->deleteRow, "DELETE")) {
    while (!c->ops->atEnd(c))
      if (!c->ops->deleteRow(c)) {
        sql_engine_failed(p);
        break;
      }
  }
  c->ops->close(c);
}
