// Expressions: implicit conversions, operators, and the dispatch over
// expression kinds.
#include "checker.h"

namespace basc {

// ---- expressions ----

// A value a Variant can hold: a number, a Boolean, a String or an object.
static bool variant_content(const Type &t) {
  return t.is_numeric() || t.kind == K::Boolean || t.kind == K::String || t.kind == K::Object;
}

// Between object types a cast may do what the implicit conversion refuses:
// from an interface, or from a class to one below it.
static std::string cast_hint(const Type &from, const Type &to) {
  if (from.kind != K::Object || to.kind != K::Object || !from.cls || !to.cls) return "";
  if (!from.cls->is_interface() && !to.cls->is_interface() && !to.cls->derives_from(from.cls))
    return "";
  std::string cast = to.cls->display() + "(value)";
  if (to.cls->is_interface() && from.cls->decl)
    return "; add `Implements " + to.cls->name + "` to class " + from.cls->name +
           ", or cast it: " + cast;
  return "; a cast checks it when the program runs: " + cast;
}

bool Checker::convertible(const Type &from, const Type &to) const {
  if (from == to) return true;
  if (is_variant(to) && variant_content(from)) return true;
  if (is_variant(from) && variant_content(to)) return true;
  if (from.is_numeric() && to.is_numeric()) return true;
  if (to.kind == K::Object && from.kind == K::Nil) return true;
  if (to.kind == K::Object && from.kind == K::Object)
    return to.cls == classes.object || from.cls->derives_from(to.cls) ||
           (to.cls->is_interface() && from.cls->implements(to.cls));
  return false;
}

// Integer to floating point goes through the runtime (IntToFP) except for
// literals, which become Double constants; floating point to Integer through
// FPToInt; Single and Double share the widened form until a store.
void Checker::convert(NodeP &n, const Type &to, const char *context) {
  const Type &from = n->type;
  if (from == to) return;
  need_value(*n);
  if (!convertible(from, to))
    error_at(n->loc, std::string(context) + " must be " + type_text(to) + ", not " +
                         type_text(from) + cast_hint(from, to));
  if (is_variant(to) != is_variant(from) && from.kind != K::Nil &&
      !(to.kind == K::Object && to.cls == classes.object))
    return variant_convert(n, to);
  if (to.kind == K::Object || (from.is_intlike() && to.is_intlike()) ||
      (from.is_float() && to.is_float())) {
    n->type = to;
    return;
  }
  if (n->kind == NK::IntLit && to.is_float()) {
    n->kind = NK::RealLit;
    n->fval = double(n->ival);
    n->type = to;
    return;
  }
  NodeP c = make(NK::Convert, n->loc);
  c->type = to;
  c->lhs = std::move(n);
  n = std::move(c);
}

// Wrapping into a Variant (intToVariant ...) and unwrapping out of one
// (variantToInt ...) are runtime calls; an object comes out as Object and is
// then cast to the class wanted.
void Checker::variant_convert(NodeP &n, const Type &to) {
  bool unwrapObject = is_variant(n->type) && to.kind == K::Object;
  NodeP c = make(NK::Convert, n->loc);
  c->type = unwrapObject ? Type{K::Object, classes.object} : to;
  c->lhs = std::move(n);
  give_temp(*c);
  n = std::move(c);
  if (!unwrapObject) return;
  NodeP cast = make(NK::Cast, n->loc);
  cast->cls = to.cls;
  cast->type = to;
  cast->lhs = std::move(n);
  n = std::move(cast);
}

// Beside a plain value a Variant is read as that value's type; two Variants
// compare with = and <> by content (VariantEqual), nothing else.
bool Checker::variant_operands(NodeP &n) {
  Type a = n->lhs->type, b = n->rhs->type;
  bool va = is_variant(a), vb = is_variant(b);
  const std::string &op = n->text;
  if (va && vb && (op == "=" || op == "<>")) {
    Loc loc = n->loc;
    const BuiltinMethod *equal = find_builtin_method(a.cls, "Equals");
    NodeP call;
    std::vector<NodeP> other;
    other.push_back(std::move(n->rhs));
    method_call(call, equal, std::move(n->lhs), std::move(other), loc);
    if (op == "=") return n = std::move(call), true;
    NodeP no = make(NK::Unary, loc);
    no->text = "NOT";
    no->lhs = std::move(call);
    no->type = {K::Boolean, nullptr};
    return n = std::move(no), true;
  }
  if (va && !vb && variant_content(b) && b.kind != K::Object) convert(n->lhs, b, "operand");
  if (vb && !va && variant_content(a) && a.kind != K::Object) convert(n->rhs, a, "operand");
  return false;
}

void Checker::unary(NodeP &n) {
  expr(n->lhs);
  Type t = n->lhs->type;
  if (n->text == "NEG") {
    if (!t.is_numeric()) error_at(n->loc, "cannot negate a " + type_text(t));
    n->type = t.kind == K::Single ? Type{K::Double, nullptr} : t;
    return;
  }
  if (t.kind != K::Boolean && !t.is_intlike())
    error_at(n->loc, "Not needs a Boolean or an Integer");
  n->type = t;
}

void Checker::binary(NodeP &n) {
  expr(n->lhs);
  expr(n->rhs);
  if (variant_operands(n)) return;
  Type a = n->lhs->type, b = n->rhs->type;
  const std::string &op = n->text;
  Type integer{K::Integer, nullptr}, dbl{K::Double, nullptr}, boolean{K::Boolean, nullptr};
  auto fail = [&] {
    need_value(*n->lhs);
    need_value(*n->rhs);
    error_at(n->loc, "operator " + op + " cannot take " + type_text(a) + " and " + type_text(b));
  };
  if (op == "AND" || op == "OR" || op == "XOR") {
    if (a.kind == K::Boolean && b.kind == K::Boolean) return void(n->type = boolean);
    if (a.is_intlike() && b.is_intlike()) return void(n->type = integer);
    fail();
  }
  if (op == "&" || (op == "+" && a.kind == K::String)) {
    if (a.kind != K::String || b.kind != K::String) fail();
    n->type = a;
    n->text = "&";
    hold_borrowed({n->lhs.get(), n->rhs.get()});
    return give_temp(*n);
  }
  if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=") {
    n->type = boolean;
    if (a.kind == K::String && b.kind == K::String)
      return hold_borrowed({n->lhs.get(), n->rhs.get()});
    if (a.is_numeric() && b.is_numeric()) {
      if (!(a.is_intlike() && b.is_intlike()))
        convert(n->lhs, dbl, "operand"), convert(n->rhs, dbl, "operand");
      return;
    }
    if (op != "=" && op != "<>") fail();
    if (a.kind == K::Boolean && b.kind == K::Boolean) return;
    bool objA = a.kind == K::Object || a.kind == K::Nil,
         objB = b.kind == K::Object || b.kind == K::Nil;
    if (objA && objB) return;
    fail();
  }
  if (!a.is_numeric() || !b.is_numeric()) fail();
  if (op == "^") { /* a call of the runtime's Pow */
    NodeP c = make(NK::CallFunction, n->loc);
    c->function = find_function("Pow", 2);
    convert(n->lhs, dbl, "operand");
    convert(n->rhs, dbl, "operand");
    c->args.push_back(std::move(n->lhs));
    c->args.push_back(std::move(n->rhs));
    c->type = dbl;
    n = std::move(c);
    return;
  }
  if (op == "\\" || op == "MOD") {
    convert(n->lhs, integer, "operand");
    convert(n->rhs, integer, "operand");
    return void(n->type = integer);
  }
  if (op == "/" || !(a.is_intlike() && b.is_intlike())) {
    convert(n->lhs, dbl, "operand");
    convert(n->rhs, dbl, "operand");
    return void(n->type = dbl);
  }
  n->type = integer; /* + - * on Integer and Color wrap around */
}

