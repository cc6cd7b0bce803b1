// Date objects: the current moment at first use, the lazy roll-over of written
// fields into a valid moment, the numeric fields, seconds since 1904 and the
// locale-formatted texts.
#include "objects/date.h"
#include "objects/registry.h"
#include <cmath>
#include <cstring>

typedef DateObject D;

static constexpr int64_t kSecond = 10000000;                 // moment units in a second
static constexpr int64_t kDay = 86400 * kSecond;             // and in a day
static constexpr int64_t kMoment1904 = 110667 * kDay;        // 1 January 1904 00:00
static constexpr int64_t kLastMoment = 0x7FFF35F4F06C7FFFll; // 31 December 30827, last instant
static constexpr int kFirstYear = 1601, kLastYear = 30827;   // what the calendar form can hold

/* ---- the moment and the calendar form ---- */

static int64_t toMoment(const SYSTEMTIME &st, bool *ok) {
  FILETIME ft;
  *ok = SystemTimeToFileTime(&st, &ft);
  return (int64_t)(((uint64_t)ft.dwHighDateTime << 32) | ft.dwLowDateTime);
}

static bool representable(int64_t moment) { return moment >= 0 && moment <= kLastMoment; }

// The moment becomes m, the calendar form follows it; m must be representable.
static void setMoment(D *d, int64_t m) {
  FILETIME ft = {(DWORD)m, (DWORD)((uint64_t)m >> 32)};
  FileTimeToSystemTime(&ft, &d->fields);
  d->moment = m;
  d->pending = 0;
  d->valid = 1;
}

static void firstUse(D *d) {
  if (d->valid) return;
  FILETIME utc, local;
  GetSystemTimeAsFileTime(&utc);
  FileTimeToLocalFileTime(&utc, &local);
  int64_t now = (int64_t)(((uint64_t)local.dwHighDateTime << 32) | local.dwLowDateTime);
  setMoment(d, now - now % kSecond); /* whole seconds: the fields show no fraction */
}

bool date_set_fields(D *d, const SYSTEMTIME &st) {
  bool ok;
  int64_t m = toMoment(st, &ok);
  if (ok) setMoment(d, m);
  return ok;
}

// The fields as written, read back as signed values: a write may leave them
// out of range (month 13, day 0, hour 25, minute -1).
static int field(const D *d, int offset) {
  int16_t v;
  memcpy(&v, (const uint8_t *)&d->fields + offset, 2);
  return v;
}

// The moment the written fields name: months roll over into years, days and
// time fields into the days around them. False when the year lands outside
// what the calendar form can hold.
static bool momentOfFields(const D *d, int64_t *out) {
  int month = field(d, 2) - 1, carry = month >= 0 ? month / 12 : (month - 11) / 12; /* floor */
  int year = field(d, 0) + carry;
  month -= carry * 12;
  if (year < kFirstYear || year > kLastYear) return false;
  SYSTEMTIME first = {(WORD)year, (WORD)(month + 1), 0, 1, 0, 0, 0, 0};
  bool ok;
  int64_t m = toMoment(first, &ok);
  int64_t seconds = (int64_t)field(d, 8) * 3600 + field(d, 10) * 60 + field(d, 12);
  m += (int64_t)(field(d, 6) - 1) * kDay + seconds * kSecond + (int64_t)field(d, 14) * 10000;
  *out = m;
  return ok && representable(m);
}

// Written fields become a moment again; fields naming no representable moment
// give way to the previous moment, so what reads back is always the moment held.
static void recompute(D *d) {
  if (!d->pending) return;
  int64_t m;
  setMoment(d, momentOfFields(d, &m) ? m : d->moment);
}

static D *ready(Object *date) {
  D *d = (D *)date;
  firstUse(d);
  recompute(d);
  return d;
}

/* ---- numeric fields ---- */

static int dayOfYear(const D *d) {
  SYSTEMTIME jan1 = {d->fields.wYear, 1, 0, 1, 0, 0, 0, 0};
  bool ok;
  return (int)((d->moment - toMoment(jan1, &ok)) / kDay) + 1;
}

// Weeks start on Sunday; the week holding 1 January is week 1.
static int weekOfYear(const D *d) {
  int day = dayOfYear(d) - 1, jan1 = ((d->fields.wDayOfWeek - day) % 7 + 7) % 7;
  return (day + jan1) / 7 + 1;
}

