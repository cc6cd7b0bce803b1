// Code generation for statements: assignment, If, Select Case, the loops,
// Try/Catch, and the dispatcher of a routine's exception states.
#include "codegen.h"
#include "names.h"
#include <algorithm>
#include <cstring>

namespace basc {

using namespace img;
using K = Type::Kind;

void CodeGen::block(Block &b) {
  for (auto &s : b) stmt(*s);
}

// EAX: a reference to keep in the field at offset of the object in ECX. The
// field takes a reference of its own and releases the one it held.
void CodeGen::store_ref_field(int32_t offset, const Type &t) {
  code_.push(ecx); /* locking calls out: keep the object in a safe place */
  emit_lock(t);
  code_.pop(ecx);
  code_.xchg(mem(ecx, offset), eax);
  code_.push(eax);
  emit_call(t.kind == K::String ? "RuntimeUnlockString" : "RuntimeUnlockObject", 4);
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
    if (t.is_ref()) return store_ref_field(target.offset, t);
    return store(mem(ecx, target.offset), t);
  case NK::PropGet: {
    const BuiltinProperty *p = target.prop;
    FieldAccess fa = field_access(p->setter);
    expr(value);
    push_value(t);
    if (fa != FieldAccess::None) {
      expr(*target.lhs);
      emit_nil_test();
      if (fa == FieldAccess::Ref) {
        code_.mov(ecx, eax);
        code_.pop(eax);
        return store_ref_field(p->parameter, t);
      }
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
  case NK::Index:
    return index_write(target, value);
  case NK::MethodAssign:
    return method_assign(target, value);
  default:
    error_at(target.loc, "internal: assignment target");
  }
}

// Assignment entries that take the assigned value first and then the
// receiver and the method's arguments: RuntimePopupSetRow(text, popup, row).
static bool takes_value_first(const char *entry) {
  static const char *const kValueFirst[] = {"RuntimePopupSetRow"};
  for (const char *e : kValueFirst)
    if (!strcmp(e, entry)) return true;
  return false;
}

// A method's assignment form takes the receiver, the method's arguments and
// the assigned value last: dictionaryValueSetter(d, key, value); or the
// value first, when its entry says so.
void CodeGen::method_assign(Node &target, Node &value) {
  const Type &t = target.type;
  bool first = takes_value_first(target.method->assignEntry);
  if (!first) {
    expr(value);
    push_value(t);
  }
  std::vector<Type> types;
  int32_t bytes = arg_bytes(t) + 4;
  for (auto &a : target.args) types.push_back(a->type), bytes += arg_bytes(a->type);
  push_args(target.args, types);
  expr(*target.lhs);
  emit_nil_test();
  code_.push(eax);
  if (first) {
    expr(value);
    push_value(t);
  }
  emit_call(target.method->assignEntry, bytes);
}

void CodeGen::stmt(Stmt &s) {
  switch (s.kind) {
  case SK::Redim:
    return redim(s);
  case SK::Dim:
    for (const DimName &d : s.names) {
      const Slot &slot = d.slot;
      if (slot.type.is_array()) {
        dispose_array(slot_mem(slot), slot.type);
        create_array(slot, d.shape);
        continue;
      }
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
  const Slot &subject = s.checked->subjectSlot;
  store(slot_mem(subject), subject.type.is_ref() ? Type{K::Integer} : subject.type);
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
    store(slot_mem(s.checked->limitSlot), s.checked->limitSlot.type);
    expr(*s.step);
    store(slot_mem(s.checked->stepSlot), s.checked->stepSlot.type);
  }
  code_.bind(top);
  Node *test = s.kind == SK::For ? s.checked->loopTest.get() : s.value.get();
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
    expr(*s.checked->loopIncr);
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

} // namespace basc
