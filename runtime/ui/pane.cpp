// The pane tree: creation and native parenting, shown, tab-visible and
// enabled state, hit testing, focus, mouse tracking, cursors, painting, the
// reflection of native notifications, and disposal. Geometry, help texts,
// ongoing-work records and deferred destruction have files of their own.
#include "ui/pane.h"
#include "base/pool.h"
#include "base/platform.h"
#include "base/fault.h"
#include "ui/theme.h"
#include "text/string.h"
#include "ui/buttons.h"
#include "ui/control.h"
#include "ui/nativewindow.h"
#include "ui/winclasses.h"
#include <cstring>

static const char kInstanceProperty[] = "QXInstance"; // native controls: their pane

bool gPaneCloning;
bool gFocusChanged;
static Pane *focused;     // the focused pane of the process
static Pane *tracking;    // the pane that captured the mouse
static bool finishAtOnce; // the tracking pane asked for the release right away
static Pane *drawingPane; // the pane whose drawing context is set up outside painting

int modifiers_now() {
  int m = 0;
  if (GetKeyState(VK_CONTROL) < 0) m |= kModCommand;
  if (GetKeyState(VK_SHIFT) < 0) m |= kModShift;
  if (GetKeyState(VK_MENU) < 0) m |= kModOption;
  if (GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0) m |= kModControl;
  return m;
}

/* ---- the tree ---- */

Pane *pane_root(Pane *pane) {
  while (pane && pane->parent) pane = pane->parent;
  return pane;
}

View *pane_view(Pane *pane) { return (View *)pane_root(pane); } /* a root pane opens its View */

Pane *pane_from_hwnd(HWND hwnd) {
  if (!hwnd) return nullptr;
  char name[32];
  if (GetClassNameA(hwnd, name, sizeof name) &&
      (!strcmp(name, "QX_Pane") || !strcmp(name, "QX_CanvasPane") || !strcmp(name, "QXWindow")))
    return (Pane *)GetWindowLongPtrA(hwnd, 0);
  return (Pane *)GetPropA(hwnd, kInstanceProperty);
}

bool pane_on_screen(const Pane *pane) { return pane->shown && pane->tabVisible; }

// Inside: reached from inner by following native parents or tree parents.
bool pane_contains(const Pane *outer, const Pane *inner) {
  for (const Pane *p = inner; p; p = p->nativeParent ? p->nativeParent : p->parent)
    if (p != inner && p == outer) return true;
  return false;
}

static void appendChild(Pane *parent, Pane *child) {
  child->parent = parent;
  Pane **link = &parent->firstChild, *last = nullptr;
  while (*link) last = *link, link = &(*link)->next;
  *link = child;
  child->prev = last;
}

static void unlinkChild(Pane *child) {
  if (!child->parent) return;
  if (child->prev)
    child->prev->next = child->next;
  else
    child->parent->firstChild = child->next;
  if (child->next) child->next->prev = child->prev; /* relink both neighbours */
  child->parent = child->prev = child->next = nullptr;
}

/* ---- native windows ---- */

static bool isClass(const Pane *pane, const char *name) {
  char actual[32];
  return pane->hwnd && GetClassNameA(pane->hwnd, actual, sizeof actual) && !_stricmp(actual, name);
}

static bool isGroupBox(HWND hwnd) {
  char name[16];
  return GetClassNameA(hwnd, name, sizeof name) && !_stricmp(name, "Button") &&
         (GetWindowLongA(hwnd, GWL_STYLE) & 0xF) == BS_GROUPBOX;
}

static Rect16 grownForCloning(Rect16 r) {
  if (gPaneCloning) r.top--, r.left--; /* a clone may sit on its model's edge */
  return r;
}

