// Controls, the value controls' demonstration (controls.exe), used as a person
// would: watching the clock tick, dragging the slider, clicking the scroll
// bar's arrow, choosing from the pop-up menu and from the contextual menu the
// right button opens. Screenshots of each step are kept.
#include "e2e.h"
#include <regex>

namespace {

using e2e::DriverRun;
using e2e::fields;

class Controls : public e2e::ApplicationTest {
protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    open(CONTROLS_EXE, CONTROLS_SOURCES "/Controls.bas");
  }
  // What the nth read of a control printed for one of its fields.
  std::string fieldOf(const DriverRun &run, const std::string &control, size_t n,
                      const std::string &key) {
    size_t seen = 0;
    for (const std::string &line : run.starting("control ")) {
      auto f = fields(line);
      if ("#" + f["id"] == id[control] && seen++ == n) return f[key];
    }
    return "<not read>";
  }
  std::string textOf(const DriverRun &run, const std::string &control, size_t n) {
    return e2e::textOf(run, id[control], n);
  }
};

const char *const kStart = "start controls.exe\nwait-window QXWindow \"Controls\"\n";

TEST_F(Controls, TheClockTicksAndTheScreensAreListed) {
  DriverRun run = drive(std::string(kStart) + read("ClockText") + "sleep 2\n" + read("ClockText") +
                        read("ScreensField") + "screenshot started\n" + "close\nwait-exit\n");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  std::regex clock("\\d\\d:\\d\\d:\\d\\d");
  EXPECT_TRUE(std::regex_match(textOf(run, "ClockText", 0), clock)) << textOf(run, "ClockText", 0);
  EXPECT_NE(textOf(run, "ClockText", 0), textOf(run, "ClockText", 1)) << "two seconds passed";
  /* the test display is one screen of 1280 x 1024 */
  EXPECT_TRUE(std::regex_match(textOf(run, "ScreensField", 0),
                               std::regex("Screen 1: 0,0 1280x1024, \\d+ bits\r\n")))
      << textOf(run, "ScreensField", 0);
}

TEST_F(Controls, TheSliderDrivesTheBarAndTheScrollBarPans) {
  DriverRun run =
      drive(std::string(kStart) + "wait-text " + id["LevelText"] + " \"Level 40\"\ndrag " +
            id["VolumeSlider"] + " thumb -20,14\n" + read("VolumeSlider") + read("LevelBar") +
            read("LevelText") + "click " + id["PanBar"] + " -5,8\nclick " + id["PanBar"] +
            " -5,8\n" + read("PanText") + read("PanBar") + "screenshot moved\nclose\nwait-exit\n");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  std::string level = fieldOf(run, "VolumeSlider", 0, "value");
  EXPECT_GT(atoi(level.c_str()), 80) << "the thumb went almost to the right end";
  EXPECT_EQ(fieldOf(run, "LevelBar", 0, "value"), level);
  EXPECT_EQ(textOf(run, "LevelText", 1), "Level " + level) << "read 0 is the wait for Level 40";
  EXPECT_EQ(textOf(run, "PanText", 0), "Pan 7");
  EXPECT_EQ(fieldOf(run, "PanBar", 0, "value"), "7");
}

TEST_F(Controls, ThePopupMenuAndTheContextualMenuChoose) {
  DriverRun run =
      drive(std::string(kStart) + "wait-text " + id["ChoiceText"] + " \"Apple: 150 yen\"\nclick " +
            id["FruitMenu"] + "\nkey down return\n" + "wait-text " + id["ChoiceText"] +
            " \"Banana: 120 yen\"\n" + read("FruitMenu") + "click window 300,330 --button right\n" +
            "screenshot contextual-menu\nkey down down return\n" + "wait-text " + id["HintText"] +
            " \"Chose Full volume\"\n" + read("VolumeSlider") + read("LevelText") +
            "screenshot chosen\nclose\nwait-exit\n");
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(fieldOf(run, "FruitMenu", 0, "selected"), "1");
  EXPECT_EQ(fieldOf(run, "FruitMenu", 0, "items"), "3");
  EXPECT_EQ(fieldOf(run, "VolumeSlider", 0, "value"), "100");
  EXPECT_EQ(textOf(run, "LevelText", 0), "Level 100");
  EXPECT_EQ(run.screenshots.size(), 2u);
}

} // namespace
