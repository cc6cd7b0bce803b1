// A window of a compiled program, used from outside as a person would: it
// opens where its description puts it, takes clicks on its own area, and
// closing it asks CancelClose, delivers Close once and ends the program.
#include "e2e.h"
#include <cstdio>

namespace {

class WindowEndToEnd : public e2e::EndToEndTest {
protected:
  // Compiles a test program and packs it into a copy of the runtime.
  void build(const char *program) {
    std::string command =
        "cd '" + dir.string() + "' && '" BASC "' --image app.img '" PROGRAMS_DIR "/" + program +
        "' 2>basc.err && '" PACKER "' pack '" RUNTIME_EXE "' app.img app.exe >pack.out 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << readFile("basc.err") << readFile("pack.out");
  }
};

TEST_F(WindowEndToEnd, ClicksReachTheWindowAndClosingEndsTheProgram) {
  build("window.bas");
  e2e::DriverRun run = drive(R"(
start app.exe
wait-window QXWindow "Window Test"
read
screenshot opened
click-at 40 30
wait-window QXWindow "Clicked 1"
click-at 200 150
wait-window QXWindow "Clicked 2"
screenshot clicked
close
wait-exit
)");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_TRUE(run.has("exit 0")) << run.output();
  /* Frame 0 puts the content area 10 pixels from the left and 50 from the top */
  std::map<std::string, std::string> window = e2e::fields(run.starting("window")[0]);
  int outer[4], client[4];
  sscanf(window["screen"].c_str(), "%d,%d,%d,%d", &outer[0], &outer[1], &outer[2], &outer[3]);
  sscanf(window["client"].c_str(), "%d,%d,%d,%d", &client[0], &client[1], &client[2], &client[3]);
  EXPECT_EQ(outer[0] - client[0], 10) << run.output();
  EXPECT_EQ(outer[1] - client[1], 50) << run.output();
  std::string trace = readFile("trace.log");
  for (const char *line : {"Open 320x200\r", "Activate\r", "MouseDown 40 30\r", "MouseUp 40 30\r",
                           "MouseDown 200 150\r", "CancelClose\r", "Close after 2\r"})
    EXPECT_NE(trace.find(line), std::string::npos) << line << " in\n" << trace;
  EXPECT_EQ(trace.find("Close after 2\r"), trace.rfind("Close after")); /* Close ran once */
  EXPECT_EQ(run.screenshots.size(), 2u);
}

} // namespace
