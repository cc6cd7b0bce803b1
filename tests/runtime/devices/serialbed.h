// Where the serial test bed keeps its files (the fixture's folder, given in
// MORVINT_SERIAL_STATE), as Windows paths: the Z: drive is the root.
#pragma once
#include <cstdlib>
#include <string>

inline std::string serial_bed_path(const char *name) {
  const char *state = getenv("MORVINT_SERIAL_STATE");
  std::string path = std::string("Z:") + (state ? state : "/nonexistent") + "/" + name;
  for (char &c : path)
    if (c == '/') c = '\\';
  return path;
}
