// Memory blocks: runs of raw bytes read and written by byte offset as numbers,
// booleans, addresses and texts, either owned by the block or wrapped from a
// foreign address. Every access to a block of known size stays inside it.
#pragma once
#include "objects/objects.h"
#include "text/string.h"
#include <cstddef>
#include <cstdint>

struct MemoryBlock {
  Object header;    // 0, 16 bytes
  int32_t root[2];  // 16, 8 bytes: the root class's words, unused
  int32_t size;     // 24: bytes; 0 when a foreign address is wrapped (size unknown)
  uint8_t *address; // 28: the bytes
  uint8_t owns;     // 32: 1 when the runtime allocated the bytes and frees them
  uint8_t spare[3]; // 33: unused, to the class's instance size
};
static_assert(offsetof(MemoryBlock, size) == 24 && offsetof(MemoryBlock, address) == 28);
static_assert(offsetof(MemoryBlock, owns) == 32 && sizeof(MemoryBlock) == 36);

enum { kPStringLongest = 255 }; // a length byte holds no more

void memoryblock_classes_attach(); // the MemoryBlock class's destructor

extern "C" {
Object *newMemoryBlock(int32_t size);
Object *PtrToMemoryBlock(void *address);
void *memoryBlockGetPtr(Object *block);
int32_t memoryBlockGetSize(Object *block);
int32_t memoryGetLong(Object *block, int32_t offset);
void memorySetLong(Object *block, int32_t offset, int32_t value);
int32_t memoryGetShort(Object *block, int32_t offset);
void memorySetShort(Object *block, int32_t offset, int32_t value);
int32_t memoryGetUShort(Object *block, int32_t offset);
int32_t memoryGetByte(Object *block, int32_t offset);
void memorySetByte(Object *block, int32_t offset, int32_t value);
double memoryGetSingle(Object *block, int32_t offset);
void memorySetSingle(Object *block, int32_t offset, float value);
double memoryGetDouble(Object *block, int32_t offset);
void memorySetDouble(Object *block, int32_t offset, double value);
bool memoryGetBoolean(Object *block, int32_t offset);
void memorySetBoolean(Object *block, int32_t offset, uint8_t value); // the low byte counts
int32_t memoryGetColor(Object *block, int32_t offset);
void memorySetColor(Object *block, int32_t offset, int32_t colour);
Object *memoryGetPtr(Object *block, int32_t offset);
void memorySetPtr(Object *block, int32_t offset, Object *target);
RString *memoryGetPString(Object *block, int32_t offset);
void memorySetPString(Object *block, int32_t offset, RString *text);
RString *memoryGetCString(Object *block, int32_t offset);
void memorySetCString(Object *block, int32_t offset, RString *text);
RString *memoryGetString(Object *block, int32_t offset, int32_t count);
void memorySetString(Object *block, int32_t offset, int32_t count, RString *text);
}
