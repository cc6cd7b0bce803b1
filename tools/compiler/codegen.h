// Checked routines to x86 code: one routine at a time into the image's code1,
// with its constants placed in data1. The conventions are those the runtime's
// exception search and the loader rely on.
#pragma once
#include "check.h"
#include "classdir.h"
#include "x86.h"
#include <map>

namespace basc {

// Bytes an argument of that type takes on the machine stack.
inline int32_t arg_bytes(const Type &t) { return t.kind == Type::Kind::Double ? 8 : 4; }

struct CodegenOptions {
  bool stackCheck = true; // RuntimeStackCheck at the start of event, menu and method routines
};

// A routine placed in code1, for the map file.
struct PlacedRoutine {
  std::string name;
  img::CodeLabel start;
  uint32_t end = 0;
};

class CodeGen {
public:
  CodeGen(img::Code &code, img::Data &data, Checked &checked, CodegenOptions options);

  img::CodeLabel label_of(const Routine *r); // made on first use, bound when emitted
  img::CodeLabel accessor_of(ClassInfo *window);
  img::CodeLabel creator_of(ClassInfo *window);
  img::CodeLabel constructor_of(ClassInfo *cls);
  img::CodeLabel destructor_of(ClassInfo *cls);
  img::DataLabel globals() const { return globals_; }
  img::DataLabel string_const(const std::string &text);

  void routine(Routine &r);
  void lifecycle(ClassInfo *cls); // the constructor and destructor pair
  void window_routines(ClassInfo *window, img::DataLabel descriptionPointer);
  void entry_routine(img::DataLabel directory, img::DataLabel plugins, const Routine *main,
                     ClassInfo *mainWindow);
  // The project item named by the module variable at slot is project object
  // `index`: the variable takes it when first read, so that it is there for
  // code the runtime runs while it makes the items and opens the application.
  void bind_project_object(const Slot &slot, int32_t index) { projectItems_[slot.offset] = index; }

  void placed(const std::string &name, img::CodeLabel start) {
    routines_.push_back({name, start, code_.size()});
  }
  const std::vector<PlacedRoutine> &routines() const { return routines_; }

private:
  std::map<int32_t, int32_t> projectItems_; // module-variable offset: project object number
  void project_item(const Slot &slot);
  struct Loop {
    img::CodeLabel exit;
    std::string word;
    int32_t tryState;
  };

  // the vocabulary
  void emit_call(const std::string &entry, int32_t argBytes);
  void emit_call(img::CodeLabel target, int32_t argBytes);
  void emit_dispatched_call(int32_t slot, int32_t argBytes); // receiver in EAX and on the stack
  void emit_interface_call(int32_t slot, int32_t interfaceIndex,
                           int32_t argBytes); // receiver in EAX and on the stack
  void emit_nil_test();
  void emit_release(int32_t frameOffset, const Type &t);
  void emit_take_new(int32_t tempOffset, const Type &t); // EAX: a new reference, owned by the temp
  void emit_lock(const Type &t);                         // EAX keeps its value
  void store_ref_field(int32_t offset, const Type &t);   // EAX into [ECX+offset], counted
  void push_value(const Type &t);
  void push_double_const(double v);
  void load(const img::Mem &m, const Type &t);
  void store(const img::Mem &m, const Type &t); // EAX or ST0 into m; references are exchanged
  img::Mem slot_mem(const Slot &s);             // may load ECX
  void store_slot(const Slot &s, const Type &t);
  void address_of(Node &n);
  void set_try_state(int32_t state);
  void prologue(Routine &r);
  void epilogue(Routine &r);

  // expressions: the value ends in EAX (integers, Booleans as 0 or 1,
  // references) or ST0 (Single and Double)
  void expr(Node &n);
  void binary(Node &n);
  void float_binary(Node &n);
  void compare(Node &n);
  void int_divide(Node &n);
  void call(Node &n);
  void raise_event(Node &n);
  void control_ref(Node &n);
  void menu_ref(Node &n);
  void push_args(std::vector<NodeP> &args, const std::vector<Type> &types);
  bool push_operands(const std::vector<Node *> &ops, const std::vector<Type> &types, bool receiver);
  void hold_borrowed(Node &n);
  void variant_convert(Node &n);

  // arrays
  void create_array(const Slot &slot, const ArrayShape &shape);
  void create_field_array(const Property &p);
  void dispose_array(const img::Mem &slot, const Type &array);
  void push_array_operands(Node &n);
  void walk_dimensions(Node &n, bool write);
  void index_read(Node &n);
  void index_write(Node &target, Node &value);
  void array_op(Node &n);
  void redim(Stmt &s);

  // statements
  void block(Block &b);
  void stmt(Stmt &s);
  void assign(Node &target, Node &value);
  void method_assign(Node &target, Node &value);
  void if_stmt(Stmt &s);
  void select_stmt(Stmt &s);
  void loop_stmt(Stmt &s);
  void try_stmt(Stmt &s);
  void dispatcher();

  img::Code &code_;
  img::Data &data_;
  Checked &checked_;
  CodegenOptions options_;
  img::DataLabel globals_;
  std::map<const Routine *, img::CodeLabel> labels_;
  std::map<ClassInfo *, img::CodeLabel> accessors_, creators_, constructors_, destructors_;
  std::map<std::string, img::DataLabel> strings_;
  std::vector<PlacedRoutine> routines_;

  // the routine being emitted
  Routine *r_ = nullptr;
  img::CodeLabel exit_, dispatch_;
  std::vector<Loop> loops_;
  int32_t tryState_ = 0;
  struct Handler {
    int32_t tryId, tryEnd;
    ClassInfo *cls;
    img::CodeLabel label;
  };
  std::vector<Handler> handlers_;
};

} // namespace basc
