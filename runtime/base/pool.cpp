// The memory pool: one free list per size class of 1 to 63 words, blocks cut
// from 8192-byte chunks, larger requests passed to the platform heap, and the
// memory-used counter. One lock guards it.
#include "base/pool.h"
#include "base/fault.h"
#include "base/platform.h"

enum { kClasses = kPoolLargestSmall / 4 + 1 };

static struct {
  volatile LONG lock;       // 1 while a thread is inside the pool
  void *freeList[kClasses]; // by size class in words; a free block's word 0 links
  char *chunkNext;          // where the next block is cut from the current chunk
  int32_t chunkLeft;        // bytes left in the current chunk
  int32_t used;             // the memory-used counter
} pool;

// The pool's lock is held for a few instructions at a time, so one interlocked
// exchange beats a platform critical section (which costs two); a thread that
// finds it taken gives up its time slice until the holder is done.
static void lockPool() {
  while (InterlockedExchange(&pool.lock, 1)) SwitchToThread();
}

static void unlockPool() { __atomic_store_n(&pool.lock, 0, __ATOMIC_RELEASE); }

void pool_init() { pool.lock = 0; }

static void *cutFromChunk(int32_t bytes, bool mayFail) {
  if (pool.chunkLeft < bytes) { /* the rest of the old chunk is abandoned */
    char *chunk = (char *)gPlatform.heapAlloc(kPoolChunkBytes);
    if (!chunk) {
      if (mayFail) return nullptr;
      unlockPool();
      fault_out_of_memory(false);
    }
    pool.chunkNext = chunk;
    pool.chunkLeft = kPoolChunkBytes;
  }
  void *block = pool.chunkNext;
  pool.chunkNext += bytes;
  pool.chunkLeft -= bytes;
  return block;
}

void *pool_alloc(int32_t bytes, bool mayFail) {
  if (bytes <= 0) return nullptr;
  int32_t words = (bytes + 3) / 4;
  if (words >= kClasses) {
    void *block = gPlatform.heapAlloc(bytes);
    if (!block && !mayFail) fault_out_of_memory(true);
    return block;
  }
  lockPool();
  void *block = pool.freeList[words];
  if (block)
    pool.freeList[words] = *(void **)block;
  else
    block = cutFromChunk(words * 4, mayFail);
  if (block) pool.used += bytes;
  unlockPool();
  return block;
}

void pool_free(void *block, int32_t bytes) {
  if (!block || bytes <= 0) return;
  int32_t words = (bytes + 3) / 4;
  if (words >= kClasses) {
    gPlatform.heapFree(block);
    return;
  }
  lockPool();
  *(void **)block = pool.freeList[words];
  pool.freeList[words] = block;
  pool.used -= bytes;
  unlockPool();
}

int32_t pool_used() { return pool.used; }
