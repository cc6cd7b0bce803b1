// The pager: a database file as numbered fixed-size pages, cached in memory,
// changed only in memory until commit, and committed through a rollback
// journal ("<db>-journal") so that a crash at any instant leaves the old or
// the new state. Page 0 holds the file header.
#pragma once
#include "dbengine/dbfile.h"
#include "dbengine/dbstatus.h"

#include <string>
#include <vector>

// The file header in page 0, by byte offset.
enum HeaderField : uint32_t {
  kHdrMagic = 0,        // 8 bytes, kDbMagic
  kHdrVersion = 8,      // u32, kDbFormatVersion
  kHdrPageSize = 12,    // u32
  kHdrPageCount = 16,   // u32, pages in the file including page 0
  kHdrFreeHead = 20,    // u32, first page of the free list, 0 when empty
  kHdrFreeCount = 24,   // u32, pages on the free list
  kHdrChangeCount = 28, // u32, incremented by each commit
  kHdrTablesRoot = 32,  // u32, root of sys$tables
  kHdrFieldsRoot = 36,  // u32, root of sys$fields
  kHdrBlobRoot = 40,    // u32, root of sys$blob
  kHdrChecksum = 44,    // u32, over bytes 0..43
  kHdrSize = 48,
};
enum { kDbFormatVersion = 1 };
extern const uint8_t kDbMagic[8];

struct DbPage {
  uint8_t data[4096];
  uint8_t dirty; // changed in this transaction
};

struct Pager {
  const DbFileSystem *fs;
  DbFile *file;
  std::string path;
  std::string journalPath;
  DbStatus *status;
  bool readOnly;
  bool broken;                 // a failed commit left the file needing recovery
  std::vector<DbPage *> cache; // by page number, nil when not loaded
  std::vector<uint32_t> dirty; // page numbers changed in this transaction
  uint32_t pageCount;          // including pages added in this transaction
  uint32_t committedCount;     // pages in the committed file
  uint32_t cached;             // pages held in the cache
  uint64_t changes;            // bumped by every change and rollback, so
                               // tree positions know when to re-seek
};

// Opens path (see embedded_open's flags), recovering from a hot journal and
// creating an empty file's header. *created is set when the file was new
// (the caller then builds its initial pages and commits).
int32_t pager_open(Pager *p, const DbFileSystem *fs, const char *path, int32_t openFlags,
                   DbStatus *status, bool *created);
void pager_close(Pager *p); // drops uncommitted changes

// A page to read (nil and status set on failure). Valid until the next
// pager_trim or rollback.
const uint8_t *pager_read(Pager *p, uint32_t pgno);
// The page made writable in this transaction.
uint8_t *pager_write(Pager *p, uint32_t pgno);
// A new zeroed writable page, from the free list or the end of the file; 0 on failure.
uint32_t pager_allocate(Pager *p);
// Puts a page on the free list.
int32_t pager_free(Pager *p, uint32_t pgno);

int32_t pager_commit(Pager *p);
void pager_rollback(Pager *p);
bool pager_pending(const Pager *p); // there are uncommitted changes

// Drops clean pages when the cache has grown large; call between operations.
void pager_trim(Pager *p);

// Header fields of page 0 (as committed or as changed in this transaction).
uint32_t pager_header(Pager *p, uint32_t field);
int32_t pager_set_header(Pager *p, uint32_t field, uint32_t value);
