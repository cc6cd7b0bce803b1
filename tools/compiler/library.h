// What the compiler knows about the runtime: the classes and their members
// and the global functions, all read from the runtime's own tables
// (objects/builtins.h).
#pragma once
#include "ast.h"
#include "objects/builtins.h"
#include <map>

namespace basc {

struct PluginClass;

// A class as the checker sees it: a built-in class, an image class, or a
// per-control subclass that carries a control's event handlers.
struct ClassInfo {
  std::string name;                      // empty for a per-control subclass
  const BuiltinClass *builtin = nullptr; // a class of the runtime
  ClassDecl *decl = nullptr;             // a class of the image
  bool external = false;                 // a plug-in class known only by name
  const PluginClass *plugin = nullptr;   // an external class its plug-in declares
  ClassInfo *super = nullptr;
  int32_t size = 24;  // instance size, header included
  int32_t index = -1; // class-directory index, -1 until used
  bool isWindow = false;
  std::vector<Routine *> handlers; // event handlers (image classes and control subclasses)
  std::vector<Routine *> menuHandlers;
  std::vector<Routine *> methods;
  std::vector<Routine *> dispatch; // the dispatch table: the superclass's, overrides replaced,
                                   // then the class's new methods
  Routine *constructor = nullptr, *destructor = nullptr;
  bool needsLifecycle = false;    // the class has a constructor and destructor pair
  ClassDecl *window = nullptr;    // a per-control subclass: its window class
  bool controlArray = false;      // a per-control subclass shared by a control array's elements
  InterfaceDecl *iface = nullptr; // an interface of the image
  // A class: the interfaces it names, each with the ones those extend. An
  // interface: every interface it extends, directly or not.
  std::vector<ClassInfo *> interfaces;
  // An interface: its methods in table order (slot = position + 1), those
  // of the interfaces it extends first.
  std::vector<Routine *> slots;
  std::vector<std::unique_ptr<Routine>> tableMethods; // a built-in interface's, made from its table

  bool is_interface() const { return iface || (builtin && (builtin->flags & kInterface)); }
  // Whether a reference of this class or interface is one of `other` too.
  bool implements(const ClassInfo *other) const {
    if (this == other) return true;
    for (const ClassInfo *c = this; c; c = c->super)
      for (const ClassInfo *i : c->interfaces)
        if (i == other) return true;
    return false;
  }

  bool derives_from(const ClassInfo *other) const {
    for (const ClassInfo *c = this; c; c = c->super)
      if (c == other) return true;
    return false;
  }
  // A plug-in's class, or a per-control subclass of one, whose plug-in
  // declares nothing: its members are known only to the runtime.
  bool plugin_kind() const {
    const ClassInfo *c = this;
    while (c && !c->builtin && !c->external) c = c->super;
    return c && c->external && !c->plugin;
  }
  std::string display() const { return name.empty() ? "(control subclass)" : name; }
};

// How many of a member table's parameters a call must give: those before the
// optional ones that close the list; and whether argCount arguments fit.
int32_t required_params(int32_t first, int32_t count);
bool takes_arg_count(int32_t first, int32_t count, size_t argCount);

// The global function of that name taking argCount arguments, or nil.
const BuiltinFunction *find_function(const std::string &name, size_t argCount);
bool function_name_exists(const std::string &name);

// The type named by a member table ("Integer", "String", a class name).
struct Classes;
Type table_type(Classes &classes, const char *name);
// The types of `count` parameters of the shared table from `first` on (an
// array parameter as a one-dimensional array).
std::vector<Type> table_params(Classes &classes, int32_t first, int32_t count);

// Every class the program names, created on first use, and the class
// directory in index order.
struct Classes {
  std::vector<std::unique_ptr<ClassInfo>> all;
  std::map<std::string, ClassInfo *> byName; // upper-case names of named classes
  std::vector<ClassInfo *> directory;
  ClassInfo *object = nullptr; // the root every object type converts to

  Classes();
  ClassInfo *find(const std::string &name); // image or built-in class, or nil
  ClassInfo *builtin(const char *name);     // a built-in class by its table name
  ClassInfo *add_image_class(ClassDecl *decl);
  ClassInfo *add_external(const std::string &name);
  ClassInfo *add_interface(InterfaceDecl *decl);
  ClassInfo *add_control_subclass(ClassInfo *base, ClassDecl *window);
  int32_t index_of(ClassInfo *cls); // gives the class a directory index on first use
};

// A Variant: the runtime object that holds one value of any type.
inline bool is_variant(const Type &t) {
  return t.kind == Type::Kind::Object && t.cls && t.cls->builtin && t.cls->name == "Variant";
}

// Lookups along a built-in class's chain.
const BuiltinProperty *find_builtin_property(const ClassInfo *cls, const std::string &name);
const BuiltinMethod *find_builtin_method(const ClassInfo *cls, const std::string &name);
// Every form of a method the nearest class declaring that name gives it.
std::vector<const BuiltinMethod *> find_builtin_overloads(const ClassInfo *cls,
                                                          const std::string &name);
const BuiltinEvent *find_builtin_event(const ClassInfo *cls, const std::string &name);

// The handler numbers of the events image classes declare: one each, counted
// from here, above the numbers of the runtime's own events.
inline constexpr int32_t kImageEventBase = 0x10000;

// The image event of that name declared by cls or a class above it, or nil.
const EventDecl *find_image_event(const ClassInfo *cls, const std::string &name);

// A handler of a control-array element reads the element's position in its
// array here, in the control itself: the field the window's control map keeps
// (the Index property, at 36, is the number the description gave).
inline constexpr int32_t kControlArrayPositionOffset = 20;

// The shared field accessors of the member tables are read and written in
// place by compiled code; every other accessor is an entry point.
enum class FieldAccess { None, Int, Short, Bool, Ref }; // Ref: a String or an object, counted
FieldAccess field_access(const char *accessor);

} // namespace basc
