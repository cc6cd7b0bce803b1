// Plug-ins used from code: the declarations a library carries make its
// classes, members, controls and global methods known to the compiler, bound
// through deferred links; misuse and damaged libraries are diagnosed at the
// place they occur.
#include "compile.h"
#include "linktable.h"
#include "pefile.h"
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>

using namespace basc;
namespace fs = std::filesystem;

namespace {

const char *kDeclarations = "Class KPCounter\n"
                            "  Property Count As Integer\n"
                            "  ReadOnly Property Total As Integer\n"
                            "  Method Add(n As Integer) As Integer\n"
                            "  Method Fill(ByRef n As Integer)\n"
                            "  Assignable Method Slot(index As Integer) As Integer\n"
                            "End Class\n"
                            "Class KPTally Inherits KPCounter\n"
                            "  Method Doubled() As Integer\n"
                            "End Class\n"
                            "Control KPDial\n"
                            "  Property Level As Integer\n"
                            "  Method Turn(by As Integer)\n"
                            "  Event Turned(level As Integer)\n"
                            "End Control\n"
                            "Interface KPMeasure\n"
                            "  Method Size() As Integer\n"
                            "End Interface\n"
                            "Method Twice(n As Integer) As Integer\n";

class Plugins : public ::testing::Test {
protected:
  fs::path dir = fs::temp_directory_path() / ("basc-plugins-" + std::to_string(::getpid()));

  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }

  // Writes a library file and gives the Plugin line naming it.
  std::string library(const std::string &name, const std::vector<uint8_t> &bytes) {
    std::ofstream((dir / name).string(), std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return "Plugin \"" + (dir / name).string() + "\"\n";
  }
  std::string declared(const std::string &text = kDeclarations) {
    return library("kp.dll",
                   pefile::library("KARUPluginDeclarations", text + std::string(1, '\0')));
  }
  CompileResult build(const std::string &source) { return compile({{"t.bas", source}}, {}); }

  // The source fails at `where` (line:column) with a message containing `message`.
  void expect_error(const std::string &source, const char *where, const std::string &message) {
    CompileResult r = build(source);
    EXPECT_FALSE(r.ok) << source;
    EXPECT_EQ(r.error.rfind(std::string("t.bas:") + where + ": error: ", 0), 0u) << source << "\n"
                                                                                 << r.error;
    EXPECT_NE(r.error.find(message), std::string::npos) << r.error;
    EXPECT_TRUE(r.image.code1.empty());
  }
};

// The imports of an image with the number of call sites of each.
std::map<std::string, size_t> imports(const img::Image &image) {
  std::vector<img::LinkRecord> records;
  std::string error;
  EXPECT_TRUE(img::decode_link_table(image.code2, &records, &error)) << error;
  std::map<std::string, size_t> found;
  for (const img::LinkRecord &r : records) {
    if (r.kind != 1) continue;
    std::vector<uint32_t> sites;
    img::walk_chain(image.code1, r.value, &sites, &error);
    found[r.name] = sites.size();
  }
  return found;
}

TEST_F(Plugins, DeclaredMembersBindThroughDeferredLinksOfTheirDeclaringClass) {
  CompileResult r = build(declared() + "Sub Main()\n"
                                       "  Dim c As New KPCounter\n"
                                       "  c.Count = c.Count + c.Total\n"
                                       "  Dim n As Integer = c.Add(2)\n"
                                       "  c.Fill n\n"
                                       "  c.Slot(1) = c.Slot(0)\n"
                                       "  Dim t As New KPTally\n"
                                       "  n = t.Doubled() + t.Add(1) + Twice(n)\n"
                                       "  W.D.Turn W.D.Level\n"
                                       "End Sub\n"
                                       "Window W\n"
                                       "  Control D As KPDial\n"
                                       "    Level = 3\n"
                                       "  End Control\n"
                                       "  Handler D.Turned(level As Integer)\n"
                                       "  End Handler\n"
                                       "End Window\n");
  ASSERT_TRUE(r.ok) << r.error;
  std::map<std::string, size_t> found = imports(r.image);
  std::map<std::string, size_t> want = {
      {"!GKPCounter!Count", 1}, {"!SKPCounter!Count", 1}, {"!GKPCounter!Total", 1},
      {"!MKPCounter!Add", 2}, /* t.Add too: the link names the declaring class */
      {"!MKPCounter!Fill", 1},  {"!MKPCounter!Slot", 1},  {"!WKPCounter!Slot", 1},
      {"!MKPTally!Doubled", 1}, {"!MTwice", 1},           {"!MKPDial!Turn", 1},
      {"!GKPDial!Level", 1}};
  for (auto &[name, sites] : want) EXPECT_EQ(found[name], sites) << name;
  for (auto &[name, sites] : found) {
    if (name[0] == '!') {
      EXPECT_TRUE(want.count(name)) << "unexpected link " << name;
    }
  }
}

TEST_F(Plugins, MisuseOfDeclaredMembersIsAnErrorWhereItIsWritten) {
  std::string p = declared();
  auto in_main = [&](const std::string &body) { return p + "Sub Main()\n" + body + "End Sub\n"; };
  const std::string counter = "  Dim c As New KPCounter\n";
  struct {
    std::string source;
    const char *where, *message;
  } cases[] = {
      {in_main(counter + "  c.Cout = 1\n"), "4:4", "KPCounter has no member Cout"},
      {in_main(counter + "  Dim n As Integer = c.Add()\n"), "4:27",
       "Add takes 1 argument(s), not 0"},
      {in_main(counter + "  Dim n As Integer = c.Add(\"x\")\n"), "4:28",
       "argument 1 of Add must be Integer, not String"},
      {in_main(counter + "  c.Total = 3\n"), "4:4", "property Total is read-only"},
      {in_main(counter + "  c.Add(1) = 3\n"), "4:8", "method Add cannot be assigned"},
      {in_main(counter + "  c.Fill 3\n"), "4:10", "is ByRef and needs a variable"},
      {in_main("  Dim x As KPNothing\n"), "3:12", "KPNothing"},
      {in_main("  Dim d As New KPDial\n"), "3:16", "KPDial is a plug-in's control or interface"},
      {in_main("  Dim m As KPMeasure\n  Dim n As Integer = m.Size()\n"), "4:28",
       "method Size of plug-in interface KPMeasure is called on the class"},
      {in_main("  Dim n As Integer = Twice(1, 2)\n"), "3:27", "Twice takes 1 argument(s), not 2"},
      {p + "Window W\n  Control D As KPDial\n    Level = \"high\"\n  End Control\nEnd Window\n",
       "4:13", "property Level is Integer"},
      {p + "Window W\n  Control D As KPDial\n    Shade = 1\n  End Control\nEnd Window\n", "4:5",
       "KPDial has no property Shade"},
      {p + "Window W\n  Control D As KPDial\n  End Control\n"
           "  Handler D.Turned(level As String)\n  End Handler\nEnd Window\n",
       "5:20", "parameter level of event Turned is Integer"},
      {p + "Window W\n  Control D As KPDial\n  End Control\n"
           "  Handler D.Spun()\n  End Handler\nEnd Window\n",
       "5:3", "control D has no event Spun"},
      {p + "Window W\n  Control D As KPKnob\n  End Control\nEnd Window\n", "3:16",
       "unknown control class 'KPKnob'"},
      {p + "Window W\n  Control D As KPCounter\n  End Control\nEnd Window\n", "3:16",
       "KPCounter is not a control class"},
      {p + "Class Mine Inherits KPCounter\nEnd Class\n", "2:21",
       "a class cannot inherit from plug-in class KPCounter"},
  };
  for (auto &c : cases) expect_error(c.source, c.where, c.message);
}

// A damaged library or declarations text is reported at the Plugin line;
// the compiler never reads past the file.
TEST_F(Plugins, DamagedLibrariesAndDeclarationsAreReportedAtThePluginLine) {
  auto text = [](const std::string &t) {
    return pefile::library("KARUPluginDeclarations", t + std::string(1, '\0'));
  };
  std::vector<uint8_t> cut = text(kDeclarations);
  cut.resize(0x150);
  struct {
    std::vector<uint8_t> bytes;
    const char *message;
  } cases[] = {
      {{'n', 'o', 't', ' ', 'a', ' ', 'd', 'l', 'l'}, "is not a library the runtime can load"},
      {cut, "is not a library the runtime can load"},
      {pefile::library("KARUPluginDeclarations", "Class A\nEnd Class"),
       "do not end inside the file"},
      {text("Class A\n  Property X\nEnd Class\n"),
       "damaged: line 2: a property is written Name As Type"},
      {text("Class A\n  Method F(x As Integer\nEnd Class\n"),
       "damaged: line 2: expected ) at the end"},
      {text("Class A\n"), "damaged: line 1: Class A has no End Class"},
      {text("Control C\n  Property P As Integer\nEnd Class\n"),
       "damaged: line 3: expected End Control"},
      {text("Method M(x As Integer) As Integer extra\n"), "damaged: line 1: unexpected 'extra'"},
      {text("Class A\n  Property P As Gadget\nEnd Class\n"),
       "(declarations line 2) names an unknown type 'Gadget'"},
      {text("Class PushButton\nEnd Class\n"),
       "declares class PushButton, which is already a class"},
      {text("Class A Inherits Nowhere\nEnd Class\n"),
       "class A inherits from unknown class Nowhere"},
      {text("Class A Implements PushButton\nEnd Class\n"),
       "A implements PushButton, which is no interface"},
      {text("Class A Inherits B\nEnd Class\nClass B Inherits A\nEnd Class\n"),
       "inherits from itself"},
      {text("Class A\n  Property P As Integer\n  Method p()\nEnd Class\n"),
       "declares p twice in A"},
  };
  for (auto &c : cases)
    expect_error("Sub Main()\nEnd Sub\n" + library("bad.dll", c.bytes), "3:1", c.message);
}

// Damaged libraries and declarations of every shape give an error at the
// Plugin line or compile; none crashes the compiler or reads past the file.
TEST_F(Plugins, RandomlyDamagedLibrariesNeverCrashTheCompiler) {
  std::mt19937 random(24);
  const std::string program =
      "Sub Main()\n  Dim c As New KPCounter\n  c.Count = Twice(2)\nEnd Sub\n";
  std::vector<uint8_t> good =
      pefile::library("KARUPluginDeclarations", kDeclarations + std::string(1, '\0'));
  const char alphabet[] = "()',\n AsByRefClassEndInheritsPropertyMethod_x9\t\x01\xff";
  for (int i = 0; i < 300; i++) {
    std::string text = kDeclarations;
    for (int k = 0, n = 1 + int(random() % 4); k < n; k++)
      text[random() % text.size()] = alphabet[random() % (sizeof alphabet - 1)];
    std::vector<uint8_t> bytes =
        i % 3 ? pefile::library("KARUPluginDeclarations", text + '\0') : good;
    if (i % 3 == 0) bytes.resize(random() % bytes.size()); /* cut anywhere */
    CompileResult r = build(library("kp.dll", bytes) + program);
    if (!r.ok) {
      EXPECT_EQ(r.error.rfind("t.bas:", 0), 0u) << r.error;
      EXPECT_TRUE(r.image.code1.empty());
    }
  }
}

// A library without declarations keeps its controls placeable; code that
// reaches for their members is told why it cannot.
TEST_F(Plugins, ALibraryWithoutDeclarationsLeavesItsMembersUnknown) {
  std::string p = library("plain.dll", pefile::library("SomethingElse", std::string(4, '\0')));
  CompileResult ok =
      build(p + "Window W\n  Control D As KPThing\n    Shade = 3\n  End Control\nEnd Window\n");
  EXPECT_TRUE(ok.ok) << ok.error;
  expect_error(p + "Window W\n  Control D As KPThing\n  End Control\n"
                   "  Handler Open()\n    D.Spin 3\n  End Handler\nEnd Window\n",
               "6:5", "the plug-in of KPThing declares no members, so Spin cannot be used");
}

} // namespace
