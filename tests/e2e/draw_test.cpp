// Draw, the drawing demonstration (draw.exe), used as a person would: dragging
// on the paper with the mouse in two pen colours, then saving the drawing to
// a BMP file and copying it to the clipboard. What the screen shows is checked
// at chosen points of the screenshots, and the saved file pixel by pixel.
#include "e2e.h"
#include <cstdio>

namespace {

using e2e::DriverRun;
using e2e::screenPixel;
namespace fs = std::filesystem;

// A BMP file's pixel (0xRRGGBB): 24 or 32 bits, bottom-up or top-down.
struct Bmp {
  std::string bytes;
  int32_t width = 0, height = 0, bits = 0;
  uint32_t offset = 0;
  explicit Bmp(const std::string &file) : bytes(file) {
    if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) return;
    offset = word(10);
    width = (int32_t)word(18);
    height = (int32_t)word(22);
    bits = (uint16_t)word(28);
  }
  uint32_t word(size_t at) const {
    uint32_t v = 0;
    memcpy(&v, bytes.data() + at, 4);
    return v;
  }
  uint32_t pixel(int x, int y) const {
    int rows = height < 0 ? -height : height;
    int stride = (width * bits / 8 + 3) & ~3;
    size_t at = offset + (size_t)(height < 0 ? y : rows - 1 - y) * stride + x * bits / 8;
    if (bits < 24 || at + 3 > bytes.size()) return 0xFFFFFFFF;
    auto b = [&](size_t i) { return (uint32_t)(uint8_t)bytes[at + i]; };
    return b(2) << 16 | b(1) << 8 | b(0);
  }
};

constexpr uint32_t kPaper = 0xFFFFF4, kBlack = 0x000000, kRed = 0xD02020, kStar = 0xF0C020;

class Draw : public e2e::ApplicationTest {
protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    open(DRAW_EXE, DRAW_SOURCES "/Draw.bas");
  }
};

const char *const kStart = "start draw.exe\nwait-window QXWindow \"Draw\"\n";

TEST_F(Draw, DragsDrawStrokesOverThePaperInThePensColour) {
  DriverRun run =
      drive(std::string(kStart) + read("Sheet") + "drag " + id["Sheet"] + " 60,100 200,100\n" +
            "wait-text " + id["StatusText"] + " \"Strokes: 1\"\n" + "click " + id["PenMenu"] +
            "\nkey down return\n" + "drag " + id["Sheet"] + " 100,150 100,250\n" + "wait-text " +
            id["StatusText"] + " \"Strokes: 2\"\n" + "screenshot two-strokes\nclose\nwait-exit\n");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  ASSERT_EQ(run.screenshots.size(), 1u);
  auto [left, top] = e2e::screenOrigin(run, id["Sheet"]);
  ASSERT_GE(left, 0) << run.output();
  const fs::path &shot = run.screenshots[0];
  auto at = [&](int x, int y) { return screenPixel(shot, left + x, top + y); };
  EXPECT_EQ(at(130, 100), kBlack) << "the first stroke, black";
  EXPECT_EQ(at(130, 101), kBlack) << "three pixels wide";
  EXPECT_EQ(at(100, 200), kRed) << "the second stroke, red";
  EXPECT_EQ(at(310, 250), kPaper) << "the paper between the grid lines";
  EXPECT_EQ(at(370, 18), kStar) << "the star in the corner";
}

TEST_F(Draw, SaveWritesTheDrawingAsABmpAndCopyPutsItOnTheClipboard) {
  DriverRun run = drive(
      std::string(kStart) + "drag " + id["Sheet"] + " 60,200 300,200\n" + "wait-text " +
      id["StatusText"] + " \"Strokes: 1\"\n" + "click " + id["SaveButton"] + "\nwait-text " +
      id["StatusText"] + " \"Saved drawing.bmp (400 x 300)\"\n" + "click " + id["CopyButton"] +
      "\nwait-text " + id["StatusText"] + " \"Copied 400 x 300 to the clipboard\"\n" +
      "clipboard-picture\nscreenshot saved-and-copied\nclose\nwait-exit\n");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  Bmp saved(readFile("drawing.bmp"));
  ASSERT_EQ(saved.width, 400);
  ASSERT_EQ(std::abs(saved.height), 300);
  EXPECT_EQ(saved.pixel(150, 200), kBlack);
  EXPECT_EQ(saved.pixel(310, 250), kPaper);
  EXPECT_EQ(saved.pixel(370, 18), kStar);
  /* the driver, another program, reads the picture back from the clipboard:
     its size and its first (top-left: a grid line) and last (paper) pixels */
  EXPECT_TRUE(run.has("picture 400x300 first=C8DCF0 last=FFFFF4")) << run.output();
}

} // namespace
