// The resource block: writer and the index lookup the runtime performs.
#include "resources.h"

namespace img {

Bytes encode_resource_block(const std::vector<Bytes> &entries) {
  Bytes out;
  put_u32be(out, uint32_t(entries.size()));
  uint32_t off = 0;
  for (const Bytes &e : entries) {
    put_u32be(out, off);
    off += uint32_t(e.size());
  }
  for (const Bytes &e : entries) put_bytes(out, e);
  return out;
}

bool resource_entry(const Bytes &block, int32_t index, size_t *at, std::string *error) {
  if (block.size() < 4) return *error = "resources: block has no count", false;
  uint32_t count = get_u32be(block.data());
  if (index <= 0 || uint32_t(index) > count)
    return *error = "resources: no entry " + std::to_string(index), false;
  uint64_t table_end = 4 + 4 * uint64_t(count);
  if (table_end > block.size()) return *error = "resources: offset table is cut short", false;
  uint64_t pos = table_end + get_u32be(&block[4 * size_t(index)]);
  if (pos > block.size())
    return *error = "resources: entry " + std::to_string(index) + " is outside the block", false;
  *at = size_t(pos);
  return true;
}

} // namespace img
