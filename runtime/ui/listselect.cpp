// Listbox selection: the runs of selected rows, ListIndex (one row chosen,
// scrolled into view and reported as Change), Selected joining and splitting
// runs, the runs following inserted and removed rows, and the selection's
// notification receivers.
#include "ui/listbox.h"
#include "ui/boundparts.h"
#include <cstring>

/* ---- the runs ---- */

static int32_t runCount(ListboxObject *list) { return vec_count(&list->runs); }

static ListRun runAt(ListboxObject *list, int32_t i) {
  int64_t packed = vec_get8(&list->runs, i);
  ListRun r;
  memcpy(&r, &packed, sizeof r);
  return r;
}

static void putRun(ListboxObject *list, int32_t i, ListRun r) {
  int64_t packed;
  memcpy(&packed, &r, sizeof r);
  vec_put8(&list->runs, i, packed);
}

static void insertRun(ListboxObject *list, int32_t i, ListRun r) {
  int64_t packed;
  memcpy(&packed, &r, sizeof r);
  vec_insert8(&list->runs, i, packed);
}

static void observe(ListboxObject *list, bool changing) {
  if (list->observer) list->observer(list, changing, list->observerContext);
}

static int32_t runHolding(ListboxObject *list, int32_t row) {
  for (int32_t i = 0; i < runCount(list); i++) {
    ListRun r = runAt(list, i);
    if (row >= r.first && row < r.first + r.count) return i;
  }
  return -1;
}

bool list_is_selected(ListboxObject *list, int32_t row) { return runHolding(list, row) >= 0; }

int32_t list_first_selected(ListboxObject *list) {
  int32_t first = -1;
  for (int32_t i = 0; i < runCount(list); i++) {
    int32_t f = runAt(list, i).first;
    if (first < 0 || f < first) first = f;
  }
  return first;
}

int32_t list_selected_count(ListboxObject *list) {
  int32_t n = 0;
  for (int32_t i = 0; i < runCount(list); i++) n += runAt(list, i).count;
  return n;
}

// Redraws the rows of every run but `except`, then forgets the runs.
static void dropRuns(ListboxObject *list, int32_t except) {
  for (int32_t i = 0; i < runCount(list); i++) {
    ListRun r = runAt(list, i);
    for (int32_t row = r.first; row < r.first + r.count; row++)
      if (row != except) list_redraw_row(list, row);
  }
  vec_set_count(&list->runs, 0);
}

void list_select_only(ListboxObject *list, int32_t row, bool notify) {
  if (row < 0 || row >= list_count(list)) row = -1;
  bool was = row >= 0 && list_is_selected(list, row);
  bool unchanged = row >= 0 ? was && list_selected_count(list) == 1 : runCount(list) == 0;
  observe(list, true);
  dropRuns(list, row);
  if (row >= 0) insertRun(list, 0, {row, 1});
  observe(list, false);
  if (row >= 0 && !was) list_redraw_row(list, row);
  if (!notify) return;
  if (row >= 0) list_scroll_into_view(list, row);
  if (!unchanged) list_report_change(list);
}

Delivery list_report_change(ListboxObject *list) {
  Delivery d = deliver_change(&list->control, "Change");
  if (d != kPaneGone) actionpart_notify(list->selectionAction);
  return d;
}

// A new row joins a run ending just before it or starting just after it (both,
// when it closes the gap between them); else it is a run of its own, first.
static void selectRow(ListboxObject *list, int32_t row) {
  int32_t before = -1, after = -1;
  for (int32_t i = 0; i < runCount(list); i++) {
    ListRun r = runAt(list, i);
    if (r.first + r.count == row) before = i;
    if (r.first == row + 1) after = i;
  }
  if (before >= 0 && after >= 0) {
    ListRun b = runAt(list, before);
    putRun(list, before, {b.first, b.count + 1 + runAt(list, after).count});
    vec_remove(&list->runs, after);
  } else if (before >= 0) {
    ListRun b = runAt(list, before);
    putRun(list, before, {b.first, b.count + 1});
  } else if (after >= 0) {
    ListRun a = runAt(list, after);
    putRun(list, after, {row, a.count + 1});
  } else {
    insertRun(list, 0, {row, 1});
  }
}

// Takes the row out of run i: its start moves on, its end moves back, or it
// splits in two; an empty run goes.
static void deselectRow(ListboxObject *list, int32_t i, int32_t row) {
  ListRun r = runAt(list, i);
  int32_t head = row - r.first, tail = r.first + r.count - row - 1;
  if (head > 0 && tail > 0) {
    putRun(list, i, {r.first, head});
    insertRun(list, i + 1, {row + 1, tail});
  } else if (head > 0 || tail > 0) {
    putRun(list, i, {head > 0 ? r.first : row + 1, head + tail});
  } else {
    vec_remove(&list->runs, i);
  }
}

