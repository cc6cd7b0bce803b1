// Picture files: BMP saved and read back exactly, every BMP form read, a few
// hundred damaged BMPs read from blocks that end at an unreadable page, PNG,
// JPEG and GIF through the platform's codecs, and picture sizes refused.
#include "recorder.h"
#include "files/file.h"
#include "graphics/imagefile.h"
#include "objects/registry.h"
#include "picturetest.h"
#include "startup/init.h"
#include "text/string.h"
#include <cstdlib>

using namespace pictest;

namespace {

std::string tempPath(const char *name) {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  return std::string(folder) + name;
}

Object *folderItem(const std::string &path) {
  RString *s = str_from(path.c_str());
  Object *item = FolderItemFromPath(s);
  RuntimeUnlockString(s);
  return item;
}

PictureObject *load(const std::string &path) {
  Object *item = folderItem(path);
  PictureObject *p = (PictureObject *)FolderItemOpenImage(item);
  RuntimeUnlockObject(item);
  return p;
}

void save(PictureObject *p, const std::string &path, bool jpeg = false) {
  Object *item = folderItem(path);
  (jpeg ? FolderItemSaveAsJPEG : FolderItemSaveAsPicture)(item, p);
  RuntimeUnlockObject(item);
}

PictureObject *decodeGuarded(const std::vector<uint8_t> &bytes) {
  Guarded g(bytes);
  return bmp_decode(g.at, g.size);
}

// The sample files the build makes with ImageMagick (tests/runtime/CMakeLists.txt).
std::string sample(const char *name) { return std::string("Z:") + TEST_PICTURES "/" + name; }

struct Expected {
  int x, y;
  uint32_t colour;
};

struct Form {
  const char *name;
  Bmp bmp;
  int width, height;
  std::vector<Expected> pixels;
  bool rle;
};

Bmp coreBmp() {
  Bmp b; /* 2 x 2, 1 bit, palette black and white; rows bottom up */
  b.raw({'B', 'M'}).u32(0).u32(0).u32(0).u32(12).u16(2).u16(2).u16(1).u16(1);
  b.raw({0, 0, 0, 255, 255, 255});
  b.u32(0x80).u32(0x40);
  return b;
}

std::vector<Form> forms() {
  std::vector<Form> f;
  f.push_back({"core 1-bit",
               coreBmp(),
               2,
               2,
               {{0, 0, 0}, {1, 0, 0xFFFFFF}, {0, 1, 0xFFFFFF}, {1, 1, 0}},
               false});
  Bmp b4 = infoBmp(3, 1, 4, BI_RGB, 40, 3);
  b4.u32(0xFF0000).u32(0x00FF00).u32(0x0000FF).raw({0x01, 0x20, 0, 0});
  f.push_back({"4-bit, 3 colours",
               b4,
               3,
               1,
               {{0, 0, 0xFF0000}, {1, 0, 0x00FF00}, {2, 0, 0x0000FF}},
               false});
  Bmp r8 = infoBmp(4, 2, 8, BI_RLE8, 40, 2);
  r8.u32(0).u32(0xFF8000).raw({3, 1, 0, 0, 0, 3, 0, 1, 0, 0, 0, 1});
  f.push_back(
      {"RLE8",
       r8,
       4,
       2,
       {{0, 1, 0xFF8000}, {2, 1, 0xFF8000}, {3, 1, 0}, {0, 0, 0}, {1, 0, 0xFF8000}, {2, 0, 0}},
       true});
  Bmp r4 = infoBmp(4, 1, 4, BI_RLE4, 40, 2);
  r4.u32(0).u32(0xFFFFFF).raw({4, 0x10, 0, 1});
  f.push_back({"RLE4", r4, 4, 1, {{0, 0, 0xFFFFFF}, {1, 0, 0}, {2, 0, 0xFFFFFF}, {3, 0, 0}}, true});
  Bmp b16 = infoBmp(2, 1, 16, BI_RGB);
  b16.u16(0x7C00).u16(0x001F);
  f.push_back({"16-bit 5-5-5", b16, 2, 1, {{0, 0, 0xFF0000}, {1, 0, 0x0000FF}}, false});
  Bmp b565 = infoBmp(1, 1, 16, BI_BITFIELDS);
  b565.u32(0xF800).u32(0x07E0).u32(0x001F).u16(0x07E0).u16(0);
  f.push_back({"16-bit bit fields after the header", b565, 1, 1, {{0, 0, 0x00FF00}}, false});
  Bmp v5 = infoBmp(1, 1, 32, BI_BITFIELDS, 124, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000});
  v5.u32(0x80123456);
  f.push_back({"32-bit V5 with masks", v5, 1, 1, {{0, 0, 0x123456}}, false});
  Bmp td = infoBmp(1, -2, 24, BI_RGB);
  td.raw({0xFF, 0, 0, 0, 0, 0, 0xFF, 0});
  f.push_back({"24-bit top down", td, 1, 2, {{0, 0, 0x0000FF}, {0, 1, 0xFF0000}}, false});
  Bmp gap = infoBmp(1, 1, 32, BI_RGB);
  gap.put32(10, 14 + 40 + 8); /* the pixels after an 8-byte gap */
  gap.u32(0x111111).u32(0x222222).u32(0xABCDEF);
  f.push_back({"32-bit after a gap", gap, 1, 1, {{0, 0, 0xABCDEF}}, false});
  return f;
}

