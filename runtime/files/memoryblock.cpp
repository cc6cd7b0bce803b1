// Memory blocks: zeroed allocation, the typed reads and writes in the
// platform's byte order (least significant byte first), and the bounds every
// access to a block of known size is held to, in 64-bit arithmetic so that a
// large offset cannot wrap back inside the block.
#include "files/memoryblock.h"
#include "base/pool.h"
#include "lifecycle/exception.h"
#include "objects/registry.h"
#include <cstring>

static ClassDef *gMemoryBlockClass;

static void memoryBlockDestructor(Object *o, ClassDef *) {
  MemoryBlock *m = (MemoryBlock *)o;
  if (m->owns) pool_free(m->address, m->size);
  m->address = nullptr;
  m->owns = 0;
}

void memoryblock_classes_attach() {
  gMemoryBlockClass = registry_find("MemoryBlock");
  gMemoryBlockClass->destructor = memoryBlockDestructor;
}

static MemoryBlock *wrap(void *address, int32_t size, bool owns) {
  MemoryBlock *m = (MemoryBlock *)CreateInstance(gMemoryBlockClass);
  m->size = size;
  m->address = (uint8_t *)address;
  m->owns = owns;
  return m;
}

// The address of `width` bytes at `offset`, after the checks: a nil block or
// a block without bytes is a nil object; a negative width, or (when the size
// is known) bytes outside the block, is out of bounds. A wrapped foreign
// address has no size to check against.
static uint8_t *at(Object *block, int32_t offset, int64_t width) {
  MemoryBlock *m = (MemoryBlock *)block;
  if (!m || !m->address) exception_throw("NilObjectException");
  if (width < 0) exception_throw("OutOfBoundsException");
  if (m->size != 0 && (offset < 0 || (int64_t)offset + width > m->size))
    exception_throw("OutOfBoundsException");
  return m->address + offset;
}

template <typename T> static T load(Object *block, int32_t offset) {
  T value;
  memcpy(&value, at(block, offset, sizeof value), sizeof value);
  return value;
}

template <typename T> static void store(Object *block, int32_t offset, T value) {
  memcpy(at(block, offset, sizeof value), &value, sizeof value);
}

/* ---- the block itself ---- */

Object *newMemoryBlock(int32_t size) {
  void *bytes = pool_alloc(size, true); /* nil for size <= 0 and when refused */
  if (!bytes) return nullptr;
  memset(bytes, 0, (size_t)size);
  return (Object *)wrap(bytes, size, true);
}

Object *PtrToMemoryBlock(void *address) { return (Object *)wrap(address, 0, false); }

void *memoryBlockGetPtr(Object *block) {
  if (!block) exception_throw("NilObjectException");
  return ((MemoryBlock *)block)->address;
}

int32_t memoryBlockGetSize(Object *block) {
  if (!block) exception_throw("NilObjectException");
  return ((MemoryBlock *)block)->size;
}

/* ---- numbers, booleans and colours ---- */

int32_t memoryGetLong(Object *b, int32_t offset) { return load<int32_t>(b, offset); }
void memorySetLong(Object *b, int32_t offset, int32_t value) { store(b, offset, value); }
int32_t memoryGetShort(Object *b, int32_t offset) { return load<int16_t>(b, offset); }
void memorySetShort(Object *b, int32_t offset, int32_t value) { store(b, offset, (int16_t)value); }
int32_t memoryGetUShort(Object *b, int32_t offset) { return load<uint16_t>(b, offset); }
int32_t memoryGetByte(Object *b, int32_t offset) { return load<uint8_t>(b, offset); }
void memorySetByte(Object *b, int32_t offset, int32_t value) { store(b, offset, (uint8_t)value); }
double memoryGetSingle(Object *b, int32_t offset) { return load<float>(b, offset); }
void memorySetSingle(Object *b, int32_t offset, float value) { store(b, offset, value); }
double memoryGetDouble(Object *b, int32_t offset) { return load<double>(b, offset); }
void memorySetDouble(Object *b, int32_t offset, double value) { store(b, offset, value); }
bool memoryGetBoolean(Object *b, int32_t offset) { return load<uint8_t>(b, offset) != 0; }
// Only the low byte of a Boolean word is meaningful: any non-zero byte is true.
void memorySetBoolean(Object *b, int32_t offset, uint8_t value) {
  store(b, offset, (uint8_t)(value != 0));
}

// A colour is kept as the language's colour word, 0x00RRGGBB, in four bytes
// (blue first): the value a Long read at the same offset gives.
int32_t memoryGetColor(Object *b, int32_t offset) { return load<int32_t>(b, offset); }
void memorySetColor(Object *b, int32_t offset, int32_t colour) { store(b, offset, colour); }

/* ---- addresses ---- */

Object *memoryGetPtr(Object *b, int32_t offset) {
  uint32_t address = load<uint32_t>(b, offset);
  return address ? PtrToMemoryBlock((void *)(uintptr_t)address) : nullptr;
}

void memorySetPtr(Object *b, int32_t offset, Object *target) {
  uint8_t *address = target ? ((MemoryBlock *)target)->address : nullptr;
  store(b, offset, (uint32_t)(uintptr_t)address);
}

/* ---- texts ---- */

// A length byte, then that many bytes; the whole text must lie in the block.
RString *memoryGetPString(Object *b, int32_t offset) {
  int32_t n = *at(b, offset, 1);
  return str_make(at(b, offset, 1 + (int64_t)n) + 1, n);
}

// A text longer than a length byte can say is refused, not cut or miscounted.
void memorySetPString(Object *b, int32_t offset, RString *text) {
  int32_t n = str_len(text);
  if (n > kPStringLongest) exception_throw("OutOfBoundsException");
  uint8_t *p = at(b, offset, 1 + (int64_t)n);
  p[0] = (uint8_t)n;
  memcpy(p + 1, str_cview(text), (size_t)n);
}

// The bytes up to the first 0 byte, or up to the block's end when it has
// none; a foreign block is read up to its 0 byte.
RString *memoryGetCString(Object *b, int32_t offset) {
  const uint8_t *p = at(b, offset, 1);
  int32_t size = ((MemoryBlock *)b)->size;
  size_t n = size ? strnlen((const char *)p, (size_t)(size - offset)) : strlen((const char *)p);
  return str_make(p, (int32_t)n);
}

void memorySetCString(Object *b, int32_t offset, RString *text) {
  int32_t n = str_len(text);
  uint8_t *p = at(b, offset, (int64_t)n + 1);
  memcpy(p, str_cview(text), (size_t)n);
  p[n] = 0;
}

RString *memoryGetString(Object *b, int32_t offset, int32_t count) {
  return str_make(at(b, offset, count), count);
}

// Exactly count bytes: the text's first ones, then 0 bytes where it ends.
void memorySetString(Object *b, int32_t offset, int32_t count, RString *text) {
  uint8_t *p = at(b, offset, count);
  int32_t n = str_len(text) < count ? str_len(text) : count;
  memcpy(p, str_cview(text), (size_t)n);
  memset(p + n, 0, (size_t)(count - n));
}
