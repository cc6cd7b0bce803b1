// Values between the engine and compiled code: texts, numbers, dates in
// ISO form and pictures held as blob bytes.
#pragma once
#include "database/dbinternal.h"

RString *db_value_text(const DbValue &v);   // new reference; nil for NULL
int64_t db_value_integer(const DbValue &v); // 0 for NULL; texts read as numbers
double db_value_real(const DbValue &v);

// A new Date from an ISO date, time or timestamp text, or nil when the text is none.
Object *db_date_from_text(DbText t, DbType type);
// "2026-12-10 08:40:42" for a Date (new reference), nil for nil.
RString *db_text_from_date(Object *date);

// A new Picture decoded from blob bytes (BMP, JPEG, PNG, GIF), or nil.
Object *db_picture_from_bytes(DbText t);
// The picture's bytes as a BMP file, or as a JPEG; nil for no picture.
RString *db_picture_bytes(Object *picture, bool jpeg);
