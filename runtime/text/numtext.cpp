// Numbers to text and back. Str's fixed form is computed exactly in integer
// arithmetic; its exponent form and Val's long texts use an extended-precision
// estimate, settled exactly with big integers when it lies too near a rounding
// boundary. Short decimal texts take the exact one-operation path.
#include "text/numtext.h"
#include "text/bigint.h"
#include <cmath>
#include <cstring>

static const long double kEps = 1e-6L; /* far above the estimates' error, ~1e-10 */

/* ---- doubles as integers ---- */

static inline uint64_t bits_of(double x) {
  uint64_t b;
  memcpy(&b, &x, 8);
  return b;
}

static inline double double_of(uint64_t b) {
  double x;
  memcpy(&x, &b, 8);
  return x;
}

// x = m * 2^e for a finite x >= 0; m carries the hidden bit of normal numbers.
static void split(double x, uint64_t *m, int *e) {
  uint64_t b = bits_of(x);
  int expo = (int)(b >> 52 & 0x7FF);
  uint64_t frac = b & ((1ull << 52) - 1);
  *m = expo ? frac | 1ull << 52 : frac;
  *e = expo ? expo - 1075 : -1074;
}

/* ---- the x87 precision: extended for estimates, double for exact steps ---- */

#if defined(__i386__)
static inline uint16_t fpu_get() {
  uint16_t cw;
  asm volatile("fnstcw %0" : "=m"(cw));
  return cw;
}
static inline void fpu_set(uint16_t cw) { asm volatile("fldcw %0" : : "m"(cw) : "memory"); }
enum { kPrecisionMask = 0x300, kPrecision53 = 0x200, kPrecision64 = 0x300 };
#endif

// Powers of ten: 10^(2^i), each the nearest long double.
static const long double kPow10Bits[9] = {1e1L,  1e2L,  1e4L,   1e8L,  1e16L,
                                          1e32L, 1e64L, 1e128L, 1e256L};
static const double kExact10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

static long double pow10_estimate(int n) { /* n >= 0; relative error below 1e-17 */
  long double r = 1;
  for (int i = 0; n; i++, n >>= 1)
    if (n & 1) r *= kPow10Bits[i];
  return r;
}

static long double scale_estimate(long double v, int p) {
  return p >= 0 ? v * pow10_estimate(p) : v / pow10_estimate(-p);
}

/* ---- Str ---- */

static char *put_uint(char *p, uint32_t v) {
  char tmp[10];
  int n = 0;
  do tmp[n++] = (char)('0' + v % 10);
  while (v /= 10);
  while (n) *p++ = tmp[--n];
  return p;
}

static char *put_digits(char *p, uint32_t v, int width) { /* exactly width digits */
  for (int i = width - 1; i >= 0; i--, v /= 10) p[i] = (char)('0' + v % 10);
  return p + width;
}

// round(x * 10^7), ties to even, for 1e-5 <= x <= 1e6: x * 5^7 fits in 70
// bits, held in two words, then shifted right with the rounding applied.
static uint64_t scaled_fixed7(double x) {
  uint64_t m;
  int e;
  split(x, &m, &e);
  int s = -(e + 7); /* 26 .. 63 over the fixed range */
  uint64_t a = (m & 0xFFFFFFFFu) * 78125u, b = (m >> 32) * 78125u;
  uint64_t lo = a + (b << 32), hi = (b >> 32) + (lo < a);
  uint64_t q = lo >> s | hi << (64 - s);
  uint64_t rem = lo & ((1ull << s) - 1), half = 1ull << (s - 1);
  if (rem > half || (rem == half && (q & 1))) q++;
  return q;
}

static int str_fixed(double ax, char *p0) {
  char *p = p0;
  uint64_t q = scaled_fixed7(ax);
  uint32_t ip = (uint32_t)(q / 10000000u), fp = (uint32_t)(q - (uint64_t)ip * 10000000u);
  p = put_uint(p, ip);
  if (fp) {
    *p++ = '.';
    p = put_digits(p, fp, 7);
    while (p[-1] == '0') p--;
  }
  return (int)(p - p0);
}