// The pane whose native window parents a new one: a child of `parent`
// enclosing the bounds on the same tab, else an enclosing tab control.
static Pane *nativeParentFor(Pane *parent, Rect16 bounds, int32_t tab, const char *nativeClass,
                             DWORD style) {
  bool themed = theme_active();
  bool trackbar = nativeClass && !_stricmp(nativeClass, "msctls_trackbar32");
  if (themed && trackbar) return nullptr;
  bool groupBox = nativeClass && !_stricmp(nativeClass, "BUTTON") && (style & 0xF) == BS_GROUPBOX;
  Pane *found = nullptr;
  for (Pane *c = parent->firstChild; c; c = c->next)
    if (c->hwnd && pane_on_screen(c) && c->tabPanelIndex == tab &&
        rect_encloses(grownForCloning(c->bounds), bounds) && !(themed && groupBox))
      found = c;
  if (found || trackbar) return found;
  for (Pane *c = parent->firstChild; c; c = c->next)
    if (c->hwnd && pane_on_screen(c) && rect_encloses(grownForCloning(c->bounds), bounds) &&
        isClass(c, "SysTabControl32"))
      found = c;
  return found;
}

static LRESULT CALLBACK nativeControlProcedure(HWND, UINT, WPARAM, LPARAM);

static Pane *newPane(const PaneKind *kind, int32_t size) {
  Pane *pane = (Pane *)pool_alloc(size);
  memset(pane, 0, size);
  pane->kind = kind;
  pane->recordSize = size;
  pane->shown = pane->tabVisible = pane->enabled = pane->active = 1;
  return pane;
}

void pane_init_root(Pane *root, const PaneKind *kind, HWND hwnd, int width, int height) {
  root->kind = kind;
  root->isRoot = 1;
  root->shown = root->tabVisible = root->enabled = root->active = 1;
  root->hwnd = hwnd;
  pane_store_bounds(root, {0, 0, (int16_t)height, (int16_t)width});
}

Pane *pane_create(const PaneKind *kind, int32_t size, Pane *parent, Rect16 bounds,
                  int32_t tabPanelIndex, const char *nativeClass, const char *title, DWORD style,
                  DWORD exStyle) {
  Pane *pane = newPane(kind, size);
  pane_store_bounds(pane, bounds);
  pane->tabPanelIndex = tabPanelIndex;
  if (nativeClass) {
    pane->nativeParent = nativeParentFor(parent, bounds, tabPanelIndex, nativeClass, style);
    HWND owner = pane->nativeParent ? pane->nativeParent->hwnd : parent->hwnd;
    /* A parent paints around its children, but a group box is only a frame:
       what lies behind it is painted, and it draws on top, last. */
    LONG ownerStyle = GetWindowLongA(owner, GWL_STYLE);
    if (!(ownerStyle & WS_CLIPCHILDREN) && !isGroupBox(owner))
      SetWindowLongA(owner, GWL_STYLE, ownerStyle | WS_CLIPCHILDREN);
    if (!_stricmp(nativeClass, "BUTTON") && (style & 0xF) == BS_GROUPBOX)
      exStyle |= WS_EX_TRANSPARENT;
    RECT r = pane_native_rect(pane);
    int extra = !_stricmp(nativeClass, "COMBOBOX") ? 200 : 0; /* room for its list */
    pane->hwnd = CreateWindowExA(exStyle, nativeClass, title ? title : "",
                                 style | WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top + extra, owner, nullptr, gInstance, nullptr);
    if (!pane->hwnd) {
      pool_free(pane, size);
      return nullptr;
    }
    if (!_stricmp(nativeClass, "QX_Pane") || !_stricmp(nativeClass, "QX_CanvasPane")) {
      SetWindowLongPtrA(pane->hwnd, 0, (LONG_PTR)pane);
    } else {
      SetPropA(pane->hwnd, kInstanceProperty, pane);
      pane->nativeProcedure =
          (WNDPROC)SetWindowLongPtrA(pane->hwnd, GWLP_WNDPROC, (LONG_PTR)nativeControlProcedure);
    }
    SendMessageA(pane->hwnd, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), 0);
  }
  appendChild(parent, pane);
  return pane;
}

