// Code generation for arrays: creating them at Dim, element reads and writes
// (direct for one dimension, a start/add-index walk for several), UBound,
// Append, Insert, Remove, Sort, Redim of each dimension, and disposal when
// the routine that created them returns (the runtime disposes of them when a
// raise unwinds it instead). One-dimensional Boolean arrays use the runtime's
// compact Boolean form and its own entries.
#include "codegen.h"

namespace basc {

using namespace img;
using K = Type::Kind;

namespace {

// The word the runtime's array entries carry for an element type; Color and
// Boolean elements are stored as Integers.
const char *family(const Type &a) {
  switch (a.elem) {
  case K::Single:
    return "Single";
  case K::Double:
    return "Double";
  case K::String:
    return "String";
  case K::Object:
    return "Object";
  default:
    return "Int";
  }
}

// Remove, Redim and Dispose come in Integer, String and Object forms only:
// Single and Double storage holds no references and is cut like Integers.
const char *storage_family(const Type &a) {
  return a.elem == K::String ? "String" : a.elem == K::Object ? "Object" : "Int";
}

std::string entry(const char *before, const char *word, const char *after) {
  return std::string(before) + word + after;
}

// Numbers reach the array entries by value, a Single widened to a Double.
Type passed_as(const Type &element) {
  return element.is_float() ? Type{K::Double, nullptr} : element;
}

} // namespace

// The slot is cleared before the array goes, so that an exception raised
// before the slot is filled again cannot make the unwinder dispose it twice.
void CodeGen::dispose_array(const Mem &slot, const Type &a) {
  CodeLabel none = code_.label();
  code_.xor_(eax, eax);
  code_.xchg(slot, eax);
  code_.test(eax, eax);
  code_.jcc(Cond::e, none);
  code_.push(eax);
  emit_call(a.is_compact_bool() ? std::string("RuntimeDisposeFastBooleanArray")
                                : entry("RuntimeDispose", storage_family(a), "Array"),
            4);
  code_.bind(none);
}

// Into an empty slot: a Dim met again (in a loop) disposes of the array it
// made before first.
void CodeGen::create_array(const Slot &slot, const ArrayShape &shape) {
  const Type &a = slot.type;
  if (a.is_compact_bool()) {
    shape.uppers.empty() ? code_.mov(eax, -1) : expr(*shape.uppers[0]);
    code_.push(eax);
    emit_call("RuntimeCreateFastBooleanArray", 4);
    return code_.mov(slot_mem(slot), eax);
  }
  emit_call("RuntimeCreateArray", 0);
  code_.mov(slot_mem(slot), eax);
  auto add_dimension = [&](Node *upper) {
    upper ? expr(*upper) : code_.mov(eax, -1); /* "()": one dimension, no elements */
    code_.push(eax);
    code_.push(0);
    code_.push(slot_mem(slot));
    emit_call("RuntimeArrayCreateAddIndex", 12);
  };
  if (shape.uppers.empty()) return add_dimension(nullptr);
  for (const NodeP &u : shape.uppers) add_dimension(u.get());
}

// An array property, made by its class's constructor from literal bounds;
// RuntimeArrayCreateAddIndex gives the array back each time.
void CodeGen::create_field_array(const Property &p) {
  const Type &a = p.type;
  auto upper = [&](size_t d) {
    return d < p.shape.uppers.size() ? int32_t(p.shape.uppers[d]->ival) : -1;
  };
  if (a.is_compact_bool()) {
    code_.push(upper(0));
    emit_call("RuntimeCreateFastBooleanArray", 4);
  } else {
    emit_call("RuntimeCreateArray", 0);
    for (size_t d = 0; d < size_t(a.dims); d++) {
      code_.push(upper(d));
      code_.push(0);
      code_.push(eax);
      emit_call("RuntimeArrayCreateAddIndex", 12);
    }
  }
  code_.mov(ecx, mem(ebp, 8));
  code_.mov(mem(ecx, p.offset), eax);
}

// The array at [esp], index k at [esp + 4 + 4k].
void CodeGen::push_array_operands(Node &n) {
  std::vector<Node *> ops = {n.lhs.get()};
  std::vector<Type> types = {n.lhs->type};
  for (auto &a : n.args) ops.push_back(a.get()), types.push_back(a->type);
  push_operands(ops, types, true);
}

// Start and add-index calls for every index but the last; `below` bytes
// wait between the operands and anything pushed before them.
void CodeGen::walk_dimensions(Node &n, bool write) {
  for (size_t k = 0; k + 1 < n.args.size(); k++) {
    code_.push(mem(esp, 4 + 4 * int32_t(k)));
    code_.push(mem(esp, 4));
    const char *step =
        k == 0 ? (write ? "RuntimeArrayStartWriteAccess" : "RuntimeArrayStartReadAccess")
               : (write ? "RuntimeArrayAddWriteIndex" : "RuntimeArrayAddReadIndex");
    emit_call(step, 8);
  }
}

void CodeGen::index_read(Node &n) {
  const Type &a = n.lhs->type;
  int32_t operands = 4 + 4 * a.dims, last = 4 * (a.dims - 1);
  push_array_operands(n);
  walk_dimensions(n, false);
  code_.push(mem(esp, 4 + last));
  code_.push(mem(esp, 4));
  std::string read = a.is_compact_bool() ? std::string("RuntimeFastReadBoolArray")
                     : a.dims == 1       ? entry("RuntimeDirectRead", family(a), "Array")
                                         : entry("RuntimeRead", family(a), "Array");
  emit_call(read, 8 + operands);
  if (n.type.kind == K::Boolean) code_.movzx(eax, al);
  if (n.type.is_ref()) emit_take_new(n.temp, n.type);
}

// The value is evaluated first and waits below the indexes and the array.
void CodeGen::index_write(Node &target, Node &value) {
  const Type &a = target.lhs->type;
  Type v = passed_as(a.element());
  int32_t bytes = arg_bytes(v), operands = 4 + 4 * a.dims, last = 4 * (a.dims - 1);
  expr(value);
  push_value(v);
  push_array_operands(target);
  walk_dimensions(target, true);
  for (int32_t w = 0; w < bytes; w += 4) /* a copy of the value, high word first */
    code_.push(mem(esp, operands + bytes - 4));
  code_.push(mem(esp, bytes + 4 + last));
  code_.push(mem(esp, bytes + 4));
  std::string write = a.is_compact_bool() ? std::string("RuntimeFastWriteBoolArray")
                      : a.dims == 1       ? entry("RuntimeDirectWrite", family(a), "Array")
                                          : entry("RuntimeWrite", family(a), "Array");
  emit_call(write, 8 + bytes + operands + bytes);
}

void CodeGen::array_op(Node &n) {
  const Type &a = n.lhs->type;
  bool compact = a.is_compact_bool();
  const std::string &op = n.text;
  auto push_array = [&] {
    expr(*n.lhs);
    emit_nil_test();
    code_.push(eax);
  };
  if (op == "UBOUND") {
    n.args.empty() ? code_.mov(eax, 1) : expr(*n.args[0]);
    code_.push(eax);
    push_array();
    return emit_call(compact ? "RuntimeFastArrayUBound2Param" : "RuntimeUBound2Param", 8);
  }
  if (op == "SORT") {
    push_array();
    return emit_call(entry("Runtime", family(a), "ArraySort"), 4);
  }
  int32_t bytes = 0;
  if (op == "APPEND" || op == "INSERT") { /* the value, then the index */
    Type v = passed_as(a.element());
    expr(*n.args.back());
    push_value(v);
    bytes += arg_bytes(v);
  }
  if (op == "INSERT" || op == "REMOVE") {
    expr(*n.args[0]);
    code_.push(eax);
    bytes += 4;
  }
  push_array();
  const char *word = op == "REMOVE" ? storage_family(a) : family(a);
  const char *suffix = op == "APPEND"   ? "ArrayAppend"
                       : op == "INSERT" ? "ArrayInsert"
                                        : "ArrayRemove";
  emit_call(compact ? entry("RuntimeFastBoolean", "", suffix) : entry("Runtime", word, suffix),
            bytes + 4);
}

// Every new bound is evaluated before the first dimension changes.
void CodeGen::redim(Stmt &s) {
  const Type &a = s.target->type;
  std::vector<NodeP> &uppers = s.names[0].shape.uppers;
  for (size_t d = uppers.size(); d-- > 0;) {
    expr(*uppers[d]);
    code_.push(eax);
  }
  for (size_t d = 0; d < uppers.size(); d++) {
    code_.push(mem(esp, 4 * int32_t(d)));
    if (a.is_compact_bool()) {
      expr(*s.target);
      code_.push(eax);
      emit_call("RuntimeRedimFastBoolArray", 8);
      continue;
    }
    code_.push(int32_t(d));
    expr(*s.target);
    code_.push(eax);
    emit_call(entry("RuntimeRedim", storage_family(a), "ArrayLevel"), 12);
  }
  code_.add(esp, 4 * int32_t(uppers.size()));
}

} // namespace basc
