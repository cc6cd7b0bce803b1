// Editing a Listbox cell: a real EditField laid over the cell with its text
// and the list's font, whose Return, Tab, Escape and loss of focus end the
// edit, and whose typed keys go to CellKeyDown first.
#include "lifecycle/exception.h"
#include "objects/registry.h"
#include "ui/controlmap.h"
#include "ui/editfieldpane.h"
#include "ui/listpane.h"
#include "ui/nativewindow.h"
#include <algorithm>

static uint32_t word(int32_t v) { return (uint32_t)v; }

static const char kEditedList[] = "QXListEdited"; /* the editor's native window names its list */

// The list whose cell the editor's pane edits; nil once the edit is ending.
static ListboxObject *editedList(Pane *editor) {
  return editor->hwnd ? (ListboxObject *)GetPropA(editor->hwnd, kEditedList) : nullptr;
}

static Delivery cellEvent(ListboxObject *list, const char *event) {
  uint32_t args[] = {word(list->editRow), word(list->editColumn)};
  return list_deliver(list, event, args, 2);
}

// CellKeyDown with the key's character; true when its handler took it.
static bool cellKey(ListboxObject *list, char character) {
  RString *key = str_make(&character, 1);
  uint32_t args[] = {word(list->editRow), word(list->editColumn), (uint32_t)(uintptr_t)key};
  Delivery d = list_deliver(list, "CellKeyDown", args, 3);
  RuntimeUnlockString(key);
  return d != kAnsweredFalse;
}

/* ---- the editor's pane: the edit field's, with the keys that end it ---- */

static PaneKind gEditorKind;

static bool editorKeepsKey(Pane *, int vk) {
  return vk == VK_RETURN || vk == VK_TAB || vk == VK_ESCAPE;
}

static bool editorKeyDown(Pane *p, int character, int vk, int modifiers) {
  ListboxObject *list = editedList(p);
  if (!list) return false;
  if (vk == VK_RETURN || vk == VK_TAB || vk == VK_ESCAPE) {
    if (cellKey(list, (char)character)) return true;
    list_end_edit(list, vk != VK_ESCAPE);
    return true;
  }
  return editField_pane_kind()->keyDown(p, character, vk, modifiers);
}

// Typed characters go to CellKeyDown before the field sees them.
static bool editorFilter(Pane *p, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) {
  ListboxObject *list = editedList(p);
  if (list && message == WM_CHAR && wParam >= ' ' && cellKey(list, (char)wParam)) {
    *result = 0;
    return true;
  }
  return editField_pane_kind()->filter(p, message, wParam, lParam, result);
}

// Focus going elsewhere ends the edit, keeping the text.
static void editorLostFocus(Pane *p) {
  editField_pane_kind()->lostFocus(p);
  if (ListboxObject *list = editedList(p)) list_end_edit(list, true);
}

static const PaneKind *editorKind() {
  if (!gEditorKind.keyDown) {
    gEditorKind = *editField_pane_kind();
    gEditorKind.name = "list cell editor";
    gEditorKind.keyDown = editorKeyDown;
    gEditorKind.filter = editorFilter;
    gEditorKind.lostFocus = editorLostFocus;
    gEditorKind.keepsKey = editorKeepsKey;
    editField_adopt_kind(&gEditorKind);
  }
  return &gEditorKind;
}

/* ---- beginning and ending ---- */

// The cell's content area in window coordinates, inside the list.
static Rect16 editorBounds(ListboxObject *list, int32_t row, int32_t column) {
  ListPane *lp = lpane(list);
  Rect16 b = lp->pane.bounds;
  int32_t left = list_cell_left(list, column) + list_cell_indent(list, row, column);
  int32_t right = list_cell_left(list, column) + list->widths[column];
  int32_t top = list_row_top(list, row);
  left = std::max(left, 1), right = std::min(right, lp->clientWidth - 1);
  return {(int16_t)(b.top + top), (int16_t)(b.left + left), (int16_t)(b.top + top + lp->rowHeight),
          (int16_t)(b.left + std::max(left, right))};
}

