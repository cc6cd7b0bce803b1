// Timers and modal windows: the deadline arithmetic across the wrap of the
// platform's millisecond count, single and multiple timers firing through the
// message loop, Period's floor, stale expiries, a timer released by its own
// Action, timers placed by a window description, and RuntimeShowModal.
#include "describe.h"
#include "recorder.h"
#include "lifecycle/application.h"
#include "ui/timer.h"
#include <functional>

namespace {

using namespace describe;

int gFired;
std::function<void(TimerObject *)> gOnAction; // what the Action handler does besides counting

void onAction(Object *o) {
  gFired++;
  if (gOnAction) gOnAction((TimerObject *)o);
}

// A while for an expiry that should not come to come after all.
void pumpAWhile() {
  pump_until([] { return false; }, 300);
}

class TimerTest : public RuntimeTest {
protected:
  ClassDef timer, window;
  ClassDef *table[2] = {&timer, &window};
  enum { kTimer, kWindow };

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    derive(&timer, "TestTimer", registry_find("Timer"), 52);
    addHandler(&timer, "Action", (void *)onAction);
    derive(&window, "TestWindow", gWindowClass, 120);
    gClassTable = table;
    gClassCount = 2;
    gFired = 0;
    gOnAction = nullptr;
  }
  void TearDown() override {
    while (gWindowList) gLoopHooks.closeFrontWindow();
    pump();
    gClassTable = nullptr;
    gClassCount = 0;
    class_teardown(&timer);
    class_teardown(&window);
    RuntimeTest::TearDown();
  }
  TimerObject *make(int32_t mode, int32_t period) {
    TimerObject *t = (TimerObject *)CreateInstance(&timer);
    timerPeriodSetter(t, 0, period);
    timerModeSetter(t, 0, mode);
    return t;
  }
};

TEST(TimerDeadline, RemainingTimeIsTheWrappingDifference) {
  struct {
    uint32_t start;
    int32_t period;
    uint32_t now;
    int64_t remaining;
  } cases[] = {
      {1000, 500, 1200, 300},
      {0x7FFFFF00, 1000, 0x80000010, 728}, /* across 2^31: neither 24 days nor overdue */
      {0xFFFFFF00, 1000, 0x00000010, 728}, /* across the wrap at 2^32 */
      {0x7FFFFF00, 100, 0x80000010, -172},
      {5, 0x7FFFFFFF, 5, 0x7FFFFFFF},
  };
  for (auto &c : cases)
    EXPECT_EQ(timer_remaining(c.start, c.period, c.now), c.remaining) << std::hex << c.start;
}

TEST(TimerDeadline, ChangedPeriodRearmsWithWhatIsLeftOrByMode) {
  struct {
    int16_t mode;
    uint32_t start;
    int32_t period;
    uint32_t now;
    int64_t delay;
  } cases[] = {
      {kTimerMultiple, 1000, 500, 1200, 300},
      {kTimerMultiple, 1000, 100, 1200, 100}, /* passed already: the full new period */
      {kTimerSingle, 1000, 100, 1200, 1},     /* passed already: at once */
      {kTimerSingle, 0x7FFFFFF0, 100, 0x80000000, 84},
  };
  for (auto &c : cases)
    EXPECT_EQ(timer_rearm_delay(c.mode, c.start, c.period, c.now), c.delay) << c.mode;
  const std::pair<int64_t, UINT> delays[] = {{-5, 1},
                                             {0, 1},
                                             {500, 500},
                                             {0x80000000LL, USER_TIMER_MAXIMUM},
                                             {1LL << 40, USER_TIMER_MAXIMUM}};
  for (auto [ms, platform] : delays) EXPECT_EQ(timer_platform_delay(ms), platform) << ms;
}

TEST_F(TimerTest, NewTimerIsOffWithASecondAndPeriodNeverFallsBelowOne) {
  TimerObject *t = (TimerObject *)CreateInstance(&timer);
  EXPECT_EQ(timerModeGetter(t, 0), 0);
  EXPECT_EQ(timerPeriodGetter(t, 0), 1000);
  EXPECT_TRUE(timer_is_live(t));
  EXPECT_TRUE(timer_window());
  for (auto [set, stored] : {std::pair{0, 1}, {-5, 1}, {INT32_MIN, 1}, {7, 7}}) {
    timerPeriodSetter(t, 0, set);
    EXPECT_EQ(timerPeriodGetter(t, 0), stored) << set;
  }
  RuntimeUnlockObject(&t->header);
  EXPECT_FALSE(timer_is_live(t));
}

TEST_F(TimerTest, SingleTimerFiresOnceAndReadsModeZero) {
  TimerObject *t = make(kTimerSingle, 20);
  EXPECT_TRUE(pump_until([] { return gFired == 1; }));
  pumpAWhile();
  EXPECT_EQ(gFired, 1);
  EXPECT_EQ(timerModeGetter(t, 0), 0);
  EXPECT_FALSE(t->armed);
  RuntimeUnlockObject(&t->header);
}

TEST_F(TimerTest, MultipleTimerRepeatsUntilItsActionTurnsItOff) {
  gOnAction = [](TimerObject *t) {
    if (gFired == 3) timerModeSetter(t, 0, kTimerOff);
  };
  TimerObject *t = make(kTimerMultiple, 10);
  EXPECT_TRUE(pump_until([] { return gFired >= 3; }));
  pumpAWhile();
  EXPECT_EQ(gFired, 3);
  EXPECT_FALSE(t->armed);
  RuntimeUnlockObject(&t->header);
}

