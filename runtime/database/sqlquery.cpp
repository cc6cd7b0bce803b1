// SELECT's grammar: the items, the tables, WHERE, ORDER BY and GROUP BY,
// into a SqlQuery whose texts live in the query's own arena.
#include "database/sqlquery.h"
#include "dbengine/dbvalue.h"
#include <cstring>

namespace {

template <class T> T *grow(SqlQuery *q, T *items, int32_t count, int32_t *room) {
  if (count < *room) return items;
  int32_t more = *room ? *room * 2 : 8;
  T *grown = sql_new_array<T>(&q->arena, more);
  if (count) memcpy(grown, items, count * sizeof(T));
  *room = more;
  return grown;
}

SqlItem *add_item(SqlQuery *q) {
  q->items = grow(q, q->items, q->itemCount, &q->itemRoom);
  SqlItem *it = &q->items[q->itemCount++];
  it->source = -1;
  return it;
}

DbText keep(SqlQuery *q, DbText t) { return sql_copy(&q->arena, t); }

bool is_name(const SqlToken *t) {
  return (t->kind == kSqlWord || t->kind == kSqlBracketed) && sql_is_identifier(t->text);
}

// count(*), avg(col), sum(col), min(col), max(col), with the name taken.
bool function_item(SqlParse *p, SqlQuery *q, DbText name, SqlItem *it) {
  static const struct {
    const char *word;
    SqlAggregate aggregate;
  } kFunctions[] = {
      {"count", kSqlCount}, {"avg", kSqlAvg}, {"sum", kSqlSum}, {"min", kSqlMin}, {"max", kSqlMax}};
  SqlToken fn = {kSqlWord, name};
  for (const auto &f : kFunctions)
    if (sql_is_keyword(&fn, f.word)) it->aggregate = f.aggregate;
  if (it->aggregate == kSqlPlain)
    return sql_fail(p, kSqlErrorInvalid, "Unsupported SELECT function");
  sql_take(p); // the '('
  SqlToken arg = sql_take(p);
  bool star = arg.kind == kSqlWord && arg.text.length == 1 && arg.text.bytes[0] == '*';
  if (it->aggregate == kSqlCount && !star)
    return sql_fail(p, kSqlErrorInvalid, "Only COUNT(*) supported");
  if (it->aggregate != kSqlCount) {
    if (!is_name(&arg)) return sql_fail(p, kSqlErrorInvalid, "Invalid column name");
    it->column = keep(q, arg.text);
  }
  q->aggregates = true;
  return sql_expect_punct(p, ")", "Expected ')'");
}

// *, column, table.column, table.* or a function.
bool select_item(SqlParse *p, SqlQuery *q) {
  SqlItem *it = add_item(q);
  SqlToken t = sql_take(p);
  if (t.kind == kSqlWord && t.text.length == 1 && t.text.bytes[0] == '*') return it->star = 1, true;
  SqlToken next = sql_peek(p);
  if (t.kind == kSqlWord && sql_is_punct(&next, "(")) return function_item(p, q, t.text, it);
  if (!is_name(&t)) return sql_fail(p, kSqlErrorInvalid, "Invalid column/table name");
  it->column = keep(q, t.text);
  if (!sql_is_punct(&next, ".")) return true;
  sql_take(p);
  it->table = it->column;
  SqlToken c = sql_take(p);
  if (c.kind == kSqlWord && c.text.length == 1 && c.text.bytes[0] == '*') {
    it->column = DbText{"", 0};
    return it->star = 1, true;
  }
  if (!is_name(&c)) return sql_fail(p, kSqlErrorInvalid, "Invalid column name");
  it->column = keep(q, c.text);
  return true;
}

bool ends_tables(const SqlToken *t) {
  return t->kind == kSqlEnd || sql_is_keyword(t, "where") || sql_is_keyword(t, "order") ||
         sql_is_keyword(t, "group");
}

bool table_list(SqlParse *p, SqlQuery *q) {
  for (;;) {
    DbText name;
    if (!sql_take_name(p, &name, kSqlErrorInvalid, "Invalid table name")) return false;
    q->tables = grow(q, q->tables, q->tableCount, &q->tableRoom);
    q->tables[q->tableCount++] = keep(q, name);
    SqlToken t = sql_peek(p);
    if (ends_tables(&t)) return true;
    if (!sql_is_punct(&t, ",")) return sql_fail(p, kSqlErrorSyntax, "Expecting ','");
    sql_take(p);
  }
}

// A column (name, or table . name, starting with t) that a key needs,
// appended as a hidden item.
bool hidden_item(SqlParse *p, SqlQuery *q, SqlToken t, const char *bad) {
  if (!is_name(&t)) return sql_fail(p, kSqlErrorInvalid, bad);
  SqlItem *it = add_item(q);
  it->column = keep(q, t.text);
  SqlToken dot = sql_peek(p);
  if (!sql_is_punct(&dot, ".")) return true;
  sql_take(p);
  it->table = it->column;
  SqlToken c = sql_take(p);
  if (!is_name(&c)) return sql_fail(p, kSqlErrorInvalid, bad);
  it->column = keep(q, c.text);
  return true;
}

// A name key becomes a hidden item; an index key n is checked once the
// visible items are known (column holds -n - 1 until then).
bool order_key(SqlParse *p, SqlQuery *q, bool first) {
  const char *bad = first ? "Invalid ORDER BY column" : "Invalid column index";
  SqlToken t = sql_take(p);
  q->keys = grow(q, q->keys, q->keyCount, &q->keyRoom);
  SqlSortKey *k = &q->keys[q->keyCount++];
  if (t.kind == kSqlNumber && sql_is_number(t.text)) {
    int64_t n = 0;
    for (uint32_t i = 0; i < t.text.length && n <= INT32_MAX; i++)
      n = n * 10 + (t.text.bytes[i] - '0');
    k->column = n >= INT32_MAX ? INT32_MIN : (int32_t)(-n - 1); // checked in validation
  } else {
    if (!hidden_item(p, q, t, bad)) return false;
    k->column = q->itemCount - 1;
  }
  SqlToken dir = sql_peek(p);
  if (sql_is_keyword(&dir, "asc") || sql_is_keyword(&dir, "desc")) {
    sql_take(p);
    k->descending = sql_is_keyword(&dir, "desc");
  }
  return true;
}

bool order_by(SqlParse *p, SqlQuery *q) {
  if (!sql_expect_keyword(p, "by", "Expecting 'BY'")) return false;
  for (bool first = true;; first = false) {
    if (!order_key(p, q, first)) return false;
    SqlToken t = sql_peek(p);
    if (sql_is_keyword(&t, "group"))
      return sql_fail(p, kSqlErrorInvalid, "ORDER BY can't be used in conjunction with GROUP BY");
    if (!sql_is_punct(&t, ",")) return true;
    sql_take(p);
  }
}

bool group_by(SqlParse *p, SqlQuery *q) {
  if (!sql_expect_keyword(p, "by", "Expecting 'BY'")) return false;
  if (!hidden_item(p, q, sql_take(p), "Invalid GROUP BY column")) return false;
  SqlToken next = sql_peek(p);
  if (sql_is_punct(&next, ","))
    return sql_fail(p, kSqlErrorInvalid, "Only single GROUP BY columns currently supported");
  q->groupItem = q->itemCount - 1;
  q->keys = grow(q, q->keys, q->keyCount, &q->keyRoom);
  q->keys[q->keyCount++] = SqlSortKey{q->groupItem, 0};
  return true;
}

// Copies every text of a condition into the query's arena, since the
// statement's own text is the caller's.
void keep_condition(SqlQuery *q, DbCondition *c) {
  for (; c; c = c->rightChild) {
    c->column = keep(q, c->column);
    c->table = keep(q, c->table);
    c->right = keep(q, c->right);
    c->rightTable = keep(q, c->rightTable);
    if (c->op == kDbAnd || c->op == kDbOr)
      keep_condition(q, c->left);
    else
      break;
  }
}

} // namespace

