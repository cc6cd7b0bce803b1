// Windows from window descriptions: RuntimeCreateWindow and the view
// construction over the description stream, properties applied by name and
// type, placement, per-name records, the close sequence, and showing, hiding
// and listing windows.
#include "ui/windowobject.h"
#include "objects/registry.h"
#include "base/pool.h"
#include "lifecycle/settings.h"
#include "text/packed.h"
#include "text/string.h"
#include "ui/mdi.h"
#include "ui/control.h"
#include "ui/nativewindow.h"
#include "ui/tabpanel.h"
#include "ui/timer.h"
#include <cstring>
#include <initializer_list>

/* ---- properties by name ---- */

static PropertyRecord *findProperty(ClassDef *cls, RString *name) {
  for (; cls; cls = cls->superclass) /* the first match up the chain wins */
    for (PropertyRecord *p = cls->properties; p; p = p->next)
      if (names_equal(p->name, name)) return p;
  return nullptr;
}

static bool isClassType(const void *type) { return type && *(const int32_t *)type == 3; }

typedef void (*Setter)(Object *object, int32_t parameter, uint32_t value);

void apply_property(Object *object, RString *name, RString *value) {
  PropertyRecord *p = findProperty(object->cls, name);
  if (!p || !p->setter) return;
  Setter set = (Setter)p->setter;
  if (isClassType(p->type)) {
    int32_t number = 0;
    kTypeInteger.fromText(value, &number);
    Object *o = RuntimeProjectObject(number);
    set(object, p->parameter, (uint32_t)(uintptr_t)o);
    RuntimeUnlockObject(o);
    return;
  }
  const TypeDescriptor *t = (const TypeDescriptor *)p->type;
  if (!t || !t->fromText) return;
  uint32_t converted[2] = {0, 0};
  t->fromText(value, converted);
  set(object, p->parameter, converted[0]);
  if (t->release) t->release(converted);
}

/* ---- per-name records ---- */

NameRecord *window_name_record(WindowObject *window, RString *name) {
  for (NameRecord *r = window->names; r; r = r->next)
    if (names_equal(r->name, name)) return r;
  return nullptr;
}

static void freeNameRecord(NameRecord *r) {
  for (int32_t i = 0; i < 2 * r->pairCount; i++) RuntimeUnlockString(r->pairs[i]);
  if (r->pairs) pool_free(r->pairs, 8 * r->pairCount);
  RuntimeUnlockString(r->name);
  pool_free(r, sizeof(NameRecord));
}

/* ---- the Window class's own life ---- */

static void windowDestructor(Object *o, ClassDef *) {
  WindowObject *w = (WindowObject *)o;
  if (w->controls) map_free(w->controls);
  w->controls = nullptr;
  while (NameRecord *r = w->names) {
    w->names = r->next;
    freeNameRecord(r);
  }
  str_assign(&w->title, nullptr);
  str_assign(&w->balloonHelp, nullptr);
  str_assign(&w->floaterProcess, nullptr);
  RuntimeUnlockObject(w->backdrop);
  RuntimeUnlockObject(w->mouseCursor);
  w->backdrop = w->mouseCursor = nullptr;
}

WindowObject *view_window(View *view) { return view ? view->window : nullptr; }

void window_event(WindowObject *window, const char *event) {
  deliver(&window->header, window->view ? &window->view->pane : nullptr, event);
}

/* ---- placement ---- */

struct FrameKind {
  int code;      // the native window's frame code
  int placement; // the default placement
};
// The Frame property's values 0 to 7 in order, translated for the native window.
static FrameKind frameKind(int32_t frame) {
  static const FrameKind kinds[8] = {
      {(int)Frame::WindowDocument, 4}, {(int)Frame::MovableModal, 2},  {(int)Frame::Modal, 2},
      {(int)Frame::Floating, 0},       {(int)Frame::PlainBox, 2},      {(int)Frame::ShadowedBox, 2},
      {(int)Frame::Rounded, 4},        {(int)Frame::GlobalFloating, 0}};
  if (frame >= 0 && frame < 8) return kinds[frame];
  return {frame, 0}; /* the native window refuses it and says so */
}

