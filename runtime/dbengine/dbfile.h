// The file routine table the storage engine reads and writes through: a
// file system (open, remove) and the files it opens (read at, write at, sync,
// size, truncate, close). posixfile.cpp serves native builds; the runtime
// supplies the Win32 one; tests wrap either to inject failures.
#pragma once
#include <cstdint>

// What a file routine reports.
enum DbIoResult : int32_t {
  kDbIoOk = 0,
  kDbIoNotFound = 1, // no such file (open without create, remove)
  kDbIoDenied = 2,   // no permission, or a read-only file opened for writing
  kDbIoInUse = 3,    // another opener holds the file's lock
  kDbIoFull = 4,     // no space left on the device
  kDbIoFailed = 5,   // any other failure
};

// How a file is opened.
enum DbFileFlags : int32_t {
  kDbFileReadOnly = 1, // open for reading only
  kDbFileCreate = 2,   // create the file when it does not exist
  kDbFileLock = 4,     // hold the file for this opener alone (shared among
                       // read-only openers); kDbIoInUse when another holds it
};

struct DbFile;
struct DbFileOps {
  // Reads up to n bytes at offset; *got is less than n only at the end of the file.
  int32_t (*read)(DbFile *f, uint64_t offset, void *buffer, uint32_t n, uint32_t *got);
  int32_t (*write)(DbFile *f, uint64_t offset, const void *buffer, uint32_t n);
  int32_t (*sync)(DbFile *f); // returns once written data is on the device
  int32_t (*size)(DbFile *f, uint64_t *size);
  int32_t (*truncate)(DbFile *f, uint64_t size);
  void (*close)(DbFile *f); // releases the lock and frees f
};
struct DbFile {
  const DbFileOps *ops;
};

struct DbFileSystem {
  // Opens path (UTF-8) with DbFileFlags; *file is set on kDbIoOk.
  int32_t (*open)(const DbFileSystem *fs, const char *path, int32_t flags, DbFile **file);
  int32_t (*remove)(const DbFileSystem *fs, const char *path);
  void *context; // for wrappers
};

// The native file system (posixfile.cpp, not in the Win32 build).
const DbFileSystem *dbfile_posix();
