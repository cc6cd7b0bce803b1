// Full-screen mode of a runtime window: the screen it takes, the frame it
// gives up while there (and, in MDI mode, the frame window's), and the exact
// way back to the bounds it had.
#include "ui/mdi.h"
#include "ui/windowobject.h"
#include "ui/nativewindow.h"

static const DWORD kFrameBits = WS_CAPTION | WS_THICKFRAME; /* cleared: style & 0xFF3BFFFF */

/* ---- the screen ---- */

struct ScreenChoice {
  RECT window; // the Window's bounds
  RECT screen; // the best so far
  LONG area;   // its overlap; -1 before the first screen
};

static LONG overlapArea(const RECT &a, const RECT &b) {
  RECT both;
  return IntersectRect(&both, &a, &b) ? (both.right - both.left) * (both.bottom - both.top) : 0;
}

static BOOL CALLBACK considerScreen(HMONITOR, HDC, LPRECT screen, LPARAM data) {
  ScreenChoice *c = (ScreenChoice *)data;
  LONG area = overlapArea(c->window, *screen);
  if (area > c->area) { /* a later screen wins only with more */
    c->screen = *screen;
    c->area = area;
  }
  return TRUE;
}

// The screen that holds the largest part of the window.
static RECT screenFor(Rect16 bounds) {
  ScreenChoice c = {rect_platform(bounds), {}, -1};
  EnumDisplayMonitors(nullptr, nullptr, considerScreen, (LPARAM)&c);
  if (c.area < 0) c.screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return c.screen;
}

/* ---- the frame the window has ---- */

struct FrameMetrics {
  int caption, borderX, borderY, menu;
};

static FrameMetrics metricsOf(View *view) {
  WindowObject *w = view->window;
  FrameMetrics m = {};
  Frame frame = window_frame(w);
  if (frame == Frame::Floating)
    m.caption = GetSystemMetrics(SM_CYSMCAPTION);
  else if (frame != Frame::Modal && frame != Frame::PlainBox)
    m.caption = GetSystemMetrics(SM_CYCAPTION);
  if (w->growIcon) {
    m.borderX = GetSystemMetrics(SM_CXSIZEFRAME);
    m.borderY = GetSystemMetrics(SM_CYSIZEFRAME);
  } else if (w->frame != 4) {
    m.borderX = GetSystemMetrics(SM_CXDLGFRAME);
    m.borderY = GetSystemMetrics(SM_CYDLGFRAME);
  }
  /* an MDI child answers GetMenu with its identifier, never with a menu bar */
  if (!view->mdiChild && GetMenu(view->pane.hwnd)) m.menu = GetSystemMetrics(SM_CYMENU);
  return m;
}

// The outer rectangle that a framed window with that content would have.
static RECT aroundContent(RECT content, FrameMetrics m) {
  return {content.left - m.borderX, content.top - m.borderY - m.caption - m.menu,
          content.right + m.borderX, content.bottom + m.borderY};
}

static void setStyle(HWND hwnd, DWORD style) { SetWindowLongA(hwnd, GWL_STYLE, (LONG)style); }
static DWORD styleOf(HWND hwnd) { return (DWORD)GetWindowLongA(hwnd, GWL_STYLE); }

