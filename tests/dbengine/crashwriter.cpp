// The crash test's writer: runs the numbered transactions of crashwork.h
// against a database file until killed. Before each commit it records the
// transaction number as "committing", after the commit returns as
// "committed", in "<db>.state" (two fixed-width numbers), so the test knows
// whether a kill landed inside a commit.
#include "crashwork.h"
#include "dbengine/embedded.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

static void record(int fd, long long committing, long long committed) {
  char line[64];
  int n = snprintf(line, sizeof line, "%20lld %20lld\n", committing, committed);
  if (pwrite(fd, line, n, 0) != n) exit(3);
}

int main(int argc, char **argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: dbcrash_writer database first-transaction\n");
    return 2;
  }
  std::string path = argv[1];
  long long txn = atoll(argv[2]);
  int state = open((path + ".state").c_str(), O_RDWR | O_CREAT, 0644);
  DbOpenError err;
  DbEngine *e = embedded_open(dbfile_posix(), path.c_str(), kDbOpenCreate, &err);
  if (!e) {
    fprintf(stderr, "open: %d %s\n", err.code, err.message);
    return 1;
  }
  DbCursor *log = e->ops->openCursor(e, DbText{"log", 3}, nullptr, 0, nullptr);
  if (log)
    log->ops->close(log);
  else if (!crash_create(e))
    return 1; // a kill may have cut the first run short
  for (;; txn++) {
    if (!crash_apply(e, txn)) {
      fprintf(stderr, "transaction %lld: %.*s\n", txn, (int)e->ops->errorMessage(e).length,
              e->ops->errorMessage(e).bytes);
      return 1;
    }
    record(state, txn, txn - 1);
    if (!e->ops->commit(e)) return 1;
    record(state, txn, txn);
  }
}
