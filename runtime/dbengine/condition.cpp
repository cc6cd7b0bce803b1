// WHERE conditions: one row at a time, leaves compared through the value
// order of dbvalue, AND and OR short-circuited along the tree's right spine.
#include "dbengine/condition.h"
#include "dbengine/dbvalue.h"
#include <string>

namespace {

struct Eval {
  DbColumnLookup lookup;
  void *context;
  DbConditionError *err;
};

bool find_column(Eval *ev, DbText table, DbText column, DbValue *out) {
  if (ev->lookup(ev->context, table, column, out)) return true;
  if (ev->err) *ev->err = DbConditionError{table, column};
  return false;
}

// The column's value as text for LIKE and the text functions; numbers are
// written in decimal into room.
DbText value_text(const DbValue *v, std::string *room) {
  if (dbtype_class(v->type) == kDbClassText) return v->text;
  char buf[kDbValueTextMax];
  uint32_t n = dbvalue_format(v, buf, sizeof buf);
  room->assign(buf, n);
  return DbText{room->data(), n};
}

// Applies upper()/lower() to a text value, keeping the folded bytes in room.
void apply_function(DbTextFunction f, DbValue *v, std::string *room) {
  if (f == kDbNoFunction || v->type == kDbNull) return;
  DbText t = value_text(v, room);
  std::string folded(t.length, '\0');
  if (f == kDbUpper)
    dbtext_upper(t, folded.data());
  else
    dbtext_lower(t, folded.data());
  *room = std::move(folded);
  v->type = kDbText;
  v->text = DbText{room->data(), (uint32_t)room->size()};
}

// The right-hand side: another column of the row, or literal text read as
// the left value's type.
bool right_value(Eval *ev, const DbCondition *c, const DbValue *left, DbValue *out) {
  if (c->rightIsColumn) {
    if (ev->lookup(ev->context, c->rightTable, c->right, out)) return true;
    if (c->rightTable.length > 0) return find_column(ev, c->rightTable, c->right, out);
  }
  bool number = dbtype_class(left->type) == kDbClassNumber;
  if (dbvalue_parse(number ? left->type : kDbText, c->right, out)) return true;
  if (number && dbvalue_parse(kDbDouble, c->right, out)) return true; // `n < 3.5` on integers
  *out = DbValue{kDbText, 0, 0.0, c->right};
  return true;
}

bool compare_holds(DbOperator op, int cmp) {
  switch (op) {
  case kDbEqual:
    return cmp == 0;
  case kDbLess:
    return cmp < 0;
  case kDbGreater:
    return cmp > 0;
  case kDbLessOrEqual:
    return cmp <= 0;
  case kDbGreaterOrEqual:
    return cmp >= 0;
  case kDbNotEqual:
    return cmp != 0;
  default:
    return false;
  }
}

DbConditionResult leaf(Eval *ev, const DbCondition *c) {
  DbValue left;
  if (!find_column(ev, c->table, c->column, &left)) return kDbConditionUnknownColumn;
  if (c->op == kDbIsNull) return left.type == kDbNull ? kDbConditionTrue : kDbConditionFalse;
  if (c->op == kDbIsNotNull) return left.type != kDbNull ? kDbConditionTrue : kDbConditionFalse;
  if (left.type == kDbNull) return kDbConditionFalse;
  std::string room;
  apply_function(c->function, &left, &room);
  if (c->op == kDbLike || c->op == kDbNotLike) {
    std::string numberRoom;
    bool like = dbtext_like(value_text(&left, &numberRoom), c->right);
    return like == (c->op == kDbLike) ? kDbConditionTrue : kDbConditionFalse;
  }
  DbValue right;
  if (!right_value(ev, c, &left, &right)) return kDbConditionUnknownColumn;
  if (right.type == kDbNull) return kDbConditionFalse;
  return compare_holds(c->op, dbvalue_compare(&left, &right)) ? kDbConditionTrue
                                                              : kDbConditionFalse;
}

// Inner nodes recurse into their left sub-tree and loop along the right one,
// so a long chain of ANDs or ORs needs no deep stack.
DbConditionResult eval(Eval *ev, const DbCondition *c) {
  for (;;) {
    if (c->op != kDbAnd && c->op != kDbOr) return leaf(ev, c);
    DbConditionResult r = eval(ev, c->left);
    if (r == kDbConditionUnknownColumn) return r;
    if ((c->op == kDbAnd) != (r == kDbConditionTrue)) return r; // decided by the left side
    c = c->rightChild;
  }
}

} // namespace

DbConditionResult dbcondition_eval(const DbCondition *where, DbColumnLookup lookup, void *context,
                                   DbConditionError *err) {
  if (!where) return kDbConditionTrue;
  Eval ev = {lookup, context, err};
  return eval(&ev, where);
}
