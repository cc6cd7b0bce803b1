// The files project items carry, checked when compiling: what keeps a file
// from being of its kind (the text follows the file's name in a diagnostic),
// and a cursor file reduced to the form the runtime makes its cursors from.
#pragma once
#include "bytes.h"
#include <string>

namespace basc {

std::string picture_problem(const img::Bytes &b);  // a BMP, PNG or JPEG file
std::string sound_problem(const img::Bytes &b);    // 8-bit mono PCM WAVE at 22,050 Hz
std::string movie_problem(const img::Bytes &b);    // an AVI file with a video stream
std::string database_problem(const img::Bytes &b); // a database file, whole
std::string text_problem(const img::Bytes &b);     // text: no NUL bytes
std::string data_problem(const img::Bytes &b);     // any bytes will do
std::string cursor_problem(const img::Bytes &b);   // what cursor_body refuses

// The cursor body the runtime reads: 16 rows of image bits, 16 rows of mask
// bits (2 bytes a row, leftmost pixel in the top bit) and the hot spot as
// two i16 BE, vertical first.
constexpr size_t kCursorBodySize = 68;

// A Windows cursor file (.cur) whose first image is monochrome, 16 x 16 or
// 32 x 32 (then drawn within its top-left 16 x 16), as the cursor body.
// "" when it is one; otherwise what keeps it from being one.
std::string cursor_body(const img::Bytes &file, img::Bytes *body);

} // namespace basc
