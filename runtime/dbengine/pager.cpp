// The pager: page cache, transactions in memory, the rollback journal
// written at commit and played back after a crash.
#include "dbengine/pager.h"
#include "dbengine/embedded.h"

#include <algorithm>
#include <cstring>

const uint8_t kDbMagic[8] = {0x89, 'D', 'B', 'F', '\r', '\n', 0x1a, '\n'};

namespace {

// The journal: a header, then one record per page as it was before the
// transaction. It is only ever hot between its sync and its truncation.
const uint8_t kJournalMagic[8] = {0x89, 'D', 'B', 'J', '\r', '\n', 0x1a, '\n'};
enum : uint32_t {
  kJrnMagic = 0,     // 8 bytes
  kJrnPageCount = 8, // u32, the file's page count before the transaction
  kJrnRecords = 12,  // u32
  kJrnPageSize = 16, // u32
  kJrnSalt = 20,     // u32, seeds the record checksums
  kJrnReserved = 24, // u32
  kJrnChecksum = 28, // u32, over bytes 0..27
  kJrnHeaderSize = 32,
  kJrnRecordSize = 4 + kDbPageSize + 4, // page number, page, checksum
  kFreeMarker = 0x45455246,             // "FREE" at the start of a page on the free list
  kCacheLimit = 16384,                  // pages kept before clean ones are dropped
  kMaxPages = 0x7fffffff / kDbPageSize * 2,
};

int32_t io_fail(Pager *p, int32_t io, const char *what) {
  return db_fail(p->status, db_io_error(io), "%s %s: %s", what, p->path.c_str(), db_io_phrase(io));
}

void drop_page(Pager *p, uint32_t pgno) {
  if (pgno < p->cache.size() && p->cache[pgno]) {
    delete p->cache[pgno];
    p->cache[pgno] = nullptr;
    p->cached--;
  }
}

void header_seal(uint8_t *h) { put32(h + kHdrChecksum, db_checksum(0, h, kHdrChecksum)); }

// Validates a journal image; returns the number of records, or -1 when the
// journal is not a complete one (then the database was never touched by it).
int64_t journal_records(const std::vector<uint8_t> &j, uint32_t *origCount) {
  if (j.size() < kJrnHeaderSize || memcmp(j.data(), kJournalMagic, 8) != 0) return -1;
  const uint8_t *h = j.data();
  if (get32(h + kJrnChecksum) != db_checksum(0, h, kJrnChecksum)) return -1;
  if (get32(h + kJrnPageSize) != kDbPageSize) return -1;
  uint64_t n = get32(h + kJrnRecords);
  if (j.size() < kJrnHeaderSize + n * kJrnRecordSize) return -1;
  *origCount = get32(h + kJrnPageCount);
  uint32_t salt = get32(h + kJrnSalt);
  for (uint64_t i = 0; i < n; i++) {
    const uint8_t *r = h + kJrnHeaderSize + i * kJrnRecordSize;
    uint32_t pgno = get32(r);
    if (pgno >= *origCount) return -1;
    if (get32(r + 4 + kDbPageSize) != db_checksum(salt ^ pgno, r + 4, kDbPageSize)) return -1;
  }
  return static_cast<int64_t>(n);
}

// Writes the journal's pages back and cuts the file to its old length.
int32_t journal_restore(Pager *p, const std::vector<uint8_t> &j, uint64_t n, uint32_t origCount) {
  for (uint64_t i = 0; i < n; i++) {
    const uint8_t *r = j.data() + kJrnHeaderSize + i * kJrnRecordSize;
    int32_t io = p->file->ops->write(p->file, uint64_t(get32(r)) * kDbPageSize, r + 4, kDbPageSize);
    if (io != kDbIoOk) return io_fail(p, io, "cannot restore");
  }
  int32_t io = p->file->ops->truncate(p->file, uint64_t(origCount) * kDbPageSize);
  if (io == kDbIoOk) io = p->file->ops->sync(p->file);
  if (io != kDbIoOk) return io_fail(p, io, "cannot restore");
  return 1;
}

// Invalidates the journal: once its truncation is on the device the
// transaction it guarded can no longer be rolled back.
int32_t journal_invalidate(Pager *p, DbFile *jf) {
  int32_t io = jf->ops->truncate(jf, 0);
  if (io == kDbIoOk) io = jf->ops->sync(jf);
  jf->ops->close(jf);
  if (io != kDbIoOk) return io_fail(p, io, "cannot finish the journal of");
  p->fs->remove(p->fs, p->journalPath.c_str()); // an empty journal left behind is harmless
  return 1;
}

int32_t read_whole(DbFile *f, std::vector<uint8_t> *out) {
  uint64_t size = 0;
  int32_t io = f->ops->size(f, &size);
  if (io != kDbIoOk) return io;
  if (size > (uint64_t(1) << 32)) size = uint64_t(1) << 32;
  out->resize(size);
  uint32_t got = 0;
  io = size ? f->ops->read(f, 0, out->data(), static_cast<uint32_t>(size), &got) : kDbIoOk;
  out->resize(got);
  return io;
}

// Rolls back a transaction that a crash interrupted, if its journal is hot.
int32_t recover(Pager *p) {
  DbFile *jf = nullptr;
  int32_t io = p->fs->open(p->fs, p->journalPath.c_str(), kDbFileReadOnly, &jf);
  if (io == kDbIoNotFound) return 1;
  if (io != kDbIoOk) return io_fail(p, io, "cannot read the journal of");
  std::vector<uint8_t> j;
  io = read_whole(jf, &j);
  jf->ops->close(jf);
  if (io != kDbIoOk) return io_fail(p, io, "cannot read the journal of");
  uint32_t origCount = 0;
  int64_t n = journal_records(j, &origCount);
  if (n >= 0 && p->readOnly)
    return db_fail(p->status, kDbErrReadOnly,
                   "%s needs recovery from an interrupted transaction but was opened read-only",
                   p->path.c_str());
  if (n >= 0 && !journal_restore(p, j, static_cast<uint64_t>(n), origCount)) return 0;
  if (p->readOnly) return 1;
  io = p->fs->open(p->fs, p->journalPath.c_str(), 0, &jf);
  if (io != kDbIoOk) return io_fail(p, io, "cannot remove the journal of");
  return journal_invalidate(p, jf);
}

DbPage *new_page(Pager *p, uint32_t pgno) {
  if (pgno >= p->cache.size())
    p->cache.resize(std::max<size_t>(pgno + 1, p->cache.size() * 2), nullptr);
  DbPage *page = new DbPage;
  memset(page, 0, sizeof *page);
  p->cache[pgno] = page;
  p->cached++;
  return page;
}

int32_t check_header(Pager *p, const uint8_t *h, uint64_t fileSize) {
  if (memcmp(h, kDbMagic, sizeof kDbMagic) != 0)
    return db_fail(p->status, kDbErrNotDatabase, "%s is not a database", p->path.c_str());
  if (get32(h + kHdrVersion) != kDbFormatVersion)
    return db_fail(p->status, kDbErrVersion,
                   "%s has format version %u; this engine reads version %d", p->path.c_str(),
                   get32(h + kHdrVersion), kDbFormatVersion);
  if (get32(h + kHdrPageSize) != kDbPageSize ||
      get32(h + kHdrChecksum) != db_checksum(0, h, kHdrChecksum))
    return db_fail(p->status, kDbErrDamaged, "%s is damaged: its header is corrupt",
                   p->path.c_str());
  uint32_t count = get32(h + kHdrPageCount);
  if (count < 1 || count > kMaxPages || fileSize < uint64_t(count) * kDbPageSize)
    return db_fail(p->status, kDbErrDamaged, "%s is damaged: it is shorter than its header says",
                   p->path.c_str());
  return 1;
}

} // namespace

