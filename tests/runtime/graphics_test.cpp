// Drawing through Graphics objects into pictures, checked pixel by pixel in
// the picture's own memory: pen sizes, colours, shapes, polygons from arrays,
// text at a baseline, pictures drawn scaled and in part, clamped coordinates,
// two threads at once, and Graphics objects whose target has gone.
#include "recorder.h"
#include "graphics/graphics.h"
#include "objects/array.h"
#include "objects/registry.h"
#include "startup/init.h"
#include "text/string.h"
#include <functional>
#include <initializer_list>
#include <string>

namespace {

constexpr int32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kNatural = -10000;

class GraphicsTest : public RuntimeTest {
protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
  }
  void TearDown() override {
    for (PictureObject *p : pictures) RuntimeUnlockObject(&p->header);
    for (GraphicsObject *g : kept) RuntimeUnlockObject(&g->header);
    RuntimeTest::TearDown();
  }

  // A white picture and its Graphics, both released at the end.
  GraphicsObject *canvas(int32_t width, int32_t height, PictureObject **picture = nullptr) {
    PictureObject *p = picture_new(width, height, 32);
    pictures.push_back(p);
    if (picture) *picture = p;
    GraphicsObject *g = (GraphicsObject *)pictureGraphicsGetter(p, 0);
    kept.push_back(g);
    return g;
  }
  static int32_t pixel(PictureObject *p, int32_t x, int32_t y) {
    GdiFlush();
    return (int32_t)(p->image->bits[y * p->image->width + x] & 0xFFFFFF);
  }
  // The pixels that are not white, as "x,y" texts in row order.
  static std::string inked(PictureObject *p) {
    std::string out;
    for (int32_t y = 0; y < p->image->height; y++)
      for (int32_t x = 0; x < p->image->width; x++)
        if (pixel(p, x, y) != kWhite) out += std::to_string(x) + "," + std::to_string(y) + " ";
    return out;
  }
  static std::string rect(int32_t x0, int32_t y0, int32_t x1, int32_t y1) { /* inclusive */
    std::string out;
    for (int32_t y = y0; y <= y1; y++)
      for (int32_t x = x0; x <= x1; x++) out += std::to_string(x) + "," + std::to_string(y) + " ";
    return out;
  }
  // A one-dimensional Integer array holding the values from element 1.
  ArrayRecord *points(std::initializer_list<int32_t> values) {
    ArrayRecord *a = RuntimeCreateArray();
    RuntimeArrayCreateAddIndex(a, 0, (int32_t)values.size());
    int32_t i = 1;
    for (int32_t v : values) RuntimeDirectWriteIntArray(a, i++, v);
    arrays.push_back(a);
    return a;
  }

  std::vector<PictureObject *> pictures;
  std::vector<GraphicsObject *> kept;
  std::vector<ArrayRecord *> arrays;

public:
  ~GraphicsTest() override {
    for (ArrayRecord *a : arrays) RuntimeDisposeIntArray(a);
  }
};

TEST_F(GraphicsTest, ThePenHeightDrawsRowsAndTheEndPixel) {
  PictureObject *p;
  GraphicsObject *g = canvas(16, 12, &p);
  graphicsPenHeightSetter(g, 0, 3);
  RuntimeGraphicsDrawLine(g, 10, 5, 2, 5); /* drawn from the left-hand end */
  EXPECT_EQ(inked(p), rect(2, 5, 10, 7));
}

TEST_F(GraphicsTest, ForeColourKeepsEachChannelTimes257InRedGreenBlueOrder) {
  PictureObject *p;
  GraphicsObject *g = canvas(4, 4, &p);
  graphicsForeColorSetter(g, 0, 0x123456);
  EXPECT_EQ(graphicsForeColorGetter(g, 0), 0x123456);
  EXPECT_EQ(g->port->red, 0x12 * 257);
  EXPECT_EQ(g->port->blue, 0x56 * 257);
  graphicsPixelSetter(g, 1, 1, 0xABCDEF);
  RuntimeGraphicsFillRect(g, 0, 0, 1, 1);
  EXPECT_EQ(pixel(p, 0, 0), 0x123456);
  EXPECT_EQ(pixel(p, 1, 1), 0xABCDEF);
  EXPECT_EQ(graphicsPixelGetter(g, 1, 1), 0xABCDEF);
  g->port->originX = 3, g->port->originY = 2; /* the origin is taken off every coordinate */
  EXPECT_EQ(graphicsPixelGetter(g, 4, 3), 0xABCDEF);
}

