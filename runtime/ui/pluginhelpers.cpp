// The control helpers plug-ins call on their own controls (or any control):
// native handles, bounds, visibility, focus, the enclosing control and window,
// the defaults for a new control's font and caption, keyboard accelerators,
// and a yield that lets the runtime handle what is waiting.
#include "graphics/drawing.h"
#include "lifecycle/application.h"
#include "objects/registry.h"
#include "text/string.h"
#include "ui/control.h"
#include "ui/keyboard.h"
#include "ui/nativewindow.h"
#include "ui/panegraphics.h"
#include "ui/plugincontrol.h"
#include "ui/windowobject.h"

enum { kDefaultControlFontSize = 12 }; // the process-wide font record's size

static ControlObject *controlOf(Object *o) { return is_control(o) ? as_control(o) : nullptr; }

static HWND hwndOf(Object *o) {
  ControlObject *c = controlOf(o);
  return c && c->pane ? c->pane->hwnd : nullptr;
}

HWND GetControlHWND(Object *control) { return hwndOf(control); }
HWND KARUGetControlHandle(Object *control) { return hwndOf(control); }

// A window's native window; given a control, the native window of the
// window it sits on.
HWND KARUGetWindowHandle(Object *o) {
  WindowObject *w = nullptr;
  if (o && class_derives_from(o->cls, gWindowClass))
    w = (WindowObject *)o;
  else if (ControlObject *c = controlOf(o))
    w = c->window;
  return w && w->view ? w->view->pane.hwnd : nullptr;
}

// The bounds in the window's content coordinates, right and bottom exclusive.
void PluginGetControlBounds(Object *control, KARURect *bounds) {
  ControlObject *c = controlOf(control);
  if (!bounds) return;
  *bounds = {};
  if (c) *bounds = {c->bounds.left, c->bounds.top, c->bounds.right, c->bounds.bottom};
}

bool GetControlVisible(Object *control) {
  ControlObject *c = controlOf(control);
  return c && c->visible;
}

void SetControlVisible(Object *control, bool visible) {
  if (ControlObject *c = controlOf(control)) ControlVisibleSetter(c, 0, visible);
}

// Whether the control would show were its window shown: its own Visible,
// and on a tab panel, whether its tab is the one chosen.
bool GetTabPanelVisible(Object *control) {
  ControlObject *c = controlOf(control);
  if (!c) return false;
  return c->pane ? pane_on_screen(c->pane) : c->visible;
}

bool KARUGetControlFocus(Object *control) {
  ControlObject *c = controlOf(control);
  return c && c->pane && pane_focus() == c->pane;
}

// True gives the control the keyboard focus when it can take it; false
// takes the focus away from it when it has it.
void KARUSetControlFocus(Object *control, bool focus) {
  ControlObject *c = controlOf(control);
  if (!c) return;
  if (focus)
    RuntimeSetFocus(c);
  else if (KARUGetControlFocus(control))
    pane_set_focus(nullptr);
}

// Borrowed references: a plug-in that keeps one locks it with KARULockObject.
Object *KARUGetControlParent(Object *control) {
  ControlObject *c = controlOf(control);
  return c && c->container ? &c->container->header : nullptr;
}

Object *getControlWindow(Object *control) {
  ControlObject *c = controlOf(control);
  return c && c->window ? &c->window->header : nullptr;
}

// The defaults a new plug-in control starts from: the system font at the
// default size, and its own name as its caption. The strings are new.
RString *PluginDefaultControlFont() { return str_from("System"); }
int32_t PluginDefaultControlFontSize() { return kDefaultControlFontSize; }
RString *PluginDefaultControlCaption(Object *control) {
  ControlObject *c = controlOf(control);
  return str_from(c ? str_cview(c->name) : "");
}

// A key text as menu items give it ("Q" is Ctrl+Q, "Shift-Alt-F5"); pressing
// it presses the control as a click at its top-left corner would. Nil or ""
// takes the control's accelerator away.
void KARUSetAccelerator(Object *control, RString *key) {
  HWND hwnd = hwndOf(control);
  if (!hwnd) return;
  shortcut_remove(kShortcutPress, hwnd, 0);
  RString *name = command_key_name(key);
  shortcut_register(kShortcutPress, hwnd, 0, name);
  RuntimeUnlockString(name);
}

// Handles every message waiting for this thread as the event loop would,
// then the periodic tasks: a plug-in in a long operation keeps its windows
// alive. A quit request is left for the loop.
void KARUYieldToQX() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage((int)m.wParam);
      break;
    }
    if (gLoopHooks.translateKeys(&m)) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  RuntimeBackgroundTask();
}

/* ---- drawing ---- */

Object *KARUGetControlGraphics(Object *control) {
  Pane *p = is_control(control) ? as_control(control)->pane : nullptr;
  GraphicsObject *g = p ? pane_graphics(p) : nullptr;
  return g ? &g->header : nullptr;
}

// A context the plug-in may draw with after the call: one the target lends
// (a picture's, or a pane's paint context). A pane's own window context is
// given back at the end of every drawing operation, so it is never handed out.
HDC KARUGraphicsDC(Object *graphics) {
  ClassDef *cls = registry_find("Graphics");
  if (!graphics || !cls || !class_derives_from(graphics->cls, cls)) return nullptr;
  GraphicsObject *g = (GraphicsObject *)graphics;
  HDC dc = draw_begin(g);
  if (!dc) return nullptr;
  bool lent = g->port->token == 0;
  draw_end(g);
  return lent ? dc : nullptr;
}

// The paint context a plug-in's draw routine gets is the pane's own, so the
// pane paints its parent's background into it, as the runtime's see-through
// controls on tab panels and in group boxes do.
int32_t KARUSetSpecialBackground(Object *control, HDC dc) {
  ControlObject *c = controlOf(control);
  if (!c || !c->pane || !c->pane->hwnd || !dc) return 0;
  pane_paint_parent_background(c->pane, dc);
  return 1;
}
