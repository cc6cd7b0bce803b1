// A minimal PE32 file built in memory for the packer's tests: one .rsrc
// section holding one resource of a named type and a numeric id.
#pragma once
#include "bytes.h"

struct SyntheticPe {
  std::string type = "PICKLE";
  uint16_t id = 101;
  img::Bytes data = img::bytes_of(std::string("PICK\0\0\0\0", 8));
  img::Bytes build() const;
};
