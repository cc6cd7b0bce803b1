// Listbox rows: the row records and their cells' memory, adding, inserting
// and removing rows (children of a folder being opened go under it), folders
// opened and closed, and the constructor and destructor of the instance.
#include "ui/listbox.h"
#include "ui/boundparts.h"
#include "base/pool.h"
#include "lifecycle/exception.h"
#include "objects/registry.h"
#include <initializer_list>

/* ---- rows and their cells ---- */

int32_t list_count(ListboxObject *list) { return vec_count(&list->rows); }

ListRow *list_row(ListboxObject *list, int32_t row) {
  return (ListRow *)vec_get_ptr(&list->rows, row);
}

void list_check_row(ListboxObject *list, int32_t row) {
  if (row < 0 || row >= list_count(list)) exception_throw("OutOfBoundsException");
}

static void freeRow(ListRow *row) {
  for (ListCell *c = row->cells, *next; c; c = next) {
    next = c->next; /* save next before freeing */
    RuntimeUnlockString(c->text);
    pool_free(c, sizeof(ListCell));
  }
  RuntimeUnlockObject(row->picture);
  pool_free(row, sizeof(ListRow));
}

static ListRow *newRow(int16_t folder, int16_t depth, RString *text) {
  ListRow *row = (ListRow *)pool_alloc(sizeof(ListRow));
  *row = {folder, depth, nullptr, nullptr};
  list_cell_for(row, 0);
  str_assign(&row->cells->text, text);
  return row;
}

// A row number the instance keeps across `count` rows inserted at `row`
// (removed, when negative); -1 when its row was removed.
static void follow(int32_t *at, int32_t row, int32_t count) {
  if (*at < row) return;
  *at = count < 0 && *at < row - count ? -1 : *at + count;
}

static void followRows(ListboxObject *list, int32_t row, int32_t count) {
  if (list->expandNesting > 0) follow(&list->expandingRow, row, count);
  list_shift_runs(list, row, count);
  list_rows_changed(list, row, count);
}

void list_insert_row(ListboxObject *list, int32_t at, int16_t folder, int16_t depth,
                     RString *text) {
  vec_insert(&list->rows, at, (int32_t)(intptr_t)newRow(folder, depth, text));
  followRows(list, at, 1);
}

// Removes `n` rows from `row` on with one move of the rows after them.
static void removeRows(ListboxObject *list, int32_t row, int32_t n) {
  if (list->activeCell && list->editRow >= row && list->editRow < row + n) {
    list_end_edit(list, false); /* its handlers see the rows as they still are */
    if (n > list_count(list) - row) n = list_count(list) - row;
  }
  if (n <= 0) return;
  int32_t count = list_count(list);
  for (int32_t i = row; i < row + n; i++) freeRow(list_row(list, i));
  for (int32_t i = row + n; i < count; i++) vec_put(&list->rows, i - n, vec_get(&list->rows, i));
  vec_set_count(&list->rows, count - n);
  followRows(list, row, -n);
}

void list_remove_row(ListboxObject *list, int32_t row) { removeRows(list, row, 1); }

void list_empty(ListboxObject *list) { removeRows(list, 0, list_count(list)); }

/* ---- folders ---- */

// The row after the folder's last descendant: the first row after it that
// is not deeper, or the end of the list.
static int32_t afterDescendants(ListboxObject *list, int32_t folder) {
  int16_t depth = list_row(list, folder)->depth;
  int32_t at = folder + 1, count = list_count(list);
  while (at < count && list_row(list, at)->depth > depth) at++;
  return at;
}

// AddRow and AddFolder: appended at the top level, or, while a folder is
// being opened, under that folder after its other children.
static void addRow(ListboxObject *list, int16_t folder, RString *text) {
  if (list->provider) return;
  int32_t at = list_count(list);
  int16_t depth = 0;
  if (list->expandNesting > 0 && list->expandingRow >= 0 && list->expandingRow < at) {
    depth = (int16_t)(list_row(list, list->expandingRow)->depth + 1);
    at = afterDescendants(list, list->expandingRow);
  }
  list_insert_row(list, at, folder, depth, text);
  list->lastIndex = at;
}

static Delivery deliverRow(ListboxObject *list, const char *event, int32_t row) {
  uint32_t args[] = {(uint32_t)row};
  return deliver_to_control(&list->control, event, args, 1);
}

// While ExpandRow is delivered, rows added go under the folder. The record
// puts the outer folder back when the handler returns or an exception leaves it.
struct Expanding {
  Ongoing work; // keeps the list; its finish restores what follows
  ListboxObject *list;
  int32_t outerRow;
};

static void endExpanding(Ongoing *work) {
  Expanding *e = (Expanding *)work;
  e->list->expandNesting--;
  e->list->expandingRow = e->outerRow;
}