void pane_set_owner(Pane *pane, Object *control) {
  if (pane->owner) {
    fault_report(kFaultPaneOwnerTwice);
    return;
  }
  pane->owner = RuntimeLockObject(control);
}

/* ---- disposal ---- */

// Forgets the native window: our procedure leaves it first, so the messages
// of its destruction go straight to its own.
static void detachNative(Pane *pane) {
  HWND hwnd = pane->hwnd;
  pane->hwnd = nullptr;
  if (!hwnd) return;
  if (pane->nativeProcedure) {
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)pane->nativeProcedure);
    RemovePropA(hwnd, kInstanceProperty);
  } else if (!pane->isRoot) {
    SetWindowLongPtrA(hwnd, 0, 0);
  }
}

static void destroy(Pane *pane) {
  if (pane == focused) fault_report(kFaultPaneDestroyedFocused);
  if (pane == drawingPane) fault_report(kFaultPaneDestroyedDrawing);
  if (pane->useCount > 0) fault_report(kFaultPaneDestroyedInUse);
  graphics_detach_all(&pane->drawing); /* its Graphics objects draw nothing from now on */
  str_assign(&pane->help, nullptr);
  str_assign(&pane->disabledHelp, nullptr);
  str_assign(&pane->balloonHelp, nullptr);
  for (Pane *c = pane->firstChild; c; c = c->next) c->parent = nullptr; /* orphans, if any */
  unlinkChild(pane);
  if (pane->toolTip) pane_destroy_window(pane->toolTip);
  if (!pane->isRoot) {
    HWND hwnd = pane->hwnd;
    detachNative(pane);
    pane_destroy_window(hwnd);
  }
  Object *owner = pane->owner;
  bool root = pane->isRoot;
  int32_t size = pane->recordSize;
  if (pane->kind->destroy) pane->kind->destroy(pane); /* a root's frees its View */
  RuntimeUnlockObject(owner);
  if (!root) pool_free(pane, size);
}

// A pane starts with a use count of 0, its own; a disposed pane is destroyed
// when the count falls below that.
bool pane_release(Pane *pane) {
  if (--pane->useCount >= 0) return false;
  destroy(pane);
  return true;
}

void pane_dispose(Pane *pane) {
  if (pane->closing) return; /* disposed at most once */
  pane->closing = 1;
  for (Pane *c = pane->firstChild, *next; c; c = next) {
    next = c->next; /* the child may unlink itself */
    pane_dispose(c);
  }
  if (pane == tracking) {
    tracking = nullptr;
    ReleaseCapture();
  }
  if (pane == focused) pane_set_focus(nullptr);
  if (pane == drawingPane) drawingPane = nullptr;
  View *view = pane_view(pane);
  if (view && view->focusPane == pane) view->focusPane = nullptr;
  ControlObject *c = pane_control(pane);
  if (c && c->pane == pane) c->pane = nullptr; /* the owner link hears of it */
  pane_release(pane);
}

/* ---- shown, tab-visible, enabled ---- */

static void showNative(Pane *pane, bool show) {
  if (!pane->hwnd) return;
  pane_invalidate(pane);
  ShowWindow(pane->hwnd, show ? SW_SHOWNA : SW_HIDE);
}

void pane_set_shown(Pane *pane, bool shown) {
  if (pane->shown == shown) return;
  if (!pane->tabVisible && pane->tabPanelIndex) {
    pane->shown = shown; /* off its tab: shown when the tab is chosen */
    return;
  }
  if (!pane->tabPanelIndex) pane->tabVisible = shown;
  if (!shown && focused == pane) pane_set_focus(nullptr);
  pane->shown = shown;
  for (Pane *a = pane->attached; a; a = a->nextAttached) pane_set_shown(a, shown);
  showNative(pane, shown);
}

