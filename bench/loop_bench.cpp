// Figures for the event loop: the processor time an idle application spends
// inside RuntimeRun over ten seconds, with no periodic task (the loop sleeps
// in GetMessageA), with one every 10 ticks (the plug-in controls' rate), and
// with one of period 0, which keeps the loop polling without pause.
#include "startup/loader.h"
#include "lifecycle/application.h"
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

static void measure(const char *what, uint32_t period, bool withTask) {
  PeriodicTask *task = withTask ? loop_add_task([](void *) { taskRuns++; }, nullptr, period) : 0;
  taskRuns = 0;
  MSG m;
  PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE); /* the thread's queue exists before the post */
  CloseHandle(CreateThread(nullptr, 0, quitLater, nullptr, 0, nullptr));
  double before = cpuMs();
  DWORD start = GetTickCount();
  RuntimeRun();
  double used = cpuMs() - before;
  DWORD elapsed = GetTickCount() - start;
  printf("%-34s %8.1f ms processor time in %5lu ms (%.2f%%), %d task runs\n", what, used,
         (unsigned long)elapsed, 100.0 * used / elapsed, taskRuns);
  if (task) loop_remove_task(task);
}

int main() {
  runtime_core_init();
  mainThread = GetCurrentThreadId();
  measure("idle, no periodic task", 0, false);
  measure("idle, a task every 10 ticks", 10, true);
  measure("a task of period 0 (polls always)", 0, true);
  return 0;
}
