// The code generator's shared part: labels made on first use, constants, and
// the vocabulary the expression, statement and routine files emit through.
// Expressions are evaluated into EAX or ST0; operands wait on the machine
// stack while the other side is evaluated, so nothing is held on the x87
// stack across a call. Every new reference is exchanged into the frame
// temporary the checker gave its node, and the routine's epilogue releases
// every reference-holding slot.
#include "codegen.h"
#include "names.h"
#include <algorithm>
#include <cstring>

namespace basc {

using namespace img;
using K = Type::Kind;

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

void CodeGen::emit_call(const std::string &entry, int32_t argBytes) {
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

// The routine comes from the receiver's table for the interface, by way of
// FindInterfaceVTableCode. A table without that entry (a built-in class
// whose method the runtime lacks) stops the call as a nil receiver would,
// rather than jumping to address 0.
void CodeGen::emit_interface_call(int32_t slot, int32_t interfaceIndex, int32_t argBytes) {
  code_.push(interfaceIndex);
  code_.push(slot);
  code_.push(eax);
  emit_call("FindInterfaceVTableCode", 12);
  emit_nil_test();
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

// A project item's variable still empty takes its project object, and keeps
// the reference RuntimeProjectObject returns. An object item (made into its
// variable by the runtime) has no number and needs nothing.
void CodeGen::project_item(const Slot &slot) {
  auto it = projectItems_.find(slot.offset);
  if (it == projectItems_.end()) return;
  CodeLabel bound = code_.label();
  code_.mov(eax, slot_mem(slot));
  code_.test(eax, eax);
  code_.jcc(Cond::ne, bound);
  code_.push(it->second);
  emit_call("RuntimeProjectObject", 4);
  code_.mov(slot_mem(slot), eax);
  code_.bind(bound);
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

} // namespace basc
