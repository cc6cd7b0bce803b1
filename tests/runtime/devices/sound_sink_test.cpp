// Sounds heard by the sound server's null sink: a file sound and an image
// sound recorded for their length, a loop until Stop and silence after it,
// one file sound at a time, a sound freed while it plays, and the user's
// wave volume saved once and put back at shutdown.
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

TEST_F(SoundSinkTest, AFileSoundIsHeardForItsLength) {
  SoundObject *s = open("tone.wav", waveFile(22050, 16, 1000));
  long mark = recorded();
  soundPlay(s);
  EXPECT_TRUE(soundIsPlaying(s));
  EXPECT_TRUE(waitForEnd(s));
  Heard h = heardSince(mark);
  EXPECT_GT(h.peak, 8000) << "not silence";
  EXPECT_GT(h.seconds, 0.8);
  EXPECT_LT(h.seconds, 1.8);
  RuntimeUnlockObject(&s->header);
}

TEST_F(SoundSinkTest, AnImageSoundIsHeardForItsLength) {
  std::string data = waveFile(22050, 8, 700);
  SoundObject *s = (SoundObject *)sound_image_new((const uint8_t *)data.data(), data.size());
  long mark = recorded();
  soundPlay(s);
  EXPECT_TRUE(soundIsPlaying(s));
  EXPECT_TRUE(waitForEnd(s));
  Heard h = heardSince(mark);
  EXPECT_GT(h.peak, 8000) << "not silence";
  EXPECT_GT(h.seconds, 0.5);
  EXPECT_LT(h.seconds, 1.5);
  RuntimeUnlockObject(&s->header);
}

TEST_F(SoundSinkTest, ALoopingSoundRepeatsUntilStoppedAndIsSilentAfter) {
  std::string data = waveFile(22050, 8, 300);
  SoundObject *file = open("short.wav", waveFile(22050, 16, 300));
  SoundObject *inImage = (SoundObject *)sound_image_new((const uint8_t *)data.data(), data.size());
  for (SoundObject *s : {file, inImage}) {
    long mark = recorded();
    soundPlayLooping(s);
    pumpFor(1500);
    EXPECT_TRUE(soundIsPlaying(s)) << "still looping after five lengths";
    soundStop(s);
    EXPECT_FALSE(soundIsPlaying(s));
    EXPECT_GT(heardSince(mark).seconds, 1.0) << (s == file ? "file" : "image");
    long stopped = recorded();
    pumpFor(1000);
    EXPECT_FALSE(soundIsPlaying(s));
    EXPECT_LT(heardSince(stopped + 44100 * 4 / 2).peak, 2000) << "silent after Stop";
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
  EXPECT_LT(heardSince(freed + 44100 * 4 / 2).peak, 2000);

  SoundObject *next = open("next.wav", waveFile(22050, 16, 300));
  soundPlay(next);
  EXPECT_TRUE(waitForEnd(next)) << "a later sound still plays and ends";
  RuntimeUnlockObject(&next->header);
}

static DWORD deviceVolume() {
  DWORD v = 0;
  return waveOutGetVolume((HWAVEOUT)0, &v) == MMSYSERR_NOERROR ? v : 0xDEADBEEF;
}
static bool sameVolume(DWORD a, DWORD b) {
  return abs(int(a & 0xFFFF) - int(b & 0xFFFF)) <= 1 && abs(int(a >> 16) - int(b >> 16)) <= 1;
}

TEST_F(SoundSinkTest, TheUsersVolumeIsSavedOnceAndPutBackAtShutdown) {
  const DWORD users = 0x60005000;
  ASSERT_EQ(waveOutSetVolume((HWAVEOUT)0, users), (MMRESULT)MMSYSERR_NOERROR);
  ASSERT_TRUE(sameVolume(deviceVolume(), users));
  SoundObject *first = open("first.wav", waveFile(22050, 16, 100));
  SoundVolumeSetter(first, 0, 50);
  EXPECT_TRUE(sameVolume(deviceVolume(), sound_volume_word(50, 0))) << std::hex << deviceVolume();
  SoundObject *second = open("second.wav", waveFile(22050, 16, 100));
  SoundPanSetter(second, 0, -50);
  EXPECT_TRUE(sameVolume(deviceVolume(), sound_volume_word(100, -50)))
      << std::hex << deviceVolume();
  gLoopHooks.shutDownMedia();
  EXPECT_TRUE(sameVolume(deviceVolume(), users)) << std::hex << deviceVolume();
  RuntimeUnlockObject(&first->header);
  RuntimeUnlockObject(&second->header);
}

} // namespace
