// The Application's BalloonHelpVisible: a control's help text shows as a
// tool tip when the mouse rests on it, no tip shows while the switch is off,
// and tips show again once it is back on.
#include "describe.h"
#include "recorder.h"
#include "ui/system.h"

namespace {

using namespace describe;

class ApplicationTest : public RuntimeTest {
protected:
  enum { kWindow, kButton, kClasses };
  ClassDef window;
  ClassDef *table[kClasses] = {&window, nullptr};
  WindowObject *w = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    derive(&window, "TipWindow", gWindowClass, 120);
    table[kButton] = registry_find("PushButton");
  }
  void TearDown() override {
    AppBalloonHelpVisibleSetter(nullptr, 0, true);
    close_test_window(w);
    retire_test_classes({&window});
    RuntimeTest::TearDown();
  }
  void open() {
    Description d(kWindow, {{"Name", "W"},
                            {"Frame", "0"},
                            {"Visible", "True"},
                            {"Width", "300"},
                            {"Height", "200"}});
    d.control(kButton, placed("Helped", "-2147483648", {40, 40, 70, 160},
                              {{"Caption", "Hover"}, {"HelpTag", "Press me"}}));
    gClassTable = table;
    gClassCount = kClasses;
    w = open_window(d);
    ASSERT_TRUE(w);
    window_pass();
    pump();
  }
  Pane *button() { return as_control(control_named(w, "Helped"))->pane; }

  // The mouse leaves, then rests on the button's middle; whether its tip
  // shows within the time.
  bool tipShowsOnHover(DWORD ms) {
    HWND h = button()->hwnd;
    RECT r;
    GetWindowRect(h, &r);
    SetCursorPos(r.right + 200, r.bottom + 200);
    pump();
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    POINT inside = {(r.right - r.left) / 2, (r.bottom - r.top) / 2};
    PostMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(inside.x, inside.y));
    HWND tip = button()->toolTip;
    return pump_until([tip] { return IsWindowVisible(tip) != 0; }, ms);
  }
};

TEST_F(ApplicationTest, BalloonHelpVisibleSilencesEveryTipAndGivesThemBack) {
  open();
  ASSERT_TRUE(button()->toolTip); /* made for the help text */
  EXPECT_TRUE(AppBalloonHelpVisibleGetter(nullptr));
  EXPECT_TRUE(tipShowsOnHover(8000));

  AppBalloonHelpVisibleSetter(nullptr, 0, false);
  EXPECT_FALSE(AppBalloonHelpVisibleGetter(nullptr));
  EXPECT_TRUE(pump_until([&] { return !IsWindowVisible(button()->toolTip); }, 3000));
  EXPECT_FALSE(tipShowsOnHover(3000));

  AppBalloonHelpVisibleSetter(nullptr, 0, true);
  EXPECT_TRUE(AppBalloonHelpVisibleGetter(nullptr));
  EXPECT_TRUE(tipShowsOnHover(8000));
}

TEST_F(ApplicationTest, AControlMadeWhileTipsAreOffShowsNone) {
  AppBalloonHelpVisibleSetter(nullptr, 0, false);
  open();
  ASSERT_TRUE(button()->toolTip);
  EXPECT_FALSE(tipShowsOnHover(3000));
}

} // namespace
