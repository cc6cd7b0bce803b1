// Pane geometry: bounds in window coordinates and their native rectangle,
// the clipping of a control to its canvas, and invalidation and repainting.
#include "ui/control.h"
#include "ui/pane.h"

void pane_store_bounds(Pane *pane, Rect16 bounds) {
  pane->bounds = bounds;
  pane->width = (int16_t)(bounds.right - bounds.left);
  pane->height = (int16_t)(bounds.bottom - bounds.top);
}

// A rectangle in window coordinates, in the client coordinates of the pane's native parent.
RECT pane_native_rect(const Pane *pane) {
  int dx = pane->nativeParent ? pane->nativeParent->bounds.left : 0;
  int dy = pane->nativeParent ? pane->nativeParent->bounds.top : 0;
  return {pane->bounds.left - dx, pane->bounds.top - dy, pane->bounds.right - dx,
          pane->bounds.bottom - dy};
}

POINT pane_window_point(Pane *pane, POINT client) {
  if (pane->parent) client.x += pane->bounds.left, client.y += pane->bounds.top;
  return client;
}

Rect16 pane_clipped(Pane *pane, Rect16 r) {
  ControlObject *c = pane_control(pane);
  if (!c || !c->container || !c->container->pane) return r;
  Rect16 canvas = c->container->pane->bounds; /* a control inside a canvas is clipped to it */
  if (r.left < canvas.left) r.left = canvas.left;
  if (r.top < canvas.top) r.top = canvas.top;
  if (r.right > canvas.right) r.right = canvas.right;
  if (r.bottom > canvas.bottom) r.bottom = canvas.bottom;
  return r;
}

void pane_invalidate_rect(Pane *pane, Rect16 area) {
  Pane *root = pane_root(pane);
  if (!root->hwnd) return;
  RECT r = rect_platform(pane_clipped(pane, area));
  RedrawWindow(root->hwnd, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void pane_invalidate(Pane *pane) {
  if (pane->isRoot) {
    if (pane->hwnd)
      RedrawWindow(pane->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return;
  }
  pane_invalidate_rect(pane, pane->bounds);
}

void pane_repaint_now(Pane *pane) {
  Pane *root = pane_root(pane);
  if (root->hwnd) RedrawWindow(root->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void pane_set_bounds(Pane *pane, Rect16 bounds, bool redraw) {
  if (rect_equal(pane->bounds, bounds)) return;
  if (redraw) pane_invalidate(pane);
  pane_store_bounds(pane, bounds);
  if (redraw) pane_invalidate(pane);
  if (!pane->hwnd || pane->isRoot) return;
  RECT r = pane_native_rect(pane);
  MoveWindow(pane->hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, redraw);
}
