// Runtime initialisation: the class directory of the image turned into the
// application's class table, the project items, the project settings, and the
// application object with its opening events.
#pragma once
#include "objects/objects.h"
#include "base/vector.h"
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

// The platform character set for a script code of the settings.
int32_t charset_for_script(int32_t script);

// Splits a command line into document items: a double quote starts an item
// that runs to the next double quote (or the end); spaces between items are
// skipped; anything else starts an item that runs to the next space. Calls
// visit(item, context) for each; returns the number of items.
int split_command_line(const char *line, void (*visit)(RString *item, void *context),
                       void *context);

// The built-in classes with everything the subsystems attach to them (their
// constructors, destructors and the controls' CreatePane handlers), and the
// plug-in layer connected to the routines it needs above it. Once a process;
// RuntimeInit starts with it.
void runtime_classes_init();

extern "C" void RuntimeInit(const uint8_t *classDirectory);
