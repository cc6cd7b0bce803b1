// The checker's entry: the order of its passes, and the declarations that
// span the program: window and control descriptions, the menu bar,
// constants and globals.
#include "checker.h"

namespace basc {

void Checker::check_prop_value(const PropValue &v, const ClassInfo *cls, bool window) {
  NK k = v.value->kind;
  if (k != NK::IntLit && k != NK::RealLit && k != NK::StrLit && k != NK::BoolLit &&
      k != NK::ColorLit)
    error_at(v.value->loc, "the value of " + v.name + " must be a literal");
  if (k == NK::IntLit && (v.value->ival > INT32_MAX || v.value->ival < INT32_MIN))
    error_at(v.value->loc, "integer literal is out of range");
  if (cls->plugin_kind()) return;
  const BuiltinProperty *p = find_builtin_property(cls, v.name);
  if (!p) p = plugin_property(cls, v.name);
  if (!p && !(window && iequal(v.name, "Name")))
    error_at(v.loc, (window ? "Window" : cls->display()) + " has no property " + v.name);
  if (!p) return;
  Type t = table_type(classes, p->type);
  bool ok = (t.kind == K::String && k == NK::StrLit) ||
            (t.kind == K::Boolean && k == NK::BoolLit) ||
            (t.is_intlike() && (k == NK::IntLit || k == NK::ColorLit)) ||
            (t.is_float() && (k == NK::IntLit || k == NK::RealLit)) ||
            (t.kind == K::Object && k == NK::IntLit); /* a project-object number */
  if (!ok) error_at(v.value->loc, "property " + v.name + " is " + type_text(t));
}

void Checker::check_descriptions(ClassDecl &c) {
  if (!c.isWindow) return;
  ClassInfo *window = classes.builtin("Window");
  std::set<std::string> seen;
  for (const PropValue &v : c.windowProps) {
    if (!seen.insert(upper(v.name)).second) error_at(v.loc, v.name + " is set twice");
    check_prop_value(v, window, true);
  }
  for (ControlDecl &d : c.controls) {
    std::set<std::string> names;
    for (const PropValue &v : d.props) {
      if (!names.insert(upper(v.name)).second) error_at(v.loc, v.name + " is set twice");
      if (iequal(v.name, "Name") || iequal(v.name, "Index"))
        error_at(v.loc, v.name + " is given in the Control line");
      check_prop_value(v, d.cls, false);
    }
  }
}

void Checker::check_menu(std::vector<MenuEntry> &entries) {
  for (MenuEntry &e : entries) {
    if (!e.classRef.name.empty()) {
      Type t = resolve_type(e.classRef);
      if (!t.cls->derives_from(classes.builtin("MenuItem")))
        error_at(e.classRef.loc, e.classRef.name + " is not a menu item class");
    }
    check_menu(e.items);
  }
}

// The value must be a literal of the constant's type, or one that converts to
// it without a run-time conversion (an Integer literal for a Double).
const Node *Checker::constant(const std::string &name, const TypeRef &t, NodeP &value) {
  NK k = value->kind;
  if (k != NK::IntLit && k != NK::RealLit && k != NK::StrLit && k != NK::BoolLit &&
      k != NK::ColorLit) {
    Loc start = value->loc; /* the leftmost token, not the operator or "(" */
    for (const Node *v = value.get(); v; v = v->lhs.get()) start = v->loc;
    error_at(start, "the value of constant " + name + " must be a literal");
  }
  expr(value);
  if (!t.name.empty()) convert(value, resolve_type(t), "the value of a constant");
  if (value->kind == NK::Convert)
    error_at(value->loc, "constant " + name + " needs a literal of type " + type_text(value->type) +
                             ", not " + type_text(value->lhs->type));
  return value.get();
}

void Checker::globals() {
  std::set<std::string> names;
  for (ConstDecl &c : prog.consts) {
    if (!names.insert(upper(c.name)).second) error_at(c.loc, c.name + " is declared twice");
    globalConsts[upper(c.name)] = constant(c.name, c.typeRef, c.value);
  }
  int32_t offset = 0;
  for (GlobalDecl &g : prog.globals) {
    if (!names.insert(upper(g.name)).second)
      error_at(g.loc, "variable " + g.name + " is declared twice");
    Type t = resolve_type(g.typeRef);
    if (g.shape.present) {
      t = literal_array(g.shape, t, "a module-level array");
      out.globalArrays.push_back(&g);
    }
    g.slot = {Slot::Global, offset, t};
    g.slot.item = g.item;
    offset += type_size(t);
  }
  out.globalsSize = offset;
  std::set<std::string> routines;
  for (auto &rt : prog.routines) {
    if (!routines.insert(upper(rt->name)).second) error_at(rt->loc, rt->name + " is defined twice");
    if (names.count(upper(rt->name))) error_at(rt->loc, rt->name + " is already a variable");
    rt->result = resolve_type(rt->resultRef, true);
    if (rt->kind == RoutineKind::Function && rt->result.kind == K::Void)
      error_at(rt->loc, "function " + rt->name + " needs a result type (As ...)");
    if (rt->kind == RoutineKind::Sub && rt->result.kind != K::Void)
      error_at(rt->resultRef.loc, "a Sub has no result; use Function");
    if (rt->kind == RoutineKind::Constructor || rt->kind == RoutineKind::Destructor)
      error_at(rt->loc, rt->name + " belongs inside a class");
    if (iequal(rt->name, "Main")) {
      if (!rt->params.empty() || rt->kind != RoutineKind::Sub)
        error_at(rt->loc, "Main is a Sub without parameters");
      out.main = rt.get();
    }
  }
}

// A module's name qualifies its members, so it may name no class and no
// other module; its members are checked with the program's own globals.
void Checker::modules() {
  std::set<std::string> seen;
  for (const ModuleDecl &m : prog.modules) {
    if (!seen.insert(upper(m.name)).second)
      error_at(m.loc, "module " + m.name + " is declared twice");
    if (ClassInfo *c = classes.find(m.name))
      error_at(m.loc, "module " + m.name + " has the name of " +
                          (c->decl    ? std::string("a class of this program")
                           : c->iface ? "an interface of this program"
                                      : "a built-in class"));
  }
}

// An object item is made by the runtime at start-up with nothing but its
// class: a class that stands alone once created, as New makes it. Windows,
// controls (they live on a window), the application (the runtime makes the
// one there is), interfaces and plug-in classes are not.
void Checker::object_items() {
  for (const ObjectItemDecl &d : prog.objectItems) {
    const GlobalDecl &g = prog.globals[d.global];
    const Type &t = g.slot.type;
    const Loc &at = g.typeRef.loc;
    if (t.kind != K::Object)
      error_at(at, "an Object item is of a class, not " + type_text(t) + "; use Dim for values");
    const ClassInfo *c = t.cls;
    std::string why;
    if (c == classes.object)
      why = "is the root class";
    else if (c->external || c->plugin_kind())
      why = "is a plug-in's class, which the runtime cannot make at start-up";
    else if (c->is_interface())
      why = "is an interface";
    else if (c->isWindow || c->derives_from(classes.builtin("Window")) ||
             c->derives_from(classes.builtin("MDIWindow")))
      why = "is a window; windows are made with New or opened by the Project's MainWindow";
    else if (c->derives_from(classes.builtin("Control")))
      why = "is a control, which lives on a window";
    else if (c->derives_from(classes.builtin("Application")))
      why = "is the application, which the runtime makes itself";
    if (!why.empty()) error_at(at, g.typeRef.name + " " + why + "; it cannot be an Object item");
  }
}

void Checker::class_constants(ClassDecl &c) {
  std::set<std::string> names;
  for (ConstDecl &k : c.consts) {
    if (!names.insert(upper(k.name)).second) error_at(k.loc, k.name + " is declared twice");
    for (const Property &p : c.properties)
      if (iequal(p.name, k.name)) error_at(k.loc, k.name + " is already a property");
    constant(k.name, k.typeRef, k.value);
  }
}

void Checker::declarations() {
  plugin_classes();
  declare_interfaces();
  declare_classes();
  resolve_interfaces();
  for (auto &c : prog.classes) control_classes(*c);
  number_classes();
  for (auto &c : prog.classes) declare_events(*c);
  for (auto &c : prog.classes) bind_routines(*c);
  for (ClassInfo *c : out.imageClasses) handled_once(c);
  for (auto &c : prog.classes) dispatch_table(c->info);
  std::set<ClassInfo *> implemented;
  for (auto &c : prog.classes) class_interfaces(c->info, implemented);
  for (auto &c : prog.classes) check_descriptions(*c);
  check_menu(prog.menuBar);
  out.menuItem = classes.builtin("MenuItem");
  modules();
  globals();
  object_items();
  for (auto &c : prog.classes) class_constants(*c);
  if (!prog.project.mainWindow.name.empty()) {
    Type t = resolve_type(prog.project.mainWindow);
    if (!t.cls->decl || !t.cls->isWindow)
      error_at(prog.project.mainWindow.loc,
               prog.project.mainWindow.name + " is not a window of this program");
    out.mainWindow = t.cls;
  }
  for (ClassInfo *c : out.imageClasses) {
    bool refs = false;
    if (c->decl)
      for (const Property &p : c->decl->properties) refs |= p.type.is_ref() || p.type.is_array();
    c->needsLifecycle = c->constructor || c->destructor || refs;
  }
}

ProgramChecker::ProgramChecker(Program &program, Checked &out)
    : checker_(std::make_unique<Checker>(program, out)) {}

ProgramChecker::~ProgramChecker() = default;

void ProgramChecker::declarations() { checker_->declarations(); }

void ProgramChecker::routine(Routine &r) { checker_->routine(r); }

void check(Program &program, Checked &out) {
  ProgramChecker c(program, out);
  c.declarations();
  for_each_routine(program, [&](Routine &r) { c.routine(r); });
}

} // namespace basc
