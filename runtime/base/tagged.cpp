// Tagged blocks: a size word and a guard word ahead of the caller's bytes, so
// that a block can be released without its size and a stray release is caught.
#include "base/tagged.h"
#include "base/fault.h"
#include "base/pool.h"

struct TagHeader {
  int32_t size;   // the caller's byte count
  uint32_t guard; // kTagGuard while live
};
static_assert(sizeof(TagHeader) == 8);

void *tagged_alloc(int32_t bytes) {
  TagHeader *h = (TagHeader *)pool_alloc(bytes + (int32_t)sizeof(TagHeader));
  if (!h) return nullptr;
  h->size = bytes;
  h->guard = kTagGuard;
  return h + 1;
}

void tagged_free(void *block) {
  if (!block) return;
  TagHeader *h = (TagHeader *)block - 1;
  if (h->guard != kTagGuard) {
    fault_report(kFaultTagGuardBroken);
    return; /* the size word cannot be trusted either: leak rather than corrupt the pool */
  }
  h->guard = kTagDead;
  pool_free(h, h->size + (int32_t)sizeof(TagHeader));
}
