// Interfaces through compile(): what a program may write with them, the slot
// a call through an interface reference asks the runtime for, and each misuse
// reported at the token that causes it, with no image written.
#include "codebytes.h"
#include <gtest/gtest.h>

using namespace basc;

namespace {

const char *kShapes = "Interface Named\n"
                      "  Function Name() As String\n"
                      "End Interface\n"
                      "Interface Shape Inherits Named\n"
                      "  Function Area() As Double\n"
                      "  Sub Scale(ByRef f As Double, marks() As Integer)\n"
                      "End Interface\n";

TEST(Interfaces, TypesConvertToWhatTheyImplementAndCastBack) {
  // Implements on the class line and on a line of its own, a window that
  // implements one, the runtime's interfaces, interface types everywhere a
  // type goes, and the implementation inherited from a superclass.
  std::string source = std::string(kShapes) +
                       "Class Base\n"
                       "  Function Name() As String\n"
                       "    Return \"base\"\n"
                       "  End Function\n"
                       "End Class\n"
                       "Class Box Inherits Base Implements Shape\n"
                       "  Implements StringProvider, ListInterface\n"
                       "  Property Keep As Named\n"
                       "  Function Area() As Double\n"
                       "    Return 1\n"
                       "  End Function\n"
                       "  Sub Scale(ByRef f As Double, marks() As Integer)\n"
                       "    f = f * 2\n"
                       "  End Sub\n"
                       "  Function getString() As String\n"
                       "    Return Name\n"
                       "  End Function\n"
                       "End Class\n"
                       "Window W Implements Named\n"
                       "  Function Name() As String\n"
                       "    Return \"w\"\n"
                       "  End Function\n"
                       "End Window\n"
                       "Function Pick(s As Shape) As Named\n"
                       "  Return s\n"
                       "End Function\n"
                       "Sub Main()\n"
                       "  Dim b As New Box\n"
                       "  Dim all(2) As Shape\n"
                       "  all(0) = b\n"
                       "  Dim n As Named = Pick(all(0))\n"
                       "  b.Keep = W\n"
                       "  Dim f As Double = 1\n"
                       "  Dim marks(1) As Integer\n"
                       "  all(0).Scale(f, marks)\n"
                       "  Dim back As Box = Box(n)\n"
                       "  Dim s As Shape = Shape(n)\n"
                       "  Dim p As StringProvider = back\n"
                       "  Dim o As Object = s\n"
                       "  If o IsA Named And n = s Then LineTrace n.Name + p.getString()\n"
                       "End Sub\n";
  EXPECT_FALSE(build(source).code1.empty());
}

// A Shape's table holds Named's methods first, then its own: Name at slot 1,
// Area at 2. Each call pushes the interface's class index and the slot, then
// the receiver, and calls the entry FindInterfaceVTableCode gives.
TEST(Interfaces, CallsAskForTheMethodsSlotInTheInterfacesTable) {
  img::Image im = build(std::string(kShapes) + "Sub Main()\n  Dim s As Shape\n"
                                               "  Dim n As Named = s\n"
                                               "  LineTrace s.Name + Str(s.Area)\n"
                                               "  LineTrace n.Name\nEnd Sub\n");
  std::vector<uint32_t> calls = sites(im, "FindInterfaceVTableCode");
  ASSERT_EQ(calls.size(), 3u);
  std::vector<int> slots;
  for (uint32_t at : calls) {
    ASSERT_GE(at, 5u);
    EXPECT_EQ(im.code1[at - 5], 0x6a); /* push interface index */
    EXPECT_EQ(im.code1[at - 3], 0x6a); /* push slot */
    EXPECT_EQ(im.code1[at - 1], 0x50); /* push eax: the receiver */
    slots.push_back(im.code1[at - 2]);
    /* descriptor; add esp, 12; nil test of the entry; ... call eax */
    EXPECT_EQ(find(im.code1, "e8 ?? ?? ?? ?? eb 03 90 eb 00 83 c4 0c 85 c0 0f 85", at - 0), at);
  }
  std::sort(slots.begin(), slots.end());
  EXPECT_EQ(slots, (std::vector<int>{1, 1, 2}));
  EXPECT_GE(find(im.code1, "ff d0 eb 03 90 eb 00"), 0);
}

TEST(Interfaces, MisuseIsReportedAtItsToken) {
  const std::string shape = "Interface Shape\n  Function Area() As Double\nEnd Interface\n";
  struct {
    std::string source;
    const char *where, *message;
  } cases[] = {
      // cycles
      {"Class A Inherits B\nEnd Class\nClass B Inherits A\nEnd Class\n", "1:18",
       "class A inherits from itself (A -> B -> A)"},
      {"Class X Inherits A\nEnd Class\nClass A Inherits B\nEnd Class\n"
       "Class B Inherits C\nEnd Class\nClass C Inherits A\nEnd Class\n",
       "3:18", "class A inherits from itself (A -> B -> C -> A)"},
      {"Interface A Inherits B\nEnd Interface\nInterface B Inherits A\nEnd Interface\n", "3:22",
       "interface A inherits from itself (A -> B -> A)"},
      {"Interface A Inherits A\nEnd Interface\n", "1:22", "interface A inherits from itself"},
      // implementing
      {shape + "Class Circle Implements Shape\nEnd Class\n", "4:25",
       "class Circle implements Shape but has no method Area — add `Function Area() As Double`"},
      {"Interface A\n  Sub P(x As Integer)\nEnd Interface\nInterface B Inherits A\nEnd Interface\n"
       "Class C Implements B\nEnd Class\n",
       "6:20", "class C implements B but has no method P — add `Sub P(x As Integer)`"},
      {shape + "Class Circle Implements Shape\n  Function Area() As Integer\n    Return 1\n"
               "  End Function\nEnd Class\n",
       "5:3",
       "method Circle.Area does not match Shape.Area: declare it `Function Area() As Double`"},
      {"Interface I\n  Sub P(ByRef x As Integer)\nEnd Interface\nClass C Implements I\n"
       "  Sub P(x As Integer)\n  End Sub\nEnd Class\n",
       "5:3", "declare it `Sub P(ByRef x As Integer)`"},
      {shape + "Class B\n  Sub Area()\n  End Sub\nEnd Class\nClass C Inherits B Implements Shape\n"
               "End Class\n",
       "8:31", "method B.Area does not match Shape.Area"},
      {"Class C Implements StringProvider\nEnd Class\n", "1:20",
       "has no method getString — add `Function getString() As String`"},
      {"Class K\nEnd Class\nClass C Implements K\nEnd Class\n", "3:20",
       "K is a class, not an interface"},
      {"Class C Implements Nowhere\nEnd Class\n", "1:20", "unknown interface 'Nowhere'"},
      {shape + "Class C Implements Shape, shape\nEnd Class\n", "4:27",
       "interface shape is named twice in the Implements list of C"},
      {shape + "Class C Inherits Shape\nEnd Class\n", "4:18",
       "Shape is an interface, not a class; write `Implements Shape`"},
      {"Class K\nEnd Class\nInterface I Inherits K\nEnd Interface\n", "3:22",
       "K is a class, not an interface"},
      {"Interface A\n  Sub S()\nEnd Interface\nInterface B\n  Sub S(x As Integer)\nEnd Interface\n"
       "Interface C Inherits A, B\nEnd Interface\n",
       "7:25", "method S of B conflicts with A.S, declared `Sub S()`"},
      // using
      {shape + "Sub Main()\n  Dim s As Shape\n  s.Perimeter\nEnd Sub\n", "6:4",
       "interface Shape declares no method Perimeter"},
      {shape + "Sub Main()\n  Dim s As Shape = New Shape\nEnd Sub\n", "5:24",
       "an interface cannot be created"},
      {shape + "Class C\nEnd Class\nSub Main()\n  Dim s As Shape\n  Dim c As C = s\nEnd Sub\n",
       "8:16", "must be C, not Shape; a cast checks it when the program runs: C(value)"},
      {shape + "Class C\nEnd Class\nSub Main()\n  Dim s As Shape = New C\nEnd Sub\n", "7:20",
       "must be Shape, not C; add `Implements Shape` to class C, or cast it: Shape(value)"},
      {shape + "Interface Other\nEnd Interface\nSub Main()\n  Dim s As Shape\n"
               "  Dim o As Other = s\nEnd Sub\n",
       "8:20", "must be Other, not Shape; a cast"},
      // declaring
      {"Interface I\n  Sub S()\n  End Sub\nEnd Interface\n", "3:3",
       "an interface's methods have no body"},
      {"Interface I\n  Function F() As Integer\n    Return 1\nEnd Interface\n", "3:5",
       "an interface's methods have no body"},
      {"Interface I\n  Function F()\nEnd Interface\n", "2:3", "function F needs a result type"},
      {"Interface I\n  Sub S()\n  Sub s()\nEnd Interface\n", "3:3",
       "method s is declared twice in interface I"},
      {"Interface I\n  Sub Constructor()\nEnd Interface\n", "2:3",
       "Constructor belongs to a class"},
      {"Interface I\n  Handler Open()\nEnd Interface\n", "2:3",
       "expected Sub, Function or 'End Interface'"},
      {"Interface I\n  Sub S()\n", "1:11", "missing 'End Interface' for I"},
      {"Interface I\nEnd Interface\nInterface i\nEnd Interface\n", "3:11",
       "interface i is declared twice"},
      {"Interface Timer\nEnd Interface\n", "1:11", "Timer is already a built-in class"},
      {"Interface X\nEnd Interface\nClass X\nEnd Class\n", "3:7",
       "X is already an interface of this program"},
  };
  for (auto &c : cases) expect_compile_error(c.source, c.where, c.message);
}

// A chain of classes closed into a cycle is named by its ends; interfaces
// deeper than 200 levels are refused before they are flattened.
TEST(Interfaces, LongChainsAreRefusedQuickly) {
  std::string cycle = "Class C0 Inherits C999\nEnd Class\n";
  std::string deep = "Interface I0\n  Sub M0()\nEnd Interface\n";
  for (int i = 1; i < 1000; i++) {
    std::string n = std::to_string(i), before = std::to_string(i - 1);
    cycle += "Class C" + n + " Inherits C" + before + "\nEnd Class\n";
    deep += "Interface I" + n + " Inherits I" + before + "\n  Sub M" + n + "()\nEnd Interface\n";
  }
  expect_compile_error(cycle, "1:19",
                       "class C0 inherits from itself (C0 -> C999 -> C998 -> C997 -> ... -> C3 "
                       "-> C2 -> C1 -> C0)");
  expect_compile_error(deep, "601:25", "interface I200 inherits through more than 200 levels");
}

} // namespace
