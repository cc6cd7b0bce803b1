// Listbox sorting: rows grouped under their top-level rows, SortColumn and
// CompareRows asked first, a stable merge sort of the groups by a column's
// texts, and the selected rows kept selected at their new places.
#include "ui/listbox.h"
#include "base/pool.h"
#include <cstring>
#include <vector>

// A top-level row with the deeper rows that follow it; they move together.
struct SortGroup {
  int32_t first; // the group's first row before the sort
  int32_t count;
  RString *key; // the column's text of the first row (retained), nil for none
};

// One sort under way. Its memory is the record's, so that an exception out of
// a handler, which leaves this frame, still gives it back when the record ends.
struct Sorting {
  Ongoing work; // keeps the list; its finish frees what follows
  ListboxObject *list;
  int32_t column;
  int8_t direction;
  bool handler;                 // CompareRows is handled and the pane is still there
  int32_t rowCount = 0;         // the rows as they were
  ListRow **before = nullptr;   // rowCount entries
  int32_t groupCount = 0;       // top-level rows
  SortGroup *groups = nullptr;  // groupCount entries, sorted in place
  SortGroup *scratch = nullptr; // groupCount entries for the merges
};

static void endSorting(Ongoing *work) {
  Sorting *s = (Sorting *)work;
  for (int32_t i = 0; i < s->groupCount; i++) RuntimeUnlockString(s->groups[i].key);
  pool_free(s->before, s->rowCount * (int32_t)sizeof(ListRow *));
  pool_free(s->groups, s->groupCount * (int32_t)sizeof(SortGroup));
  pool_free(s->scratch, s->groupCount * (int32_t)sizeof(SortGroup));
  s->rowCount = s->groupCount = 0;
}

static void takeRows(Sorting *s) {
  ListboxObject *list = s->list;
  int32_t count = list_count(list), groups = 0;
  s->before = (ListRow **)pool_alloc(count * (int32_t)sizeof(ListRow *));
  for (int32_t i = 0; i < count; i++) {
    s->before[i] = list_row(list, i);
    groups += i == 0 || s->before[i]->depth <= 0;
  }
  s->rowCount = count;
  s->groups = (SortGroup *)pool_alloc(groups * (int32_t)sizeof(SortGroup));
  s->scratch = (SortGroup *)pool_alloc(groups * (int32_t)sizeof(SortGroup));
  for (int32_t i = 0; i < count; i++) {
    if (i > 0 && s->before[i]->depth > 0) {
      s->groups[s->groupCount - 1].count++;
      continue;
    }
    ListCell *c = list_find_cell(s->before[i], s->column);
    RString *key = c ? c->text : nullptr;
    RuntimeLockString(key); /* a handler may replace the cell's text */
    s->groups[s->groupCount++] = {i, 1, key};
  }
}

// CompareRows decides when its handler answers True; it is given the two
// groups' first rows as they are numbered while the sort runs.
static bool askHandler(Sorting *s, const SortGroup &a, const SortGroup &b, int32_t *order) {
  int32_t result = 0;
  uint32_t args[] = {(uint32_t)a.first, (uint32_t)b.first, (uint32_t)s->column,
                     (uint32_t)(uintptr_t)&result};
  Delivery d = deliver_to_control(&s->list->control, "CompareRows", args, 4);
  if (d == kPaneGone) s->handler = false;
  if (d != kAnsweredTrue) return false;
  *order = result;
  return true;
}

static int32_t compareGroups(Sorting *s, const SortGroup &a, const SortGroup &b) {
  int32_t order;
  if (!s->handler || !askHandler(s, a, b, &order)) order = RuntimeStringCompare(a.key, b.key);
  return s->direction < 0 ? -order : order;
}

// Bottom-up merge sort: stable, n log n comparisons, no memory of its own.
static void mergeSort(Sorting *s) {
  SortGroup *from = s->groups, *to = s->scratch;
  int32_t n = s->groupCount;
  for (int32_t width = 1; width < n; width *= 2) {
    for (int32_t lo = 0; lo < n; lo += 2 * width) {
      int32_t mid = lo + width < n ? lo + width : n, hi = lo + 2 * width < n ? lo + 2 * width : n;
      int32_t a = lo, b = mid, out = lo;
      while (a < mid && b < hi)
        to[out++] = compareGroups(s, from[b], from[a]) < 0 ? from[b++] : from[a++];
      while (a < mid) to[out++] = from[a++];
      while (b < hi) to[out++] = from[b++];
    }
    SortGroup *t = from;
    from = to, to = t;
  }
  if (from != s->groups) memcpy(s->groups, from, n * sizeof(SortGroup));
}

// Rows in the groups' new order; the selected rows stay selected when
// `carry`. The rows are put back only when the handlers left the list as it was.
static void reorder(Sorting *s, bool carry) {
  ListboxObject *list = s->list;
  if (list_count(list) != s->rowCount) return;
  for (int32_t i = 0; i < s->rowCount; i++)
    if (list_row(list, i) != s->before[i]) return;
  std::vector<uint8_t> selected(s->rowCount), moved(s->rowCount);
  list_selected_flags(list, selected.data());
  int32_t at = 0;
  for (int32_t g = 0; g < s->groupCount; g++)
    for (int32_t i = s->groups[g].first; i < s->groups[g].first + s->groups[g].count; i++, at++) {
      vec_put_ptr(&list->rows, at, s->before[i]);
      moved[at] = selected[i];
    }
  if (carry) list_select_rows(list, moved.data());
}

static void defaultSort(ListboxObject *list, int32_t column, int8_t direction, bool carry) {
  Sorting s = {.work = {.receiver = &list->control.header, .finish = endSorting},
               .list = list,
               .column = column,
               .direction = direction,
               .handler = has_handler(&list->control.header, "CompareRows")};
  ongoing_begin(&s.work);
  takeRows(&s);
  mergeSort(&s);
  reorder(&s, carry);
  ongoing_end(&s.work);
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
  Ongoing held = {.receiver = &list->control.header}; /* a handler may drop its last reference */
  ongoing_begin(&held);
  sortBy(list, column);
  ongoing_end(&held);
}

extern "C" void RuntimeListResort(ListboxObject *list) { list_sort_by(list, list->sortColumn); }
