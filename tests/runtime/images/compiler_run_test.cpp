// Programs compiled by basc from tests/runtime/images/programs and run by runtime.exe
// under Wine; each leaves its results in trace.log.
#include "imagerun.h"

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
      {"events.bas", "plain 3\r"
                     "add gives 4\r"
                     "add gives 7\r"
                     "reset\r"
                     "watched 0\r"},
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
      {"app.bas", "Open 42\r"}, /* the application's Open handler as the body */
  };
  for (auto &c : cases) {
    fs::remove(dir / "trace.log");
    compile(c.program, c.stackCheck);
    Outcome r = run(RUNTIME_EXE, false);
    EXPECT_EQ(r.exitCode, 0) << c.program;
    EXPECT_EQ(r.trace, c.trace) << c.program;
  }
}

} // namespace
