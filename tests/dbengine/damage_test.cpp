// Damaged files: cut short at every page, bytes flipped throughout (with the
// header's checksum made valid so the damage reaches the trees), targeted
// damage to tree pages, and journals left behind. Each must give an error
// code and message, never a crash; the check finds structural damage.
#include "dbengine/btree.h"
#include "enginetest.h"

#include <algorithm>
#include <random>

namespace {

class Damage : public ::testing::Test {
protected:
  MemFs fs;
  std::vector<uint8_t> good;
  void SetUp() override {
    memfs_init(&fs);
    DbOpenError err;
    DbEngine *e = embedded_open(&fs.fs, "good.db", kDbOpenCreate, &err);
    ASSERT_TRUE(create_table(e, "p", {{"id", kDbInteger, 0}, {"name", kDbText, 1}}, {0}));
    ASSERT_TRUE(create_table(e, "b", {{"data", kDbBinary, 1}}));
    for (int i = 0; i < 400; i++)
      ASSERT_TRUE(insert_row(
          e, "p", {{"id", std::to_string(i).c_str()}, {"name", std::string(i % 50, 'n').c_str()}}));
    ASSERT_TRUE(insert_row(e, "b", {{"data", std::string(7000, 'd').c_str()}}));
    ASSERT_TRUE(e->ops->commit(e));
    embedded_close(e);
    good = memfs_bytes(&fs, "good.db");
  }
  // The root page of the n-th table created.
  uint32_t table_root(size_t n) {
    memfs_bytes(&fs, "probe.db") = good;
    DbOpenError err;
    DbEngine *e = embedded_open(&fs.fs, "probe.db", kDbOpenReadOnly, &err);
    std::vector<std::string> tables = select_rows(e, "sys$tables");
    embedded_close(e);
    return static_cast<uint32_t>(std::stoul(tables.at(n).substr(tables.at(n).find('|') + 1)));
  }
  // Opens bytes as a database; on success checks and reads every table.
  // Returns the open error, or the check's, or 0 when all went through.
  int32_t try_file(const std::vector<uint8_t> &bytes, bool reseal) {
    std::vector<uint8_t> file = bytes;
    if (reseal && file.size() >= kHdrSize)
      put32(file.data() + kHdrChecksum, db_checksum(0, file.data(), kHdrChecksum));
    memfs_bytes(&fs, "bad.db") = file;
    DbOpenError err;
    DbEngine *e = embedded_open(&fs.fs, "bad.db", 0, &err);
    if (!e) {
      EXPECT_NE(err.code, 0);
      EXPECT_NE(err.message[0], 0);
      return err.code;
    }
    int32_t code = embedded_check(e) ? 0 : e->ops->errorCode(e);
    EXPECT_TRUE(code == 0 || code == kDbErrDamaged) << error_of(e);
    select_rows(e, "p");
    select_rows(e, "b");
    DbCondition key = leaf("id", kDbEqual, "77");
    select_rows(e, "p", &key);
    insert_row(e, "p", {{"id", "100000"}, {"name", "late"}}); // writes into the damaged pages
    e->ops->commit(e);
    embedded_close(e);
    return code;
  }
};

TEST_F(Damage, FilesCutShortFailToOpen) {
  for (size_t size = 0; size < good.size(); size += kDbPageSize / 2) {
    int32_t code = try_file(std::vector<uint8_t>(good.begin(), good.begin() + size), false);
    EXPECT_TRUE(code == kDbErrDamaged || code == kDbErrNotDatabase) << size << " bytes: " << code;
  }
}

TEST_F(Damage, FlippedBytesAreReportedOrHarmless) {
  std::mt19937 rng(5);
  int detected = 0, tried = 0;
  for (size_t page = 0; page < good.size() / kDbPageSize; page++)
    for (int flip = 0; flip < 40; flip++, tried++) {
      std::vector<uint8_t> file = good;
      size_t at =
          page * kDbPageSize + (flip < 20 ? rng() % 64 : rng() % kDbPageSize); // headers are dense
      file[at] ^= static_cast<uint8_t>(1 + rng() % 255);
      detected += try_file(file, true) != 0;
    }
  EXPECT_GT(detected, tried / 4);
  // Without resealing, any change to the header is caught by its checksum.
  std::vector<uint8_t> file = good;
  file[kHdrTablesRoot] ^= 1;
  EXPECT_EQ(try_file(file, false), kDbErrDamaged);
}

TEST_F(Damage, TargetedTreeDamageIsFoundByTheCheck) {
  struct Case {
    const char *what;
    void (*damage)(uint8_t *page);
  } cases[] = {
      {"a cell count beyond the page", [](uint8_t *n) { put16(n + kNodeCount, 3000); }},
      {"a cell offset beyond the page", [](uint8_t *n) { put16(n + kNodeHeader, 4095); }},
      {"an unknown page type", [](uint8_t *n) { n[kNodeType] = 7; }},
      {"two cells swapped",
       [](uint8_t *n) {
         uint16_t a = get16(n + kNodeHeader), b = get16(n + kNodeHeader + 2);
         put16(n + kNodeHeader, b);
         put16(n + kNodeHeader + 2, a);
       }},
      {"a child pointing at page 0 or beyond",
       [](uint8_t *n) {
         if (n[kNodeType] == kNodeInterior)
           put32(n + kNodeRight, 999999);
         else
           put16(n + kNodeCount, 0);
       }},
  };
  uint32_t root = table_root(0); // table p
  for (auto &c : cases) {
    std::vector<uint8_t> file = good;
    c.damage(file.data() + size_t(root) * kDbPageSize);
    EXPECT_EQ(try_file(file, false), kDbErrDamaged) << c.what;
  }
}

// A leaf claiming more cells than fit, every slot naming the same sound
// cell: inserting into it must not overrun the list it rebuilds from.
TEST_F(Damage, APageWithTooManyCellsIsRefusedBeforeAnInsertRebuildsIt) {
  uint32_t root = table_root(1); // table b: one leaf
  std::vector<uint8_t> file = good;
  uint8_t *leaf = file.data() + size_t(root) * kDbPageSize;
  ASSERT_EQ(leaf[kNodeType], kNodeLeaf);
  // Its one cell (a row whose record lies in sys$blob: 25 bytes) moved to
  // the page's end, just past room for 2028 slots that all name it.
  const uint32_t count = 2028, at = kNodeHeader + 2 * count, size = 25;
  memmove(leaf + at, leaf + get16(leaf + kNodeHeader), size);
  put16(leaf + kNodeCount, count);
  put16(leaf + kNodeContent, at);
  for (uint32_t i = 0; i < count; i++) put16(leaf + kNodeHeader + 2 * i, at);
  memfs_bytes(&fs, "bad.db") = file;
  DbOpenError err;
  DbEngine *e = embedded_open(&fs.fs, "bad.db", 0, &err);
  ASSERT_NE(e, nullptr);
  EXPECT_FALSE(insert_row(e, "b", {{"data", "x"}}));
  EXPECT_EQ(e->ops->errorCode(e), kDbErrDamaged);
  embedded_close(e);
}

// A leaf whose slots all name one cell holds more bytes than a page: an
// insert that rebuilds it must find the damage rather than split it into
// halves that cannot fit either.
TEST_F(Damage, OverlappingCellsAreRefusedBeforeASplit) {
  uint32_t root = table_root(0); // table p: an interior root over leaves
  std::vector<uint8_t> file = good;
  const uint8_t *top = file.data() + size_t(root) * kDbPageSize;
  ASSERT_EQ(top[kNodeType], kNodeInterior);
  uint8_t *leaf = file.data() + size_t(get32(top + kNodeRight)) * kDbPageSize; // where new ids go
  uint32_t last = 0;
  for (uint32_t i = 0; i < get16(leaf + kNodeCount); i++)
    last = std::max(last, get16(leaf + kNodeHeader + 2 * i));
  const uint32_t count = 300;
  ASSERT_GT(last, kNodeHeader + 2 * count);
  put16(leaf + kNodeCount, count);
  put16(leaf + kNodeContent, kNodeHeader + 2 * count);
  for (uint32_t i = 0; i < count; i++) put16(leaf + kNodeHeader + 2 * i, last);
  memfs_bytes(&fs, "bad.db") = file;
  DbOpenError err;
  DbEngine *e = embedded_open(&fs.fs, "bad.db", 0, &err);
  ASSERT_NE(e, nullptr);
  EXPECT_FALSE(insert_row(e, "p", {{"id", "100000"}, {"name", "late"}}));
  EXPECT_EQ(e->ops->errorCode(e), kDbErrDamaged);
  embedded_close(e);
}

TEST_F(Damage, JournalsAreRolledBackOnlyWhenComplete) {
  // A commit interrupted after its journal was synced, by failing the first
  // database write on a dead device: the journal is hot.
  memfs_bytes(&fs, "j.db") = good;
  FaultFs faulty;
  faultfs_init(&faulty, &fs.fs, 4, true,
               kDbIoFailed); // journal truncate, write, sync; then the file
  DbOpenError err;
  DbEngine *e = embedded_open(&faulty.fs, "j.db", 0, &err);
  ASSERT_NE(e, nullptr);
  ASSERT_TRUE(insert_row(e, "p", {{"id", "1000"}}));
  EXPECT_FALSE(e->ops->commit(e));
  EXPECT_FALSE(insert_row(e, "p", {{"id", "1001"}}));
  EXPECT_EQ(e->ops->errorCode(e), kDbErrMustReopen);
  embedded_close(e);
  ASSERT_TRUE(fs.files.count("j.db-journal"));
  std::vector<uint8_t> journal = memfs_bytes(&fs, "j.db-journal");
  std::vector<uint8_t> torn = memfs_bytes(&fs, "j.db");
  // Read-only openers cannot recover, and say so.
  EXPECT_EQ(embedded_open(&fs.fs, "j.db", kDbOpenReadOnly, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrReadOnly);
  // A journal whose last record is damaged was never complete: it is
  // discarded and the file left as it is.
  std::vector<uint8_t> broken = journal;
  broken.back() ^= 1;
  memfs_bytes(&fs, "j.db-journal") = broken;
  e = embedded_open(&fs.fs, "j.db", 0, &err);
  ASSERT_NE(e, nullptr);
  EXPECT_FALSE(fs.files.count("j.db-journal"));
  embedded_close(e);
  EXPECT_TRUE(memfs_bytes(&fs, "j.db") == torn);
  // The complete journal restores the state before the commit.
  memfs_bytes(&fs, "j.db-journal") = journal;
  e = embedded_open(&fs.fs, "j.db", 0, &err);
  ASSERT_NE(e, nullptr) << err.message;
  EXPECT_TRUE(embedded_check(e)) << error_of(e);
  EXPECT_EQ(select_rows(e, "p").size(), 400u);
  embedded_close(e);
  EXPECT_TRUE(memfs_bytes(&fs, "j.db") == good);
}

} // namespace
