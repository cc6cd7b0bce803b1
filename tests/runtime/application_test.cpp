// The event loop and the application's life: the tick clock, periodic tasks,
// the background call, deferred calls and drops, how RuntimeRun ends, and the
// Thread, CriticalSection and Semaphore objects.
#include "objects/registry.h"
#include "recorder.h"
#include "lifecycle/application.h"
#include "startup/init.h"
#include "lifecycle/thread.h"
#include "text/string.h"
#include <string>

namespace {

DWORD gFakeMs;
int gIterations;
bool gWindowOpen;
std::string gLog;

class LoopTest : public RuntimeTest {
protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
    gLoopHooks = kNoWindowHooks;
    gLoopHooks.focusIdle = [] { gIterations++; }; /* called once per iteration */
    gIterations = 0;
    gLog.clear();
  }
  void TearDown() override {
    gLoopHooks = kNoWindowHooks;
    gSettings.mdi = 0;
    RuntimeTest::TearDown();
  }
  static void useFakeClock(DWORD ms) {
    gFakeMs = ms;
    gLoopHooks.milliseconds = [] { return gFakeMs; };
  }
};

void note(void *text) { gLog += (const char *)text; }

TEST_F(LoopTest, TickClockCutsTheFractionOff) {
  const DWORD cases[][2] = {
      {0, 0}, {16, 0}, {17, 1}, {999, 59}, {1000, 60}, {1017, 61}, {4294967295u, 257698037}};
  for (auto &c : cases) {
    useFakeClock(c[0]);
    EXPECT_EQ(loop_ticks(), c[1]) << c[0];
  }
}

TEST_F(LoopTest, PeriodicTasksRunWhenTheirPeriodHasPassed) {
  static int zero, long_;
  zero = long_ = 0;
  PeriodicTask *every = loop_add_task(
      [](void *) {
        if (++zero == 5) PostQuitMessage(0);
      },
      nullptr, 0);
  PeriodicTask *rare = loop_add_task([](void *) { long_++; }, nullptr, 6000);
  RuntimeRun();
  EXPECT_EQ(zero, 6); /* five, and once in the iteration that takes the quit message */
  EXPECT_EQ(zero, gIterations);
  EXPECT_EQ(long_, 0);
  loop_remove_task(every);
  loop_remove_task(rare);
}

TEST_F(LoopTest, TasksMayRemoveThemselvesAndOthersDuringTheWalk) {
  static PeriodicTask *self, *other;
  useFakeClock(1000);
  PeriodicTask *last = loop_add_task(note, (void *)"c", 0);
  other = loop_add_task(note, (void *)"b", 0);
  self = loop_add_task(
      [](void *) {
        gLog += "a";
        loop_remove_task(self);
        loop_remove_task(other); /* the walk already holds it as the next task */
      },
      nullptr, 0);
  RuntimeBackgroundTask();
  gFakeMs++;
  RuntimeBackgroundTask();
  EXPECT_EQ(gLog, "acc");
  loop_remove_task(last);
}

TEST_F(LoopTest, BackgroundCallWorksOncePerMillisecond) {
  useFakeClock(5000);
  PeriodicTask *task = loop_add_task(note, (void *)"x", 0);
  RuntimeBackgroundTask();
  RuntimeBackgroundTask(); /* same millisecond: nothing */
  EXPECT_EQ(gLog, "x");
  gFakeMs++;
  RuntimeBackgroundTask();
  EXPECT_EQ(gLog, "xx");
  loop_remove_task(task);
}

TEST_F(LoopTest, ClosingTheOnlyWindowEndsTheLoopOutsideMdiMode) {
  struct {
    uint8_t mdi;
    int iterations; /* the window closes in the third */
  } cases[] = {{0, 3}, {1, 6}};
  gLoopHooks.noWindowOpen = [] { return !gWindowOpen; };
  gLoopHooks.closeFrontWindow = [] { gWindowOpen = false; };
  gLoopHooks.focusIdle = [] {
    if (++gIterations == 3) gWindowOpen = false;
  };
  for (auto &c : cases) {
    gSettings.mdi = c.mdi;
    gWindowOpen = true;
    gIterations = 0;
    PeriodicTask *task = loop_add_task(
        [](void *) {
          if (gIterations == 5) PostQuitMessage(0); /* MDI mode goes on until then */
        },
        nullptr, 0);
    RuntimeRun();
    EXPECT_EQ(gIterations, c.iterations) << int(c.mdi);
    loop_remove_task(task);
  }
}

