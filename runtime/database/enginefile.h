// The embedded database engine's file routine table over Win32 files.
#pragma once
#include "dbengine/dbfile.h"

// Paths are UTF-8. A writer holds its database file unshared, so a second
// opener (writer or reader) gets kDbIoInUse; read-only openers share it.
// Sync is FlushFileBuffers.
const DbFileSystem *dbfile_win32();
