// The Picture's properties beyond its size: Transparent, Mask, resolution,
// the frames of a multi-frame picture, and the RGBSurface that reads and
// writes its pixels directly.
#include "graphics/picture.h"
#include "objects/registry.h"
#include <cstring>

constexpr uint32_t kColourBits = 0x00FFFFFF;

/* ---- Transparent and resolution ---- */

int32_t pictureTransparentGetter(PictureObject *p, int32_t) { return p ? p->transparent : 0; }

void pictureTransparentSetter(PictureObject *p, int32_t, int32_t value) {
  if (p) p->transparent = value;
}

int32_t PictureHResGetter(PictureObject *p, int32_t) {
  PictureImage *image = picture_image(p);
  return image ? image->hres : 0;
}

int32_t PictureVResGetter(PictureObject *p, int32_t) {
  PictureImage *image = picture_image(p);
  return image ? image->vres : 0;
}

void PictureHResSetter(PictureObject *p, int32_t, int32_t dpi) {
  PictureImage *image = picture_image(p);
  if (image && dpi > 0) image->hres = dpi;
}

void PictureVResSetter(PictureObject *p, int32_t, int32_t dpi) {
  PictureImage *image = picture_image(p);
  if (image && dpi > 0) image->vres = dpi;
}

/* ---- Mask ---- */

// The mask: a picture of the same size, white where the picture shows and
// black where it does not, made all white on first request and kept.
Object *pictureMaskGetter(PictureObject *p, int32_t) {
  PictureImage *image = picture_image(p);
  if (!image) return nullptr;
  if (!p->mask) p->mask = &picture_new(image->width, image->height, image->depth)->header;
  return RuntimeLockObject(p->mask);
}

/* ---- frames ---- */

int32_t pictureImageCountGetter(PictureObject *p, int32_t) {
  int32_t count = 0;
  for (PictureImage *image = picture_image(p); image; image = image->next) count++;
  return count;
}

// Frame `index` (from 0) as a picture of its own, a copy; nil outside the
// frames.
Object *pictureIndexedImage(PictureObject *p, int32_t index) {
  PictureImage *frame = picture_image(p);
  for (int32_t i = 0; frame && i < index; i++) frame = frame->next;
  if (!frame || index < 0) return nullptr;
  PictureObject *copy = picture_new(frame->width, frame->height, frame->depth);
  if (!copy) return nullptr;
  GdiFlush();
  memcpy(copy->image->bits, frame->bits, (size_t)frame->width * frame->height * 4);
  copy->image->hres = frame->hres;
  copy->image->vres = frame->vres;
  copy->transparent = p->transparent;
  return &copy->header;
}

/* ---- drawing honouring Transparent and Mask ---- */

// How much of the source pixel shows, 0 to 255.
static uint32_t coverage(PictureObject *p, PictureImage *mask, int32_t at) {
  uint32_t pixel = p->image->bits[at] & kColourBits;
  if (p->transparent == 1 && pixel == kColourBits) return 0;
  if (!mask) return 255;
  uint32_t m = mask->bits[at];
  return ((m >> 16 & 0xFF) + (m >> 8 & 0xFF) + (m & 0xFF)) / 3;
}

// The part (sx, sy, sw, sh) as a premultiplied 32-bit bitmap selected into a
// new memory context; false when it cannot be made.
static bool coveredCopy(PictureObject *p, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                        HDC *copyDc, HBITMAP *bitmap) {
  PictureImage *image = p->image, *mask = picture_image((PictureObject *)p->mask);
  if (mask && (mask->width != image->width || mask->height != image->height)) mask = nullptr;
  BITMAPINFO info = picture_bitmap_info(sw, sh);
  void *bits = nullptr;
  *bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  *copyDc = *bitmap ? CreateCompatibleDC(nullptr) : nullptr;
  if (!*copyDc) {
    if (*bitmap) DeleteObject(*bitmap);
    return false;
  }
  GdiFlush();
  uint32_t *out = (uint32_t *)bits;
  for (int32_t row = 0; row < sh; row++)
    for (int32_t col = 0; col < sw; col++) {
      int32_t at = (sy + row) * image->width + sx + col;
      uint32_t a = coverage(p, mask, at), c = image->bits[at], premultiplied = a << 24;
      for (int shift = 0; shift < 24; shift += 8)
        premultiplied |= ((c >> shift & 0xFF) * a + 127) / 255 << shift;
      out[row * sw + col] = premultiplied;
    }
  SelectObject(*copyDc, *bitmap);
  return true;
}

