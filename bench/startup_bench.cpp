// Start-up of the calculator against a plain Win32 program that makes the
// same window and 95 native controls directly: the time from starting the
// process to its main window being visible, as a ratio; the executable's
// size; the working set once the window is up.
//
//   startup_bench.exe MORVINT.exe PLAINWINDOW.exe [RUNS]
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

struct Found {
  DWORD pid;
  HWND window;
};

static BOOL CALLBACK findVisible(HWND w, LPARAM context) {
  Found *f = (Found *)context;
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != f->pid || !IsWindowVisible(w) || GetWindow(w, GW_OWNER)) return TRUE;
  f->window = w;
  return FALSE;
}

struct Run {
  double ms;         // from CreateProcess to a visible top-level window
  SIZE_T workingSet; // bytes, once it is visible and has settled
};

static bool start(const char *exe, Run *out) {
  STARTUPINFOA si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  char command[MAX_PATH + 2];
  snprintf(command, sizeof command, "\"%s\"", exe);
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  if (!CreateProcessA(exe, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  Found found = {pi.dwProcessId, nullptr};
  while (!found.window) {
    EnumWindows(findVisible, (LPARAM)&found);
    if (!found.window) Sleep(1);
    QueryPerformanceCounter(&t1);
    if ((t1.QuadPart - t0.QuadPart) / f.QuadPart > 30) break; /* never seen: give up */
  }
  QueryPerformanceCounter(&t1);
  out->ms = 1000.0 * (t1.QuadPart - t0.QuadPart) / f.QuadPart;
  Sleep(300); /* the first paint and the idle loop */
  PROCESS_MEMORY_COUNTERS pmc;
  memset(&pmc, 0, sizeof pmc);
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc);
  out->workingSet = pmc.WorkingSetSize;
  if (found.window) PostMessageA(found.window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return found.window != nullptr;
}

static long fileSize(const char *path) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  return GetFileAttributesExA(path, GetFileExInfoStandard, &a) ? (long)a.nFileSizeLow : -1;
}

// The median of several runs, after one that warms the caches.
static Run measure(const char *exe, int runs) {
  Run warm, r;
  start(exe, &warm);
  std::vector<double> ms;
  SIZE_T ws = 0;
  for (int i = 0; i < runs; i++) {
    if (!start(exe, &r)) {
      fprintf(stderr, "%s showed no window\n", exe);
      exit(1);
    }
    ms.push_back(r.ms);
    ws = r.workingSet;
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ws};
}

int main(int argc, char **argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: startup_bench MORVINT.exe PLAINWINDOW.exe [RUNS]\n");
    return 2;
  }
  int runs = argc > 3 ? atoi(argv[3]) : 7;
  Run app = measure(argv[1], runs), plain = measure(argv[2], runs);
  printf("start-up to a visible main window (median of %d):\n", runs);
  printf("  morvint.exe      %8.1f ms\n", app.ms);
  printf("  plain Win32      %8.1f ms\n", plain.ms);
  printf("  ratio            %8.2f (target <= 1.5)\n", app.ms / plain.ms);
  printf("executable size: morvint.exe %ld bytes, plain %ld bytes\n", fileSize(argv[1]),
         fileSize(argv[2]));
  printf("working set after start-up: morvint.exe %lu KB, plain %lu KB\n",
         (unsigned long)(app.workingSet / 1024), (unsigned long)(plain.workingSet / 1024));
  return 0;
}
