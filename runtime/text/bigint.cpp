// Exact unsigned integers for the rounding decisions of number conversion:
// multiplication by small factors and powers of ten and two, and comparison.
// The sizes used stay below 3900 bits, so no operation checks for overflow.
#include "text/bigint.h"

void big_set(Big *b, uint64_t v) {
  b->w[0] = (uint32_t)v;
  b->w[1] = (uint32_t)(v >> 32);
  b->n = b->w[1] ? 2 : b->w[0] ? 1 : 0;
}

void big_mul_add(Big *b, uint32_t m, uint32_t add) {
  uint64_t carry = add;
  for (int i = 0; i < b->n; i++) {
    uint64_t p = (uint64_t)b->w[i] * m + carry;
    b->w[i] = (uint32_t)p;
    carry = p >> 32;
  }
  if (carry) b->w[b->n++] = (uint32_t)carry;
}

void big_mul_pow10(Big *b, int e) {
  for (; e >= 9; e -= 9) big_mul_add(b, 1000000000u, 0);
  static const uint32_t small[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
  if (e > 0) big_mul_add(b, small[e], 0);
}

void big_shl(Big *b, int bits) {
  if (b->n == 0) return;
  int words = bits / 32, rest = bits % 32;
  if (rest) {
    uint32_t carry = 0;
    for (int i = 0; i < b->n; i++) {
      uint32_t v = b->w[i];
      b->w[i] = v << rest | carry;
      carry = v >> (32 - rest);
    }
    if (carry) b->w[b->n++] = carry;
  }
  if (words) {
    for (int i = b->n - 1; i >= 0; i--) b->w[i + words] = b->w[i];
    for (int i = 0; i < words; i++) b->w[i] = 0;
    b->n += words;
  }
}

int big_cmp(const Big *a, const Big *b) {
  if (a->n != b->n) return a->n < b->n ? -1 : 1;
  for (int i = a->n - 1; i >= 0; i--)
    if (a->w[i] != b->w[i]) return a->w[i] < b->w[i] ? -1 : 1;
  return 0;
}

int big_cmp_scaled(Big *a, int p10, int p2, uint64_t c, int q2) {
  Big b;
  big_set(&b, c);
  if (p10 >= 0)
    big_mul_pow10(a, p10);
  else
    big_mul_pow10(&b, -p10);
  int shift = p2 - q2; /* move the powers of two to one side */
  if (shift >= 0)
    big_shl(a, shift);
  else
    big_shl(&b, -shift);
  return big_cmp(a, &b);
}
