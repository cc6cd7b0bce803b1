// The Japanese encoding guess: each candidate decoding is scored by how many
// errors it meets and how plausible the characters it yields are.
#include "text/jguess.h"
#include "text/jiscode.h"

const int kErrorCost = 20; // one invalid sequence outweighs many plausible characters

// How plausible a JIS X 0208 character is in Japanese text.
static int row_score(int row) {
  if (row == 4 || row == 5) return 3;   /* hiragana, katakana */
  if (row >= 16 && row <= 47) return 2; /* the common kanji */
  if (row == 1 || row == 3) return 1;   /* punctuation, full-width letters and digits */
  if (row >= 48 && row <= 84) return 0; /* the rarer kanji */
  if (row == 2 || (row >= 6 && row <= 8) || row == 13) return 0; /* symbols, Greek, boxes */
  return -3; /* unassigned rows and the vendors' extensions */
}

// How plausible a UTF-16 code unit is in Japanese text.
static int unit_score(uint16_t u) {
  if (u >= 0x3041 && u <= 0x30FF) return 3; /* kana */
  if (u >= 0x4E00 && u <= 0x9FFF) return 2; /* CJK ideographs */
  if ((u >= 0x3000 && u <= 0x303F) || (u >= 0xFF01 && u <= 0xFF9F)) return 1;
  if (u == '\r' || u == '\n' || u == '\t' || (u >= 0x20 && u < 0x7F)) return 0;
  return -3;
}

static int kanji_score(const SjisText &t, size_t consumed, size_t n) {
  int score = -(int)t.bad.size() * kErrorCost;
  if (consumed < n) score -= kErrorCost; /* cut off at the end */
  const std::vector<uint8_t> &b = t.bytes;
  for (size_t i = 0; i < b.size(); i++) {
    if (sjis_kana(b[i])) {
      score -= 1; /* rare in running text, and what EUC-JP reads as in Shift-JIS */
    } else if (sjis_lead(b[i]) && i + 1 < b.size()) {
      int row, cell;
      sjis_to_jis(b[i], b[i + 1], &row, &cell);
      score += row_score(row);
      i++;
    }
  }
  return score;
}

// Shift-JIS read as itself: the bytes are checked and scored in place.
static int sjis_score(const uint8_t *p, size_t n) {
  SjisText t;
  size_t i = 0;
  while (i < n) {
    if (sjis_lead(p[i]) && i + 1 < n && sjis_trail(p[i + 1])) {
      t.bytes.push_back(p[i]);
      t.bytes.push_back(p[i + 1]);
      i += 2;
    } else if (p[i] < 0x80 || sjis_kana(p[i])) {
      t.bytes.push_back(p[i++]);
    } else {
      t.bad.push_back(t.bytes.size());
      i++;
    }
  }
  return kanji_score(t, n, n);
}

static int euc_score(const uint8_t *p, size_t n) {
  SjisText t;
  return kanji_score(t, euc_decode(p, n, &t), n);
}

static int units_score(const std::vector<uint16_t> &u) {
  int score = 0;
  for (uint16_t c : u) score += c == kReplacement ? -kErrorCost : unit_score(c);
  return score;
}

static int utf8_score(const uint8_t *p, size_t n) {
  std::vector<uint16_t> u;
  size_t used = utf8_decode(p, n, &u);
  return units_score(u) - (used < n ? kErrorCost : 0);
}

static int utf16_score(const uint8_t *p, size_t n) {
  if (n % 2) return -kErrorCost;
  std::vector<uint16_t> u;
  for (size_t i = 0; i < n; i += 2) u.push_back((uint16_t)(p[i] | p[i + 1] << 8));
  return units_score(u);
}

static bool starts_with(const uint8_t *p, size_t n, const char *mark, size_t m) {
  if (n < m) return false;
  for (size_t i = 0; i < m; i++)
    if (p[i] != (uint8_t)mark[i]) return false;
  return true;
}

// True when the text is 7-bit; *escaped when it holds an ISO-2022-JP escape.
static bool seven_bit(const uint8_t *p, size_t n, bool *escaped) {
  *escaped = false;
  for (size_t i = 0; i < n; i++) {
    if (p[i] >= 0x80) return false;
    if (p[i] == 0x1B && i + 2 < n && (p[i + 1] == '$' || p[i + 1] == '(')) *escaped = true;
  }
  return true;
}

// ASCII in UTF-16LE: every second byte is zero, and no other is.
static bool wide_ascii(const uint8_t *p, size_t n) {
  if (n == 0 || n % 2) return false;
  for (size_t i = 0; i < n; i += 2)
    if (p[i] == 0 || p[i + 1] != 0) return false;
  return true;
}

int32_t guess_japanese(const uint8_t *p, size_t n, int32_t fallback) {
  if (starts_with(p, n, "\xEF\xBB\xBF", 3)) return kCpUtf8;
  if (starts_with(p, n, "\xFF\xFE", 2)) return kCpUtf16LE;
  if (starts_with(p, n, "\xFE\xFF", 2)) return kCpUtf16BE;
  bool escaped;
  if (seven_bit(p, n, &escaped)) {
    if (escaped) return kCpIso2022JP;
    return wide_ascii(p, n) ? kCpUtf16LE : fallback;
  }
  struct Candidate {
    int32_t cp;
    int score;
  } candidates[] = {
      /* in order of preference when scores tie */
      {kCpUtf8, utf8_score(p, n)},
      {kCpShiftJIS, sjis_score(p, n)},
      {kCpEucJP, euc_score(p, n)},
      {kCpUtf16LE, utf16_score(p, n)},
  };
  const Candidate *best = &candidates[0];
  for (const Candidate &c : candidates)
    if (c.score > best->score) best = &c;
  return best->cp;
}