// Places the native window at an outer rectangle given in screen
// coordinates, with its frame recomputed from the style it now has.
static void placeOuter(View *view, RECT outer) {
  HWND hwnd = view->pane.hwnd;
  if (view->mdiChild) MapWindowPoints(nullptr, GetParent(hwnd), (POINT *)&outer, 2);
  SetWindowPos(hwnd, nullptr, outer.left, outer.top, outer.right - outer.left,
               outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

static Rect16 nativeContent(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  MapWindowPoints(hwnd, nullptr, (POINT *)&r, 2);
  return {(int16_t)r.top, (int16_t)r.left, (int16_t)r.bottom, (int16_t)r.right};
}

/* ---- the MDI frame ---- */

// Another MDI child already in full-screen mode holds the frame's saved state.
static View *frameHolder(View *except) {
  for (View *v = gWindowList; v; v = v->next)
    if (v != except && v->mdiChild && v->fullScreen) return v;
  return nullptr;
}

// The frame gives up caption and borders and, with its MDI client, covers
// the screen and one scroll bar more, so that the client's scroll bars lie
// beyond the screen's edges.
static void stretchFrame(View *view, RECT screen) {
  HWND frame = mdi_frame(), client = mdi_client();
  if (View *holder = frameHolder(view)) { /* stripped already: keep the first saved state */
    view->mdiFrameRestore = holder->mdiFrameRestore;
    view->mdiFrameStyle = holder->mdiFrameStyle;
  } else {
    GetWindowRect(frame, &view->mdiFrameRestore);
    view->mdiFrameStyle = (LONG)styleOf(frame);
  }
  int width = screen.right - screen.left + GetSystemMetrics(SM_CXVSCROLL);
  int height = screen.bottom - screen.top + GetSystemMetrics(SM_CYHSCROLL);
  setStyle(frame, styleOf(frame) & ~kFrameBits);
  SetWindowPos(frame, nullptr, screen.left, screen.top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  SetWindowPos(client, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

static void restoreFrame(View *view) {
  HWND frame = mdi_frame();
  DWORD saved = (DWORD)view->mdiFrameStyle & kFrameBits;
  setStyle(frame, (styleOf(frame) & ~kFrameBits) | saved);
  RECT r = view->mdiFrameRestore;
  SetWindowPos(frame, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

/* ---- entering and leaving ---- */

// The content rectangle the window would have with its frame, framed so
// that its outer rectangle covers the screen (outside MDI mode a pixel more
// on either side) or, in MDI mode, the client's part of it.
static RECT fullScreenContent(View *view, RECT screen, FrameMetrics m) {
  int sw = screen.right - screen.left, sh = screen.bottom - screen.top;
  if (view->mdiChild) {
    RECT r = {m.borderX, m.borderY + m.caption, sw - m.borderX, sh - m.borderY};
    MapWindowPoints(mdi_client(), nullptr, (POINT *)&r, 2);
    return r;
  }
  int left = screen.left + m.borderX - 1, top = screen.top + m.menu + m.caption + m.borderY;
  return {left, top, left + sw - 2 * m.borderX + 2, top + sh - 2 * m.borderY - m.menu - m.caption};
}

void view_enter_full_screen(View *view) {
  WindowObject *w = view->window;
  if (!w || view->fullScreen || !view->pane.hwnd) return;
  HWND hwnd = view->pane.hwnd;
  RECT screen = screenFor(w->bounds);
  w->restoreBounds = w->bounds;
  FrameMetrics m = metricsOf(view);
  if (view->mdiChild) stretchFrame(view, screen);
  RECT outer = aroundContent(fullScreenContent(view, screen, m), m);
  w->fullScreen = 1;
  view->fullScreen = 1; /* from here the window pass leaves the window alone */
  setStyle(hwnd, styleOf(hwnd) & ~kFrameBits);
  placeOuter(view, outer); /* without its frame the content fills that rectangle */
  w->bounds = nativeContent(hwnd);
  view_resize_rule(view);
}

// The style bits full-screen mode took away, as the Window's Frame and
// GrowIcon say now.
static DWORD frameBitsFor(WindowObject *w) {
  Frame frame = window_frame(w);
  DWORD bits = frame == Frame::Modal || frame == Frame::PlainBox ? WS_BORDER : WS_CAPTION;
  return w->growIcon ? bits | WS_THICKFRAME : bits;
}

// Bounds of an MDI child as they lie on screen while another child keeps
// the frame stretched: moved as the client's origin moved, so that they are
// the saved ones again once the frame is back where it was.
static Rect16 whileStretched(View *view, Rect16 b) {
  HWND frame = mdi_frame();
  RECT over = {0, 0, 0, 0};
  AdjustWindowRectEx(&over, (DWORD)view->mdiFrameStyle, GetMenu(frame) != nullptr,
                     (DWORD)GetWindowLongA(frame, GWL_EXSTYLE));
  POINT now = {0, 0};
  ClientToScreen(mdi_client(), &now);
  int dx = now.x - (view->mdiFrameRestore.left - over.left);
  int dy = now.y - (view->mdiFrameRestore.top - over.top);
  return {(int16_t)(b.top + dy), (int16_t)(b.left + dx), (int16_t)(b.bottom + dy),
          (int16_t)(b.right + dx)};
}

void view_leave_full_screen(View *view) {
  WindowObject *w = view->window;
  if (!w || !view->fullScreen || !view->pane.hwnd) return;
  HWND hwnd = view->pane.hwnd;
  bool frameStays = view->mdiChild && frameHolder(view); /* another child still fills the screen */
  if (view->mdiChild && !frameStays) restoreFrame(view);
  Rect16 target = frameStays ? whileStretched(view, w->restoreBounds) : w->restoreBounds;
  setStyle(hwnd, (styleOf(hwnd) & ~kFrameBits) | frameBitsFor(w));
  w->fullScreen = 0;
  view->fullScreen = 0;
  placeOuter(view, view_outer_rect(view, rect_platform(target)));
  w->bounds = target; /* exactly as saved, whatever the move reported */
  view_resize_rule(view);
}
