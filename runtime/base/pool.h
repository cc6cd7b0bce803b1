// The memory pool: size-class free lists for small blocks, the platform heap
// for large ones. Runtime objects, strings and records all come from here.
#pragma once
#include <cstdint>

enum {
  kPoolLargestSmall = 252, // bytes: 63 words, the largest pooled request
  kPoolChunkBytes = 8192,  // small blocks are cut from chunks of this size
};

void pool_init(); // creates the pool's lock; before the first request

// A request of bytes <= 0 gives nil. When the heap refuses: nil if mayFail,
// otherwise the out-of-memory ending.
void *pool_alloc(int32_t bytes, bool mayFail = false);

// Returns a block; the size must be the one it was requested with.
void pool_free(void *block, int32_t bytes);

// Bytes of small blocks requested and not yet returned.
int32_t pool_used();
