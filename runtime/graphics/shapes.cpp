// Drawing shapes through a Graphics object: lines with the pen's size,
// rectangles, ovals, round rectangles, polygons from Integer arrays, pixels
// and the system icons.
#include "graphics/drawing.h"
#include "graphics/graphics.h"
#include "objects/array.h"
#include <cstdlib>

constexpr int32_t kMaxPenRows = 2 * kCoordLimit + 1; // more rows than any device has
constexpr int kPatternSide = 8;

/* ---- lines ---- */

// A horizontal or vertical line with a pattern active fills the pen's
// rectangle along it with the 8 x 8 pattern.
static void patternLine(DrawPort *port, HDC dc, int32_t x, int32_t y) {
  WORD rows[kPatternSide];
  for (int i = 0; i < kPatternSide; i++) rows[i] = (WORD)(uint8_t)~port->pattern[i];
  HBITMAP bits = CreateBitmap(kPatternSide, kPatternSide, 1, 1, rows);
  HBRUSH brush = bits ? CreatePatternBrush(bits) : nullptr;
  if (brush) {
    int64_t x0 = port->penX < x ? port->penX : x, x1 = port->penX < x ? x : port->penX;
    int64_t y0 = port->penY < y ? port->penY : y, y1 = port->penY < y ? y : port->penY;
    RECT r = {draw_x(port, x0), draw_y(port, y0), draw_x(port, x1 + port->penWidth),
              draw_y(port, y1 + port->penHeight)};
    draw_text_colour(port, dc); /* the pattern's set bits */
    SetBrushOrgEx(dc, port->patternX, port->patternY, nullptr);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }
  if (bits) DeleteObject(bits);
}

// A line from the pen position to (x, y); the pen position moves there.
static void lineTo(DrawPort *port, HDC dc, int32_t x, int32_t y) {
  if (port->patternActive && (x == port->penX || y == port->penY)) {
    patternLine(port, dc, x, y);
  } else {
    draw_select_pen(port, dc);
    MoveToEx(dc, draw_x(port, port->penX), draw_y(port, port->penY), nullptr);
    LineTo(dc, draw_x(port, x), draw_y(port, y));
  }
  port->penX = x;
  port->penY = y;
}

void RuntimeGraphicsDrawLine(GraphicsObject *g, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  HDC dc = draw_begin(g);
  if (!dc) return;
  DrawPort *port = g->port;
  if (x2 < x1) { /* from the left-hand end */
    int32_t t = x1;
    x1 = x2, x2 = t;
    t = y1, y1 = y2, y2 = t;
  }
  int32_t rows = port->penHeight < 1             ? 1
                 : port->penHeight > kMaxPenRows ? kMaxPenRows
                                                 : port->penHeight;
  COLORREF colour = draw_colour(port);
  for (int32_t i = 0; i < rows; i++) {
    port->penX = x1, port->penY = y1 + i;
    lineTo(port, dc, x2, y2 + i);
    SetPixelV(dc, draw_x(port, x2), draw_y(port, (int64_t)y2 + i),
              colour); /* the device omits it */
  }
  draw_end(g);
}

void RuntimeGraphicsDrawRect(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h) {
  HDC dc = draw_begin(g);
  if (!dc) return;
  DrawPort *port = g->port;
  int32_t right = draw_clamp((int64_t)x + w), bottom = draw_clamp((int64_t)y + h);
  port->penX = x, port->penY = y;
  lineTo(port, dc, right, y);
  lineTo(port, dc, right, bottom);
  lineTo(port, dc, x, bottom);
  lineTo(port, dc, x, y);
  draw_end(g);
}

/* ---- areas ---- */

static RECT deviceRect(const DrawPort *port, int32_t x, int32_t y, int32_t w, int32_t h) {
  return {draw_x(port, x), draw_y(port, y), draw_x(port, (int64_t)x + w),
          draw_y(port, (int64_t)y + h)};
}

static void fillWith(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h, bool clear) {
  HDC dc = draw_begin(g);
  if (!dc) return;
  DrawPort *port = g->port;
  RECT r = deviceRect(port, x, y, w, h);
  SetDCBrushColor(dc, clear ? port->target->kind->background(port->target) : draw_colour(port));
  FillRect(dc, &r, (HBRUSH)GetStockObject(DC_BRUSH));
  draw_end(g);
}

void RuntimeGraphicsFillRect(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h) {
  fillWith(g, x, y, w, h, false);
}

void RuntimeGraphicsClearRect(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h) {
  fillWith(g, x, y, w, h, true);
}

