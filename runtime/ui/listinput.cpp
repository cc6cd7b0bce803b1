// The Listbox's mouse and keys, and the edit field over a cell.
#include "ui/listpane.h"

bool list_mouse_down(Pane *pane, POINT at, int modifiers) {
  return control_mouse_down(pane, at, modifiers);
}
void list_mouse_drag(Pane *pane, POINT at) { control_mouse_drag(pane, at); }
void list_mouse_up(Pane *pane, POINT at) { control_mouse_up(pane, at); }
void list_double_click(ListboxObject *, POINT) {}
bool list_key_down(Pane *, int, int, int) { return false; }
void list_focus_changed(Pane *pane, bool gained) {
  gained ? control_got_focus(pane) : control_lost_focus(pane);
}
void list_begin_edit(ListboxObject *, int32_t, int32_t) {}
void list_end_edit(ListboxObject *, bool) {}
