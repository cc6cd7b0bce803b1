// The array's elements inside one vector, by type: reads that give the default
// past the stored entries, and writes that keep one reference per string or
// object. Shared by the array's files only.
#pragma once
#include "objects/array.h"
#include <cstring>

inline bool elem_stored(const Vector *v, int32_t i) { return v && i < v->count; }

inline int32_t elem_int(const Vector *v, int32_t i) {
  return elem_stored(v, i) ? vec_get(v, i) : 0;
}
inline void *elem_ptr(const Vector *v, int32_t i) {
  return elem_stored(v, i) ? vec_get_ptr(v, i) : nullptr;
}

inline int32_t single_bits(double value) {
  float f = (float)value; /* Single values arrive as Double */
  int32_t bits;
  memcpy(&bits, &f, 4);
  return bits;
}
inline double elem_single(const Vector *v, int32_t i) {
  int32_t bits = elem_int(v, i);
  float f;
  memcpy(&f, &bits, 4);
  return f;
}

inline int64_t double_bits(double value) {
  int64_t bits;
  memcpy(&bits, &value, 8);
  return bits;
}
inline double elem_double(const Vector *v, int32_t i) {
  if (!elem_stored(v, i) || v->elementSize != 8) return 0.0;
  int64_t bits = vec_get8(v, i);
  double d;
  memcpy(&d, &bits, 8);
  return d;
}

// The stored entry i takes s (locked); the string it held is released.
inline void elem_put_string(Vector *v, int32_t i, RString *s) {
  RuntimeLockString(s); /* before the release: s may be the string it replaces */
  RString *old = (RString *)vec_get_ptr(v, i);
  vec_put_ptr(v, i, s);
  RuntimeUnlockString(old);
}
inline void elem_put_object(Vector *v, int32_t i, Object *o) {
  RuntimeLockObject(o);
  Object *old = (Object *)vec_get_ptr(v, i);
  vec_put_ptr(v, i, o);
  RuntimeUnlockObject(old);
}
