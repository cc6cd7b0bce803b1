// The window procedure of "QXWindow": every platform message of a runtime
// window turned into pane behaviour and Window events, the root pane's own
// routines, activation, size limits, control colours and mouse-over tracking.
#include "ui/windowproc.h"
#include "objects/registry.h"
#include "base/pool.h"
#include "lifecycle/application.h"
#include "lifecycle/settings.h"
#include "ui/theme.h"
#include "ui/control.h"
#include "ui/windowobject.h"
#include "ui/panegraphics.h"
#include "ui/winclasses.h"
#include "ui/screens.h"

/* ---- the root pane: the window's own events ---- */

static WindowObject *windowOf(Pane *root) { return ((View *)root)->window; }

static uint32_t word(int v) { return (uint32_t)v; }

// The Backdrop at its natural size (cut at the window's), then the Paint
// event with a Graphics on the window that is detached when the paint ends:
// one kept by the handler draws nothing afterwards.
static void rootDraw(Pane *root, HDC dc) {
  WindowObject *w = windowOf(root);
  if (!w) return;
  int32_t width, height;
  if (PictureObject *backdrop = window_backdrop(w, &width, &height))
    picture_draw_masked(backdrop, dc, 0, 0, width, height, 0, 0, width, height);
  if (!has_handler(&w->header, "Paint")) return;
  GraphicsObject *g = pane_graphics(root);
  uint32_t args[] = {(uint32_t)(uintptr_t)g};
  deliver(&w->header, root, "Paint", args, 1);
  graphics_detach(g);
  RuntimeUnlockObject(g ? &g->header : nullptr);
}

static bool rootMouseDown(Pane *root, POINT at, int) {
  WindowObject *w = windowOf(root);
  uint32_t args[] = {word(at.x), word(at.y)};
  if (!w || deliver(&w->header, root, "MouseDown", args, 2) != kAnsweredTrue) return false;
  pane_track(root);
  return true;
}

static void rootMouseDrag(Pane *root, POINT at) {
  uint32_t args[] = {word(at.x), word(at.y)};
  if (WindowObject *w = windowOf(root)) deliver(&w->header, root, "MouseDrag", args, 2);
}

static void rootMouseUp(Pane *root, POINT at) {
  uint32_t args[] = {word(at.x), word(at.y)};
  if (WindowObject *w = windowOf(root)) deliver(&w->header, root, "MouseUp", args, 2);
}

static void rootDestroy(Pane *root) { pool_free(root, sizeof(View)); }

const PaneKind kRootPaneKind = {
    .name = "window",
    .draw = rootDraw,
    .mouseDown = rootMouseDown,
    .mouseDrag = rootMouseDrag,
    .mouseUp = rootMouseUp,
    .destroy = rootDestroy,
};

/* ---- mouse-over tracking ---- */

static View *mouseView; // the window the mouse was last over
static POINT mouseAt;   // and where, in its coordinates

void window_proc_forget(View *view) {
  if (mouseView == view) mouseView = nullptr;
}

// The runtime window under a point: the nearest ancestor that is one (an MDI
// child's root is the frame, which is none).
static View *viewUnder(POINT screen) {
  for (HWND h = WindowFromPoint(screen); h; h = GetAncestor(h, GA_PARENT))
    if (View *v = view_from_hwnd(h)) return v;
  return nullptr;
}

void window_track_mouse() {
  POINT p;
  if (!GetCursorPos(&p)) return;
  View *view = viewUnder(p);
  if (view && view->closing) view = nullptr;
  if (view != mouseView) {
    if (mouseView && mouseView->window && !mouseView->closing) {
      controls_mouse_left(mouseView->window);
      window_event(mouseView->window, "MouseExit");
    }
    mouseView = view;
    mouseAt = {-32768, -32768};
    if (view && view->window) window_event(view->window, "MouseEnter");
  }
  if (!view || !view->window || view->closing) return;
  ScreenToClient(view->pane.hwnd, &p);
  if (p.x == mouseAt.x && p.y == mouseAt.y) return;
  mouseAt = p;
  controls_mouse_moved(view->window, p);
  if (mouseView != view || view->closing) return; /* a handler closed the window */
  uint32_t args[] = {word(p.x), word(p.y)};
  deliver(&view->window->header, &view->pane, "MouseMove", args, 2);
}

