// Byte-level scanning: the plain and Boyer-Moore byte-exact searches, the
// case-folded and character-aligned searches, fields, replacement of every
// occurrence, and counting double-byte characters.
#include "text/textscan.h"
#include <cstring>

enum {
  kMooreMinPattern = 5,     // Boyer-Moore for patterns longer than 4 bytes
  kMooreMinCandidates = 82, // with more than 81 candidate positions
  kMooreGoodSuffixMax = 256 // longer patterns shift by the bad character alone
};

/* ---- byte-exact search ---- */

static int32_t plain_scan(const uint8_t *s, int32_t n, const uint8_t *t, int32_t m, int32_t from) {
  const uint8_t *last = s + n - m; /* the last candidate */
  for (const uint8_t *p = s + from; p <= last; p++) {
    p = (const uint8_t *)memchr(p, t[0], last - p + 1);
    if (!p) return -1;
    if (memcmp(p + 1, t + 1, m - 1) == 0) return (int32_t)(p - s);
  }
  return -1;
}

// Shift by the byte that mismatched: the distance from its last place in t to
// t's end. Every byte of t counts, NULs and what follows them included.
static void bad_character_table(const uint8_t *t, int32_t m, int32_t *bad) {
  for (int i = 0; i < 256; i++) bad[i] = m;
  for (int32_t i = 0; i < m - 1; i++) bad[t[i]] = m - 1 - i;
}

// suffix[i]: the length of the longest suffix of t that ends at i.
static void suffixes(const uint8_t *t, int32_t m, int32_t *suffix) {
  int32_t f = 0, g = m - 1;
  suffix[m - 1] = m;
  for (int32_t i = m - 2; i >= 0; i--) {
    if (i > g && suffix[i + m - 1 - f] < i - g) {
      suffix[i] = suffix[i + m - 1 - f];
      continue;
    }
    if (i < g) g = i;
    f = i;
    while (g >= 0 && t[g] == t[g + m - 1 - f]) g--;
    suffix[i] = f - g;
  }
}

// good[j]: the shift after a mismatch at t[j] with t[j+1..] matched.
static void good_suffix_table(const uint8_t *t, int32_t m, int32_t *good) {
  int32_t suffix[kMooreGoodSuffixMax];
  suffixes(t, m, suffix);
  for (int32_t i = 0; i < m; i++) good[i] = m;
  int32_t j = 0;
  for (int32_t i = m - 1; i >= -1; i--)
    if (i == -1 || suffix[i] == i + 1)
      for (; j < m - 1 - i; j++)
        if (good[j] == m) good[j] = m - 1 - i;
  for (int32_t i = 0; i <= m - 2; i++) good[m - 1 - suffix[i]] = m - 1 - i;
}

static int32_t moore_scan(const uint8_t *s, int32_t n, const uint8_t *t, int32_t m, int32_t from) {
  int32_t bad[256], good[kMooreGoodSuffixMax];
  bool useGood = m <= kMooreGoodSuffixMax;
  bad_character_table(t, m, bad);
  if (useGood) good_suffix_table(t, m, good);
  for (int32_t at = from; at <= n - m;) {
    int32_t j = m - 1;
    while (j >= 0 && t[j] == s[at + j]) j--;
    if (j < 0) return at;
    int32_t shift = bad[s[at + j]] - (m - 1 - j);
    if (useGood && good[j] > shift) shift = good[j];
    at += shift > 0 ? shift : 1;
  }
  return -1;
}

int32_t scan_exact(const uint8_t *s, int32_t n, const uint8_t *t, int32_t m, int32_t from) {
  if (from < 0) from = 0;
  if (m <= 0 || from > n - m) return -1;
  if (m >= kMooreMinPattern && n - m - from + 1 >= kMooreMinCandidates)
    return moore_scan(s, n, t, m, from);
  return plain_scan(s, n, t, m, from);
}

/* ---- case-folded and character-aligned search ---- */

