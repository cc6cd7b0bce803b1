// The synthetic PE: DOS and PE headers, a section table with .rsrc, and a
// three-level resource tree (type, id, language) with one data entry.
#include "synthetic_pe.h"

using namespace img;

static const uint32_t kRsrcRva = 0x1000, kRsrcAt = 0x200, kRsrcSize = 0x200;

static void put_u16at(Bytes &b, size_t at, uint16_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}

// Directory header at `at` with its entry counts; entries follow at at + 16.
static void directory(Bytes &r, size_t at, uint16_t named, uint16_t ids) {
  put_u16at(r, at + 12, named);
  put_u16at(r, at + 14, ids);
}

static Bytes resource_tree(const SyntheticPe &pe) {
  Bytes r(kRsrcSize, 0);
  directory(r, 0, 1, 1); // root: the named type, then a numeric type 24
  set_u32(r, 16, 0x80000000u | 96);
  set_u32(r, 20, 0x80000000u | 32);
  set_u32(r, 24, 24);
  set_u32(r, 28, 0x80000000u | 32);
  directory(r, 32, 0, 1); // names: the id
  set_u32(r, 48, pe.id);
  set_u32(r, 52, 0x80000000u | 56);
  directory(r, 56, 0, 1); // languages: Japanese
  set_u32(r, 72, 0x411);
  set_u32(r, 76, 80);
  set_u32(r, 80, kRsrcRva + 160); // data entry: RVA, size
  set_u32(r, 84, uint32_t(pe.data.size()));
  put_u16at(r, 96, uint16_t(pe.type.size())); // type name, UTF-16LE
  for (size_t i = 0; i < pe.type.size(); i++) put_u16at(r, 98 + 2 * i, uint8_t(pe.type[i]));
  for (size_t i = 0; i < pe.data.size(); i++) r[160 + i] = pe.data[i];
  return r;
}

Bytes SyntheticPe::build() const {
  Bytes f(kRsrcAt, 0);
  f[0] = 'M';
  f[1] = 'Z';
  set_u32(f, 0x3C, 0x40);
  set_u32(f, 0x40, 0x00004550); // "PE\0\0"
  put_u16at(f, 0x44, 0x14C);    // i386
  put_u16at(f, 0x46, 1);        // one section
  put_u16at(f, 0x54, 0xE0);     // optional header size
  const size_t opt = 0x58;
  put_u16at(f, opt, 0x10B); // PE32
  set_u32(f, opt + 92, 16); // data directories
  set_u32(f, opt + 96 + 16, kRsrcRva);
  set_u32(f, opt + 96 + 20, kRsrcSize);
  const size_t sec = opt + 0xE0;
  for (int i = 0; i < 5; i++) f[sec + i] = uint8_t(".rsrc"[i]);
  set_u32(f, sec + 8, kRsrcSize);
  set_u32(f, sec + 12, kRsrcRva);
  set_u32(f, sec + 16, kRsrcSize);
  set_u32(f, sec + 20, kRsrcAt);
  put_bytes(f, resource_tree(*this));
  return f;
}