void pane_set_tab_visible(Pane *pane, bool visible) {
  for (Pane *a = pane->attached; a; a = a->nextAttached) pane_set_tab_visible(a, visible);
  if (pane->tabVisible == visible) return;
  pane->tabVisible = visible;
  if (!pane->shown) return;
  if (!visible && focused == pane) pane_set_focus(nullptr);
  showNative(pane, visible);
}

void pane_set_enabled(Pane *pane, bool enabled, bool redraw) {
  if (pane->enabled == enabled) return;
  pane->enabled = enabled;
  for (Pane *a = pane->attached; a; a = a->nextAttached) pane_set_enabled(a, enabled, redraw);
  if (pane->hwnd && !pane->isRoot) EnableWindow(pane->hwnd, enabled);
  if (redraw && !pane->quietEnable) pane_invalidate(pane);
  pane_refresh_help(pane);
  if (!enabled && focused == pane) pane_set_focus(nullptr);
  if (!enabled) {
    View *view = pane_view(pane);
    if (view && view->focusPane == pane) view->focusPane = nullptr;
  }
}

void pane_set_tab_panel_index(Pane *pane, int32_t index) {
  pane->tabPanelIndex = index;
  for (Pane *a = pane->attached; a; a = a->nextAttached) pane_set_tab_panel_index(a, index);
}

void pane_attach(Pane *pane, Pane *follower) {
  follower->nextAttached = pane->attached;
  pane->attached = follower;
}

// (De)activation skips closing panes and panes already in that state, and
// does not pass the request on below a skipped pane.
static bool activeChange(Pane *pane, bool active) {
  if (pane->isRoot) return true; /* the window passes it to all its panes */
  if (pane->closing || pane->active == active) return false;
  if (!active && !pane->autoDeactivate) return true;
  pane->active = active;
  if (pane->kind->activeChanged)
    pane->kind->activeChanged(pane);
  else
    pane_invalidate(pane);
  return true;
}

void pane_request(Pane *pane, PaneRequest request) {
  switch (request) {
  case kPaneEnable:
    pane_set_enabled(pane, true, true);
    break;
  case kPaneDisable:
    pane_set_enabled(pane, false, true);
    break;
  case kPaneShow:
    pane_set_shown(pane, true);
    break;
  case kPaneHide:
    pane_set_shown(pane, false);
    break;
  case kPaneActivate:
  case kPaneDeactivate:
    if (!activeChange(pane, request == kPaneActivate)) return;
    break;
  }
  for (Pane *c = pane->firstChild; c; c = c->next) pane_request(c, request);
}

/* ---- hit testing and the mouse ---- */

static bool under(Pane *pane, POINT at) {
  return pane_on_screen(pane) && rect_holds(pane_clipped(pane, pane->bounds), at);
}

Pane *pane_front_child_at(Pane *pane, POINT at) {
  Pane *last = pane->firstChild;
  while (last && last->next) last = last->next;
  for (Pane *c = last; c; c = c->prev)
    if (!c->closing && under(c, at)) return c;
  return nullptr;
}

bool pane_mouse_down(Pane *pane, POINT at, int modifiers) {
  Pane *last = pane->firstChild;
  while (last && last->next) last = last->next;
  for (Pane *c = last; c; c = c->prev) /* front-most first; one that declines passes it back */
    if (!c->closing && !c->hwnd && under(c, at) && pane_mouse_down(c, at, modifiers)) return true;
  return pane->kind->mouseDown && pane->kind->mouseDown(pane, at, modifiers);
}

Pane *pane_tracking() { return tracking; }
bool pane_tracking_wants_finish() { return tracking && finishAtOnce; }
void pane_finish_tracking_at_once() { finishAtOnce = true; }

void pane_mouse_down_starts() { finishAtOnce = false; }

void pane_track(Pane *pane) {
  tracking = pane;
  SetCapture(pane_root(pane)->hwnd);
}

void pane_end_tracking(POINT at) {
  Pane *pane = tracking;
  tracking = nullptr;
  finishAtOnce = false;
  ReleaseCapture();
  if (pane && !pane->closing && pane->kind->mouseUp) pane->kind->mouseUp(pane, at);
}

