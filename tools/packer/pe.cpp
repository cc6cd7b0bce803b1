// PE resource lookup: headers, section table, and the three levels of the
// resource directory, every read bounded by the file.
#include "pe.h"
#include <algorithm>
#include <cstring>

namespace pe {

using img::Bytes;
using img::get_u16;
using img::get_u32;

namespace {

struct Section {
  uint32_t va, vsize, raw_size, raw_at;
};

struct Pe {
  const Bytes &f;
  std::vector<Section> sections;
  uint32_t res_rva = 0, exp_rva = 0;
  std::string *error;

  bool fail(const std::string &msg) {
    *error = msg;
    return false;
  }
  bool has(uint64_t at, uint64_t n) const { return at + n <= f.size(); }
  bool headers();
  bool map(uint32_t rva, uint32_t n, uint32_t *at);
  bool res_u32(uint32_t rel, uint32_t *v);
  bool name_is(uint32_t rel, std::string_view want, bool *equal);
  bool find_entry(uint32_t dir, std::string_view name, int id, uint32_t *target);
};

bool Pe::headers() {
  if (!has(0, 0x40) || f[0] != 'M' || f[1] != 'Z') return fail("not a PE file (no MZ header)");
  uint32_t pe = get_u32(&f[0x3C]);
  if (!has(pe, 24) || get_u32(&f[pe]) != 0x00004550) return fail("not a PE file (no PE header)");
  uint32_t nsec = get_u16(&f[pe + 6]), opt = pe + 24, opt_size = get_u16(&f[pe + 20]);
  if (!has(opt, opt_size) || opt_size < 2) return fail("PE optional header is cut short");
  uint16_t magic = get_u16(&f[opt]);
  uint32_t dirs = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0; // PE32 or PE32+
  if (!dirs) return fail("PE optional header has an unknown magic number");
  uint32_t ndirs =
      opt_size < dirs ? 0 : std::min((opt_size - dirs) / 8, get_u32(&f[opt + dirs - 4]));
  if (ndirs >= 1) exp_rva = get_u32(&f[opt + dirs]);
  if (ndirs >= 3) res_rva = get_u32(&f[opt + dirs + 2 * 8]);
  uint32_t table = opt + opt_size;
  if (!has(table, uint64_t(nsec) * 40)) return fail("PE section table is cut short");
  for (uint32_t i = 0; i < nsec; i++) {
    const uint8_t *s = &f[table + 40 * i];
    sections.push_back({get_u32(s + 12), get_u32(s + 8), get_u32(s + 16), get_u32(s + 20)});
  }
  return true;
}

// File offset of n bytes at an RVA; they must lie in one section's file data.
bool Pe::map(uint32_t rva, uint32_t n, uint32_t *at) {
  for (const Section &s : sections) {
    if (rva < s.va || uint64_t(rva) - s.va + n > s.raw_size) continue;
    uint64_t off = uint64_t(s.raw_at) + (rva - s.va);
    if (!has(off, n)) break;
    *at = uint32_t(off);
    return true;
  }
  return fail("PE data at RVA " + std::to_string(rva) + " is not in the file");
}

// A word of the resource tree, by its offset from the tree's start.
bool Pe::res_u32(uint32_t rel, uint32_t *v) {
  uint32_t at;
  if (!map(res_rva + rel, 4, &at)) return false;
  *v = get_u32(&f[at]);
  return true;
}

// Whether the directory string at `rel` (u16 count, UTF-16LE) equals `want`.
bool Pe::name_is(uint32_t rel, std::string_view want, bool *equal) {
  uint32_t at;
  if (!map(res_rva + rel, 2, &at)) return false;
  uint32_t n = get_u16(&f[at]);
  *equal = false;
  if (n != want.size()) return true;
  if (!map(res_rva + rel + 2, 2 * n, &at)) return false;
  for (uint32_t i = 0; i < n; i++) {
    uint16_t c = get_u16(&f[at + 2 * i]);
    if (c >= 'a' && c <= 'z') c = uint16_t(c - 32);
    char w = want[i] >= 'a' && want[i] <= 'z' ? char(want[i] - 32) : want[i];
    if (c != uint8_t(w)) return true;
  }
  *equal = true;
  return true;
}

// The target word of the entry of directory `dir` named `name`, or with id `id`
// (when id >= 0), or the first entry (id < 0 and empty name); 0 when absent.
bool Pe::find_entry(uint32_t dir, std::string_view name, int id, uint32_t *target) {
  uint32_t counts;
  if (!res_u32(dir + 12, &counts)) return false;
  uint32_t named = counts & 0xFFFF, total = named + (counts >> 16);
  *target = 0;
  for (uint32_t i = 0; i < total; i++) {
    uint32_t key, to;
    if (!res_u32(dir + 16 + 8 * i, &key) || !res_u32(dir + 20 + 8 * i, &to)) return false;
    bool match = name.empty() && id < 0;
    if (!name.empty() && (key & 0x80000000u) && !name_is(key & 0x7FFFFFFF, name, &match))
      return false;
    if (id >= 0 && !(key & 0x80000000u)) match = (key & 0xFFFF) == uint32_t(id);
    if (match) {
      *target = to;
      return true;
    }
  }
  return true;
}

} // namespace

bool find_resource(const Bytes &file, std::string_view type, uint16_t id, ResourceSpot *out,
                   std::string *error) {
  Pe p{file, {}, 0, 0, error};
  if (!p.headers()) return false;
  if (!p.res_rva) return p.fail("the PE file has no resource directory");
  std::string what = "resource " + std::string(type) + "/" + std::to_string(id);
  uint32_t types, names, langs, entry[2], at;
  if (!p.find_entry(0, type, -1, &types)) return false;
  if (!(types & 0x80000000u)) return p.fail("the PE file has no " + what);
  if (!p.find_entry(types & 0x7FFFFFFF, {}, id, &names)) return false;
  if (!(names & 0x80000000u)) return p.fail("the PE file has no " + what);
  if (!p.find_entry(names & 0x7FFFFFFF, {}, -1, &langs)) return false;
  if (!langs || (langs & 0x80000000u)) return p.fail("the PE file has no data for " + what);
  if (!p.res_u32(langs, &entry[0]) || !p.res_u32(langs + 4, &entry[1])) return false;
  if (!p.map(entry[0], entry[1], &at)) return false;
  *out = {at, entry[1]};
  return true;
}

// The export directory: a table of name RVAs sorted by name, an ordinal for
// each, and the function table the ordinals index.
bool find_export(const Bytes &file, std::string_view name, ExportSpot *out, std::string *error) {
  Pe p{file, {}, 0, 0, error};
  *out = {};
  if (!p.headers()) return false;
  if (!p.exp_rva) return true; /* exports nothing */
  uint32_t dir;
  if (!p.map(p.exp_rva, 40, &dir)) return false;
  uint32_t functions = get_u32(&file[dir + 20]), names = get_u32(&file[dir + 24]);
  uint32_t functionTable = get_u32(&file[dir + 28]), nameTable = get_u32(&file[dir + 32]);
  uint32_t ordinalTable = get_u32(&file[dir + 36]);
  for (uint32_t i = 0; i < names; i++) {
    uint32_t at, text, ordinalAt, functionAt;
    if (!p.map(nameTable + 4 * i, 4, &at) || !p.map(get_u32(&file[at]), 1, &text)) return false;
    size_t end = text;
    while (end < file.size() && file[end] && end - text <= name.size()) end++;
    if (end - text != name.size() || std::memcmp(&file[text], name.data(), name.size())) continue;
    if (!p.map(ordinalTable + 2 * i, 2, &ordinalAt)) return false;
    uint32_t ordinal = get_u16(&file[ordinalAt]);
    if (ordinal >= functions)
      return p.fail("the PE export " + std::string(name) + " has no address");
    if (!p.map(functionTable + 4 * ordinal, 4, &functionAt)) return false;
    uint32_t rva = get_u32(&file[functionAt]);
    for (const Section &s : p.sections) {
      if (rva < s.va || rva - s.va >= s.raw_size || uint64_t(s.raw_at) + s.raw_size > file.size())
        continue;
      *out = {true, s.raw_at + (rva - s.va), s.raw_size - (rva - s.va)};
      return true;
    }
    return p.fail("the PE export " + std::string(name) + " is not in the file");
  }
  return true;
}

} // namespace pe
