// Modal windows: RuntimeShowModal shows a window over the others, which are
// disabled meanwhile, and runs the event loop inside the call until the
// window is closed or hidden (or the application quits).
#include "ui/windowobject.h"
#include "base/vector.h"
#include "lifecycle/application.h"
#include "ui/mdi.h"
#include "ui/nativewindow.h"

// The native window that stands for a view among the top-level windows.
static HWND topLevel(View *v) { return v->mdiChild ? mdi_frame() : v->pane.hwnd; }

// Disables every other enabled top-level window of the runtime; the ones
// disabled here are listed so that exactly those are enabled again.
static void disableOthers(View *modal, Vector *disabled) {
  HWND own = topLevel(modal);
  for (View *v = gWindowList; v; v = v->next) {
    HWND h = topLevel(v);
    if (!h || h == own || !IsWindowEnabled(h)) continue;
    EnableWindow(h, FALSE);
    vec_append(disabled, (int32_t)(uintptr_t)h);
  }
}

static void enableAgain(Vector *disabled) {
  for (int32_t i = 0; i < vec_count(disabled); i++) {
    HWND h = (HWND)(uintptr_t)vec_get(disabled, i);
    if (IsWindow(h)) EnableWindow(h, TRUE); /* some may have closed meanwhile */
  }
}

static bool stillShown(void *context) {
  WindowObject *w = (WindowObject *)context;
  return w->view && w->visible;
}

void RuntimeShowModal(WindowObject *w) {
  if (!w || !w->view) return;
  RuntimeLockObject(&w->header); /* its own code may drop every other reference */
  HWND before = GetActiveWindow();
  Vector disabled;
  vec_init(&disabled);
  disableOthers(w->view, &disabled);
  RuntimeShowWindow(w);
  SetActiveWindow(w->view->pane.hwnd);
  loop_run_nested(stillShown, w);
  enableAgain(&disabled);
  vec_dispose(&disabled);
  if (before && IsWindow(before)) SetActiveWindow(before);
  RuntimeUnlockObject(&w->header);
}
