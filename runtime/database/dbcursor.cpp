// DatabaseCursor objects: a DbCursor kept valid by references to its database
// and statement, moved, edited and closed through the cursor entries; closing
// the database closes its cursors first.
#include "database/dbinternal.h"
#include "objects/registry.h"

static ClassDef *gCursorClass, *gFieldClass;

static void linkCursor(DatabaseCursorObject *c, DatabaseObject *db) {
  RuntimeLockObject(&db->header);
  c->database = db;
  c->next = db->cursors;
  db->cursors = c;
}

DatabaseCursorObject *dbcursor_make(DatabaseObject *db, DbCursor *cursor, RString *statement) {
  if (!cursor) return nullptr;
  DatabaseCursorObject *c = (DatabaseCursorObject *)CreateInstance(gCursorClass);
  c->cursor = cursor;
  c->fieldCount = cursor->ops->fieldCount(cursor);
  str_assign(&c->statement, statement);
  if (db) linkCursor(c, db);
  return c;
}

void dbcursor_adopt(DatabaseCursorObject *c, DatabaseObject *db, RString *statement) {
  if (!c->statement) str_assign(&c->statement, statement);
  if (c->database || !c->cursor) return;
  linkCursor(c, db);
}

DatabaseCursorObject *dbcursor_open_table(DatabaseObject *db, RString *table) {
  RString *head = str_from("select * from [");
  RString *s = str_join(head, table);
  RString *tail = str_from("]");
  str_append(&s, tail);
  Object *c = databaseSQLSelect(db, s);
  RuntimeUnlockString(head);
  RuntimeUnlockString(tail);
  RuntimeUnlockString(s);
  return (DatabaseCursorObject *)c;
}

static void unlinkCursor(DatabaseCursorObject *c) {
  if (!c->database) return;
  for (DatabaseCursorObject **p = &c->database->cursors; *p; p = &(*p)->next)
    if (*p == c) {
      *p = c->next;
      break;
    }
  c->next = nullptr;
}

void dbcursor_close(DatabaseCursorObject *c) {
  if (c->cursor) c->cursor->ops->close(c->cursor);
  c->cursor = nullptr;
  c->state = kCursorClosed;
  unlinkCursor(c);
  RuntimeUnlockObject(c->owner);
  c->owner = nullptr;
}

static void cursorDestructor(Object *o, ClassDef *) {
  DatabaseCursorObject *c = (DatabaseCursorObject *)o;
  dbcursor_close(c);
  RuntimeUnlockString(c->statement);
  RuntimeUnlockObject(&c->database->header);
  c->statement = nullptr;
  c->database = nullptr;
}

static void fieldDestructor(Object *o, ClassDef *) {
  DatabaseCursorFieldObject *f = (DatabaseCursorFieldObject *)o;
  RuntimeUnlockObject(&f->cursor->header);
  f->cursor = nullptr;
}

void dbcursor_classes_attach() {
  gCursorClass = registry_find("DatabaseCursor");
  gFieldClass = registry_find("DatabaseCursorField");
  gCursorClass->destructor = cursorDestructor;
  gFieldClass->destructor = fieldDestructor;
}

// Reports a cursor failure on its database (a cursor of no database has
// nowhere to report and stays silent).
static void cursorFail(DatabaseCursorObject *c, int32_t code, const char *message) {
  if (c->database) database_fail(c->database, code, message);
}

// Runs one of the cursor's moves when it has it.
static void move(DatabaseCursorObject *c, int32_t (*DbCursorOps::*op)(DbCursor *)) {
  if (!c || !c->cursor) return;
  if (!(c->cursor->ops->*op))
    return cursorFail(c, kDbErrNoOperation, "The cursor cannot move that way");
  c->state &= ~kCursorEditing;
  (c->cursor->ops->*op)(c->cursor);
}

extern "C" void cursorMoveNext(DatabaseCursorObject *c) { move(c, &DbCursorOps::moveNext); }
extern "C" void CursorMovePrev(DatabaseCursorObject *c) { move(c, &DbCursorOps::movePrev); }
extern "C" void CursorMoveFirst(DatabaseCursorObject *c) { move(c, &DbCursorOps::moveFirst); }
extern "C" void CursorMoveLast(DatabaseCursorObject *c) { move(c, &DbCursorOps::moveLast); }

