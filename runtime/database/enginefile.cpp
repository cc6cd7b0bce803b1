// The embedded database engine's file routine table over Win32 files:
// positioned reads and writes, FlushFileBuffers, share modes for the
// single-writer rule, and Win32 errors mapped to the engine's results.
#include "database/enginefile.h"

#include <new>
#include <windows.h>

namespace {

struct Win32File {
  DbFile base; // must stay first
  HANDLE handle;
};

HANDLE handle_of(DbFile *f) { return reinterpret_cast<Win32File *>(f)->handle; }

int32_t io_result(DWORD error) {
  switch (error) {
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
    return kDbIoNotFound;
  case ERROR_ACCESS_DENIED:
  case ERROR_WRITE_PROTECT:
    return kDbIoDenied;
  case ERROR_SHARING_VIOLATION:
  case ERROR_LOCK_VIOLATION:
    return kDbIoInUse;
  case ERROR_DISK_FULL:
  case ERROR_HANDLE_DISK_FULL:
    return kDbIoFull;
  default:
    return kDbIoFailed;
  }
}

OVERLAPPED at(uint64_t offset) {
  OVERLAPPED o = {};
  o.Offset = static_cast<DWORD>(offset);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

int32_t w_read(DbFile *f, uint64_t offset, void *buffer, uint32_t n, uint32_t *got) {
  uint32_t done = 0;
  while (done < n) {
    OVERLAPPED o = at(offset + done);
    DWORD r = 0;
    if (!ReadFile(handle_of(f), static_cast<char *>(buffer) + done, n - done, &r, &o)) {
      DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF) break;
      return io_result(error);
    }
    if (r == 0) break; // end of file
    done += r;
  }
  *got = done;
  return kDbIoOk;
}

int32_t w_write(DbFile *f, uint64_t offset, const void *buffer, uint32_t n) {
  uint32_t done = 0;
  while (done < n) {
    OVERLAPPED o = at(offset + done);
    DWORD w = 0;
    if (!WriteFile(handle_of(f), static_cast<const char *>(buffer) + done, n - done, &w, &o))
      return io_result(GetLastError());
    if (w == 0) return kDbIoFull;
    done += w;
  }
  return kDbIoOk;
}

int32_t w_sync(DbFile *f) {
  return FlushFileBuffers(handle_of(f)) ? kDbIoOk : io_result(GetLastError());
}

int32_t w_size(DbFile *f, uint64_t *size) {
  LARGE_INTEGER s;
  if (!GetFileSizeEx(handle_of(f), &s)) return io_result(GetLastError());
  *size = static_cast<uint64_t>(s.QuadPart);
  return kDbIoOk;
}

int32_t w_truncate(DbFile *f, uint64_t size) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFilePointerEx(handle_of(f), to, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_of(f)))
    return io_result(GetLastError());
  return kDbIoOk;
}

void w_close(DbFile *f) {
  CloseHandle(handle_of(f));
  delete reinterpret_cast<Win32File *>(f);
}

const DbFileOps kWin32Ops = {w_read, w_write, w_sync, w_size, w_truncate, w_close};

// The path as UTF-16, or an empty string when it is not valid UTF-8.
bool wide_path(const char *path, WCHAR *out, int size) {
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, out, size) > 0;
}

int32_t w_open(const DbFileSystem *, const char *path, int32_t flags, DbFile **file) {
  WCHAR wide[MAX_PATH * 2];
  if (!wide_path(path, wide, MAX_PATH * 2)) return kDbIoNotFound;
  bool readOnly = (flags & kDbFileReadOnly) != 0;
  DWORD access = readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  if (flags & kDbFileLock) share = readOnly ? FILE_SHARE_READ : 0;
  DWORD disposition = (flags & kDbFileCreate) ? OPEN_ALWAYS : OPEN_EXISTING;
  // Windows refuses to write a read-only file, but a privileged process on
  // some hosts would not be refused: ask the attribute first.
  DWORD attributes = GetFileAttributesW(wide);
  if (!readOnly && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    return kDbIoDenied;
  HANDLE h = CreateFileW(wide, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return io_result(GetLastError());
  Win32File *w = new (std::nothrow) Win32File{{&kWin32Ops}, h};
  if (!w) {
    CloseHandle(h);
    return kDbIoFailed;
  }
  *file = &w->base;
  return kDbIoOk;
}

int32_t w_remove(const DbFileSystem *, const char *path) {
  WCHAR wide[MAX_PATH * 2];
  if (!wide_path(path, wide, MAX_PATH * 2)) return kDbIoNotFound;
  return DeleteFileW(wide) ? kDbIoOk : io_result(GetLastError());
}

const DbFileSystem kWin32System = {w_open, w_remove, nullptr};

} // namespace

const DbFileSystem *dbfile_win32() { return &kWin32System; }
