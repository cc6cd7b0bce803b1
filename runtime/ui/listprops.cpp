// The Listbox's display properties: scroll positions and bars, grid lines,
// the heading, folders, the row height, dragging and the font quartet. Each
// setter stores in the instance and applies at once when the pane exists.
#include "ui/listpane.h"

typedef ListboxObject L;

static void showBar(L *list, int bar, bool shown) {
  if (ListPane *lp = lpane(list)) ShowScrollBar(lp->pane.hwnd, bar, shown);
  list_relayout(list);
}

// A setter that stores the value in its field and applies it with `apply`.
#define LIST_SETTER(name, T, field, apply)                                                         \
  void name(L *list, int32_t, T v) {                                                               \
    list->field = v;                                                                               \
    apply(list);                                                                                   \
  }

static void showHorizontal(L *list) { showBar(list, SB_HORZ, list->hScrollBar); }
static void showVertical(L *list) { showBar(list, SB_VERT, list->vScrollBar); }

extern "C" {
int32_t listScrollPositionGetter(L *list, int32_t) { return list->scrollRow; }
void listScrollPositionSetter(L *list, int32_t, int32_t row) { list_scroll_to(list, row); }
int32_t listScrollPositionXGetter(L *list, int32_t) { return list->scrollX; }
void listScrollPositionXSetter(L *list, int32_t, int32_t x) { list_scroll_x_to(list, x); }

LIST_SETTER(listHScrollBarSetter, bool, hScrollBar, showHorizontal)
LIST_SETTER(listVScrollBarSetter, bool, vScrollBar, showVertical)
LIST_SETTER(listHGridLinesSetter, bool, hGridLines, list_redraw)
LIST_SETTER(listVGridLinesSetter, bool, vGridLines, list_redraw)
LIST_SETTER(listHasHeadingSetter, bool, hasHeading, list_relayout)
LIST_SETTER(listHierarchicalSetter, bool, hierarchical, list_redraw)
LIST_SETTER(listDefaultRowHeightSetter, int32_t, defaultRowHeight, list_relayout)
// Stored only: the runtime has no drag machinery for DragRow to start.
void listEnableDragSetter(L *list, int32_t, bool v) { list->enableDrag = v; }

TEXT_STYLE_GETTERS(list, L, style)
TEXT_STYLE_SETTERS(list, L, style, list_relayout)
}
