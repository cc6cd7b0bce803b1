// Multi-dimensional access: compiled code starts with the first index, adds
// one per middle dimension and reads or writes with the last. Every index is
// checked against its dimension, whether or not the path to it is stored.
#include "objects/arrayelem.h"

// Entry i of v as the sub-vector a write goes through: stored if missing.
static Vector *child_for_write(Vector *v, int32_t i, int32_t upper) {
  array_grow(v, (int64_t)i + 1, (int64_t)upper + 1);
  Vector *sub = (Vector *)vec_get_ptr(v, i);
  if (!sub) {
    sub = array_new_sub_vector();
    vec_put_ptr(v, i, sub);
  }
  return sub;
}

static Vector *child(Vector *v, int32_t i, int32_t upper, bool write) {
  return write ? child_for_write(v, i, upper) : (Vector *)elem_ptr(v, i);
}

static void start(ArrayRecord *a, int32_t i, bool write) {
  array_checked(a);
  if (a->dims < 2) array_out_of_bounds(); /* one dimension is accessed directly */
  array_check_index(i, a->upper[0]);
  a->accessNode = child(&a->storage, i, a->upper[0], write);
  a->accessLevel = 1;
}

static void add_index(ArrayRecord *a, int32_t i, bool write) {
  array_checked(a);
  int32_t level = a->accessLevel;
  if (level < 1 || level >= a->dims - 1) array_out_of_bounds(); /* the last is not added */
  array_check_index(i, a->upper[level]);
  if (a->accessNode) a->accessNode = child(a->accessNode, i, a->upper[level], write);
  a->accessLevel = level + 1;
}

// The vector the last index applies to (nil when not stored), once every
// check has passed. The access is over: another needs a new start.
static Vector *last_node(ArrayRecord *a, int32_t i) {
  array_checked(a);
  int32_t level = a->accessLevel;
  if (level < 1 || level != a->dims - 1) array_out_of_bounds();
  array_check_index(i, a->upper[level]);
  Vector *node = a->accessNode;
  a->accessNode = nullptr;
  a->accessLevel = 0;
  return node;
}

// The vector a write stores entry i in, grown to hold it; nil when the path
// to it was not stored, and then nothing is written.
static Vector *write_node(ArrayRecord *a, int32_t i, bool wide) {
  Vector *node = last_node(a, i);
  int32_t upper = a->upper[a->dims - 1]; /* the last dimension's, where i lies */
  if (!node) return nullptr;
  if (wide) array_widen(node);
  array_grow(node, (int64_t)i + 1, (int64_t)upper + 1);
  return node;
}

extern "C" {

void RuntimeArrayStartReadAccess(ArrayRecord *a, int32_t i) { start(a, i, false); }
void RuntimeArrayStartWriteAccess(ArrayRecord *a, int32_t i) { start(a, i, true); }
void RuntimeArrayAddReadIndex(ArrayRecord *a, int32_t i) { add_index(a, i, false); }
void RuntimeArrayAddWriteIndex(ArrayRecord *a, int32_t i) { add_index(a, i, true); }

int32_t RuntimeReadIntArray(ArrayRecord *a, int32_t i) { return elem_int(last_node(a, i), i); }
double RuntimeReadSingleArray(ArrayRecord *a, int32_t i) { return elem_single(last_node(a, i), i); }
double RuntimeReadDoubleArray(ArrayRecord *a, int32_t i) { return elem_double(last_node(a, i), i); }

RString *RuntimeReadStringArray(ArrayRecord *a, int32_t i) {
  RString *s = (RString *)elem_ptr(last_node(a, i), i);
  RuntimeLockString(s);
  return s;
}

Object *RuntimeReadObjectArray(ArrayRecord *a, int32_t i) {
  return RuntimeLockObject((Object *)elem_ptr(last_node(a, i), i));
}

void RuntimeWriteIntArray(ArrayRecord *a, int32_t i, int32_t v) {
  if (Vector *node = write_node(a, i, false)) vec_put(node, i, v);
}

void RuntimeWriteSingleArray(ArrayRecord *a, int32_t i, double v) {
  if (Vector *node = write_node(a, i, false)) vec_put(node, i, single_bits(v));
}

void RuntimeWriteDoubleArray(ArrayRecord *a, int32_t i, double v) {
  if (Vector *node = write_node(a, i, true)) vec_put8(node, i, double_bits(v));
}

void RuntimeWriteStringArray(ArrayRecord *a, int32_t i, RString *v) {
  if (Vector *node = write_node(a, i, false)) elem_put_string(node, i, v);
}

void RuntimeWriteObjectArray(ArrayRecord *a, int32_t i, Object *v) {
  if (Vector *node = write_node(a, i, false)) elem_put_object(node, i, v);
}

} // extern "C"
