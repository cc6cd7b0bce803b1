// The Picture object's core: making a picture of a size, its DIB section and
// memory device context, the picture as a drawing target, and its release.
#include "graphics/picture.h"
#include "objects/registry.h"
#include <cstdlib>
#include <cstring>

constexpr int32_t kDefaultResolution = 72;
constexpr COLORREF kWhite = RGB(255, 255, 255);

/* ---- the picture as a drawing target ---- */

static HDC acquireImage(void *target, uintptr_t *token) {
  *token = 0;
  return picture_dc((PictureImage *)target);
}

static void releaseImage(void *, HDC, uintptr_t) { GdiFlush(); /* the bits are read directly */ }

static void imageSize(void *target, int32_t *width, int32_t *height) {
  PictureImage *image = (PictureImage *)target;
  *width = image->width;
  *height = image->height;
}

static COLORREF imageBackground(void *) { return kWhite; }

static const DrawTargetKind kPictureTarget = {
    .name = "picture",
    .acquire = acquireImage,
    .release = releaseImage,
    .size = imageSize,
    .background = imageBackground,
    .offset = nullptr,
    .threadBound = 0, /* the memory context serves any thread */
};

/* ---- images ---- */

static PictureImage *newImage(int32_t width, int32_t height, int32_t depth) {
  if (width <= 0 || height <= 0 || width > kPictureMaxSide || height > kPictureMaxSide)
    return nullptr;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height; /* top down */
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  PictureImage *image = (PictureImage *)calloc(1, sizeof(PictureImage));
  if (!image) {
    DeleteObject(bitmap);
    return nullptr;
  }
  image->target.kind = &kPictureTarget;
  image->width = width;
  image->height = height;
  image->depth = depth;
  image->bitmap = bitmap;
  image->bits = (uint32_t *)bits;
  image->hres = image->vres = kDefaultResolution;
  memset(image->bits, 0xFF, (size_t)width * (size_t)height * 4); /* white */
  return image;
}

static void freeImage(PictureImage *image) {
  if (!image) return;
  graphics_detach_all(&image->target);
  if (image->dc) {
    SelectObject(image->dc, image->oldBitmap);
    DeleteDC(image->dc);
  }
  DeleteObject(image->bitmap);
  free(image);
}

HDC picture_dc(PictureImage *image) {
  if (!image) return nullptr;
  if (!image->dc) {
    image->dc = CreateCompatibleDC(nullptr);
    if (!image->dc) return nullptr;
    image->oldBitmap = SelectObject(image->dc, image->bitmap);
  }
  return image->dc;
}

PictureImage *picture_image(PictureObject *picture) { return picture ? picture->image : nullptr; }

/* ---- the Picture object ---- */

PictureObject *picture_new(int32_t width, int32_t height, int32_t depth) {
  ClassDef *cls = registry_find("Picture");
  if (!cls) return nullptr;
  PictureImage *image = newImage(width, height, depth);
  if (!image) return nullptr;
  PictureObject *picture = (PictureObject *)CreateInstance(cls);
  picture->image = image;
  return picture;
}

static void destroyPicture(Object *o, ClassDef *) {
  PictureObject *picture = (PictureObject *)o;
  RuntimeUnlockObject(picture->graphics);
  RuntimeUnlockObject(picture->mask);
  RuntimeUnlockObject(picture->images);
  freeImage(picture->image);
  picture->graphics = picture->mask = picture->images = nullptr;
  picture->image = nullptr;
}

void picture_classes_attach() {
  if (ClassDef *cls = registry_find("Picture")) cls->destructor = destroyPicture;
}

/* ---- the accessors ---- */

PictureObject *newPicture(int32_t width, int32_t height, int32_t depth) {
  return picture_new(width, height, depth);
}

int32_t pictureWidthGetter(PictureObject *p, int32_t) {
  PictureImage *image = picture_image(p);
  return image ? image->width : 0;
}

int32_t pictureHeightGetter(PictureObject *p, int32_t) {
  PictureImage *image = picture_image(p);
  return image ? image->height : 0;
}

int32_t PictureDepthGetter(PictureObject *p, int32_t) {
  PictureImage *image = picture_image(p);
  return image ? image->depth : 0;
}

// The picture's own Graphics object, made on first request and kept.
Object *pictureGraphicsGetter(PictureObject *p, int32_t) {
  PictureImage *image = picture_image(p);
  if (!image) return nullptr;
  if (!p->graphics) p->graphics = &graphics_new(&image->target, 0, 0)->header;
  return RuntimeLockObject(p->graphics);
}

/* ---- drawing a picture ---- */

// The source part is first cut to the image, the destination shrinking in
// proportion, so that no pixel outside the image is ever read. The rows
// drawn are then described as an image of their own, top down from the
// first, so that the source's vertical position cannot be taken from the
// wrong edge (the platform measures it from the bottom for some images).
void picture_draw(PictureImage *image, HDC dc, int32_t x, int32_t y, int32_t w, int32_t h,
                  int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
  if (!image || !dc || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  int64_t left = sx < 0 ? 0 : sx, top = sy < 0 ? 0 : sy;
  int64_t right = (int64_t)sx + sw, bottom = (int64_t)sy + sh;
  if (right > image->width) right = image->width;
  if (bottom > image->height) bottom = image->height;
  if (left >= right || top >= bottom) return;
  int32_t dx0 = (int32_t)(x + (left - sx) * w / sw), dx1 = (int32_t)(x + (right - sx) * w / sw);
  int32_t dy0 = (int32_t)(y + (top - sy) * h / sh), dy1 = (int32_t)(y + (bottom - sy) * h / sh);
  if (dx0 >= dx1 || dy0 >= dy1) return;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image->width;
  info.bmiHeader.biHeight = -(int32_t)(bottom - top);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  GdiFlush(); /* drawing into the image itself is finished first */
  StretchDIBits(dc, dx0, dy0, dx1 - dx0, dy1 - dy0, (int)left, 0, (int)(right - left),
                (int)(bottom - top), image->bits + top * image->width, &info, DIB_RGB_COLORS,
                SRCCOPY);
}