class PictureFileTest : public RuntimeTest {
protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
  }
};

} // namespace

TEST_F(PictureFileTest, PictureSizesOutsideTheLimitsGiveNil) {
  for (auto [w, h] :
       {std::pair{0, 0}, {0, 5}, {5, 0}, {-3, 4}, {4, -1}, {30000, 30000}, {32768, 1}, {1, 32768}})
    EXPECT_EQ(newPicture(w, h, 32), nullptr) << w << " x " << h;
  PictureObject *p = newPicture(1, 1, 32);
  ASSERT_TRUE(p);
  EXPECT_EQ(pixel(p, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(PictureHResGetter(p, 0), 72);
  PictureVResSetter(p, 0, 0); /* only positive resolutions are taken */
  EXPECT_EQ(PictureVResGetter(p, 0), 72);
  RuntimeUnlockObject(&p->header);
}

TEST_F(PictureFileTest, BmpSavedAndReadBackIsPixelExact) {
  std::string path = tempPath("roundtrip.bmp");
  for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {37, 13}}) {
    PictureObject *p = patterned(w, h);
    PictureHResSetter(p, 0, 150);
    save(p, path);
    PictureObject *back = load(path);
    ASSERT_TRUE(back) << w << " x " << h;
    EXPECT_EQ(pictureWidthGetter(back, 0), w);
    EXPECT_EQ(pictureHeightGetter(back, 0), h);
    EXPECT_EQ(differing(p, back), 0) << w << " x " << h;
    EXPECT_EQ(PictureDepthGetter(back, 0), 24);
    EXPECT_EQ(PictureHResGetter(back, 0), 150);
    EXPECT_EQ(PictureVResGetter(back, 0), 72);
    RuntimeUnlockObject(&back->header);
    RuntimeUnlockObject(&p->header);
  }
  DeleteFileA(path.c_str());
  EXPECT_EQ(load(tempPath("no such picture.bmp")), nullptr);
  EXPECT_EQ(FolderItemOpenImage(nullptr), nullptr);
}

TEST_F(PictureFileTest, EveryBmpFormReadsItsPixels) {
  for (const Form &form : forms()) {
    PictureObject *p = decodeGuarded(form.bmp.bytes);
    ASSERT_TRUE(p) << form.name;
    EXPECT_EQ(p->image->width, form.width) << form.name;
    EXPECT_EQ(p->image->height, form.height) << form.name;
    for (const Expected &e : form.pixels)
      EXPECT_EQ(pixel(p, e.x, e.y), e.colour) << form.name << " at " << e.x << "," << e.y;
    RuntimeUnlockObject(&p->header);
  }
}

