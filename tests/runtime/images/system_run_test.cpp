// Programs on the System object, the Application, the Line control and the
// plug-in helpers, compiled by basc and run by runtime.exe; each leaves its
// results in trace.log.
#include "imagerun.h"

namespace {

class SystemRunTest : public ImageRunTest {
protected:
  // Compiles the program with the extra sources, then runs it afresh.
  Outcome compileAndRun(const char *program, const std::string &extra = "") {
    std::string command = "'" BASC "' -o '" + dir.string() + "' '" PROGRAMS_DIR "/" + program +
                          "' " + extra + " 2>'" + (dir / "basc.err").string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << readText(dir / "basc.err");
    return run(RUNTIME_EXE, false);
  }
};

TEST_F(SystemRunTest, SystemApplicationAndLineMembersReachTheRuntime) {
  Outcome r = compileAndRun("system.bas");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "gestalt sysv\r"
                     "unknown selector 0\r"
                     "key script kept\r"
                     "off screen black\r"
                     "refused\r"
                     "tips off\r"
                     "no resource fork\r"
                     "line 10,20 150,70 width 2\r");
}

// The plug-in's own trace lines first (from its probe's Open), then its
// listeners hearing the controls the window's Open works: the listener taken
// off again never reports.
TEST_F(SystemRunTest, APluginsHelpersAnswerAndItsListenersHearTheControls) {
  std::ofstream(dir / "plugin.bas") << "Plugin \"" KPHELP_DLL "\"\n";
  Outcome r = compileAndRun("helpers.bas", "'" + (dir / "plugin.bas").string() + "'");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "runtime 1 version 10000\r"
                     "constants 1:255 2:2.5 3:1 4:[say \"hi\"] 0\r"
                     "event 42 same pong nil foreign nil nil nil\r"
                     "interface same nil nil nil\r"
                     "picture 2x1 FF8000 0000FF gworld nil\r"
                     "background 1 00FF00 refused 0 0\r"
                     "performed Check\r"
                     "performed Radio\r"
                     "performed List\r"
                     "done\r");
}

// A plug-in that carries its declarations, used by name: every member of
// its classes, its global methods and its control's method and event bind
// through deferred links to what the plug-in registered.
TEST_F(SystemRunTest, CodeUsesAPluginsDeclaredClassesMethodsAndControls) {
  std::ofstream(dir / "plugin.bas") << "Plugin \"" KPDECL_DLL "\"\n";
  Outcome r = compileAndRun("plugins.bas", "'" + (dir / "plugin.bas").string() + "'");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "count 4 label apples ratio 2.5 total 40\r"
                     "ready\r"
                     "add 7 now:7\r"
                     "filled 7 slot 42 -1\r"
                     "tally 12 t:5\r"
                     "a tally is a counter\r"
                     "twice 42 hello, plug-in\r"
                     "turned to 7\r"
                     "dial level 7\r");
}

} // namespace
