// Controls: the Control and RectControl records, lookup of controls on their
// window, cloning and closing, the generic accessors, and the delivery of
// events from a pane to the handlers of the application's classes.
#pragma once
#include "ui/pane.h"

struct View;
struct WindowObject;

struct ControlObject {
  Object header;                // 0
  WindowObject *owner;          // 16: the owning window
  int32_t arrayPosition;        // 20: the Index as the map stores it (read by compiled handlers)
  void *reserved;               // 24: cleared at creation
  Pane *pane;                   // 28: nil until CreatePane and after close
  RString *name;                // 32
  int32_t index;                // 36: kNoIndex when not an element of a control array
  int32_t tabPanelIndex;        // 40
  uint8_t visible;              // 44
  uint8_t enabled;              // 45
  uint8_t autoDeactivate;       // 46
  uint8_t mouseInside;          // 47
  uint8_t created;              // 48: always set
  uint8_t cloned;               // 49: made by RuntimeCloneControlReference
  uint8_t lockLeft;             // 50
  uint8_t lockTop;              // 51
  uint8_t lockRight;            // 52
  uint8_t lockBottom;           // 53
  Rect16 bounds;                // 54: window content coordinates
  View *view;                   // 64
  WindowObject *window;         // 68
  Object *mouseCursor;          // 72
  RString *balloonHelp;         // 76
  RString *disabledBalloonHelp; // 80
  RString *helpTag;             // 84
  ControlObject *container;     // 88: the Canvas that encloses it, or nil
};
static_assert(offsetof(ControlObject, arrayPosition) == 20);
static_assert(offsetof(ControlObject, pane) == 28);
static_assert(offsetof(ControlObject, name) == 32);
static_assert(offsetof(ControlObject, index) == 36);
static_assert(offsetof(ControlObject, tabPanelIndex) == 40);
static_assert(offsetof(ControlObject, visible) == 44);
static_assert(offsetof(ControlObject, lockLeft) == 50);
static_assert(offsetof(ControlObject, bounds) == 54);
static_assert(offsetof(ControlObject, view) == 64);
static_assert(offsetof(ControlObject, window) == 68);
static_assert(offsetof(ControlObject, helpTag) == 84);
static_assert(offsetof(ControlObject, container) == 88);
static_assert(sizeof(ControlObject) == 92);

bool is_control(const Object *object);
bool is_rect_control(const Object *object);
inline ControlObject *as_control(Object *o) { return (ControlObject *)o; }

// The result of delivering an event.
enum Delivery {
  kAnsweredFalse = 0, // no handler, or it answered False
  kAnsweredTrue = 1,
  kPaneGone = 2, // the pane was disposed by the handler: touch it no more
};

// Delivers `event` of the object's class with the argument words; the pane's
// use count is held around the call when a pane is given.
Delivery deliver(Object *object, Pane *pane, const char *event, const uint32_t *args = nullptr,
                 int count = 0);
inline Delivery deliver_to_control(ControlObject *c, const char *event,
                                   const uint32_t *args = nullptr, int count = 0) {
  return deliver(&c->header, c->pane, event, args, count);
}
// A value-change event: a second one for the same control while the first
// is delivered is dropped.
Delivery deliver_change(ControlObject *c, const char *event);
bool has_handler(Object *object, const char *event);
// The entry of the method named `name` on the object's class chain, or nil.
void *method_entry(Object *object, const char *name);

// What every control's pane does for its control: events of the mouse and of
// focus go to the control's handlers. Kinds of control start from this table.
extern const PaneKind kControlPaneKind;
bool control_mouse_down(Pane *pane, POINT at, int modifiers);
void control_mouse_drag(Pane *pane, POINT at);
void control_mouse_up(Pane *pane, POINT at);
void control_got_focus(Pane *pane);
void control_lost_focus(Pane *pane);
ControlObject *pane_control(Pane *pane); // the control a pane reports to, or nil

// Makes the native pane of a control over its bounds, under its window's root.
Pane *control_make_pane(ControlObject *c, const PaneKind *kind, int32_t size,
                        const char *nativeClass, const char *title, DWORD style, DWORD exStyle = 0);

// After CreatePane: the pane takes the control's state and reports to it.
void control_attach_pane(ControlObject *c);

// The resize rule's part for controls: LockRight and LockBottom follow the change.
void controls_follow_resize(WindowObject *window, int dw, int dh);

// The window-level mouse routing over a window's controls, window coordinates.
void controls_mouse_moved(WindowObject *window, POINT at);
void controls_mouse_left(WindowObject *window);

// A kind of control names the routine that makes its pane, once, when it
// installs; control_classes_attach then gives each control class with a pane
// its CreatePane handler (a class no kind named says it is not built yet).
typedef void (*CreatePaneRoutine)(Object *control);
void control_kind_register(const char *className, CreatePaneRoutine make);

// Runs each control of a window (a snapshot, retained for the walk) through fn.
void controls_each(WindowObject *window, void (*fn)(ControlObject *c, void *context),
                   void *context);

void control_classes_attach(); // the Control class's destructor and the CreatePane handlers

extern "C" {
Object *RuntimeControlFetch(WindowObject *window, RString *name);
Object *RuntimeControlReference(WindowObject *window, RString *name);
Object *RuntimeControlArrayItemReference(WindowObject *window, RString *name, int32_t index);
Object *RuntimeCloneControlReference(WindowObject *window, RString *name);
void ControlClose(ControlObject *control);
void ControlVisibleSetter(ControlObject *control, int32_t, bool visible);
void RuntimeSetFocus(ControlObject *control); // when on screen and enabled
void RuntimeControlRefresh(ControlObject *control);
void RuntimeControlRefreshRect(ControlObject *control, int32_t left, int32_t top, int32_t width,
                               int32_t height);
}
