// The string functions in their byte forms: extraction, case, search,
// replacement, fields, trimming, character codes and comparison, with the
// helpers the double-byte forms share.
#include "text/strfuncs.h"
#include "base/pool.h"
#include "base/fault.h"
#include "text/chartables.h"
#include <windows.h>
#include <cstring>

enum { kStackText = 512 }; // results up to this size are assembled on the stack

/* ---- shared helpers ---- */

RString *sf_make(const void *bytes, int64_t n) {
  if (n <= 0) return nullptr;
  RString *s = n <= INT32_MAX - 2 ? str_make(bytes, (int32_t)n) : nullptr;
  if (!s) fault_out_of_memory(n + 2 > kPoolLargestSmall);
  return s;
}

RString *sf_share(RString *s) {
  RuntimeLockString(s);
  return s;
}

RString *sf_cut(RString *s, int32_t start, int32_t count) {
  int32_t len = str_len(s);
  if (start >= len || count <= 0) return nullptr;
  if (count > len - start) count = len - start;
  RString *r = str_slice(s, start, count);
  if (!r) fault_out_of_memory(count + 2 > kPoolLargestSmall);
  return r;
}

static inline uint8_t *text_of(RString *s) { return s->buffer + 1; } /* a fresh record's bytes */

static bool caseless(const uint8_t *t, int32_t m, const CharTables *ct) {
  for (int32_t i = 0; i < m; i++)
    if (ct->upper[t[i]] != t[i] || ct->lower[t[i]] != t[i]) return false;
  return true;
}

void search_begin(Search *q, RString *s, RString *t, bool exactWhenCaseless) {
  const CharTables *ct = chartables();
  q->n = str_len(s);
  q->m = str_len(t);
  q->hay = sf_bytes(s);
  q->pat = sf_bytes(t);
  q->copies = nullptr;
  if (!ct->dbcs) {
    bool exact = exactWhenCaseless && caseless(q->pat, q->m, ct);
    q->finder = {exact ? kScanExact : kScanFold, ct->upper};
    return;
  }
  int64_t bytes = (int64_t)q->n + q->m;
  if (bytes > INT32_MAX) fault_out_of_memory(true);
  uint8_t *c = q->local;
  if (bytes > (int64_t)sizeof q->local) c = q->copies = (uint8_t *)pool_alloc((int32_t)bytes);
  memcpy(c, q->hay, q->n);
  memcpy(c + q->n, q->pat, q->m);
  CharUpperBuffA((LPSTR)c, q->n);
  CharUpperBuffA((LPSTR)c + q->n, q->m);
  q->hay = c;
  q->pat = c + q->n;
  q->finder = {kScanChars, ct->lead};
}

void search_end(Search *q) {
  if (q->copies) pool_free(q->copies, q->n + q->m);
}

/* ---- extraction and measurement ---- */

extern "C" {

int32_t StringLen(RString *s) { return str_len(s); }

RString *StringLeft(RString *s, int32_t n) { return sf_cut(s, 0, n); }

RString *StringRight(RString *s, int32_t n) {
  int32_t len = str_len(s);
  return sf_cut(s, n < len ? len - n : 0, n);
}

RString *StringMid2(RString *s, int32_t start) {
  if (start <= 1) return sf_share(s);
  return sf_cut(s, start - 1, str_len(s));
}

RString *StringMid3(RString *s, int32_t start, int32_t count) {
  int64_t c = count;
  if (start < 1) { /* the missing positions come off the count */
    c += (int64_t)start - 1;
    start = 1;
  }
  return c > 0 ? sf_cut(s, start - 1, c < INT32_MAX ? (int32_t)c : INT32_MAX) : nullptr;
}

int32_t StringAsc(RString *s) { return str_len(s) ? sf_bytes(s)[0] : 0; }

RString *StringChr(int32_t n) {
  uint8_t b = (uint8_t)n;
  return sf_make(&b, 1);
}

/* ---- case ---- */

RString *StringLCase(RString *s) {
  RString *r = sf_make(sf_bytes(s), str_len(s));
  if (r) CharLowerBuffA((LPSTR)text_of(r), r->length);
  return r;
}

RString *StringUCase(RString *s) {
  RString *r = sf_make(sf_bytes(s), str_len(s));
  if (r) CharUpperBuffA((LPSTR)text_of(r), r->length);
  return r;
}

} // extern "C"

