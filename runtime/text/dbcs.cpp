// The double-byte forms of the string functions: positions and counts in
// characters of the ANSI code page. On single-byte code pages each one is
// its byte form.
#include "text/chartables.h"
#include "text/strfuncs.h"

static const CharTables *dbcs_tables() {
  const CharTables *ct = chartables();
  return ct->dbcs ? ct : nullptr;
}

// The byte offset where character c (from 0) of s starts; the length when past it.
static int32_t offset_of(RString *s, int32_t c, const CharTables *ct) {
  return chars_offset(sf_bytes(s), str_len(s), ct->lead, c);
}

extern "C" {

int32_t StringDBCSLen(RString *s) {
  const CharTables *ct = dbcs_tables();
  if (!ct) return StringLen(s);
  return chars_count(sf_bytes(s), str_len(s), ct->lead);
}

RString *StringDBCSLeft(RString *s, int32_t n) {
  const CharTables *ct = dbcs_tables();
  if (!ct) return StringLeft(s, n);
  return n <= 0 ? nullptr : StringLeft(s, offset_of(s, n, ct));
}

RString *StringDBCSRight(RString *s, int32_t n) {
  const CharTables *ct = dbcs_tables();
  if (!ct) return StringRight(s, n);
  int32_t count = StringDBCSLen(s);
  if (n >= count) return sf_share(s);
  if (n <= 0) return nullptr;
  return StringMid2(s, offset_of(s, count - n, ct) + 1);
}

RString *StringDBCSMid2(RString *s, int32_t start) {
  const CharTables *ct = dbcs_tables();
  if (!ct) return StringMid2(s, start);
  return StringMid2(s, start <= 0 ? 0 : offset_of(s, start - 1, ct) + 1);
}

RString *StringDBCSMid3(RString *s, int32_t start, int32_t count) {
  const CharTables *ct = dbcs_tables();
  if (!ct) return StringMid3(s, start, count);
  int64_t c = count;
  if (start < 1) { /* as in the byte form: the missing characters come off the count */
    c += (int64_t)start - 1;
    start = 1;
  }
  if (c <= 0) return nullptr;
  int32_t first = offset_of(s, start - 1, ct);
  int64_t lastChar = start - 1 + c; /* one past the last character wanted */
  int32_t end = lastChar >= str_len(s) ? str_len(s) : offset_of(s, (int32_t)lastChar, ct);
  return sf_cut(s, first, end - first);
}

int32_t StringDBCSInStr(int32_t start, RString *s, RString *t) {
  const CharTables *ct = dbcs_tables();
  if (!ct) return StringInStr(start, s, t);
  int32_t n = str_len(s);
  if (n == 0) return 0;
  if (str_len(t) == 0) return start;
  int32_t from = start > 1 ? offset_of(s, start - 1, ct) : 0;
  if (from >= n || n - from < str_len(t)) return 0;
  Search q;
  search_begin(&q, s, t, false);
  int32_t at = search_next(&q, from);
  search_end(&q);
  return at < 0 ? 0 : chars_count(sf_bytes(s), at, ct->lead) + 1;
}

int32_t StringDBCSAsc(RString *s) {
  const CharTables *ct = dbcs_tables();
  if (!ct) return StringAsc(s);
  const uint8_t *p = sf_bytes(s);
  if (str_len(s) >= 2 && ct->lead[p[0]]) return p[0] << 8 | p[1];
  return StringAsc(s);
}

RString *StringDBCSChr(int32_t n) {
  if (!dbcs_tables() || n < 256) return StringChr(n);
  uint8_t pair[2] = {(uint8_t)(n >> 8), (uint8_t)n};
  return sf_make(pair, 2);
}

} // extern "C"
