// Database values: the readers of SQL text for each type, the cross-type
// order, LIKE matching and the Shift-JIS-aware byte helpers.
#include "dbengine/dbvalue.h"
#include <charconv>
#include <cstring>

namespace {

const DbValue kNullValue = {kDbNull, 0, 0.0, {nullptr, 0}};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Shift-JIS lead bytes: 0x81-0x9F and 0xE0-0xFC.
bool sjis_lead_byte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

char fold_upper(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 32) : c; }
char fold_lower(char c) { return c >= 'A' && c <= 'Z' ? (char)(c + 32) : c; }

DbText trim_spaces(DbText t) {
  while (t.length > 0 && t.bytes[0] == ' ') t.bytes++, t.length--;
  while (t.length > 0 && t.bytes[t.length - 1] == ' ') t.length--;
  return t;
}

// Steps over a leading '+' (which from_chars does not take) and checks that
// one sign at most comes before the first digit or point.
bool signed_start(const char **p, const char *end) {
  const char *q = *p;
  if (q != end && (*q == '+' || *q == '-')) q++;
  if (q == end || !(is_digit(*q) || *q == '.')) return false;
  if (**p == '+') ++*p;
  return true;
}

// Optional sign then digits only, within [lo, hi].
bool parse_integer(DbText t, int64_t lo, int64_t hi, int64_t *out) {
  t = trim_spaces(t);
  const char *p = t.bytes, *end = t.bytes + t.length;
  if (!signed_start(&p, end)) return false;
  int64_t v = 0;
  auto r = std::from_chars(p, end, v);
  if (r.ec != std::errc() || r.ptr != end) return false;
  if (v < lo || v > hi) return false;
  *out = v;
  return true;
}

// Decimal only: no "inf", "nan" or hexadecimal forms.
bool parse_real(DbText t, double *out) {
  t = trim_spaces(t);
  const char *p = t.bytes, *end = t.bytes + t.length;
  if (!signed_start(&p, end)) return false;
  bool digits = false;
  for (const char *q = p; q != end; q++) {
    char c = *q;
    if (is_digit(c))
      digits = true;
    else if (c != '.' && c != 'e' && c != 'E' && c != '-' && c != '+')
      return false;
  }
  if (!digits) return false;
  auto r = std::from_chars(p, end, *out);
  if (r.ec == std::errc::result_out_of_range) return false;
  return r.ec == std::errc() && r.ptr == end;
}

bool parse_boolean(DbText t, int64_t *out) {
  t = trim_spaces(t);
  if (dbtext_equal_cstr_nocase(t, "true") || dbtext_equal_cstr_nocase(t, "1"))
    return *out = 1, true;
  if (dbtext_equal_cstr_nocase(t, "false") || dbtext_equal_cstr_nocase(t, "0"))
    return *out = 0, true;
  return false;
}

// n digits at p as a number.
bool digits_at(const char *p, int n, int *out) {
  int v = 0;
  for (int i = 0; i < n; i++) {
    if (!is_digit(p[i])) return false;
    v = v * 10 + (p[i] - '0');
  }
  *out = v;
  return true;
}

