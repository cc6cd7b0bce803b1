// DatabaseRecord objects: named column values of every type, set and read
// back by the record's column accessors, and written as one new row by
// InsertRecord through the engine's insert operation.
#include "base/pool.h"
#include "database/dbconvert.h"
#include "objects/registry.h"
#include <cstdio>
#include <cstring>

static void recordDestructor(Object *o, ClassDef *) {
  DatabaseRecordObject *r = (DatabaseRecordObject *)o;
  for (int32_t i = 0; i < r->count; i++) {
    RuntimeUnlockString(r->columns[i].name);
    RuntimeUnlockString(r->columns[i].text);
  }
  if (r->columns) pool_free(r->columns, r->capacity * (int32_t)sizeof(DbRecordColumn));
  r->columns = nullptr;
  r->count = r->capacity = 0;
}

void dbrecord_classes_attach() { registry_find("DatabaseRecord")->destructor = recordDestructor; }

static DbRecordColumn *findColumn(DatabaseRecordObject *r, RString *name) {
  for (int32_t i = 0; i < r->count; i++)
    if (RuntimeStringCompare(r->columns[i].name, name) == 0) return &r->columns[i];
  return nullptr;
}

// The column of that name, made empty (NULL) when it is new.
static DbRecordColumn *columnFor(DatabaseRecordObject *r, RString *name) {
  if (DbRecordColumn *c = findColumn(r, name)) return c;
  if (r->count == r->capacity) {
    int32_t more = r->capacity ? r->capacity * 2 : 8;
    DbRecordColumn *grown = (DbRecordColumn *)pool_alloc(more * (int32_t)sizeof(DbRecordColumn));
    if (r->count) memcpy(grown, r->columns, r->count * sizeof(DbRecordColumn));
    if (r->columns) pool_free(r->columns, r->capacity * (int32_t)sizeof(DbRecordColumn));
    r->columns = grown;
    r->capacity = more;
  }
  DbRecordColumn *c = &r->columns[r->count++];
  memset(c, 0, sizeof *c);
  str_assign(&c->name, name);
  return c;
}

static void setText(DatabaseRecordObject *r, RString *name, DbType type, RString *text) {
  DbRecordColumn *c = columnFor(r, name);
  c->type = type;
  str_assign(&c->text, text);
}

static void setNumber(DatabaseRecordObject *r, RString *name, DbType type, int32_t n, double x) {
  DbRecordColumn *c = columnFor(r, name);
  c->type = type;
  c->integer = n;
  c->real = x;
  str_assign(&c->text, nullptr);
}

// The stored column as the engine's value; NULL when it was never set.
static DbValue columnValue(DatabaseRecordObject *r, RString *name) {
  DbValue v{};
  DbRecordColumn *c = r ? findColumn(r, name) : nullptr;
  if (!c) return v;
  v.type = (DbType)c->type;
  v.integer = c->integer;
  v.real = c->real;
  v.text = db_text(c->text);
  return v;
}

extern "C" RString *getDatabaseRecordColumn(DatabaseRecordObject *r, RString *name) {
  return db_value_text(columnValue(r, name));
}
extern "C" void setDatabaseRecordColumn(DatabaseRecordObject *r, RString *name, RString *value) {
  setText(r, name, kDbText, value);
}
extern "C" int32_t getDatabaseRecordIntegerColumn(DatabaseRecordObject *r, RString *name) {
  return (int32_t)db_value_integer(columnValue(r, name));
}
extern "C" void setDatabaseRecordIntegerColumn(DatabaseRecordObject *r, RString *name, int32_t n) {
  setNumber(r, name, kDbInteger, n, 0);
}
extern "C" double getDatabaseRecordDoubleColumn(DatabaseRecordObject *r, RString *name) {
  return db_value_real(columnValue(r, name));
}
extern "C" void setDatabaseRecordDoubleColumn(DatabaseRecordObject *r, RString *name, double x) {
  setNumber(r, name, kDbDouble, 0, x);
}
extern "C" bool GetDatabaseRecordBooleanColumn(DatabaseRecordObject *r, RString *name) {
  return db_value_integer(columnValue(r, name)) != 0;
}
extern "C" void SetDatabaseRecordBooleanColumn(DatabaseRecordObject *r, RString *name, bool on) {
  setNumber(r, name, kDbBoolean, on ? 1 : 0, 0);
}
extern "C" Object *getDatabaseRecordDateColumn(DatabaseRecordObject *r, RString *name) {
  DbValue v = columnValue(r, name);
  return v.type == kDbNull ? nullptr : db_date_from_text(v.text, v.type);
}
extern "C" void setDatabaseRecordDateColumn(DatabaseRecordObject *r, RString *name, Object *date) {
  RString *text = db_text_from_date(date);
  setText(r, name, date ? kDbTimestamp : kDbNull, text);
  RuntimeUnlockString(text);
}
extern "C" RString *GetDatabaseRecordBlobColumn(DatabaseRecordObject *r, RString *name) {
  return db_value_text(columnValue(r, name));
}
extern "C" void SetDatabaseRecordBlobColumn(DatabaseRecordObject *r, RString *name,
                                            RString *bytes) {
  setText(r, name, kDbBinary, bytes);
}

