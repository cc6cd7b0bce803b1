// Controls on their window: lookup by name, cloning and closing of controls,
// event delivery from panes to the application's handlers with the use
// count held, the mouse routing over a window's controls, and the resize
// rule's moving of locked controls.
#include "ui/control.h"
#include "objects/registry.h"
#include "base/pool.h"
#include "base/fault.h"
#include "lifecycle/exception.h"
#include "base/vector.h"
#include "text/string.h"
#include "objects/builtins.h"
#include "ui/windowobject.h"
#include "ui/nativewindow.h"
#include "ui/windowproc.h"
#include <cstdio>
#include <cstring>
#include <initializer_list>

bool is_control(const Object *o) { return o && class_derives_from(o->cls, gControlClass); }
bool is_rect_control(const Object *o) { return o && class_derives_from(o->cls, gRectControlClass); }

ControlObject *pane_control(Pane *pane) {
  return pane && is_control(pane->owner) ? as_control(pane->owner) : nullptr;
}

/* ---- delivery ---- */

static void *handlerFor(Object *o, const char *event) {
  EventRecord *declared = o ? class_find_event(o->cls, event) : nullptr;
  return declared ? event_handler_entry(o, declared) : nullptr;
}

bool has_handler(Object *o, const char *event) { return handlerFor(o, event) != nullptr; }

void *method_entry(Object *o, const char *name) {
  for (ClassDef *cls = o ? o->cls : nullptr; cls; cls = cls->superclass)
    for (MethodRecord *m = cls->methods; m; m = m->next)
      if (name_is(m->name, name)) return m->entry;
  return nullptr;
}

Delivery deliver(Object *o, Pane *pane, const char *event, const uint32_t *args, int count) {
  void *entry = handlerFor(o, event);
  if (!entry) return kAnsweredFalse;
  uint32_t words[8] = {(uint32_t)(uintptr_t)o};
  for (int i = 0; i < count && i < 7; i++) words[i + 1] = args[i];
  Ongoing work = {.pane = pane, .receiver = o}; /* the handler may drop the last other reference */
  ongoing_begin(&work);
  uint32_t result = call_compiled_words(entry, words, count + 1);
  if (ongoing_end(&work)) return kPaneGone;
  return (result & 0xFF) ? kAnsweredTrue : kAnsweredFalse;
}

Delivery deliver_change(ControlObject *c, const char *event) {
  if (ongoing_changing(c)) return kAnsweredFalse; /* re-entered: dropped */
  Ongoing work = {.changing = c};
  ongoing_begin(&work);
  Delivery d = deliver_to_control(c, event);
  ongoing_end(&work);
  return d;
}

/* ---- the control pane's behaviour ---- */

static uint32_t word(long v) { return (uint32_t)v; }

bool control_mouse_down(Pane *pane, POINT at, int) {
  ControlObject *c = pane_control(pane);
  if (!c) return false;
  uint32_t args[] = {word(at.x - c->bounds.left), word(at.y - c->bounds.top)};
  Delivery d = deliver_to_control(c, "MouseDown", args, 2);
  if (d != kAnsweredTrue) return d == kPaneGone;
  pane_track(pane);
  return true;
}

// A mouse event with the point relative to the control.
static void mouseEvent(Pane *pane, POINT at, const char *event) {
  ControlObject *c = pane_control(pane);
  if (!c) return;
  uint32_t args[] = {word(at.x - c->bounds.left), word(at.y - c->bounds.top)};
  deliver_to_control(c, event, args, 2);
}

void control_mouse_drag(Pane *pane, POINT at) { mouseEvent(pane, at, "MouseDrag"); }
void control_mouse_up(Pane *pane, POINT at) { mouseEvent(pane, at, "MouseUp"); }

void control_got_focus(Pane *pane) {
  if (ControlObject *c = pane_control(pane)) deliver_to_control(c, "GotFocus");
}

void control_lost_focus(Pane *pane) {
  if (ControlObject *c = pane_control(pane)) deliver_to_control(c, "LostFocus");
}

