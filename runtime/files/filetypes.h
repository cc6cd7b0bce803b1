// The project's registered file types as the folder items use them: the
// type an entry matches best, and the file dialogs' filter built from a list
// of type names.
#pragma once
#include "text/string.h"
#include <cstdint>

enum { kFilterMax = 4096, kExtensionMax = 32 };

struct FileFilter {
  char text[kFilterMax];         // name NUL patterns NUL ..., ended by an extra NUL
  int32_t length;                // bytes of text in use, the final NUL included
  char extension[kExtensionMax]; // the first type's first extension, no dot; "" for none
};

// Builds the filter for a ";"-separated list of registered type names; names
// that match no type are skipped, and so is what does not fit. False when no
// type gave a filter entry.
bool filter_build(const char *typeNames, FileFilter *out);

// Whether a file of this name is of the registered type named typeName (case
// ignored): one of the type's extensions ends the name, or the type stands for
// any file. False when no type has that name.
bool filetype_matches(const char *typeName, const char *fileName);
