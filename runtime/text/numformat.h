// Number patterns: a Double formatted under a pattern of sections, digit
// placeholders, grouping, percent, exponent and escapes. No platform calls:
// the separators come in as a record, so that it builds natively too.
#pragma once
#include "text/textlocale.h"
#include <cstdint>

// Writes at most cap bytes of the text to out and returns its full length,
// so that a caller whose buffer was too small can call again with room.
int64_t numformat(double x, const uint8_t *pattern, int32_t n, const NumPunct *punct, uint8_t *out,
                  int64_t cap);
