// The MoviePlayer on a real window, playing AVI files made here through the
// digital-video device: the events of a play to the end, a stop, a loop and
// a palindrome, the position set and read back, the controller strip and the
// picture area, the parts it gives to other controls, and the shutdown.
#include "describe.h"
#include "files/file.h"
#include "lifecycle/application.h"
#include "media/movie.h"
#include "moviefiles.h"
#include "recorder.h"
#include <mmsystem.h>

extern "C" void MoviePlayerActionPerformAction(Object *a);

namespace {

using namespace describe;

std::string gLog;
int32_t gHighest; // the furthest position seen while playing

void onPlay(Object *) { gLog += "Play "; }
void onStop(Object *) { gLog += "Stop "; }
void onFinished(Object *o) {
  gLog += "Finished@" + std::to_string(((MoviePlayerObject *)o)->position) + " ";
}

int count(const std::string &text, const std::string &word) {
  int n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) n++;
  return n;
}

class PlayerTest : public RuntimeTest {
protected:
  enum { kWindow, kPlayer, kClasses };
  ClassDef window, player;
  ClassDef *table[kClasses] = {&window, &player};
  WindowObject *w = nullptr;
  std::string folder;

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    gLog.clear();
    gHighest = 0;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + "movies-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    derive(&window, "TestWindow", gWindowClass, 120);
    derive(&player, "MyPlayer", registry_find("MoviePlayer"), 112);
    addHandler(&player, "Started", (void *)onPlay);
    addHandler(&player, "Stopped", (void *)onStop);
    addHandler(&player, "Finished", (void *)onFinished);
  }
  void TearDown() override {
    close_test_window(w);
    retire_test_classes({&window, &player});
    std::string clip = folder + "\\clip.avi";
    DeleteFileA(clip.c_str());
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str())) << "a movie is still open";
    RuntimeTest::TearDown();
  }

  // A window with the player "P" at (10, 10), 200 x 170, showing a movie of
  // `frames` frames at 20 a second, 64 x 48.
  MoviePlayerObject *open(int frames = 6) {
    MovieSpec spec;
    spec.width = 64, spec.height = 48, spec.framesPerSecond = 20;
    spec.colours.clear();
    for (int i = 0; i < frames; i++) spec.colours.push_back(i % 2 ? 0x0000FF : 0xFF0000);
    std::string clip = folder + "\\clip.avi", bytes = aviFile(spec);
    HANDLE h = CreateFileA(clip.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(h, bytes.data(), (DWORD)bytes.size(), &n, nullptr);
    CloseHandle(h);

    Description d(kWindow, {{"Name", "W"}, {"Frame", "0"}, {"Width", "300"}, {"Height", "220"}});
    d.control(kPlayer, placed("P", "-2147483648", {10, 10, 180, 210}));
    gClassTable = table;
    gClassCount = kClasses;
    w = open_window(d);
    if (!w) return nullptr;
    window_pass();
    pump();
    MoviePlayerObject *mp = (MoviePlayerObject *)control_named(w, "P");
    Object *item = folderitem_at(clip.c_str());
    Object *movie = FolderItemOpenMovie(item);
    RuntimeUnlockObject(item);
    if (!movie) return nullptr;
    mediaMovieSetter(mp, 0, (MovieObject *)movie);
    RuntimeUnlockObject(movie); /* the player keeps it */
    return mp;
  }

  // Pumps until the log holds `word` `times` times (or ten seconds pass),
  // noting the furthest position on the way.
  bool waitFor(MoviePlayerObject *mp, const char *word, int times = 1) {
    return pump_until([&] {
      if (mp->position > gHighest) gHighest = mp->position;
      return count(gLog, word) >= times;
    });
  }
};

