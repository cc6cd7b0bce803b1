// A database program compiled by basc and run by runtime.exe under Wine: a
// shop's tables built, joined, ordered, updated and rolled back, blobs and a
// picture read back, a bound query, and the errors of bad statements; what
// it did is read from trace.log.
#include "imagerun.h"
#include <string>

namespace {

class DatabaseProgramTest : public ImageRunTest {};

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

} // namespace
