// The Listbox's display properties: scroll positions and bars, grid lines,
// the heading, folders, the row height, dragging and the font quartet. Each
// setter stores in the instance and applies at once when the pane exists.
#include "ui/listpane.h"

typedef ListboxObject L;

static void showBar(L *list, int bar, bool shown) {
  if (ListPane *lp = lpane(list)) ShowScrollBar(lp->pane.hwnd, bar, shown);
  list_relayout(list);
}

extern "C" {
int32_t listScrollPositionGetter(L *list, int32_t) { return list->scrollRow; }
void listScrollPositionSetter(L *list, int32_t, int32_t row) { list_scroll_to(list, row); }
int32_t listScrollPositionXGetter(L *list, int32_t) { return list->scrollX; }
void listScrollPositionXSetter(L *list, int32_t, int32_t x) { list_scroll_x_to(list, x); }

void listHScrollBarSetter(L *list, int32_t, bool v) {
  list->hScrollBar = v;
  showBar(list, SB_HORZ, v);
}
void listVScrollBarSetter(L *list, int32_t, bool v) {
  list->vScrollBar = v;
  showBar(list, SB_VERT, v);
}
void listHGridLinesSetter(L *list, int32_t, bool v) {
  list->hGridLines = v;
  list_redraw(list);
}
void listVGridLinesSetter(L *list, int32_t, bool v) {
  list->vGridLines = v;
  list_redraw(list);
}
void listHasHeadingSetter(L *list, int32_t, bool v) {
  list->hasHeading = v;
  list_relayout(list);
}
void listHierarchicalSetter(L *list, int32_t, bool v) {
  list->hierarchical = v;
  list_redraw(list);
}
void listDefaultRowHeightSetter(L *list, int32_t, int32_t v) {
  list->defaultRowHeight = v;
  list_relayout(list);
}
// Stored only: the runtime has no drag machinery for DragRow to start.
void listEnableDragSetter(L *list, int32_t, bool v) { list->enableDrag = v; }

TEXT_STYLE_GETTERS(list, L, style)
TEXT_STYLE_SETTERS(list, L, style, list_relayout)
}
