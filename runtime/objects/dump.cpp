// Tagged blocks (size word, guard word, then the caller's bytes) and the
// object report written by debugDumpObjects.
#include "objects/dump.h"
#include "objects/objects.h"
#include "objects/utility.h"
#include "startup/fault.h"
#include "text/string.h"
#include <windows.h>
#include <cstdio>
#include <cstring>

struct TagHeader {
  int32_t size;   // the caller's byte count
  uint32_t guard; // kTagGuard while live
};
static_assert(sizeof(TagHeader) == 8);

void *tagged_alloc(int32_t bytes) {
  TagHeader *h = (TagHeader *)pool_alloc(bytes + (int32_t)sizeof(TagHeader));
  if (!h) return nullptr;
  h->size = bytes;
  h->guard = kTagGuard;
  return h + 1;
}

void tagged_free(void *block) {
  if (!block) return;
  TagHeader *h = (TagHeader *)block - 1;
  if (h->guard != kTagGuard) {
    fault_report("dump", 64);
    return; /* the size word cannot be trusted either: leak rather than corrupt the pool */
  }
  h->guard = kTagDead;
  pool_free(h, h->size + (int32_t)sizeof(TagHeader));
}

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