// An outline uses the pen and no brush; a filled shape a thin pen and a
// brush, both in the fore colour, so that it covers the same pixels.
static void selectFor(DrawPort *port, HDC dc, bool filled) {
  if (filled) {
    draw_thin_pen(port, dc, draw_colour(port));
    SelectObject(dc, GetStockObject(DC_BRUSH));
    SetDCBrushColor(dc, draw_colour(port));
  } else {
    draw_select_pen(port, dc);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
  }
}

// Ovals are round rectangles whose corners are the whole rectangle.
static void roundRect(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h, int32_t cw,
                      int32_t ch, bool oval, bool filled) {
  HDC dc = draw_begin(g);
  if (!dc) return;
  DrawPort *port = g->port;
  RECT r = deviceRect(port, x, y, w, h);
  selectFor(port, dc, filled);
  if (oval)
    Ellipse(dc, r.left, r.top, r.right, r.bottom);
  else
    RoundRect(dc, r.left, r.top, r.right, r.bottom, draw_clamp(cw), draw_clamp(ch));
  draw_end(g);
}

void RuntimeGraphicsDrawOval(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h) {
  roundRect(g, x, y, w, h, 0, 0, true, false);
}

void RuntimeGraphicsFillOval(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h) {
  roundRect(g, x, y, w, h, 0, 0, true, true);
}

void RuntimeGraphicsDrawRoundRect(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h,
                                  int32_t cw, int32_t ch) {
  roundRect(g, x, y, w, h, cw, ch, false, false);
}

void RuntimeGraphicsFillRoundRect(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h,
                                  int32_t cw, int32_t ch) {
  roundRect(g, x, y, w, h, cw, ch, false, true);
}

/* ---- polygons ---- */

static void polygon(GraphicsObject *g, ArrayRecord *a, bool filled) {
  if (!g || !g->port || !a || a->dims != 1) return;
  int32_t count = a->upper[0] / 2; /* pairs from element 1; the bound, never a stored count */
  if (count < 2) return;
  POINT *points = (POINT *)malloc((size_t)count * sizeof(POINT));
  if (!points) return;
  for (int32_t i = 0; i < count; i++) { /* read before the lock: reads may raise */
    points[i].x = RuntimeDirectReadIntArray(a, 1 + 2 * i);
    points[i].y = RuntimeDirectReadIntArray(a, 2 + 2 * i);
  }
  if (HDC dc = draw_begin(g)) {
    DrawPort *port = g->port;
    for (int32_t i = 0; i < count; i++)
      points[i] = {draw_x(port, points[i].x), draw_y(port, points[i].y)};
    selectFor(port, dc, filled);
    Polygon(dc, points, count);
    draw_end(g);
  }
  free(points);
}

void graphicsDrawPolygon(GraphicsObject *g, ArrayRecord *points) { polygon(g, points, false); }
void graphicsFillPolygon(GraphicsObject *g, ArrayRecord *points) { polygon(g, points, true); }

/* ---- pixels and icons ---- */

int32_t graphicsPixelGetter(GraphicsObject *g, int32_t x, int32_t y) {
  HDC dc = draw_begin(g);
  if (!dc) return 0;
  COLORREF c = GetPixel(dc, draw_x(g->port, x), draw_y(g->port, y));
  draw_end(g);
  if (c == CLR_INVALID) return 0;
  return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

void graphicsPixelSetter(GraphicsObject *g, int32_t x, int32_t y, int32_t colour) {
  HDC dc = draw_begin(g);
  if (!dc) return;
  COLORREF c = RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
  SetPixelV(dc, draw_x(g->port, x), draw_y(g->port, y), c);
  draw_end(g);
}

static void drawIcon(GraphicsObject *g, int32_t x, int32_t y, LPCSTR which) {
  HDC dc = draw_begin(g);
  if (!dc) return;
  if (HICON icon = LoadIconA(nullptr, which))
    DrawIcon(dc, draw_x(g->port, x), draw_y(g->port, y), icon);
  draw_end(g);
}

void graphicsDrawStopIcon(GraphicsObject *g, int32_t x, int32_t y) { drawIcon(g, x, y, IDI_HAND); }
void graphicsDrawNoteIcon(GraphicsObject *g, int32_t x, int32_t y) {
  drawIcon(g, x, y, IDI_ASTERISK);
}
void graphicsDrawCautionIcon(GraphicsObject *g, int32_t x, int32_t y) {
  drawIcon(g, x, y, IDI_EXCLAMATION);
}
