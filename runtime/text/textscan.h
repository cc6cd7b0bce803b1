// Byte-level scanning of texts: the byte-exact search (plain scan, or Boyer-
// Moore for long patterns in long texts), the case-folded search, the search
// at character starts, fields, replacement and double-byte character walking.
// No platform calls: the tables come in as arguments, so it builds natively.
#pragma once
#include <cstdint>

// How a search compares: byte for byte; through an upper-case table; or byte
// for byte at character starts only (both texts already upper-cased).
enum ScanKind { kScanExact, kScanFold, kScanChars };

struct Finder {
  ScanKind kind;
  const uint8_t *table; // kScanFold: the upper-case table; kScanChars: the lead bytes
};

// Each search returns the 0-based position of the first match of t (m > 0
// bytes) in s (n bytes) starting at or after from, or -1.
int32_t scan_exact(const uint8_t *s, int32_t n, const uint8_t *t, int32_t m, int32_t from);
int32_t scan_fold(const uint8_t *s, int32_t n, const uint8_t *t, int32_t m, int32_t from,
                  const uint8_t *upper);
int32_t scan_chars(const uint8_t *s, int32_t n, const uint8_t *t, int32_t m, int32_t from,
                   const uint8_t *lead);
int32_t scan_find(const Finder *f, const uint8_t *s, int32_t n, const uint8_t *t, int32_t m,
                  int32_t from);

// Fields of s separated by t (m > 0): their number (n > 0), and where field k
// (from 1) lies; false when there is no field k.
int32_t scan_count_fields(const Finder *f, const uint8_t *s, int32_t n, const uint8_t *t,
                          int32_t m);
bool scan_nth_field(const Finder *f, const uint8_t *s, int32_t n, const uint8_t *t, int32_t m,
                    int32_t k, int32_t *start, int32_t *length);

// Every occurrence of t found in hay replaced by u, the other bytes taken from
// src (the same length as hay: hay may be an upper-cased copy of src). Writes
// at most cap bytes to out (which may be nil) and reports the full length and
// the number of occurrences. No replacement text is ever searched.
struct Replaced {
  int64_t length; // bytes of the result
  int32_t count;  // occurrences replaced
};
Replaced scan_replace_all(const Finder *f, const uint8_t *hay, const uint8_t *src, int32_t n,
                          const uint8_t *t, int32_t m, const uint8_t *u, int32_t k, uint8_t *out,
                          int64_t cap);

// Double-byte characters: a lead byte with the byte after it, or one byte; a
// lead byte at the very end is a character of its own.
int32_t chars_count(const uint8_t *s, int32_t n, const uint8_t *lead);
// The byte offset where character c (from 0) starts; n when c is past the end.
int32_t chars_offset(const uint8_t *s, int32_t n, const uint8_t *lead, int32_t c);
