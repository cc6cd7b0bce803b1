// StringFormat: a Double under a number pattern, with the user's decimal and
// thousands separators read afresh for each call.
#include "text/chartables.h"
#include "text/numbers.h"
#include "text/numformat.h"
#include "text/strfuncs.h"

extern "C" RString *StringFormat(double x, RString *pattern) {
  NumPunct punct;
  numpunct_read(&punct);
  uint8_t local[256];
  int64_t n = numformat(x, sf_bytes(pattern), str_len(pattern), &punct, local, sizeof local);
  if (n <= (int64_t)sizeof local) return sf_make(local, n);
  RString *r = sf_make(nullptr, n); /* too long for the stack: lay it out again in place */
  numformat(x, sf_bytes(pattern), str_len(pattern), &punct, r->buffer + 1, n);
  return r;
}
