// The AVI file check made before a file reaches the digital-video device: the
// RIFF chunks are walked and bounded by the file's length, and the header's
// video stream gives the frame size, count and period. A file that fails it
// is never handed to the device, whose parser trusts what it reads.
#include "files/fileobject.h"
#include "media/movie.h"
#include <cstring>

enum : uint32_t {
  kMaxHeaderList = 64 * 1024, // a header list larger than this is not a movie we play
  kMaxSide = 4096,
  kMainHeaderSize = 56, // avih: the period 0, frames 16, width 32, height 36
  kStreamHeaderSize = 48,
};

static uint32_t le32(const uint8_t *b) {
  return (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
}
static bool tag(const uint8_t *b, const char *four) { return memcmp(b, four, 4) == 0; }

// One chunk inside a list held in memory: its tag, its body and its size.
struct Chunk {
  const uint8_t *id, *body;
  uint32_t size;
};

// The next chunk from *at within [*at, end); false when none fits.
static bool nextChunk(const uint8_t **at, const uint8_t *end, Chunk *c) {
  if (end - *at < 8) return false;
  c->id = *at;
  c->size = le32(*at + 4);
  c->body = *at + 8;
  if (c->size > (uint32_t)(end - c->body)) return false;
  *at = c->body + c->size + (c->size & 1);
  if (*at > end) *at = end; /* the pad byte of the last chunk may be missing */
  return true;
}

// A stream list: its header says video; the format gives the frame size.
static bool videoStream(const uint8_t *at, const uint8_t *end, AviInfo *info) {
  Chunk c;
  bool video = false;
  while (nextChunk(&at, end, &c)) {
    if (tag(c.id, "strh") && c.size >= kStreamHeaderSize) {
      video = tag(c.body, "vids");
      uint32_t scale = le32(c.body + 20), rate = le32(c.body + 24), length = le32(c.body + 32);
      if (video && length) info->frames = (int32_t)length;
      if (video && !info->microsPerFrame && scale && rate)
        info->microsPerFrame = (uint32_t)((uint64_t)scale * 1000000 / rate);
    } else if (tag(c.id, "strf") && video && c.size >= 12) {
      info->width = (int32_t)le32(c.body + 4);
      int32_t h = (int32_t)le32(c.body + 8);
      info->height = h < 0 ? -h : h; /* a top-down frame */
      return true;
    }
  }
  return false;
}

static bool readHeaderList(const uint8_t *at, const uint8_t *end, AviInfo *info) {
  Chunk c;
  if (!nextChunk(&at, end, &c) || !tag(c.id, "avih") || c.size < kMainHeaderSize) return false;
  info->microsPerFrame = le32(c.body);
  info->frames = (int32_t)le32(c.body + 16);
  while (nextChunk(&at, end, &c))
    if (tag(c.id, "LIST") && c.size >= 4 && tag(c.body, "strl") &&
        videoStream(c.body + 4, c.body + c.size, info))
      return true;
  return false;
}

static bool sane(const AviInfo *info) {
  return info->width > 0 && info->height > 0 && (uint32_t)info->width <= kMaxSide &&
         (uint32_t)info->height <= kMaxSide && info->frames > 0 && info->microsPerFrame > 0;
}

// Walks the top-level chunks of the RIFF form: the header list is read and
// parsed, and a movie list must follow it.
static bool walk(FileObject *f, int64_t formEnd, AviInfo *info) {
  bool header = false, movie = false;
  for (int64_t at = 12; at + 8 <= formEnd;) {
    uint8_t head[12];
    if (!file_seek(f, at) || file_read(f, head, 12) < 8) return false;
    uint32_t size = le32(head + 4);
    if ((int64_t)size > formEnd - at - 8) return false;
    if (tag(head, "LIST") && size >= 4 && tag(head + 8, "hdrl")) {
      if (size > kMaxHeaderList) return false;
      uint8_t *list = new uint8_t[size];
      bool read =
          file_seek(f, at + 12) && file_read(f, list, (int32_t)size - 4) == (int32_t)size - 4;
      header = read && readHeaderList(list, list + size - 4, info);
      delete[] list;
      if (!header) return false;
    } else if (tag(head, "LIST") && size >= 4 && tag(head + 8, "movi")) {
      movie = header;
    }
    at += 8 + (int64_t)size + (size & 1);
  }
  return header && movie && sane(info);
}

bool avi_read_info(const char *path, AviInfo *info) {
  *info = {};
  FileObject *f = file_open(path, FileOpen::Read);
  if (!f) return false;
  uint8_t form[12];
  int64_t length = file_length(f);
  bool ok = file_read(f, form, 12) == 12 && tag(form, "RIFF") && tag(form + 8, "AVI ");
  int64_t formEnd = ok ? 8 + (int64_t)le32(form + 4) : 0;
  ok = ok && formEnd <= length && walk(f, formEnd, info);
  file_destroy(f);
  return ok;
}
