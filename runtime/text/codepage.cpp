// Code page conversion: the runtime's own converters for UTF-8, UTF-16 and the
// Japanese EUC-JP and ISO-2022-JP, the platform's tables for the rest, and the
// bytes a converter carries between texts.
#include "text/codepage.h"
#include "text/string.h"
#include <windows.h>

const uint16_t kByteOrderMark = 0xFEFF;
const uint8_t kLowestTrail = 0x40; // no double-byte code page ends a pair below it

int32_t cp_resolve(int32_t cp) { return cp == CP_ACP ? (int32_t)GetACP() : cp; }

static bool own_converter(int32_t cp) {
  return cp == kCpUtf8 || cp == kCpUtf16LE || cp == kCpUtf16BE || cp_is_euc(cp) ||
         cp_is_iso2022(cp);
}

bool cp_known(int32_t cp) {
  cp = cp_resolve(cp);
  return own_converter(cp) || (cp > 0 && cp < 0x10000 && IsValidCodePage((UINT)cp));
}

// Code pages whose platform converters take no flags and no default character.
static bool plain_platform_page(int32_t cp) {
  return cp == 42 || cp == 65000 || (cp >= 50220 && cp <= 50229) || cp == 52936 || cp == 54936 ||
         (cp >= 57002 && cp <= 57011);
}

// ---- decoding ----

// Shift-JIS from the runtime's Japanese decoders, through the platform's table,
// with U+FFFD where the decoder found invalid input.
static void sjis_to_units(const SjisText &t, std::vector<uint16_t> *out);

// One platform character (one or two bytes) at a time, U+FFFD for each that
// the code page does not define: for an undefined pair, or a lead byte that
// no pair could follow.
static void platform_decode_slowly(UINT cp, const uint8_t *p, size_t n,
                                   std::vector<uint16_t> *out) {
  for (size_t i = 0; i < n;) {
    int len = i + 1 < n && IsDBCSLeadByteEx(cp, p[i]) ? 2 : 1;
    WCHAR w[2];
    int got = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, (LPCSTR)p + i, len, w, 2);
    if (got <= 0 && len == 2 && p[i + 1] < kLowestTrail) { /* the lead byte alone is bad */
      len = 1;
      got = 0;
    }
    if (got <= 0) out->push_back(kReplacement);
    for (int k = 0; k < got; k++) out->push_back(w[k]);
    i += len;
  }
}

static void platform_decode(UINT cp, const uint8_t *p, size_t n, std::vector<uint16_t> *out) {
  if (n == 0) return;
  DWORD flags = plain_platform_page((int32_t)cp) ? 0 : MB_ERR_INVALID_CHARS;
  size_t at = out->size();
  int need = MultiByteToWideChar(cp, flags, (LPCSTR)p, (int)n, nullptr, 0);
  if (need <= 0) {
    platform_decode_slowly(cp, p, n, out);
    return;
  }
  out->resize(at + need);
  MultiByteToWideChar(cp, flags, (LPCSTR)p, (int)n, (LPWSTR)out->data() + at, need);
}

// Where the last whole character of a double-byte code page ends.
static size_t dbcs_whole(UINT cp, const uint8_t *p, size_t n) {
  size_t i = 0;
  while (i < n) {
    if (!IsDBCSLeadByteEx(cp, p[i])) {
      i++;
    } else {
      if (i + 1 == n) return i;
      i += 2;
    }
  }
  return n;
}

static size_t utf16_decode(bool big, const uint8_t *p, size_t n, std::vector<uint16_t> *out) {
  size_t i = 0;
  for (; i + 1 < n; i += 2) {
    uint16_t u = big ? (uint16_t)(p[i] << 8 | p[i + 1]) : (uint16_t)(p[i] | p[i + 1] << 8);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 >= n) break; /* its low half may follow */
    out->push_back(u);
  }
  return i;
}

static void sjis_to_units(const SjisText &t, std::vector<uint16_t> *out) {
  size_t from = 0;
  for (size_t bad : t.bad) {
    platform_decode(kCpShiftJIS, t.bytes.data() + from, bad - from, out);
    out->push_back(kReplacement);
    from = bad;
  }
  platform_decode(kCpShiftJIS, t.bytes.data() + from, t.bytes.size() - from, out);
}

