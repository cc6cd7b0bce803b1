// The x86-32 emitter: operand encoding (ModRM, SIB, displacements), labels
// and their rel32 fix-ups, import chains and data references.
#include "x86.h"
#include <cassert>

namespace img {

static bool fits8(int32_t v) { return v >= -128 && v <= 127; }

CodeLabel Code::label() {
  labels_.push_back(-1);
  return {uint32_t(labels_.size() - 1)};
}

void Code::bind(CodeLabel l) {
  assert(labels_[l.id] < 0 && "label bound twice");
  labels_[l.id] = b_.size();
  for (size_t i = 0; i < fixups_.size();) {
    if (fixups_[i].label != l.id) {
      i++;
      continue;
    }
    uint32_t at = fixups_[i].at;
    set_u32(b_, at, size() - (at + 4));
    fixups_[i] = fixups_.back(); // order of pending fix-ups does not matter
    fixups_.pop_back();
  }
}

CodeLabel Code::here() {
  CodeLabel l = label();
  bind(l);
  return l;
}

std::optional<uint32_t> Code::offset(CodeLabel l) const {
  if (!l.valid() || l.id >= labels_.size() || labels_[l.id] < 0) return std::nullopt;
  return uint32_t(labels_[l.id]);
}

bool Code::check_labels(std::string *error) const {
  if (fixups_.empty()) return true;
  *error = "code: a jump or call at code1 offset " + std::to_string(fixups_[0].at - 1) +
           " targets a label that was never bound";
  return false;
}

void Code::rm_reg(uint8_t opcode, uint8_t reg, uint8_t rm) {
  put_u8(b_, opcode);
  put_u8(b_, uint8_t(0xC0 | (reg & 7) << 3 | (rm & 7)));
}

void Code::op_mem(uint8_t opcode, uint8_t reg, const Mem &m) {
  put_u8(b_, opcode);
  modrm(reg, m);
}

void Code::modrm(uint8_t reg, const Mem &m) {
  reg = uint8_t((reg & 7) << 3);
  if (m.absolute) { // mod 00, r/m 101: [disp32]
    put_u8(b_, reg | 5);
    imm_data(m.data);
    return;
  }
  uint8_t mod = m.disp == 0 && m.base != ebp ? 0x00 : fits8(m.disp) ? 0x40 : 0x80;
  put_u8(b_, uint8_t(mod | reg | m.base));
  if (m.base == esp) put_u8(b_, 0x24); // SIB: base esp, no index
  if (mod == 0x40) put_u8(b_, uint8_t(int8_t(m.disp)));
  if (mod == 0x80) put_u32(b_, uint32_t(m.disp));
}

void Code::imm_data(DataRef addr) {
  if (addr.label.is_nil()) { // the empty string: nil, nothing to relocate
    put_u32(b_, 0);
    return;
  }
  data_uses_.push_back({size(), addr});
  put_u32(b_, 0); // the data1 offset is written when the image is linked
}

void Code::mov(Reg dst, int32_t imm) {
  put_u8(b_, uint8_t(0xB8 + dst));
  put_u32(b_, uint32_t(imm));
}

void Code::mov(Reg dst, DataRef addr) {
  put_u8(b_, uint8_t(0xB8 + dst));
  imm_data(addr);
}

void Code::mov(Mem dst, int32_t imm) {
  op_mem(0xC7, 0, dst);
  put_u32(b_, uint32_t(imm));
}

void Code::mov(Mem dst, DataRef addr) {
  op_mem(0xC7, 0, dst);
  imm_data(addr);
}

void Code::mov8(Mem dst, uint8_t imm) {
  op_mem(0xC6, 0, dst);
  put_u8(b_, imm);
}

void Code::movzx(Reg dst, Reg8 src) {
  put_u8(b_, 0x0F);
  rm_reg(0xB6, dst, src);
}

void Code::movzx8(Reg dst, Mem src) {
  put_u8(b_, 0x0F);
  op_mem(0xB6, dst, src);
}

void Code::movsx16(Reg dst, Mem src) {
  put_u8(b_, 0x0F);
  op_mem(0xBF, dst, src);
}

void Code::mov16(Mem dst, Reg src) {
  put_u8(b_, 0x66);
  op_mem(0x89, src, dst);
}

void Code::push(int32_t imm) {
  if (fits8(imm)) {
    put_u8(b_, 0x6A);
    put_u8(b_, uint8_t(int8_t(imm)));
    return;
  }
  put_u8(b_, 0x68);
  put_u32(b_, uint32_t(imm));
}

void Code::push(DataRef addr) {
  put_u8(b_, 0x68);
  imm_data(addr);
}

// ALU group: op is the /digit (add 0, or 1, and 4, sub 5, xor 6, cmp 7).
void Code::alu(uint8_t op, Reg d, Reg s) { rm_reg(uint8_t(op << 3 | 1), s, d); }

void Code::alu(uint8_t op, Reg d, int32_t imm) {
  if (fits8(imm)) {
    rm_reg(0x83, op, d);
    put_u8(b_, uint8_t(int8_t(imm)));
  } else if (d == eax) { // the short accumulator form
    put_u8(b_, uint8_t(op << 3 | 5));
    put_u32(b_, uint32_t(imm));
  } else {
    rm_reg(0x81, op, d);
    put_u32(b_, uint32_t(imm));
  }
}

void Code::alu(uint8_t op, const Mem &d, int32_t imm) {
  op_mem(fits8(imm) ? 0x83 : 0x81, op, d);
  if (fits8(imm))
    put_u8(b_, uint8_t(int8_t(imm)));
  else
    put_u32(b_, uint32_t(imm));
}

void Code::cmp8(Mem a, uint8_t imm) {
  op_mem(0x80, 7, a);
  put_u8(b_, imm);
}

void Code::test(Reg a, int32_t imm) {
  if (a == eax)
    put_u8(b_, 0xA9);
  else
    rm_reg(0xF7, 0, a);
  put_u32(b_, uint32_t(imm));
}

void Code::imul(Reg d, Reg s) {
  put_u8(b_, 0x0F);
  rm_reg(0xAF, d, s);
}

void Code::imul(Reg d, Mem s) {
  put_u8(b_, 0x0F);
  op_mem(0xAF, d, s);
}

void Code::imul(Reg d, Reg s, int32_t imm) {
  rm_reg(fits8(imm) ? 0x6B : 0x69, d, s);
  if (fits8(imm))
    put_u8(b_, uint8_t(int8_t(imm)));
  else
    put_u32(b_, uint32_t(imm));
}

void Code::shift(uint8_t op, Reg r, uint8_t n) {
  if (n == 1) return rm_reg(0xD1, op, r);
  rm_reg(0xC1, op, r);
  put_u8(b_, n);
}

void Code::setcc(Cond c, Reg8 r) {
  put_u8(b_, 0x0F);
  rm_reg(uint8_t(0x90 + uint8_t(c)), 0, r);
}

void Code::rel32(CodeLabel target) {
  uint32_t at = size();
  int64_t to = labels_[target.id];
  if (to >= 0) {
    put_u32(b_, uint32_t(to) - (at + 4));
    return;
  }
  fixups_.push_back({at, target.id});
  put_u32(b_, 0);
}

void Code::call(CodeLabel target) {
  put_u8(b_, 0xE8);
  rel32(target);
}

void Code::call_import(const std::string &name) {
  auto [it, added] = import_index_.try_emplace(name, imports_.size());
  if (added) imports_.push_back({name, 0});
  Import &imp = imports_[it->second];
  put_u8(b_, 0xE8);
  uint32_t site = size();
  put_u32(b_, imp.head); // links to the previous site; 0 ends the chain
  imp.head = site;
}

void Code::jmp(CodeLabel target) {
  put_u8(b_, 0xE9);
  rel32(target);
}

void Code::jcc(Cond c, CodeLabel target) {
  put_u8(b_, 0x0F);
  put_u8(b_, uint8_t(0x80 + uint8_t(c)));
  rel32(target);
}

void Code::jmp_short(int8_t rel) {
  put_u8(b_, 0xEB);
  put_u8(b_, uint8_t(rel));
}

void Code::fpu(uint8_t opcode, uint8_t base, int i) {
  assert(i >= 0 && i < 8);
  put_u8(b_, opcode);
  put_u8(b_, uint8_t(base + i));
}

void Code::call_descriptor() {
  jmp_short(3);
  nop();
  jmp_short(0);
}

void Code::frame_map(const std::vector<FrameSlot> &slots) { exception_table({}, slots); }

// The list sits at every second byte from R + 4; the first jump skips it all.
void Code::call_descriptor(const std::vector<uint8_t> &cleanup) {
  if (cleanup.empty()) return call_descriptor();
  std::vector<uint8_t> list = cleanup;
  list.push_back(0);
  uint8_t span = uint8_t(2 * list.size() - 1); // R + 4 up to the last list byte
  jmp_short(int8_t(span + 2));                 // from R + 2 to R + 4 + span
  nop();
  put_u8(b_, 0xEB);
  for (size_t i = 0; i < list.size(); i++) {
    put_u8(b_, list[i]);
    if (i + 1 < list.size()) put_u8(b_, 0x90);
  }
}

void Code::exception_table(const std::vector<CatchEntry> &catches,
                           const std::vector<FrameSlot> &slots) {
  put_u8(b_, 0x2F);
  for (const CatchEntry &c : catches) {
    put_u8(b_, 0x04);
    put_u8(b_, uint8_t(uint16_t(c.classIndex) >> 8));
    put_u8(b_, uint8_t(c.classIndex));
    int64_t to = labels_[c.handler.id];
    assert(to >= 0 && "a catch handler must be bound before its table");
    uint32_t distance = uint32_t(to) - size();
    put_u32be(b_, distance);
  }
  for (const FrameSlot &s : slots) {
    put_u8(b_, s.kind);
    put_u8(b_, uint8_t(uint16_t(s.offset) >> 8)); // big-endian
    put_u8(b_, uint8_t(s.offset));
  }
  put_u8(b_, 0x00);
}

} // namespace img
