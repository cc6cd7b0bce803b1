// Numbers and text at the entry points: Str and CStr, Val and CDbl, the
// Hex, Oct and Bin digits, and the conversions between Integer, Single and
// Double. The texts themselves come from numtext.
#include "text/numbers.h"
#include "text/chartables.h"
#include "text/numtext.h"
#include "text/strfuncs.h"
#include <cstring>

static RString *digits(uint32_t v, int bits) {
  char text[32];
  return sf_make(text, numtext_radix(v, bits, text));
}

// A Double or Single outside the Integer range, or NaN: the integer-indefinite value.
static int32_t truncated(double x) {
  if (!(x > -2147483649.0 && x < 2147483648.0)) return INT32_MIN;
  return (int32_t)x;
}

extern "C" {

RString *StringStr(double x) {
  char text[kNumTextMax];
  return sf_make(text, numtext_str(x, text));
}

RString *runCStr(double x) {
  char text[kNumTextMax], out[kNumTextMax + 3];
  int n = numtext_str(x, text), k = 0;
  NumPunct punct;
  numpunct_read(&punct);
  for (int i = 0; i < n; i++) {
    if (text[i] != '.') {
      out[k++] = text[i];
      continue;
    }
    for (const char *d = punct.decimal; *d; d++) out[k++] = *d;
  }
  return sf_make(out, k);
}

double StringVal(RString *s) { return numtext_val(sf_bytes(s), str_len(s)); }

double runCDbl(RString *s) {
  NumPunct punct;
  numpunct_read(&punct);
  RString *thousands = str_from(punct.thousands), *decimal = str_from(punct.decimal);
  RString *dot = str_from(".");
  RString *bare = StringReplaceAll(s, thousands, nullptr);
  RString *plain = StringReplaceAll(bare, decimal, dot);
  double v = StringVal(plain);
  RString *done[] = {thousands, decimal, dot, bare, plain};
  for (RString *r : done) RuntimeUnlockString(r);
  return v;
}

RString *RuntimeHex(uint32_t v) { return digits(v, 4); }
RString *RuntimeOct(uint32_t v) { return digits(v, 3); }
RString *RuntimeBin(uint32_t v) { return digits(v, 1); }

int32_t FPToInt(double x) { return truncated(x); }
int32_t SingleToInt(float x) { return truncated(x); }
double IntToFP(int32_t v) { return v; }
int32_t RuntimeShortToInteger(int32_t v) { return (int16_t)v; }

} // extern "C"
