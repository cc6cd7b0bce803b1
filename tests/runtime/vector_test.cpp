// The growable vector and the block handle: growth, shifting, zero-filling,
// 8-byte elements, misuse reports and the out-of-memory ending.
#include "base/pool.h"
#include "recorder.h"
#include "base/vector.h"
#include <cstring>
#include <functional>

// Counts the heap buffers handed out and not yet returned, on top of the
// recording platform, so that a test can see a buffer leak or a double free.
// The pool's chunks stay for the life of the process and are not counted.
static void *(*gInnerAlloc)(size_t);
static int gLiveBuffers;

static void *countAlloc(size_t bytes) {
  void *block = gInnerAlloc(bytes);
  if (block && bytes != kPoolChunkBytes) gLiveBuffers++;
  return block;
}

static void countFree(void *block) {
  gLiveBuffers--;
  kRealPlatform.heapFree(block);
}

class VectorTest : public RuntimeTest {
protected:
  Vector v;
  int32_t poolBefore;

  void SetUp() override {
    RuntimeTest::SetUp();
    gInnerAlloc = gPlatform.heapAlloc;
    gPlatform.heapAlloc = countAlloc;
    gPlatform.heapFree = countFree;
    gLiveBuffers = 0;
    poolBefore = pool_used();
    vec_init(&v);
  }
  void TearDown() override {
    vec_dispose(&v);
    EXPECT_EQ(gLiveBuffers, 0);
    EXPECT_EQ(pool_used(), poolBefore);
    RuntimeTest::TearDown();
  }

  std::vector<int32_t> contents() {
    std::vector<int32_t> out;
    for (int32_t i = 0; i < vec_count(&v); i++) out.push_back(vec_get(&v, i));
    return out;
  }
  void fill(std::initializer_list<int32_t> values) {
    for (int32_t x : values) vec_append(&v, x);
  }
};

using HandleTest = VectorTest;

TEST_F(VectorTest, AppendGrowsCapacityInStepsOf16) {
  struct {
    int32_t count, capacity;
  } steps[] = {{1, 16}, {16, 16}, {17, 32}, {32, 32}, {33, 48}};
  int32_t next = 0;
  for (auto step : steps) {
    while (next < step.count) vec_append(&v, next++ * 3);
    EXPECT_EQ(v.capacity, step.capacity) << "count " << step.count;
    EXPECT_EQ(v.handle->size, step.capacity * 4);
  }
  for (int32_t i = 0; i < next; i++) ASSERT_EQ(vec_get(&v, i), i * 3);
  EXPECT_TRUE(gRecorder.boxes.empty());
}

TEST_F(VectorTest, InsertMovesLaterElementsUp) {
  fill({1, 2, 3});
  vec_insert(&v, 1, 9);
  vec_insert(&v, 0, 8);
  vec_insert(&v, 5, 7); // at count: the end
  EXPECT_EQ(contents(), (std::vector<int32_t>{8, 1, 9, 2, 3, 7}));
}

TEST_F(VectorTest, InsertAcrossACapacityStepKeepsEveryElement) {
  for (int32_t i = 0; i < 16; i++) vec_append(&v, i);
  vec_insert(&v, 0, -1);
  ASSERT_EQ(vec_count(&v), 17);
  EXPECT_EQ(v.capacity, 32);
  for (int32_t i = 0; i < 17; i++) ASSERT_EQ(vec_get(&v, i), i - 1);
}

TEST_F(VectorTest, RemoveMovesLaterElementsDownAndKeepsCapacity) {
  fill({1, 2, 3, 4});
  vec_remove(&v, 1);
  EXPECT_EQ(contents(), (std::vector<int32_t>{1, 3, 4}));
  vec_remove(&v, 2);
  vec_remove(&v, 0);
  EXPECT_EQ(contents(), (std::vector<int32_t>{3}));
  EXPECT_EQ(v.capacity, 16);
}

TEST_F(VectorTest, SetCountZeroFillsNewElementsAndShrinks) {
  fill({1, 2, 3});
  vec_remove(&v, 2); // leaves the 3 in the slack beyond the count
  vec_set_count(&v, 5);
  EXPECT_EQ(contents(), (std::vector<int32_t>{1, 2, 0, 0, 0}));
  EXPECT_EQ(v.capacity, 5);
  EXPECT_EQ(v.handle->size, 20);

  vec_set_count(&v, 1);
  EXPECT_EQ(contents(), (std::vector<int32_t>{1}));
  EXPECT_EQ(v.capacity, 1);
  EXPECT_EQ(v.handle->size, 4);

  vec_set_count(&v, 0);
  EXPECT_EQ(v.capacity, 0);
  EXPECT_EQ(v.handle->buffer, nullptr);
  vec_append(&v, 6); // the emptied vector still grows
  EXPECT_EQ(contents(), (std::vector<int32_t>{6}));
}

TEST_F(VectorTest, SetCountAllocatesTheFirstBufferAndTakesNegativeAsZero) {
  vec_set_count(&v, 3);
  EXPECT_EQ(contents(), (std::vector<int32_t>{0, 0, 0}));
  vec_set_count(&v, -1);
  EXPECT_EQ(vec_count(&v), 0);
  EXPECT_EQ(v.capacity, 0);
}

