// Line: its pane covers the box of the line's stroke and is shaped to the
// stroke itself, so that what lies beside the line in that box stays visible
// and takes its own clicks; the pane paints the stroke in BorderColor. Moving
// an end or changing the width moves and reshapes the pane.
#include "ui/line.h"
#include "graphics/colour.h"
#include <algorithm>

static LineObject *lineOf(Pane *p) { return (LineObject *)pane_control(p); }

bool line_stroke(const LineObject *l, POINT corners[6]) {
  int32_t w = l->borderWidth;
  if (w < 1) return false;
  POINT a = {l->x1, l->y1}, b = {l->x2, l->y2};
  if (b.x < a.x) std::swap(a, b); /* left to right */
  if (b.y >= a.y) {               /* going down: the pen's top-right and bottom-left edges */
    POINT down[6] = {{a.x, a.y},         {a.x + w, a.y}, {b.x + w, b.y},
                     {b.x + w, b.y + w}, {b.x, b.y + w}, {a.x, a.y + w}};
    std::copy(down, down + 6, corners);
  } else { /* going up: the pen's top-left and bottom-right edges */
    POINT up[6] = {{a.x, a.y},         {b.x, b.y},         {b.x + w, b.y},
                   {b.x + w, b.y + w}, {a.x + w, a.y + w}, {a.x, a.y + w}};
    std::copy(up, up + 6, corners);
  }
  return true;
}

// The box of the stroke, at least one pixel each way so that the pane exists.
static Rect16 strokeBox(const LineObject *l) {
  int32_t w = std::max(l->borderWidth, (int32_t)1);
  return {(int16_t)std::min(l->y1, l->y2), (int16_t)std::min(l->x1, l->x2),
          (int16_t)(std::max(l->y1, l->y2) + w), (int16_t)(std::max(l->x1, l->x2) + w)};
}

// The pane's window keeps only the stroke's pixels; no stroke keeps none.
static void shape(LineObject *l) {
  Pane *p = l->control.pane;
  if (!p || !p->hwnd) return;
  POINT corners[6];
  HRGN region;
  if (line_stroke(l, corners)) {
    for (POINT &c : corners) c.x -= p->bounds.left, c.y -= p->bounds.top;
    region = CreatePolygonRgn(corners, 6, WINDING);
  } else {
    region = CreateRectRgn(0, 0, 0, 0);
  }
  SetWindowRgn(p->hwnd, region, TRUE); /* the window owns the region from now on */
}

static void draw(Pane *p, HDC dc) {
  LineObject *l = lineOf(p);
  POINT corners[6];
  if (!l || !pane_on_screen(p) || !line_stroke(l, corners)) return;
  HBRUSH brush = CreateSolidBrush(colour_to_platform(l->borderColor));
  HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  /* without a pen the fill leaves out the far edges: the stroke's own pixels remain */
  Polygon(dc, corners, 6);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
}

static const PaneKind kLineKind = {
    .name = "line",
    .draw = draw,
    .mouseDown = control_mouse_down,
    .mouseDrag = control_mouse_drag,
    .mouseUp = control_mouse_up,
};

static void createPane(Object *o) {
  LineObject *l = (LineObject *)o;
  l->control.enabled = 1; /* a line has no Enabled of its own: it is never disabled */
  l->control.bounds = strokeBox(l);
  if (control_make_pane(&l->control, &kLineKind, sizeof(Pane), "QX_Pane", "", 0)) shape(l);
}

void line_install() { control_kind_register("Line", createPane); }

extern "C" void linePosSetter(LineObject *l, int32_t part, int32_t v) {
  switch (part) {
  case kLineX1:
    l->x1 = v;
    break;
  case kLineY1:
    l->y1 = v;
    break;
  case kLineX2:
    l->x2 = v;
    break;
  case kLineY2:
    l->y2 = v;
    break;
  case kLineWidth:
    l->borderWidth = std::max(v, (int32_t)0);
    break;
  default:
    return;
  }
  l->control.bounds = strokeBox(l);
  Pane *p = l->control.pane;
  if (!p || p->closing) return;
  pane_set_bounds(p, l->control.bounds, true);
  shape(l);
  pane_invalidate(p);
}