// Every variant is read from a block ending at an unreadable page: a read
// past its end would fault. Variants whose sizes or layout cannot hold a
// picture must give nil; the rest may give a picture or nil.
TEST_F(PictureFileTest, DamagedBmpsGiveNilAndNeverReadPastTheirEnd) {
  int variants = 0;
  auto mustFail = [&](const std::vector<uint8_t> &bytes, const std::string &what) {
    PictureObject *p = decodeGuarded(bytes);
    EXPECT_EQ(p, nullptr) << what;
    RuntimeUnlockObject((Object *)p);
    variants++;
  };
  auto mayLoad = [&](const std::vector<uint8_t> &bytes) {
    RuntimeUnlockObject((Object *)decodeGuarded(bytes));
    variants++;
  };
  const int32_t badSides[] = {0, -1, INT32_MIN, 30000, 32768, 0x7FFFFFFF};
  for (const Form &form : forms()) {
    const std::vector<uint8_t> &good = form.bmp.bytes;
    bool core = good[14] == 12;
    for (size_t n = 0; n < good.size(); n++) {
      std::vector<uint8_t> cut(good.begin(), good.begin() + n);
      bool picture = form.rle ? n >= 14 + 40 + 8      /* run data ending early ends the picture */
                              : n + 3 >= good.size(); /* the last row's padding may be missing */
      if (picture)
        mayLoad(cut);
      else
        mustFail(cut, std::string(form.name) + " cut to " + std::to_string(n));
    }
    if (core) continue;
    for (int32_t side : badSides) {
      Bmp b = form.bmp;
      b.put32(18, (uint32_t)side);
      if (form.rle && side == 30000)
        mayLoad(b.bytes); /* little data makes a wide picture */
      else
        mustFail(b.bytes, std::string(form.name) + " width " + std::to_string(side));
      b = form.bmp;
      b.put32(22, (uint32_t)side);
      if (side == -1 || form.rle)
        mayLoad(b.bytes);
      else
        mustFail(b.bytes, std::string(form.name) + " height " + std::to_string(side));
    }
    for (uint16_t bits : {0, 2, 3, 7, 33, 0xFFFF}) {
      Bmp b = form.bmp;
      b.bytes[28] = (uint8_t)bits;
      b.bytes[29] = (uint8_t)(bits >> 8);
      mustFail(b.bytes, std::string(form.name) + " bits " + std::to_string(bits));
    }
    for (uint32_t value : {0x101u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0u}) {
      Bmp b = form.bmp;
      b.put32(46, value); /* colours used */
      mayLoad(b.bytes);
      b = form.bmp;
      b.put32(10, value ? value : (uint32_t)good.size() + 1); /* pixel offset */
      mustFail(b.bytes, std::string(form.name) + " offset " + std::to_string(value));
    }
    for (uint32_t compression : {1u, 2u, 3u, 4u, 5u, 6u, 99u}) {
      Bmp b = form.bmp;
      b.put32(30, compression);
      mayLoad(b.bytes);
    }
    if (good[30] == BI_BITFIELDS)
      for (size_t mask = 0; mask < 3; mask++) {
        Bmp b = form.bmp;
        b.put32(54 + 4 * mask, 0);
        mustFail(b.bytes, std::string(form.name) + " mask 0");
      }
  }
  /* RLE runs and deltas that overrun rows and the picture */
  Bmp over = infoBmp(2, 2, 8, BI_RLE8, 40, 1);
  over.u32(0xFF).raw({255, 0, 0, 2, 200, 200, 0, 250, 1, 2, 3, 4, 0, 0, 255, 0});
  mayLoad(over.bytes);
  /* Random damage with a fixed seed: flipped bytes anywhere */
  std::vector<Form> all = forms();
  uint32_t seed = 12345;
  auto next = [&] { return (seed = seed * 1103515245 + 12345) >> 16; };
  for (int i = 0; i < 400; i++) {
    std::vector<uint8_t> b = all[next() % all.size()].bmp.bytes;
    for (int k = 1 + next() % 4; k > 0; k--) b[next() % b.size()] = (uint8_t)next();
    mayLoad(b);
  }
  EXPECT_GT(variants, 1000);
}

