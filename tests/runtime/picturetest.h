// Helpers for the picture tests: pictures filled with a pattern, pixel reads,
// BMP files built byte by byte, and blocks that end at an unreadable page.
#pragma once
#include "graphics/picture.h"
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace pictest {

inline uint32_t pixel(PictureObject *p, int x, int y) {
  GdiFlush();
  return p->image->bits[y * p->image->width + x] & 0xFFFFFF;
}

inline uint32_t pattern(int x, int y) {
  return (uint32_t)((x * 37) << 16 | (y * 53) << 8 | (x ^ y)) & 0xFFFFFF;
}

inline PictureObject *patterned(int w, int h) {
  PictureObject *p = newPicture(w, h, 32);
  for (int y = 0; p && y < h; y++)
    for (int x = 0; x < w; x++) p->image->bits[y * w + x] = pattern(x, y);
  return p;
}

// The number of pixels of b that differ from a (sizes must match).
inline int differing(PictureObject *a, PictureObject *b) {
  int n = 0;
  for (int y = 0; y < a->image->height; y++)
    for (int x = 0; x < a->image->width; x++) n += pixel(a, x, y) != pixel(b, x, y);
  return n;
}

// A BMP file under construction, little-endian fields appended in order.
struct Bmp {
  std::vector<uint8_t> bytes;
  Bmp &u8(uint32_t v) {
    bytes.push_back((uint8_t)v);
    return *this;
  }
  Bmp &u16(uint32_t v) { return u8(v).u8(v >> 8); }
  Bmp &u32(uint32_t v) { return u16(v).u16(v >> 16); }
  Bmp &raw(std::initializer_list<uint8_t> b) {
    bytes.insert(bytes.end(), b);
    return *this;
  }
  void put32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) bytes[at + i] = (uint8_t)(v >> (8 * i));
  }
};

// A file header and an info header of `headerSize` (40 to 124) bytes; the
// fields past the first 40 are zero unless masks are given.
inline Bmp infoBmp(int32_t w, int32_t h, uint16_t bits, uint32_t compression,
                   uint32_t headerSize = 40, uint32_t colours = 0,
                   std::vector<uint32_t> masks = {}) {
  Bmp b;
  b.raw({'B', 'M'}).u32(0).u32(0).u32(0); /* size and offset: 0, pixels follow the tables */
  b.u32(headerSize).u32((uint32_t)w).u32((uint32_t)h).u16(1).u16(bits).u32(compression).u32(0);
  b.u32(2835).u32(2835).u32(colours).u32(0);
  for (uint32_t i = 40; i < headerSize; i += 4)
    b.u32(i - 40 < masks.size() * 4 ? masks[(i - 40) / 4] : 0);
  return b;
}

// A copy of the bytes ending exactly where an unreadable page begins, so that
// any read past the end faults at once.
class Guarded {
public:
  explicit Guarded(const std::vector<uint8_t> &data) {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    size_t page = si.dwPageSize, body = (data.size() + page - 1) / page * page;
    base = (uint8_t *)VirtualAlloc(nullptr, body + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    DWORD old;
    VirtualProtect(base + body, page, PAGE_NOACCESS, &old);
    at = base + body - data.size();
    if (!data.empty()) memcpy(at, data.data(), data.size());
    size = data.size();
  }
  ~Guarded() { VirtualFree(base, 0, MEM_RELEASE); }
  uint8_t *base, *at;
  size_t size;
};

} // namespace pictest
