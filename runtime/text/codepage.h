// Converting text between code pages: bytes are decoded to UTF-16 and encoded
// again, through the platform's tables or, for UTF-8, UTF-16 and the Japanese
// EUC-JP and ISO-2022-JP, through the runtime's own converters.
#pragma once
#include "text/jiscode.h"

// The platform's ANSI code page for 0 (CP_ACP); other code pages as they are.
int32_t cp_resolve(int32_t cp);

// True when text in the code page can be converted (the platform knows it, or
// the runtime converts it itself).
bool cp_known(int32_t cp);

// Decodes n bytes after what carry holds. A sequence cut off by the end is
// kept in carry for the next call, or, when `last`, replaced as invalid.
// Invalid sequences become U+FFFD; a byte order mark that starts a UTF-8 or
// UTF-16 text (nothing carried, ISO set unused) is dropped.
void cp_decode(int32_t cp, CarryState *carry, const uint8_t *in, size_t n, bool last,
               std::vector<uint16_t> *out);

// Encodes UTF-16 text; characters the code page lacks become '?' (the
// platform's nearest-looking substitutes are not used).
void cp_encode(int32_t cp, const uint16_t *in, size_t n, std::vector<uint8_t> *out);

// Both at once: n bytes in `from` converted to `to`.
void cp_convert(int32_t from, int32_t to, CarryState *carry, const uint8_t *in, size_t n, bool last,
                std::vector<uint8_t> *out);

struct RString;

// A whole string converted from one code page to another (nothing carried
// before or after it); a new reference, nil for an empty result.
RString *str_convert(RString *s, int32_t from, int32_t to);
