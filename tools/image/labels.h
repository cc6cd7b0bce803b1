// Handles by which code and data refer to places in code1 and data1 before
// those places are known; they are resolved when the image is linked.
#pragma once
#include <cstdint>

namespace img {

// A place in code1, made and bound by the code emitter.
struct CodeLabel {
  uint32_t id = UINT32_MAX;
  bool valid() const { return id != UINT32_MAX; }
};

// A place in data1, made and bound by the data block. The nil label stands for
// the empty runtime string, which has no record: it is written as 0 and never
// relocated.
struct DataLabel {
  static const uint32_t kNil = UINT32_MAX;
  uint32_t id = kNil;
  bool is_nil() const { return id == kNil; }
};

// A data1 address as an operand: a label plus a byte offset from it.
struct DataRef {
  DataLabel label;
  int32_t addend = 0;
  DataRef() = default;
  DataRef(DataLabel l, int32_t a = 0) : label(l), addend(a) {}
};
inline DataRef operator+(DataLabel l, int32_t a) { return DataRef(l, a); }

} // namespace img
