// The Listbox's mouse and keys: clicks that select by SelectionType, open
// folders, toggle check boxes, start editing and sort by a heading; the
// arrow and page keys that move the selection; focus.
#include "ui/droptarget.h"
#include "ui/listpane.h"
#include <algorithm>
#include <cstdlib>

static uint32_t word(int32_t v) { return (uint32_t)v; }

static POINT clientOf(Pane *pane, POINT at) {
  return {at.x - pane->bounds.left, at.y - pane->bounds.top};
}

/* ---- the selection as the user changes it ---- */

// A fingerprint of the selection runs, to tell whether the user's action
// changed the selection.
static uint32_t selectionPrint(ListboxObject *list) {
  uint32_t h = 2166136261u;
  for (int32_t i = 0; i < vec_count(&list->runs); i++) {
    uint64_t run = (uint64_t)vec_get8(&list->runs, i);
    for (int shift = 0; shift < 64; shift += 8) h = (h ^ (uint8_t)(run >> shift)) * 16777619u;
  }
  return h ^ (uint32_t)vec_count(&list->runs);
}

// Rows from the anchor to `row` become the selection.
static void selectRange(ListboxObject *list, int32_t row) {
  int32_t anchor =
      list->anchorRow >= 0 && list->anchorRow < list_count(list) ? list->anchorRow : row;
  list_select_only(list, anchor, false);
  for (int32_t r = std::min(anchor, row); r <= std::max(anchor, row); r++)
    if (r != anchor) list_set_row_selected(list, r, true);
  list->anchorRow = anchor;
}

enum SelectHow { kSelectOnly, kSelectToggle, kSelectExtend };

// The user's selection of a row; Change when it changed. False when a
// handler closed the list.
static bool userSelect(ListboxObject *list, int32_t row, SelectHow how) {
  uint32_t before = selectionPrint(list);
  if (list->selectionType != 1) how = kSelectOnly;
  if (how == kSelectExtend) {
    selectRange(list, row);
  } else if (how == kSelectToggle) {
    list_set_row_selected(list, row, !list_is_selected(list, row));
    list->anchorRow = row;
  } else {
    list_select_only(list, row, false);
    list->anchorRow = row;
  }
  int32_t old = list->caretRow;
  list->caretRow = row;
  if (old != row) list_redraw_row(list, old), list_redraw_row(list, row); /* the caret's ring */
  if (selectionPrint(list) == before) return true;
  return list_report_change(list) != kPaneGone;
}

/* ---- check boxes ---- */

static void toggleCheck(ListboxObject *list, int32_t row, int32_t column) {
  if (list->provider) return; /* the provider's rows are read-only here */
  ListCell *cell = list_cell_for(list_row(list, row), column);
  cell->checked = !cell->checked;
  list_redraw_row(list, row);
  uint32_t args[] = {word(row), word(column)};
  list_deliver(list, "CellAction", args, 2);
}

// Where a cell's check box lies, in client coordinates.
static RECT checkBox(ListboxObject *list, int32_t row, int32_t column) {
  int32_t x = list_cell_left(list, column) + list_cell_indent(list, row, column);
  int32_t midY = list_row_top(list, row) + lpane(list)->rowHeight / 2;
  return {x, midY - kListCheckSize / 2, x + kListCheckSize, midY + kListCheckSize / 2};
}

/* ---- clicks ---- */

// The clicked column becomes the sort column; clicking the sort column again
// turns its direction round. A column whose direction is 0 does not sort.
static void headingClick(ListboxObject *list, int32_t x) {
  int32_t column = list_column_at(list, x + list->scrollX);
  if (column < 0 || column >= list->columnCount) return;
  ListColumn *c = &list->columns[column];
  if (!c->sortDirection) return;
  if (column == list->sortColumn) c->sortDirection = (int8_t)-c->sortDirection;
  list_sort_by(list, column);
  list_redraw(list);
}

