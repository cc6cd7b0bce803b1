// A database program compiled by basc and run by runtime.exe under Wine: a
// shop's tables built, joined, ordered, updated and rolled back, blobs and a
// picture read back, a bound query, and the errors of bad statements; what
// it did is read from trace.log.
#include "imagerun.h"
#include <fstream>
#include <string>

namespace {

class DatabaseProgramTest : public ImageRunTest {
protected:
  // Compiles source (in dir) into an executable of its own in dir, so that a
  // carried database lands beside it.
  fs::path packed(const std::string &source) {
    std::string command = "'" BASC "' --image '" + (dir / "app.img").string() + "' '" +
                          (dir / source).string() + "' 2>'" + (dir / "basc.err").string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << readText(dir / "basc.err");
    command = "'" PACKER "' pack '" RUNTIME_EXE "' '" + (dir / "app.img").string() + "' '" +
              (dir / "app.exe").string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return dir / "app.exe";
  }
};

TEST_F(DatabaseProgramTest, ShopTablesQueriesTransactionsAndBlobs) {
  std::string command = "'" BASC "' -o '" + dir.string() + "' '" PROGRAMS_DIR "/database.bas' 2>'" +
                        (dir / "basc.err").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << readText(dir / "basc.err");
  Outcome r = run(RUNTIME_EXE, false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "join: Bob's shop 4 10; Ann 3 7.5; Cy 2 5; Bob's shop 1 2.5\r"
                     "sums: 4 25\r"
                     "updated: 0\r"
                     "rolled back: 25\r"
                     "edited: Cyd\r"
                     "date 2026-12-2\r"
                     "blob 4 255\r"
                     "picture 3x2\r"
                     "bound: 2\r"
                     "injected:\r"
                     "bad 200\r"
                     "kept: 3\r"
                     "drop 2007 Dropping tables from this database is not currently supported.\r"
                     "reopened: Ann; Bob's shop; Cyd\r"
                     "done\r");
}

// Without a file to start from the carried database starts empty; each run
// keeps its row; compiled again From a copy of it, the new one starts there.
TEST_F(DatabaseProgramTest, CarriedDatabaseStartsEmptyOrFromItsFileAndPersists) {
  std::string text = readText(fs::path(PROGRAMS_DIR) / "carried.bas");
  std::string empty = text;
  empty.erase(empty.find(" From \"start.db\""), 16);
  std::ofstream(dir / "empty.bas") << empty;
  fs::path exe = packed("empty.bas");
  EXPECT_EQ(run(exe, false).trace, "notes 0\r");
  fs::remove(dir / "trace.log");
  EXPECT_EQ(run(exe, false).trace, "notes 1\r");

  fs::rename(dir / "notes.db", dir / "start.db");
  std::ofstream(dir / "carried.bas") << text;
  fs::remove(dir / "app.exe");
  exe = packed("carried.bas");
  fs::remove(dir / "start.db"); /* the image carries it now */
  fs::remove(dir / "trace.log");
  EXPECT_EQ(run(exe, false).trace, "notes 2\r");
}

} // namespace
