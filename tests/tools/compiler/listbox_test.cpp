// The Listbox in the language: every member in each of its forms and every
// event's handler compile to the member table's entries; a ByRef event
// parameter is written through the address the runtime passes; a window's
// control names win over the members of the control whose handler names them.
#include "codebytes.h"
#include <gtest/gtest.h>

using namespace basc;

namespace {

const BuiltinClass &listbox() { return *builtin_class("Listbox"); }

// A value of the member table's type `type`: a literal, or a local object
// variable declared in `dims`.
std::string value_of(const std::string &type, std::string &dims) {
  if (type == "Integer") return "1";
  if (type == "String") return "\"x\"";
  if (type == "Boolean") return "True";
  if (type == "Color") return "&c102030";
  std::string var = "o" + type;
  if (dims.find(" " + var + " ") == std::string::npos)
    dims += "  Dim " + var + " As " + type + "\n";
  return var;
}

// The event's declaration text as a handler's parameter list.
std::string handler_header(const BuiltinEvent &e) {
  std::string h = std::string("  Handler L.") + e.name + "(" + e.parameters + ")";
  if (*e.result) h += std::string(" As ") + e.result;
  return h + "\n";
}

// One handler for every event of the class, and a Sub that reads and writes
// every property and calls every method that has a routine, in each form.
std::string every_member_program(std::vector<std::string> *entries) {
  const BuiltinClass &c = listbox();
  std::string dims, body;
  for (int32_t i = 0; i < c.propertyCount; i++) {
    const BuiltinProperty &p = kBuiltinProperties[c.firstProperty + i];
    std::string v = value_of(p.type, dims);
    if (*p.getter)
      body += "  Dim p" + std::to_string(i) + " As " + p.type + " = L." + p.name + "\n";
    if (*p.setter) body += std::string("  L.") + p.name + " = " + v + "\n";
    for (const char *e : {p.getter, p.setter})
      if (*e && !std::string(e).starts_with("field")) entries->push_back(e);
  }
  for (int32_t i = 0; i < c.methodCount; i++) {
    const BuiltinMethod &m = kBuiltinMethods[size_t(c.firstMethod + i)];
    if (!*m.callEntry) continue; /* no routine: not callable */
    std::string args;
    for (int32_t k = 0; k < m.paramCount; k++)
      args += (k ? ", " : "") + value_of(kBuiltinParams[m.firstParam + k].type, dims);
    if (*m.resultType)
      body += "  Dim m" + std::to_string(i) + " As " + m.resultType + " = L." + m.name + "(" +
              args + ")\n";
    else
      body += std::string("  L.") + m.name + (args.empty() ? "" : " " + args) + "\n";
    entries->push_back(m.callEntry);
    if (!*m.assignEntry) continue;
    body +=
        std::string("  L.") + m.name + "(" + args + ") = " + value_of(m.resultType, dims) + "\n";
    entries->push_back(m.assignEntry);
  }
  std::string handlers;
  for (int32_t i = 0; i < c.eventCount; i++) {
    const BuiltinEvent &e = kBuiltinEvents[c.firstEvent + i];
    handlers += handler_header(e);
    if (*e.result) handlers += "    Return False\n";
    handlers += "  End Handler\n";
  }
  return "Window W\n  Control L As Listbox\n  End Control\n" + handlers + "  Sub Every()\n" + dims +
         body + "  End Sub\nEnd Window\n";
}

TEST(ListboxForms, EveryMemberAndEventCompilesToItsEntries) {
  std::vector<std::string> entries;
  std::string source = every_member_program(&entries);
  img::Image im = build(source);
  ASSERT_FALSE(im.code1.empty()) << source;
  for (const std::string &e : entries) EXPECT_FALSE(sites(im, e).empty()) << e;
  EXPECT_GE(entries.size(), 90u); /* the table's members, not a few of them */
}

// CompareRows passes the address of its result: the handler writes through
// the word at [ebp+24] (the list at 8, row1, row2, column, then result).
TEST(ListboxForms, ByRefEventParameterIsWrittenThroughTheCallersAddress) {
  img::Image im = build("Window W\n  Control L As Listbox\n  End Control\n"
                        "  Handler L.CompareRows(row1 As Integer, row2 As Integer, "
                        "column As Integer, ByRef result As Integer) As Boolean\n"
                        "    result = row2 - row1\n    result = result * 2\n    Return True\n"
                        "  End Handler\nEnd Window\n");
  /* mov ecx, [ebp+24]; mov [ecx], eax */
  EXPECT_GE(find(im.code1, "8b 4d 18 89 01"), 0);
  /* reading it back: mov ecx, [ebp+24]; mov eax, [ecx] */
  EXPECT_GE(find(im.code1, "8b 4d 18 8b 01"), 0);
}

// An image class's event may take ByRef parameters too: RaiseEvent passes
// the variable's address and the handler writes through it.
TEST(ListboxForms, RaiseEventPassesTheAddressOfAByRefArgument) {
  img::Image im = build("Class A\n  Event Ask(ByRef n As Integer)\n  Function M() As Integer\n"
                        "    Dim v As Integer = 1\n    RaiseEvent Ask(v)\n    Return v\n"
                        "  End Function\nEnd Class\nClass B Inherits A\n"
                        "  Handler Ask(ByRef n As Integer)\n    n = n + 41\n  End Handler\n"
                        "End Class\n");
  /* lea eax, [ebp-12]; push eax: the local's address, not its value */
  EXPECT_GE(find(im.code1, "8d 45 f4 50 8b 45 08 50 68"), 0);
}

TEST(ListboxForms, HandlerMustDeclareByRefExactlyWhereTheEventDoes) {
  struct {
    const char *source, *message;
  } const cases[] = {
      {"Window W\n  Control L As Listbox\n  End Control\n"
       "  Handler L.CompareRows(a As Integer, b As Integer, c As Integer, r As Integer) As "
       "Boolean\n"
       "  End Handler\nEnd Window\n",
       "parameter r of event CompareRows is ByRef; declare it ByRef"},
      {"Window W\n  Control L As Listbox\n  End Control\n"
       "  Handler L.ExpandRow(ByRef row As Integer)\n  End Handler\nEnd Window\n",
       "parameter row of event ExpandRow is not ByRef"},
      {"Class A\n  Event E(ByRef n As Integer)\nEnd Class\nClass B Inherits A\n"
       "  Handler E(n As Integer)\n  End Handler\nEnd Class\n",
       "parameter n of event E is ByRef"},
      {"Class A\n  Event E(ByRef n As Integer)\n  Sub M()\n    RaiseEvent E(1 + 2)\n  End Sub\n"
       "End Class\n",
       "argument 1 of E is ByRef and needs a variable"},
      {"Class A\n  MenuHandler FileQuit(ByRef n As Integer)\n  End MenuHandler\nEnd Class\n",
       "a menu handler takes no parameters"},
  };
  for (auto &c : cases) {
    CompileOptions o;
    CompileResult r = compile({{"t.bas", c.source}}, o);
    EXPECT_FALSE(r.ok) << c.source;
    EXPECT_NE(r.error.find(c.message), std::string::npos) << c.source << r.error;
  }
}

// In any handler of the window, List is the control of that name; called
// with an index in the list's own handler it is still the List method.
TEST(ListboxForms, ControlNameWinsOverAMemberOfTheHandlersControl) {
  img::Image im = build("Window W\n  Control List As Listbox\n  End Control\n"
                        "  Control Other As Listbox\n  End Control\n"
                        "  Handler List.Change()\n    List.AddRow \"a\"\n"
                        "    LineTrace List(0)\n  End Handler\n"
                        "  Handler Other.Change()\n    List.AddFolder \"b\"\n  End Handler\n"
                        "End Window\n");
  EXPECT_EQ(sites(im, "RuntimeListAddRow").size(), 1u);
  EXPECT_EQ(sites(im, "RuntimeListAddParent").size(), 1u);
  EXPECT_EQ(sites(im, "RuntimeGetRow").size(), 1u);
  /* List and Other looked up by name on the window for the two calls */
  EXPECT_EQ(sites(im, "RuntimeControlReference").size(), 2u);
}

} // namespace