TEST_F(LoopTest, DeferredCallsRunNewestFirstAtTheNextIteration) {
  static Object *target;
  target = CreateInstance(&gObjectClass);
  loop_defer([](Object *o) { gLog += o == target ? "1" : "?"; }, target);
  loop_defer(
      [](Object *) {
        gLog += "2";
        loop_defer([](Object *) { gLog += "3"; }, nullptr); /* waits for the next iteration */
        PostQuitMessage(0);
      },
      target);
  EXPECT_EQ(target->refs, 3);
  RuntimeRun();
  EXPECT_EQ(gLog, "213");
  EXPECT_EQ(target->refs, 1);
  RuntimeUnlockObject(target);
}

TEST_F(LoopTest, DropsReachTheControlOrElseTheWindow) {
  static Object *seenBy, *seenItem;
  ClassDef target;
  class_setup(&target);
  target.superclass = gControlClass;
  target.instanceSize = 92;
  RString *name = str_from("DropObject");
  class_add_handler(
      &target, name, 0, (void *)+[](Object *self, Object *item) {
        seenBy = self;
        seenItem = item;
        PostQuitMessage(0);
      });
  Object *window = CreateInstance(&target), *control = CreateInstance(&target);
  Object *item = CreateInstance(&gObjectClass);
  struct {
    Object *control, *expected;
  } cases[] = {{control, control}, {nullptr, window}};
  for (auto &c : cases) {
    seenBy = seenItem = nullptr;
    loop_post_drop(window, c.control, item);
    EXPECT_EQ(item->refs, 2);
    RuntimeRun();
    EXPECT_EQ(seenBy, c.expected);
    EXPECT_EQ(seenItem, item);
    EXPECT_EQ(item->refs, 1);
  }
  for (Object *o : {window, control, item}) RuntimeUnlockObject(o);
  RuntimeUnlockString(name);
  class_teardown(&target);
}

/* ---- threads ---- */

struct ThreadRun {
  HANDLE started, proceed; // the Run handler signals one and waits for the other
  DWORD id;
  bool tookSemaphore;
};
ThreadRun gRun;

TEST(ThreadTest, RunHandlerRunsOnItsOwnThreadOnce) {
  runtime_classes_init();
  static Object *semaphore;
  semaphore = CreateInstance(registry_find("Semaphore"));
  ClassDef mine;
  class_setup(&mine);
  mine.superclass = registry_find("Thread");
  mine.instanceSize = 32;
  RString *name = str_from("Run");
  class_add_handler(
      &mine, name, 0, (void *)+[](Object *) -> int32_t {
        gRun.id = GetCurrentThreadId();
        SetEvent(gRun.started);
        WaitForSingleObject(gRun.proceed, INFINITE);
        semaphore_signal(semaphore); /* waits until the main thread gives it back */
        gRun.tookSemaphore = true;
        semaphore_release(semaphore);
        return 0;
      });
  gRun = {CreateEventA(nullptr, FALSE, FALSE, nullptr),
          CreateEventA(nullptr, FALSE, FALSE, nullptr), 0, false};
  Object *thread = CreateInstance(&mine);
  semaphore_signal(semaphore);
  threadRun(thread);
  threadRun(thread); /* already running: nothing */
  ASSERT_EQ(WaitForSingleObject(gRun.started, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(thread->refs, 2); /* the running thread holds one */
  EXPECT_EQ(DWORD(threadID(thread)), gRun.id);
  EXPECT_NE(gRun.id, GetCurrentThreadId());
  SetEvent(gRun.proceed);
  Sleep(50);
  EXPECT_FALSE(gRun.tookSemaphore);
  semaphore_release(semaphore);
  for (int i = 0; i < 1000 && thread->refs != 1; i++) Sleep(10);
  EXPECT_TRUE(gRun.tookSemaphore);
  EXPECT_EQ(thread->refs, 1);
  EXPECT_EQ(WaitForSingleObject(gRun.started, 200), DWORD(WAIT_TIMEOUT)); /* ran once */
  Object *section = CreateInstance(registry_find("CriticalSection"));
  criticalsection_enter(section);
  criticalsection_enter(section); /* a platform critical section may be entered again */
  criticalsection_leave(section);
  criticalsection_leave(section);
  for (Object *o : {thread, semaphore, section}) RuntimeUnlockObject(o);
  CloseHandle(gRun.started);
  CloseHandle(gRun.proceed);
  RuntimeUnlockString(name);
  class_teardown(&mine);
}

} // namespace
