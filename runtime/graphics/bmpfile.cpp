// BMP files and packed DIBs: every header form (core, info, V2 to V5), 1 to
// 32 bits a pixel, palettes, RLE4 and RLE8, bit-field masks, either row order,
// read into 32-bit pictures; and 24-bit BMP files written from them.
#include "graphics/imagefile.h"
#include <cstdlib>
#include <cstring>

enum : uint32_t {
  kCoreHeader = 12,    /* BITMAPCOREHEADER */
  kInfoHeader = 40,    /* BITMAPINFOHEADER */
  kV2Header = 52,      /* with the three colour masks */
  kV3Header = 56,      /* with the alpha mask too */
  kBitFields = 3,      /* BI_BITFIELDS */
  kAlphaBitFields = 6, /* BI_ALPHABITFIELDS */
  kMaxPalette = 256,
};
constexpr int32_t kDefaultDpi = 72;
constexpr double kMetresPerInch = 0.0254;

// Bounds-checked little-endian reads: a read past the end yields 0 and
// marks the cursor short.
struct Bytes {
  const uint8_t *at;
  size_t length;
  bool shortRead;
};

static uint32_t u32(Bytes *b, size_t offset) {
  if (offset > b->length || b->length - offset < 4) {
    b->shortRead = true;
    return 0;
  }
  const uint8_t *p = b->at + offset;
  return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
}

static uint16_t u16(Bytes *b, size_t offset) {
  if (offset > b->length || b->length - offset < 2) {
    b->shortRead = true;
    return 0;
  }
  return (uint16_t)(b->at[offset] | b->at[offset + 1] << 8);
}

// One colour channel taken out of a pixel word by its mask and widened to
// 8 bits.
struct Channel {
  uint32_t mask;
  int32_t shift;
  uint32_t max;
};

static Channel channel(uint32_t mask) {
  Channel c = {mask, 0, 0};
  if (!mask) return c;
  while (!(mask >> c.shift & 1)) c.shift++;
  c.max = mask >> c.shift;
  return c;
}

static uint32_t channelValue(const Channel &c, uint32_t word) {
  return c.max ? ((word & c.mask) >> c.shift) * 255 / c.max : 0;
}

// What the header says about the pixels that follow it.
struct Layout {
  int32_t width, height; // height positive
  bool topDown;
  uint32_t bits, compression;
  Channel red, green, blue;
  uint32_t palette[kMaxPalette]; // 0x00RRGGBB, unlisted entries black
  size_t pixels;                 // offset of the pixel data
  int32_t hres, vres;
};

static int32_t dpi(int32_t pixelsPerMetre) {
  if (pixelsPerMetre <= 0) return kDefaultDpi;
  int32_t d = (int32_t)(pixelsPerMetre * kMetresPerInch + 0.5);
  return d > 0 ? d : kDefaultDpi;
}