int days_in_month(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// "YYYY-MM-DD" at p (10 bytes).
bool valid_date(const char *p) {
  int y, m, d;
  if (!digits_at(p, 4, &y) || p[4] != '-' || !digits_at(p + 5, 2, &m) || p[7] != '-' ||
      !digits_at(p + 8, 2, &d))
    return false;
  return y >= 1 && m >= 1 && m <= 12 && d >= 1 && d <= days_in_month(y, m);
}

// "HH:MM:SS" at p (8 bytes).
bool valid_time(const char *p) {
  int h, m, s;
  if (!digits_at(p, 2, &h) || p[2] != ':' || !digits_at(p + 3, 2, &m) || p[5] != ':' ||
      !digits_at(p + 6, 2, &s))
    return false;
  return h < 24 && m < 60 && s < 60;
}

enum { kDateLength = 10, kTimeLength = 8, kTimestampLength = 19 };

bool valid_moment(DbType type, DbText t) {
  switch (type) {
  case kDbDate:
    return t.length == kDateLength && valid_date(t.bytes);
  case kDbTime:
    return t.length == kTimeLength && valid_time(t.bytes);
  default:
    return t.length == kTimestampLength && valid_date(t.bytes) && t.bytes[kDateLength] == ' ' &&
           valid_time(t.bytes + kDateLength + 1);
  }
}

// Compares an integer with a real exactly (a cast of either could round).
int compare_int_real(int64_t i, double d) {
  if (d != d) return 1; // NaN orders before every number
  if (d >= 9223372036854775808.0) return -1;
  if (d < -9223372036854775808.0) return 1;
  int64_t whole = (int64_t)d;
  if (i != whole) return i < whole ? -1 : 1;
  double frac = d - (double)whole;
  return frac > 0 ? -1 : frac < 0 ? 1 : 0;
}

int compare_bytes(DbText a, DbText b) {
  uint32_t n = a.length < b.length ? a.length : b.length;
  int c = n ? memcmp(a.bytes, b.bytes, n) : 0;
  if (c != 0) return c;
  return a.length < b.length ? -1 : a.length > b.length ? 1 : 0;
}

bool is_real(DbType t) { return t == kDbFloat || t == kDbDouble; }

int compare_numbers(const DbValue *a, const DbValue *b) {
  if (!is_real(a->type) && !is_real(b->type))
    return a->integer < b->integer ? -1 : a->integer > b->integer ? 1 : 0;
  if (!is_real(a->type)) return compare_int_real(a->integer, b->real);
  if (!is_real(b->type)) return -compare_int_real(b->integer, a->real);
  if (a->real != a->real || b->real != b->real) return (b->real != b->real) - (a->real != a->real);
  return a->real < b->real ? -1 : a->real > b->real ? 1 : 0;
}

// Matches one pattern character (pattern[pi..]) against text[ti..].
bool char_matches(DbText text, uint32_t ti, DbText pattern, uint32_t pi, uint32_t *tlen,
                  uint32_t *plen) {
  *tlen = dbtext_charlen(text, ti);
  *plen = dbtext_charlen(pattern, pi);
  if (pattern.bytes[pi] == '_' && *plen == 1) return true;
  return *tlen == *plen && memcmp(text.bytes + ti, pattern.bytes + pi, *plen) == 0;
}

void fold_text(DbText text, char *out, char (*fold)(char)) {
  for (uint32_t i = 0; i < text.length;) {
    uint32_t n = dbtext_charlen(text, i);
    if (n == 1)
      out[i] = fold(text.bytes[i]);
    else
      memcpy(out + i, text.bytes + i, n);
    i += n;
  }
}

} // namespace

DbText dbtext_cstr(const char *s) { return DbText{s, (uint32_t)strlen(s)}; }

uint32_t dbtext_charlen(DbText text, uint32_t i) {
  return sjis_lead_byte((uint8_t)text.bytes[i]) && i + 1 < text.length ? 2 : 1;
}

int32_t dbtext_equal_nocase(DbText a, DbText b) {
  if (a.length != b.length) return 0;
  for (uint32_t i = 0; i < a.length; i++)
    if (fold_lower(a.bytes[i]) != fold_lower(b.bytes[i])) return 0;
  return 1;
}

int32_t dbtext_equal_cstr_nocase(DbText a, const char *word) {
  return dbtext_equal_nocase(a, dbtext_cstr(word));
}

void dbtext_upper(DbText text, char *out) { fold_text(text, out, fold_upper); }
void dbtext_lower(DbText text, char *out) { fold_text(text, out, fold_lower); }