void list_set_row_selected(ListboxObject *list, int32_t row, bool selected) {
  if (row < 0 || row >= list_count(list)) return;
  int32_t holder = runHolding(list, row);
  if ((holder >= 0) == selected) return;
  observe(list, true);
  if (selected)
    selectRow(list, row);
  else
    deselectRow(list, holder, row);
  observe(list, false);
  list_redraw_row(list, row);
}

void list_selected_flags(ListboxObject *list, uint8_t *selected) {
  for (int32_t i = 0; i < runCount(list); i++) {
    ListRun r = runAt(list, i);
    memset(selected + r.first, 1, r.count);
  }
}

void list_select_rows(ListboxObject *list, const uint8_t *selected) {
  observe(list, true);
  vec_set_count(&list->runs, 0);
  int32_t count = list_count(list);
  for (int32_t row = 0; row < count; row++) {
    if (!selected[row]) continue;
    int32_t first = row;
    while (row + 1 < count && selected[row + 1]) row++;
    insertRun(list, runCount(list), {first, row - first + 1});
  }
  observe(list, false);
}

// `count` rows were inserted at `row` (removed, when negative): runs after
// them move, a run an insertion lands in is split around the new rows, and
// removed rows leave the runs that held them.
void list_shift_runs(ListboxObject *list, int32_t row, int32_t count) {
  if (runCount(list) == 0 || count == 0) return;
  observe(list, true);
  for (int32_t i = runCount(list) - 1; i >= 0; i--) {
    ListRun r = runAt(list, i);
    int32_t end = r.first + r.count;
    if (count > 0) {
      if (row <= r.first)
        putRun(list, i, {r.first + count, r.count});
      else if (row < end) {
        putRun(list, i, {r.first, row - r.first});
        insertRun(list, i + 1, {row + count, end - row});
      }
      continue;
    }
    int32_t gone = row - count; /* the first row after the removed ones */
    int32_t first = r.first < row ? r.first : r.first < gone ? row : r.first + count;
    int32_t last = end <= row ? end : end <= gone ? row : end + count;
    if (last > first)
      putRun(list, i, {first, last - first});
    else
      vec_remove(&list->runs, i);
  }
  observe(list, false);
}

/* ---- the entry points ---- */

// The edit field over a cell has the keyboard.
static bool editing(ListboxObject *list) {
  ControlObject *field = (ControlObject *)list->activeCell;
  return field && field->pane && field->pane->hwnd && GetFocus() == field->pane->hwnd;
}

extern "C" {
int32_t listSelectionGetter(ListboxObject *list) {
  if (!list_has_pane(list)) return -1;
  if (editing(list)) return list->editRow;
  return list_first_selected(list);
}

// Without a pane the row waits for it.
void listSelectionSetter(ListboxObject *list, int32_t, int32_t row) {
  if (!list_has_pane(list)) {
    list->pendingIndex = row < 0 || row >= list_count(list) ? -1 : row;
    return;
  }
  list_select_only(list, row, true);
}

int32_t listSelCountGetter(ListboxObject *list) {
  return list_has_pane(list) ? list_selected_count(list) : 0;
}

bool listGetSelected(ListboxObject *list, int32_t row) { return list_is_selected(list, row); }

void listSetSelected(ListboxObject *list, int32_t row, bool selected) {
  list_set_row_selected(list, row, selected);
}

RString *listTextGetter(ListboxObject *list) {
  int32_t row = list_first_selected(list);
  return row < 0 ? nullptr : list_cell_text(list, row, 0);
}

void listTextSetter(ListboxObject *list, int32_t, RString *text) {
  int32_t row = list_first_selected(list);
  if (row < 0 || list->provider) return;
  str_assign(&list_row(list, row)->cells->text, text);
  list_redraw_row(list, row);
}

// The receivers are kept, once each, until they are removed or the list goes.
void listAddLSNR(ListboxObject *list, Object *receiver) {
  if (!receiver) return;
  for (int32_t i = 0; i < vec_count(&list->receivers); i++)
    if (vec_get_ptr(&list->receivers, i) == receiver) return;
  vec_append_ptr(&list->receivers, RuntimeLockObject(receiver));
}

void listRemoveLSNR(ListboxObject *list, Object *receiver) {
  for (int32_t i = 0; i < vec_count(&list->receivers); i++) {
    if (vec_get_ptr(&list->receivers, i) != receiver) continue;
    vec_remove(&list->receivers, i);
    RuntimeUnlockObject(receiver);
    return;
  }
}
}
