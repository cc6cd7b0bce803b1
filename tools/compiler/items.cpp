// The checks of the files project items carry, and the cursor file's
// conversion. Each check reads only inside the bytes it is given.
#include "items.h"
#include <algorithm>
#include <cstring>

namespace basc {

namespace {

uint32_t le32(const uint8_t *b) { return b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24; }
uint16_t le16(const uint8_t *b) { return uint16_t(b[0] | b[1] << 8); }
bool starts(const img::Bytes &b, std::string_view prefix, size_t at = 0) {
  return b.size() >= at + prefix.size() &&
         std::memcmp(prefix.data(), b.data() + at, prefix.size()) == 0;
}

// The chunks of a RIFF list held in [at, end): each one's tag, body and size,
// as long as they fit.
struct Chunks {
  const img::Bytes &b;
  size_t at, end;
  size_t body = 0, size = 0;
  bool next(std::string_view *tag) {
    if (end < at + 8) return false;
    size = le32(&b[at + 4]);
    body = at + 8;
    if (size > end - body) return false;
    *tag = std::string_view((const char *)&b[at], 4);
    at = std::min(end, body + size + (size & 1));
    return true;
  }
};

// A stream list whose header says video and whose format gives a frame size.
bool video_stream(const img::Bytes &b, size_t at, size_t end) {
  Chunks c{b, at, end};
  std::string_view tag;
  bool video = false;
  while (c.next(&tag)) {
    if (tag == "strh" && c.size >= 48) video = starts(b, "vids", c.body);
    if (tag == "strf" && video && c.size >= 12) {
      int32_t w = int32_t(le32(&b[c.body + 4])), h = int32_t(le32(&b[c.body + 8]));
      return w > 0 && w <= 4096 && h != 0 && h >= -4096 && h <= 4096;
    }
  }
  return false;
}

} // namespace

// A picture file whole: a BMP's pixels (when uncompressed) inside the file,
// a PNG's closing chunk and a JPEG's end marker present.
std::string picture_problem(const img::Bytes &b) {
  if (starts(b, "BM")) {
    if (b.size() < 26) return "is a BMP file cut short";
    uint64_t pixels = le32(&b[10]), header = le32(&b[14]), need = pixels;
    if (header >= 40 && b.size() >= 34) {
      int64_t width = int32_t(le32(&b[18])), height = int32_t(le32(&b[22]));
      uint32_t bits = le16(&b[28]), compression = le32(&b[30]);
      if (width <= 0 || height == 0 || bits == 0) return "is a BMP file whose header is damaged";
      if (compression == 0 || compression == 3)
        need += uint64_t((width * bits + 31) / 32 * 4) * uint64_t(height < 0 ? -height : height);
    }
    return need <= b.size() ? "" : "is a BMP file cut short";
  }
  if (starts(b, "\x89PNG\r\n\x1a\n")) {
    std::string_view text((const char *)b.data(), b.size());
    return b.size() >= 33 && text.find("IEND", 33) != text.npos ? "" : "is a PNG file cut short";
  }
  if (starts(b, "\xFF\xD8\xFF")) {
    std::string_view text((const char *)b.data(), b.size());
    return text.find("\xFF\xD9", 3) != text.npos ? "" : "is a JPEG file cut short";
  }
  return "is not a BMP, PNG or JPEG picture";
}

// The form the runtime plays from the image: a RIFF WAVE file of 8-bit mono
// PCM samples at 22,050 per second, with its chunks inside the file.
std::string sound_problem(const img::Bytes &b) {
  if (!starts(b, "RIFF") || !starts(b, "WAVE", 8)) return "is not a WAVE sound";
  uint64_t end = std::min<uint64_t>(b.size(), uint64_t(le32(&b[4])) + 8), at = 12;
  bool format = false;
  while (end >= at + 8) {
    uint64_t size = le32(&b[at + 4]), body = at + 8;
    if (size > end - body) break;
    if (starts(b, "fmt ", at)) {
      const uint8_t *f = &b[body];
      if (size < 16 || le16(f) != 1 || le16(f + 2) != 1 || le32(f + 4) != 22050 ||
          le16(f + 14) != 8)
        return "is a WAVE sound, but not 8-bit mono PCM at 22,050 samples per second";
      format = true;
    } else if (starts(b, "data", at)) {
      return format ? "" : "is a WAVE sound without its format before the samples";
    }
    at = body + size + (size & 1);
  }
  return "is a WAVE sound whose samples are missing or cut short";
}

// What the runtime asks of a movie before the platform reads it: the RIFF
// form inside the file, a header list with a main header and a video stream,
// then the movie list.
std::string movie_problem(const img::Bytes &b) {
  if (!starts(b, "RIFF") || !starts(b, "AVI ", 8)) return "is not an AVI movie";
  uint64_t formEnd = uint64_t(le32(&b[4])) + 8;
  if (formEnd > b.size()) return "is an AVI movie cut short";
  Chunks top{b, 12, size_t(formEnd)};
  std::string_view tag;
  bool header = false;
  while (top.next(&tag)) {
    if (tag != "LIST" || top.size < 4) continue;
    if (starts(b, "hdrl", top.body)) {
      Chunks h{b, top.body + 4, top.body + top.size};
      if (!h.next(&tag) || tag != "avih" || h.size < 56)
        return "is an AVI movie without its main header";
      if (le32(&b[h.body]) == 0 || le32(&b[h.body + 16]) == 0)
        return "is an AVI movie without frames";
      while (!header && h.next(&tag))
        header = tag == "LIST" && h.size >= 4 && starts(b, "strl", h.body) &&
                 video_stream(b, h.body + 4, h.body + h.size);
      if (!header) return "is an AVI movie without a video stream";
    } else if (starts(b, "movi", top.body)) {
      return header ? "" : "is an AVI movie whose frames come before its header";
    }
  }
  return header ? "is an AVI movie whose frames are missing or cut short"
                : "is an AVI movie without its header";
}

// The database engine's file: its signature, then a header whose page size
// and page count (u32 LE at 12 and 16) the file holds in full.
std::string database_problem(const img::Bytes &b) {
  static const char kSignature[] = "\x89"
                                   "DBF\r\n\x1a\n";
  if (!starts(b, std::string_view(kSignature, 8))) return "is not a database file";
  if (b.size() < 48) return "is a database file cut short";
  uint64_t pages = uint64_t(le32(&b[12])) * le32(&b[16]);
  if (pages == 0 || pages > b.size()) return "is a database file cut short";
  return "";
}

std::string text_problem(const img::Bytes &b) {
  return std::find(b.begin(), b.end(), 0) == b.end() ? ""
                                                     : "is not a text file (it holds NUL bytes)";
}

std::string data_problem(const img::Bytes &) { return ""; }

std::string cursor_problem(const img::Bytes &b) {
  img::Bytes body;
  return cursor_body(b, &body);
}

// The cursor file: a 6-byte header (0, 2 for a cursor, the image count),
// 16-byte directory entries (width, height, colours, 0, the hot spot's x and
// y, the image's size and offset), and at the image's offset a bitmap header,
// its palette, the colour bits and the transparency (AND) bits, rows bottom
// up, each padded to 4 bytes. A monochrome image maps onto the cursor body:
// an opaque pixel (AND 0) is black or white by its palette colour; a
// transparent one (AND 1) is clear where that colour is black and inverts
// the screen where it is white. The body's mask is NOT AND, its image bit
// white XOR mask.
std::string cursor_body(const img::Bytes &b, img::Bytes *body) {
  if (b.size() < 6 || le16(&b[0]) != 0 || le16(&b[2]) != 2 || le16(&b[4]) == 0)
    return "is not a cursor (.cur) file";
  if (b.size() < 22) return "is a cursor file cut short";
  const uint8_t *entry = &b[6];
  uint32_t width = entry[0] ? entry[0] : 256, height = entry[1] ? entry[1] : 256;
  uint32_t hotX = le16(entry + 4), hotY = le16(entry + 6);
  uint64_t size = le32(entry + 8), offset = le32(entry + 12);
  if (offset + size > b.size() || size < 40) return "is a cursor file cut short";
  const uint8_t *bih = &b[offset];
  uint32_t headerSize = le32(bih), bits = le16(bih + 14), compression = le32(bih + 16);
  int32_t bmWidth = int32_t(le32(bih + 4)), bmHeight = int32_t(le32(bih + 8));
  if (headerSize < 40 || headerSize > size || compression != 0)
    return "is a cursor file whose image is damaged";
  if (bits != 1) return "is a colour cursor; a cursor here is monochrome (1 bit a pixel)";
  if (uint32_t(bmWidth) != width || uint32_t(bmHeight) != 2 * height)
    return "is a cursor file whose image is damaged";
  if (width != height || (width != 16 && width != 32))
    return "is a cursor of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels; a cursor here is 16 x 16 or 32 x 32";
  uint32_t colours = le32(bih + 32) ? le32(bih + 32) : 2;
  uint64_t palette = offset + headerSize, row = 4, plane = row * height;
  uint64_t xorBits = palette + 4 * uint64_t(colours), andBits = xorBits + plane;
  if (colours > 2 || andBits + plane > offset + size) return "is a cursor file cut short";
  auto luma = [&](uint32_t i) {
    const uint8_t *q = &b[palette + 4 * i]; /* blue, green, red, 0 */
    return q[0] + q[1] + q[2];
  };
  bool oneIsWhite = colours < 2 || luma(1) >= luma(0);
  auto bit = [&](uint64_t plane0, uint32_t x, uint32_t y) {
    const uint8_t *r = &b[plane0 + (height - 1 - y) * row]; /* bottom-up rows */
    return (r[x / 8] >> (7 - x % 8)) & 1;
  };
  /* 1 where a pixel shows white (opaque) or inverts the screen (transparent) */
  auto white = [&](uint32_t x, uint32_t y) { return bit(xorBits, x, y) == (oneIsWhite ? 1 : 0); };
  if (hotX >= 16 || hotY >= 16) return "has its hot spot outside its top-left 16 x 16 pixels";
  for (uint32_t y = 0; y < height; y++)
    for (uint32_t x = 0; x < width; x++)
      if ((x >= 16 || y >= 16) && (!bit(andBits, x, y) || white(x, y)))
        return "draws outside its top-left 16 x 16 pixels, the size of a cursor here";
  body->assign(kCursorBodySize, 0);
  for (uint32_t y = 0; y < 16; y++)
    for (uint32_t x = 0; x < 16; x++) {
      int mask = !bit(andBits, x, y), image = white(x, y) ^ mask;
      uint8_t flag = uint8_t(0x80 >> (x % 8));
      if (image) (*body)[y * 2 + x / 8] |= flag;
      if (mask) (*body)[32 + y * 2 + x / 8] |= flag;
    }
  (*body)[64] = uint8_t(hotY >> 8), (*body)[65] = uint8_t(hotY);
  (*body)[66] = uint8_t(hotX >> 8), (*body)[67] = uint8_t(hotX);
  return "";
}

} // namespace basc
