// Runtime exceptions raised to compiled routines: catch entries, releases,
// call-site cleanup lists, the skip marker and the frame limit, and the
// endings when nothing catches (message, shutdown, exit code 0).
#include "compiled.h"
#include "objects/registry.h"
#include "recorder.h"
#include "lifecycle/application.h"
#include "startup/init.h"
#include "lifecycle/exitlist.h"
#include "lifecycle/exception.h"
#include "text/string.h"
#include <cstdio>
#include <functional>

using namespace compiled;

namespace {

// Class indices of the test's class table.
enum : int16_t { kRuntimeEx, kNilEx, kEndEx, kCastEx, kReportable, kReportableEx, kClasses };

int gCloses, gUnhandledCalls;
bool gUnhandledAnswer;

void closeHandler(Object *) {
  gCloses++;
  ApplicationQuit(); /* already quitting: nothing happens */
}
bool unhandledHandler(Object *, Object *) {
  gUnhandledCalls++;
  return gUnhandledAnswer;
}
void announceShutdown(Object *, ClassDef *) {
  fprintf(stderr, "[shutdown]\n");
  fflush(stderr);
}

class ExceptionTest : public RuntimeTest {
protected:
  Machine m;
  ClassDef *table[kClasses];
  ClassDef reportable, reportableEx, appClass, shutdownProbe;
  int32_t caughtA = 0, caughtB = 0, returned = 0, slot8 = -1, slot12 = -1;

  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
    class_setup(&reportable);
    reportable.isInterface = 1;
    class_setup(&reportableEx);
    reportableEx.name = str_from("ReportableException");
    reportableEx.superclass = gRuntimeExceptionClass;
    reportableEx.instanceSize = 28;
    class_add_interface(&reportableEx, &reportable);
    ClassDef *classes[kClasses] = {gRuntimeExceptionClass,
                                   registry_find("NilObjectException"),
                                   registry_find("EndException"),
                                   registry_find("IllegalCastException"),
                                   &reportable,
                                   &reportableEx};
    std::copy(classes, classes + kClasses, table);
    gClassTable = table;
    gClassCount = kClasses;
    class_setup(&appClass);
    appClass.superclass = gApplicationClass;
    appClass.instanceSize = 36;
    gAppObject = CreateInstance(&appClass);
    setMessages({"", "", "", "", "Class %1: %1."});
    gCloses = gUnhandledCalls = 0;
    gLoopHooks = kNoWindowHooks;
  }

  void TearDown() override {
    RuntimeUnlockObject(gAppObject);
    gAppObject = nullptr;
    gClassTable = nullptr;
    gClassCount = 0;
    class_teardown(&appClass);
    class_teardown(&reportableEx);
    class_teardown(&reportable);
    gStackLimit = 0;
    gLoopHooks = kNoWindowHooks;
    setMessages({});
    RuntimeTest::TearDown();
  }

  void setMessages(std::vector<const char *> texts) {
    vec_init(&gSettings.messages);
    for (const char *t : texts) vec_append_ptr(&gSettings.messages, str_from(t));
  }

  void handle(const char *event, void *entry) {
    RString *name = str_from(event);
    class_add_handler(&appClass, name, 0, entry);
    RuntimeUnlockString(name);
  }

  // An object on the exit list that says so on standard error when the
  // runtime shuts down.
  void watchShutdown() {
    class_setup(&shutdownProbe);
    shutdownProbe.instanceSize = 16;
    shutdownProbe.destructor = announceShutdown;
    exitlist_add(CreateInstance(&shutdownProbe));
  }

  // B (slot 1) calls A (slot 2), which holds `held` in its locals at EBP-8
  // and EBP-12 and makes the raising call that `raise` emits. Each routine
  // records what its handler caught; A also records its two locals then.
  struct Plan {
    std::function<void(Code &)> raise = nullptr;
    std::function<std::vector<TableEntry>(CodeLabel)> aTable = nullptr, bTable = nullptr;
    Object *held[2] = {nullptr, nullptr};
    int aFrameWords = 3;
  };

