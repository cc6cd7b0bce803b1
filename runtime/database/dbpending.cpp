// Stand-ins for the storage engine until it is built into the runtime:
// every open fails with a clear error. This file goes away in the merge
// that brings the engine's sources and its Win32 file system.
#include "dbengine/embedded.h"
#include <cstring>

DbEngine *embedded_open(const DbFileSystem *, const char *, int32_t, DbOpenError *error) {
  error->code = kDbErrCannotOpen;
  strcpy(error->message, "The storage engine is not built into this runtime");
  return nullptr;
}
void embedded_close(DbEngine *) {}
const DbFileSystem *dbfile_win32() { return nullptr; }
