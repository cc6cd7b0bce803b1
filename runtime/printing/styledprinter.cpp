// StyledTextPrinter: the field's characters and their styles, taken when it
// is made, laid out for the Graphics' device one block at a time, remembering
// where the next block begins.
#include "printing/styledprinter.h"
#include "graphics/drawing.h"
#include "lifecycle/exception.h"
#include "objects/registry.h"
#include "printing/styledlayout.h"
#include <cstdlib>

StyledTextPrinter *editStyleTextPrinter(EditFieldObject *e, GraphicsObject *g, int32_t width) {
  if (!e) RuntimeNilObject();
  ClassDef *cls = registry_find("StyledTextPrinter");
  if (!g || !cls) return nullptr;
  int32_t count = 0;
  StyledChar *text = editField_styled_text(e, &count); /* nil without a pane: nothing to print */
  auto *p = (StyledTextPrinter *)CreateInstance(cls);
  p->text = text;
  p->count = text ? count : 0;
  p->g = (GraphicsObject *)RuntimeLockObject(&g->header);
  p->width = width;
  return p;
}

bool styledPrinterEOF(StyledTextPrinter *p, int32_t) {
  if (!p) RuntimeNilObject();
  return p->next >= p->count;
}

void styledPrinterWidthSetter(StyledTextPrinter *p, int32_t, int32_t width) {
  if (!p) RuntimeNilObject();
  p->width = width;
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

void styledPrinterDrawBlock(StyledTextPrinter *p, int32_t x, int32_t y, int32_t height) {
  if (!p) RuntimeNilObject();
  if (styledPrinterEOF(p, 0) || height <= 0) return;
  int32_t width = p->width > 0 ? p->width : graphicsWidthGetter(p->g, 0) - x;
  HDC dc = draw_begin(p->g);
  if (!dc) return; /* a Graphics that draws nowhere now */
  RECT block = blockOnDevice(p, dc, x, y, width, height);
  int saved = SaveDC(dc);
  SetMapMode(dc, MM_TEXT); /* laid out in the device's own dots */
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  SetBkMode(dc, TRANSPARENT);
  if (LayoutFonts *fonts = layout_fonts(dc)) {
    p->next = layout_draw(fonts, p->text, p->count, p->next, block);
    RestoreDC(dc, saved); /* the fonts are deselected before they go */
    layout_fonts_free(fonts);
  } else {
    RestoreDC(dc, saved);
  }
  draw_end(p->g);
}

/* ---- the class ---- */

static void destruct(Object *object, ClassDef *) {
  auto *p = (StyledTextPrinter *)object;
  free(p->text);
  RuntimeUnlockObject(&p->g->header);
  p->text = nullptr;
  p->g = nullptr;
}

void styledprinter_classes_attach() { registry_find("StyledTextPrinter")->destructor = destruct; }