  void build(const Plan &p) {
    Code b;
    enter(b, 1);
    callAt(b, m.at(2));
    store(b, &returned, 1);
    CodeLabel bExit = b.label(), bHandler = b.here();
    b.mov(eax, mem(ebp, -4));
    storeEax(b, &caughtB);
    b.bind(bExit);
    m.place(1, b, p.bTable ? p.bTable(bHandler) : std::vector<TableEntry>{});

    Code a;
    enter(a, p.aFrameWords);
    for (int i = 0; i < 2; i++) a.mov(mem(ebp, -8 - 4 * i), int32_t(uintptr_t(p.held[i])));
    p.raise(a);
    CodeLabel aExit = a.label();
    a.jmp(aExit);
    CodeLabel aHandler = a.here();
    a.mov(eax, mem(ebp, -4));
    storeEax(a, &caughtA);
    a.mov(eax, mem(ebp, -8));
    storeEax(a, &slot8);
    a.mov(eax, mem(ebp, -12));
    storeEax(a, &slot12);
    a.bind(aExit);
    m.place(2, a, p.aTable ? p.aTable(aHandler) : std::vector<TableEntry>{});
  }

  // A runtime-like routine in slot 3 (frames, but no descriptors) that
  // calls `target`, so that raises happen runtime frames below A.
  void viaRuntimeFrame(const void *target) {
    Code x;
    enter(x, 0);
    callAt(x, target, 0, nullptr, false);
    m.place(3, x);
  }

  static std::string className(int32_t object) {
    return object ? str_cview(class_display_name(((Object *)object)->cls)) : "(none)";
  }
};

std::vector<TableEntry> catchAll(CodeLabel h) { return {catchOf(kRuntimeEx, h)}; }

TEST_F(ExceptionTest, CallSiteCleanupListsReleaseTheirArguments) {
  struct {
    std::vector<uint8_t> cleanup;
    bool objectReleased, stringReleased;
  } cases[] = {
      {{}, false, false}, /* EB 03 90 EB 00: nothing, and the catch still applies */
      {{2, 0}, true, false},
      {{1, 4}, false, true},
      {{2, 0, 1, 4}, true, true},
  };
  for (auto &c : cases) {
    Object *o = CreateInstance(&gObjectClass);
    RString *s = str_from("argument");
    build({.raise =
               [&](Code &a) {
                 a.push(int32_t(uintptr_t(s)));
                 a.push(int32_t(uintptr_t(o)));
                 callAt(a, (void *)RuntimeNilObject, 2, &c.cleanup);
               },
           .aTable = catchAll});
    caughtA = 0;
    RuntimeLockObject(o);
    RuntimeLockString(s);
    m.run(1);
    ASSERT_EQ(className(caughtA), "NilObjectException");
    EXPECT_EQ(o->refs, c.objectReleased ? 1 : 2);
    EXPECT_EQ(s->refs, c.stringReleased ? 1 : 2);
    RuntimeUnlockObject((Object *)caughtA);
    RuntimeUnlockObject(o);
    RuntimeUnlockString(s);
    if (!c.objectReleased) RuntimeUnlockObject(o);
    if (!c.stringReleased) RuntimeUnlockString(s);
  }
}

// The routine in slot 3 raises from its last call, so that its leave follows
// the call site's descriptor at once: the search still finds its table and
// goes on to the caller's catch.
TEST_F(ExceptionTest, ARaiseFromARoutinesLastCallReachesTheCallersCatch) {
  Code x;
  enter(x, 1);
  callAt(x, (void *)RuntimeNilObject);
  m.place(3, x);
  build({.raise = [&](Code &a) { callAt(a, m.at(3)); }, .aTable = catchAll});
  m.run(1);
  EXPECT_EQ(className(caughtA), "NilObjectException");
  RuntimeUnlockObject((Object *)caughtA);
}

