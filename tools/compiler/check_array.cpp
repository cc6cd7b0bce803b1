// Arrays: Dim and Redim with bounds, element access, UBound, and the
// one-dimensional Append, Insert, Remove and Sort.
#include "checker.h"

namespace basc {

namespace {

const size_t kMaxDims = 20; /* the runtime's array record keeps 20 upper bounds */

std::string count_text(size_t n, const char *one, const char *many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

// Indexes and bounds are Integers; a Double is not truncated silently.
void Checker::array_index(NodeP &i) {
  expr(i);
  if (!i->type.is_intlike())
    error_at(i->loc, "an array index or bound must be Integer, not " + type_text(i->type));
  i->type = {K::Integer, nullptr};
}

Type Checker::dim_array(Stmt &s, size_t i, const Type &element) {
  ArrayShape &shape = s.names[i].shape;
  if (s.dimNew) error_at(shape.loc, "an array cannot be declared As New");
  if (shape.uppers.size() > kMaxDims)
    error_at(shape.loc, "an array has at most " + std::to_string(kMaxDims) + " dimensions");
  for (NodeP &u : shape.uppers) array_index(u);
  return Type::array_of(element, std::max<int32_t>(1, int32_t(shape.uppers.size())));
}

// An array made before any routine runs (a property by its class's
// constructor, a module-level array at start-up) has Integer literal bounds.
Type Checker::literal_array(ArrayShape &shape, const Type &element, const char *what) {
  if (shape.uppers.size() > kMaxDims)
    error_at(shape.loc, "an array has at most " + std::to_string(kMaxDims) + " dimensions");
  for (NodeP &u : shape.uppers) {
    bool negative = u->kind == NK::Unary && u->text == "NEG" && u->lhs->kind == NK::IntLit;
    if (u->kind != NK::IntLit && !negative)
      error_at(u->loc, std::string("the bounds of ") + what + " must be Integer literals");
    if (negative) u->ival = -u->lhs->ival, u->kind = NK::IntLit;
    if (u->ival > INT32_MAX || u->ival < INT32_MIN)
      error_at(u->loc, "integer literal is out of range");
    u->type = {K::Integer, nullptr};
  }
  return Type::array_of(element, std::max<int32_t>(1, int32_t(shape.uppers.size())));
}

void Checker::redim(Stmt &s) {
  expr(s.target);
  const Type &t = s.target->type;
  if (!t.is_array()) error_at(s.target->loc, "Redim needs an array, not a " + type_text(t));
  ArrayShape &shape = s.names[0].shape;
  if (int32_t(shape.uppers.size()) != t.dims)
    error_at(shape.loc, "Redim gives " + count_text(shape.uppers.size(), "bound", "bounds") +
                            " to an array of " + count_text(t.dims, "dimension", "dimensions"));
  for (NodeP &u : shape.uppers) array_index(u);
  count_pushed(12);
}

// The indexes wait on the machine stack with the array while the runtime
// walks the dimensions, the value to write below them.
void Checker::index(NodeP &n, NodeP array, std::vector<NodeP> args, Loc loc) {
  const Type t = array->type;
  if (int32_t(args.size()) != t.dims)
    error_at(array->loc, "this " + type_text(t) + " array takes " +
                             count_text(t.dims, "index", "indexes") + ", not " +
                             std::to_string(args.size()));
  for (NodeP &a : args) array_index(a);
  count_pushed(4 * t.dims + 4 + 8 + 8);
  NodeP x = make(NK::Index, loc);
  x->type = t.element();
  x->lhs = std::move(array);
  x->args = std::move(args);
  hold_call_operands(*x);
  give_temp(*x); /* a String or object element is read as a new reference */
  n = std::move(x);
}

void Checker::array_method(NodeP &n, NodeP array, const std::string &name, std::vector<NodeP> args,
                           Loc loc) {
  const Type t = array->type;
  static const std::pair<const char *, size_t> kMethods[] = {
      {"APPEND", 1}, {"INSERT", 2}, {"REMOVE", 1}, {"SORT", 0}};
  std::string u = upper(name);
  size_t want = SIZE_MAX;
  for (auto &[m, count] : kMethods)
    if (u == m) want = count;
  if (want == SIZE_MAX)
    error_at(loc, "an array has no member " + name + "; it has Append, Insert, Remove and Sort");
  if (t.dims != 1) error_at(loc, name + " needs a one-dimensional array, not " + type_text(t));
  if (args.size() != want)
    error_at(loc, name + " takes " + count_text(want, "argument", "arguments") + ", not " +
                      std::to_string(args.size()));
  if (u == "SORT" && (t.elem == K::Object || t.elem == K::Boolean))
    error_at(loc, "Sort needs an array of numbers or Strings, not " + type_text(t));
  if (u == "INSERT" || u == "REMOVE") array_index(args[0]);
  if (u == "APPEND" || u == "INSERT") {
    expr(args.back());
    convert(args.back(), t.element(), "the element");
  }
  count_pushed(4 + 4 + 8);
  NodeP op = make(NK::ArrayOp, loc);
  op->text = u;
  op->lhs = std::move(array);
  op->args = std::move(args);
  n = std::move(op);
}

// UBound(a) is the upper bound of the first dimension; UBound(a, d) of
// dimension d, counted from 1 (-1 gives the dimension count).
void Checker::ubound(NodeP &n, std::vector<NodeP> args, Loc loc) {
  if (args.empty() || args.size() > 2)
    error_at(loc, "UBound takes an array and, optionally, a dimension");
  expr(args[0]);
  if (!args[0]->type.is_array())
    error_at(args[0]->loc, "UBound needs an array, not a " + type_text(args[0]->type));
  if (args.size() == 2) array_index(args[1]);
  count_pushed(8);
  NodeP op = make(NK::ArrayOp, loc);
  op->text = "UBOUND";
  op->lhs = std::move(args[0]);
  if (args.size() == 2) op->args.push_back(std::move(args[1]));
  op->type = {K::Integer, nullptr};
  n = std::move(op);
}

} // namespace basc