TEST_F(PlayerTest, PlaysToTheEndAndSaysSo) {
  MoviePlayerObject *mp = open();
  ASSERT_TRUE(mp);
  EXPECT_EQ(mp->movie->duration, 300);
  EXPECT_TRUE(getMoviePlayerController(&mp->control.header)) << "the device opens with the pane";
  RuntimeMediaPlay(mp);
  EXPECT_TRUE(mp->playing);
  ASSERT_TRUE(waitFor(mp, "Stop")) << gLog;
  EXPECT_EQ(gLog, "Play Finished@300 Stop ");
  EXPECT_FALSE(mp->playing);
  EXPECT_EQ(mp->position, 300);
  gLog.clear(); /* played again from the start */
  RuntimeMediaPlay(mp);
  EXPECT_EQ(mp->position, 0);
  ASSERT_TRUE(waitFor(mp, "Stop")) << gLog;
  EXPECT_EQ(gLog, "Play Finished@300 Stop ");
}

TEST_F(PlayerTest, StopEndsThePlayWhereItIs) {
  MoviePlayerObject *mp = open(40); /* two seconds */
  ASSERT_TRUE(mp);
  RuntimeMediaPlay(mp);
  RuntimeMediaPlay(mp); /* already playing: nothing more */
  pump_until([&] { return mp->position >= 200; });
  RuntimeMediaStop(mp);
  RuntimeMediaStop(mp); /* already stopped: nothing more */
  EXPECT_FALSE(mp->playing);
  int32_t at = mp->position;
  EXPECT_GE(at, 200);
  EXPECT_LT(at, 2000);
  pump_until([] { return false; }, 300); /* a late word from the device changes nothing */
  EXPECT_EQ(gLog, "Play Stop ");
  EXPECT_EQ(mp->position, at);
}

TEST_F(PlayerTest, ALoopingMovieStartsAgainAtItsEnd) {
  MoviePlayerObject *mp = open();
  ASSERT_TRUE(mp);
  mediaControllerLoopingSetter(mp, 0, true);
  RuntimeMediaPlay(mp);
  ASSERT_TRUE(waitFor(mp, "Finished", 3)) << gLog;
  EXPECT_TRUE(mp->playing);
  EXPECT_EQ(count(gLog, "Stop"), 0) << gLog;
  RuntimeMediaStop(mp);
  EXPECT_EQ(gLog.substr(0, 5), "Play ");
  EXPECT_EQ(gLog.substr(gLog.size() - 5), "Stop ");
}

TEST_F(PlayerTest, APalindromePlaysBackToTheStart) {
  MoviePlayerObject *mp = open();
  ASSERT_TRUE(mp);
  mediaControllerPalindromeSetter(mp, 0, true);
  RuntimeMediaPlay(mp);
  ASSERT_TRUE(waitFor(mp, "Stop")) << gLog;
  EXPECT_EQ(gLog, "Play Finished@0 Stop ") << "the end of the way back";
  EXPECT_GE(gHighest, 250) << "it reached the far end first";
  EXPECT_EQ(mp->position, 0);
}

TEST_F(PlayerTest, APositionWrittenIsWherePlayStarts) {
  MoviePlayerObject *mp = open(40);
  ASSERT_TRUE(mp);
  mp->position = 1500; /* as compiled code writes the field */
  RuntimeMediaPlay(mp);
  EXPECT_GE(mp->position, 1500);
  ASSERT_TRUE(waitFor(mp, "Stop")) << gLog;
  EXPECT_EQ(mp->position, 2000);
  playback_seek(mp, 99999); /* clamped to the movie */
  EXPECT_EQ(mp->position, 2000);
  playback_seek(mp, -5);
  EXPECT_EQ(mp->position, 0);
}

TEST_F(PlayerTest, TheStripSitsBelowThePictureUnlessHidden) {
  MoviePlayerObject *mp = open();
  ASSERT_TRUE(mp);
  EXPECT_EQ(mediaControllerWidthGetter(mp), 200);
  EXPECT_EQ(mediaControllerHeightGetter(mp), kControllerHeight);
  RECT picture = player_picture_rect(mp);
  EXPECT_EQ(picture.bottom - picture.top, 170 - kControllerHeight);
  EXPECT_EQ(movieWidthGetter(mp->movie), 64) << "small enough: its own size";
  mp->controller = 0; /* as compiled code writes the field */
  EXPECT_FALSE(mediaMovieControllerGetter(mp));
  EXPECT_EQ(mediaControllerWidthGetter(mp), 0);
  EXPECT_EQ(mediaControllerHeightGetter(mp), 0);
  picture = player_picture_rect(mp);
  EXPECT_EQ(picture.bottom - picture.top, 170);
}

