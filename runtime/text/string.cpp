// Runtime strings: the string record and its buffer, the process-wide string
// lock, reference counting, the building and slicing primitives, the locale
// comparison, and the C and length-prefixed views.
#include "text/string.h"
#include "base/pool.h"
#include "base/fault.h"
#include <windows.h>
#include <cstring>

enum { kRecordBytes = 16 };

static CRITICAL_SECTION strLock;
static const uint8_t kEmptyP[2] = {0, 0}; /* length byte 0, then the NUL of "" */
static uint8_t scratch;                   /* writable()'s target when no text byte may be written */

void str_init() { InitializeCriticalSection(&strLock); }
void str_enter() { EnterCriticalSection(&strLock); }
void str_leave() { LeaveCriticalSection(&strLock); }

const char *str_cview(const RString *s) { return s ? (const char *)s->buffer + 1 : ""; }

static inline const uint8_t *chars(const RString *s) { return s->buffer + 1; }

/* ---- counts: the callers hold the lock ---- */

// False, with the count untouched, for a record that is no longer live.
static bool retain(RString *s) {
  if (s->refs <= 0) return false; /* a freed record's word 0 links the pool's free list */
  s->refs++;
  return true;
}

// s with one more reference; nil instead of a record that is no longer live.
static RString *share(RString *s) {
  if (!s || retain(s)) return s;
  str_leave(); /* the dialog must not stall other threads' strings */
  fault_report(kFaultStringShareDead);
  str_enter();
  return nullptr;
}

static void destroy(RString *s) {
  pool_free(s->buffer, s->bufferSize);
  pool_free(s, kRecordBytes);
}

static void release(RString *s) {
  if (!s) return;
  if (s->refs <= 0) { /* left as it is: see retain() */
    str_leave();
    fault_report(kFaultStringReleaseDead);
    str_enter();
    return;
  }
  if (--s->refs == 0) destroy(s);
}

/* ---- construction ---- */

// A record of length n whose text the caller fills; nil when n <= 0 or the
// buffer cannot be had. The buffer is asked for first, so that a refusal
// leaves no record behind and never reaches the record's out-of-memory ending.
static RString *alloc(int32_t n) {
  if (n <= 0 || n > INT32_MAX - 2) return nullptr;
  uint8_t *buffer = (uint8_t *)pool_alloc(n + 2, true);
  if (!buffer) return nullptr;
  RString *s = (RString *)pool_alloc(kRecordBytes);
  s->refs = 1;
  s->buffer = buffer;
  s->bufferSize = n + 2;
  s->length = n;
  buffer[0] = (uint8_t)(n < 256 ? n : 255);
  buffer[n + 1] = 0;
  return s;
}

static RString *copyOf(const uint8_t *bytes, int32_t n) {
  RString *s = alloc(n);
  if (s && bytes) memcpy(s->buffer + 1, bytes, n);
  return s;
}

// Bytes start .. start+n-1 of s, with 0 <= start and start + n <= len(s);
// s itself when that is all of it.
static RString *sub(RString *s, int32_t start, int32_t n) {
  if (n <= 0) return nullptr;
  if (n == s->length) return share(s);
  return copyOf(chars(s) + start, n);
}

static RString *concat(RString *a, RString *b) {
  if (!b || b->length == 0) return share(a);
  if (!a || a->length == 0) return share(b);
  if (a->length > INT32_MAX - 2 - b->length) return nullptr; /* no buffer that big */
  RString *s = alloc(a->length + b->length);
  if (!s) return nullptr;
  memcpy(s->buffer + 1, chars(a), a->length);
  memcpy(s->buffer + 1 + a->length, chars(b), b->length);
  return s;
}

/* ---- primitives: one lock entry each ---- */

RString *str_make(const void *bytes, int32_t n) {
  str_enter();
  RString *s = copyOf((const uint8_t *)bytes, n);
  str_leave();
  return s;
}

RString *str_from(const char *text) {
  return text ? str_make(text, (int32_t)strlen(text)) : nullptr;
}

void str_assign(RString **dst, RString *src) {
  if (*dst == src) return; /* unlocking first could free what is stored back */
  str_enter();
  share(src);
  release(*dst);
  *dst = src;
  str_leave();
}

void str_append(RString **dst, RString *src) {
  if (str_len(src) == 0) return;
  str_enter();
  RString *s = concat(*dst, src);
  if (s) { /* without a buffer dst keeps its text rather than lose it */
    release(*dst);
    *dst = s;
  }
  str_leave();
}

RString *str_join(RString *a, RString *b) {
  str_enter();
  RString *s = concat(a, b);
  str_leave();
  return s;
}

RString *str_join_byte(RString *a, uint8_t c) {
  int32_t n = str_len(a);
  str_enter();
  RString *s = alloc(n + 1);
  if (s) {
    if (n) memcpy(s->buffer + 1, chars(a), n);
    s->buffer[n + 1] = c;
  }
  str_leave();
  return s;
}

// Bytes start .. start+n-1 under the lock; the callers clamp both first.
static RString *cut(RString *s, int32_t start, int32_t n) {
  str_enter();
  RString *r = sub(s, start, n);
  str_leave();
  return r;
}

RString *str_left(RString *s, int32_t n) {
  int32_t len = str_len(s);
  return cut(s, 0, n < len ? n : len);
}

RString *str_tail(RString *s, int32_t start) {
  int32_t len = str_len(s);
  if (start < 0) start = 0;
  if (start >= len) return nullptr;
  return cut(s, start, len - start);
}

