// Dictionaries: lookup through the key hash, changes made under the busy flag
// with every release left until the change is over, the entry list with
// removals filled from its end, and rehashing to a bin count from the primes.
#include "objects/dictionary.h"
#include "objects/registry.h"
#include "base/fault.h"
#include "base/pool.h"
#include "base/tagged.h"
#include <climits>
#include <cstring>
#include <windows.h>

typedef Dictionary D;

// Each about twice the one before. Past 65521 the table goes on doubling so
// that a big dictionary's chains stay short: its load never passes 3/4.
static const int32_t kPrimes[] = {61,      127,     251,     509,     1021,     2039,    4093,
                                  8191,    16381,   32749,   65521,   131071,   262139,  524287,
                                  1048573, 2097143, 4194301, 8388593, 16777213, 33554393};

/* ---- the busy flag ---- */

// A change from another thread waits for the one under way. Nothing inside a
// change calls out of the dictionary (releases wait until it is over), so
// the thread that holds the flag never comes back for it.
static void begin(D *d) {
  LONG self = (LONG)GetCurrentThreadId();
  while (InterlockedCompareExchange((volatile LONG *)&d->busy, self, 0) != 0) SwitchToThread();
}

static void end(D *d) { InterlockedExchange((volatile LONG *)&d->busy, 0); }

/* ---- entries ---- */

static uint32_t hashOf(Object *key) {
  if (!key) objects_raise("NilObjectException"); /* it could never be found again */
  return variant_bin_hash((Variant *)key);
}

static DictEntry **binOf(D *d, uint32_t hash) { return &d->bins[hash % (uint32_t)d->binCount]; }

static DictEntry *lookup(D *d, Object *key, uint32_t hash) {
  for (DictEntry *e = *binOf(d, hash); e; e = e->next)
    if (e->hash == hash && variants_equal((Variant *)e->key, (Variant *)key)) return e;
  return nullptr;
}

// Frees the entry, then lets go of its key and value, whose destructors may
// come back to the dictionary.
static void dropEntry(DictEntry *e) {
  Object *key = e->key, *value = e->value;
  tagged_free(e);
  RuntimeUnlockObject(key);
  RuntimeUnlockObject(value);
}

/* ---- the entry list ---- */

// The list's capacity grows and shrinks by the growth step, but its block
// is the next power of two entries that holds it: a big dictionary's step is
// small beside its list, which would otherwise be copied at every step.
static int32_t blockEntries(int32_t capacity) {
  int32_t n = 16;
  while (n < capacity) n *= 2;
  return n;
}

static void freeList(DictEntry **list, int32_t capacity) {
  if (list) pool_free(list, blockEntries(capacity) * (int32_t)sizeof *list);
}

static void dropEntries(DictEntry **list, int32_t count, int32_t capacity) {
  for (int32_t i = 0; i < count; i++) dropEntry(list[i]);
  freeList(list, capacity);
}

static void resizeList(D *d, int32_t capacity) {
  if (!d->entries || blockEntries(capacity) != blockEntries(d->capacity)) {
    DictEntry **list = (DictEntry **)pool_alloc(blockEntries(capacity) * (int32_t)sizeof *list);
    if (d->count) memcpy(list, d->entries, d->count * sizeof *list);
    freeList(d->entries, d->capacity);
    d->entries = list;
  }
  d->capacity = capacity;
}

static void appendEntry(D *d, DictEntry *e) {
  if (d->count == d->capacity) resizeList(d, d->capacity + d->step);
  e->index = d->count;
  d->entries[d->count++] = e;
}

// Takes the entry out of its bin and fills its place in the list with the
// last entry; false, changing nothing more, when the table is damaged.
static bool takeOut(D *d, DictEntry *e) {
  DictEntry **link = binOf(d, e->hash);
  while (*link && *link != e) link = &(*link)->next;
  if (!*link) {
    fault_report(kFaultDictionaryNotInBin);
    return false;
  }
  *link = e->next;
  int32_t i = e->index;
  if (i < 0 || i >= d->count) {
    fault_report(kFaultDictionaryIndexOutside);
    return false;
  }
  DictEntry *last = d->entries[--d->count];
  d->entries[i] = last;
  last->index = i;
  if (d->capacity - d->count > 2 * d->step) resizeList(d, d->step * (d->count / d->step + 1));
  return true;
}

/* ---- the bins ---- */

static int32_t automaticBins(int32_t count) {
  int32_t wanted = (int32_t)((int64_t)count * 4 / 3);
  for (int32_t p : kPrimes)
    if (p >= wanted) return p;
  return kPrimes[sizeof kPrimes / sizeof *kPrimes - 1];
}

// A step of at least 1: bin counts below 4 would otherwise stop the list growing.
static int32_t stepFor(int32_t bins) {
  return bins > kDictBigBins ? kDictBigStep : bins / 4 + (bins < 4);
}

