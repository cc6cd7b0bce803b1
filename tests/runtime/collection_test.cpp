// Collections as compiled code sees them: 1-based indexes, the first item
// whose key matches ignoring case, removals by index and by key, the
// references items hold, and the indexes that raise.
#include "variants.h"
#include "objects/collection.h"
#include "objects/registry.h"

namespace {

using compiled::word;

class CollectionTest : public PoolCheckedTest {
protected:
  void SetUp() override {
    PoolCheckedTest::SetUp();
    coll = CreateInstance(registry_find("Collection"));
    for (Object *&v : values) v = CreateInstance(&gObjectClass);
  }
  void TearDown() override {
    RuntimeUnlockObject(coll);
    for (Object *v : values) RuntimeUnlockObject(v);
    PoolCheckedTest::TearDown();
  }
  void add(int value, const std::string *key) {
    if (!key) return collectionAdd(coll, values[value], nullptr);
    collectionAdd(coll, values[value], Text(*key));
  }
  int at(int32_t index) { return which(Ref(collectionIdxItem(coll, index))); }
  int byKey(const std::string &key) { return which(Ref(collectionItem(coll, Text(key)))); }
  int which(Object *o) const { /* the value's number, -1 for nil */
    for (int i = 0; i < 4; i++)
      if (values[i] == o) return i;
    return -1;
  }

  Object *coll;
  Object *values[4];
};

TEST_F(CollectionTest, ItemsAreCountedFromOneAndFoundByTheirFirstMatchingKey) {
  EXPECT_EQ(registry_find("Collection")->instanceSize, int32_t(sizeof(Collection)));
  EXPECT_EQ(collectionCount(coll), 0);
  EXPECT_EQ(((Collection *)coll)->items, nullptr) << "made by the first add";
  const std::string one = "One", two = "two", second = "TWO";
  add(0, &one);
  add(1, &two);
  add(2, nullptr);
  add(3, &second);
  EXPECT_EQ(collectionCount(coll), 4);
  for (int32_t i = 1; i <= 4; i++) EXPECT_EQ(at(i), i - 1);
  struct Case {
    std::string key;
    int found;
  } cases[] = {{"one", 0}, {"ONE", 0}, {"Two", 1}, {"", 2}, {"three", -1}, {"On", -1}};
  for (const Case &c : cases) EXPECT_EQ(byKey(c.key), c.found) << c.key;
  EXPECT_EQ(which(Ref(collectionItem(coll, nullptr))), 2) << "nil is the empty key";
}

TEST_F(CollectionTest, KeysOfDoubleByteCharactersKeepTheirTrailBytes) {
  const std::string a = kKatakanaA, di = kKatakanaDi;
  add(0, &a);
  add(1, &di);
  EXPECT_EQ(byKey(kKatakanaA), 0);
  EXPECT_EQ(byKey(kKatakanaDi), japanese_code_page() ? 1 : 0);
}

TEST_F(CollectionTest, RemovalsReleaseTheItemAndCloseTheGap) {
  const std::string keys[] = {"a", "b", "c", "d"};
  for (int i = 0; i < 4; i++) add(i, &keys[i]);
  EXPECT_EQ(values[1]->refs, 2);
  collectionIdxRemove(coll, 2);
  EXPECT_EQ(values[1]->refs, 1);
  EXPECT_EQ(at(2), 2);
  collectionKeyRemove(coll, Text("D"));
  collectionKeyRemove(coll, Text("b")); /* gone already: nothing happens */
  EXPECT_EQ(collectionCount(coll), 2);
  EXPECT_EQ(at(1), 0);
  EXPECT_EQ(at(2), 2);
  EXPECT_EQ(values[3]->refs, 1);
}

TEST_F(CollectionTest, IndexesOutsideOneToCountRaise) {
  const void *entries[] = {(void *)collectionIdxItem, (void *)collectionIdxRemove};
  for (const void *entry : entries) /* before the first add: no items at all */
    EXPECT_EQ(raisedBy(entry, {word(coll), 1}), "OutOfBoundsException");
  const std::string key = "k";
  add(0, &key);
  for (const void *entry : entries)
    for (int32_t index : {0, 2, -1, INT32_MIN})
      EXPECT_EQ(raisedBy(entry, {word(coll), index}), "OutOfBoundsException") << index;
  EXPECT_EQ(collectionCount(coll), 1);
  EXPECT_EQ(raisedBy((void *)collectionIdxRemove, {word(coll), 1}), "");
  EXPECT_EQ(collectionCount(coll), 0);
}

} // namespace
