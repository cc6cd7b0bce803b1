// Numbers to text and back, exactly as compiled code sees them: the text of
// Str, the reading of Val, and the digits of Hex, Oct and Bin. Pure byte
// routines with no platform calls, so that they build natively too.
#pragma once
#include <cstdint>

enum { kNumTextMax = 24 }; // bytes of the longest Str text: "-1.797693e+308" and the like

// Str: fixed form with 7 decimals trimmed when 0.00001 <= |x| <= 1000000 or
// x is 0, else the exponent form with 6 decimals. Returns the length written.
int numtext_str(double x, char *out);

// Val: "&H", "&O" and "&B" digits, otherwise a decimal number read the way
// scanf's %lf reads it (correctly rounded); 0 when no number starts the text.
double numtext_val(const uint8_t *s, int32_t n);

// The digits of v in base 2^bits (bits 1, 3 or 4), upper case, without
// leading zeros. Returns the length written (at most 32).
int numtext_radix(uint32_t v, int bits, char *out);