TEST_F(GraphicsTest, RectanglesFilledFramedAndCleared) {
  PictureObject *p;
  GraphicsObject *g = canvas(30, 30, &p);
  RuntimeGraphicsFillRect(g, 2, 3, 5, 4);
  EXPECT_EQ(inked(p), rect(2, 3, 6, 6)); /* right and bottom edges excluded */
  RuntimeGraphicsClearRect(g, 2, 3, 5, 4);
  EXPECT_EQ(inked(p), "");
  RuntimeGraphicsDrawRect(g, 10, 10, 5, 5); /* the four lines reach x + w and y + h */
  std::string frameRows;
  for (int32_t y = 11; y <= 14; y++)
    frameRows += "10," + std::to_string(y) + " 15," + std::to_string(y) + " ";
  EXPECT_EQ(inked(p), rect(10, 10, 15, 10) + frameRows + rect(10, 15, 15, 15));
}

TEST_F(GraphicsTest, OvalsAndRoundRectanglesFillInsideAndFrameTheEdge) {
  PictureObject *p;
  GraphicsObject *g = canvas(40, 40, &p);
  RuntimeGraphicsFillOval(g, 0, 0, 20, 10);
  EXPECT_EQ(pixel(p, 10, 5), kBlack);
  EXPECT_EQ(pixel(p, 0, 0), kWhite); /* the corners lie outside */
  EXPECT_EQ(pixel(p, 19, 9), kWhite);
  EXPECT_EQ(pixel(p, 20, 5), kWhite);
  RuntimeGraphicsDrawOval(g, 20, 20, 20, 10);
  EXPECT_EQ(pixel(p, 30, 25), kWhite); /* an outline only */
  EXPECT_EQ(pixel(p, 30, 20), kBlack); /* the top of the edge */
  EXPECT_EQ(pixel(p, 20, 20), kWhite);
  RuntimeGraphicsClearRect(g, 0, 0, 40, 40);
  RuntimeGraphicsFillRoundRect(g, 0, 0, 20, 20, 8, 8);
  EXPECT_EQ(pixel(p, 10, 10), kBlack);
  EXPECT_EQ(pixel(p, 10, 0), kBlack);
  EXPECT_EQ(pixel(p, 0, 0), kWhite); /* a rounded corner */
  RuntimeGraphicsDrawRoundRect(g, 20, 20, 20, 20, 8, 8);
  EXPECT_EQ(pixel(p, 30, 30), kWhite);
  EXPECT_EQ(pixel(p, 30, 20), kBlack);
  EXPECT_EQ(pixel(p, 20, 20), kWhite);
}

TEST_F(GraphicsTest, PolygonsTakeTheirPointsFromTheArraysBound) {
  PictureObject *p;
  GraphicsObject *g = canvas(20, 20, &p);
  graphicsFillPolygon(g, points({1, 1, 15, 1, 1, 15}));
  EXPECT_EQ(pixel(p, 3, 3), kBlack);
  EXPECT_EQ(pixel(p, 14, 14), kWhite);
  std::string filled = inked(p);
  RuntimeGraphicsClearRect(g, 0, 0, 20, 20);
  graphicsFillPolygon(g, points({1, 1, 15, 1, 1, 15, 99})); /* an unpaired last value */
  EXPECT_EQ(inked(p), filled);
  RuntimeGraphicsClearRect(g, 0, 0, 20, 20);
  graphicsFillPolygon(g, points({1, 1, 15})); /* one point and a half: nothing */
  graphicsDrawPolygon(g, points({}));
  graphicsDrawPolygon(g, nullptr);
  EXPECT_EQ(inked(p), "");
  graphicsDrawPolygon(g, points({1, 1, 15, 1, 1, 15}));
  EXPECT_EQ(pixel(p, 8, 1), kBlack);
  EXPECT_EQ(pixel(p, 4, 4), kWhite); /* an outline only */
}

