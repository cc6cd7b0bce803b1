// Property accessors of Control and RectControl, the generic field and pane
// field accessors whose parameter names the field, cursors, focus and
// refresh entry points.
#include "objects/registry.h"
#include "ui/theme.h"
#include "text/string.h"
#include "ui/control.h"
#include "ui/windowobject.h"
#include "ui/nativewindow.h"
#include "ui/windowproc.h"

typedef ControlObject C;

Object *gAppCursor; // the Application's MouseCursor

template <typename T> static T &field(void *o, int32_t offset) {
  return *(T *)((char *)o + offset);
}

static HCURSOR handleOf(Object *mouseCursor) {
  return mouseCursor ? field<HCURSOR>(mouseCursor, 16) : nullptr;
}

static void replaceObject(Object **slot, Object *v) {
  RuntimeLockObject(v);
  RuntimeUnlockObject(*slot);
  *slot = v;
}

// Applies fn to every control of the window whose pane lies inside c's, at
// any depth, and then to c itself.
template <typename F> static void withInside(C *c, F fn) {
  WindowObject *w = c->window;
  if (c->pane && w && w->controls)
    for (MapNode *n = w->controls->first; n; n = n->after) {
      C *other = as_control(n->value);
      if (other != c && is_control(n->value) && other->pane && pane_contains(c->pane, other->pane))
        fn(other);
    }
  fn(c);
}

extern "C" {

/* ---- generic instance fields: the parameter is the byte offset ---- */

RString *stringGetter(Object *o, int32_t offset) {
  RString *s = field<RString *>(o, offset);
  RuntimeLockString(s);
  return s;
}
void stringSetter(Object *o, int32_t offset, RString *v) {
  str_assign(&field<RString *>(o, offset), v);
}
Object *objGetter(Object *o, int32_t offset) {
  return RuntimeLockObject(field<Object *>(o, offset));
}
void objSetter(Object *o, int32_t offset, Object *v) {
  replaceObject(&field<Object *>(o, offset), v);
}

// Setters that also redraw the control.
static void redraw(Object *o) {
  if (is_control(o) && as_control(o)->pane) pane_invalidate(as_control(o)->pane);
}
void intInvalidateSetter(Object *o, int32_t offset, int32_t v) {
  field<int32_t>(o, offset) = v;
  redraw(o);
}
void boolInvalidateSetter(Object *o, int32_t offset, bool v) {
  field<uint8_t>(o, offset) = v;
  redraw(o);
}
void stringInvalidateSetter(Object *o, int32_t offset, RString *v) {
  stringSetter(o, offset, v);
  redraw(o);
}
void objInvalidateSetter(Object *o, int32_t offset, Object *v) {
  objSetter(o, offset, v);
  redraw(o);
}

/* ---- pane fields: bits 0-9 the instance's field, 10-19 the pane's, 20-29 the themed pane's ----
 */

static int32_t instanceField(int32_t p) { return p & 0x3FF; }
static void *paneOf(Object *o) { return is_control(o) ? as_control(o)->pane : nullptr; }
static int32_t paneField(int32_t p) {
  return theme_active() && (p >> 20 & 0x3FF) ? p >> 20 & 0x3FF : p >> 10 & 0x3FF;
}

#define PANE_ACCESSORS(Name, T, get, set)                                                          \
  T pane##Name##Getter(Object *o, int32_t p) {                                                     \
    void *pane = paneOf(o);                                                                        \
    return get(pane ? field<T>(pane, paneField(p)) : field<T>(o, instanceField(p)));               \
  }                                                                                                \
  void pane##Name##Setter(Object *o, int32_t p, T v) {                                             \
    if (void *pane = paneOf(o)) {                                                                  \
      set(&field<T>(pane, paneField(p)), v);                                                       \
      pane_invalidate((Pane *)pane);                                                               \
    }                                                                                              \
    set(&field<T>(o, instanceField(p)), v);                                                        \
  }
