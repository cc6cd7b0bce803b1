// Simulated I/O failures: a small workload of two transactions runs over a
// file system that fails its n-th write, sync or truncate (once, or from
// then on like a dead device), for every n the workload reaches. Each time
// the file must then open, pass the check and hold the state before or after
// the transaction that failed; a commit that reported success must be kept.
#include "enginetest.h"

namespace {

std::string dump(DbEngine *e) {
  std::string all;
  for (const char *table : {"t", "b"})
    for (auto &row : select_rows(e, table)) all += std::string(table) + ":" + row + "\n";
  return all;
}

void first_transaction(DbEngine *e, bool &ok) {
  for (int i = 100; i < 160 && ok; i++)
    ok = insert_row(e, "t", {{"k", std::to_string(i).c_str()}, {"v", std::string(i, 'v').c_str()}});
  DbCondition w = leaf("k", kDbLess, "20");
  DbCursor *c = ok ? e->ops->openCursor(e, T("t"), nullptr, 0, &w) : nullptr;
  for (ok = c != nullptr; ok && !c->ops->atEnd(c); c->ops->moveNext(c)) {
    DbValue v{kDbText, 0, 0, T("changed")};
    ok = c->ops->edit(c) && c->ops->setValue(c, 1, &v) && c->ops->update(c);
  }
  if (c) c->ops->close(c);
  std::string blob(20000, 'z');
  ok = ok && insert_row(e, "b", {{"id", "2"}, {"data", blob.c_str()}});
}

void second_transaction(DbEngine *e, bool &ok) {
  DbCondition w = leaf("k", kDbGreaterOrEqual, "50");
  DbCursor *c = e->ops->openCursor(e, T("t"), nullptr, 0, &w);
  for (ok = c != nullptr; ok && !c->ops->atEnd(c);) ok = c->ops->deleteRow(c);
  if (c) c->ops->close(c);
  DbCondition one = leaf("id", kDbEqual, "1");
  c = ok ? e->ops->openCursor(e, T("b"), nullptr, 0, &one) : nullptr;
  ok = c && c->ops->deleteRow(c);
  if (c) c->ops->close(c);
}

// A private copy of a file system's files.
void copy_files(const MemFs &from, MemFs *to) {
  memfs_init(to);
  for (auto &f : from.files) to->files[f.first] = std::make_shared<MemFs::Node>(*f.second);
}

class IoFailure : public ::testing::Test {
protected:
  MemFs base;            // the file before the workload
  std::string states[3]; // before, after the first, after the second transaction
  void SetUp() override {
    memfs_init(&base);
    DbOpenError err;
    DbEngine *e = embedded_open(&base.fs, "f.db", kDbOpenCreate, &err);
    ASSERT_TRUE(create_table(e, "t", {{"k", kDbInteger, 0}, {"v", kDbText, 1}}, {0}));
    ASSERT_TRUE(create_table(e, "b", {{"id", kDbInteger, 0}, {"data", kDbBinary, 1}}, {0}));
    for (int i = 0; i < 100; i++)
      ASSERT_TRUE(insert_row(e, "t", {{"k", std::to_string(i).c_str()}, {"v", "x"}}));
    std::string blob(9000, 'b');
    ASSERT_TRUE(insert_row(e, "b", {{"id", "1"}, {"data", blob.c_str()}}));
    ASSERT_TRUE(e->ops->commit(e));
    states[0] = dump(e);
    embedded_close(e);
    MemFs scratch;
    copy_files(base, &scratch);
    e = embedded_open(&scratch.fs, "f.db", 0, &err);
    bool ok = true;
    first_transaction(e, ok);
    ASSERT_TRUE(ok && e->ops->commit(e));
    states[1] = dump(e);
    second_transaction(e, ok);
    ASSERT_TRUE(ok && e->ops->commit(e));
    states[2] = dump(e);
    embedded_close(e);
  }

  // Runs the workload with the n-th change failing; false once n is past
  // the workload's last change.
  bool run(int64_t n, bool sticky, int32_t failWith) {
    MemFs fs;
    copy_files(base, &fs);
    FaultFs faulty;
    faultfs_init(&faulty, &fs.fs, n, sticky, failWith);
    DbOpenError err;
    DbEngine *e = embedded_open(&faulty.fs, "f.db", 0, &err);
    EXPECT_NE(e, nullptr) << err.message;
    if (!e) return false;
    int committed = 0;
    bool ok = true;
    first_transaction(e, ok);
    if (ok && e->ops->commit(e)) {
      committed = 1;
      second_transaction(e, ok);
      if (ok && e->ops->commit(e)) committed = 2;
    }
    if (committed < 2) {
      // A failure in the middle of a transaction reports the device's error
      // (or, after a commit that could not be undone, that a reopen is due).
      int32_t code = e->ops->errorCode(e);
      EXPECT_TRUE(code == (failWith == kDbIoFull ? kDbErrDiskFull : kDbErrIo) ||
                  code == kDbErrMustReopen)
          << "n=" << n << ": " << error_of(e);
    }
    embedded_close(e);
    DbEngine *after = embedded_open(&fs.fs, "f.db", 0, &err);
    EXPECT_NE(after, nullptr) << "n=" << n << ": " << err.message;
    if (!after) return false;
    EXPECT_TRUE(embedded_check(after)) << "n=" << n << ": " << error_of(after);
    std::string state = dump(after);
    // A failed commit may still have reached its commit point.
    EXPECT_TRUE(state == states[committed] || (committed < 2 && state == states[committed + 1]))
        << "n=" << n << " sticky=" << sticky << " committed=" << committed;
    embedded_close(after);
    return faulty.failed;
  }
};

TEST_F(IoFailure, EveryFailedWriteSyncOrTruncateLeavesTheOldOrTheNewState) {
  int runs = 0;
  for (bool sticky : {false, true})
    for (int64_t n = 1; run(n, sticky, sticky ? kDbIoFull : kDbIoFailed); n++) runs++;
  EXPECT_GT(runs, 20);
  printf("%d failure points\n", runs);
}

} // namespace
