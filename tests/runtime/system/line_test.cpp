// The Line control: the stroke's corners for lines going down and up, and a
// real line on a window: drawn in its colour on the screen, its pane shaped
// to the stroke so that the rest of its box shows the window, and moved and
// thickened by its position setter.
#include "describe.h"
#include "recorder.h"
#include "ui/line.h"
#include "ui/system.h"

namespace {

using namespace describe;

TEST(LineStrokeTest, TheStrokeIsTheSquarePenMovedFromEndToEnd) {
  struct {
    int32_t x1, y1, x2, y2, width;
    POINT corners[6];
  } cases[] = {
      /* going down to the right: from the pen's top-right to its bottom-left edges */
      {0, 0, 10, 5, 2, {{0, 0}, {2, 0}, {12, 5}, {12, 7}, {10, 7}, {0, 2}}},
      /* the same line given from its other end */
      {10, 5, 0, 0, 2, {{0, 0}, {2, 0}, {12, 5}, {12, 7}, {10, 7}, {0, 2}}},
      /* going up to the right */
      {0, 10, 8, 2, 1, {{0, 10}, {8, 2}, {9, 2}, {9, 3}, {1, 11}, {0, 11}}},
  };
  for (auto &c : cases) {
    LineObject l = {};
    l.x1 = c.x1, l.y1 = c.y1, l.x2 = c.x2, l.y2 = c.y2, l.borderWidth = c.width;
    POINT got[6];
    ASSERT_TRUE(line_stroke(&l, got));
    for (int i = 0; i < 6; i++) {
      EXPECT_EQ(got[i].x, c.corners[i].x) << c.x1 << "," << c.y1 << " corner " << i;
      EXPECT_EQ(got[i].y, c.corners[i].y) << c.x1 << "," << c.y1 << " corner " << i;
    }
  }
  LineObject none = {};
  none.x2 = 10;
  POINT unused[6];
  EXPECT_FALSE(line_stroke(&none, unused)); /* no width, no stroke */
}

class LineTest : public RuntimeTest {
protected:
  enum { kWindow, kLine, kClasses };
  ClassDef window;
  ClassDef *table[kClasses] = {&window, nullptr};
  WindowObject *w = nullptr;
  static constexpr int32_t kRed = 0xFF0000, kBackground = 0x00FF00;

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    derive(&window, "LineWindow", gWindowClass, 120);
    table[kLine] = registry_find("Line");
  }
  void TearDown() override {
    close_test_window(w);
    retire_test_classes({&window});
    RuntimeTest::TearDown();
  }
  void open(const Pairs &line) {
    Description d(kWindow, {{"Name", "W"},
                            {"Frame", "0"},
                            {"Visible", "True"},
                            {"Width", "300"},
                            {"Height", "200"},
                            {"HasBackColor", "True"},
                            {"BackColor", std::to_string(kBackground)}});
    Pairs pairs = {{"Name", "Stroke"}, {"Index", "-2147483648"}, {"Visible", "True"}};
    pairs.insert(pairs.end(), line.begin(), line.end());
    d.control(kLine, pairs);
    gClassTable = table;
    gClassCount = kClasses;
    w = open_window(d);
    ASSERT_TRUE(w);
    window_pass();
    SetWindowPos(w->view->pane.hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    pump();
  }
  LineObject *line() { return (LineObject *)control_named(w, "Stroke"); }
  // The screen's colour at a point of the window's content.
  int32_t at(int x, int y) {
    POINT p = {x, y};
    ClientToScreen(w->view->pane.hwnd, &p);
    return systemPixel(nullptr, p.x, p.y);
  }
  bool shows(int x, int y, int32_t colour) {
    return pump_until([&] { return at(x, y) == colour; }, 5000);
  }
};

TEST_F(LineTest, ALineIsDrawnAlongItsStrokeAndTheRestOfItsBoxShowsTheWindow) {
  open({{"X1", "20"},
        {"Y1", "20"},
        {"X2", "120"},
        {"Y2", "70"},
        {"BorderWidth", "3"},
        {"BorderColor", std::to_string(kRed)}});
  LineObject *l = line();
  ASSERT_TRUE(l->control.pane);
  Rect16 b = l->control.pane->bounds;
  EXPECT_EQ(b.left, 20);
  EXPECT_EQ(b.top, 20);
  EXPECT_EQ(b.right, 123);
  EXPECT_EQ(b.bottom, 73);
  EXPECT_TRUE(shows(21, 21, kRed));    /* the first end */
  EXPECT_TRUE(shows(71, 46, kRed));    /* the middle */
  EXPECT_TRUE(shows(121, 71, kRed));   /* the other end */
  EXPECT_EQ(at(110, 25), kBackground); /* in the box, off the stroke */
  EXPECT_EQ(at(25, 65), kBackground);
}

TEST_F(LineTest, MovingAnEndOrChangingTheWidthRedrawsTheLineWhereItNowIs) {
  open({{"X1", "20"},
        {"Y1", "20"},
        {"X2", "120"},
        {"Y2", "20"},
        {"BorderWidth", "2"},
        {"BorderColor", std::to_string(kRed)}});
  LineObject *l = line();
  EXPECT_TRUE(shows(100, 21, kRed));
  linePosSetter(l, kLineX2, 20);
  linePosSetter(l, kLineY2, 120); /* now straight down */
  EXPECT_EQ(l->x2, 20);
  EXPECT_EQ(l->y2, 120);
  EXPECT_TRUE(shows(21, 100, kRed));
  EXPECT_TRUE(shows(100, 21, kBackground)); /* the old place shows the window again */
  linePosSetter(l, kLineWidth, 6);
  EXPECT_TRUE(shows(25, 100, kRed));
  EXPECT_EQ(l->control.pane->bounds.right, 26);
  linePosSetter(l, kLineWidth, -4); /* no width draws nothing */
  EXPECT_EQ(l->borderWidth, 0);
  EXPECT_TRUE(shows(21, 100, kBackground));
  linePosSetter(l, 5, 99); /* no such part: nothing changes */
  EXPECT_EQ(l->x1, 20);
}

} // namespace