TEST_F(TimerTest, ShorteningARunningPeriodBringsTheExpiryForward) {
  TimerObject *t = make(kTimerMultiple, 100000);
  timerPeriodSetter(t, 0, 20);
  EXPECT_TRUE(pump_until([] { return gFired >= 2; }));
  EXPECT_EQ(timerModeGetter(t, 0), kTimerMultiple);
  RuntimeUnlockObject(&t->header);
}

TEST_F(TimerTest, ExpiriesOfStoppedOrDestroyedTimersAreIgnored) {
  TimerObject *stopped = make(kTimerMultiple, 100000);
  timerModeSetter(stopped, 0, kTimerOff);
  TimerObject *gone = make(kTimerMultiple, 100000);
  RuntimeUnlockObject(&gone->header);
  EXPECT_FALSE(timer_is_live(gone));
  for (TimerObject *t : {stopped, gone}) /* as if queued before the change */
    PostMessageA(timer_window(), WM_TIMER, (WPARAM)t, 0);
  pumpAWhile();
  EXPECT_EQ(gFired, 0);
  RuntimeUnlockObject(&stopped->header);
}

TEST_F(TimerTest, TimerReleasedByItsOwnActionIsDestroyedAfterIt) {
  static TimerObject *held;
  held = make(kTimerMultiple, 10);
  gOnAction = [](TimerObject *t) {
    EXPECT_EQ(t, held);
    RuntimeUnlockObject(&held->header); /* the last reference but the delivery's own */
    EXPECT_TRUE(timer_is_live(t));
  };
  EXPECT_TRUE(pump_until([] { return gFired == 1; }));
  EXPECT_FALSE(timer_is_live(held));
  pumpAWhile();
  EXPECT_EQ(gFired, 1);
}

TEST_F(TimerTest, PlacedTimerRunsWithItsWindowAndStopsWhenItCloses) {
  static WindowObject *w;
  Description d(kWindow, {{"Name", "W"}, {"Visible", "False"}});
  d.control(kTimer, {{"Name", "Clock"}, {"Index", "-2147483648"}, {"Mode", "2"}, {"Period", "10"}});
  w = open_window(d);
  ASSERT_TRUE(w);
  TimerObject *clock = (TimerObject *)control_named(w, "Clock");
  ASSERT_TRUE(clock);
  EXPECT_EQ(clock->owner, &w->header);
  gOnAction = [](TimerObject *t) {
    EXPECT_EQ(t->owner, &w->header); /* its handler reaches the window through it */
    if (gFired == 2) RuntimeCloseWindow(w);
  };
  EXPECT_TRUE(pump_until([] { return gFired >= 2; }));
  EXPECT_FALSE(w->view);
  EXPECT_FALSE(timer_is_live(clock)); /* released with the window's controls */
  pumpAWhile();
  EXPECT_EQ(gFired, 2);
  RuntimeUnlockObject(&w->header);
}

TEST_F(TimerTest, ShowModalRunsTheLoopUntilItsWindowClosesWithTheOwnerDisabled) {
  static WindowObject *owner, *modal;
  static bool ownerEnabledMeanwhile;
  static const char *endedBy;
  owner = open_window(Description(kWindow, {{"Name", "Owner"}, {"Visible", "True"}}));
  modal =
      open_window(Description(kWindow, {{"Name", "Modal"}, {"Frame", "1"}, {"Visible", "False"}}));
  ASSERT_TRUE(owner && modal);
  window_pass();
  pump();
  endedBy = "nothing";
  gOnAction = [](TimerObject *t) {
    if (timerPeriodGetter(t, 0) == 20000) { /* the guard: a test that hangs fails instead */
      endedBy = "guard";
      RuntimeHideWindow(modal);
      return;
    }
    ownerEnabledMeanwhile = IsWindowEnabled(owner->view->pane.hwnd);
    endedBy = "timer";
    RuntimeCloseWindow(modal);
  };
  TimerObject *closer = make(kTimerSingle, 50), *guard = make(kTimerSingle, 20000);
  RuntimeShowModal(modal);
  EXPECT_STREQ(endedBy, "timer");
  EXPECT_FALSE(ownerEnabledMeanwhile);
  EXPECT_FALSE(modal->view);
  EXPECT_TRUE(IsWindowEnabled(owner->view->pane.hwnd));
  for (TimerObject *t : {closer, guard}) RuntimeUnlockObject(&t->header);
  for (WindowObject *w : {owner, modal}) RuntimeUnlockObject(&w->header);
}

TEST_F(TimerTest, ShowModalReturnsWhenItsWindowHidesItself) {
  static WindowObject *modal;
  modal =
      open_window(Description(kWindow, {{"Name", "Modal"}, {"Frame", "2"}, {"Visible", "False"}}));
  ASSERT_TRUE(modal);
  gOnAction = [](TimerObject *) { RuntimeHideWindow(modal); };
  TimerObject *hider = make(kTimerSingle, 30);
  RuntimeShowModal(modal);
  EXPECT_EQ(gFired, 1);
  EXPECT_TRUE(modal->view);
  EXPECT_FALSE(IsWindowVisible(modal->view->pane.hwnd));
  RuntimeUnlockObject(&hider->header);
  RuntimeCloseWindow(modal);
  RuntimeUnlockObject(&modal->header);
}

} // namespace