static WORD char_type(const uint8_t *p, int32_t len) {
  WORD types[2] = {0, 0};
  GetStringTypeExA(LOCALE_USER_DEFAULT, CT_CTYPE1, (LPCSTR)p, len, types);
  return types[0];
}

// Upper-cases the first character of each word and lower-cases the rest,
// words being separated by space or blank characters only.
static void title_case(uint8_t *p, int32_t n, const uint8_t *lead) {
  bool wordStart = true;
  for (int32_t i = 0, len; i < n; i += len) {
    len = lead[p[i]] ? 2 : 1;
    if (i + len > n) break; /* a lead byte without its second byte */
    WORD type = char_type(p + i, len);
    if (type & (C1_SPACE | C1_BLANK)) {
      wordStart = true;
      continue;
    }
    if (wordStart && !(type & C1_UPPER)) CharUpperBuffA((LPSTR)p + i, len);
    if (!wordStart && (type & C1_UPPER)) CharLowerBuffA((LPSTR)p + i, len);
    wordStart = false;
  }
}

extern "C" RString *StringTitleCase(RString *s) {
  RString *r = sf_make(sf_bytes(s), str_len(s));
  if (r) title_case(text_of(r), r->length, chartables()->lead);
  return r;
}

/* ---- search ---- */

// The steps every search takes first. True with *result set when they decide
// it; otherwise *from is the 0-based byte to search from.
static bool settled_search(int32_t start, RString *s, RString *t, int32_t *from, int32_t *result) {
  int32_t n = str_len(s), m = str_len(t);
  *result = 0;
  if (n == 0) return true;
  if (m == 0) {
    *result = start; /* unchanged, even when 0 or past the end */
    return true;
  }
  *from = start > 0 ? start - 1 : 0;
  return *from >= n || n - *from < m;
}

extern "C" {

int32_t StringInStr(int32_t start, RString *s, RString *t) {
  int32_t from, result;
  if (settled_search(start, s, t, &from, &result)) return result;
  Search q;
  search_begin(&q, s, t, false);
  int32_t at = search_next(&q, from);
  search_end(&q);
  return at + 1; /* -1 becomes 0 */
}

int32_t StringInStrB(int32_t start, RString *s, RString *t) {
  int32_t from, result;
  if (settled_search(start, s, t, &from, &result)) return result;
  return scan_exact(sf_bytes(s), str_len(s), sf_bytes(t), str_len(t), from) + 1;
}

/* ---- replacement ---- */

RString *StringReplace(RString *s, RString *t, RString *u) {
  int32_t n = str_len(s), m = str_len(t), k = str_len(u);
  if (m == 0) return sf_share(s);
  Search q;
  search_begin(&q, s, t, false);
  int32_t at = search_next(&q, 0);
  search_end(&q);
  if (at < 0) return sf_share(s);
  RString *r = sf_make(nullptr, (int64_t)n - m + k);
  if (r) {
    memcpy(text_of(r), sf_bytes(s), at);
    memcpy(text_of(r) + at, sf_bytes(u), k);
    memcpy(text_of(r) + at + k, sf_bytes(s) + at + m, n - at - m);
  }
  return r;
}

// Searches run over s (or its upper-cased copy) from just after the previous
// occurrence, so the text put in is never searched. The result is sized
// exactly before it is filled: nothing is shared between calls or threads.
RString *StringReplaceAll(RString *s, RString *t, RString *u) {
  if (str_len(t) == 0) return sf_share(s);
  Search q;
  search_begin(&q, s, t, true);
  uint8_t local[kStackText];
  Replaced done = scan_replace_all(&q.finder, q.hay, sf_bytes(s), q.n, q.pat, q.m, sf_bytes(u),
                                   str_len(u), local, sizeof local);
  RString *r;
  if (done.count == 0) {
    r = sf_share(s);
  } else if (done.length <= (int64_t)sizeof local) {
    r = sf_make(local, done.length);
  } else {
    r = sf_make(nullptr, done.length);
    scan_replace_all(&q.finder, q.hay, sf_bytes(s), q.n, q.pat, q.m, sf_bytes(u), str_len(u),
                     text_of(r), r->length);
  }
  search_end(&q);
  return r;
}

/* ---- fields ---- */

int32_t StringCountFields(RString *s, RString *t) {
  if (str_len(s) == 0) return 0;
  if (str_len(t) == 0) return 1;
  Search q;
  search_begin(&q, s, t, true);
  int32_t fields = scan_count_fields(&q.finder, q.hay, q.n, q.pat, q.m);
  search_end(&q);
  return fields;
}

RString *StringNthField(RString *s, RString *t, int32_t n) {
  if (str_len(s) == 0 || str_len(t) == 0 || n <= 0) return nullptr;
  Search q;
  search_begin(&q, s, t, true);
  int32_t start = 0, length = 0;
  bool found = scan_nth_field(&q.finder, q.hay, q.n, q.pat, q.m, n, &start, &length);
  search_end(&q);
  return found ? sf_cut(s, start, length) : nullptr;
}

} // extern "C"

