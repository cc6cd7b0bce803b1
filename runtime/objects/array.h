// The language's arrays: the array record over sparse, lazily grown vectors,
// direct and multi-dimensional access, resizing, sorting, and the compact
// Boolean array. Index errors raise OutOfBoundsException to compiled code.
#pragma once
#include "base/vector.h"
#include "objects/objects.h"
#include "text/string.h"
#include <cstdint>

enum {
  kArrayMaxDims = 20,   // dimensions an array may have
  kArrayGrowAhead = 16, // entries a direct write stores beyond the one written
};

// The array record, a tagged block. Storage is sparse: a vector may hold
// fewer entries than its dimension's bound; a missing element reads as the
// default and a missing (nil) sub-vector stands for a subtree of defaults.
struct ArrayRecord {
  Vector storage;               // 0: dimension 0: elements, or sub-vectors
  int32_t dims;                 // 16: dimension count, 0 until the first is added
  int32_t upper[kArrayMaxDims]; // 20: upper bound of each dimension, -1 when empty
  int32_t accessLevel;          // 100: the dimension the next access index applies to
  Vector *accessNode;           // 104: the sub-vector reached so far, or nil
};
static_assert(sizeof(ArrayRecord) == 108);
static_assert(__builtin_offsetof(ArrayRecord, dims) == 16);
static_assert(__builtin_offsetof(ArrayRecord, upper) == 20);
static_assert(__builtin_offsetof(ArrayRecord, accessLevel) == 100);
static_assert(__builtin_offsetof(ArrayRecord, accessNode) == 104);

// What the elements hold, for releasing them.
enum class ElementKind { Plain, String, Object };

// Shared by the array's files: checks that raise, the storage helpers.
ArrayRecord *array_checked(ArrayRecord *a);       // nil raises NilObjectException
ArrayRecord *array_one_dim(ArrayRecord *a);       // checked and one-dimensional
void array_check_index(int32_t i, int32_t upper); // 0 <= i <= upper, else raises
[[noreturn]] void array_out_of_bounds();          // raises OutOfBoundsException
int32_t array_clamp_upper(int64_t upper);         // below -1 is -1 (empty)
void array_release_element(Vector *v, int32_t i, ElementKind kind);
Vector *array_new_sub_vector(); // an empty vector in a tagged block
// Releases the entries of v (at `depth`) from `from` on: elements, or subtrees.
void array_release_entries(Vector *v, int32_t from, int32_t depth, int32_t dims, ElementKind kind);
void array_free_tree(Vector *v, int32_t depth, int32_t dims, ElementKind kind); // v stays
void array_widen(Vector *v); // 8-byte slots for Double storage
// Room for n entries, half as much again when the buffer must move (so that
// filling an array entry by entry takes linear time) but never past `limit`,
// the entries its dimension can hold. Beyond the address space: out of memory.
void array_reserve(Vector *v, int64_t n, int64_t limit);
void array_grow(Vector *v, int64_t n, int64_t limit); // at least n entries, the new ones zero

