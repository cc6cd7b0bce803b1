// Source text in the application's code page. Programs are written in UTF-8
// (or already in code page 932); the image holds their texts in 932, the
// Shift-JIS code page the runtime's windows and strings use.
#pragma once
#include "diag.h"
#include <string>

namespace basc {

// The text in code page 932: valid UTF-8 with characters beyond ASCII is
// converted; anything else is taken as already being in that code page. A
// character the code page lacks is an error at its line and column.
std::string to_code_page(const std::string *file, const std::string &text);

} // namespace basc
