// Changing an array's shape: appending, inserting and removing elements of a
// one-dimensional array, and redimensioning one dimension of any array, which
// releases what falls outside the new bound.
#include "objects/arrayelem.h"
#include "base/fault.h"
#include <climits>

/* ---- append and insert ---- */

// One more element: the array must be one-dimensional and i (0 .. upper + 1)
// the new element's place. Returns the storage, holding entries up to i,
// where the caller opens a slot at i. The bound has grown.
static Vector *make_room(ArrayRecord *a, int64_t i, bool wide) {
  array_one_dim(a);
  if (i < 0 || i > (int64_t)a->upper[0] + 1) array_out_of_bounds();
  if (a->upper[0] == INT_MAX) fault_out_of_memory(true); /* no index reaches further */
  if (wide) array_widen(&a->storage);
  int64_t limit = (int64_t)a->upper[0] + 2; /* the entries after the insert */
  array_grow(&a->storage, i, limit);
  array_reserve(&a->storage, (int64_t)a->storage.count + 1, limit);
  a->upper[0]++;
  return &a->storage;
}

static void insert4(ArrayRecord *a, int32_t i, int32_t v) {
  vec_insert(make_room(a, i, false), i, v);
}
static void insert8(ArrayRecord *a, int32_t i, double v) {
  vec_insert8(make_room(a, i, true), i, double_bits(v));
}
static void insert_ptr(ArrayRecord *a, int32_t i, void *p) {
  vec_insert(make_room(a, i, false), i, (int32_t)(intptr_t)p);
}

// Appending places the element at the new bound, the storage filled up to it.
static int32_t end_of(ArrayRecord *a) {
  if (array_one_dim(a)->upper[0] == INT_MAX) fault_out_of_memory(true);
  int32_t end = a->upper[0] + 1;
  array_grow(&a->storage, end, (int64_t)end + 1);
  return end;
}

/* ---- redimensioning ---- */

// Cuts every vector at depth `target` (through the stored sub-vectors above it)
// to `keep` entries, releasing the entries cut off.
static void cut(Vector *v, int32_t depth, int32_t target, int64_t keep, int32_t dims,
                ElementKind kind) {
  if (depth < target) {
    for (int32_t i = 0; i < v->count; i++)
      if (Vector *sub = (Vector *)vec_get_ptr(v, i)) cut(sub, depth + 1, target, keep, dims, kind);
    return;
  }
  if (v->count <= keep) return;
  array_release_entries(v, (int32_t)keep, depth, dims, kind);
  vec_set_count(v, (int32_t)keep);
}

static void redim(ArrayRecord *a, int32_t dimension, int32_t upper, ElementKind kind) {
  array_checked(a);
  if (dimension < 0 || dimension >= a->dims) array_out_of_bounds();
  upper = array_clamp_upper(upper);
  a->upper[dimension] = upper;
  cut(&a->storage, 0, dimension, (int64_t)upper + 1, a->dims, kind);
}

static void remove(ArrayRecord *a, int32_t i, ElementKind kind) {
  array_check_index(i, array_one_dim(a)->upper[0]);
  if (i < a->storage.count) {
    array_release_element(&a->storage, i, kind);
    vec_remove(&a->storage, i);
  }
  a->upper[0]--;
}

extern "C" {

void RuntimeIntArrayAppend(ArrayRecord *a, int32_t v) { insert4(a, end_of(a), v); }
void RuntimeSingleArrayAppend(ArrayRecord *a, double v) { insert4(a, end_of(a), single_bits(v)); }
void RuntimeDoubleArrayAppend(ArrayRecord *a, double v) { insert8(a, end_of(a), v); }
void RuntimeStringArrayAppend(ArrayRecord *a, RString *v) {
  insert_ptr(a, end_of(a), v);
  RuntimeLockString(v); /* after the checks: a raise keeps no reference */
}
void RuntimeObjectArrayAppend(ArrayRecord *a, Object *v) {
  insert_ptr(a, end_of(a), v);
  RuntimeLockObject(v);
}

void RuntimeIntArrayInsert(ArrayRecord *a, int32_t i, int32_t v) { insert4(a, i, v); }
void RuntimeSingleArrayInsert(ArrayRecord *a, int32_t i, double v) {
  insert4(a, i, single_bits(v));
}
void RuntimeDoubleArrayInsert(ArrayRecord *a, int32_t i, double v) { insert8(a, i, v); }
void RuntimeStringArrayInsert(ArrayRecord *a, int32_t i, RString *v) {
  insert_ptr(a, i, v);
  RuntimeLockString(v);
}
void RuntimeObjectArrayInsert(ArrayRecord *a, int32_t i, Object *v) {
  insert_ptr(a, i, v);
  RuntimeLockObject(v);
}

void RuntimeIntArrayRemove(ArrayRecord *a, int32_t i) { remove(a, i, ElementKind::Plain); }
void RuntimeStringArrayRemove(ArrayRecord *a, int32_t i) { remove(a, i, ElementKind::String); }
void RuntimeObjectArrayRemove(ArrayRecord *a, int32_t i) { remove(a, i, ElementKind::Object); }

void RuntimeRedimIntArrayLevel(ArrayRecord *a, int32_t dimension, int32_t upper) {
  redim(a, dimension, upper, ElementKind::Plain);
}
void RuntimeRedimStringArrayLevel(ArrayRecord *a, int32_t dimension, int32_t upper) {
  redim(a, dimension, upper, ElementKind::String);
}
void RuntimeRedimObjectArrayLevel(ArrayRecord *a, int32_t dimension, int32_t upper) {
  redim(a, dimension, upper, ElementKind::Object);
}

} // extern "C"
