// Compiled routines for in-process tests: x86 code from the image toolkit,
// placed in executable memory, calling the runtime and each other through
// absolute addresses, with the call-site descriptors and exception tables of
// compiled code written out byte for byte.
#pragma once
#include "lifecycle/exception.h"
#include "x86.h"
#include <windows.h>
#include <cstring>

namespace compiled {

using namespace img;

// An entry of a routine's exception table, in table order.
struct TableEntry {
  uint8_t code;      // 4 catch, 5 release a string, 6 release an object
  int16_t operand;   // class index or frame offset
  CodeLabel handler; // catch entries only
};
inline TableEntry catchOf(int16_t classIndex, CodeLabel handler) {
  return {4, classIndex, handler};
}
inline TableEntry releaseObject(int16_t offset) { return {6, offset, {}}; }
inline TableEntry releaseString(int16_t offset) { return {5, offset, {}}; }

// push ebp; mov ebp, esp; then `localWords` zeroed words (the exception slot first).
inline void enter(Code &c, int localWords) {
  c.push(ebp);
  c.mov(ebp, esp);
  if (localWords <= 16) {
    for (int i = 0; i < localWords; i++) c.push(0);
    return;
  }
  c.sub(esp, 4 * localWords); /* big frames are left as they are */
}

// Calls `target` with the words already pushed, then removes them. A
// compiled call site carries its descriptor; a runtime-like one has none.
inline void callAt(Code &c, const void *target, int argumentWords = 0,
                   const std::vector<uint8_t> *cleanup = nullptr, bool compiledSite = true) {
  c.mov(eax, int32_t(uintptr_t(target)));
  c.call(eax);
  if (compiledSite) cleanup ? c.call_descriptor(*cleanup) : c.call_descriptor();
  if (argumentWords) c.add(esp, 4 * argumentWords);
}

// *cell = value, or *cell = EAX.
inline void store(Code &c, int32_t *cell, int32_t value) {
  c.mov(ecx, int32_t(uintptr_t(cell)));
  c.mov(mem(ecx), value);
}
inline void storeEax(Code &c, int32_t *cell) {
  c.mov(ecx, int32_t(uintptr_t(cell)));
  c.mov(mem(ecx), eax);
}

// Routines live in 4 KB slots of one executable block; slot 0 is the way in.
class Machine {
public:
  Machine() {
    base_ = (uint8_t *)VirtualAlloc(nullptr, kSlots * kSlot, MEM_COMMIT | MEM_RESERVE,
                                    PAGE_EXECUTE_READWRITE);
    Code in; /* keeps the caller's registers and starts a frame chain that ends */
    in.push(ebx);
    in.push(esi);
    in.push(edi);
    in.push(ebp);
    in.xor_(ebp, ebp);
    in.mov(eax, mem(esp, 20));
    in.call(eax);
    in.pop(ebp);
    in.pop(edi);
    in.pop(esi);
    in.pop(ebx);
    in.ret();
    memcpy(base_, in.bytes().data(), in.size());
    exception_add_compiled_code(base_, kSlots * kSlot);
  }
  ~Machine() {
    exception_remove_compiled_code(base_);
    VirtualFree(base_, 0, MEM_RELEASE);
  }

  void *at(int slot) const { return base_ + slot * kSlot; }

  // The routine, its closing leave and ret, then 2F, the table and its 00.
  void place(int slot, Code &c, const std::vector<TableEntry> &table = {}) {
    c.leave();
    c.ret();
    Bytes b = c.bytes();
    b.push_back(0x2F);
    for (const TableEntry &e : table) {
      b.push_back(e.code);
      b.push_back(uint8_t(uint16_t(e.operand) >> 8));
      b.push_back(uint8_t(e.operand));
      if (e.code == 4) put_u32be(b, *c.offset(e.handler) - uint32_t(b.size()));
    }
    b.push_back(0);
    memcpy(at(slot), b.data(), b.size());
  }

  // Runs the routine in `slot` as if the runtime had called it.
  void run(int slot) { ((void (*)(void *))base_)(at(slot)); }

private:
  static constexpr int kSlots = 16, kSlot = 4096;
  uint8_t *base_;
};

// An object or string as an argument word.
inline int32_t word(const void *p) { return int32_t(uintptr_t(p)); }

} // namespace compiled