TEST_F(PlayerTest, ALargeMovieIsShrunkToThePictureKeepingItsShape) {
  MoviePlayerObject *mp = open();
  ASSERT_TRUE(mp);
  Rect16 small = {10, 10, 60, 110}; /* 100 x 50: a picture area of 100 x 30 */
  pane_set_bounds(mp->control.pane, small, true);
  player_layout(mp);
  EXPECT_EQ(movieWidthGetter(mp->movie), 40);
  EXPECT_EQ(movieHeightGetter(mp->movie), 30);
  EXPECT_EQ(movieBaseWidthGetter(mp->movie), 64);
}

TEST_F(PlayerTest, BoundPartsPlayAndStopIt) {
  MoviePlayerObject *mp = open(40);
  ASSERT_TRUE(mp);
  RString *play = str_from("Play"), *stop = str_from("Stop"), *other = str_from("Rewind");
  Object *p = mediaGetBoundPart(mp, play), *s = mediaGetBoundPart(mp, stop);
  EXPECT_FALSE(mediaGetBoundPart(mp, other));
  ASSERT_TRUE(p && s);
  EXPECT_EQ(method_entry(p, "performAction"), (void *)MoviePlayerActionPerformAction);
  MoviePlayerActionPerformAction(p);
  EXPECT_TRUE(mp->playing);
  MoviePlayerActionPerformAction(s);
  EXPECT_FALSE(mp->playing);
  EXPECT_EQ(gLog, "Play Stop ");
  RuntimeUnlockObject(p);
  RuntimeUnlockObject(s);
  for (RString *r : {play, stop, other}) RuntimeUnlockString(r);
}

TEST_F(PlayerTest, ANewMovieStopsTheOldOneAndStartsAtZero) {
  MoviePlayerObject *mp = open(40);
  ASSERT_TRUE(mp);
  RuntimeMediaPlay(mp);
  pump_until([&] { return mp->position > 0; });
  mediaMovieSetter(mp, 0, nullptr);
  EXPECT_EQ(gLog, "Play Stop ");
  EXPECT_FALSE(mp->movie);
  EXPECT_EQ(mp->position, 0);
  RuntimeMediaPlay(mp); /* nothing to play */
  EXPECT_FALSE(mp->playing);
  EXPECT_EQ(getMoviePlayerController(&mp->control.header), 0u);
}

// A file sound's "close all" closes every device of the program, the
// player's too: the player says it stopped, and plays again on demand.
TEST_F(PlayerTest, ADeviceClosedBehindItsBackEndsThePlayAndOpensAgain) {
  MoviePlayerObject *mp = open(40);
  ASSERT_TRUE(mp);
  RuntimeMediaPlay(mp);
  pump_until([&] { return mp->position > 0; });
  mciSendStringA("close all", nullptr, 0, nullptr);
  ASSERT_TRUE(waitFor(mp, "Stop")) << gLog;
  EXPECT_FALSE(mp->playing);
  gLog.clear();
  mp->position = 1800;
  RuntimeMediaPlay(mp);
  ASSERT_TRUE(waitFor(mp, "Stop")) << gLog;
  EXPECT_EQ(gLog, "Play Finished@2000 Stop ");
}

TEST_F(PlayerTest, ShutdownStopsEveryPlayer) {
  MoviePlayerObject *mp = open(40);
  ASSERT_TRUE(mp);
  RuntimeMediaPlay(mp);
  gLoopHooks.shutDownMovies();
  EXPECT_FALSE(mp->playing);
  EXPECT_EQ(gLog, "Play ") << "no events while the program ends";
  EXPECT_EQ(getMoviePlayerController(&mp->control.header) != 0, true) << "opened again on need";
}

} // namespace