/* ---- trimming ---- */

// The length of the white-space character at p (n bytes left), 0 if it is not one.
static int32_t white_at(const uint8_t *p, int32_t n, const CharTables *ct) {
  if (!ct->dbcs) return ct->space[*p];
  int32_t len = ct->lead[*p] && n > 1 ? 2 : 1;
  return (char_type(p, len) & C1_SPACE) ? len : 0;
}

static int32_t leading_white(const uint8_t *p, int32_t n, const CharTables *ct) {
  int32_t i = 0;
  for (int32_t w; i < n && (w = white_at(p + i, n - i, ct)) > 0;) i += w;
  return i;
}

// The end of the last character from `from` on that is not white space.
static int32_t kept_end(const uint8_t *p, int32_t from, int32_t n, const CharTables *ct) {
  if (!ct->dbcs) {
    while (n > from && ct->space[p[n - 1]]) n--;
    return n;
  }
  int32_t end =
      from; /* double-byte texts are scanned forward: a trail byte may look like a space */
  for (int32_t i = from; i < n;) {
    int32_t len = ct->lead[p[i]] && i + 1 < n ? 2 : 1;
    if (!white_at(p + i, n - i, ct)) end = i + len;
    i += len;
  }
  return end;
}

static RString *trim(RString *s, bool front, bool back) {
  const CharTables *ct = chartables();
  const uint8_t *p = sf_bytes(s);
  int32_t n = str_len(s);
  int32_t start = front ? leading_white(p, n, ct) : 0;
  int32_t end = back ? kept_end(p, start, n, ct) : n;
  return sf_cut(s, start, end - start);
}

extern "C" {

RString *runTrim(RString *s) { return trim(s, true, true); }
RString *runLTrim(RString *s) { return trim(s, true, false); }
RString *runRTrim(RString *s) { return trim(s, false, true); }

/* ---- comparison ---- */

static int32_t sign_of(int v) { return v < 0 ? -1 : v > 0; }

static int32_t compare_bytes(const uint8_t *a, int32_t la, const uint8_t *b, int32_t lb) {
  int r = memcmp(a, b, la < lb ? la : lb); /* unsigned bytes */
  return r ? sign_of(r) : sign_of(la - lb);
}

static int32_t compare_locale(const uint8_t *a, int32_t la, const uint8_t *b, int32_t lb) {
  int order = CompareStringA(LOCALE_USER_DEFAULT, 0, (LPCSTR)a, la, (LPCSTR)b, lb);
  if (order == CSTR_LESS_THAN) return -1;
  if (order == CSTR_GREATER_THAN) return 1;
  if (order != CSTR_EQUAL) return 0; /* the comparison failed */
  return sign_of(la - lb);
}

int32_t StringStrCompare(RString *s, RString *t, int32_t mode) {
  int32_t ls = str_len(s), lt = str_len(t);
  if (ls == 0 || lt == 0) return sign_of(ls - lt);
  if (mode == 0) return compare_bytes(sf_bytes(s), ls, sf_bytes(t), lt);
  return compare_locale(sf_bytes(s), ls, sf_bytes(t), lt);
}

} // extern "C"