static Object *pictureColumn(DatabaseRecordObject *r, RString *name) {
  DbValue v = columnValue(r, name);
  return v.type == kDbNull ? nullptr : db_picture_from_bytes(v.text);
}
static void setPictureColumn(DatabaseRecordObject *r, RString *name, Object *picture, bool jpeg) {
  RString *bytes = db_picture_bytes(picture, jpeg);
  setText(r, name, bytes ? kDbBinary : kDbNull, bytes);
  RuntimeUnlockString(bytes);
}
extern "C" Object *getDatabaseRecordMacPictColumn(DatabaseRecordObject *r, RString *name) {
  return pictureColumn(r, name);
}
extern "C" void setDatabaseRecordMacPictColumn(DatabaseRecordObject *r, RString *name, Object *p) {
  setPictureColumn(r, name, p, false);
}
extern "C" Object *getDatabaseRecordJPEGColumn(DatabaseRecordObject *r, RString *name) {
  return pictureColumn(r, name);
}
extern "C" void setDatabaseRecordJPEGColumn(DatabaseRecordObject *r, RString *name, Object *p) {
  setPictureColumn(r, name, p, true);
}

// A column's value as the text an insert carries (numbers exactly: doubles
// with 17 digits); NULL is an unquoted NULL.
static RString *insertText(const DbRecordColumn &c, uint8_t *quoted) {
  char digits[40];
  *quoted = 1;
  switch (c.type) {
  case kDbNull:
    *quoted = 0;
    return str_from("NULL");
  case kDbInteger:
  case kDbBoolean:
    snprintf(digits, sizeof digits, "%d", (int)c.integer);
    return str_from(digits);
  case kDbDouble:
    snprintf(digits, sizeof digits, "%.17g", c.real);
    return str_from(digits);
  default:
    RuntimeLockString(c.text);
    return c.text;
  }
}

extern "C" void databaseInsertRecord(DatabaseObject *db, RString *table, DatabaseRecordObject *r) {
  if (!db) return;
  db->errorCode = 0;
  if (!database_ensure_open(db)) return;
  if (!db->engine || !db->engine->ops->insert)
    return database_fail(db, kDbErrNoOperation, "This database cannot insert records");
  int32_t n = r ? r->count : 0;
  DbAssignment *values = (DbAssignment *)pool_alloc((n ? n : 1) * (int32_t)sizeof(DbAssignment));
  RString **texts = (RString **)pool_alloc((n ? n : 1) * (int32_t)sizeof(RString *));
  for (int32_t i = 0; i < n; i++) {
    texts[i] = insertText(r->columns[i], &values[i].quoted);
    values[i].column = db_text(r->columns[i].name);
    values[i].value = db_text(texts[i]);
  }
  db->engine->ops->insert(db->engine, db_text(table), values, n);
  for (int32_t i = 0; i < n; i++) RuntimeUnlockString(texts[i]);
  pool_free(texts, (n ? n : 1) * (int32_t)sizeof(RString *));
  pool_free(values, (n ? n : 1) * (int32_t)sizeof(DbAssignment));
}
