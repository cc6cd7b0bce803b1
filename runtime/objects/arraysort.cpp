// Sorting one-dimensional arrays in place: a quicksort over an explicit stack
// of pending ranges, small ranges by moving the largest element to the end;
// numbers by value, strings by the locale's comparison.
#include "objects/arrayelem.h"
#include "text/strfuncs.h"

enum { kSmallRange = 5 }; // ranges of this many elements or fewer skip partitioning

// Numbers: an element equal to the pivot goes before it; among equal largest
// elements the later one moves to the end.
template <class T> struct NumberOrder {
  static bool before(T x, T pivot) { return x <= pivot; }
  static bool larger(T x, T largest) { return x >= largest; }
};

// Doubles and Singles by their bits, moved as plain words: for numbers that
// are not NaN these integer keys order exactly as the values do (-0 beside
// +0), and the loop keeps clear of the floating-point unit, its costly part.
template <class Bits, class Key> struct BitsOrder {
  static Key key(Bits b) {
    Key k = (Key)b;
    if (k < 0) k ^= (Key)(~(Bits)0 >> 1); /* negatives: a larger magnitude comes first */
    return k == -1 ? 0 : k;               /* -0 is +0 */
  }
  static bool before(Bits x, Bits pivot) { return key(x) <= key(pivot); }
  static bool larger(Bits x, Bits largest) { return key(x) >= key(largest); }
};

template <class Bits> static bool any_nan(const Bits *e, int32_t n) {
  const Bits magnitude = ~(Bits)0 >> 1;
  const Bits infinity = sizeof(Bits) == 8 ? (Bits)0x7FF0000000000000ull : (Bits)0x7F800000u;
  for (int32_t i = 0; i < n; i++)
    if ((e[i] & magnitude) > infinity) return true;
  return false;
}

// Strings: only a strictly smaller one goes before the pivot, and the earlier
// of equal largest ones moves to the end.
struct StringOrder {
  static int32_t compare(RString *x, RString *y) { return StringStrCompare(x, y, 1); }
  static bool before(RString *x, RString *pivot) { return compare(x, pivot) < 0; }
  static bool larger(RString *x, RString *largest) { return compare(x, largest) > 0; }
};

template <class T> static inline void swap(T *e, int32_t i, int32_t j) {
  T t = e[i];
  e[i] = e[j];
  e[j] = t;
}

template <class T, class Order> static void sort_small(T *e, int32_t lo, int32_t hi) {
  for (int32_t end = hi; end > lo; end--) {
    int32_t largest = lo;
    for (int32_t k = lo + 1; k <= end; k++)
      if (Order::larger(e[k], e[largest])) largest = k;
    swap(e, largest, end);
  }
}

// The middle element is the pivot, kept at lo while the rest is split; the
// pivot's place at the end of the front part is returned.
template <class T, class Order> static int32_t partition(T *e, int32_t lo, int32_t hi) {
  swap(e, lo, lo + (hi - lo) / 2);
  T pivot = e[lo];
  int32_t last = lo;
  for (int32_t k = lo + 1; k <= hi; k++)
    if (Order::before(e[k], pivot)) swap(e, ++last, k);
  swap(e, lo, last);
  return last;
}

// Pending ranges as 8-byte entries of a vector: lo in the low word.
static void push(Vector *pending, int32_t lo, int32_t hi) {
  if (hi <= lo) return; /* nothing to order */
  vec_insert8(pending, vec_count(pending), (int64_t)(uint32_t)lo | ((int64_t)hi << 32));
}

template <class T, class Order> static void quicksort(T *e, int32_t n) {
  Vector pending;
  vec_init(&pending, 8);
  push(&pending, 0, n - 1);
  while (vec_count(&pending) > 0) {
    int64_t range = vec_get8(&pending, vec_count(&pending) - 1);
    vec_remove(&pending, vec_count(&pending) - 1);
    int32_t lo = (int32_t)range, hi = (int32_t)(range >> 32);
    while (hi - lo + 1 > kSmallRange) {
      int32_t p = partition<T, Order>(e, lo, hi);
      push(&pending, p + 1, hi);
      hi = p - 1;
    }
    sort_small<T, Order>(e, lo, hi);
  }
  vec_dispose(&pending);
}

// The one-dimensional array's elements, every one of them stored first.
template <class T> static T *all_elements(ArrayRecord *a, int32_t *n, bool wide) {
  array_one_dim(a);
  if (wide) array_widen(&a->storage);
  int64_t count = (int64_t)a->upper[0] + 1;
  array_grow(&a->storage, count, count); /* ends the process beyond an int's reach */
  *n = (int32_t)count;
  return *n > 0 ? (T *)a->storage.handle->buffer : nullptr;
}

template <class T, class Order> static void sort_array(ArrayRecord *a, bool wide = false) {
  int32_t n;
  T *e = all_elements<T>(a, &n, wide);
  if (n > 1) quicksort<T, Order>(e, n);
}

// Floating-point elements by their bits, unless a NaN (which no value
// orders against) needs the comparisons of the values themselves.
template <class F, class Bits, class Key> static void sort_floats(ArrayRecord *a, bool wide) {
  int32_t n;
  Bits *e = all_elements<Bits>(a, &n, wide);
  if (n < 2) return;
  if (any_nan(e, n))
    quicksort<F, NumberOrder<F>>((F *)e, n);
  else
    quicksort<Bits, BitsOrder<Bits, Key>>(e, n);
}

extern "C" {

void RuntimeIntArraySort(ArrayRecord *a) { sort_array<int32_t, NumberOrder<int32_t>>(a); }
void RuntimeSingleArraySort(ArrayRecord *a) { sort_floats<float, uint32_t, int32_t>(a, false); }
void RuntimeDoubleArraySort(ArrayRecord *a) { sort_floats<double, uint64_t, int64_t>(a, true); }
void RuntimeStringArraySort(ArrayRecord *a) { sort_array<RString *, StringOrder>(a); }

} // extern "C"