int32_t scan_fold(const uint8_t *s, int32_t n, const uint8_t *t, int32_t m, int32_t from,
                  const uint8_t *upper) {
  if (from < 0) from = 0;
  if (m <= 0) return -1;
  uint8_t first = upper[t[0]];
  for (int32_t at = from; at <= n - m; at++) {
    if (upper[s[at]] != first) continue;
    int32_t j = 1;
    while (j < m && upper[s[at + j]] == upper[t[j]]) j++;
    if (j == m) return at;
  }
  return -1;
}

int32_t scan_chars(const uint8_t *s, int32_t n, const uint8_t *t, int32_t m, int32_t from,
                   const uint8_t *lead) {
  if (from < 0) from = 0;
  if (m <= 0) return -1;
  for (int32_t at = from; at <= n - m; at += lead[s[at]] ? 2 : 1) /* never start on a trail byte */
    if (s[at] == t[0] && memcmp(s + at + 1, t + 1, m - 1) == 0) return at;
  return -1;
}

int32_t scan_find(const Finder *f, const uint8_t *s, int32_t n, const uint8_t *t, int32_t m,
                  int32_t from) {
  switch (f->kind) {
  case kScanFold:
    return scan_fold(s, n, t, m, from, f->table);
  case kScanChars:
    return scan_chars(s, n, t, m, from, f->table);
  default:
    return scan_exact(s, n, t, m, from);
  }
}

/* ---- fields and replacement ---- */

int32_t scan_count_fields(const Finder *f, const uint8_t *s, int32_t n, const uint8_t *t,
                          int32_t m) {
  int32_t fields = 1;
  for (int32_t at = scan_find(f, s, n, t, m, 0); at >= 0; at = scan_find(f, s, n, t, m, at + m))
    fields++;
  return fields;
}

bool scan_nth_field(const Finder *f, const uint8_t *s, int32_t n, const uint8_t *t, int32_t m,
                    int32_t k, int32_t *start, int32_t *length) {
  int32_t from = 0;
  for (int32_t i = 1; i < k; i++) { /* skip k - 1 separators */
    int32_t at = scan_find(f, s, n, t, m, from);
    if (at < 0) return false;
    from = at + m;
  }
  int32_t end = scan_find(f, s, n, t, m, from);
  *start = from;
  *length = (end < 0 ? n : end) - from;
  return true;
}

static void copy_out(uint8_t *out, int64_t cap, int64_t at, const uint8_t *bytes, int32_t n) {
  if (!out || at >= cap) return;
  if (n > cap - at) n = (int32_t)(cap - at);
  memcpy(out + at, bytes, n);
}

Replaced scan_replace_all(const Finder *f, const uint8_t *hay, const uint8_t *src, int32_t n,
                          const uint8_t *t, int32_t m, const uint8_t *u, int32_t k, uint8_t *out,
                          int64_t cap) {
  Replaced r = {0, 0};
  int32_t from = 0;
  for (int32_t at; (at = scan_find(f, hay, n, t, m, from)) >= 0; from = at + m) {
    copy_out(out, cap, r.length, src + from, at - from);
    r.length += at - from;
    copy_out(out, cap, r.length, u, k);
    r.length += k; /* 64 bits: n / m occurrences times k cannot overflow it */
    r.count++;
  }
  copy_out(out, cap, r.length, src + from, n - from);
  r.length += n - from;
  return r;
}

/* ---- double-byte characters ---- */

int32_t chars_count(const uint8_t *s, int32_t n, const uint8_t *lead) {
  int32_t count = 0;
  for (int32_t i = 0; i < n; i += lead[s[i]] ? 2 : 1) count++;
  return count;
}

int32_t chars_offset(const uint8_t *s, int32_t n, const uint8_t *lead, int32_t c) {
  int32_t i = 0;
  for (; i < n && c > 0; c--) i += lead[s[i]] ? 2 : 1;
  return i < n ? i : n;
}
