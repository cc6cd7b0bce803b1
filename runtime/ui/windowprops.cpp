// The Window class's property accessors. Setters store; when the native
// window exists they also apply the value to it.
#include "base/pool.h"
#include "text/string.h"
#include "ui/windowobject.h"
#include "ui/nativewindow.h"
#include "ui/windowproc.h"

typedef WindowObject W;

extern "C" {

bool WindowVisibleGetter(W *w) { return w->visible; }
void WindowVisibleSetter(W *w, int32_t, bool v) {
  w->visible = v;
  if (!w->view) return;
  if (v)
    w->view->visible = 1; /* the window pass shows it */
  else
    view_hide(w->view);
}

int32_t windowPosGetter(W *w, int32_t which) { return rect_part(w->bounds, which); }

void windowPosSetter(W *w, int32_t which, int32_t v) {
  if (w->fullScreen) return;
  rect_set_part(&w->bounds, which, v);
  if (!w->view) return;
  view_move_to_bounds(w->view);
  view_resize_rule(w->view);
}

int32_t windowPlacementGetter(W *w) { return w->placement; }
void windowPlacementSetter(W *w, int32_t, int32_t v) { w->placement = v; }

RString *windowTitleGetter(W *w) {
  RuntimeLockString(w->title);
  return w->title;
}
void windowTitleSetter(W *w, int32_t, RString *v) {
  str_assign(&w->title, v);
  if (w->view) view_set_title(w->view, v);
}

bool windowFullScreenGetter(W *w) { return w->fullScreen; }
void windowFullScreenSetter(W *w, int32_t, bool v) {
  if (!w->view || (bool)w->fullScreen == v) return;
  if (v)
    view_enter_full_screen(w->view);
  else
    view_leave_full_screen(w->view);
}

bool windowMenusVisibleGetter(W *w) { return w->menuBarVisible; }
void windowMenusVisibleSetter(W *w, int32_t, bool v) {
  w->menuBarVisible = v;
  if (w->view) view_show_menu_bar(w->view);
}

bool windowCloseBoxGetter(W *w) { return w->closeBox; }
void windowCloseBoxSetter(W *w, int32_t, bool v) { w->closeBox = v; }
bool windowGrowIconGetter(W *w) { return w->growIcon; }
void windowGrowIconSetter(W *w, int32_t, bool v) { w->growIcon = v; }
bool windowZoomIconGetter(W *w) { return w->zoomIcon; }
void windowZoomIconSetter(W *w, int32_t, bool v) { w->zoomIcon = v; }
int32_t windowFrameGetter(W *w) { return w->frame; }
void windowFrameSetter(W *w, int32_t, int32_t v) { w->frame = v; }

Object *windowBackdropGetter(W *w) { return RuntimeLockObject(w->backdrop); }
void windowBackdropSetter(W *w, int32_t, Object *v) {
  RuntimeLockObject(v);
  RuntimeUnlockObject(w->backdrop);
  w->backdrop = v;
  if (w->view) pane_invalidate(&w->view->pane);
}

bool windowHasBackColorGetter(W *w) { return w->hasBackColor; }
void windowHasBackColorSetter(W *w, int32_t, bool v) {
  w->hasBackColor = v;
  if (w->view) view_set_background(w->view, v, w->backColor);
}

int32_t windowBackColorGetter(W *w) { return w->backColor; }
void windowBackColorSetter(W *w, int32_t, int32_t v) {
  w->backColor = v;
  if (w->view && w->hasBackColor) view_set_background(w->view, true, v);
}

void windowBalloonHelpSetter(W *w, int32_t, RString *v) {
  str_assign(&w->balloonHelp, v);
  if (w->view) pane_set_help(&w->view->pane, nullptr, v, nullptr);
}

void formMouseCursorSetter(W *w, int32_t, Object *v) {
  RuntimeLockObject(v);
  RuntimeUnlockObject(w->mouseCursor);
  w->mouseCursor = v;
  if (w->view) window_refresh_cursor(w->view);
}

static POINT mouseInWindow(W *w) {
  POINT p = {0, 0};
  GetCursorPos(&p);
  if (w->view && w->view->pane.hwnd)
    ScreenToClient(w->view->pane.hwnd, &p);
  else
    p.x -= w->bounds.left, p.y -= w->bounds.top;
  return p;
}
int32_t windowMouseXGetter(W *w) { return mouseInWindow(w).x; }
int32_t windowMouseYGetter(W *w) { return mouseInWindow(w).y; }

int32_t windowWindowPtrGetter(W *w) { return w->view ? (int32_t)(uintptr_t)w->view->pane.hwnd : 0; }
int32_t windowHWNDGetter(W *w) { return windowWindowPtrGetter(w); } /* also WinHWND */
}
