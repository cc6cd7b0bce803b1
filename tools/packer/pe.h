// Finding a resource's bytes in a PE file held in memory: the resource
// directory tree (type, name, language) and RVA-to-file-offset mapping.
#pragma once
#include "bytes.h"

namespace pe {

struct ResourceSpot {
  uint32_t file_offset; // where the resource's bytes start in the file
  uint32_t size;        // their number
};

// The resource with named type `type` (compared without regard to ASCII case)
// and numeric id `id`, first language. False with a message when the file is
// no PE, has no such resource, or a structure points outside the file.
bool find_resource(const img::Bytes &file, std::string_view type, uint16_t id, ResourceSpot *out,
                   std::string *error);

} // namespace pe
