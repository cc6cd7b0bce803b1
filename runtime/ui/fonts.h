// The two text services every pane uses: the font name mapping with the
// process-wide font cache, and the system colours of the theme indices.
#pragma once
#include "graphics/fontface.h"
#include <windows.h>
#include <cstdint>

struct RString;

// A font by (mapped face, size, bold, italic, underline): equal requests
// share one platform font, counted. Size 0 is the default, 12 pixels.
HFONT font_acquire(const char *name, int size, bool bold, bool italic, bool underline);
void font_release(HFONT font);
// The same for a control's TextFont, whose empty text is the system font.
const char *font_control_face(RString *textFont); // mapped
HFONT font_acquire_control(RString *textFont, int size, bool bold, bool italic, bool underline);
int font_cache_count(); // fonts held, for tests

// Theme colour indices: 1 button face, 2 button text, 3 light grey, 4 dark
// grey, 5 button highlight, 6 button shadow.
struct SystemColour {
  int32_t rgb;               // 0x00RRGGBB
  uint16_t red, green, blue; // each 8-bit channel times 257
};
SystemColour system_colour(int index);
