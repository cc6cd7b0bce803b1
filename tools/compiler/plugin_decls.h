// A plug-in's declarations: the text a plug-in library carries (exported as
// KARUPluginDeclarations) naming the classes, controls, interfaces and global
// methods it registers, with their members' types, so that a compiler can
// check the code that uses them. Portable: the compiler reads it on the build
// machine and the runtime's tests hold a loaded plug-in against it.
//
//   ' a comment
//   Class Counter [Inherits Super] [Implements IfaceA, IfaceB]
//     [ReadOnly] Property Count As Integer
//     [Assignable] Method Add(n As Integer, ByRef total As Double) As Integer
//     Event Changed(level As Integer)
//   End Class
//   Control Dial [Implements IfaceA]      (a RectControl)
//     ...
//   End Control
//   Interface IfaceA
//     Method Area() As Double
//   End Interface
//   Method Twice(n As Integer) As Integer (a global method)
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace basc {

inline constexpr const char *kPluginDeclarationsSymbol = "KARUPluginDeclarations";
inline constexpr size_t kMaxPluginParams = 32;

struct PluginParam {
  std::string name, type; // the type as written: Integer ... Color or a class name
  bool byRef = false;
  bool array = false; // "a() As T": a one-dimensional array
};

// A property (its type in `result`), a method or an event.
struct PluginMember {
  std::string name;
  std::vector<PluginParam> params;
  std::string result;      // "" for none
  std::string paramText;   // the text between the parentheses, as written
  bool readOnly = false;   // a property without a setter
  bool assignable = false; // a method with an assignment form
  int line = 0;
};

struct PluginClassDecl {
  enum Kind { Class, Control, Interface } kind = Class;
  std::string name, super; // super: "" for none
  std::vector<std::string> interfaces;
  std::vector<PluginMember> properties, methods, events;
  int line = 0;
};

struct PluginDeclarations {
  std::vector<PluginClassDecl> classes;
  std::vector<PluginMember> methods; // global methods
};

// Reads the whole text. False with "line N: ..." on the first fault.
bool parse_plugin_declarations(std::string_view text, PluginDeclarations *out, std::string *error);

// One member declaration: Name[(parameters)][As Type]. False with a message.
bool parse_member_declaration(std::string_view text, PluginMember *out, std::string *error);

} // namespace basc
