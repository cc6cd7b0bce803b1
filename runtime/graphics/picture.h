// Pictures: the Picture object and its image, a 32-bit top-down DIB section
// that code draws into through a memory device context.
#pragma once
#include "graphics/port.h"

// The pixels of a picture. Every picture is held at 32 bits per pixel, top
// down, 0x00RRGGBB in memory order B, G, R, X; Depth reports the depth it was
// made or loaded with.
struct PictureImage {
  DrawTarget target;  // 0: the picture as a drawing target
  int32_t width;      // 8
  int32_t height;     // 12
  int32_t depth;      // 16: as made or loaded: 1, 8, 16, 24 or 32
  HBITMAP bitmap;     // 20: the DIB section
  uint32_t *bits;     // 24: its pixels, row after row, width words each
  HDC dc;             // 28: the memory device context, made on first use
  HGDIOBJ oldBitmap;  // 32: what dc held before bitmap
  int32_t hres, vres; // 36: dots per inch, 72 unless loaded or set
  PictureImage *next; // 44: the next frame of a multi-frame picture (owned), or nil
  int32_t locks;      // 48: plug-ins' picture-description locks not yet undone
};

// A Picture instance (40 bytes).
struct PictureObject {
  Object header;       // 0
  PictureImage *image; // 16: nil for a project picture not yet decoded
  Object *graphics;    // 20: its Graphics, made on first request (retained)
  int32_t resource;    // 24: project picture resource number, 0 for none, negated if unreadable
  int32_t transparent; // 28: the Transparent property
  Object *mask;        // 32: the Mask picture, made on first request (retained)
  Object *images;      // 36: the images of a multi-image picture, or nil
};
static_assert(offsetof(PictureObject, image) == 16);
static_assert(offsetof(PictureObject, resource) == 24);
static_assert(offsetof(PictureObject, transparent) == 28);
static_assert(sizeof(PictureObject) == 40);

// Pictures larger than this in either direction are refused.
constexpr int32_t kPictureMaxSide = 32767;

// A new picture of that size, white, with one reference; nil for a size not
// above 0 or above kPictureMaxSide, or when the platform cannot make it.
PictureObject *picture_new(int32_t width, int32_t height, int32_t depth);
// The platform's description of a top-down 32-bit bitmap of that size.
BITMAPINFO picture_bitmap_info(int32_t width, int32_t height);

// A lone image of that size, white, or nil (the sizes as for picture_new);
// freeing an image frees the frames chained after it.
PictureImage *picture_image_new(int32_t width, int32_t height, int32_t depth);
void picture_image_free(PictureImage *image);
// A new picture holding the image (taken over), or nil (the image freed).
PictureObject *picture_from_image(PictureImage *image);

// The picture's image, decoding a project picture on first use; nil if none.
PictureImage *picture_image(PictureObject *picture);
// The object as a picture: nil unless it is one (a Backdrop property takes any object).
PictureObject *picture_of(Object *o);
// The image's memory device context (made on first use), or nil.
HDC picture_dc(PictureImage *image);
// Draws the part (sx, sy, sw, sh) of the image scaled into (x, y, w, h) of dc.
void picture_draw(PictureImage *image, HDC dc, int32_t x, int32_t y, int32_t w, int32_t h,
                  int32_t sx, int32_t sy, int32_t sw, int32_t sh);

// A destination rectangle and the source part drawn into it.
struct PictureSpan {
  int32_t x, y, w, h;     // 0: destination
  int32_t sx, sy, sw, sh; // 16: source, within the image once clipped
};
bool picture_clip(const PictureImage *image, PictureSpan *span);

// Draws like picture_draw, but leaves out what the picture hides: white
// pixels when Transparent is 1, and the black of its Mask (grey shows in
// part) once a mask has been made. DrawPicture draws through this.
void picture_draw_masked(PictureObject *picture, HDC dc, int32_t x, int32_t y, int32_t w, int32_t h,
                         int32_t sx, int32_t sy, int32_t sw, int32_t sh);

// Project pictures: start-up gives the routine that reads resource `number`
// of the application's resource block as the bytes of a picture file (a
// block from malloc, or nil).
typedef uint8_t *(*PictureResourceReader)(int32_t number, size_t *length);
void picture_set_resource_reader(PictureResourceReader reader);

// The RGBSurface instance (48 bytes): direct access to a picture's pixels.
struct RGBSurfaceObject {
  Object header;          // 0
  PictureObject *picture; // 16: retained
  int32_t reserved[7];    // 20
};
static_assert(sizeof(RGBSurfaceObject) == 48);
PictureObject *rgbsurface_picture(Object *surface);

void picture_classes_attach();    // the Picture class's destructor
void rgbsurface_classes_attach(); // the RGBSurface class's destructor

extern "C" {
PictureObject *newPicture(int32_t width, int32_t height, int32_t depth);
int32_t pictureWidthGetter(PictureObject *picture, int32_t);
int32_t pictureHeightGetter(PictureObject *picture, int32_t);
int32_t PictureDepthGetter(PictureObject *picture, int32_t);
Object *pictureGraphicsGetter(PictureObject *picture, int32_t);
int32_t pictureTransparentGetter(PictureObject *picture, int32_t);
void pictureTransparentSetter(PictureObject *picture, int32_t, int32_t value);
int32_t PictureHResGetter(PictureObject *picture, int32_t);
int32_t PictureVResGetter(PictureObject *picture, int32_t);
void PictureHResSetter(PictureObject *picture, int32_t, int32_t dpi);
void PictureVResSetter(PictureObject *picture, int32_t, int32_t dpi);
Object *pictureMaskGetter(PictureObject *picture, int32_t);
int32_t pictureImageCountGetter(PictureObject *picture, int32_t);
Object *pictureIndexedImage(PictureObject *picture, int32_t index);
Object *pictureRGBSurfaceGetter(PictureObject *picture, int32_t);
int32_t rgbSurfaceGetPixel(Object *surface, int32_t x, int32_t y);
void rgbSurfaceSetPixel(Object *surface, int32_t x, int32_t y, int32_t colour);
}
