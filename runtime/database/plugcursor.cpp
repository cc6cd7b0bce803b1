// Cursors a plug-in supplies: its cursor data and routine table seen as a
// DbCursor (texts converted to values of the field's type), wrapped in a
// DatabaseCursor object by KARUdbCursorFromDBCursor.
#include "base/pool.h"
#include "database/dbinternal.h"
#include "karuplugin.h"
#include "text/numtext.h"
#include <cstdio>

struct PlugCursor {
  DbCursor base;
  void *data; // the plug-in's, closed through def
  const KARUDBCursorDefinition *def;
  int32_t fieldCount;
  RString **values; // the current row's texts read so far, by field
  RString **names;  // field names, read once
};

static RString *asString(KARUString s) { return (RString *)s; }
static KARUString asKaru(RString *s) { return (KARUString)s; }

static void forgetRow(PlugCursor *p) {
  for (int32_t i = 0; i < p->fieldCount; i++) {
    RuntimeUnlockString(p->values[i]);
    p->values[i] = nullptr;
  }
}

static void pcClose(DbCursor *c) {
  PlugCursor *p = (PlugCursor *)c;
  forgetRow(p);
  for (int32_t i = 0; i < p->fieldCount; i++) RuntimeUnlockString(p->names[i]);
  int32_t bytes = (p->fieldCount ? p->fieldCount : 1) * (int32_t)sizeof(RString *);
  pool_free(p->values, bytes);
  pool_free(p->names, bytes);
  if (p->def->close) p->def->close(p->data);
  pool_free(p, sizeof *p);
}

static int32_t pcFieldCount(DbCursor *c) { return ((PlugCursor *)c)->fieldCount; }

static DbText pcFieldName(DbCursor *c, int32_t field) {
  PlugCursor *p = (PlugCursor *)c;
  if (field < 0 || field >= p->fieldCount) return DbText{nullptr, 0};
  if (!p->names[field] && p->def->fieldName)
    p->names[field] = asString(p->def->fieldName(p->data, field));
  return db_text(p->names[field]);
}

static DbType pcFieldType(DbCursor *c, int32_t field) {
  PlugCursor *p = (PlugCursor *)c;
  return p->def->fieldType ? (DbType)p->def->fieldType(p->data, field) : kDbText;
}

static int32_t pcAtEnd(DbCursor *c) {
  PlugCursor *p = (PlugCursor *)c;
  return p->def->atEnd ? p->def->atEnd(p->data) : 1;
}

static int32_t pcAtStart(DbCursor *) {
  return 0;
} /* plug-in cursors never stand before the first row */

static int32_t pcMoveNext(DbCursor *c) {
  PlugCursor *p = (PlugCursor *)c;
  forgetRow(p);
  return p->def->moveNext ? p->def->moveNext(p->data) : 0;
}

static int32_t pcMoveFirst(DbCursor *c) {
  PlugCursor *p = (PlugCursor *)c;
  forgetRow(p);
  return p->def->moveFirst ? p->def->moveFirst(p->data) : 0;
}

static void pcValue(DbCursor *c, int32_t field, DbValue *out) {
  PlugCursor *p = (PlugCursor *)c;
  *out = DbValue{};
  if (field < 0 || field >= p->fieldCount || pcAtEnd(c)) return;
  if (p->def->fieldIsNull && p->def->fieldIsNull(p->data, field)) return;
  if (!p->values[field] && p->def->fieldValue)
    p->values[field] = asString(p->def->fieldValue(p->data, field));
  DbText t = db_text(p->values[field]);
  out->type = pcFieldType(c, field);
  out->text = t;
  if (out->type == kDbSmallInt || out->type == kDbInteger || out->type == kDbBoolean)
    out->integer = (int64_t)numtext_val((const uint8_t *)t.bytes, (int32_t)t.length);
  else if (out->type == kDbFloat || out->type == kDbDouble)
    out->real = numtext_val((const uint8_t *)t.bytes, (int32_t)t.length);
}

static int32_t pcEdit(DbCursor *c) { return ((PlugCursor *)c)->def->setFieldValue != nullptr; }

// Values reach the plug-in as text, whatever their type.
static int32_t pcSetValue(DbCursor *c, int32_t field, const DbValue *v) {
  PlugCursor *p = (PlugCursor *)c;
  if (!p->def->setFieldValue) return 0;
  RString *text = nullptr;
  if (v->type == kDbSmallInt || v->type == kDbInteger || v->type == kDbBoolean) {
    char digits[24];
    snprintf(digits, sizeof digits, "%lld", (long long)v->integer);
    text = str_from(digits);
  } else if (v->type == kDbFloat || v->type == kDbDouble) {
    char digits[kNumTextMax + 8];
    digits[numtext_str(v->real, digits)] = 0;
    text = str_from(digits);
  } else if (v->type != kDbNull) {
    text = db_string(v->text);
  }
  RuntimeUnlockString(p->values[field]);
  p->values[field] = nullptr;
  int32_t ok = p->def->setFieldValue(p->data, field, asKaru(text));
  RuntimeUnlockString(text);
  return ok;
}

static int32_t pcUpdate(DbCursor *c) {
  PlugCursor *p = (PlugCursor *)c;
  return p->def->update ? p->def->update(p->data) : 1;
}

static int32_t pcDelete(DbCursor *c) {
  PlugCursor *p = (PlugCursor *)c;
  forgetRow(p);
  return p->def->deleteRow ? p->def->deleteRow(p->data) : 0;
}

static const DbCursorOps kPlugCursorOps = {
    pcClose,    pcFieldCount, pcFieldName, pcFieldType, pcAtEnd, pcAtStart,
    pcMoveNext, nullptr,      pcMoveFirst, nullptr,     pcValue, pcEdit,
    pcSetValue, pcUpdate,     pcDelete,    nullptr,     nullptr,
};

extern "C" int32_t PluginRegisterDBCursor(const KARUDBCursorDefinition *d) {
  return d && d->version == 1 && d->fieldCount && d->moveNext && d->atEnd;
}

extern "C" KARUObject KARUdbCursorFromDBCursor(void *data, const KARUDBCursorDefinition *d) {
  if (!PluginRegisterDBCursor(d)) return nullptr;
  PlugCursor *p = (PlugCursor *)pool_alloc(sizeof(PlugCursor));
  p->base.ops = &kPlugCursorOps;
  p->data = data;
  p->def = d;
  p->fieldCount = d->fieldCount(data);
  if (p->fieldCount < 0) p->fieldCount = 0;
  int32_t bytes = (p->fieldCount ? p->fieldCount : 1) * (int32_t)sizeof(RString *);
  p->values = (RString **)pool_alloc(bytes);
  p->names = (RString **)pool_alloc(bytes);
  for (int32_t i = 0; i < p->fieldCount; i++) p->values[i] = p->names[i] = nullptr;
  return (KARUObject)dbcursor_make(nullptr, &p->base, nullptr);
}
