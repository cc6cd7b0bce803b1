// MDI mode: the frame window with its MDI client, the children that runtime
// windows become, and the MDIWindow object that compiled code sees.
#include "ui/mdi.h"
#include "ui/menubar.h"
#include "objects/registry.h"
#include "base/platform.h"
#include "lifecycle/application.h"
#include "lifecycle/settings.h"
#include "text/string.h"
#include "ui/control.h"
#include "ui/nativewindow.h"
#include "ui/windowproc.h"

static const UINT kFirstChildId = 3000; /* the MDI client's identifiers for its children */

static HWND frame, client;
static MdiWindowObject *frameObject; // the runtime's reference
static RString *pendingTitle;        // the caption set while there is no frame

HWND mdi_frame() { return frame; }
HWND mdi_client() { return client; }
MdiWindowObject *mdi_window() { return frameObject; }

/* ---- the frame's geometry ---- */

static Rect16 contentOf(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  MapWindowPoints(hwnd, nullptr, (POINT *)&r, 2);
  return {(int16_t)r.top, (int16_t)r.left, (int16_t)r.bottom, (int16_t)r.right};
}

// What the frame adds around its content area: borders, caption, menu bar.
static RECT frameOverhead() {
  RECT r = {0, 0, 0, 0};
  AdjustWindowRectEx(&r, (DWORD)GetWindowLongA(frame, GWL_STYLE), GetMenu(frame) != nullptr,
                     (DWORD)GetWindowLongA(frame, GWL_EXSTYLE));
  return r;
}

static void limitSizing(WPARAM edge, RECT *r) {
  MdiWindowObject *o = frameObject;
  if (!o) return;
  RECT over = frameOverhead();
  limit_dragged_rect(r, edge, {over.right - over.left, over.bottom - over.top},
                     {o->minWidth, o->minHeight, o->maxWidth, o->maxHeight});
}

