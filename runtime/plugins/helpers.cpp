// Plug-in helpers that ask the runtime about itself and about objects: that
// a built program runs, the runtime's version, a constant's text read as a
// value, the routine behind an interface method, an instance's event handler.
#include "plugins/helpers.h"
#include "karuplugin.h"
#include "objects/objects.h"
#include "text/string.h"
#include <cctype>
#include <cstdlib>
#include <cstring>

// A program this runtime runs is always a built one; there is no design
// environment to tell apart.
bool KARUinRuntime() { return true; }

int32_t KARUGetQXVersion() { return kRuntimeVersion; }

/* ---- constants ---- */

// A text that holds nothing but the number, in the base's digits.
static bool readRadix(const char *s, int base, int32_t *out) {
  if (!*s || strlen(s) > (base == 2 ? 32u : base == 8 ? 11u : 8u)) return false;
  for (const char *p = s; *p; p++) {
    int digit = isdigit((unsigned char)*p)    ? *p - '0'
                : isxdigit((unsigned char)*p) ? 10 + (toupper(*p) - 'A')
                                              : 99;
    if (digit >= base) return false;
  }
  unsigned long long v = strtoull(s, nullptr, base);
  if (v > 0xFFFFFFFFull) return false;
  *out = (int32_t)(uint32_t)v;
  return true;
}

// [sign] digits [. digits] [e [sign] digits], nothing else: no "inf",
// "nan" or hexadecimal fractions that the C library would take.
static bool plainNumber(const char *s, bool *real) {
  const char *p = s + (*s == '+' || *s == '-');
  int digits = 0;
  while (isdigit((unsigned char)*p)) p++, digits++;
  *real = false;
  if (*p == '.') {
    *real = true;
    for (p++; isdigit((unsigned char)*p); p++) digits++;
  }
  if (!digits) return false;
  if (*p == 'e' || *p == 'E') {
    *real = true;
    p++;
    p += *p == '+' || *p == '-';
    if (!isdigit((unsigned char)*p)) return false;
    while (isdigit((unsigned char)*p)) p++;
  }
  return *p == '\0';
}

static bool readNumber(const char *s, KARUConstantValue *v) {
  bool real;
  if (!plainNumber(s, &real)) return false;
  double d = strtod(s, nullptr);
  if (!real && d >= INT32_MIN && d <= INT32_MAX) {
    v->type = KARU_CONSTANT_INTEGER, v->integer = (int32_t)d;
    return true;
  }
  v->type = KARU_CONSTANT_DOUBLE, v->real = d; /* too wide for an Integer */
  return true;
}

// "text", a doubled quote standing for one.
static bool readQuoted(const char *s, size_t n, KARUConstantValue *v) {
  if (n < 2 || s[0] != '"' || s[n - 1] != '"') return false;
  char *text = (char *)malloc(n);
  if (!text) return false;
  size_t length = 0;
  for (size_t i = 1; i + 1 < n; i++) {
    if (s[i] == '"' && (i + 2 >= n || s[++i] != '"')) { /* a lone quote inside */
      free(text);
      return false;
    }
    text[length++] = s[i];
  }
  v->type = KARU_CONSTANT_STRING;
  v->text = (KARUString)str_make(text, (int32_t)length);
  free(text);
  return true;
}

// The prefixed forms: &h hexadecimal, &o octal, &b binary, &c a colour.
static bool readPrefixed(const char *s, KARUConstantValue *v) {
  if (s[0] != '&' || !s[1]) return false;
  char kind = (char)tolower((unsigned char)s[1]);
  int base = kind == 'h' ? 16 : kind == 'o' ? 8 : kind == 'b' ? 2 : kind == 'c' ? 16 : 0;
  if (!base || !readRadix(s + 2, base, &v->integer)) return false;
  if (kind == 'c' && (strlen(s + 2) != 6)) return false; /* RRGGBB, all six */
  v->type = kind == 'c' ? KARU_CONSTANT_COLOR : KARU_CONSTANT_INTEGER;
  return true;
}

static bool readWord(const char *s, KARUConstantValue *v) {
  bool t = strcasecmp(s, "true") == 0;
  if (!t && strcasecmp(s, "false") != 0) return false;
  v->type = KARU_CONSTANT_BOOLEAN, v->integer = t;
  return true;
}

int32_t PluginInterpretConstantValue(const char *text, KARUConstantValue *value) {
  if (!value) return KARU_CONSTANT_NONE;
  memset(value, 0, sizeof *value);
  if (!text) return KARU_CONSTANT_NONE;
  while (isspace((unsigned char)*text)) text++;
  size_t n = strlen(text);
  while (n && isspace((unsigned char)text[n - 1])) n--;
  if (text[0] == '"') return readQuoted(text, n, value) ? value->type : KARU_CONSTANT_NONE;
  char word[64];
  if (n >= sizeof word) return KARU_CONSTANT_NONE; /* no number or word is that long */
  memcpy(word, text, n);
  word[n] = '\0';
  if (readPrefixed(word, value) || readWord(word, value) || readNumber(word, value))
    return value->type;
  memset(value, 0, sizeof *value);
  return KARU_CONSTANT_NONE;
}

/* ---- interface methods and event handlers ---- */

static InterfaceEntry *implemented(const ClassDef *cls, const char *interfaceName) {
  for (; cls; cls = cls->superclass)
    for (InterfaceEntry *e = cls->interfaces; e; e = e->next)
      if (e->interface && name_is(e->interface->name, interfaceName)) return e;
  return nullptr;
}

void *GetInterfaceRoutine(Object *object, const char *interfaceName, const char *methodName) {
  if (!object || !interfaceName || !methodName) return nullptr;
  InterfaceEntry *entry = implemented(object->cls, interfaceName);
  if (!entry) return nullptr;
  int32_t slot = 1;
  for (MethodRecord *m = entry->interface->methods; m; m = m->next, slot++)
    if (name_is(m->name, methodName))
      return entry->table && slot < entry->tableWords ? entry->table[slot] : nullptr;
  return nullptr;
}

// Only an event the instance's class chain declares is looked at: a plug-in
// passing anything else gets nil rather than a read through a stray pointer.
static bool declares(const ClassDef *cls, const EventRecord *event) {
  for (; cls; cls = cls->superclass)
    for (EventRecord *e = cls->events; e; e = e->next)
      if (e == event) return true;
  return false;
}

void *GetEventInstance(Object *instance, EventRecord *event) {
  if (!instance || !event || !declares(instance->cls, event)) return nullptr;
  return event_handler_entry(instance, event);
}

// The handler's routine is plain x86 code on this platform, so both forms
// give the same address.
void *GetEventInstancePPC(Object *instance, EventRecord *event) {
  return GetEventInstance(instance, event);
}
