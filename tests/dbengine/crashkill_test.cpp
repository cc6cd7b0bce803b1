// Crash safety: a writer process running numbered transactions is killed
// with SIGKILL at random instants, over and over on the same file; after
// each kill the file must open (recovering from its journal), pass the
// structure check, and hold exactly the transactions whose commit returned,
// plus the one being committed only when the kill landed inside its commit.
#include "crashwork.h"
#include "dbengine/embedded.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void write_state(const std::string &path, long long committing, long long committed) {
  std::ofstream(path + ".state") << committing << " " << committed << "\n";
}

TEST(CrashKill, EveryKillLeavesExactlyTheCommittedTransactions) {
  char dir[] = "/tmp/dbcrashXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string path = std::string(dir) + "/crash.db";
  std::mt19937 rng(20261210);
  CrashModel model;
  int64_t last = 0;
  int kills = 0, inCommit = 0, commitLanded = 0;
  const int kKills = 220;
  while (kills < kKills) {
    write_state(path, last, last);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      std::string first = std::to_string(last + 1);
      execl(DBCRASH_WRITER, DBCRASH_WRITER, path.c_str(), first.c_str(),
            static_cast<char *>(nullptr));
      _exit(127);
    }
    usleep(2000 + rng() % 90000);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself with " << WEXITSTATUS(status);
    kills++;
    long long committing = 0, committed = 0;
    std::ifstream(path + ".state") >> committing >> committed;
    DbOpenError err;
    // Before the first commit the file may be missing or empty: a new database.
    DbEngine *e =
        embedded_open(dbfile_posix(), path.c_str(), committed == 0 ? kDbOpenCreate : 0, &err);
    ASSERT_NE(e, nullptr) << "kill " << kills << ": " << err.message;
    ASSERT_TRUE(embedded_check(e)) << "kill " << kills << ": " << e->ops->errorMessage(e).bytes;
    CrashModel rows;
    int64_t logged = 0;
    if (!crash_read(e, &rows, &logged)) {
      // Only a kill during the very first run may leave the tables uncreated.
      EXPECT_EQ(e->ops->errorCode(e), kDbErrNoTable);
      EXPECT_EQ(committed, 0);
      embedded_close(e);
      continue;
    }
    embedded_close(e);
    ASSERT_GE(logged, 0) << "the log has a gap";
    if (committing == committed) {
      ASSERT_EQ(logged, committed) << "kill " << kills;
    } else {
      inCommit++;
      ASSERT_TRUE(logged == committed || logged == committing)
          << "kill " << kills << " logged " << logged;
      commitLanded += logged == committing;
    }
    for (int64_t t = last + 1; t <= logged; t++) crash_model(&model, t);
    last = logged;
    ASSERT_EQ(rows.size(), model.size()) << "kill " << kills;
    for (auto &row : model) {
      auto it = rows.find(row.first);
      ASSERT_TRUE(it != rows.end() && it->second.v == row.second.v && it->second.n == row.second.n)
          << "kill " << kills << " row " << row.first;
    }
  }
  printf("%d kills, %d inside a commit (%d of those after its commit point), %lld transactions "
         "committed\n",
         kills, inCommit, commitLanded, static_cast<long long>(last));
  EXPECT_GT(last, 50);
  std::string cleanup = std::string("rm -rf ") + dir;
  EXPECT_EQ(system(cleanup.c_str()), 0);
}

} // namespace
