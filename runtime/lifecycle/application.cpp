// The application object and the event loop: lifecycle events, quitting,
// the loop iteration with its recovery point, periodic tasks, deferred calls,
// pending drops, the tick clock and shutdown.
#include "lifecycle/application.h"
#include "lifecycle/settings.h"
#include "lifecycle/exitlist.h"
#include "base/fault.h"
#include "lifecycle/exception.h"
#include "base/pool.h"
#include "base/vector.h"
#include <ole2.h>
#include <cstring>
#include <initializer_list>

Object *gAppObject;
bool gLoopStarted;
bool gWaitCursor;
uint32_t gCursorReferenceTick;

/* ---- events ---- */

static void *handlerFor(Object *object, const char *event) {
  if (!object) return nullptr;
  EventRecord *declared = class_find_event(object->cls, event);
  return declared ? event_handler_entry(object, declared) : nullptr;
}

bool raise_event(Object *object, const char *event) {
  void *entry = handlerFor(object, event);
  if (entry) call_compiled(entry, (uint32_t)(uintptr_t)object, 0);
  return entry;
}

bool raise_event_with(Object *object, const char *event, Object *argument) {
  void *entry = handlerFor(object, event);
  if (entry) call_compiled(entry, (uint32_t)(uintptr_t)object, (uint32_t)(uintptr_t)argument);
  return entry;
}

bool raise_event_asking(Object *object, const char *event, Object *argument) {
  void *entry = handlerFor(object, event);
  return entry &&
         (call_compiled(entry, (uint32_t)(uintptr_t)object, (uint32_t)(uintptr_t)argument) & 0xFF);
}

Object *getAppObject() { return RuntimeLockObject(gAppObject); }
// The resources a Windows program carries live in its executable, not in a
// second part of a file, so there is never a fork to give.
Object *appResourceForkGetter(Object *) { return nullptr; }

void ApplicationNewDocument(Object *app) { raise_event(app, "NewDocument"); }

void ApplicationOpenDocument(Object *app, Object *item) {
  raise_event_with(app, "OpenDocument", item);
}

/* ---- hooks: the answers while no window, pane or port exists ---- */

static void nothing() {}
static bool yes() { return true; }
static bool no() { return false; }
static bool notTaken(MSG *) { return false; }
static HWND noWindow() { return nullptr; }
static DWORD platformTicks() { return GetTickCount(); }

const LoopHooks kNoWindowHooks = {nothing, yes,           nothing,  yes,     no,
                                  nothing, notTaken,      noWindow, nothing, nothing,
                                  nothing, platformTicks, nothing};
LoopHooks gLoopHooks = kNoWindowHooks;

/* ---- loop state ---- */

static bool quitFlag;
static bool windowSeen;      // a window has been open: closing the last one quits
static bool autoWaitOff;     // DisableAutoWaitCursor, never cleared
static DWORD lastBackground; // platform milliseconds of RuntimeBackgroundTask's last work
static bool appQuitting;     // the application object's quitting flag

// The recovery point of the running iteration, on the loop's thread.
static void *recovery[5];
static bool recoverable;
static DWORD loopThread;

void loop_window_opened() { windowSeen = true; }

// ms x 0.06 cut off, in whole numbers: an x87 product of 1000 and 0.06 falls
// just short of 60.
uint32_t loop_ticks() { return (uint32_t)((uint64_t)gLoopHooks.milliseconds() * 3 / 50); }

int32_t RuntimeTicks() { return (int32_t)loop_ticks(); }

// The performance counter, for timing finer than the tick clock.
double RuntimeMicroseconds() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return (double)count.QuadPart * 1000000.0 / (double)frequency.QuadPart;
}

void DisableAutoWaitCursor() { autoWaitOff = true; }

/* ---- periodic tasks ---- */

struct PeriodicTask {
  void (*routine)(void *context); // nil once removed during a walk
  void *context;
  uint32_t lastRun; // tick clock after its last run
  uint32_t period;  // ticks
  PeriodicTask *next;
};

static PeriodicTask *tasks; // newest first
static int32_t liveTasks;   // tasks not removed
static int32_t walking;     // nesting of the service; removed tasks are freed at 0