// x * 10^p against c - 0.5, exactly: -1, 0 or 1.
static int above_half_below(double x, int p, uint64_t c) {
  uint64_t m;
  int e;
  split(x, &m, &e);
  Big a;
  big_set(&a, m);
  return big_cmp_scaled(&a, p, e + 1, 2 * c - 1, 0);
}

// The 7 significant digits of x > 0 rounded to nearest (ties to even), with
// x ~ d * 10^(*k - 6).
static uint32_t digits7(double x, int *k) {
  int e2;
  frexp(x, &e2);
  int kk = (int)floor((e2 - 1) * 0.30102999566398120); /* the true k is kk or kk + 1 */
  long double y = scale_estimate(x, 6 - kk);
  if (y >= 1e7L) y = scale_estimate(x, 6 - ++kk);
  long double r = y + 0.5L;
  uint64_t c = (uint64_t)r;
  long double frac = r - (long double)c;
  if (frac < kEps || frac > 1 - kEps) { /* too near a half: decide exactly */
    if (frac > 0.5L) c++;
    int cmp = above_half_below(x, 6 - kk, c);
    if (cmp < 0 || (cmp == 0 && (c & 1))) c--;
  }
  if (c >= 10000000u) { /* rounded up to the next power of ten */
    c /= 10;
    kk++;
  }
  *k = kk;
  return (uint32_t)c;
}

static int str_exponent(double ax, char *p0) {
  char *p = p0;
  int k;
#if defined(__i386__)
  uint16_t cw = fpu_get();
  fpu_set((cw & ~kPrecisionMask) | kPrecision64);
  uint32_t d = digits7(ax, &k);
  fpu_set(cw);
#else
  uint32_t d = digits7(ax, &k);
#endif
  *p++ = (char)('0' + d / 1000000);
  *p++ = '.';
  p = put_digits(p, d % 1000000, 6);
  *p++ = 'e';
  *p++ = k < 0 ? '-' : '+';
  uint32_t ak = k < 0 ? -k : k;
  p = ak < 100 ? put_digits(p, ak, 2) : put_digits(p, ak, 3);
  return (int)(p - p0);
}

int numtext_str(double x, char *out) {
  if (x != x) {
    memcpy(out, "nan", 3);
    return 3;
  }
  if (x == 0) { /* -0 as well */
    out[0] = '0';
    return 1;
  }
  int sign = x < 0;
  double ax = sign ? -x : x;
  out[0] = '-';
  if (ax == HUGE_VAL) {
    memcpy(out + sign, "inf", 3);
    return sign + 3;
  }
  if (ax >= 0.00001 && ax <= 1000000) return sign + str_fixed(ax, out + sign);
  return sign + str_exponent(ax, out + sign);
}

/* ---- Val: the decimal text ---- */

enum {
  kFastDigits = 19,  // digits that fit one 64-bit word
  kKeptDigits = 800, // more than any double's halfway point needs (767)
};

// A decimal number as read: 0.d1 d2 ... dn * 10^point, with the digit runs
// still in the text so that the exact path can read them again.
struct Decimal {
  const uint8_t *intPart, *fracPart; // the two digit runs
  int32_t intLen, fracLen;
  uint64_t lead;  // the first up to 19 significant digits
  int32_t digits; // significant digits in all (from the first non-zero one)
  int32_t point;  // decimal exponent of the point after the digits' start
  bool negative;
};

