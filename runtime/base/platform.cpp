// The real platform behind the routine table that tests may replace.
#include "base/platform.h"

static int realMessageBox(HWND owner, const char *text, const char *caption, UINT type) {
  return MessageBoxA(owner, text, caption, type);
}

static void realExitProcess(UINT code) { ExitProcess(code); }

static void realFatalExit(const char *text) { FatalAppExitA(0, text); }

static void realDiagnostic(const char *) {}

static void *realHeapAlloc(size_t bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); }

static void realHeapFree(void *block) { HeapFree(GetProcessHeap(), 0, block); }

const Platform kRealPlatform = {realMessageBox, realExitProcess, realFatalExit,
                                realDiagnostic, realHeapAlloc,   realHeapFree};

Platform gPlatform = kRealPlatform;

HINSTANCE gInstance;