int32_t pager_open(Pager *p, const DbFileSystem *fs, const char *path, int32_t openFlags,
                   DbStatus *status, bool *created) {
  *p = Pager{};
  p->fs = fs;
  p->path = path;
  p->journalPath = p->path + "-journal";
  p->status = status;
  p->readOnly = (openFlags & kDbOpenReadOnly) != 0;
  *created = false;
  int32_t flags = kDbFileLock | (p->readOnly ? kDbFileReadOnly : 0);
  if ((openFlags & kDbOpenCreate) && !p->readOnly) flags |= kDbFileCreate;
  int32_t io = fs->open(fs, path, flags, &p->file);
  if (io != kDbIoOk) {
    p->file = nullptr;
    return db_fail(status, db_io_error(io), "cannot open %s: %s", path, db_io_phrase(io));
  }
  if (!recover(p)) return 0;
  if ((openFlags & kDbOpenReplace) && (openFlags & kDbOpenCreate) && !p->readOnly) {
    io = p->file->ops->truncate(p->file, 0);
    if (io != kDbIoOk) return io_fail(p, io, "cannot empty");
  }
  uint64_t size = 0;
  io = p->file->ops->size(p->file, &size);
  if (io != kDbIoOk) return io_fail(p, io, "cannot read");
  if (size == 0) {
    if (!(openFlags & kDbOpenCreate) || p->readOnly)
      return db_fail(status, kDbErrNotDatabase, "%s is empty, not a database", path);
    uint8_t *h = new_page(p, 0)->data;
    memcpy(h + kHdrMagic, kDbMagic, sizeof kDbMagic);
    put32(h + kHdrVersion, kDbFormatVersion);
    put32(h + kHdrPageSize, kDbPageSize);
    p->cache[0]->dirty = 1;
    p->dirty.push_back(0);
    p->pageCount = 1;
    *created = true;
    return 1;
  }
  uint8_t h[kDbPageSize];
  uint32_t got = 0;
  io = p->file->ops->read(p->file, 0, h, kDbPageSize, &got);
  if (io != kDbIoOk) return io_fail(p, io, "cannot read");
  if (got < kHdrSize) return db_fail(status, kDbErrNotDatabase, "%s is not a database", path);
  if (!check_header(p, h, size)) return 0;
  p->pageCount = p->committedCount = get32(h + kHdrPageCount);
  return 1;
}