PeriodicTask *loop_add_task(void (*routine)(void *), void *context, uint32_t period) {
  PeriodicTask *t = (PeriodicTask *)pool_alloc(sizeof(PeriodicTask));
  *t = {routine, context, loop_ticks(), period, tasks};
  tasks = t;
  liveTasks++;
  return t;
}

static void sweepTasks() {
  for (PeriodicTask **link = &tasks; *link;) {
    PeriodicTask *t = *link;
    if (t->routine) {
      link = &t->next;
      continue;
    }
    *link = t->next;
    pool_free(t, sizeof(PeriodicTask));
  }
}

void loop_remove_task(PeriodicTask *task) {
  if (!task || !task->routine) return;
  task->routine = nullptr; /* a walk in progress may still hold it */
  liveTasks--;
  if (!walking) sweepTasks();
}

static void serviceTasks() {
  uint32_t now = loop_ticks();
  if (!autoWaitOff && !gWaitCursor && now - gCursorReferenceTick > 15) gWaitCursor = true;
  walking++;
  for (PeriodicTask *t = tasks, *next; t; t = next) {
    next = t->next; /* removed tasks stay linked until the sweep */
    if (!t->routine || (int32_t)(now - t->lastRun) < (int32_t)t->period) continue;
    t->routine(t->context);
    t->lastRun = loop_ticks();
  }
  if (--walking == 0) sweepTasks();
}

void RuntimeBackgroundTask() {
  DWORD ms = gLoopHooks.milliseconds();
  if (ms == lastBackground) return;
  lastBackground = ms;
  serviceTasks();
  lastBackground = gLoopHooks.milliseconds();
}

