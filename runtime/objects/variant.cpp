// Variants: making them from plain values, the conversions back with their
// type checks, the type tests, the hash and equality that dictionary keys
// use, and the key fold shared with collections.
#include "objects/variant.h"
#include "objects/registry.h"
#include "text/chartables.h"
#include "text/numbers.h"
#include <cstdio>
#include <cstring>

typedef Variant V;

static ClassDef *variantClass;

static void variantDestructor(Object *object, ClassDef *) {
  V *v = (V *)object;
  if (v->type == kVarString) RuntimeUnlockString(v->value.s);
  if (v->type == kVarObject) RuntimeUnlockObject(v->value.o);
}

void variant_classes_attach() {
  variantClass = registry_find("Variant");
  variantClass->destructor = variantDestructor;
}

/* ---- the key fold ---- */

static uint8_t foldByte(uint8_t c) { return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c; }

// Bytes of the character at text[i]: 2 for a lead byte with its trail, else 1.
static int32_t charBytes(const uint8_t *lead, const char *text, int32_t i, int32_t length) {
  return lead[(uint8_t)text[i]] && i + 1 < length ? 2 : 1;
}

// Feeds every byte of the folded key to step(h, c), h starting from start.
// Without lead bytes in the code page every character is a single byte.
template <class Step>
static uint32_t foldBytes(const char *text, int32_t length, uint32_t h, Step step) {
  const CharTables *tables = chartables();
  const uint8_t *bytes = (const uint8_t *)text;
  if (!tables->dbcs) {
    for (int32_t i = 0; i < length; i++) h = step(h, foldByte(bytes[i]));
    return h;
  }
  for (int32_t i = 0; i < length;) {
    if (charBytes(tables->lead, text, i, length) == 2) { /* a pair is taken as it is */
      h = step(step(h, bytes[i]), bytes[i + 1]);
      i += 2;
    } else {
      h = step(h, foldByte(bytes[i++]));
    }
  }
  return h;
}

uint32_t key_hash(const char *text, int32_t length) {
  return foldBytes(text, length, 0, [](uint32_t h, uint8_t c) {
    return (h << 2) ^ (uint32_t)(int32_t)(int8_t)c; /* high bytes enter as negative values */
  });
}

// FNV-1a: every byte reaches every bit. key_hash gives the million keys KEY0
// to KEY999999 only 16,254 different values (KEY10 and KEY38 agree).
uint32_t key_bin_hash(const char *text, int32_t length) {
  return foldBytes(text, length, kFnvBasis,
                   [](uint32_t h, uint8_t c) { return (h ^ c) * kFnvPrime; });
}

bool keys_equal(const char *a, int32_t aLength, const char *b, int32_t bLength) {
  if (aLength != bLength) return false;
  if (memcmp(a, b, aLength) == 0) return true; /* the same bytes fold alike */
  const uint8_t *lead = chartables()->lead;
  for (int32_t i = 0; i < aLength;) {
    if (charBytes(lead, a, i, aLength) == 2) { /* the same lead byte makes b's a pair too */
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      i += 2;
      continue;
    }
    if (foldByte((uint8_t)a[i]) != foldByte((uint8_t)b[i])) return false;
    i++;
  }
  return true;
}

bool keys_equal(const RString *a, const RString *b) {
  return keys_equal(str_cview(a), str_len(a), str_cview(b), str_len(b));
}

/* ---- making variants ---- */

static V *make(int32_t type) {
  V *v = (V *)CreateInstance(variantClass);
  v->type = type;
  return v;
}

static Object *makeWord(int32_t type, int32_t word) {
  V *v = make(type);
  v->value.i = word;
  return &v->header;
}

Object *intToVariant(int32_t x) { return makeWord(kVarInteger, x); }
Object *colorToVariant(int32_t x) { return makeWord(kVarColor, x); }
Object *booleanToVariant(bool x) { return makeWord(kVarBoolean, x ? 1 : 0); }
Object *getNilVariant() { return makeWord(kVarNull, 0); }

Object *doubleToVariant(double x) {
  V *v = make(kVarDouble);
  v->value.d = x;
  return &v->header;
}

Object *stringToVariant(RString *s) {
  V *v = make(kVarString);
  RuntimeLockString(s);
  v->value.s = s;
  return &v->header;
}

Object *objectToVariant(Object *o) {
  V *v = make(kVarObject);
  v->value.o = RuntimeLockObject(o);
  return &v->header;
}

/* ---- type tests ---- */

int32_t VarType(Object *v) { return v ? ((V *)v)->type : kVarNil; }

bool IsNumeric(Object *v) {
  int32_t t = VarType(v);
  return t == kVarInteger || t == kVarDouble;
}

bool IsNull(Object *v) { return VarType(v) == kVarNull; }

/* ---- conversions ---- */

// The variant behind a conversion's argument; nil is raised, not read.
static V *subject(Object *v) {
  if (!v) objects_raise("NilObjectException");
  return (V *)v;
}

[[noreturn]] static void mismatch() { objects_raise("typeMismatchException"); }

// Integer, Color and Boolean keep their value in one word.
static bool wordValued(const V *v) {
  return v->type == kVarInteger || v->type == kVarColor || v->type == kVarBoolean;
}

double variantToDouble(Object *object) {
  V *v = subject(object);
  if (wordValued(v)) return v->value.i;
  if (v->type == kVarDouble) return v->value.d;
  if (v->type == kVarString) return StringVal(v->value.s);
  mismatch();
}

int32_t variantToInt(Object *object) {
  V *v = subject(object);
  return wordValued(v) ? v->value.i : FPToInt(variantToDouble(object)); /* toward zero */
}

int32_t variantToColor(Object *v) { return variantToInt(v); }

static bool textIs(const RString *s, const char *text) {
  return keys_equal(str_cview(s), str_len(s), text, (int32_t)strlen(text));
}

bool variantToBoolean(Object *object) {
  V *v = subject(object);
  if (wordValued(v)) return v->value.i != 0;
  if (v->type == kVarDouble) return v->value.d != 0.0;
  if (v->type == kVarString) return textIs(v->value.s, "true") || textIs(v->value.s, "1");
  mismatch();
}

RString *variantToString(Object *object) {
  V *v = subject(object);
  char digits[16];
  switch (v->type) {
  case kVarInteger:
  case kVarColor:
    snprintf(digits, sizeof digits, "%ld", (long)v->value.i);
    return str_from(digits);
  case kVarDouble:
    return runCStr(v->value.d);
  case kVarString:
    RuntimeLockString(v->value.s);
    return v->value.s;
  case kVarBoolean:
    return str_from(v->value.i ? "True" : "False");
  }
  mismatch();
}

Object *variantToObject(Object *object) {
  V *v = subject(object);
  if (v->type != kVarObject) mismatch();
  return RuntimeLockObject(v->value.o);
}

/* ---- hash and equality ---- */

int32_t VariantHash(Object *v) { return v ? (int32_t)variant_hash((Variant *)v) : 0; }

bool VariantEqual(Object *a, Object *b) {
  if (a == b) return true;
  return a && b && variants_equal((Variant *)a, (Variant *)b);
}
