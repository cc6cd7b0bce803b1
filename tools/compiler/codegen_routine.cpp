// Code generation for whole routines: prologue and epilogue with the frame
// map of reference-holding slots, each routine of a class, the lifecycle
// routines, a window's accessor and creator, and the entry routine.
#include "codegen.h"
#include "names.h"
#include <algorithm>
#include <cstring>

namespace basc {

using namespace img;
using K = Type::Kind;

static uint8_t release_kind(const Type &t) {
  return t.kind == K::String ? kSlotString : kSlotObject;
}

// How the runtime disposes of an array when a raise unwinds its frame; the
// epilogue's dispose_array picks the same entry.
static uint8_t dispose_kind(const Type &a) {
  if (a.is_compact_bool()) return kSlotBooleanArray;
  return a.elem == K::String   ? kSlotStringArray
         : a.elem == K::Object ? kSlotObjectArray
                               : kSlotIntArray;
}

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
  if (r.kind == RoutineKind::Constructor && r.owner && r.owner->decl) {
    for (const Property &p : r.owner->decl->properties)
      if (p.type.is_array()) create_field_array(p);
  }
  for (Param &p : r.params)
    if (p.assigned) { /* a parameter written in the body owns its own reference */
      code_.mov(eax, mem(ebp, p.offset));
      emit_lock(p.type);
    }
}

void CodeGen::epilogue(Routine &r) {
  code_.bind(exit_);
  if (r.kind == RoutineKind::Destructor && r.owner && r.owner->decl) {
    for (const Property &p : r.owner->decl->properties) {
      if (p.type.is_array()) {
        code_.mov(ecx, mem(ebp, 8));
        dispose_array(mem(ecx, p.offset), p.type);
      } else if (p.type.is_ref()) {
        code_.mov(ecx, mem(ebp, 8));
        code_.xor_(eax, eax);
        code_.xchg(mem(ecx, p.offset), eax);
        code_.push(eax);
        emit_call(p.type.kind == K::String ? "RuntimeUnlockString" : "RuntimeUnlockObject", 4);
      }
    }
  }
  std::vector<FrameSlot> slots;
  for (auto &[offset, type] : r.arraySlots) { /* its own arrays, never its parameters */
    dispose_array(mem(ebp, offset), type);
    slots.push_back({dispose_kind(type), int16_t(offset)});
  }
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
  /* module-level arrays exist before any of the program's code runs */
  for (GlobalDecl *g : checked_.globalArrays) create_array(g->slot, g->shape);
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
    slots.push_back({kSlotObject, -8});
  }
  for (GlobalDecl *g : checked_.globalArrays) dispose_array(slot_mem(g->slot), g->slot.type);
  code_.leave();
  code_.ret();
  code_.frame_map(slots);
  data_.set_entry(start);
  placed("entry routine", start);
}

} // namespace basc
