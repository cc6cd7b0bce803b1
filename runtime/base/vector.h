// The runtime's internal list: a growable vector of 4- or 8-byte elements over
// a movable block handle. Holders keep the handle, never its buffer.
#pragma once
#include <cstdint>

// A movable buffer: 8 bytes from the memory pool; the buffer is on the heap.
struct BlockHandle {
  uint8_t *buffer; // 0: the bytes, or nil when the size is 0
  int32_t size;    // 4: bytes in the buffer
};
static_assert(sizeof(BlockHandle) == 8);

BlockHandle *handle_new(int32_t size);
void handle_resize(BlockHandle *h, int32_t size); // keeps min(old, new) bytes
void handle_free(BlockHandle *h);

// Growable vector, 4 words. count <= capacity; the buffer holds
// capacity * elementSize bytes.
struct Vector {
  BlockHandle *handle; // 0: nil until the first element
  int32_t count;       // 4: elements in use
  int32_t capacity;    // 8: elements the buffer holds
  int32_t elementSize; // 12: 4, or 8 for Double storage
};
static_assert(sizeof(Vector) == 16);

void vec_init(Vector *v, int32_t elementSize = 4);
void vec_dispose(Vector *v);
inline int32_t vec_count(const Vector *v) { return v->count; }
void vec_set_count(Vector *v, int32_t n); // new elements are zero
void vec_reserve(Vector *v, int32_t n);   // capacity at least n; never shrinks
void vec_grow(Vector *v, int32_t n);      // count up to n, zero-filled, capacity kept if it does

int32_t vec_get(const Vector *v, int32_t i);
int64_t vec_get8(const Vector *v, int32_t i);
void vec_put(Vector *v, int32_t i, int32_t value);
void vec_put8(Vector *v, int32_t i, int64_t value);
void vec_insert(Vector *v, int32_t i, int32_t value); // 0 <= i <= count
void vec_insert8(Vector *v, int32_t i, int64_t value);
void vec_append(Vector *v, int32_t value);
void vec_remove(Vector *v, int32_t i);

// Pointer elements of a 4-byte vector (the runtime's pointers are 4 bytes).
static_assert(sizeof(void *) == 4);
inline void *vec_get_ptr(const Vector *v, int32_t i) { return (void *)(intptr_t)vec_get(v, i); }
inline void vec_put_ptr(Vector *v, int32_t i, const void *p) {
  vec_put(v, i, (int32_t)(intptr_t)p);
}
inline void vec_append_ptr(Vector *v, const void *p) { vec_append(v, (int32_t)(intptr_t)p); }
