// A readable summary of an image: block sizes, imports with their call-site
// counts, data references, the relocation list and the entry routine.
#pragma once
#include "image.h"

namespace img {

std::string describe_image(const Image &image);

} // namespace img