static bool onTriangle(ListboxObject *list, int32_t row, int32_t column, POINT p) {
  if (column != 0 || !list->hierarchical || list_row(list, row)->folder == kRowPlain) return false;
  int32_t right = list_cell_left(list, 0) + list_cell_indent(list, row, 0);
  return p.x >= right - kListFolderIndent && p.x < right;
}

// CellClick first; then an editable cell starts editing and a check box
// toggles.
static void cellClick(ListboxObject *list, int32_t row, int32_t column, POINT p) {
  int32_t left = list_cell_left(list, column), top = list_row_top(list, row);
  uint32_t args[] = {word(row), word(column), word(p.x - left), word(p.y - top)};
  if (list_deliver(list, "CellClick", args, 4) != kAnsweredFalse || !lpane(list)) return;
  uint8_t type = list_cell_type(list, row, column);
  if (type == kCellEditable) {
    list_begin_edit(list, row, column);
  } else if (type == kCellCheckBox) {
    RECT box = checkBox(list, row, column);
    if (PtInRect(&box, p)) toggleCheck(list, row, column);
  }
}

static void click(ListboxObject *list, POINT p, int modifiers) {
  ListPane *lp = lpane(list);
  if (p.y < lp->headingHeight) {
    headingClick(list, p.x);
    return;
  }
  int32_t row = list_row_at(list, p.y);
  if (row < 0) return;
  int32_t column = list_column_at(list, p.x + list->scrollX);
  if (column >= list->columnCount) column = -1;
  if (onTriangle(list, row, column, p)) {
    list_set_expanded(list, row, list_row(list, row)->folder == kFolderClosed);
    return;
  }
  SelectHow how = modifiers & kModShift     ? kSelectExtend
                  : modifiers & kModCommand ? kSelectToggle
                                            : kSelectOnly;
  if (!userSelect(list, row, how) || !lpane(list)) return;
  if (column >= 0 && row < list_count(list)) cellClick(list, row, column, p);
}

// MouseDown first (True keeps the click); otherwise the list's own click.
// Either way the list follows the mouse until the button goes up, for
// MouseDrag and MouseUp.
// The press a row drag would start from (client coordinates), and its row;
// a press starts at most one drag.
static struct {
  POINT at;
  int32_t row;
  bool dragged;
} press = {{0, 0}, -1, true};

bool list_mouse_down(Pane *pane, POINT at, int modifiers) {
  ListboxObject *list = list_of_pane(pane);
  if (!list || !pane->enabled) return false;
  if (list->activeCell) list_end_edit(list, true);
  if (pane->closing) return true;
  if (pane_focus() != pane) {
    pane_set_focus(pane);
    if (pane->closing) return true;
  }
  POINT p = clientOf(pane, at);
  press = {p, list_row_at(list, p.y), false};
  uint32_t args[] = {word(p.x), word(p.y)};
  Delivery d = list_deliver(list, "MouseDown", args, 2);
  if (d == kPaneGone) return true;
  if (d == kAnsweredFalse) click(list, p, modifiers);
  if (!pane->closing) pane_track(pane);
  return true;
}

// With EnableDrag, moving a pressed row beyond the platform's drag distance
// offers the row to DragRow, which may start a drag of it.
void list_mouse_drag(Pane *pane, POINT at) {
  ListboxObject *list = list_of_pane(pane);
  POINT p = clientOf(pane, at);
  bool moved = abs(p.x - press.at.x) > GetSystemMetrics(SM_CXDRAG) ||
               abs(p.y - press.at.y) > GetSystemMetrics(SM_CYDRAG);
  if (list && list->enableDrag && !press.dragged && press.row >= 0 && moved) {
    press.dragged = true;
    int16_t top = (int16_t)list_row_top(list, press.row);
    Rect16 row = {top, 0, (int16_t)(top + lpane(list)->rowHeight), pane->width};
    gDropHooks.rowDrag(&list->control, press.row, row);
    return;
  }
  control_mouse_drag(pane, at);
}
void list_mouse_up(Pane *pane, POINT at) { control_mouse_up(pane, at); }

