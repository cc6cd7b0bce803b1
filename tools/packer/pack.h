// Packing: appends an image (and optionally a resource block) to the runtime
// executable and writes their file offsets into its image header resource.
#pragma once
#include "image.h"

namespace pack {

// The runtime with the resource block and the image appended. The runtime must
// be a PE file whose resource PICKLE/101 is 8 bytes beginning "PICK" (no image
// appended yet). False with a message otherwise.
bool pack_image(const img::Bytes &runtime, const img::Image &image, const img::Bytes *resources,
                img::Bytes *out, std::string *error);

} // namespace pack
