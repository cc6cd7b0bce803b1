// The string functions compiled code calls (byte forms and double-byte
// forms), and the helpers they share: results that may not silently come out
// empty, and the case-ignoring search over either kind of code page.
#pragma once
#include "text/string.h"
#include "text/textscan.h"

// A string of n bytes (copied when bytes is not nil). When memory for a
// non-empty result cannot be had the process ends with the out-of-memory
// message: a function never hands back a shortened or empty text instead.
RString *sf_make(const void *bytes, int64_t n);
RString *sf_share(RString *s); // s with one more reference
// Bytes start .. start + count - 1 of s (start >= 0), cut short at the end; s
// itself when that is all of it; the same memory rule as sf_make.
RString *sf_cut(RString *s, int32_t start, int32_t count);
inline const uint8_t *sf_bytes(const RString *s) { return (const uint8_t *)str_cview(s); }

// A case-ignoring search of t in s. Single-byte code pages compare through
// the upper-case table (or byte for byte when exactWhenCaseless and t has no
// byte with two cases); double-byte code pages search upper-cased copies at
// character starts. Positions are 0-based and the same in s and its copy.
struct Search {
  Finder finder;
  const uint8_t *hay, *pat; // what is searched and what is looked for
  int32_t n, m;             // their lengths
  uint8_t *copies;          // the upper-cased copies in one block, or nil
  uint8_t local[256];       // the copies when they are short
};
void search_begin(Search *q, RString *s, RString *t, bool exactWhenCaseless);
inline int32_t search_next(Search *q, int32_t from) {
  return scan_find(&q->finder, q->hay, q->n, q->pat, q->m, from);
}
void search_end(Search *q);

extern "C" {
int32_t StringLen(RString *s);
RString *StringLeft(RString *s, int32_t n);
RString *StringRight(RString *s, int32_t n);
RString *StringMid2(RString *s, int32_t start);
RString *StringMid3(RString *s, int32_t start, int32_t count);
int32_t StringAsc(RString *s);
RString *StringChr(int32_t n);
RString *StringLCase(RString *s);
RString *StringUCase(RString *s);
RString *StringTitleCase(RString *s);
int32_t StringInStr(int32_t start, RString *s, RString *t);
int32_t StringInStrB(int32_t start, RString *s, RString *t);
RString *StringReplace(RString *s, RString *t, RString *u);
RString *StringReplaceAll(RString *s, RString *t, RString *u);
int32_t StringCountFields(RString *s, RString *t);
RString *StringNthField(RString *s, RString *t, int32_t n);
RString *runTrim(RString *s);
RString *runLTrim(RString *s);
RString *runRTrim(RString *s);
int32_t StringStrCompare(RString *s, RString *t, int32_t mode);

int32_t StringDBCSLen(RString *s);
RString *StringDBCSLeft(RString *s, int32_t n);
RString *StringDBCSRight(RString *s, int32_t n);
RString *StringDBCSMid2(RString *s, int32_t start);
RString *StringDBCSMid3(RString *s, int32_t start, int32_t count);
int32_t StringDBCSInStr(int32_t start, RString *s, RString *t);
int32_t StringDBCSAsc(RString *s);
RString *StringDBCSChr(int32_t n);
}
