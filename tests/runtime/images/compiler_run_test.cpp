// Programs compiled by basc from tests/runtime/images/programs and run by runtime.exe
// under Wine; each leaves its results in trace.log.
#include "imagerun.h"
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

class CompilerRunTest : public ImageRunTest {
protected:
  // Compiles the program into the scratch folder as development files.
  void compile(const char *program, bool stackCheck) {
    std::string command = "'" BASC "' " + std::string(stackCheck ? "" : "--no-stack-check ") +
                          "-o '" + dir.string() + "' '" PROGRAMS_DIR "/" + program + "' 2>'" +
                          (dir / "basc.err").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << readText(dir / "basc.err");
  }
  // Compiles the program and runs it afresh, without a trace from before.
  Outcome compileAndRun(const char *program, bool stackCheck) {
    fs::remove(dir / "trace.log");
    compile(program, stackCheck);
    return run(RUNTIME_EXE, false);
  }
};

TEST_F(CompilerRunTest, ProgramsWriteTheirResultsToTheTrace) {
  struct {
    const char *program, *trace;
    bool stackCheck = false;
  } cases[] = {
      {"numbers.bas", "wrap -2.147484e+09\r" /* Integer wraps around */
                      "intdiv 3 -3 2 -2\r"
                      "divzero 0 inf -inf nan\r"
                      "single 0.100000001490\r" /* stored as single, widened on load */
                      "floor -3 -0.001 -2\r"
                      "third 1.0000000000000000\r"
                      "prec 46.466 -3.5\r"
                      "pow 1024 sqrt 1.4142136 abs 3\r"
                      "0.1 + 0.2 is not 0.3\r"
                      "toint 7 8\r"
                      "inf is above 1\r"
                      "nan is unordered\r"},
      {"strings.bas", "Hello|World|World|Hell\r"
                      "len 12 instr 8 9\r"
                      "HELLO, WORLD hello, world [x]\r"
                      "compare ok\r"
                      "ABC 1,234.50 12\r"
                      "empty is nil\r"},
      {"control.bas", "10 7 4 1 \r"
                      "zero small medium large huge\r"
                      "while 2187\r"
                      "do 5\r"
                      "until 3\r"
                      "for exit 22 at 5\r"},
      {"classes.bas", "shape with 0 sides\r"
                      "square with 4 sides, area 2.25\r"
                      "a Square is a Shape\r"
                      "a Shape is not a Square\r"
                      "cast back: 1.5\r"
                      "unset is Nil\r"
                      "Nil is no Shape\r"
                      "a circle [a circle] [shape with 0 sides]\r"},
      {"interfaces.bas", "circle 12 rect 24 square 16 \r"
                         "biggest rect named square board\r"
                         "a square is a Shape and a Solid\r"
                         "cast back 4 volume 8\r"
                         "a rect is no Solid\r"
                         "rect to Solid refused\r"
                         "nil shape caught\r"
                         "caught a puzzle\r"
                         "provided <hi> ticked typed\r"},
      {"modules.bas", ">counter 2 >counter 4\r"
                      ">counter 2 >big stride 2\r"
                      ">1.5 >3\r"
                      "calls 6 6\r"
                      "after reset 0 limit 3\r"},
      {"activate.bas", "activated\r"},
      {"ledger.bas", "ledger total: 12.50 made 1\r"
                     "detail tax: 1.25 made 2\r"
                     "after detail made 2\r"},
      {"order.bas", "concat 1 2\r"
                    "args 345\r"
                    "index 10\r"
                    "read 1\r"
                    "compare in order\r"
                    "mixed 12 13 14\r"
                    "dispatched child:1516\r"
                    "held 100x! now 200y\r"},
      {"events.bas", "plain 3\r"
                     "add gives 4\r"
                     "add gives 7\r"
                     "reset\r"
                     "watched 0\r"
                     "capped 9 5 2\r"},
      {"language.bas", "byref 10 hihi 9\r"
                       "property 42 module 8\r"
                       "pow 1024 0.5 -4 64\r"
                       "xor 6\r"},
      {"exceptions.bas",
       "nil object caught two routines up\r"
       "raised code 3\r"
       "outer Try caught code 7\r"
       "done\r",
       true},
      {"dates.bas", "rollover 2003-3-1\r"
                    "1904 1904-1-2 86400\r"
                    "week 1 2 2\r"
                    "parsed 2000-1-2\r"
                    "clocks go forward\r"},
      {"arrays.bas", "fresh 0 0 ubound 4\r"
                     "filled 10 11 12 13 14\r"
                     "edited 5 10 12 13 14 99\r"
                     "total 153\r"
                     "shrunk 5 10 12\r"
                     "regrown 5 10 12 0 0\r"
                     "empty -1\r"
                     "appended 7\r"
                     "sorted [] apple fig pear\r"
                     "flags 00101\r"
                     "grid deep []\r"
                     "grid regrown []\r"
                     "out of bounds caught\r"
                     "out of bounds in dimension 2\r"
                     "dates 29/2 1/3\r"
                     "product 58 64 / 139 154\r"
                     "dimensions 2 bounds 1,2\r"
                     "kept 3 4 9 13\r"
                     "kept flags\r"
                     "module before 2 -1 3\r"
                     "module 3 5 7 7 [12345] 1011 4 2.5\r"
                     "unwound kept123 ccc 1\r"},
      {"words.bas", "words 16 distinct 11 bins 31\r"
                    "and:1 brown:1 dog:2 fox:2 jumps:1 lazy:1 over:1 quick:1 runs:1 sleeps:1 "
                    "the:4 \r"
                    "the removed, 10 left\r"
                    "no cat\r"},
      {"sorting.bas", "sorted 10000 first aaaebq last zzyryt out of order 0\r"},
      {"forward.bas", "named 7 6 abbb six other\r"},
      {"calendar.bas", "May 2026, 31 days in 6 weeks\r"
                       "Su Mo Tu We Th Fr Sa\r"
                       "                1  2\r"
                       " 3  4  5  6  7  8  9\r"
                       "10 11 12 13 14 15 16\r"
                       "17 18 19 20 21 22 23\r"
                       "24 25 26 27 28 29 30\r"
                       "31                  \r"},
      {"variants.bas", "2 numeric 42 | 16 16744448 | 11 True | 5 numeric 2.5\r"
                       "5 numeric 0.25 | 8 hello | 9 | 0\r"
                       "back 43 5 hello 2024\r"
                       "nil is not Null\r"
                       "a nil object stays nil\r"
                       "compare ok\r"
                       "dictionary 4 integer one, double one, abc 2, 7/14\r"
                       "missing key caught\r"
                       "collection 2 2025 7\r"
                       "after index remove 1 31\r"
                       "after key remove 0\r"
                       "bad index caught\r"},
      {"screens.bas", "screens counted\r"
                      "screen 0 at 0,0\r"
                      "outside the list nil\r"
                      "no keys held\r"
                      "no button held\r"},
      {"app.bas", "Open 42\r"}, /* the application's Open handler as the body */
      {"dragitems.bas", "new FFF\r"
                        "first first one secret F\r"
                        "second F []\r"
                        "file T notes.txt F\r"
                        "drop 0,0\r"},
      {"timers.bas", "new timer 0 1\r"
                     "placed fired, mode 0\r"
                     "tick 1\r"
                     "tick 2\r"
                     "tick 3\r"},
      {"valuebars.bas", "bar 0 5 50 1 20\r"
                        "knob 100 24x120\r"
                        "bar changed 7\r"
                        "knob changed 60\r"
                        "done 69000 of 70000\r"
                        "choice changed 1\r"
                        "choice 4 RED blue 42\r"
                        "row 4 caught\r"
                        "emptied 0 -1\r"},
  };
  for (auto &c : cases) {
    Outcome r = compileAndRun(c.program, c.stackCheck);
    EXPECT_EQ(r.exitCode, 0) << c.program;
    EXPECT_EQ(r.trace, c.trace) << c.program;
  }
}