const PaneKind kControlPaneKind = {
    .name = "control",
    .mouseDown = control_mouse_down,
    .mouseDrag = control_mouse_drag,
    .mouseUp = control_mouse_up,
    .gotFocus = control_got_focus,
    .lostFocus = control_lost_focus,
};

Pane *control_make_pane(ControlObject *c, const PaneKind *kind, int32_t size,
                        const char *nativeClass, const char *title, DWORD style, DWORD exStyle) {
  if (!c->view) return nullptr;
  c->pane = pane_create(kind, size, &c->view->pane, c->bounds, c->tabPanelIndex, nativeClass, title,
                        style, exStyle);
  if (c->pane && c->pane->hwnd && c->window && c->window->controls) {
    int32_t n = 1; /* the native identifier: the control's place on its window, from 1 */
    for (MapNode *m = c->window->controls->first; m && m->value != &c->header; m = m->after) n++;
    SetWindowLongPtrA(c->pane->hwnd, GWLP_ID, n);
  }
  return c->pane;
}

void control_attach_pane(ControlObject *c) {
  Pane *p = c->pane;
  if (!p) return;
  pane_set_tab_panel_index(p, c->tabPanelIndex);
  if (!c->enabled) pane_set_enabled(p, false, false);
  if (!c->visible) pane_set_shown(p, false);
  pane_set_help(p, c->helpTag, c->balloonHelp, c->disabledBalloonHelp);
  p->autoDeactivate = c->autoDeactivate;
  if (c->mouseCursor) p->cursor = *(HCURSOR *)((char *)c->mouseCursor + 16);
  pane_set_owner(p, &c->header);
}

/* ---- the classes' own life ---- */

static void controlDestructor(Object *o, ClassDef *) {
  ControlObject *c = as_control(o);
  if (c->pane && c->pane->owner == o) c->pane = nullptr;
  for (RString **s : {&c->name, &c->balloonHelp, &c->disabledBalloonHelp, &c->helpTag})
    str_assign(s, nullptr);
  RuntimeUnlockObject(c->mouseCursor);
  c->mouseCursor = nullptr;
}

// Until a kind of control is built, making its pane says so by name.
[[noreturn]] static void createPaneUnbuilt(Object *o) {
  static char text[96];
  wsprintfA(text, "CreatePane of %s", str_cview(class_display_name(o->cls)));
  fault_unbuilt(text);
}

enum { kMostKinds = 32 };

static struct {
  const char *className;
  CreatePaneRoutine make;
} kinds[kMostKinds]; // each kind of control names its CreatePane routine as it installs
static int32_t kindCount;

void control_kind_register(const char *className, CreatePaneRoutine make) {
  if (kindCount < kMostKinds) kinds[kindCount++] = {className, make};
}

static CreatePaneRoutine paneMaker(const char *className) {
  for (int32_t i = 0; i < kindCount; i++)
    if (!_stricmp(kinds[i].className, className)) return kinds[i].make;
  return createPaneUnbuilt;
}

void control_classes_attach() {
  gControlClass->destructor = controlDestructor;
  for (const BuiltinClass &b : kBuiltinClasses) {
    if (!(b.flags & kPane)) continue;
    RString *name = str_from("CreatePane");
    class_add_handler(registry_find(b.name), name, 0, (void *)paneMaker(b.name));
    RuntimeUnlockString(name);
  }
}

/* ---- walks over a window's controls ---- */

void controls_each(WindowObject *w, void (*fn)(ControlObject *c, void *context), void *context) {
  if (!w->controls) return;
  Vector snapshot; /* handlers may close controls while the walk goes on */
  vec_init(&snapshot);
  for (MapNode *n = w->controls->first; n; n = n->after)
    if (is_control(n->value)) vec_append_ptr(&snapshot, RuntimeLockObject(n->value));
  for (int32_t i = 0; i < vec_count(&snapshot); i++)
    fn((ControlObject *)vec_get_ptr(&snapshot, i), context);
  for (int32_t i = 0; i < vec_count(&snapshot); i++)
    RuntimeUnlockObject((Object *)vec_get_ptr(&snapshot, i));
  vec_dispose(&snapshot);
}

struct Resize {
  int dw, dh;
};

