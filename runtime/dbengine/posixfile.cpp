// The native file routine table over POSIX descriptors, with flock for the
// single-opener rule. Used by native builds (tests, fuzzing, tools) only.
#include "dbengine/dbfile.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct PosixFile {
  DbFile base; // must stay first
  int fd;
};

int fd_of(DbFile *f) { return reinterpret_cast<PosixFile *>(f)->fd; }

int32_t io_result(int error) {
  switch (error) {
  case ENOENT:
    return kDbIoNotFound;
  case EACCES:
  case EPERM:
  case EROFS:
    return kDbIoDenied;
  case ENOSPC:
  case EDQUOT:
    return kDbIoFull;
  case EWOULDBLOCK:
    return kDbIoInUse;
  default:
    return kDbIoFailed;
  }
}

int32_t px_read(DbFile *f, uint64_t offset, void *buffer, uint32_t n, uint32_t *got) {
  uint32_t done = 0;
  while (done < n) {
    ssize_t r = pread(fd_of(f), static_cast<char *>(buffer) + done, n - done, offset + done);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return io_result(errno);
    if (r == 0) break; // end of file
    done += static_cast<uint32_t>(r);
  }
  *got = done;
  return kDbIoOk;
}

int32_t px_write(DbFile *f, uint64_t offset, const void *buffer, uint32_t n) {
  uint32_t done = 0;
  while (done < n) {
    ssize_t r = pwrite(fd_of(f), static_cast<const char *>(buffer) + done, n - done, offset + done);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return io_result(errno);
    done += static_cast<uint32_t>(r);
  }
  return kDbIoOk;
}

int32_t px_sync(DbFile *f) { return fdatasync(fd_of(f)) == 0 ? kDbIoOk : io_result(errno); }

int32_t px_size(DbFile *f, uint64_t *size) {
  struct stat st;
  if (fstat(fd_of(f), &st) != 0) return io_result(errno);
  *size = static_cast<uint64_t>(st.st_size);
  return kDbIoOk;
}

int32_t px_truncate(DbFile *f, uint64_t size) {
  return ftruncate(fd_of(f), static_cast<off_t>(size)) == 0 ? kDbIoOk : io_result(errno);
}

void px_close(DbFile *f) {
  close(fd_of(f)); // also drops the flock
  delete reinterpret_cast<PosixFile *>(f);
}

const DbFileOps kPosixOps = {px_read, px_write, px_sync, px_size, px_truncate, px_close};

int32_t px_open(const DbFileSystem *, const char *path, int32_t flags, DbFile **file) {
  int mode = (flags & kDbFileReadOnly) ? O_RDONLY : O_RDWR;
  if (flags & kDbFileCreate) mode |= O_CREAT;
  int fd = open(path, mode | O_CLOEXEC, 0644);
  if (fd < 0) return io_result(errno);
  if (flags & kDbFileLock) {
    int how = (flags & kDbFileReadOnly) ? LOCK_SH : LOCK_EX;
    if (flock(fd, how | LOCK_NB) != 0) {
      int32_t r = io_result(errno);
      close(fd);
      return r;
    }
  }
  PosixFile *p = new (std::nothrow) PosixFile{{&kPosixOps}, fd};
  if (!p) {
    close(fd);
    return kDbIoFailed;
  }
  *file = &p->base;
  return kDbIoOk;
}

int32_t px_remove(const DbFileSystem *, const char *path) {
  return unlink(path) == 0 ? kDbIoOk : io_result(errno);
}

const DbFileSystem kPosixSystem = {px_open, px_remove, nullptr};

} // namespace

const DbFileSystem *dbfile_posix() { return &kPosixSystem; }
