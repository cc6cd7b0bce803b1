// Internal to the checker: the Checker's state and the members that reach
// a name, shared by check.cpp and the check_*.cpp files, with the type
// helpers they all use.
//
// The checker. Expressions are rewritten in place: a Name becomes a Var, a
// Field, a PropGet, a ControlRef or a call; implicit conversions become
// Convert nodes; every new reference an expression produces gets a frame
// temporary that owns it until the routine returns.
#pragma once
#include "check.h"
#include "names.h"
#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace basc {

using K = Type::Kind;

inline std::string type_text(const Type &t) {
  switch (t.kind) {
  case K::Void:
    return "no value";
  case K::Integer:
    return "Integer";
  case K::Single:
    return "Single";
  case K::Double:
    return "Double";
  case K::Boolean:
    return "Boolean";
  case K::String:
    return "String";
  case K::Color:
    return "Color";
  case K::Nil:
    return "Nil";
  case K::Object:
    return t.cls ? t.cls->display() : "Object";
  case K::Array:
    return type_text(t.element()) + "(" + std::string(size_t(t.dims - 1), ',') + ")";
  }
  return "?";
}

inline int32_t type_size(const Type &t) { return t.kind == K::Double ? 8 : 4; }

// The members a name can reach in a class chain.
struct Member {
  enum Kind { None, Field, Prop, Routine, Method, Control } kind = None;
  const Property *field = nullptr;
  const BuiltinProperty *prop = nullptr;
  basc::Routine *routine = nullptr;
  const BuiltinMethod *method = nullptr;
  const ControlDecl *control = nullptr;
  bool isArray = false;
};

struct Checker {
  Program &prog;
  Checked &out;
  Classes &classes;

  // the routine being checked
  Routine *r = nullptr;
  std::map<std::string, Slot> locals;
  std::map<std::string, Param *> params;
  std::map<std::string, const Node *> consts, classConsts, globalConsts; // checked literals
  int32_t next = 0;               // lowest frame offset in use
  std::vector<std::string> loops; // FOR, WHILE, DO, innermost last
  int32_t tryCount = 0, tryCurrent = 0;
  int32_t nextEvent = 0;              // image events numbered so far
  int32_t pushed = 0, mostPushed = 0; // argument bytes on the stack at once, nested calls included
  struct LocalUse {
    std::string name;
    Loc loc;
    bool read;
  };
  std::map<std::string, LocalUse> localUse; // the routine's Dim'd locals, by upper-case name

  Checker(Program &p, Checked &o) : prog(p), out(o), classes(o.classes) {}

  // ---- declarations ----
  void declarations(); // everything but the routines' bodies
  void declare_classes();
  void resolve_class(ClassDecl &c);
  void layout(ClassInfo *c, std::set<ClassInfo *> &busy);
  void control_classes(ClassDecl &c);
  void number_classes();
  void bind_routines(ClassDecl &c);
  void dispatch_table(ClassInfo *c);
  void declare_events(ClassDecl &c);
  void check_image_handler(Routine &h, const EventDecl &e, const ClassInfo *target);
  void handled_once(const ClassInfo *cls);
  bool overridden_below(const ClassInfo *cls, const Routine *m) const;
  void bind_handler(ClassDecl &c, Routine &h);
  void check_event_signature(Routine &h, const ClassInfo *cls);
  void check_by_ref(const Param &p, bool byRef, const std::string &event);
  void check_descriptions(ClassDecl &c);
  void check_prop_value(const PropValue &v, const ClassInfo *cls, bool window);
  void check_menu(std::vector<MenuEntry> &entries);
  void globals();
  void object_items();
  void modules();
  void class_constants(ClassDecl &c);
  bool module_member(NodeP &n);
  const Node *constant(const std::string &name, const TypeRef &t, NodeP &value);
  Type resolve_type(const TypeRef &t, bool allowVoid = false);

  // ---- interfaces ----
  std::map<ClassInfo *, size_t> interfaceDepth; // levels of interfaces, itself included
  void check_class_cycles();
  void declare_interfaces();
  void resolve_interfaces();
  void resolve_interface(ClassInfo *i, std::vector<ClassInfo *> &path);
  ClassInfo *listed_interface(const TypeRef &t, std::set<ClassInfo *> &named,
                              const std::string &list, const char *onlyInterfaces);
  const std::vector<Routine *> &interface_slots(ClassInfo *i);
  static bool same_params(const Routine &a, const Routine &b);
  static std::string signature_text(const Routine &m);
  void check_implemented(ClassInfo *c, ClassInfo *iface, Routine &m, const TypeRef &at);
  void class_interfaces(ClassInfo *c, std::set<ClassInfo *> &done);
  [[nodiscard]] bool interface_member(NodeP &n, ClassInfo *iface, std::function<NodeP()> receiver,
                                      bool isCall);
  Type param_type(const Param &p);

  // ---- routines ----
  void routine(Routine &rt);
  int32_t frame_slot(const Type &t, bool release);
  int32_t temp(const Type &t) { return frame_slot(t, t.is_ref()); }

