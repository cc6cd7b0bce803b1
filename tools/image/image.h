// The application image: its four blocks, linking the code and data builders
// into them, and the structural check that an image is safe to load.
#pragma once
#include "data1.h"
#include "x86.h"

namespace img {

struct Image {
  Bytes code1; // compiled code
  Bytes code2; // link table
  Bytes data1; // data; word 0 entry routine, word 1 class directory
  Bytes data2; // relocation list for data1
  bool operator==(const Image &) const = default;
};

// Resolves labels and data references and writes the four blocks. False with
// a message for an unbound label, a missing entry routine, or an oversized
// import name.
bool link_image(const Code &code, const Data &data, Image *out, std::string *error);

// Checks what the loader relies on: the link table decodes, every fix-up chain
// runs through E8 call sites inside code1 without loops or sharing, data
// references lie inside code1 and hold data1 offsets, relocated words lie in
// data1, and word 0 is code-relocated and points into code1.
bool verify_image(const Image &image, std::string *error);

} // namespace img