// The second click of a double click arrives instead of its mouse down.
void list_double_click(ListboxObject *list, POINT client) {
  Pane *pane = list->control.pane;
  list_mouse_down(pane, {client.x + pane->bounds.left, client.y + pane->bounds.top},
                  modifiers_now());
  if (!lpane(list) || list_row_at(list, client.y) < 0) return;
  list_deliver(list, "DoubleClick", nullptr, 0);
}

/* ---- keys ---- */

static int32_t keyTarget(ListboxObject *list, int vk, int32_t from) {
  int32_t page = std::max(1, list_rows_in_view(list) - 1);
  switch (vk) {
  case VK_UP:
    return from < 0 ? 0 : from - 1;
  case VK_DOWN:
    return from + 1;
  case VK_PRIOR:
    return from - page;
  case VK_NEXT:
    return from < 0 ? page : from + page;
  case VK_HOME:
    return 0;
  default: /* VK_END */
    return list_count(list) - 1;
  }
}

static void moveCaret(ListboxObject *list, int vk, int modifiers) {
  int32_t count = list_count(list);
  if (count == 0) return;
  int32_t from =
      list->caretRow >= 0 && list->caretRow < count ? list->caretRow : list_first_selected(list);
  int32_t row = std::clamp(keyTarget(list, vk, from), 0, count - 1);
  if (!userSelect(list, row, modifiers & kModShift ? kSelectExtend : kSelectOnly)) return;
  list_scroll_into_view(list, row);
}

// Right opens a closed folder; Left closes an open one, or moves to the
// row's folder.
static void folderKey(ListboxObject *list, int vk) {
  int32_t row = list->caretRow >= 0 ? list->caretRow : list_first_selected(list);
  if (row < 0 || row >= list_count(list)) return;
  ListRow *r = list_row(list, row);
  if (vk == VK_RIGHT && r->folder == kFolderClosed) return list_set_expanded(list, row, true);
  if (vk == VK_LEFT && r->folder == kFolderOpen) return list_set_expanded(list, row, false);
  if (vk != VK_LEFT || r->depth == 0) return;
  int32_t parent = row - 1;
  while (parent > 0 && list_row(list, parent)->depth >= r->depth) parent--;
  if (userSelect(list, parent, kSelectOnly)) list_scroll_into_view(list, parent);
}

static void spaceKey(ListboxObject *list) {
  int32_t row = list->caretRow >= 0 ? list->caretRow : list_first_selected(list);
  if (row < 0 || row >= list_count(list)) return;
  for (int32_t c = 0; c < list->columnCount; c++)
    if (list_cell_type(list, row, c) == kCellCheckBox) return toggleCheck(list, row, c);
}

// KeyDown first, with the key's character (True consumes it); then the
// list's own keys. Keys with the Windows key are left to the window.
bool list_key_down(Pane *pane, int character, int vk, int modifiers) {
  ListboxObject *list = list_of_pane(pane);
  if (!list || (modifiers & kModControl)) return false;
  char c = (char)character;
  RString *key = str_make(&c, 1);
  uint32_t arg = (uint32_t)(uintptr_t)key;
  Delivery d = list_deliver(list, "KeyDown", &arg, 1);
  RuntimeUnlockString(key);
  if (d != kAnsweredFalse) return true;
  switch (vk) {
  case VK_UP:
  case VK_DOWN:
  case VK_PRIOR:
  case VK_NEXT:
  case VK_HOME:
  case VK_END:
    moveCaret(list, vk, modifiers);
    return true;
  case VK_LEFT:
  case VK_RIGHT:
    if (list->hierarchical) folderKey(list, vk);
    return true;
  case VK_SPACE:
    spaceKey(list);
    return true;
  }
  return false;
}

// The selection dims and the ring goes with the focus.
void list_focus_changed(Pane *pane, bool gained) {
  if (ListboxObject *list = list_of_pane(pane)) list_redraw(list);
  if (pane->closing) return;
  gained ? control_got_focus(pane) : control_lost_focus(pane);
}