TEST_F(VectorTest, EightByteElements) {
  Vector d;
  vec_init(&d, 8);
  const int64_t big = 0x123456789ABCDEF0LL;
  vec_insert8(&d, 0, big);
  vec_insert8(&d, 0, -2);
  vec_insert8(&d, 2, 5);
  vec_put8(&d, 2, big + 1);
  EXPECT_EQ(d.handle->size, 16 * 8);
  EXPECT_EQ(vec_get8(&d, 0), -2);
  EXPECT_EQ(vec_get8(&d, 1), big);
  EXPECT_EQ(vec_get8(&d, 2), big + 1);

  vec_remove(&d, 0);
  EXPECT_EQ(vec_get8(&d, 0), big);
  vec_set_count(&d, 4);
  EXPECT_EQ(vec_get8(&d, 1), big + 1);
  EXPECT_EQ(vec_get8(&d, 2), 0);
  EXPECT_EQ(vec_get8(&d, 3), 0);

  vec_insert(&d, 0, -1); // a 4-byte value fills a whole 8-byte slot
  EXPECT_EQ(vec_get8(&d, 0), 0xFFFFFFFFLL);
  EXPECT_TRUE(gRecorder.boxes.empty());
  vec_dispose(&d);
}

// Every misuse names its line and leaves the vector as it was. The 8-byte
// operations also refuse a vector of 4-byte slots, which they would overrun.
TEST_F(VectorTest, MisuseIsReportedAndLeavesTheVectorUnchanged) {
  struct Case {
    const char *what;
    int32_t elementSize;
    std::function<int64_t(Vector *)> op; // the result a read yields
    const char *line;
  } cases[] = {
      {"get below", 4, [](Vector *x) { return vec_get(x, -1); }, " array : 68"},
      {"get at count", 4, [](Vector *x) { return vec_get(x, 3); }, " array : 68"},
      {"get8 at count", 8, [](Vector *x) { return vec_get8(x, 3); }, " array : 82"},
      {"get8 of 4-byte slots", 4, [](Vector *x) { return vec_get8(x, 2); }, " array : 82"},
      {"put below", 4, [](Vector *x) { return vec_put(x, -1, 7), 0LL; }, " array : 95"},
      {"put at count", 4, [](Vector *x) { return vec_put(x, 3, 7), 0LL; }, " array : 95"},
      {"put8 at count", 8, [](Vector *x) { return vec_put8(x, 3, 7), 0LL; }, " array : 107"},
      {"put8 to 4-byte slots", 4, [](Vector *x) { return vec_put8(x, 0, 7), 0LL; }, " array : 107"},
      {"insert below", 4, [](Vector *x) { return vec_insert(x, -1, 7), 0LL; }, " array : 132"},
      {"insert past count", 4, [](Vector *x) { return vec_insert(x, 4, 7), 0LL; }, " array : 132"},
      {"insert8 past count", 8, [](Vector *x) { return vec_insert8(x, 4, 7), 0LL; },
       " array : 157"},
      {"insert8 to 4-byte slots", 4, [](Vector *x) { return vec_insert8(x, 0, 7), 0LL; },
       " array : 157"},
      {"remove below", 4, [](Vector *x) { return vec_remove(x, -1), 0LL; }, " array : 168"},
      {"remove at count", 8, [](Vector *x) { return vec_remove(x, 3), 0LL; }, " array : 168"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    gRecorder.boxes.clear();
    Vector x;
    vec_init(&x, c.elementSize);
    vec_set_count(&x, 3);
    for (int32_t i = 0; i < 3; i++) vec_put(&x, i, 10 + i);

    EXPECT_EQ(c.op(&x), 0);

    ASSERT_EQ(gRecorder.boxes.size(), 1u);
    const std::string &text = gRecorder.boxes[0].text;
    EXPECT_EQ(text.substr(text.size() - strlen(c.line)), c.line) << text;
    EXPECT_EQ(x.count, 3);
    EXPECT_EQ(x.capacity, 3);
    for (int32_t i = 0; i < 3; i++) EXPECT_EQ(vec_get(&x, i), 10 + i);
    vec_dispose(&x);
  }
}

TEST_F(HandleTest, ResizeKeepsTheSmallerOfOldAndNewBytes) {
  BlockHandle *h = handle_new(8);
  for (int i = 0; i < 8; i++) h->buffer[i] = (uint8_t)(i + 1);
  handle_resize(h, 3);
  ASSERT_EQ(h->size, 3);
  EXPECT_EQ(memcmp(h->buffer, "\1\2\3", 3), 0);
  handle_resize(h, 300); // large enough to leave the pool's sizes behind
  ASSERT_EQ(h->size, 300);
  EXPECT_EQ(memcmp(h->buffer, "\1\2\3", 3), 0);
  EXPECT_EQ(gLiveBuffers, 1); // every old buffer went back
  handle_resize(h, 0);
  EXPECT_EQ(h->buffer, nullptr);
  EXPECT_EQ(gLiveBuffers, 0);
  handle_free(h);
}

TEST_F(HandleTest, RefusedBufferEndsTheProcess) {
  struct {
    int32_t size;
    const char *output; // what the ending shows on the way out
  } cases[] = {
      {16, "run out of memory"},
      {253, "utility : 708"}, // a large block also gets the assertion report
  };
  for (auto c : cases) {
    EXPECT_EXIT(
        {
          gRecorder.refuseHeap = true;
          handle_new(c.size);
        },
        testing::ExitedWithCode(0), c.output)
        << c.size;
  }
}

TEST_F(VectorTest, CountTooLargeForMemoryEndsTheProcess) {
  EXPECT_EXIT(vec_set_count(&v, 0x40000000), testing::ExitedWithCode(0), "run out of memory");
}
