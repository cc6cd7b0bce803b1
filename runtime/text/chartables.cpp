// The process's character tables, built once from the platform's answers for
// the ANSI code page and the user's default locale, and the number separators,
// read from the platform each time a conversion needs them.
#include "text/chartables.h"
#include <windows.h>

static CharTables tables;
static volatile LONG state; /* 0 not built, 1 being built, 2 ready */

static void build_single_byte(CharTables *t) {
  for (int b = 0; b < 256; b++) {
    char c = (char)b;
    WORD type = 0;
    t->upper[b] = t->lower[b] = (uint8_t)b;
    CharUpperBuffA((LPSTR)&t->upper[b], 1);
    CharLowerBuffA((LPSTR)&t->lower[b], 1);
    GetStringTypeExA(LOCALE_USER_DEFAULT, CT_CTYPE1, &c, 1, &type);
    t->space[b] = (type & (C1_SPACE | C1_BLANK)) != 0;
  }
}

static void build(CharTables *t) {
  t->codePage = GetACP();
  t->dbcs = false;
  for (int b = 0; b < 256; b++) {
    t->lead[b] = IsDBCSLeadByte((BYTE)b) != 0;
    t->dbcs |= t->lead[b];
  }
  for (int b = 0; b < 256; b++) t->upper[b] = t->lower[b] = (uint8_t)b; /* unused when dbcs */
  if (!t->dbcs) build_single_byte(t);
}

const CharTables *chartables() {
  if (state == 2) return &tables;
  if (InterlockedCompareExchange(&state, 1, 0) == 0) {
    build(&tables);
    InterlockedExchange(&state, 2);
  }
  while (state != 2) SwitchToThread(); /* another thread is building them */
  return &tables;
}

static void read_separator(LCTYPE what, char *out, const char *fallback) {
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, what, out, 4) > 0) return;
  lstrcpyA(out, fallback); /* longer than 3 bytes, or no answer */
}

void numpunct_read(NumPunct *out) {
  read_separator(LOCALE_SDECIMAL, out->decimal, ".");
  read_separator(LOCALE_STHOUSAND, out->thousands, ",");
}
