// Finding a resource's or an export's bytes in a PE file held in memory: the
// resource directory tree (type, name, language), the export directory, and
// RVA-to-file-offset mapping.
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

// Where an exported symbol's bytes lie in the file: from `file_offset` to the
// end of its section's file data (`available` bytes).
struct ExportSpot {
  bool found = false;
  uint32_t file_offset = 0;
  uint32_t available = 0;
};

// The export named `name` (compared exactly). True with found = false when
// the file is a PE file without that export; false with a message when it is
// no PE file or a structure points outside the file.
bool find_export(const img::Bytes &file, std::string_view name, ExportSpot *out,
                 std::string *error);

} // namespace pe
