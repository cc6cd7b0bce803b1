// The relocation list: encoder (skips and runs from a set of words) and the
// decoder that reads it back the way the loader does.
#include "reloc.h"
#include <algorithm>

namespace img {

static const uint32_t kMaxSkip = 4096; // bytes in one skip record
static const uint32_t kMaxRun = 512;   // words in one run record

static void put_skips(Bytes &out, uint32_t gap) {
  while (gap) {
    uint32_t n = std::min(gap, kMaxSkip);
    put_u16(out, uint16_t(0x8000 | (n - 1)));
    gap -= n;
  }
}

// Words from `i` on that continue the run: contiguous and of the same kind.
static size_t run_length(const std::vector<Reloc> &w, size_t i) {
  size_t n = 1;
  while (i + n < w.size() && n < kMaxRun && w[i + n].kind == w[i].kind &&
         w[i + n].offset == w[i].offset + 4 * n)
    n++;
  return n;
}

bool encode_relocs(std::vector<Reloc> words, uint32_t data1_size, Bytes *out, std::string *error) {
  std::sort(words.begin(), words.end(),
            [](const Reloc &a, const Reloc &b) { return a.offset < b.offset; });
  out->clear();
  uint32_t cursor = 0;
  for (size_t i = 0; i < words.size();) {
    const Reloc &r = words[i];
    if (r.offset < cursor) {
      *error = "relocation: word at data1 offset " + std::to_string(r.offset) +
               " overlaps the previous one";
      return false;
    }
    if (r.offset > data1_size || data1_size - r.offset < 4) {
      *error = "relocation: word at data1 offset " + std::to_string(r.offset) +
               " is outside data1 (" + std::to_string(data1_size) + " bytes)";
      return false;
    }
    put_skips(*out, r.offset - cursor);
    size_t n = run_length(words, i);
    put_u16(*out, uint16_t((r.kind == RelocKind::Code ? 0x4000 : 0x4200) | (n - 1)));
    cursor = r.offset + 4 * uint32_t(n);
    i += n;
  }
  put_skips(*out, data1_size - cursor); // the cursor ends at the end of data1
  return true;
}

static RelocRecord decode_one(uint16_t h) {
  if ((h & 0xF000) == 0x8000) return {RelocOp::Skip, uint32_t(h & 0x0FFF) + 1, h};
  uint32_t words = uint32_t(h & 0x01FF) + 1;
  switch (h & 0xFE00) {
  case 0x4000:
    return {RelocOp::CodeRun, words, h};
  case 0x4200:
    return {RelocOp::DataRun, words, h};
  case 0x4600:
    return {RelocOp::CodeRun2, words, h};
  }
  return {RelocOp::Ignored, 0, h};
}

std::vector<RelocRecord> decode_relocs(const Bytes &list) {
  std::vector<RelocRecord> records;
  for (size_t i = 0; i + 2 <= list.size(); i += 2) records.push_back(decode_one(get_u16(&list[i])));
  return records;
}

std::vector<Reloc> reloc_words(const std::vector<RelocRecord> &records, uint32_t *end_cursor) {
  std::vector<Reloc> words;
  uint32_t cursor = 0;
  for (const RelocRecord &r : records) {
    if (r.op == RelocOp::Skip) cursor += r.count;
    if (r.op == RelocOp::Skip || r.op == RelocOp::Ignored) continue;
    RelocKind kind = r.op == RelocOp::DataRun ? RelocKind::Data : RelocKind::Code;
    for (uint32_t k = 0; k < r.count; k++, cursor += 4) words.push_back({cursor, kind});
  }
  if (end_cursor) *end_cursor = cursor;
  return words;
}

} // namespace img
