// The Picture's properties and the plug-in picture helpers: RGBSurface pixels
// and their bounds, drawing that leaves out what Transparent and Mask hide,
// resolution, and pictures made, locked and drawn by plug-ins.
#include "recorder.h"
#include "graphics/graphics.h"
#include "graphics/pluginpicture.h"
#include "objects/registry.h"
#include "picturetest.h"
#include "startup/init.h"

using namespace pictest;

namespace {

constexpr int32_t kNatural = -10000; /* DrawPicture: the picture's own size */

class PictureTest : public RuntimeTest {
protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
  }
  // A 4 x 1 picture: white, red, white, blue.
  static PictureObject *stripe() {
    PictureObject *p = newPicture(4, 1, 32);
    const uint32_t colours[] = {0xFFFFFF, 0xFF0000, 0xFFFFFF, 0x0000FF};
    for (int x = 0; x < 4; x++) p->image->bits[x] = colours[x];
    return p;
  }
  // The stripe drawn 1:1 over a green picture of its size, read back.
  static std::vector<uint32_t> drawnOverGreen(PictureObject *p) {
    PictureObject *dest = newPicture(4, 1, 32);
    for (int x = 0; x < 4; x++) dest->image->bits[x] = 0x00FF00;
    picture_draw_masked(p, picture_dc(dest->image), 0, 0, 4, 1, 0, 0, 4, 1);
    std::vector<uint32_t> out;
    for (int x = 0; x < 4; x++) out.push_back(pixel(dest, x, 0));
    RuntimeUnlockObject(&dest->header);
    return out;
  }
};

} // namespace

TEST_F(PictureTest, InstancesHoldTheLayoutsCompiledCodeAllocates) {
  EXPECT_EQ(registry_find("Picture")->instanceSize, int32_t(sizeof(PictureObject)));
  EXPECT_EQ(registry_find("RGBSurface")->instanceSize, int32_t(sizeof(RGBSurfaceObject)));
}

TEST_F(PictureTest, RGBSurfaceReadsAndWritesPixelsInsideThePictureOnly) {
  PictureObject *p = newPicture(5, 3, 32);
  Object *surface = pictureRGBSurfaceGetter(p, 0);
  ASSERT_TRUE(surface);
  rgbSurfaceSetPixel(surface, 4, 2, 0x123456);
  EXPECT_EQ(rgbSurfaceGetPixel(surface, 4, 2), 0x123456);
  EXPECT_EQ(pixel(p, 4, 2), 0x123456u);
  SetPixel(picture_dc(p->image), 1, 1, RGB(0xAB, 0xCD, 0xEF)); /* drawn through the platform */
  EXPECT_EQ(rgbSurfaceGetPixel(surface, 1, 1), 0xABCDEF);
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {5, 0}, {0, 3}, {INT32_MIN, INT32_MAX}}) {
    rgbSurfaceSetPixel(surface, x, y, 0);
    EXPECT_EQ(rgbSurfaceGetPixel(surface, x, y), 0) << x << "," << y;
  }
  EXPECT_EQ(rgbSurfaceGetPixel(nullptr, 0, 0), 0);
  RuntimeUnlockObject(&p->header); /* the surface keeps the picture */
  EXPECT_EQ(rgbSurfaceGetPixel(surface, 4, 2), 0x123456);
  RuntimeUnlockObject(surface);
  EXPECT_EQ(pictureRGBSurfaceGetter(nullptr, 0), nullptr);
}

