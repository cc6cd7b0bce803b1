// The file object: one open operating-system file with a buffer, shared by
// every opener (text and binary streams, temporary files, the database
// engine). Reads and writes go through the buffer, positions are 64-bit, and
// every open file object is on a process-wide list so that buffered data is
// written out when the runtime shuts down.
#pragma once
#include "text/string.h"
#include <cstdint>
#include <windows.h>

enum : uint8_t {
  kFileCreated = 1,       // this object made the file
  kFileDeleteOnClose = 2, // the file is removed when the object is destroyed
  kFileTemporary = 4,     // a temporary file; its path is in tempPath
};

// How a file is opened. Read opens let other readers and writers in; every
// opening that may write shares reading only, so two writers exclude each other.
enum class FileOpen : uint8_t {
  Read = 1,         // existing file, read only
  ReadWrite = 3,    // existing file, read and write
  Create = 4,       // read and write; an existing file is cut to nothing
  OpenOrCreate = 5, // read and write; an existing file keeps its contents
};

enum { kFileBufferSize = 64 * 1024 };

struct FileObject {
  HANDLE handle;       // INVALID_HANDLE_VALUE once closed
  uint8_t flags;       // kFileCreated, kFileDeleteOnClose, kFileTemporary
  uint8_t writable;    // opened for writing
  uint8_t writeFailed; // a write failed: later writes are refused, so no gap is left
  uint8_t spare;
  RString *tempPath; // the path of a temporary file, else nil
  DWORD error;       // the platform's code for the last failure, 0 when none
                     // (an end of file is no failure)
  // The buffer; these fields are private to fileobject.cpp.
  uint8_t *buffer;      // kFileBufferSize bytes, allocated on first use
  int64_t bufferStart;  // the file offset of buffer[0]
  int32_t bufferFill;   // bytes of buffer read from the file
  int32_t bufferAt;     // the current position within buffer
  int32_t bufferDirty;  // 1 when the buffer holds writes not yet in the file
  int64_t filePointer;  // where the handle's own pointer stands; -1 when unknown
  FileObject *nextOpen; // the list of open file objects
  FileObject *prevOpen;
};

// Opens path; nil on failure, with the platform's error in GetLastError.
FileObject *file_open(const char *path, FileOpen how);

// Creates a new temporary file, removed again when the object is destroyed;
// nil on failure.
FileObject *file_open_temporary();

// Writes out buffered data, closes the handle (deleting the file when asked)
// and frees the object. Nil is ignored.
void file_destroy(FileObject *f);

// Up to count bytes into out; the number read (0 at the end or on failure).
int32_t file_read(FileObject *f, void *out, int32_t count);

// All count bytes, or false (error set) when the file took fewer: a full disk,
// a read-only file. Bytes are buffered, so a failure may surface at a later
// write, a flush or a seek; after one, every write is refused.
bool file_write(FileObject *f, const void *bytes, int32_t count);

bool file_flush(FileObject *f);  // buffered writes to the file
bool file_at_end(FileObject *f); // the position is at or past the length
int64_t file_position(FileObject *f);
bool file_seek(FileObject *f, int64_t position); // absolute; past the end is allowed
int64_t file_length(FileObject *f);
bool file_set_length(FileObject *f, int64_t length); // cuts or extends; the position stays

// Writes out and closes every file object still open; the runtime's shutdown
// calls it after the exit list has run.
void file_close_all();