static void followResize(ControlObject *c, void *context) {
  Resize *r = (Resize *)context;
  if (!c->lockRight && !c->lockBottom) return;
  Rect16 b = c->bounds;
  if (c->lockRight) {
    b.right = (int16_t)(b.right + r->dw);
    if (!c->lockLeft) b.left = (int16_t)(b.left + r->dw);
  }
  if (c->lockBottom) {
    b.bottom = (int16_t)(b.bottom + r->dh);
    if (!c->lockTop) b.top = (int16_t)(b.top + r->dh);
  }
  c->bounds = b;
  if (c->pane) pane_set_bounds(c->pane, b, true);
}

void controls_follow_resize(WindowObject *w, int dw, int dh) {
  Resize r = {dw, dh};
  controls_each(w, followResize, &r);
}

/* ---- mouse routing ---- */

struct MouseWalk {
  POINT at;
  WindowObject *window;
};

static bool closing(WindowObject *w) { return !w->view || w->view->closing; }

static void exitIfLeft(ControlObject *c, void *context) {
  MouseWalk *m = (MouseWalk *)context;
  if (!c->mouseInside || closing(m->window)) return;
  if (c->pane && pane_on_screen(c->pane) && rect_holds(c->pane->bounds, m->at)) return;
  c->mouseInside = 0;
  deliver_to_control(c, "MouseExit");
}

static void moveOver(ControlObject *c, void *context) {
  MouseWalk *m = (MouseWalk *)context;
  if (closing(m->window) || !c->pane || !pane_on_screen(c->pane) ||
      !rect_holds(c->pane->bounds, m->at))
    return;
  if (!c->mouseInside) {
    window_note_control_cursor(c->pane->cursor);
    c->mouseInside = 1;
    if (deliver_to_control(c, "MouseEnter") == kPaneGone) return;
  }
  uint32_t args[] = {word(m->at.x - c->bounds.left), word(m->at.y - c->bounds.top)};
  deliver_to_control(c, "MouseMove", args, 2);
}

void controls_mouse_moved(WindowObject *w, POINT at) {
  MouseWalk m = {at, w};
  controls_each(w, exitIfLeft, &m);
  controls_each(w, moveOver, &m);
}

static void exitAll(ControlObject *c, void *) {
  if (!c->mouseInside) return;
  c->mouseInside = 0;
  deliver_to_control(c, "MouseExit");
}

void controls_mouse_left(WindowObject *w) { controls_each(w, exitAll, nullptr); }

/* ---- lookup ---- */

Object *RuntimeControlFetch(WindowObject *w, RString *name) {
  return w ? map_find(w->controls, str_cview(name), str_len(name)) : nullptr;
}

Object *RuntimeControlReference(WindowObject *w, RString *name) {
  return RuntimeLockObject(RuntimeControlFetch(w, name));
}

Object *RuntimeControlArrayItemReference(WindowObject *w, RString *name, int32_t index) {
  if (!w) return nullptr;
  RString *key = map_control_key(name, index);
  Object *o = map_find(w->controls, str_cview(key), str_len(key));
  RuntimeUnlockString(key);
  return RuntimeLockObject(o);
}

/* ---- cloning ---- */

// The key of a clone of a control that is no array element: name*number.
static RString *starKey(RString *name, const void *instance) {
  char suffix[16];
  snprintf(suffix, sizeof suffix, "*%lu", (unsigned long)(uintptr_t)instance);
  RString *tail = str_from(suffix), *key = str_join(name, tail);
  RuntimeUnlockString(tail);
  return key;
}

static int32_t firstFreeIndex(WindowObject *w, RString *name) {
  for (int32_t n = 0;; n++) {
    RString *key = map_control_key(name, n);
    bool taken = map_find(w->controls, str_cview(key), str_len(key)) != nullptr;
    RuntimeUnlockString(key);
    if (!taken) return n;
  }
}

