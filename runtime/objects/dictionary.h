// Dictionaries: a chained hash table from Variant keys to Variant values that
// also keeps its entries in an indexable list, with the bin-count choice
// from a table of primes.
#pragma once
#include "objects/variant.h"
#include <cstddef>
#include <cstdint>

// One key and its value, a tagged block of 20 bytes.
struct DictEntry {
  Object *key;     // 0: a Variant; one reference held
  Object *value;   // 4: a Variant or nil; one reference held
  uint32_t hash;   // 8: variant_bin_hash of the key, which picks its bin
  int32_t index;   // 12: its place in the entry list
  DictEntry *next; // 16: next entry of the same bin
};
static_assert(sizeof(DictEntry) == 20);

struct Dictionary {
  Object header;         // 0, 16 bytes
  int32_t root[2];       // 16, 8 bytes: the root class's words, unused
  int32_t fixedBins;     // 24: set when the bin count was chosen by SetBins
  int32_t step;          // 28: entries the list grows by when full
  DictEntry **entries;   // 32: the entry list, in order of insertion
  int32_t count;         // 36: entries in use
  int32_t capacity;      // 40: entries the list holds
  int32_t binCount;      // 44: bins of the table
  DictEntry **bins;      // 48: the bin heads
  volatile int32_t busy; // 52: id of the thread changing the table, or 0
};
static_assert(offsetof(Dictionary, fixedBins) == 24 && offsetof(Dictionary, entries) == 32);
static_assert(offsetof(Dictionary, binCount) == 44 && offsetof(Dictionary, busy) == 52);
static_assert(sizeof(Dictionary) == 56);

enum {
  kDictFirstBins = 61, // a new or cleared dictionary
  kDictFirstStep = 15, // and its growth step: bins / 4
  kDictBigBins = 4099, // above this many bins the step is fixed
  kDictBigStep = 1024, // at that size
};

// Gives the built-in Dictionary class its constructor and destructor.
void dictionary_classes_attach();

extern "C" {
int32_t dictionaryCount(Object *d);
int32_t dictionaryGetBins(Object *d);
void dictionarySetBins(Object *d, int32_t parameter, int32_t n);
bool dictionaryHasKey(Object *d, Object *key);
Object *dictionaryKey(Object *d, int32_t index);
Object *dictionaryValueGetter(Object *d, Object *key);
void dictionaryValueSetter(Object *d, Object *key, Object *value);
void dictionaryRemove(Object *d, Object *key);
void dictionaryRemoveAll(Object *d);
}