// Entry points (compiled code).
extern "C" {
ArrayRecord *RuntimeCreateArray();
ArrayRecord *RuntimeArrayCreateAddIndex(ArrayRecord *a, int32_t lower, int32_t upper);
int32_t RuntimeUBound(ArrayRecord *a);
int32_t RuntimeUBound2Param(ArrayRecord *a, int32_t dimension);

int32_t RuntimeDirectReadIntArray(ArrayRecord *a, int32_t i);
double RuntimeDirectReadSingleArray(ArrayRecord *a, int32_t i);
double RuntimeDirectReadDoubleArray(ArrayRecord *a, int32_t i);
RString *RuntimeDirectReadStringArray(ArrayRecord *a, int32_t i);
Object *RuntimeDirectReadObjectArray(ArrayRecord *a, int32_t i);
void RuntimeDirectWriteIntArray(ArrayRecord *a, int32_t i, int32_t v);
void RuntimeDirectWriteSingleArray(ArrayRecord *a, int32_t i, double v);
void RuntimeDirectWriteDoubleArray(ArrayRecord *a, int32_t i, double v);
void RuntimeDirectWriteStringArray(ArrayRecord *a, int32_t i, RString *v);
void RuntimeDirectWriteObjectArray(ArrayRecord *a, int32_t i, Object *v);

void RuntimeArrayStartReadAccess(ArrayRecord *a, int32_t i);
void RuntimeArrayStartWriteAccess(ArrayRecord *a, int32_t i);
void RuntimeArrayAddReadIndex(ArrayRecord *a, int32_t i);
void RuntimeArrayAddWriteIndex(ArrayRecord *a, int32_t i);
int32_t RuntimeReadIntArray(ArrayRecord *a, int32_t i);
double RuntimeReadSingleArray(ArrayRecord *a, int32_t i);
double RuntimeReadDoubleArray(ArrayRecord *a, int32_t i);
RString *RuntimeReadStringArray(ArrayRecord *a, int32_t i);
Object *RuntimeReadObjectArray(ArrayRecord *a, int32_t i);
void RuntimeWriteIntArray(ArrayRecord *a, int32_t i, int32_t v);
void RuntimeWriteSingleArray(ArrayRecord *a, int32_t i, double v);
void RuntimeWriteDoubleArray(ArrayRecord *a, int32_t i, double v);
void RuntimeWriteStringArray(ArrayRecord *a, int32_t i, RString *v);
void RuntimeWriteObjectArray(ArrayRecord *a, int32_t i, Object *v);

void RuntimeIntArrayAppend(ArrayRecord *a, int32_t v);
void RuntimeSingleArrayAppend(ArrayRecord *a, double v);
void RuntimeDoubleArrayAppend(ArrayRecord *a, double v);
void RuntimeStringArrayAppend(ArrayRecord *a, RString *v);
void RuntimeObjectArrayAppend(ArrayRecord *a, Object *v);
void RuntimeIntArrayInsert(ArrayRecord *a, int32_t i, int32_t v);
void RuntimeSingleArrayInsert(ArrayRecord *a, int32_t i, double v);
void RuntimeDoubleArrayInsert(ArrayRecord *a, int32_t i, double v);
void RuntimeStringArrayInsert(ArrayRecord *a, int32_t i, RString *v);
void RuntimeObjectArrayInsert(ArrayRecord *a, int32_t i, Object *v);
void RuntimeIntArrayRemove(ArrayRecord *a, int32_t i);
void RuntimeStringArrayRemove(ArrayRecord *a, int32_t i);
void RuntimeObjectArrayRemove(ArrayRecord *a, int32_t i);
void RuntimeRedimIntArrayLevel(ArrayRecord *a, int32_t dimension, int32_t upper);
void RuntimeRedimStringArrayLevel(ArrayRecord *a, int32_t dimension, int32_t upper);
void RuntimeRedimObjectArrayLevel(ArrayRecord *a, int32_t dimension, int32_t upper);
void RuntimeDisposeIntArray(ArrayRecord *a);
void RuntimeDisposeStringArray(ArrayRecord *a);
void RuntimeDisposeObjectArray(ArrayRecord *a);

void RuntimeIntArraySort(ArrayRecord *a);
void RuntimeSingleArraySort(ArrayRecord *a);
void RuntimeDoubleArraySort(ArrayRecord *a);
void RuntimeStringArraySort(ArrayRecord *a);

// The compact Boolean array: a block handle whose buffer is the element count
// (a 32-bit word) followed by one byte, 0 or 1, per element.
BlockHandle *RuntimeCreateFastBooleanArray(int32_t upper);
void RuntimeDisposeFastBooleanArray(BlockHandle *b);
uint8_t RuntimeFastReadBoolArray(BlockHandle *b, int32_t i);
void RuntimeFastWriteBoolArray(BlockHandle *b, int32_t i, uint32_t v);
void RuntimeRedimFastBoolArray(BlockHandle *b, int32_t upper);
void RuntimeFastBooleanArrayAppend(BlockHandle *b, uint32_t v);
void RuntimeFastBooleanArrayInsert(BlockHandle *b, int32_t i, uint32_t v);
void RuntimeFastBooleanArrayRemove(BlockHandle *b, int32_t i);
int32_t RuntimeFastArrayUBound(BlockHandle *b);
int32_t RuntimeFastArrayUBound2Param(BlockHandle *b, int32_t dimension);
}
