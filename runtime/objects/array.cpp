// The array record: creation, dimensions and bounds, the checks every access
// makes, one-dimensional direct reads and writes, and disposal of the record
// with everything it holds.
#include "objects/arrayelem.h"
#include "objects/raise.h"
#include "base/fault.h"
#include "base/tagged.h"
#include <climits>

/* ---- checks ---- */

void array_out_of_bounds() { objects_raise("OutOfBoundsException"); }

ArrayRecord *array_checked(ArrayRecord *a) {
  if (!a) objects_raise("NilObjectException");
  return a;
}

ArrayRecord *array_one_dim(ArrayRecord *a) {
  if (array_checked(a)->dims != 1) array_out_of_bounds();
  return a;
}

void array_check_index(int32_t i, int32_t upper) {
  if (i < 0 || i > upper) array_out_of_bounds();
}

int32_t array_clamp_upper(int64_t upper) {
  if (upper < -1) return -1; /* an empty dimension */
  return upper > INT_MAX ? INT_MAX : (int32_t)upper;
}

// A direct access to a Single, Double, String or Object array through a nil
// record gives the assertion report; going on raises, never touches nil.
static ArrayRecord *checked_at(ArrayRecord *a, FaultSite nilSite) {
  if (!a) fault_report(nilSite);
  return array_one_dim(a);
}

/* ---- storage ---- */

void array_reserve(Vector *v, int64_t n, int64_t limit) {
  if (n <= v->capacity) return;
  if (n > INT_MAX / v->elementSize) fault_out_of_memory(true); /* beyond the address space */
  int64_t room = (int64_t)v->capacity + v->capacity / 2;
  int64_t most = INT_MAX / v->elementSize;
  if (room > limit) room = limit;
  if (room > most) room = most;
  vec_reserve(v, (int32_t)(room > n ? room : n));
}

void array_grow(Vector *v, int64_t n, int64_t limit) {
  if (n <= v->count) return;
  array_reserve(v, n, limit);
  vec_grow(v, (int32_t)n);
}

void array_widen(Vector *v) {
  if (v->elementSize == 8) return;
  int32_t n = v->count; /* 4-byte entries of a Double array can only be defaults */
  vec_dispose(v);
  v->elementSize = 8;
  vec_set_count(v, n);
}

void array_release_element(Vector *v, int32_t i, ElementKind kind) {
  if (kind == ElementKind::String) RuntimeUnlockString((RString *)vec_get_ptr(v, i));
  if (kind == ElementKind::Object) RuntimeUnlockObject((Object *)vec_get_ptr(v, i));
}

Vector *array_new_sub_vector() {
  Vector *v = (Vector *)tagged_alloc(sizeof(Vector));
  vec_init(v);
  return v;
}

void array_release_entries(Vector *v, int32_t from, int32_t depth, int32_t dims, ElementKind kind) {
  bool leaf = depth == dims - 1;
  if (leaf && kind == ElementKind::Plain) return; /* numbers hold nothing */
  for (int32_t i = from; i < v->count; i++) {
    if (leaf) {
      array_release_element(v, i, kind);
      continue;
    }
    Vector *sub = (Vector *)vec_get_ptr(v, i);
    if (!sub) continue;
    array_free_tree(sub, depth + 1, dims, kind);
    tagged_free(sub);
  }
}

void array_free_tree(Vector *v, int32_t depth, int32_t dims, ElementKind kind) {
  array_release_entries(v, 0, depth, dims, kind);
  vec_dispose(v);
}

/* ---- the record ---- */

