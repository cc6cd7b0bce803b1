// The memory pool: one free list per size class of 1 to 63 words, blocks cut
// from 8192-byte chunks, larger requests passed to the platform heap, and the
// memory-used counter. One critical section guards it.
#include "objects/utility.h"
#include "startup/fault.h"
#include "startup/platform.h"

enum { kClasses = kPoolLargestSmall / 4 + 1 };

static struct {
  CRITICAL_SECTION lock;
  void *freeList[kClasses]; // by size class in words; a free block's word 0 links
  char *chunkNext;          // where the next block is cut from the current chunk
  int32_t chunkLeft;        // bytes left in the current chunk
  int32_t used;             // the memory-used counter
} pool;

void pool_init() { InitializeCriticalSection(&pool.lock); }

static void *cutFromChunk(int32_t bytes, bool mayFail) {
  if (pool.chunkLeft < bytes) { /* the rest of the old chunk is abandoned */
    char *chunk = (char *)gPlatform.heapAlloc(kPoolChunkBytes);
    if (!chunk) {
      if (mayFail) return nullptr;
      LeaveCriticalSection(&pool.lock);
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
  EnterCriticalSection(&pool.lock);
  void *block = pool.freeList[words];
  if (block)
    pool.freeList[words] = *(void **)block;
  else
    block = cutFromChunk(words * 4, mayFail);
  if (block) pool.used += bytes;
  LeaveCriticalSection(&pool.lock);
  return block;
}

void pool_free(void *block, int32_t bytes) {
  if (!block || bytes <= 0) return;
  int32_t words = (bytes + 3) / 4;
  if (words >= kClasses) {
    gPlatform.heapFree(block);
    return;
  }
  EnterCriticalSection(&pool.lock);
  *(void **)block = pool.freeList[words];
  pool.freeList[words] = block;
  pool.used -= bytes;
  LeaveCriticalSection(&pool.lock);
}

int32_t pool_used() { return pool.used; }
