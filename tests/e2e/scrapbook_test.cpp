// Scrapbook, the drag-and-drop demonstration (scrapbook.exe), used as a
// person would: text selected in one field and dragged into the other with
// the mouse through the platform's drag loop; files, a picture file and text
// dropped on the window by another program (the driver, dragging as a file
// manager or another window would).
#include "e2e.h"
#include <fstream>

namespace {

using e2e::DriverRun;
namespace fs = std::filesystem;

class Scrapbook : public e2e::ApplicationTest {
protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    open(SCRAPBOOK_EXE, SCRAPBOOK_SOURCES "/Scrapbook.bas");
  }
  // A file of the scratch folder as the program sees it (Wine's Z: is /),
  // quoted for the script, where a backslash is written twice.
  std::string windowsPath(const std::string &name) {
    std::string path = "Z:";
    for (char c : (dir / name).string()) path += c == '/' ? std::string("\\\\") : std::string(1, c);
    return "\"" + path + "\"";
  }
  // A 24-bit BMP file of one colour.
  void writeBmp(const std::string &name, int width, int height, uint32_t rgb) {
    int stride = (width * 3 + 3) & ~3;
    uint32_t size = 54 + stride * height;
    std::string b(size, '\0');
    auto put = [&](size_t at, uint32_t v, int n) {
      for (int i = 0; i < n; i++) b[at + i] = (char)(v >> (8 * i));
    };
    b[0] = 'B', b[1] = 'M';
    put(2, size, 4), put(10, 54, 4), put(14, 40, 4), put(18, width, 4), put(22, height, 4);
    put(26, 1, 2), put(28, 24, 2);
    for (int y = 0; y < height; y++)
      for (int x = 0; x < width; x++) put(54 + y * stride + x * 3, rgb, 3);
    std::ofstream(dir / name, std::ios::binary) << b;
  }
};

const char *const kStart = "start scrapbook.exe\nwait-window QXWindow \"Scrapbook\"\n";

TEST_F(Scrapbook, TextDraggedFromOneFieldMovesIntoTheOther) {
  DriverRun run =
      drive(std::string(kStart) + "click " + id["Notes"] + " 20,10\n" +
            "key ctrl+home shift+right shift+right shift+right shift+right "
            "shift+right\n" +
            "drag window 24,40 330,60\n" + "wait-text " + id["Kept"] + " paper\n" + read("Notes") +
            read("Kept") + "screenshot text-dragged\nclose\nwait-exit\n");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(e2e::textOf(run, id["Notes"], 0), " glue scissors") << "moved, not copied";
  EXPECT_EQ(e2e::textOf(run, id["Kept"], 0), "paper");
  EXPECT_EQ(run.screenshots.size(), 1u);
}

// Then a listed name and the board are dragged into the kept notes (the
// board's note goes in where the pointer is, below the line: at its start).
TEST_F(Scrapbook, FilesPicturesAndTextDroppedByAnotherProgramArrive) {
  for (const char *name : {"one.txt", "two.txt"}) std::ofstream(dir / name) << name;
  writeBmp("red.bmp", 40, 30, 0xE02020);
  std::string status = "wait-text " + id["Status"] + " ";
  std::string script =
      std::string(kStart) + "drop-files window 420,188 " + windowsPath("one.txt") + " " +
      windowsPath("two.txt") + "\n" + status + "\"2 files dropped, 2 listed\"\n" + "drop-files " +
      id["Board"] + " 60,60 " + windowsPath("red.bmp") + "\n" + status +
      "\"Picture file dropped: red.bmp\"\n" + "drop-text " + id["Board"] +
      " 100,120 \"hello board\"\n" + status + "\"Text dropped at 100,120\"\n" + "drop-text " +
      id["FileList"] + " 50,50 \"not a file\"\n" + "drag window 300,222 330,100\n" + "wait-text " +
      id["Kept"] + " one.txt\n" + "drag window 100,300 330,150\n" + "wait-text " + id["Kept"] +
      " \"hello boardone.txt\"\n" + read("Board") + "screenshot dropped\nclose\nwait-exit\n";
  DriverRun run = drive(script);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  auto effects = run.starting("dropped ");
  ASSERT_EQ(effects.size(), 4u) << run.output();
  for (size_t i = 0; i < 3; i++) EXPECT_EQ(effects[i].substr(effects[i].size() - 6), ": copy");
  EXPECT_EQ(effects[3].substr(effects[3].size() - 6), ": none")
      << "text over the list, where only files are taken, is refused";
  ASSERT_EQ(run.screenshots.size(), 1u);
  auto [left, top] = e2e::screenOrigin(run, id["Board"]);
  ASSERT_GE(left, 0) << run.output();
  EXPECT_EQ(e2e::screenPixel(run.screenshots[0], left + 25, top + 20), 0xE02020u)
      << "the dropped picture file, drawn on the board";
}

} // namespace
