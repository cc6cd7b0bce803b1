// The encodings the runtime converts by itself, with no platform tables: UTF-8
// to and from UTF-16, and EUC-JP and ISO-2022-JP to and from Shift-JIS by the
// arithmetic between JIS X 0208 rows and cells and the Shift-JIS byte pairs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Code pages with a meaning to the converters.
enum : int32_t {
  kCpShiftJIS = 932,
  kCpUtf16LE = 1200,
  kCpUtf16BE = 1201,
  kCpWestern = 1252,
  kCpUsAscii = 20127,
  kCpEucJP = 20932,
  kCpEucJPMs = 51932,
  kCpIso2022JP = 50220,     // half-width katakana written as full-width
  kCpIso2022JPKana = 50221, // half-width katakana after ESC ( I
  kCpIso2022JPSO = 50222,   // half-width katakana between SO and SI
  kCpUtf8 = 65001,
};

inline bool cp_is_euc(int32_t cp) { return cp == kCpEucJP || cp == kCpEucJPMs; }
inline bool cp_is_iso2022(int32_t cp) { return cp >= kCpIso2022JP && cp <= kCpIso2022JPSO; }

// What a converter carries from one text to the next: the bytes of a sequence
// cut off at the end of the last text, and the ISO-2022-JP set then in force.
struct CarryState {
  uint8_t pending[3]; // 0: the unfinished sequence, oldest first
  uint8_t count : 2;  // 3: bytes in pending
  uint8_t set : 3;    //    the ISO-2022-JP character set (JisSet)
  uint8_t begun : 1;  //    some text has been decoded: a byte order mark is text now
  uint8_t spare : 2;
};
static_assert(sizeof(CarryState) == 4);

// The character sets an ISO-2022-JP text switches between.
enum JisSet : uint8_t {
  kSetAscii = 0,  // ESC ( B, and the start of every text
  kSetRoman = 1,  // ESC ( J, read as ASCII
  kSetKanji = 2,  // ESC $ B or ESC $ @: JIS X 0208 pairs
  kSetKana = 3,   // ESC ( I: half-width katakana as 0x21-0x5F
  kSetSupp = 4,   // ESC $ ( D: JIS X 0212 pairs, which Shift-JIS cannot hold
  kSetShifted = 5 // SO: half-width katakana until SI
};

const uint16_t kReplacement = 0xFFFD; // what an invalid sequence decodes to
const uint8_t kUnmappable = '?';      // what a character an encoding lacks becomes

// Japanese text decoded to Shift-JIS, with the places where invalid input was
// dropped: each offset in bad is where one replacement character belongs.
struct SjisText {
  std::vector<uint8_t> bytes;
  std::vector<size_t> bad;
};

bool sjis_lead(uint8_t b);
bool sjis_trail(uint8_t b);
inline bool sjis_kana(uint8_t b) { return b >= 0xA1 && b <= 0xDF; } // half-width katakana

// Shift-JIS pair <-> JIS X 0208 row and cell (1-94; leads past 0xEF give rows
// 95-120, which JIS X 0208 lacks).
void sjis_to_jis(uint8_t lead, uint8_t trail, int *row, int *cell);
void jis_to_sjis(int row, int cell, uint8_t out[2]);

// Decoders: each reads from the start of in and answers how many bytes it used;
// it stops only before a sequence that the end of the text cuts off.
size_t utf8_decode(const uint8_t *in, size_t n, std::vector<uint16_t> *out);
size_t euc_decode(const uint8_t *in, size_t n, SjisText *out);
size_t iso2022_decode(const uint8_t *in, size_t n, uint8_t *set, SjisText *out);

// Encoders. Lone surrogates become U+FFFD in UTF-8; Shift-JIS characters that
// the target lacks become '?'. An ISO-2022-JP text always ends in ASCII.
void utf8_encode(const uint16_t *in, size_t n, std::vector<uint8_t> *out);
void euc_encode(const uint8_t *sjis, size_t n, std::vector<uint8_t> *out);
void iso2022_encode(int32_t cp, const uint8_t *sjis, size_t n, std::vector<uint8_t> *out);
