// Database objects: the Database, DatabaseCursor, DatabaseCursorField,
// DatabaseRecord and DatabaseQuery records, the engine slot table a database
// is bound to, and the routines the data control and the entry points share.
#pragma once
#include "dbengine/dbapi.h"
#include "objects/objects.h"
#include "text/string.h"
#include <cstddef>
#include <cstdint>

struct DatabaseCursorObject;

// An engine's operations on runtime strings, slot by slot (4 bytes each). A
// nil slot means the engine lacks the operation. Slots 5 to 16 are the ones
// the statement layer knows; 0 to 4 and 10, 12 are this runtime's. Plug-in
// engines supply this table (include/karuplugin.h declares the same layout
// with the plug-in's types); the embedded engine has one that works over its
// DbEngine. Lists are linked through their last field; strings passed in are
// borrowed, strings returned are new references.
struct DbSlotColumn {
  RString *name;      // 0
  uint8_t type;       // 4: DbType
  uint8_t nullable;   // 5: 1 unless NOT NULL was written
  uint8_t spare[2];   // 6
  DbSlotColumn *next; // 8
};
struct DbSlotAssignment {
  RString *column;        // 0
  RString *value;         // 4: as written, quotes removed
  uint8_t quoted;         // 8: the value was quoted
  uint8_t spare[3];       // 9
  DbSlotAssignment *next; // 12
};
struct DbSlotName {
  RString *name;    // 0
  DbSlotName *next; // 4
};
struct DbSlotCondition {
  uint8_t op;                  // 0: DbOperator
  uint8_t function;            // 1: DbTextFunction
  uint8_t rightIsColumn;       // 2
  uint8_t spare;               // 3
  RString *column;             // 4
  RString *table;              // 8: nil when not written
  RString *right;              // 12
  RString *rightTable;         // 16
  DbSlotCondition *left;       // 20: inner nodes
  DbSlotCondition *rightChild; // 24
};
static_assert(sizeof(DbSlotColumn) == 12 && sizeof(DbSlotAssignment) == 16);
static_assert(sizeof(DbSlotCondition) == 28);

struct DbSlots {
  void (*close)(void *h);                            // 0: closes the handle
  Object *(*tableSchema)(void *h);                   // 1: a DatabaseCursor or nil
  Object *(*fieldSchema)(void *h, RString *table);   // 2: a DatabaseCursor or nil
  void *reserved3;                                   // 3
  void *reserved4;                                   // 4
  Object *(*selectSQL)(void *h, RString *statement); // 5: a DatabaseCursor or nil
  void (*executeSQL)(void *h, RString *statement);   // 6
  void (*createTable)(void *h, RString *table, const DbSlotColumn *columns, const uint8_t *keys,
                      int32_t keyCount);                                   // 7
  void (*insert)(void *h, RString *table, const DbSlotAssignment *values); // 8
  Object *(*openCursor)(void *h, RString *table, const DbSlotName *columns,
                        const DbSlotCondition *where);                    // 9: nil columns: all
  void *reserved10;                                                       // 10
  void (*addColumn)(void *h, RString *table, const DbSlotColumn *column); // 11
  void *reserved12;                                                       // 12
  int32_t (*errorCode)(void *h);                                          // 13
  RString *(*errorMessage)(void *h); // 14: new reference or nil
  void (*commit)(void *h);           // 15
  void (*rollback)(void *h);         // 16
};
static_assert(offsetof(DbSlots, selectSQL) == 20 && offsetof(DbSlots, openCursor) == 36);
static_assert(offsetof(DbSlots, errorCode) == 52 && sizeof(DbSlots) == 68);

