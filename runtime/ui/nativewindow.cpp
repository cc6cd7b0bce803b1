// Native windows: styles from the Frame, creation and destruction, the window,
// view and modal lists, attributes, the window pass, the resize rule, size
// limits, and the loop's and message boxes' questions about windows.
#include "ui/nativewindow.h"
#include "base/pool.h"
#include "base/platform.h"
#include "lifecycle/application.h"
#include "lifecycle/settings.h"
#include "base/fault.h"
#include "lifecycle/exception.h"
#include "text/string.h"
#include "ui/droptarget.h"
#include "ui/mdi.h"
#include "ui/menubar.h"
#include "ui/control.h"
#include "ui/windowobject.h"
#include "ui/windowproc.h"
#include <cstring>
#include <iterator>

View *gWindowList, *gViewList, *gModalList;
bool gFirstActivation;
static View *menuWindow; // the window that carries the native menu bar

static HMENU noBar() { return nullptr; }
static void noCommand(View *, int) {}
static void noEnabling() {}
MenuHooks gMenuHooks = {noBar, noCommand, noEnabling};

/* ---- styles ---- */

struct FrameStyle {
  DWORD style, exStyle;
  bool modal, keepsResizable;
};

enum {
  kToolStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE,
  kModalToolStyle = WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE | WS_EX_TOOLWINDOW,
};

// The platform style of each frame code from Document to ModalTool, in order.
static const FrameStyle kFrameStyles[] = {
    {WS_CAPTION, 0, false, true},
    {WS_POPUP | WS_CAPTION, kToolStyle, false, true},
    {WS_POPUP | WS_DLGFRAME, 0, true, false},
    {WS_POPUP | WS_CAPTION, WS_EX_DLGMODALFRAME, true, false},
    {WS_POPUP | WS_BORDER, 0, true, false},
    {WS_POPUP | WS_BORDER, WS_EX_CLIENTEDGE, true, false},
    {WS_CAPTION, 0, false, false},
    {WS_POPUP | WS_BORDER, kModalToolStyle, true, false},
};
static_assert(std::size(kFrameStyles) == (size_t)Frame::ModalTool + 1);

// The platform style of a frame code; false for a code outside 0..10.
static bool styleFor(int code, FrameStyle *s) {
  if (code < 0 || code > (int)Frame::WindowModal) return false;
  *s = kFrameStyles[code >= (int)Frame::WindowDocument ? code - (int)Frame::WindowDocument : code];
  return true;
}

static DWORD styleOf(View *view) { return (DWORD)GetWindowLongA(view->pane.hwnd, GWL_STYLE); }
static DWORD exStyleOf(View *view) { return (DWORD)GetWindowLongA(view->pane.hwnd, GWL_EXSTYLE); }

RECT view_outer_rect(View *view, RECT content) {
  AdjustWindowRectEx(&content, styleOf(view), view->hasMenu && GetMenu(view->pane.hwnd),
                     exStyleOf(view));
  return content;
}

/* ---- lists ---- */

View *view_from_hwnd(HWND hwnd) {
  for (View *v = gWindowList; v; v = v->next)
    if (v->pane.hwnd == hwnd) return v;
  return nullptr;
}

template <View *View::*Link> static void unlink(View **head, View *view) {
  for (View **p = head; *p; p = &((*p)->*Link))
    if (*p == view) {
      *p = view->*Link;
      return;
    }
}

View *view_newest_visible_modal() {
  for (View *v = gModalList; v; v = v->nextModal)
    if (v->pane.hwnd && IsWindowVisible(v->pane.hwnd)) return v;
  return nullptr;
}

// The owner of a new modal window: the newest visible modal one, else the
// runtime's front window.
static HWND modalOwner() {
  if (View *v = view_newest_visible_modal()) return v->pane.hwnd;
  if (gSettings.mdi) return mdi_frame();
  HWND front = GetForegroundWindow();
  if (view_from_hwnd(front)) return front;
  for (View *v = gWindowList; v; v = v->next)
    if (IsWindowVisible(v->pane.hwnd)) return v->pane.hwnd;
  return nullptr;
}

/* ---- attributes ---- */

void view_set_attribute(View *view, const char *name, int32_t value) {
  for (ViewAttribute *a = view->attributes; a; a = a->next)
    if (name_is(a->name, name)) {
      a->value = value;
      return;
    }
  ViewAttribute *a = (ViewAttribute *)pool_alloc(sizeof(ViewAttribute));
  *a = {view->attributes, str_from(name), value};
  view->attributes = a;
}

