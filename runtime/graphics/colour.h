// Colours as compiled code sees them: 0xRRGGBB integers, built from RGB, HSV
// or CMY parts and read back as parts; the system's theme colours; the
// platform's colour dialog.
#pragma once
#include "objects/objects.h"
#include "text/string.h"
#include <cstdint>
#include <windows.h>

// A language colour (0xRRGGBB) as a platform colour (0x00BBGGRR) and back.
inline COLORREF colour_to_platform(int32_t c) {
  return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}
inline int32_t colour_from_platform(COLORREF c) {
  return (int32_t)(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
}

extern "C" {
int32_t RuntimeRGB(int32_t red, int32_t green, int32_t blue);
int32_t RuntimeHSV(double hue, double saturation, double value);
int32_t RuntimeCMY(double cyan, double magenta, double yellow);
int32_t readColorRed(int32_t colour);
int32_t readColorGreen(int32_t colour);
int32_t readColorBlue(int32_t colour);
double readColorHue(int32_t colour);
double readColorSaturation(int32_t colour);
double readColorValue(int32_t colour);
double readColorCyan(int32_t colour);
double readColorMagenta(int32_t colour);
double readColorYellow(int32_t colour);
bool selectColor(int32_t *colour, RString *prompt);
int32_t getFrameColor();
int32_t getFillColor();
int32_t getTextColor();
int32_t getHilightColor();
int32_t getLightTingeColor();
int32_t getDarkTingeColor();
int32_t getLightBevelColor();
int32_t getDarkBevelColor();
int32_t getFontCount();
RString *getFontName(int32_t index);
Object *getFontTextEncoding(RString *name);
}
