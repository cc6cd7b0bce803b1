// The file object: one open platform file behind a 64 KB buffer that serves
// reads and writes in turn at 64-bit logical positions, temporary files, and
// the process-wide list of open file objects that shutdown writes out.
#include "files/fileobject.h"
#include "base/pool.h"
#include <cstring>

/* ---- the list of open file objects ---- */

struct ListLock {
  CRITICAL_SECTION section;
  ListLock() { InitializeCriticalSection(&section); }
};

static CRITICAL_SECTION *listLock() {
  static ListLock lock; /* made on first use, by whichever thread comes first */
  return &lock.section;
}

static FileObject *openFiles; /* newest first */

static void listAdd(FileObject *f) {
  EnterCriticalSection(listLock());
  f->nextOpen = openFiles;
  if (openFiles) openFiles->prevOpen = f;
  openFiles = f;
  LeaveCriticalSection(listLock());
}

static void listRemove(FileObject *f) {
  EnterCriticalSection(listLock());
  if (f->prevOpen)
    f->prevOpen->nextOpen = f->nextOpen;
  else
    openFiles = f->nextOpen;
  if (f->nextOpen) f->nextOpen->prevOpen = f->prevOpen;
  f->nextOpen = f->prevOpen = nullptr;
  LeaveCriticalSection(listLock());
}

/* ---- transfers at an offset ---- */
// Through the handle's own pointer, moved only when it stands elsewhere:
// transfers that name their offset in an OVERLAPPED record cost several times
// more on some platforms.

static bool place(FileObject *f, int64_t offset) {
  if (f->filePointer == offset) return true;
  LARGE_INTEGER to;
  to.QuadPart = offset;
  if (SetFilePointerEx(f->handle, to, nullptr, FILE_BEGIN)) {
    f->filePointer = offset;
    return true;
  }
  f->error = GetLastError();
  f->filePointer = -1;
  return false;
}

static int32_t rawRead(FileObject *f, int64_t offset, void *out, int32_t count) {
  DWORD got = 0;
  if (!place(f, offset)) return 0;
  if (ReadFile(f->handle, out, (DWORD)count, &got, nullptr)) {
    f->filePointer += got;
    return (int32_t)got;
  }
  f->error = GetLastError();
  f->filePointer = -1;
  return 0;
}

static bool rawWrite(FileObject *f, int64_t offset, const void *bytes, int32_t count) {
  DWORD put = 0;
  if (place(f, offset)) {
    BOOL ok = WriteFile(f->handle, bytes, (DWORD)count, &put, nullptr);
    if (ok && put == (DWORD)count) {
      f->filePointer += put;
      return true;
    }
    f->error = ok ? ERROR_DISK_FULL : GetLastError(); /* taken in part: no room left */
    f->filePointer = -1;
  }
  f->writeFailed = 1;
  return false;
}

/* ---- the buffer ---- */
// Read state: buffer[0, bufferFill) holds the file's bytes from bufferStart
// and bufferAt <= bufferFill. Write state (bufferDirty): buffer[0, bufferFill)
// waits to be written at bufferStart and bufferAt == bufferFill. Either way
// the logical position is bufferStart + bufferAt.

static bool isOpen(const FileObject *f) { return f && f->handle != INVALID_HANDLE_VALUE; }

static int64_t here(const FileObject *f) { return f->bufferStart + f->bufferAt; }

static void forget(FileObject *f) { /* the buffer empties; the position stays */
  f->bufferStart += f->bufferAt;
  f->bufferFill = f->bufferAt = 0;
}

static bool flush(FileObject *f) {
  if (!f->bufferDirty) return true;
  f->bufferDirty = 0;
  bool ok = rawWrite(f, f->bufferStart, f->buffer, f->bufferFill);
  forget(f); /* on failure the bytes are lost, and the error says so */
  return ok;
}

static bool refill(FileObject *f) {
  forget(f);
  if (!f->buffer) f->buffer = (uint8_t *)pool_alloc(kFileBufferSize);
  f->bufferFill = rawRead(f, f->bufferStart, f->buffer, kFileBufferSize);
  return f->bufferFill > 0;
}

/* ---- opening and closing ---- */

static FileObject *adopt(HANDLE handle, bool writable, uint8_t flags) {
  FileObject *f = (FileObject *)pool_alloc(sizeof(FileObject));
  memset(f, 0, sizeof *f);
  f->handle = handle;
  f->writable = writable;
  f->flags = flags;
  listAdd(f);
  return f;
}

static DWORD disposition(FileOpen how) {
  switch (how) {
  case FileOpen::Create:
    return CREATE_ALWAYS;
  case FileOpen::OpenOrCreate:
    return OPEN_ALWAYS;
  default:
    return OPEN_EXISTING;
  }
}

FileObject *file_open(const char *path, FileOpen how) {
  bool reading = how == FileOpen::Read;
  DWORD access = reading ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  DWORD share = reading ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
  HANDLE h = CreateFileA(path, access, share, nullptr, disposition(how),
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  bool made = how == FileOpen::Create ||
              (how == FileOpen::OpenOrCreate && GetLastError() != ERROR_ALREADY_EXISTS);
  return adopt(h, !reading, made ? kFileCreated : 0);
}

FileObject *file_open_temporary() {
  char folder[MAX_PATH], name[MAX_PATH];
  DWORD n = GetTempPathA(sizeof folder, folder);
  if (n == 0 || n >= sizeof folder || !GetTempFileNameA(folder, "qxt", 0, name)) return nullptr;
  HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    DeleteFileA(name); /* GetTempFileName made it */
    SetLastError(e);
    return nullptr;
  }
  FileObject *f = adopt(h, true, kFileCreated | kFileDeleteOnClose | kFileTemporary);
  f->tempPath = str_from(name);
  return f;
}