  // ---- warnings ----
  void warn(Loc loc, const std::string &message);
  const char *leaves(const Stmt &s);
  void warn_unreachable(const Block &b);
  void declare_local(const std::string &name, Loc loc);
  void read_local(const std::string &upperName);
  void warn_unused_locals();
  std::vector<std::string> member_names(const ClassInfo *cls) const;
  std::vector<std::string> names_in_scope() const;
  std::vector<std::string> type_names() const;
  void need_value(const Node &n) const;
  void hold_borrowed(const std::vector<Node *> &operands);
  void hold_call_operands(Node &call); // its receiver, then its arguments
  void not_a_statement(const Stmt &s) const;
  std::string unknown_name(const std::string &name) const; // with a likely fix

  // ---- statements ----
  void block(Block &b);
  void stmt(Stmt &s);
  void dim(Stmt &s);
  void assign(Stmt &s);
  void for_stmt(Stmt &s);
  void select_stmt(Stmt &s);
  void try_stmt(Stmt &s);
  void condition(NodeP &n);
  Type dim_array(Stmt &s, size_t i, const Type &element);
  Type literal_array(ArrayShape &shape, const Type &element, const char *what);
  void redim(Stmt &s);

  // ---- arrays ----
  void array_index(NodeP &i);
  void index(NodeP &n, NodeP array, std::vector<NodeP> args, Loc loc);
  void array_method(NodeP &n, NodeP array, const std::string &name, std::vector<NodeP> args,
                    Loc loc);
  void ubound(NodeP &n, std::vector<NodeP> args, Loc loc);
  void count_pushed(int32_t bytes) { mostPushed = std::max(mostPushed, pushed + bytes); }

  // ---- expressions ----
  void expr(NodeP &n);
  void name(NodeP &n);
  void member(NodeP &n);
  void call(NodeP &n);
  void named_call(NodeP &n, NodeP probe, Loc loc);
  bool global_named(const std::string &name);
  basc::Routine *module_routine(const std::string &name);
  GlobalDecl *global_decl(const std::string &name);
  std::map<std::string, basc::Routine *> routineIndex; // upper-case name: first routine
  std::map<std::string, GlobalDecl *> globalIndex;
  void binary(NodeP &n);
  void unary(NodeP &n);
  void convert(NodeP &n, const Type &to, const char *context);
  bool convertible(const Type &from, const Type &to) const;
  void variant_convert(NodeP &n, const Type &to);
  bool variant_operands(NodeP &n);
  const BuiltinMethod *pick_method(ClassInfo *cls, const BuiltinMethod *first,
                                   std::vector<NodeP> &args, Loc loc);
  Member find_member(ClassInfo *cls, const std::string &name);
  bool resolve_in(NodeP &n, ClassInfo *cls, std::function<NodeP()> receiver, bool isCall);
  // A bare name inside a class: a member of the class itself, or, in a
  // control's handler, of the control's window.
  bool resolve_in_owner(NodeP &n, Loc loc, bool isCall);
  NodeP make(NK kind, Loc loc) {
    auto n = std::make_unique<Node>();
    n->kind = kind;
    n->loc = loc;
    return n;
  }
  NodeP self_node(Loc loc) {
    NodeP n = make(NK::SelfRef, loc);
    n->type = {K::Object, r->selfClass};
    return n;
  }
  void raise_event(NodeP &n);
  void routine_call(NodeP &n, basc::Routine *target, NodeP receiver, std::vector<NodeP> args,
                    Loc loc);
  void method_call(NodeP &n, const BuiltinMethod *m, NodeP receiver, std::vector<NodeP> args,
                   Loc loc);
  void function_call(NodeP &n, const BuiltinFunction *f, std::vector<NodeP> args, Loc loc);
  void check_args(std::vector<NodeP> &args, const std::vector<Type> &want, Loc loc,
                  const std::string &what);
  NodeP fallback_arg(const Type &want, int32_t fallback, Loc loc);
  void table_args(std::vector<NodeP> &args, int32_t first, int32_t count, Loc loc,
                  const std::string &what);
  void by_ref_arg(NodeP &arg, const Type &want, size_t i, const std::string &what);
  bool grouped_function(NodeP &n);
  void color_part(NodeP &n);
  bool entry_member(NodeP &n, ClassInfo *cls, std::function<NodeP()> &receiver,
                    std::vector<NodeP> &args, const std::string &name, Loc loc);
  // ---- plug-ins ----
  void plugin_classes();
  [[noreturn]] void no_member(const ClassInfo *cls, const std::string &name, Loc loc);
  void plugin_args(std::vector<NodeP> &args, const PluginMember &m, Loc loc);
  bool plugin_member(ClassInfo *cls, const std::string &name, Member &m);
  const BuiltinEvent *plugin_event(const ClassInfo *cls, const std::string &name);
  const BuiltinProperty *plugin_property(const ClassInfo *cls, const std::string &name);
  void give_temp(Node &n) {
    if (n.type.is_ref()) n.temp = temp(n.type);
  }
};

} // namespace basc