/* ---- activation ---- */

static bool takesFocus(Pane *pane) {
  return pane->hwnd && pane_on_screen(pane) && pane->enabled && !pane->closing &&
         (GetWindowLongA(pane->hwnd, GWL_STYLE) & WS_TABSTOP);
}

static Pane *firstFocusable(Pane *pane) {
  for (Pane *c = pane->firstChild; c; c = c->next) {
    if (takesFocus(c)) return c;
    if (Pane *inner = firstFocusable(c)) return inner;
  }
  return nullptr;
}

static void giveFocus(View *view) {
  if (view->frame == Frame::Floating || view->frame == Frame::ModalTool) return; /* tool windows */
  Pane *p = view->focusPane;
  if (!p || !takesFocus(p)) p = firstFocusable(&view->pane);
  if (p)
    pane_set_focus(p);
  else
    SetFocus(view->pane.hwnd);
}

void view_show_menu_bar(View *view) {
  if (!view->hasMenu || !view->window) return;
  HMENU want = view->window->menuBarVisible ? gMenuHooks.bar() : nullptr;
  if (GetMenu(view->pane.hwnd) != want) SetMenu(view->pane.hwnd, want);
}

static void activate(View *view, bool active) {
  WindowObject *w = view->window;
  if (active) {
    gFirstActivation = true;
    view->active = 1;
    view_show_menu_bar(view);
    if (!view->closing) {
      pane_request(&view->pane, kPaneActivate);
      giveFocus(view);
    }
    if (w) window_event(w, "Activate");
  } else {
    if (w) window_event(w, "Deactivate");
    if (!view->closing) {
      Pane *f = pane_focus();
      if (f && pane_root(f) == &view->pane) pane_set_focus(nullptr);
      view->active = 0;
      pane_request(&view->pane, kPaneDeactivate);
    }
  }
  if (!view->closing) gMenuHooks.enable();
}

