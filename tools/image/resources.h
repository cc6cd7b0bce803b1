// The resource block (data3): project resources by index, as a big-endian
// count, big-endian offsets counted from the end of the offset table, bodies.
#pragma once
#include "bytes.h"

namespace img {

Bytes encode_resource_block(const std::vector<Bytes> &entries);

// Block offset of entry `index` (counting from 1). False with a message when
// the index is out of range or the table or the entry lies outside the block.
bool resource_entry(const Bytes &block, int32_t index, size_t *at, std::string *error);

} // namespace img
