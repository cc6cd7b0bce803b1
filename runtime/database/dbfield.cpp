// DatabaseCursorField accessors: the current row's field read and written as
// text, integer, double, Date, native bytes and Picture (BMP or JPEG bytes);
// writes put the cursor into editing first when it is not.
#include "database/dbconvert.h"

// The field's value on the current row; NULL when there is no row.
static DbValue fieldValue(DatabaseCursorObject *c, int32_t field) {
  DbValue v{};
  if (!c || !c->cursor || field < 0 || field >= c->fieldCount) return v;
  DbCursor *k = c->cursor;
  if (k->ops->atEnd(k) || k->ops->atStart(k)) return v;
  k->ops->value(k, field, &v);
  return v;
}

static bool storeValue(DatabaseCursorObject *c, int32_t field, const DbValue &v) {
  if (!c || field < 0 || field >= c->fieldCount || !dbcursor_begin_edit(c)) return false;
  if (!c->cursor->ops->setValue) return false;
  return c->cursor->ops->setValue(c->cursor, field, &v) != 0;
}

RString *dbcursor_field_string(DatabaseCursorObject *c, int32_t field) {
  return db_value_text(fieldValue(c, field));
}

static DbValue textValue(RString *text, DbType type) {
  DbValue v{};
  v.type = type;
  v.text = db_text(text);
  return v;
}

bool dbcursor_set_field_string(DatabaseCursorObject *c, int32_t field, RString *text) {
  return storeValue(c, field,
                    textValue(text, kDbText)); /* the engine converts to the column's type */
}

extern "C" RString *databaseCursorFieldGetString(DatabaseCursorObject *c, int32_t field) {
  return dbcursor_field_string(c, field);
}

extern "C" void databaseCursorFieldSetString(DatabaseCursorObject *c, int32_t field,
                                             RString *text) {
  dbcursor_set_field_string(c, field, text);
}

extern "C" RString *cursorFieldNameGetter(DatabaseCursorFieldObject *f, int32_t) {
  DatabaseCursorObject *c = f->cursor;
  if (!c->cursor) return nullptr;
  return db_string(c->cursor->ops->fieldName(c->cursor, f->field));
}

extern "C" RString *cursorFieldStringValueGetter(DatabaseCursorFieldObject *f, int32_t) {
  return dbcursor_field_string(f->cursor, f->field);
}

extern "C" void cursorFieldStringValueSetter(DatabaseCursorFieldObject *f, int32_t, RString *text) {
  dbcursor_set_field_string(f->cursor, f->field, text);
}

extern "C" int32_t cursorFieldIntegerValueGetter(DatabaseCursorFieldObject *f, int32_t) {
  return (int32_t)db_value_integer(fieldValue(f->cursor, f->field));
}

extern "C" void cursorFieldIntegerValueSetter(DatabaseCursorFieldObject *f, int32_t, int32_t n) {
  DbValue v{};
  v.type = kDbInteger;
  v.integer = n;
  storeValue(f->cursor, f->field, v);
}

extern "C" double cursorFieldDoubleValueGetter(DatabaseCursorFieldObject *f, int32_t) {
  return db_value_real(fieldValue(f->cursor, f->field));
}

extern "C" void cursorFieldDoubleValueSetter(DatabaseCursorFieldObject *f, int32_t, double x) {
  DbValue v{};
  v.type = kDbDouble;
  v.real = x;
  storeValue(f->cursor, f->field, v);
}

extern "C" Object *cursorFieldDateValueGetter(DatabaseCursorFieldObject *f, int32_t) {
  DbValue v = fieldValue(f->cursor, f->field);
  return v.type == kDbNull ? nullptr : db_date_from_text(v.text, v.type);
}

extern "C" void cursorFieldDateValueSetter(DatabaseCursorFieldObject *f, int32_t, Object *date) {
  RString *text = db_text_from_date(date);
  storeValue(f->cursor, f->field, date ? textValue(text, kDbTimestamp) : DbValue{});
  RuntimeUnlockString(text);
}

// The raw value: a blob's bytes, or the text of any other value.
extern "C" RString *cursorFieldNativeValueGetter(DatabaseCursorFieldObject *f, int32_t) {
  return dbcursor_field_string(f->cursor, f->field);
}

static Object *pictureOf(DatabaseCursorFieldObject *f) {
  DbValue v = fieldValue(f->cursor, f->field);
  return v.type == kDbNull ? nullptr : db_picture_from_bytes(v.text);
}

static void storePicture(DatabaseCursorFieldObject *f, Object *picture, bool jpeg) {
  RString *bytes = db_picture_bytes(picture, jpeg);
  storeValue(f->cursor, f->field, bytes ? textValue(bytes, kDbBinary) : DbValue{});
  RuntimeUnlockString(bytes);
}

extern "C" Object *cursorFieldMactPictGetter(DatabaseCursorFieldObject *f, int32_t) {
  return pictureOf(f);
}
extern "C" Object *cursorFieldJPEGGetter(DatabaseCursorFieldObject *f, int32_t) {
  return pictureOf(f);
}

extern "C" void cursorFieldMactPictSetter(DatabaseCursorFieldObject *f, int32_t, Object *picture) {
  storePicture(f, picture, false);
}

extern "C" void cursorFieldJPEGSetter(DatabaseCursorFieldObject *f, int32_t, Object *picture) {
  storePicture(f, picture, true);
}
