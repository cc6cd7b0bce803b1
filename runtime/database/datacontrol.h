// DataControl: a pane with a caption between move buttons, bound to a table
// or a query of a Database, that shows the current row in the controls bound
// to it and writes them back. Its record, the row table under it, the
// bindings, and the entry points.
#pragma once
#include "base/vector.h"
#include "database/database.h"
#include "ui/control.h"
#include "ui/textstyle.h"

struct DataControlRows;

struct DataControlObject {
  ControlObject control;          // 0
  RString *caption;               // 92
  TextStyle style;                // 96: TextFont, TextSize 100, Bold 102, Italic 103, Underline 104
  uint8_t readOnly;               // 105: no writing back
  uint8_t adding;                 // 106: NewRecord blanked the controls; UpdateRecord inserts
  uint8_t spare;                  // 107
  int32_t textAlign;              // 108: the caption's: 0 left, 1 centred, 2 right
  int32_t textColor;              // 112: 0x00RRGGBB
  RString *tableName;             // 116
  DatabaseObject *database;       // 120: retained, or nil
  DatabaseCursorObject *cursor;   // 124: retained: the rows shown, or nil
  RString *query;                 // 128: a SELECT statement; takes the place of the table
  DataControlRows *rows;          // 132: the row table and bindings, made by the constructor
};
static_assert(offsetof(DataControlObject, caption) == 92);
static_assert(offsetof(DataControlObject, style) == 96);
static_assert(offsetof(DataControlObject, readOnly) == 105);
static_assert(offsetof(DataControlObject, textAlign) == 108);
static_assert(offsetof(DataControlObject, tableName) == 116);
static_assert(offsetof(DataControlObject, database) == 120);
static_assert(offsetof(DataControlObject, cursor) == 124);
static_assert(offsetof(DataControlObject, rows) == 132);
static_assert(sizeof(DataControlObject) == 136);

// What a data control keeps beyond its record: the identities of the rows
// in cursor order (so that any row can be reached again, also on a cursor
// that only moves forward), the current row, and the ControlBind text.
struct DataControlRows {
  Vector ids;          // 0: 8-byte row identities, when the cursor gives them
  int32_t count;       // 16: rows
  int32_t current;     // 20: 0-based; -1 when on no row
  RString *controlBind; // 24
};

// The data control's actions, by the numbers GetConstant answers for their
// names; getBoundPart gives a receiver that performs one of them.
enum DataControlAction {
  kDataNoAction = 0,
  kDataMoveFirst = 1,
  kDataMovePrev = 2,
  kDataMoveNext = 3,
  kDataMoveLast = 4,
  kDataNewRecord = 5,
  kDataUpdateRecord = 6,
  kDataDeleteRecord = 7,
  kDataRunQuery = 8,
  kDataAddNewRecord = 9,
};
// Failures a data control reports on its database.
enum DataControlError : int32_t {
  kDataErrNoSource = 2001,   // neither a table nor a query to show
  kDataErrReadOnly = 2002,   // ReadOnly is set
  kDataErrNoRow = 2003,      // the control stands on no row
  kDataErrNoTable = 2004,    // a new row needs TableName
  kDataErrCannotEdit = 2005, // the cursor's rows cannot be changed
};

int32_t datacontrol_action_named(RString *name); // kDataNoAction for an unknown name
void datacontrol_perform(DataControlObject *dc, int32_t action);

// DataControlAction: an action notification receiver that performs one
// action of a data control.
struct DataControlActionObject {
  Object header;             // 0
  DataControlObject *target; // 16: retained
  int32_t action;            // 20: DataControlAction
};
static_assert(sizeof(DataControlActionObject) == 24);

/* ---- rows (datacontrolrows.cpp) ---- */

