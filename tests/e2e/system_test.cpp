// System, the system object's demonstration (system.exe), used as a person
// would: reading what it tells of the machine, resting the mouse on its line
// to see the colour there, opening an address the system refuses, switching
// tool tips off and moving the line with the slider. Screenshots are kept.
#include "e2e.h"
#include <regex>

namespace {

using e2e::DriverRun;

class SystemDemo : public e2e::ApplicationTest {
protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    open(SYSTEM_EXE, SYSTEM_SOURCES "/System.bas");
  }
  std::string textOf(const DriverRun &run, const std::string &control, size_t n) {
    return e2e::textOf(run, id[control], n);
  }
  // A field of the last read of a control.
  std::string lastField(const DriverRun &run, const std::string &control, const std::string &key) {
    std::string value = "<not read>";
    for (const std::string &line : run.starting("control "))
      if ("#" + e2e::fields(line)["id"] == id[control]) value = e2e::fields(line)[key];
    return value;
  }
};

TEST_F(SystemDemo, TheAnswersShowAndTheLineFollowsTheSlider) {
  std::string script = "start system.exe\nwait-window QXWindow \"System\"\n" + read("AnswersText") +
                       /* a point on the line's thick stroke, in the window's content */
                       "click window 331,287\n" + "wait-text " + id["PixelText"] +
                       " \"Under the mouse: D02020\"\n" + "screenshot answers\n" +
                       enter("UrlField", "C:\\\\no\\\\such\\\\file.txt") + "click " +
                       id["OpenButton"] + "\n" + "wait-text " + id["OpenText"] + " \"Refused\"\n" +
                       read("UrlField") + "click " + id["TipsCheck"] + "\n" + read("TipsCheck") +
                       "drag " + id["LineSlider"] + " thumb 10,13\n" + read("LineText") +
                       "screenshot moved\nclose\nwait-exit\n";
  DriverRun run = drive(script);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  std::string answers = textOf(run, "AnswersText", 0);
  /* the test display is one screen of 1280 x 1024 */
  EXPECT_TRUE(std::regex_search(answers, std::regex("Platform 2   Windows \\d+\\.\\d+")))
      << answers;
  EXPECT_NE(answers.find("Screen width 1280   height 1024"), std::string::npos) << answers;
  EXPECT_NE(answers.find("Runtime 10000"), std::string::npos) << answers;
  EXPECT_TRUE(std::regex_search(answers, std::regex("Keyboard (Roman|Japanese)"))) << answers;
  EXPECT_EQ(lastField(run, "TipsCheck", "checked"), "0") << "tips switched off";
  EXPECT_EQ(textOf(run, "UrlField", 0), "C:\\no\\such\\file.txt");
  std::string line = textOf(run, "LineText", 0);
  EXPECT_TRUE(std::regex_match(line, std::regex("Line from 280,320 to (\\d+),250"))) << line;
  EXPECT_NE(line, "Line from 280,320 to 380,250") << "the slider moved the end";
  EXPECT_EQ(run.screenshots.size(), 2u);
}

} // namespace
