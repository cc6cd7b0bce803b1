// The plug-ins a program embeds, as the compiler binds them: each plug-in's
// declarations (read from the library file when compiling) become member
// records like the runtime's own, whose entry names are deferred links that
// the runtime resolves against the loaded plug-in: "!MClass!Method",
// "!WClass!Method" (the assignment form), "!GClass!Property",
// "!SClass!Property", and "!MMethod" for a global method.
#pragma once
#include "ast.h"
#include "objects/builtins.h"
#include "plugin_decls.h"
#include <deque>
#include <map>

namespace basc {

// A class, control or interface a plug-in declares.
struct PluginClass {
  const PluginClassDecl *decl = nullptr;
  std::string file; // the plug-in's file name, for diagnostics
  std::deque<BuiltinProperty> properties;
  std::deque<BuiltinMethod> methods;
  std::deque<BuiltinEvent> events;
};

struct PluginLibrary {
  std::deque<PluginClass> classes;
  std::deque<BuiltinFunction> functions; // the global methods
  // method or function record -> its declaration
  std::map<const void *, const PluginMember *> declared;
  // method record of an interface -> the interface
  std::map<const void *, const PluginClass *> interfaceMethods;
  std::deque<std::string> texts; // the names and types the records point at
  bool undeclared = false;       // an embedded plug-in carries no declarations

  const char *keep(const std::string &text) { return texts.emplace_back(text).c_str(); }
  // The declaration behind a method or function record; nil for the runtime's own.
  const PluginMember *member_of(const void *record) const {
    auto it = declared.find(record);
    return it == declared.end() ? nullptr : it->second;
  }
  const BuiltinFunction *function(const std::string &name) const;
  const BuiltinProperty *property(const PluginClass &c, const std::string &name) const;
  const BuiltinMethod *method(const PluginClass &c, const std::string &name) const;
  const BuiltinEvent *event(const PluginClass &c, const std::string &name) const;
};

// Reads every embedded plug-in's file and the declarations it carries. A
// file that cannot be read, is no library, or carries damaged declarations is
// an error at its Plugin line.
void read_plugins(Program &prog);

} // namespace basc