// Decodes what it can of p; answers the bytes it used.
static size_t decode_some(int32_t cp, CarryState *carry, const uint8_t *p, size_t n,
                          std::vector<uint16_t> *out) {
  if (cp == kCpUtf8) return utf8_decode(p, n, out);
  if (cp == kCpUtf16LE || cp == kCpUtf16BE) return utf16_decode(cp == kCpUtf16BE, p, n, out);
  if (cp_is_euc(cp) || cp_is_iso2022(cp)) {
    SjisText t;
    uint8_t set = carry->set;
    size_t used = cp_is_euc(cp) ? euc_decode(p, n, &t) : iso2022_decode(p, n, &set, &t);
    carry->set = set;
    sjis_to_units(t, out);
    return used;
  }
  size_t whole = dbcs_whole((UINT)cp, p, n);
  platform_decode((UINT)cp, p, whole, out);
  return whole;
}

void cp_decode(int32_t cp, CarryState *carry, const uint8_t *in, size_t n, bool last,
               std::vector<uint16_t> *out) {
  cp = cp_resolve(cp);
  std::vector<uint8_t> joined(carry->pending, carry->pending + carry->count);
  joined.insert(joined.end(), in, in + n);
  carry->count = 0;
  size_t at = out->size();
  size_t used = decode_some(cp, carry, joined.data(), joined.size(), out);
  size_t left = joined.size() - used;
  if (left > sizeof carry->pending || (left && last)) {
    out->push_back(kReplacement); /* never happens for a sequence shorter than the carry */
    left = 0;
  }
  for (size_t k = 0; k < left; k++) carry->pending[k] = joined[used + k];
  carry->count = (uint8_t)left;
  if (!carry->begun && out->size() > at && (*out)[at] == kByteOrderMark &&
      (cp == kCpUtf8 || cp == kCpUtf16LE || cp == kCpUtf16BE))
    out->erase(out->begin() + at);
  if (out->size() > at) carry->begun = 1;
}

// ---- encoding ----

static void platform_encode(UINT cp, const uint16_t *in, size_t n, std::vector<uint8_t> *out) {
  if (n == 0) return;
  bool plain = plain_platform_page((int32_t)cp) || cp == kCpUtf8;
  DWORD flags = plain ? 0 : WC_NO_BEST_FIT_CHARS;
  LPCSTR fallback = plain ? nullptr : "?";
  int need = WideCharToMultiByte(cp, flags, (LPCWSTR)in, (int)n, nullptr, 0, fallback, nullptr);
  if (need <= 0) return;
  size_t at = out->size();
  out->resize(at + need);
  WideCharToMultiByte(cp, flags, (LPCWSTR)in, (int)n, (LPSTR)out->data() + at, need, fallback,
                      nullptr);
}

void cp_encode(int32_t cp, const uint16_t *in, size_t n, std::vector<uint8_t> *out) {
  cp = cp_resolve(cp);
  if (cp == kCpUtf8) {
    utf8_encode(in, n, out);
  } else if (cp == kCpUtf16LE || cp == kCpUtf16BE) {
    for (size_t i = 0; i < n; i++) {
      uint8_t lo = (uint8_t)in[i], hi = (uint8_t)(in[i] >> 8);
      out->push_back(cp == kCpUtf16BE ? hi : lo);
      out->push_back(cp == kCpUtf16BE ? lo : hi);
    }
  } else if (cp_is_euc(cp) || cp_is_iso2022(cp)) {
    std::vector<uint8_t> sjis;
    platform_encode(kCpShiftJIS, in, n, &sjis);
    if (cp_is_euc(cp))
      euc_encode(sjis.data(), sjis.size(), out);
    else
      iso2022_encode(cp, sjis.data(), sjis.size(), out);
  } else {
    platform_encode((UINT)cp, in, n, out);
  }
}

void cp_convert(int32_t from, int32_t to, CarryState *carry, const uint8_t *in, size_t n, bool last,
                std::vector<uint8_t> *out) {
  std::vector<uint16_t> units;
  cp_decode(from, carry, in, n, last, &units);
  cp_encode(to, units.data(), units.size(), out);
}

RString *str_convert(RString *s, int32_t from, int32_t to) {
  CarryState carry = {};
  std::vector<uint8_t> out;
  cp_convert(from, to, &carry, (const uint8_t *)str_cview(s), (size_t)str_len(s), true, &out);
  return str_make(out.data(), (int32_t)out.size());
}
