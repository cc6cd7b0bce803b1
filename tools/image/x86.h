// The code1 builder: an x86-32 emitter with one operation per instruction,
// code labels, calls of named imports threaded into fix-up chains, and data
// references that the link table turns into kind 2 records.
#pragma once
#include "bytes.h"
#include "labels.h"
#include "linktable.h"
#include <map>
#include <optional>

namespace img {

enum Reg : uint8_t { eax, ecx, edx, ebx, esp, ebp, esi, edi };
enum Reg8 : uint8_t { al, cl, dl, bl, ah, ch, dh, bh };

// Condition codes, in encoding order (jcc = 0F 80+cc, setcc = 0F 90+cc).
enum class Cond : uint8_t { o, no, b, ae, e, ne, be, a, s, ns, p, np, l, ge, le, g };

// A memory operand: [base + disp], or [data1 address] (a kind 2 reference).
struct Mem {
  Reg base;
  int32_t disp;
  bool absolute; // the address is `data`, relocated by the data base
  DataRef data;
};
inline Mem mem(Reg base, int32_t disp = 0) { return {base, disp, false, {}}; }
inline Mem mem(DataRef d) { return {eax, 0, true, d}; }

// What a routine's exception table does with a local when a raise unwinds
// the routine's frame.
enum FrameSlotKind : uint8_t {
  kSlotString = 5,        // release the string
  kSlotObject = 6,        // release the object
  kSlotIntArray = 8,      // dispose of an array of numbers (any width)
  kSlotStringArray = 9,   // dispose of an array of strings, releasing them
  kSlotObjectArray = 10,  // dispose of an array of objects, releasing them
  kSlotBooleanArray = 11, // dispose of a compact one-dimensional Boolean array
};

// A local listed in a routine's frame map.
struct FrameSlot {
  uint8_t kind;   // a FrameSlotKind
  int16_t offset; // frame offset from EBP
};

// A catch entry of a routine's exception table: exceptions of the class with
// this index continue at the handler, which must already be bound.
struct CatchEntry {
  int16_t classIndex;
  CodeLabel handler;
};

class Code {
public:
  // Labels: forward references are patched when the label is bound.
  CodeLabel label();
  void bind(CodeLabel l);
  CodeLabel here(); // a new label bound at the current offset
  std::optional<uint32_t> offset(CodeLabel l) const;

  uint32_t size() const { return uint32_t(b_.size()); }
  const Bytes &bytes() const { return b_; }

  // What linking needs: named imports in first-use order with their chain
  // heads, and the code1 words that hold data1 addresses.
  struct DataUse {
    uint32_t at; // code1 offset of the 32-bit word
    DataRef ref;
  };
  const std::vector<Import> &imports() const { return imports_; }
  const std::vector<DataUse> &data_uses() const { return data_uses_; }
  bool check_labels(std::string *error) const; // false if a used label is unbound

  // Moves and addresses.
  void mov(Reg dst, Reg src) { rm_reg(0x89, src, dst); }
  void mov(Reg dst, int32_t imm);
  void mov(Reg dst, DataRef addr); // mov reg, offset data
  void mov(Reg dst, Mem src) { op_mem(0x8B, dst, src); }
  void mov(Mem dst, Reg src) { op_mem(0x89, src, dst); }
  void mov(Mem dst, int32_t imm);
  void mov(Mem dst, DataRef addr);
  void mov8(Mem dst, Reg8 src) { op_mem(0x88, src, dst); }
  void mov8(Reg8 dst, Mem src) { op_mem(0x8A, dst, src); }
  void mov8(Mem dst, uint8_t imm);
  void movzx(Reg dst, Reg8 src);
  void movzx8(Reg dst, Mem src);  // zero-extends the byte at src
  void movsx16(Reg dst, Mem src); // sign-extends the 16-bit word at src
  void mov16(Mem dst, Reg src);   // stores the low 16 bits
  void lea(Reg dst, Mem src) { op_mem(0x8D, dst, src); }
  void xchg(Mem m, Reg r) { op_mem(0x87, r, m); }

  // Stack.
  void push(Reg r) { put_u8(b_, uint8_t(0x50 + r)); }
  void push(int32_t imm);
  void push(DataRef addr); // push offset data
  void push(Mem m) { op_mem(0xFF, 6, m); }
  void pop(Reg r) { put_u8(b_, uint8_t(0x58 + r)); }
  void pop(Mem m) { op_mem(0x8F, 0, m); }

