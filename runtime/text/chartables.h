// The process's character tables and number separators, read from the
// platform: the lead bytes of the ANSI code page, the single-byte case and
// white-space tables, and the user's decimal and thousands separators.
#pragma once
#include "text/textlocale.h"

// Built once, on first use, by whichever thread comes first; never rebuilt.
const CharTables *chartables();

// The user's separators, read afresh on every call (the user may change them).
void numpunct_read(NumPunct *out);