// While only tasks keep the loop polling, sleep until the next one is due or
// a message arrives instead of spinning.
static void waitForWork() {
  uint32_t now = loop_ticks(), wait = UINT32_MAX;
  for (PeriodicTask *t = tasks; t; t = t->next) {
    if (!t->routine) continue;
    uint32_t due = t->lastRun + t->period - now;
    if ((int32_t)due <= 0) return;
    if (due < wait) wait = due;
  }
  if (wait != UINT32_MAX)
    MsgWaitForMultipleObjectsEx(0, nullptr, wait * 50 / 3 + 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

/* ---- deferred calls and pending drops ---- */

struct DeferredCall {
  void (*routine)(Object *object);
  Object *object; // locked
};

static Vector deferred; // of DeferredCall *, oldest first

void loop_defer(void (*routine)(Object *), Object *object) {
  if (!deferred.elementSize) vec_init(&deferred);
  DeferredCall *d = (DeferredCall *)pool_alloc(sizeof(DeferredCall));
  *d = {routine, RuntimeLockObject(object)};
  vec_append_ptr(&deferred, d);
}

// Calls added while these run wait for the next iteration.
static void runDeferredCalls() {
  if (!vec_count(&deferred)) return;
  Vector batch = deferred;
  vec_init(&deferred);
  for (int32_t i = vec_count(&batch) - 1; i >= 0; i--) {
    DeferredCall *d = (DeferredCall *)vec_get_ptr(&batch, i);
    d->routine(d->object);
    RuntimeUnlockObject(d->object);
    pool_free(d, sizeof(DeferredCall));
  }
  vec_dispose(&batch);
}

struct PendingDrop {
  Object *window, *control; // locked; control nil for a drop on the window itself
  Object *item;             // the drag item, locked
  PendingDrop *next;
};

static PendingDrop *drops, **dropsEnd = &drops;

void loop_post_drop(Object *window, Object *control, Object *item) {
  PendingDrop *d = (PendingDrop *)pool_alloc(sizeof(PendingDrop));
  /* the window may close before the loop comes round: its handler must still be there */
  *d = {RuntimeLockObject(window), RuntimeLockObject(control), RuntimeLockObject(item), nullptr};
  *dropsEnd = d;
  dropsEnd = &d->next;
}

static void deliverDrops() {
  while (PendingDrop *d = drops) {
    drops = d->next;
    if (!drops) dropsEnd = &drops;
    raise_event_with(d->control ? d->control : d->window, "DropObject", d->item);
    for (Object *o : {d->item, d->control, d->window}) RuntimeUnlockObject(o);
    pool_free(d, sizeof(PendingDrop));
  }
}

/* ---- the loop ---- */

// Waits for a message unless something needs polling or is waiting for the
// next iteration; false when none was taken (a quit message sets the quit flag).
static bool takeMessage(MSG *msg) {
  bool urgent = gLoopHooks.mouseCaptured() || vec_count(&deferred) || drops;
  if (!urgent && liveTasks == 0) {
    BOOL got = GetMessageA(msg, nullptr, 0, 0);
    if (got == 0) quitFlag = true;
    return got > 0;
  }
  if (!PeekMessageA(msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!urgent) waitForWork();
    return false;
  }
  if (msg->message == WM_QUIT) quitFlag = true; /* taken by the peek, so not lost */
  return msg->message != WM_QUIT;
}

static void dispatch(MSG *msg) {
  gLoopHooks.trackMouse();
  if (gLoopHooks.translateKeys(msg)) return;
  if (gSettings.mdi && TranslateMDISysAccel(gLoopHooks.mdiClient(), msg)) return;
  TranslateMessage(msg);
  DispatchMessageA(msg);
}

static void iterate() {
  if (__builtin_setjmp(recovery)) { /* an unhandled exception the application ignored */
    recoverable = false;
    walking = 0; /* a task service it interrupted is over */
    sweepTasks();
    return;
  }
  recoverable = true;
  gLoopStarted = true;
  deliverDrops();
  gLoopHooks.refreshWindows();
  MSG msg;
  if (takeMessage(&msg)) dispatch(&msg);
  runDeferredCalls();
  gLoopHooks.focusIdle();
  gLoopHooks.tickSerialPorts();
  if (!gLoopHooks.noWindowOpen())
    windowSeen = true;
  else if (!gSettings.mdi && windowSeen)
    quitFlag = true;
  serviceTasks();
  recoverable = false;
}

void loop_run_nested(bool (*going)(void *context), void *context) {
  void *outer[5]; /* the recovery point of the iteration this runs inside */
  memcpy(outer, recovery, sizeof recovery);
  bool outerRecoverable = recoverable;
  while (!quitFlag && going(context)) iterate();
  memcpy(recovery, outer, sizeof recovery);
  recoverable = outerRecoverable;
}

bool loop_can_recover() { return recoverable && GetCurrentThreadId() == loopThread; }

void loop_recover() {
  recoverable = false;
  exception_abandon_frames_below(recovery[2]); /* the saved stack pointer */
  __builtin_longjmp(recovery, 1);
}

void close_all_windows() {
  while (!gLoopHooks.noWindowOpen()) gLoopHooks.closeFrontWindow();
}

void runtime_shut_down() {
  static bool oleReleased;
  gLoopHooks.shutDownMedia();
  if (gRuntimeStarted && !oleReleased) {
    oleReleased = true;
    OleUninitialize();
  }
  gLoopHooks.shutDownMovies();
  exitlist_run();
}

void RuntimeRun() {
  quitFlag = false;
  windowSeen = !gLoopHooks.noWindowOpen();
  loopThread = GetCurrentThreadId();
  while (!quitFlag) iterate();
  close_all_windows();
  runtime_shut_down();
  quitFlag = false; /* the flag ends one run; a later nested loop is not over before it starts */
}

/* ---- quitting ---- */

// Asks every window, raises Close and closes the windows; false when the
// application is already quitting or a window refused.
static bool closeApplication() {
  if (!gAppObject) {
    fault_report(kFaultNoApplicationObject);
    return false;
  }
  if (appQuitting) return false;
  appQuitting = true;
  if (!gLoopHooks.allWindowsMayClose()) {
    appQuitting = false;
    return false;
  }
  raise_event(gAppObject, "Close");
  close_all_windows();
  appQuitting = false;
  return true;
}

void ApplicationQuit() {
  if (!closeApplication()) return;
  exception_throw("EndException");
}
