// Listbox cells: finding and making a row's cell records, the texts read from
// a bound list provider, and the cell entry points (text, styles, check
// state, type, alignment and offset, borders, the row's picture).
#include "ui/listbox.h"
#include "base/pool.h"
#include "lifecycle/exception.h"

void list_check_column(int32_t column) {
  if (column < 0 || column >= kListColumns) exception_throw("OutOfBoundsException");
}

ListCell *list_find_cell(ListRow *row, int32_t column) {
  for (ListCell *c = row->cells; c; c = c->next)
    if (c->column == column) return c;
  return nullptr;
}

ListCell *list_cell_for(ListRow *row, int32_t column) {
  ListCell **link = &row->cells;
  for (; *link; link = &(*link)->next)
    if ((*link)->column == column) return *link;
  ListCell *c = (ListCell *)pool_alloc(sizeof(ListCell));
  *c = {nullptr, 0, (uint8_t)column, kCellDefault, 0, nullptr, kAlignDefault, {}, 0};
  *link = c;
  return c;
}

/* ---- the bound list provider ---- */

// Calls the object's method `name` with the argument words after it; 0 when
// the object is nil or has no such method.
static uint32_t callMethod(Object *o, const char *name, uint32_t arg, int32_t argCount) {
  void *entry = o ? method_entry(o, name) : nullptr;
  if (!entry) return 0;
  uint32_t words[] = {(uint32_t)(uintptr_t)o, arg};
  return call_compiled_words(entry, words, argCount + 1);
}

// Field column + 1 of the provider's row row + 1; nil beyond its fields.
static RString *providerText(ListboxObject *list, int32_t row, int32_t column) {
  Object *record = (Object *)(uintptr_t)callMethod(list->provider, "GetRow", row + 1, 1);
  if (!record) return nullptr;
  RString *text = nullptr;
  if (column < (int32_t)callMethod(record, "FieldCount", 0, 0))
    text = (RString *)(uintptr_t)callMethod(record, "getIndString", column + 1, 1);
  RuntimeUnlockObject(record);
  return text;
}

RString *list_cell_text(ListboxObject *list, int32_t row, int32_t column) {
  if (list->provider) return providerText(list, row, column);
  ListCell *c = list_find_cell(list_row(list, row), column);
  if (!c) return nullptr;
  RuntimeLockString(c->text);
  return c->text;
}

uint8_t list_cell_type(ListboxObject *list, int32_t row, int32_t column) {
  ListCell *c = list_find_cell(list_row(list, row), column);
  if (c && c->type != kCellDefault) return c->type;
  return list->columns[column].type;
}

uint8_t list_cell_alignment(ListboxObject *list, int32_t row, int32_t column) {
  ListCell *c = list_find_cell(list_row(list, row), column);
  if (c && c->alignment != kAlignDefault) return c->alignment;
  return list->columns[column].alignment;
}

/* ---- the cell entry points ---- */

// The cell a getter reads, after the checks; nil when absent.
static ListCell *readCell(ListboxObject *list, int32_t row, int32_t column) {
  list_check_row(list, row);
  list_check_column(column);
  return list_find_cell(list_row(list, row), column);
}

// The cell a setter writes, made when absent; nil while a provider is bound.
static ListCell *writeCell(ListboxObject *list, int32_t row, int32_t column) {
  list_check_row(list, row);
  list_check_column(column);
  if (list->provider) return nullptr;
  return list_cell_for(list_row(list, row), column);
}

static bool getStyle(ListboxObject *list, int32_t row, int32_t column, uint8_t bit) {
  ListCell *c = readCell(list, row, column);
  return c && (c->style & bit);
}

static void setStyle(ListboxObject *list, int32_t row, int32_t column, uint8_t bit, bool on) {
  ListCell *c = writeCell(list, row, column);
  if (!c) return;
  uint8_t style = on ? c->style | bit : c->style & ~bit;
  if (style == c->style) return;
  c->style = style;
  list_redraw_row(list, row);
}

// Byte-wide cell fields with their redraw.
static int32_t getByte(ListboxObject *list, int32_t row, int32_t column, uint8_t ListCell::*field) {
  ListCell *c = readCell(list, row, column);
  return c ? c->*field : 0;
}

