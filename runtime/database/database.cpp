// The Database object: its error state and getters, opening on first use,
// the two statement entry points (delegated to the engine or run by the
// statement layer), commit, rollback, close, schemas and the exit list's hold.
#include "database/database.h"
#include "database/dbinternal.h"
#include "database/sql.h"
#include "objects/registry.h"
#include <cstring>

static ClassDef *gDatabaseClass;

DbText db_text(RString *s) { return DbText{str_cview(s), (uint32_t)str_len(s)}; }

extern "C" void KARUDatabaseSetError(DatabaseObject *db, int32_t code, RString *message) {
  if (!db) return;
  db->errorCode = code;
  str_assign(&db->errorMessage,
             message); /* strings never change in place: a shared one is a copy */
}

void database_fail(DatabaseObject *db, int32_t code, const char *message) {
  RString *m = str_from(message);
  KARUDatabaseSetError(db, code, m);
  RuntimeUnlockString(m);
}

static int32_t engineCode(DatabaseObject *db) {
  return db->slots && db->slots->errorCode && db->handle ? db->slots->errorCode(db->handle) : 0;
}

extern "C" bool databaseErrorGetter(DatabaseObject *db) {
  return db && (db->errorCode != 0 || engineCode(db) != 0);
}

extern "C" int32_t databaseErrorCodeGetter(DatabaseObject *db) {
  if (!db) return 0;
  return db->errorCode ? db->errorCode : engineCode(db);
}

extern "C" RString *databaseErrorStringGetter(DatabaseObject *db) {
  if (!db) return nullptr;
  if (db->errorCode) {
    RuntimeLockString(db->errorMessage);
    return db->errorMessage;
  }
  if (db->slots && db->slots->errorMessage && db->handle)
    return db->slots->errorMessage(db->handle);
  return nullptr;
}

DatabaseObject *database_new() {
  if (!gDatabaseClass) gDatabaseClass = registry_find("Database");
  return (DatabaseObject *)CreateInstance(gDatabaseClass);
}

void database_attach_engine(DatabaseObject *db, void *handle, const DbSlots *slots,
                            DbEngine *engine) {
  db->handle = handle;
  db->slots = slots;
  db->engine = engine;
  database_track_open(db);
}

bool database_ensure_open(DatabaseObject *db) {
  if (db->handle) return true;
  if (db->openName && database_open_carried(db)) return true;
  if (!db->errorCode) database_fail(db, kDbErrNotOpen, "The database is not open");
  return false;
}

// Clears the stored error and makes sure the database is open: the common
// start of every statement.
static bool statementStart(DatabaseObject *db) {
  if (!db) return false;
  db->errorCode = 0;
  return database_ensure_open(db);
}

// Stores the statement's failure on the database and frees its record.
void database_store_sql_error(DatabaseObject *db, SqlError *e) {
  if (e->code) database_fail(db, e->code, e->message ? e->message : "");
  sql_error_clear(e);
}

extern "C" Object *databaseSQLSelect(DatabaseObject *db, RString *statement) {
  if (!statementStart(db)) return nullptr;
  if (db->slots->selectSQL) {
    Object *c = db->slots->selectSQL(db->handle, statement);
    if (c) dbcursor_adopt((DatabaseCursorObject *)c, db, statement);
    return c;
  }
  if (!db->engine || !db->engine->ops->openCursor)
    return database_fail(db, kDbErrNoOperation, "This database cannot select rows"), nullptr;
  SqlError e;
  sql_error_init(&e);
  DbCursor *c = sql_select(db->engine, db_text(statement), &e);
  database_store_sql_error(db, &e);
  return c ? &dbcursor_make(db, c, statement)->header : nullptr;
}

extern "C" void databaseSQLExecute(DatabaseObject *db, RString *statement) {
  if (!statementStart(db)) return;
  if (db->slots->executeSQL) return db->slots->executeSQL(db->handle, statement);
  if (!db->engine)
    return database_fail(db, kDbErrNoOperation, "This database cannot run statements");
  SqlError e;
  sql_error_init(&e);
  sql_execute(db->engine, db_text(statement), &e);
  database_store_sql_error(db, &e);
}

// Commit and rollback: the engine's own operation, else the statement sent
// through its execute slot, else an error (never a silent success).
static void endTransaction(DatabaseObject *db, void (*DbSlots::*slot)(void *), const char *word) {
  if (!statementStart(db)) return;
  if (db->slots->*slot) return (db->slots->*slot)(db->handle);
  if (db->slots->executeSQL) {
    RString *s = str_from(word);
    db->slots->executeSQL(db->handle, s);
    return RuntimeUnlockString(s);
  }
  database_fail(db, kDbErrNoOperation, "This database has no transactions");
}

extern "C" void databaseCommit(DatabaseObject *db) {
  endTransaction(db, &DbSlots::commit, "commit");
}
extern "C" void databaseRollback(DatabaseObject *db) {
  endTransaction(db, &DbSlots::rollback, "rollback");
}

// Schemas come from the engine's record-level operations.
static Object *schemaCursor(DatabaseObject *db, RString *table, bool fields) {
  if (!statementStart(db)) return nullptr;
  DbEngine *e = db->engine;
  if (!e || (fields ? !e->ops->fieldSchema : !e->ops->tableSchema))
    return database_fail(db, kDbErrNoOperation, "This database cannot describe its tables"),
           nullptr;
  DbCursor *c = fields ? e->ops->fieldSchema(e, db_text(table)) : e->ops->tableSchema(e);
  return c ? &dbcursor_make(db, c, nullptr)->header : nullptr;
}

extern "C" Object *databaseTableSchema(DatabaseObject *db) {
  return schemaCursor(db, nullptr, false);
}
extern "C" Object *databaseFieldSchema(DatabaseObject *db, RString *table) {
  return schemaCursor(db, table, true);
}

// Names a database's properties: "Name" (the file it opens on first use) and
// "Open" ("True" while it is open); nil for any other name.
extern "C" RString *getDatabaseProperty(DatabaseObject *db, RString *name) {
  if (!db) return nullptr;
  const char *n = str_cview(name);
  if (_stricmp(n, "Name") == 0) return RuntimeLockString(db->openName), db->openName;
  if (_stricmp(n, "Open") == 0) return str_from(db->handle ? "True" : "False");
  return nullptr;
}

// Ends the cursors (their storage belongs to the engine), then the engine.
void database_close_engine(DatabaseObject *db) {
  while (db->cursors) dbcursor_close(db->cursors);
  if (!db->handle) return;
  void *handle = db->handle;
  const DbSlots *slots = db->slots;
  DbEngine *engine = db->engine;
  db->handle = nullptr;
  db->slots = nullptr;
  db->engine = nullptr;
  database_untrack_open(db);
  if (engine && engine != handle) slotengine_free(engine);
  if (slots->close) slots->close(handle);
}

extern "C" void databaseClose(DatabaseObject *db) {
  if (db) database_close_engine(db);
}

static void databaseDestructor(Object *o, ClassDef *) {
  DatabaseObject *db = (DatabaseObject *)o;
  database_close_engine(db);
  RuntimeUnlockString(db->errorMessage);
  RuntimeUnlockString(db->openName);
  db->errorMessage = db->openName = nullptr;
}

void database_classes_attach() {
  gDatabaseClass = registry_find("Database");
  gDatabaseClass->destructor = databaseDestructor;
  dbcursor_classes_attach();
  dbrecord_classes_attach();
  dbquery_classes_attach();
  database_hooks_install();
  database_exit_hold();
}