TEST_F(GraphicsTest, TextStandsOnItsBaselineAndMeasuresConsistently) {
  PictureObject *p;
  GraphicsObject *g = canvas(200, 120, &p);
  RString *text = str_from("HEH"), *amp = str_from("A&B"), *plain = str_from("AB");
  RString *longer = str_from("HEHHEH");
  RString *words = str_from("one two three four five six seven eight nine ten");
  int32_t ascent = RuntimeGraphicsTextAscent(g), height = RuntimeGraphicsTextHeight(g);
  ASSERT_GT(ascent, 0);
  ASSERT_GE(height, ascent);
  RuntimeGraphicsDrawString(g, text, 10, 40, 0);
  int32_t top = 1000, bottom = -1;
  for (int32_t y = 0; y < 120; y++)
    for (int32_t x = 0; x < 200; x++)
      if (pixel(p, x, y) != kWhite) top = y < top ? y : top, bottom = y > bottom ? y : bottom;
  ASSERT_GE(bottom, 0) << "no ink";
  EXPECT_LT(bottom, 40);       /* capitals lie above the baseline */
  EXPECT_GE(top, 40 - ascent); /* and below its ascent */
  EXPECT_GT(RuntimeGraphicsStringWidth(g, longer), RuntimeGraphicsStringWidth(g, text));
  EXPECT_GT(RuntimeGraphicsStringWidth(g, amp), RuntimeGraphicsStringWidth(g, plain)); /* & drawn */
  int32_t wrapped = RuntimeGraphicsStringHeight(g, words, 60);
  EXPECT_GE(wrapped, 2 * height);
  EXPECT_EQ(wrapped % height, 0);
  EXPECT_EQ(RuntimeGraphicsStringHeight(g, text, 0), height);
  graphicsTextSizeSetter(g, 0, 30); /* a new font, and new metrics */
  EXPECT_GT(RuntimeGraphicsTextHeight(g), height);
  graphicsBoldSetter(g, 0, true);
  EXPECT_TRUE(graphicsBoldGetter(g, 0));
  EXPECT_FALSE(graphicsItalicGetter(g, 0));
  RuntimeGraphicsClearRect(g, 0, 0, 200, 120);
  RuntimeGraphicsDrawString(g, nullptr, 10, 40, 0);
  EXPECT_EQ(inked(p), "");
  EXPECT_EQ(RuntimeGraphicsStringWidth(g, nullptr), 0);
  EXPECT_EQ(RuntimeGraphicsStringHeight(g, nullptr, 50), 0);
  for (RString *s : {text, amp, plain, longer, words}) RuntimeUnlockString(s);
}

TEST_F(GraphicsTest, PicturesDrawAtNaturalSizeScaledAndInPart) {
  PictureObject *src;
  canvas(4, 3, &src);
  for (int32_t y = 0; y < 3; y++)
    for (int32_t x = 0; x < 4; x++) src->image->bits[y * 4 + x] = (uint32_t)(x * 16 + y + 1);
  PictureObject *p;
  GraphicsObject *g = canvas(20, 20, &p);
  RuntimeGraphicsDrawPicture(g, src, 5, 6, kNatural, kNatural, 0, 0, kNatural, kNatural);
  for (int32_t y = 0; y < 3; y++)
    for (int32_t x = 0; x < 4; x++) EXPECT_EQ(pixel(p, 5 + x, 6 + y), x * 16 + y + 1);
  EXPECT_EQ(pixel(p, 9, 6), kWhite);
  EXPECT_EQ(pixel(p, 5, 9), kWhite);
  RuntimeGraphicsDrawPicture(g, src, 0, 10, 8, 6, 0, 0, 4, 3); /* twice the size */
  for (int32_t y = 0; y < 6; y++)
    for (int32_t x = 0; x < 8; x++) EXPECT_EQ(pixel(p, x, 10 + y), x / 2 * 16 + y / 2 + 1);
  RuntimeGraphicsDrawPicture(g, src, 12, 0, 2, 2, 1, 1, 2, 2); /* a part, from the top */
  EXPECT_EQ(pixel(p, 12, 0), 1 * 16 + 1 + 1);
  EXPECT_EQ(pixel(p, 13, 1), 2 * 16 + 2 + 1);
  RuntimeGraphicsDrawPicture(g, src, 16, 0, 10, 10, 2, 1, kNatural, kNatural); /* cut at its edge */
  EXPECT_EQ(pixel(p, 16, 0), 2 * 16 + 1 + 1);
  EXPECT_EQ(pixel(p, 18, 0), kWhite);
  RuntimeGraphicsDrawPicture(g, nullptr, 0, 0, 5, 5, 0, 0, 5, 5);
}

TEST_F(GraphicsTest, CoordinatesBeyondSixteenBitsAreClampedNotWrapped) {
  PictureObject *p;
  GraphicsObject *g = canvas(50, 6, &p);
  RuntimeGraphicsFillRect(g, 0, 0, 40000, 2);
  EXPECT_EQ(pixel(p, 49, 1), kBlack);
  RuntimeGraphicsDrawLine(g, 40000, 3, 0, 3);
  EXPECT_EQ(pixel(p, 49, 3), kBlack);
  EXPECT_EQ(pixel(p, 0, 3), kBlack);
  RuntimeGraphicsFillRect(g, -40000, 5, 40010, 1); /* right edge at 10 */
  EXPECT_EQ(pixel(p, 9, 5), kBlack);
  EXPECT_EQ(pixel(p, 10, 5), kWhite);
}

