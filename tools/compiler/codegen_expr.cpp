// Code generation for expressions: each is evaluated into EAX (or ST0 for
// Single and Double), operands waiting on the machine stack; calls, events,
// arithmetic, comparisons and references to controls and menus.
#include "codegen.h"
#include "names.h"
#include "order.h"
#include <algorithm>
#include <cstring>

namespace basc {

using namespace img;
using K = Type::Kind;

void CodeGen::expr(Node &n) {
  switch (n.kind) {
  case NK::IntLit:
  case NK::ColorLit:
  case NK::BoolLit:
    return code_.mov(eax, int32_t(n.ival));
  case NK::NilLit:
    return code_.xor_(eax, eax);
  case NK::RealLit:
    return push_double_const(n.fval);
  case NK::StrLit:
    return code_.mov(eax, DataRef(string_const(n.text)));
  case NK::SelfRef:
    return code_.mov(eax, mem(ebp, 8));
  case NK::Var:
    if (n.slot.item) project_item(n.slot);
    load(slot_mem(n.slot), n.slot.type); /* n.type may be widened */
    return hold_borrowed(n);
  case NK::Field:
    expr(*n.lhs);
    emit_nil_test();
    load(mem(eax, n.offset), n.slot.type);
    return hold_borrowed(n);
  case NK::PropGet: {
    expr(*n.lhs);
    emit_nil_test();
    FieldAccess fa = field_access(n.prop->getter);
    if (fa == FieldAccess::Int) return code_.mov(eax, mem(eax, n.prop->parameter));
    if (fa == FieldAccess::Short) return code_.movsx16(eax, mem(eax, n.prop->parameter));
    if (fa == FieldAccess::Bool) return code_.movzx8(eax, mem(eax, n.prop->parameter));
    if (fa == FieldAccess::Ref) { /* a new reference, as a getter's */
      code_.mov(eax, mem(eax, n.prop->parameter));
      emit_lock(n.type);
      return emit_take_new(n.temp, n.type);
    }
    code_.push(n.prop->parameter);
    code_.push(eax);
    emit_call(n.prop->getter, 8);
    if (n.type.kind == K::Boolean) code_.movzx(eax, al);
    if (n.type.is_ref()) emit_take_new(n.temp, n.type);
    return;
  }
  case NK::MenuRef:
    return menu_ref(n);
  case NK::ControlRef:
    return control_ref(n);
  case NK::WindowOf:
    expr(*n.lhs);
    code_.mov(eax, mem(eax, 16)); /* a control's window */
    return emit_nil_test();
  case NK::Implicit:
    emit_call(accessor_of(n.cls), 0);
    return emit_take_new(n.temp, n.type);
  case NK::CallRoutine:
  case NK::CallMethod:
  case NK::CallFunction:
    return call(n);
  case NK::Index:
    return index_read(n);
  case NK::ArrayOp:
    return array_op(n);
  case NK::Convert:
    if (is_variant(n.type) || is_variant(n.lhs->type)) return variant_convert(n);
    expr(*n.lhs);
    if (n.type.is_float()) { /* from an integer */
      code_.push(eax);
      return emit_call("IntToFP", 4);
    }
    code_.sub(esp, 8);
    code_.fstp64(mem(esp));
    return emit_call("FPToInt", 8);
  case NK::Cast:
    expr(*n.lhs);
    code_.push(eax);
    code_.push(checked_.classes.index_of(n.cls));
    code_.push(eax);
    emit_call("RuntimeCheckCast", 8);
    return code_.pop(eax);
  case NK::New:
    if (n.cls->decl && n.cls->isWindow) {
      emit_call(creator_of(n.cls), 0);
    } else {
      code_.push(checked_.classes.index_of(n.cls));
      emit_call("RuntimeNewObject", 4);
    }
    return emit_take_new(n.temp, n.type);
  case NK::IsA:
    expr(*n.lhs);
    code_.push(checked_.classes.index_of(n.cls));
    code_.push(eax);
    emit_call("RuntimeObjectIsa", 8);
    return code_.movzx(eax, al);
  case NK::RaiseEvent:
    return raise_event(n);
  case NK::Unary:
    expr(*n.lhs);
    if (n.text == "NEG") return n.type.is_float() ? code_.fchs() : code_.neg(eax);
    return n.type.kind == K::Boolean ? code_.xor_(eax, 1) : code_.not_(eax);
  case NK::Binary:
    return binary(n);
  default:
    error_at(n.loc, "internal: unchecked expression");
  }
}

// Into a Variant by the value's type (a new Variant), or out of one into
// the type wanted (a String or object comes out as a new reference). A nil
// object wraps to a nil Variant and back, as the Nil literal does.
void CodeGen::variant_convert(Node &n) {
  const Type &from = n.lhs->type, &to = n.type;
  bool wrap = is_variant(to);
  const Type &plain = wrap ? from : to;
  static const std::pair<K, const char *> kWrap[] = {
      {K::Integer, "intToVariant"},     {K::Color, "colorToVariant"},
      {K::Boolean, "booleanToVariant"}, {K::Single, "doubleToVariant"},
      {K::Double, "doubleToVariant"},   {K::String, "stringToVariant"},
      {K::Object, "objectToVariant"}};
  static const std::pair<K, const char *> kUnwrap[] = {
      {K::Integer, "variantToInt"},     {K::Color, "variantToColor"},
      {K::Boolean, "variantToBoolean"}, {K::Single, "variantToDouble"},
      {K::Double, "variantToDouble"},   {K::String, "variantToString"},
      {K::Object, "variantToObject"}};
  const char *call = nullptr;
  for (auto &[k, name] : wrap ? kWrap : kUnwrap)
    if (k == plain.kind) call = name;
  expr(*n.lhs);
  CodeLabel done = code_.label();
  if (plain.kind == K::Object) { /* a nil object and a nil Variant stand for each other */
    code_.test(eax, eax);
    code_.jcc(Cond::e, done);
  }
  Type passed = wrap && from.is_float() ? Type{K::Double, nullptr} : wrap ? from : to;
  push_value(wrap ? passed : Type{K::Object, nullptr});
  emit_call(call, wrap ? arg_bytes(passed) : 4);
  if (to.kind == K::Boolean) code_.movzx(eax, al);
  if (to.is_ref()) emit_take_new(n.temp, to);
  code_.bind(done);
}

// RuntimeMenuReference hands over a new reference to the item, nil when the
// menu bar has none of that name.
void CodeGen::menu_ref(Node &n) {
  code_.push(DataRef(string_const(n.text)));
  emit_call("RuntimeMenuReference", 4);
  emit_take_new(n.temp, n.type);
  emit_nil_test();
}

// RuntimeControlFetch lends the control (for reading); RuntimeControlReference
// and the array form hand over a new reference.
void CodeGen::control_ref(Node &n) {
  DataLabel name = string_const(n.text);
  if (!n.args.empty()) {
    expr(*n.args[0]);
    code_.push(eax);
  }
  code_.push(DataRef(name));
  expr(*n.lhs);
  emit_nil_test();
  code_.push(eax);
  if (!n.args.empty()) {
    emit_call("RuntimeControlArrayItemReference", 12);
  } else {
    emit_call(n.forWrite ? "RuntimeControlReference" : "RuntimeControlFetch", 8);
  }
  if (n.temp) emit_take_new(n.temp, n.type);
  emit_nil_test();
}

// EAX: the address of a variable or of an image-class property.
void CodeGen::address_of(Node &n) {
  if (n.kind == NK::Field) {
    expr(*n.lhs);
    emit_nil_test();
    return code_.add(eax, n.offset);
  }
  if (n.slot.byRef) return code_.mov(eax, mem(ebp, n.slot.offset));
  if (n.slot.where == Slot::Global) return code_.mov(eax, DataRef(globals_, n.slot.offset));
  code_.lea(eax, mem(ebp, n.slot.offset));
}

// A String or object borrowed from a variable or field that later operands
// could free: the checker gave it a temporary, which takes a reference.
void CodeGen::hold_borrowed(Node &n) {
  if (!n.temp) return;
  emit_lock(n.type);
  emit_take_new(n.temp, n.type);
}

// Puts the operands on the stack as pushing them last to first would, the
// first at [esp]; with `receiver` the first is an object that must not be
// nil. When their order can be observed they are evaluated left to right
// into an area reserved first (and the result is true); otherwise they are
// simply pushed, the receiver last, left in EAX.
bool CodeGen::push_operands(const std::vector<Node *> &ops, const std::vector<Type> &types,
                            bool receiver) {
  auto value = [&](size_t i) {
    if (ops[i]->address) return address_of(*ops[i]);
    expr(*ops[i]);
    if (receiver && i == 0) emit_nil_test();
  };
  auto size = [&](size_t i) { return ops[i]->address ? 4 : arg_bytes(types[i]); };
  if (!evaluated_in_order(ops)) {
    for (size_t i = ops.size(); i-- > 0;) {
      value(i);
      ops[i]->address ? code_.push(eax) : push_value(types[i]);
    }
    return false;
  }
  int32_t total = 0;
  for (size_t i = 0; i < ops.size(); i++) total += size(i);
  code_.sub(esp, total);
  for (size_t i = 0, at = 0; i < ops.size(); at += size_t(size(i)), i++) {
    value(i);
    Mem slot = mem(esp, int32_t(at));
    if (!ops[i]->address && types[i].kind == K::Double) {
      code_.fstp64(slot);
    } else if (!ops[i]->address && types[i].kind == K::Single) {
      code_.fstp32(slot);
    } else {
      code_.mov(slot, eax);
    }
  }
  return true;
}

void CodeGen::push_args(std::vector<NodeP> &args, const std::vector<Type> &types) {
  std::vector<Node *> ops;
  for (auto &a : args) ops.push_back(a.get());
  push_operands(ops, types, false);
}

// The receiver and the arguments, the receiver at [esp]; the caller removes them.
void CodeGen::call(Node &n) {
  std::vector<Node *> ops;
  std::vector<Type> types;
  int32_t bytes = 0;
  if (n.lhs) ops.push_back(n.lhs.get()), types.push_back(n.lhs->type), bytes += 4;
  for (auto &a : n.args) {
    ops.push_back(a.get());
    types.push_back(a->type);
    bytes += a->address ? 4 : arg_bytes(a->type);
  }
  bool ordered = push_operands(ops, types, n.lhs != nullptr);
  if (ordered && n.lhs) code_.mov(eax, mem(esp)); /* the receiver, for dispatch by table */
  if (n.kind == NK::CallRoutine && n.cls) {
    emit_interface_call(int32_t(n.ival), checked_.classes.index_of(n.cls), bytes);
  } else if (n.kind == NK::CallRoutine && n.dispatched) {
    emit_dispatched_call(n.routine->slot, bytes);
  } else if (n.kind == NK::CallRoutine) {
    emit_call(label_of(n.routine), bytes);
  } else {
    emit_call(n.kind == NK::CallMethod ? n.method->callEntry : n.function->entry, bytes);
  }
  if (n.type.kind == K::Boolean) code_.movzx(eax, al);
  if (n.type.is_ref()) emit_take_new(n.temp, n.type);
}

// The arguments and Self are pushed as for a method; RuntimeFindHookCode gives
// the nearest handler's address by the event's number, or 0 when there is
// none, and then the result is the type's zero value.
void CodeGen::raise_event(Node &n) {
  std::vector<Type> types;
  int32_t bytes = 4;
  for (auto &a : n.args) types.push_back(a->type), bytes += a->address ? 4 : arg_bytes(a->type);
  push_args(n.args, types);
  code_.mov(eax, mem(ebp, 8));
  code_.push(eax);
  code_.push(n.event->number);
  code_.push(eax);
  emit_call("RuntimeFindHookCode", 8);
  CodeLabel none = code_.label(), done = code_.label();
  code_.test(eax, eax);
  code_.jcc(Cond::e, none);
  code_.call(eax);
  code_.call_descriptor();
  code_.jmp(done);
  code_.bind(none);
  n.type.is_float() ? code_.fldz() : code_.xor_(eax, eax);
  code_.bind(done);
  code_.add(esp, bytes);
  if (n.type.kind == K::Boolean) code_.movzx(eax, al);
  if (n.type.is_ref()) emit_take_new(n.temp, n.type);
}

void CodeGen::binary(Node &n) {
  const std::string &op = n.text;
  Type a = n.lhs->type;
  if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=")
    return compare(n);
  if (op == "&") {
    push_operands({n.lhs.get(), n.rhs.get()}, {n.type, n.type}, false);
    emit_call("RuntimeAddString", 8);
    return emit_take_new(n.temp, n.type);
  }
  if (n.type.is_float()) return float_binary(n);
  if (op == "\\" || op == "MOD") return int_divide(n);
  expr(*n.lhs);
  code_.push(eax);
  expr(*n.rhs);
  code_.mov(ecx, eax);
  code_.pop(eax);
  if (op == "+") return code_.add(eax, ecx);
  if (op == "-") return code_.sub(eax, ecx);
  if (op == "*") return code_.imul(eax, ecx);
  if (op == "AND") return code_.and_(eax, ecx);
  if (op == "OR") return code_.or_(eax, ecx);
  if (op == "XOR") return code_.xor_(eax, ecx);
  error_at(n.loc, "internal: operator " + op);
  (void)a;
}

// Each double operation is rounded to double by a store and reload through
// memory: the x87 unit itself computes with a longer mantissa.
void CodeGen::float_binary(Node &n) {
  expr(*n.lhs);
  code_.sub(esp, 8);
  code_.fstp64(mem(esp));
  expr(*n.rhs);
  const std::string &op = n.text;
  if (op == "+") code_.fadd64(mem(esp));
  if (op == "-") code_.fsubr64(mem(esp)); /* st0 = left - st0 */
  if (op == "*") code_.fmul64(mem(esp));
  if (op == "/") code_.fdivr64(mem(esp));
  code_.fstp64(mem(esp));
  code_.fld64(mem(esp));
  code_.add(esp, 8);
}

// x \ 0 and x Mod 0 give 0; -2147483648 \ -1 wraps to itself with Mod 0.
void CodeGen::int_divide(Node &n) {
  expr(*n.lhs);
  code_.push(eax);
  expr(*n.rhs);
  code_.mov(ecx, eax);
  code_.pop(eax);
  CodeLabel divide = code_.label(), done = code_.label(), zero = code_.label();
  code_.test(ecx, ecx);
  code_.jcc(Cond::e, zero);
  code_.cmp(ecx, -1);
  code_.jcc(Cond::ne, divide);
  if (n.text == "MOD") {
    code_.xor_(eax, eax);
  } else {
    code_.neg(eax);
  }
  code_.jmp(done);
  code_.bind(zero);
  code_.xor_(eax, eax);
  code_.jmp(done);
  code_.bind(divide);
  code_.cdq();
  code_.idiv(ecx);
  if (n.text == "MOD") code_.mov(eax, edx);
  code_.bind(done);
}

// Comparisons leave 0 or 1 in EAX. Doubles compare unordered-aware: any
// comparison with NaN is false except <>.
void CodeGen::compare(Node &n) {
  const std::string &op = n.text;
  Type a = n.lhs->type;
  auto setcc = [&](Cond c) {
    code_.setcc(c, al);
    code_.movzx(eax, al);
  };
  if (a.kind == K::String) {
    push_operands({n.lhs.get(), n.rhs.get()}, {a, a}, false);
    emit_call("RuntimeStringCompare", 8);
    code_.cmp(eax, 0);
    static const std::pair<const char *, Cond> conds[] = {{"=", Cond::e},   {"<>", Cond::ne},
                                                          {"<", Cond::l},   {">", Cond::g},
                                                          {"<=", Cond::le}, {">=", Cond::ge}};
    for (auto &[o, c] : conds)
      if (op == o) return setcc(c);
  }
  if (a.is_float()) {
    expr(*n.lhs);
    code_.sub(esp, 8);
    code_.fstp64(mem(esp));
    expr(*n.rhs);
    code_.fld64(mem(esp)); /* st0 = left, st1 = right */
    code_.add(esp, 8);
    bool swap = op == "<" || op == "<=";
    if (swap) code_.fxch();
    code_.fucompp();
    code_.fnstsw_ax();
    code_.sahf();
    if (op == ">" || op == "<") return setcc(Cond::a);
    if (op == ">=" || op == "<=") return setcc(Cond::ae);
    code_.setcc(op == "=" ? Cond::e : Cond::ne, al);
    code_.setcc(op == "=" ? Cond::np : Cond::p, cl);
    op == "=" ? code_.and_(eax, ecx) : code_.or_(eax, ecx);
    return code_.and_(eax, 1);
  }
  expr(*n.lhs);
  if (a.kind == K::Boolean) { /* only the low byte is meaningful */
    code_.test8(al, al);
    code_.setcc(Cond::ne, al);
    code_.movzx(eax, al);
  }
  code_.push(eax);
  expr(*n.rhs);
  if (n.rhs->type.kind == K::Boolean) {
    code_.test8(al, al);
    code_.setcc(Cond::ne, al);
    code_.movzx(eax, al);
  }
  code_.mov(ecx, eax);
  code_.pop(eax);
  code_.cmp(eax, ecx);
  static const std::pair<const char *, Cond> conds[] = {{"=", Cond::e},   {"<>", Cond::ne},
                                                        {"<", Cond::l},   {">", Cond::g},
                                                        {"<=", Cond::le}, {">=", Cond::ge}};
  for (auto &[o, c] : conds)
    if (op == o) return setcc(c);
}

} // namespace basc
