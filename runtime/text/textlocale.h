// The locale facts the text code works from, as plain records: the character
// tables of the ANSI code page and the number separators. The Win32 runtime
// fills them from the platform (chartables.cpp); native tests fill them by hand.
#pragma once
#include <cstdint>

struct CharTables {
  uint8_t lead[256];  // 1 when the byte starts a double-byte character
  uint8_t upper[256]; // each byte upper-cased alone (single-byte code pages)
  uint8_t lower[256]; // each byte lower-cased alone (single-byte code pages)
  uint8_t space[256]; // 1 for a space or blank byte (single-byte code pages)
  bool dbcs;          // some byte is a lead byte: characters are counted
  uint32_t codePage;  // the ANSI code page the tables describe
};

struct NumPunct {
  char decimal[4];   // the decimal separator: up to 3 bytes and a NUL
  char thousands[4]; // the thousands separator, the same way
};
