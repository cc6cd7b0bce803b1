// Listbox sorting: rows grouped under their top-level rows, SortColumn and
// CompareRows asked first, a stable merge sort of the groups by a column's
// texts, and the selected rows kept selected at their new places.
#include "ui/listbox.h"
#include <algorithm>
#include <vector>

// A top-level row with the deeper rows that follow it; they move together.
struct SortGroup {
  int32_t first; // the group's first row before the sort
  int32_t count;
  RString *key; // the column's text of the first row (retained), nil for none
};

struct SortRun {
  ListboxObject *list;
  int32_t column;
  int8_t direction;
  bool handler; // CompareRows is handled and the pane is still there
};

static std::vector<SortGroup> groupsOf(ListboxObject *list, int32_t column) {
  std::vector<SortGroup> groups;
  int32_t count = list_count(list);
  for (int32_t i = 0; i < count; i++) {
    ListRow *row = list_row(list, i);
    if (i > 0 && row->depth > 0) {
      groups.back().count++;
      continue;
    }
    ListCell *c = list_find_cell(row, column);
    RString *key = c ? c->text : nullptr;
    RuntimeLockString(key); /* a handler may replace the cell's text */
    groups.push_back({i, 1, key});
  }
  return groups;
}

// CompareRows decides when its handler answers True; it is given the two
// groups' first rows as they are numbered while the sort runs.
static bool askHandler(SortRun *run, const SortGroup &a, const SortGroup &b, int32_t *order) {
  int32_t result = 0;
  uint32_t args[] = {(uint32_t)a.first, (uint32_t)b.first, (uint32_t)run->column,
                     (uint32_t)(uintptr_t)&result};
  Delivery d = deliver_to_control(&run->list->control, "CompareRows", args, 4);
  if (d == kPaneGone) run->handler = false;
  if (d != kAnsweredTrue) return false;
  *order = result;
  return true;
}

static int32_t compareGroups(SortRun *run, const SortGroup &a, const SortGroup &b) {
  int32_t order;
  if (!run->handler || !askHandler(run, a, b, &order)) order = RuntimeStringCompare(a.key, b.key);
  return run->direction < 0 ? -order : order;
}

// Rows in the groups' new order; the selected rows stay selected when
// `carry`. The rows are put back only when the handlers left the list as it was.
static void reorder(ListboxObject *list, const std::vector<SortGroup> &groups,
                    const std::vector<ListRow *> &before, bool carry) {
  int32_t count = list_count(list);
  if ((int32_t)before.size() != count) return;
  for (int32_t i = 0; i < count; i++)
    if (list_row(list, i) != before[i]) return;
  std::vector<uint8_t> selected(count), moved(count);
  list_selected_flags(list, selected.data());
  int32_t at = 0;
  for (const SortGroup &g : groups)
    for (int32_t i = g.first; i < g.first + g.count; i++, at++) {
      vec_put_ptr(&list->rows, at, before[i]);
      moved[at] = selected[i];
    }
  if (carry) list_select_rows(list, moved.data());
}

static void defaultSort(ListboxObject *list, int32_t column, int8_t direction, bool carry) {
  SortRun run = {list, column, direction, has_handler(&list->control.header, "CompareRows")};
  std::vector<SortGroup> groups = groupsOf(list, column);
  std::vector<ListRow *> before(list_count(list));
  for (int32_t i = 0; i < (int32_t)before.size(); i++) before[i] = list_row(list, i);
  std::stable_sort(groups.begin(), groups.end(), [&](const SortGroup &a, const SortGroup &b) {
    return compareGroups(&run, a, b) < 0;
  });
  reorder(list, groups, before, carry);
  for (const SortGroup &g : groups) RuntimeUnlockString(g.key);
}

static int32_t indexOf(ListboxObject *list, ListRow *row) {
  for (int32_t i = 0; i < list_count(list); i++)
    if (list_row(list, i) == row) return i;
  return -1;
}

static void sortBy(ListboxObject *list, int32_t column) {
  int8_t direction = list->columns[column].sortDirection;
  if (direction == 0 || list->provider) return;
  ListRow *remembered = nullptr;
  if (list_selected_count(list) == 1) remembered = list_row(list, list_first_selected(list));
  list->sortColumn = column;
  if (list_count(list) == 0) return;
  uint32_t args[] = {(uint32_t)column};
  Delivery d = deliver_to_control(&list->control, "SortColumn", args, 1);
  if (d == kPaneGone) return;
  if (d == kAnsweredFalse) defaultSort(list, column, direction, !remembered);
  if (remembered) {
    int32_t at = indexOf(list, remembered);
    if (at >= 0) list_select_only(list, at, true);
  }
  list_redraw(list);
}

void list_sort_by(ListboxObject *list, int32_t column) {
  if (column < 0 || column >= kListColumns) return;
  RuntimeLockObject(&list->control.header); /* the handlers may drop the last other reference */
  sortBy(list, column);
  RuntimeUnlockObject(&list->control.header);
}

extern "C" void RuntimeListResort(ListboxObject *list) { list_sort_by(list, list->sortColumn); }
