// The Picture object's core: making a picture of a size, its DIB section and
// memory device context, the picture as a drawing target, and its release.
#include "graphics/picture.h"
#include "graphics/imagefile.h"
#include "objects/registry.h"
#include <cstdlib>
#include <cstring>

constexpr int32_t kDefaultResolution = 72;
constexpr uint64_t kPictureMaxPixels = 0x7FFFFFFF / 4;
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

BITMAPINFO picture_bitmap_info(int32_t width, int32_t height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height; /* top down */
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

PictureImage *picture_image_new(int32_t width, int32_t height, int32_t depth) {
  if (width <= 0 || height <= 0 || width > kPictureMaxSide || height > kPictureMaxSide)
    return nullptr;
  if ((uint64_t)width * (uint64_t)height > kPictureMaxPixels)
    return nullptr; /* size_t is 32 bits */
  BITMAPINFO info = picture_bitmap_info(width, height);
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

void picture_image_free(PictureImage *image) {
  if (!image) return;
  picture_image_free(image->next);
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

/* ---- project pictures ---- */

static PictureResourceReader gResourceReader;

void picture_set_resource_reader(PictureResourceReader reader) { gResourceReader = reader; }

// Decodes a project picture's resource into its image; a resource that
// cannot be read or decoded is not tried again.
static void decodeResource(PictureObject *picture) {
  size_t length = 0;
  uint8_t *bytes = gResourceReader(picture->resource, &length);
  picture->resource = -picture->resource;
  PictureObject *decoded = bytes ? imagefile_decode(bytes, length) : nullptr;
  free(bytes);
  if (!decoded) return;
  picture->image = decoded->image;
  decoded->image = nullptr;
  RuntimeUnlockObject(&decoded->header);
  picture->resource = -picture->resource;
}

PictureObject *picture_of(Object *o) {
  ClassDef *picture = registry_find("Picture");
  return o && picture && class_derives_from(o->cls, picture) ? (PictureObject *)o : nullptr;
}

PictureImage *picture_image(PictureObject *picture) {
  if (!picture) return nullptr;
  if (!picture->image && picture->resource > 0 && gResourceReader) decodeResource(picture);
  return picture->image;
}

/* ---- the Picture object ---- */

PictureObject *picture_new(int32_t width, int32_t height, int32_t depth) {
  return picture_from_image(picture_image_new(width, height, depth));
}

PictureObject *picture_from_image(PictureImage *image) {
  ClassDef *cls = registry_find("Picture");
  if (!image || !cls) {
    picture_image_free(image);
    return nullptr;
  }
  PictureObject *picture = (PictureObject *)CreateInstance(cls);
  picture->image = image;
  return picture;
}

static void destroyPicture(Object *o, ClassDef *) {
  PictureObject *picture = (PictureObject *)o;
  RuntimeUnlockObject(picture->graphics);
  RuntimeUnlockObject(picture->mask);
  RuntimeUnlockObject(picture->images);
  picture_image_free(picture->image);
  picture->graphics = picture->mask = picture->images = nullptr;
  picture->image = nullptr;
}

void picture_classes_attach() {
  if (ClassDef *cls = registry_find("Picture")) cls->destructor = destroyPicture;
  rgbsurface_classes_attach();
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

// The source part is cut to the image, the destination shrinking in
// proportion, so that no pixel outside the image is ever read; false when
// nothing is left to draw.
bool picture_clip(const PictureImage *image, PictureSpan *s) {
  if (!image || s->w <= 0 || s->h <= 0 || s->sw <= 0 || s->sh <= 0) return false;
  int64_t left = s->sx < 0 ? 0 : s->sx, top = s->sy < 0 ? 0 : s->sy;
  int64_t right = (int64_t)s->sx + s->sw, bottom = (int64_t)s->sy + s->sh;
  if (right > image->width) right = image->width;
  if (bottom > image->height) bottom = image->height;
  if (left >= right || top >= bottom) return false;
  int32_t dx0 = (int32_t)(s->x + (left - s->sx) * s->w / s->sw);
  int32_t dx1 = (int32_t)(s->x + (right - s->sx) * s->w / s->sw);
  int32_t dy0 = (int32_t)(s->y + (top - s->sy) * s->h / s->sh);
  int32_t dy1 = (int32_t)(s->y + (bottom - s->sy) * s->h / s->sh);
  if (dx0 >= dx1 || dy0 >= dy1) return false;
  *s = {dx0,
        dy0,
        dx1 - dx0,
        dy1 - dy0,
        (int32_t)left,
        (int32_t)top,
        (int32_t)(right - left),
        (int32_t)(bottom - top)};
  return true;
}

// The rows drawn are described as an image of their own, top down from the
// first, so that the source's vertical position cannot be taken from the
// wrong edge (the platform measures it from the bottom for some images).
void picture_draw(PictureImage *image, HDC dc, int32_t x, int32_t y, int32_t w, int32_t h,
                  int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
  PictureSpan s = {x, y, w, h, sx, sy, sw, sh};
  if (!dc || !picture_clip(image, &s)) return;
  BITMAPINFO info = picture_bitmap_info(image->width, s.sh);
  GdiFlush(); /* drawing into the image itself is finished first */
  StretchDIBits(dc, s.x, s.y, s.w, s.h, s.sx, 0, s.sw, s.sh,
                image->bits + (size_t)s.sy * image->width, &info, DIB_RGB_COLORS, SRCCOPY);
}
