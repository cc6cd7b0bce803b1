// Modules, class constants and the Shared refusal through compile(): what a
// program may write, and each misuse reported at the token that causes it.
#include "compile.h"
#include <gtest/gtest.h>

using namespace basc;

namespace {

CompileResult build(const std::string &text) {
  CompileOptions o;
  return compile({{"t.bas", text}}, o);
}

TEST(Modules, MembersAreReachedBareOrThroughTheModuleFromAnyScope) {
  // Main comes first and uses a module declared after it; a class constant
  // is shadowed by a local and by a subclass's own constant.
  const char *source = "Sub Main()\n"
                       "  Tools.Count = Tools.Count + 1\n"
                       "  LineTrace Tools.Name(Count) + Pre\n"
                       "  Tools.Touch\n"
                       "End Sub\n"
                       "Class A\n"
                       "  Const K As Double = 2\n"
                       "  Function F() As Double\n"
                       "    Return K + Tools.Twice(1)\n"
                       "  End Function\n"
                       "  Function G() As Integer\n"
                       "    Dim K As Integer = 5\n"
                       "    Return K\n"
                       "  End Function\n"
                       "End Class\n"
                       "Class B Inherits A\n"
                       "  Const K = \"b\"\n"
                       "  Function H() As String\n"
                       "    Return K\n"
                       "  End Function\n"
                       "End Class\n"
                       "Module Tools\n"
                       "  Const Pre = \">\"\n"
                       "  Property Count As Integer\n"
                       "  Dim Hidden(3) As Integer\n"
                       "  Function Name(n As Integer) As String\n"
                       "    Return Pre + Str(n)\n"
                       "  End Function\n"
                       "  Function Twice(x As Double) As Double\n"
                       "    Return 2 * x\n"
                       "  End Function\n"
                       "  Sub Touch()\n"
                       "    Hidden(0) = Count\n"
                       "  End Sub\n"
                       "End Module\n";
  CompileResult r = build(source);
  EXPECT_TRUE(r.ok) << r.error;
  EXPECT_FALSE(r.image.code1.empty());
}

TEST(Modules, MisuseIsReportedAtItsToken) {
  struct {
    const char *source, *where, *message;
  } cases[] = {
      // names
      {"Class Tally\nEnd Class\nModule Tally\nEnd Module\n", "3:8",
       "module Tally has the name of a class of this program"},
      {"Module Timer\nEnd Module\n", "1:8", "module Timer has the name of a built-in class"},
      {"Module M\nEnd Module\nModule m\nEnd Module\n", "3:8", "module m is declared twice"},
      {"Dim N As Integer\nModule M\n  Dim N As Integer\nEnd Module\n", "3:7",
       "variable N is declared twice"},
      {"Module M\n  Sub Main()\n  End Sub\nEnd Module\nSub main()\nEnd Sub\n", "5:1",
       "main is defined twice"},
      {"Module M\n  Const A = 1\nEnd Module\nSub Main()\n  M.B\nEnd Sub\n", "5:4",
       "module M has no member B"},
      {"Module M\n  Const A = 1\nEnd Module\nSub Main()\n  Dim i As Integer = M.Z\nEnd Sub\n",
       "5:23", "module M has no member Z"},
      // constants
      {"Const A = 1\nModule M\n  Const A = 2\nEnd Module\n", "3:9", "A is declared twice"},
      {"Class C\n  Const A = 1\n  Const a = 2\nEnd Class\n", "3:9", "a is declared twice"},
      {"Class C\n  Property A As Integer\n  Const A = 2\nEnd Class\n", "3:9",
       "A is already a property"},
      {"Class C\n  Const A As Integer = \"x\"\nEnd Class\n", "2:24", "must be Integer"},
      {"Class C\n  Const A = Len(\"x\")\nEnd Class\n", "2:13", "must be a literal"},
      {"Module M\n  Const A = 1\nEnd Module\nSub Main()\n  A = 2\nEnd Sub\n", "5:3",
       "cannot assign to constant A"},
      {"Module M\n  Const A = 1\nEnd Module\nSub Main()\n  M.A = 2\nEnd Sub\n", "5:4",
       "cannot assign to constant A"},
      {"Class C\n  Const A = 1\n  Sub S()\n    A = 2\n  End Sub\nEnd Class\n", "4:5",
       "cannot assign to constant A"},
      {"Sub Main()\n  Const A = 1\n  A = 2\nEnd Sub\n", "3:3", "cannot assign to constant A"},
      // Shared and the block's shape
      {"Class C\n  Shared Property N As Integer\nEnd Class\n", "2:3",
       "Shared members are not supported"},
      {"Window W\n  Shared Sub S()\n  End Sub\nEnd Window\n", "2:3",
       "Shared members are not supported"},
      {"Shared Dim N As Integer\n", "1:1", "Shared members are not supported"},
      {"Module M\n  Shared Sub S()\n  End Sub\nEnd Module\n", "2:3",
       "module's members are shared already"},
      {"Module M\n  Const A = 1\n", "1:8", "missing 'End Module' for M"},
      {"Module M\n  Event E()\nEnd Module\n", "2:3", "expected Dim, Property, Const, Sub"},
      {"Module M\n  Handler Open()\n  End Handler\nEnd Module\n", "2:3", "expected Dim"},
      {"Module M\nEnd Class\n", "2:5", "expected 'MODULE'"},
  };
  for (auto &c : cases) {
    CompileResult r = build(c.source);
    EXPECT_FALSE(r.ok) << c.source;
    EXPECT_EQ(r.error.rfind(std::string("t.bas:") + c.where + ": error: ", 0), 0u)
        << c.source << "\n"
        << r.error;
    EXPECT_NE(r.error.find(c.message), std::string::npos) << c.source << "\n" << r.error;
    EXPECT_TRUE(r.image.code1.empty());
  }
}

} // namespace