// Runs the table or the query afresh and stands on its first row; false
// (the database's error set) when there is nothing to run or it fails.
bool rows_open(DataControlObject *dc);
void rows_close(DataControlObject *dc); // the cursor goes; no rows
// Stands on row (0-based, clamped to the rows there are) and fills the
// bound controls; false when there are no rows.
bool rows_move(DataControlObject *dc, int32_t row);
DbCursor *rows_cursor(DataControlObject *dc); // the open cursor's routines, or nil
bool rows_on_row(DataControlObject *dc);
// Writes the bound controls into the current row / a new row; false (the
// database's error set) on failure.
bool rows_update(DataControlObject *dc);
bool rows_insert(DataControlObject *dc);
bool rows_delete(DataControlObject *dc);
void rows_set_error(DataControlObject *dc, int32_t code, const char *message);

/* ---- bindings (datacontrolbind.cpp) ---- */

// One control bound to a field.
struct DataBinding {
  ControlObject *control; // not retained: found on the window at each use
  RString *field;         // a new reference
};
// The bound controls: those ControlBind names ("Control" or
// "Control=Field", separated by commas or line ends), then the window's
// controls whose DataSource names this data control; each with its field.
// The caller releases them with bindings_free.
int32_t bindings_collect(DataControlObject *dc, DataBinding **out);
void bindings_free(DataBinding *list, int32_t count);
// Shows a field's text in a control, and reads a control's value back as
// text (a new reference; *has false when the control has nothing to give,
// e.g. a radio that is not checked or a static text).
void binding_show(ControlObject *control, RString *text);
RString *binding_read(ControlObject *control, bool *has);

/* ---- the control (datacontrol.cpp) ---- */

void datacontrol_install(); // the pane maker, constructor and destructors
void datacontrol_redraw(DataControlObject *dc);
void datacontrol_refresh_font(DataControlObject *dc);
// Fills the bound controls from the current row (blanks them when on none).
void datacontrol_fill(DataControlObject *dc);
void datacontrol_clear(DataControlObject *dc); // blanks every bound control
// Stands on row (0-based), fills the bound controls and raises Reposition.
void datacontrol_move(DataControlObject *dc, int32_t row);

extern "C" {
void DataControlCaptionSetter(DataControlObject *dc, int32_t, RString *v);
void DataControlTableNameSetter(DataControlObject *dc, int32_t, RString *v);
Object *DataControlDBGetter(DataControlObject *dc);
void DataControlDBSetter(DataControlObject *dc, int32_t, DatabaseObject *db);
void DataControlQuerySetter(DataControlObject *dc, int32_t, RString *v);
void DataControlControlBindSetter(DataControlObject *dc, int32_t, RString *v);
bool DataControlRecordLockedGetter(DataControlObject *dc);
void DataControlReadOnlySetter(DataControlObject *dc, int32_t, bool v);
void DataControlFontSetter(DataControlObject *dc, int32_t, RString *v);
void DataControlSizeSetter(DataControlObject *dc, int32_t, int32_t v);
void DataControlAttributeSetter(DataControlObject *dc, int32_t offset, bool v);
void DataControlAlignSetter(DataControlObject *dc, int32_t, int32_t v);
void DataControlColorSetter(DataControlObject *dc, int32_t, int32_t v);
void DataControlRunQuery(DataControlObject *dc);
void DataControlMoveFirst(DataControlObject *dc);
void DataControlMovePrev(DataControlObject *dc);
void DataControlMoveNext(DataControlObject *dc);
void DataControlMoveLast(DataControlObject *dc);
void DataControlMoveTo(DataControlObject *dc, int32_t row);
int32_t DataControlRowCount(DataControlObject *dc);
int32_t DataControlRow(DataControlObject *dc);
Object *DataControlGetCursor(DataControlObject *dc);
Object *DataControlGetField(DataControlObject *dc, RString *name);
int32_t DataControlFieldCount(DataControlObject *dc);
void DataControlNewRecord(DataControlObject *dc);
void DataControlAddNewRecord(DataControlObject *dc);
void DataControlUpdateRecord(DataControlObject *dc);
void DataControlDeleteRecord(DataControlObject *dc);
void DataControlClearBoundControls(DataControlObject *dc);
int32_t DataControlGetConstant(DataControlObject *dc, RString *name);
Object *DataControlGetBoundPart(DataControlObject *dc, RString *part);
void DataControlActionPerformAction(DataControlActionObject *a);
void DataControlActionDestructor(DataControlActionObject *a);
}
