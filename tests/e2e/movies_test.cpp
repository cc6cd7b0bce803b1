// Movies, the movie player's demonstration (movies.exe), used as a person
// would: a movie made here opened and played to its end, its frames seen on
// the screen; a damaged file refused; a looping movie stopped with the
// button; a palindrome started from the player's own strip. The player's
// events are read back from the trace the program keeps.
#include "../runtime/moviefiles.h"
#include "e2e.h"

namespace {

using e2e::DriverRun;
using e2e::textOf;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

class MoviesDemo : public e2e::ApplicationTest {
protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    open(MOVIES_EXE, MOVIES_SOURCES "/Movies.bas");
  }
  // A movie of `frames` frames at 10 a second, 64 x 48: red first, blue last,
  // green between. Its frames are 32-bit: Wine's display draws 24-bit frames
  // as if their pixels were 32-bit (the colours come out striped), which the
  // pixels read back here would take for a wrong frame.
  void makeMovie(const char *name, int frames) {
    MovieSpec spec;
    spec.width = 64, spec.height = 48, spec.framesPerSecond = 10;
    spec.bits = 32;
    spec.colours.assign(frames, kGreen);
    spec.colours.front() = kRed;
    spec.colours.back() = kBlue;
    std::ofstream(dir / name, std::ios::binary) << aviFile(spec);
  }
  std::string status(const std::string &text) {
    return "wait-text " + id["StatusText"] + " \"" + text + "\"\n";
  }
  std::string click(const std::string &control) { return "click " + id[control] + "\n"; }
  // The colour at the middle of the player's picture area (it is 260 wide,
  // 180 high above its 20-pixel strip), on a screenshot.
  uint32_t pictureMiddle(const DriverRun &run, const e2e::fs::path &shot) {
    auto [left, top] = e2e::screenOrigin(run, id["Player"]);
    return e2e::screenPixel(shot, left + 130, top + 90);
  }
  const std::string start = "start movies.exe\nwait-window QXWindow Movies\n";
  const std::string quit = "close\nwait-exit\n";
};

TEST_F(MoviesDemo, AMoviePlaysToItsEndAndEveryEventIsTraced) {
  makeMovie("clip.avi", 10);
  // Then the middle of the position bar (it runs from 26 to 254 of the
  // player's width, less its 6-pixel thumb) is clicked and the movie played
  // again from there.
  DriverRun run = drive(start + read("Player") + click("OpenButton") +
                        status("clip.avi: 64 x 48, 10 frames, 1000 ms.") + "screenshot opened\n" +
                        click("PlayButton") + status("Stopped.") + read("Trace") +
                        "screenshot played\n" + "click " + id["Player"] + " 140,-10\n" +
                        click("PlayButton") + status("Stopped.") + read("Trace") + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  const std::string once =
      "opened clip.avi\r\nStarted at 0\r\nFinished at 1000\r\nStopped at 1000\r\n";
  EXPECT_EQ(textOf(run, id["Trace"], 0), once);
  EXPECT_EQ(textOf(run, id["Trace"], 1),
            once + "Started at 500\r\nFinished at 1000\r\nStopped at 1000\r\n");
  ASSERT_EQ(run.screenshots.size(), 2u);
  EXPECT_EQ(pictureMiddle(run, run.screenshots[0]), kRed) << "the first frame, shown on opening";
  EXPECT_EQ(pictureMiddle(run, run.screenshots[1]), kBlue) << "the last frame, where it ended";
}

TEST_F(MoviesDemo, ADamagedFileIsRefusedAndALoopGoesOnUntilStopped) {
  makeMovie("clip.avi", 10);
  std::string good = aviFile(MovieSpec());
  std::ofstream(dir / "broken.avi", std::ios::binary) << good.substr(0, good.size() / 2);
  DriverRun run =
      drive(start + enter("MovieField", "broken.avi") + click("OpenButton") +
            status("broken.avi is not a movie that plays here.") + enter("MovieField", "clip.avi") +
            click("OpenButton") + status("clip.avi: 64 x 48, 10 frames, 1000 ms.") +
            click("LoopBox") + click("PlayButton") + "sleep 4\nscreenshot looping\n" +
            click("StopButton") + status("Stopped.") + read("Trace") + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  std::string trace = textOf(run, id["Trace"], 0);
  EXPECT_EQ(trace.rfind("refused broken.avi\r\nopened clip.avi\r\nStarted at 0\r\n", 0), 0u)
      << trace;
  size_t firstEnd = trace.find("Finished at 1000\r\n"), stopped = trace.find("Stopped at");
  EXPECT_NE(firstEnd, std::string::npos) << trace;
  EXPECT_NE(trace.find("Finished at 1000\r\n", firstEnd + 1), std::string::npos)
      << "it went round more than once: " << trace;
  EXPECT_GT(stopped, firstEnd) << "stopped only by the button: " << trace;
  EXPECT_EQ(trace.find("Stopped at", stopped + 1), std::string::npos) << trace;
}

TEST_F(MoviesDemo, ThePlayersOwnButtonPlaysAPalindromeThereAndBack) {
  makeMovie("clip.avi", 10);
  // The strip's play button is the square at the left of the player's bottom 20 pixels.
  DriverRun run =
      drive(start + click("OpenButton") + status("clip.avi: 64 x 48, 10 frames, 1000 ms.") +
            click("PalindromeBox") + "click " + id["Player"] + " 10,-10\n" + status("Stopped.") +
            read("Trace") + read("Player") + "screenshot back\n" + quit);
  ASSERT_EQ(run.exitCode, 0) << run.output();
  EXPECT_EQ(textOf(run, id["Trace"], 0),
            "opened clip.avi\r\nStarted at 0\r\nFinished at 0\r\nStopped at 0\r\n");
  ASSERT_EQ(run.screenshots.size(), 1u);
  EXPECT_EQ(pictureMiddle(run, run.screenshots[0]), kRed) << "back on the first frame";
}

} // namespace
