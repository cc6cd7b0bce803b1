// ScrollBar, Slider and ProgressBar on real native controls: orientation by
// shape, the scroll bar's range and enabling rule, values given before the
// pane, ValueChanged from code and from the native notifications, the
// progress range beyond 16 bits and the moving block's periodic task.
#include "compiled.h"
#include "describe.h"
#include "recorder.h"
#include "base/pool.h"
#include "lifecycle/application.h"
#include "text/numbers.h"
#include "ui/progressbar.h"
#include "ui/scroller.h"
#include <climits>
#include <cmath>
#include <commctrl.h>

extern "C" void controlEnabledSetter(ControlObject *c, int32_t, bool v);

namespace {

using namespace describe;

std::string gLog;
void onValueChanged(Object *o) {
  gLog += std::string(str_cview(as_control(o)->name)) + ".ValueChanged ";
}

class ValueBarsTest : public RuntimeTest {
protected:
  enum { kWindow, kScroll, kSlider, kProgress, kClasses };
  ClassDef window, scroll, slider;
  ClassDef *table[kClasses] = {&window, &scroll, &slider, nullptr};
  WindowObject *w = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    gLog.clear();
    derive(&window, "TestWindow", gWindowClass, 120);
    derive(&scroll, "MyScroll", registry_find("ScrollBar"), 120);
    addHandler(&scroll, "ValueChanged", (void *)onValueChanged);
    derive(&slider, "MySlider", registry_find("Slider"), 120);
    addHandler(&slider, "ValueChanged", (void *)onValueChanged);
    table[kProgress] = registry_find("ProgressBar");
  }
  void TearDown() override {
    close_test_window(w);
    retire_test_classes({&window, &scroll, &slider});
    RuntimeTest::TearDown();
  }

  static Pairs range(const char *min, const char *max, const char *value = "0") {
    return {{"Minimum", min},
            {"Maximum", max},
            {"Value", value},
            {"LineStep", "1"},
            {"PageStep", "20"}};
  }
  void open(std::vector<std::pair<int, Pairs>> controls) {
    Description d(kWindow, {{"Name", "W"}, {"Frame", "0"}, {"Width", "400"}, {"Height", "300"}});
    for (auto &[cls, pairs] : controls) d.control(cls, pairs);
    gClassTable = table; /* a closed window forgets it */
    gClassCount = kClasses;
    w = open_window(d);
    ASSERT_TRUE(w);
    window_pass();
    pump();
  }
  ScrollerObject *scroller(const char *name) { return (ScrollerObject *)control_named(w, name); }
  ProgressBarObject *bar(const char *name) { return (ProgressBarObject *)control_named(w, name); }
  static HWND hwnd(void *control) { return ((ControlObject *)control)->pane->hwnd; }
  static Pairs at(const char *name, Rect16 r, Pairs extra) {
    return placed(name, "-2147483648", r, extra);
  }
};

TEST_F(ValueBarsTest, TheShapeChoosesTheNativeClassAndOrientation) {
  struct {
    int cls;
    Rect16 bounds;
    const char *nativeClass;
    DWORD bits, set;
  } cases[] = {
      {kScroll, {10, 10, 26, 110}, "ScrollBar", SBS_VERT, 0},
      {kScroll, {40, 10, 140, 26}, "ScrollBar", SBS_VERT, SBS_VERT},
      {kSlider, {10, 150, 26, 250}, TRACKBAR_CLASSA, TBS_VERT | TBS_NOTICKS, TBS_NOTICKS},
      {kSlider,
       {40, 150, 140, 166},
       TRACKBAR_CLASSA,
       TBS_VERT | TBS_NOTICKS,
       TBS_VERT | TBS_NOTICKS},
  };
  std::vector<std::pair<int, Pairs>> controls;
  for (int i = 0; i < 4; i++)
    controls.push_back(
        {cases[i].cls, at(("c" + std::to_string(i)).c_str(), cases[i].bounds, range("0", "10"))});
  open(controls);
  for (int i = 0; i < 4; i++) {
    HWND h = hwnd(scroller(("c" + std::to_string(i)).c_str()));
    char name[64];
    GetClassNameA(h, name, sizeof name);
    EXPECT_STRCASEEQ(name, cases[i].nativeClass) << i;
    EXPECT_EQ(GetWindowLongA(h, GWL_STYLE) & cases[i].bits, cases[i].set) << i;
  }
}

TEST_F(ValueBarsTest, AScrollBarIsUsableOnlyOverARangeAndWhileEnabled) {
  open({{kScroll, at("s", {10, 10, 26, 110}, range("0", "0"))}});
  ScrollerObject *s = scroller("s");
  HWND h = hwnd(s);
  EXPECT_FALSE(IsWindowEnabled(h));
  struct {
    int property;
    int32_t value;
    bool enabled;
  } steps[] = {
      {kScrollMaximum, 10, true},
      {kScrollMinimum, 10, false}, /* the rule holds for the minimum too */
      {kScrollMinimum, 0, true},
      {-1, 0, false}, /* Enabled = False */
      {kScrollMaximum, 30, false},
      {-2, 0, true}, /* Enabled = True */
      {kScrollMaximum, 0, false},
      {-2, 0, false}, /* enabling again does not override an empty range */
  };
  for (auto &step : steps) {
    if (step.property >= 0)
      scrollerPropSetter(s, step.property, step.value);
    else
      controlEnabledSetter(&s->control, 0, step.property == -2);
    EXPECT_EQ(IsWindowEnabled(h) != 0, step.enabled) << step.property << " " << step.value;
  }
}