RString *str_slice(RString *s, int32_t start, int32_t count) {
  int32_t len = str_len(s);
  if (start < 0) {
    if (count <= 0) return nullptr;
    count += start;
    start = 0;
  }
  if (start >= len || count <= 0) return nullptr;
  return cut(s, start, count < len - start ? count : len - start);
}

RString *str_right(RString *s, int32_t n) {
  int32_t len = str_len(s);
  if (n > len) n = len;
  return cut(s, len - (n > 0 ? n : 0), n);
}

static inline bool blank(uint8_t c) { return c == ' ' || c == '\t'; }

static int32_t firstKept(RString *s) {
  int32_t i = 0, len = str_len(s);
  while (i < len && blank(chars(s)[i])) i++;
  return i;
}

static int32_t endKept(RString *s, int32_t from) {
  int32_t end = str_len(s);
  while (end > from && blank(chars(s)[end - 1])) end--;
  return end;
}

RString *str_ltrim(RString *s) {
  int32_t start = firstKept(s);
  return cut(s, start, str_len(s) - start);
}

RString *str_rtrim(RString *s) { return cut(s, 0, endKept(s, 0)); }

RString *str_trim(RString *s) {
  int32_t start = firstKept(s);
  return cut(s, start, endKept(s, start) - start); /* one copy, not two */
}

// On a fault the caller gets a private scratch byte: its write then lands
// nowhere that anyone reads, instead of outside the text or in the shared
// empty views. The same holds when the private copy cannot be had.
uint8_t *str_writable(RString **s, int32_t i) {
  RString *r = *s;
  if (!r || r->length == 0) {
    if (i != 0) fault_report(kFaultStringWriteEmpty);
    return &scratch;
  }
  if (i < 0 || i >= r->length) {
    fault_report(kFaultStringWriteOutside);
    return &scratch;
  }
  str_enter();
  if (r->refs != 1) {
    RString *copy = copyOf(chars(r), r->length);
    if (!copy) {
      str_leave();
      return &scratch;
    }
    release(r);
    *s = r = copy;
  }
  str_leave();
  return r->buffer + 1 + i;
}

/* ---- comparison ---- */

// A text converted from the ANSI code page; short ones stay on the stack.
struct Wide {
  WCHAR *text;      // local, or a block from the pool
  int n;            // converted characters
  int32_t bytes;    // pool bytes behind text, 0 for the local array
  WCHAR local[128]; // room for texts of up to 128 bytes
};

static bool widen(const RString *s, Wide *w) {
  int32_t len = s->length; /* no code page gives more UTF-16 units than bytes */
  w->text = w->local;
  w->bytes = 0;
  if (len > (int32_t)(sizeof w->local / sizeof(WCHAR))) {
    if (len > INT32_MAX / 2) return false;
    w->bytes = len * 2;
    w->text = (WCHAR *)pool_alloc(w->bytes, true);
    if (!w->text) return false;
  }
  w->n = MultiByteToWideChar(CP_ACP, 0, (LPCSTR)chars(s), len, w->text, len);
  return w->n > 0;
}

static void unwiden(Wide *w) {
  if (w->bytes) pool_free(w->text, w->bytes);
}

// Locale order ignoring case, then length; 0 when the comparison fails.
static int32_t compareTexts(RString *a, RString *b) {
  Wide wa, wb;
  int order = 0;
  wa.bytes = wb.bytes = 0; /* unwiden() both, whichever widen() failed */
  if (widen(a, &wa) && widen(b, &wb))
    order = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.text, wa.n, wb.text, wb.n);
  unwiden(&wa);
  unwiden(&wb);
  if (order == CSTR_LESS_THAN) return -1;
  if (order == CSTR_GREATER_THAN) return 1;
  if (order != CSTR_EQUAL || a->length == b->length) return 0;
  return a->length < b->length ? -1 : 1;
}

/* ---- entry points ---- */

extern "C" {

void RuntimeLockString(RString *s) {
  if (!s) return;
  str_enter();
  share(s);
  str_leave();
}

void RuntimeUnlockString(RString *s) {
  if (!s) return;
  str_enter();
  release(s);
  str_leave();
}

void KARULockString(RString *s) { RuntimeLockString(s); }
void KARUUnlockString(RString *s) { RuntimeUnlockString(s); }

RString *RuntimeAddString(RString *a, RString *b) { return str_join(a, b); }

int32_t RuntimeStringCompare(RString *a, RString *b) {
  if (a == b) return 0;
  int32_t la = str_len(a), lb = str_len(b);
  if (la == 0 || lb == 0) return la == lb ? 0 : la < lb ? -1 : 1; /* empty sorts first */
  return compareTexts(a, b);
}

RString *KARUBuildString(const void *bytes, int32_t length) { return str_make(bytes, length); }

const char *StringGetCString(RString *s) { return str_cview(s); }
const char *StringToCString(RString *s) { return str_cview(s); }
const uint8_t *StringGetPString(RString *s) { return s ? s->buffer : kEmptyP; }
const uint8_t *StringToPString(RString *s) { return StringGetPString(s); }

uint32_t StringToOSType(RString *s) {
  int32_t n = str_len(s);
  if (n == 0) return 0x3F3F3F3F; /* "????" */
  uint32_t code = 0;
  memcpy(&code, chars(s), n < 4 ? n : 4); /* first byte lowest on x86 */
  return code;
}

} // extern "C"
