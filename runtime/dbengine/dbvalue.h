// Database values: reading the text written in SQL as each column type,
// ordering values across types, LIKE patterns, and the byte-level text
// helpers (case folding that leaves Shift-JIS double-byte characters alone).
#pragma once
#include "dbengine/dbapi.h"

// Reads text as a value of type: integers (optional sign, digits, within the
// type's range), reals (decimal with optional fraction and exponent),
// booleans (true/false/1/0, any case), dates "YYYY-MM-DD", times "HH:MM:SS",
// timestamps "YYYY-MM-DD HH:MM:SS" (real calendar dates, 24-hour times).
// Texts and blobs take the bytes as they are; their value points into text.
// Returns 1 on success, 0 when the text is not of the type (out is then NULL).
int32_t dbvalue_parse(DbType type, DbText text, DbValue *out);

// An INSERT or UPDATE assignment as a value of type: an unquoted NULL is
// NULL, anything else goes through dbvalue_parse.
int32_t dbvalue_from_assignment(DbType type, const DbAssignment *a, DbValue *out);

// The SQL word for a type ("integer", "date", ...), for messages.
const char *dbtype_name(DbType type);

// The class a type orders in: NULL before numbers before texts. Dates,
// times and timestamps are texts in ISO form, so bytewise order is time order.
enum DbClass { kDbClassNull = 0, kDbClassNumber = 1, kDbClassText = 2 };
DbClass dbtype_class(DbType type);

// A total order over values: NULLs first (equal to each other), then numbers
// compared numerically (integers and reals exactly), then texts compared
// bytewise with a shorter prefix first. Returns <0, 0 or >0.
int dbvalue_compare(const DbValue *a, const DbValue *b);

// Writes a number or boolean value as decimal text (reals in the shortest
// form that reads back exactly); texts are copied. Returns the full length,
// writing at most size bytes. kDbValueTextMax bytes always suffice for numbers.
enum { kDbValueTextMax = 32 };
uint32_t dbvalue_format(const DbValue *v, char *out, uint32_t size);

// LIKE: % matches any run of characters, _ exactly one; every other pattern
// character matches itself, case-sensitively. A Shift-JIS double-byte
// character counts as one character.
int32_t dbtext_like(DbText text, DbText pattern);

// Upper- or lower-cases the ASCII letters of text into out (text.length
// bytes), stepping over Shift-JIS double-byte characters unchanged.
void dbtext_upper(DbText text, char *out);
void dbtext_lower(DbText text, char *out);

// The length of the character starting at i: 2 for a Shift-JIS lead byte
// followed by another byte, else 1.
uint32_t dbtext_charlen(DbText text, uint32_t i);

// Names compared as SQL compares them: ASCII letters without regard to case,
// other bytes exactly.
int32_t dbtext_equal_nocase(DbText a, DbText b);
int32_t dbtext_equal_cstr_nocase(DbText a, const char *word);

// Helpers for building DbText.
inline DbText dbtext(const char *bytes, uint32_t length) { return DbText{bytes, length}; }
DbText dbtext_cstr(const char *s);
