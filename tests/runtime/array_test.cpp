// Arrays as compiled code uses them: bounds and defaults, direct access of
// one-dimensional arrays with its lazy growth, multi-dimensional access with
// every index checked, nil records, append, insert, remove and redim.
#include "arraytest.h"
#include <cmath>

namespace {

class ArrayTest : public ArrayTestBase {};

struct Reader {
  const char *name;
  const void *entry;
  bool floatResult;
};
const Reader kDirectReads[] = {
    {"Int", E(RuntimeDirectReadIntArray), false},
    {"Single", E(RuntimeDirectReadSingleArray), true},
    {"Double", E(RuntimeDirectReadDoubleArray), true},
    {"String", E(RuntimeDirectReadStringArray), false},
    {"Object", E(RuntimeDirectReadObjectArray), false},
};

/* ---- bounds, defaults and direct access ---- */

TEST_F(ArrayTest, ZeroToNineReadsDefaultsEverywhereAndRaisesOutside) {
  ArrayRecord *a = make({9});
  EXPECT_EQ(RuntimeUBound(a), 9);
  for (int32_t i = 0; i <= 9; i++) {
    EXPECT_EQ(RuntimeDirectReadIntArray(a, i), 0);
    EXPECT_EQ(RuntimeDirectReadDoubleArray(a, i), 0.0);
    EXPECT_EQ(RuntimeDirectReadSingleArray(a, i), 0.0);
    EXPECT_EQ(RuntimeDirectReadStringArray(a, i), nullptr);
    EXPECT_EQ(RuntimeDirectReadObjectArray(a, i), nullptr);
  }
  for (const Reader &r : kDirectReads)
    for (int32_t i : {10, -1, INT_MIN, INT_MAX})
      EXPECT_EQ(raised(r.entry, Words()(a)(i), r.floatResult), kBounds) << r.name << " " << i;
  EXPECT_EQ(a->storage.count, 0) << "reads store nothing";
}

TEST_F(ArrayTest, DirectWritesStoreSixteenAheadNeverPastTheBound) {
  struct Case {
    int32_t upper, index, stored;
  } cases[] = {{100, 3, 19}, {100, 90, 101}, {5, 3, 6}, {0, 0, 1}, {100, 0, 16}};
  for (const Case &c : cases) {
    ArrayRecord *a = make({c.upper});
    RuntimeDirectWriteIntArray(a, c.index, 7);
    EXPECT_EQ(a->storage.count, c.stored) << c.upper << " " << c.index;
    for (int32_t i = 0; i <= c.upper; i++)
      EXPECT_EQ(RuntimeDirectReadIntArray(a, i), i == c.index ? 7 : 0);
  }
}

TEST_F(ArrayTest, DirectWritesKeepEachTypesValue) {
  ArrayRecord *singles = make({4}), *doubles = make({4});
  RuntimeDirectWriteSingleArray(singles, 1, 0.1);
  EXPECT_EQ(RuntimeDirectReadSingleArray(singles, 1), (double)0.1f) << "narrowed to a Single";
  RuntimeDirectWriteDoubleArray(doubles, 4, 0.1);
  EXPECT_EQ(doubles->storage.elementSize, 8);
  EXPECT_EQ(RuntimeDirectReadDoubleArray(doubles, 4), 0.1);
  EXPECT_EQ(RuntimeDirectReadDoubleArray(doubles, 0), 0.0);

  ArrayRecord *texts = make({2}, ElementKind::String);
  Text hello("hello"), world("world");
  RuntimeDirectWriteStringArray(texts, 2, hello);
  RuntimeDirectWriteStringArray(texts, 2, hello); /* the same string again */
  EXPECT_EQ(((RString *)hello)->refs, 2) << "the array holds one reference";
  RuntimeDirectWriteStringArray(texts, 2, world);
  EXPECT_EQ(((RString *)hello)->refs, 1) << "a replaced string is released";
  EXPECT_EQ(take(RuntimeDirectReadStringArray(texts, 2)), "world");
  EXPECT_EQ(((RString *)world)->refs, 2) << "a read hands over a reference of its own";

  ArrayRecord *things = make({2}, ElementKind::Object);
  Object *probe = newProbe();
  RuntimeDirectWriteObjectArray(things, 0, probe);
  Object *read = RuntimeDirectReadObjectArray(things, 0);
  EXPECT_EQ(read, probe);
  EXPECT_EQ(probe->refs, 3);
  RuntimeUnlockObject(read);
  RuntimeUnlockObject(probe);
}

TEST_F(ArrayTest, BoundsComeFromLowerAndUpperAndUBoundReadsThem) {
  struct Case {
    int32_t lower, upper, bound;
  } cases[] = {{0, 9, 9},
               {2, 5, 3},
               {0, -5, -1} /* below -1: empty */,
               {5, 0, -1},
               {INT_MIN, INT_MAX, INT_MAX},
               {INT_MAX, INT_MIN, -1}};
  for (const Case &c : cases)
    EXPECT_EQ(RuntimeUBound(RuntimeArrayCreateAddIndex(make({}), c.lower, c.upper)), c.bound);
  ArrayRecord *a = make({4, 5, 6});
  int32_t dimension[] = {-1, 1, 2, 3}, bound[] = {3, 4, 5, 6};
  for (int k = 0; k < 4; k++) EXPECT_EQ(RuntimeUBound2Param(a, dimension[k]), bound[k]);
  for (int32_t d : {0, 4, -2, INT_MAX})
    EXPECT_EQ(raised(E(RuntimeUBound2Param), Words()(a)(d)), kBounds) << d;
  EXPECT_EQ(raised(E(RuntimeUBound), Words()(make({}))), kBounds) << "no dimension";
  ArrayRecord *deep = make({});
  for (int d = 0; d < kArrayMaxDims; d++) RuntimeArrayCreateAddIndex(deep, 0, 1);
  EXPECT_EQ(raised(E(RuntimeArrayCreateAddIndex), Words()(deep)(0)(1)), kBounds);
}

/* ---- multi-dimensional access ---- */

TEST_F(ArrayTest, MultiDimensionalWritesReadBackAndTheRestIsDefault) {
  ArrayRecord *ints = make({2, 3, 4}), *doubles = make({2, 3});
  ArrayRecord *texts = make({1, 1}, ElementKind::String);
  RuntimeArrayStartWriteAccess(ints, 1);
  RuntimeArrayAddWriteIndex(ints, 2);
  RuntimeWriteIntArray(ints, 3, 42);
  RuntimeArrayStartWriteAccess(doubles, 2);
  RuntimeWriteDoubleArray(doubles, 3, 2.5);
  Text t("cell");
  RuntimeArrayStartWriteAccess(texts, 1);
  RuntimeWriteStringArray(texts, 0, t);
  for (int32_t i = 0; i <= 2; i++)
    for (int32_t j = 0; j <= 3; j++)
      for (int32_t k = 0; k <= 4; k++) {
        RuntimeArrayStartReadAccess(ints, i);
        RuntimeArrayAddReadIndex(ints, j);
        EXPECT_EQ(RuntimeReadIntArray(ints, k), i == 1 && j == 2 && k == 3 ? 42 : 0);
      }
  RuntimeArrayStartReadAccess(doubles, 2);
  EXPECT_EQ(RuntimeReadDoubleArray(doubles, 3), 2.5);
  RuntimeArrayStartReadAccess(doubles, 0);
  EXPECT_EQ(RuntimeReadDoubleArray(doubles, 3), 0.0);
  RuntimeArrayStartReadAccess(texts, 1);
  EXPECT_EQ(take(RuntimeReadStringArray(texts, 0)), "cell");
  RuntimeArrayStartReadAccess(texts, 0);
  EXPECT_EQ(RuntimeReadStringArray(texts, 0), nullptr);
}

// Each case leaves the path unstored (a fresh array) so that the check of
// every index cannot lean on stored entries.
TEST_F(ArrayTest, EveryIndexIsCheckedEvenThroughUnstoredPaths) {
  struct Step {
    const void *entry;
    int32_t index;
  };
  auto start = E(RuntimeArrayStartReadAccess);
  auto add = E(RuntimeArrayAddReadIndex);
  auto readInt = E(RuntimeReadIntArray);
  auto readDouble = E(RuntimeReadDoubleArray);
  auto writeInt = E(RuntimeWriteIntArray);
  struct Case {
    const char *what;
    std::vector<Step> steps; /* all but the last must pass */
  } cases[] = {
      {"first index", {{start, 3}}},
      {"middle index", {{start, 0}, {add, 4}}},
      {"last index", {{start, 0}, {add, 0}, {readInt, 5}}},
      {"last index, Double", {{start, 0}, {add, 0}, {readDouble, -1}}},
      {"last index of a write",
       {{E(RuntimeArrayStartWriteAccess), 0}, {E(RuntimeArrayAddWriteIndex), 0}, {writeInt, 5}}},
      {"an index past every dimension", {{start, 0}, {add, 0}, {add, 0}}},
      {"a read before the last dimension", {{start, 0}, {readInt, 0}}},
      {"a read without a start", {{readInt, 0}}},
      {"a second read after one", {{start, 0}, {add, 0}, {readInt, 0}, {readInt, 0}}},
  };
  for (const Case &c : cases) {
    ArrayRecord *a = make({2, 3, 4});
    for (size_t s = 0; s < c.steps.size(); s++) {
      Words args = Words()(a)(c.steps[s].index);
      if (c.steps[s].entry == writeInt) args(int32_t(9));
      bool last = s + 1 == c.steps.size();
      EXPECT_EQ(raised(c.steps[s].entry, args, c.steps[s].entry == readDouble), last ? kBounds : "")
          << c.what << ", step " << s;
    }
  }
  EXPECT_EQ(raised(start, Words()(make({5}))(0)), kBounds) << "one dimension is accessed directly";
}

/* ---- nil records ---- */

TEST_F(ArrayTest, NilRecordsRaiseNilObjectException) {
  const void *withIndex[] = {E(RuntimeUBound2Param),          E(RuntimeDirectReadIntArray),
                             E(RuntimeDirectWriteIntArray),   E(RuntimeArrayStartReadAccess),
                             E(RuntimeArrayStartWriteAccess), E(RuntimeArrayAddReadIndex),
                             E(RuntimeArrayAddWriteIndex),    E(RuntimeReadIntArray),
                             E(RuntimeReadStringArray),       E(RuntimeReadObjectArray),
                             E(RuntimeWriteIntArray),         E(RuntimeWriteStringArray),
                             E(RuntimeWriteObjectArray),      E(RuntimeIntArrayAppend),
                             E(RuntimeStringArrayAppend),     E(RuntimeObjectArrayAppend),
                             E(RuntimeIntArrayInsert),        E(RuntimeStringArrayInsert),
                             E(RuntimeObjectArrayInsert),     E(RuntimeIntArrayRemove),
                             E(RuntimeStringArrayRemove),     E(RuntimeObjectArrayRemove),
                             E(RuntimeRedimIntArrayLevel),    E(RuntimeRedimStringArrayLevel),
                             E(RuntimeRedimObjectArrayLevel), E(RuntimeUBound),
                             E(RuntimeIntArraySort),          E(RuntimeStringArraySort),
                             E(RuntimeSingleArraySort),       E(RuntimeDoubleArraySort)};
  for (const void *entry : withIndex) /* spare words are harmless: the caller pops them */
    EXPECT_EQ(raised(entry, Words()(nullptr)(0)(0)(0)), kNil) << entry;
  const void *floats[] = {E(RuntimeReadSingleArray), E(RuntimeReadDoubleArray)};
  for (const void *entry : floats) EXPECT_EQ(raised(entry, Words()(nullptr)(0), true), kNil);
  const void *doubleArgs[] = {E(RuntimeWriteSingleArray),  E(RuntimeWriteDoubleArray),
                              E(RuntimeSingleArrayAppend), E(RuntimeDoubleArrayAppend),
                              E(RuntimeSingleArrayInsert), E(RuntimeDoubleArrayInsert)};
  for (const void *entry : doubleArgs)
    EXPECT_EQ(raised(entry, Words()(nullptr)(0)(1.5)(0)), kNil) << entry;
  EXPECT_TRUE(gRecorder.boxes.empty()) << "no assertion for these";
}

// Direct access of these four types reports the nil record first, as the
// assertion naming its line; choosing OK goes on to the exception.
TEST_F(ArrayTest, NilRecordsOfDirectAccessAreReportedThenRaise) {
  struct Case {
    const void *entry;
    Words args;
    bool floatResult;
    const char *line;
  } cases[] = {
      {E(RuntimeDirectReadSingleArray), Words()(nullptr)(0), true, "934"},
      {E(RuntimeDirectReadDoubleArray), Words()(nullptr)(0), true, "959"},
      {E(RuntimeDirectReadStringArray), Words()(nullptr)(0), false, "985"},
      {E(RuntimeDirectReadObjectArray), Words()(nullptr)(0), false, "1014"},
      {E(RuntimeDirectWriteSingleArray), Words()(nullptr)(0)(1.0), false, "1064"},
      {E(RuntimeDirectWriteDoubleArray), Words()(nullptr)(0)(1.0), false, "1094"},
      {E(RuntimeDirectWriteStringArray), Words()(nullptr)(0)(0), false, "1126"},
      {E(RuntimeDirectWriteObjectArray), Words()(nullptr)(0)(0), false, "1167"},
  };
  for (const Case &c : cases) {
    gRecorder.boxes.clear();
    EXPECT_EQ(raised(c.entry, c.args, c.floatResult), kNil) << c.line;
    ASSERT_EQ(gRecorder.boxes.size(), 1u) << c.line;
    EXPECT_NE(gRecorder.boxes[0].text.find(std::string("commonruntime : ") + c.line),
              std::string::npos)
        << gRecorder.boxes[0].text;
  }
  gRecorder.boxes.clear();
  EXPECT_EQ(RuntimeArrayCreateAddIndex(nullptr, 0, 1), nullptr);
  ASSERT_EQ(gRecorder.boxes.size(), 1u);
  EXPECT_NE(gRecorder.boxes[0].text.find("commonruntime : 222"), std::string::npos);
  RuntimeDisposeIntArray(nullptr); /* nothing to release */
  RuntimeDisposeStringArray(nullptr);
}

/* ---- append, insert, remove ---- */

TEST_F(ArrayTest, AppendToAnEmptyArrayGivesBoundZero) {
  ArrayRecord *ints = make({-1}), *doubles = make({-1}), *singles = make({-1});
  RuntimeIntArrayAppend(ints, 5);
  EXPECT_EQ(RuntimeUBound(ints), 0);
  EXPECT_EQ(RuntimeDirectReadIntArray(ints, 0), 5);
  RuntimeDoubleArrayAppend(doubles, 1.25);
  RuntimeDoubleArrayAppend(doubles, 2.5);
  EXPECT_EQ(doubles->storage.elementSize, 8);
  EXPECT_EQ(RuntimeDirectReadDoubleArray(doubles, 1), 2.5);
  RuntimeSingleArrayAppend(singles, 0.1);
  EXPECT_EQ(RuntimeDirectReadSingleArray(singles, 0), (double)0.1f);

  ArrayRecord *sparse = make({9}); /* nothing stored: the new element is the eleventh */
  RuntimeIntArrayAppend(sparse, 3);
  EXPECT_EQ(RuntimeUBound(sparse), 10);
  EXPECT_EQ(RuntimeDirectReadIntArray(sparse, 10), 3);
  EXPECT_EQ(RuntimeDirectReadIntArray(sparse, 9), 0);
}

TEST_F(ArrayTest, InsertAtBoundPlusOneAppendsAndFurtherRaises) {
  ArrayRecord *a = make({2});
  for (int32_t i = 0; i <= 2; i++) RuntimeDirectWriteIntArray(a, i, 10 + i);
  RuntimeIntArrayInsert(a, 3, 13);
  RuntimeIntArrayInsert(a, 0, 9);
  RuntimeIntArrayInsert(a, 2, 99);
  int32_t expected[] = {9, 10, 99, 11, 12, 13};
  ASSERT_EQ(RuntimeUBound(a), 5);
  for (int32_t i = 0; i <= 5; i++) EXPECT_EQ(RuntimeDirectReadIntArray(a, i), expected[i]);
  for (int32_t i : {7, -1, INT_MAX, INT_MIN})
    EXPECT_EQ(raised(E(RuntimeIntArrayInsert), Words()(a)(i)(0)), kBounds) << i;
  EXPECT_EQ(RuntimeUBound(a), 5) << "unchanged by a refused insert";

  ArrayRecord *sparse = make({5}, ElementKind::String);
  Text s("late");
  RuntimeStringArrayInsert(sparse, 4, s);
  EXPECT_EQ(take(RuntimeDirectReadStringArray(sparse, 4)), "late");
  EXPECT_EQ(RuntimeUBound(sparse), 6);
  EXPECT_EQ(raised(E(RuntimeStringArrayInsert), Words()(sparse)(8)(s)), kBounds);
  EXPECT_EQ(((RString *)s)->refs, 2) << "a refused insert keeps no reference";
}

TEST_F(ArrayTest, RemoveReleasesTheElementAndLowersTheBound) {
  ArrayRecord *texts = make({3}, ElementKind::String);
  Text a("a"), b("b");
  RuntimeDirectWriteStringArray(texts, 0, a);
  RuntimeDirectWriteStringArray(texts, 1, b);
  RuntimeStringArrayRemove(texts, 0);
  EXPECT_EQ(((RString *)a)->refs, 1);
  EXPECT_EQ(RuntimeUBound(texts), 2);
  EXPECT_EQ(take(RuntimeDirectReadStringArray(texts, 0)), "b");
  EXPECT_EQ(raised(E(RuntimeStringArrayRemove), Words()(texts)(3)), kBounds);
  EXPECT_EQ(raised(E(RuntimeStringArrayRemove), Words()(texts)(-1)), kBounds);

  ArrayRecord *sparse = make({40}); /* index 30 was never stored */
  RuntimeDirectWriteIntArray(sparse, 0, 1);
  RuntimeIntArrayRemove(sparse, 30);
  EXPECT_EQ(RuntimeUBound(sparse), 39);
  EXPECT_EQ(RuntimeDirectReadIntArray(sparse, 0), 1);
}

TEST_F(ArrayTest, OneDimensionalEntriesRefuseOtherShapes) {
  ArrayRecord *square = make({3, 3}), *none = make({});
  const void *entries[] = {E(RuntimeIntArrayAppend),  E(RuntimeIntArrayInsert),
                           E(RuntimeIntArrayRemove),  E(RuntimeIntArraySort),
                           E(RuntimeStringArraySort), E(RuntimeDirectWriteIntArray)};
  for (ArrayRecord *a : {square, none}) {
    for (const Reader &r : kDirectReads)
      EXPECT_EQ(raised(r.entry, Words()(a)(0), r.floatResult), kBounds) << r.name;
    for (const void *entry : entries) EXPECT_EQ(raised(entry, Words()(a)(0)(0)), kBounds);
  }
  EXPECT_EQ(RuntimeUBound2Param(square, 1), 3);
  EXPECT_EQ(square->storage.count, 0);
}

/* ---- redim ---- */

TEST_F(ArrayTest, RedimReleasesWhatFallsOutsideAndGrowsNothing) {
  ArrayRecord *texts = make({10}, ElementKind::String);
  Text s("kept");
  for (int32_t i = 0; i <= 10; i++) RuntimeDirectWriteStringArray(texts, i, s);
  EXPECT_EQ(((RString *)s)->refs, 12);
  RuntimeRedimStringArrayLevel(texts, 0, 2);
  EXPECT_EQ(((RString *)s)->refs, 4) << "the strings at 3 .. 10 are released";
  EXPECT_EQ(RuntimeUBound(texts), 2);
  RuntimeRedimStringArrayLevel(texts, 0, 10);
  EXPECT_EQ(texts->storage.count, 3);
  for (int32_t i = 3; i <= 10; i++) EXPECT_EQ(RuntimeDirectReadStringArray(texts, i), nullptr);
  EXPECT_EQ(take(RuntimeDirectReadStringArray(texts, 2)), "kept");

  RuntimeRedimStringArrayLevel(texts, 0, -7);
  EXPECT_EQ(RuntimeUBound(texts), -1) << "a bound below -1 is an empty array";
  EXPECT_EQ(((RString *)s)->refs, 1);
  for (int32_t d : {-1, 1})
    EXPECT_EQ(raised(E(RuntimeRedimStringArrayLevel), Words()(texts)(d)(3)), kBounds);
}

// A 3 x 3 x 3 array of one string, cut at each depth in turn.
TEST_F(ArrayTest, RedimCutsEveryVectorAtItsDepth) {
  ArrayRecord *a = make({2, 2, 2}, ElementKind::String);
  Text s("x");
  auto write = [&](int32_t i, int32_t j, int32_t k) {
    RuntimeArrayStartWriteAccess(a, i);
    RuntimeArrayAddWriteIndex(a, j);
    RuntimeWriteStringArray(a, k, s);
  };
  auto stored = [&](int32_t i, int32_t j, int32_t k) {
    RuntimeArrayStartReadAccess(a, i);
    RuntimeArrayAddReadIndex(a, j);
    RString *r = RuntimeReadStringArray(a, k);
    RuntimeUnlockString(r);
    return r != nullptr;
  };
  for (int32_t i = 0; i <= 2; i++)
    for (int32_t j = 0; j <= 2; j++)
      for (int32_t k = 0; k <= 2; k++) write(i, j, k);
  EXPECT_EQ(((RString *)s)->refs, 28);
  RuntimeRedimStringArrayLevel(a, 2, 1);
  EXPECT_EQ(((RString *)s)->refs, 19) << "the last dimension: one string per vector";
  RuntimeRedimStringArrayLevel(a, 1, 0);
  EXPECT_EQ(((RString *)s)->refs, 7) << "a middle dimension: whole subtrees";
  RuntimeRedimStringArrayLevel(a, 0, 0);
  EXPECT_EQ(((RString *)s)->refs, 3);
  for (int32_t d = 0; d < 3; d++) RuntimeRedimStringArrayLevel(a, d, 2);
  for (int32_t i = 0; i <= 2; i++)
    for (int32_t j = 0; j <= 2; j++)
      for (int32_t k = 0; k <= 2; k++) EXPECT_EQ(stored(i, j, k), i == 0 && j == 0 && k <= 1);
}

/* ---- sizes beyond memory ---- */

TEST_F(ArrayTest, HugeBoundsStoreNothingUntilWrittenThenRunOutOfMemoryCleanly) {
  ArrayRecord *a = make({INT_MAX});
  EXPECT_EQ(RuntimeDirectReadIntArray(a, INT_MAX), 0);
  RuntimeRedimIntArrayLevel(a, 0, INT_MAX);
  EXPECT_EQ(raised(E(RuntimeIntArrayAppend), Words()(make({-1, 2}))(1)), kBounds);
  EXPECT_EXIT(
      {
        RuntimeDirectWriteIntArray(a, INT_MAX - 1, 1);
        ExitProcess(7);
      },
      testing::ExitedWithCode(0), "run out of memory");
}

} // namespace