static inline bool is_digit(uint8_t c) { return c >= '0' && c <= '9'; }
static inline bool is_space(uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

static int32_t digit_run(const uint8_t *s, int32_t i, int32_t n) {
  int32_t j = i;
  while (j < n && is_digit(s[j])) j++;
  return j - i;
}

// Reads an exponent at s[i] ("e", optional sign, digits); leaves *i alone and
// gives 0 when the text there is not a whole exponent.
static int32_t read_exponent(const uint8_t *s, int32_t *i, int32_t n) {
  int32_t j = *i;
  if (j >= n || (s[j] != 'e' && s[j] != 'E')) return 0;
  j++;
  bool neg = false;
  if (j < n && (s[j] == '+' || s[j] == '-')) neg = s[j++] == '-';
  if (j >= n || !is_digit(s[j])) return 0;
  int32_t v = 0;
  for (; j < n && is_digit(s[j]); j++)
    if (v < 100000) v = v * 10 + (s[j] - '0'); /* beyond any double either way */
  *i = j;
  return neg ? -v : v;
}

// Walks the significant digits: leading zeros of the integer run are skipped
// and those of the fraction lower the point.
static void count_digits(Decimal *d) {
  int32_t i = 0;
  while (i < d->intLen && d->intPart[i] == '0') i++;
  d->point = d->intLen - i;
  int32_t f = 0;
  if (d->point == 0)
    while (f < d->fracLen && d->fracPart[f] == '0') f++, d->point--;
  d->digits = d->intLen - i + d->fracLen - f;
  d->lead = 0;
  int32_t taken = 0;
  for (; i < d->intLen && taken < kFastDigits; i++, taken++)
    d->lead = d->lead * 10 + (d->intPart[i] - '0');
  for (; f < d->fracLen && taken < kFastDigits; f++, taken++)
    d->lead = d->lead * 10 + (d->fracPart[f] - '0');
}

// False when no number starts the text.
static bool read_decimal(const uint8_t *s, int32_t n, Decimal *d) {
  int32_t i = 0;
  while (i < n && is_space(s[i])) i++;
  d->negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) d->negative = s[i++] == '-';
  d->intPart = s + i;
  d->intLen = digit_run(s, i, n);
  i += d->intLen;
  d->fracPart = s + i;
  d->fracLen = 0;
  if (i < n && s[i] == '.') {
    d->fracPart = s + i + 1;
    d->fracLen = digit_run(s, i + 1, n);
    if (d->intLen + d->fracLen) i += 1 + d->fracLen; /* a lone "." is not a number */
  }
  if (d->intLen + d->fracLen == 0) return false;
  int32_t exponent = read_exponent(s, &i, n);
  count_digits(d);
  int64_t point = (int64_t)d->point + exponent; /* both may be large: clamp */
  d->point = point > 1000000 ? 1000000 : point < -1000000 ? -1000000 : (int32_t)point;
  return true;
}

/* ---- Val: exact rounding ---- */

