// The object report written by debugDumpObjects: the memory in use, the
// number of live objects and each one's class.
#include "base/pool.h"
#include "objects/objects.h"
#include "text/string.h"
#include <windows.h>
#include <cstdio>
#include <cstring>

static void writeLine(HANDLE file, const char *text) {
  DWORD written;
  WriteFile(file, text, (DWORD)strlen(text), &written, nullptr);
  WriteFile(file, "\r", 1, &written, nullptr);
}

void debugDumpObjects(RString *path) {
  HANDLE file = CreateFileA(str_cview(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return; /* a report that cannot be written is skipped */
  char line[64];
  snprintf(line, sizeof line, "%ld used in heap1", (long)pool_used());
  writeLine(file, line);
  snprintf(line, sizeof line, "%ld objects", (long)RuntimeDebugObjectCount(nullptr));
  writeLine(file, line);
  for (Object *o = objects_live_head(); o; o = o->next) {
    RString *name = class_display_name(o->cls);
    writeLine(file, name ? str_cview(name) : "<Unnamed object class>");
  }
  CloseHandle(file);
}