  // Integer arithmetic and logic. The names ending in _ avoid C++ keywords.
  void add(Reg d, Reg s) { alu(0, d, s); }
  void add(Reg d, int32_t i) { alu(0, d, i); }
  void add(Reg d, Mem s) { op_mem(0x03, d, s); }
  void add(Mem d, Reg s) { op_mem(0x01, s, d); }
  void add(Mem d, int32_t i) { alu(0, d, i); }
  void or_(Reg d, Reg s) { alu(1, d, s); }
  void or_(Reg d, int32_t i) { alu(1, d, i); }
  void or_(Reg d, Mem s) { op_mem(0x0B, d, s); }
  void and_(Reg d, Reg s) { alu(4, d, s); }
  void and_(Reg d, int32_t i) { alu(4, d, i); }
  void and_(Reg d, Mem s) { op_mem(0x23, d, s); }
  void sub(Reg d, Reg s) { alu(5, d, s); }
  void sub(Reg d, int32_t i) { alu(5, d, i); }
  void sub(Reg d, Mem s) { op_mem(0x2B, d, s); }
  void sub(Mem d, Reg s) { op_mem(0x29, s, d); }
  void sub(Mem d, int32_t i) { alu(5, d, i); }
  void xor_(Reg d, Reg s) { alu(6, d, s); }
  void xor_(Reg d, int32_t i) { alu(6, d, i); }
  void xor_(Reg d, Mem s) { op_mem(0x33, d, s); }
  void cmp(Reg a, Reg b) { alu(7, a, b); }
  void cmp(Reg a, int32_t i) { alu(7, a, i); }
  void cmp(Reg a, Mem b) { op_mem(0x3B, a, b); }
  void cmp(Mem a, Reg b) { op_mem(0x39, b, a); }
  void cmp(Mem a, int32_t i) { alu(7, a, i); }
  void cmp8(Mem a, uint8_t imm);
  void test(Reg a, Reg b) { rm_reg(0x85, b, a); }
  void test(Reg a, int32_t imm);
  void test8(Reg8 a, Reg8 b) { rm_reg(0x84, b, a); }
  void imul(Reg d, Reg s);
  void imul(Reg d, Mem s);
  void imul(Reg d, Reg s, int32_t imm);
  void neg(Reg r) { rm_reg(0xF7, 3, r); }
  void not_(Reg r) { rm_reg(0xF7, 2, r); }
  void inc(Reg r) { put_u8(b_, uint8_t(0x40 + r)); }
  void dec(Reg r) { put_u8(b_, uint8_t(0x48 + r)); }
  void cdq() { put_u8(b_, 0x99); }
  void idiv(Reg r) { rm_reg(0xF7, 7, r); }
  void idiv(Mem m) { op_mem(0xF7, 7, m); }
  void shl(Reg r, uint8_t n) { shift(4, r, n); }
  void shr(Reg r, uint8_t n) { shift(5, r, n); }
  void sar(Reg r, uint8_t n) { shift(7, r, n); }
  void setcc(Cond c, Reg8 r);

  // Control flow. Jumps to labels are always rel32.
  void call(CodeLabel target);
  void call_import(const std::string &name); // threaded into the name's fix-up chain
  void call(Reg r) { rm_reg(0xFF, 2, r); }
  void call(Mem m) { op_mem(0xFF, 2, m); }
  void jmp(CodeLabel target);
  void jcc(Cond c, CodeLabel target);
  void jmp_short(int8_t rel);
  void ret() { put_u8(b_, 0xC3); }
  void leave() { put_u8(b_, 0xC9); }
  void nop() { put_u8(b_, 0x90); }

  // x87 memory operands: 64 = double (qword), 32 = single or integer (dword).
  void fld64(Mem m) { op_mem(0xDD, 0, m); }
  void fld32(Mem m) { op_mem(0xD9, 0, m); }
  void fst64(Mem m) { op_mem(0xDD, 2, m); }
  void fstp64(Mem m) { op_mem(0xDD, 3, m); }
  void fstp32(Mem m) { op_mem(0xD9, 3, m); }
  void fild32(Mem m) { op_mem(0xDB, 0, m); }
  void fild64(Mem m) { op_mem(0xDF, 5, m); }
  void fistp32(Mem m) { op_mem(0xDB, 3, m); }
  void fistp64(Mem m) { op_mem(0xDF, 7, m); }
  void fadd64(Mem m) { op_mem(0xDC, 0, m); }
  void fmul64(Mem m) { op_mem(0xDC, 1, m); }
  void fcomp64(Mem m) { op_mem(0xDC, 3, m); }
  void fsub64(Mem m) { op_mem(0xDC, 4, m); }
  void fsubr64(Mem m) { op_mem(0xDC, 5, m); }
  void fdiv64(Mem m) { op_mem(0xDC, 6, m); }
  void fdivr64(Mem m) { op_mem(0xDC, 7, m); }

