// The data1 builder: placement of items, labels, relocated pointers and the
// layout of static runtime string constants.
#include "data1.h"
#include <cassert>
#include <cstring>

namespace img {

Data::Data() { b_.resize(8); }

DataLabel Data::label() {
  labels_.push_back(-1);
  return {uint32_t(labels_.size() - 1)};
}

void Data::bind(DataLabel l) {
  assert(labels_[l.id] < 0 && "label bound twice");
  labels_[l.id] = b_.size();
}

DataLabel Data::here() {
  DataLabel l = label();
  bind(l);
  return l;
}

std::optional<uint32_t> Data::offset(DataLabel l) const {
  if (l.is_nil() || l.id >= labels_.size() || labels_[l.id] < 0) return std::nullopt;
  return uint32_t(labels_[l.id]);
}

void Data::f64(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  u32(uint32_t(bits));
  u32(uint32_t(bits >> 32)); // little-endian, low word first
}

void Data::align(uint32_t n) {
  while (b_.size() % n) b_.push_back(0);
}

void Data::code_ptr(CodeLabel target) {
  code_ptrs_.push_back({size(), target});
  u32(0);
}

void Data::data_ptr(DataRef target) {
  if (!target.label.is_nil()) data_ptrs_.push_back({size(), target});
  u32(0);
}

DataLabel Data::string_const(std::string_view text) {
  if (text.empty()) return DataLabel{}; // the empty string is nil, never a record
  uint32_t n = uint32_t(text.size());
  align(4);
  DataLabel record = here();
  DataLabel buffer = label();
  u32(1); // reference count: balanced locking never frees it
  data_ptr(buffer);
  u32(n + 2);
  u32(n);
  bind(buffer);
  u8(n < 256 ? uint8_t(n) : 255);
  raw(text);
  u8(0);
  align(4);
  return record;
}

} // namespace img
