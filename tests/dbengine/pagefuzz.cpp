// Fuzz target for reading damaged database files: a valid database is built
// in memory once, each input damages a copy of it (byte patches, optionally
// with the header's checksum made valid again so the damage reaches the
// trees, optionally cut short; or the damage goes to the hot journal of an
// interrupted commit), and the copy is opened, checked, scanned,
// searched by key and changed. Any outcome but a crash or a sanitizer report
// is fine: a damaged file must give an error, never undefined behaviour.
// Without libFuzzer (DBFUZZ_DRIVER) a main feeds it seeded random inputs.
#include "dbengine/embedded.h"
#include "dbengine/pager.h"
#include "memfs.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

DbText T(const char *s) { return DbText{s, static_cast<uint32_t>(strlen(s))}; }
DbText T(const std::string &s) { return DbText{s.data(), static_cast<uint32_t>(s.size())}; }

void insert(DbEngine *e, const char *table,
            std::vector<std::pair<std::string, std::string>> values) {
  std::vector<DbAssignment> a;
  for (auto &v : values) a.push_back(DbAssignment{T(v.first), T(v.second), 1});
  e->ops->insert(e, T(table), a.data(), static_cast<int32_t>(a.size()));
}

// The undamaged file: two tables with keys, rows in a tree of two levels,
// rows in sys$blob, and pages on the free list.
std::vector<uint8_t> build_seed() {
  MemFs fs;
  memfs_init(&fs);
  DbOpenError err;
  DbEngine *e = embedded_open(&fs.fs, "seed.db", kDbOpenCreate, &err);
  DbColumn people[] = {{T("id"), kDbInteger, 0}, {T("name"), kDbText, 1}, {T("born"), kDbDate, 1}};
  DbColumn files[] = {{T("name"), kDbText, 0}, {T("data"), kDbBinary, 1}};
  uint8_t key = 0;
  e->ops->createTable(e, T("people"), people, 3, &key, 1);
  e->ops->createTable(e, T("files"), files, 2, &key, 1);
  for (int i = 0; i < 300; i++)
    insert(e, "people",
           {{"id", std::to_string(i)},
            {"name", "person " + std::to_string(i * 7)},
            {"born", "1990-05-17"}});
  insert(e, "files", {{"name", "big"}, {"data", std::string(6000, 'b')}});
  insert(e, "files", {{"name", "empty"}, {"data", ""}});
  DbCondition w = {kDbGreater, kDbNoFunction, T("id"), T(""), T("250"), 0, T(""), nullptr, nullptr};
  DbCursor *c = e->ops->openCursor(e, T("people"), nullptr, 0, &w);
  while (c && !c->ops->atEnd(c)) c->ops->deleteRow(c);
  if (c) c->ops->close(c);
  e->ops->commit(e);
  embedded_close(e);
  return memfs_bytes(&fs, "seed.db");
}

// A commit cut short on a dead device after its journal was synced: the
// file holds torn changes and the journal is hot.
struct HotJournal {
  std::vector<uint8_t> file, journal;
};

HotJournal build_hot(const std::vector<uint8_t> &seed) {
  MemFs fs;
  memfs_init(&fs);
  memfs_bytes(&fs, "h.db") = seed;
  FaultFs faulty;
  faultfs_init(&faulty, &fs.fs, 6, true, kDbIoFailed);
  DbOpenError err;
  DbEngine *e = embedded_open(&faulty.fs, "h.db", 0, &err);
  for (int i = 0; i < 50; i++)
    insert(e, "people", {{"id", std::to_string(500 + i)}, {"name", "late"}});
  e->ops->commit(e);
  embedded_close(e);
  return HotJournal{memfs_bytes(&fs, "h.db"), memfs_bytes(&fs, "h.db-journal")};
}

void scan(DbEngine *e, const char *table, const DbCondition *where) {
  DbCursor *c = e->ops->openCursor(e, T(table), nullptr, 0, where);
  if (!c) return;
  for (int moves = 0; moves < 2000 && !c->ops->atEnd(c); moves++) {
    for (int32_t f = 0; f < c->ops->fieldCount(c); f++) {
      DbValue v;
      c->ops->value(c, f, &v);
      volatile char sink = v.text.length ? v.text.bytes[v.text.length - 1] : 0;
      (void)sink;
    }
    c->ops->moveNext(c);
  }
  c->ops->moveLast(c);
  c->ops->movePrev(c);
  c->ops->close(c);
}

void exercise(DbEngine *e) {
  embedded_check(e);
  DbCondition byKey = {kDbEqual, kDbNoFunction, T("id"), T(""),  T("42"),
                       0,        T(""),         nullptr, nullptr};
  scan(e, "people", nullptr);
  scan(e, "people", &byKey);
  scan(e, "files", nullptr);
  scan(e, "sys$fields", nullptr);
  DbCursor *s = e->ops->tableSchema(e);
  if (s) s->ops->close(s);
  insert(e, "people", {{"id", "1000"}, {"name", "new"}});
  insert(e, "files", {{"name", "more"}, {"data", std::string(3000, 'm')}});
  DbCursor *c = e->ops->openCursor(e, T("people"), nullptr, 0, &byKey);
  if (c && !c->ops->atEnd(c)) {
    DbValue v{kDbText, 0, 0, T("renamed")};
    if (c->ops->edit(c) && c->ops->setValue(c, 1, &v)) c->ops->update(c);
    c->ops->deleteRow(c);
  }
  if (c) c->ops->close(c);
  e->ops->commit(e);
  embedded_check(e);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::vector<uint8_t> seed = build_seed();
  static const HotJournal hot = build_hot(seed);
  if (size < 1) return 0;
  uint8_t mode = data[0];
  bool withJournal = (mode & 0x80) != 0; // then the damage goes to the journal
  std::vector<uint8_t> file = withJournal ? hot.file : seed, journal = hot.journal;
  std::vector<uint8_t> &target = withJournal ? journal : file;
  for (size_t i = 1; i + 4 <= size; i += 4) {
    size_t offset = (data[i] | (data[i + 1] << 8) | (data[i + 2] << 16)) % target.size();
    target[offset] = data[i + 3] == 0 ? 0 : target[offset] ^ data[i + 3];
  }
  if ((mode & 1) && !withJournal)
    put32(file.data() + kHdrChecksum, db_checksum(0, file.data(), kHdrChecksum));
  if (mode & 2) target.resize(target.size() - ((mode >> 2) & 31) * 97 % target.size());
  MemFs fs;
  memfs_init(&fs);
  memfs_bytes(&fs, "f.db") = file;
  if (withJournal) memfs_bytes(&fs, "f.db-journal") = journal;
  DbOpenError err;
  DbEngine *e = embedded_open(&fs.fs, "f.db", 0, &err);
  if (e) {
    exercise(e);
    embedded_close(e);
  } else if (err.code == 0 || err.message[0] == 0) {
    abort(); // a failed open must say why
  }
  return 0;
}

#ifdef DBFUZZ_DRIVER
int main(int argc, char **argv) {
  long runs = argc > 1 ? atol(argv[1]) : 2000;
  std::mt19937 rng(1234);
  std::vector<uint8_t> input;
  for (long r = 0; r < runs; r++) {
    input.resize(1 + 4 * (1 + rng() % 8));
    for (auto &b : input) b = static_cast<uint8_t>(rng());
    input[0] |= 1; // keep the header valid so the damage reaches the trees
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  printf("%ld inputs\n", runs);
  return 0;
}
#endif