extern "C" bool cursorBOFGetter(DatabaseCursorObject *c) {
  return !c || !c->cursor || c->cursor->ops->atStart(c->cursor);
}

extern "C" bool cursorEOFGetter(DatabaseCursorObject *c) {
  return !c || !c->cursor || c->cursor->ops->atEnd(c->cursor);
}

extern "C" int32_t cursorFieldCount(DatabaseCursorObject *c) {
  return c && c->cursor ? c->fieldCount : 0;
}

int32_t dbcursor_field_index(DatabaseCursorObject *c, RString *name) {
  if (!c || !c->cursor) return -1;
  for (int32_t i = 0; i < c->fieldCount; i++) {
    DbText n = c->cursor->ops->fieldName(c->cursor, i);
    RString *s = db_string(n);
    bool same = RuntimeStringCompare(s, name) == 0; /* ignores case, as the language does */
    RuntimeUnlockString(s);
    if (same) return i;
  }
  return -1;
}

static Object *fieldObject(DatabaseCursorObject *c, int32_t field) {
  if (field < 0 || field >= c->fieldCount) return nullptr;
  DatabaseCursorFieldObject *f = (DatabaseCursorFieldObject *)CreateInstance(gFieldClass);
  f->cursor = (DatabaseCursorObject *)RuntimeLockObject(&c->header);
  f->field = field;
  return &f->header;
}

extern "C" Object *cursorGetFieldByName(DatabaseCursorObject *c, RString *name) {
  if (!c || !c->cursor) return nullptr;
  int32_t i = dbcursor_field_index(c, name);
  if (i < 0) cursorFail(c, kDbErrNoField, "The cursor has no field of that name");
  return fieldObject(c, i);
}

extern "C" Object *cursorGetFieldByIndex(DatabaseCursorObject *c, int32_t index) {
  if (!c || !c->cursor) return nullptr;
  if (index < 1 || index > c->fieldCount)
    cursorFail(c, kDbErrNoField, "The cursor has no such field");
  return fieldObject(c, index - 1);
}

// Puts the cursor into editing when it is not already; false when it cannot.
bool dbcursor_begin_edit(DatabaseCursorObject *c) {
  if (!c || !c->cursor) return false;
  if (c->state & kCursorEditing) return true;
  if (c->cursor->ops->atEnd(c->cursor) || c->cursor->ops->atStart(c->cursor))
    return cursorFail(c, kDbErrNoRow, "The cursor stands on no row"), false;
  if (!c->cursor->ops->edit)
    return cursorFail(c, kDbErrReadOnlyCursor, "The cursor is read-only"), false;
  if (!c->cursor->ops->edit(c->cursor)) return false; /* the engine says why */
  c->state |= kCursorEditing;
  return true;
}

extern "C" void cursorEdit(DatabaseCursorObject *c) { dbcursor_begin_edit(c); }

extern "C" void cursorUpdate(DatabaseCursorObject *c) {
  if (!c || !c->cursor || !(c->state & kCursorEditing)) return;
  c->state &= ~kCursorEditing;
  if (!c->cursor->ops->update)
    return cursorFail(c, kDbErrReadOnlyCursor, "The cursor is read-only");
  c->cursor->ops->update(c->cursor);
}

extern "C" void cursorDeleteRecord(DatabaseCursorObject *c) {
  if (!c || !c->cursor) return;
  if (!c->cursor->ops->deleteRow)
    return cursorFail(c, kDbErrReadOnlyCursor, "The cursor is read-only");
  if (c->cursor->ops->atEnd(c->cursor) || c->cursor->ops->atStart(c->cursor))
    return cursorFail(c, kDbErrNoRow, "The cursor stands on no row");
  c->state &= ~kCursorEditing;
  c->cursor->ops->deleteRow(c->cursor);
}

extern "C" void cursorClose(DatabaseCursorObject *c) {
  if (c) dbcursor_close(c);
}
