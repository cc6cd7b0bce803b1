// Sorting arrays (numbers by value, strings by the locale with case kept,
// missing entries as defaults) and the compact Boolean array.
#include "arraytest.h"
#include "text/strfuncs.h"
#include <algorithm>
#include <random>

namespace {

class ArraySortTest : public ArrayTestBase {
protected:
  ArrayRecord *ints(const std::vector<int32_t> &values) {
    ArrayRecord *a = make({int32_t(values.size()) - 1});
    for (size_t i = 0; i < values.size(); i++) RuntimeDirectWriteIntArray(a, int32_t(i), values[i]);
    return a;
  }
  std::vector<int32_t> read(ArrayRecord *a) {
    std::vector<int32_t> out;
    for (int32_t i = 0; i <= RuntimeUBound(a); i++) out.push_back(RuntimeDirectReadIntArray(a, i));
    return out;
  }
  ArrayRecord *texts(const std::vector<std::string> &values) {
    ArrayRecord *a = make({int32_t(values.size()) - 1}, ElementKind::String);
    for (size_t i = 0; i < values.size(); i++) {
      Text t(values[i]);
      RuntimeDirectWriteStringArray(a, int32_t(i), t);
    }
    return a;
  }
  std::vector<std::string> readTexts(ArrayRecord *a) {
    std::vector<std::string> out;
    for (int32_t i = 0; i <= RuntimeUBound(a); i++)
      out.push_back(take(RuntimeDirectReadStringArray(a, i)));
    return out;
  }
};

TEST_F(ArraySortTest, IntegersSortAscendingWithTiesAndDefaults) {
  struct Case {
    std::vector<int32_t> values, sorted;
  } cases[] = {
      {{1, 3, 2, 3}, {1, 2, 3, 3}},
      {{}, {}},
      {{5}, {5}},
      {{2, 1}, {1, 2}},
      {{9, -4, 7, 7, 0, INT_MIN, INT_MAX, 3, 3, -4, 12},
       {INT_MIN, -4, -4, 0, 3, 3, 7, 7, 9, 12, INT_MAX}},
      {{6, 5, 4, 3, 2, 1, 0}, {0, 1, 2, 3, 4, 5, 6}},
  };
  for (const Case &c : cases) {
    ArrayRecord *a = ints(c.values);
    RuntimeIntArraySort(a);
    EXPECT_EQ(read(a), c.sorted);
  }
  ArrayRecord *sparse = make({5}); /* only two written: the rest sort as zeros */
  RuntimeDirectWriteIntArray(sparse, 0, 4);
  RuntimeDirectWriteIntArray(sparse, 1, -4);
  RuntimeIntArraySort(sparse);
  EXPECT_EQ(read(sparse), (std::vector<int32_t>{-4, 0, 0, 0, 0, 4}));
  ArrayRecord *doubles = make({3}); /* Doubles first stored by the sort take 8 bytes */
  RuntimeDoubleArraySort(doubles);
  EXPECT_EQ(doubles->storage.elementSize, 8);
  EXPECT_EQ(doubles->storage.count, 4);
}

TEST_F(ArraySortTest, LargeArraysOfEachNumberTypeMatchTheLibrarySort) {
  std::mt19937 rng(11);
  for (int32_t n : {6, 7, 100, 5000}) {
    std::vector<int32_t> values(n);
    for (int32_t &v : values) v = int32_t(rng() % 1000) - 500; /* duplicates too */
    ArrayRecord *i = ints(values), *s = make({n - 1}), *d = make({n - 1});
    for (int32_t k = 0; k < n; k++) {
      RuntimeDirectWriteSingleArray(s, k, values[k] / 8.0);
      RuntimeDirectWriteDoubleArray(d, k, values[k] / 3.0);
    }
    RuntimeIntArraySort(i);
    RuntimeSingleArraySort(s);
    RuntimeDoubleArraySort(d);
    std::sort(values.begin(), values.end());
    EXPECT_EQ(read(i), values) << n;
    EXPECT_EQ(d->storage.elementSize, 8);
    for (int32_t k = 0; k < n; k++) {
      ASSERT_EQ(RuntimeDirectReadSingleArray(s, k), double(float(values[k] / 8.0)))
          << n << " " << k;
      ASSERT_EQ(RuntimeDirectReadDoubleArray(d, k), values[k] / 3.0) << n << " " << k;
    }
  }
}

// The locale puts case second to the letter ("Banana" between "apple" and
// "cherry", where bytes would put it first) yet keeps the cases apart.
TEST_F(ArraySortTest, StringsFollowTheLocaleWithCaseKept) {
  std::vector<std::string> values = {"cherry", "Banana", "apple", "b", "B", "", "banana", "Apple"};
  if (japanese_code_page())
    for (const char *kana : {"\x82\xA4", "\x82\xA0", "\x82\xA2"}) values.push_back(kana);
  else
    for (const char *accented : {"\xE9lan", "eel", "fig"}) values.push_back(accented);
  ArrayRecord *a = texts(values);
  RuntimeStringArraySort(a);
  std::vector<std::string> sorted = readTexts(a);
  ASSERT_EQ(sorted.size(), values.size());
  EXPECT_TRUE(std::is_permutation(sorted.begin(), sorted.end(), values.begin()));
  EXPECT_EQ(sorted[0], "") << "the empty string first";
  for (size_t i = 1; i < sorted.size(); i++)
    EXPECT_LT(StringStrCompare(Text(sorted[i - 1]), Text(sorted[i]), 1), 0)
        << sorted[i - 1] << " / " << sorted[i];
  auto at = [&](const std::string &s) { return std::find(sorted.begin(), sorted.end(), s); };
  EXPECT_LT(at("apple"), at("Banana"));
  EXPECT_LT(at("Banana"), at("cherry"));
  if (japanese_code_page()) {
    EXPECT_LT(at("\x82\xA0"), at("\x82\xA2"));
    EXPECT_LT(at("\x82\xA2"), at("\x82\xA4"));
  } else {
    EXPECT_LT(at("eel"), at("\xE9lan"));
    EXPECT_LT(at("\xE9lan"), at("fig")) << "an accented letter sorts beside its letter";
  }
}

/* ---- the compact Boolean array ---- */

class BoolArrayTest : public ArrayTestBase {
protected:
  void TearDown() override {
    for (BlockHandle *b : made) RuntimeDisposeFastBooleanArray(b);
    ArrayTestBase::TearDown();
  }
  BlockHandle *make(int32_t upper) {
    made.push_back(RuntimeCreateFastBooleanArray(upper));
    return made.back();
  }
  std::string bits(BlockHandle *b) {
    std::string s;
    for (int32_t i = 0; i <= RuntimeFastArrayUBound(b); i++)
      s += RuntimeFastReadBoolArray(b, i) ? '1' : '0';
    return s;
  }
  std::vector<BlockHandle *> made;
};

TEST_F(BoolArrayTest, BoundsAreZeroToUpperAndOneDimension) {
  BlockHandle *b = make(4);
  EXPECT_EQ(b->size, 5 + 4) << "the count word and one byte each";
  EXPECT_EQ(RuntimeFastArrayUBound(b), 4);
  EXPECT_EQ(RuntimeFastArrayUBound2Param(b, -1), 1);
  EXPECT_EQ(bits(b), "00000");
  RuntimeFastWriteBoolArray(b, 4, 1);
  RuntimeFastWriteBoolArray(b, 0, 0x201); /* only the low byte is the value */
  RuntimeFastWriteBoolArray(b, 1, 0x100);
  EXPECT_EQ(bits(b), "10001");
  EXPECT_EQ(raised(E(RuntimeFastReadBoolArray), Words()(b)(5)), kBounds);
  EXPECT_EQ(raised(E(RuntimeFastReadBoolArray), Words()(b)(-1)), kBounds);
  EXPECT_EQ(raised(E(RuntimeFastWriteBoolArray), Words()(b)(5)(1)), kBounds);
  for (int32_t d : {0, 2})
    EXPECT_EQ(raised(E(RuntimeFastArrayUBound2Param), Words()(b)(d)), kBounds);
  EXPECT_EQ(RuntimeFastArrayUBound(make(-9)), -1) << "a bound below -1 is empty";
}

TEST_F(BoolArrayTest, AppendInsertRemoveAndRedim) {
  BlockHandle *b = make(-1);
  RuntimeFastBooleanArrayAppend(b, 1);
  RuntimeFastBooleanArrayAppend(b, 0);
  RuntimeFastBooleanArrayInsert(b, 0, 0);
  RuntimeFastBooleanArrayInsert(b, 3, 1);
  EXPECT_EQ(bits(b), "0101");
  EXPECT_EQ(raised(E(RuntimeFastBooleanArrayInsert), Words()(b)(5)(1)), kBounds);
  RuntimeFastBooleanArrayRemove(b, 1);
  EXPECT_EQ(bits(b), "001");
  EXPECT_EQ(raised(E(RuntimeFastBooleanArrayRemove), Words()(b)(3)), kBounds);
  RuntimeRedimFastBoolArray(b, 5);
  EXPECT_EQ(bits(b), "001000");
  RuntimeRedimFastBoolArray(b, 1);
  EXPECT_EQ(bits(b), "00");
  RuntimeRedimFastBoolArray(b, -3);
  EXPECT_EQ(RuntimeFastArrayUBound(b), -1);
}

TEST_F(BoolArrayTest, NilArraysRaiseAndDisposeQuietly) {
  const void *entries[] = {E(RuntimeFastReadBoolArray),      E(RuntimeFastWriteBoolArray),
                           E(RuntimeRedimFastBoolArray),     E(RuntimeFastBooleanArrayAppend),
                           E(RuntimeFastBooleanArrayInsert), E(RuntimeFastBooleanArrayRemove),
                           E(RuntimeFastArrayUBound),        E(RuntimeFastArrayUBound2Param)};
  for (const void *entry : entries) EXPECT_EQ(raised(entry, Words()(nullptr)(0)(0)), kNil);
  RuntimeDisposeFastBooleanArray(nullptr);
}

} // namespace
