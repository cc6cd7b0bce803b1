// Listbox columns: the column-width rule over ColumnWidths, ColumnCount,
// the per-column tables (type, alignment, offset, sort direction, heading),
// HeadingIndex, and the stored DataSource and DataField.
#include "ui/listbox.h"
#include <climits>

/* ---- the column-width rule ---- */

static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// 16-bit fields take big numbers as their largest value: "40000" must not wrap.
static int16_t toShort(int64_t n) {
  return (int16_t)(n < INT16_MIN ? INT16_MIN : n > INT16_MAX ? INT16_MAX : n);
}

// The next comma-separated piece of the text at *s (up to end), trimmed;
// *s moves past its comma.
static void nextPiece(const char **s, const char *end, const char **from, const char **to) {
  const char *p = *s;
  while (p < end && *p != ',') p++;
  *from = *s, *to = p;
  *s = p < end ? p + 1 : end;
  while (*from < *to && isBlank(**from)) (*from)++;
  while (*to > *from && isBlank((*to)[-1])) (*to)--;
}

// The piece's leading integer, at least 0 and at most what a width holds.
static int64_t pieceValue(const char *from, const char *to) {
  bool negative = from < to && *from == '-';
  if (from < to && (*from == '-' || *from == '+')) from++;
  int64_t n = 0;
  for (; from < to && *from >= '0' && *from <= '9'; from++)
    if (n <= INT16_MAX) n = n * 10 + (*from - '0');
  return negative ? 0 : n;
}

void list_compute_widths(ListboxObject *list, int32_t width) {
  const char *s = str_cview(list->columnWidths), *end = s + str_len(list->columnWidths);
  int32_t rest = width;
  for (int32_t i = 0; i < list->columnCount; i++) {
    int64_t w = rest / (list->columnCount - i);
    if (w < 0) w = 0;
    if (s < end) {
      const char *from, *to;
      nextPiece(&s, end, &from, &to);
      if (from < to) {
        int64_t n = pieceValue(from, to);
        w = to[-1] == '%' ? (int64_t)width * n / 100 : n; /* of the whole width */
      }
    }
    list->widths[i] = toShort(w);
    rest -= list->widths[i];
  }
  for (int32_t i = list->columnCount; i < kListColumns; i++) list->widths[i] = 0;
}

int32_t list_column_left(ListboxObject *list, int32_t column) {
  int32_t left = 0;
  for (int32_t i = 0; i < column && i < list->columnCount; i++) left += list->widths[i];
  return left;
}

int32_t list_column_at(ListboxObject *list, int32_t x) {
  if (x < 0) return -1;
  for (int32_t i = 0, left = 0; i < list->columnCount; i++) {
    left += list->widths[i];
    if (x < left) return i;
  }
  return -1;
}

// The widths follow the control's width; the pane lays itself out again.
static void columnsChanged(ListboxObject *list) {
  Rect16 b = list->control.bounds;
  list_compute_widths(list, b.right - b.left);
  list_relayout(list);
}

/* ---- the per-column tables ---- */

static ListColumn *column(ListboxObject *list, int32_t i) {
  return i >= 0 && i < kListColumns ? &list->columns[i] : nullptr;
}

// A per-column field: the getter answers 0 outside the tables, where the
// setter does nothing; a stored value lays the list out again.
#define COLUMN_FIELD(getter, setter, field, convert)                                               \
  int32_t getter(ListboxObject *list, int32_t i) {                                                 \
    ListColumn *c = column(list, i);                                                               \
    return c ? c->field : 0;                                                                       \
  }                                                                                                \
  void setter(ListboxObject *list, int32_t i, int32_t value) {                                     \
    if (ListColumn *c = column(list, i)) {                                                         \
      c->field = convert(value);                                                                   \
      list_relayout(list);                                                                         \
    }                                                                                              \
  }

extern "C" {
int32_t listColumnCountGetter(ListboxObject *list) { return list->columnCount; }

void listColumnCountSetter(ListboxObject *list, int32_t, int32_t count) {
  if (count == 0) count = 1;
  if (count < 0 || count > kListMaxColumnCount) count = kListMaxColumnCount;
  list->columnCount = count;
  columnsChanged(list);
}

RString *listColumnWidthsGetter(ListboxObject *list) {
  RuntimeLockString(list->columnWidths);
  return list->columnWidths;
}

void listColumnWidthsSetter(ListboxObject *list, int32_t, RString *widths) {
  str_assign(&list->columnWidths, widths);
  columnsChanged(list);
}

COLUMN_FIELD(listColumnTypeGetter, listColumnTypeSetter, type, (uint8_t))
COLUMN_FIELD(listColumnAlignmentGetter, listColumnAlignmentSetter, alignment, (uint8_t))
COLUMN_FIELD(listColumnAlignmentOffsetGetter, listColumnAlignmentOffsetSetter, alignOffset, toShort)

int32_t listColumnSortDirectionGetter(ListboxObject *list, int32_t i) {
  if (!list_has_pane(list)) return 1;
  ListColumn *c = column(list, i);
  return c ? c->sortDirection : 0;
}

void listColumnSortDirectionSetter(ListboxObject *list, int32_t i, int32_t direction) {
  if (ListColumn *c = column(list, i)) {
    c->sortDirection = (int8_t)(direction > 0 ? 1 : direction < 0 ? -1 : 0);
    list_redraw(list);
  }
}

RString *listGetHeading(ListboxObject *list, int32_t i) {
  ListColumn *c = column(list, i);
  if (!c) return nullptr;
  RuntimeLockString(c->heading);
  return c->heading;
}

void listSetHeading(ListboxObject *list, int32_t i, RString *heading) {
  if (ListColumn *c = column(list, i)) {
    str_assign(&c->heading, heading);
    list_redraw(list);
  }
}

int32_t listHeadingIndexGetter(ListboxObject *list) {
  return list_has_pane(list) ? list->sortColumn : -1;
}

// With a pane the list is sorted by the column at once.
void listHeadingIndexSetter(ListboxObject *list, int32_t, int32_t i) {
  list->sortColumn = column(list, i) ? i : -1;
  if (list->sortColumn >= 0 && list_has_pane(list)) list_sort_by(list, i);
}

RString *ListboxDataSourceGetter(ListboxObject *list) {
  RuntimeLockString(list->dataSource);
  return list->dataSource;
}

void ListboxDataSourceSetter(ListboxObject *list, int32_t, RString *source) {
  str_assign(&list->dataSource, source);
}

void ListboxDataFieldSetter(ListboxObject *list, int32_t, RString *field) {
  str_assign(&list->dataField, field);
}
}