TEST_F(ExceptionTest, SearchFindsTheNearestMatchingCatchEntry) {
  Object *cast = CreateInstance(gRuntimeExceptionClass);
  Object *own = CreateInstance(&reportableEx);
  struct {
    const char *name;
    std::function<void(Code &)> raise;
    std::vector<TableEntry> (*aTable)(CodeLabel);
    bool caughtByA;
    const char *caught;
  } cases[] = {
      {"two runtime frames below A", [&](Code &a) { callAt(a, m.at(3)); }, catchAll, true,
       "NilObjectException"},
      {"A takes only IllegalCastException", [&](Code &a) { callAt(a, m.at(3)); },
       [](CodeLabel h) { return std::vector<TableEntry>{catchOf(kCastEx, h)}; }, false,
       "NilObjectException"},
      {"cast failure",
       [&](Code &a) {
         a.push(kNilEx);
         a.push(int32_t(uintptr_t(cast)));
         callAt(a, (void *)RuntimeCheckCast, 2);
       },
       [](CodeLabel h) { return std::vector<TableEntry>{catchOf(kCastEx, h)}; }, true,
       "IllegalCastException"},
      {"an interface the exception implements",
       [&](Code &a) {
         a.push(int32_t(uintptr_t(own)));
         callAt(a, (void *)RuntimeRaiseException, 1);
       },
       [](CodeLabel h) { return std::vector<TableEntry>{catchOf(kReportable, h)}; }, true,
       "ReportableException"},
      {"stack below the limit", [&](Code &a) { callAt(a, (void *)RuntimeStackCheck); }, catchAll,
       true, "stackOverflowException"},
      {"code 7 skips A's own catch",
       [&](Code &a) {
         std::vector<uint8_t> skip = {7};
         callAt(a, m.at(3), 0, &skip);
       },
       catchAll, false, "NilObjectException"},
  };
  viaRuntimeFrame((void *)RuntimeNilObject);
  gStackLimit = UINTPTR_MAX - 4096; /* every stack lies below it */
  for (auto &c : cases) {
    build({.raise = c.raise, .aTable = c.aTable, .bTable = catchAll});
    caughtA = caughtB = returned = 0;
    m.run(1);
    int32_t caught = c.caughtByA ? caughtA : caughtB;
    EXPECT_EQ(className(caught), c.caught) << c.name;
    EXPECT_EQ(c.caughtByA ? caughtB : caughtA, 0) << c.name;
    EXPECT_EQ(returned, c.caughtByA) << c.name; /* A's handler returns to B normally */
    if (caught) RuntimeUnlockObject((Object *)caught);
  }
  EXPECT_EQ(own->refs, 2); /* ours, and the one the raise keeps for good */
  gStackLimit = 0;
  RuntimeStackCheck();          /* above the limit: returns */
  RuntimeCheckCast(nullptr, 1); /* nil passes any cast */
  RuntimeCheckCast(cast, kRuntimeEx);
  RuntimeUnlockObject(cast);
  RuntimeUnlockObject(own);
  RuntimeUnlockObject(own); /* the raise's too: it must not outlive its class, the fixture's */
}

TEST_F(ExceptionTest, ReleasesBeforeTheCatchEntryRunAndThoseAfterItDoNot) {
  struct {
    const char *name;
    std::vector<uint8_t> site;
    bool caughtByA, firstReleased, secondReleased;
  } cases[] = {
      {"caught in A", {}, true, true, false},
      {"code 7: A releases all, B catches", {7}, false, true, true},
  };
  viaRuntimeFrame((void *)RuntimeNilObject);
  for (auto &c : cases) {
    Object *first = CreateInstance(&gObjectClass), *second = CreateInstance(&gObjectClass);
    RuntimeLockObject(first);
    RuntimeLockObject(second);
    build({.raise = [&](Code &a) { callAt(a, m.at(3), 0, &c.site); },
           .aTable =
               [](CodeLabel h) {
                 return std::vector<TableEntry>{releaseObject(-8), catchOf(kRuntimeEx, h),
                                                releaseObject(-12)};
               },
           .bTable = catchAll,
           .held = {first, second}});
    caughtA = caughtB = 0;
    slot8 = slot12 = -1;
    m.run(1);
    EXPECT_NE(c.caughtByA ? caughtA : caughtB, 0) << c.name;
    EXPECT_EQ(first->refs, c.firstReleased ? 1 : 2) << c.name;
    EXPECT_EQ(second->refs, c.secondReleased ? 1 : 2) << c.name;
    if (c.caughtByA) {
      EXPECT_EQ(slot8, 0) << c.name; /* released slots are cleared */
      EXPECT_EQ(slot12, int32_t(uintptr_t(second))) << c.name;
    }
    RuntimeUnlockObject((Object *)(caughtA ? caughtA : caughtB));
    RuntimeUnlockObject(first);
    RuntimeUnlockObject(second);
    if (!c.secondReleased) RuntimeUnlockObject(second);
  }
}

TEST_F(ExceptionTest, CaughtEndExceptionLeavesTheApplicationRunning) {
  handle("Close", (void *)closeHandler);
  build({.raise = [&](Code &a) { callAt(a, (void *)ApplicationQuit); },
         .aTable = [](CodeLabel h) { return std::vector<TableEntry>{catchOf(kEndEx, h)}; }});
  m.run(1);
  EXPECT_EQ(className(caughtA), "EndException");
  EXPECT_EQ(gCloses, 1); /* the quit from inside Close did nothing */
  RuntimeUnlockObject((Object *)caughtA);
}

TEST_F(ExceptionTest, RefusedQuitRaisesNothing) {
  handle("Close", (void *)closeHandler);
  gLoopHooks.allWindowsMayClose = [] { return false; };
  ApplicationQuit();
  ApplicationQuit(); /* the quitting flag was cleared: asked again */
  EXPECT_EQ(gCloses, 0);
}