  // x87 register forms. _st0: st(0) = st(0) op st(i); _sti: st(i) = st(i) op
  // st(0); p: as _sti, then pop. "r" forms reverse the operands.
  void fadd_st0(int i) { fpu(0xD8, 0xC0, i); }
  void fmul_st0(int i) { fpu(0xD8, 0xC8, i); }
  void fsub_st0(int i) { fpu(0xD8, 0xE0, i); }
  void fsubr_st0(int i) { fpu(0xD8, 0xE8, i); }
  void fdiv_st0(int i) { fpu(0xD8, 0xF0, i); }
  void fdivr_st0(int i) { fpu(0xD8, 0xF8, i); }
  void fadd_sti(int i) { fpu(0xDC, 0xC0, i); }
  void fmul_sti(int i) { fpu(0xDC, 0xC8, i); }
  void fsub_sti(int i) { fpu(0xDC, 0xE8, i); }
  void fsubr_sti(int i) { fpu(0xDC, 0xE0, i); }
  void fdiv_sti(int i) { fpu(0xDC, 0xF8, i); }
  void fdivr_sti(int i) { fpu(0xDC, 0xF0, i); }
  void faddp(int i = 1) { fpu(0xDE, 0xC0, i); }
  void fmulp(int i = 1) { fpu(0xDE, 0xC8, i); }
  void fsubp(int i = 1) { fpu(0xDE, 0xE8, i); }
  void fsubrp(int i = 1) { fpu(0xDE, 0xE0, i); }
  void fdivp(int i = 1) { fpu(0xDE, 0xF8, i); }
  void fdivrp(int i = 1) { fpu(0xDE, 0xF0, i); }
  void fld_st(int i) { fpu(0xD9, 0xC0, i); }
  void fstp_st(int i) { fpu(0xDD, 0xD8, i); }
  void fxch(int i = 1) { fpu(0xD9, 0xC8, i); }
  void fchs() { fpu(0xD9, 0xE0, 0); }
  void fabs() { fpu(0xD9, 0xE1, 0); }
  void fld1() { fpu(0xD9, 0xE8, 0); }
  void fldz() { fpu(0xD9, 0xEE, 0); }
  void fcompp() { fpu(0xDE, 0xD9, 0); }
  void fucompp() { fpu(0xDA, 0xE9, 0); }
  void fnstsw_ax() { fpu(0xDF, 0xE0, 0); }
  void sahf() { put_u8(b_, 0x9E); }

  // Conventions of compiled code that the runtime's exception search reads:
  // the jumped-over descriptor after every call (EB 03 90 EB 00), and the frame
  // map after a routine's closing C9 C3 (2F, kind + i16 BE offset per slot, 00).
  void call_descriptor();
  void frame_map(const std::vector<FrameSlot> &slots);
  // A descriptor with a cleanup list: codes 1 and 2 take an operand byte (an
  // argument offset), 7 stands alone; the terminating 0 is added.
  void call_descriptor(const std::vector<uint8_t> &cleanup);
  // The full table: 2F, catch entries (04, i16 BE class, i32 BE distance from
  // the distance field to the handler), release entries as in frame_map, 00.
  void exception_table(const std::vector<CatchEntry> &catches, const std::vector<FrameSlot> &slots);

private:
  struct Fixup {
    uint32_t at; // the rel32 word
    uint32_t label;
  };

  void rm_reg(uint8_t opcode, uint8_t reg, uint8_t rm); // register-direct ModRM
  void op_mem(uint8_t opcode, uint8_t reg, const Mem &m);
  void modrm(uint8_t reg, const Mem &m);
  void imm_data(DataRef addr);
  void alu(uint8_t op, Reg d, Reg s);
  void alu(uint8_t op, Reg d, int32_t imm);
  void alu(uint8_t op, const Mem &d, int32_t imm);
  void shift(uint8_t op, Reg r, uint8_t n);
  void fpu(uint8_t opcode, uint8_t base, int i);
  void rel32(CodeLabel target);

  Bytes b_;
  std::vector<int64_t> labels_; // offset of each label, -1 while unbound
  std::vector<Fixup> fixups_;   // rel32 words waiting for their label
  std::vector<Import> imports_;
  std::map<std::string, size_t> import_index_;
  std::vector<DataUse> data_uses_;
};

} // namespace img
