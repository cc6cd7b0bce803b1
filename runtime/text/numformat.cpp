// Number patterns: choosing the section for the value's sign, reading what
// the section asks for, formatting the magnitude with the C library's fixed
// or exponent conversion, and walking the section again to lay the text out.
#include "text/numformat.h"
#include <cmath>
#include <cstdio>
#include <cstring>

enum {
  kFixedDecimalsMax = 1100, // a double has at most 1074 fraction digits: more are zeros
  kExpDecimalsMax = 800,    // and at most 767 significant ones
  kDigitsBytes = 1500,      // room for either conversion at those caps
};

struct Out {
  uint8_t *p;  // the caller's buffer
  int64_t cap; // its size
  int64_t n;   // bytes of text so far, written or not
};

static void put(Out *o, uint8_t c) {
  if (o->n < o->cap) o->p[o->n] = c;
  o->n++;
}

static void put_text(Out *o, const char *s) {
  while (*s) put(o, (uint8_t)*s++);
}

struct Span {
  const uint8_t *p; // first byte
  int32_t n;        // bytes
};

/* ---- sections ---- */

// The first two ";" that no "\" escapes, or -1.
static void find_separators(Span pat, int32_t *s1, int32_t *s2) {
  *s1 = *s2 = -1;
  for (int32_t i = 0; i < pat.n; i++) {
    if (pat.p[i] == '\\') {
      i++;
      continue;
    }
    if (pat.p[i] != ';') continue;
    if (*s1 < 0) {
      *s1 = i;
    } else {
      *s2 = i;
      return;
    }
  }
}

static Span part(Span pat, int32_t from, int32_t to) { return {pat.p + from, to - from}; }

static Span choose_section(double x, Span pat) {
  int32_t s1, s2;
  find_separators(pat, &s1, &s2);
  Span first = s1 < 0 ? pat : part(pat, 0, s1);
  if (x < 0) {
    if (s1 < 0) return pat;
    return part(pat, s1 + 1, s2 < 0 ? pat.n : s2);
  }
  if (x == 0 && s2 >= 0) return part(pat, s2 + 1, pat.n);
  return first; /* positive, zero without a third section, and NaN */
}

static bool is_scientific(Span pat) {
  static const char word[] = "scientific";
  if (pat.n != (int32_t)sizeof word - 1) return false;
  for (int32_t i = 0; i < pat.n; i++)
    if ((pat.p[i] | 0x20) != (uint8_t)word[i]) return false;
  return true;
}

/* ---- what the section asks for ---- */

struct Layout {
  int32_t intPlaces; // digit placeholders before the point
  int32_t decPlaces; // digit placeholders after it, before any exponent letter
  int32_t percents;  // each "%" multiplies by 100
  bool grouping;     // a "," asked for thousands separators
  bool exponent;     // an "e" or "E" asked for the exponent form
};

static Layout analyse(Span s) {
  Layout l = {0, 0, 0, false, false};
  bool afterPoint = false;
  for (int32_t i = 0; i < s.n; i++) {
    uint8_t c = s.p[i];
    if (c == '\\')
      i++;
    else if ((c == '#' || c == '0') && !l.exponent)
      (afterPoint ? l.decPlaces : l.intPlaces)++;
    else if (c == '.')
      afterPoint = true;
    else if (c == '%')
      l.percents++;
    else if (c == ',')
      l.grouping = true;
    else if (c == 'e' || c == 'E')
      l.exponent = true;
  }
  return l;
}

/* ---- the formatted magnitude ---- */

struct Digits {
  char text[kDigitsBytes]; // the C library's conversion, trimmed
  Span ip, fp;             // integer and fraction digits
  bool expNegative;        // exponent form: the exponent's sign
  Span expDigits;          // exponent form: its digits
};

static Span text_span(const char *from, const char *to) {
  return {(const uint8_t *)from, (int32_t)(to - from)};
}

static void convert(double ax, const Layout *l, Digits *d) {
  int decimals = l->decPlaces;
  int cap = l->exponent ? kExpDecimalsMax : kFixedDecimalsMax;
  int len = snprintf(d->text, sizeof d->text, l->exponent ? "%.*e" : "%.*f",
                     decimals < cap ? decimals : cap, ax);
  char *end = d->text + len, *e = strchr(d->text, 'e');
  char *mantEnd = e ? e : end;
  if (decimals > 0 && strchr(d->text, '.')) /* trailing zeros of the fraction go */
    while (mantEnd[-1] == '0') mantEnd--;
  char *point = (char *)memchr(d->text, '.', mantEnd - d->text);
  char *ipEnd = point ? point : mantEnd;
  d->ip = text_span(d->text, ipEnd);
  d->fp = point ? text_span(point + 1, mantEnd) : text_span(mantEnd, mantEnd);
  if (!l->exponent && d->ip.n == 1 && d->ip.p[0] == '0') d->ip.n = 0; /* no digit in front */
  d->expNegative = e && e[1] == '-';
  d->expDigits = e ? text_span(e + 2, end) : text_span(end, end);
}

