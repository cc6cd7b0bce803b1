// Figures for dictionaries: a million insertions and a million lookups with
// Integer keys and with String keys, against std::unordered_map with keys
// that compare the same way (integers; texts ignoring the case of a-z).
#include "objects/dictionary.h"
#include "objects/registry.h"
#include "startup/init.h"
#include "startup/loader.h"
#include "clock.h"
#include <windows.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

// Insertions, then as many lookups: a million unless the first argument
// says otherwise (a count below the last bin count's three quarters shows
// the table before its chains lengthen).
static int32_t gEntries = 1000000;
static int gRepeats = 1; // measurements of each kind, the best counting; the second argument

static volatile uint32_t gSink; // results land here so no work can be dropped

static uint32_t gSeed = 12345;
static uint32_t next_random() { return gSeed = gSeed * 1103515245u + 12345u; }

/* ---- the keys, the same ones for both sides ---- */

struct Keys {
  std::vector<int32_t> numbers;   // distinct, in random order
  std::vector<std::string> texts; // "Key" and the number, some in capitals
};

static Keys make_keys() {
  Keys k;
  for (int32_t i = 0; i < gEntries; i++) k.numbers.push_back(i * 7 + 3);
  for (int32_t i = gEntries - 1; i > 0; i--)
    std::swap(k.numbers[i], k.numbers[next_random() % (i + 1)]);
  char text[24];
  for (int32_t n : k.numbers) {
    snprintf(text, sizeof text, n % 2 ? "key%d" : "KEY%d", n);
    k.texts.push_back(text);
  }
  return k;
}

// Texts that compare ignoring the case of a-z, as dictionary keys do.
static char fold(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }
// FNV-1a over the folded bytes: a hash as good as the dictionary's own, so
// that the baseline's chains are as short as they can be.
struct FoldedHash {
  size_t operator()(const std::string &s) const {
    uint32_t h = 2166136261u;
    for (char c : s) h = (h ^ (uint8_t)fold(c)) * 16777619u;
    return h;
  }
};
struct FoldedEqual {
  bool operator()(const std::string &a, const std::string &b) const {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++)
      if (fold(a[i]) != fold(b[i])) return false;
    return true;
  }
};

/* ---- the two sides ---- */

// The runtime's side: keys and values made as Variants beforehand (held for
// the whole run), or wrapped afresh at every call as compiled code does.
struct RuntimeSide {
  std::vector<Object *> keys, values;
  bool wrapEachCall;

  Object *key(const Keys &k, int32_t i, bool text) const {
    if (!wrapEachCall) return keys[i];
    if (!text) return intToVariant(k.numbers[i]);
    RString *s = str_make(k.texts[i].data(), (int32_t)k.texts[i].size());
    Object *v = stringToVariant(s);
    RuntimeUnlockString(s);
    return v;
  }
  void done(Object *key) const {
    if (wrapEachCall) RuntimeUnlockObject(key);
  }
};

static Object *newDictionary() { return CreateInstance(registry_find("Dictionary")); }

static void runtime_insert(Object *d, const Keys &k, const RuntimeSide &side, bool text) {
  for (int32_t i = 0; i < gEntries; i++) {
    Object *key = side.key(k, i, text);
    Object *value = side.wrapEachCall ? intToVariant(i) : side.values[i];
    dictionaryValueSetter(d, key, value);
    side.done(key);
    side.done(value);
  }
}

static void runtime_lookup(Object *d, const Keys &k, const RuntimeSide &side, bool text) {
  uint32_t sum = 0;
  for (int32_t i = 0; i < gEntries; i++) {
    Object *key = side.key(k, i, text);
    Object *value = dictionaryValueGetter(d, key);
    sum += (uint32_t)variantToInt(value);
    RuntimeUnlockObject(value);
    side.done(key);
  }
  gSink = gSink + sum;
}

template <class Map, class Key> static void std_insert(Map &m, const std::vector<Key> &keys) {
  for (int32_t i = 0; i < gEntries; i++) m[keys[i]] = i;
}

template <class Map, class Key> static void std_lookup(const Map &m, const std::vector<Key> &keys) {
  uint32_t sum = 0;
  for (int32_t i = 0; i < gEntries; i++) sum += (uint32_t)m.find(keys[i])->second;
  gSink = gSink + sum;
}

struct Timing {
  double insert = 1e30, lookup = 1e30; // best seconds of each phase
};

static void keep_best(Timing *t, double insert, double lookup) {
  if (insert < t->insert) t->insert = insert;
  if (lookup < t->lookup) t->lookup = lookup;
}

static Timing time_runtime(const Keys &k, const RuntimeSide &side, bool text) {
  Timing t;
  for (int r = 0; r < gRepeats; r++) {
    Object *d = newDictionary();
    double start = seconds_now();
    runtime_insert(d, k, side, text);
    double middle = seconds_now();
    runtime_lookup(d, k, side, text);
    keep_best(&t, middle - start, seconds_now() - middle);
    RuntimeUnlockObject(d);
  }
  return t;
}

template <class Map, class Key> static Timing time_std(const std::vector<Key> &keys) {
  Timing t;
  for (int r = 0; r < gRepeats; r++) {
    Map m;
    double start = seconds_now();
    std_insert(m, keys);
    double middle = seconds_now();
    std_lookup(m, keys);
    keep_best(&t, middle - start, seconds_now() - middle);
  }
  return t;
}

static RuntimeSide prepared(const Keys &k, bool text) {
  RuntimeSide side;
  side.wrapEachCall = false;
  for (int32_t i = 0; i < gEntries; i++) {
    side.keys.push_back(RuntimeSide{{}, {}, true}.key(k, i, text));
    side.values.push_back(intToVariant(i));
  }
  return side;
}

static void release(RuntimeSide *side) {
  for (Object *o : side->keys) RuntimeUnlockObject(o);
  for (Object *o : side->values) RuntimeUnlockObject(o);
}

static void report(const char *what, const Timing &ours, const Timing &theirs) {
  printf("%-34s insert %6.1f ns vs %6.1f ns = %.2fx; lookup %6.1f ns vs %6.1f ns = %.2fx\n", what,
         ours.insert * 1e9 / gEntries, theirs.insert * 1e9 / gEntries, ours.insert / theirs.insert,
         ours.lookup * 1e9 / gEntries, theirs.lookup * 1e9 / gEntries, ours.lookup / theirs.lookup);
}

int main(int argc, char **argv) {
  if (argc > 1) gEntries = atoi(argv[1]);
  if (argc > 2) gRepeats = atoi(argv[2]);
  runtime_core_init();
  runtime_classes_init();
  Keys k = make_keys();
  printf("dictionary vs std::unordered_map, %d entries, best of %d (target <= 1.5x)\n", gEntries,
         gRepeats);
  for (bool text : {false, true}) {
    Timing theirs =
        text ? time_std<std::unordered_map<std::string, int32_t, FoldedHash, FoldedEqual>>(k.texts)
             : time_std<std::unordered_map<int32_t, int32_t>>(k.numbers);
    RuntimeSide side = prepared(k, text);
    report(text ? "String keys, Variants made before:" : "Integer keys, Variants made before:",
           time_runtime(k, side, text), theirs);
    release(&side);
    RuntimeSide wrapping{{}, {}, true};
    report(text ? "String keys, wrapped at each call:" : "Integer keys, wrapped at each call:",
           time_runtime(k, wrapping, text), theirs);
  }
  return 0;
}