// A picture, a sound and a movie carried in the image, reached by name: from the
// development files (data3.dat) and from an executable packed with its
// resource block.
TEST_F(CompilerRunTest, CarriedPictureSoundAndMovieAreReachedByName) {
  const char *trace = "logo 5 x 3\rchime carried\rchime volume 50\rclip 16 x 8\r";
  Outcome loose = compileAndRun("media.bas", true);
  EXPECT_EQ(loose.exitCode, 0);
  EXPECT_EQ(loose.trace, trace);

  fs::remove(dir / "data3.dat");
  fs::remove(dir / "trace.log");
  std::string command = "'" BASC "' --image '" + (dir / "app.img").string() +
                        "' '" PROGRAMS_DIR "/media.bas' && '" PACKER "' pack '" RUNTIME_EXE "' '" +
                        (dir / "app.img").string() + "' '" + (dir / "app.exe").string() +
                        "' --resources '" + (dir / "app.img.data3").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  Outcome packed = run(dir / "app.exe", false);
  EXPECT_EQ(packed.exitCode, 0);
  EXPECT_EQ(packed.trace, trace);
}

// The temporary copies of carried movies in the Wine prefix's temporary
// folders.
int movieCopies() {
  const char *state = std::getenv("MORVINT_WINE_STATE");
  fs::path users = fs::path(state ? state : fs::path(WINE_RUN).parent_path() / "../build/wine") /
                   "prefix/drive_c/users";
  std::error_code error;
  int count = 0;
  for (auto it = fs::recursive_directory_iterator(users, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.rfind("mov", 0) == 0 && it->path().extension() == ".tmp") count++;
  }
  return count;
}

