// SELECT's joining cursor: one engine cursor per table, stepped like an
// odometer (the last table fastest), each row tested against the terms that
// span tables. Over a single table it passes moves and edits through.
#include "database/sqlrow.h"
#include "dbengine/condition.h"
#include "dbengine/dbvalue.h"
#include <cstdlib>

namespace {

struct JoinCursor {
  SqlCursorHead head;
  DbCursor **tables; // one engine cursor per FROM table
  int32_t *field;    // per item: its field in its table's cursor (-1 for count(*))
  bool end;
  bool keepTable; // the first table's cursor was handed on (sql_join_source)
};

JoinCursor *join(DbCursor *c) { return (JoinCursor *)c; }
DbCursor *only(DbCursor *c) { return join(c)->tables[0]; }

int32_t find_field(DbCursor *c, DbText name) {
  int32_t n = c->ops->fieldCount(c);
  for (int32_t i = 0; i < n; i++)
    if (dbtext_equal_nocase(c->ops->fieldName(c, i), name)) return i;
  return -1;
}

DbCursor *open_table(JoinCursor *j, int32_t t) {
  SqlQuery *q = j->head.q;
  return q->engine->ops->openCursor(q->engine, q->tables[t], nullptr, 0, q->tableWhere[t]);
}

// Puts table t's cursor back on its first row.
bool rewind_table(JoinCursor *j, int32_t t) {
  DbCursor *c = j->tables[t];
  if (c->ops->moveFirst) return c->ops->moveFirst(c), true;
  c->ops->close(c);
  j->tables[t] = open_table(j, t);
  return j->tables[t] != nullptr;
}

// The joined row's columns for the cross-table terms.
int32_t lookup(void *context, DbText table, DbText column, DbValue *out) {
  JoinCursor *j = (JoinCursor *)context;
  SqlQuery *q = j->head.q;
  for (int32_t t = 0; t < q->tableCount; t++) {
    if (table.length && !dbtext_equal_nocase(table, q->tables[t])) continue;
    int32_t f = find_field(j->tables[t], column);
    if (f >= 0) return j->tables[t]->ops->value(j->tables[t], f, out), 1;
  }
  return 0;
}

bool row_matches(JoinCursor *j) {
  return dbcondition_eval(j->head.q->joinWhere, lookup, j, nullptr) == kDbConditionTrue;
}

// The next combination of rows, whether or not it matches.
void step(JoinCursor *j) {
  int32_t last = j->head.q->tableCount - 1, t = last;
  for (;;) {
    DbCursor *c = j->tables[t];
    c->ops->moveNext(c);
    if (!c->ops->atEnd(c)) break;
    if (t == 0) return (void)(j->end = true);
    t--;
  }
  for (int32_t u = t + 1; u <= last; u++)
    if (!rewind_table(j, u)) return (void)(j->end = true);
}

void skip_to_match(JoinCursor *j) {
  while (!j->end && !row_matches(j)) step(j);
}

void start(JoinCursor *j) {
  j->end = false;
  for (int32_t t = 0; t < j->head.q->tableCount; t++)
    if (j->tables[t]->ops->atEnd(j->tables[t])) j->end = true;
  skip_to_match(j);
}

void join_close(DbCursor *c) {
  JoinCursor *j = join(c);
  for (int32_t t = j->keepTable ? 1 : 0; t < j->head.q->tableCount; t++)
    if (j->tables[t]) j->tables[t]->ops->close(j->tables[t]);
  free(j->tables);
  free(j->field);
  sql_head_close(&j->head);
}

int32_t join_field_count(DbCursor *c) { return join(c)->head.q->visibleCount; }
DbText join_field_name(DbCursor *c, int32_t f) { return join(c)->head.q->items[f].name; }
DbType join_field_type(DbCursor *c, int32_t f) { return join(c)->head.q->items[f].type; }
int32_t join_at_end(DbCursor *c) { return join(c)->end; }
int32_t join_at_start(DbCursor *) { return 0; }

int32_t join_move_next(DbCursor *c) {
  JoinCursor *j = join(c);
  if (j->end) return 0;
  step(j);
  skip_to_match(j);
  return !j->end;
}

int32_t join_move_first(DbCursor *c) {
  JoinCursor *j = join(c);
  for (int32_t t = 0; t < j->head.q->tableCount; t++)
    if (!rewind_table(j, t)) return j->end = true, 0;
  start(j);
  return !j->end;
}

void join_value(DbCursor *c, int32_t f, DbValue *out) {
  JoinCursor *j = join(c);
  const SqlItem &it = j->head.q->items[f];
  if (it.source < 0) {
    *out = DbValue{kDbInteger, 1, 0.0, {nullptr, 0}}; // count(*) counts rows
    return;
  }
  DbCursor *t = j->tables[it.source];
  t->ops->value(t, j->field[f], out);
}

// A single table passes its moves and edits through.
int32_t one_move_prev(DbCursor *c) { return join(c)->end = false, only(c)->ops->movePrev(only(c)); }
int32_t one_move_last(DbCursor *c) { return join(c)->end = false, only(c)->ops->moveLast(only(c)); }
int32_t one_at_start(DbCursor *c) { return only(c)->ops->atStart(only(c)); }
int32_t one_at_end(DbCursor *c) { return only(c)->ops->atEnd(only(c)); }
int32_t one_move_next(DbCursor *c) {
  int32_t on = only(c)->ops->moveNext(only(c));
  return join(c)->end = !on, on;
}
int32_t one_move_first(DbCursor *c) {
  int32_t on = only(c)->ops->moveFirst(only(c));
  return join(c)->end = !on, on;
}
int32_t one_edit(DbCursor *c) { return only(c)->ops->edit(only(c)); }
int32_t one_set_value(DbCursor *c, int32_t f, const DbValue *v) {
  return only(c)->ops->setValue(only(c), join(c)->field[f], v);
}
int32_t one_update(DbCursor *c) { return only(c)->ops->update(only(c)); }
int32_t one_delete_row(DbCursor *c) { return only(c)->ops->deleteRow(only(c)); }
int64_t one_row_id(DbCursor *c) { return only(c)->ops->rowId(only(c)); }
int32_t one_seek_row(DbCursor *c, int64_t id) { return only(c)->ops->seekRow(only(c), id); }

void fill_ops(JoinCursor *j) {
  DbCursorOps *ops = &j->head.ops;
  *ops = DbCursorOps{join_close,    join_field_count, join_field_name, join_field_type, join_at_end,
                     join_at_start, join_move_next,   nullptr,         join_move_first, nullptr,
                     join_value,    nullptr,          nullptr,         nullptr,         nullptr,
                     nullptr,       nullptr};
  SqlQuery *q = j->head.q;
  if (q->tableCount != 1 || !j->tables[0] || q->joinWhere || q->aggregates || q->keyCount) return;
  const DbCursorOps *in = j->tables[0]->ops;
  ops->atEnd = one_at_end;
  ops->atStart = in->atStart ? one_at_start : join_at_start;
  ops->moveNext = one_move_next;
  ops->moveFirst = in->moveFirst ? one_move_first : nullptr;
  ops->movePrev = in->movePrev ? one_move_prev : nullptr;
  ops->moveLast = in->moveLast ? one_move_last : nullptr;
  ops->edit = in->edit ? one_edit : nullptr;
  ops->setValue = in->setValue ? one_set_value : nullptr;
  ops->update = in->update ? one_update : nullptr;
  ops->deleteRow = in->deleteRow ? one_delete_row : nullptr;
  ops->rowId = in->rowId ? one_row_id : nullptr;
  ops->seekRow = in->seekRow ? one_seek_row : nullptr;
}

bool map_fields(SqlParse *p, JoinCursor *j) {
  SqlQuery *q = j->head.q;
  for (int32_t i = 0; i < q->itemCount; i++) {
    const SqlItem &it = q->items[i];
    j->field[i] = it.source < 0 ? -1 : find_field(j->tables[it.source], it.column);
    if (it.source >= 0 && j->field[i] < 0)
      return sql_fail(p, kSqlErrorInternal, "Internal validation error");
  }
  return true;
}

} // namespace

