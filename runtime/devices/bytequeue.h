// Byte queues: the growable buffers a socket engine keeps its unread input
// and unsent output in. Bytes are appended at the tail and taken from the
// head, so a long stream costs linear time however it is cut up.
#pragma once
#include "text/string.h"
#include <cstdint>

struct ByteQueue {
  uint8_t *data;    // 0: heap block, nil while nothing was ever queued
  int32_t head;     // 4: offset of the first queued byte
  int32_t tail;     // 8: offset just past the last queued byte
  int32_t capacity; // 12: bytes in the block
};
static_assert(sizeof(ByteQueue) == 16);

// The most a queue holds: a runtime string must be able to carry all of it.
constexpr int32_t kByteQueueLimit = 1 << 30;

inline int32_t queue_length(const ByteQueue *q) { return q->tail - q->head; }
// Room for `n` more bytes at the tail; nil when the heap or the limit refuses.
uint8_t *queue_reserve(ByteQueue *q, int32_t n);
// Counts `n` bytes written into the reserved room as queued.
inline void queue_commit(ByteQueue *q, int32_t n) { q->tail += n; }
bool queue_append(ByteQueue *q, const void *bytes, int32_t n); // false: nothing was queued
inline const uint8_t *queue_front(const ByteQueue *q) { return q->data + q->head; }
void queue_drop(ByteQueue *q, int32_t n); // forgets the first n bytes (n clamped)
// A new runtime string of the first min(n, length) bytes, removed when
// `remove` is set; nil when there are none.
RString *queue_take(ByteQueue *q, int32_t n, bool remove);
void queue_clear(ByteQueue *q); // frees the block
// Hands the whole content of `from` to `to`, which was empty.
void queue_move(ByteQueue *to, ByteQueue *from);