void pane_forward_drag(POINT at) {
  if (tracking && !tracking->closing && tracking->kind->mouseDrag)
    tracking->kind->mouseDrag(tracking, at);
}

HCURSOR pane_cursor_at(Pane *pane, POINT at) {
  Pane *child = pane_front_child_at(pane, at);
  return child ? pane_cursor_at(child, at) : pane->cursor;
}

void pane_set_cursor(Pane *pane, HCURSOR cursor) {
  pane->cursor = cursor;
  POINT p;
  GetCursorPos(&p);
  Pane *root = pane_root(pane);
  if (!root->hwnd || WindowFromPoint(p) == nullptr) return;
  ScreenToClient(root->hwnd, &p);
  RECT client;
  GetClientRect(root->hwnd, &client);
  if (!PtInRect(&client, p)) return;
  Pane *front = pane_front_child_at(root, p); /* shows its own cursor, or the arrow */
  if (front == pane) SetCursor(cursor ? cursor : LoadCursorA(nullptr, IDC_ARROW));
}

/* ---- focus ---- */

Pane *pane_focus() { return focused; }

void pane_focus_idle() {
  if (focused && !focused->closing && focused->kind->idle) focused->kind->idle(focused);
}

// A pane gains the focus: the platform focus follows unless it is there.
static void gain(Pane *pane) {
  focused = pane;
  View *view = pane_view(pane);
  if (view) view->focusPane = pane;
  if (pane->hwnd && GetFocus() != pane->hwnd) SetFocus(pane->hwnd);
  if (pane->kind->gotFocus) pane->kind->gotFocus(pane);
}

void pane_set_focus(Pane *pane) {
  if (pane == focused) return;
  Pane *previous = focused;
  focused = nullptr;
  if (previous && previous->kind && previous->kind->lostFocus) previous->kind->lostFocus(previous);
  gFocusChanged = true;
  if (focused || !pane || pane->closing) { /* the LostFocus handler chose another */
    buttons_focus_moved(previous, focused);
    return;
  }
  gain(pane);
  buttons_focus_moved(previous, focused);
}

/* ---- painting ---- */

void pane_paint(Pane *pane) {
  PAINTSTRUCT ps;
  if (pane->closing || !pane->hwnd) {
    if (pane->hwnd) ValidateRect(pane->hwnd, nullptr);
    return;
  }
  window_pass();
  HDC dc = BeginPaint(pane->hwnd, &ps);
  pane->dc = dc;
  SetTextAlign(dc, TA_BASELINE);
  if (!pane->isRoot) SetViewportOrgEx(dc, -pane->bounds.left, -pane->bounds.top, nullptr);
  HWND hwnd = pane->hwnd;
  Ongoing work = {.pane = pane};
  ongoing_begin(&work);
  if (pane->kind->draw) pane->kind->draw(pane, dc);
  pane->dc = nullptr;
  EndPaint(hwnd, &ps);
  ongoing_end(&work); /* a Paint handler may have closed it */
}

void pane_paint_parent_background(Pane *pane, HDC dc) {
  HWND parent = pane->hwnd ? GetParent(pane->hwnd) : nullptr;
  while (parent && isGroupBox(parent)) parent = GetParent(parent); /* frames show through */
  if (!parent) return;
  POINT origin = {0, 0}; /* the pane's corner in the parent's client area */
  MapWindowPoints(pane->hwnd, parent, &origin, 1);
  int saved = SaveDC(dc);
  SetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SendMessageA(parent, WM_ERASEBKGND, (WPARAM)dc, 0);
  SendMessageA(parent, WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT);
  RestoreDC(dc, saved);
}

/* ---- messages ---- */