TEST_F(ValueBarsTest, ValuesGivenBeforeThePaneReadBackAndReachTheNativeControl) {
  for (const char *cls : {"ScrollBar", "Slider"}) {
    ScrollerObject *s = (ScrollerObject *)CreateInstance(registry_find(cls));
    int32_t given[] = {5, 20, 50, 2, 10};
    for (int n = 0; n < 5; n++) scrollerPropSetter(s, n, given[n]);
    scrollerPropSetter(s, 5, 99); /* no such property: nothing */
    for (int n = 0; n < 5; n++) EXPECT_EQ(scrollerPropGetter(s, n), given[n]) << cls << n;
    EXPECT_EQ(scrollerPropGetter(s, 5), 0);
    RuntimeUnlockObject(&s->control.header);
  }
  Pairs given = {
      {"Minimum", "5"}, {"Maximum", "50"}, {"Value", "20"}, {"LineStep", "2"}, {"PageStep", "10"}};
  open({{kScroll, at("bar", {10, 10, 26, 110}, given)},
        {kSlider, at("slide", {40, 10, 70, 110}, given)}});
  EXPECT_EQ(gLog, ""); /* applied without a report */
  for (const char *name : {"bar", "slide"}) {
    ScrollerObject *s = scroller(name);
    int32_t expected[] = {5, 20, 50, 2, 10};
    for (int n = 0; n < 5; n++) EXPECT_EQ(scrollerPropGetter(s, n), expected[n]) << name << n;
    EXPECT_EQ(scrollerPropGetter(s, 5), 0);
  }
  EXPECT_EQ(SendMessageA(hwnd(scroller("slide")), TBM_GETPOS, 0, 0), 20);
  EXPECT_EQ(SendMessageA(hwnd(scroller("bar")), SBM_GETPOS, 0, 0), 20);
}

TEST_F(ValueBarsTest, OnlyARealChangeOfTheValueIsReported) {
  open({{kScroll, at("s", {10, 10, 26, 110}, range("0", "100", "10"))},
        {kSlider, at("t", {40, 10, 70, 110}, range("0", "100", "10"))}});
  for (const char *name : {"s", "t"}) {
    ScrollerObject *s = scroller(name);
    std::string once = std::string(name) + ".ValueChanged ";
    gLog.clear();
    scrollerPropSetter(s, kScrollValue, 30);
    EXPECT_EQ(gLog, once);
    gLog.clear();
    scrollerPropSetter(s, kScrollValue, 30); /* the same value */
    scrollerPropSetter(s, kScrollLineStep, 5);
    EXPECT_EQ(gLog, "");
    scrollerPropSetter(s, kScrollMaximum, 20); /* the value is pulled into the range */
    EXPECT_EQ(gLog, once);
    EXPECT_EQ(scrollerPropGetter(s, kScrollValue), 20);
  }
}

TEST_F(ValueBarsTest, TheUsersClicksMoveTheValueByTheSteps) {
  open({{kScroll, at("s", {10, 10, 26, 210}, range("0", "50", "10"))},
        {kSlider, at("t", {40, 10, 70, 210}, range("0", "50", "10"))}});
  ScrollerObject *s = scroller("s");
  scrollerPropSetter(s, kScrollLineStep, 3);
  gLog.clear();
  HWND h = hwnd(s), parent = GetParent(h);
  struct {
    WORD code;
    int32_t value;
    const char *log;
  } moves[] = {
      {SB_LINERIGHT, 13, "s.ValueChanged "},
      {SB_PAGERIGHT, 33, "s.ValueChanged "},
      {SB_PAGERIGHT, 50, "s.ValueChanged "}, /* held at the maximum */
      {SB_LINERIGHT, 50, ""},
      {SB_LINELEFT, 47, "s.ValueChanged "},
      {SB_LEFT, 0, "s.ValueChanged "},
      {SB_THUMBTRACK, 0, ""}, /* no LiveScroll */
      {SB_ENDSCROLL, 0, ""},
      {SB_RIGHT, 50, "s.ValueChanged "},
  };
  for (auto &m : moves) {
    gLog.clear();
    SendMessageA(parent, WM_HSCROLL, MAKEWPARAM(m.code, 0), (LPARAM)h);
    EXPECT_EQ(scrollerPropGetter(s, kScrollValue), m.value) << m.code;
    EXPECT_EQ(gLog, m.log) << m.code;
  }
  ScrollerObject *t = scroller("t"); /* the track bar moves itself, then tells */
  scrollerPropSetter(t, kScrollLineStep, 4);
  gLog.clear();
  SendMessageA(hwnd(t), WM_KEYDOWN, VK_RIGHT, 0);
  pump();
  EXPECT_EQ(scrollerPropGetter(t, kScrollValue), 14);
  EXPECT_EQ(gLog, "t.ValueChanged ");
}

