// Runtime initialisation: the class directory of the image turned into the
// application's class table, the project items, the project settings, and the
// application object with its opening events.
#pragma once
#include "lifecycle/settings.h"
#include "objects/objects.h"
#include <windows.h>

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

// A project cursor: its 68-byte body (16 rows of 2 bytes of image bits, 16 of
// mask bits, the hot spot as i16 BE, vertical first) as a platform cursor.
HCURSOR cursor_from_body(const uint8_t *body);

extern "C" void RuntimeInit(const uint8_t *classDirectory);