void pager_close(Pager *p) {
  for (DbPage *page : p->cache) delete page;
  p->cache.clear();
  if (p->file) p->file->ops->close(p->file);
  p->file = nullptr;
}

static int32_t usable(Pager *p) {
  if (p->broken)
    return db_fail(p->status, kDbErrMustReopen,
                   "a commit to %s failed and could not be undone; close and reopen the database",
                   p->path.c_str());
  return 1;
}

const uint8_t *pager_read(Pager *p, uint32_t pgno) {
  if (pgno < p->cache.size() && p->cache[pgno]) return p->cache[pgno]->data;
  if (!usable(p)) return nullptr;
  if (pgno >= p->pageCount || pgno >= p->committedCount) {
    db_fail(p->status, kDbErrDamaged, "%s is damaged: page %u is beyond its end", p->path.c_str(),
            pgno);
    return nullptr;
  }
  uint8_t buffer[kDbPageSize];
  uint32_t got = 0;
  int32_t io = p->file->ops->read(p->file, uint64_t(pgno) * kDbPageSize, buffer, kDbPageSize, &got);
  if (io != kDbIoOk) {
    io_fail(p, io, "cannot read");
    return nullptr;
  }
  if (got != kDbPageSize) {
    db_fail(p->status, kDbErrDamaged, "%s is damaged: it is truncated", p->path.c_str());
    return nullptr;
  }
  DbPage *page = new_page(p, pgno);
  memcpy(page->data, buffer, kDbPageSize);
  return page->data;
}