Frame window_frame(const WindowObject *w) { return (Frame)frameKind(w->frame).code; }

static void offset(Rect16 *b, int dx, int dy) {
  b->left = (int16_t)(b->left + dx), b->right = (int16_t)(b->right + dx);
  b->top = (int16_t)(b->top + dy), b->bottom = (int16_t)(b->bottom + dy);
}

static void place(WindowObject *w, FrameKind kind) {
  int defaultPlacement = kind.placement;
  bool child = frame_is_mdi_child((Frame)kind.code);
  if (HWND client = child ? mdi_client() : nullptr) { /* placed within the frame's client area */
    POINT origin = {0, 0};
    ClientToScreen(client, &origin);
    offset(&w->bounds, origin.x, origin.y);
  }
  int placement = w->placement ? w->placement : defaultPlacement;
  if (placement == 1) placement = 2;
  switch (placement) {
  case 0:
    offset(&w->bounds, 4, 100);
    break;
  case 2:
  case 3:
    offset(&w->bounds, (GetSystemMetrics(SM_CXSCREEN) - w->bounds.right) / 2,
           (GetSystemMetrics(SM_CYSCREEN) - w->bounds.bottom) / 4);
    break;
  case 4:
    offset(&w->bounds, 10, 50);
    break;
  }
  w->resizedBounds = w->restoreBounds = w->bounds;
}

/* ---- view construction ---- */

static RString *readText(PackedStream *in) { return packed_string(in); }

// Reads Q pairs, applies them, and gives them back for the per-name record.
static RString **readPairs(PackedStream *in, Object *o, int32_t count, RString **name,
                           int32_t *index) {
  RString **pairs = count ? (RString **)pool_alloc(8 * count) : nullptr;
  for (int32_t i = 0; i < count; i++) {
    RString *key = readText(in), *value = readText(in);
    pairs[2 * i] = key, pairs[2 * i + 1] = value;
    if (name_is(key, "Index")) kTypeInteger.fromText(value, index);
    if (name_is(key, "Name")) *name = value;
    apply_property(o, key, value);
  }
  return pairs;
}

static void keepNameRecord(WindowObject *w, RString *name, int32_t index, int32_t classIndex,
                           RString **pairs, int32_t count) {
  if (!name || window_name_record(w, name)) { /* a later element of a control array */
    for (int32_t i = 0; i < 2 * count; i++) RuntimeUnlockString(pairs[i]);
    if (pairs) pool_free(pairs, 8 * count);
    return;
  }
  NameRecord *r = (NameRecord *)pool_alloc(sizeof(NameRecord));
  *r = {w->names, name, index, classIndex, count, pairs};
  RuntimeLockString(name);
  w->names = r;
}

static ClassDef *canvasClass() {
  static ClassDef *canvas = registry_find("Canvas");
  return canvas;
}

// The last Canvas in map order whose bounds enclose the control's.
static ControlObject *containerFor(WindowObject *w, ControlObject *c) {
  ControlObject *found = nullptr;
  for (MapNode *n = w->controls->first; n; n = n->after) {
    ControlObject *other = as_control(n->value);
    if (n->value != &c->header && is_control(n->value) &&
        class_derives_from(n->value->cls, canvasClass()) && rect_encloses(other->bounds, c->bounds))
      found = other;
  }
  return found;
}

static void readControl(PackedStream *in, WindowObject *w, View *view) {
  int32_t classIndex = 0, count = 0, index = kNoIndex;
  classIndex = packed_int(in);
  Object *o = RuntimeNewObject(classIndex);
  count = packed_int(in);
  if (!o) { /* reported already; the pairs are still read past */
    for (int32_t i = 0; i < 2 * count; i++) RuntimeUnlockString(readText(in));
    return;
  }
  ControlObject *c = as_control(o);
  c->owner = w;
  bool control = is_control(o);
  if (control) {
    c->pane = nullptr;
    c->mouseInside = 0;
    c->created = 1;
    c->view = view;
    c->window = w;
  }
  RString *name = nullptr;
  RString **pairs = readPairs(in, o, count, &name, &index);
  keepNameRecord(w, name, index, classIndex, pairs, count);
  if (control) {
    c->container = containerFor(w, c);
    c->index = c->arrayPosition = index;
  }
  RString *key = map_control_key(control ? c->name : name, index);
  map_insert(w->controls, key, o);
  RuntimeUnlockString(key);
  RuntimeUnlockObject(o); /* the map holds it */
}