int32_t dateFieldGetter(Object *date, int32_t which) {
  D *d = ready(date);
  const SYSTEMTIME &f = d->fields;
  switch ((DateField)which) {
  case DateField::Year:
    return f.wYear;
  case DateField::Month:
    return f.wMonth;
  case DateField::Day:
    return f.wDay;
  case DateField::Hour:
    return f.wHour;
  case DateField::Minute:
    return f.wMinute;
  case DateField::Second:
    return f.wSecond;
  case DateField::DayOfWeek:
    return f.wDayOfWeek + 1;
  case DateField::DayOfYear:
    return dayOfYear(d);
  case DateField::WeekOfYear:
    return weekOfYear(d);
  }
  return 0;
}

// Values beyond 16 bits stop at its ends rather than wrapping into another date.
static WORD clamp16(int32_t v) {
  return (WORD)(int16_t)(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
}

void dateFieldSetter(Object *date, int32_t which, int32_t value) {
  D *d = (D *)date;
  firstUse(d);
  SYSTEMTIME &f = d->fields;
  WORD *slot[] = {&f.wYear, &f.wMonth, &f.wDay, &f.wHour, &f.wMinute, &f.wSecond, &f.wDayOfWeek};
  if (which < 0 || which > (int32_t)DateField::DayOfWeek)
    return;                                            /* DayOfYear, WeekOfYear: read only */
  if (which == (int32_t)DateField::DayOfWeek) value--; /* kept, but names no moment */
  *slot[which] = clamp16(value);
  d->pending = 1;
}

/* ---- seconds since 1904 ---- */

double dateTotalSecondsGetter(Object *date, int32_t) {
  D *d = (D *)date;
  firstUse(d);
  D copy = *d; /* the object itself stays pending */
  recompute(&copy);
  return (double)(copy.moment - kMoment1904) * 0.0000001;
}

void dateTotalSecondsSetter(Object *date, int32_t, double seconds) {
  D *d = (D *)date;
  firstUse(d);
  double m = (double)kMoment1904 + 10000000.0 * seconds;
  if (!(m >= 0 && m <= (double)kLastMoment)) return; /* NaN or no representable moment */
  setMoment(d, (int64_t)m);
}

/* ---- texts ---- */

static bool quoteOrLead(const char *p, bool *quoted, int *skip) {
  if (*p == '\'') {
    *quoted = !*quoted;
    return true;
  }
  *skip = IsDBCSLeadByte((BYTE)*p) && p[1] ? 2 : 1; /* a trail byte is never a letter */
  return *quoted || *skip == 2;
}

// One pass: outside quotes every "dddd" loses a d and every "MMMM" an M.
static void shortenOnce(char *picture) {
  bool quoted = false;
  char *out = picture;
  for (const char *p = picture; *p;) {
    int skip = 1;
    if (!quoteOrLead(p, &quoted, &skip) && (!strncmp(p, "dddd", 4) || !strncmp(p, "MMMM", 4))) {
      memmove(out, p, 3);
      out += 3, p += 4;
      continue;
    }
    memmove(out, p, skip);
    out += skip, p += skip;
  }
  *out = 0;
}

void date_shorten_picture(char *picture) {
  for (size_t before = 0; before != strlen(picture);) {
    before = strlen(picture);
    shortenOnce(picture);
  }
}

void date_abbreviated_picture(char *out, int size) {
  if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLONGDATE, out, size)) out[0] = 0;
  date_shorten_picture(out);
}

static int format(const SYSTEMTIME &st, DateText which, char *buf, int size) {
  char picture[80];
  switch (which) {
  case DateText::Short:
    return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, size);
  case DateText::Long:
    return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &st, nullptr, buf, size);
  case DateText::Abbreviated:
    date_abbreviated_picture(picture, sizeof picture);
    return GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, picture, buf, size);
  case DateText::ShortTime:
    return GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &st, nullptr, buf, size);
  case DateText::LongTime:
    return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, size);
  }
  return 0;
}

RString *dateStringGetter(Object *date, int32_t which) {
  D *d = (D *)date;
  firstUse(d);
  D copy = *d; /* the object's fields and pending flag stay as they were */
  recompute(&copy);
  char buf[256];
  int n = format(copy.fields, (DateText)which, buf, sizeof buf);
  return n > 1 ? str_make(buf, n - 1) : nullptr;
}

/* ---- the class ---- */

static void makeDate(Object *o, ClassDef *) { firstUse((D *)o); }

void date_classes_attach() { registry_find("Date")->constructor = makeDate; }
