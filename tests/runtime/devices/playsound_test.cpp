// playsound.bas compiled by basc and run by runtime.exe under Wine with the
// sound server's null sink: its trace, and the tone the sink heard.
#include "heard.h"
#include "imagerun.h"
#include <cmath>
#include <cstdlib>

namespace {

// A second of a 440 Hz tone, 16-bit mono at 22,050 per second.
std::string toneFile() {
  const int rate = 22050, frames = rate;
  std::string w = "RIFF";
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; i++) w += char(v >> (8 * i));
  };
  auto u16 = [&](uint16_t v) { w += char(v), w += char(v >> 8); };
  u32(36 + frames * 2);
  w += "WAVEfmt ";
  u32(16), u16(1), u16(1), u32(rate), u32(rate * 2), u16(2), u16(16);
  w += "data";
  u32(frames * 2);
  for (int i = 0; i < frames; i++)
    u16(uint16_t(int16_t(12000 * sin(2 * 3.14159265358979 * 440 * i / rate))));
  return w;
}

class PlaySoundTest : public ImageRunTest {};

TEST_F(PlaySoundTest, ProgramPlaysASoundAndWaitsForItsEnd) {
  const std::string monitor = SOUND_DIR "/monitor.raw";
  setenv("PULSE_SERVER", "unix:" SOUND_DIR "/native", 1);
  std::ofstream(dir / "tone.wav", std::ios::binary) << toneFile();
  std::ofstream(dir / "words.txt") << "only words";
  std::string command = "'" BASC "' -o '" + dir.string() +
                        "' '" PROGRAMS_DIR "/playsound.bas' 2>'" + (dir / "basc.err").string() +
                        "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << readText(dir / "basc.err");
  auto mark = fs::exists(monitor) ? fs::file_size(monitor) : 0;

  // A copy of the runtime beside the files: the program's own folder is
  // where GetFolderItem looks.
  fs::copy_file(RUNTIME_EXE, dir / "runtime.exe");
  Outcome r = run(dir / "runtime.exe", false);
  EXPECT_EQ(r.trace, "volume 100 pan -20\r"
                     "playing\r"
                     "ended after its length\r"
                     "still looping\r"
                     "stopped\r"
                     "words are no sound\r");

  // What the sink heard while the program ran: loud, and at least the tone's
  // second (the loop adds more).
  sleep(1);
  FILE *f = fopen(monitor.c_str(), "rb");
  ASSERT_TRUE(f) << monitor;
  Heard h = heard_in(f, (long)mark);
  fclose(f);
  EXPECT_GT(h.peak, 4000) << "the sink heard only silence";
  EXPECT_GT(h.seconds, 0.8) << "the tone lasts a second";
}

} // namespace
