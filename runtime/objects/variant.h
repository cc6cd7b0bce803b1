// Variants: the runtime object that holds one value of any language type, its
// conversions, its hash and equality, and the case-blind key fold that
// dictionaries and collections compare their keys with.
#pragma once
#include "objects/objects.h"
#include "text/string.h"
#include <cstddef>
#include <cstdint>

// Type codes, as VarType reports them.
enum VarCode : int32_t {
  kVarNil = 0, // a nil Variant reference, never stored
  kVarNull = 1,
  kVarInteger = 2,
  kVarDouble = 5,
  kVarString = 8, // holds one reference to its string
  kVarObject = 9, // holds one reference to its object
  kVarBoolean = 11,
  kVarColor = 16,
};

#pragma pack(push, 4) /* the Double sits at offset 28, unpadded */
struct Variant {
  Object header;   // 0, 16 bytes
  int32_t root[2]; // 16, 8 bytes: the root class's words, unused
  int32_t type;    // 24: a VarCode
  union {          // 28, 12 bytes: the value, in its first one or two words
    int32_t i;     // Integer, Color, Boolean (0 or 1)
    double d;      // Double
    RString *s;    // String
    Object *o;     // Object
    uint32_t w[3]; // the value words that hashing and equality read
  } value;
};
#pragma pack(pop)
static_assert(offsetof(Variant, type) == 24 && offsetof(Variant, value) == 28);
static_assert(sizeof(Variant) == 40);

// Gives the built-in Variant class the destructor that releases its value.
void variant_classes_attach();

// The key fold: a-z to capitals, byte by byte, except that the two bytes of
// a double-byte character of the ANSI code page are taken as they are (a
// trail byte may look like a small letter). The hash and the comparison fold
// alike, so keys that compare equal always hash alike.
uint32_t key_hash(const char *text, int32_t length);
// A hash of the same fold whose every bit depends on every byte, for spreading
// keys over a dictionary's bins.
uint32_t key_bin_hash(const char *text, int32_t length);
bool keys_equal(const char *a, int32_t aLength, const char *b, int32_t bLength);
bool keys_equal(const RString *a, const RString *b);

// VariantHash and VariantEqual of Variants that are not nil, inline for the
// dictionary's lookups.
inline uint32_t variant_hash(const Variant *v) {
  if (v->type == kVarString) return key_hash(str_cview(v->value.s), str_len(v->value.s));
  uint32_t first = v->value.w[0];
  return ((uint32_t)((int32_t)first >> 16) | (first << 16)) ^ v->value.w[1] ^ v->value.w[2];
}

enum : uint32_t {
  kFnvBasis = 2166136261u, // FNV-1a's starting value
  kFnvPrime = 16777619u,   // and its multiplier
  kMixOdd1 = 0x7feb352du,  // the multipliers of the value mix below
  kMixOdd2 = 0x846ca68bu,
};

// The hash a dictionary spreads a key over its bins by: for Strings the fold's
// FNV-1a, for the rest variant_hash mixed so that every input bit moves about
// half of the output bits (sequential Integers land far apart). Keys that are
// equal have equal bin hashes, as they have equal variant hashes.
inline uint32_t variant_bin_hash(const Variant *v) {
  if (v->type == kVarString) return key_bin_hash(str_cview(v->value.s), str_len(v->value.s));
  uint32_t h = variant_hash(v);
  h = (h ^ (h >> 16)) * kMixOdd1;
  h = (h ^ (h >> 15)) * kMixOdd2;
  return h ^ (h >> 16);
}

inline bool variants_equal(const Variant *a, const Variant *b) {
  if (a == b) return true;
  if (a->type != b->type) return false;
  if (a->type == kVarString) return keys_equal(a->value.s, b->value.s);
  const uint32_t *x = a->value.w, *y = b->value.w;
  return x[0] == y[0] && x[1] == y[1] && x[2] == y[2];
}

extern "C" {
Object *intToVariant(int32_t v);
Object *colorToVariant(int32_t v);
Object *booleanToVariant(bool v);
Object *doubleToVariant(double v);
Object *stringToVariant(RString *s);
Object *objectToVariant(Object *o);
Object *getNilVariant();
int32_t VarType(Object *v);
bool IsNumeric(Object *v);
bool IsNull(Object *v);
int32_t variantToInt(Object *v);
int32_t variantToColor(Object *v);
double variantToDouble(Object *v);
bool variantToBoolean(Object *v);
RString *variantToString(Object *v);
Object *variantToObject(Object *v);
int32_t VariantHash(Object *v);
bool VariantEqual(Object *a, Object *b);
}
