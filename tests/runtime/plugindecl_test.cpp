// A plug-in's declarations held against what it registered once loaded: the
// compiler trusts the text, so every declared class, member and type must be
// what the runtime binds the program's deferred links to.
#include "objects/classdef.h"
#include "plugin_decls.h"
#include "plugins/plugin.h"
#include "plugintest.h"
#include "recorder.h"
#include "text/string.h"
#include <windows.h>

namespace {

std::string typeName(const void *type) {
  if (!type) return "";
  if (type_is_array(type)) return typeName(((const ArrayType *)type)->elementType) + "()";
  if (*(const int32_t *)type == 3) return str_cview(((const ClassDef *)type)->name);
  return ((const TypeDescriptor *)type)->name;
}

bool same(const std::string &a, const std::string &b) {
  return a.size() == b.size() && !_stricmp(a.c_str(), b.c_str());
}

std::string declaredType(const basc::PluginParam &p) { return p.type + (p.array ? "()" : ""); }

// What differs between the declarations and the registered classes, one line each.
std::vector<std::string> mismatches(const char *text) {
  basc::PluginDeclarations d;
  std::string error;
  if (!basc::parse_plugin_declarations(text, &d, &error)) return {"unreadable: " + error};
  std::vector<std::string> out;
  auto params = [&](const std::string &what, const std::vector<basc::PluginParam> &want,
                    const ParsedParameter *got, int32_t count) {
    if (count != (int32_t)want.size())
      return out.push_back(what + ": " + std::to_string(count) + " parameters registered");
    for (int32_t i = 0; i < count; i++)
      if (!same(typeName(got[i].type), declaredType(want[i])) || !got[i].byRef != !want[i].byRef)
        out.push_back(what + ": parameter " + want[i].name + " registered as " +
                      (got[i].byRef ? "ByRef " : "") + typeName(got[i].type));
  };
  for (const basc::PluginClassDecl &c : d.classes) {
    ClassDef *cls = pluginObjectType(c.name.c_str());
    if (!cls) {
      out.push_back(c.name + ": not registered");
      continue;
    }
    bool isInterface = c.kind == basc::PluginClassDecl::Interface;
    if (!cls->isInterface != !isInterface) out.push_back(c.name + ": interface flag differs");
    std::string super = cls->superclass ? str_cview(cls->superclass->name) : "";
    std::string wantSuper = c.kind == basc::PluginClassDecl::Control ? "RectControl" : c.super;
    if (!same(super, wantSuper)) out.push_back(c.name + ": superclass " + super);
    for (const basc::PluginMember &m : c.properties) {
      PropertyRecord *p = cls->properties;
      while (p && !same(str_cview(p->name), m.name)) p = p->next;
      std::string what = c.name + "." + m.name;
      if (!p)
        out.push_back(what + ": not registered");
      else if (!same(typeName(p->type), m.result))
        out.push_back(what + ": type " + typeName(p->type));
      else if (!p->getter)
        out.push_back(what + ": no getter");
      else if (!p->setter != m.readOnly)
        out.push_back(what + (m.readOnly ? ": has a setter" : ": no setter"));
    }
    for (const basc::PluginMember &m : c.methods) {
      MethodRecord *r = cls->methods;
      while (r && !same(str_cview(r->name), m.name)) r = r->next;
      std::string what = c.name + "." + m.name;
      if (!r) {
        out.push_back(what + ": not registered");
        continue;
      }
      if (!same(typeName(r->resultType), m.result))
        out.push_back(what + ": result " + typeName(r->resultType));
      if (!isInterface && !r->entry) out.push_back(what + ": no routine");
      if (!r->assignEntry != !m.assignable) out.push_back(what + ": assignment form differs");
      params(what, m.params, (const ParsedParameter *)r->parameters, r->parameterCount);
    }
    for (const basc::PluginMember &m : c.events) {
      EventRecord *e = cls->events;
      while (e && !same(str_cview(e->name), m.name)) e = e->next;
      std::string what = c.name + "." + m.name;
      if (!e)
        out.push_back(what + ": not registered");
      else
        params(what, m.params, e->parameters, e->parameterCount);
    }
  }
  for (const basc::PluginMember &m : d.methods)
    if (!plugin_find_global_method(m.name.c_str(), false))
      out.push_back(m.name + ": not registered");
  return out;
}

class PluginDeclarationsTest : public RuntimeTest {
public:
  static void SetUpTestSuite() { install_test_plugins(); }
};

TEST_F(PluginDeclarationsTest, ALibrarysDeclarationsNameExactlyWhatItRegisters) {
  std::string name = "kpdecl" + std::to_string(GetCurrentProcessId()) + ".dll";
  HMODULE library = GetModuleHandleA(name.c_str());
  ASSERT_NE(library, nullptr);
  auto text = (const char *)GetProcAddress(library, "KARUPluginDeclarations");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(mismatches(text), std::vector<std::string>{});
}

// The check itself: declarations that drifted from the registrations are
// caught member by member.
TEST_F(PluginDeclarationsTest, DeclarationsThatDriftFromTheRegistrationsAreCaught) {
  EXPECT_EQ(mismatches("Class KPCounter\n"
                       "  Property Count As String\n"
                       "  Property Total As Integer\n"
                       "  ReadOnly Property Label As String\n"
                       "  Property Missing As Integer\n"
                       "  Method Add(n As Double) As Integer\n"
                       "  Method Fill(n As Integer)\n"
                       "  Method Slot(index As Integer) As Integer\n"
                       "  Method Describe() As Integer\n"
                       "End Class\n"
                       "Class KPTally\n"
                       "End Class\n"
                       "Control KPDial\n"
                       "  Event Turned(level As Integer, extra As Integer)\n"
                       "End Control\n"
                       "Class KPNowhere\n"
                       "End Class\n"
                       "Method Thrice(n As Integer) As Integer\n"),
            (std::vector<std::string>{
                "KPCounter.Count: type Integer", "KPCounter.Total: no setter",
                "KPCounter.Label: has a setter", "KPCounter.Missing: not registered",
                "KPCounter.Add: parameter n registered as Integer",
                "KPCounter.Fill: parameter n registered as ByRef Integer",
                "KPCounter.Slot: assignment form differs", "KPCounter.Describe: result String",
                "KPCounter.Describe: 1 parameters registered", "KPTally: superclass KPCounter",
                "KPDial.Turned: 1 parameters registered", "KPNowhere: not registered",
                "Thrice: not registered"}));
}

} // namespace
