// Colours from and to their parts (RGB bytes, HSV and CMY fractions from 0
// to 1), the theme colours from the system colours, and the colour dialog.
#include "graphics/colour.h"
#include <cmath>
#include <commdlg.h>

static int32_t clampByte(int32_t v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
static double clampUnit(double v) { return !(v > 0) ? 0 : v > 1 ? 1 : v; } /* NaN gives 0 */
static int32_t unitToByte(double v) { return (int32_t)lround(clampUnit(v) * 255); }

static int32_t pack(int32_t r, int32_t g, int32_t b) {
  return clampByte(r) << 16 | clampByte(g) << 8 | clampByte(b);
}

int32_t RuntimeRGB(int32_t red, int32_t green, int32_t blue) { return pack(red, green, blue); }

int32_t readColorRed(int32_t c) { return (c >> 16) & 0xFF; }
int32_t readColorGreen(int32_t c) { return (c >> 8) & 0xFF; }
int32_t readColorBlue(int32_t c) { return c & 0xFF; }

/* ---- HSV: hue as a fraction of the circle, from red through green and blue ---- */

int32_t RuntimeHSV(double hue, double saturation, double value) {
  double h = hue - floor(hue); /* the circle wraps: 1.25 is 0.25 */
  if (!std::isfinite(h)) h = 0;
  double s = clampUnit(saturation), v = clampUnit(value);
  double sector = h * 6;
  int i = (int)sector % 6;
  double f = sector - floor(sector);
  double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  double r, g, b;
  switch (i) {
  case 0:
    r = v, g = t, b = p;
    break;
  case 1:
    r = q, g = v, b = p;
    break;
  case 2:
    r = p, g = v, b = t;
    break;
  case 3:
    r = p, g = q, b = v;
    break;
  case 4:
    r = t, g = p, b = v;
    break;
  default:
    r = v, g = p, b = q;
    break;
  }
  return pack(unitToByte(r), unitToByte(g), unitToByte(b));
}

struct Hsv {
  double h, s, v;
};

static Hsv toHsv(int32_t c) {
  double r = readColorRed(c) / 255.0, g = readColorGreen(c) / 255.0, b = readColorBlue(c) / 255.0;
  double max = fmax(r, fmax(g, b)), min = fmin(r, fmin(g, b)), range = max - min;
  Hsv out = {0, max > 0 ? range / max : 0, max};
  if (range > 0) {
    double h = max == r ? (g - b) / range : max == g ? 2 + (b - r) / range : 4 + (r - g) / range;
    out.h = h < 0 ? (h + 6) / 6 : h / 6;
  }
  return out;
}

double readColorHue(int32_t c) { return toHsv(c).h; }
double readColorSaturation(int32_t c) { return toHsv(c).s; }
double readColorValue(int32_t c) { return toHsv(c).v; }

/* ---- CMY: the complements of the RGB parts ---- */

int32_t RuntimeCMY(double cyan, double magenta, double yellow) {
  return pack(255 - unitToByte(cyan), 255 - unitToByte(magenta), 255 - unitToByte(yellow));
}

double readColorCyan(int32_t c) { return 1 - readColorRed(c) / 255.0; }
double readColorMagenta(int32_t c) { return 1 - readColorGreen(c) / 255.0; }
double readColorYellow(int32_t c) { return 1 - readColorBlue(c) / 255.0; }

/* ---- theme colours ---- */

static int32_t system(int index) { return colour_from_platform(GetSysColor(index)); }

int32_t getFrameColor() { return system(COLOR_WINDOWFRAME); }
int32_t getFillColor() { return system(COLOR_BTNFACE); }
int32_t getTextColor() { return system(COLOR_BTNTEXT); }
int32_t getHilightColor() { return system(COLOR_HIGHLIGHT); }
int32_t getLightTingeColor() { return system(COLOR_3DLIGHT); }
int32_t getDarkTingeColor() { return system(COLOR_3DSHADOW); }
int32_t getLightBevelColor() { return system(COLOR_3DHILIGHT); }
int32_t getDarkBevelColor() { return system(COLOR_3DDKSHADOW); }

/* ---- the colour dialog ---- */

// The dialog shows the prompt as its title.
static UINT_PTR CALLBACK titleHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const char *prompt = (const char *)((CHOOSECOLORA *)lParam)->lCustData;
    if (prompt && *prompt) SetWindowTextA(dialog, prompt);
  }
  return 0;
}

// Shows the platform's colour dialog over the active window, starting from
// *colour; true with *colour changed when the user chose one.
bool selectColor(int32_t *colour, RString *prompt) {
  if (!colour) return false;
  static COLORREF custom[16];
  CHOOSECOLORA choose = {};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = GetActiveWindow();
  choose.rgbResult = colour_to_platform(*colour);
  choose.lpCustColors = custom;
  choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK;
  choose.lCustData = (LPARAM)str_cview(prompt);
  choose.lpfnHook = titleHook;
  if (!ChooseColorA(&choose)) return false;
  *colour = colour_from_platform(choose.rgbResult);
  return true;
}