// Writes out, closes the handle and leaves the list; the object itself stays
// for its owner to destroy.
static void shut(FileObject *f) {
  if (!isOpen(f)) return;
  flush(f);
  CloseHandle(f->handle);
  f->handle = INVALID_HANDLE_VALUE;
  if (f->flags & kFileDeleteOnClose) DeleteFileA(str_cview(f->tempPath));
  if (f->buffer) pool_free(f->buffer, kFileBufferSize);
  f->buffer = nullptr;
  f->bufferFill = f->bufferAt = 0;
  listRemove(f);
}

void file_destroy(FileObject *f) {
  if (!f) return;
  shut(f);
  RuntimeUnlockString(f->tempPath);
  pool_free(f, sizeof(FileObject));
}

void file_close_all() {
  EnterCriticalSection(listLock());
  while (openFiles) shut(openFiles);
  LeaveCriticalSection(listLock());
}

/* ---- reading and writing ---- */

int32_t file_read(FileObject *f, void *out, int32_t count) {
  if (!isOpen(f) || count <= 0) return 0;
  flush(f);
  uint8_t *to = (uint8_t *)out;
  int32_t done = 0;
  while (done < count) {
    int32_t ready = f->bufferFill - f->bufferAt, want = count - done;
    if (ready > 0) {
      int32_t n = ready < want ? ready : want;
      memcpy(to + done, f->buffer + f->bufferAt, (size_t)n);
      f->bufferAt += n;
      done += n;
    } else if (want >= kFileBufferSize) { /* big reads skip the buffer */
      forget(f);
      int32_t got = rawRead(f, f->bufferStart, to + done, want);
      if (got == 0) break;
      f->bufferStart += got;
      done += got;
    } else if (!refill(f)) {
      break;
    }
  }
  return done;
}

bool file_write(FileObject *f, const void *bytes, int32_t count) {
  if (!isOpen(f)) return false;
  if (!f->writable) {
    f->error = ERROR_ACCESS_DENIED;
    return false;
  }
  if (f->writeFailed) return false;
  if (count <= 0) return true;
  if (!f->bufferDirty) forget(f); /* bytes read ahead are no use to a writer */
  const uint8_t *from = (const uint8_t *)bytes;
  if (count >= kFileBufferSize) { /* big writes skip the buffer */
    if (!flush(f)) return false;
    bool ok = rawWrite(f, f->bufferStart, from, count);
    f->bufferStart += count;
    return ok;
  }
  if (!f->buffer) f->buffer = (uint8_t *)pool_alloc(kFileBufferSize);
  while (count > 0) {
    int32_t room = kFileBufferSize - f->bufferAt, n = count < room ? count : room;
    memcpy(f->buffer + f->bufferAt, from, (size_t)n);
    f->bufferAt += n;
    f->bufferFill = f->bufferAt;
    f->bufferDirty = 1;
    from += n;
    count -= n;
    if (f->bufferAt == kFileBufferSize && !flush(f)) return false;
  }
  return true;
}

bool file_flush(FileObject *f) { return isOpen(f) && flush(f); }

/* ---- positions and lengths ---- */

int64_t file_position(FileObject *f) { return isOpen(f) ? here(f) : 0; }

bool file_seek(FileObject *f, int64_t position) {
  if (!isOpen(f) || position < 0) return false;
  flush(f);
  if (position >= f->bufferStart && position <= f->bufferStart + f->bufferFill) {
    f->bufferAt = (int32_t)(position - f->bufferStart); /* inside the bytes read ahead */
    return true;
  }
  f->bufferStart = position;
  f->bufferFill = f->bufferAt = 0;
  return true;
}

int64_t file_length(FileObject *f) {
  if (!isOpen(f)) return 0;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f->handle, &size)) {
    f->error = GetLastError();
    return 0;
  }
  int64_t end = f->bufferStart + f->bufferFill; /* buffered writes may reach further */
  return f->bufferDirty && end > size.QuadPart ? end : size.QuadPart;
}

bool file_at_end(FileObject *f) {
  if (isOpen(f) && !f->bufferDirty && f->bufferAt < f->bufferFill) return false; /* no call */
  return !isOpen(f) || here(f) >= file_length(f);
}

bool file_set_length(FileObject *f, int64_t length) {
  if (!isOpen(f) || length < 0) return false;
  if (!f->writable) {
    f->error = ERROR_ACCESS_DENIED;
    return false;
  }
  flush(f);
  forget(f); /* bytes read ahead may lie past the new end */
  LARGE_INTEGER to;
  to.QuadPart = length;
  f->filePointer = -1; /* moved here */
  if (SetFilePointerEx(f->handle, to, nullptr, FILE_BEGIN) && SetEndOfFile(f->handle)) return true;
  f->error = GetLastError();
  return false;
}
