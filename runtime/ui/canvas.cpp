// Canvas: its pane (painting the Backdrop, then Paint with a Graphics of its
// own), focus and keys, the mouse in canvas coordinates, the kept Graphics
// object, and scrolling its pixels together with the controls on it.
#include "ui/canvas.h"
#include "graphics/picture.h"
#include "objects/builtins.h"
#include "objects/registry.h"
#include "text/string.h"
#include "ui/panegraphics.h"
#include "ui/windowobject.h"
#include <algorithm>

static CanvasObject *canvasOf(Pane *p) { return (CanvasObject *)pane_control(p); }

/* ---- drawing ---- */

// The Backdrop with its top-left corner at the canvas's, cut at the canvas's
// right and bottom edges rather than scaled.
static void drawBackdrop(CanvasObject *c, Pane *p, HDC dc) {
  PictureObject *backdrop = picture_of(c->backdrop);
  PictureImage *image = picture_image(backdrop);
  if (!image) return;
  int32_t w = std::min<int32_t>(image->width, p->bounds.right - p->bounds.left);
  int32_t h = std::min<int32_t>(image->height, p->bounds.bottom - p->bounds.top);
  if (w > 0 && h > 0)
    picture_draw_masked(backdrop, dc, p->bounds.left, p->bounds.top, w, h, 0, 0, w, h);
}

// Paint gets a Graphics of its own, detached when the handler returns: a
// copy the handler kept draws nothing afterwards.
static void raisePaint(CanvasObject *c, Pane *p) {
  GraphicsObject *g = pane_graphics(p);
  if (!g) return;
  uint32_t args[] = {(uint32_t)(uintptr_t)g};
  deliver_to_control(&c->control, "Paint", args, 1);
  graphics_detach(g);
  RuntimeUnlockObject(&g->header);
}

// The focus shown as a dotted rectangle just inside the canvas's edge.
static void drawFocusRing(Pane *p, HDC dc) {
  RECT r = rect_platform(p->bounds);
  InflateRect(&r, -1, -1);
  DrawFocusRect(dc, &r);
}

static void draw(Pane *p, HDC dc) {
  CanvasObject *c = canvasOf(p);
  if (!c || !pane_on_screen(p)) return;
  drawBackdrop(c, p, dc);
  if (has_handler(&c->control.header, "Paint")) raisePaint(c, p);
  if (!p->closing && c->useFocusRing && pane_focus() == p) drawFocusRing(p, dc);
}

/* ---- the mouse ---- */

// Without a MouseDown handler the click is not the canvas's; with one that
// answers True the canvas follows the mouse until the button goes up.
static bool mouseDown(Pane *p, POINT at, int modifiers) {
  CanvasObject *c = canvasOf(p);
  if (!c || !p->enabled) return false;
  if (c->acceptFocus && pane_focus() != p) {
    pane_set_focus(p);
    if (p->closing) return true;
  }
  if (!has_handler(&c->control.header, "MouseDown")) return false;
  return control_mouse_down(p, at, modifiers);
}

/* ---- focus and keys ---- */

static bool acceptsFocus(Pane *p, bool) {
  CanvasObject *c = canvasOf(p);
  return c && c->acceptFocus && p->enabled;
}

// The ring comes and goes with the focus.
static void focusChanged(Pane *p, bool gained) {
  CanvasObject *c = canvasOf(p);
  if (c && c->useFocusRing) pane_invalidate(p);
  if (p->closing) return;
  gained ? control_got_focus(p) : control_lost_focus(p);
}
static void gotFocus(Pane *p) { focusChanged(p, true); }
static void lostFocus(Pane *p) { focusChanged(p, false); }

static bool keepsKey(Pane *p, int vk) {
  CanvasObject *c = canvasOf(p);
  return vk == VK_TAB && c && c->acceptTabs;
}

// KeyDown gets the key's one character; a key with the Windows key held, and
// Tab unless AcceptTabs, are left to the window.
static bool keyDown(Pane *p, int character, int vk, int modifiers) {
  CanvasObject *c = canvasOf(p);
  if (!c || (modifiers & kModControl)) return false;
  if (vk == VK_TAB && !c->acceptTabs) return false;
  char text = (char)character;
  RString *key = str_make(&text, 1);
  uint32_t args[] = {(uint32_t)(uintptr_t)key};
  Delivery d = deliver_to_control(&c->control, "KeyDown", args, 1);
  RuntimeUnlockString(key);
  return d != kAnsweredFalse;
}