// The significant digits, at most kKeptDigits of them, as one integer; *sticky
// tells whether a dropped digit was not 0.
static int32_t load_digits(const Decimal *d, Big *b, bool *sticky) {
  big_set(b, 0);
  *sticky = false;
  int32_t kept = 0, chunk = 0;
  uint32_t acc = 0;
  const uint8_t *runs[2] = {d->intPart, d->fracPart};
  int32_t lens[2] = {d->intLen, d->fracLen};
  bool started = false;
  for (int r = 0; r < 2; r++)
    for (int32_t i = 0; i < lens[r]; i++) {
      uint8_t c = runs[r][i];
      if (!started && c == '0') continue;
      started = true;
      if (kept == kKeptDigits) {
        if (c != '0') *sticky = true;
        continue;
      }
      acc = acc * 10 + (c - '0');
      kept++;
      if (++chunk == 9) {
        big_mul_add(b, 1000000000u, acc);
        acc = 0;
        chunk = 0;
      }
    }
  static const uint32_t tens[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
  if (chunk) big_mul_add(b, tens[chunk], acc);
  return kept;
}

// The text's value against c * 2^e: -1, 0 or 1.
static int compare_text(const Decimal *d, uint64_t c, int e) {
  Big a;
  bool sticky;
  int32_t kept = load_digits(d, &a, &sticky);
  int r = big_cmp_scaled(&a, d->point - kept, 0, c, e);
  return r == 0 && sticky ? 1 : r;
}

static const uint64_t kMaxFinite = 0x7FEFFFFFFFFFFFFFull;

// The nearest double to the text, starting from an estimate within an ulp or two.
static double settle(const Decimal *d, double c) {
  uint64_t b = bits_of(c);
  if (b > kMaxFinite) b = kMaxFinite;
  for (;;) {
    uint64_t m;
    int e;
    split(double_of(b), &m, &e);
    int up = compare_text(d, 2 * m + 1, e - 1); /* the halfway point above */
    if (up > 0 || (up == 0 && (m & 1))) {
      if (b == kMaxFinite) return HUGE_VAL;
      b++;
      continue;
    }
    if (m == 0) break;
    bool narrow = m == 1ull << 52 && e > -1074; /* the gap below a power of two is half */
    int down = narrow ? compare_text(d, 4 * m - 1, e - 2) : compare_text(d, 2 * m - 1, e - 1);
    if (down < 0 || (down == 0 && (m & 1))) {
      b--;
      continue;
    }
    break;
  }
  return double_of(b);
}

static double slow_value(const Decimal *d) {
  int32_t taken = d->digits < kFastDigits ? d->digits : kFastDigits;
#if defined(__i386__)
  uint16_t cw = fpu_get();
  fpu_set((cw & ~kPrecisionMask) | kPrecision64);
  double estimate = (double)scale_estimate((long double)d->lead, d->point - taken);
  fpu_set(cw);
#else
  double estimate = (double)scale_estimate((long double)d->lead, d->point - taken);
#endif
  return settle(d, estimate);
}

// lead * 10^p with one rounding: both are exact doubles, |p| <= 22.
static double fast_value(uint64_t lead, int p) {
#if defined(__i386__)
  uint16_t cw = fpu_get();
  fpu_set((cw & ~kPrecisionMask) | kPrecision53); /* one rounding, to double */
  volatile double m = (double)lead;
  volatile double r = p >= 0 ? m * kExact10[p] : m / kExact10[-p];
  fpu_set(cw);
  return r;
#else
  double m = (double)lead;
  return p >= 0 ? m * kExact10[p] : m / kExact10[-p];
#endif
}

static double decimal_value(const Decimal *d) {
  if (d->digits == 0) return 0;
  if (d->point > 310) return HUGE_VAL;
  if (d->point < -324) return 0; /* below half the smallest subnormal */
  int p = d->point - d->digits;
  if (d->digits <= kFastDigits && d->lead <= 1ull << 53 && p >= -22 && p <= 22)
    return fast_value(d->lead, p);
  return slow_value(d);
}

/* ---- Val: the radix forms ---- */

static int digit_value(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 99;
}

static double radix_value(const uint8_t *s, int32_t n) {
  uint8_t letter = s[1] | 0x20; /* either case */
  int base = letter == 'h' ? 16 : letter == 'o' ? 8 : letter == 'b' ? 2 : 0;
  if (!base) return 0;
  uint32_t v = 0;
  for (int32_t i = 2; i < n; i++) {
    int d = digit_value(s[i]);
    if (d < base) v = v * base + d; /* wraps in 32 bits */
  }
  return (double)(int32_t)v;
}

double numtext_val(const uint8_t *s, int32_t n) {
  if (n >= 2 && s[0] == '&') return radix_value(s, n);
  Decimal d;
  if (!read_decimal(s, n, &d)) return 0;
  double v = decimal_value(&d);
  return d.negative ? -v : v;
}

int numtext_radix(uint32_t v, int bits, char *out) {
  char tmp[32];
  int n = 0;
  uint32_t mask = (1u << bits) - 1;
  do tmp[n++] = "0123456789ABCDEF"[v & mask];
  while (v >>= bits);
  for (int i = 0; i < n; i++) out[i] = tmp[n - 1 - i];
  return n;
}
