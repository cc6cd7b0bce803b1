// Date objects: one local moment held both as a file-time count and as its
// calendar fields, rolled over lazily after field writes, with the numeric,
// text and seconds-since-1904 accessors and the parser of the date texts.
#pragma once
#include "objects/objects.h"
#include "text/string.h"
#include <cstddef>
#include <cstdint>
#include <windows.h>

#pragma pack(push, 4) /* the instance is 52 bytes: the moment needs no 8-byte padding */
struct DateObject {
  Object header;     // 0, 16 bytes
  int64_t moment;    // 16, 8 bytes: 100 ns intervals since 1 January 1601, local time
  SYSTEMTIME fields; // 24, 16 bytes: the calendar form; written fields wait here
  uint8_t valid;     // 40, 1 byte: the moment has been set
  uint8_t pending;   // 41, 1 byte: a field was written, the moment not yet recomputed
  uint8_t spare[10]; // 42, 10 bytes: unused, to the class's instance size
};
#pragma pack(pop)
static_assert(offsetof(DateObject, moment) == 16 && offsetof(DateObject, fields) == 24);
static_assert(offsetof(DateObject, valid) == 40 && offsetof(DateObject, pending) == 41);
static_assert(sizeof(DateObject) == 52);

// The numbered fields of dateFieldGetter/dateFieldSetter and texts of dateStringGetter.
enum class DateField { Year, Month, Day, Hour, Minute, Second, DayOfWeek, DayOfYear, WeekOfYear };
enum class DateText { Short, Long, Abbreviated, ShortTime, LongTime };

// Gives the built-in Date class the constructor that sets the current moment.
void date_classes_attach();

// Sets a date to the moment of st (taken as valid calendar fields); false,
// leaving the date as it was, when the platform cannot represent it.
bool date_set_fields(DateObject *d, const SYSTEMTIME &st);

// Shortens full day and month names ("dddd", "MMMM") of a date picture to the
// abbreviated ones, outside quoted text, until nothing more changes.
void date_shorten_picture(char *picture);

// The locale's long-date picture with its full day and month names
// shortened to the abbreviated forms; out holds at least 80 bytes.
void date_abbreviated_picture(char *out, int size);

extern "C" {
RString *dateStringGetter(Object *date, int32_t text);
int32_t dateFieldGetter(Object *date, int32_t field);
void dateFieldSetter(Object *date, int32_t field, int32_t value);
double dateTotalSecondsGetter(Object *date, int32_t unused);
void dateTotalSecondsSetter(Object *date, int32_t unused, double seconds);
bool parseDate(RString *text, Object *date);
}
