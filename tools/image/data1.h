// The data1 builder: words, bytes, doubles, pointers into code1 and data1
// (relocated at load time), static runtime string constants, and labels.
// Words 0 and 1 are reserved for the entry routine and the class directory.
#pragma once
#include "bytes.h"
#include "labels.h"
#include "reloc.h"
#include <optional>

namespace img {

class Data {
public:
  Data(); // data1 starts with its two reserved words

  // Word 0: the entry routine (code-relocated); word 1: the class directory
  // (data-relocated; left 0 and unrelocated when never set).
  void set_entry(CodeLabel routine) { entry_ = routine; }
  void set_class_directory(DataRef dir) { class_dir_ = dir; }

  DataLabel label();
  void bind(DataLabel l);
  DataLabel here(); // a new label bound at the current offset
  std::optional<uint32_t> offset(DataLabel l) const;
  uint32_t size() const { return uint32_t(b_.size()); }
  const Bytes &bytes() const { return b_; }

  void u8(uint8_t v) { put_u8(b_, v); }
  void u32(uint32_t v) { put_u32(b_, v); }
  void u32be(uint32_t v) { put_u32be(b_, v); }
  void i32(int32_t v) { put_u32(b_, uint32_t(v)); }
  void f64(double v);
  void raw(std::string_view s) { put_bytes(b_, s); }
  void raw(const Bytes &s) { put_bytes(b_, s); }
  void align(uint32_t n); // zero bytes up to a multiple of n
  void set_u32(uint32_t at, uint32_t v) { img::set_u32(b_, at, v); } // e.g. a length word

  void code_ptr(CodeLabel target); // a code1 address
  void data_ptr(DataRef target);   // a data1 address; the nil label gives 0

  // A static runtime string: a 16-byte record (count 1, buffer pointer, length
  // + 2, length) and its buffer (length byte, text, NUL, padding to 4). The
  // result labels the record. Empty text has no record: the result is nil.
  DataLabel string_const(std::string_view text);

  // What linking needs: the pointers placed so far.
  struct CodePtr {
    uint32_t at;
    CodeLabel target;
  };
  struct DataPtr {
    uint32_t at;
    DataRef target;
  };
  const std::vector<CodePtr> &code_ptrs() const { return code_ptrs_; }
  const std::vector<DataPtr> &data_ptrs() const { return data_ptrs_; }
  CodeLabel entry() const { return entry_; }
  const DataRef &class_directory() const { return class_dir_; }

private:
  Bytes b_;
  std::vector<int64_t> labels_; // offset of each label, -1 while unbound
  std::vector<CodePtr> code_ptrs_;
  std::vector<DataPtr> data_ptrs_;
  CodeLabel entry_;
  DataRef class_dir_;
};

} // namespace img
