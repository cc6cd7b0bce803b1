// Printing, the printing demonstration (printing.exe), used as a person
// would: the print dialog's OK prints the two-page report on the test bed's
// file printer, whose pages are counted in the file it wrote; Cancel prints
// nothing; Page Setup's landscape choice reaches the next print and is kept
// beside the program.
#include "e2e.h"
#include <chrono>
#include <thread>

namespace {

using e2e::DriverRun;

// The common dialogs' own controls: OK and Cancel; the page setup dialog's
// Landscape button is chosen by its mnemonic (its group box lies over it).
const char *const kOk = "#1", *const kCancel = "#2", *const kLandscape = "alt+l";

class PrintingDemo : public e2e::ApplicationTest {
protected:
  const e2e::fs::path printed = e2e::fs::path(PRINT_DIR) / "e2e.ps";

  void SetUp() override {
    ApplicationTest::SetUp();
    open(PRINTING_EXE, PRINTING_SOURCES "/Printing.bas");
    e2e::fs::remove(printed);
  }
  // The document the file printer wrote, once whole.
  std::string document() {
    std::string text;
    for (int tries = 0; tries < 100 && text.find("%%EOF") == std::string::npos; tries++) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      text = e2e::readText(printed);
    }
    return text;
  }
  static int pages(const std::string &document) {
    int n = 0;
    for (size_t at = 0; (at = document.find("\n%%Page:", at)) != std::string::npos; at++) n++;
    return n;
  }
  std::string waitStatus(const std::string &text) {
    return "wait-text " + id["StatusText"] + " \"" + text + "\"\n";
  }
  // Presses a button of the main window, then waits for the dialog it opens.
  std::string openDialog(const std::string &button) {
    return "click " + id[button] + "\nwait-window #32770\nsleep 2\n"; /* until it has drawn */
  }
  const std::string start = "start printing.exe\nwait-window QXWindow \"Printing\"\n";
  const std::string back = "wait-window QXWindow \"Printing\"\n";
  const std::string quit = "close\nwait-exit\n";
};

TEST_F(PrintingDemo, OkInThePrintDialogPrintsTheTwoPageReport) {
  DriverRun run = drive(start + "screenshot ready\n" + openDialog("PrintButton") +
                        "screenshot print-dialog\nclick " + kOk + "\n" + back +
                        waitStatus("Printed 2 pages, 1 copy.") + "screenshot printed\n" + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  std::string text = document();
  EXPECT_EQ(pages(text), 2) << text.substr(0, 2000);
  EXPECT_EQ(run.screenshots.size(), 3u);
}

TEST_F(PrintingDemo, CancelInThePrintDialogPrintsNothing) {
  DriverRun run = drive(start + openDialog("PrintButton") + "click " + kCancel + "\n" + back +
                        waitStatus("Printing cancelled.") + "screenshot cancelled\n" + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_FALSE(e2e::fs::exists(printed));
}

TEST_F(PrintingDemo, LandscapeFromPageSetupReachesThePrintAndIsKept) {
  DriverRun run =
      drive(start + openDialog("SetupButton") + "key " + kLandscape +
            "\nscreenshot page-setup\nclick " + kOk + "\n" + back +
            waitStatus("Page set up: landscape.") + openDialog("PrintButton") + "click " + kOk +
            "\n" + back + waitStatus("Printed 2 pages, 1 copy.") + "screenshot printed\n" + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  std::string text = document();
  EXPECT_EQ(pages(text), 2);
  EXPECT_NE(text.find("Landscape"), std::string::npos) << text.substr(0, 2000);
  EXPECT_NE(readFile("printsetup.txt").find(";landscape=1;"), std::string::npos);
}

} // namespace