// A device that cannot blend (a printer's) gets the pixels that show at
// least half drawn opaque, clipped to a region of their runs, in device units.
static void drawCoveredRuns(PictureObject *p, HDC dc, const PictureSpan &s) {
  PictureImage *image = p->image, *mask = picture_image((PictureObject *)p->mask);
  if (mask && (mask->width != image->width || mask->height != image->height)) mask = nullptr;
  HRGN shown = CreateRectRgn(0, 0, 0, 0);
  for (int32_t row = 0; shown && row < s.sh; row++)
    for (int32_t col = 0; col < s.sw;) {
      int32_t at = (s.sy + row) * image->width + s.sx, start = col;
      while (col < s.sw && coverage(p, mask, at + col) >= 128) col++;
      if (col == start) {
        col++;
        continue;
      }
      POINT corner[2] = {{s.x + (int32_t)((int64_t)start * s.w / s.sw),
                          s.y + (int32_t)((int64_t)row * s.h / s.sh)},
                         {s.x + (int32_t)((int64_t)col * s.w / s.sw),
                          s.y + (int32_t)((int64_t)(row + 1) * s.h / s.sh)}};
      LPtoDP(dc, corner, 2);
      HRGN run = CreateRectRgn(corner[0].x, corner[0].y, corner[1].x, corner[1].y);
      if (run) CombineRgn(shown, shown, run, RGN_OR), DeleteObject(run);
    }
  if (!shown) return;
  int saved = SaveDC(dc);
  ExtSelectClipRgn(dc, shown, RGN_AND);
  picture_draw(image, dc, s.x, s.y, s.w, s.h, s.sx, s.sy, s.sw, s.sh);
  RestoreDC(dc, saved);
  DeleteObject(shown);
}

void picture_draw_masked(PictureObject *p, HDC dc, int32_t x, int32_t y, int32_t w, int32_t h,
                         int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
  PictureImage *image = picture_image(p);
  if (image && p->transparent != 1 && !p->mask)
    return picture_draw(image, dc, x, y, w, h, sx, sy, sw, sh);
  PictureSpan s = {x, y, w, h, sx, sy, sw, sh};
  HDC copyDc;
  HBITMAP bitmap;
  if (!dc || !picture_clip(image, &s) || !coveredCopy(p, s.sx, s.sy, s.sw, s.sh, &copyDc, &bitmap))
    return;
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  bool blended = AlphaBlend(dc, s.x, s.y, s.w, s.h, copyDc, 0, 0, s.sw, s.sh, blend);
  DeleteDC(copyDc);
  DeleteObject(bitmap);
  if (!blended) drawCoveredRuns(p, dc, s);
}

/* ---- RGBSurface ---- */

PictureObject *rgbsurface_picture(Object *surface) {
  return surface ? ((RGBSurfaceObject *)surface)->picture : nullptr;
}

Object *pictureRGBSurfaceGetter(PictureObject *p, int32_t) {
  ClassDef *cls = registry_find("RGBSurface");
  if (!picture_image(p) || !cls) return nullptr;
  RGBSurfaceObject *s = (RGBSurfaceObject *)CreateInstance(cls);
  s->picture = (PictureObject *)RuntimeLockObject(&p->header);
  return &s->header;
}

static uint32_t *pixelOf(Object *surface, int32_t x, int32_t y) {
  PictureImage *image = picture_image(rgbsurface_picture(surface));
  if (!image || x < 0 || y < 0 || x >= image->width || y >= image->height) return nullptr;
  GdiFlush(); /* drawing still queued must reach the bits first */
  return image->bits + (size_t)y * image->width + x;
}

int32_t rgbSurfaceGetPixel(Object *surface, int32_t x, int32_t y) {
  uint32_t *pixel = pixelOf(surface, x, y);
  return pixel ? (int32_t)(*pixel & kColourBits) : 0;
}

void rgbSurfaceSetPixel(Object *surface, int32_t x, int32_t y, int32_t colour) {
  if (uint32_t *pixel = pixelOf(surface, x, y)) *pixel = (uint32_t)colour & kColourBits;
}

static void destroySurface(Object *o, ClassDef *) {
  RGBSurfaceObject *s = (RGBSurfaceObject *)o;
  RuntimeUnlockObject((Object *)s->picture);
  s->picture = nullptr;
}

void rgbsurface_classes_attach() {
  if (ClassDef *cls = registry_find("RGBSurface")) cls->destructor = destroySurface;
}