TEST_F(PictureTest, DrawingLeavesOutWhatTransparentAndMaskHide) {
  PictureObject *p = stripe();
  EXPECT_EQ(drawnOverGreen(p), (std::vector<uint32_t>{0xFFFFFF, 0xFF0000, 0xFFFFFF, 0x0000FF}));
  pictureTransparentSetter(p, 0, 1);
  EXPECT_EQ(pictureTransparentGetter(p, 0), 1);
  EXPECT_EQ(drawnOverGreen(p), (std::vector<uint32_t>{0x00FF00, 0xFF0000, 0x00FF00, 0x0000FF}));
  pictureTransparentSetter(p, 0, 0);
  PictureObject *mask = (PictureObject *)pictureMaskGetter(p, 0);
  ASSERT_TRUE(mask);
  EXPECT_EQ(pictureWidthGetter(mask, 0), 4);
  EXPECT_EQ(pixel(mask, 1, 0), 0xFFFFFFu) << "a new mask shows everything";
  mask->image->bits[1] = 0x000000; /* red hidden */
  mask->image->bits[3] = 0x808080; /* blue half shown */
  std::vector<uint32_t> drawn = drawnOverGreen(p);
  EXPECT_EQ(drawn[0], 0xFFFFFFu);
  EXPECT_EQ(drawn[1], 0x00FF00u);
  EXPECT_NEAR((int)(drawn[3] & 0xFF), 0x80, 2);
  EXPECT_NEAR((int)(drawn[3] >> 8 & 0xFF), 0x7F, 2);
  EXPECT_EQ(pictureMaskGetter(p, 0), &mask->header) << "the mask is made once";
  PictureObject *dest = newPicture(8, 2, 32);
  for (int i = 0; i < 16; i++) dest->image->bits[i] = 0x00FF00;
  GraphicsObject *g = (GraphicsObject *)pictureGraphicsGetter(dest, 0);
  RuntimeGraphicsDrawPicture(g, p, 2, 1, kNatural, kNatural, 0, 0, kNatural, kNatural);
  EXPECT_EQ(pixel(dest, 2, 1), 0xFFFFFFu);
  EXPECT_EQ(pixel(dest, 3, 1), 0x00FF00u) << "DrawPicture leaves out what the mask hides";
  EXPECT_EQ(pixel(dest, 2, 0), 0x00FF00u);
  RuntimeUnlockObject(&g->header);
  RuntimeUnlockObject(&dest->header);
  RuntimeUnlockObject(&mask->header);
  RuntimeUnlockObject(&mask->header);
  RuntimeUnlockObject(&p->header);
  EXPECT_EQ(pictureMaskGetter(nullptr, 0), nullptr);
}

TEST_F(PictureTest, PluginsBuildLockAndDrawPictures) {
  /* a packed DIB in a global block: 2 x 1, 24 bits */
  HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE, 40 + 8);
  uint8_t *d = (uint8_t *)GlobalLock(dib);
  memset(d, 0, 48);
  BITMAPINFOHEADER h = {sizeof h, 2, 1, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  memcpy(d, &h, sizeof h);
  const uint8_t row[] = {0x56, 0x34, 0x12, 0xFF, 0, 0};
  memcpy(d + 40, row, sizeof row);
  GlobalUnlock(dib);
  PictureObject *p = (PictureObject *)KARUBuildPictureFromDIB(dib);
  GlobalFree(dib);
  ASSERT_TRUE(p);
  EXPECT_EQ(pixel(p, 0, 0), 0x123456u);
  EXPECT_EQ(pixel(p, 1, 0), 0x0000FFu);
  EXPECT_EQ(KARUBuildPictureFromDIB(nullptr), nullptr);
  EXPECT_EQ(KARUBuildPictureFromGWorld(&h), nullptr);

  KARUPictureDescription desc = {};
  ASSERT_EQ(lockPictureDescription(p, &desc), 1);
  EXPECT_EQ(desc.width, 2);
  EXPECT_EQ(desc.rowBytes, 8);
  EXPECT_EQ(p->header.refs, 2) << "locked pictures stay alive";
  ((uint32_t *)desc.pixels)[1] = 0x00ABCDEF;
  unlockPictureDescription(p);
  unlockPictureDescription(p); /* one unlock too many does nothing */
  EXPECT_EQ(p->header.refs, 1);
  KARUPictureClearCache(p);
  EXPECT_EQ(pixel(p, 1, 0), 0xABCDEFu);
  EXPECT_EQ(lockPictureDescription(nullptr, &desc), 0);

  desc.depth = 24;
  desc.rowBytes = 8;
  const uint8_t packed[] = {1, 2, 3, 4, 5, 6, 0, 0};
  desc.pixels = (void *)packed;
  PictureObject *copy = (PictureObject *)KARUBuildPictureFromPictureDescription(&desc);
  ASSERT_TRUE(copy);
  EXPECT_EQ(pixel(copy, 1, 0), 0x060504u);
  desc.rowBytes = 5; /* too short a row */
  EXPECT_EQ(KARUBuildPictureFromPictureDescription(&desc), nullptr);

  drawPicturePrimitive(p, picture_dc(copy->image), 0, 0, 2, 1);
  EXPECT_EQ(pixel(copy, 1, 0), 0xABCDEFu);
  Object *g = pluginPictureGraphicsGetter(p);
  EXPECT_TRUE(g);
  EXPECT_EQ(g, p->graphics) << "borrowed: the picture keeps it";
  EXPECT_EQ(g->refs, 1);
  RuntimeUnlockObject(&copy->header);
  RuntimeUnlockObject(&p->header);
}