// Project items of every kind the runtime makes, reached by name from the
// application's Open handler (which runs while the runtime opens the
// application), from a class's constructor and from Main; a carried movie's
// frame count and duration read before anything else measured it.
TEST_F(CompilerRunTest, ProjectItemsAreReachedByNameFromStartUp) {
  int copies = movieCopies();
  Outcome r = compileAndRun("items.bas", true);
  EXPECT_EQ(movieCopies(), copies); /* the movie's copy went at shutdown */
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "open 1 2 200\r"
                     "Carried notice 3 2\r"
                     "notice [Carried notice, line one.] 36\r"
                     "table 8 3 255 201080FF\r"
                     "window cursor set\r"
                     "clip 2 frames 200 ms\r");
}

// Whether the runtime builds every one of these entries yet.
bool built(std::initializer_list<const char *> entries) {
  std::ifstream in(ENTRIES_DEF);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char *e : entries)
    if (text.find(std::string("\nUNBUILT(") + e + ")") != std::string::npos) return false;
  return !text.empty();
}

// Lines, shapes, a polygon from an array and text drawn into a picture,
// read back pixel by pixel.
TEST_F(CompilerRunTest, DrawingProgramReadsBackWhatItDrew) {
  if (!built({"RuntimeGraphicsDrawLine", "graphicsFillPolygon", "RuntimeGraphicsDrawString",
              "graphicsPixelGetter", "graphicsPixelSetter", "rgbSurfaceGetPixel",
              "pictureRGBSurfaceGetter", "RuntimeRGB", "readColorRed"}))
    GTEST_SKIP() << "the drawing entries are not all built yet";
  Outcome r = compileAndRun("drawing.bas", false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "line FF0000 FF0000 FFFFFF FFFFFF\r"
                     "shapes 8000 8000 FFFFFF\r"
                     "polygon FF FFFFFF\r"
                     "text above its baseline\r"
                     "parts 18 52 86\r");
}

