// The current drawing port: the re-entrant drawing lock held across each
// whole operation, the switch that gives one port's device context back and
// takes another's, and the conversions every drawing call shares.
#include "graphics/drawing.h"
#include "graphics/fontface.h"
#include "text/string.h"

constexpr int32_t kDefaultTextSize = 12; // pixels, as panes use
constexpr int kBoldWeight = 700, kNormalWeight = 400;

/* ---- the drawing lock ---- */

static CRITICAL_SECTION lock;
static volatile LONG lockState; // 0 not made, 1 being made, 2 ready

void draw_lock() {
  if (lockState != 2) {
    if (InterlockedCompareExchange(&lockState, 1, 0) == 0) {
      InitializeCriticalSection(&lock);
      InterlockedExchange(&lockState, 2);
    }
    while (lockState != 2) Sleep(0);
  }
  EnterCriticalSection(&lock);
}

void draw_unlock() { LeaveCriticalSection(&lock); }

/* ---- the current port ---- */

static DrawPort *current; // its context is taken; inside the lock only

static void release(DrawPort *port) {
  if (port->savedState) RestoreDC(port->dc, port->savedState); /* font, clip, modes */
  port->savedState = 0;
  if (port->target) port->target->kind->release(port->target, port->dc, port->token);
  port->dc = nullptr;
  port->token = 0;
  if (current == port) current = nullptr;
}

void draw_release_if_current(DrawPort *port) {
  if (port && port == current) release(port);
}

static HDC makeCurrent(DrawPort *port) {
  if (port == current) return port->dc;
  if (current) release(current);
  DrawTarget *target = port->target;
  const DrawTargetKind *kind = target->kind;
  if (kind->offset) kind->offset(target, &port->offsetX, &port->offsetY);
  HDC dc = kind->acquire(target, &port->token);
  if (!dc) return nullptr;
  port->dc = dc;
  port->savedState = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP); /* text is placed from its top, the baseline rule applied */
  SetStretchBltMode(dc, COLORONCOLOR);
  port->dcFontSelected = port->font && port->fontValid;
  if (port->dcFontSelected) SelectObject(dc, port->font);
  port->dcPen = nullptr;
  port->dcTextKnown = 0;
  if (port->clip) ExtSelectClipRgn(dc, port->clip, RGN_AND);
  current = port;
  return dc;
}

HDC draw_begin(GraphicsObject *g) {
  if (!g || !g->port) return nullptr;
  draw_lock();
  DrawPort *port = g->port;
  HDC dc = port->target ? makeCurrent(port) : nullptr;
  if (!dc) draw_unlock();
  return dc;
}

void draw_end(GraphicsObject *g) {
  DrawPort *port = g->port;
  if (port->target && port->target->kind->threadBound) release(port);
  draw_unlock();
}

/* ---- conversions ---- */

int32_t draw_clamp(int64_t v) {
  return v > kCoordLimit ? kCoordLimit : v < -kCoordLimit ? -kCoordLimit : (int32_t)v;
}

int32_t draw_x(const DrawPort *port, int64_t x) {
  return draw_clamp(x + port->offsetX - port->originX);
}

int32_t draw_y(const DrawPort *port, int64_t y) {
  return draw_clamp(y + port->offsetY - port->originY);
}

COLORREF draw_colour(const DrawPort *port) {
  return RGB(port->red >> 8, port->green >> 8, port->blue >> 8);
}

void draw_thin_pen(DrawPort *port, HDC dc, COLORREF colour) {
  static const HGDIOBJ stock = GetStockObject(DC_PEN);
  if (port->dcPen != stock) SelectObject(dc, stock);
  if (port->dcPen != stock || port->dcPenColour != colour) SetDCPenColor(dc, colour);
  port->dcPen = stock;
  port->dcPenColour = colour;
}

// A pen `width` units wide. Where units are mapped (a printer's context),
// the pen says it is geometric, so that even width 1 is a unit wide rather
// than the device's thinnest line.
static HPEN makePen(HDC dc, int32_t width, COLORREF colour) {
  if (GetMapMode(dc) == MM_TEXT) return CreatePen(PS_SOLID, width, colour);
  LOGBRUSH brush = {BS_SOLID, colour, 0};
  return ExtCreatePen(PS_GEOMETRIC | PS_SOLID, width, &brush, 0, nullptr);
}

void draw_select_pen(DrawPort *port, HDC dc) {
  COLORREF colour = draw_colour(port);
  int32_t width = port->penWidth > 0 ? port->penWidth : 1;
  if (width == 1 && GetMapMode(dc) == MM_TEXT) { /* the stock pen of settable colour serves */
    draw_thin_pen(port, dc, colour);
    return;
  }
  if (!port->pen || port->penColour != colour || port->penSize != width) {
    HPEN pen = makePen(dc, width, colour);
    if (!pen) return;
    SelectObject(dc, pen);
    if (port->pen) DeleteObject(port->pen);
    port->pen = pen;
    port->penColour = colour;
    port->penSize = width;
  } else if (port->dcPen != port->pen) {
    SelectObject(dc, port->pen);
  }
  port->dcPen = port->pen;
}

void draw_text_colour(DrawPort *port, HDC dc) {
  COLORREF colour = draw_colour(port);
  if (port->dcTextKnown && port->dcTextColour == colour) return;
  SetTextColor(dc, colour);
  port->dcTextColour = colour;
  port->dcTextKnown = 1;
}

void draw_select_font(DrawPort *port, HDC dc) {
  if (!port->fontValid || !port->font) {
    const char *name = str_len(port->fontName) ? str_cview(port->fontName) : "System";
    int32_t size = port->textSize > 0 ? port->textSize : kDefaultTextSize;
    HFONT font =
        CreateFontA(-size, 0, 0, 0, port->style & kStyleBold ? kBoldWeight : kNormalWeight,
                    (port->style & kStyleItalic) != 0, (port->style & kStyleUnderline) != 0, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH, font_face(name));
    if (font) {
      SelectObject(dc, font);
      if (port->font) DeleteObject(port->font);
      port->font = font;
      port->dcFontSelected = 1;
    }
    port->fontValid = 1;
    port->metricsValid = 0;
  }
  if (port->font && !port->dcFontSelected) SelectObject(dc, port->font);
  port->dcFontSelected = port->font != nullptr;
}

void draw_metrics(DrawPort *port, HDC dc) {
  draw_select_font(port, dc);
  if (port->metricsValid) return;
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  port->textHeight = tm.tmHeight;
  port->textAscent = tm.tmAscent;
  port->textLeading = tm.tmExternalLeading;
  port->metricsValid = 1;
}