void sql_head_close(SqlCursorHead *h) {
  if (h->ownsQuery) sql_query_free(h->q);
  free(h);
}

void sql_cursor_set_final(DbCursor *c) { ((SqlCursorHead *)c)->ownsQuery = true; }

DbCursor *sql_join_open(SqlParse *p, SqlQuery *q) {
  JoinCursor *j = (JoinCursor *)calloc(1, sizeof(JoinCursor));
  j->head.base.ops = &j->head.ops;
  j->head.q = q;
  j->tables = (DbCursor **)calloc(q->tableCount, sizeof(DbCursor *));
  j->field = (int32_t *)calloc(q->itemCount ? q->itemCount : 1, sizeof(int32_t));
  fill_ops(j); // close works from here on
  for (int32_t t = 0; t < q->tableCount; t++)
    if (!(j->tables[t] = open_table(j, t))) {
      sql_engine_failed(p);
      join_close(&j->head.base);
      return nullptr;
    }
  if (!map_fields(p, j)) {
    join_close(&j->head.base);
    return nullptr;
  }
  fill_ops(j);
  start(j);
  return &j->head.base;
}

bool sql_join_source(DbCursor *c, SqlRowSource *out) {
  JoinCursor *j = join(c);
  SqlQuery *q = j->head.q;
  const DbCursorOps *o = j->tables[0]->ops;
  if (q->tableCount != 1 || q->joinWhere || q->aggregates || q->groupItem >= 0) return false;
  if (!o->rowId || !o->seekRow || !o->edit || !o->setValue || !o->update) return false;
  out->table = j->tables[0];
  out->fields.assign(j->field, j->field + q->itemCount);
  j->keepTable = true;
  return true;
}
