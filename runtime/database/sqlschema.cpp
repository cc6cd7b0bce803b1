// SELECT's validation against the tables' schemas: every table exists, every
// column is found in exactly one listed table, `*` expands, ORDER BY indexes
// are in range, and the WHERE terms that concern one table are handed to
// that table's cursor.
#include "database/sqlquery.h"
#include "dbengine/dbvalue.h"
#include <vector>

namespace {

struct Schema {
  std::vector<DbText> names; // in the query's arena
  std::vector<DbType> types;
};

int32_t field_named(DbCursor *c, const char *name) {
  int32_t n = c->ops->fieldCount(c);
  for (int32_t i = 0; i < n; i++)
    if (dbtext_equal_cstr_nocase(c->ops->fieldName(c, i), name)) return i;
  return -1;
}

// The engine's field schema: one row per column with ColumnName and FieldType.
bool schema_rows(SqlParse *p, SqlQuery *q, DbCursor *c, Schema *s) {
  int32_t nameField = field_named(c, "ColumnName"), typeField = field_named(c, "FieldType");
  if (nameField < 0 || typeField < 0)
    return sql_fail(p, kSqlErrorInternal, "Internal validation error");
  for (; !c->ops->atEnd(c); c->ops->moveNext(c)) {
    DbValue name, type;
    c->ops->value(c, nameField, &name);
    c->ops->value(c, typeField, &type);
    s->names.push_back(sql_copy(&q->arena, name.text));
    s->types.push_back((DbType)type.integer);
  }
  return true;
}

// Without a field schema, a cursor over the table tells its columns.
void cursor_fields(SqlQuery *q, DbCursor *c, Schema *s) {
  int32_t n = c->ops->fieldCount(c);
  for (int32_t i = 0; i < n; i++) {
    s->names.push_back(sql_copy(&q->arena, c->ops->fieldName(c, i)));
    s->types.push_back(c->ops->fieldType(c, i));
  }
}

bool load_schema(SqlParse *p, SqlQuery *q, DbText table, Schema *s) {
  DbEngine *e = q->engine;
  bool viaSchema = e->ops->fieldSchema != nullptr;
  DbCursor *c =
      viaSchema ? e->ops->fieldSchema(e, table) : e->ops->openCursor(e, table, nullptr, 0, nullptr);
  if (!c) return sql_fail_name(p, kSqlErrorUnknownTable, "Invalid table ", table);
  bool ok = true;
  if (viaSchema)
    ok = schema_rows(p, q, c, s);
  else
    cursor_fields(q, c, s);
  c->ops->close(c);
  if (ok && s->names.empty())
    return sql_fail_name(p, kSqlErrorUnknownTable, "Invalid table ", table);
  return ok;
}

struct Resolver {
  SqlParse *p;
  SqlQuery *q;
  std::vector<Schema> schemas;
};

int32_t column_in(const Schema &s, DbText column) {
  for (size_t i = 0; i < s.names.size(); i++)
    if (dbtext_equal_nocase(s.names[i], column)) return (int32_t)i;
  return -1;
}

enum { kNotFound = -1, kAmbiguous = -2 };

// The table and column index a reference names, or kNotFound / kAmbiguous.
int32_t find(Resolver *r, DbText table, DbText column, int32_t *field) {
  int32_t found = kNotFound;
  for (int32_t t = 0; t < r->q->tableCount; t++) {
    if (table.length && !dbtext_equal_nocase(table, r->q->tables[t])) continue;
    int32_t f = column_in(r->schemas[t], column);
    if (f < 0) continue;
    if (found >= 0) return kAmbiguous;
    found = t;
    *field = f;
  }
  return found;
}

bool resolve(Resolver *r, DbText table, DbText column, int32_t *source, int32_t *field) {
  *source = find(r, table, column, field);
  if (*source == kAmbiguous)
    return sql_fail_name(r->p, kSqlErrorAmbiguous, "Ambiguous column reference: ", column);
  if (*source >= 0) return true;
  if (!table.length) return sql_fail_name(r->p, kSqlErrorUnknownColumn, "Unknown column: ", column);
  sql_error_set(r->p->err, kSqlErrorUnknownColumn, dbtext_cstr("Unknown column: "), table,
                dbtext_cstr("."), column);
  return false;
}

DbType result_type(const SqlItem &it) {
  switch (it.aggregate) {
  case kSqlCount:
    return kDbInteger;
  case kSqlAvg:
    return kDbDouble;
  case kSqlSum:
    return it.fieldType == kDbFloat || it.fieldType == kDbDouble ? kDbDouble : kDbInteger;
  default:
    return it.fieldType;
  }
}

DbText result_name(SqlQuery *q, const SqlItem &it, DbText column) {
  static const char *const kNames[] = {"", "count(", "avg(", "sum(", "min(", "max("};
  if (it.aggregate == kSqlPlain) return column;
  if (it.aggregate == kSqlCount) return dbtext_cstr("count(*)");
  DbText open = sql_concat(&q->arena, dbtext_cstr(kNames[it.aggregate]), column);
  return sql_concat(&q->arena, open, dbtext_cstr(")"));
}

bool resolve_item(Resolver *r, SqlItem *it) {
  if (it->aggregate == kSqlCount) {
    it->name = result_name(r->q, *it, DbText{"", 0});
    it->type = kDbInteger;
    return true;
  }
  int32_t field;
  if (!resolve(r, it->table, it->column, &it->source, &field)) return false;
  it->fieldType = r->schemas[it->source].types[field];
  bool numeric = dbtype_class(it->fieldType) == kDbClassNumber;
  if ((it->aggregate == kSqlSum || it->aggregate == kSqlAvg) && !numeric)
    return sql_fail_name(r->p, kSqlErrorInvalid, "Cannot total the column ", it->column);
  it->column = r->schemas[it->source].names[field];
  it->name = result_name(r->q, *it, it->column);
  it->type = result_type(*it);
  return true;
}

// Replaces each `*` and `table.*` by the columns it stands for; hidden
// items and the keys that point at them shift along.
bool expand_stars(Resolver *r) {
  SqlQuery *q = r->q;
  std::vector<SqlItem> items;
  int32_t visible = -1;
  for (int32_t i = 0; i < q->itemCount; i++) {
    const SqlItem &it = q->items[i];
    if (i == q->visibleCount) visible = (int32_t)items.size();
    if (!it.star) {
      items.push_back(it);
      continue;
    }
    bool any = false;
    for (int32_t t = 0; t < q->tableCount; t++) {
      if (it.table.length && !dbtext_equal_nocase(it.table, q->tables[t])) continue;
      any = true;
      for (DbText name : r->schemas[t].names)
        items.push_back(SqlItem{kSqlPlain, 0, q->tables[t], name, {}, kDbNull, -1, kDbNull});
    }
    if (!any) return sql_fail_name(r->p, kSqlErrorUnknownTable, "Invalid table ", it.table);
  }
  if (visible < 0) visible = (int32_t)items.size();
  int32_t shift = visible - q->visibleCount; // name keys and the group point at hidden items
  for (int32_t k = 0; k < q->keyCount; k++)
    if (q->keys[k].column >= 0) q->keys[k].column += shift;
  if (q->groupItem >= 0) q->groupItem += shift;
  q->visibleCount = visible;
  q->items = sql_new_array<SqlItem>(&q->arena, items.size());
  q->itemCount = q->itemRoom = (int32_t)items.size();
  for (size_t i = 0; i < items.size(); i++) q->items[i] = items[i];
  return true;
}

bool check_index_keys(SqlParse *p, SqlQuery *q) {
  for (int32_t k = 0; k < q->keyCount; k++) {
    int32_t c = q->keys[k].column;
    if (c >= 0) continue;
    int64_t n = c == INT32_MIN ? INT64_MAX : -(int64_t)c - 1;
    if (n < 1 || n > q->visibleCount)
      return sql_fail(p, kSqlErrorInvalid,
                      k == 0 ? "Invalid ORDER BY column" : "Invalid column index");
    q->keys[k].column = (int32_t)(n - 1);
  }
  return true;
}

// Resolves a condition's columns, and gives the one table a sub-tree
// concerns (-1 when it concerns several). A right-hand name without a table
// that names no column is literal text.
bool leaf_tables(Resolver *r, DbCondition *c, int32_t *table);

// Inner nodes: the left sub-tree by recursion, the right spine by the loop.
bool condition_tables(Resolver *r, DbCondition *c, int32_t *table) {
  bool first = true;
  for (;; c = c->rightChild) {
    int32_t t;
    bool inner = c->op == kDbAnd || c->op == kDbOr;
    if (!(inner ? condition_tables(r, c->left, &t) : leaf_tables(r, c, &t))) return false;
    *table = first || t == *table ? t : -1;
    first = false;
    if (!inner) return true;
  }
}

bool leaf_tables(Resolver *r, DbCondition *c, int32_t *table) {
  int32_t field, other;
  if (!resolve(r, c->table, c->column, table, &field)) return false;
  if (!c->rightIsColumn) return true;
  other = find(r, c->rightTable, c->right, &field);
  if (other == kNotFound && !c->rightTable.length) return c->rightIsColumn = 0, true;
  if (!resolve(r, c->rightTable, c->right, &other, &field)) return false;
  if (other != *table) *table = -1;
  return true;
}

DbCondition *and_node(SqlQuery *q, DbCondition *left, DbCondition *right) {
  if (!right) return left;
  DbCondition *n = sql_new<DbCondition>(&q->arena);
  n->op = kDbAnd;
  n->left = left;
  n->rightChild = right;
  return n;
}

// Hands each top-level AND term that concerns one table to that table.
bool split_where(Resolver *r) {
  SqlQuery *q = r->q;
  q->tableWhere = sql_new_array<DbCondition *>(&q->arena, q->tableCount);
  if (!q->where) return true;
  std::vector<DbCondition *> terms;
  DbCondition *c = q->where;
  for (; c->op == kDbAnd; c = c->rightChild) terms.push_back(c->left);
  terms.push_back(c);
  std::vector<int32_t> tables(terms.size());
  for (size_t i = 0; i < terms.size(); i++)
    if (!condition_tables(r, terms[i], &tables[i])) return false;
  for (size_t i = terms.size(); i-- > 0;) { // from the end, keeping the terms' order
    DbCondition **into = tables[i] >= 0 ? &q->tableWhere[tables[i]] : &q->joinWhere;
    *into = and_node(q, terms[i], *into);
  }
  return true;
}

} // namespace

bool sql_query_validate(SqlParse *p, SqlQuery *q) {
  Resolver r = {p, q, std::vector<Schema>(q->tableCount)};
  for (int32_t t = 0; t < q->tableCount; t++)
    if (!load_schema(p, q, q->tables[t], &r.schemas[t])) return false;
  if (!expand_stars(&r) || !check_index_keys(p, q)) return false;
  for (int32_t i = 0; i < q->itemCount; i++)
    if (!resolve_item(&r, &q->items[i])) return false;
  return split_where(&r);
}
