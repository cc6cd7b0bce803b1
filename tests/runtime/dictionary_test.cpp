// Dictionaries as compiled code sees them: which keys are one key, the order
// of the entry list through replacements and removals, the bin counts the
// table grows through, the exceptions it raises, and values whose
// destructors come back to the dictionary that let them go.
#include "variants.h"
#include "objects/dictionary.h"
#include "objects/registry.h"
#include <climits>
#include <cstdio>

namespace {

using compiled::word;

class DictionaryTest : public PoolCheckedTest {
protected:
  void SetUp() override {
    PoolCheckedTest::SetUp();
    dict = CreateInstance(registry_find("Dictionary"));
  }
  void TearDown() override {
    RuntimeUnlockObject(dict);
    PoolCheckedTest::TearDown();
  }
  Dictionary *raw() const { return (Dictionary *)dict; }

  void set(Object *key, Object *value) {
    dictionaryValueSetter(dict, key, value);
    RuntimeUnlockObject(key);
    RuntimeUnlockObject(value);
  }
  void set(int32_t key, int32_t value) { set(intToVariant(key), intToVariant(value)); }
  int32_t get(Object *key) {
    Ref value = dictionaryValueGetter(dict, key);
    return variantToInt(value);
  }
  int32_t get(int32_t key) { return get(Ref(intToVariant(key))); }
  int32_t keyAt(int32_t index) { return variantToInt(Ref(dictionaryKey(dict, index))); }