bool sql_query_parse(SqlParse *p, SqlQuery *q) {
  q->groupItem = -1;
  q->engine = p->engine;
  SqlToken t = sql_take(p);
  if (!sql_is_keyword(&t, "select")) return sql_fail(p, kSqlErrorSyntax, "Expected 'SELECT'");
  for (;;) {
    if (!select_item(p, q)) return false;
    t = sql_take(p);
    if (sql_is_keyword(&t, "from")) break;
    if (!sql_is_punct(&t, ",")) return sql_fail(p, kSqlErrorSyntax, "Expecting 'FROM'");
  }
  if (!table_list(p, q)) return false;
  q->visibleCount = q->itemCount;
  t = sql_take(p);
  if (sql_is_keyword(&t, "where")) {
    if (!(q->where = sql_parse_condition(p))) return false;
    keep_condition(q, q->where);
    t = sql_take(p);
  }
  if (sql_is_keyword(&t, "order") && !order_by(p, q)) return false;
  if (sql_is_keyword(&t, "group") && !group_by(p, q)) return false;
  if (sql_is_keyword(&t, "order") || sql_is_keyword(&t, "group")) return sql_expect_end(p);
  if (t.kind == kSqlEnd) return true;
  return sql_fail_name(p, kSqlErrorSyntax, "Unexpected text after the statement: ", t.text);
}
