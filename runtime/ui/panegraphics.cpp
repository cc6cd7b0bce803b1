// The pane drawing target (the paint context lent, or the native window's
// taken and given back), the Graphics of a window, and a window's drawing
// into another Graphics.
#include "ui/panegraphics.h"
#include "graphics/drawing.h"
#include "graphics/graphics.h"
#include "objects/registry.h"
#include "ui/control.h"
#include "ui/nativewindow.h"
#include "ui/windowobject.h"

static Pane *paneOf(void *target) { return (Pane *)((char *)target - offsetof(Pane, drawing)); }

// The pane whose native window the pane draws in: itself or an ancestor.
static Pane *nativePane(Pane *pane) {
  while (pane && !pane->hwnd) pane = pane->parent;
  return pane;
}

// The token is the native window whose context was taken, 0 when lent.
static HDC acquirePane(void *target, uintptr_t *token) {
  *token = 0;
  Pane *pane = paneOf(target);
  Pane *native = nativePane(pane);
  if (pane->closing || !native || !IsWindow(native->hwnd)) return nullptr;
  if (native->dc) return native->dc; /* painting: already in window coordinates */
  HDC dc = GetDC(native->hwnd);
  if (!dc) return nullptr;
  if (!native->isRoot) SetViewportOrgEx(dc, -native->bounds.left, -native->bounds.top, nullptr);
  if (native != pane)
    IntersectClipRect(dc, pane->bounds.left, pane->bounds.top, pane->bounds.right,
                      pane->bounds.bottom);
  *token = (uintptr_t)native->hwnd;
  return dc;
}

// The window class keeps its own context, so what was changed is put back.
static void releasePane(void *, HDC dc, uintptr_t token) {
  if (!token) return;
  SetViewportOrgEx(dc, 0, 0, nullptr);
  SelectClipRgn(dc, nullptr);
  ReleaseDC((HWND)token, dc);
}

static void paneSize(void *target, int32_t *width, int32_t *height) {
  Pane *pane = paneOf(target);
  *width = pane->width;
  *height = pane->height;
}

static COLORREF paneBackground(void *target) {
  View *view = pane_view(paneOf(target));
  WindowObject *w = view ? view->window : nullptr;
  return w && w->hasBackColor ? color_platform(w->backColor) : GetSysColor(COLOR_BTNFACE);
}

static void paneOffset(void *target, int32_t *x, int32_t *y) {
  Pane *pane = paneOf(target);
  *x = pane->isRoot ? 0 : pane->bounds.left;
  *y = pane->isRoot ? 0 : pane->bounds.top;
}

static const DrawTargetKind kPaneTarget = {
    .name = "pane",
    .acquire = acquirePane,
    .release = releasePane,
    .size = paneSize,
    .background = paneBackground,
    .offset = paneOffset,
    .threadBound = 1,
};

DrawTarget *pane_draw_target(Pane *pane) {
  if (!pane->drawing.kind) pane->drawing.kind = &kPaneTarget;
  return &pane->drawing;
}

GraphicsObject *pane_graphics(Pane *pane) {
  int32_t x, y;
  paneOffset(&pane->drawing, &x, &y);
  return graphics_new(pane_draw_target(pane), x, y);
}

PictureObject *window_backdrop(WindowObject *w, int32_t *width, int32_t *height) {
  PictureObject *backdrop = picture_of(w ? w->backdrop : nullptr);
  PictureImage *image = picture_image(backdrop);
  if (!image) return nullptr;
  *width = image->width, *height = image->height;
  if (w->view && *width > w->view->pane.width) *width = w->view->pane.width;
  if (w->view && *height > w->view->pane.height) *height = w->view->pane.height;
  return backdrop;
}

/* ---- a window's Graphics ---- */

Object *windowGraphicsGetter(WindowObject *w, int32_t) {
  if (!w || !w->view) return nullptr;
  return &pane_graphics(&w->view->pane)->header;
}

void formDrawInto(WindowObject *w, GraphicsObject *g, int32_t x, int32_t y) {
  if (!w || !g || !g->port || !g->port->target) return;
  int32_t width, height;
  if (PictureObject *backdrop = window_backdrop(w, &width, &height))
    RuntimeGraphicsDrawPicture(g, backdrop, x, y, width, height, 0, 0, width, height);
  if (!has_handler(&w->header, "Paint")) return;
  /* the Paint event draws through a Graphics of its own on g's target, moved to (x, y) */
  draw_lock();
  DrawTarget *target = g->port->target;
  GraphicsObject *inner =
      target ? graphics_new(target, g->port->offsetX, g->port->offsetY) : nullptr;
  draw_unlock();
  if (!inner) return;
  if (inner->port) {
    inner->port->originX = g->port->originX - x;
    inner->port->originY = g->port->originY - y;
  }
  uint32_t args[] = {(uint32_t)(uintptr_t)inner};
  deliver(&w->header, w->view ? &w->view->pane : nullptr, "Paint", args, 1);
  graphics_detach(inner);
  RuntimeUnlockObject(&inner->header);
}