// A Database instance.
struct DatabaseObject {
  Object header;                 // 0
  void *handle;                  // 16: the engine's handle, nil until open
  const DbSlots *slots;          // 20: the engine's slot table, nil until open
  RString *openName;             // 24: the file to open on first use, or nil
  const uint8_t *openData;       // 28: bytes of a database file to start it from, or nil
  int32_t openLength;            // 32: their count
  int32_t errorCode;             // 36: 0 = no error
  RString *errorMessage;         // 40: owned; nil stands for ""
  DbEngine *engine;              // 44: what the statement layer works on, nil until open
  DatabaseCursorObject *cursors; // 48: the open cursors, closed with the database
};
static_assert(offsetof(DatabaseObject, handle) == 16 && offsetof(DatabaseObject, slots) == 20);
static_assert(offsetof(DatabaseObject, openName) == 24 &&
              offsetof(DatabaseObject, openLength) == 32);
static_assert(offsetof(DatabaseObject, errorCode) == 36);
static_assert(offsetof(DatabaseObject, errorMessage) == 40);
static_assert(offsetof(DatabaseObject, engine) == 44 && sizeof(DatabaseObject) == 52);

// Bits of a cursor's state.
enum DbCursorState : int32_t {
  kCursorEditing = 1, // Edit was called and Update not yet
  kCursorClosed = 2,  // the DbCursor was closed; every access is a no-op
};

// A DatabaseCursor instance: a DbCursor with what keeps it valid.
struct DatabaseCursorObject {
  Object header;              // 0
  DbCursor *cursor;           // 16: owned; nil once closed
  DatabaseObject *database;   // 20: retained
  RString *statement;         // 24: retained, or nil
  int32_t state;              // 28: DbCursorState bits
  int32_t fieldCount;         // 32: taken when the cursor was made
  DatabaseCursorObject *next; // 36: the next open cursor of the database
  Object *owner;    // 40: retained: what the DbCursor reads from (a plug-in's cursor), or nil
  int32_t spare[2]; // 44
};
static_assert(offsetof(DatabaseCursorObject, cursor) == 16);
static_assert(offsetof(DatabaseCursorObject, database) == 20);
static_assert(offsetof(DatabaseCursorObject, statement) == 24);
static_assert(offsetof(DatabaseCursorObject, state) == 28);
static_assert(offsetof(DatabaseCursorObject, next) == 36 && sizeof(DatabaseCursorObject) == 52);

// A DatabaseCursorField instance: one field of a cursor's current row.
struct DatabaseCursorFieldObject {
  Object header;                // 0
  DatabaseCursorObject *cursor; // 16: retained
  int32_t field;                // 20: 0-based
  int32_t spare[2];             // 24
};
static_assert(offsetof(DatabaseCursorFieldObject, field) == 20);
static_assert(sizeof(DatabaseCursorFieldObject) == 32);

// One column of a DatabaseRecord: its name and value (texts, blobs and the
// ISO form of dates are owned runtime strings in text).
struct DbRecordColumn {
  RString *name;    // 0
  uint8_t type;     // 4: DbType
  uint8_t spare[3]; // 5
  double real;      // 8: floats, doubles
  int32_t integer;  // 16: integers, booleans
  RString *text;    // 20: texts, blobs, dates
};
static_assert(offsetof(DbRecordColumn, real) == 8 && sizeof(DbRecordColumn) == 24);

// A DatabaseRecord instance: columns in the order they were first set.
struct DatabaseRecordObject {
  Object header;           // 0
  DbRecordColumn *columns; // 16: owned array
  int32_t count;           // 20
  int32_t capacity;        // 24
};
static_assert(offsetof(DatabaseRecordObject, columns) == 16 && sizeof(DatabaseRecordObject) == 28);

// A bound parameter of a DatabaseQuery: a value, never spliced into text.
struct DbQueryParameter {
  uint8_t type;     // 0: DbType; kDbNull while unset
  uint8_t spare[3]; // 1
  RString *text;    // 4: texts, blobs, dates in ISO form
  double real;      // 8
  int32_t integer;  // 16
  int32_t spare2;   // 20
};
static_assert(offsetof(DbQueryParameter, real) == 8 && sizeof(DbQueryParameter) == 24);

