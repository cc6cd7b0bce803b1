// Byte queues: a heap block with a head and a tail offset; the queued bytes
// move to the front of the block only when room is needed at the tail.
#include "devices/bytequeue.h"
#include <cstdlib>
#include <cstring>

uint8_t *queue_reserve(ByteQueue *q, int32_t n) {
  int32_t length = queue_length(q);
  if (n < 0 || n > kByteQueueLimit - length) return nullptr;
  if (q->tail + n <= q->capacity) return q->data + q->tail;
  if (q->head > 0) { /* reuse the room that was read already */
    memmove(q->data, q->data + q->head, length);
    q->head = 0;
    q->tail = length;
    if (length + n <= q->capacity) return q->data + q->tail;
  }
  int64_t want = (int64_t)q->capacity * 2;
  if (want < length + n) want = length + n;
  if (want < 4096) want = 4096;
  if (want > kByteQueueLimit) want = kByteQueueLimit;
  uint8_t *grown = (uint8_t *)realloc(q->data, (size_t)want);
  if (!grown) return nullptr;
  q->data = grown;
  q->capacity = (int32_t)want;
  return q->data + q->tail;
}

bool queue_append(ByteQueue *q, const void *bytes, int32_t n) {
  if (n <= 0) return true;
  uint8_t *room = queue_reserve(q, n);
  if (!room) return false;
  memcpy(room, bytes, n);
  queue_commit(q, n);
  return true;
}

void queue_drop(ByteQueue *q, int32_t n) {
  if (n <= 0) return;
  if (n >= queue_length(q)) {
    q->head = q->tail = 0;
    return;
  }
  q->head += n;
}

RString *queue_take(ByteQueue *q, int32_t n, bool remove) {
  int32_t length = queue_length(q);
  if (n > length) n = length;
  if (n <= 0) return nullptr;
  RString *s = str_make(queue_front(q), n);
  if (s && remove) queue_drop(q, n); /* without a string the bytes stay queued */
  return s;
}

void queue_clear(ByteQueue *q) {
  free(q->data);
  *q = ByteQueue{};
}

void queue_move(ByteQueue *to, ByteQueue *from) {
  queue_clear(to);
  *to = *from;
  *from = ByteQueue{};
}
