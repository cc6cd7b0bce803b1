// Sounds heard by the sound server's null sink: a file sound and an image
// sound recorded for their length, a loop until Stop and silence after it,
// one file sound at a time (the program's other devices left open), and a
// sound freed while it plays.
#include "soundtest.h"

namespace {

class SoundSinkTest : public SoundTest {
protected:
  void SetUp() override {
    if (monitor().empty()) GTEST_SKIP() << "no sound server (MORVINT_SOUND_DIR is not set)";
    SoundTest::SetUp();
  }
  void TearDown() override {
    if (!monitor().empty()) SoundTest::TearDown();
  }
};

// A file sound (through the multimedia command interface) and an image sound
// (through a DirectSound buffer), each heard for about its own length.
TEST_F(SoundSinkTest, FileAndImageSoundsAreHeardForTheirLength) {
  std::string data = waveFile(22050, 8, 700);
  struct {
    const char *what;
    SoundObject *sound;
    double seconds;
  } cases[] = {
      {"file", open("tone.wav", waveFile(22050, 16, 1000)), 1.0},
      {"image", (SoundObject *)sound_image_new((const uint8_t *)data.data(), data.size()), 0.7},
  };
  for (auto &c : cases) {
    long mark = recorded();
    soundPlay(c.sound);
    EXPECT_TRUE(soundIsPlaying(c.sound)) << c.what;
    EXPECT_TRUE(waitForEnd(c.sound)) << c.what;
    Heard h = heardSince(mark);
    EXPECT_GT(h.peak, 8000) << c.what << ": not silence";
    EXPECT_GT(h.seconds, c.seconds * 0.8) << c.what;
    EXPECT_LT(h.seconds, c.seconds * 1.25) << c.what;
    RuntimeUnlockObject(&c.sound->header);
  }
}

// The loop is heard for more than two plays' length (however slowly the
// first sound comes out of the machine), and nothing after Stop.
TEST_F(SoundSinkTest, ALoopingSoundRepeatsUntilStoppedAndIsSilentAfter) {
  std::string data = waveFile(22050, 8, 300);
  SoundObject *file = open("short.wav", waveFile(22050, 16, 300));
  SoundObject *inImage = (SoundObject *)sound_image_new((const uint8_t *)data.data(), data.size());
  for (SoundObject *s : {file, inImage}) {
    const char *what = s == file ? "file" : "image";
    long mark = recorded();
    soundPlayLooping(s);
    Heard h;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 15000 && h.seconds < 0.75;) {
      pumpFor(200);
      h = heardSince(mark, 0);
    }
    EXPECT_GT(h.seconds, 0.75) << what << ": played again and again";
    EXPECT_TRUE(soundIsPlaying(s)) << what;
    soundStop(s);
    EXPECT_FALSE(soundIsPlaying(s)) << what;
    long stopped = recorded();
    pumpFor(2000);
    EXPECT_FALSE(soundIsPlaying(s)) << what;
    EXPECT_LT(heardSince(stopped + kMonitorRate * kMonitorFrame).peak, 2000)
        << what << ": silent after Stop";
  }
  RuntimeUnlockObject(&file->header);
  RuntimeUnlockObject(&inImage->header);
}

TEST_F(SoundSinkTest, ASecondFileSoundClosesTheFirstAndClearsItsPlayingFlag) {
  SoundObject *first = open("first.wav", waveFile(22050, 16, 3000));
  SoundObject *second = open("second.wav", waveFile(22050, 16, 3000, 0.4, 660));
  soundPlay(first);
  ASSERT_TRUE(soundIsPlaying(first));
  soundPlay(second);
  EXPECT_FALSE(soundIsPlaying(first));
  EXPECT_EQ(first->alias, kNoAlias);
  EXPECT_TRUE(soundIsPlaying(second));
  EXPECT_NE(second->alias, kNoAlias);
  /* only the file sound's own device is closed, not another one of the program's */
  put("kept.wav", waveFile(22050, 16, 500));
  std::string other = "open \"" + path("kept.wav") + "\" alias kept";
  ASSERT_EQ(mciSendStringA(other.c_str(), nullptr, 0, nullptr), 0u);
  soundPlay(first);
  EXPECT_FALSE(soundIsPlaying(second));
  char mode[32] = "";
  EXPECT_EQ(mciSendStringA("status kept mode", mode, sizeof mode, nullptr), 0u) << "closed";
  mciSendStringA("close kept", nullptr, 0, nullptr);
  soundStop(first);
  soundStop(second);
  EXPECT_FALSE(soundIsPlaying(second));
  RuntimeUnlockObject(&first->header);
  RuntimeUnlockObject(&second->header);
}

TEST_F(SoundSinkTest, ASoundFreedWhilePlayingClosesItsDeviceAndWindow) {
  SoundObject *s = open("long.wav", waveFile(22050, 16, 3000));
  soundPlayLooping(s);
  ASSERT_TRUE(soundIsPlaying(s));
  HWND window = s->window;
  char alias[16];
  snprintf(alias, sizeof alias, "%d", (int)s->alias);
  ASSERT_NE(mciGetDeviceIDA(alias), 0u);
  RuntimeUnlockObject(&s->header);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(mciGetDeviceIDA(alias), 0u) << "the device is closed";
  long freed = recorded();
  pumpFor(1000); /* no notification reaches the freed sound */
  EXPECT_LT(heardSince(freed + kMonitorRate * kMonitorFrame).peak, 2000);

  SoundObject *next = open("next.wav", waveFile(22050, 16, 300));
  soundPlay(next);
  EXPECT_TRUE(waitForEnd(next)) << "a later sound still plays and ends";
  RuntimeUnlockObject(&next->header);
}

} // namespace