// The kept Graphics is let go with the pane: a copy that compiled code holds
// draws nothing from now on, and a later pane gets a Graphics of its own.
static void destroy(Pane *p) {
  CanvasObject *c = canvasOf(p);
  if (!c || !c->graphics) return;
  graphics_detach(c->graphics);
  RuntimeUnlockObject(&c->graphics->header);
  c->graphics = nullptr;
}

static const PaneKind kCanvasKind = {
    .name = "canvas",
    .draw = draw,
    .mouseDown = mouseDown,
    .mouseDrag = control_mouse_drag,
    .mouseUp = control_mouse_up,
    .gotFocus = gotFocus,
    .lostFocus = lostFocus,
    .keyDown = keyDown,
    .destroy = destroy,
    .keepsKey = keepsKey,
    .acceptsFocus = acceptsFocus,
};

bool canvas_is(const Pane *p) { return p && p->kind == &kCanvasKind; }

/* ---- the pane and the class ---- */

// Without a Paint handler the canvas lets what lies behind it show through.
static void createPane(Object *o) {
  CanvasObject *c = (CanvasObject *)o;
  DWORD exStyle = has_handler(o, "Paint") ? 0 : WS_EX_TRANSPARENT;
  control_make_pane(&c->control, &kCanvasKind, sizeof(Pane), "QX_CanvasPane", "", 0, exStyle);
}

static void destructor(Object *o, ClassDef *) {
  CanvasObject *c = (CanvasObject *)o;
  RuntimeUnlockObject(c->backdrop);
  c->backdrop = nullptr;
  if (c->graphics) RuntimeUnlockObject(&c->graphics->header);
  c->graphics = nullptr;
}

void canvas_install() {
  control_kind_register("Canvas", createPane);
  if (ClassDef *cls = registry_find("Canvas")) cls->destructor = destructor;
}

/* ---- scrolling ---- */

static int16_t saturated(int32_t v) {
  return (int16_t)std::clamp<int32_t>(v, INT16_MIN, INT16_MAX);
}

// Whether the canvas is the control's container canvas, or the container of
// one of its containers.
static bool onCanvas(ControlObject *control, ControlObject *canvas) {
  for (ControlObject *k = control->container; k; k = k->container)
    if (k == canvas) return true;
  return false;
}

struct Shift {
  ControlObject *canvas;
  int32_t dx, dy;
};

// Bounds are moved in 32 bits and held at the 16-bit limits: a long scroll
// stops controls at the edge instead of wrapping them round to the far side.
static void shiftControl(ControlObject *c, void *context) {
  Shift *s = (Shift *)context;
  if (!onCanvas(c, s->canvas)) return;
  Rect16 b = c->bounds;
  c->bounds = {saturated(b.top + s->dy), saturated(b.left + s->dx), saturated(b.bottom + s->dy),
               saturated(b.right + s->dx)};
  if (c->pane) pane_set_bounds(c->pane, c->bounds, false);
}

// The pixels of the area (canvas coordinates) move; what they uncover is
// invalidated, so that Paint draws it.
static void scrollPixels(Pane *p, int32_t dx, int32_t dy, RECT area) {
  if (!p->hwnd) return;
  ScrollWindowEx(p->hwnd, dx, dy, &area, &area, nullptr, nullptr, SW_INVALIDATE);
}

extern "C" {
void canvasScroll(CanvasObject *canvas, int32_t dx, int32_t dy, int32_t x, int32_t y, int32_t width,
                  int32_t height, bool moveControls) {
  if (!canvas || (dx == 0 && dy == 0)) return;
  ControlObject *c = &canvas->control;
  if (width == kWholeSide) width = c->bounds.right - c->bounds.left;
  if (height == kWholeSide) height = c->bounds.bottom - c->bounds.top;
  if (c->pane)
    scrollPixels(c->pane, dx, dy,
                 {x, y, (LONG)std::min<int64_t>((int64_t)x + width, INT32_MAX),
                  (LONG)std::min<int64_t>((int64_t)y + height, INT32_MAX)});
  if (!moveControls || !c->window || !c->view) return;
  Shift s = {c, dx, dy};
  controls_each(c->window, shiftControl, &s);
}

Object *canvasGraphicsGetter(CanvasObject *canvas, int32_t) {
  Pane *p = canvas ? canvas->control.pane : nullptr;
  if (!p) return nullptr;
  if (!canvas->graphics) canvas->graphics = pane_graphics(p);
  return RuntimeLockObject(canvas->graphics ? &canvas->graphics->header : nullptr);
}

void canvasBackdropSetter(CanvasObject *canvas, int32_t, Object *picture) {
  RuntimeLockObject(picture);
  RuntimeUnlockObject(canvas->backdrop);
  canvas->backdrop = picture;
  if (canvas->control.pane) pane_invalidate(canvas->control.pane);
}
}
