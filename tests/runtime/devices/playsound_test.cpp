// Sounds played by runtime.exe under Wine into the sound server's null sink:
// playsound.bas compiled by basc, and an image carrying its sound as a
// project item; their traces, and the tone the sink heard. And notes.bas.
#include "soundfiles.h"
#include "imageprogram.h"
#include "imagerun.h"
#include <cstdlib>

namespace {

class PlaySoundTest : public ImageRunTest {
protected:
  const std::string monitor = SOUND_DIR "/monitor.raw";
  void SetUp() override {
    ImageRunTest::SetUp();
    setenv("PULSE_SERVER", "unix:" SOUND_DIR "/native", 1);
  }
  uintmax_t recorded() { return fs::exists(monitor) ? fs::file_size(monitor) : 0; }
  void compile(const char *program) {
    std::string command = "'" BASC "' -o '" + dir.string() + "' '" PROGRAMS_DIR "/" + program +
                          "' 2>'" + (dir / "basc.err").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << readText(dir / "basc.err");
  }
  Heard heardSince(uintmax_t mark) {
    sleep(1);
    Heard h;
    if (FILE *f = fopen(monitor.c_str(), "rb")) {
      h = heard_in(f, (long)mark);
      fclose(f);
    }
    return h;
  }
};

TEST_F(PlaySoundTest, ProgramPlaysASoundAndWaitsForItsEnd) {
  std::ofstream(dir / "tone.wav", std::ios::binary) << waveFile(22050, 16, 1000);
  std::ofstream(dir / "words.txt") << "only words";
  compile("playsound.bas");
  uintmax_t mark = recorded();

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
  Heard h = heardSince(mark);
  EXPECT_GT(h.peak, 4000) << "the sink heard only silence";
  EXPECT_GT(h.seconds, 0.8) << "the tone lasts a second";
}

// Nothing is heard here (no MIDI device), but the notes reach the runtime
// and a note out of range is an exception the program catches.
TEST_F(PlaySoundTest, ProgramPlaysNotesOnAPlacedNotePlayer) {
  compile("notes.bas");
  EXPECT_EQ(run(RUNTIME_EXE, false).trace, "instrument 19\rnote 128 refused\r");
}

// Project item kind 6: a resource number, then the sound data in line. The
// sound's length comes from the data (a second), not from the number (77).
TEST_F(PlaySoundTest, ImageCarriesASoundThatPlaysForItsOwnLength) {
  using namespace img;
  Program p;
  DataLabel item = p.data.here(), slot;
  p.data.u32(6);
  p.data.u32(77);
  p.data.raw(waveFile(22050, 8, 1000));
  p.data.align(4);
  slot = p.data.here();
  p.data.u32(0);
  ClassDirectory dir;
  ClassDefinition app = defineClass("App", 36, 0);
  app.handlers.push_back({"Open", p.routine([&] {
                            p.code.push(1);
                            p.call("RuntimeProjectObject", 1);
                            p.code.mov(mem(slot), eax);
                            p.code.push(eax);
                            p.call("soundPlay", 1);
                            p.code.push(mem(slot));
                            p.call("soundIsPlaying", 1);
                            p.traceIfTrue("playing");
                            CodeLabel wait = p.code.here();
                            p.code.push(mem(slot));
                            p.call("soundIsPlaying", 1);
                            p.code.test8(al, al);
                            p.code.jcc(Cond::ne, wait);
                            p.trace("ended");
                            p.code.push(mem(slot));
                            p.call("RuntimeUnlockObject", 1);
                          })});
  dir.add_reference("Application");
  dir.add_definition(app);
  dir.add_item(item);
  writeDat(p.link(dir.write(p.data)));
  uintmax_t mark = recorded();
  EXPECT_EQ(run(RUNTIME_EXE, false).trace, "playing\rended\r");
  Heard h = heardSince(mark);
  EXPECT_GT(h.peak, 4000) << "the sink heard only silence";
  EXPECT_GT(h.seconds, 0.8);
  EXPECT_LT(h.seconds, 1.25);
}

} // namespace
