// The memory pool's size classes and counter, and tagged blocks.
#include "base/tagged.h"
#include "base/pool.h"
#include "recorder.h"
#include <thread>

using PoolTest = RuntimeTest;

TEST_F(PoolTest, SizeClassBoundaryDecidesPoolOrHeap) {
  int32_t start = pool_used();
  void *largestSmall = pool_alloc(252);
  EXPECT_EQ(pool_used(), start + 252);
  void *smallestLarge = pool_alloc(253);
  EXPECT_EQ(pool_used(), start + 252); /* large blocks are not counted */
  pool_free(smallestLarge, 253);
  pool_free(largestSmall, 252);
  EXPECT_EQ(pool_used(), start);

  gRecorder.refuseHeap = true; /* only the heap path notices a refusing heap */
  EXPECT_EQ(pool_alloc(253, true), nullptr);
  void *fromFreeList = pool_alloc(252, true);
  EXPECT_EQ(fromFreeList, largestSmall);
  pool_free(fromFreeList, 252);
}

TEST_F(PoolTest, RequestsOfNothingGiveNil) {
  EXPECT_EQ(pool_alloc(0), nullptr);
  EXPECT_EQ(pool_alloc(-5), nullptr);
  pool_free(nullptr, 16); /* ignored */
}

TEST_F(PoolTest, FreedBlockServesTheNextRequestOfItsSizeClass) {
  void *a = pool_alloc(20);
  pool_free(a, 20);
  void *b = pool_alloc(17); /* 17 and 20 bytes are both five words */
  EXPECT_EQ(a, b);
  void *c = pool_alloc(21); /* six words: another list */
  EXPECT_NE(c, b);
  pool_free(b, 17);
  pool_free(c, 21);
}

TEST_F(PoolTest, BlocksOfManyChunksDoNotOverlap) {
  std::vector<std::pair<uint8_t *, int>> blocks;
  for (int i = 0; i < 2000; i++) {
    int bytes = 4 + (i * 37) % 249;
    uint8_t *p = (uint8_t *)pool_alloc(bytes);
    memset(p, i & 0xFF, bytes);
    blocks.push_back({p, bytes});
  }
  for (size_t i = 0; i < blocks.size(); i++)
    for (int k = 0; k < blocks[i].second; k++) ASSERT_EQ(blocks[i].first[k], i & 0xFF);
  for (auto &b : blocks) pool_free(b.first, b.second);
}

TEST_F(PoolTest, CounterIsExactUnderTwoThreads) {
  int32_t start = pool_used();
  auto churn = [] {
    for (int i = 0; i < 20000; i++) {
      int bytes = 8 + i % 200;
      void *p = pool_alloc(bytes);
      *(volatile int *)p = i;
      pool_free(p, bytes);
    }
  };
  std::thread a(churn), b(churn);
  a.join();
  b.join();
  EXPECT_EQ(pool_used(), start);
}

TEST_F(PoolTest, TaggedBlockCarriesSizeAndGuard) {
  int32_t start = pool_used();
  uint32_t *block = (uint32_t *)tagged_alloc(10);
  EXPECT_EQ(block[-2], 10u);
  EXPECT_EQ(block[-1], kTagGuard);
  EXPECT_EQ(pool_used(), start + 18);
  tagged_free(block);
  EXPECT_EQ(pool_used(), start);
  EXPECT_TRUE(gRecorder.boxes.empty());
}

TEST_F(PoolTest, DamagedGuardIsReportedAndTheBlockKeptOutOfThePool) {
  int32_t start = pool_used();
  uint32_t *block = (uint32_t *)tagged_alloc(12);
  block[-1] = 0x12345678;
  block[-2] = 4000; /* a wild size must not reach the pool either */
  tagged_free(block);
  ASSERT_EQ(gRecorder.boxes.size(), 1u);
  EXPECT_NE(gRecorder.boxes[0].text.find(" dump : 64"), std::string::npos);
  EXPECT_EQ(pool_used(), start + 20);
}