static int32_t same(int32_t v) { return v; }
static bool sameBool(uint8_t v) { return v; }
static int32_t widen(int16_t v) { return v; }
static RString *retained(RString *s) {
  RuntimeLockString(s);
  return s;
}
static Object *retainedObject(Object *o) { return RuntimeLockObject(o); }
static void store(int32_t *slot, int32_t v) { *slot = v; }
static void storeBool(uint8_t *slot, uint8_t v) { *slot = v != 0; }
static void storeShort(int16_t *slot, int16_t v) { *slot = v; }
static void storeString(RString **slot, RString *v) { str_assign(slot, v); }
static void storeObject(Object **slot, Object *v) { replaceObject(slot, v); }
PANE_ACCESSORS(Int, int32_t, same, store)
PANE_ACCESSORS(Bool, uint8_t, sameBool, storeBool)
PANE_ACCESSORS(String, RString *, retained, storeString)
PANE_ACCESSORS(Obj, Object *, retainedObject, storeObject)
int32_t paneShortGetter(Object *o, int32_t p) {
  void *pane = paneOf(o);
  return widen(pane ? field<int16_t>(pane, paneField(p)) : field<int16_t>(o, instanceField(p)));
}
void paneShortSetter(Object *o, int32_t p, int32_t v) {
  if (void *pane = paneOf(o)) {
    storeShort(&field<int16_t>(pane, paneField(p)), (int16_t)v);
    pane_invalidate((Pane *)pane);
  }
  storeShort(&field<int16_t>(o, instanceField(p)), (int16_t)v);
}

/* ---- Control ---- */

static void giveHelp(C *c) {
  if (c->pane) pane_set_help(c->pane, c->helpTag, c->balloonHelp, c->disabledBalloonHelp);
}
void controlHelpTagSetter(C *c, int32_t, RString *v) {
  str_assign(&c->helpTag, v);
  giveHelp(c);
}
void controlBalloonHelpSetter(C *c, int32_t, RString *v) {
  str_assign(&c->balloonHelp, v);
  giveHelp(c);
}
void controlDisabledBalloonHelpSetter(C *c, int32_t, RString *v) {
  str_assign(&c->disabledBalloonHelp, v);
  giveHelp(c);
}

void ControlTabPanelIndexSetter(C *c, int32_t, int32_t v) {
  withInside(c, [v](C *x) {
    x->tabPanelIndex = v;
    if (x->pane) pane_set_tab_panel_index(x->pane, v);
  });
}

void controlMouseCursorSetter(C *c, int32_t, Object *v) {
  replaceObject(&c->mouseCursor, v);
  if (c->pane) pane_set_cursor(c->pane, handleOf(v));
}

static POINT mouseInPane(C *c) {
  POINT p = {0, 0};
  if (!c->pane || !c->view || !c->view->pane.hwnd) return p;
  GetCursorPos(&p);
  ScreenToClient(c->view->pane.hwnd, &p);
  return {p.x - c->pane->bounds.left, p.y - c->pane->bounds.top};
}
int32_t controlMouseXGetter(C *c) { return c->pane ? mouseInPane(c).x : 0; }
int32_t controlMouseYGetter(C *c) { return c->pane ? mouseInPane(c).y : 0; }
Object *controlWindowGetter(C *c) { return RuntimeLockObject(&c->window->header); }
int32_t controlMacControlHandleGetter(C *c) {
  return c->pane ? (int32_t)(uintptr_t)c->pane->hwnd : 0;
}

/* ---- RectControl ---- */

bool controlVisibleGetter(C *c) { return c->visible; }
void ControlVisibleSetter(C *c, int32_t, bool v) {
  c->visible = v;
  if (!c->pane) return;
  withInside(c, [v](C *x) {
    x->visible = v;
    if (x->pane) pane_set_shown(x->pane, v);
  });
}

bool controlEnabledGetter(C *c) { return c->enabled; }
void controlEnabledSetter(C *c, int32_t, bool v) {
  c->enabled = v;
  if (!c->pane) return;
  withInside(c, [v](C *x) {
    x->enabled = v;
    if (x->pane) pane_set_enabled(x->pane, v, true);
  });
}

bool controlAutoDeactivateGetter(C *c) { return c->autoDeactivate; }
void controlAutoDeactivateSetter(C *c, int32_t, bool v) {
  c->autoDeactivate = v;
  if (c->pane) c->pane->autoDeactivate = v;
}

