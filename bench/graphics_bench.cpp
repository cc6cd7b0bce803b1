// Drawing figures, measured in one run: 100,000 lines and 10,000 texts drawn
// into a 1024 x 768 picture through the Graphics entry points, against the
// same drawing done with the platform's calls on a DIB section's memory
// context, each printed with the ratio (ours over theirs).
#include "graphics/graphics.h"
#include "startup/init.h"
#include "startup/loader.h"
#include "text/string.h"
#include <windows.h>
#include <algorithm>
#include <cstdio>

#include "clock.h"

enum {
  kWidth = 1024,
  kHeight = 768,
  kLines = 100000,
  kTexts = 10000,
  kRepeats = 5, // the best of these counts: the guest's timing varies widely
  kWrapNone = 0,
};

static const char kText[] = "The quick brown fox 123";

// The line of step i: spread over the picture, neither horizontal nor vertical.
static void lineOf(int i, int *x1, int *y1, int *x2, int *y2) {
  *x1 = (i * 37) % kWidth, *y1 = (i * 11) % kHeight;
  *x2 = (i * 53 + 200) % kWidth, *y2 = (i * 29 + 100) % kHeight;
}

/* ---- through the entry points ---- */

static double oursLines(GraphicsObject *g) {
  double t0 = seconds_now();
  for (int i = 0; i < kLines; i++) {
    int x1, y1, x2, y2;
    lineOf(i, &x1, &y1, &x2, &y2);
    RuntimeGraphicsDrawLine(g, x1, y1, x2, y2);
  }
  GdiFlush();
  return seconds_now() - t0;
}

static double oursTexts(GraphicsObject *g, RString *text) {
  double t0 = seconds_now();
  for (int i = 0; i < kTexts; i++)
    RuntimeGraphicsDrawString(g, text, (i * 37) % kWidth, 20 + (i * 11) % kHeight, kWrapNone);
  GdiFlush();
  return seconds_now() - t0;
}

/* ---- the platform's calls directly ---- */

struct Plain {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  HFONT font;
  int ascent;
};

static Plain plainMake() {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  Plain p = {};
  p.dc = CreateCompatibleDC(nullptr);
  p.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  p.old = SelectObject(p.dc, p.bitmap);
  p.font = CreateFontA(-12, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS Sans Serif");
  SelectObject(p.dc, p.font);
  SetBkMode(p.dc, TRANSPARENT);
  TEXTMETRICA tm;
  GetTextMetricsA(p.dc, &tm);
  p.ascent = tm.tmAscent;
  return p;
}

static void plainFree(Plain *p) {
  SelectObject(p->dc, p->old);
  DeleteDC(p->dc);
  DeleteObject(p->bitmap);
  DeleteObject(p->font);
}

// A line as a plain program draws one with a one-pixel pen: to the end, then
// the end pixel, which the line itself leaves out.
static double plainLines(Plain *p) {
  double t0 = seconds_now();
  SelectObject(p->dc, GetStockObject(DC_PEN));
  SetDCPenColor(p->dc, RGB(0, 0, 0));
  for (int i = 0; i < kLines; i++) {
    int x1, y1, x2, y2;
    lineOf(i, &x1, &y1, &x2, &y2);
    if (x2 < x1) std::swap(x1, x2), std::swap(y1, y2);
    MoveToEx(p->dc, x1, y1, nullptr);
    LineTo(p->dc, x2, y2);
    SetPixelV(p->dc, x2, y2, RGB(0, 0, 0));
  }
  GdiFlush();
  return seconds_now() - t0;
}

static double plainTexts(Plain *p) {
  double t0 = seconds_now();
  SetTextColor(p->dc, RGB(0, 0, 0));
  for (int i = 0; i < kTexts; i++) {
    int x = (i * 37) % kWidth, y = 20 + (i * 11) % kHeight - p->ascent;
    RECT r = {x, y, x + 30000, 32767};
    DrawTextA(p->dc, kText, (int)sizeof kText - 1, &r, DT_NOPREFIX | DT_NOCLIP);
  }
  GdiFlush();
  return seconds_now() - t0;
}

static void report(const char *what, double ours, double theirs) {
  printf("%-28s ours %8.1f ms   direct %8.1f ms   ratio %.2f\n", what, ours * 1e3, theirs * 1e3,
         ours / theirs);
}

int main() {
  runtime_core_init();
  runtime_classes_init(); /* the Picture and Graphics classes */
  PictureObject *picture = picture_new(kWidth, kHeight, 32);
  GraphicsObject *g = (GraphicsObject *)pictureGraphicsGetter(picture, 0);
  RString *text = str_from(kText);
  Plain plain = plainMake();
  double lines[2] = {1e300, 1e300}, texts[2] = {1e300, 1e300};
  for (int r = 0; r < kRepeats; r++) {
    lines[0] = std::min(lines[0], oursLines(g));
    lines[1] = std::min(lines[1], plainLines(&plain));
    texts[0] = std::min(texts[0], oursTexts(g, text));
    texts[1] = std::min(texts[1], plainTexts(&plain));
  }
  report("100,000 DrawLine", lines[0], lines[1]);
  report("10,000 DrawString", texts[0], texts[1]);
  report("both", lines[0] + texts[0], lines[1] + texts[1]);
  plainFree(&plain);
  RuntimeUnlockString(text);
  RuntimeUnlockObject(&g->header);
  RuntimeUnlockObject(&picture->header);
  return 0;
}
