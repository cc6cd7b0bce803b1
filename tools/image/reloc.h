// The relocation list (data2): which 32-bit words of data1 get the code base
// or the data base added at load time, as skips and runs of u16 halfwords.
#pragma once
#include "bytes.h"

namespace img {

enum class RelocKind : uint8_t { Code, Data };

// One relocated word of data1.
struct Reloc {
  uint32_t offset; // data1 offset of the word
  RelocKind kind;  // base added to it
  bool operator==(const Reloc &) const = default;
};

// Encodes words (any order, no two overlapping, each inside data1) as skips
// of 1..4096 bytes and runs of 1..512 words; a final skip brings the cursor to
// the end of data1. False with a message when a word overlaps another or
// leaves data1.
bool encode_relocs(std::vector<Reloc> words, uint32_t data1_size, Bytes *out, std::string *error);

// One record of a decoded list, as the loader reads it.
enum class RelocOp : uint8_t { Skip, CodeRun, DataRun, CodeRun2, Ignored };
struct RelocRecord {
  RelocOp op;
  uint32_t count;    // bytes skipped, or words relocated; 0 when ignored
  uint16_t halfword; // the record as stored
};

// Decodes the halfwords; an odd final byte is ignored, as the loader does.
std::vector<RelocRecord> decode_relocs(const Bytes &list);

// Applies decoded records to a cursor starting at 0: the relocated words in
// order (CodeRun2 reported as Code) and the cursor's final position.
std::vector<Reloc> reloc_words(const std::vector<RelocRecord> &records, uint32_t *end_cursor);

} // namespace img