extern "C" {

ArrayRecord *RuntimeCreateArray() {
  ArrayRecord *a = (ArrayRecord *)tagged_alloc(sizeof(ArrayRecord));
  memset(a, 0, sizeof *a);
  vec_init(&a->storage);
  return a;
}

ArrayRecord *RuntimeArrayCreateAddIndex(ArrayRecord *a, int32_t lower, int32_t upper) {
  if (!a) {
    fault_report(kFaultArrayAddIndexNil);
    return nullptr;
  }
  if (a->dims == kArrayMaxDims) array_out_of_bounds();
  a->upper[a->dims++] = array_clamp_upper((int64_t)upper - lower);
  return a;
}

int32_t RuntimeUBound(ArrayRecord *a) { return RuntimeUBound2Param(a, 1); }

int32_t RuntimeUBound2Param(ArrayRecord *a, int32_t dimension) {
  array_checked(a);
  if (dimension == -1) return a->dims;
  if (dimension < 1 || dimension > a->dims) array_out_of_bounds();
  return a->upper[dimension - 1];
}

/* ---- direct access to one-dimensional arrays ---- */

static Vector *read_at(ArrayRecord *a, int32_t i) {
  array_check_index(i, a->upper[0]);
  return &a->storage;
}

int32_t RuntimeDirectReadIntArray(ArrayRecord *a, int32_t i) {
  return elem_int(read_at(array_one_dim(a), i), i);
}

double RuntimeDirectReadSingleArray(ArrayRecord *a, int32_t i) {
  return elem_single(read_at(checked_at(a, kFaultArrayReadSingleNil), i), i);
}

double RuntimeDirectReadDoubleArray(ArrayRecord *a, int32_t i) {
  return elem_double(read_at(checked_at(a, kFaultArrayReadDoubleNil), i), i);
}

RString *RuntimeDirectReadStringArray(ArrayRecord *a, int32_t i) {
  RString *s = (RString *)elem_ptr(read_at(checked_at(a, kFaultArrayReadStringNil), i), i);
  RuntimeLockString(s);
  return s;
}

Object *RuntimeDirectReadObjectArray(ArrayRecord *a, int32_t i) {
  return RuntimeLockObject(
      (Object *)elem_ptr(read_at(checked_at(a, kFaultArrayReadObjectNil), i), i));
}

// The storage holding entry i: a write past the stored entries stores up to
// kArrayGrowAhead more at once, never beyond the bound.
static Vector *write_at(ArrayRecord *a, int32_t i) {
  array_check_index(i, a->upper[0]);
  if (i >= a->storage.count) {
    int64_t ahead = (int64_t)i + kArrayGrowAhead;
    int64_t bound = (int64_t)a->upper[0] + 1;
    array_grow(&a->storage, ahead < bound ? ahead : bound, bound);
  }
  return &a->storage;
}

void RuntimeDirectWriteIntArray(ArrayRecord *a, int32_t i, int32_t v) {
  vec_put(write_at(array_one_dim(a), i), i, v);
}

void RuntimeDirectWriteSingleArray(ArrayRecord *a, int32_t i, double v) {
  vec_put(write_at(checked_at(a, kFaultArrayWriteSingleNil), i), i, single_bits(v));
}

void RuntimeDirectWriteDoubleArray(ArrayRecord *a, int32_t i, double v) {
  checked_at(a, kFaultArrayWriteDoubleNil);
  array_check_index(i, a->upper[0]); /* before the storage changes */
  array_widen(&a->storage);
  vec_put8(write_at(a, i), i, double_bits(v));
}

void RuntimeDirectWriteStringArray(ArrayRecord *a, int32_t i, RString *v) {
  elem_put_string(write_at(checked_at(a, kFaultArrayWriteStringNil), i), i, v);
}

void RuntimeDirectWriteObjectArray(ArrayRecord *a, int32_t i, Object *v) {
  elem_put_object(write_at(checked_at(a, kFaultArrayWriteObjectNil), i), i, v);
}

/* ---- disposal ---- */

static void dispose(ArrayRecord *a, ElementKind kind) {
  if (!a) return; /* an array never created has nothing to release */
  array_free_tree(&a->storage, 0, a->dims, kind);
  tagged_free(a);
}

void RuntimeDisposeIntArray(ArrayRecord *a) { dispose(a, ElementKind::Plain); }
void RuntimeDisposeStringArray(ArrayRecord *a) { dispose(a, ElementKind::String); }
void RuntimeDisposeObjectArray(ArrayRecord *a) { dispose(a, ElementKind::Object); }

} // extern "C"
