// The mathematical entry points on Doubles, the bitwise operators on
// Integers, and rnd: the Park-Miller minimal standard generator, seeded from
// the clock on first use.
#include "text/numbers.h"
#include <windows.h>
#include <cerrno>
#include <cmath>
#include <cstring>

enum { kParkMillerModulus = 2147483647, kParkMillerFactor = 16807 };

static volatile LONG seed; /* 0 until first use */

// The quiet NaN whose Single bit pattern is 0x7FFFFFFF.
static double nan_value() {
  uint32_t bits = 0x7FFFFFFF;
  float f;
  memcpy(&f, &bits, 4);
  return f;
}

static double domain_error() {
  errno = EDOM; /* 33 */
  return nan_value();
}

static LONG next_seed(LONG s) {
  return (LONG)((uint64_t)(uint32_t)s * kParkMillerFactor % kParkMillerModulus);
}

void rnd_seed(int32_t s) { InterlockedExchange(&seed, s); }

extern "C" {

double RuntimeAbs(double x) { return x < 0 ? -x : x; }
double RuntimeMax(double a, double b) { return a > b ? a : b; }
double RuntimeMin(double a, double b) { return a < b ? a : b; }
double RuntimeCeil(double x) { return ceil(x); }
double RuntimeFloor(double x) { return floor(x); }
double RuntimeRound(double x) { return floor(x + 0.5); }
double RuntimeSqrt(double x) { return x >= 0 ? sqrt(x) : domain_error(); }
double RuntimeLog(double x) { return x >= 0 ? log(x) : domain_error(); }
double RuntimeExp(double x) { return exp(x); }
double RuntimePow(double x, double y) { return pow(x, y); }
double RuntimeSin(double x) { return sin(x); }
double RuntimeCos(double x) { return cos(x); }
double RuntimeTan(double x) { return tan(x); }
double RuntimeASin(double x) { return asin(x); }
double RuntimeATan(double x) { return atan2(x, 1); }
double RuntimeATan2(double y, double x) { return atan2(y, x); }

double RuntimeACos(double x) {
  if (!(x >= -1 && x <= 1)) return nan_value();
  return 2 * atan(sqrt((1 - x) / (1 + x)));
}

int32_t BitwiseAnd(int32_t a, int32_t b) { return a & b; }
int32_t BitwiseOr(int32_t a, int32_t b) { return a | b; }
int32_t BitwiseXor(int32_t a, int32_t b) { return a ^ b; }

double rnd() {
  LONG old, next;
  do {
    old = seed;
    LONG from = old;
    if (from == 0) { /* first use: the clock, never 0 */
      from = (LONG)(GetTickCount() & 0x7FFFFFFF);
      if (from == 0) from = 1;
    }
    next = next_seed(from);
  } while (InterlockedCompareExchange(&seed, next, old) != old); /* threads may share it */
  return (next & 0xFFFFF) / 1048576.0;
}

} // extern "C"
