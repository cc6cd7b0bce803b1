// Test helpers: byte strings written as hex ("6a 05") and shown as hex in
// failure messages.
#pragma once
#include "bytes.h"
#include <cstdio>

inline img::Bytes hex(const char *text) {
  img::Bytes out;
  unsigned v;
  int n;
  while (std::sscanf(text, " %2x%n", &v, &n) == 1) {
    out.push_back(uint8_t(v));
    text += n;
  }
  return out;
}

inline std::string to_hex(const img::Bytes &b) {
  std::string s;
  char buf[4];
  for (uint8_t c : b) {
    std::snprintf(buf, sizeof buf, s.empty() ? "%02x" : " %02x", c);
    s += buf;
  }
  return s;
}
