// Byte buffers of the image toolkit: the block type and the little- and
// big-endian word helpers that every writer and reader of the image uses.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace img {

using Bytes = std::vector<uint8_t>;

inline void put_u8(Bytes &b, uint8_t v) { b.push_back(v); }
inline void put_u16(Bytes &b, uint16_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
inline void put_u32(Bytes &b, uint32_t v) {
  for (int i = 0; i < 4; i++) b.push_back(uint8_t(v >> (8 * i)));
}
inline void put_u32be(Bytes &b, uint32_t v) {
  for (int i = 3; i >= 0; i--) b.push_back(uint8_t(v >> (8 * i)));
}
inline void put_bytes(Bytes &b, std::string_view s) { b.insert(b.end(), s.begin(), s.end()); }
inline void put_bytes(Bytes &b, const Bytes &s) { b.insert(b.end(), s.begin(), s.end()); }

inline void set_u32(Bytes &b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) b[at + i] = uint8_t(v >> (8 * i));
}
inline uint16_t get_u16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t get_u32(const uint8_t *p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint32_t get_u32be(const uint8_t *p) {
  return uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 24;
}

// Bytes from a text literal, for tests and small fixed blobs.
inline Bytes bytes_of(std::string_view s) { return Bytes(s.begin(), s.end()); }

} // namespace img
