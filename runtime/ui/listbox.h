// Listbox: the runtime's multi-column list. The instance keeps the rows (each
// with a linked list of cells), the per-column tables, the selection runs and
// the sort column whether or not its pane exists; the pane draws only the
// rows in view and turns the mouse and keys into the list's operations.
//
// The model (rows, cells, columns, selection, folders, sorting) lives in
// listrows.cpp, listcells.cpp, listcolumns.cpp, listselect.cpp and
// listsort.cpp; the pane (drawing, scrolling, the mouse and keys, the edit
// field over a cell) in listpane.cpp, listdraw.cpp and listinput.cpp.
#pragma once
#include "base/vector.h"
#include "ui/control.h"
#include "ui/textstyle.h"

enum {
  kListColumns = 64,        // the per-column tables: columns 0 to 63
  kListMaxColumnCount = 63, // ColumnCount is 1 to 63
};

// A row's folder state.
enum : int16_t {
  kRowPlain = -1,
  kFolderClosed = 0,
  kFolderOpen = 1,
};

// Cell and column types. A cell of type 0 takes its column's type.
enum : uint8_t {
  kCellDefault = 0,
  kCellNormal = 1,
  kCellCheckBox = 2,
  kCellEditable = 3,
};

// A cell's style bits.
enum : uint8_t {
  kCellBold = 1,
  kCellItalic = 2,
  kCellUnderline = 4,
};

// Cell and column alignments (0 in a cell takes its column's).
enum : uint8_t {
  kAlignDefault = 0,
  kAlignLeft = 1,
  kAlignCenter = 2,
  kAlignRight = 3,
  kAlignDecimal = 4,
};

// The sides of a cell's border, as CellBorderTop ... CellBorderRight number them.
enum { kBorderTop = 0, kBorderLeft = 1, kBorderBottom = 2, kBorderRight = 3 };

// One cell of a row. Absent cells read as empty text, no styles, type 0,
// unchecked, alignment 0 and offset 0.
struct ListCell {
  ListCell *next;      // 0
  uint8_t style;       // 4: kCellBold | kCellItalic | kCellUnderline
  uint8_t column;      // 5: 0 to 63, checked before a cell is made
  uint8_t type;        // 6
  uint8_t checked;     // 7: 0 or 1
  RString *text;       // 8 (retained); nil is the empty string
  uint8_t alignment;   // 12
  uint8_t borders[4];  // 13: top, left, bottom, right; 0 draws none
  int32_t alignOffset; // 20: pixels, handed to drawing
};
static_assert(offsetof(ListCell, text) == 8);
static_assert(sizeof(ListCell) == 24);

// One row, in display order; rows are numbered from 0.
struct ListRow {
  int16_t folder;  // 0: kRowPlain, kFolderClosed or kFolderOpen
  int16_t depth;   // 2: 0 at the top level
  ListCell *cells; // 4: the column-0 cell first, made with the row
  Object *picture; // 8: RowPicture (retained), or nil
};

// One entry of the per-column tables.
struct ListColumn {
  RString *heading;     // 0 (retained); made "0", "1", ... with the pane
  int16_t alignOffset;  // 4
  uint8_t type;         // 6
  uint8_t alignment;    // 7
  int8_t sortDirection; // 8: 0 does not sort, 1 ascending, -1 descending
};

// A run of selected rows.
struct ListRun {
  int32_t first, count;
};

// Told before (changing true) and after (false) every change of the runs.
typedef void (*ListSelectionObserver)(struct ListboxObject *list, bool changing, void *context);

// The instance: 564 bytes. The fields up to 128 are the ones compiled code
// reads and writes through the class's member table.
struct ListboxObject {
  ControlObject control;        // 0
  TextStyle style;              // 92: TextFont, TextSize 96, Bold 98, Italic 99, Underline 100
  uint8_t hierarchical;         // 101
  uint8_t enableDrag;           // 102
  uint8_t hasHeading;           // 103
  uint8_t useFocusRing;         // 104
  uint8_t hScrollBar;           // 105
  uint8_t vScrollBar;           // 106
  uint8_t hGridLines;           // 107
  uint8_t vGridLines;           // 108
  int32_t selectionType;        // 112: 0 one row, 1 several
  int32_t defaultRowHeight;     // 116: pixels; 0 or less takes the font's
  RString *dataSource;          // 120
  RString *dataField;           // 124
  RString *initialValue;        // 128: rows separated by CR, cells by Tab; read as the pane is made
  Vector rows;                  // 132: ListRow pointers in display order
  Vector runs;                  // 148: ListRun records (8 bytes each)
  ListColumn *columns;          // 164: kListColumns entries, made by the constructor
  int16_t widths[kListColumns]; // 168: computed by the column-width rule
  int32_t columnCount;          // 296: 1 to 63
  RString *columnWidths;        // 300: ColumnWidths as given
  int32_t lastIndex;            // 304: the row last added or inserted; -1 before any
  int32_t sortColumn;           // 308: HeadingIndex; -1 for none
  int32_t scrollRow;            // 312: ScrollPosition, the first row in view
  int32_t scrollX;              // 316: ScrollPositionX, in pixels
  Object *provider;             // 320: the bound list provider (retained), or nil
  Object *activeCell;           // 324: the EditField over the cell being edited (retained), or nil
  int32_t editRow, editColumn;  // 328: the cell being edited
  int32_t expandNesting;        // 336: ExpandRow deliveries under way
  int32_t expandingRow;         // 340: the folder being opened while expandNesting > 0
  Vector receivers;             // 344: listSelectionNotificationReceivers (retained)
  ListSelectionObserver observer; // 360: nil, or told of every change of the runs
  void *observerContext;          // 364
  int32_t anchorRow;              // 368: the row a Shift-click or Shift-arrow extends from
  int32_t caretRow;               // 372: the row the keyboard is on
  int32_t pendingIndex;           // 376: ListIndex given before the pane exists; -1 for none
  Object *selectionAction;        // 380: the "getSelectionAction" part, or nil until asked for
  uint8_t reserved[180];          // 384
};
static_assert(offsetof(ListboxObject, style) == 92);
static_assert(offsetof(ListboxObject, hierarchical) == 101);
static_assert(offsetof(ListboxObject, vGridLines) == 108);
static_assert(offsetof(ListboxObject, selectionType) == 112);
static_assert(offsetof(ListboxObject, defaultRowHeight) == 116);
static_assert(offsetof(ListboxObject, dataSource) == 120);
static_assert(offsetof(ListboxObject, dataField) == 124);
static_assert(offsetof(ListboxObject, initialValue) == 128);
static_assert(offsetof(ListboxObject, widths) == 168);
static_assert(offsetof(ListboxObject, columnCount) == 296);
static_assert(sizeof(ListboxObject) == 564);

