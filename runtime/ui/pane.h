// The pane tree: everything visible inside a runtime window is a pane, the
// window's own native object being the root. Panes carry geometry in window
// content coordinates, visibility and enabled state, focus and mouse capture,
// cursors, help texts, painting, and the use count that defers disposal while
// an event handler of the pane runs.
#pragma once
#include "graphics/port.h"
#include "objects/objects.h"
#include <windows.h>

struct ControlObject;
struct RString;
struct View;

// A rectangle as the runtime keeps it: signed 16-bit, top first.
struct Rect16 {
  int16_t top, left, bottom, right;
};
static_assert(sizeof(Rect16) == 8);

inline bool rect_equal(Rect16 a, Rect16 b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}
inline bool rect_encloses(Rect16 outer, Rect16 inner) {
  return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
         inner.bottom <= outer.bottom;
}
inline bool rect_holds(Rect16 r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
inline RECT rect_platform(Rect16 r) { return {r.left, r.top, r.right, r.bottom}; }

// The four position properties of a rectangle: 0 Left, 1 Top, 2 Width, 3 Height.
inline int32_t rect_part(Rect16 r, int32_t which) {
  switch (which) {
  case 0:
    return r.left;
  case 1:
    return r.top;
  case 2:
    return r.right - r.left;
  default:
    return r.bottom - r.top;
  }
}
// Sets one: Left and Top move the rectangle (keeping its size), Width and
// Height move its right or bottom edge.
inline void rect_set_part(Rect16 *r, int32_t which, int32_t v) {
  int16_t width = (int16_t)(r->right - r->left), height = (int16_t)(r->bottom - r->top);
  switch (which) {
  case 0:
    r->left = (int16_t)v, r->right = (int16_t)(v + width);
    break;
  case 1:
    r->top = (int16_t)v, r->bottom = (int16_t)(v + height);
    break;
  case 2:
    r->right = (int16_t)(r->left + v);
    break;
  default:
    r->bottom = (int16_t)(r->top + v);
    break;
  }
}

struct Pane;

// What a kind of pane does differently. Nil entries take the default: no
// drawing of its own, mouse and keys not handled, notifications ignored.
struct PaneKind {
  const char *name = "";
  void (*draw)(Pane *pane,
               HDC dc) = nullptr; // window coordinates; the native control draws itself otherwise
  bool (*mouseDown)(Pane *pane, POINT at,
                    int modifiers) = nullptr;        // true: handled (and maybe tracking)
  void (*mouseDrag)(Pane *pane, POINT at) = nullptr; // while tracking
  void (*mouseUp)(Pane *pane, POINT at) = nullptr;   // tracking ended here
  void (*gotFocus)(Pane *pane) = nullptr;
  void (*lostFocus)(Pane *pane) = nullptr;
  bool (*keyDown)(Pane *pane, int character, int keyCode, int modifiers) = nullptr;
  LRESULT (*command)(Pane *pane, int notification) = nullptr; // a reflected command notification
  LRESULT (*notify)(Pane *pane, NMHDR *header) = nullptr;     // a reflected notification
  LRESULT (*scroll)(Pane *pane, UINT message, WPARAM wParam) = nullptr;
  bool (*drawItem)(Pane *pane, DRAWITEMSTRUCT *item) = nullptr;
  void (*activeChanged)(Pane *pane) = nullptr; // the window (de)activated: redraw in that look
  void (*destroy)(Pane *pane) = nullptr;       // releases what the kind keeps beyond the pane
  void (*idle)(Pane *pane) = nullptr;          // upkeep while it has the focus (a caret)
  // A native control's messages before its own procedure sees them; true
  // with *result set when taken.
  bool (*filter)(Pane *pane, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) = nullptr;
  // The key translation's questions: a focused pane that takes Tab or Return
  // itself (none by default); whether it takes focus from Tab or an arrow
  // (by default, a native window with the tab-stop style); and a word before
  // Tab or an arrow focuses it.
  bool (*keepsKey)(Pane *focus, int vk) = nullptr;
  bool (*acceptsFocus)(Pane *pane, bool byArrow) = nullptr;
  void (*enteredByKeyboard)(Pane *pane) = nullptr;
};

// The pane record. Kinds of pane that keep more put a Pane first in their own
// record and give their size to pane_create.
struct Pane {
  const PaneKind *kind;    // 0: its routines
  Object *owner;           // 4: the control whose events it reports (retained); nil for a root
  Rect16 bounds;           // 8: window content coordinates
  int16_t width, height;   // 16: kept beside the bounds
  int32_t useCount;        // 20: raised around event handlers; destroyed below 0
  Pane *parent;            // 24: nil for the root
  Pane *next;              // 28: next sibling (towards the front)
  int32_t tabPanelIndex;   // 32: 0 = not on a tab
  uint8_t shown;           // 36: the control's own Visible
  uint8_t tabVisible;      // 37: visible on the current tab
  uint8_t enabled;         // 38
  uint8_t active;          // 39: cleared while its window is inactive
  uint8_t closing;         // 40: disposal started
  uint8_t autoDeactivate;  // 41
  uint8_t quietEnable;     // 42: no redraw when enabled changes
  HCURSOR cursor;          // 44: nil = none
  RString *help;           // 48: HelpTag, else BalloonHelp: shown while enabled
  RString *disabledHelp;   // 52: shown while disabled
  Pane *attached;          // 56: first pane that follows this one's state
  Pane *nextAttached;      // 60: next in the attached list of the pane it follows
  Pane *prev;              // 64: previous sibling
  HWND hwnd;               // 68: the native window, or nil
  HDC dc;                  // 72: while painting
  HWND toolTip;            // 76: made when it first has a help text
  Pane *firstChild;        // 80
  Pane *nativeParent;      // 84: the pane whose native window is the parent of ours (nil: root)
  WNDPROC nativeProcedure; // 88: a native control's own procedure, which ours forwards to
  RString *balloonHelp;    // 92: kept to fall back on when HelpTag is empty
  int32_t recordSize;      // 96: bytes of the whole record, for its release
  uint8_t isRoot;          // 100: the window's own pane, which its View frees
  DrawTarget drawing;      // 104: the pane as a drawing target (ui/panegraphics.h)
};
static_assert(offsetof(Pane, owner) == 4);
static_assert(offsetof(Pane, bounds) == 8);
static_assert(offsetof(Pane, useCount) == 20);
static_assert(offsetof(Pane, tabPanelIndex) == 32);
static_assert(offsetof(Pane, shown) == 36);
static_assert(offsetof(Pane, quietEnable) == 42);
static_assert(offsetof(Pane, cursor) == 44);
static_assert(offsetof(Pane, attached) == 56);
static_assert(offsetof(Pane, hwnd) == 68);
static_assert(offsetof(Pane, firstChild) == 80);
static_assert(offsetof(Pane, nativeProcedure) == 88);
static_assert(offsetof(Pane, recordSize) == 96);
static_assert(offsetof(Pane, isRoot) == 100);
static_assert(offsetof(Pane, drawing) == 104);
static_assert(sizeof(Pane) == 112);

// State requests, passed down to every child.
enum PaneRequest {
  kPaneEnable = 5,
  kPaneDisable = 6,
  kPaneShow = 7,
  kPaneHide = 8,
  kPaneActivate = 1000,
  kPaneDeactivate = 1001,
};

// Modifier bits recorded with mouse and command messages.
enum Modifiers {
  kModCommand = 0x1000, // Ctrl
  kModShift = 0x200,
  kModOption = 0x800,  // Alt
  kModControl = 0x100, // either Windows key
};
int modifiers_now(); // from the keyboard state

// Sets up a root pane in place (the window's native object); bounds 0,0 to size.
void pane_init_root(Pane *root, const PaneKind *kind, HWND hwnd, int width, int height);

// Makes a pane of `size` bytes (zeroed beyond the Pane) under `parent`,
// covering `bounds` in window coordinates. With a native class the native
// child window is made and parented by the rules of the tree. Nil only when
// the native window cannot be made.
Pane *pane_create(const PaneKind *kind, int32_t size, Pane *parent, Rect16 bounds,
                  int32_t tabPanelIndex, const char *nativeClass, const char *title, DWORD style,
                  DWORD exStyle);
extern bool gPaneCloning; // set while a control-array element makes its pane

void pane_set_owner(Pane *pane, Object *control); // retains; once only
void pane_dispose(Pane *pane);                    // disposal: children first, then the pane

// What a frame has begun around a call into compiled code or a native
// control's procedure, and must finish after it: a pane held (its use count,
// so that a handler may close it), a receiver locked, a control whose change
// event runs (such events do not nest), a native procedure running (native
// windows are destroyed only when none runs), state of its own to restore.
// The record lives in that frame, on a list of the thread's; an exception
// that continues at an outer frame finishes the records it abandons.
struct Ongoing {
  Ongoing *outer = nullptr;
  Pane *pane = nullptr;
  Object *receiver = nullptr;
  ControlObject *changing = nullptr;
  bool native = false;
  void (*finish)(Ongoing *work) = nullptr; // run as the record ends, before the receiver goes
};
void ongoing_begin(Ongoing *work);
bool ongoing_end(Ongoing *work); // true when its pane was destroyed meanwhile
bool ongoing_changing(const ControlObject *c);
void ongoing_abandon_below(const void *frame); // finishes the records below frame
bool ongoing_native_running(); // a native control's own procedure is on this thread's stack

Pane *pane_root(Pane *pane);
View *pane_view(Pane *pane); // the view at the root of the pane's tree
Pane *pane_from_hwnd(HWND hwnd);
bool pane_on_screen(const Pane *pane);
bool pane_contains(const Pane *outer, const Pane *inner); // inner lies inside outer, recursively

void pane_set_bounds(Pane *pane, Rect16 bounds, bool redraw);
void pane_invalidate(Pane *pane);
void pane_invalidate_rect(Pane *pane, Rect16 area); // window coordinates
void pane_repaint_now(Pane *pane);
void pane_request(Pane *pane, PaneRequest request); // applied to the pane and all its children
void pane_set_shown(Pane *pane, bool shown);
void pane_set_tab_visible(Pane *pane, bool visible);
void pane_set_enabled(Pane *pane, bool enabled, bool redraw);
void pane_set_tab_panel_index(Pane *pane, int32_t index);
void pane_attach(Pane *pane, Pane *follower); // the follower copies the pane's state from now on
void pane_set_cursor(Pane *pane, HCURSOR cursor);
void pane_set_help(Pane *pane, RString *helpTag, RString *balloonHelp, RString *disabledHelp);

// Hit testing and the mouse, in window coordinates.
Pane *pane_front_child_at(Pane *pane, POINT at); // front-most on-screen child under the point
bool pane_mouse_down(Pane *pane, POINT at, int modifiers);
void pane_track(Pane *pane);         // the pane takes the mouse (capture on its root window)
void pane_mouse_down_starts();       // a new mouse down: no early release asked for yet
void pane_finish_tracking_at_once(); // asked during a mouse down: the release follows at once
void pane_end_tracking(POINT at);    // capture released, then the pane's mouse up
void pane_forward_drag(POINT at);    // a captured mouse move
Pane *pane_tracking();
bool pane_tracking_wants_finish();
HCURSOR pane_cursor_at(Pane *pane, POINT at);

// Keyboard focus: at most one pane in the process.
void pane_set_focus(Pane *pane); // nil: none
Pane *pane_focus();
void pane_focus_idle(); // the focused pane's idle call
extern bool gFocusChanged;

// Painting a pane that draws itself: BeginPaint, baseline text, window
// coordinates, the kind's draw routine.
void pane_paint(Pane *pane);
// Paints what the pane's native parent shows behind the pane into dc (the
// pane's own drawing context): a control on a tab control or in a group box
// looks through to it.
void pane_paint_parent_background(Pane *pane, HDC dc);

// The reflection step shared by every procedure that parents native
// controls: commands, notifications, scrolls, owner drawing and control
// colours of a child are handed to the child's pane. True with *result set
// when the message was the child's.
bool pane_reflect(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result);

// A window's coordinates of a point given in a native window's client area.
POINT pane_window_point(Pane *pane, POINT client);

void pane_install_procedure(); // the procedure of "QX_Pane" and "QX_CanvasPane"

// Destroys a native window, or, while a native control's own procedure is
// running, hides it and destroys it at the next pane_destroy_pending.
void pane_destroy_window(HWND hwnd);
void pane_destroy_pending(); // the loop calls it through the window pass

/* ---- shared by the pane tree's files ---- */

// Gives up the pane's own use; destroys it (true) when no use is left after
// it was disposed.
bool pane_release(Pane *pane);
void pane_store_bounds(Pane *pane, Rect16 bounds); // the bounds with width and height
RECT pane_native_rect(const Pane *pane);           // in its native parent's client coordinates
Rect16 pane_clipped(Pane *pane, Rect16 r);         // to the canvas that encloses its control
void pane_refresh_help(Pane *pane);                // the tip shows the text for its state