bool controlLockLeftGetter(C *c) { return c->lockLeft; }
bool controlLockTopGetter(C *c) { return c->lockTop; }
bool controlLockRightGetter(C *c) { return c->lockRight; }
bool controlLockBottomGetter(C *c) { return c->lockBottom; }
void controlLockLeftSetter(C *c, int32_t, bool v) { c->lockLeft = v; }
void controlLockTopSetter(C *c, int32_t, bool v) { c->lockTop = v; }
void controlLockRightSetter(C *c, int32_t, bool v) { c->lockRight = v; }
void controlLockBottomSetter(C *c, int32_t, bool v) { c->lockBottom = v; }

int32_t ctlPosGetter(C *c, int32_t which) { return rect_part(c->bounds, which); }

static void shift(C *c, int dx, int dy) {
  c->bounds.left = (int16_t)(c->bounds.left + dx),
  c->bounds.right = (int16_t)(c->bounds.right + dx);
  c->bounds.top = (int16_t)(c->bounds.top + dy),
  c->bounds.bottom = (int16_t)(c->bounds.bottom + dy);
}

void ctlPosSetter(C *c, int32_t which, int32_t v) {
  Rect16 old = c->bounds;
  int dx = which == 0 ? v - old.left : 0, dy = which == 1 ? v - old.top : 0;
  if (which == 0 || which == 1)
    shift(c, dx, dy);
  else if (which == 2)
    c->bounds.right = (int16_t)(old.left + v);
  else
    c->bounds.bottom = (int16_t)(old.top + v);
  if ((dx || dy) && c->pane && c->window && c->window->controls)
    for (MapNode *n = c->window->controls->first; n; n = n->after) {
      C *inner = as_control(n->value);
      if (inner != c && is_control(n->value) && inner->pane &&
          pane_contains(c->pane, inner->pane)) {
        shift(inner, dx, dy); /* what sits inside moves along */
        pane_set_bounds(inner->pane, inner->bounds, true);
      }
    }
  if (c->pane && !rect_equal(old, c->bounds)) pane_set_bounds(c->pane, c->bounds, true);
}

/* ---- cursors ---- */

static Object *standardCursor(const char *id) {
  static Object *made[3];
  static const char *ids[3] = {IDC_ARROW, IDC_WAIT, IDC_IBEAM};
  for (int i = 0; i < 3; i++)
    if (ids[i] == id) {
      if (!made[i]) {
        made[i] = CreateInstance(registry_find("MouseCursor"));
        field<HCURSOR>(made[i], 16) = LoadCursorA(nullptr, id);
      }
      return RuntimeLockObject(made[i]);
    }
  return nullptr;
}
Object *getArrowCursor() { return standardCursor(IDC_ARROW); }
Object *getWatchCursor() { return standardCursor(IDC_WAIT); }
Object *getIBeamCursor() { return standardCursor(IDC_IBEAM); }

void appMouseCursorSetter(Object *, int32_t, Object *v) {
  replaceObject(&gAppCursor, v);
  for (View *view = gWindowList; view; view = view->next) window_refresh_cursor(view);
}

/* ---- focus and refresh ---- */

void RuntimeSetFocus(C *c) {
  if (c && c->pane && pane_on_screen(c->pane) && c->pane->enabled) pane_set_focus(c->pane);
}
void clearFocus() { pane_set_focus(nullptr); }
void formSetFocus(WindowObject *w) {
  pane_set_focus(nullptr);
  if (w && w->view) SetFocus(w->view->pane.hwnd);
}
void formRefresh(WindowObject *w) {
  if (!w || !w->view) return;
  pane_invalidate(&w->view->pane);
  pane_repaint_now(&w->view->pane);
}
void formRefreshRect(WindowObject *w, int32_t left, int32_t top, int32_t width, int32_t height) {
  if (!w || !w->view) return;
  pane_invalidate_rect(&w->view->pane, {(int16_t)top, (int16_t)left, (int16_t)(top + height),
                                        (int16_t)(left + width)});
  pane_repaint_now(&w->view->pane);
}
}