static void createPane(ControlObject *c, void *) {
  deliver(&c->header, nullptr, "CreatePane");
  control_attach_pane(c);
}

static void openControl(ControlObject *c, void *) { deliver_to_control(c, "Open"); }

static void readBindings(PackedStream *in, WindowObject *w);

static bool construct(PackedStream *in, WindowObject *w, Object **variable) {
  View *view = view_create(w, w->title, w->bounds, frameKind(w->frame).code, w->closeBox,
                           w->growIcon, w->zoomIcon, w->macProcId);
  if (!view) return false;
  view_set_attribute(view, "RuntimeViewWindow", 1);
  RuntimeLockObject(&w->header); /* the view's reference */
  w->view = view;
  view->variable = variable;
  if (!w->visible) view_hide(view);
  int32_t count = 0;
  count = packed_int(in);
  for (int32_t k = 0; k < count; k++) readControl(in, w, view);
  controls_each(w, createPane, nullptr);
  if (w->hasBackColor) view_set_background(view, true, w->backColor);
  readBindings(in, w);
  controls_each(w, openControl, nullptr);
  window_event(w, "Open");
  if (w->view && GetVersion() >> 31 == 0 && (GetVersion() & 0xFF) > 4)
    SendMessageA(view->pane.hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  if (w->view && w->visible) pane_invalidate(&view->pane);
  return true;
}

/* ---- bindings ---- */

static Object *controlAt(WindowObject *w, int32_t position) {
  MapNode *n = w->controls->first;
  while (n && position-- > 0) n = n->after;
  return n ? n->value : nullptr;
}

// The named part of a control, through its "getBoundPart" method; nil when
// it has none or the lookup fails.
static Object *boundPart(Object *control, RString *part) {
  void *lookUp = control ? method_entry(control, "getBoundPart") : nullptr;
  return lookUp ? ((Object * (*)(Object *, RString *)) lookUp)(control, part) : nullptr;
}

static bool implements(Object *o, ClassDef *face) {
  for (ClassDef *cls = o->cls; cls; cls = cls->superclass)
    for (InterfaceEntry *e = cls->interfaces; e; e = e->next)
      if (e->interface == face) return true;
  return false;
}

static void bindOne(Object *source, Object *target, int32_t classIndex) {
  Object *binding = RuntimeNewObject(classIndex);
  ClassDef *face = registry_find("bindingInterface");
  void *bind =
      binding && face && implements(binding, face) ? method_entry(binding, "bind") : nullptr;
  if (bind) ((void (*)(Object *, Object *, Object *))bind)(binding, source, target);
  RuntimeUnlockObject(binding);
}

static void readBindings(PackedStream *in, WindowObject *w) {
  int32_t count = 0;
  count = packed_int(in);
  for (int32_t b = 0; b < count; b++) {
    int32_t from = 0, to = 0, cls = 0;
    from = packed_int(in);
    RString *sourcePart = readText(in);
    to = packed_int(in);
    RString *targetPart = readText(in);
    cls = packed_int(in);
    RString *sourceCondition = readText(in), *targetCondition = readText(in);
    Object *source = controlAt(w, from), *target = controlAt(w, to);
    Object *s =
        str_len(sourceCondition) ? boundPart(source, sourcePart) : RuntimeLockObject(source);
    Object *t =
        str_len(targetCondition) ? boundPart(target, targetPart) : RuntimeLockObject(target);
    if (s && t) bindOne(s, t, cls);
    RuntimeUnlockObject(s);
    RuntimeUnlockObject(t);
    for (RString *text : {sourcePart, targetPart, sourceCondition, targetCondition})
      RuntimeUnlockString(text);
  }
}

/* ---- RuntimeCreateWindow ---- */

Object *RuntimeCreateWindow(const uint8_t *description, Object **variable) {
  uint32_t length;
  memcpy(&length, description, 4);
  uint8_t *copy = (uint8_t *)pool_alloc((int32_t)length, true);
  if (!copy && length) return nullptr;
  memcpy(copy, description + 4, length);
  PackedStream in = packed_stream(copy, (int32_t)length);
  int32_t count = 0, classIndex = 0;
  count = packed_int(&in);
  classIndex = packed_int(&in);
  Object *o = RuntimeNewObject(classIndex);
  if (!o) {
    pool_free(copy, (int32_t)length);
    return nullptr;
  }
  WindowObject *w = (WindowObject *)o;
  if (variable) *variable = o;
  uint8_t fullScreen = 0;
  for (int32_t i = 0; i < count; i++) {
    RString *name = readText(&in), *value = readText(&in);
    apply_property(o, name, value);
    if (name_is(name, "FullScreen")) kTypeBoolean.fromText(value, &fullScreen);
    RuntimeUnlockString(name);
    RuntimeUnlockString(value);
  }
  place(w, frameKind(w->frame));
  w->controls = map_new();
  bool made = construct(&in, w, variable);
  if (made) tabpanel_pass(w);
  pool_free(copy, (int32_t)length);
  if (made && fullScreen && w->view) view_enter_full_screen(w->view);
  if (w->view) return o;
  if (variable) *variable = nullptr;
  RuntimeUnlockObject(o);
  return nullptr;
}

/* ---- the close sequence ---- */

static void closeControl(ControlObject *c, void *) {
  if (c->pane && pane_focus() == c->pane) pane_set_focus(nullptr);
  deliver_to_control(c, "Close");
}

void window_close_now(WindowObject *w) {
  View *view = w->view;
  if (!view || view->closing) return; /* Close is delivered once only */
  view->closing = 1;
  controls_each(w, closeControl, nullptr);
  timer_stop_placed(&w->header);
  window_event(w, "Close");
  map_free(w->controls);
  w->controls = map_new();
  w->view = nullptr;
  view->window = nullptr;
  view_destroy(view);
  RuntimeUnlockObject(&w->header); /* the view's reference, last: it may be the only one */
}

bool window_close(WindowObject *w) {
  if (!w->view || w->view->closing) return false;
  RuntimeLockObject(&w->header); /* CancelClose may drop every other reference */
  bool cancelled = deliver(&w->header, &w->view->pane, "CancelClose") == kAnsweredTrue;
  if (!cancelled) window_close_now(w);
  RuntimeUnlockObject(&w->header);
  return !cancelled;
}

/* ---- showing, hiding, closing, listing ---- */

void RuntimeShowWindow(WindowObject *w) {
  if (!w) return;
  w->visible = 1;
  if (!w->view) return;
  view_show(w->view);
  if (w->fullScreen && !w->view->fullScreen) view_enter_full_screen(w->view);
}

void RuntimeHideWindow(WindowObject *w) {
  if (!w) return;
  w->visible = 0;
  if (w->view) view_hide(w->view);
}

void RuntimeCloseWindow(WindowObject *w) {
  if (w && w->view) window_close(w);
}

int32_t getWindowCount() {
  int32_t n = 0;
  for (View *v = gWindowList; v; v = v->next) n += v->window != nullptr;
  return n;
}

Object *getWindow(int32_t index) {
  for (View *v = gWindowList; v; v = v->next)
    if (v->window && index-- == 0) return RuntimeLockObject(&v->window->header);
  return nullptr;
}

int32_t windowControlCountGetter(WindowObject *w) {
  int32_t n = 0;
  if (w && w->controls)
    for (MapNode *m = w->controls->first; m; m = m->after) n += is_control(m->value);
  return n;
}

Object *windowControl(WindowObject *w, int32_t index) {
  if (!w || !w->controls || index < 0) return nullptr;
  for (MapNode *m = w->controls->first; m; m = m->after)
    if (is_control(m->value) && index-- == 0) return RuntimeLockObject(m->value);
  return nullptr;
}

void window_classes_attach() { gWindowClass->destructor = windowDestructor; }