bool view_attribute(View *view, const char *name, int32_t *value) {
  for (ViewAttribute *a = view->attributes; a; a = a->next)
    if (name_is(a->name, name)) return *value = a->value, true;
  return false;
}

static void freeAttributes(View *view) {
  while (ViewAttribute *a = view->attributes) {
    view->attributes = a->next;
    RuntimeUnlockString(a->name);
    pool_free(a, sizeof(ViewAttribute));
  }
}

/* ---- creation and destruction ---- */

static RECT contentRect(Rect16 b) { return {b.left, b.top, b.right, b.bottom}; }

View *view_create(WindowObject *window, RString *title, Rect16 bounds, int frameCode, bool closeBox,
                  bool growIcon, bool zoomIcon, int32_t) {
  FrameStyle s;
  if (!styleFor(frameCode, &s)) {
    fault_report(kFaultWindowFrameUnknown);
    return nullptr;
  }
  s.style |= WS_CLIPCHILDREN; /* its own painting never covers its controls */
  if (growIcon) s.style |= WS_THICKFRAME;
  if (closeBox) s.style |= WS_SYSMENU;
  if (zoomIcon) s.style |= WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  View *view = (View *)pool_alloc(sizeof(View));
  memset(view, 0, sizeof(View));
  Frame frame = view->frame = (Frame)frameCode;
  view->visible = 1;
  view->resizable = growIcon && s.keepsResizable;
  view->background = 0xFFFFFF;
  view->initialBounds = bounds;
  view->window = window;
  view->modal = s.modal;
  view->mdiChild = gSettings.mdi && frame_is_mdi_child(frame);
  bool document = frame_is_document(frame);
  HMENU bar = gMenuHooks.bar();
  view->hasMenu = !gSettings.mdi && document && !menuWindow && bar;
  RECT r = contentRect(bounds);
  AdjustWindowRectEx(&r, s.style, view->hasMenu, s.exStyle);
  HWND owner = (s.exStyle & WS_EX_TOOLWINDOW) || !s.modal ? nullptr : modalOwner();
  HWND hwnd;
  if (view->mdiChild) {
    hwnd = mdi_create_child(view, str_cview(title), s.style, r.right - r.left, r.bottom - r.top);
  } else {
    hwnd = CreateWindowExA(s.exStyle, "QXWindow", str_cview(title), s.style, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, owner, view->hasMenu ? bar : nullptr,
                           gInstance, view);
  }
  if (!hwnd) {
    pool_free(view, sizeof(View));
    return nullptr;
  }
  pane_init_root(&view->pane, &kRootPaneKind, hwnd, bounds.right - bounds.left,
                 bounds.bottom - bounds.top);
  SetWindowLongPtrA(hwnd, 0, (LONG_PTR)view);
  if (view->hasMenu) menuWindow = view;
  view->dropTarget = drop_target_register(hwnd);
  view->next = gWindowList;
  gWindowList = view;
  view->nextView = gViewList;
  gViewList = view;
  if (view->modal) {
    view->nextModal = gModalList;
    gModalList = view;
  }
  loop_window_opened();
  return view;
}

static void releaseVariable(View *view) {
  if (!view->variable) return;
  Object *held = *view->variable;
  *view->variable = nullptr;
  view->variable = nullptr;
  RuntimeUnlockObject(held);
}

void view_destroy(View *view) {
  HWND hwnd = view->pane.hwnd;
  view->closing = 1;
  if (view == menuWindow) {
    SetMenu(hwnd, nullptr);
    menuWindow = nullptr;
  }
  window_proc_forget(view);
  unlink<&View::next>(&gWindowList, view);
  unlink<&View::nextView>(&gViewList, view);
  unlink<&View::nextModal>(&gModalList, view);
  freeAttributes(view);
  drop_target_revoke(hwnd, view->dropTarget);
  view->dropTarget = nullptr;
  if (view->controlBrush) DeleteObject(view->controlBrush);
  view->controlBrush = nullptr;
  SetWindowLongPtrA(hwnd, 0, 0); /* its last messages go to the platform's default */
  if (view->mdiChild)
    mdi_destroy_child(hwnd);
  else
    pane_destroy_window(hwnd);
  view->pane.hwnd = nullptr;
  releaseVariable(view);
  pane_dispose(&view->pane); /* the View itself goes when its pane is destroyed */
}

/* ---- geometry ---- */

// The native window's content rectangle in screen coordinates.
static Rect16 nativeContent(View *view) {
  RECT r;
  GetClientRect(view->pane.hwnd, &r);
  MapWindowPoints(view->pane.hwnd, nullptr, (POINT *)&r, 2);
  return {(int16_t)r.top, (int16_t)r.left, (int16_t)r.bottom, (int16_t)r.right};
}

