// The automation driver against its sample program (sample.exe): typing,
// clicking, tabs, menus, message boxes, closing and exit codes, with the
// program's own log (sample.log) as the witness of what it received.
#include "e2e.h"

namespace {

using e2e::DriverRun;
using e2e::fields;
namespace fs = std::filesystem;

class DriverTest : public e2e::EndToEndTest {
protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    copy(SAMPLE_EXE);
  }

  // The value of a field in the nth line that starts with prefix.
  static std::string field(const DriverRun &run, const std::string &prefix, size_t n,
                           const std::string &key) {
    std::vector<std::string> lines = run.starting(prefix);
    return n < lines.size() ? fields(lines[n])[key] : "<no line " + prefix + ">";
  }
};

const char *const kStart = "start sample.exe\n"
                           "wait-window DriverSample Sample\n";

TEST_F(DriverTest, TypedTextReachesTheProgramAsWrittenAndScreenshotsAreKept) {
  DriverRun run = drive(std::string(kStart) + R"(
click #101
type "Dir \"A\" 1+1=2;"
read #101
type " 日本語のﾃｷｽﾄ and 漢字"
read #101
screenshot typed
click Apply
read
key ctrl+q
wait-exit
)");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  const std::string typed = "Dir \"A\" 1+1=2; 日本語のﾃｷｽﾄ and 漢字";
  EXPECT_EQ(field(run, "control Edit", 0, "text"), "Dir \"A\" 1+1=2;");
  EXPECT_EQ(field(run, "control Edit", 1, "text"), typed);
  EXPECT_EQ(field(run, "window", 1, "text"), "Sample - " + typed);
  EXPECT_TRUE(run.has("exit 3")) << run.output();
  EXPECT_EQ(readFile("sample.log"), "ready\napply " + typed + "\nquit\n");

  ASSERT_EQ(run.screenshots.size(), 1u) << run.output();
  EXPECT_EQ(run.screenshots[0].filename(), "01-typed.png");
  std::string png = e2e::readText(run.screenshots[0]);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_GT(png.size(), 2000u) << "a blank screen compresses to almost nothing";
}

TEST_F(DriverTest, ClicksSetButtonsAndTabsAndTheCloseBoxEndsTheProgram) {
  DriverRun run = drive(std::string(kStart) + R"(
click Blue
click Loud
click-tab 詳細
controls
screenshot chosen
click Loud
read Loud
click #101
key tab
read Apply
close
wait-exit
)");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  struct {
    const char *prefix, *key, *value;
  } const expected[] = {
      {"control Button id=103", "checked", "0"},      {"control Button id=104", "checked", "1"},
      {"control Button id=105", "checked", "1"},      {"control SysTabControl32", "tab", "1"},
      {"control SysTabControl32", "tabtext", "詳細"}, {"control SysTabControl32", "tabs", "2"},
  };
  for (const auto &e : expected)
    EXPECT_EQ(field(run, e.prefix, 0, e.key), e.value) << e.prefix << " " << e.key;
  EXPECT_EQ(field(run, "control Button id=105", 1, "checked"), "0") << "clicked twice";
  EXPECT_EQ(field(run, "control Button id=102", 1, "focused"), "1") << "Tab moves the focus";
  EXPECT_TRUE(run.has("exit 4")) << run.output();
  EXPECT_EQ(readFile("sample.log"), "ready\nradio Blue\ncheck 1\ntab 1 詳細\ncheck 0\nclose\n");
}

TEST_F(DriverTest, MenusAndMessageBoxesAreUsedAsAPersonWould) {
  DriverRun run = drive(std::string(kStart) + R"(
menu File/Message...
message --press none
screenshot message-box
message --press Cancel
click #101
type "消されるテキスト"
menu 編集/消去
read #101
key alt+f q
wait-exit
)");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_TRUE(run.has("message caption=\"Sample\" text=\"Hello from the sample\" pressed=Cancel"))
      << run.output();
  EXPECT_EQ(run.screenshots.size(), 1u) << run.output();
  EXPECT_EQ(field(run, "control Edit", 0, "text"), "");
  EXPECT_TRUE(run.has("exit 3")) << run.output();
  EXPECT_EQ(readFile("sample.log"), "ready\nmessage Cancel\nclear\nquit\n");
}

TEST_F(DriverTest, DragsRightClicksAndChoicesReachTheProgram) {
  DriverRun run = drive(std::string(kStart) + R"(
click #109
key down return
read #109
drag #107 thumb 150,15
read #107
click #108 -5,8
click #108 -5,8
read #108
click window 300,250 --button right
drag window 180,240 400,270
screenshot moved
close
wait-exit
)");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(field(run, "control ComboBox", 0, "text"), "One");
  EXPECT_EQ(field(run, "control ComboBox", 0, "selected"), "0");
  EXPECT_EQ(field(run, "control ComboBox", 0, "items"), "3");
  std::string slider = field(run, "control msctls_trackbar32", 0, "value");
  EXPECT_GT(atoi(slider.c_str()), 10) << "the thumb was dragged three quarters of the way";
  EXPECT_EQ(field(run, "control msctls_trackbar32", 0, "range"), "0,20");
  EXPECT_EQ(field(run, "control ScrollBar", 0, "value"), "2");
  EXPECT_EQ(readFile("sample.log"), "ready\nchoose One\nslider " + slider +
                                        "\nscroll 1\nscroll 2\nright 300,250\n"
                                        "press 180,240\nrelease 400,270\nclose\n");
}

TEST_F(DriverTest, StartGivesTheProgramItsArgumentsAndWorkingFolder) {
  fs::create_directory(dir / "work");
  DriverRun run = drive(R"(
start --dir work sample.exe "two words" "say \"hi\"" 日本 --flag
wait-window DriverSample
screenshot started
key ctrl+q
wait-exit
)");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(e2e::readText(dir / "work" / "sample.log"),
            "ready\narg two words\narg say \"hi\"\narg 日本\narg --flag\nquit\n");
}

// A step that cannot be done fails the run with the line and the reason, and
// the program the script started does not outlive it.
TEST_F(DriverTest, FailedStepsSayWhyAndEndTheProgram) {
  struct {
    const char *step, *error;
  } const cases[] = {
      {"click Nothing", "error: line 4: click: no control \"Nothing\" in window \"Sample\""},
      {"menu File/Save", "error: line 4: menu: no menu item \"Save\"; there are \"&Message...\", "
                         "\"&Quit\\tCtrl+Q\""},
      {"wait-window DriverSample Other --timeout 1",
       "error: line 4: wait-window: no window of class DriverSample titled \"Other\" within 1 "
       "seconds"},
      {"click-tab Third", "error: line 4: click-tab: no tab \"Third\"; there are \"General\", "
                          "\"詳細\""},
      {"press return", "error: line 4: unknown command press"},
  };
  for (const auto &c : cases) {
    DriverRun run = drive(std::string(kStart) + "timeout 2\n" + c.step + "\n");
    EXPECT_EQ(run.exitCode, 1) << run.output();
    EXPECT_TRUE(run.has(c.error)) << run.output();
    EXPECT_TRUE(run.has("ended sample.exe, which was still running")) << run.output();
    EXPECT_EQ(run.screenshots.size(), 1u) << "the failure screenshot";
  }
}

} // namespace
