// Registration of the runtime's window classes. Messages go through two
// routine pointers, so that the window and pane code (which arrives later than
// start-up needs the classes) can take them over without re-registering.
#include "ui/winclasses.h"
#include "base/platform.h"

WNDPROC gWindowProcedure = DefWindowProcA;
WNDPROC gPaneProcedure = DefWindowProcA;

static LRESULT CALLBACK windowProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return gWindowProcedure(w, m, wp, lp);
}

static LRESULT CALLBACK paneProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return gPaneProcedure(w, m, wp, lp);
}

static void registerClass(const char *name, UINT style, WNDPROC procedure, HICON icon) {
  WNDCLASSA c = {};
  c.style = style;
  c.lpfnWndProc = procedure;
  c.cbWndExtra = 4; /* the runtime's record for the native window */
  c.hInstance = gInstance;
  c.hIcon = icon;
  c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  c.lpszClassName = name;
  RegisterClassA(&c);
}

void ui_register_window_classes() {
  static bool registered;
  if (registered) return;
  registered = true;
  registerClass("QXWindow", CS_OWNDC, windowProcedure, LoadIconA(gInstance, MAKEINTRESOURCEA(102)));
  registerClass("QX_Pane", CS_HREDRAW | CS_VREDRAW, paneProcedure, nullptr);
  registerClass("QX_CanvasPane", CS_HREDRAW | CS_VREDRAW, paneProcedure, nullptr);
}
