// Figures for the event loop: the processor time an idle application spends
// inside RuntimeRun over ten seconds, with no periodic task (the loop sleeps
// in GetMessageA), with one every 10 ticks (the plug-in controls' rate), and
// with one of period 0, which keeps the loop polling without pause, and with
// one 100 ms Timer running (its expiries wake the loop ten times a second).
#include "startup/loader.h"
#include "startup/init.h"
#include "lifecycle/application.h"
#include "objects/registry.h"
#include "text/string.h"
#include "ui/timer.h"
#include <windows.h>
#include <cstdio>

enum { kIdleMs = 10000 };

static DWORD mainThread;
static int taskRuns;

static DWORD WINAPI quitLater(void *) {
  Sleep(kIdleMs);
  PostThreadMessageA(mainThread, WM_QUIT, 0, 0);
  return 0;
}

static double cpuMs() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}};
  ULARGE_INTEGER u = {{user.dwLowDateTime, user.dwHighDateTime}};
  return (k.QuadPart + u.QuadPart) / 10000.0;
}

// Runs the loop for kIdleMs and prints the processor time it took; `runs`
// counts what woke it (task runs or timer expiries).
static void measure(const char *what, uint32_t period, bool withTask) {
  PeriodicTask *task = withTask ? loop_add_task([](void *) { taskRuns++; }, nullptr, period) : 0;
  if (withTask) taskRuns = 0;
  MSG m;
  PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE); /* the thread's queue exists before the post */
  CloseHandle(CreateThread(nullptr, 0, quitLater, nullptr, 0, nullptr));
  double before = cpuMs();
  DWORD start = GetTickCount();
  RuntimeRun();
  double used = cpuMs() - before;
  DWORD elapsed = GetTickCount() - start;
  printf("%-34s %8.1f ms processor time in %5lu ms (%.2f%%), %d wake-ups\n", what, used,
         (unsigned long)elapsed, 100.0 * used / elapsed, taskRuns);
  if (task) loop_remove_task(task);
}

// A Timer of the runtime's class whose Action counts its expiries.
static void idleWithTimer() {
  static ClassDef counting;
  class_setup(&counting);
  counting.name = str_from("CountingTimer");
  counting.superclass = registry_find("Timer");
  counting.instanceSize = 52;
  RString *action = str_from("Action");
  class_add_handler(
      &counting, action, 0, (void *)+[](Object *) { taskRuns++; });
  RuntimeUnlockString(action);
  TimerObject *t = (TimerObject *)CreateInstance(&counting);
  timerPeriodSetter(t, 0, 100);
  timerModeSetter(t, 0, kTimerMultiple);
  taskRuns = 0;
  measure("idle, one 100 ms timer running", 0, false);
  RuntimeUnlockObject(&t->header);
}

// The platform's own floor for the same work: a bare message loop with one
// 100 ms platform timer and no runtime around it.
static void bareTimerLoop() {
  UINT_PTR id = SetTimer(nullptr, 0, 100, nullptr);
  MSG m;
  PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);
  CloseHandle(CreateThread(nullptr, 0, quitLater, nullptr, 0, nullptr));
  int expiries = 0;
  double before = cpuMs();
  DWORD start = GetTickCount();
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    expiries += m.message == WM_TIMER;
    DispatchMessageA(&m);
  }
  double used = cpuMs() - before;
  DWORD elapsed = GetTickCount() - start;
  KillTimer(nullptr, id);
  printf("%-34s %8.1f ms processor time in %5lu ms (%.2f%%), %d wake-ups\n",
         "bare loop, one 100 ms platform timer", used, (unsigned long)elapsed,
         100.0 * used / elapsed, expiries);
}

int main() {
  runtime_core_init();
  runtime_classes_init();
  mainThread = GetCurrentThreadId();
  taskRuns = 0;
  measure("idle, no periodic task", 0, false);
  measure("idle, a task every 10 ticks", 10, true);
  measure("a task of period 0 (polls always)", 0, true);
  idleWithTimer();
  bareTimerLoop();
  return 0;
}
