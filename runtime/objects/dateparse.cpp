// Reading dates back from the texts the date getters write: the text is
// matched against the locale's short, long and abbreviated date pictures,
// each alone or followed by a space and the long or short time picture.
#include "objects/date.h"
#include <cstring>

struct Parsed {
  int year = -1, month = -1, day = -1, weekday = -1; // -1: not in the text
  int hour = 0, minute = 0, second = 0;
  int half = -1; // 0 morning, 1 afternoon for 12-hour pictures; -1 none
  bool hour12 = false;
};

// Reads 1 to max digits; nil when there is none.
static const char *digits(const char *t, int max, int *out) {
  int n = 0, v = 0;
  for (; n < max && t[n] >= '0' && t[n] <= '9'; n++) v = v * 10 + (t[n] - '0');
  *out = v;
  return n ? t + n : nullptr;
}

// The longest of the locale's names (types first .. first+count-1) that
// starts the text; its index is 0-based.
static const char *name(const char *t, LCTYPE first, int count, int *out) {
  size_t best = 0;
  for (int i = 0; i < count; i++) {
    char n[80];
    int len = GetLocaleInfoA(LOCALE_USER_DEFAULT, first + i, n, sizeof n) - 1;
    if (len > 0 && (size_t)len > best && !strncmp(t, n, len)) best = len, *out = i;
  }
  return best ? t + best : nullptr;
}

static const char *designator(const char *t, int *half) {
  char am[16], pm[16];
  int a = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_S1159, am, sizeof am) - 1;
  int p = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_S2359, pm, sizeof pm) - 1;
  if (a > 0 && !strncmp(t, am, a)) return *half = 0, t + a;
  if (p > 0 && !strncmp(t, pm, p)) return *half = 1, t + p;
  return nullptr;
}

// One picture element of `run` repeated letters, read from t into r.
static const char *element(char letter, int run, const char *t, Parsed *r) {
  switch (letter) {
  case 'd':
    if (run <= 2) return digits(t, 2, &r->day);
    return run == 3 ? name(t, LOCALE_SABBREVDAYNAME1, 7, &r->weekday)
                    : name(t, LOCALE_SDAYNAME1, 7, &r->weekday);
  case 'M':
    if (run <= 2) return digits(t, 2, &r->month);
    t = run == 3 ? name(t, LOCALE_SABBREVMONTHNAME1, 12, &r->month)
                 : name(t, LOCALE_SMONTHNAME1, 12, &r->month);
    r->month++;
    return t;
  case 'y':
    if (run > 2) return digits(t, 4, &r->year);
    t = digits(t, 2, &r->year);
    r->year += r->year < 30 ? 2000 : 1900; /* two-digit years: 1930 to 2029 */
    return t;
  case 'h':
    r->hour12 = true;
    return digits(t, 2, &r->hour);
  case 'H':
    return digits(t, 2, &r->hour);
  case 'm':
    return digits(t, 2, &r->minute);
  case 's':
    return digits(t, 2, &r->second);
  case 't':
    return designator(t, &r->half);
  }
  return nullptr; /* eras and anything else the getters do not write */
}

static bool isLetter(char c) { return c && strchr("dMyghHmst", c); }

// Quoted picture text from p (past its opening quote) must start *t exactly;
// '' stands for one quote. Returns the picture past the closing quote.
static const char *quoted(const char *p, const char **t) {
  if (*p == '\'') {
    *t = **t == '\'' ? *t + 1 : nullptr;
    return p + 1;
  }
  for (; *p && *p != '\'' && *t; p++) *t = **t == *p ? *t + 1 : nullptr;
  return *p ? p + 1 : p;
}

// Matches the whole picture from t; returns what follows or nil.
static const char *match(const char *picture, const char *t, Parsed *r) {
  for (const char *p = picture; *p && t;) {
    if (*p == '\'') {
      p = quoted(p + 1, &t);
    } else if (IsDBCSLeadByte((BYTE)*p) && p[1]) { /* a trail byte is never a letter */
      t = t[0] == p[0] && t[1] == p[1] ? t + 2 : nullptr;
      p += 2;
    } else if (isLetter(*p)) {
      int run = 1;
      while (p[run] == *p) run++;
      t = element(*p, run, t, r);
      p += run;
    } else {
      t = *t == *p ? t + 1 : nullptr;
      p++;
    }
  }
  return t;
}

static bool toFields(const Parsed &r, SYSTEMTIME *st) {
  int hour = r.hour;
  if (r.hour12) {
    if (hour < 1 || hour > 12) return false;
    hour = hour % 12 + (r.half == 1 ? 12 : 0);
  }
  if (r.year < 1601 || r.month < 1 || r.month > 12 || r.day < 1 || hour > 23 || r.minute > 59 ||
      r.second > 59)
    return false;
  *st = {(WORD)r.year,   (WORD)r.month,  0, (WORD)r.day, (WORD)hour,
         (WORD)r.minute, (WORD)r.second, 0};
  FILETIME ft; /* refuses 31 February and the like */
  if (!SystemTimeToFileTime(st, &ft) || !FileTimeToSystemTime(&ft, st)) return false;
  return r.weekday < 0 || r.weekday == (st->wDayOfWeek + 6) % 7; /* names run from Monday */
}

// Tries one date picture, alone and with each time picture after a space.
static bool tryPicture(const char *picture, const char *text, SYSTEMTIME *st) {
  char longTime[80], shortTime[80];
  if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, longTime, sizeof longTime))
    return false;
  strcpy(shortTime, longTime);
  if (char *s = strstr(shortTime, ":ss")) memmove(s, s + 3, strlen(s + 3) + 1);
  const char *times[] = {"", longTime, shortTime};
  for (const char *time : times) {
    Parsed r;
    const char *rest = match(picture, text, &r);
    if (rest && *time) rest = *rest == ' ' ? match(time, rest + 1, &r) : nullptr;
    if (rest && !*rest && toFields(r, st)) return true;
  }
  return false;
}

bool parseDate(RString *text, Object *date) {
  if (!date || !str_len(text)) return false;
  char pictures[3][80];
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, pictures[0], 80);
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLONGDATE, pictures[1], 80);
  date_abbreviated_picture(pictures[2], 80);
  SYSTEMTIME st;
  for (const char *picture : pictures)
    if (tryPicture(picture, str_cview(text), &st)) return date_set_fields((DateObject *)date, st);
  return false;
}
