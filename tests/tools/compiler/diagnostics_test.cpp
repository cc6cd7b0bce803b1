// Diagnostics a user can act on, warnings, and sources built to break the
// compiler: each gives its message at its exact place, or compiles.
#include "compile.h"
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace basc;

namespace {

CompileResult build(const std::string &text,
                    CompileOptions::Warnings warnings = CompileOptions::Warnings::Report) {
  CompileOptions o;
  o.warnings = warnings;
  return compile({{"t.bas", text}}, o);
}

struct Case {
  const char *source, *where, *message;
};

// Each source fails with exactly "t.bas:<where>: error: <message>" (the
// message whole, so that the hint is checked too) and leaves no image.
void expect_errors(const std::vector<Case> &cases) {
  for (const Case &c : cases) {
    CompileResult r = build(c.source);
    std::string shown = std::string(c.source).substr(0, 300);
    EXPECT_FALSE(r.ok) << shown;
    EXPECT_EQ(r.error, std::string("t.bas:") + c.where + ": error: " + c.message) << shown;
    EXPECT_TRUE(r.image.code1.empty());
  }
}

TEST(Diagnostics, NameTheConstructAndTheLikelyFix) {
  expect_errors({
      {"Sub Main()\n  Dim a(3)\nEnd Sub\n", "2:11",
       "`Dim a(3)`: arrays need a type \u2014 `Dim a(3) As Integer`"},
      {"Sub Main()\n  Dim x, y\nEnd Sub\n", "2:11",
       "`Dim x, y`: a variable needs a type \u2014 `Dim x, y As Integer`"},
      {"Sub Main()\n  Dim s String\nEnd Sub\n", "2:9",
       "`Dim s String`: the type needs As before it \u2014 `Dim s As String`"},
      {"Sub Main()\n  Dim x As Integer\n  If x == 1 Then\n  End If\nEnd Sub\n", "3:8",
       "'==' is not an operator; compare with a single '=' (If a = b Then)"},
      {"Sub Main()\n  Dim x As Integer\n  x == 1\nEnd Sub\n", "3:5",
       "'==' is not an operator; compare with a single '=' (If a = b Then)"},
      {"Sub Main()\n  If 1 != 2 Then\n  End If\nEnd Sub\n", "2:8",
       "'!=' is not an operator; write '<>' for not equal"},
      {"Sub Main()\n  If True && False Then\n  End If\nEnd Sub\n", "2:11",
       "'&&' is not an operator; write And"},
      {"Sub Main()\n  Dim x As Integer\n  If x = 1\n  End If\nEnd Sub\n", "3:11",
       "missing 'Then' after the condition (If condition Then)"},
      {"Sub Main()\n  If True Then\n  ElseIf False\n  End If\nEnd Sub\n", "3:15",
       "missing 'Then' after the condition (If condition Then)"},
      {"Sub Main()\n  Dim x As Integer\n  x + 1\nEnd Sub\n", "3:3",
       "this line computes a value and does nothing with it; assign it to something (x = ...) "
       "or call a method"},
      {"Sub Main()\n  Dim x As Integer\n  x\nEnd Sub\n", "3:3",
       "the variable alone is not a statement; assign it to something (x = ...), or call a "
       "method"},
      {"Sub Main()\n  \"text\"\nEnd Sub\n", "2:3",
       "a value alone is not a statement; assign it to something (x = ...) or pass it to a "
       "method"},
      {"Sub S()\nEnd Sub\nSub Main()\n  Dim x As Integer = S()\nEnd Sub\n", "4:23",
       "S is a Sub and gives no value; call it on a line of its own, or make it a Function "
       "with a result (Function S(...) As Integer) that Returns one"},
      {"Sub S()\nEnd Sub\nSub Main()\n  If S Then\n  End If\nEnd Sub\n", "4:6",
       "S is a Sub and gives no value; call it on a line of its own, or make it a Function "
       "with a result (Function S(...) As Integer) that Returns one"},
      {"Sub Main()\n  Dim d As New Dictionary\n  LineTrace Str(1 + d.Clear)\nEnd Sub\n", "3:22",
       "Clear gives no value; call it on a line of its own"},
  });
}

// A block left open is named with the line it began on, wherever the
// parser notices: at another block's end or at the end of the file.
TEST(Diagnostics, ABlockLeftOpenNamesTheLineItBeganOn) {
  expect_errors({
      {"Sub Main()\n  If True Then\n    Beep\nEnd Sub\n", "4:1",
       "missing 'End If' for the If on line 2 before 'End Sub'"},
      {"Sub Main()\n  Dim i As Integer\n  For i = 1 To 3\n    If i = 2 Then\n  Next\nEnd Sub\n",
       "5:3", "missing 'End If' for the If on line 4 before 'Next'"},
      {"Sub Main()\n  Dim i As Integer\n  For i = 1 To 3\n    Beep\n", "5:1",
       "missing 'Next' for the For on line 3 before the end of the file"},
      {"Sub Main()\n  While True\n    Beep\nEnd Sub\n", "4:1",
       "missing 'Wend' for the While on line 2 before 'End Sub'"},
      {"Sub Main()\n  Select Case 1\n  Case 1\n    Do\n  Case 2\n  End Select\nEnd Sub\n", "5:3",
       "missing 'Loop' for the Do on line 4 before 'Case'"},
      {"Sub Main()\n  Try\n    Beep\n  Catch\n    Beep\nEnd Sub\n", "6:1",
       "missing 'End Try' for the Try on line 2 before 'End Sub'"},
      {"Function F() As Integer\n  Return 1\nEnd Sub\n", "3:1",
       "missing 'End Function' for the Function on line 1 before 'End Sub'"},
      {"Class C\n  Sub M()\n    Beep\nEnd Class\n", "4:1",
       "missing 'End Sub' for the Sub on line 2 before 'End Class'"},
      {"Sub Main()\n  Next\nEnd Sub\n", "2:3", "'Next' without a For"},
      {"Sub Main()\n  Beep\n  End If\nEnd Sub\n", "3:3", "'End If' without an If"},
  });
}

TEST(Diagnostics, AnUnknownNameCloseToAKnownOneIsOffered) {
  expect_errors({
      {"Sub Main()\n  Dim count As Integer\n  LineTrace Str(cuont)\nEnd Sub\n", "3:17",
       "unknown name 'cuont'; did you mean count?"},
      {"Sub Show(total As Integer)\n  LineTrace Str(totl)\nEnd Sub\n", "2:17",
       "unknown name 'totl'; did you mean total?"},
      {"Class C\n  Property Count As Integer\nEnd Class\nSub Main()\n  Dim c As New C\n"
       "  c.Cont = 1\nEnd Sub\n",
       "6:4", "C has no member Cont; did you mean Count?"},
      {"Class C\n  Sub Bump()\n  End Sub\nEnd Class\nSub Main()\n  Dim c As New C\n"
       "  c.Bmup()\nEnd Sub\n",
       "7:9", "C has no member Bmup; did you mean Bump?"},
      {"Class C\n  Property Count As Integer\n  Sub M()\n    Coutn = 2\n  End Sub\nEnd Class\n",
       "4:5", "unknown name 'Coutn'; did you mean Count?"},
      {"Sub Main()\n  LineTrace Lft(\"abc\", 1)\nEnd Sub\n", "2:16",
       "unknown name 'Lft'; did you mean Left?"},
      {"Sub Main()\n  Dim d As Dictonary\nEnd Sub\n", "2:12",
       "unknown type 'Dictonary'; did you mean Dictionary?"},
      {"Class Shape\nEnd Class\nClass Box Inherits Shap\nEnd Class\n", "3:20",
       "unknown class 'Shap'; did you mean Shape?"},
      {"Sub Main()\n  Dim d As New Dictionary\n  d.Clera\nEnd Sub\n", "3:4",
       "Dictionary has no member Clera; did you mean Clear?"},
      /* nothing near enough: no guess */
      {"Sub Main()\n  LineTrace Str(zzqq)\nEnd Sub\n", "2:17", "unknown name 'zzqq'"},
  });
}

// file:line:col: warning: ... for each, in source order within a routine;
// the compilation still succeeds unless warnings are made errors.
TEST(Diagnostics, WarningsForUnusedLocalsAndUnreachableCode) {
  const char *source = "Function F(b As Boolean) As Integer\n" // 1
                       "  Dim unused As String\n"              // 2
                       "  Dim used As Integer\n"               // 3
                       "  Dim written As Integer\n"            // 4
                       "  written = 3\n"                       // 5
                       "  If b Then\n"                         // 6
                       "    Return 1\n"                        // 7
                       "    used = 2\n"                        // 8
                       "  ElseIf used > 1 Then\n"              // 9
                       "    Raise New RuntimeException\n"      // 10
                       "  Else\n"                              // 11
                       "    Select Case used\n"                // 12
                       "    Case 1\n"                          // 13
                       "      Return 2\n"                      // 14
                       "    Case Else\n"                       // 15
                       "      Return 3\n"                      // 16
                       "    End Select\n"                      // 17
                       "  End If\n"                            // 18
                       "  Return used\n"                       // 19
                       "End Function\n"                        // 20
                       "Sub Main()\n"                          // 21
                       "  Dim w As Window = New Window\n"      // 22: making it may be the point
                       "  Dim i As Integer\n"                  // 23
                       "  For i = 1 To 3\n"                    // 24
                       "    If i = 2 Then Exit For\n"          // 25: one-line If, no Else: goes on
                       "    LineTrace Str(F(True))\n"          // 26
                       "  Next\n"                              // 27
                       "  Try\n"                               // 28
                       "    Quit\n"                            // 29: Quit may return
                       "    LineTrace \"still here\"\n"        // 30
                       "  Catch\n"                             // 31
                       "  End Try\n"                           // 32
                       "End Sub\n";
  CompileResult r = build(source);
  ASSERT_TRUE(r.ok) << r.error;
  std::vector<std::string> want = {
      "t.bas:2:7: warning: local variable unused is declared but never read",
      "t.bas:4:7: warning: local variable written is declared but never read",
      "t.bas:8:5: warning: unreachable code: this statement follows a Return (line 7)",
      "t.bas:19:3: warning: unreachable code: this statement follows an If whose every branch "
      "leaves (line 6)",
  };
  EXPECT_EQ(r.warnings, want);
  EXPECT_TRUE(build(source, CompileOptions::Warnings::Off).warnings.empty());
  CompileResult strict = build(source, CompileOptions::Warnings::Errors);
  EXPECT_FALSE(strict.ok);
  EXPECT_TRUE(strict.image.code1.empty());
  EXPECT_EQ(strict.error.rfind("t.bas:2:7: error: local variable unused", 0), 0u) << strict.error;
  EXPECT_NE(strict.error.find("\nt.bas:19:3: error: unreachable code"), std::string::npos);
}

// Deep nesting, long chains, huge lines and stray bytes: a diagnostic with
// its position, or an image, never a crash.
TEST(Diagnostics, HostileSourcesGiveADiagnosticNotACrash) {
  const std::string open = "Sub Main()\n  Dim x As Integer = ";
  const std::string close = "\n  LineTrace Str(x)\nEnd Sub\n";
  auto repeat = [](const std::string &s, int n) {
    std::string out;
    for (int i = 0; i < n; i++) out += s;
    return out;
  };
  std::string deep = "nesting is too deep (limit 200 blocks, parentheses and unary operators in "
                     "all); move inner parts into a Function or a variable";
  std::string chain = "expression nested too deeply (limit 1000 operators in a chain); split it "
                      "with a variable";
  expect_errors({
      {(open + repeat("(", 10000) + "1" + repeat(")", 10000) + close).c_str(), "2:221",
       deep.c_str()},
      {(open + repeat("- ", 10000) + "1" + close).c_str(), "2:418", deep.c_str()},
      {("Sub Main()\n  Dim b As Boolean = " + repeat("Not ", 10000) + "True\nEnd Sub\n").c_str(),
       "2:814", deep.c_str()},
      {(open + "1" + repeat(" + 1", 10000) + close).c_str(), "2:4020", chain.c_str()},
      {("Sub Main()\n  LineTrace \"a\"" + repeat(" & \"b\"", 10000) + "\nEnd Sub\n").c_str(),
       "2:6011", chain.c_str()},
      {("Sub Main()\n" + repeat("If True Then\n", 10000) + repeat("End If\n", 10000) + "End Sub\n")
           .c_str(),
       "201:4", deep.c_str()},
  });
  CompileResult nul = build(std::string("Sub Main()\n  LineTrace \"a\"\0\nEnd Sub\n", 34));
  EXPECT_EQ(nul.error, "t.bas:2:16: error: unexpected byte 0x00");
  CompileResult invalid = build("Sub Main()\n  \xFF\xFE x\nEnd Sub\n");
  EXPECT_EQ(invalid.error, "t.bas:2:3: error: unexpected byte 0xFF");
  /* just under the limits, and a line of megabytes, compile */
  EXPECT_TRUE(build(open + "1" + repeat(" + 1", 998) + close).ok);
  EXPECT_TRUE(build(open + repeat("(", 150) + "1" + repeat(")", 150) + close).ok);
  CompileResult wide = build("Sub Main()\n  LineTrace \"" + std::string(4 << 20, 'x') + "\" ' " +
                             std::string(4 << 20, 'y') + "\nEnd Sub\n");
  EXPECT_TRUE(wide.ok) << wide.error;
}

// Warnings go to standard error with the exit code unchanged; -w drops
// them; --warnings-as-errors fails the compilation and writes nothing.
TEST(Diagnostics, CommandLineWarningOptions) {
  std::string dir = testing::TempDir() + "basc-warnings";
  std::string prepare = "rm -rf '" + dir + "' && mkdir -p '" + dir + "' && cd '" + dir +
                        "' && printf 'Sub Main()\\n  Dim x As Integer\\nEnd Sub\\n' > w.bas";
  ASSERT_EQ(std::system(prepare.c_str()), 0);
  auto run = [&](const std::string &options, std::string *err) {
    std::string command =
        "cd '" + dir + "' && rm -f code1.dat && '" BASC "' " + options + " w.bas 2>err.txt";
    int status = std::system(command.c_str());
    std::ifstream in(dir + "/err.txt");
    err->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  std::string err;
  EXPECT_EQ(run("", &err), 0);
  EXPECT_EQ(err, "w.bas:2:7: warning: local variable x is declared but never read\n");
  EXPECT_TRUE(std::ifstream(dir + "/code1.dat").good());
  EXPECT_EQ(run("-w", &err), 0);
  EXPECT_EQ(err, "");
  EXPECT_EQ(run("--warnings-as-errors", &err), 1);
  EXPECT_EQ(err, "w.bas:2:7: error: local variable x is declared but never read\n");
  EXPECT_FALSE(std::ifstream(dir + "/code1.dat").good());
  std::string command = "'" BASC "' --help", help; /* on standard output */
  FILE *out = popen(command.c_str(), "r");
  ASSERT_NE(out, nullptr);
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, out)) > 0;) help.append(buffer, n);
  pclose(out);
  for (const char *word : {"-w, --no-warnings", "--warnings-as-errors", "warning: ..."})
    EXPECT_NE(help.find(word), std::string::npos) << word << " missing from:\n" << help;
}

} // namespace
