// Socket programs compiled by basc and run by runtime.exe under Wine: an echo
// server and client in one program talking over loopback; what they did is
// read from trace.log.
#include "imagerun.h"
#include <string>

namespace {

class SocketProgramTest : public ImageRunTest {
protected:
  Outcome compileAndRun(const char *program) {
    std::string command = "'" BASC "' -o '" + dir.string() + "' '" PROGRAMS_DIR "/" + program +
                          "' 2>'" + (dir / "basc.err").string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << readText(dir / "basc.err");
    return run(RUNTIME_EXE, false);
  }
};

TEST_F(SocketProgramTest, EchoServerAndClientOverLoopback) {
  Outcome r = compileAndRun("echo.bas");
  EXPECT_EQ(r.exitCode, 0);
  /* the two Connected events come in either order; the rest is fixed */
  for (const char *line : {"listening\r", "client connected\r", "server accepted 127.0.0.1\r"})
    EXPECT_NE(r.trace.find(line), std::string::npos) << line << " missing from:\n" << r.trace;
  EXPECT_NE(r.trace.find("echoed first line\r"
                         "echoed line 2\r"
                         "echoed line 3\r"
                         "client closed\r"
                         "server error 102\r"),
            std::string::npos)
      << r.trace;
}

} // namespace
