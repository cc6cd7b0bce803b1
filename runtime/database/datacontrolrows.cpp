// The rows under a data control: its table or query run into a cursor, the
// row table that lets it stand on any row again, and the current row
// written back, inserted and deleted through the cursor and the engine.
#include "database/datacontrol.h"
#include "base/pool.h"
#include <algorithm>
#include <vector>

void rows_set_error(DataControlObject *dc, int32_t code, const char *message) {
  if (!dc->database) return;
  RString *m = str_from(message);
  KARUDatabaseSetError(dc->database, code, m);
  RuntimeUnlockString(m);
}

// After an engine operation failed: the engine's own code and message.
static void engineError(DataControlObject *dc, int32_t fallback, const char *what) {
  DbEngine *e = dc->database ? dc->database->engine : nullptr;
  int32_t code = e && e->ops->errorCode ? e->ops->errorCode(e) : 0;
  if (!code) return rows_set_error(dc, fallback, what);
  DbText t = e->ops->errorMessage ? e->ops->errorMessage(e) : DbText{nullptr, 0};
  RString *m = str_make(t.bytes, (int32_t)t.length);
  KARUDatabaseSetError(dc->database, code, m);
  RuntimeUnlockString(m);
}

DbCursor *rows_cursor(DataControlObject *dc) { return dc->cursor ? dc->cursor->cursor : nullptr; }

bool rows_on_row(DataControlObject *dc) {
  DbCursor *c = rows_cursor(dc);
  return c && dc->rows->current >= 0 && !c->ops->atEnd(c) && !c->ops->atStart(c);
}

static void dropCursor(DataControlObject *dc) {
  if (!dc->cursor) return;
  dbcursor_close(dc->cursor);
  RuntimeUnlockObject(&dc->cursor->header);
  dc->cursor = nullptr;
}

void rows_close(DataControlObject *dc) {
  dropCursor(dc);
  vec_set_count(&dc->rows->ids, 0);
  dc->rows->count = 0;
  dc->rows->current = -1;
}

static bool hasText(RString *s) { return s && str_len(s) > 0; }

// A fresh cursor over the query, or over every column of the table.
static DatabaseCursorObject *openCursor(DataControlObject *dc) {
  DatabaseObject *db = dc->database;
  if (!db->engine && !database_ensure_open(db)) return nullptr;
  if (hasText(dc->query)) return (DatabaseCursorObject *)databaseSQLSelect(db, dc->query);
  if (!hasText(dc->tableName)) {
    rows_set_error(dc, kDataErrNoSource, "The data control has no table or query");
    return nullptr;
  }
  DbText table = {str_cview(dc->tableName), (uint32_t)str_len(dc->tableName)};
  DbCursor *c = db->engine->ops->openCursor(db->engine, table, nullptr, 0, nullptr);
  if (!c) engineError(dc, kDataErrNoSource, "The table cannot be read");
  return dbcursor_make(db, c, nullptr);
}

// Walks the rows once: their count, and their identities when the cursor
// gives them.
static void countRows(DataControlObject *dc) {
  DbCursor *c = rows_cursor(dc);
  DataControlRows *r = dc->rows;
  if (c->ops->moveFirst) c->ops->moveFirst(c);
  for (bool on = !c->ops->atEnd(c) && !c->ops->atStart(c); on; on = c->ops->moveNext(c)) {
    if (c->ops->rowId && c->ops->seekRow) {
      vec_grow(&r->ids, r->count + 1);
      vec_put8(&r->ids, r->count, c->ops->rowId(c));
    }
    r->count++;
  }
}

bool rows_open(DataControlObject *dc) {
  rows_close(dc);
  if (!dc->database) return false;
  dc->cursor = openCursor(dc);
  if (!dc->cursor || !dc->cursor->cursor) return false;
  countRows(dc);
  return true;
}

// Stands the cursor on row (0-based, within the rows): by its identity, or
// by stepping from the first row; a cursor that can do neither runs again.
static bool seek(DataControlObject *dc, int32_t row) {
  DbCursor *c = rows_cursor(dc);
  DataControlRows *r = dc->rows;
  dc->cursor->state &= ~kCursorEditing;
  if (vec_count(&r->ids) == r->count && c->ops->seekRow)
    return c->ops->seekRow(c, vec_get8(&r->ids, row));
  if (!c->ops->moveFirst) { /* a forward-only cursor starts again */
    DatabaseCursorObject *fresh = openCursor(dc);
    if (!fresh || !fresh->cursor) {
      if (fresh) RuntimeUnlockObject(&fresh->header);
      return false;
    }
    dropCursor(dc);
    dc->cursor = fresh;
    c = fresh->cursor;
  } else if (!c->ops->moveFirst(c)) {
    return false;
  }
  for (int32_t i = 0; i < row; i++)
    if (!c->ops->moveNext(c)) return false;
  return true;
}

bool rows_move(DataControlObject *dc, int32_t row) {
  DataControlRows *r = dc->rows;
  if (!rows_cursor(dc) || r->count == 0) {
    r->current = -1;
    return false;
  }
  if (row < 0) row = 0;
  if (row >= r->count) row = r->count - 1;
  r->current = seek(dc, row) ? row : -1;
  return r->current >= 0;
}

/* ---- writing back ---- */

static bool writable(DataControlObject *dc) {
  if (!dc->readOnly) return true;
  rows_set_error(dc, kDataErrReadOnly, "The data control is read-only");
  return false;
}

// The current row may be changed: the control is not read-only and stands on one.
static bool mayChangeRow(DataControlObject *dc) {
  if (!writable(dc)) return false;
  if (rows_on_row(dc)) return true;
  rows_set_error(dc, kDataErrNoRow, "The data control stands on no row");
  return false;
}

