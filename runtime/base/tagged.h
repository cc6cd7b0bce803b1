// Tagged blocks: pool blocks that carry their own size and a guard word, for
// runtime records whose size the releaser does not know.
#pragma once
#include <cstdint>

enum : uint32_t {
  kTagGuard = 0xDEADBEEF, // a live tagged block
  kTagDead = 0xDEADDEAD,  // written over the guard on release
};

void *tagged_alloc(int32_t bytes); // the address just past the size and guard words
void tagged_free(void *block);     // nil is ignored