const char *dbtype_name(DbType type) {
  switch (type) {
  case kDbNull:
    return "null";
  case kDbSmallInt:
    return "smallint";
  case kDbInteger:
    return "integer";
  case kDbText:
    return "varchar";
  case kDbFloat:
    return "float";
  case kDbDouble:
    return "double";
  case kDbDate:
    return "date";
  case kDbTime:
    return "time";
  case kDbTimestamp:
    return "timestamp";
  case kDbBoolean:
    return "boolean";
  case kDbLongText:
    return "long varchar";
  case kDbBinary:
    return "long varbinary";
  }
  return "unknown";
}

DbClass dbtype_class(DbType type) {
  switch (type) {
  case kDbNull:
    return kDbClassNull;
  case kDbSmallInt:
  case kDbInteger:
  case kDbFloat:
  case kDbDouble:
  case kDbBoolean:
    return kDbClassNumber;
  default:
    return kDbClassText;
  }
}

int32_t dbvalue_parse(DbType type, DbText text, DbValue *out) {
  *out = kNullValue;
  DbValue v = kNullValue;
  v.type = type;
  bool ok = false;
  switch (type) {
  case kDbNull:
    return 0;
  case kDbSmallInt:
    ok = parse_integer(text, -32768, 32767, &v.integer);
    break;
  case kDbInteger:
    ok = parse_integer(text, INT32_MIN, INT32_MAX, &v.integer);
    break;
  case kDbBoolean:
    ok = parse_boolean(text, &v.integer);
    break;
  case kDbFloat:
  case kDbDouble:
    ok = parse_real(text, &v.real);
    break;
  case kDbDate:
  case kDbTime:
  case kDbTimestamp:
    v.text = trim_spaces(text);
    ok = valid_moment(type, v.text);
    break;
  case kDbText:
  case kDbLongText:
  case kDbBinary:
    v.text = text;
    ok = true;
    break;
  }
  if (!ok) return 0;
  *out = v;
  return 1;
}

int32_t dbvalue_from_assignment(DbType type, const DbAssignment *a, DbValue *out) {
  if (!a->quoted && dbtext_equal_cstr_nocase(a->value, "null")) return *out = kNullValue, 1;
  return dbvalue_parse(type, a->value, out);
}

int dbvalue_compare(const DbValue *a, const DbValue *b) {
  DbClass ca = dbtype_class(a->type), cb = dbtype_class(b->type);
  if (ca != cb) return ca < cb ? -1 : 1;
  if (ca == kDbClassNull) return 0;
  if (ca == kDbClassNumber) return compare_numbers(a, b);
  return compare_bytes(a->text, b->text);
}

uint32_t dbvalue_format(const DbValue *v, char *out, uint32_t size) {
  char buf[kDbValueTextMax];
  DbText t = {buf, 0};
  if (dbtype_class(v->type) == kDbClassText) {
    t = v->text;
  } else if (v->type == kDbNull) {
    t.length = 0;
  } else if (is_real(v->type)) {
    auto r = std::to_chars(buf, buf + sizeof buf, v->real);
    t.length = (uint32_t)(r.ptr - buf);
  } else {
    auto r = std::to_chars(buf, buf + sizeof buf, v->integer);
    t.length = (uint32_t)(r.ptr - buf);
  }
  if (t.length) memcpy(out, t.bytes, t.length < size ? t.length : size);
  return t.length;
}

// Greedy matching with one backtrack point: on a mismatch after a %, the %
// takes one more character and matching resumes. Linear space, no recursion.
int32_t dbtext_like(DbText text, DbText pattern) {
  uint32_t ti = 0, pi = 0, tlen, plen;
  uint32_t starP = UINT32_MAX, starT = 0;
  while (ti < text.length) {
    if (pi < pattern.length && pattern.bytes[pi] == '%') {
      starP = ++pi;
      starT = ti;
    } else if (pi < pattern.length && char_matches(text, ti, pattern, pi, &tlen, &plen)) {
      ti += tlen;
      pi += plen;
    } else if (starP != UINT32_MAX) {
      starT += dbtext_charlen(text, starT);
      ti = starT;
      pi = starP;
    } else {
      return 0;
    }
  }
  while (pi < pattern.length && pattern.bytes[pi] == '%') pi++;
  return pi == pattern.length;
}