static bool cannotChange(DataControlObject *dc) {
  rows_set_error(dc, kDataErrCannotEdit, "The rows of this data control cannot be changed");
  return false;
}

// Stores each bound control's value into its field of the row being edited.
static bool storeBindings(DataControlObject *dc) {
  DataBinding *list = nullptr;
  int32_t n = bindings_collect(dc, &list);
  bool ok = true;
  for (int32_t i = 0; i < n && ok; i++) {
    int32_t field = dbcursor_field_index(dc->cursor, list[i].field);
    bool has = false;
    RString *text = field >= 0 ? binding_read(list[i].control, &has) : nullptr;
    if (has) ok = dbcursor_set_field_string(dc->cursor, field, text);
    RuntimeUnlockString(text);
  }
  bindings_free(list, n);
  return ok;
}

bool rows_update(DataControlObject *dc) {
  if (!mayChangeRow(dc)) return false;
  DbCursor *c = rows_cursor(dc);
  if (!c->ops->edit || !c->ops->update) return cannotChange(dc);
  if (!(dc->cursor->state & kCursorEditing)) {
    if (!c->ops->edit(c)) return engineError(dc, kDataErrCannotEdit, "The row cannot be changed"), false;
    dc->cursor->state |= kCursorEditing;
  }
  if (!storeBindings(dc)) return false;
  dc->cursor->state &= ~kCursorEditing;
  if (!c->ops->update(c)) return engineError(dc, kDataErrCannotEdit, "The row was not written"), false;
  return true;
}

static bool isTextColumn(DataControlObject *dc, int32_t field) {
  DbCursor *c = rows_cursor(dc);
  if (!c || field < 0) return true;
  DbType t = c->ops->fieldType(c, field);
  return t == kDbText || t == kDbLongText;
}

// The new row's values: each bound control's, as quoted text that the engine
// converts to its column's type; an empty value of a column that is not
// text is left out, so that the column is NULL, and so are controls bound
// to fields the rows do not have.
struct NewRow {
  DbAssignment *values;
  RString **texts; // what values point into, released after the insert
  int32_t count;
};

static NewRow collectNewRow(DataControlObject *dc, DataBinding *list, int32_t n) {
  int32_t slots = n ? n : 1;
  NewRow row = {(DbAssignment *)pool_alloc(slots * (int32_t)sizeof(DbAssignment)),
                (RString **)pool_alloc(slots * (int32_t)sizeof(RString *)), 0};
  for (int32_t i = 0; i < n; i++) {
    bool has = false;
    RString *text = binding_read(list[i].control, &has);
    int32_t field = dc->cursor ? dbcursor_field_index(dc->cursor, list[i].field) : -1;
    bool unknown = dc->cursor && field < 0; /* a field the rows do not have */
    if (!has || unknown || (str_len(text) == 0 && !isTextColumn(dc, field))) {
      RuntimeUnlockString(text);
      continue;
    }
    row.texts[row.count] = text;
    row.values[row.count++] = {{str_cview(list[i].field), (uint32_t)str_len(list[i].field)},
                               {str_cview(text), (uint32_t)str_len(text)},
                               1};
  }
  return row;
}

static void freeNewRow(NewRow *row, int32_t n) {
  int32_t slots = n ? n : 1;
  for (int32_t i = 0; i < row->count; i++) RuntimeUnlockString(row->texts[i]);
  pool_free(row->values, slots * (int32_t)sizeof(DbAssignment));
  pool_free(row->texts, slots * (int32_t)sizeof(RString *));
}

// After the rows were read again: the first row whose identity was not
// there before (the new one), else the last row.
static int32_t newRowAmong(DataControlObject *dc, std::vector<int64_t> &before) {
  Vector *ids = &dc->rows->ids;
  if (vec_count(ids) != dc->rows->count) return dc->rows->count - 1;
  std::sort(before.begin(), before.end());
  for (int32_t i = vec_count(ids) - 1; i >= 0; i--)
    if (!std::binary_search(before.begin(), before.end(), vec_get8(ids, i))) return i;
  return dc->rows->count - 1;
}

bool rows_insert(DataControlObject *dc) {
  DatabaseObject *db = dc->database;
  if (!db || !writable(dc)) return false;
  if (!hasText(dc->tableName)) {
    rows_set_error(dc, kDataErrNoTable, "A new row needs the data control's TableName");
    return false;
  }
  if (!db->engine && !database_ensure_open(db)) return false;
  DataBinding *list = nullptr;
  int32_t n = bindings_collect(dc, &list);
  NewRow row = collectNewRow(dc, list, n);
  DbText table = {str_cview(dc->tableName), (uint32_t)str_len(dc->tableName)};
  bool ok = db->engine->ops->insert(db->engine, table, row.values, row.count);
  if (!ok) engineError(dc, kDataErrCannotEdit, "The new row was not written");
  freeNewRow(&row, n);
  bindings_free(list, n);
  if (!ok) return false;
  Vector *ids = &dc->rows->ids;
  std::vector<int64_t> before;
  for (int32_t i = 0; i < vec_count(ids); i++) before.push_back(vec_get8(ids, i));
  if (rows_open(dc)) rows_move(dc, newRowAmong(dc, before));
  return true;
}

bool rows_delete(DataControlObject *dc) {
  if (!mayChangeRow(dc)) return false;
  DbCursor *c = rows_cursor(dc);
  if (!c->ops->deleteRow) return cannotChange(dc);
  dc->cursor->state &= ~kCursorEditing;
  if (!c->ops->deleteRow(c)) return engineError(dc, kDataErrCannotEdit, "The row was not deleted"), false;
  int32_t at = dc->rows->current; /* the row after it takes its place */
  if (rows_open(dc)) rows_move(dc, at);
  return true;
}
