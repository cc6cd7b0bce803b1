// The link table (code2): named imports, each the head of a fix-up chain of
// call sites in code1, and data references, code1 words that hold data1 offsets.
#pragma once
#include "bytes.h"

namespace img {

// A named import: the name and the code1 offset of the last call site's
// rel32 word, which starts the chain (0 = no site).
struct Import {
  std::string name;
  uint32_t head;
  bool operator==(const Import &) const = default;
};

// Kind 1 records for the imports in the order given, then kind 2 records for
// the data references. False with a message for a name over 255 bytes.
bool encode_link_table(const std::vector<Import> &imports, const std::vector<uint32_t> &data_refs,
                       Bytes *out, std::string *error);

// One decoded record, as the loader reads it.
struct LinkRecord {
  uint8_t kind;     // 1 named import, 2 data reference
  uint32_t value;   // kind 1: chain head; kind 2: code1 offset of the word
  std::string name; // kind 1 only
  size_t at;        // code2 offset of the kind byte
};

// Reads records from offset 0 to the end, skipping bytes other than 1 and 2
// one by one (they are counted in `stray` when given). False with a message
// when the table ends inside a record.
bool decode_link_table(const Bytes &table, std::vector<LinkRecord> *out, std::string *error,
                       size_t *stray = nullptr);

// The rel32 words of a fix-up chain from its head, in chain order. False with a
// message when a link leaves code1, is not the operand of an E8 call, or loops.
bool walk_chain(const Bytes &code1, uint32_t head, std::vector<uint32_t> *sites,
                std::string *error);

} // namespace img