// Gives the frame the outer rectangle around that content area; a
// minimised frame takes it as the place it is restored to.
static void placeFrame(Rect16 content, bool live) {
  RECT over = frameOverhead(), r = rect_platform(content);
  r = {r.left + over.left, r.top + over.top, r.right + over.right, r.bottom + over.bottom};
  if (live) {
    SetWindowPos(frame, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  WINDOWPLACEMENT p = {};
  p.length = sizeof p;
  GetWindowPlacement(frame, &p);
  p.rcNormalPosition = r;
  SetWindowPlacement(frame, &p);
}

/* ---- the frame's events ---- */

static bool sameSize(Rect16 a, Rect16 b) {
  return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

// Records the frame's content area on its object; the event is delivered
// when what it reports changed and the object has had its Open.
static void frameChanged(HWND hwnd, bool resized) {
  MdiWindowObject *o = frameObject;
  if (!o || IsIconic(hwnd)) return;
  Rect16 was = o->bounds, now = contentOf(hwnd);
  o->bounds = now;
  if (!o->opened) return;
  if (resized && !sameSize(was, now)) deliver(&o->header, nullptr, "Resized");
  if (!resized && (was.left != now.left || was.top != now.top))
    deliver(&o->header, nullptr, "Moved");
}

// The children's bounds are screen coordinates: when the frame's content
// moves, so do they, though none of them moved inside the client.
static void recordChildren() {
  for (View *v = gWindowList; v; v = v->next)
    if (v->mdiChild && !v->closing) view_record_bounds(v);
}

static void allowFullScreen(MINMAXINFO *m) {
  LONG width = GetSystemMetrics(SM_CXVIRTUALSCREEN) + GetSystemMetrics(SM_CXVSCROLL);
  LONG height = GetSystemMetrics(SM_CYVIRTUALSCREEN) + GetSystemMetrics(SM_CYHSCROLL);
  if (m->ptMaxTrackSize.x < width) m->ptMaxTrackSize.x = width;
  if (m->ptMaxTrackSize.y < height) m->ptMaxTrackSize.y = height;
}

static View *activeView() {
  HWND child = client ? (HWND)SendMessageA(client, WM_MDIGETACTIVE, 0, 0) : nullptr;
  return child ? view_from_hwnd(child) : nullptr;
}

// The Quit item's Action goes first to the active window's menu handlers,
// then to the application's; a handler that answers True keeps the
// application running.
static bool quitItemCancels(View *front) { return menus_offer_quit(front); }

static HWND makeClient(HWND hwnd) {
  CLIENTCREATESTRUCT ccs = {nullptr, kFirstChildId};
  /* every child keeps the style its Frame gives it, Visible=False included */
  DWORD style =
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | MDIS_ALLCHILDSTYLES;
  return CreateWindowExA(0, "MDICLIENT", nullptr, style, 0, 0, 0, 0, hwnd, nullptr, gInstance,
                         &ccs);
}

static LRESULT CALLBACK frameProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_CREATE:
    client = makeClient(hwnd);
    return client ? 0 : -1;
  case WM_MOVE:
    frameChanged(hwnd, false);
    recordChildren();
    break;
  case WM_SIZE: {
    LRESULT r = DefFrameProcA(hwnd, client, message, wParam, lParam); /* the client follows */
    if (wParam != SIZE_MINIMIZED) frameChanged(hwnd, true);
    return r;
  }
  case WM_SIZING:
    limitSizing(wParam, (RECT *)lParam);
    return TRUE;
  case WM_GETMINMAXINFO: /* room for full-screen mode: the screen and a scroll bar more */
    DefFrameProcA(hwnd, client, message, wParam, lParam);
    allowFullScreen((MINMAXINFO *)lParam);
    return 0;
  case WM_COMMAND: /* ids from the client's own range activate its children */
    if (lParam || HIWORD(wParam) > 1 || LOWORD(wParam) >= kFirstChildId) break;
    gMenuHooks.command(activeView(), LOWORD(wParam));
    return 0;
  case WM_INITMENU:
    gMenuHooks.enable();
    break;
  case WM_CLOSE:
    if (!quitItemCancels(activeView())) ApplicationQuit();
    return 0;
  case WM_NCDESTROY:
    frame = client = nullptr;
    if (MdiWindowObject *o = frameObject) {
      frameObject = nullptr;
      RuntimeUnlockObject(&o->header);
    }
    break;
  }
  return DefFrameProcA(hwnd, client, message, wParam, lParam);
}

/* ---- the children ---- */

// A child made hidden and shown later becomes the active one, as a window
// shown outside MDI mode does; the platform may show children without
// activating them.
static void activateShown(HWND child) {
  if ((HWND)SendMessageA(client, WM_MDIGETACTIVE, 0, 0) != child)
    SendMessageA(client, WM_MDIACTIVATE, (WPARAM)child, 0);
}

// A child's View rides in on the creation parameters: for MDI children they
// are an MDICREATESTRUCT whose lParam carries it.
static LRESULT CALLBACK childProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    MDICREATESTRUCTA *mcs = (MDICREATESTRUCTA *)((CREATESTRUCTA *)lParam)->lpCreateParams;
    SetWindowLongPtrA(hwnd, 0, mcs ? (LONG_PTR)mcs->lParam : 0);
  }
  View *view = (View *)GetWindowLongPtrA(hwnd, 0);
  if (!view || !view->pane.hwnd) return DefMDIChildProcA(hwnd, message, wParam, lParam);
  LRESULT result = window_message(view, hwnd, message, wParam, lParam);
  if (message == WM_WINDOWPOSCHANGED && (((WINDOWPOS *)lParam)->flags & SWP_SHOWWINDOW))
    activateShown(hwnd);
  return result;
}

HWND mdi_create_child(View *view, const char *title, DWORD style, int width, int height) {
  if (!client) return nullptr;
  return CreateMDIWindowA("QX_MDICHILD", title, style, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
                          client, gInstance, (LPARAM)view);
}

void mdi_destroy_child(HWND child) { SendMessageA(client, WM_MDIDESTROY, (WPARAM)child, 0); }

/* ---- start-up ---- */

