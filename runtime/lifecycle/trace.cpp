// The trace log that compiled code writes with lineTrace. The file is created
// (or emptied) on the first call, kept open, and closed at shutdown through
// the exit list.
#include "lifecycle/trace.h"
#include "objects/objects.h"
#include "lifecycle/exitlist.h"
#include "text/string.h"
#include <windows.h>

struct TraceLog {
  Object header; // 0
  HANDLE file;   // 16: "trace.log", open for writing
};

static ClassDef traceLogClass;
static TraceLog *traceLog; // nil until the first line

static void closeTraceLog(Object *object, ClassDef *) {
  CloseHandle(((TraceLog *)object)->file);
  traceLog = nullptr;
}

static TraceLog *openTraceLog() {
  HANDLE file = CreateFileA("trace.log", GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr; /* no trace rather than a failure */
  if (!traceLogClass.marker) {
    class_setup(&traceLogClass);
    traceLogClass.superclass = &gObjectClass;
    traceLogClass.instanceSize = sizeof(TraceLog);
    traceLogClass.destructor = closeTraceLog;
  }
  TraceLog *log = (TraceLog *)CreateInstance(&traceLogClass);
  log->file = file;
  exitlist_add(&log->header);
  return log;
}

void lineTrace(RString *text) {
  if (!traceLog && !(traceLog = openTraceLog())) return;
  DWORD written;
  WriteFile(traceLog->file, str_cview(text), str_len(text), &written, nullptr);
  WriteFile(traceLog->file, "\r", 1, &written, nullptr);
}
