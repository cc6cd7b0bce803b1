// What the files of the database folder share beyond database.h: the
// runtime's own error codes, the open-database list, the slot-table adapter
// and the small conversions between runtime strings and the engine's texts.
#pragma once
#include "database/database.h"

// Errors the runtime itself reports on a database (the statement layer's
// are below 1000, the embedded engine's from 1001 to 1099).
enum DbRuntimeError : int32_t {
  kDbErrNotOpen = 1101,        // nothing to open, or the database was closed
  kDbErrNoOperation = 1102,    // the engine lacks the operation asked for
  kDbErrNoField = 1103,        // a cursor has no field of that name or number
  kDbErrNoRow = 1104,          // the cursor stands on no row
  kDbErrReadOnlyCursor = 1105, // the cursor's rows cannot be changed
  kDbErrBadParameter = 1106,   // a query parameter number out of range
};

DbText db_text(RString *s); // a view of s, valid while s lives
inline RString *db_string(DbText t) { return str_make(t.bytes, (int32_t)t.length); }

struct SqlError;
// Stores a statement's failure on the database (when there is one) and
// frees the error record.
void database_store_sql_error(DatabaseObject *db, SqlError *e);

// Stores a failure with a C text as its message.
void database_fail(DatabaseObject *db, int32_t code, const char *message);

// A new, unopened Database object.
DatabaseObject *database_new();
// Binds db to an opened engine and puts it on the open list.
void database_attach_engine(DatabaseObject *db, void *handle, const DbSlots *slots,
                            DbEngine *engine);
// Closes its cursors and its engine; the object stays, unopened.
void database_close_engine(DatabaseObject *db);
// Opens the file db->openName names (a carried database); false, error set, on failure.
bool database_open_carried(DatabaseObject *db);

// The open databases, closed by the exit list when the runtime shuts down.
void database_exit_hold(); // the exit list's hold on them, made at start-up
void database_track_open(DatabaseObject *db);
void database_untrack_open(DatabaseObject *db);

// A cursor object a plug-in engine returned: it now belongs to db.
void dbcursor_adopt(DatabaseCursorObject *c, DatabaseObject *db, RString *statement);
void dbcursor_classes_attach();
void dbrecord_classes_attach();
void dbquery_classes_attach();
void database_hooks_install(); // the statement layer's background task and temporary files

// The DbEngine the statement layer uses over a plug-in's slot table.
DbEngine *slotengine_new(DatabaseObject *db);
void slotengine_free(DbEngine *e);
bool dbcursor_begin_edit(DatabaseCursorObject *c); // false when the row cannot be changed
