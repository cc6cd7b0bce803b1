// The text form of a printer setup: fields written as "name=value" after a
// versioned heading, ";"-separated, the printer's name escaped, and a
// CRC-32 of everything before it last. Reading accepts nothing else.
#include "printing/setupstring.h"
#include <cstdio>
#include <cstring>

static const char kHeading[] = "PrinterSetup 1";
static const char kCheckKey[] = ";check=";

// One numeric field: its name, its place in SetupFields and its range.
struct NumberField {
  const char *name;
  int32_t SetupFields::*member;
  int32_t low, high;
};

static const NumberField kNumbers[] = {
    {"landscape", &SetupFields::landscape, 0, 1},
    {"paper", &SetupFields::paper, 0, kDeviceShortMax},
    {"length", &SetupFields::paperLength, 0, kDeviceShortMax},
    {"width", &SetupFields::paperWidth, 0, kDeviceShortMax},
    {"quality", &SetupFields::quality, -4, kDeviceShortMax}, /* -1 to -4: draft to high */
    {"yres", &SetupFields::yResolution, 0, kDeviceShortMax},
    {"hres", &SetupFields::resolutionX, 0, kResolutionMax},
    {"vres", &SetupFields::resolutionY, 0, kResolutionMax},
};

static uint32_t crc32(const char *p, int32_t n) {
  uint32_t crc = 0xFFFFFFFFu;
  for (int32_t i = 0; i < n; i++) {
    crc ^= (uint8_t)p[i];
    for (int bit = 0; bit < 8; bit++) crc = crc >> 1 ^ (0xEDB88320u & -(crc & 1));
  }
  return ~crc;
}

static int32_t clamp(int32_t v, int32_t low, int32_t high) {
  return v < low ? low : v > high ? high : v;
}

/* ---- writing ---- */

// Bytes a name keeps as they are; the rest are written %XX.
static bool plain(uint8_t c) { return c > ' ' && c < 0x7F && c != '%' && c != ';' && c != '='; }

static int32_t putName(char *out, const char *name) {
  int32_t n = 0;
  for (const uint8_t *p = (const uint8_t *)name; *p && p - (const uint8_t *)name < kPrinterNameMax;
       p++)
    n += plain(*p) ? (out[n] = (char)*p, 1) : sprintf(out + n, "%%%02X", *p);
  return n;
}

int32_t setup_encode(const SetupFields &fields, char *out) {
  int32_t n = sprintf(out, "%s;printer=", kHeading);
  n += putName(out + n, fields.printer);
  for (const NumberField &f : kNumbers)
    n += sprintf(out + n, ";%s=%ld", f.name, (long)clamp(fields.*f.member, f.low, f.high));
  n += sprintf(out + n, "%s%08lX", kCheckKey, (unsigned long)crc32(out, n));
  return n;
}

/* ---- reading ---- */

// A cursor over the text being read; every step fails on what it does not expect.
struct Reader {
  const char *p, *end;
};

static bool literal(Reader &r, const char *text) {
  size_t n = strlen(text);
  if ((size_t)(r.end - r.p) < n || memcmp(r.p, text, n) != 0) return false;
  r.p += n;
  return true;
}

static int hexDigit(char c) {
  return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

static bool readName(Reader &r, char *name) {
  int32_t n = 0;
  while (r.p < r.end && *r.p != ';') {
    int c = (uint8_t)*r.p++;
    if (c == '%') {
      int high = r.end - r.p >= 2 ? hexDigit(r.p[0]) : -1, low = high < 0 ? -1 : hexDigit(r.p[1]);
      if (low < 0) return false;
      c = high << 4 | low;
      r.p += 2;
      if (c == 0 || plain((uint8_t)c)) return false; /* only what writing escapes */
    } else if (!plain((uint8_t)c)) {
      return false;
    }
    if (n + 1 >= kPrinterNameMax) return false;
    name[n++] = (char)c;
  }
  name[n] = 0;
  return true;
}

// A decimal number, optionally negative, within [low, high].
static bool readNumber(Reader &r, int32_t low, int32_t high, int32_t *value) {
  bool negative = r.p < r.end && *r.p == '-';
  if (negative) r.p++;
  int64_t v = 0;
  const char *start = r.p;
  while (r.p < r.end && *r.p >= '0' && *r.p <= '9' && r.p - start < 10) v = v * 10 + (*r.p++ - '0');
  if (r.p == start || (r.p < r.end && *r.p >= '0' && *r.p <= '9')) return false;
  v = negative ? -v : v;
  if (v < low || v > high) return false;
  *value = (int32_t)v;
  return true;
}

static bool readCheck(Reader &r, uint32_t *check) {
  if (r.end - r.p != 8) return false;
  uint32_t v = 0;
  for (; r.p < r.end; r.p++) {
    int d = hexDigit(*r.p);
    if (d < 0) return false;
    v = v << 4 | (uint32_t)d;
  }
  *check = v;
  return true;
}

bool setup_decode(const char *text, int32_t length, SetupFields *fields) {
  if (!text || length <= 0 || length >= kSetupTextMax) return false;
  Reader r = {text, text + length};
  SetupFields read = {};
  if (!literal(r, kHeading) || !literal(r, ";printer=") || !readName(r, read.printer)) return false;
  for (const NumberField &f : kNumbers) {
    if (!literal(r, ";") || !literal(r, f.name) || !literal(r, "=")) return false;
    if (!readNumber(r, f.low, f.high, &(read.*f.member))) return false;
  }
  int32_t body = (int32_t)(r.p - text);
  uint32_t check;
  if (!literal(r, kCheckKey) || !readCheck(r, &check) || check != crc32(text, body)) return false;
  *fields = read;
  return true;
}