// A dragged thumb reports as it moves with LiveScroll, else when released.
TEST_F(ValueBarsTest, LiveScrollDecidesWhenADraggedThumbReports) {
  open({{kSlider, at("t", {40, 10, 70, 210}, range("0", "50", "10"))}});
  ScrollerObject *t = scroller("t");
  HWND h = hwnd(t), parent = GetParent(h);
  auto drag = [&](int32_t to, WORD code) {
    SendMessageA(h, TBM_SETPOS, TRUE, to); /* where the user's drag has put the thumb */
    SendMessageA(parent, WM_HSCROLL, MAKEWPARAM(code, to), (LPARAM)h);
  };
  for (bool live : {false, true}) {
    t->liveScroll = live;
    gLog.clear();
    drag(live ? 30 : 20, TB_THUMBTRACK);
    EXPECT_EQ(gLog, live ? "t.ValueChanged " : "") << live;
    drag(live ? 30 : 20, TB_THUMBPOSITION);
    EXPECT_EQ(gLog, "t.ValueChanged ") << live; /* once either way */
  }
}

TEST_F(ValueBarsTest, ExtremeAndNotANumberRangesAreTakenSafely) {
  open({{kScroll, at("s", {10, 10, 26, 110}, range("0", "10"))},
        {kSlider, at("t", {40, 10, 70, 110}, range("0", "10"))},
        {kProgress, at("p", {80, 10, 100, 110}, {{"Maximum", "100"}})}});
  int32_t extremes[] = {FPToInt(NAN), FPToInt(1e300), FPToInt(-1e300), INT_MIN, INT_MAX};
  for (const char *name : {"s", "t"})
    for (int32_t a : extremes)
      for (int32_t b : extremes) {
        scrollerPropSetter(scroller(name), kScrollMinimum, a);
        scrollerPropSetter(scroller(name), kScrollMaximum, b);
        scrollerPropSetter(scroller(name), kScrollValue, b);
        EXPECT_EQ(scrollerPropGetter(scroller(name), kScrollMinimum), a) << name;
      }
  for (int32_t a : extremes) {
    progressMaximumSetter(bar("p"), 0, a);
    progressValueSetter(bar("p"), 0, a);
    EXPECT_EQ(progressMaximumGetter(bar("p")), a);
  }
}

TEST_F(ValueBarsTest, AProgressMaximumBeyondSixteenBitsReachesTheNativeBar) {
  ProgressBarObject *loose = (ProgressBarObject *)CreateInstance(registry_find("ProgressBar"));
  progressMaximumSetter(loose, 0, 70000);
  progressValueSetter(loose, 0, 1234);
  EXPECT_EQ(progressMaximumGetter(loose), 70000);
  EXPECT_EQ(progressValueGetter(loose), 1234);
  RuntimeUnlockObject(&loose->control.header);
  open({{kProgress, at("p", {10, 10, 30, 210}, {{"Maximum", "70000"}, {"Value", "65600"}})}});
  HWND h = hwnd(bar("p"));
  EXPECT_EQ(SendMessageA(h, PBM_GETRANGE, FALSE, 0), 70000);
  EXPECT_EQ(SendMessageA(h, PBM_GETPOS, 0, 0), 65600);
  progressMaximumSetter(bar("p"), 0, 500);
  EXPECT_EQ(SendMessageA(h, PBM_GETRANGE, FALSE, 0), 500);
}

TEST_F(ValueBarsTest, TheIndeterminateBlockMovesOnATaskThatGoesWithTheBar) {
  open({{kProgress, at("p", {10, 10, 30, 34}, {{"Maximum", "0"}})}}); /* 24 wide: 3 steps */
  ProgressBarObject *p = bar("p");
  EXPECT_EQ(progress_animations(), 1);
  struct {
    int32_t phase;
    bool backward;
  } expected[] = {{1, false}, {2, false}, {2, true}, {1, true}, {0, true}, {1, false}};
  for (auto &e : expected) {
    Sleep(1000 * kProgressPeriod / 60 + 20);
    RuntimeBackgroundTask();
    int32_t phase;
    bool backward;
    progress_phase(p, &phase, &backward);
    EXPECT_EQ(phase, e.phase);
    EXPECT_EQ(backward, e.backward);
  }
  progressMaximumSetter(p, 0, 100);
  EXPECT_EQ(progress_animations(), 0);
  progressMaximumSetter(p, 0, -1);
  EXPECT_EQ(progress_animations(), 1);
  close_test_window(w);
  EXPECT_EQ(progress_animations(), 0);
  RuntimeBackgroundTask(); /* no task is left to touch the bar */
}

} // namespace
