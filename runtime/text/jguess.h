// Guessing which encoding a Japanese text is in, from its bytes alone.
#pragma once
#include <cstddef>
#include <cstdint>

// The code page of the text: UTF-8 or UTF-16 by a byte order mark;
// ISO-2022-JP (50220) by its escapes; otherwise whichever of UTF-8,
// Shift-JIS, EUC-JP (20932) and UTF-16LE decodes it without errors into the
// most plausible Japanese (kana and common kanji count most). A text of
// ASCII alone fits them all and answers `fallback`, as does an empty one.
int32_t guess_japanese(const uint8_t *text, size_t n, int32_t fallback);