void listbox_install();              // the pane maker, constructor and destructor of Listbox
void list_create_pane(Object *list); // CreatePane: the pane, its headings, InitialValue's rows

/* ---- the model, shared by the Listbox's files ---- */

int32_t list_count(ListboxObject *list);
ListRow *list_row(ListboxObject *list, int32_t row);    // row checked by the caller
void list_check_row(ListboxObject *list, int32_t row);  // OutOfBoundsException unless a row
void list_check_column(int32_t column);                 // OutOfBoundsException outside 0 ... 63
ListCell *list_find_cell(ListRow *row, int32_t column); // nil when absent
ListCell *list_cell_for(ListRow *row, int32_t column);  // made at the end of the list when absent
// The text of a cell with a reference for the caller (from the provider when
// one is bound); nil for an absent cell.
RString *list_cell_text(ListboxObject *list, int32_t row, int32_t column);
uint8_t list_cell_type(ListboxObject *list, int32_t row, int32_t column);      // the effective type
uint8_t list_cell_alignment(ListboxObject *list, int32_t row, int32_t column); // the effective one
void list_insert_row(ListboxObject *list, int32_t at, int16_t folder, int16_t depth, RString *text);
void list_remove_row(ListboxObject *list, int32_t row);
void list_empty(ListboxObject *list);

bool list_is_selected(ListboxObject *list, int32_t row);
// ListIndex := row (outside the list: none); notify also scrolls the row
// into view and tells the selection's receivers.
// Change, then the receivers of the list's selection part.
Delivery list_report_change(ListboxObject *list);
void list_select_only(ListboxObject *list, int32_t row, bool notify);
void list_set_row_selected(ListboxObject *list, int32_t row, bool selected);
int32_t list_first_selected(ListboxObject *list);                 // ListIndex; -1 for none
int32_t list_selected_count(ListboxObject *list);                 // SelCount
void list_selected_flags(ListboxObject *list, uint8_t *selected); // sets a flag per selected row
// The runs anew from one flag per row (the sort's rows at their new places).
void list_select_rows(ListboxObject *list, const uint8_t *selected);
// `count` rows were inserted at `row` (removed, when negative): the runs follow.
void list_shift_runs(ListboxObject *list, int32_t row, int32_t count);

void list_set_expanded(ListboxObject *list, int32_t row, bool expanded);
void list_sort_by(ListboxObject *list, int32_t column); // the sorting rule, events included

void list_compute_widths(ListboxObject *list, int32_t width);  // the column-width rule
int32_t list_column_left(ListboxObject *list, int32_t column); // list coordinates, unscrolled
int32_t list_column_at(ListboxObject *list, int32_t x);        // -1 beyond the last column

/* ---- the pane, for the model: each does nothing while there is none ---- */

bool list_has_pane(ListboxObject *list);
void list_redraw_row(ListboxObject *list, int32_t row);
void list_redraw(ListboxObject *list); // every row and the heading
// Rows were inserted or removed at `row` (count negative for removal): the
// scroll range, the rows in view and the caret follow.
void list_rows_changed(ListboxObject *list, int32_t row, int32_t count);
void list_relayout(ListboxObject *list); // columns, font or heading changed
void list_scroll_into_view(ListboxObject *list, int32_t row);
int32_t list_rows_in_view(ListboxObject *list); // whole rows the pane shows
void list_begin_edit(ListboxObject *list, int32_t row, int32_t column);
void list_end_edit(ListboxObject *list, bool keep); // keep: the edited text goes into the cell

extern "C" {
void listSelectionSetter(ListboxObject *list, int32_t, int32_t row);
}