bool pane_reflect(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) {
  Pane *child = nullptr;
  switch (message) {
  case WM_COMMAND:
    if (!lParam || !(child = pane_from_hwnd((HWND)lParam)) || !child->kind->command) return false;
    *result = child->kind->command(child, HIWORD(wParam));
    return true;
  case WM_NOTIFY: {
    NMHDR *header = (NMHDR *)lParam;
    if (!(child = pane_from_hwnd(header->hwndFrom)) || !child->kind->notify) return false;
    *result = child->kind->notify(child, header);
    return true;
  }
  case WM_HSCROLL:
  case WM_VSCROLL:
    if (!lParam || !(child = pane_from_hwnd((HWND)lParam)) || !child->kind->scroll) return false;
    *result = child->kind->scroll(child, message, wParam);
    return true;
  case WM_DRAWITEM:
    child = pane_from_hwnd(((DRAWITEMSTRUCT *)lParam)->hwndItem);
    if (!child || !child->kind->drawItem) return false;
    child->kind->drawItem(child, (DRAWITEMSTRUCT *)lParam);
    *result = TRUE;
    return true;
  case WM_CTLCOLORBTN:
  case WM_CTLCOLORSTATIC:
    if (!(child = pane_from_hwnd((HWND)lParam))) return false;
    *result = view_control_colour(child, (HDC)wParam, message, lParam);
    return *result != 0;
  }
  return false;
}

// Focus arriving at or leaving a native control by the user's hand.
static void nativeFocus(Pane *pane, UINT message, WPARAM other) {
  if (message == WM_SETFOCUS) {
    if (focused != pane) pane_set_focus(pane);
  } else if (focused == pane && !pane_from_hwnd((HWND)other)) {
    pane_set_focus(nullptr); /* to no pane of ours: a pane taking it says so itself */
  }
}

static POINT clientPoint(LPARAM lParam) { return {(short)LOWORD(lParam), (short)HIWORD(lParam)}; }

// The mouse messages every pane answers the same way, whatever draws it.
static bool paneMouse(Pane *pane, UINT message, LPARAM lParam) {
  if (message != WM_LBUTTONDOWN) return false;
  POINT at = pane_window_point(pane, clientPoint(lParam));
  return pane->kind->mouseDown && pane->kind->mouseDown(pane, at, modifiers_now());
}

static LRESULT nativeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Pane *pane = (Pane *)GetPropA(hwnd, kInstanceProperty);
  if (!pane) return DefWindowProcA(hwnd, message, wParam, lParam);
  WNDPROC own = pane->nativeProcedure;
  LRESULT result;
  if (pane_reflect(hwnd, message, wParam, lParam, &result)) return result;
  if (pane->kind->filter && pane->kind->filter(pane, message, wParam, lParam, &result))
    return result;
  switch (message) {
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    nativeFocus(pane, message, wParam);
    break;
  case WM_LBUTTONDOWN:
    if (paneMouse(pane, message, lParam)) return 0; /* taken: the native control never sees it */
    break;
  case WM_NCDESTROY:
    detachNative(pane);
    break;
  }
  return CallWindowProcA(own, hwnd, message, wParam, lParam);
}

static LRESULT CALLBACK nativeControlProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  Ongoing work = {.native = true};
  ongoing_begin(&work);
  LRESULT result = nativeMessage(hwnd, message, wParam, lParam);
  ongoing_end(&work);
  return result;
}

static LRESULT CALLBACK paneProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Pane *pane = (Pane *)GetWindowLongPtrA(hwnd, 0);
  if (!pane) return DefWindowProcA(hwnd, message, wParam, lParam);
  LRESULT result;
  if (pane_reflect(hwnd, message, wParam, lParam, &result)) return result;
  switch (message) {
  case WM_PAINT:
    pane_paint(pane);
    return 0;
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    nativeFocus(pane, message, wParam);
    return 0;
  case WM_LBUTTONDOWN:
    if (paneMouse(pane, message, lParam)) return 0;
    break;
  case WM_MOUSEACTIVATE:
    return MA_ACTIVATE;
  case WM_NCDESTROY:
    pane->hwnd = nullptr;
    break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void pane_install_procedure() { gPaneProcedure = paneProcedure; }
