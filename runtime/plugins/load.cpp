// Plug-in installation: each library the image carries is written to the
// system folder (or the Windows folder) unless an equal file is there, then
// loaded and its main routine called with the runtime's entry lookup.
#include "base/fault.h"
#include "base/platform.h"
#include "base/pool.h"
#include "plugins/records.h"
#include "text/string.h"
#include <windows.h>
#include <cstdio>
#include <cstring>

// A node of the list the image hands over: the next node, a byte count, then
// 4 bytes, a name length n, n name bytes and the library's contents.
struct EmbeddedNode {
  EmbeddedNode *next;
  int32_t byteCount;
  uint8_t bytes[1];
};

static EmbeddedNode *embedded;
static Plugin *plugins; // loaded, newest first

void Win32InstallPlugins(void *list) { embedded = (EmbeddedNode *)list; }

// One embedded library to install, newest first.
struct WorkRecord {
  WorkRecord *next;
  int32_t size;        // bytes of the library
  const uint8_t *file; // its contents, inside the image
  RString *name;       // file name
};

static bool writeAll(HANDLE h, const uint8_t *bytes, int32_t size) {
  DWORD done = 0;
  return WriteFile(h, bytes, (DWORD)size, &done, nullptr) && done == (DWORD)size;
}

static bool sameContents(const char *path, const uint8_t *bytes, int32_t size) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool same = GetFileSize(h, nullptr) == (DWORD)size;
  uint8_t chunk[4096];
  for (int32_t at = 0; same && at < size;) {
    DWORD want = (DWORD)(size - at < (int32_t)sizeof chunk ? size - at : sizeof chunk), got = 0;
    same = ReadFile(h, chunk, want, &got, nullptr) && got == want &&
           memcmp(chunk, bytes + at, want) == 0;
    at += (int32_t)want;
  }
  CloseHandle(h);
  return same;
}

enum Placement { kPlaced, kRefused, kForeign };

// Puts the library at path: a new file is written, an equal one is used as
// it is, a different one is rewritten; kForeign when that cannot be done.
static Placement place(const char *path, const WorkRecord *w) {
  HANDLE h =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    bool written = writeAll(h, w->file, w->size);
    CloseHandle(h);
    if (written) return kPlaced;
    DeleteFileA(path);
    return kRefused;
  }
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return kRefused;
  if (sameContents(path, w->file, w->size)) return kPlaced;
  h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                  nullptr);
  if (h == INVALID_HANDLE_VALUE) return kForeign;
  bool written = writeAll(h, w->file, w->size);
  CloseHandle(h);
  return written ? kPlaced : kForeign;
}

[[noreturn]] static void cannotInstall(const char *text) {
  gPlatform.messageBox(nullptr, text, nullptr, MB_OK | MB_ICONERROR); /* default title */
  fault_end_process();
}

static void installPath(const WorkRecord *w, char *path) {
  char dir[MAX_PATH];
  const char *name = str_cview(w->name);
  GetSystemDirectoryA(dir, sizeof dir);
  snprintf(path, MAX_PATH, "%s\\%s", dir, name);
  Placement inSystem = place(path, w);
  if (inSystem == kPlaced) return;
  char systemPath[MAX_PATH];
  strcpy(systemPath, path);
  GetWindowsDirectoryA(dir, sizeof dir);
  snprintf(path, MAX_PATH, "%s\\%s", dir, name);
  Placement inWindows = place(path, w);
  if (inWindows == kPlaced) return;
  if (inSystem == kForeign || inWindows == kForeign) {
    char text[3 * MAX_PATH];
    snprintf(text, sizeof text,
             "The application cannot continue because the installed file \"%s\" differs from "
             "the one the application carries and cannot be replaced. Close other programs "
             "that use it, or run the application once with Standard User or Administrator "
             "privileges.",
             inSystem == kForeign ? systemPath : path);
    cannotInstall(text);
  }
  cannotInstall("The application cannot continue because a needed file cannot be installed. "
                "You don't have appropriate permission to install the file. Running the "
                "application once with Standard User or Administrator privileges will solve "
                "the problem.");
}

static void load(const char *path) {
  HMODULE module = LoadLibraryA(path);
  if (!module) {
    plugin_diagnostic("Couldn't load plugin %s", path);
    return;
  }
  auto main = (KARUPluginMainProc)(void *)GetProcAddress(module, "KARUPluginMain");
  if (!main) return; /* not a plug-in: it stays loaded */
  Plugin *p = (Plugin *)pool_alloc(sizeof(Plugin));
  *p = {nullptr, 1, plugins, module, 0};
  plugins = p;
  plugin_begin_load(p);
  main(gPluginHost.entryRoutine);
  plugin_end_load();
}

static WorkRecord *workRecords() {
  WorkRecord *work = nullptr;
  for (EmbeddedNode *node = embedded; node; node = node->next) {
    int32_t n = node->byteCount >= 5 ? node->bytes[4] : 0;
    if (node->byteCount < n + 5) { /* damaged node */
      fault_report(kFaultPluginNodeDamaged);
      continue;
    }
    WorkRecord *w = (WorkRecord *)pool_alloc(sizeof(WorkRecord));
    *w = {work, node->byteCount - n - 5, node->bytes + 5 + n, str_make(node->bytes + 5, n)};
    work = w;
  }
  return work;
}

void plugins_install() {
  WorkRecord *work = workRecords();
  embedded = nullptr; /* installed once */
  while (WorkRecord *w = work) {
    char path[MAX_PATH];
    installPath(w, path);
    load(path);
    work = w->next;
    RuntimeUnlockString(w->name);
    pool_free(w, sizeof *w);
  }
  plugins_complete();
}
