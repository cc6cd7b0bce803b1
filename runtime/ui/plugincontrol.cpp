// Panes of plug-in controls. The plug-in draws into the pane's drawing
// context within the control's bounds (window coordinates, as every pane
// draws) and answers mouse downs; a control without a mouse routine takes no
// input, so its clicks pass to what lies behind it.
#include "ui/plugincontrol.h"
#include "karuplugin.h"
#include "plugins/plugin.h"
#include "ui/control.h"

static const KARUControlDescription *descriptionOf(Pane *p) {
  ControlObject *c = pane_control(p);
  return c ? plugin_control_of(c->header.cls) : nullptr;
}

static KARURect boundsOf(Pane *p) {
  return {p->bounds.left, p->bounds.top, p->bounds.right, p->bounds.bottom};
}

static void draw(Pane *p, HDC dc) {
  const KARUControlDescription *d = descriptionOf(p);
  if (!d || !d->draw || !pane_on_screen(p)) return;
  KARURect r = boundsOf(p);
  d->draw((KARUObject)pane_control(p), dc, &r);
}

// Points reach the plug-in relative to the control.
static bool mouseDown(Pane *p, POINT at, int) {
  const KARUControlDescription *d = descriptionOf(p);
  if (!d || !d->mouseDown) return false;
  if (d->mouseDown((KARUObject)pane_control(p), at.x - p->bounds.left, at.y - p->bounds.top))
    pane_track(p);
  return true;
}

static void mouseDrag(Pane *p, POINT at) {
  const KARUControlDescription *d = descriptionOf(p);
  if (d && d->mouseDrag)
    d->mouseDrag((KARUObject)pane_control(p), at.x - p->bounds.left, at.y - p->bounds.top);
}

static void mouseUp(Pane *p, POINT at) {
  const KARUControlDescription *d = descriptionOf(p);
  if (d && d->mouseUp)
    d->mouseUp((KARUObject)pane_control(p), at.x - p->bounds.left, at.y - p->bounds.top);
}

static const PaneKind kPluginKind = {
    .name = "plug-in control",
    .draw = draw,
    .mouseDown = mouseDown,
    .mouseDrag = mouseDrag,
    .mouseUp = mouseUp,
};

void plugin_control_create_pane(Object *o) {
  const KARUControlDescription *d = plugin_control_of(o->cls);
  bool canvas = d && (d->flags & KARU_CONTROL_CANVAS);
  Pane *p = control_make_pane((ControlObject *)o, &kPluginKind, sizeof(Pane),
                              canvas ? "QX_CanvasPane" : "QX_Pane", "", 0,
                              d && d->mouseDown ? 0 : WS_EX_TRANSPARENT);
  if (p && !(d && d->mouseDown)) EnableWindow(p->hwnd, FALSE); /* no input: clicks fall through */
}

void KARUInvalidateControl(Object *o) {
  ControlObject *c = (ControlObject *)o;
  if (c && c->pane) pane_invalidate(c->pane);
}

void KARUInvalidateControlRect(Object *o, int32_t left, int32_t top, int32_t width,
                               int32_t height) {
  ControlObject *c = (ControlObject *)o;
  if (!c || !c->pane) return;
  int16_t x = (int16_t)(c->bounds.left + left), y = (int16_t)(c->bounds.top + top);
  pane_invalidate_rect(c->pane, {y, x, (int16_t)(y + height), (int16_t)(x + width)});
}