// Relinks every entry into n bins (n < 1: the automatic choice), in list
// order, each to the front of its bin. False, the table as it was, when the
// bins cannot be had.
static bool rehash(D *d, int32_t n) {
  if (n < 1) n = automaticBins(d->count);
  if (n == d->binCount) return true;
  if (n > INT_MAX / (int32_t)sizeof(DictEntry *)) return false;
  DictEntry **bins = (DictEntry **)pool_alloc(n * (int32_t)sizeof *bins, true);
  if (!bins) return false;
  memset(bins, 0, n * sizeof *bins);
  for (int32_t i = 0; i < d->count; i++) {
    DictEntry *e = d->entries[i];
    DictEntry **bin = &bins[e->hash % (uint32_t)n];
    e->next = *bin;
    *bin = e;
  }
  pool_free(d->bins, d->binCount * (int32_t)sizeof *bins);
  d->bins = bins;
  d->binCount = n;
  d->step = stepFor(n);
  return true;
}

// The state of a new dictionary: 61 empty bins, no entries.
static void reset(D *d) {
  d->binCount = kDictFirstBins;
  d->bins = (DictEntry **)pool_alloc(kDictFirstBins * sizeof(DictEntry *));
  memset(d->bins, 0, kDictFirstBins * sizeof(DictEntry *));
  d->step = kDictFirstStep;
  d->fixedBins = 0;
  d->entries = nullptr;
  d->count = d->capacity = 0;
}

/* ---- the class ---- */

static void dictionaryConstructor(Object *o, ClassDef *) { reset((D *)o); }

static void dictionaryDestructor(Object *o, ClassDef *) {
  D *d = (D *)o;
  pool_free(d->bins, d->binCount * (int32_t)sizeof *d->bins);
  dropEntries(d->entries, d->count, d->capacity);
}

void dictionary_classes_attach() {
  ClassDef *cls = registry_find("Dictionary");
  cls->constructor = dictionaryConstructor;
  cls->destructor = dictionaryDestructor;
}

/* ---- entry points ---- */

int32_t dictionaryCount(Object *d) { return ((D *)d)->count; }
int32_t dictionaryGetBins(Object *d) { return ((D *)d)->binCount; }

// A property setter: compiled code passes the property's parameter word
// before the value.
void dictionarySetBins(Object *dict, int32_t, int32_t n) {
  D *d = (D *)dict;
  begin(d);
  bool done = rehash(d, n);
  if (done) d->fixedBins = n > 0;
  end(d);
  if (!done) objects_raise("OutOfMemoryException");
}

bool dictionaryHasKey(Object *d, Object *key) { return lookup((D *)d, key, hashOf(key)); }

Object *dictionaryKey(Object *dict, int32_t index) {
  D *d = (D *)dict;
  if (index < 0 || index >= d->count) objects_raise("OutOfBoundsException");
  return RuntimeLockObject(d->entries[index]->key);
}

Object *dictionaryValueGetter(Object *d, Object *key) {
  DictEntry *e = lookup((D *)d, key, hashOf(key));
  if (!e) objects_raise("KeyNotFoundException");
  return RuntimeLockObject(e->value);
}

static void insert(D *d, Object *key, Object *value, uint32_t hash) {
  DictEntry *e = (DictEntry *)tagged_alloc(sizeof(DictEntry));
  DictEntry **bin = binOf(d, hash);
  *e = {RuntimeLockObject(key), value, hash, 0, *bin};
  *bin = e;
  appendEntry(d, e);
  if (!d->fixedBins && d->count > d->binCount * 3 / 4) rehash(d, 0); /* too crowded? */
}

void dictionaryValueSetter(Object *dict, Object *key, Object *value) {
  D *d = (D *)dict;
  uint32_t hash = hashOf(key);
  RuntimeLockObject(value);
  Object *old = nullptr;
  begin(d);
  if (DictEntry *e = lookup(d, key, hash)) { /* replaced in place: its index stays */
    old = e->value;
    e->value = value;
  } else {
    insert(d, key, value, hash);
  }
  end(d);
  RuntimeUnlockObject(old); /* its destructor may use this dictionary */
}

void dictionaryRemove(Object *dict, Object *key) {
  D *d = (D *)dict;
  uint32_t hash = hashOf(key);
  begin(d);
  DictEntry *e = lookup(d, key, hash);
  bool taken = e && takeOut(d, e);
  end(d);
  if (!e) objects_raise("KeyNotFoundException");
  if (taken) dropEntry(e);
}

void dictionaryRemoveAll(Object *dict) {
  D *d = (D *)dict;
  begin(d);
  D old = *d;
  reset(d);
  end(d);
  pool_free(old.bins, old.binCount * (int32_t)sizeof *old.bins);
  dropEntries(old.entries, old.count, old.capacity);
}
