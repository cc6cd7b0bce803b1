// The front end through compile(): every malformed source gives one
// diagnostic at the right place and no image, and nothing crashes it.
#include "compile.h"
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <regex>
#include <sys/wait.h>

using namespace basc;

namespace {

CompileResult build(const std::string &text) {
  CompileOptions o;
  return compile({{"t.bas", text}}, o);
}

// The source fails with one diagnostic that starts "t.bas:<where>: error: "
// and says `message`, and leaves no image.
void expect_diagnostic(const std::string &source, const char *where, const char *message) {
  CompileResult r = build(source);
  EXPECT_FALSE(r.ok) << source;
  EXPECT_EQ(r.error.rfind(std::string("t.bas:") + where + ": error: ", 0), 0u) << source << "\n"
                                                                               << r.error;
  EXPECT_NE(r.error.find(message), std::string::npos) << r.error;
  EXPECT_TRUE(r.image.code1.empty());
}

TEST(Frontend, MalformedSourcesAreReportedWhereTheyGoWrong) {
  struct {
    const char *source, *where, *message;
  } cases[] = {
      {"Sub Main()\n  Dim x As Integer\n  x = \"a\n", "3:7", "unterminated string literal"},
      {"Sub Main()\n  x = 1\nEnd Sub\n", "2:3", "unknown name 'x'"},
      {"Database D = \"..\\\\up.db\"\n", "1:14", "without a folder"},
      {"Database D = \"d.db\" From \"missing.db\"\n", "1:26", "cannot read database"},
      {"Sub Main()\n  Dim x As Integer = \"a\"\nEnd Sub\n", "2:22", "must be Integer, not String"},
      {"Sub Main()\n  LineTrace 1\nEnd Sub\n", "2:13", "must be String, not Integer"},
      {"Sub Main()\n  If 1 Then LineTrace \"a\"\nEnd Sub\n", "2:6", "condition must be Boolean"},
      {"Sub Main()\n  Dim x As Integer\n", "3:1", "missing 'End Sub' for the Sub on line 1"},
      {"Class A\n  Property P As Integer\n", "1:7", "missing 'End Class'"},
      {"Class A Inherits Nowhere\nEnd Class\n", "1:18", "unknown class 'Nowhere'"},
      {"Class A\nEnd Class\nClass a\nEnd Class\n", "3:7", "already defined"},
      {"Sub Main()\n  Exit For\nEnd Sub\n", "2:3", "Exit outside a loop"},
      {"Sub Main()\n  Return 1\nEnd Sub\n", "2:10", "returns no value"},
      {"Function F() As Integer\n  Return\nEnd Function\n", "2:3", "Return needs a value"},
      {"Sub Main()\n  Dim i As Integer = 2147483648\nEnd Sub\n", "2:22", "out of range"},
      {"Sub Main()\n  Dim i As Integer = 99999999999\nEnd Sub\n", "2:22", "out of range"},
      {"Sub Main()\n  Dim s As String = Left(\"a\")\nEnd Sub\n", "2:25",
       "wrong number of arguments"},
      {"Sub Main()\n  Dim d As Double = 1 @ 2\nEnd Sub\n", "2:23", "unexpected character '@'"},
      {"Sub Main()\n  LineTrace \"\xF0\x9F\x98\x80\"\nEnd Sub\n", "2:14", "code page 932 lacks"},
      {"Sub Main()\n  Dim d As Integer\n  Dim d As Integer\nEnd Sub\n", "3:3", "declared twice"},
      {"Class A Inherits Application\n  Handler Opn()\n  End Handler\nEnd Class\n", "2:3",
       "has no event Opn"},
      {"Class A Inherits Application\n  Handler OpenDocument()\n  End Handler\nEnd Class\n", "2:3",
       "takes 1 parameter(s): item As FolderItem"},
      {"Window W\n  Titel = \"x\"\nEnd Window\n", "2:3", "Window has no property Titel"},
      {"Window W\n  Control B As PushButton\n    Caption = 3\n  End Control\nEnd Window\n", "3:15",
       "property Caption is String"},
      {"Window W\n  Handler B.Action()\n  End Handler\nEnd Window\n", "2:3", "has no control B"},
      {"Window W\n  Control B As Nothing\n  End Control\nEnd Window\n", "2:16",
       "unknown control class 'Nothing'"},
      {"Window W\n  Control D As Date\n  End Control\nEnd Window\n", "2:16",
       "Date is not a control class"},
      {"Window W\n  Control T(0) As Timer\n  End Control\nEnd Window\n", "2:11",
       "cannot be an element of a control array"},
      {"Window W\n  Control P(0) As Serial\n  End Control\nEnd Window\n", "2:11",
       "a Serial cannot be an element of a control array"},
      {"Window W\n  Control D As Dictionary\n  End Control\nEnd Window\n", "2:16",
       "Dictionary is not a control class"},
      {"Sub Main()\n  Raise 3\nEnd Sub\n", "2:9", "Raise needs a RuntimeException"},
      {"Sub Main()\n  Try\n    LineTrace \"a\"\n  End Try\nEnd Sub\n", "2:3",
       "needs at least one Catch"},
      {"Sub Main()\n  Dim o As Object = New Window\nEnd Sub\n", "", ""}, /* allowed */
      {"Sub Main()\n  Self.X = 1\nEnd Sub\n", "2:3", "Self is only available"},
      {"Sub Main()\n  Dim s As String\n  s.Foo = 1\nEnd Sub\n", "3:4",
       "String value has no member"},
      {"Project\n  Colour = 3\nEnd Project\n", "2:3", "unknown project setting"},
      {"Sub Main()\n  LineTrace \"a\" \"b\"\nEnd Sub\n", "2:17", "expected end of line"},
      {"End Sub\n", "1:1", "expected Class, Window, Interface, Sub"},
      {"Sub Main()\n  Dim x As Integer = 1 +\nEnd Sub\n", "2:25", "expected an expression"},
      {"Class A\n  Sub M(x As Integer)\n  End Sub\nEnd Class\nClass B Inherits A\n"
       "  Sub M(x As Double)\n  End Sub\nEnd Class\n",
       "6:3", "must keep the parameters and result of A.M"},
      {"Class A\n  Sub M()\n    RaiseEvent Gone\n  End Sub\nEnd Class\n", "3:5",
       "A declares no event Gone"},
      {"Class A\n  Event E(x As Integer)\n  Handler E(x As Integer)\n  End Handler\nEnd Class\n",
       "3:3", "its handlers belong to subclasses"},
      {"Class A\n  Event E(x As Integer)\nEnd Class\nClass B Inherits A\n"
       "  Handler E(x As String)\n  End Handler\nEnd Class\n",
       "5:13", "parameter x of event E is Integer"},
      {"Class A\n  Event E()\nEnd Class\nClass B Inherits A\n  Handler E()\n  End Handler\n"
       "End Class\nClass C Inherits B\n  Handler E()\n  End Handler\nEnd Class\n",
       "9:3", "event E is already handled by class B"},
      {"Class A\n  Event E()\nEnd Class\nClass B Inherits A\n  Event E()\nEnd Class\n", "5:9",
       "already declared by class A"},
      {"Class A\n  Event E(n As Integer)\n  Sub M()\n    RaiseEvent E(\"x\")\n  End Sub\n"
       "End Class\n",
       "4:18", "argument 1 of E must be Integer"},
      {"Sub S(ByRef n As Integer)\nEnd Sub\nSub Main()\n  S(1 + 2)\nEnd Sub\n", "4:7",
       "argument 1 of S is ByRef and needs a variable"},
      {"Sub S(ByRef n As Integer)\nEnd Sub\nSub Main()\n  Dim d As Double\n  S(d)\nEnd Sub\n",
       "5:5", "is ByRef and must be Integer, not Double"},
      {"Const K As Integer = 1.5\n", "1:22", "constant K needs a literal of type Integer"},
      {"Const K = Str(1)\n", "1:11", "the value of constant K must be a literal"},
      {"Sub Main()\n  Const K = 1\n  K = 2\nEnd Sub\n", "3:3", "cannot assign"},
      {"Sub Main()\n  Dim d As Double = \"a\" ^ 2\nEnd Sub\n", "2:25",
       "operator ^ cannot take String and Integer"},
      {"Sub Main()\n  Dim b As Boolean = True Xor 1\nEnd Sub\n", "2:27",
       "operator XOR cannot take Boolean and Integer"},
      {"Window W\n  Control B(0) As PushButton\n  End Control\n  Handler B.Action()\n"
       "    Index = 2\n  End Handler\nEnd Window\n",
       "5:5", "index of a control-array element cannot be assigned"},
  };
  std::string deep = "Sub Main()\n  LineTrace " + std::string(300, '(') + "\"x\"";
  CompileResult nested = build(deep);
  EXPECT_NE(nested.error.find("t.bas:2:"), std::string::npos) << nested.error;
  EXPECT_NE(nested.error.find("nesting is too deep"), std::string::npos) << nested.error;
  auto locals = [](int n) {
    std::string s = "Sub Big()\n  Dim x0";
    for (int i = 1; i < n; i++) s += ", x" + std::to_string(i);
    return s + " As Double\n  LineTrace Str(x0)\nEnd Sub\n";
  };
  EXPECT_TRUE(build(locals(490)).ok) << build(locals(490)).error;
  CompileResult big = build(locals(510));
  EXPECT_EQ(big.error.rfind("t.bas:1:1: error: routine Big needs a frame of 4180 bytes", 0), 0u)
      << big.error;
  for (auto &c : cases) {
    if (*c.where) {
      expect_diagnostic(c.source, c.where, c.message);
      continue;
    }
    CompileResult r = build(c.source);
    EXPECT_TRUE(r.ok) << r.error;
  }
}

// Misused arrays, Variants and method forms: each diagnostic names the place
// and what was expected there.
TEST(Frontend, ArrayVariantAndMethodMisuseIsReportedWhereItHappens) {
  struct {
    const char *body, *where, *message;
  } const cases[] = {
      {"Dim m(3, 4) As Integer\n  m(1) = 2\n", "3:3", "Integer(,) array takes 2 indexes, not 1"},
      {"Dim a(3) As Integer\n  a(1.5) = 2\n", "3:5", "index or bound must be Integer, not Double"},
      {"Dim a(3) As Integer\n  a(\"x\") = 2\n", "3:5", "must be Integer, not String"},
      {"Dim a(3) As Integer\n  Dim i As Integer\n  i = a\n", "4:7",
       "cannot assign an array to a value of type Integer"},
      {"Dim a(3) As Integer\n  a = 1\n", "3:3", "an array cannot be assigned"},
      {"Dim i As Integer\n  i(0) = 1\n", "3:3", "i is not an array (it is Integer)"},
      {"Dim m(2, 2) As Integer\n  m.Append 1\n", "3:3",
       "Append needs a one-dimensional array, not Integer(,)"},
      {"Dim a(2) As Integer\n  a.Insert 1\n", "3:3", "Insert takes 2 arguments, not 1"},
      {"Dim a(2) As Integer\n  a.Push 1\n", "3:3", "an array has no member Push"},
      {"Dim a(2) As Integer\n  a.Append \"x\"\n", "3:12", "the element must be Integer"},
      {"Dim a(2) As Date\n  a.Sort\n", "3:3", "Sort needs an array of numbers or Strings"},
      {"Dim m(2, 2) As Integer\n  Redim m(3)\n", "3:10",
       "Redim gives 1 bound to an array of 2 dimensions"},
      {"Dim i As Integer\n  Redim i(3)\n", "3:9", "Redim needs an array, not a Integer"},
      {"Dim i As Integer = UBound(3)\n", "2:29", "UBound needs an array"},
      {"Dim a(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21) As Integer\n", "2:8",
       "at most 20 dimensions"},
      {"Dim a(3) As Integer = 1\n", "2:25", "an array takes no initial value"},
      {"Dim c As New Collection\n  Dim o As Object = c.Item(True)\n", "3:27",
       "no form of Item takes (Boolean)"},
      {"Dim c As New Collection\n  Dim v As Variant\n  c.Remove v\n", "4:3",
       "the call Remove(Variant) fits more than one form"},
      {"Dim c As New Collection\n  c.Item(1) = Nil\n", "3:9", "method Item cannot be assigned"},
      {"Dim v As Variant\n  Dim w As Variant\n  If v < w Then Return\n", "4:8",
       "operator < cannot take Variant and Variant"},
      {"Dim d As New Dictionary\n  Dim a(2) As Integer\n  d.Value(a) = 1\n", "4:11",
       "must be Variant, not Integer()"},
      {"Dim a(2) As Integer\n  Dim b(2) As Integer\n  Dim s As String = Str(a(0)) & b\n", "4:31",
       "operator & cannot take String and Integer()"},
  };
  for (auto &c : cases)
    expect_diagnostic(std::string("Sub Main()\n  ") + c.body + "End Sub\n", c.where, c.message);
  expect_diagnostic("Sub F(ByRef a() As Integer)\nEnd Sub\n", "1:13",
                    "an array parameter is always passed by reference");
  expect_diagnostic("Sub F(m(,) As Integer)\nEnd Sub\nSub Main()\n  Dim a(2) As Integer\n  F(a)\n"
                    "End Sub\n",
                    "5:5", "argument 1 of F must be Integer(,), not Integer()");
  expect_diagnostic("Class K\n  Property P(2 + 1) As Integer\nEnd Class\n", "2:16",
                    "the bounds of an array property must be Integer literals");
  expect_diagnostic("Dim n As Integer\nDim a(n) As Integer\n", "2:7",
                    "the bounds of a module-level array must be Integer literals");
  expect_diagnostic("Dim n As Integer\nSub Main()\n  n(1) = 2\nEnd Sub\n", "3:3",
                    "n is not an array (it is Integer)");
}

TEST(Frontend, KeywordsAndNamesIgnoreCase) {
  CompileResult r = build("sub MAIN()\n  DIM s as STRING = \"x\"\n  linetrace S ' comment\n"
                          "  // another\nEND sub\n");
  EXPECT_TRUE(r.ok) << r.error;
}

// SpecialFolder.Desktop ... name global functions grouped under a name that
// is nothing else; a variable of that name hides the group.
TEST(Frontend, GroupedFunctionsAreReachedThroughTheirGroupName) {
  CompileResult r = build("Sub Main()\n  Dim f As FolderItem = SpecialFolder.Temporary\n"
                          "  LineTrace SpecialFolder.Desktop.Child(\"a\").Name\nEnd Sub\n");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_NE(r.map.find("getTemporaryItemsFolder"), std::string::npos) << r.map;
  EXPECT_NE(r.map.find("getDesktopFolder"), std::string::npos);
  expect_diagnostic("Sub Main()\n  Dim f As FolderItem = SpecialFolder.Nowhere\nEnd Sub\n", "2:25",
                    "unknown name 'SpecialFolder'");
  expect_diagnostic("Sub Main()\n  Dim SpecialFolder As Integer\n"
                    "  Dim f As FolderItem = SpecialFolder.Temporary\nEnd Sub\n",
                    "3:38", "has no member Temporary");
}

const char *kProgram = R"(
Class Counter
  Property Count As Integer
  Property Label As String
  Sub Add(n As Integer)
    Count = Count + n
  End Sub
End Class
Window W
  Title = "T"
  Control B(0) As PushButton
    Caption = "one"
  End Control
  Handler B.Action()
    LineTrace "x" + Str(Index)
  End Handler
End Window
Sub Main()
  Dim c As New Counter
  Dim i As Integer
  For i = 1 To 10 Step 2
    Select Case i
    Case 1, 3
      c.Add(i)
    Case Else
      Try
        c.Label = c.Label + "!"
      Catch e As NilObjectException
        Exit For
      End Try
    End Select
  Next
  LineTrace Format(c.Count / 3, "0.00")
End Sub
)";