uint8_t *pager_write(Pager *p, uint32_t pgno) {
  if (p->readOnly) {
    db_fail(p->status, kDbErrReadOnly, "%s was opened read-only", p->path.c_str());
    return nullptr;
  }
  if (!pager_read(p, pgno)) return nullptr;
  DbPage *page = p->cache[pgno];
  if (!page->dirty) {
    page->dirty = 1;
    p->dirty.push_back(pgno);
  }
  p->changes++;
  return page->data;
}

uint32_t pager_header(Pager *p, uint32_t field) {
  const uint8_t *h = pager_read(p, 0);
  return h ? get32(h + field) : 0;
}

int32_t pager_set_header(Pager *p, uint32_t field, uint32_t value) {
  uint8_t *h = pager_write(p, 0);
  if (!h) return 0;
  put32(h + field, value);
  return 1;
}

uint32_t pager_allocate(Pager *p) {
  uint32_t head = pager_header(p, kHdrFreeHead);
  if (head != 0) {
    const uint8_t *f = pager_read(p, head);
    if (!f) return 0;
    if (head == 0 || get32(f) != kFreeMarker)
      return db_fail(p->status, kDbErrDamaged, "%s is damaged: its free list is corrupt",
                     p->path.c_str());
    uint32_t next = get32(f + 4);
    uint32_t count = pager_header(p, kHdrFreeCount);
    if (!pager_set_header(p, kHdrFreeHead, next) ||
        !pager_set_header(p, kHdrFreeCount, count ? count - 1 : 0))
      return 0;
    uint8_t *page = pager_write(p, head);
    if (!page) return 0;
    memset(page, 0, kDbPageSize);
    return head;
  }
  if (!usable(p)) return 0;
  if (p->readOnly)
    return db_fail(p->status, kDbErrReadOnly, "%s was opened read-only", p->path.c_str());
  if (p->pageCount >= kMaxPages)
    return db_fail(p->status, kDbErrDiskFull, "%s is full", p->path.c_str());
  uint32_t pgno = p->pageCount++;
  DbPage *page = new_page(p, pgno);
  page->dirty = 1;
  p->dirty.push_back(pgno);
  p->changes++;
  return pgno;
}

int32_t pager_free(Pager *p, uint32_t pgno) {
  uint32_t head = pager_header(p, kHdrFreeHead);
  uint8_t *page = pager_write(p, pgno);
  if (!page) return 0;
  memset(page, 0, kDbPageSize);
  put32(page, kFreeMarker);
  put32(page + 4, head);
  return pager_set_header(p, kHdrFreeHead, pgno) &&
         pager_set_header(p, kHdrFreeCount, pager_header(p, kHdrFreeCount) + 1);
}

bool pager_pending(const Pager *p) { return !p->dirty.empty(); }

void pager_rollback(Pager *p) {
  for (uint32_t pgno : p->dirty) drop_page(p, pgno);
  p->dirty.clear();
  p->pageCount = p->committedCount;
  p->changes++;
}

void pager_trim(Pager *p) {
  if (p->cached <= kCacheLimit) return;
  for (uint32_t pgno = 1; pgno < p->cache.size(); pgno++)
    if (p->cache[pgno] && !p->cache[pgno]->dirty) drop_page(p, pgno);
}