TEST_F(PictureFileTest, PngJpegAndGifLoadThroughThePlatformCodecs) {
  /* 40 x 30: red top left, lime top right, blue below (see CMakeLists.txt) */
  struct Case {
    const char *file;
    int tolerance;
  } cases[] = {{"sample.png", 0}, {"sample.jpg", 24}, {"sample.gif", 0}, {"sample.bmp", 0}};
  for (const Case &c : cases) {
    PictureObject *p = load(sample(c.file));
    ASSERT_TRUE(p) << c.file;
    EXPECT_EQ(pictureWidthGetter(p, 0), 40) << c.file;
    EXPECT_EQ(pictureHeightGetter(p, 0), 30) << c.file;
    for (Expected e : {Expected{5, 5, 0xFF0000}, {35, 5, 0x00FF00}, {20, 25, 0x0000FF}}) {
      uint32_t got = pixel(p, e.x, e.y);
      for (int shift = 0; shift < 24; shift += 8)
        EXPECT_NEAR((int)(got >> shift & 0xFF), (int)(e.colour >> shift & 0xFF), c.tolerance)
            << c.file << " at " << e.x << "," << e.y;
    }
    EXPECT_EQ(pictureImageCountGetter(p, 0), 1) << c.file;
    RuntimeUnlockObject(&p->header);
  }
}

TEST_F(PictureFileTest, AnimatedGifHasAnImagePerFrame) {
  PictureObject *p = load(sample("frames.gif")); /* 8 x 6 frames: red, lime, blue */
  ASSERT_TRUE(p);
  ASSERT_EQ(pictureImageCountGetter(p, 0), 3);
  const uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF};
  for (int i = 0; i < 3; i++) {
    PictureObject *frame = (PictureObject *)pictureIndexedImage(p, i);
    ASSERT_TRUE(frame);
    EXPECT_EQ(pixel(frame, 3, 3), colours[i]) << "frame " << i;
    EXPECT_EQ(pictureImageCountGetter(frame, 0), 1);
    RuntimeUnlockObject(&frame->header);
  }
  EXPECT_EQ(pictureIndexedImage(p, 3), nullptr);
  EXPECT_EQ(pictureIndexedImage(p, -1), nullptr);
  EXPECT_EQ(pictureIndexedImage(nullptr, 0), nullptr);
  RuntimeUnlockObject(&p->header);
}

TEST_F(PictureFileTest, PngAndJpegSavedThroughThePlatformReadBack) {
  PictureObject *p = newPicture(16, 8, 32);
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 16; x++) p->image->bits[y * 16 + x] = x < 8 ? 0xFF0000 : 0x0000FF;
  std::string png = tempPath("saved.png"), jpeg = tempPath("saved.jpeg");
  save(p, png);
  save(p, jpeg, true);
  PictureObject *fromPng = load(png), *fromJpeg = load(jpeg);
  ASSERT_TRUE(fromPng);
  EXPECT_EQ(differing(p, fromPng), 0);
  ASSERT_TRUE(fromJpeg);
  EXPECT_NEAR((int)(pixel(fromJpeg, 2, 4) >> 16), 255, 24);
  EXPECT_NEAR((int)(pixel(fromJpeg, 13, 4) & 0xFF), 255, 24);
  for (PictureObject *q : {p, fromPng, fromJpeg}) RuntimeUnlockObject(&q->header);
  DeleteFileA(png.c_str());
  DeleteFileA(jpeg.c_str());
}

namespace {
std::vector<uint8_t> gResource;
uint8_t *readResource(int32_t number, size_t *length) {
  if (number != 7) return nullptr;
  uint8_t *bytes = (uint8_t *)malloc(gResource.size());
  memcpy(bytes, gResource.data(), gResource.size());
  *length = gResource.size();
  return bytes;
}
} // namespace

TEST_F(PictureFileTest, ProjectPictureIsDecodedFromItsResourceOnFirstUse) {
  gResource = forms()[1].bmp.bytes; /* 3 x 1: red, lime, blue */
  picture_set_resource_reader(readResource);
  PictureObject *p = (PictureObject *)CreateInstance(registry_find("Picture"));
  p->resource = 7;
  EXPECT_EQ(p->image, nullptr);
  EXPECT_EQ(pictureWidthGetter(p, 0), 3);
  EXPECT_EQ(pixel(p, 2, 0), 0x0000FFu);
  PictureObject *missing = (PictureObject *)CreateInstance(registry_find("Picture"));
  missing->resource = 8;
  EXPECT_EQ(pictureWidthGetter(missing, 0), 0);
  EXPECT_EQ(pictureGraphicsGetter(missing, 0), nullptr);
  picture_set_resource_reader(nullptr);
  RuntimeUnlockObject(&p->header);
  RuntimeUnlockObject(&missing->header);
}