// Cut short anywhere, or replaced by noise, a source gives a diagnostic or
// (cut between declarations) a valid image, never a crash.
TEST(Frontend, TruncatedAndRandomSourcesNeverCrash) {
  std::regex diagnostic(R"(^t\.bas:\d+:\d+: error: .+)");
  std::string text = kProgram;
  ASSERT_TRUE(build(text).ok) << build(text).error;
  int failures = 0;
  for (size_t n = 0; n < text.size(); n += 7) {
    CompileResult r = build(text.substr(0, n));
    if (!r.ok) {
      failures++;
      EXPECT_TRUE(std::regex_match(r.error, diagnostic)) << r.error;
    }
  }
  EXPECT_GT(failures, 50);
  std::mt19937 random(7);
  for (int i = 0; i < 40; i++) {
    std::string noise(size_t(random() % 300 + 1), ' ');
    for (char &ch : noise) ch = char(random());
    CompileResult r = build(noise);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(std::regex_match(r.error, diagnostic)) << r.error;
  }
}

TEST(Frontend, CommandLineFailsWithoutWritingAnImage) {
  std::string dir = testing::TempDir() + "basc-cli";
  std::string command = "rm -rf '" + dir + "' && mkdir -p '" + dir +
                        "' && printf 'Sub Main(\\n' > '" + dir + "/bad.bas' && cd '" + dir +
                        "' && '" BASC "' bad.bas 2>err.txt";
  int status = std::system(command.c_str());
  EXPECT_NE(status, 0);
  EXPECT_FALSE(std::ifstream(dir + "/code1.dat").good());
  std::ifstream err(dir + "/err.txt");
  std::string line;
  std::getline(err, line);
  EXPECT_EQ(line.rfind("bad.bas:1:10: error: expected a parameter name", 0), 0u) << line;
}