static EditFieldObject *makeEditor(ListboxObject *list, int32_t row, int32_t column) {
  ClassDef *cls = registry_find("EditField");
  EditFieldObject *e = cls ? (EditFieldObject *)CreateInstance(cls) : nullptr;
  if (!e) return nullptr;
  ControlObject *c = &e->control, *l = &list->control;
  c->owner = l->owner, c->view = l->view, c->window = l->window;
  c->index = c->arrayPosition = kNoIndex;
  c->tabPanelIndex = l->tabPanelIndex;
  c->visible = c->enabled = c->created = 1;
  c->bounds = editorBounds(list, row, column);
  textstyle_set_font(&e->style, list->style.font);
  e->style.size = list->style.size, e->style.bold = list->style.bold;
  e->style.italic = list->style.italic, e->style.underline = list->style.underline;
  uint32_t window = GetSysColor(COLOR_WINDOW);
  e->backColor = (int32_t)(GetRValue(window) << 16 | GetGValue(window) << 8 | GetBValue(window));
  e->text = list_cell_text(list, row, column); /* the reference is the field's */
  editField_createPane(&e->control.header);
  if (!c->pane) {
    RuntimeUnlockObject(&e->control.header);
    return nullptr;
  }
  control_attach_pane(c);
  c->pane->kind = editorKind();
  SetPropA(c->pane->hwnd, kEditedList, list);
  SetWindowPos(c->pane->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  return e;
}

void list_begin_edit(ListboxObject *list, int32_t row, int32_t column) {
  list_check_row(list, row);
  list_check_column(column);
  if (!lpane(list)) return;
  if (list->activeCell) list_end_edit(list, true);
  list_scroll_into_view(list, row);
  int32_t before = list_first_selected(list);
  if (before >= 0) list_select_only(list, -1, false);
  EditFieldObject *e = makeEditor(list, row, column);
  if (!e) return;
  list->activeCell = &e->control.header;
  list->editRow = row, list->editColumn = column;
  pane_set_focus(e->control.pane);
  if (list->activeCell != &e->control.header) return; /* a focus handler ended it */
  edit_select(edit_pane(e), 0, -1);
  cellEvent(list, "CellGotFocus");
  if (before != row) list_report_change(list); /* ListIndex reads the edited row */
}

static void storeText(ListboxObject *list, RString *text) {
  int32_t row = list->editRow, column = list->editColumn;
  if (list->provider || row < 0 || row >= list_count(list)) return;
  RString *old = list_cell_text(list, row, column);
  bool changed =
      str_len(old) != str_len(text) || memcmp(str_cview(old), str_cview(text), str_len(text)) != 0;
  RuntimeUnlockString(old);
  if (!changed) return;
  ListCell *cell = list_cell_for(list_row(list, row), column);
  str_assign(&cell->text, text);
  list_redraw_row(list, row);
  cellEvent(list, "CellTextChange");
}

void list_drop_edit(ListboxObject *list) {
  EditFieldObject *e = (EditFieldObject *)list->activeCell;
  if (!e) return;
  list->activeCell = nullptr;
  if (Pane *editor = e->control.pane) {
    if (editor->hwnd) RemovePropA(editor->hwnd, kEditedList); /* its focus loss is not ours now */
    ControlClose(&e->control);
  }
  RuntimeUnlockObject(&e->control.header);
}

// The field goes first, so that its loss of focus does not end the edit
// again; then the text, CellTextChange and CellLostFocus. The edited row is
// selected again, as ListIndex has read it while the edit lasted.
void list_end_edit(ListboxObject *list, bool keep) {
  EditFieldObject *e = (EditFieldObject *)list->activeCell;
  if (!e) return;
  int32_t row = list->editRow;
  Pane *editor = e->control.pane;
  RString *text = keep && editor ? editTextGetter(e) : nullptr;
  if (editor && pane_focus() == editor && lpane(list)) {
    RemovePropA(editor->hwnd, kEditedList);
    pane_set_focus(list->control.pane);
  }
  list_drop_edit(list);
  if (keep) storeText(list, text);
  RuntimeUnlockString(text);
  cellEvent(list, "CellLostFocus");
  if (lpane(list) && !list->activeCell && list_first_selected(list) < 0 && row >= 0 &&
      row < list_count(list))
    list_select_only(list, row, false);
}

/* ---- entry points ---- */

extern "C" {
void listEditCell(ListboxObject *list, int32_t row, int32_t column) {
  list_begin_edit(list, row, column);
}

Object *listActiveCellGetter(ListboxObject *list, int32_t) {
  return RuntimeLockObject(list->activeCell);
}
}
