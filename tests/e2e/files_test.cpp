// Files, the folder items' demonstration (files.exe), used as a person would:
// the system's open and save dialogs driven by typing a path and pressing
// their buttons, a cancel that changes nothing, and the type filter picked in
// the dialog's combo box. The file saved is read back from the disk.
#include "e2e.h"

namespace {

using e2e::DriverRun;
using e2e::fields;

// The common dialogs' own controls: the file-name box, the type combo box
// and the Cancel button (the OK button shares its number with the file list,
// so a name is accepted with Return).
const char *const kNameBox = "#1148", *const kTypeBox = "#1136", *const kCancel = "#2";

class FilesDemo : public e2e::ApplicationTest {
protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    open(FILES_EXE, FILES_SOURCES "/Files.bas");
    std::ofstream(dir / "sample.txt", std::ios::binary) << "one\r\ntwo\r\nthree\r\n";
    std::ofstream(dir / "notes.dat", std::ios::binary) << "not text";
  }
  // The scratch folder as the program sees it: Wine's Z: drive is the root.
  std::string windowsPath(const std::string &name) {
    std::string p = "Z:" + (dir / name).string();
    for (char &c : p)
      if (c == '/') c = '\\';
    return p;
  }
  static std::string escaped(const std::string &text) {
    std::string out;
    for (char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
  }
  std::string waitStatus(const std::string &text) {
    return "wait-text " + id["StatusText"] + " \"" + text + "\"\n";
  }
  // Presses a button of the main window, then waits for the dialog it opens.
  std::string openDialog(const std::string &button) {
    return "click " + id[button] + "\nwait-window #32770\nsleep 2\n"; /* until it has drawn */
  }
  // Types a path into the dialog's name box and accepts it.
  std::string choose(const std::string &name) {
    return std::string("click ") + kNameBox + "\nkey ctrl+a delete\ntype \"" +
           escaped(windowsPath(name)) + "\"\nkey return\n";
  }
  const std::string start = "start files.exe\nwait-window QXWindow \"Files\"\n";
  const std::string back = "wait-window QXWindow \"Files\"\n";
  const std::string quit = "close\nwait-exit\n";
};

TEST_F(FilesDemo, OpenShowsTheFileAndListsItsFolder) {
  DriverRun run =
      drive(start + openDialog("OpenButton") + "screenshot open-dialog\n" + choose("sample.txt") +
            back + waitStatus("Opened sample.txt: 3 lines, 17 bytes, type Text, Shift_JIS") +
            read("Viewer") + read("Entries") + "screenshot opened\n" + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(e2e::textOf(run, id["Viewer"], 0), "one\r\ntwo\r\nthree") << run.output();
  EXPECT_EQ(run.screenshots.size(), 2u);
}

TEST_F(FilesDemo, SaveAsWritesTheTextUnderTheTypedName) {
  DriverRun run =
      drive(start + openDialog("OpenButton") + choose("sample.txt") + back +
            waitStatus("Opened sample.txt: 3 lines, 17 bytes, type Text, Shift_JIS") + "click " +
            id["Viewer"] + "\nkey ctrl+end\ntype \" four\"\n" + openDialog("SaveButton") +
            "screenshot save-dialog\n" + choose("saved") + back +
            waitStatus("Saved saved.txt: 20 bytes") + "screenshot saved\n" + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(readFile("saved.txt"), "one\r\ntwo\r\nthree four")
      << "the type's extension is added to a name typed without one";
  EXPECT_EQ(readFile("sample.txt"), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(FilesDemo, CancelledDialogsChangeNothing) {
  DriverRun run = drive(
      start + openDialog("OpenButton") + "read " + kCancel + "\nclick " + kCancel + "\n" + back +
      waitStatus("Open cancelled.") + openDialog("SaveButton") + "type \"ignored\"\nkey escape\n" +
      back + waitStatus("Save cancelled.") + read("PathText") + "screenshot cancelled\n" + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(e2e::textOf(run, id["PathText"], 0), "No file open.");
  for (auto &entry : e2e::fs::directory_iterator(dir))
    EXPECT_NE(entry.path().stem(), "ignored") << "nothing is saved";
  EXPECT_EQ(readFile("sample.txt"), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(FilesDemo, TheTypeFilterOffersTheProjectsTypes) {
  DriverRun run =
      drive(start + openDialog("OpenButton") + "read " + kTypeBox + "\n" +
            "screenshot text-filter\nclick " + kTypeBox + "\nkey down return\n" + "read " +
            kTypeBox + "\nscreenshot any-filter\n" + choose("notes.dat") + back +
            waitStatus("Opened notes.dat: 1 lines, 8 bytes, type Any file, Shift_JIS") + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  std::vector<std::string> combos;
  for (const std::string &line : run.starting("control "))
    if ("#" + fields(line)["id"] == kTypeBox) combos.push_back(line);
  ASSERT_EQ(combos.size(), 2u) << run.output();
  EXPECT_EQ(fields(combos[0])["text"], "Text");
  EXPECT_EQ(fields(combos[0])["items"], "2");
  EXPECT_EQ(fields(combos[1])["text"], "Any file");
}

// The same Japanese text saved in three encodings reads the same each time:
// the encoding is guessed and the text converted to the application's own,
// which Save As then writes (the viewer's text as a file on the disk).
TEST_F(FilesDemo, JapaneseTextReadsTheSameInEveryEncoding) {
  const std::string sjis =
      "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67\r\n\x83\x4A\x83\x69";
  std::ofstream(dir / "utf8.txt", std::ios::binary)
      << "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9"
         "\xE3\x83\x88\r\n\xE3\x82\xAB\xE3\x83\x8A\r\n";
  std::ofstream(dir / "sjis.txt", std::ios::binary) << sjis << "\r\n";
  std::ofstream(dir / "euc.txt", std::ios::binary)
      << "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xC6\xA5\xAD\xA5\xB9\xA5\xC8\r\n\xA5\xAB\xA5\xCA\r\n";
  struct Case {
    const char *name, *size, *encoding, *savedAs;
  };
  const Case cases[] = {{"utf8.txt", "34", "UTF-8", "from-utf8"},
                        {"sjis.txt", "24", "Shift_JIS", nullptr},
                        {"euc.txt", "24", "EUC-JP", "from-euc"}};
  std::string script = start;
  for (const Case &c : cases) {
    script += openDialog("OpenButton") + choose(c.name) + back +
              waitStatus(std::string("Opened ") + c.name + ": 2 lines, " + c.size +
                         " bytes, type Text, " + c.encoding);
    if (c.savedAs)
      script += openDialog("SaveButton") + choose(c.savedAs) + back +
                waitStatus(std::string("Saved ") + c.savedAs + ".txt: 22 bytes");
  }
  DriverRun run = drive(script + "screenshot japanese\n" + quit, 420); /* five dialogs */
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(readFile("from-utf8.txt"), sjis);
  EXPECT_EQ(readFile("from-euc.txt"), sjis);
}

// Export shows a SaveAsDialog set up by the program: its title, its button's
// caption, the suggested name and the open file's folder to start in.
TEST_F(FilesDemo, ExportShowsTheDialogAsTheProgramSetItUp) {
  DriverRun run =
      drive(start + openDialog("OpenButton") + choose("sample.txt") + back +
            waitStatus("Opened sample.txt: 3 lines, 17 bytes, type Text, Shift_JIS") + "click " +
            id["ExportButton"] + "\nwait-window #32770 \"Export a copy\"\nsleep 2\n" +
            "read Export\nread " + kNameBox + "\nscreenshot export-dialog\n" + "key return\n" +
            back + waitStatus("Saved copy.txt: 15 bytes") + "screenshot exported\n" + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(readFile("copy.txt"), "one\r\ntwo\r\nthree") << "saved beside the open file";
}

} // namespace