// A DatabaseQuery instance: a statement with "?" markers and their values.
struct DatabaseQueryObject {
  Object header;                // 0
  DatabaseObject *database;     // 16: retained, or nil
  RString *statement;           // 20: retained, or nil
  DbQueryParameter *parameters; // 24: owned array, by 0-based marker number
  int32_t count;                // 28
  DatabaseCursorObject *result; // 32: retained: the last RunQuery's cursor, or nil
  int32_t spare[3];             // 36
};
static_assert(offsetof(DatabaseQueryObject, statement) == 20);
static_assert(offsetof(DatabaseQueryObject, result) == 32 && sizeof(DatabaseQueryObject) == 48);

// Routines for the data control and the rest of the database folder.

// Wraps c (taking it over) in a new cursor object of db (retained) that keeps
// statement (retained, may be nil); nil when c is nil.
DatabaseCursorObject *dbcursor_make(DatabaseObject *db, DbCursor *c, RString *statement);
// A new cursor over every column of table (a "select * from" of it), or nil
// with the database's error set.
DatabaseCursorObject *dbcursor_open_table(DatabaseObject *db, RString *table);
// The 0-based field of that name (ignoring case), or -1.
int32_t dbcursor_field_index(DatabaseCursorObject *c, RString *name);
// The current row's field as text (a new reference; nil for NULL or no row).
RString *dbcursor_field_string(DatabaseCursorObject *c, int32_t field);
// Stores text into the field of the row being edited (editing first when
// needed); false when the cursor cannot change it.
bool dbcursor_set_field_string(DatabaseCursorObject *c, int32_t field, RString *text);
// Ends the DbCursor and unlinks it from its database; the object stays.
void dbcursor_close(DatabaseCursorObject *c);
// Opens the database when it is not yet open; false (error set) when it cannot be.
bool database_ensure_open(DatabaseObject *db);
// Gives the Database classes their destructors and constructors.
void database_classes_attach();
// The Database of a project item: a database the application carries, kept
// in the file of that name beside the executable and opened on first use;
// when the file does not exist it starts from the count bytes at bytes (a
// database file), or empty when count is 0.
Object *database_project_item(const char *name, int32_t length, const uint8_t *bytes,
                              int32_t count);