Object *RuntimeCloneControlReference(WindowObject *w, RString *name) {
  if (!w) {
    fault_report(kFaultCloneWithoutWindow);
    return nullptr;
  }
  NameRecord *r = window_name_record(w, name);
  if (!r) return nullptr;
  RString *modelKey = map_control_key(name, r->index);
  Object *model = map_find(w->controls, str_cview(modelKey), str_len(modelKey));
  RuntimeUnlockString(modelKey);
  Object *o = RuntimeNewObject(r->classIndex);
  if (!o) return nullptr;
  ControlObject *c = as_control(o);
  bool control = is_control(o);
  if (control) {
    c->cloned = c->created = 1;
    c->pane = nullptr;
    c->mouseInside = 0;
    c->view = w->view;
    c->window = w;
    c->container = is_control(model) ? as_control(model)->container : nullptr;
  }
  int32_t index = kNoIndex;
  RString *key;
  if (r->index == kNoIndex) {
    key = starKey(name, o);
  } else {
    index = firstFreeIndex(w, name);
    key = map_control_key(name, index);
  }
  map_insert(w->controls, key, o);
  RuntimeUnlockString(key);
  for (int32_t i = 0; i < r->pairCount; i++)
    apply_property(o, r->pairs[2 * i], r->pairs[2 * i + 1]);
  c->owner = is_control(model) ? as_control(model)->owner : w;
  if (control) {
    c->index = c->arrayPosition = index;
    gPaneCloning = true;
    deliver(o, nullptr, "CreatePane");
    gPaneCloning = false;
    control_attach_pane(c);
    deliver_to_control(c, "Open");
  }
  return o; /* the creation reference goes to the caller; the map holds its own */
}

/* ---- closing ---- */

static void closeInside(ControlObject *c, void *context) {
  Pane *outer = (Pane *)context;
  if (c->pane && c->pane != outer && pane_contains(outer, c->pane)) ControlClose(c);
}

// Takes the control out of the map under the key it is stored with; the
// later elements of its control array move down by one.
static Object *removeFromMap(WindowObject *w, ControlObject *c) {
  ControlMap *map = w->controls;
  for (MapNode *n = map->first; n; n = n->after)
    if (n->value == &c->header) {
      RString *key = n->key;
      RuntimeLockString(key);
      Object *taken = map_remove(map, str_cview(key), str_len(key));
      RuntimeUnlockString(key);
      if (c->index != kNoIndex) {
        for (int32_t j = c->index + 1;; j++) {
          RString *later = map_control_key(c->name, j);
          Object *moved = map_remove(map, str_cview(later), str_len(later));
          RuntimeUnlockString(later);
          if (!moved) break;
          ControlObject *m = as_control(moved);
          m->index = m->arrayPosition = j - 1;
          RString *lower = map_control_key(c->name, j - 1);
          map_insert(map, lower, moved);
          RuntimeUnlockString(lower);
          RuntimeUnlockObject(moved);
        }
      }
      return taken;
    }
  return nullptr;
}

void ControlClose(ControlObject *c) {
  if (!c) return;
  WindowObject *w = c->window ? c->window : c->owner;
  if (!w) {
    fault_report(kFaultCloseWithoutWindow);
    return;
  }
  RuntimeLockObject(&c->header);
  if (Pane *p = c->pane) {
    if (pane_focus() == p) pane_set_focus(nullptr);
    deliver_to_control(c, "Close");
    c->pane = nullptr;
    controls_each(w, closeInside, p);
    pane_set_shown(p, false);
    pane_dispose(p);
  }
  Object *taken = w->controls ? removeFromMap(w, c) : nullptr;
  RuntimeUnlockObject(taken); /* the map's reference */
  RuntimeUnlockObject(&c->header);
}

/* ---- refresh ---- */

void RuntimeControlRefresh(ControlObject *c) {
  if (!c || !c->visible || !c->pane || !c->pane->shown) return;
  pane_invalidate(c->pane);
  pane_repaint_now(c->pane);
}

void RuntimeControlRefreshRect(ControlObject *c, int32_t left, int32_t top, int32_t width,
                               int32_t height) {
  if (!c || !c->pane) return;
  int16_t x = (int16_t)(c->bounds.left + left), y = (int16_t)(c->bounds.top + top);
  pane_invalidate_rect(c->pane, {y, x, (int16_t)(y + height), (int16_t)(x + width)});
  pane_repaint_now(c->pane);
}
