// The compact Boolean array: one block handle whose buffer is the element
// count followed by one byte (0 or 1) per element, one-dimensional only.
#include "objects/array.h"
#include "objects/raise.h"
#include "base/fault.h"
#include <climits>
#include <cstring>

enum { kCountBytes = 4 }; // the count word before the elements

static BlockHandle *checked(BlockHandle *b) {
  if (!b) objects_raise("NilObjectException");
  return b;
}

static int32_t count_of(const BlockHandle *b) {
  int32_t n;
  memcpy(&n, b->buffer, kCountBytes);
  return n;
}

static uint8_t *elements(BlockHandle *b) { return b->buffer + kCountBytes; }

// Resizes to n elements; those added are false.
static void set_count(BlockHandle *b, int64_t n) {
  if (n + kCountBytes > INT_MAX) fault_out_of_memory(true);
  int32_t old = count_of(b);
  handle_resize(b, (int32_t)n + kCountBytes);
  if (n > old) memset(elements(b) + old, 0, (size_t)(n - old));
  int32_t count = (int32_t)n;
  memcpy(b->buffer, &count, kCountBytes);
}

static int32_t checked_index(BlockHandle *b, int32_t i) {
  if (i < 0 || i >= count_of(checked(b))) array_out_of_bounds();
  return i;
}

static uint8_t as_bool(uint32_t v) { return (v & 0xFF) != 0; } /* only the low byte counts */

extern "C" {

BlockHandle *RuntimeCreateFastBooleanArray(int32_t upper) {
  int64_t n = (int64_t)array_clamp_upper(upper) + 1;
  if (n + kCountBytes > INT_MAX) fault_out_of_memory(true);
  BlockHandle *b = handle_new(kCountBytes);
  memset(b->buffer, 0, kCountBytes);
  set_count(b, n);
  return b;
}

void RuntimeDisposeFastBooleanArray(BlockHandle *b) { handle_free(b); }

uint8_t RuntimeFastReadBoolArray(BlockHandle *b, int32_t i) {
  i = checked_index(b, i); /* before the buffer is touched */
  return elements(b)[i];
}

void RuntimeFastWriteBoolArray(BlockHandle *b, int32_t i, uint32_t v) {
  i = checked_index(b, i);
  elements(b)[i] = as_bool(v);
}

void RuntimeRedimFastBoolArray(BlockHandle *b, int32_t upper) {
  set_count(checked(b), (int64_t)array_clamp_upper(upper) + 1);
}

void RuntimeFastBooleanArrayAppend(BlockHandle *b, uint32_t v) {
  RuntimeFastBooleanArrayInsert(b, count_of(checked(b)), v);
}

void RuntimeFastBooleanArrayInsert(BlockHandle *b, int32_t i, uint32_t v) {
  int32_t n = count_of(checked(b));
  if (i < 0 || i > n) array_out_of_bounds();
  set_count(b, (int64_t)n + 1);
  memmove(elements(b) + i + 1, elements(b) + i, (size_t)(n - i));
  elements(b)[i] = as_bool(v);
}

void RuntimeFastBooleanArrayRemove(BlockHandle *b, int32_t i) {
  checked_index(b, i);
  int32_t n = count_of(b);
  memmove(elements(b) + i, elements(b) + i + 1, (size_t)(n - i - 1));
  set_count(b, n - 1);
}

int32_t RuntimeFastArrayUBound(BlockHandle *b) { return RuntimeFastArrayUBound2Param(b, 1); }

int32_t RuntimeFastArrayUBound2Param(BlockHandle *b, int32_t dimension) {
  checked(b);
  if (dimension == -1) return 1; /* one dimension */
  if (dimension != 1) array_out_of_bounds();
  return count_of(b) - 1;
}

} // extern "C"
