// The DataControl's entry points: its properties (the database, the table or
// query, ControlBind, ReadOnly and RecordLocked, the caption and its font,
// alignment and colour), the moves, the row and field questions, and the
// writing back.
#include "database/datacontrol.h"

typedef DataControlObject D;

// Runs the table or query again when the control is on screen with a
// database and something to show.
static void rerun(D *dc) {
  if (dc->control.pane && dc->database && (str_len(dc->query) > 0 || str_len(dc->tableName) > 0))
    datacontrol_perform(dc, kDataRunQuery);
}

extern "C" {

void DataControlCaptionSetter(D *dc, int32_t, RString *v) {
  str_assign(&dc->caption, v);
  datacontrol_redraw(dc);
}

void DataControlTableNameSetter(D *dc, int32_t, RString *v) {
  str_assign(&dc->tableName, v);
  rerun(dc);
}

void DataControlQuerySetter(D *dc, int32_t, RString *v) {
  str_assign(&dc->query, v);
  rerun(dc);
}

Object *DataControlDBGetter(D *dc) { return RuntimeLockObject((Object *)dc->database); }

void DataControlDBSetter(D *dc, int32_t, DatabaseObject *db) {
  if (db == dc->database) return;
  rows_close(dc); /* the rows were the old database's */
  RuntimeLockObject((Object *)db);
  RuntimeUnlockObject((Object *)dc->database);
  dc->database = db;
  if (db) return rerun(dc);
  dc->adding = 0;
  datacontrol_fill(dc);
  datacontrol_redraw(dc);
}

void DataControlControlBindSetter(D *dc, int32_t, RString *v) { str_assign(&dc->rows->controlBind, v); }

// The current row cannot be changed: ReadOnly, no row, or a cursor whose
// rows cannot be edited.
bool DataControlRecordLockedGetter(D *dc) {
  DbCursor *c = rows_cursor(dc);
  return dc->readOnly || !rows_on_row(dc) || !c->ops->edit || !c->ops->update;
}

void DataControlReadOnlySetter(D *dc, int32_t, bool v) { dc->readOnly = v; }

void DataControlFontSetter(D *dc, int32_t, RString *v) {
  textstyle_set_font(&dc->style, v);
  datacontrol_refresh_font(dc);
}
void DataControlSizeSetter(D *dc, int32_t, int32_t v) {
  dc->style.size = (int16_t)v;
  datacontrol_refresh_font(dc);
}
// Bold, Italic or Underline, by the field's offset in the record.
void DataControlAttributeSetter(D *dc, int32_t offset, bool v) {
  if (offset < (int32_t)offsetof(D, style) + 6 || offset > (int32_t)offsetof(D, style) + 8) return;
  *((uint8_t *)dc + offset) = v;
  datacontrol_refresh_font(dc);
}
void DataControlAlignSetter(D *dc, int32_t, int32_t v) {
  dc->textAlign = v;
  datacontrol_redraw(dc);
}
void DataControlColorSetter(D *dc, int32_t, int32_t v) {
  dc->textColor = v;
  datacontrol_redraw(dc);
}

void DataControlRunQuery(D *dc) { datacontrol_perform(dc, kDataRunQuery); }
void DataControlMoveFirst(D *dc) { datacontrol_perform(dc, kDataMoveFirst); }
void DataControlMovePrev(D *dc) { datacontrol_perform(dc, kDataMovePrev); }
void DataControlMoveNext(D *dc) { datacontrol_perform(dc, kDataMoveNext); }
void DataControlMoveLast(D *dc) { datacontrol_perform(dc, kDataMoveLast); }
void DataControlNewRecord(D *dc) { datacontrol_perform(dc, kDataNewRecord); }
void DataControlAddNewRecord(D *dc) { datacontrol_perform(dc, kDataAddNewRecord); }
void DataControlUpdateRecord(D *dc) { datacontrol_perform(dc, kDataUpdateRecord); }
void DataControlDeleteRecord(D *dc) { datacontrol_perform(dc, kDataDeleteRecord); }

// Rows count from 1, as the language's positions do; 0 is no row.
void DataControlMoveTo(D *dc, int32_t row) {
  if (row >= 1 && row <= dc->rows->count) datacontrol_move(dc, row - 1);
}
int32_t DataControlRowCount(D *dc) { return dc->rows->count; }
int32_t DataControlRow(D *dc) { return rows_on_row(dc) ? dc->rows->current + 1 : 0; }

Object *DataControlGetCursor(D *dc) { return RuntimeLockObject((Object *)dc->cursor); }
Object *DataControlGetField(D *dc, RString *name) {
  return dc->cursor ? cursorGetFieldByName(dc->cursor, name) : nullptr;
}
int32_t DataControlFieldCount(D *dc) { return dc->cursor ? cursorFieldCount(dc->cursor) : 0; }

void DataControlClearBoundControls(D *dc) { datacontrol_clear(dc); }

int32_t DataControlGetConstant(D *, RString *name) { return datacontrol_action_named(name); }
}
