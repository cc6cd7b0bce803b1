// Packed streams: the one- to five-byte integers and length-prefixed strings
// of window descriptions, the menu bar and the project settings. Reading never
// runs past the end of the stream; a stream cut short reads as zeros and
// empty strings and is marked damaged.
#pragma once
#include <cstdint>

struct RString;

struct PackedStream {
  const uint8_t *at;  // the next byte
  const uint8_t *end; // one past the last byte
  bool damaged;       // set when a read ran out of bytes
};

inline PackedStream packed_stream(const uint8_t *bytes, int32_t length) {
  return {bytes, bytes + (length > 0 ? length : 0), false};
}

int32_t packed_int(PackedStream *s);
RString *packed_string(PackedStream *s); // a new reference; nil for a count <= 0
uint8_t packed_byte(PackedStream *s);
uint32_t packed_be32(PackedStream *s);