void Checker::expr(NodeP &n) {
  switch (n->kind) {
  case NK::IntLit:
    if (n->ival > INT32_MAX || n->ival < INT32_MIN)
      error_at(n->loc, "integer literal is out of range");
    n->type = {K::Integer, nullptr};
    return;
  case NK::RealLit:
    n->type = {K::Double, nullptr};
    return;
  case NK::StrLit:
    n->type = {K::String, nullptr};
    return;
  case NK::BoolLit:
    n->type = {K::Boolean, nullptr};
    return;
  case NK::ColorLit:
    n->type = {K::Color, nullptr};
    return;
  case NK::NilLit:
    n->type = {K::Nil, nullptr};
    return;
  case NK::SelfRef:
    if (!r->owner) error_at(n->loc, "Self is only available in a class's routines");
    n->type = {K::Object, r->selfClass};
    return;
  case NK::Name:
    return name(n);
  case NK::Member:
    return member(n);
  case NK::Call:
    return call(n);
  case NK::Unary:
    return unary(n);
  case NK::Binary:
    return binary(n);
  case NK::RaiseEvent:
    return raise_event(n);
  case NK::New: {
    Type t = resolve_type(*n->typeRef);
    bool pluginClass =
        t.cls && t.cls->plugin && t.cls->plugin->decl->kind == PluginClassDecl::Class;
    if (t.kind != K::Object || t.cls == classes.object || (t.cls->external && !pluginClass))
      error_at(n->typeRef->loc,
               t.cls && t.cls->plugin
                   ? t.cls->name + " is a plug-in's control or interface; New needs a class"
                   : "New needs a class of this program or of the runtime");
    if (t.cls->is_interface())
      error_at(n->typeRef->loc, "an interface cannot be created: " + t.cls->name +
                                    " only declares methods; create an object of a class that "
                                    "implements it");
    n->cls = t.cls;
    n->type = t;
    return give_temp(*n);
  }
  case NK::IsA: {
    expr(n->lhs);
    if (n->lhs->type.kind != K::Object && n->lhs->type.kind != K::Nil)
      error_at(n->loc, "IsA needs an object");
    Type t = resolve_type(*n->typeRef);
    if (t.kind != K::Object) error_at(n->typeRef->loc, "IsA needs a class");
    n->cls = t.cls;
    n->type = {K::Boolean, nullptr};
    return;
  }
  default:
    return; /* already checked */
  }
}

} // namespace basc
