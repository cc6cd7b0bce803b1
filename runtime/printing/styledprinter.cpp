// StyledTextPrinter: the field's rich-edit control lays its text out for the
// Graphics' device and draws it there (EM_FORMATRANGE), one block at a time,
// remembering where the next block begins.
#include "printing/styledprinter.h"
#include "graphics/drawing.h"
#include "lifecycle/exception.h"
#include "objects/registry.h"
#include "ui/pane.h"
#include <richedit.h>

constexpr int32_t kTwipsPerInch = 1440;
constexpr int kGrowTries = 24; // doublings of a block too short for one line

// The field's rich-edit control, nil once its window has closed.
static HWND controlOf(const StyledTextPrinter *p) {
  Pane *pane = p->field ? p->field->control.pane : nullptr;
  return pane ? pane->hwnd : nullptr;
}

// Characters as the control counts its positions (a paragraph mark is one).
static int32_t textLength(HWND control) {
  GETTEXTLENGTHEX ask = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  return (int32_t)SendMessageA(control, EM_GETTEXTLENGTHEX, (WPARAM)&ask, 0);
}

// Lets the control drop what it kept of the last layout.
static void forgetLayout(HWND control) {
  if (control) SendMessageA(control, EM_FORMATRANGE, FALSE, 0);
}

StyledTextPrinter *editStyleTextPrinter(EditFieldObject *e, GraphicsObject *g, int32_t width) {
  if (!e) RuntimeNilObject();
  ClassDef *cls = registry_find("StyledTextPrinter");
  if (!g || !cls) return nullptr;
  auto *p = (StyledTextPrinter *)CreateInstance(cls);
  p->field = (EditFieldObject *)RuntimeLockObject(&e->control.header);
  p->g = (GraphicsObject *)RuntimeLockObject(&g->header);
  p->width = width;
  return p;
}

bool styledPrinterEOF(StyledTextPrinter *p, int32_t) {
  if (!p) RuntimeNilObject();
  HWND control = controlOf(p);
  return p->done || !control || p->next >= textLength(control);
}

void styledPrinterWidthSetter(StyledTextPrinter *p, int32_t, int32_t width) {
  if (!p) RuntimeNilObject();
  p->width = width;
}

/* ---- drawing a block ---- */

static LONG twips(LONG dots, int perInch) {
  return (LONG)((int64_t)dots * kTwipsPerInch / perInch);
}

// The block's corners in the device's dots: the Graphics' units mapped as
// its context maps them.
static RECT blockOnDevice(StyledTextPrinter *p, HDC dc, int32_t x, int32_t y, int32_t width,
                          int32_t height) {
  DrawPort *port = p->g->port;
  POINT corner[2] = {{draw_x(port, x), draw_y(port, y)},
                     {draw_x(port, (int64_t)x + width), draw_y(port, (int64_t)y + height)}};
  LPtoDP(dc, corner, 2);
  return RECT{corner[0].x, corner[0].y, corner[1].x, corner[1].y};
}

// Lays the text out from range's first character into its rectangle down
// to `bottom` (twips), drawing it or only measuring; the first character
// left over.
static int32_t format(HWND control, FORMATRANGE &range, LONG bottom, bool draw) {
  range.rc.bottom = bottom;
  return (int32_t)SendMessageA(control, EM_FORMATRANGE, draw, (LPARAM)&range);
}

// The lowest bottom at which the rectangle holds the next line, when its
// own is too low for one: grown until a line fits, then narrowed to the
// least height that holds it, so that exactly one line is drawn.
static LONG oneLineBottom(HWND control, FORMATRANGE &range, LONG least) {
  int32_t from = range.chrg.cpMin;
  LONG top = range.rc.top, low = range.rc.bottom, high = low;
  int tries = 0;
  for (; tries < kGrowTries; tries++, low = high) {
    high = top + (high - top) * 2 + least;
    if (format(control, range, high, false) > from) break;
  }
  if (tries == kGrowTries) return high; /* nothing fits anywhere */
  while (high - low > 1) {
    LONG middle = low + (high - low) / 2;
    (format(control, range, middle, false) > from ? high : low) = middle;
  }
  return high;
}

// Lays out and draws from p->next into the block (in dots, on a context in
// device units); the first character not drawn.
static int32_t formatBlock(StyledTextPrinter *p, HWND control, HDC dc, RECT block) {
  int dotsX = GetDeviceCaps(dc, LOGPIXELSX), dotsY = GetDeviceCaps(dc, LOGPIXELSY);
  FORMATRANGE range = {};
  range.hdc = range.hdcTarget = dc;
  range.rcPage = RECT{0, 0, twips(GetDeviceCaps(dc, HORZRES), dotsX),
                      twips(GetDeviceCaps(dc, VERTRES), dotsY)};
  range.chrg = CHARRANGE{p->next, -1};
  range.rc = RECT{twips(block.left, dotsX), twips(block.top, dotsY), twips(block.right, dotsX),
                  twips(block.bottom, dotsY)};
  LONG bottom = range.rc.bottom;
  if (format(control, range, bottom, false) <= p->next)
    bottom = oneLineBottom(control, range, twips(1, dotsY) + 1);
  return format(control, range, bottom, true);
}

void styledPrinterDrawBlock(StyledTextPrinter *p, int32_t x, int32_t y, int32_t height) {
  if (!p) RuntimeNilObject();
  HWND control = controlOf(p);
  if (styledPrinterEOF(p, 0) || height <= 0) return;
  int32_t width = p->width > 0 ? p->width : graphicsWidthGetter(p->g, 0) - x;
  HDC dc = draw_begin(p->g);
  if (!dc) return; /* a Graphics that draws nowhere now */
  RECT block = blockOnDevice(p, dc, x, y, width, height);
  int saved = SaveDC(dc);
  SetMapMode(dc, MM_TEXT); /* the control measures in twips of the device's dots */
  int32_t drawn = formatBlock(p, control, dc, block);
  RestoreDC(dc, saved);
  draw_end(p->g);
  if (drawn <= p->next) p->done = 1; /* not one line fits anywhere: stop, rather than loop */
  p->next = drawn;
  if (styledPrinterEOF(p, 0)) forgetLayout(control);
}

/* ---- the class ---- */

static void destruct(Object *object, ClassDef *) {
  auto *p = (StyledTextPrinter *)object;
  forgetLayout(controlOf(p));
  RuntimeUnlockObject(&p->field->control.header);
  RuntimeUnlockObject(&p->g->header);
  p->field = nullptr;
  p->g = nullptr;
}

void styledprinter_classes_attach() { registry_find("StyledTextPrinter")->destructor = destruct; }
