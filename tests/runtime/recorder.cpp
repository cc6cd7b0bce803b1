// The recording platform used by the runtime's unit tests.
#include "recorder.h"
#include <cstdio>

Recorder gRecorder;

static int recordBox(HWND, const char *text, const char *caption, UINT type) {
  gRecorder.boxes.push_back({text, caption, type});
  std::string line = text; /* one line, so that death tests can match across it */
  for (char &c : line)
    if (c == '\n') c = '|';
  fprintf(stderr, "[message box] %s\n", line.c_str());
  fflush(stderr);
  return gRecorder.answer;
}

static void recordDiagnostic(const char *text) {
  gRecorder.diagnostics.push_back(text);
  fprintf(stderr, "[diagnostic] %s\n", text);
  fflush(stderr);
}

static void exitForReal(UINT code) {
  fprintf(stderr, "[exit] %u\n", code);
  fflush(stderr);
  ExitProcess(code);
}

static void *maybeRefuse(size_t bytes) {
  return gRecorder.refuseHeap ? nullptr : kRealPlatform.heapAlloc(bytes);
}

void RuntimeTest::SetUp() {
  gRecorder = Recorder();
  gPlatform.messageBox = recordBox;
  gPlatform.diagnostic = recordDiagnostic;
  gPlatform.exitProcess = exitForReal;
  gPlatform.heapAlloc = maybeRefuse;
}

void RuntimeTest::TearDown() { gPlatform = kRealPlatform; }
