// Exact unsigned integers of up to 4096 bits, just enough to decide the
// rounding of a decimal text or a double's decimal digits where a floating
// estimate is too close to call.
#pragma once
#include <cstdint>

enum { kBigWords = 128 };

struct Big {
  uint32_t w[kBigWords]; // little-endian words; only the first n are meaningful
  int n;                 // words in use; 0 for the value 0
};

void big_set(Big *b, uint64_t v);
void big_mul_add(Big *b, uint32_t m, uint32_t add); // b = b * m + add
void big_mul_pow10(Big *b, int e);                  // e >= 0
void big_shl(Big *b, int bits);                     // bits >= 0
int big_cmp(const Big *a, const Big *b);            // -1, 0 or 1

// Compares a * 10^p10 * 2^p2 with c * 2^q2 (exponents of either sign).
int big_cmp_scaled(Big *a, int p10, int p2, uint64_t c, int q2);