// The exit codes --help promises: 0 for help, 2 for a misused command line,
// 1 for a source error; help goes to standard output and names every option.
TEST(Frontend, CommandLineExitCodesMatchItsHelp) {
  std::string dir = testing::TempDir() + "basc-codes";
  std::string prepare = "rm -rf '" + dir + "' && mkdir -p '" + dir + "' && cd '" + dir +
                        "' && printf 'Sub Main()\\n  Dim x As Nothing\\nEnd Sub\\n' > bad.bas";
  ASSERT_EQ(std::system(prepare.c_str()), 0);
  auto code = [&](const std::string &arguments) {
    std::string command = "cd '" + dir + "' && '" BASC "' " + arguments + " >out.txt 2>err.txt";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(code("--help"), 0);
  std::ifstream out(dir + "/out.txt");
  std::string help((std::istreambuf_iterator<char>(out)), std::istreambuf_iterator<char>());
  for (const char *word : {"usage: basc", "-o folder", "--image file", "--no-stack-check",
                           "exit codes", "  2  the command line"})
    EXPECT_NE(help.find(word), std::string::npos) << word << " missing from:\n" << help;
  EXPECT_EQ(code("--frobnicate bad.bas"), 2);
  EXPECT_EQ(code(""), 2);
  EXPECT_EQ(code("bad.bas"), 1);
  EXPECT_EQ(code("missing.bas"), 1);
  EXPECT_FALSE(std::ifstream(dir + "/code1.dat").good());
}

} // namespace

// A plug-in control with handlers gets a subclass of its own; the properties
// its design sets are still the plug-in's to know, so checking lets them pass
// and only the missing library stops the compile.
TEST(Frontend, APluginControlWithHandlersKeepsItsDesignedProperties) {
  CompileResult r = build("Plugin \"absent.dll\"\nWindow W\n  Control P As KPThing\n"
                          "    Left = 4\n    Shade = 3\n  End Control\n"
                          "  Handler P.Ping(n As Integer) As Integer\n    Return n\n"
                          "  End Handler\nEnd Window\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error.find("has no property"), std::string::npos) << r.error;
  EXPECT_NE(r.error.find("cannot read plug-in"), std::string::npos) << r.error;
}
