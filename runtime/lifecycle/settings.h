// What RuntimeInit records for the running program: the project settings read
// from the image, the menu bar's stream, the stack limit and the start time.
#pragma once
#include "base/vector.h"
#include "objects/objects.h"
#include <windows.h>

// A file type the image declares, for the file dialogs.
struct FileType {
  RString *name, *creator, *type, *extensions;
};

struct ProjectSettings {
  uint8_t accessorFlag; // kept for the control property accessors
  int32_t characterSet; // the platform character set (from the script code)
  Vector fileTypes;     // FileType records, in order
  Vector messages;      // runtime message texts (RString); index 4: unhandled exception
  uint8_t mdi;          // the application runs inside one frame window
  RString *applicationName;
};

extern DWORD gStartTick; // platform milliseconds when RuntimeInit began
extern bool gRuntimeStarted;
extern uintptr_t gStackLimit; // RuntimeStackCheck raises below it
extern ProjectSettings gSettings;
extern const uint8_t *gMenuBarDescription; // the menu bar item's stream, kept for the menus
extern int32_t gMenuBarLength;
