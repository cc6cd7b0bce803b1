// The serial terminal program, compiled by basc and run by runtime.exe on
// COM2 of the test bed while an echoing peer answers on the pair's far end.
#include "imagerun.h"
#include <cstdlib>
#include <stdlib.h>

namespace {

class SerialProgramTest : public ImageRunTest {};

TEST_F(SerialProgramTest, TerminalTalksToThePeerThroughThePair) {
  const char *state = SERIAL_STATE; /* made by the serial_peer fixture */
  setenv("MORVINT_WINE_STATE", state, 1);
  std::string compile = "'" BASC "' -o '" + dir.string() +
                        "' '" PROGRAMS_DIR "/serialterm.bas' 2>'" + (dir / "basc.err").string() +
                        "'";
  ASSERT_EQ(std::system(compile.c_str()), 0) << readText(dir / "basc.err");
  /* the peer answers until the program's last line, or gives up after a while */
  std::string peer = "timeout 150 '" SERIAL_ECHO "' '" + std::string(state) + "/peer' >'" +
                     (dir / "echo.out").string() + "' 2>&1 & echo $! >'" +
                     (dir / "echo.pid").string() + "'";
  ASSERT_EQ(std::system(peer.c_str()), 0);
  Outcome r = run(RUNTIME_EXE, false);
  std::system(("kill $(cat '" + (dir / "echo.pid").string() + "') 2>/dev/null").c_str());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "ports 1 first COM2\r"
                     "COM1 does not open\r"
                     "answer HELLO, FAR END\r"
                     "answer SERIAL PORTS\r"
                     "answer BYE\r"
                     "closed\r")
      << "runtime: " << readText(dir / "run.out") << "\npeer: " << readText(dir / "echo.out");
}

} // namespace
