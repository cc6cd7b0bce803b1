// The counting wrapper: engine routines and cursor routines passed through
// to the wrapped engine, with the cursor's own table nil wherever the
// wrapped cursor's is.
#include "countengine.h"
#include <cstdlib>

namespace {

CountingEngine *counting(DbEngine *e) { return (CountingEngine *)e; }
DbEngine *inner(DbEngine *e) { return counting(e)->inner; }
const DbEngineOps *in(DbEngine *e) { return inner(e)->ops; }

struct Wrapped {
  DbCursor base;
  DbCursorOps ops;
  DbCursor *inner;
  CountingEngine *owner;
  bool spent; // the move budget ran out while this cursor moved
};

DbCursor *w(DbCursor *c) { return ((Wrapped *)c)->inner; }

void w_close(DbCursor *c) {
  ((Wrapped *)c)->owner->openCursors--;
  w(c)->ops->close(w(c));
  free(c);
}
int32_t w_field_count(DbCursor *c) { return w(c)->ops->fieldCount(w(c)); }
DbText w_field_name(DbCursor *c, int32_t f) { return w(c)->ops->fieldName(w(c), f); }
DbType w_field_type(DbCursor *c, int32_t f) { return w(c)->ops->fieldType(w(c), f); }
int32_t w_at_end(DbCursor *c) { return ((Wrapped *)c)->spent || w(c)->ops->atEnd(w(c)); }
int32_t w_at_start(DbCursor *c) { return w(c)->ops->atStart(w(c)); }
int32_t w_move_next(DbCursor *c) {
  CountingEngine *owner = ((Wrapped *)c)->owner;
  if (owner->moveBudget == 0)
    ((Wrapped *)c)->spent = true;
  else if (owner->moveBudget > 0)
    owner->moveBudget--;
  return !((Wrapped *)c)->spent && w(c)->ops->moveNext(w(c));
}
int32_t w_move_prev(DbCursor *c) { return w(c)->ops->movePrev(w(c)); }
int32_t w_move_first(DbCursor *c) { return w(c)->ops->moveFirst(w(c)); }
int32_t w_move_last(DbCursor *c) { return w(c)->ops->moveLast(w(c)); }
void w_value(DbCursor *c, int32_t f, DbValue *out) { w(c)->ops->value(w(c), f, out); }
int32_t w_edit(DbCursor *c) { return w(c)->ops->edit(w(c)); }
int32_t w_set_value(DbCursor *c, int32_t f, const DbValue *v) {
  return w(c)->ops->setValue(w(c), f, v);
}
int32_t w_update(DbCursor *c) {
  ((Wrapped *)c)->owner->calls++;
  return w(c)->ops->update(w(c));
}
int32_t w_delete_row(DbCursor *c) {
  ((Wrapped *)c)->owner->calls++;
  return w(c)->ops->deleteRow(w(c));
}
int64_t w_row_id(DbCursor *c) { return w(c)->ops->rowId(w(c)); }
int32_t w_seek_row(DbCursor *c, int64_t id) { return w(c)->ops->seekRow(w(c), id); }

template <class F> F pick(F wrapper, F innerRoutine) { return innerRoutine ? wrapper : nullptr; }

DbCursor *wrap(DbEngine *e, DbCursor *c) {
  if (!c) return nullptr;
  Wrapped *x = (Wrapped *)calloc(1, sizeof(Wrapped));
  const DbCursorOps *o = c->ops;
  x->ops = DbCursorOps{w_close,
                       w_field_count,
                       w_field_name,
                       w_field_type,
                       w_at_end,
                       pick(w_at_start, o->atStart),
                       w_move_next,
                       pick(w_move_prev, o->movePrev),
                       pick(w_move_first, o->moveFirst),
                       pick(w_move_last, o->moveLast),
                       w_value,
                       pick(w_edit, o->edit),
                       pick(w_set_value, o->setValue),
                       pick(w_update, o->update),
                       pick(w_delete_row, o->deleteRow),
                       pick(w_row_id, o->rowId),
                       pick(w_seek_row, o->seekRow)};
  x->base.ops = &x->ops;
  x->inner = c;
  x->owner = counting(e);
  counting(e)->openCursors++;
  return &x->base;
}

int32_t e_create_table(DbEngine *e, DbText t, const DbColumn *c, int32_t n, const uint8_t *k,
                       int32_t kn) {
  counting(e)->calls++;
  return in(e)->createTable(inner(e), t, c, n, k, kn);
}
int32_t e_insert(DbEngine *e, DbText t, const DbAssignment *v, int32_t n) {
  counting(e)->calls++;
  return in(e)->insert(inner(e), t, v, n);
}
DbCursor *e_open_cursor(DbEngine *e, DbText t, const DbText *c, int32_t n, const DbCondition *w) {
  counting(e)->calls++;
  counting(e)->lastWhere = where_text(w);
  return wrap(e, in(e)->openCursor(inner(e), t, c, n, w));
}
int32_t e_add_column(DbEngine *e, DbText t, const DbColumn *c) {
  counting(e)->calls++;
  return in(e)->addColumn(inner(e), t, c);
}
int32_t e_error_code(DbEngine *e) { return in(e)->errorCode(inner(e)); }
DbText e_error_message(DbEngine *e) { return in(e)->errorMessage(inner(e)); }
int32_t e_commit(DbEngine *e) {
  counting(e)->calls++;
  return in(e)->commit(inner(e));
}
int32_t e_rollback(DbEngine *e) {
  counting(e)->calls++;
  return in(e)->rollback(inner(e));
}
DbCursor *e_table_schema(DbEngine *e) {
  counting(e)->calls++;
  return wrap(e, in(e)->tableSchema(inner(e)));
}
DbCursor *e_field_schema(DbEngine *e, DbText t) {
  counting(e)->calls++;
  return wrap(e, in(e)->fieldSchema(inner(e), t));
}

std::string str(DbText t) { return std::string(t.bytes ? t.bytes : "", t.length); }

} // namespace

std::string where_text(const DbCondition *c) {
  static const char *const kOps[] = {
      "=", "<", ">", "<=", ">=", "<>", " LIKE ", " NOT LIKE ", " IS NULL", " IS NOT NULL"};
  if (!c) return "";
  if (c->op == kDbAnd || c->op == kDbOr)
    return std::string(c->op == kDbAnd ? "AND(" : "OR(") + where_text(c->left) + "," +
           where_text(c->rightChild) + ")";
  std::string column = (c->table.length ? str(c->table) + "." : "") + str(c->column);
  if (c->function) column = (c->function == kDbUpper ? "upper(" : "lower(") + column + ")";
  std::string right = str(c->right);
  if (c->rightIsColumn)
    right = "[" + (c->rightTable.length ? str(c->rightTable) + "." : "") + right + "]";
  if (c->op == kDbIsNull || c->op == kDbIsNotNull) right = "";
  return column + kOps[c->op] + right;
}

void counting_init(CountingEngine *c, DbEngine *innerEngine) {
  const DbEngineOps *o = innerEngine->ops;
  c->ops = DbEngineOps{pick(e_create_table, o->createTable),
                       pick(e_insert, o->insert),
                       pick(e_open_cursor, o->openCursor),
                       pick(e_add_column, o->addColumn),
                       e_error_code,
                       e_error_message,
                       pick(e_commit, o->commit),
                       pick(e_rollback, o->rollback),
                       pick(e_table_schema, o->tableSchema),
                       pick(e_field_schema, o->fieldSchema)};
  c->base.ops = &c->ops;
  c->inner = innerEngine;
  c->calls = 0;
  c->openCursors = 0;
  c->moveBudget = -1;
}
