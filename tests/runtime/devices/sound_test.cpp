// Sounds without listening to them: the volume word, the clamped properties
// and the user's volume saved once, the checks on sound data carried in the
// image, files that are no sound or are cut short, and every entry point
// answering quietly whether or not an audio device exists.
#include "soundtest.h"

namespace {

TEST(SoundVolumeTest, VolumeAndPanMakeOneWordRightChannelHigh) {
  struct {
    int32_t volume, pan;
    uint32_t right, left;
  } cases[] = {
      {100, 0, 65535, 65535}, {50, -50, 16383, 32767}, {50, 50, 32767, 16383},
      {100, -100, 0, 65535},  {100, 100, 65535, 0},    {0, 30, 0, 0},
      {1, 0, 655, 655},       {100, -1, 64879, 65535},
  };
  for (auto c : cases)
    EXPECT_EQ(sound_volume_word(c.volume, c.pan), c.right << 16 | c.left)
        << c.volume << " " << c.pan;
}

DWORD gDeviceWord; // the wave volume of a device that takes device numbers

MMRESULT deviceGet(DWORD *word) {
  *word = gDeviceWord;
  return MMSYSERR_NOERROR;
}
MMRESULT deviceSet(DWORD word) {
  gDeviceWord = word;
  return MMSYSERR_NOERROR;
}
MMRESULT noDevice(DWORD *) { return MMSYSERR_BADDEVICEID; }

// Through the wave-volume seam: Wine refuses the device number that the
// platform takes for the default device. A second sound must not save the
// first one's volume as the user's.
TEST_F(SoundTest, VolumeAndPanAreClampedAndTheUsersVolumeIsPutBackAtShutdown) {
  gWaveVolume = {deviceGet, deviceSet};
  gDeviceWord = 0x60005000;
  SoundObject *first = open("first.wav", waveFile(22050, 16, 100));
  EXPECT_EQ(SoundVolumeGetter(first, 0), 100);
  EXPECT_EQ(SoundPanGetter(first, 0), 0);
  EXPECT_EQ(first->alias, kNoAlias);
  SoundVolumeSetter(first, 0, 150);
  SoundPanSetter(first, 0, -300);
  EXPECT_EQ(SoundVolumeGetter(first, 0), 100);
  EXPECT_EQ(SoundPanGetter(first, 0), -100);
  EXPECT_EQ(gDeviceWord, 0x0000FFFFu) << "all left";
  SoundVolumeSetter(first, 0, 50);
  SoundPanSetter(first, 0, -50);
  EXPECT_EQ(gDeviceWord, 16383u << 16 | 32767u);
  SoundObject *second = open("second.wav", waveFile(22050, 16, 100));
  SoundVolumeSetter(second, 0, 20);
  EXPECT_EQ(gDeviceWord, sound_volume_word(20, 0));
  gLoopHooks.shutDownMedia();
  EXPECT_EQ(gDeviceWord, 0x60005000u) << "the volume from before the first sound";

  gWaveVolume.get = noDevice; /* nothing read, nothing put back */
  SoundObject *third = open("third.wav", waveFile(22050, 16, 100));
  SoundVolumeSetter(third, 0, 10);
  gLoopHooks.shutDownMedia();
  EXPECT_EQ(gDeviceWord, sound_volume_word(10, 0));
  for (SoundObject *s : {first, second, third}) RuntimeUnlockObject(&s->header);
}

// The image's sound data: a WAVE file whose own lengths must stay inside the
// data block; anything else gives a sound without samples.
TEST_F(SoundTest, ImageSoundDataIsTakenFromTheFileAndCheckedAgainstTheBlock) {
  std::string good = waveFile(22050, 8, 100);
  uint32_t offset = 0, length = 0;
  ASSERT_TRUE(sound_wave_samples((const uint8_t *)good.data(), good.size(), &offset, &length));
  EXPECT_EQ(offset, 44u);
  EXPECT_EQ(length, 2205u);

  auto patched = [&](size_t at, uint32_t v) {
    std::string w = good;
    memcpy(&w[at], &v, 4);
    return w;
  };
  struct {
    const char *what;
    std::string bytes;
    size_t available;
  } bad[] = {
      {"block ends before the file", good, good.size() - 1},
      {"file length past the block", patched(4, 0x7FFFFFF0), good.size()},
      {"data length past the file", patched(40, 0xFFFFFFF0), good.size()},
      {"fmt length past the file", patched(16, 0xFFFFFFFF), good.size()},
      {"16-bit samples", waveFile(22050, 16, 100), 0},
      {"another rate", waveFile(11025, 8, 100), 0},
      {"no audio", std::string("not a sound at all, only words"), 0},
      {"too short for a header", std::string("RIFF"), 0},
      {"no data chunk", good.substr(0, 36), 0},
  };
  for (auto &b : bad) {
    size_t available = b.available ? b.available : b.bytes.size();
    EXPECT_FALSE(sound_wave_samples((const uint8_t *)b.bytes.data(), available, &offset, &length))
        << b.what;
    SoundObject *s = (SoundObject *)sound_image_new((const uint8_t *)b.bytes.data(), available);
    ASSERT_TRUE(s) << b.what;
    EXPECT_EQ(s->dataLength, 0u) << b.what;
    soundPlay(s); /* plays nothing */
    EXPECT_FALSE(soundIsPlaying(s)) << b.what;
    RuntimeUnlockObject(&s->header);
  }

  SoundObject *s = (SoundObject *)sound_image_new((const uint8_t *)good.data(), good.size());
  EXPECT_EQ(s->dataLength, 2205u);
  EXPECT_EQ(s->data, (const uint8_t *)good.data() + 44);
  EXPECT_EQ(s->alias, kNoAlias);
  EXPECT_EQ(s->volume, 100);
  RuntimeUnlockObject(&s->header);
}

TEST_F(SoundTest, FilesThatAreNoSoundOpenAsNilAndCutShortOnesNeverPlay) {
  put("words.wav", "these are words, not samples");
  put("empty.wav", "");
  Ref words(item("words.wav")), empty(item("empty.wav")), missing(item("missing.wav"));
  EXPECT_EQ(FolderItemOpenSound(words), nullptr);
  EXPECT_EQ(FolderItemOpenSound(empty), nullptr);
  EXPECT_EQ(FolderItemOpenSound(missing), nullptr);

  std::string whole = waveFile(22050, 16, 500);
  for (std::string cut :
       {std::string("RIFF"), whole.substr(0, 30), std::string("RIFF\xff\xff\xff\x7f")}) {
    SoundObject *s = open("cut.wav", cut);
    ASSERT_TRUE(s) << "the first bytes say RIFF";
    soundPlay(s);
    EXPECT_TRUE(waitForEnd(s, 5000));
    soundPlayLooping(s);
    soundStop(s);
    EXPECT_FALSE(soundIsPlaying(s));
    RuntimeUnlockObject(&s->header);
  }
}

// Runs with and without a sound server: whatever the device does, every
// entry point returns and a stopped sound does not play.
TEST_F(SoundTest, EveryEntryPointAnswersWithOrWithoutAnAudioDevice) {
  std::string image = waveFile(22050, 8, 300);
  SoundObject *file = open("tone.wav", waveFile(22050, 16, 300));
  SoundObject *inImage =
      (SoundObject *)sound_image_new((const uint8_t *)image.data(), image.size());
  for (SoundObject *s : {file, inImage}) {
    soundPlay(s);
    SoundVolumeSetter(s, 0, 40);
    SoundPanSetter(s, 0, 60);
    EXPECT_TRUE(waitForEnd(s)) << (s == file ? "file" : "image");
    soundPlayLooping(s);
    pumpFor(100);
    soundStop(s);
    EXPECT_FALSE(soundIsPlaying(s));
    soundStop(s); /* twice */
    soundPlay(s);
  }
  RuntimeUnlockObject(&file->header); /* while they may still play */
  RuntimeUnlockObject(&inImage->header);
  pumpFor(300);
}

} // namespace