// Floating tool windows stay above others only while the application is active.
static void floatToolWindows(bool top) {
  for (View *v = gWindowList; v; v = v->next)
    if (v->frame == Frame::Floating && v->pane.hwnd && IsWindowVisible(v->pane.hwnd)) {
      SetWindowPos(v->pane.hwnd, top ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      if (!top && GetForegroundWindow())
        SetWindowPos(GetForegroundWindow(), HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

static void showTaskBar(bool show) {
  if (HWND bar = FindWindowA("Shell_TrayWnd", nullptr)) ShowWindow(bar, show ? SW_SHOW : SW_HIDE);
}

static void activateApplication(View *view, bool active) {
  if (active) {
    raise_event(gAppObject, "Activate");
    if (view->window && !view->window->menuBarVisible) showTaskBar(false);
    floatToolWindows(true);
  } else {
    floatToolWindows(false);
    showTaskBar(true);
    if (!view->closing) raise_event(gAppObject, "Deactivate");
  }
}

/* ---- size limits ---- */

static int captionHeight(int frame) {
  if (frame == 3) return GetSystemMetrics(SM_CYSMCAPTION);
  return frame == 4 ? 0 : GetSystemMetrics(SM_CYCAPTION);
}

// Keeps the content size within [low, high] (0: no limit) by moving the dragged edge.
static void clampEdge(LONG *from, LONG *to, bool dragFrom, int overhead, int low, int high) {
  int size = *to - *from - overhead;
  if (low > 0 && size < low) size = low;
  if (high > 0 && size > high) size = high;
  if (dragFrom)
    *from = *to - size - overhead;
  else
    *to = *from + size + overhead;
}

void limit_dragged_rect(RECT *r, WPARAM edge, SIZE over, const SizeLimits &l) {
  bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
  bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
  bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
  bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
  if (left || right) clampEdge(&r->left, &r->right, left, over.cx, l.minWidth, l.maxWidth);
  if (top || bottom) clampEdge(&r->top, &r->bottom, top, over.cy, l.minHeight, l.maxHeight);
}

static void limitSizing(View *view, WPARAM edge, RECT *r) {
  WindowObject *w = view->window;
  if (!w) return;
  SIZE over = {2 * GetSystemMetrics(SM_CXSIZEFRAME),
               2 * GetSystemMetrics(SM_CYSIZEFRAME) + captionHeight(w->frame) +
                   (GetMenu(view->pane.hwnd) && !gSettings.mdi ? GetSystemMetrics(SM_CYMENU) : 0)};
  limit_dragged_rect(r, edge, over, {w->minWidth, w->minHeight, w->maxWidth, w->maxHeight});
}

/* ---- colours and background ---- */

LRESULT view_control_colour(Pane *pane, HDC dc, UINT, LPARAM control) {
  View *view = pane_view(pane);
  WindowObject *w = view ? view->window : nullptr;
  if (pane->tabPanelIndex == 0 && w && w->hasBackColor) {
    if (view->controlBrush) DeleteObject(view->controlBrush);
    view->controlBrush = CreateSolidBrush(color_platform(w->backColor));
    SetBkColor(dc, color_platform(w->backColor));
    return (LRESULT)view->controlBrush;
  }
  if (theme_active() && gTheme.DrawThemeParentBackground) {
    typedef HRESULT(WINAPI * DrawParent)(HWND, HDC, RECT *);
    ((DrawParent)(void *)gTheme.DrawThemeParentBackground)((HWND)control, dc, nullptr);
    SetBkMode(dc, TRANSPARENT);
    return (LRESULT)GetStockObject(HOLLOW_BRUSH);
  }
  bool frame = (GetWindowLongA((HWND)control, GWL_STYLE) & 0xF) == BS_GROUPBOX;
  if (frame || pane->nativeParent) { /* on a tab control or in a group box: it shows through */
    if (!frame) pane_paint_parent_background(pane, dc); /* a frame covers others' places */
    SetBkMode(dc, TRANSPARENT);
    return (LRESULT)GetStockObject(HOLLOW_BRUSH);
  }
  return 0;
}

static void eraseBackground(View *view, HDC dc) {
  RECT r;
  GetClientRect(view->pane.hwnd, &r);
  HBRUSH brush =
      view->hasBackground ? CreateSolidBrush(view->background) : GetSysColorBrush(COLOR_BTNFACE);
  FillRect(dc, &r, brush);
  if (view->hasBackground) DeleteObject(brush);
}

/* ---- the cursor ---- */

static HCURSOR cursorOf(Object *mouseCursor) {
  return mouseCursor ? *(HCURSOR *)((char *)mouseCursor + 16) : nullptr;
}

extern Object *gAppCursor; // the Application's MouseCursor (ui/control.cpp)
static HCURSOR lastControlCursor;

void window_note_control_cursor(HCURSOR c) { lastControlCursor = c; }

// False leaves the choice to a native control under the mouse (an edit
// field's I-beam), when nothing of the runtime's asks for a cursor.
static bool chooseCursor(View *view, HWND under) {
  HCURSOR c = nullptr;
  if (Pane *t = pane_tracking())
    c = t->cursor;
  else if (gAppCursor)
    c = cursorOf(gAppCursor);
  else if (view->window && view->window->mouseCursor)
    c = cursorOf(view->window->mouseCursor);
  else
    c = lastControlCursor;
  if (!c && under != view->pane.hwnd) return false;
  SetCursor(c ? c : LoadCursorA(nullptr, IDC_ARROW));
  return true;
}

void window_refresh_cursor(View *view) {
  POINT p;
  if (GetCursorPos(&p) && viewUnder(p) == view) chooseCursor(view, view->pane.hwnd);
}

/* ---- the procedure ---- */

static POINT pointOf(LPARAM lParam) { return {(short)LOWORD(lParam), (short)HIWORD(lParam)}; }

WindowMessage gLastMessage;
static bool contextualClick; // the mouse down being routed came from the right button

// A click on the window's own area; the right button's is a contextual click.
static void buttonDown(View *view, LPARAM lParam, bool contextual) {
  POINT at = pointOf(lParam);
  contextualClick = contextual;
  pane_mouse_down_starts();
  pane_mouse_down(&view->pane, at, modifiers_now());
  contextualClick = false;
  if (pane_tracking_wants_finish()) pane_end_tracking(at);
}

extern "C" bool IsCMMClick() { return contextualClick; }

LRESULT window_message(View *view, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  gLastMessage = {message, wParam, lParam, (DWORD)GetMessageTime(), {}};
  GetCursorPos(&gLastMessage.cursor);
  LRESULT result;
  if (pane_reflect(hwnd, message, wParam, lParam, &result)) return result;
  switch (message) {
  case WM_COMMAND:
    if (!lParam && HIWORD(wParam) <= 1) gMenuHooks.command(view, LOWORD(wParam));
    return 0;
  case WM_MOVE:
    if (!gFirstActivation || view->closing || IsIconic(hwnd)) break;
    view_record_bounds(view);
    if (view->window) window_event(view->window, "Moved");
    break;
  case WM_SIZE:
    if (!gFirstActivation || view->closing || wParam == SIZE_MINIMIZED) break;
    view_record_bounds(view);
    view_resize_rule(view);
    break;
  case WM_ACTIVATE:
    activate(view, LOWORD(wParam) != WA_INACTIVE);
    return 0;
  case WM_ACTIVATEAPP:
    activateApplication(view, wParam != 0);
    break;
  case WM_PAINT:
    pane_paint(&view->pane);
    return 0;
  case WM_CLOSE:
    if (view->window) RuntimeCloseWindow(view->window);
    return 0;
  case WM_ERASEBKGND:
    eraseBackground(view, (HDC)wParam);
    return 1;
  case WM_SETCURSOR:
    if (LOWORD(lParam) != HTCLIENT) break;
    return chooseCursor(view, (HWND)wParam);
  case WM_MOUSEACTIVATE: {
    View *modal = nullptr;
    for (View *v = gModalList; v && !modal; v = v->nextModal)
      if (v->pane.hwnd && IsWindowVisible(v->pane.hwnd)) modal = v;
    if (modal && modal != view) {
      MessageBeep(0);
      return MA_NOACTIVATEANDEAT;
    }
    break;
  }
  case WM_INITMENU:
    gMenuHooks.enable();
    break;
  case WM_DISPLAYCHANGE:
    screens_forget(); /* the next Screen request reads the monitors again */
    break;
  case WM_MOUSEMOVE:
    if (GetCapture() == hwnd && pane_tracking()) pane_forward_drag(pointOf(lParam));
    return 0;
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
    buttonDown(view, lParam, message == WM_RBUTTONDOWN);
    return 0;
  case WM_ENTERIDLE:
    pane_focus_idle();
    break;
  case WM_LBUTTONUP:
  case WM_RBUTTONUP:
    if (pane_tracking()) pane_end_tracking(pointOf(lParam));
    return 0;
  case WM_SIZING:
    limitSizing(view, wParam, (RECT *)lParam);
    return TRUE;
  case WM_MDIACTIVATE:
    activate(view, (HWND)lParam == hwnd);
    break;
  }
  return view->mdiChild ? DefMDIChildProcA(hwnd, message, wParam, lParam)
                        : DefWindowProcA(hwnd, message, wParam, lParam);
}

static LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) /* the View rides in on the creation parameter */
    SetWindowLongPtrA(hwnd, 0, (LONG_PTR)((CREATESTRUCTA *)lParam)->lpCreateParams);
  View *view = (View *)GetWindowLongPtrA(hwnd, 0);
  if (!view || !view->pane.hwnd) return DefWindowProcA(hwnd, message, wParam, lParam);
  return window_message(view, hwnd, message, wParam, lParam);
}

void window_proc_install() { gWindowProcedure = windowProcedure; }
