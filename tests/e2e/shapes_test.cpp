// Shapes, the dialect's demonstration (shapes.exe), used as a person would:
// picking each kind from the pop-up menu, typing sizes, pressing Add, picking
// shapes out from the list and on the board, reading the totals window and
// the help text. The board is checked at chosen points of the screenshots.
#include "e2e.h"

namespace {

using e2e::DriverRun;
using e2e::screenPixel;

constexpr uint32_t kCircle = 0x3070D0, kRectangle = 0x30A050, kSquare = 0xD08030,
                   kTriangle = 0xC03060, kHighlight = 0xF0D020, kPaper = 0xF4F8FF,
                   kPaperLine = 0xDCE6F5;

// The list's rows are 20 pixels high under its heading: y = 30 + 20 * n is
// inside row n.
std::string row(int n) { return "100," + std::to_string(30 + 20 * n); }

class Shapes : public e2e::ApplicationTest {
protected:
  std::map<std::string, std::string> totals; // the totals window's controls

  void SetUp() override {
    ApplicationTest::SetUp();
    open(SHAPES_EXE, SHAPES_SOURCES "/Shapes.bas");
    totals = e2e::controlIds(SHAPES_SOURCES "/Totals.bas");
  }
  std::string waitText(const std::string &control, const std::string &text) {
    return "wait-text " + id[control] + " \"" + text + "\"\n";
  }
  // Chooses the kind steps rows further down the pop-up menu.
  std::string pickKind(int steps) {
    std::string keys;
    for (int i = 0; i < steps; i++) keys += " down";
    return "click " + id["KindMenu"] + "\nkey" + keys + " return\n";
  }
  std::string add(const std::string &first, const std::string &second = "") {
    return enter("FirstField", first) + (second.empty() ? "" : enter("SecondField", second)) +
           "click " + id["AddButton"] + "\n";
  }
  // One of each kind: a circle of radius 20, a 60 x 30 rectangle, a square
  // of side 40 and a triangle of base 50 and height 40.
  std::string addOneOfEach() {
    return "start shapes.exe\nwait-window QXWindow \"Shapes\"\n" + add("20") +
           waitText("StatusText", "1 shape, total area 1,256.64") + pickKind(1) + add("60", "30") +
           waitText("StatusText", "2 shapes, total area 3,056.64") + pickKind(1) + add("40") +
           waitText("StatusText", "3 shapes, total area 4,656.64") + pickKind(1) + add("50", "40") +
           waitText("StatusText", "4 shapes, total area 5,656.64");
  }
};

TEST_F(Shapes, AddsEachKindAndPicksShapesOutFromTheListAndTheBoard) {
  DriverRun run = drive(
      addOneOfEach() + read("Board") + read("KindMenu") + "screenshot added\n" + "click " +
      id["List"] + " " + row(1) + "\n" +
      waitText("SelectionText", "Selected: Rectangle, 60 x 30, area 1,800.00, perimeter 180.00") +
      "screenshot rectangle-picked\n" + "click " + id["Board"] + " 350,60\n" +
      waitText("SelectionText",
               "Selected: Triangle, base 50, height 40, area 1,000.00, perimeter 144.34") +
      "screenshot triangle-picked\n" + "click " + id["Board"] + " 150,250\n" +
      /* an empty cell picks nothing new */
      waitText("SelectionText",
               "Selected: Triangle, base 50, height 40, area 1,000.00, perimeter 144.34") +
      /* the perimeters come from the plug-in; the square's through the rectangle's */
      "click " + id["Board"] + " 50,50\n" +
      waitText("SelectionText", "Selected: Circle, radius 20, area 1,256.64, perimeter 125.66") +
      "click " + id["Board"] + " 250,50\n" +
      waitText("SelectionText", "Selected: Square, side 40, area 1,600.00, perimeter 160.00") +
      "close\nwait-exit\n");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  ASSERT_EQ(run.screenshots.size(), 3u);
  EXPECT_NE(run.output().find("selected=3 items=4"), std::string::npos) << "Triangle chosen";
  auto [left, top] = e2e::screenOrigin(run, id["Board"]);
  ASSERT_GE(left, 0) << run.output();
  auto at = [&](size_t shot, int x, int y) {
    return screenPixel(run.screenshots[shot], left + x, top + y);
  };
  /* the cells are 100 pixels square, each shape centred in its own */
  EXPECT_EQ(at(0, 50, 50), kCircle);
  EXPECT_EQ(at(0, 50 + 17, 50), kCircle) << "inside the radius of 20";
  EXPECT_EQ(at(0, 50 + 25, 50), kPaper) << "outside it";
  EXPECT_EQ(at(0, 150, 50), kRectangle);
  EXPECT_EQ(at(0, 150 + 27, 50 + 12), kRectangle) << "60 x 30";
  EXPECT_EQ(at(0, 150, 50 + 20), kPaper);
  EXPECT_EQ(at(0, 250, 50), kSquare);
  EXPECT_EQ(at(0, 350, 60), kTriangle);
  EXPECT_EQ(at(0, 350 - 20, 35), kPaper) << "beside the triangle's apex";
  EXPECT_EQ(at(0, 250, 250), kPaper) << "the carried paper, tiled";
  EXPECT_EQ(at(0, 200, 250), kPaperLine) << "a line of the paper every 20 pixels";
  /* the picked shape turns yellow; the one picked before returns to its colour */
  EXPECT_EQ(at(1, 150, 50), kHighlight);
  EXPECT_EQ(at(1, 350, 60), kTriangle);
  EXPECT_EQ(at(2, 150, 50), kRectangle);
  EXPECT_EQ(at(2, 350, 60), kHighlight);
}

TEST_F(Shapes, WrongSizesAndAFullBoardAreRefusedAndTotalsAndHelpShow) {
  std::string script =
      addOneOfEach() + add("abc", "10") +
      waitText("StatusText", "The base must be a number from 1 to 90.") + add("30", "91") +
      waitText("StatusText", "The height must be a number from 1 to 90.") + "click " +
      id["KindMenu"] + "\nkey home return\n" + add("46") +
      waitText("StatusText", "The radius must be a number from 1 to 45.") + add("2.5") +
      waitText("StatusText", "5 shapes, total area 5,676.27") + "click " + id["TotalsButton"] +
      "\nwait-window QXWindow \"Totals\"\nread " + totals["CountsText"] + "\nread " +
      totals["AreaText"] + "\nscreenshot totals\nclick " + totals["CloseButton"] +
      "\nwait-window QXWindow \"Shapes\"\nclick " + id["HelpButton"] + "\nmessage --press OK\n";
  /* seven circles of radius 1 (area pi each) fill the board's twelve cells;
     a thirteenth shape is refused */
  const char *const areas[] = {"5,679.41", "5,682.56", "5,685.70", "5,688.84",
                               "5,691.98", "5,695.12", "5,698.26"};
  for (int n = 6; n <= 12; n++)
    script += add("1") +
              waitText("StatusText", std::to_string(n) + " shapes, total area " + areas[n - 6]);
  script += "click " + id["AddButton"] + "\n" +
            waitText("StatusText", "The board is full: it holds 12 shapes.") +
            "screenshot full\nclose\nwait-exit\n";
  DriverRun run = drive(script);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(e2e::textOf(run, totals["CountsText"], 0), "Circle: 2\rRectangle: 1\rSquare: 1\r"
                                                       "Triangle: 1\rFour-sided: 2\r"
                                                       "Added since start: 5")
      << "a square counts as four-sided";
  EXPECT_EQ(e2e::textOf(run, totals["AreaText"], 0), "Total area: 5,676.27");
  std::vector<std::string> box = run.starting("message ");
  ASSERT_EQ(box.size(), 1u) << run.output();
  EXPECT_NE(e2e::fields(box[0])["text"].find("Shapes: a drawing board"), std::string::npos)
      << box[0];
  EXPECT_EQ(run.screenshots.size(), 2u);
}

} // namespace