static void expand(ListboxObject *list, int32_t row) {
  ListRow *r = list_row(list, row);
  if (r->folder != kFolderClosed) return;
  r->folder = kFolderOpen;
  list_redraw_row(list, row);
  Expanding e = {
      {.receiver = &list->control.header, .finish = endExpanding}, list, list->expandingRow};
  ongoing_begin(&e.work);
  list->expandNesting++;
  list->expandingRow = row;
  deliverRow(list, "ExpandRow", row);
  ongoing_end(&e.work);
}

// Only the folder's own descendants go: the contiguous deeper rows after it,
// not deeper rows of later folders.
static void collapse(ListboxObject *list, int32_t row) {
  if (list_row(list, row)->folder != kFolderOpen) return;
  Ongoing held = {.receiver = &list->control.header}; /* a handler may drop its last reference */
  ongoing_begin(&held);
  Delivery d = deliverRow(list, "CollapseRow", row);
  bool still =
      d != kPaneGone && row < list_count(list) && list_row(list, row)->folder == kFolderOpen;
  if (still) {
    list_row(list, row)->folder = kFolderClosed;
    list_redraw_row(list, row);
    if (list->hierarchical && !list->provider)
      removeRows(list, row + 1, afterDescendants(list, row) - row - 1);
  }
  ongoing_end(&held);
}

void list_set_expanded(ListboxObject *list, int32_t row, bool expanded) {
  if (expanded)
    expand(list, row);
  else
    collapse(list, row);
}

/* ---- the instance ---- */

static void constructor(Object *o, ClassDef *) {
  ListboxObject *list = (ListboxObject *)o;
  list->columns = (ListColumn *)pool_alloc(kListColumns * sizeof(ListColumn));
  for (int32_t i = 0; i < kListColumns; i++)
    list->columns[i] = {nullptr, 0, kCellDefault, kAlignDefault, 1};
  vec_init(&list->rows);
  vec_init(&list->runs, sizeof(ListRun));
  vec_init(&list->receivers);
  list->columnCount = 1;
  list->lastIndex = list->sortColumn = list->pendingIndex = -1;
  list->editRow = list->editColumn = list->expandingRow = -1;
  list->anchorRow = list->caretRow = -1;
}

static void destructor(Object *o, ClassDef *) {
  ListboxObject *list = (ListboxObject *)o;
  for (int32_t i = 0; i < list_count(list); i++) freeRow(list_row(list, i));
  vec_dispose(&list->rows);
  vec_dispose(&list->runs);
  for (int32_t i = 0; i < vec_count(&list->receivers); i++)
    RuntimeUnlockObject((Object *)vec_get_ptr(&list->receivers, i));
  vec_dispose(&list->receivers);
  if (list->columns) {
    for (int32_t i = 0; i < kListColumns; i++) RuntimeUnlockString(list->columns[i].heading);
    pool_free(list->columns, kListColumns * sizeof(ListColumn));
    list->columns = nullptr;
  }
  textstyle_release(&list->style);
  actionpart_detach(&list->selectionAction);
  for (RString **s :
       {&list->dataSource, &list->dataField, &list->initialValue, &list->columnWidths})
    str_assign(s, nullptr);
  for (Object **held : {&list->provider, &list->activeCell}) {
    RuntimeUnlockObject(*held);
    *held = nullptr;
  }
}

void listbox_install() {
  control_kind_register("Listbox", list_create_pane);
  if (ClassDef *cls = registry_find("Listbox")) {
    cls->constructor = constructor;
    cls->destructor = destructor;
  }
}

/* ---- the row entry points ---- */

extern "C" {
void RuntimeListAddRow(ListboxObject *list, RString *text) { addRow(list, kRowPlain, text); }

void RuntimeListAddParent(ListboxObject *list, RString *text) { addRow(list, kFolderClosed, text); }

void RuntimeListInsertRow(ListboxObject *list, int32_t index, RString *text) {
  if (list->provider) return;
  int32_t count = list_count(list);
  index = index < 0 ? 0 : index > count ? count : index;
  list_insert_row(list, index, kRowPlain, 0, text);
  list->lastIndex = index;
}

void RuntimeRemoveRow(ListboxObject *list, int32_t index) {
  list_check_row(list, index);
  if (!list->provider) list_remove_row(list, index);
}

void RuntimeListEmpty(ListboxObject *list) { list_empty(list); }

RString *RuntimeGetRow(ListboxObject *list, int32_t index) {
  list_check_row(list, index);
  return list_cell_text(list, index, 0);
}

void RuntimeSetRow(ListboxObject *list, int32_t index, RString *text) {
  if (list->provider) return;
  list_check_row(list, index);
  str_assign(&list_row(list, index)->cells->text, text);
  list_redraw_row(list, index);
}

// The count is the instance's whether or not the pane exists.
int32_t listCountGetter(ListboxObject *list) { return list_count(list); }

int32_t listLastIndexGetter(ListboxObject *list) { return list->lastIndex; }

bool listGetExpanded(ListboxObject *list, int32_t row) {
  list_check_row(list, row);
  return list_row(list, row)->folder == kFolderOpen;
}

void listSetExpanded(ListboxObject *list, int32_t row, bool expanded) {
  list_check_row(list, row);
  list_set_expanded(list, row, expanded);
}
}
