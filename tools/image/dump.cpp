// The image summary printed by the packer's dump command.
#include "dump.h"
#include <cstdio>

namespace img {

static std::string hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}

static void describe_links(const Image &im, std::string &s) {
  std::vector<LinkRecord> records;
  std::string error;
  size_t stray = 0;
  if (!decode_link_table(im.code2, &records, &error, &stray)) s += "link table: " + error + "\n";
  size_t refs = 0;
  for (const LinkRecord &r : records) {
    if (r.kind == 2) {
      refs++;
      continue;
    }
    std::vector<uint32_t> sites;
    std::string chain = walk_chain(im.code1, r.value, &sites, &error)
                            ? std::to_string(sites.size()) + " sites"
                            : error;
    s += "  import " + r.name + ": head " + hex(r.value) + ", " + chain + "\n";
  }
  s += "  data references: " + std::to_string(refs) + "\n";
  if (stray) s += "  stray bytes: " + std::to_string(stray) + "\n";
}

static void describe_relocs(const Image &im, std::string &s) {
  std::vector<RelocRecord> records = decode_relocs(im.data2);
  size_t count[5] = {};
  for (const RelocRecord &r : records) count[int(r.op)]++;
  uint32_t end;
  std::vector<Reloc> words = reloc_words(records, &end);
  size_t code = 0;
  for (const Reloc &w : words) code += w.kind == RelocKind::Code;
  s += "  relocation records: " + std::to_string(records.size()) + " (" + std::to_string(count[0]) +
       " skips, " + std::to_string(count[1]) + " code runs, " + std::to_string(count[2]) +
       " data runs, " + std::to_string(count[3]) + " second-form code runs, " +
       std::to_string(count[4]) + " ignored)\n";
  s += "  relocated words: " + std::to_string(words.size()) + " (" + std::to_string(code) +
       " code, " + std::to_string(words.size() - code) + " data); cursor ends at " + hex(end) +
       "\n";
}

std::string describe_image(const Image &im) {
  std::string s = "code1 " + std::to_string(im.code1.size()) + " bytes, code2 " +
                  std::to_string(im.code2.size()) + ", data1 " + std::to_string(im.data1.size()) +
                  ", data2 " + std::to_string(im.data2.size()) + "\n";
  describe_links(im, s);
  describe_relocs(im, s);
  if (im.data1.size() >= 8)
    s += "  entry routine: code1 " + hex(get_u32(&im.data1[0])) + "; class directory: data1 " +
         hex(get_u32(&im.data1[4])) + "\n";
  return s;
}

} // namespace img