// A hierarchical list filled, styled, sorted through CompareRows, selected in
// runs and opened and closed folder by folder, read back through the trace.
TEST_F(CompilerRunTest, ListboxProgramTracesRowsSortsSelectionsAndFolders) {
  if (!built({"RuntimeListAddRow", "RuntimeListAddParent", "listSetCell", "RuntimeListResort",
              "listSetExpanded", "listSetSelected", "listColumnSortDirectionSetter"}))
    GTEST_SKIP() << "the list entries are not all built yet";
  Outcome r = compileAndRun("listbox.bas", true);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "columns 3 50%,, 02\r"
                     "headings Name 1 at most 63\r"
                     "cell []\r"
                     "styles x TFTTTF 20331 picture 8\r"
                     "by count fig pear apple compared T\r"
                     "descending apple pear fig\r"
                     "unsorted apple pear fig\r"
                     "by name apple fig pear sort events 1 1 0\r"
                     "runs 3 2\r"
                     "split 2 2 FT\r"
                     "change 1\r"
                     "one 1 fig\r"
                     "change -1\r"
                     "opened apple fig pear kiwi lime box nail inner screw zinc TF open box "
                     "open inner\r"
                     "groups apple box nail inner screw fig kiwi lime pear zinc\r"
                     "closed apple box fig kiwi lime pear zinc close box\r"
                     "insert 0\r"
                     "append 8 of 9\r"
                     "change 0\r"
                     "edited APPLE! APPLE!\r"
                     "row caught\r"
                     "column caught\r"
                     "emptied 0 -1\r");
}

// A binary record built in a memory block and read back field by field, and a
// write past its end caught as OutOfBoundsException with nothing written.
TEST_F(CompilerRunTest, MemoryBlockProgramBuildsAndReadsARecord) {
  Outcome r = compileAndRun("memoryblock.bas", false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "size 32 tag -2 65534\r"
                     "count 100000 depth 2.5 colour 102030\r"
                     "flag 1 pad 0\r"
                     "name [pile] note [mud] 3\r"
                     "past the end caught, last byte 0\r");
}

// A Japanese sample converted from the application's code page into four
// encodings and back, each form guessed, a converter fed a character in two
// pieces, an unknown name and an invalid byte.
TEST_F(CompilerRunTest, EncodingsProgramConvertsGuessesAndCarries) {
  Outcome r = compileAndRun("encodings.bas", false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "UTF-8 65001 E697A5E69CACE381AEE382ABE3838AEFBDB6EFBE8541EFBC91 same "
                     "guess 65001\r"
                     "EUC-JP 20932 C6FCCBDCA4CEA5ABA5CA8EB68EC541A3B1 same guess 20932\r"
                     "ISO-2022-JP 50220 1B2442467C4B5C244E252B254A252B254A1B2842411B244223311B2842 "
                     "changed guess 50220\r"
                     "UTF-16LE 1200 E5652C676E30AB30CA3076FF85FF410011FF same guess 1200\r"
                     "split 41 93FA\r"
                     "cleared 93FA\r"
                     "unknown name nil\r"
                     "invalid 613F62\r");
}

// A Shift-JIS file converted to UTF-8 and written, read back, guessed and
// converted back byte for byte, then read again line by line.
TEST_F(CompilerRunTest, ShiftJisToUtf8ProgramConvertsAFileAndBack) {
  Outcome r = compileAndRun("sjisutf8.bas", false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "sizes 21 29\r"
                     "guess UTF-8\r"
                     "round trip same\r"
                     "line 1 matches\r"
                     "line 2 matches\r");
}

// A CSV file written, then read line by line, split into fields and totalled.
TEST_F(CompilerRunTest, CsvProgramTotalsTheRowsAndSkipsABrokenOne) {
  Outcome r = compileAndRun("csv.bas", false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "columns 3 count\r"
                     "skipped [broken line]\r"
                     "rows 3 total 495 value 63.75\r");
}

// A file of every byte value copied in 4 KB blocks through BinaryStreams and
// compared with its original.
TEST_F(CompilerRunTest, FileCopyProgramCopiesEveryByte) {
  Outcome r = compileAndRun("filecopy.bas", false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "blocks 3 length 9988\r"
                     "last number 654321\r"
                     "same bytes\r");
}

// A folder tree made in the temporary folder, walked through Count and Item,
// copied (never into itself), a refused and an accepted rename, dates, and
// everything removed again.
TEST_F(CompilerRunTest, FolderProgramWalksTheTreeItMade) {
  Outcome r = compileAndRun("folders.bas", false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "walk 10 bytes in 2 entries\r"
                     "copy 10 bytes\r"
                     "not copied into itself\r"
                     "rename refused: top.txt\r"
                     "renamed renamed.txt 5\r"
                     "dated\r"
                     "missing has no date\r"
                     "no wildcards\r"
                     "read abc\r"
                     "removed\r");
}

} // namespace