  Object *dict;
};

TEST_F(DictionaryTest, ANewDictionaryHas61BinsAndNoEntries) {
  EXPECT_EQ(registry_find("Dictionary")->instanceSize, int32_t(sizeof(Dictionary)));
  EXPECT_EQ(dictionaryCount(dict), 0);
  EXPECT_EQ(dictionaryGetBins(dict), 61);
  EXPECT_EQ(raw()->step, 15);
  EXPECT_EQ(raw()->fixedBins | raw()->busy, 0);
}

// Two keys set one after the other make one entry exactly when they are
// equal keys; the second value then wins.
TEST_F(DictionaryTest, KeysAreOneKeyOnlyWhenTheirTypesAndValuesAgree) {
  bool dbcs = japanese_code_page();
  struct Case {
    const char *name;
    Object *a, *b;
    bool same;
  } cases[] = {
      {"Integer 1, Double 1.0", intToVariant(1), doubleToVariant(1.0), false},
      {"Integer 1, Boolean True", intToVariant(1), booleanToVariant(true), false},
      {"abc, ABC", textVariant("abc"), textVariant("ABC"), true},
      {"Color 3, Color 3", colorToVariant(3), colorToVariant(3), true},
      {"katakana A, DI", textVariant(kKatakanaA), textVariant(kKatakanaDi), !dbcs},
      {"katakana A + x, A + X", textVariant(kKatakanaA + "x"), textVariant(kKatakanaA + "X"), true},
  };
  for (const Case &c : cases) {
    dictionaryRemoveAll(dict);
    dictionaryValueSetter(dict, c.a, Ref(intToVariant(1)));
    dictionaryValueSetter(dict, c.b, Ref(intToVariant(2)));
    EXPECT_EQ(dictionaryCount(dict), c.same ? 1 : 2) << c.name;
    EXPECT_EQ(get(c.a), c.same ? 2 : 1) << c.name;
    EXPECT_TRUE(dictionaryHasKey(dict, c.b)) << c.name;
    RuntimeUnlockObject(c.a);
    RuntimeUnlockObject(c.b);
  }
}

TEST_F(DictionaryTest, KeysAndValuesAreHeldUntilTheirEntryGoes) {
  Ref key = textVariant("k"), value = intToVariant(9);
  dictionaryValueSetter(dict, key, value);
  EXPECT_EQ(key.get()->refs, 2);
  EXPECT_EQ(value.get()->refs, 2);
  Ref got = dictionaryValueGetter(dict, key), k = dictionaryKey(dict, 0);
  EXPECT_EQ(got.get(), value.get());
  EXPECT_EQ(k.get(), key.get());
  EXPECT_EQ(value.get()->refs, 3) << "the getter hands over a reference";
  dictionaryValueSetter(dict, Ref(textVariant("K")), Ref(intToVariant(10)));
  EXPECT_EQ(value.get()->refs, 2) << "the replaced value is released";
  EXPECT_EQ(key.get()->refs, 3) << "the first key stays";
  dictionaryRemove(dict, key);
  EXPECT_EQ(key.get()->refs, 2);
  dictionaryValueSetter(dict, key, nullptr); /* a nil value is a value */
  EXPECT_TRUE(dictionaryHasKey(dict, key));
  EXPECT_EQ(dictionaryValueGetter(dict, key), nullptr);
}

TEST_F(DictionaryTest, ReplacingKeepsThePlaceAndRemovalFillsFromTheEnd) {
  for (int32_t k : {10, 20, 30, 40}) set(k, k);
  set(20, 21);
  EXPECT_EQ(get(20), 21);
  dictionaryRemove(dict, Ref(intToVariant(10)));
  ASSERT_EQ(dictionaryCount(dict), 3);
  EXPECT_EQ(keyAt(0), 40) << "the last entry moved into the freed place";
  EXPECT_EQ(keyAt(1), 20);
  EXPECT_EQ(keyAt(2), 30);
  dictionaryRemove(dict, Ref(intToVariant(30)));
  EXPECT_EQ(keyAt(0), 40);
  EXPECT_EQ(keyAt(1), 20);
  for (int32_t i = 0; i < dictionaryCount(dict); i++)
    EXPECT_EQ(raw()->entries[i]->index, i) << "stored indexes follow the moves";
}

TEST_F(DictionaryTest, BinsGrowPastThreeQuartersAndStayWhereSetBinsFixesThem) {
  for (int32_t k = 1; k <= 46; k++) set(k, k);
  EXPECT_EQ(dictionaryGetBins(dict), 61) << "46 * 4 / 3 is still 61";
  set(47, 47);
  EXPECT_EQ(dictionaryGetBins(dict), 127);
  EXPECT_EQ(raw()->step, 31);
  dictionarySetBins(dict, 0, 61);
  EXPECT_EQ(dictionaryGetBins(dict), 61);
  for (int32_t k = 48; k <= 300; k++) set(k, k);
  EXPECT_EQ(dictionaryGetBins(dict), 61) << "a chosen bin count is kept";
  dictionarySetBins(dict, 0, 0); /* the automatic choice: 300 * 4 / 3 = 400 */
  EXPECT_EQ(dictionaryGetBins(dict), 509);
  for (int32_t k = 301; k <= 6000; k++) set(k, k);
  EXPECT_EQ(dictionaryGetBins(dict), 8191);
  EXPECT_EQ(raw()->step, 1024);
  for (int32_t k = 1; k <= 6000; k += 499) EXPECT_EQ(get(k), k);
  dictionaryRemoveAll(dict);
  EXPECT_EQ(dictionaryCount(dict), 0);
  EXPECT_EQ(dictionaryGetBins(dict), 61);
  EXPECT_EQ(raw()->step, 15);
}

// Longest chain of the table's bins.
static int32_t longestChain(const Dictionary *d) {
  int32_t longest = 0;
  for (int32_t b = 0; b < d->binCount; b++) {
    int32_t n = 0;
    for (DictEntry *e = d->bins[b]; e; e = e->next) n++;
    longest = n > longest ? n : longest;
  }
  return longest;
}

// Past 65521 bins the table keeps growing, and keys that differ only in a few
// digits, or follow one another, spread over the bins rather than piling into
// a few chains.
TEST_F(DictionaryTest, ABigDictionaryKeepsItsChainsShort) {
  const int32_t kKeys = 50000; /* of each kind: 100,000 entries */
  char text[16];
  for (int32_t k = 0; k < kKeys; k++) {
    set(k, k);
    snprintf(text, sizeof text, k % 2 ? "key%d" : "KEY%d", k);
    set(textVariant(text), intToVariant(-k));
  }
  ASSERT_EQ(dictionaryCount(dict), 2 * kKeys);
  EXPECT_EQ(dictionaryGetBins(dict), 262139) << "100,000 * 4 / 3 = 133,333";
  EXPECT_LE(longestChain(raw()), 12);
  for (int32_t k = 0; k < kKeys; k++) {
    snprintf(text, sizeof text, k % 2 ? "KEY%d" : "key%d", k);
    ASSERT_EQ(get(k), k);
    ASSERT_EQ(get(Ref(textVariant(text))), -k) << text;
  }
}

// Bin counts below 4 would give a growth step of 0, and the entry list would
// never grow: the step is at least 1.
TEST_F(DictionaryTest, TinyBinCountsStillHoldEveryEntry) {
  for (int32_t bins : {1, 2, 3}) {
    dictionaryRemoveAll(dict);
    dictionarySetBins(dict, 0, bins);
    for (int32_t k = 0; k < 40; k++) set(k, -k);
    for (int32_t k = 0; k < 40; k += 3) dictionaryRemove(dict, Ref(intToVariant(k)));
    EXPECT_EQ(dictionaryGetBins(dict), bins);
    EXPECT_EQ(dictionaryCount(dict), 26);
    EXPECT_LE(raw()->capacity - raw()->count, 2 * raw()->step) << "the list shrank";
    for (int32_t k = 1; k < 40; k += 3) EXPECT_EQ(get(k), -k) << bins << " bins";
  }
}

TEST_F(DictionaryTest, MissingKeysBadIndexesAndNilKeysRaise) {
  set(1, 1);
  Ref two = intToVariant(2), one = intToVariant(1);
  struct Case {
    const char *name;
    const void *entry;
    std::vector<int32_t> arguments;
    const char *raised;
  } cases[] = {
      {"value of a missing key",
       (void *)dictionaryValueGetter,
       {word(dict), two.word()},
       "KeyNotFoundException"},
      {"removal of a missing key",
       (void *)dictionaryRemove,
       {word(dict), two.word()},
       "KeyNotFoundException"},
      {"key -1", (void *)dictionaryKey, {word(dict), -1}, "OutOfBoundsException"},
      {"key at the count", (void *)dictionaryKey, {word(dict), 1}, "OutOfBoundsException"},
      {"value of nil", (void *)dictionaryValueGetter, {word(dict), 0}, "NilObjectException"},
      {"nil set", (void *)dictionaryValueSetter, {word(dict), 0, one.word()}, "NilObjectException"},
      {"nil tested", (void *)dictionaryHasKey, {word(dict), 0}, "NilObjectException"},
      {"nil removed", (void *)dictionaryRemove, {word(dict), 0}, "NilObjectException"},
      {"bins past the address space",
       (void *)dictionarySetBins,
       {word(dict), 0, INT_MAX},
       "OutOfMemoryException"},
      {"a present key", (void *)dictionaryRemove, {word(dict), one.word()}, ""},
  };
  for (const Case &c : cases) EXPECT_EQ(raisedBy(c.entry, c.arguments), c.raised) << c.name;
  EXPECT_EQ(dictionaryCount(dict), 0);
  EXPECT_EQ(raw()->busy, 0) << "no raise leaves the table busy";
}

// Puts a few blocks of the sizes that a raise and an insertion take on the
// pool's free lists, so that they need nothing from the heap while it refuses.
void stockFreeLists() {
  void *blocks[8];
  for (int32_t size : {int32_t(sizeof(DictEntry) + 8), int32_t(sizeof(Variant))}) {
    for (void *&b : blocks) b = pool_alloc(size);
    for (void *b : blocks) pool_free(b, size);
  }
}

TEST_F(DictionaryTest, BinsThatCannotBeHadLeaveTheTableAsItWas) {
  for (int32_t k = 0; k < 188; k++) set(k, k);
  ASSERT_EQ(dictionaryGetBins(dict), 251);
  ASSERT_LT(raw()->count, raw()->capacity) << "the next entry needs no bigger list";
  Ref key = intToVariant(188), value = intToVariant(188);
  stockFreeLists();
  gRecorder.refuseHeap = true;
  EXPECT_EQ(raisedBy((void *)dictionarySetBins, {word(dict), 0, 4093}), "OutOfMemoryException");
  dictionaryValueSetter(dict, key, value); /* 189 > 251 * 3 / 4: the rehash fails quietly */
  gRecorder.refuseHeap = false;
  EXPECT_EQ(dictionaryGetBins(dict), 251);
  EXPECT_EQ(raw()->fixedBins, 0);
  for (int32_t k = 0; k <= 188; k++) EXPECT_EQ(get(k), k);
  set(189, 189);
  EXPECT_EQ(dictionaryGetBins(dict), 509) << "the next insertion catches up";
}

/* ---- values whose destructors use the dictionary that released them ---- */

Object *gReentered;         // the dictionary the destructor uses
std::vector<int32_t> gSeen; // what each destructor found there

void reenteringDestructor(Object *, ClassDef *) {
  Ref key = intToVariant(1000 + int32_t(gSeen.size()));
  gSeen.push_back(dictionaryCount(gReentered));
  dictionaryValueSetter(gReentered, key, Ref(intToVariant(7)));
  if (dictionaryHasKey(gReentered, Ref(intToVariant(1))))
    dictionaryRemove(gReentered, Ref(intToVariant(1)));
}

TEST_F(DictionaryTest, AReleasedValueMayUseTheDictionaryFromItsDestructor) {
  ClassDef reentering;
  class_setup(&reentering);
  reentering.instanceSize = 24;
  reentering.destructor = reenteringDestructor;
  gReentered = dict;
  gSeen.clear();
  auto holder = [&] { return objectToVariant(Ref(CreateInstance(&reentering))); };
  set(intToVariant(1), intToVariant(1));
  set(intToVariant(2), holder());
  set(intToVariant(2), intToVariant(2)); /* replaced: the holder goes */
  EXPECT_EQ(gSeen, std::vector<int32_t>({2}));
  EXPECT_FALSE(dictionaryHasKey(dict, Ref(intToVariant(1))));
  EXPECT_EQ(get(1000), 7);
  set(intToVariant(3), holder());
  dictionaryRemove(dict, Ref(intToVariant(3)));
  EXPECT_EQ(gSeen.back(), 2) << "the removal was over when the destructor ran";
  set(intToVariant(4), holder());
  dictionaryRemoveAll(dict);
  EXPECT_EQ(gSeen.back(), 0) << "cleared before the values went";
  EXPECT_EQ(dictionaryCount(dict), 1);
  EXPECT_EQ(raw()->busy, 0);
  gSeen.clear();
  gSeen.shrink_to_fit();
  class_teardown(&reentering);
}

DWORD WINAPI releaseLater(void *d) {
  Sleep(200);
  InterlockedExchange((volatile LONG *)&((Dictionary *)d)->busy, 0);
  return 0;
}

// A change from another thread waits until the one under way is over.
TEST_F(DictionaryTest, AChangeWaitsWhileAnotherThreadHoldsTheBusyFlag) {
  raw()->busy = 0x7FFFFFF0; /* no thread has this id */
  HANDLE releaser = CreateThread(nullptr, 0, releaseLater, dict, 0, nullptr);
  DWORD start = GetTickCount();
  set(1, 1);
  EXPECT_GE(GetTickCount() - start, 150u);
  EXPECT_EQ(get(1), 1);
  WaitForSingleObject(releaser, INFINITE);
  CloseHandle(releaser);
}

} // namespace
