// What the statement layer gets from the runtime: the background task run
// between the rows of a long sort, and the temporary files its sort runs go
// to (in the system's temporary folder, deleted when closed).
#include "database/dbinternal.h"
#include "database/sql.h"
#include "lifecycle/application.h"
#include <windows.h>

static void background(void *) { RuntimeBackgroundTask(); }

static void *tempOpen(void *) {
  char folder[MAX_PATH], path[MAX_PATH];
  if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, "dbs", 0, path))
    return nullptr;
  HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DeleteFileA(path);
    return nullptr;
  }
  return h;
}

static int32_t tempAppend(void *file, const void *bytes, uint32_t n) {
  DWORD wrote = 0;
  if (SetFilePointer((HANDLE)file, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR)
    return 0;
  return WriteFile((HANDLE)file, bytes, n, &wrote, nullptr) && wrote == n;
}

static int32_t tempReadAt(void *file, uint64_t at, void *bytes, uint32_t n) {
  LONG high = (LONG)(at >> 32);
  DWORD got = 0;
  if (SetFilePointer((HANDLE)file, (LONG)(uint32_t)at, &high, FILE_BEGIN) ==
          INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR)
    return 0;
  return ReadFile((HANDLE)file, bytes, n, &got, nullptr) && got == n;
}

static void tempClose(void *file) { CloseHandle((HANDLE)file); }

static const SqlTempFileOps kTempFiles = {tempOpen, tempAppend, tempReadAt, tempClose};

void database_hooks_install() {
  SqlHooks hooks{background, nullptr, &kTempFiles, nullptr};
  sql_set_hooks(&hooks);
}