static bool sameSize(Rect16 a, Rect16 b) {
  return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

void view_move_to_bounds(View *view) {
  WindowObject *w = view->window;
  if (!w || !view->pane.hwnd || IsIconic(view->pane.hwnd)) return;
  RECT outer = view_outer_rect(view, contentRect(w->bounds));
  if (view->mdiChild) MapWindowPoints(nullptr, GetParent(view->pane.hwnd), (POINT *)&outer, 2);
  SetWindowPos(view->pane.hwnd, nullptr, outer.left, outer.top, outer.right - outer.left,
               outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

static void storeRootSize(View *view) {
  WindowObject *w = view->window;
  view->pane.bounds = {0, 0, (int16_t)(w->bounds.bottom - w->bounds.top),
                       (int16_t)(w->bounds.right - w->bounds.left)};
  view->pane.width = view->pane.bounds.right;
  view->pane.height = view->pane.bounds.bottom;
}

// The resize rule: locked controls follow the size change since the last
// one reported; Resized is delivered once per change, and only after the
// application's first activation.
void view_resize_rule(View *view) {
  WindowObject *w = view->window;
  if (!w || sameSize(w->bounds, w->resizedBounds)) {
    if (w) w->resizedBounds = w->bounds;
    return;
  }
  int dw = (w->bounds.right - w->bounds.left) - (w->resizedBounds.right - w->resizedBounds.left);
  int dh = (w->bounds.bottom - w->bounds.top) - (w->resizedBounds.bottom - w->resizedBounds.top);
  w->resizedBounds = w->bounds;
  storeRootSize(view);
  if (!view->closing) controls_follow_resize(w, dw, dh);
  if (gFirstActivation && !view->closing) window_event(w, "Resized");
}

// Records the native content rectangle as the window's bounds.
void view_record_bounds(View *view) {
  if (view->window && !IsIconic(view->pane.hwnd)) view->window->bounds = nativeContent(view);
}

void window_pass() {
  pane_destroy_pending();
  for (View *v = gWindowList; v; v = v->next) {
    WindowObject *w = v->window;
    if (v->closing || !w || !v->pane.hwnd || IsIconic(v->pane.hwnd) || v->fullScreen) continue;
    if (!rect_equal(nativeContent(v), w->bounds)) {
      view_move_to_bounds(v);
      view_resize_rule(v);
    }
  }
  for (View *v = gWindowList; v; v = v->next)
    if (v->visible && !v->closing && v->pane.hwnd && !IsWindowVisible(v->pane.hwnd))
      ShowWindow(v->pane.hwnd, SW_SHOWNORMAL);
}

void view_show(View *view) {
  view->visible = 1;
  if (!view->pane.hwnd) return;
  ShowWindow(view->pane.hwnd, SW_SHOWNORMAL);
  BringWindowToTop(view->pane.hwnd);
}

void view_hide(View *view) {
  view->visible = 0;
  if (view->pane.hwnd) ShowWindow(view->pane.hwnd, SW_HIDE);
}

void view_set_title(View *view, RString *title) {
  if (view->pane.hwnd) SetWindowTextA(view->pane.hwnd, str_cview(title));
}

void view_set_background(View *view, bool has, int32_t color) {
  view->hasBackground = has;
  view->background = color_platform(color);
  pane_invalidate(&view->pane);
}

/* ---- the loop's and the message boxes' questions ---- */

static bool noWindowOpen() { return gWindowList == nullptr; }

static void closeFrontWindow() {
  View *front = gWindowList;
  if (front->window)
    window_close_now(front->window);
  else
    view_destroy(front);
}

static bool allWindowsMayClose() {
  for (View *v = gWindowList; v; v = v->next)
    if (v->window && deliver(&v->window->header, &v->pane, "CancelClose") == kAnsweredTrue)
      return false;
  return true;
}

static bool mouseCaptured() { return pane_tracking() != nullptr; }

void window_install() {
  window_proc_install();
  menus_install();
  pane_install_procedure();
  exception_on_abandon(ongoing_abandon_below);
  gLoopHooks.refreshWindows = window_pass;
  gLoopHooks.noWindowOpen = noWindowOpen;
  gLoopHooks.closeFrontWindow = closeFrontWindow;
  gLoopHooks.allWindowsMayClose = allWindowsMayClose;
  gLoopHooks.mouseCaptured = mouseCaptured;
  gLoopHooks.trackMouse = window_track_mouse;
  gLoopHooks.mdiClient = mdi_client;
  gLoopHooks.focusIdle = pane_focus_idle;
}
