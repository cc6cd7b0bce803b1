// Runtime strings: reference-counted, immutable 8-bit text shared by all of the
// runtime, compiled code and plug-ins. Nil is the empty string everywhere.
#pragma once
#include <cstdint>

// The string record, 16 bytes from the memory pool.
struct RString {
  int32_t refs;       // 0: reference count, 1 after creation
  uint8_t *buffer;    // 4: length byte, text bytes, terminating NUL
  int32_t bufferSize; // 8: bytes in the buffer: length + 2
  int32_t length;     // 12: bytes of text
};
static_assert(sizeof(RString) == 16);
static_assert(__builtin_offsetof(RString, buffer) == 4);
static_assert(__builtin_offsetof(RString, bufferSize) == 8);
static_assert(__builtin_offsetof(RString, length) == 12);

void str_init(); // creates the string lock; before the first string is made

// The re-entrant string lock; every count change and primitive runs inside it.
void str_enter();
void str_leave();

inline int32_t str_len(const RString *s) { return s ? s->length : 0; }
const char *str_cview(const RString *s); // NUL-terminated view, "" for nil

// Primitives: 0-based positions; each returns a new reference or nil.
RString *str_make(const void *bytes, int32_t n); // nil bytes: text left for the caller
RString *str_from(const char *text);             // make from a NUL-terminated text
void str_assign(RString **dst, RString *src);
void str_append(RString **dst, RString *src);
RString *str_join(RString *a, RString *b);
RString *str_join_byte(RString *a, uint8_t c);
RString *str_left(RString *s, int32_t n);
RString *str_tail(RString *s, int32_t start);
RString *str_slice(RString *s, int32_t start, int32_t count);
RString *str_right(RString *s, int32_t n);
RString *str_ltrim(RString *s);
RString *str_rtrim(RString *s);
RString *str_trim(RString *s);
uint8_t *str_writable(RString **s, int32_t i); // private copy first when shared

// Entry points (compiled code and plug-ins).
extern "C" {
void RuntimeLockString(RString *s);
void RuntimeUnlockString(RString *s);
void KARULockString(RString *s);
void KARUUnlockString(RString *s);
RString *RuntimeAddString(RString *a, RString *b);
int32_t RuntimeStringCompare(RString *a, RString *b);
RString *KARUBuildString(const void *bytes, int32_t length);
const char *StringGetCString(RString *s);
const char *StringToCString(RString *s);
const uint8_t *StringGetPString(RString *s);
const uint8_t *StringToPString(RString *s);
uint32_t StringToOSType(RString *s);
}
