// A project cursor's body made into a platform cursor and read back through
// the platform: its transparency (AND) and colour (XOR) planes pixel by pixel,
// and its hot spot.
#include "startup/init.h"
#include <gtest/gtest.h>

namespace {

struct Planes {
  uint8_t bits[64 * 4]; // AND rows 0..31, then XOR rows 0..31, 4 bytes each
  int and_(int x, int y) const { return bits[y * 4 + x / 8] >> (7 - x % 8) & 1; }
  int xor_(int x, int y) const { return bits[(32 + y) * 4 + x / 8] >> (7 - x % 8) & 1; }
};

void setBit(uint8_t *plane, int x, int y) { plane[y * 2 + x / 8] |= uint8_t(0x80 >> (x % 8)); }

TEST(ProjectCursor, BodyPixelsAndHotSpotReachThePlatformCursor) {
  uint8_t body[68] = {};
  uint8_t *image = body, *mask = body + 32;
  setBit(image, 0, 0), setBit(mask, 0, 0);     /* black */
  setBit(mask, 1, 1);                          /* white */
  setBit(image, 2, 13);                        /* inverted */
  setBit(image, 15, 15), setBit(mask, 15, 15); /* black, at the far corner */
  body[65] = 5, body[67] = 3;                  /* the hot spot: y 5, x 3 */
  HCURSOR cursor = cursor_from_body(body);
  ASSERT_NE(cursor, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 3u);
  EXPECT_EQ(info.yHotspot, 5u);
  EXPECT_EQ(info.hbmColor, nullptr); /* monochrome: both planes in the mask bitmap */
  Planes p = {};
  ASSERT_EQ(GetBitmapBits(info.hbmMask, sizeof p.bits, p.bits), LONG(sizeof p.bits));
  struct {
    int x, y, andBit, xorBit;
  } pixels[] = {{0, 0, 0, 0},  {1, 1, 0, 1},  {2, 13, 1, 1},  {15, 15, 0, 0},
                {5, 14, 1, 0}, {16, 0, 1, 0}, {31, 31, 1, 0}, {0, 16, 1, 0}};
  for (const auto &px : pixels) {
    EXPECT_EQ(p.and_(px.x, px.y), px.andBit) << px.x << "," << px.y;
    EXPECT_EQ(p.xor_(px.x, px.y), px.xorBit) << px.x << "," << px.y;
  }
  DeleteObject(info.hbmMask);
  DestroyCursor(cursor);
}

} // namespace
