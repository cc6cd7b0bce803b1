// Packed integers (bit 7 of each byte: more follow; bit 6 of the first: the
// value is negative; 6 bits, then 7 per byte, of magnitude) and packed
// strings (a packed byte count, then the bytes).
#include "text/packed.h"
#include "text/string.h"

static bool have(PackedStream *s, int32_t bytes) {
  if (s->end - s->at >= bytes) return true;
  s->at = s->end;
  s->damaged = true;
  return false;
}

uint8_t packed_byte(PackedStream *s) { return have(s, 1) ? *s->at++ : 0; }

uint32_t packed_be32(PackedStream *s) {
  if (!have(s, 4)) return 0;
  const uint8_t *p = s->at;
  s->at += 4;
  return (uint32_t)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

int32_t packed_int(PackedStream *s) {
  if (!have(s, 1)) return 0;
  uint8_t b = *s->at++;
  bool negative = b & 0x40;
  uint32_t magnitude = b & 0x3F;
  for (int shift = 6; b & 0x80; shift += 7) {
    if (shift > 27 || !have(s, 1)) { /* five bytes hold any value: more is damage */
      s->damaged = true;
      return 0;
    }
    b = *s->at++;
    magnitude |= (uint32_t)(b & 0x7F) << shift;
  }
  if (magnitude == 0x80000000u) return INT32_MIN; /* taken as it is, whatever the sign */
  return negative ? -(int32_t)magnitude : (int32_t)magnitude;
}

RString *packed_string(PackedStream *s) {
  int32_t n = packed_int(s);
  if (n <= 0) return nullptr;
  if (!have(s, n)) return nullptr;
  RString *text = str_make(s->at, n);
  s->at += n;
  return text;
}
