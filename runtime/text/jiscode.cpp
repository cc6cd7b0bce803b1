// UTF-8 to and from UTF-16, and EUC-JP and ISO-2022-JP to and from Shift-JIS,
// by arithmetic alone. Invalid input becomes one replacement per bad sequence;
// a sequence cut off by the end of the text is left for the next text.
#include "text/jiscode.h"

const uint8_t kEsc = 0x1B, kShiftOut = 0x0E, kShiftIn = 0x0F;
const uint8_t kEucKana = 0x8E, kEucSupp = 0x8F; // EUC-JP's single shifts 2 and 3
const int kRows = 94;

bool sjis_lead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool sjis_trail(uint8_t b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

void sjis_to_jis(uint8_t lead, uint8_t trail, int *row, int *cell) {
  int r = (lead <= 0x9F ? lead - 0x81 : lead - 0xC1) * 2 + 1;
  if (trail >= 0x9F) {
    *row = r + 1;
    *cell = trail - 0x9E;
  } else {
    *row = r;
    *cell = trail - 0x3F - (trail >= 0x80); /* 0x7F is skipped */
  }
}

void jis_to_sjis(int row, int cell, uint8_t out[2]) {
  out[0] = (uint8_t)((row + 1) / 2 + (row <= 62 ? 0x80 : 0xC0));
  if (row & 1)
    out[1] = (uint8_t)(cell + 0x3F + (cell >= 64));
  else
    out[1] = (uint8_t)(cell + 0x9E);
}

static bool in_gl(uint8_t b) { return b >= 0x21 && b <= 0x7E; } /* a 94-set byte, 7-bit */
static bool in_gr(uint8_t b) { return b >= 0xA1 && b <= 0xFE; } /* the same, 8-bit */

static void put_pair(SjisText *out, int row, int cell) {
  uint8_t pair[2];
  jis_to_sjis(row, cell, pair);
  out->bytes.push_back(pair[0]);
  out->bytes.push_back(pair[1]);
}

static void put_bad(SjisText *out) { out->bad.push_back(out->bytes.size()); }

// ---- UTF-8 ----

// Bytes in the sequence a lead byte starts, 0 for a byte that starts none.
static int utf8_length(uint8_t b) {
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 0;
}

// The range the second byte must fall in, which shuts out overlong forms,
// surrogates and code points past U+10FFFF.
static bool utf8_second_ok(uint8_t lead, uint8_t b) {
  uint8_t lo = 0x80, hi = 0xBF;
  if (lead == 0xE0) lo = 0xA0;
  if (lead == 0xED) hi = 0x9F;
  if (lead == 0xF0) lo = 0x90;
  if (lead == 0xF4) hi = 0x8F;
  return b >= lo && b <= hi;
}

// How many bytes of a sequence of len bytes at p are well formed (up to avail).
static int utf8_valid_prefix(const uint8_t *p, int len, size_t avail) {
  int k = 1;
  while (k < len && (size_t)k < avail) {
    bool ok = k == 1 ? utf8_second_ok(p[0], p[1]) : (p[k] & 0xC0) == 0x80;
    if (!ok) break;
    k++;
  }
  return k;
}

static void put_code_point(uint32_t c, std::vector<uint16_t> *out) {
  if (c < 0x10000) {
    out->push_back((uint16_t)c);
  } else {
    c -= 0x10000;
    out->push_back((uint16_t)(0xD800 | c >> 10));
    out->push_back((uint16_t)(0xDC00 | (c & 0x3FF)));
  }
}

size_t utf8_decode(const uint8_t *in, size_t n, std::vector<uint16_t> *out) {
  size_t i = 0;
  while (i < n) {
    int len = utf8_length(in[i]);
    if (len == 0) { /* a stray continuation or an impossible lead */
      out->push_back(kReplacement);
      i++;
      continue;
    }
    int good = utf8_valid_prefix(in + i, len, n - i);
    if (good < len) {
      if (i + good == n) return i; /* cut off by the end: wait for the rest */
      out->push_back(kReplacement);
      i += good;
      continue;
    }
    uint32_t c = len == 1 ? in[i] : in[i] & (0x7F >> len);
    for (int k = 1; k < len; k++) c = c << 6 | (in[i + k] & 0x3F);
    put_code_point(c, out);
    i += len;
  }
  return n;
}

static void put_utf8(uint32_t c, std::vector<uint8_t> *out) {
  if (c < 0x80) {
    out->push_back((uint8_t)c);
  } else if (c < 0x800) {
    out->push_back((uint8_t)(0xC0 | c >> 6));
    out->push_back((uint8_t)(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back((uint8_t)(0xE0 | c >> 12));
    out->push_back((uint8_t)(0x80 | (c >> 6 & 0x3F)));
    out->push_back((uint8_t)(0x80 | (c & 0x3F)));
  } else {
    out->push_back((uint8_t)(0xF0 | c >> 18));
    out->push_back((uint8_t)(0x80 | (c >> 12 & 0x3F)));
    out->push_back((uint8_t)(0x80 | (c >> 6 & 0x3F)));
    out->push_back((uint8_t)(0x80 | (c & 0x3F)));
  }
}

static bool is_high(uint16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
static bool is_low(uint16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

void utf8_encode(const uint16_t *in, size_t n, std::vector<uint8_t> *out) {
  for (size_t i = 0; i < n; i++) {
    uint16_t u = in[i];
    if (is_high(u) && i + 1 < n && is_low(in[i + 1])) {
      put_utf8(0x10000 + ((uint32_t)(u - 0xD800) << 10) + (in[i + 1] - 0xDC00), out);
      i++;
    } else {
      put_utf8(is_high(u) || is_low(u) ? kReplacement : u, out);
    }
  }
}

// ---- EUC-JP ----

size_t euc_decode(const uint8_t *in, size_t n, SjisText *out) {
  size_t i = 0;
  while (i < n) {
    uint8_t b = in[i];
    if (b < 0x80) {
      out->bytes.push_back(b);
      i++;
    } else if (b == kEucKana) {
      if (i + 1 == n) return i;
      if (sjis_kana(in[i + 1])) {
        out->bytes.push_back(in[i + 1]);
        i += 2;
      } else {
        put_bad(out);
        i++;
      }
    } else if (b == kEucSupp) { /* JIS X 0212: nothing in Shift-JIS holds it */
      size_t k = 1;
      while (k < 3 && i + k < n && in_gr(in[i + k])) k++;
      if (i + k == n && k < 3) return i;
      put_bad(out);
      i += k;
    } else if (in_gr(b)) {
      if (i + 1 == n) return i;
      if (in_gr(in[i + 1])) {
        put_pair(out, b - 0xA0, in[i + 1] - 0xA0);
        i += 2;
      } else {
        put_bad(out);
        i++;
      }
    } else {
      put_bad(out);
      i++;
    }
  }
  return n;
}

void euc_encode(const uint8_t *sjis, size_t n, std::vector<uint8_t> *out) {
  for (size_t i = 0; i < n; i++) {
    uint8_t b = sjis[i];
    if (sjis_kana(b)) {
      out->push_back(kEucKana);
      out->push_back(b);
    } else if (sjis_lead(b) && i + 1 < n && sjis_trail(sjis[i + 1])) {
      int row, cell;
      sjis_to_jis(b, sjis[++i], &row, &cell);
      if (row > kRows) {
        out->push_back(kUnmappable);
        continue;
      }
      out->push_back((uint8_t)(row + 0xA0));
      out->push_back((uint8_t)(cell + 0xA0));
    } else {
      out->push_back(b < 0x80 ? b : kUnmappable);
    }
  }
}

// ---- ISO-2022-JP ----

struct Escape {
  uint8_t bytes[3]; // after ESC
  uint8_t length;
  JisSet set;
};

static const Escape kEscapes[] = {
    {{'(', 'B'}, 2, kSetAscii},      {{'(', 'J'}, 2, kSetRoman}, {{'$', 'B'}, 2, kSetKanji},
    {{'$', '@'}, 2, kSetKanji},      {{'(', 'I'}, 2, kSetKana},  {{'$', '(', 'D'}, 3, kSetSupp},
    {{'$', '(', 'B'}, 3, kSetKanji},
};

// The escape sequence at p (after ESC): 1 found, 0 none, -1 cut off by the end.
static int match_escape(const uint8_t *p, size_t avail, const Escape **found) {
  bool prefix = false;
  for (const Escape &e : kEscapes) {
    size_t k = 0;
    while (k < e.length && k < avail && p[k] == e.bytes[k]) k++;
    if (k == e.length) {
      *found = &e;
      return 1;
    }
    if (k == avail) prefix = true;
  }
  return prefix ? -1 : 0;
}

static bool double_byte(uint8_t set) { return set == kSetKanji || set == kSetSupp; }

size_t iso2022_decode(const uint8_t *in, size_t n, uint8_t *set, SjisText *out) {
  size_t i = 0;
  while (i < n) {
    uint8_t b = in[i];
    if (b == kEsc) {
      const Escape *e = nullptr;
      int m = match_escape(in + i + 1, n - i - 1, &e);
      if (m < 0) return i;
      if (m == 0) { /* an escape we do not know: the ESC alone is bad */
        put_bad(out);
        i++;
        continue;
      }
      *set = e->set;
      i += 1 + e->length;
    } else if (b == kShiftOut || b == kShiftIn) {
      *set = b == kShiftOut ? kSetShifted : kSetAscii;
      i++;
    } else if (b >= 0x80) {
      put_bad(out);
      i++;
    } else if (!in_gl(b)) { /* controls and the space stand for themselves in every set */
      out->bytes.push_back(b);
      i++;
    } else if (*set == kSetKana || *set == kSetShifted) {
      if (b <= 0x5F)
        out->bytes.push_back((uint8_t)(b + 0x80));
      else
        put_bad(out);
      i++;
    } else if (double_byte(*set)) {
      if (i + 1 == n) return i;
      if (!in_gl(in[i + 1])) {
        put_bad(out);
        i++;
        continue;
      }
      if (*set == kSetKanji)
        put_pair(out, b - 0x20, in[i + 1] - 0x20);
      else
        put_bad(out);
      i += 2;
    } else {
      out->bytes.push_back(b);
      i++;
    }
  }
  return n;
}

// Full-width forms of the half-width katakana 0xA1-0xDF, as JIS row << 8 | cell.
static const uint16_t kFullWidth[63] = {
    0x0103, 0x0136, 0x0137, 0x0102, 0x0106, 0x0552, 0x0501, 0x0503, 0x0505, 0x0507, 0x0509,
    0x0543, 0x0545, 0x0547, 0x0523, 0x011C, 0x0502, 0x0504, 0x0506, 0x0508, 0x050A, 0x050B,
    0x050D, 0x050F, 0x0511, 0x0513, 0x0515, 0x0517, 0x0519, 0x051B, 0x051D, 0x051F, 0x0521,
    0x0524, 0x0526, 0x0528, 0x052A, 0x052B, 0x052C, 0x052D, 0x052E, 0x052F, 0x0532, 0x0535,
    0x0538, 0x053B, 0x053E, 0x053F, 0x0540, 0x0541, 0x0542, 0x0544, 0x0546, 0x0548, 0x0549,
    0x054A, 0x054B, 0x054C, 0x054D, 0x054F, 0x0553, 0x010B, 0x010C,
};

const uint8_t kVoiced = 0xDE, kSemiVoiced = 0xDF, kKanaU = 0xB3;

// The full-width form of the half-width katakana at p, joined with a voiced
// mark after it when the pair makes one character; answers the bytes used.
static int full_width(const uint8_t *p, size_t avail, int *row, int *cell) {
  uint16_t jis = kFullWidth[p[0] - 0xA1];
  *row = jis >> 8;
  *cell = jis & 0xFF;
  uint8_t next = avail > 1 ? p[1] : 0;
  bool voiceable = (p[0] >= 0xB6 && p[0] <= 0xC4) || (p[0] >= 0xCA && p[0] <= 0xCE);
  bool halfVoiceable = p[0] >= 0xCA && p[0] <= 0xCE;
  if (next == kVoiced && p[0] == kKanaU) {
    *cell = 84; /* ヴ */
    return 2;
  }
  if (next == kVoiced && voiceable) {
    *cell += 1;
    return 2;
  }
  if (next == kSemiVoiced && halfVoiceable) {
    *cell += 2;
    return 2;
  }
  return 1;
}

struct JisWriter {
  std::vector<uint8_t> *out;
  uint8_t set; // the set the output is in
};

static void switch_to(JisWriter *w, uint8_t set) {
  if (w->set == set) return;
  if (w->set == kSetShifted) w->out->push_back(kShiftIn);
  if (set == kSetShifted) {
    if (w->set != kSetAscii) w->out->insert(w->out->end(), {kEsc, '(', 'B'});
    w->out->push_back(kShiftOut);
  } else if (set == kSetKanji) {
    w->out->insert(w->out->end(), {kEsc, '$', 'B'});
  } else if (set == kSetKana) {
    w->out->insert(w->out->end(), {kEsc, '(', 'I'});
  } else if (w->set != kSetShifted) {
    w->out->insert(w->out->end(), {kEsc, '(', 'B'});
  }
  w->set = set;
}

static void put_jis(JisWriter *w, int row, int cell) {
  if (row > kRows) {
    switch_to(w, kSetAscii);
    w->out->push_back(kUnmappable);
    return;
  }
  switch_to(w, kSetKanji);
  w->out->push_back((uint8_t)(row + 0x20));
  w->out->push_back((uint8_t)(cell + 0x20));
}

void iso2022_encode(int32_t cp, const uint8_t *sjis, size_t n, std::vector<uint8_t> *out) {
  JisWriter w = {out, kSetAscii};
  for (size_t i = 0; i < n;) {
    uint8_t b = sjis[i];
    int row, cell;
    if (sjis_kana(b) && cp == kCpIso2022JP) {
      i += full_width(sjis + i, n - i, &row, &cell);
      put_jis(&w, row, cell);
    } else if (sjis_kana(b)) {
      switch_to(&w, cp == kCpIso2022JPKana ? kSetKana : kSetShifted);
      out->push_back((uint8_t)(b - 0x80));
      i++;
    } else if (sjis_lead(b) && i + 1 < n && sjis_trail(sjis[i + 1])) {
      sjis_to_jis(b, sjis[i + 1], &row, &cell);
      put_jis(&w, row, cell);
      i += 2;
    } else {
      switch_to(&w, kSetAscii);
      out->push_back(b < 0x80 && b != kEsc && b != kShiftOut && b != kShiftIn ? b : kUnmappable);
      i++;
    }
  }
  switch_to(&w, kSetAscii);
}