/* ---- laying the text out ---- */

struct Walk {
  Out *out;
  const NumPunct *punct;
  const Digits *d;
  const Layout *l;
  int32_t place;  // integer placeholders still to come, counting the current one
  int32_t nextFp; // the next fraction digit to output
  bool produced;  // an integer placeholder has output something
};

// A digit of the integer part with the separator the grouping puts in front
// of it: remaining counts the integer places from this one to the point.
static void put_int_digit(Walk *w, uint8_t digit, int32_t remaining) {
  if (w->l->grouping && w->produced && remaining % 3 == 0) put_text(w->out, w->punct->thousands);
  put(w->out, digit);
  w->produced = true;
}

static void int_placeholder(Walk *w, uint8_t c) {
  Span ip = w->d->ip;
  int32_t surplus = ip.n - w->l->intPlaces;
  if (w->place == w->l->intPlaces) /* the first: every digit the places cannot hold */
    for (int32_t i = 0; i < surplus; i++) put_int_digit(w, ip.p[i], ip.n - i);
  int32_t at = ip.n - w->place; /* this placeholder's digit, aligned from the point */
  if (at >= 0)
    put_int_digit(w, ip.p[at], w->place);
  else if (c == '0')
    put_int_digit(w, '0', w->place);
  w->place--;
}

static void dec_placeholder(Walk *w, uint8_t c) {
  if (w->nextFp < w->d->fp.n)
    put(w->out, w->d->fp.p[w->nextFp++]);
  else if (c == '0')
    put(w->out, '0');
}

// The exponent letter at s.p[i], its digits and the sign its "+" or "-" asks
// for; returns the index of the last pattern byte used.
static int32_t put_exponent(Walk *w, Span s, int32_t i) {
  put(w->out, s.p[i]);
  uint8_t mode = i + 1 < s.n && (s.p[i + 1] == '+' || s.p[i + 1] == '-') ? s.p[++i] : '+';
  if (w->d->expNegative)
    put(w->out, '-');
  else if (mode == '+')
    put(w->out, '+');
  for (int32_t k = 0; k < w->d->expDigits.n; k++) put(w->out, w->d->expDigits.p[k]);
  return i;
}

static void lay_out(Walk *w, Span s, double x) {
  bool afterPoint = false, afterExp = false;
  for (int32_t i = 0; i < s.n; i++) {
    uint8_t c = s.p[i];
    if (c == '\\') {
      if (i + 1 < s.n) put(w->out, s.p[++i]);
    } else if (c == '#' || c == '0') {
      if (afterExp) continue; /* placeholders after the exponent letter are silent */
      if (afterPoint)
        dec_placeholder(w, c);
      else
        int_placeholder(w, c);
    } else if (c == '.') {
      if (!afterPoint) put_text(w->out, w->punct->decimal);
      afterPoint = true;
    } else if (c == '+') {
      if (x != 0) put(w->out, x < 0 ? '-' : '+');
    } else if (c == '-') {
      if (x < 0) put(w->out, '-');
    } else if (c == '%' || c == '(' || c == ')') {
      put(w->out, c);
    } else if ((c == 'e' || c == 'E') && w->l->exponent) {
      i = put_exponent(w, s, i);
      afterExp = true;
    } /* anything else is dropped: literals must be escaped */
  }
}

int64_t numformat(double x, const uint8_t *pattern, int32_t n, const NumPunct *punct, uint8_t *out,
                  int64_t cap) {
  static const char kScientific[] = "-#.000000E+";
  Span pat = {pattern, n > 0 ? n : 0};
  if (is_scientific(pat)) pat = text_span(kScientific, kScientific + sizeof kScientific - 1);
  Span s = choose_section(x, pat);
  Layout l = analyse(s);
  double ax = fabs(x);
  for (int32_t i = 0; i < l.percents && ax < HUGE_VAL; i++) ax *= 100;
  Digits d;
  convert(ax, &l, &d);
  Out o = {out, cap, 0};
  Walk w = {&o, punct, &d, &l, l.intPlaces, 0, false};
  lay_out(&w, s, x);
  return o.n;
}
