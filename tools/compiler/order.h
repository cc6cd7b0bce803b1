// The order operands are evaluated in. Operands (of "&" and of String
// comparisons, a call's receiver and arguments, an array and its indexes)
// run left to right. When none of them can run code, or only one is more
// than a constant, no order can be observed, and the code generator keeps
// the shorter form that pushes them last to first.
#pragma once
#include "ast.h"

namespace basc {

// Whether evaluating n may run code that changes variables or has effects:
// a call, an event, an object's or a window's making. A built-in property's
// getter only reads.
inline bool may_run_code(const Node &n) {
  switch (n.kind) {
  case NK::CallRoutine:
  case NK::CallMethod:
  case NK::CallFunction:
  case NK::RaiseEvent:
  case NK::New:
  case NK::Implicit:
  case NK::ArrayOp:
    return true;
  default:
    break;
  }
  if ((n.lhs && may_run_code(*n.lhs)) || (n.rhs && may_run_code(*n.rhs))) return true;
  for (auto &a : n.args)
    if (may_run_code(*a)) return true;
  return false;
}

// A literal, or Self: the same value whenever it is evaluated.
inline bool is_constant(const Node &n) {
  return n.kind == NK::IntLit || n.kind == NK::RealLit || n.kind == NK::StrLit ||
         n.kind == NK::ColorLit || n.kind == NK::BoolLit || n.kind == NK::NilLit ||
         n.kind == NK::SelfRef;
}

// Whether these operands (Node pointers, in source order) need the
// left-to-right form.
template <class Operands> bool evaluated_in_order(const Operands &operands) {
  size_t running = 0, values = 0;
  for (const Node *o : operands) {
    running += may_run_code(*o);
    values += !is_constant(*o);
  }
  return running > 0 && values > 1;
}

} // namespace basc