namespace {

// The journal image: the committed contents of every changed page that the
// committed file holds, read back from the file (changes never reach it
// before commit).
int32_t journal_build(Pager *p, std::vector<uint8_t> *j) {
  std::vector<uint32_t> old;
  for (uint32_t pgno : p->dirty)
    if (pgno < p->committedCount) old.push_back(pgno);
  j->assign(kJrnHeaderSize + old.size() * kJrnRecordSize, 0);
  uint8_t *h = j->data();
  uint32_t salt = pager_header(p, kHdrChangeCount) * 2654435761u + p->committedCount;
  memcpy(h, kJournalMagic, sizeof kJournalMagic);
  put32(h + kJrnPageCount, p->committedCount);
  put32(h + kJrnRecords, static_cast<uint32_t>(old.size()));
  put32(h + kJrnPageSize, kDbPageSize);
  put32(h + kJrnSalt, salt);
  put32(h + kJrnChecksum, db_checksum(0, h, kJrnChecksum));
  for (size_t i = 0; i < old.size(); i++) {
    uint8_t *r = h + kJrnHeaderSize + i * kJrnRecordSize;
    put32(r, old[i]);
    uint32_t got = 0;
    int32_t io =
        p->file->ops->read(p->file, uint64_t(old[i]) * kDbPageSize, r + 4, kDbPageSize, &got);
    if (io != kDbIoOk) return io_fail(p, io, "cannot read");
    if (got != kDbPageSize)
      return db_fail(p->status, kDbErrDamaged, "%s is damaged: it is truncated", p->path.c_str());
    put32(r + 4 + kDbPageSize, db_checksum(salt ^ old[i], r + 4, kDbPageSize));
  }
  return 1;
}

int32_t journal_write(Pager *p, const std::vector<uint8_t> &j, DbFile **jf) {
  int32_t io = p->fs->open(p->fs, p->journalPath.c_str(), kDbFileCreate, jf);
  if (io != kDbIoOk) {
    *jf = nullptr;
    return io_fail(p, io, "cannot create the journal of");
  }
  io = (*jf)->ops->truncate(*jf, 0);
  if (io == kDbIoOk) io = (*jf)->ops->write(*jf, 0, j.data(), static_cast<uint32_t>(j.size()));
  if (io == kDbIoOk) io = (*jf)->ops->sync(*jf);
  if (io != kDbIoOk) return io_fail(p, io, "cannot write the journal of");
  return 1;
}

int32_t pages_write(Pager *p) {
  std::sort(p->dirty.begin(), p->dirty.end());
  for (uint32_t pgno : p->dirty) {
    int32_t io = p->file->ops->write(p->file, uint64_t(pgno) * kDbPageSize, p->cache[pgno]->data,
                                     kDbPageSize);
    if (io != kDbIoOk) return io_fail(p, io, "cannot write");
  }
  int32_t io = p->file->ops->sync(p->file);
  if (io != kDbIoOk) return io_fail(p, io, "cannot write");
  return 1;
}

// After a failed commit: puts the old pages back and forgets the
// transaction; if even that fails the file keeps its hot journal, and only
// reopening (which recovers from it) makes the database usable again.
void commit_undo(Pager *p, const std::vector<uint8_t> &j, DbFile *jf) {
  uint32_t origCount = 0;
  int64_t n = journal_records(j, &origCount);
  bool restored = n >= 0 && journal_restore(p, j, static_cast<uint64_t>(n), origCount);
  if (restored)
    restored = journal_invalidate(p, jf);
  else
    jf->ops->close(jf);
  if (!restored) p->broken = true;
  pager_rollback(p);
}

} // namespace

int32_t pager_commit(Pager *p) {
  if (!usable(p)) return 0;
  if (p->dirty.empty()) return 1;
  uint8_t *h = pager_write(p, 0);
  if (!h) return 0;
  put32(h + kHdrPageCount, p->pageCount);
  put32(h + kHdrChangeCount, get32(h + kHdrChangeCount) + 1);
  header_seal(h);
  std::vector<uint8_t> j;
  DbFile *jf = nullptr;
  if (!journal_build(p, &j) || !journal_write(p, j, &jf)) {
    if (jf) jf->ops->close(jf);
    p->fs->remove(p->fs,
                  p->journalPath.c_str()); // never synced, so never hot: the file is untouched
    pager_rollback(p);
    return 0;
  }
  if (!pages_write(p)) {
    commit_undo(p, j, jf);
    return 0;
  }
  if (!journal_invalidate(p, jf)) {
    // The file holds the new state, and the journal may or may not still
    // be on the device: undoing from memory now could tear pages that no
    // journal protects. Reopening finds one consistent state either way.
    p->broken = true;
    pager_rollback(p);
    return 0;
  }
  for (uint32_t pgno : p->dirty) p->cache[pgno]->dirty = 0;
  p->dirty.clear();
  p->committedCount = p->pageCount;
  return 1;
}
