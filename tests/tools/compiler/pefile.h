// A minimal 32-bit PE library written by the tests: headers, one section
// holding an export directory that exports one data symbol, and that
// symbol's bytes. Enough for the compiler to find a plug-in's declarations.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace pefile {

inline void put16(std::vector<uint8_t> &b, size_t at, uint32_t v) {
  b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8);
}
inline void put32(std::vector<uint8_t> &b, size_t at, uint32_t v) {
  put16(b, at, v & 0xFFFF), put16(b, at + 2, v >> 16);
}

// A library exporting `symbol` whose bytes are `data` (written as given: a
// text without its NUL runs to the end of the section).
inline std::vector<uint8_t> library(const std::string &symbol, const std::string &data) {
  const uint32_t rawAt = 0x200, va = 0x1000, opt = 0x58;
  std::vector<uint8_t> s(0x40 + symbol.size() + 1); /* the section: directory, tables, name */
  put32(s, 12, va + 0x40);                          /* the library's name: the symbol's will do */
  put32(s, 16, 1);                                  /* ordinal base */
  put32(s, 20, 1);                                  /* functions */
  put32(s, 24, 1);                                  /* names */
  put32(s, 28, va + 0x28), put32(s, 32, va + 0x2C), put32(s, 36, va + 0x30);
  uint32_t dataRva = va + uint32_t(s.size());
  put32(s, 0x28, dataRva);
  put32(s, 0x2C, va + 0x40);
  put16(s, 0x30, 0);
  std::memcpy(&s[0x40], symbol.c_str(), symbol.size() + 1);
  s.insert(s.end(), data.begin(), data.end());
  std::vector<uint8_t> f(rawAt + s.size());
  f[0] = 'M', f[1] = 'Z';
  put32(f, 0x3C, 0x40);
  std::memcpy(&f[0x40], "PE\0\0", 4);
  put16(f, 0x44, 0x14C);  /* i386 */
  put16(f, 0x46, 1);      /* one section */
  put16(f, 0x54, 0xE0);   /* optional header size */
  put16(f, 0x56, 0x2102); /* an executable DLL */
  put16(f, opt, 0x10B);   /* PE32 */
  put32(f, opt + 92, 16); /* data directories */
  put32(f, opt + 96, va); /* exports */
  put32(f, opt + 100, 0x40);
  size_t sec = opt + 0xE0;
  std::memcpy(&f[sec], ".rdata", 6);
  put32(f, sec + 8, uint32_t(s.size()));
  put32(f, sec + 12, va);
  put32(f, sec + 16, uint32_t(s.size()));
  put32(f, sec + 20, rawAt);
  std::memcpy(&f[rawAt], s.data(), s.size());
  return f;
}

} // namespace pefile