static void registerClass(const char *name, WNDPROC procedure, int extraBytes) {
  WNDCLASSA c = {};
  c.lpfnWndProc = procedure;
  c.cbWndExtra = extraBytes;
  c.hInstance = gInstance;
  c.hIcon = LoadIconA(gInstance, MAKEINTRESOURCEA(102));
  c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  c.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
  c.lpszClassName = name;
  RegisterClassA(&c);
}

// The image's last class with MDIWindow on its chain, as for the Application.
static ClassDef *frameClass() {
  ClassDef *mdiWindow = registry_find("MDIWindow"), *found = mdiWindow;
  for (int32_t i = 0; i < gClassCount; i++) {
    ClassDef *cls = gClassTable[i];
    if (cls && !cls->registered && cls->superclass &&
        class_derives_from(cls->superclass, mdiWindow))
      found = cls;
  }
  return found;
}

void mdi_start() {
  static bool registered;
  if (frame) return;
  if (!registered) {
    registered = true;
    registerClass("QX_MDIFRAME", frameProcedure, 0);
    registerClass("QX_MDICHILD", childProcedure, 4);
  }
  frameObject = (MdiWindowObject *)CreateInstance(frameClass());
  const char *title = pendingTitle ? str_cview(pendingTitle) : str_cview(gSettings.applicationName);
  int width = GetSystemMetrics(SM_CXSCREEN) * 3 / 4, height = GetSystemMetrics(SM_CYSCREEN) * 3 / 4;
  frame =
      CreateWindowExA(0, "QX_MDIFRAME", title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                      CW_USEDEFAULT, width, height, nullptr, gMenuHooks.bar(), gInstance, nullptr);
  if (!frame) {
    RuntimeUnlockObject(&frameObject->header);
    frameObject = nullptr;
    return;
  }
  str_assign(&pendingTitle, nullptr);
  ShowWindow(frame, SW_SHOWNORMAL);
  UpdateWindow(frame);
  MdiWindowObject *o = frameObject;
  o->visible = 1;
  o->bounds = contentOf(frame);
  o->opened = 1;
  deliver(&o->header, nullptr, "Open");
}

/* ---- the MDIWindow entries ---- */

typedef MdiWindowObject M;

extern "C" {

int32_t MDIWindowPosGetter(M *o, int32_t which) {
  return rect_part(frame && !IsIconic(frame) ? contentOf(frame) : o->bounds, which);
}

void MDIWindowPosSetter(M *o, int32_t which, int32_t v) {
  bool live = frame && !IsIconic(frame);
  Rect16 b = live ? contentOf(frame) : o->bounds;
  rect_set_part(&b, which, v);
  if (!live) o->bounds = b; /* a live frame reports its move, with the events, itself */
  if (frame) placeFrame(b, live);
}

RString *MDIWindowTitleGetter(M *, int32_t) {
  if (!frame) {
    RuntimeLockString(pendingTitle);
    return pendingTitle;
  }
  RString *s = str_make(nullptr, GetWindowTextLengthA(frame));
  if (!s) return nullptr;
  int32_t got = GetWindowTextA(frame, (char *)s->buffer + 1, s->length + 1);
  if (got == s->length) return s;
  RString *exact = str_make(s->buffer + 1, got); /* the length asked for may be more */
  RuntimeUnlockString(s);
  return exact;
}

void MDIWindowTitleSetter(M *, int32_t, RString *v) {
  if (frame)
    SetWindowTextA(frame, str_cview(v));
  else
    str_assign(&pendingTitle, v); /* the frame, once made, takes it */
}

bool MDIWindowVisibleGetter(M *o, int32_t) { return o->visible; }
void MDIWindowVisibleSetter(M *o, int32_t, bool v) {
  o->visible = v;
  if (frame) ShowWindow(frame, v ? SW_SHOW : SW_HIDE);
}

int32_t MDIWindowHandleGetter(M *, int32_t) { return (int32_t)(uintptr_t)frame; }

void MDIWindowMaximize(M *) {
  if (frame) ShowWindow(frame, SW_SHOWMAXIMIZED);
}
void MDIWindowMinimize(M *) {
  if (frame) ShowWindow(frame, SW_SHOWMINIMIZED);
}
void MDIWindowRestore(M *) {
  if (frame) ShowWindow(frame, SW_RESTORE);
}
}
