// Native windows of panes destroyed only when no native control's own
// procedure is running; until then they are hidden and wait.
#include "base/vector.h"
#include "ui/pane.h"

// A control's own procedure may go on with its window's data after it has
// notified its parent (a push button clicked closes its window): while any
// runs, windows are hidden at once and destroyed afterwards.
static Vector doomed;

void pane_destroy_window(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd)) return;
  if (!ongoing_native_running()) {
    DestroyWindow(hwnd);
    return;
  }
  ShowWindow(hwnd, SW_HIDE);
  if (!doomed.elementSize) vec_init(&doomed);
  vec_append_ptr(&doomed, hwnd);
}

void pane_destroy_pending() {
  if (ongoing_native_running() || !vec_count(&doomed)) return;
  for (int32_t i = 0; i < vec_count(&doomed); i++) {
    HWND hwnd = (HWND)vec_get_ptr(&doomed, i);
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  vec_set_count(&doomed, 0);
}