static void setByte(ListboxObject *list, int32_t row, int32_t column, uint8_t ListCell::*field,
                    int32_t value) {
  if (ListCell *c = writeCell(list, row, column)) {
    c->*field = (uint8_t)value;
    list_redraw_row(list, row);
  }
}

static int32_t getBorder(ListboxObject *list, int32_t row, int32_t column, int side) {
  ListCell *c = readCell(list, row, column);
  return c ? c->borders[side] : 0;
}

static void setBorder(ListboxObject *list, int32_t row, int32_t column, int side, int32_t v) {
  if (ListCell *c = writeCell(list, row, column)) {
    c->borders[side] = (uint8_t)v;
    list_redraw_row(list, row);
  }
}

#define CELL_STYLE(Name, bit)                                                                      \
  bool listGetCell##Name(ListboxObject *list, int32_t row, int32_t column) {                       \
    return getStyle(list, row, column, bit);                                                       \
  }                                                                                                \
  void listSetCell##Name(ListboxObject *list, int32_t row, int32_t column, bool on) {              \
    setStyle(list, row, column, bit, on);                                                          \
  }

#define CELL_BYTE(getter, setter, field)                                                           \
  int32_t getter(ListboxObject *list, int32_t row, int32_t column) {                               \
    return getByte(list, row, column, &ListCell::field);                                           \
  }                                                                                                \
  void setter(ListboxObject *list, int32_t row, int32_t column, int32_t value) {                   \
    setByte(list, row, column, &ListCell::field, value);                                           \
  }

#define CELL_BORDER(Side, side)                                                                    \
  int32_t listGetCellBorder##Side(ListboxObject *list, int32_t row, int32_t column) {              \
    return getBorder(list, row, column, side);                                                     \
  }                                                                                                \
  void listSetCellBorder##Side(ListboxObject *list, int32_t row, int32_t column, int32_t v) {      \
    setBorder(list, row, column, side, v);                                                         \
  }

extern "C" {
RString *listGetCell(ListboxObject *list, int32_t row, int32_t column) {
  list_check_row(list, row);
  list_check_column(column);
  return list_cell_text(list, row, column);
}

void listSetCell(ListboxObject *list, int32_t row, int32_t column, RString *text) {
  if (ListCell *c = writeCell(list, row, column)) {
    str_assign(&c->text, text);
    list_redraw_row(list, row);
  }
}

CELL_STYLE(Bold, kCellBold)
CELL_STYLE(Italic, kCellItalic)
CELL_STYLE(Underline, kCellUnderline)

bool listCellCheckGetter(ListboxObject *list, int32_t row, int32_t column) {
  return getByte(list, row, column, &ListCell::checked) != 0;
}
void listCellCheckSetter(ListboxObject *list, int32_t row, int32_t column, bool checked) {
  setByte(list, row, column, &ListCell::checked, checked ? 1 : 0);
}

CELL_BYTE(listCellTypeGetter, listCellTypeSetter, type)
CELL_BYTE(listCellAlignmentGetter, listCellAlignmentSetter, alignment)

int32_t listCellAlignmentOffsetGetter(ListboxObject *list, int32_t row, int32_t column) {
  ListCell *c = readCell(list, row, column);
  return c ? c->alignOffset : 0;
}
void listCellAlignmentOffsetSetter(ListboxObject *list, int32_t row, int32_t column, int32_t v) {
  if (ListCell *c = writeCell(list, row, column)) {
    c->alignOffset = v;
    list_redraw_row(list, row);
  }
}

CELL_BORDER(Top, kBorderTop)
CELL_BORDER(Left, kBorderLeft)
CELL_BORDER(Bottom, kBorderBottom)
CELL_BORDER(Right, kBorderRight)

Object *listGetRowPicture(ListboxObject *list, int32_t row) {
  list_check_row(list, row);
  return RuntimeLockObject(list_row(list, row)->picture);
}

void listSetRowPicture(ListboxObject *list, int32_t row, Object *picture) {
  list_check_row(list, row);
  if (list->provider) return;
  ListRow *r = list_row(list, row);
  RuntimeLockObject(picture);
  RuntimeUnlockObject(r->picture); /* after: it may be the same */
  r->picture = picture;
  list_redraw_row(list, row);
}
}
