// A program in the language printing on the test bed's file printer
// through runtime.exe: setups, their text form, and a two-page document
// whose pages are counted in the file the printer wrote.
#include "imagerun.h"
#include <chrono>
#include <thread>

namespace {

class PrintingProgramTest : public ImageRunTest {};

int pagesIn(const std::string &document) {
  int n = 0;
  for (size_t at = 0; (at = document.find("\n%%Page:", at)) != std::string::npos; at++) n++;
  return n;
}

TEST_F(PrintingProgramTest, SetupsAndATwoPageDocument) {
  fs::path printed = fs::path(PRINT_DIR) / "runtime.ps";
  fs::remove(printed);
  std::string command = "'" BASC "' -o '" + dir.string() + "' '" PROGRAMS_DIR "/printing.bas' 2>'" +
                        (dir / "basc.err").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << readText(dir / "basc.err");
  Outcome r = run(RUNTIME_EXE, false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "landscape\r"
                     "144 per inch\r"
                     "graphics 144\r"
                     "kept 144\r"
                     "damaged text refused\r"
                     "job 1 1 9999\r");
  std::string document;
  for (int tries = 0; tries < 50 && document.find("%%EOF") == std::string::npos; tries++) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    document = readText(printed);
  }
  EXPECT_EQ(pagesIn(document), 2) << document.substr(0, 2000);
}

} // namespace
