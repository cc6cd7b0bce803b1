// The code generator. Expressions are evaluated into EAX or ST0; operands
// wait on the machine stack while the other side is evaluated, so nothing is
// held on the x87 stack across a call. Every new reference is exchanged into
// the frame temporary the checker gave its node, and the routine's epilogue
// releases every reference-holding slot.
#include "codegen.h"
#include "names.h"
#include <algorithm>
#include <cstring>

namespace basc {

using namespace img;
using K = Type::Kind;

static uint8_t release_kind(const Type &t) { return t.kind == K::String ? 5 : 6; }

CodeGen::CodeGen(Code &code, Data &data, Checked &checked, CodegenOptions options)
    : code_(code), data_(data), checked_(checked), options_(options) {
  if (checked.globalsSize > 0) {
    data_.align(4);
    globals_ = data_.here();
    for (int32_t i = 0; i < checked.globalsSize; i += 4) data_.u32(0);
  }
}

CodeLabel CodeGen::label_of(const Routine *r) {
  auto [it, added] = labels_.try_emplace(r);
  if (added) it->second = code_.label();
  return it->second;
}

static CodeLabel lazy(std::map<ClassInfo *, CodeLabel> &m, ClassInfo *c, Code &code) {
  auto [it, added] = m.try_emplace(c);
  if (added) it->second = code.label();
  return it->second;
}
CodeLabel CodeGen::accessor_of(ClassInfo *w) { return lazy(accessors_, w, code_); }
CodeLabel CodeGen::creator_of(ClassInfo *w) { return lazy(creators_, w, code_); }
CodeLabel CodeGen::constructor_of(ClassInfo *c) {
  return c->constructor ? label_of(c->constructor) : lazy(constructors_, c, code_);
}
CodeLabel CodeGen::destructor_of(ClassInfo *c) {
  return c->destructor ? label_of(c->destructor) : lazy(destructors_, c, code_);
}

DataLabel CodeGen::string_const(const std::string &text) {
  auto it = strings_.find(text);
  if (it != strings_.end()) return it->second;
  return strings_[text] = data_.string_const(text);
}

// ---- the vocabulary ----

void CodeGen::emit_call(const char *entry, int32_t argBytes) {
  code_.call_import(entry);
  code_.call_descriptor();
  if (argBytes) code_.add(esp, argBytes);
}

void CodeGen::emit_call(CodeLabel target, int32_t argBytes) {
  code_.call(target);
  code_.call_descriptor();
  if (argBytes) code_.add(esp, argBytes);
}

// The routine comes from the dispatch table of the receiver's own class, by
// way of FindVTableCode, and is called through EAX.
void CodeGen::emit_dispatched_call(int32_t slot, int32_t argBytes) {
  code_.push(slot);
  code_.push(eax);
  emit_call("FindVTableCode", 8);
  code_.call(eax);
  code_.call_descriptor();
  if (argBytes) code_.add(esp, argBytes);
}

// A reference about to be used is compared with nil first.
void CodeGen::emit_nil_test() {
  CodeLabel ok = code_.label();
  code_.test(eax, eax);
  code_.jcc(Cond::ne, ok);
  emit_call("RuntimeNilObject", 0);
  code_.bind(ok);
}

void CodeGen::emit_release(int32_t frameOffset, const Type &t) {
  code_.push(mem(ebp, frameOffset));
  emit_call(t.kind == K::String ? "RuntimeUnlockString" : "RuntimeUnlockObject", 4);
}

void CodeGen::emit_take_new(int32_t temp, const Type &t) {
  code_.xchg(mem(ebp, temp), eax);
  code_.push(eax);
  emit_call(t.kind == K::String ? "RuntimeUnlockString" : "RuntimeUnlockObject", 4);
  code_.mov(eax, mem(ebp, temp));
}

void CodeGen::emit_lock(const Type &t) {
  code_.push(eax);
  code_.call_import(t.kind == K::String ? "RuntimeLockString" : "RuntimeLockObject");
  code_.call_descriptor();
  code_.pop(eax);
}

void CodeGen::push_value(const Type &t) {
  if (t.kind == K::Double) {
    code_.sub(esp, 8);
    code_.fstp64(mem(esp));
  } else if (t.kind == K::Single) {
    code_.sub(esp, 4);
    code_.fstp32(mem(esp));
  } else {
    code_.push(eax);
  }
}

static int32_t arg_bytes(const Type &t) { return t.kind == K::Double ? 8 : 4; }

void CodeGen::push_double_const(double v) {
  data_.align(8);
  DataLabel l = data_.here();
  data_.f64(v);
  code_.fld64(mem(DataRef(l)));
}

// A ByRef parameter's slot holds the variable's address, loaded into ECX.
Mem CodeGen::slot_mem(const Slot &s) {
  if (s.byRef) {
    code_.mov(ecx, mem(ebp, s.offset));
    return mem(ecx);
  }
  return s.where == Slot::Global ? mem(DataRef(globals_, s.offset)) : mem(ebp, s.offset);
}

void CodeGen::load(const Mem &m, const Type &t) {
  switch (t.kind) {
  case K::Double:
    return code_.fld64(m);
  case K::Single:
    return code_.fld32(m); /* widened on load */
  case K::Boolean:
    return code_.movzx8(eax, m);
  default:
    return code_.mov(eax, m);
  }
}

void CodeGen::store(const Mem &m, const Type &t) {
  switch (t.kind) {
  case K::Double:
    return code_.fstp64(m);
  case K::Single:
    return code_.fstp32(m); /* rounded to single on store */
  case K::Boolean:
    return code_.mov8(m, al);
  case K::String:
  case K::Object:
    emit_lock(t);
    code_.xchg(m, eax);
    code_.push(eax);
    return emit_call(t.kind == K::String ? "RuntimeUnlockString" : "RuntimeUnlockObject", 4);
  default:
    return code_.mov(m, eax);
  }
}

// store() calls out before it writes a reference, so the address of a ByRef
// variable is loaded only after the lock.
void CodeGen::store_slot(const Slot &s, const Type &t) {
  if (!s.byRef || !t.is_ref()) return store(slot_mem(s), t);
  emit_lock(t);
  code_.xchg(slot_mem(s), eax);
  code_.push(eax);
  emit_call(t.kind == K::String ? "RuntimeUnlockString" : "RuntimeUnlockObject", 4);
}

void CodeGen::set_try_state(int32_t state) {
  if (r_->tryStateOffset && state != tryState_) code_.mov(mem(ebp, r_->tryStateOffset), state);
  tryState_ = state;
}

// ---- expressions ----

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
    return load(slot_mem(n.slot), n.slot.type); /* n.type may be widened */
  case NK::Field:
    expr(*n.lhs);
    emit_nil_test();
    return load(mem(eax, n.offset), n.slot.type);
  case NK::PropGet: {
    expr(*n.lhs);
    emit_nil_test();
    FieldAccess fa = field_access(n.prop->getter);
    if (fa == FieldAccess::Int) return code_.mov(eax, mem(eax, n.prop->parameter));
    if (fa == FieldAccess::Short) return code_.movsx16(eax, mem(eax, n.prop->parameter));
    if (fa == FieldAccess::Bool) return code_.movzx8(eax, mem(eax, n.prop->parameter));
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
  case NK::Convert:
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

void CodeGen::push_args(std::vector<NodeP> &args, const std::vector<Type> &types) {
  for (size_t i = args.size(); i-- > 0;) {
    if (args[i]->address) {
      address_of(*args[i]);
      code_.push(eax);
      continue;
    }
    expr(*args[i]);
    push_value(types[i]);
  }
}

// Arguments are pushed last to first, then the receiver; the caller removes them.
void CodeGen::call(Node &n) {
  std::vector<Type> types;
  int32_t bytes = 0;
  for (auto &a : n.args) types.push_back(a->type), bytes += a->address ? 4 : arg_bytes(a->type);
  push_args(n.args, types);
  if (n.lhs) {
    expr(*n.lhs);
    emit_nil_test();
    code_.push(eax);
    bytes += 4;
  }
  if (n.kind == NK::CallRoutine && n.dispatched) {
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
  for (auto &a : n.args) types.push_back(a->type), bytes += arg_bytes(a->type);
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
    expr(*n.rhs);
    code_.push(eax);
    expr(*n.lhs);
    code_.push(eax);
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
    expr(*n.rhs);
    code_.push(eax);
    expr(*n.lhs);
    code_.push(eax);
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

// ---- statements ----

void CodeGen::block(Block &b) {
  for (auto &s : b) stmt(*s);
}

// The value is evaluated first, then the place it goes to.
void CodeGen::assign(Node &target, Node &value) {
  const Type &t = target.type;
  switch (target.kind) {
  case NK::Var:
    expr(value);
    return store_slot(target.slot, t);
  case NK::Field:
    expr(value);
    push_value(t);
    expr(*target.lhs);
    emit_nil_test();
    code_.mov(ecx, eax);
    if (t.is_float()) {
      t.kind == K::Double ? code_.fld64(mem(esp)) : code_.fld32(mem(esp));
      code_.add(esp, arg_bytes(t));
      return store(mem(ecx, target.offset), t);
    }
    code_.pop(eax);
    if (t.is_ref()) { /* store() calls out: keep the object in a safe place */
      code_.push(ecx);
      emit_lock(t);
      code_.pop(ecx);
      code_.xchg(mem(ecx, target.offset), eax);
      code_.push(eax);
      return emit_call(t.kind == K::String ? "RuntimeUnlockString" : "RuntimeUnlockObject", 4);
    }
    return store(mem(ecx, target.offset), t);
  case NK::PropGet: {
    const BuiltinProperty *p = target.prop;
    FieldAccess fa = field_access(p->setter);
    expr(value);
    push_value(t);
    if (fa != FieldAccess::None) {
      expr(*target.lhs);
      emit_nil_test();
      code_.pop(ecx);
      if (fa == FieldAccess::Int) return code_.mov(mem(eax, p->parameter), ecx);
      if (fa == FieldAccess::Short) return code_.mov16(mem(eax, p->parameter), ecx);
      return code_.mov8(mem(eax, p->parameter), cl);
    }
    code_.push(p->parameter);
    expr(*target.lhs);
    emit_nil_test();
    code_.push(eax);
    return emit_call(p->setter, 8 + arg_bytes(t));
  }
  default:
    error_at(target.loc, "internal: assignment target");
  }
}

void CodeGen::stmt(Stmt &s) {
  switch (s.kind) {
  case SK::Dim:
    for (const Slot &slot : s.slots) {
      if (s.value) {
        expr(*s.value);
      } else if (slot.type.is_float()) {
        code_.fldz();
      } else {
        code_.xor_(eax, eax);
      }
      store(slot_mem(slot), slot.type);
    }
    return;
  case SK::Const:
    return;
  case SK::Assign:
    return assign(*s.target, *s.value);
  case SK::Expr:
    expr(*s.value);
    if (s.value->type.is_float()) code_.fstp_st(0); /* an unused result */
    return;
  case SK::If:
    return if_stmt(s);
  case SK::Select:
    return select_stmt(s);
  case SK::For:
  case SK::While:
  case SK::Do:
    return loop_stmt(s);
  case SK::Exit:
    if (s.word.empty() || s.word == "SUB" || s.word == "FUNCTION" || s.word == "HANDLER" ||
        s.word == "MENUHANDLER")
      return code_.jmp(exit_);
    for (size_t i = loops_.size(); i-- > 0;)
      if (loops_[i].word == s.word) {
        int32_t keep = tryState_;
        set_try_state(loops_[i].tryState);
        code_.jmp(loops_[i].exit);
        tryState_ = keep;
        return;
      }
    return;
  case SK::Return:
    if (s.value) {
      expr(*s.value);
      store(mem(ebp, r_->resultOffset), r_->result);
    }
    return code_.jmp(exit_);
  case SK::Try:
    return try_stmt(s);
  case SK::Raise:
    expr(*s.value);
    emit_nil_test();
    code_.push(eax);
    return emit_call("RuntimeRaiseException", 4);
  }
}

void CodeGen::if_stmt(Stmt &s) {
  CodeLabel end = code_.label();
  auto branch = [&](Node &cond, Block &body) {
    CodeLabel next = code_.label();
    expr(cond);
    code_.test(eax, eax);
    code_.jcc(Cond::e, next);
    block(body);
    code_.jmp(end);
    code_.bind(next);
  };
  branch(*s.value, s.body);
  for (auto &e : s.elseIfs) branch(*e.first, e.second);
  block(s.elseBody);
  code_.bind(end);
}

void CodeGen::select_stmt(Stmt &s) {
  expr(*s.value);
  store(slot_mem(s.subjectSlot),
        s.subjectSlot.type.is_ref() ? Type{K::Integer} : s.subjectSlot.type);
  CodeLabel end = code_.label();
  for (CaseClause &c : s.cases) {
    CodeLabel body = code_.label(), next = code_.label();
    for (CaseClause::Test &t : c.tests) {
      expr(*t.value);
      code_.test(eax, eax);
      code_.jcc(Cond::ne, body);
    }
    if (!c.tests.empty()) code_.jmp(next);
    code_.bind(body);
    block(c.body);
    code_.jmp(end);
    code_.bind(next);
  }
  code_.bind(end);
}

void CodeGen::loop_stmt(Stmt &s) {
  CodeLabel top = code_.label(), exit = code_.label();
  if (s.kind == SK::For) {
    expr(*s.value);
    store_slot(s.target->slot, s.target->type);
    expr(*s.to);
    store(slot_mem(s.limitSlot), s.limitSlot.type);
    expr(*s.step);
    store(slot_mem(s.stepSlot), s.stepSlot.type);
  }
  code_.bind(top);
  Node *test = s.kind == SK::For ? s.loopTest.get() : s.value.get();
  bool atTop = s.kind != SK::Do || s.testAtTop;
  bool exitWhenTrue = s.kind == SK::Do && s.until;
  if (test && atTop) {
    expr(*test);
    code_.test(eax, eax);
    code_.jcc(exitWhenTrue ? Cond::ne : Cond::e, exit);
  }
  loops_.push_back({exit,
                    s.kind == SK::For     ? "FOR"
                    : s.kind == SK::While ? "WHILE"
                                          : "DO",
                    tryState_});
  block(s.body);
  loops_.pop_back();
  if (s.kind == SK::For) {
    expr(*s.loopIncr);
    store_slot(s.target->slot, s.target->type);
  }
  if (test && !atTop) {
    expr(*test);
    code_.test(eax, eax);
    code_.jcc(exitWhenTrue ? Cond::e : Cond::ne, top);
  } else {
    code_.jmp(top);
  }
  code_.bind(exit);
}

// A Try sets the routine's Try state for its body; the routine's one catch
// entry leads to the dispatcher, which picks the handler by that state.
void CodeGen::try_stmt(Stmt &s) {
  CodeLabel end = code_.label();
  int32_t outer = tryState_;
  set_try_state(s.tryId);
  block(s.body);
  set_try_state(outer);
  code_.jmp(end);
  for (CatchClause &c : s.catches) {
    CodeLabel h = code_.here();
    handlers_.push_back({s.tryId, s.tryEnd, c.cls, h});
    tryState_ = -1; /* unknown on arrival: always set */
    set_try_state(outer);
    code_.mov(eax, mem(ebp, -4)); /* the caught exception, locked for this frame */
    code_.mov(mem(ebp, -4), 0);
    if (!c.var.empty()) {
      code_.xchg(slot_mem(c.slot), eax);
    }
    code_.push(eax);
    emit_call("RuntimeUnlockObject", 4);
    block(c.body);
    code_.jmp(end);
  }
  code_.bind(end);
}

// Tries are tested innermost first (nested ones have higher numbers); an
// exception no active clause takes is raised again past this frame's catches.
void CodeGen::dispatcher() {
  code_.bind(dispatch_);
  std::vector<Handler> order = handlers_;
  std::stable_sort(order.begin(), order.end(),
                   [](const Handler &a, const Handler &b) { return a.tryId > b.tryId; });
  for (const Handler &h : order) {
    CodeLabel skip = code_.label();
    code_.mov(eax, mem(ebp, r_->tryStateOffset));
    code_.cmp(eax, h.tryId);
    code_.jcc(Cond::l, skip);
    code_.cmp(eax, h.tryEnd);
    code_.jcc(Cond::g, skip);
    if (h.cls) {
      code_.push(checked_.classes.index_of(h.cls));
      code_.push(mem(ebp, -4));
      emit_call("RuntimeObjectIsa", 8);
      code_.test8(al, al);
      code_.jcc(Cond::ne, h.label);
    } else {
      code_.jmp(h.label);
    }
    code_.bind(skip);
  }
  code_.mov(eax, mem(ebp, -4));
  code_.mov(mem(ebp, -4), 0);
  code_.push(eax);
  code_.push(eax);
  emit_call("RuntimeUnlockObject", 4); /* the raiser still holds one */
  code_.call_import("RuntimeReraiseException");
  code_.call_descriptor({7}); /* not caught here again */
  code_.add(esp, 4);
}

// ---- routines ----

static bool takes_stack_check(const Routine &r) {
  return r.kind != RoutineKind::Constructor && r.kind != RoutineKind::Destructor;
}

// The frame: saved EBP, then the zeroed locals, the exception slot first.
void CodeGen::prologue(Routine &r) {
  code_.push(ebp);
  code_.mov(ebp, esp);
  int32_t words = r.frameSize / 4;
  if (words <= 8) {
    for (int32_t i = 0; i < words; i++) code_.push(0);
  } else {
    code_.xor_(eax, eax);
    code_.mov(ecx, words);
    CodeLabel again = code_.here();
    code_.push(eax);
    code_.dec(ecx);
    code_.jcc(Cond::ne, again);
  }
  if (options_.stackCheck && takes_stack_check(r)) emit_call("RuntimeStackCheck", 0);
  for (Param &p : r.params)
    if (p.assigned) { /* a parameter written in the body owns its own reference */
      code_.mov(eax, mem(ebp, p.offset));
      emit_lock(p.type);
    }
}

void CodeGen::epilogue(Routine &r) {
  code_.bind(exit_);
  if (r.kind == RoutineKind::Destructor && r.owner && r.owner->decl)
    for (const Property &p : r.owner->decl->properties)
      if (p.type.is_ref()) {
        code_.mov(ecx, mem(ebp, 8));
        code_.xor_(eax, eax);
        code_.xchg(mem(ecx, p.offset), eax);
        code_.push(eax);
        emit_call(p.type.kind == K::String ? "RuntimeUnlockString" : "RuntimeUnlockObject", 4);
      }
  std::vector<FrameSlot> slots;
  for (auto &[offset, type] : r.refSlots) {
    emit_release(offset, type);
    slots.push_back({release_kind(type), int16_t(offset)});
  }
  if (r.resultOffset) {
    if (r.result.is_ref()) slots.push_back({release_kind(r.result), int16_t(r.resultOffset)});
    load(mem(ebp, r.resultOffset), r.result);
  } else if (r.kind == RoutineKind::Constructor || r.kind == RoutineKind::Destructor) {
    code_.xor_(eax, eax);
  }
  code_.leave();
  code_.ret();
  std::vector<CatchEntry> catches;
  if (r.tryCount)
    catches.push_back(
        {int16_t(checked_.classes.index_of(checked_.classes.builtin("RuntimeException"))),
         dispatch_});
  code_.exception_table(catches, slots);
}

static std::string routine_name(const Routine &r) {
  std::string owner = r.owner ? r.owner->decl ? r.owner->name : "" : "";
  if (r.owner && !r.owner->decl && r.owner->window) owner = r.owner->window->name;
  std::string n = r.controlName.empty() ? r.name : r.controlName + "." + r.name;
  return owner.empty() ? n : owner + "." + n;
}

void CodeGen::routine(Routine &r) {
  r_ = &r;
  exit_ = code_.label();
  dispatch_ = code_.label();
  loops_.clear();
  handlers_.clear();
  tryState_ = 0;
  CodeLabel start = label_of(&r);
  code_.bind(start);
  prologue(r);
  block(r.body);
  code_.jmp(exit_);
  if (r.tryCount) dispatcher();
  epilogue(r);
  placed(routine_name(r), start);
  r_ = nullptr;
}

// The pair the class record names: the user's routines, or empty ones; the
// destructor also releases the class's String and object properties.
void CodeGen::lifecycle(ClassInfo *cls) {
  auto empty = [&](RoutineKind kind, const char *name, CodeLabel label) {
    Routine r;
    r.kind = kind;
    r.name = name;
    r.owner = cls;
    r.selfClass = cls;
    r.frameSize = 4;
    labels_[&r] = label;
    routine(r);
    labels_.erase(&r);
  };
  if (!cls->constructor) empty(RoutineKind::Constructor, "Constructor", constructor_of(cls));
  if (!cls->destructor) empty(RoutineKind::Destructor, "Destructor", destructor_of(cls));
}

// The implicit-instance accessor and the creator of a window class. The
// description pointer is followed by the instance slot.
void CodeGen::window_routines(ClassInfo *w, DataLabel pointer) {
  CodeLabel start = accessor_of(w);
  code_.bind(start);
  code_.push(ebp);
  code_.mov(ebp, esp);
  code_.push(0);
  CodeLabel have = code_.label(), done = code_.label();
  code_.mov(eax, mem(DataRef(pointer, 4)));
  code_.test(eax, eax);
  code_.jcc(Cond::ne, have);
  code_.push(DataRef(pointer, 4));
  code_.push(mem(DataRef(pointer)));
  emit_call("RuntimeCreateWindow", 8);
  code_.push(eax); /* one reference for the slot, the created one for the caller */
  emit_call("RuntimeLockObject", 0);
  code_.pop(eax);
  code_.mov(mem(DataRef(pointer, 4)), eax);
  code_.jmp(done);
  code_.bind(have);
  code_.push(eax);
  emit_call("RuntimeLockObject", 4);
  code_.bind(done);
  code_.leave();
  code_.ret();
  code_.frame_map({});
  placed(w->name + " implicit instance", start);

  start = creator_of(w);
  code_.bind(start);
  code_.push(ebp);
  code_.mov(ebp, esp);
  code_.push(0);
  code_.push(0);
  code_.push(mem(DataRef(pointer)));
  emit_call("RuntimeCreateWindow", 8);
  code_.leave();
  code_.ret();
  code_.frame_map({});
  placed("New " + w->name, start);
}

void CodeGen::entry_routine(DataLabel directory, DataLabel plugins, const Routine *main,
                            ClassInfo *mainWindow) {
  CodeLabel start = code_.here();
  code_.push(ebp);
  code_.mov(ebp, esp);
  code_.push(0); /* the exception slot */
  code_.push(0); /* the main window */
  if (plugins.is_nil()) {
    code_.push(0);
  } else {
    code_.push(DataRef(plugins));
  }
  emit_call("Win32InstallPlugins", 4);
  code_.push(DataRef(directory));
  emit_call("RuntimeInit", 4);
  if (main) emit_call(label_of(main), 0);
  std::vector<FrameSlot> slots;
  if (mainWindow) {
    emit_call(accessor_of(mainWindow), 0);
    code_.xchg(mem(ebp, -8), eax);
    code_.push(eax);
    emit_call("RuntimeUnlockObject", 4);
    emit_call("RuntimeRun", 0);
    emit_release(-8, {K::Object});
    slots.push_back({6, -8});
  }
  code_.leave();
  code_.ret();
  code_.frame_map(slots);
  data_.set_entry(start);
  placed("entry routine", start);
}

} // namespace basc