TEST_F(ExceptionTest, FrameChainThatJumpsTooFarEndsTheSearch) {
  viaRuntimeFrame((void *)RuntimeNilObject);
  Plan p = {.raise = [&](Code &a) { callAt(a, m.at(3)); }, .bTable = catchAll};
  p.aFrameWords = 1000; /* X's frame lies 4008 bytes below A's */
  build(p);
  m.run(1);
  EXPECT_EQ(className(caughtB), "NilObjectException");
  RuntimeUnlockObject((Object *)caughtB);
  p.aFrameWords = 1023; /* 4100 bytes */
  build(p);
  EXPECT_EXIT(m.run(1), testing::ExitedWithCode(0),
              "\\[message box\\] Class NilObjectException: NilObjectException\\.\n\\[exit\\] 0");
}

TEST_F(ExceptionTest, UnhandledExceptionsEndTheProcessWithTheMessage) {
  struct {
    const char *name;
    bool handler;
    std::vector<const char *> messages;
    const char *expected;
  } cases[] = {
      {"no handler",
       false,
       {"", "", "", "", "Class %1: %1."},
       "\\[message box\\] Class NilObjectException: NilObjectException\\.\n\\[shutdown\\]\n"
       "\\[exit\\] 0"},
      {"handler answers false",
       true,
       {"", "", "", "", "%1%1"},
       "\\[message box\\] NilObjectExceptionNilObjectException\n\\[shutdown\\]"},
      {"a table of four messages",
       false,
       {"a", "b", "c", "d"},
       "\\[message box\\] \n\\[shutdown\\]\n\\[exit\\] 0"},
  };
  viaRuntimeFrame((void *)RuntimeNilObject);
  build({.raise = [&](Code &a) { callAt(a, m.at(3)); }});
  gUnhandledAnswer = false;
  for (auto &c : cases) {
    if (c.handler) handle("UnhandledException", (void *)unhandledHandler);
    setMessages(c.messages);
    EXPECT_EXIT(
        {
          watchShutdown();
          m.run(1);
        },
        testing::ExitedWithCode(0), c.expected)
        << c.name;
  }
}

TEST_F(ExceptionTest, UncaughtEndExceptionShutsDownWithoutAMessage) {
  build({.raise = [&](Code &a) { callAt(a, (void *)ApplicationQuit); }});
  EXPECT_EXIT(
      {
        watchShutdown();
        m.run(1);
      },
      testing::ExitedWithCode(0), "^\\[shutdown\\]\n\\[exit\\] 0");
}

TEST_F(ExceptionTest, UnhandledExceptionAnsweredTrueResumesTheLoop) {
  static Machine *machine;
  static int runs;
  machine = &m;
  runs = 0;
  viaRuntimeFrame((void *)RuntimeNilObject);
  build({.raise = [&](Code &a) { callAt(a, m.at(3)); }});
  handle("UnhandledException", (void *)unhandledHandler);
  gUnhandledAnswer = true;
  PeriodicTask *task = loop_add_task(
      [](void *) {
        if (++runs == 1) machine->run(1); /* abandons this iteration */
        if (runs == 2) PostQuitMessage(0);
      },
      nullptr, 0);
  RuntimeRun();
  loop_remove_task(task);
  EXPECT_EQ(gUnhandledCalls, 1);
  EXPECT_EQ(runs, 3); /* the iteration that takes the quit message runs it too */
  EXPECT_EQ(returned, 0);
}

TEST_F(ExceptionTest, LastChanceHandlerReportsPlatformFaults) {
  exception_install_last_chance();
  LPTOP_LEVEL_EXCEPTION_FILTER filter = SetUnhandledExceptionFilter(nullptr); /* ours */
  EXCEPTION_RECORD record = {};
  record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
  record.ExceptionAddress = (void *)0x00401A2B;
  EXCEPTION_POINTERS fault = {&record, nullptr};
  EXPECT_EQ(filter(&fault), EXCEPTION_EXECUTE_HANDLER);
  ASSERT_EQ(gRecorder.boxes.size(), 1u);
  EXPECT_EQ(gRecorder.boxes[0].text,
            "Unhandled exception: c0000005\nAt address:          00401a2b\n");
  EXPECT_EQ(gRecorder.boxes[0].caption, "Unhandled Exception");
  EXPECT_EQ(gRecorder.boxes[0].type, UINT(MB_OK | MB_TASKMODAL));
  record.ExceptionFlags = EXCEPTION_UNWINDING; /* passed on without a message */
  EXPECT_EQ(filter(&fault), EXCEPTION_CONTINUE_SEARCH);
  EXPECT_EQ(gRecorder.boxes.size(), 1u);
}

} // namespace