extern "C" {
// The Database class.
Object *newKARUDatabase(Object *folderItem);
Object *openKARUDatabase(Object *folderItem);
Object *databaseSQLSelect(DatabaseObject *db, RString *statement);
void databaseSQLExecute(DatabaseObject *db, RString *statement);
void KARUDatabaseSetError(DatabaseObject *db, int32_t code, RString *message);
bool databaseErrorGetter(DatabaseObject *db);
int32_t databaseErrorCodeGetter(DatabaseObject *db);
RString *databaseErrorStringGetter(DatabaseObject *db);
void databaseCommit(DatabaseObject *db);
void databaseRollback(DatabaseObject *db);
void databaseClose(DatabaseObject *db);
Object *databaseTableSchema(DatabaseObject *db);
Object *databaseFieldSchema(DatabaseObject *db, RString *table);
void databaseInsertRecord(DatabaseObject *db, RString *table, DatabaseRecordObject *record);

// The DatabaseCursor class.
void cursorMoveNext(DatabaseCursorObject *c);
void CursorMovePrev(DatabaseCursorObject *c);
void CursorMoveFirst(DatabaseCursorObject *c);
void CursorMoveLast(DatabaseCursorObject *c);
bool cursorBOFGetter(DatabaseCursorObject *c);
bool cursorEOFGetter(DatabaseCursorObject *c);
int32_t cursorFieldCount(DatabaseCursorObject *c);
Object *cursorGetFieldByName(DatabaseCursorObject *c, RString *name);
Object *cursorGetFieldByIndex(DatabaseCursorObject *c, int32_t index); // 1-based
void cursorEdit(DatabaseCursorObject *c);
void cursorUpdate(DatabaseCursorObject *c);
void cursorDeleteRecord(DatabaseCursorObject *c);
void cursorClose(DatabaseCursorObject *c);
RString *databaseCursorFieldGetString(DatabaseCursorObject *c, int32_t field); // 0-based
void databaseCursorFieldSetString(DatabaseCursorObject *c, int32_t field, RString *text);

// The DatabaseCursorField class: getters (field, parameter), setters
// (field, parameter, value). Writing a field of a row not being edited
// starts the edit.
RString *cursorFieldNameGetter(DatabaseCursorFieldObject *f, int32_t);
RString *cursorFieldStringValueGetter(DatabaseCursorFieldObject *f, int32_t);
void cursorFieldStringValueSetter(DatabaseCursorFieldObject *f, int32_t, RString *text);
int32_t cursorFieldIntegerValueGetter(DatabaseCursorFieldObject *f, int32_t);
void cursorFieldIntegerValueSetter(DatabaseCursorFieldObject *f, int32_t, int32_t n);
double cursorFieldDoubleValueGetter(DatabaseCursorFieldObject *f, int32_t);
void cursorFieldDoubleValueSetter(DatabaseCursorFieldObject *f, int32_t, double x);
Object *cursorFieldDateValueGetter(DatabaseCursorFieldObject *f, int32_t);
void cursorFieldDateValueSetter(DatabaseCursorFieldObject *f, int32_t, Object *date);
RString *cursorFieldNativeValueGetter(DatabaseCursorFieldObject *f, int32_t);
Object *cursorFieldMactPictGetter(DatabaseCursorFieldObject *f, int32_t);
void cursorFieldMactPictSetter(DatabaseCursorFieldObject *f, int32_t, Object *picture);
Object *cursorFieldJPEGGetter(DatabaseCursorFieldObject *f, int32_t);
void cursorFieldJPEGSetter(DatabaseCursorFieldObject *f, int32_t, Object *picture);

// The DatabaseRecord class: a column's value by name (ignoring case).
RString *getDatabaseRecordColumn(DatabaseRecordObject *r, RString *name);
void setDatabaseRecordColumn(DatabaseRecordObject *r, RString *name, RString *value);
int32_t getDatabaseRecordIntegerColumn(DatabaseRecordObject *r, RString *name);
void setDatabaseRecordIntegerColumn(DatabaseRecordObject *r, RString *name, int32_t n);
double getDatabaseRecordDoubleColumn(DatabaseRecordObject *r, RString *name);
void setDatabaseRecordDoubleColumn(DatabaseRecordObject *r, RString *name, double x);
bool GetDatabaseRecordBooleanColumn(DatabaseRecordObject *r, RString *name);
void SetDatabaseRecordBooleanColumn(DatabaseRecordObject *r, RString *name, bool on);
Object *getDatabaseRecordDateColumn(DatabaseRecordObject *r, RString *name);
void setDatabaseRecordDateColumn(DatabaseRecordObject *r, RString *name, Object *date);
RString *GetDatabaseRecordBlobColumn(DatabaseRecordObject *r, RString *name);
void SetDatabaseRecordBlobColumn(DatabaseRecordObject *r, RString *name, RString *bytes);
Object *getDatabaseRecordMacPictColumn(DatabaseRecordObject *r, RString *name);
void setDatabaseRecordMacPictColumn(DatabaseRecordObject *r, RString *name, Object *picture);
Object *getDatabaseRecordJPEGColumn(DatabaseRecordObject *r, RString *name);
void setDatabaseRecordJPEGColumn(DatabaseRecordObject *r, RString *name, Object *picture);

// The DatabaseQuery class.
void databaseQuerySetParameter(DatabaseQueryObject *q, int32_t index, RString *value); // 1-based
Object *databaseQueryRunQuery(DatabaseQueryObject *q); // a cursor for a SELECT, else nil
RString *getDatabaseProperty(DatabaseObject *db, RString *name);
}
