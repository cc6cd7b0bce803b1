// Socket programs compiled by basc and run by runtime.exe under Wine: an echo
// server and client in one program talking over loopback, and clients of the
// outside peer; what they did is read from trace.log.
#include "imagerun.h"
#include <fstream>
#include <map>
#include <string>

namespace {

class SocketProgramTest : public ImageRunTest {
protected:
  // Compiles the program (from `source` when given) and runs it.
  Outcome compileAndRun(const char *program, const fs::path &source = {}) {
    fs::path path = source.empty() ? fs::path(PROGRAMS_DIR) / program : source;
    std::string command = "'" BASC "' -o '" + dir.string() + "' '" + path.string() + "' 2>'" +
                          (dir / "basc.err").string() + "'";
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

TEST_F(SocketProgramTest, ClientsOfTheOutsidePeer) {
  const char *peer = getenv("TCP_PEER_DIR");
  ASSERT_NE(peer, nullptr) << "the TCP peer is not running (TCP_PEER_DIR)";
  std::map<std::string, std::string> ports;
  std::ifstream in(fs::path(peer) / "ports");
  for (std::string mode, port; in >> mode >> port;) ports[mode] = port;
  /* the program's stand-in ports become the peer's */
  std::string text = readText(fs::path(PROGRAMS_DIR) / "peerclient.bas");
  for (auto [stand, mode] :
       {std::pair{"60001", "refused"}, {"60002", "echo"}, {"60003", "sendclose"}})
    text.replace(text.rfind(stand), 5, ports[mode]); /* the code, after the comment */
  std::ofstream(dir / "peerclient.bas") << text;
  Outcome r = compileAndRun("peerclient.bas", dir / "peerclient.bas");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "refused 102\r"
                     "echo connected\r"
                     "echoed over the wire\r"
                     "drained 100000, error 102\r");
}

} // namespace
