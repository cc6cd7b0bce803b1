// The picture helpers plug-ins call: pictures from DIBs and pixel
// descriptions, the locked description of a picture's pixels, drawing a
// picture into a device context, and a picture's Graphics.
#include "graphics/pluginpicture.h"
#include "graphics/imagefile.h"
#include <cstring>

enum { kDescribedDepth = 32, kPackedDepth = 24 };

Object *KARUBuildPictureFromDIB(HGLOBAL dib) {
  const uint8_t *p = dib ? (const uint8_t *)GlobalLock(dib) : nullptr;
  if (!p) return nullptr;
  PictureObject *picture = bmp_decode_dib(p, GlobalSize(dib));
  GlobalUnlock(dib);
  return picture ? &picture->header : nullptr;
}

// A picture from a platform this runtime does not run on (a QuickDraw
// offscreen world): there is never one to convert, so always nil.
Object *KARUBuildPictureFromGWorld(void *) { return nullptr; }

static void copyRow(uint32_t *out, const uint8_t *in, int32_t width, int32_t depth) {
  if (depth == kDescribedDepth) {
    memcpy(out, in, (size_t)width * 4);
    return;
  }
  for (int32_t x = 0; x < width; x++, in += 3) out[x] = (uint32_t)in[2] << 16 | in[1] << 8 | in[0];
}

Object *KARUBuildPictureFromPictureDescription(const KARUPictureDescription *d) {
  if (!d || !d->pixels || (d->depth != kDescribedDepth && d->depth != kPackedDepth)) return nullptr;
  if (d->rowBytes < (int64_t)d->width * (d->depth / 8)) return nullptr;
  PictureObject *picture = picture_new(d->width, d->height, d->depth);
  if (!picture) return nullptr;
  PictureImage *image = picture->image;
  for (int32_t y = 0; y < d->height; y++)
    copyRow(image->bits + (size_t)y * d->width,
            (const uint8_t *)d->pixels + (size_t)y * d->rowBytes, d->width, d->depth);
  return &picture->header;
}

// The picture stays alive while locked, whatever compiled code does with it.
int32_t lockPictureDescription(PictureObject *picture, KARUPictureDescription *d) {
  PictureImage *image = picture_image(picture);
  if (!image || !d) return 0;
  GdiFlush(); /* drawing still queued must reach the bits first */
  d->width = image->width;
  d->height = image->height;
  d->rowBytes = image->width * 4;
  d->depth = kDescribedDepth;
  d->pixels = image->bits;
  image->locks++;
  RuntimeLockObject(&picture->header);
  return 1;
}

// Undoes one lock; an unlock without a lock does nothing.
void unlockPictureDescription(PictureObject *picture) {
  PictureImage *image = picture_image(picture);
  if (!image || image->locks <= 0) return;
  image->locks--;
  RuntimeUnlockObject(&picture->header);
}

// The runtime keeps no copy of a picture's pixels beside the picture: what a
// plug-in wrote is what the next drawing shows once queued drawing is done.
void KARUPictureClearCache(PictureObject *) { GdiFlush(); }

void drawPicturePrimitive(PictureObject *picture, HDC dc, int32_t x, int32_t y, int32_t width,
                          int32_t height) {
  PictureImage *image = picture_image(picture);
  if (image)
    picture_draw_masked(picture, dc, x, y, width, height, 0, 0, image->width, image->height);
}

// The picture's own Graphics, borrowed: the picture keeps its reference.
Object *pluginPictureGraphicsGetter(PictureObject *picture) {
  Object *g = pictureGraphicsGetter(picture, 0);
  RuntimeUnlockObject(g);
  return g;
}
