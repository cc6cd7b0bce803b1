// Packed integers and packed strings: encoder and bounded decoder.
#include "packed.h"

namespace img {

void put_packed_int(Bytes &b, int32_t v) {
  bool neg = v < 0;
  uint32_t mag = neg ? 0u - uint32_t(v) : uint32_t(v); // INT32_MIN keeps 0x80000000
  uint8_t first = uint8_t(mag & 0x3F) | (neg ? 0x40 : 0);
  mag >>= 6;
  b.push_back(first | (mag ? 0x80 : 0));
  while (mag) {
    uint8_t next = uint8_t(mag & 0x7F);
    mag >>= 7;
    b.push_back(next | (mag ? 0x80 : 0));
  }
}

void put_packed_string(Bytes &b, std::string_view s) {
  put_packed_int(b, int32_t(s.size()));
  put_bytes(b, s);
}

bool PackedReader::read_int(int32_t *out) {
  size_t p = pos;
  if (p >= size) return error = "packed integer: input ends before its first byte", false;
  uint8_t c = data[p++];
  bool neg = c & 0x40;
  uint32_t mag = c & 0x3F;
  for (int shift = 6; c & 0x80; shift += 7) {
    if (shift > 27) return error = "packed integer: longer than five bytes", false;
    if (p >= size) return error = "packed integer: input ends inside the integer", false;
    c = data[p++];
    if (shift == 27 && (c & 0x7F) > 0x1F)
      return error = "packed integer: magnitude wider than 32 bits", false;
    mag |= uint32_t(c & 0x7F) << shift;
  }
  *out = int32_t(neg && mag != 0x80000000u ? 0u - mag : mag);
  pos = p;
  return true;
}

bool PackedReader::read_string(std::string *out) {
  size_t start = pos;
  int32_t n;
  if (!read_int(&n)) return false;
  if (n <= 0) return out->clear(), true; // a count of 0 or less is the empty string
  if (size_t(n) > size - pos) {
    error = "packed string: " + std::to_string(n) + " bytes announced, " +
            std::to_string(size - pos) + " left";
    pos = start;
    return false;
  }
  out->assign(reinterpret_cast<const char *>(data + pos), size_t(n));
  pos += size_t(n);
  return true;
}

} // namespace img