DWORD WINAPI drawRows(void *arg) {
  GraphicsObject *g = (GraphicsObject *)arg;
  for (int32_t i = 0; i < 1000; i++) RuntimeGraphicsDrawLine(g, 0, i % 64, 63, i % 64);
  return 0;
}

TEST_F(GraphicsTest, TwoThreadsDrawIntoTwoPicturesAtOnce) {
  PictureObject *a, *b;
  GraphicsObject *ga = canvas(64, 64, &a), *gb = canvas(64, 64, &b);
  graphicsForeColorSetter(ga, 0, 0xFF0000);
  graphicsForeColorSetter(gb, 0, 0x0000FF);
  HANDLE threads[] = {CreateThread(nullptr, 0, drawRows, ga, 0, nullptr),
                      CreateThread(nullptr, 0, drawRows, gb, 0, nullptr)};
  WaitForMultipleObjects(2, threads, TRUE, INFINITE);
  for (HANDLE h : threads) CloseHandle(h);
  int32_t wrongA = 0, wrongB = 0;
  for (int32_t y = 0; y < 64; y++)
    for (int32_t x = 0; x < 64; x++) {
      wrongA += pixel(a, x, y) != 0xFF0000;
      wrongB += pixel(b, x, y) != 0x0000FF;
    }
  EXPECT_EQ(wrongA, 0);
  EXPECT_EQ(wrongB, 0);
}

DWORD WINAPI drawUntilDetached(void *arg) {
  GraphicsObject *g = (GraphicsObject *)arg;
  for (int32_t i = 0; i < 3000; i++) RuntimeGraphicsFillRect(g, 0, i % 32, 32, 1);
  return 0;
}

TEST_F(GraphicsTest, DetachingWhileAnotherThreadDrawsWaitsForItsOperation) {
  PictureObject *p;
  GraphicsObject *g = canvas(32, 32, &p);
  HANDLE thread = CreateThread(nullptr, 0, drawUntilDetached, g, 0, nullptr);
  Sleep(20);
  graphics_detach(g); /* between two operations, never inside one */
  RuntimeGraphicsClearRect(g, 0, 0, 32, 32);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_FALSE(g->port->target);
  EXPECT_EQ(g->port->dc, nullptr);
}

TEST_F(GraphicsTest, ADetachedGraphicsDrawsNothingAndAnswersZero) {
  PictureObject *p;
  GraphicsObject *g = canvas(10, 10, &p);
  EXPECT_EQ(graphicsWidthGetter(g, 0), 10);
  graphics_detach(g);
  RString *text = str_from("x");
  RuntimeGraphicsDrawLine(g, 0, 0, 9, 9);
  RuntimeGraphicsFillRect(g, 0, 0, 10, 10);
  RuntimeGraphicsDrawString(g, text, 0, 8, 0);
  graphicsPixelSetter(g, 1, 1, 0);
  EXPECT_EQ(inked(p), "");
  EXPECT_EQ(graphicsWidthGetter(g, 0), 0);
  EXPECT_EQ(RuntimeGraphicsStringWidth(g, text), 0);
  EXPECT_EQ(RuntimeGraphicsTextHeight(g), 0);
  /* a Graphics that outlives its picture */
  PictureObject *gone = picture_new(8, 8, 32);
  GraphicsObject *orphan = (GraphicsObject *)pictureGraphicsGetter(gone, 0);
  RuntimeGraphicsFillRect(orphan, 0, 0, 4, 4); /* current now */
  RuntimeUnlockObject(&gone->header);
  RuntimeGraphicsFillRect(orphan, 0, 0, 4, 4);
  EXPECT_EQ(graphicsPixelGetter(orphan, 0, 0), 0);
  RuntimeUnlockObject(&orphan->header);
  RuntimeGraphicsDrawLine(nullptr, 0, 0, 1, 1); /* and none at all */
  EXPECT_EQ(graphicsForeColorGetter(nullptr, 0), 0);
  RuntimeUnlockString(text);
}

TEST_F(GraphicsTest, TheSystemIconsDrawThirtyTwoPixelsSquare) {
  PictureObject *p;
  GraphicsObject *g = canvas(120, 40, &p);
  graphicsDrawStopIcon(g, 0, 0);
  graphicsDrawNoteIcon(g, 40, 0);
  graphicsDrawCautionIcon(g, 80, 0);
  for (int32_t left : {0, 40, 80}) {
    int32_t ink = 0, outside = 0;
    for (int32_t y = 0; y < 40; y++)
      for (int32_t x = left; x < left + 40; x++)
        (x - left < 32 && y < 32 ? ink : outside) += pixel(p, x, y) != kWhite;
    EXPECT_GT(ink, 0) << left;
    EXPECT_EQ(outside, 0) << left;
  }
}

} // namespace