static bool validBits(uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

static bool readMasks(Bytes *b, size_t at, Layout *l) {
  l->red = channel(u32(b, at));
  l->green = channel(u32(b, at + 4));
  l->blue = channel(u32(b, at + 8));
  return !b->shortRead && l->red.mask && l->green.mask && l->blue.mask;
}

static void defaultMasks(Layout *l) {
  bool five = l->bits == 16;
  l->red = channel(five ? 0x7C00 : 0xFF0000);
  l->green = channel(five ? 0x03E0 : 0x00FF00);
  l->blue = channel(five ? 0x001F : 0x0000FF);
}

// Reads the header at the start of b; `after` is where its tables end.
static bool readHeader(Bytes *b, Layout *l, size_t *after) {
  uint32_t size = u32(b, 0);
  if (size == kCoreHeader) {
    l->width = u16(b, 4);
    l->height = u16(b, 6);
    l->bits = u16(b, 10);
    l->compression = BI_RGB;
    l->hres = l->vres = kDefaultDpi;
  } else if (size >= kInfoHeader && size <= b->length) {
    int32_t height = (int32_t)u32(b, 8);
    if (height == INT32_MIN) return false;
    l->width = (int32_t)u32(b, 4);
    l->topDown = height < 0;
    l->height = height < 0 ? -height : height;
    l->bits = u16(b, 14);
    l->compression = u32(b, 16);
    l->hres = dpi((int32_t)u32(b, 24));
    l->vres = dpi((int32_t)u32(b, 28));
  } else {
    return false;
  }
  *after = size;
  if (b->shortRead || !validBits(l->bits)) return false;
  if (l->width <= 0 || l->height <= 0 || l->width > kPictureMaxSide || l->height > kPictureMaxSide)
    return false;
  switch (l->compression) {
  case BI_RGB:
    if (l->bits >= 16) defaultMasks(l);
    return true;
  case BI_RLE8:
    return l->bits == 8 && !l->topDown;
  case BI_RLE4:
    return l->bits == 4 && !l->topDown;
  case kBitFields:
  case kAlphaBitFields:
    if (l->bits != 16 && l->bits != 32) return false;
    if (size >= kV2Header) return readMasks(b, kInfoHeader, l);
    *after = size + (l->compression == kBitFields ? 12 : 16); /* the masks follow it */
    return readMasks(b, size, l);
  default:
    return false; /* embedded JPEG or PNG, or unknown */
  }
}

static bool readPalette(Bytes *b, size_t at, bool core, Layout *l, size_t *after) {
  uint32_t used = core ? 0 : u32(b, 32);
  *after = at;
  if (l->bits > 8) { /* a palette here is only a hint for displays: skipped */
    if (used <= kMaxPalette) *after = at + used * 4;
    return true;
  }
  uint32_t entries = 1u << l->bits;
  if (used && used < entries) entries = used;
  size_t entrySize = core ? 3 : 4;
  if (at > b->length || (b->length - at) / entrySize < entries) return false;
  for (uint32_t i = 0; i < entries; i++) {
    const uint8_t *p = b->at + at + i * entrySize;
    l->palette[i] = (uint32_t)p[2] << 16 | p[1] << 8 | p[0];
  }
  size_t listed = used > entries && used <= kMaxPalette * 4 ? used : entries;
  *after = at + listed * entrySize;
  return true;
}

/* ---- pixel rows ---- */

static size_t rowBytes(const Layout *l) { return ((size_t)l->width * l->bits + 31) / 32 * 4; }

static uint32_t pixelAt(const Layout *l, const uint8_t *row, int32_t x) {
  switch (l->bits) {
  case 1:
    return l->palette[row[x >> 3] >> (7 - (x & 7)) & 1];
  case 4:
    return l->palette[row[x >> 1] >> (x & 1 ? 0 : 4) & 15];
  case 8:
    return l->palette[row[x]];
  case 24:
    return (uint32_t)row[x * 3 + 2] << 16 | row[x * 3 + 1] << 8 | row[x * 3];
  default: {
    uint32_t w = l->bits == 16 ? (uint32_t)(row[x * 2] | row[x * 2 + 1] << 8)
                               : (uint32_t)(row[x * 4] | row[x * 4 + 1] << 8 |
                                            row[x * 4 + 2] << 16 | (uint32_t)row[x * 4 + 3] << 24);
    return channelValue(l->red, w) << 16 | channelValue(l->green, w) << 8 |
           channelValue(l->blue, w);
  }
  }
}

static uint32_t *imageRow(PictureImage *image, const Layout *l, int32_t y) {
  int32_t top = l->topDown ? y : l->height - 1 - y;
  return image->bits + (size_t)top * image->width;
}

static bool readRows(Bytes *b, const Layout *l, PictureImage *image) {
  size_t stride = rowBytes(l), last = ((size_t)l->width * l->bits + 7) / 8;
  if (l->pixels > b->length) return false;
  size_t available = b->length - l->pixels;
  if (available < last || (available - last) / stride < (size_t)l->height - 1) return false;
  for (int32_t y = 0; y < l->height; y++) {
    const uint8_t *row = b->at + l->pixels + (size_t)y * stride;
    uint32_t *out = imageRow(image, l, y);
    for (int32_t x = 0; x < l->width; x++) out[x] = pixelAt(l, row, x);
  }
  return true;
}

// Run-length data: pixels outside the picture are dropped, pixels never
// reached keep palette entry 0, and data ending early ends the picture.
struct RleCursor {
  const Layout *l;
  PictureImage *image;
  int32_t x, y;
};

static void rlePut(RleCursor *c, uint32_t index) {
  if (c->x >= c->l->width) return; /* the rest of an overlong run */
  if (c->y < c->l->height) imageRow(c->image, c->l, c->y)[c->x] = c->l->palette[index];
  c->x++;
}

static void readRle(Bytes *b, const Layout *l, PictureImage *image) {
  RleCursor c = {l, image, 0, 0};
  bool four = l->bits == 4;
  for (size_t i = l->pixels; i + 1 < b->length && c.y < l->height;) {
    uint8_t count = b->at[i], value = b->at[i + 1];
    i += 2;
    if (count) { /* an encoded run */
      for (int32_t k = 0; k < count; k++)
        rlePut(&c, four ? (k & 1 ? value & 15 : value >> 4) : value);
    } else if (value == 0) { /* end of line */
      c.x = 0;
      c.y++;
    } else if (value == 1) { /* end of picture */
      return;
    } else if (value == 2) { /* delta */
      if (i + 1 >= b->length) return;
      c.x = c.x + b->at[i] < l->width ? c.x + b->at[i] : l->width;
      c.y += b->at[i + 1];
      i += 2;
    } else { /* an absolute run, padded to a word */
      size_t bytes = four ? (value + 1) / 2 : value;
      if (b->length - i < bytes) return;
      for (int32_t k = 0; k < value; k++) {
        uint8_t byte = b->at[i + (four ? k / 2 : k)];
        rlePut(&c, four ? (k & 1 ? byte & 15 : byte >> 4) : byte);
      }
      i += (bytes + 1) & ~(size_t)1;
    }
  }
}

// Reads the DIB in b; its pixels start at pixelOffset, or, when that is 0,
// right after the header and its tables.
static PictureObject *decodeDib(Bytes *b, size_t pixelOffset) {
  Layout *l = (Layout *)calloc(1, sizeof(Layout));
  if (!l) return nullptr;
  size_t tables = 0, end = 0;
  PictureImage *image = nullptr;
  if (readHeader(b, l, &tables) && readPalette(b, tables, u32(b, 0) == kCoreHeader, l, &end)) {
    l->pixels = pixelOffset ? pixelOffset : end;
    image = picture_image_new(l->width, l->height, (int32_t)l->bits);
  }
  if (image) {
    image->hres = l->hres;
    image->vres = l->vres;
    bool rle = l->compression == BI_RLE8 || l->compression == BI_RLE4;
    if (rle) {
      for (size_t i = 0, n = (size_t)image->width * image->height; i < n; i++)
        image->bits[i] = l->palette[0];
      readRle(b, l, image);
    } else if (!readRows(b, l, image)) {
      picture_image_free(image);
      image = nullptr;
    }
  }
  free(l);
  return image ? picture_from_image(image) : nullptr;
}

PictureObject *bmp_decode_dib(const uint8_t *bytes, size_t length) {
  Bytes b = {bytes, length, false};
  return bytes ? decodeDib(&b, 0) : nullptr;
}

PictureObject *bmp_decode(const uint8_t *bytes, size_t length) {
  if (!bytes || length < kBmpFileHeader || bytes[0] != 'B' || bytes[1] != 'M') return nullptr;
  Bytes file = {bytes, length, false};
  size_t offset = u32(&file, 10);
  if (offset > length || (offset && offset < kBmpFileHeader)) return nullptr;
  Bytes dib = {bytes + kBmpFileHeader, length - kBmpFileHeader, false};
  return decodeDib(&dib, offset ? offset - kBmpFileHeader : 0);
}

/* ---- writing ---- */

static void put16(uint8_t *p, uint32_t v) {
  p[0] = (uint8_t)v;
  p[1] = (uint8_t)(v >> 8);
}

static void put32(uint8_t *p, uint32_t v) {
  put16(p, v);
  put16(p + 2, v >> 16);
}

static uint32_t pixelsPerMetre(int32_t dotsPerInch) {
  return (uint32_t)(dotsPerInch / kMetresPerInch + 0.5);
}

uint8_t *bmp_encode(PictureImage *image, size_t *length) {
  if (!image) return nullptr;
  GdiFlush(); /* drawing still queued must reach the bits */
  size_t stride = ((size_t)image->width * 3 + 3) & ~(size_t)3;
  size_t header = kBmpFileHeader + kInfoHeader, size = header + stride * image->height;
  uint8_t *out = (uint8_t *)calloc(1, size);
  if (!out) return nullptr;
  out[0] = 'B';
  out[1] = 'M';
  put32(out + 2, (uint32_t)size);
  put32(out + 10, (uint32_t)header);
  uint8_t *info = out + kBmpFileHeader;
  put32(info, kInfoHeader);
  put32(info + 4, (uint32_t)image->width);
  put32(info + 8, (uint32_t)image->height); /* bottom up */
  put16(info + 12, 1);
  put16(info + 14, 24);
  put32(info + 20, (uint32_t)(stride * image->height));
  put32(info + 24, pixelsPerMetre(image->hres));
  put32(info + 28, pixelsPerMetre(image->vres));
  for (int32_t y = 0; y < image->height; y++) {
    uint8_t *row = out + header + stride * (size_t)(image->height - 1 - y);
    const uint32_t *in = image->bits + (size_t)y * image->width;
    for (int32_t x = 0; x < image->width; x++) {
      row[x * 3] = (uint8_t)in[x];
      row[x * 3 + 1] = (uint8_t)(in[x] >> 8);
      row[x * 3 + 2] = (uint8_t)(in[x] >> 16);
    }
  }
  *length = size;
  return out;
}
