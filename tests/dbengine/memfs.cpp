// In-memory and failure-injecting file systems for the engine's tests.
#include "memfs.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

struct MemFile {
  DbFile base;
  std::shared_ptr<MemFs::Node> node;
  bool readOnly;
  bool locked;
};

MemFile *mf(DbFile *f) { return reinterpret_cast<MemFile *>(f); }

int32_t m_read(DbFile *f, uint64_t offset, void *buffer, uint32_t n, uint32_t *got) {
  auto &b = mf(f)->node->bytes;
  *got = offset >= b.size() ? 0 : static_cast<uint32_t>(std::min<uint64_t>(n, b.size() - offset));
  if (*got) memcpy(buffer, b.data() + offset, *got);
  return kDbIoOk;
}

int32_t m_write(DbFile *f, uint64_t offset, const void *buffer, uint32_t n) {
  if (mf(f)->readOnly) return kDbIoDenied;
  auto &b = mf(f)->node->bytes;
  if (offset + n > (uint64_t(1) << 31)) return kDbIoFull;
  if (b.size() < offset + n) b.resize(offset + n);
  memcpy(b.data() + offset, buffer, n);
  return kDbIoOk;
}

int32_t m_sync(DbFile *) { return kDbIoOk; }
int32_t m_size(DbFile *f, uint64_t *size) {
  *size = mf(f)->node->bytes.size();
  return kDbIoOk;
}
int32_t m_truncate(DbFile *f, uint64_t size) {
  if (mf(f)->readOnly) return kDbIoDenied;
  mf(f)->node->bytes.resize(size);
  return kDbIoOk;
}
void m_close(DbFile *f) {
  MemFile *m = mf(f);
  m->node->openers--;
  if (m->locked) m->node->exclusive = false;
  delete m;
}

const DbFileOps kMemOps = {m_read, m_write, m_sync, m_size, m_truncate, m_close};

int32_t m_open(const DbFileSystem *fs, const char *path, int32_t flags, DbFile **file) {
  MemFs *m = static_cast<MemFs *>(fs->context);
  auto it = m->files.find(path);
  if (it == m->files.end()) {
    if (!(flags & kDbFileCreate)) return kDbIoNotFound;
    it = m->files.emplace(path, std::make_shared<MemFs::Node>()).first;
  }
  auto node = it->second;
  bool lock = (flags & kDbFileLock) != 0;
  bool writer = !(flags & kDbFileReadOnly);
  if (lock && (node->exclusive || (writer && node->openers > 0))) return kDbIoInUse;
  node->openers++;
  if (lock && writer) node->exclusive = true;
  *file = &(new MemFile{{&kMemOps}, node, !writer, lock && writer})->base;
  return kDbIoOk;
}

int32_t m_remove(const DbFileSystem *fs, const char *path) {
  MemFs *m = static_cast<MemFs *>(fs->context);
  return m->files.erase(path) ? kDbIoOk : kDbIoNotFound;
}

// The failure-injecting wrapper.
struct FaultFile {
  DbFile base;
  DbFile *inner;
  FaultFs *fs;
};

FaultFile *ff(DbFile *f) { return reinterpret_cast<FaultFile *>(f); }

// Counts a changing operation: 0 when it goes through, 1 when it is the
// one to fail, 2 when it fails on a device that died before.
int fails(FaultFs *fs) {
  if (fs->failed && fs->sticky) return 2;
  if (++fs->count != fs->failAt) return 0;
  fs->failed = true;
  return 1;
}

int32_t f_read(DbFile *f, uint64_t offset, void *buffer, uint32_t n, uint32_t *got) {
  if (ff(f)->fs->failed && ff(f)->fs->sticky) return kDbIoFailed;
  return ff(f)->inner->ops->read(ff(f)->inner, offset, buffer, n, got);
}
int32_t f_write(DbFile *f, uint64_t offset, const void *buffer, uint32_t n) {
  DbFile *in = ff(f)->inner;
  if (int failure = fails(ff(f)->fs)) {
    if (failure == 1)
      in->ops->write(in, offset, buffer, n / 2); // a torn write: part of it reached the file
    return ff(f)->fs->failWith;
  }
  return in->ops->write(in, offset, buffer, n);
}
int32_t f_sync(DbFile *f) {
  return fails(ff(f)->fs) ? ff(f)->fs->failWith : ff(f)->inner->ops->sync(ff(f)->inner);
}
int32_t f_size(DbFile *f, uint64_t *size) { return ff(f)->inner->ops->size(ff(f)->inner, size); }
int32_t f_truncate(DbFile *f, uint64_t size) {
  return fails(ff(f)->fs) ? ff(f)->fs->failWith : ff(f)->inner->ops->truncate(ff(f)->inner, size);
}
void f_close(DbFile *f) {
  ff(f)->inner->ops->close(ff(f)->inner);
  delete ff(f);
}

const DbFileOps kFaultOps = {f_read, f_write, f_sync, f_size, f_truncate, f_close};

int32_t f_open(const DbFileSystem *fs, const char *path, int32_t flags, DbFile **file) {
  FaultFs *f = static_cast<FaultFs *>(fs->context);
  DbFile *inner = nullptr;
  int32_t r = f->base->open(f->base, path, flags, &inner);
  if (r != kDbIoOk) return r;
  *file = &(new FaultFile{{&kFaultOps}, inner, f})->base;
  return kDbIoOk;
}

int32_t f_remove(const DbFileSystem *fs, const char *path) {
  FaultFs *f = static_cast<FaultFs *>(fs->context);
  if (f->failed && f->sticky) return kDbIoFailed;
  return f->base->remove(f->base, path);
}

} // namespace

void memfs_init(MemFs *m) { m->fs = DbFileSystem{m_open, m_remove, m}; }

std::vector<uint8_t> &memfs_bytes(MemFs *m, const std::string &path) {
  auto &node = m->files[path];
  if (!node) node = std::make_shared<MemFs::Node>();
  return node->bytes;
}

void faultfs_init(FaultFs *f, const DbFileSystem *base, int64_t failAt, bool sticky,
                  int32_t failWith) {
  f->fs = DbFileSystem{f_open, f_remove, f};
  f->base = base;
  f->failAt = failAt;
  f->count = 0;
  f->sticky = sticky;
  f->failWith = failWith;
  f->failed = false;
}
