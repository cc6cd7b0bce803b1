// The runtime's internal list: movable block handles over heap buffers, and
// the growable vector of 4- or 8-byte elements kept in one.
#include "base/vector.h"
#include "base/pool.h"
#include "base/fault.h"
#include "base/platform.h"
#include <climits>
#include <cstring>

enum { kGrowStep = 16 }; // elements added to a full vector's capacity

static uint8_t *heap_buffer(int32_t size) {
  if (size == 0) return nullptr;
  uint8_t *buffer = (uint8_t *)gPlatform.heapAlloc(size);
  if (!buffer) fault_out_of_memory(size > kPoolLargestSmall);
  return buffer;
}

BlockHandle *handle_new(int32_t size) {
  BlockHandle *h = (BlockHandle *)pool_alloc(sizeof(BlockHandle));
  h->buffer = heap_buffer(size);
  h->size = size;
  return h;
}

void handle_resize(BlockHandle *h, int32_t size) {
  if (size == h->size) return;
  uint8_t *buffer = heap_buffer(size); // the old buffer survives a refusal
  if (h->buffer) {
    memcpy(buffer, h->buffer, size < h->size ? size : h->size);
    gPlatform.heapFree(h->buffer);
  }
  h->buffer = buffer;
  h->size = size;
}

void handle_free(BlockHandle *h) {
  if (!h) return;
  if (h->buffer) gPlatform.heapFree(h->buffer);
  pool_free(h, sizeof(BlockHandle));
}

void vec_init(Vector *v, int32_t elementSize) {
  v->handle = nullptr;
  v->count = 0;
  v->capacity = 0;
  v->elementSize = elementSize;
}

void vec_dispose(Vector *v) {
  handle_free(v->handle);
  v->handle = nullptr;
  v->count = 0;
  v->capacity = 0;
}

static uint8_t *slot(const Vector *v, int32_t i) { return v->handle->buffer + i * v->elementSize; }

// Gives the vector room for n elements. A size the address space cannot hold
// is treated as memory running out, not left to wrap around.
static void reserve(Vector *v, int32_t n) {
  if (n > INT_MAX / v->elementSize) fault_out_of_memory(true);
  int32_t bytes = n * v->elementSize;
  if (v->handle)
    handle_resize(v->handle, bytes);
  else if (n > 0)
    v->handle = handle_new(bytes);
  v->capacity = n;
}

void vec_set_count(Vector *v, int32_t n) {
  if (n < 0) n = 0; // a negative count would wrap the buffer size
  int32_t old = v->count;
  reserve(v, n);
  if (n > old) /* from the count: the slack may still hold removed elements */
    memset(slot(v, old), 0, (n - old) * v->elementSize);
  v->count = n;
}

void vec_reserve(Vector *v, int32_t n) {
  if (n > v->capacity) reserve(v, n);
}

void vec_grow(Vector *v, int32_t n) {
  if (n <= v->count) return;
  vec_reserve(v, n);
  memset(slot(v, v->count), 0,
         (n - v->count) * v->elementSize); /* the slack may hold removed elements */
  v->count = n;
}

static bool inside(const Vector *v, int32_t i) { return i >= 0 && i < v->count; }

int32_t vec_get(const Vector *v, int32_t i) {
  if (!inside(v, i)) {
    fault_report(kFaultVectorGetOutside);
    return 0;
  }
  int32_t value;
  memcpy(&value, slot(v, i), 4);
  return value;
}

int64_t vec_get8(const Vector *v, int32_t i) {
  if (!inside(v, i) || v->elementSize < 8) { // 8 bytes of a 4-byte slot overrun
    fault_report(kFaultVectorGet8Outside);
    return 0;
  }
  int64_t value;
  memcpy(&value, slot(v, i), 8);
  return value;
}

void vec_put(Vector *v, int32_t i, int32_t value) {
  if (!inside(v, i)) return fault_report(kFaultVectorPutOutside);
  memcpy(slot(v, i), &value, 4);
}

void vec_put8(Vector *v, int32_t i, int64_t value) {
  if (!inside(v, i) || v->elementSize < 8) return fault_report(kFaultVectorPut8Outside);
  memcpy(slot(v, i), &value, 8);
}

// Opens a zeroed slot at i, moving the elements from i up one.
static uint8_t *open_slot(Vector *v, int32_t i) {
  if (v->count == v->capacity) {
    if (v->capacity > INT_MAX - kGrowStep) fault_out_of_memory(true);
    reserve(v, v->capacity + kGrowStep);
  }
  uint8_t *at = slot(v, i);
  memmove(at + v->elementSize, at, (v->count - i) * v->elementSize);
  memset(at, 0, v->elementSize); // a 4-byte value in an 8-byte slot
  v->count++;
  return at;
}

void vec_insert(Vector *v, int32_t i, int32_t value) {
  if (i < 0 || i > v->count) return fault_report(kFaultVectorInsertOutside);
  memcpy(open_slot(v, i), &value, 4);
}

void vec_insert8(Vector *v, int32_t i, int64_t value) {
  if (i < 0 || i > v->count || v->elementSize < 8) return fault_report(kFaultVectorInsert8Outside);
  memcpy(open_slot(v, i), &value, 8);
}

void vec_append(Vector *v, int32_t value) { vec_insert(v, v->count, value); }

void vec_remove(Vector *v, int32_t i) {
  if (!inside(v, i)) return fault_report(kFaultVectorRemoveOutside);
  uint8_t *at = slot(v, i);
  memmove(at, at + v->elementSize, (v->count - i - 1) * v->elementSize);
  v->count--;
}
