// Packed integers and packed strings: the 1-5 byte integer form (bit 7 more,
// bit 6 sign in the first byte) of window descriptions, menu bars and settings.
#pragma once
#include "bytes.h"

namespace img {

void put_packed_int(Bytes &b, int32_t v);
void put_packed_string(Bytes &b, std::string_view s);

// A bounded reader: every read checks the end of the input and on failure
// returns false with `error` set; the position then stays where it was.
struct PackedReader {
  const uint8_t *data;
  size_t size;
  size_t pos = 0;
  std::string error;

  PackedReader(const uint8_t *d, size_t n) : data(d), size(n) {}
  explicit PackedReader(const Bytes &b) : data(b.data()), size(b.size()) {}
  bool at_end() const { return pos == size; }
  bool read_int(int32_t *out);
  bool read_string(std::string *out);
};

} // namespace img
