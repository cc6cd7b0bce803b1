// The font name mapping: a fixed table of classic names and the faces that
// stand for them on this platform.
#include "graphics/fontface.h"
#include <cstring>
#include <windows.h>

static const struct {
  const char *given, *face;
} kFaces[] = {
    {"System", "MS Sans Serif"}, {"Application", "MS Sans Serif"}, {"Geneva", "MS Sans Serif"},
    {"Courier", "Courier New"},  {"Times", "Times New Roman"},     {"Helvetica", "Arial"},
    {"Osaka", "MS UI Gothic"},
};

const char *font_face(const char *name) {
  for (auto &f : kFaces)
    if (!_stricmp(name, f.given)) return f.face;
  return name;
}
