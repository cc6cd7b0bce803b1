// The checker. Expressions are rewritten in place: a Name becomes a Var, a
// Field, a PropGet, a ControlRef or a call; implicit conversions become
// Convert nodes; every new reference an expression produces gets a frame
// temporary that owns it until the routine returns.
#include "check.h"
#include "names.h"
#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace basc {

namespace {

using K = Type::Kind;

std::string type_text(const Type &t) {
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
  }
  return "?";
}

int32_t type_size(const Type &t) { return t.kind == K::Double ? 8 : 4; }

const int32_t kMaxFrameStep = 4096;
const int32_t kOperandReserve = 64; /* the operands of binary operators waiting on the stack */

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
  std::map<std::string, const Node *> consts, globalConsts; // checked literals
  int32_t next = 0;                                         // lowest frame offset in use
  std::vector<std::string> loops;                           // FOR, WHILE, DO, innermost last
  int32_t tryCount = 0, tryCurrent = 0;
  int32_t nextEvent = 0;              // image events numbered so far
  int32_t pushed = 0, mostPushed = 0; // argument bytes on the stack at once, nested calls included

  Checker(Program &p, Checked &o) : prog(p), out(o), classes(o.classes) {}

  // ---- declarations ----
  void run();
  void declare_classes();
  void resolve_class(ClassDecl &c);
  void layout(ClassInfo *c, std::set<ClassInfo *> &busy);
  void control_classes(ClassDecl &c);
  void bind_routines(ClassDecl &c);
  void dispatch_table(ClassInfo *c);
  void declare_events(ClassDecl &c);
  void check_image_handler(Routine &h, const EventDecl &e, const ClassInfo *target);
  void handled_once(const ClassInfo *cls);
  bool overridden_below(const ClassInfo *cls, const Routine *m) const;
  void bind_handler(ClassDecl &c, Routine &h);
  void check_event_signature(Routine &h, const ClassInfo *cls);
  void check_descriptions(ClassDecl &c);
  void check_prop_value(const PropValue &v, const ClassInfo *cls, bool window);
  void check_menu(std::vector<MenuEntry> &entries);
  void globals();
  const Node *constant(const std::string &name, const TypeRef &t, NodeP &value);
  Type resolve_type(const TypeRef &t, bool allowVoid = false);

  // ---- routines ----
  void routine(Routine &rt);
  int32_t frame_slot(const Type &t, bool release);
  int32_t temp(const Type &t) { return frame_slot(t, t.is_ref()); }

  // ---- statements ----
  void block(Block &b);
  void stmt(Stmt &s);
  void dim(Stmt &s);
  void assign(Stmt &s);
  void for_stmt(Stmt &s);
  void select_stmt(Stmt &s);
  void try_stmt(Stmt &s);
  void condition(NodeP &n);

  // ---- expressions ----
  void expr(NodeP &n);
  void name(NodeP &n);
  void member(NodeP &n);
  void call(NodeP &n);
  void binary(NodeP &n);
  void unary(NodeP &n);
  void convert(NodeP &n, const Type &to, const char *context);
  bool convertible(const Type &from, const Type &to) const;
  Member find_member(ClassInfo *cls, const std::string &name);
  bool resolve_in(NodeP &n, ClassInfo *cls, std::function<NodeP()> receiver, bool isCall);
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
  void give_temp(Node &n) {
    if (n.type.is_ref()) n.temp = temp(n.type);
  }
};

// ---- declarations ----

Type Checker::resolve_type(const TypeRef &t, bool allowVoid) {
  if (t.name.empty()) {
    if (allowVoid) return {};
    error_at(t.loc, "expected a type");
  }
  static const std::pair<const char *, K> kinds[] = {
      {"INTEGER", K::Integer}, {"SINGLE", K::Single}, {"DOUBLE", K::Double},
      {"BOOLEAN", K::Boolean}, {"STRING", K::String}, {"COLOR", K::Color},
  };
  std::string u = upper(t.name);
  for (auto &[n, k] : kinds)
    if (u == n) return {k, nullptr};
  ClassInfo *c = classes.find(t.name);
  if (!c) error_at(t.loc, "unknown type '" + t.name + "'");
  return {K::Object, c};
}

void Checker::declare_classes() {
  std::set<std::string> seen;
  for (auto &c : prog.classes) {
    if (!seen.insert(upper(c->name)).second || classes.builtin(c->name.c_str()))
      error_at(c->loc, "class " + c->name + " is already defined");
    classes.add_image_class(c.get());
  }
  for (auto &c : prog.classes) resolve_class(*c);
  std::set<ClassInfo *> busy;
  for (auto &c : prog.classes) layout(c->info, busy);
  for (auto &c : prog.classes) classes.index_of(c->info);
  for (auto &c : prog.classes) out.imageClasses.push_back(c->info);
}

void Checker::resolve_class(ClassDecl &c) {
  ClassInfo *info = c.info;
  if (c.superRef.name.empty()) {
    info->super = c.isWindow ? classes.builtin("Window") : classes.object;
  } else {
    ClassInfo *s = classes.find(c.superRef.name);
    if (!s) error_at(c.superRef.loc, "unknown class '" + c.superRef.name + "'");
    if (s->builtin && (s->builtin->flags & kInterface))
      error_at(c.superRef.loc, c.superRef.name + " is an interface, not a class");
    info->super = s;
  }
  if (c.isWindow && !info->super->isWindow)
    error_at(c.superRef.loc, "window " + c.name + " must inherit from a window class");
}

// Properties follow the superclass's instance, four bytes each (Double eight).
void Checker::layout(ClassInfo *c, std::set<ClassInfo *> &busy) {
  if (!c->decl || busy.count(c)) return;
  busy.insert(c);
  for (ClassInfo *s = c->super; s; s = s->super)
    if (s == c) error_at(c->decl->loc, "class " + c->name + " inherits from itself");
  if (c->super && c->super->decl) layout(c->super, busy);
  int32_t offset = c->super ? c->super->size : 24;
  std::set<std::string> names;
  for (Property &p : c->decl->properties) {
    if (!names.insert(upper(p.name)).second)
      error_at(p.loc, "property " + p.name + " is declared twice");
    p.type = resolve_type(p.typeRef);
    p.offset = offset;
    offset += type_size(p.type);
  }
  c->size = offset;
}

// Each control that has handlers gets an unnamed subclass of its class; the
// elements of a control array share one.
void Checker::control_classes(ClassDecl &c) {
  std::map<std::string, ClassInfo *> base;
  std::map<std::string, ClassInfo *> sub;
  std::set<std::string> keys;
  for (ControlDecl &d : c.controls) {
    std::string u = upper(d.name);
    ClassInfo *cls = classes.find(d.classRef.name);
    if (!cls) {
      if (prog.plugins.empty())
        error_at(d.classRef.loc, "unknown control class '" + d.classRef.name + "'");
      cls = classes.add_external(d.classRef.name); /* registered by a plug-in */
    }
    if (!cls->external && !cls->derives_from(classes.builtin("Control")))
      error_at(d.classRef.loc, d.classRef.name + " is not a control class");
    if (base.count(u) && base[u] != cls)
      error_at(d.loc, "the elements of control array " + d.name + " must share one class");
    base[u] = cls;
    std::string key = u + "$" + std::to_string(d.index);
    if (!keys.insert(key).second) error_at(d.loc, "control " + d.name + " is declared twice");
    for (ControlDecl &o : c.controls)
      if (&o != &d && iequal(o.name, d.name) && (o.index == INT32_MIN) != (d.index == INT32_MIN))
        error_at(d.loc, "control " + d.name + " is both a control array and a single control");
  }
  for (auto &r : c.routines) {
    if (r->controlName.empty()) continue;
    std::string u = upper(r->controlName);
    if (!base.count(u)) error_at(r->loc, "window " + c.name + " has no control " + r->controlName);
    if (!sub.count(u)) {
      sub[u] = classes.add_control_subclass(base[u], &c);
      for (ControlDecl &d : c.controls)
        if (iequal(d.name, r->controlName)) sub[u]->controlArray = d.index != INT32_MIN;
      out.imageClasses.push_back(sub[u]);
      classes.index_of(sub[u]);
    }
    r->selfClass = sub[u];
  }
  for (ControlDecl &d : c.controls) {
    std::string u = upper(d.name);
    d.cls = sub.count(u) ? sub[u] : base[u];
  }
}

// Each event gets its handler number; a name already taken by an event of a
// class above would hide that event, so it is refused.
void Checker::declare_events(ClassDecl &c) {
  std::set<std::string> names;
  for (EventDecl &e : c.events) {
    if (!names.insert(upper(e.name)).second)
      error_at(e.loc, "event " + e.name + " is declared twice");
    if (const EventDecl *above = find_image_event(c.info->super, e.name))
      error_at(e.loc, "event " + e.name + " is already declared by class " + above->owner->name);
    if (find_builtin_event(c.info->super, e.name))
      error_at(e.loc, "event " + e.name + " is already an event of " + c.info->super->display());
    std::set<std::string> params;
    for (Param &p : e.params) {
      if (!params.insert(upper(p.name)).second)
        error_at(p.loc, "parameter " + p.name + " is declared twice");
      p.type = resolve_type(p.typeRef);
    }
    e.result = resolve_type(e.resultRef, true);
    e.owner = c.info;
    e.number = kImageEventBase + nextEvent++;
  }
}

void Checker::check_image_handler(Routine &h, const EventDecl &e, const ClassInfo *target) {
  if (e.owner == target)
    error_at(h.loc, "class " + target->display() + " declares event " + h.name +
                        "; its handlers belong to subclasses and controls");
  h.eventNumber = e.number;
  if (h.resultRef.name.empty()) h.result = e.result;
  if (!(h.result == e.result))
    error_at(h.loc, "event " + h.name + " returns " + type_text(e.result));
  if (h.params.size() != e.params.size())
    error_at(h.loc,
             "event " + h.name + " takes " + std::to_string(e.params.size()) + " parameter(s)");
  for (size_t i = 0; i < e.params.size(); i++)
    if (!(resolve_type(h.params[i].typeRef) == e.params[i].type))
      error_at(h.params[i].loc, "parameter " + h.params[i].name + " of event " + h.name + " is " +
                                    type_text(e.params[i].type));
}

// The handler nearest the declaring class is the one that runs, so a class
// below it may not handle the event again.
void Checker::handled_once(const ClassInfo *cls) {
  for (const Routine *h : cls->handlers) {
    if (h->eventNumber < kImageEventBase) continue;
    for (const ClassInfo *s = cls->super; s && s->decl; s = s->super)
      for (const Routine *o : s->handlers)
        if (o->eventNumber == h->eventNumber)
          error_at(h->loc, "event " + h->name + " is already handled by class " + s->name);
  }
}

void Checker::bind_handler(ClassDecl &c, Routine &h) {
  ClassInfo *target = h.controlName.empty() ? c.info : h.selfClass;
  for (Routine *other : target->handlers)
    if (iequal(other->name, h.name)) error_at(h.loc, "a second handler for event " + h.name);
  if (const EventDecl *e = find_image_event(target, h.name)) {
    check_image_handler(h, *e, target);
    return target->handlers.push_back(&h);
  }
  const BuiltinEvent *ev = find_builtin_event(target, h.name);
  bool external = target->super && target->super->external;
  if (!ev && !external)
    error_at(h.loc, (h.controlName.empty() ? "class " + c.name : "control " + h.controlName) +
                        " has no event " + h.name);
  target->handlers.push_back(&h);
  if (ev) {
    h.eventNumber = ev->number;
    Type result = *ev->result ? table_type(classes, ev->result) : Type{};
    if (h.resultRef.name.empty()) h.result = result;
    if (!(h.result == result)) error_at(h.loc, "event " + h.name + " returns " + type_text(result));
    check_event_signature(h, target);
  }
}

// The handler's parameters must match the event's declaration text
// ("X As Integer, Y As Integer").
void Checker::check_event_signature(Routine &h, const ClassInfo *cls) {
  const BuiltinEvent *ev = find_builtin_event(cls, h.name);
  std::vector<std::string> types;
  std::string text = ev->parameters;
  size_t p = 0;
  while (p < text.size()) {
    size_t comma = text.find(',', p);
    std::string one = text.substr(p, comma == std::string::npos ? std::string::npos : comma - p);
    size_t as = upper(one).find(" AS ");
    std::string t = as == std::string::npos ? "" : one.substr(as + 4);
    while (!t.empty() && t.back() == ' ') t.pop_back();
    types.push_back(t);
    if (comma == std::string::npos) break;
    p = comma + 1;
  }
  if (types.size() != h.params.size())
    error_at(h.loc, "event " + h.name + " takes " + std::to_string(types.size()) +
                        " parameter(s): " + (text.empty() ? "none" : text));
  for (size_t i = 0; i < types.size(); i++)
    if (!(table_type(classes, types[i].c_str()) == resolve_type(h.params[i].typeRef)))
      error_at(h.params[i].loc,
               "parameter " + h.params[i].name + " of event " + h.name + " is " + types[i]);
}

void Checker::bind_routines(ClassDecl &c) {
  ClassInfo *info = c.info;
  std::set<std::string> names;
  for (auto &rp : c.routines) {
    Routine &rt = *rp;
    rt.owner = info;
    if (!rt.selfClass) rt.selfClass = info;
    rt.result = resolve_type(rt.resultRef, true);
    switch (rt.kind) {
    case RoutineKind::Sub:
    case RoutineKind::Function:
      if (!names.insert(upper(rt.name)).second)
        error_at(rt.loc, "method " + rt.name + " is defined twice");
      for (const Property &p : c.properties)
        if (iequal(p.name, rt.name)) error_at(rt.loc, rt.name + " is already a property");
      if (rt.kind == RoutineKind::Function && rt.result.kind == K::Void)
        error_at(rt.loc, "function " + rt.name + " needs a result type (As ...)");
      if (rt.kind == RoutineKind::Sub && rt.result.kind != K::Void)
        error_at(rt.resultRef.loc, "a Sub has no result; use Function");
      info->methods.push_back(&rt);
      break;
    case RoutineKind::Constructor:
    case RoutineKind::Destructor:
      if (!rt.params.empty()) error_at(rt.loc, rt.name + " takes no parameters");
      if ((rt.kind == RoutineKind::Constructor ? info->constructor : info->destructor))
        error_at(rt.loc, rt.name + " is defined twice");
      (rt.kind == RoutineKind::Constructor ? info->constructor : info->destructor) = &rt;
      break;
    case RoutineKind::Handler:
      bind_handler(c, rt);
      break;
    case RoutineKind::MenuHandler:
      if (!rt.params.empty()) error_at(rt.loc, "a menu handler takes no parameters");
      if (rt.result.kind != K::Void && rt.result.kind != K::Boolean)
        error_at(rt.resultRef.loc, "a menu handler returns Boolean");
      rt.result = {K::Boolean, nullptr};
      for (Routine *o : info->menuHandlers)
        if (iequal(o->name, rt.name)) error_at(rt.loc, "a second menu handler for " + rt.name);
      info->menuHandlers.push_back(&rt);
      break;
    }
  }
}

static bool same_signature(const Routine &a, const Routine &b) {
  if (a.kind != b.kind || !(a.result == b.result) || a.params.size() != b.params.size())
    return false;
  for (size_t i = 0; i < a.params.size(); i++)
    if (!(a.params[i].type == b.params[i].type)) return false;
  return true;
}

// A method whose name the superclass's table holds takes over that slot; it
// must keep the signature, since callers bound to the superclass push its
// arguments.
void Checker::dispatch_table(ClassInfo *c) {
  if (!c->decl || !c->dispatch.empty()) return;
  ClassInfo *s = c->super;
  if (s && s->decl) dispatch_table(s);
  if (s) c->dispatch = s->dispatch;
  for (Routine *m : c->methods) {
    for (Param &p : m->params) p.type = resolve_type(p.typeRef);
    m->slot = int32_t(c->dispatch.size());
    for (size_t i = 0; i < c->dispatch.size(); i++)
      if (iequal(c->dispatch[i]->name, m->name)) {
        Routine *base = c->dispatch[i];
        if (!same_signature(*m, *base))
          error_at(m->loc, "method " + m->name + " must keep the parameters and result of " +
                               base->owner->name + "." + base->name + " that it overrides");
        m->slot = int32_t(i);
      }
    if (m->slot == int32_t(c->dispatch.size())) c->dispatch.push_back(m);
    c->dispatch[size_t(m->slot)] = m;
  }
}

// True when some class below cls puts another routine in m's slot: a call of
// m through a cls reference must then look the routine up at run time.
bool Checker::overridden_below(const ClassInfo *cls, const Routine *m) const {
  for (const auto &c : classes.all)
    if (c.get() != cls && c->decl && c->derives_from(cls) && c->dispatch[size_t(m->slot)] != m)
      return true;
  return false;
}

void Checker::check_prop_value(const PropValue &v, const ClassInfo *cls, bool window) {
  NK k = v.value->kind;
  if (k != NK::IntLit && k != NK::RealLit && k != NK::StrLit && k != NK::BoolLit &&
      k != NK::ColorLit)
    error_at(v.value->loc, "the value of " + v.name + " must be a literal");
  if (k == NK::IntLit && (v.value->ival > INT32_MAX || v.value->ival < INT32_MIN))
    error_at(v.value->loc, "integer literal is out of range");
  if (cls->external) return;
  const BuiltinProperty *p = find_builtin_property(cls, v.name);
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
    g.slot = {Slot::Global, offset, resolve_type(g.typeRef)};
    offset += type_size(g.slot.type);
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

void Checker::run() {
  declare_classes();
  for (auto &c : prog.classes) control_classes(*c);
  for (auto &c : prog.classes) declare_events(*c);
  for (auto &c : prog.classes) bind_routines(*c);
  for (ClassInfo *c : out.imageClasses) handled_once(c);
  for (auto &c : prog.classes) dispatch_table(c->info);
  for (auto &c : prog.classes) check_descriptions(*c);
  check_menu(prog.menuBar);
  out.menuItem = classes.builtin("MenuItem");
  globals();
  if (!prog.project.mainWindow.name.empty()) {
    Type t = resolve_type(prog.project.mainWindow);
    if (!t.cls->decl || !t.cls->isWindow)
      error_at(prog.project.mainWindow.loc,
               prog.project.mainWindow.name + " is not a window of this program");
    out.mainWindow = t.cls;
  }
  for (auto &c : prog.classes)
    for (auto &rt : c->routines) routine(*rt);
  for (auto &rt : prog.routines) routine(*rt);
  for (ClassInfo *c : out.imageClasses) {
    bool refs = false;
    if (c->decl)
      for (const Property &p : c->decl->properties) refs |= p.type.is_ref();
    c->needsLifecycle = c->constructor || c->destructor || refs;
  }
}

// ---- routines ----

// Frame layout: [ebp-4] exception slot, then the Try state when there is a
// Try, then locals and temporaries in the order the checker meets them.
int32_t Checker::frame_slot(const Type &t, bool release) {
  next -= type_size(t);
  if (release) r->refSlots.push_back({next, t});
  return next;
}

int32_t count_trys(const Block &b) {
  int32_t n = 0;
  for (auto &s : b) {
    n += s->kind == SK::Try;
    n += count_trys(s->body) + count_trys(s->elseBody);
    for (auto &e : s->elseIfs) n += count_trys(e.second);
    for (auto &c : s->cases) n += count_trys(c.body);
    for (auto &c : s->catches) n += count_trys(c.body);
  }
  return n;
}

void Checker::routine(Routine &rt) {
  r = &rt;
  locals.clear();
  params.clear();
  consts.clear();
  loops.clear();
  next = -4; /* the exception slot */
  tryCount = tryCurrent = 0;
  if (count_trys(rt.body)) rt.tryStateOffset = next -= 4;
  int32_t argOffset = rt.owner ? 12 : 8; /* the receiving object comes first */
  for (Param &p : rt.params) {
    std::string u = upper(p.name);
    if (params.count(u)) error_at(p.loc, "parameter " + p.name + " is declared twice");
    p.type = resolve_type(p.typeRef);
    if (p.byRef && rt.kind != RoutineKind::Sub && rt.kind != RoutineKind::Function)
      error_at(p.loc, "only a Sub or a Function takes ByRef parameters");
    p.offset = argOffset;
    argOffset += p.byRef ? 4 : type_size(p.type);
    params[u] = &p;
  }
  if (rt.result.kind != K::Void) rt.resultOffset = frame_slot(rt.result, false);
  pushed = mostPushed = 0;
  block(rt.body);
  for (Param &p : rt.params)
    if (p.assigned) rt.refSlots.push_back({p.offset, p.type});
  rt.frameSize = -next;
  // The exception search takes a step of more than kMaxFrameStep bytes from
  // one frame to its caller's as a broken chain. The step from a callee into
  // this frame spans the callee's return address and saved EBP, the
  // arguments pushed for it and for the calls around it, operands waiting
  // on the stack, and this routine's locals.
  int32_t step = rt.frameSize + 8 + mostPushed + kOperandReserve;
  if (step > kMaxFrameStep)
    error_at(rt.loc, "routine " + rt.name + " needs a frame of " + std::to_string(step) +
                         " bytes; a frame may take at most " + std::to_string(kMaxFrameStep) +
                         " (use fewer or smaller locals)");
}

// ---- statements ----

void Checker::block(Block &b) {
  for (auto &s : b) stmt(*s);
}

void Checker::condition(NodeP &n) {
  expr(n);
  if (n->type.kind != K::Boolean)
    error_at(n->loc, "a condition must be Boolean, not " + type_text(n->type));
}

void Checker::stmt(Stmt &s) {
  switch (s.kind) {
  case SK::Dim:
    return dim(s);
  case SK::Const: {
    std::string u = upper(s.names[0]);
    if (locals.count(u) || params.count(u) || consts.count(u))
      error_at(s.loc, s.names[0] + " is declared twice");
    consts[u] = constant(s.names[0], s.typeRef, s.value);
    return;
  }
  case SK::Assign:
    return assign(s);
  case SK::Expr:
    expr(s.value);
    if (s.value->kind != NK::CallRoutine && s.value->kind != NK::CallMethod &&
        s.value->kind != NK::CallFunction && s.value->kind != NK::RaiseEvent)
      error_at(s.loc, "this expression is not a statement");
    return;
  case SK::If:
    condition(s.value);
    block(s.body);
    for (auto &e : s.elseIfs) {
      condition(e.first);
      block(e.second);
    }
    return block(s.elseBody);
  case SK::Select:
    return select_stmt(s);
  case SK::For:
    return for_stmt(s);
  case SK::While:
  case SK::Do:
    if (s.value) condition(s.value);
    loops.push_back(s.kind == SK::While ? "WHILE" : "DO");
    s.tryParent = tryCurrent;
    block(s.body);
    loops.pop_back();
    return;
  case SK::Exit: {
    std::string w = s.word;
    bool routineExit = w == "SUB" || w == "FUNCTION" || w == "HANDLER" || w == "MENUHANDLER";
    if (routineExit) return;
    if (loops.empty()) error_at(s.loc, "Exit outside a loop");
    if (w.empty()) s.word = w = loops.back();
    bool found = false;
    for (auto &l : loops) found |= l == w;
    if (!found) error_at(s.loc, "Exit " + w + " outside a " + w + " loop");
    return;
  }
  case SK::Return:
    if (r->result.kind == K::Void) {
      if (s.value) error_at(s.value->loc, "this routine returns no value");
      return;
    }
    if (!s.value) error_at(s.loc, "Return needs a value of type " + type_text(r->result));
    expr(s.value);
    return convert(s.value, r->result, "the result");
  case SK::Try:
    return try_stmt(s);
  case SK::Raise: {
    expr(s.value);
    ClassInfo *exc = classes.builtin("RuntimeException");
    if (s.value->type.kind != K::Object || !s.value->type.cls->derives_from(exc))
      error_at(s.value->loc, "Raise needs a RuntimeException, not " + type_text(s.value->type));
    return;
  }
  }
}

void Checker::dim(Stmt &s) {
  Type t = resolve_type(s.typeRef);
  if (s.dimNew) {
    if (t.kind != K::Object) error_at(s.typeRef.loc, "As New needs a class");
    s.value = make(NK::New, s.loc);
    s.value->typeRef = s.typeRef;
  }
  if (s.value) {
    expr(s.value);
    convert(s.value, t, "the initial value");
  }
  for (const std::string &n : s.names) {
    std::string u = upper(n);
    if (locals.count(u) || params.count(u) || consts.count(u))
      error_at(s.loc, "variable " + n + " is declared twice");
    Slot slot{Slot::Frame, frame_slot(t, t.is_ref()), t};
    locals[u] = slot;
    s.slots.push_back(slot);
  }
}

void Checker::assign(Stmt &s) {
  if (s.target->kind == NK::Name) {
    auto it = params.find(upper(s.target->text));
    if (it != params.end() && it->second->type.is_ref() && !it->second->byRef)
      it->second->assigned = true;
  }
  expr(s.target);
  Node &t = *s.target;
  switch (t.kind) {
  case NK::Var:
    break;
  case NK::Field:
    if (t.readOnly) error_at(t.loc, "the index of a control-array element cannot be assigned");
    break;
  case NK::PropGet:
    if (!*t.prop->setter)
      error_at(t.loc, std::string("property ") + t.prop->name + " is read-only");
    if (t.lhs->kind == NK::ControlRef) t.lhs->forWrite = true, give_temp(*t.lhs);
    break;
  default:
    error_at(t.loc, "cannot assign to this expression");
  }
  expr(s.value);
  convert(s.value, t.type, "the assigned value");
}

void Checker::for_stmt(Stmt &s) {
  std::string u = upper(s.target->text);
  if (!s.typeRef.name.empty()) {
    Type t = resolve_type(s.typeRef);
    if (locals.count(u) || params.count(u))
      error_at(s.loc, "variable " + s.target->text + " is declared twice");
    locals[u] = {Slot::Frame, frame_slot(t, false), t};
  }
  expr(s.target);
  if (s.target->kind != NK::Var || !(s.target->type.is_intlike() || s.target->type.is_float()))
    error_at(s.target->loc, "the loop variable must be a numeric variable");
  Type t = s.target->type;
  expr(s.value);
  convert(s.value, t, "the start value");
  expr(s.to);
  convert(s.to, t, "the end value");
  s.limitSlot = {Slot::Frame, frame_slot(t, false), t};
  if (!s.step) {
    s.step = make(NK::IntLit, s.loc);
    s.step->ival = 1;
  }
  expr(s.step);
  convert(s.step, t, "the step");
  s.stepSlot = {Slot::Frame, frame_slot(t, false), t};
  // (step >= 0 And var <= limit) Or (step < 0 And var >= limit); var = var + step
  auto var = [&](const Slot &slot) {
    NodeP v = make(NK::Var, s.loc);
    v->slot = slot;
    v->type = slot.type;
    return v;
  };
  auto cmp = [&](const char *op, NodeP a, NodeP b) {
    NodeP n = make(NK::Binary, s.loc);
    n->text = op;
    n->lhs = std::move(a);
    n->rhs = std::move(b);
    return n;
  };
  auto zero = [&] {
    NodeP z = make(NK::IntLit, s.loc);
    return z;
  };
  Slot v = s.target->slot;
  s.loopTest =
      cmp("OR", cmp("AND", cmp(">=", var(s.stepSlot), zero()), cmp("<=", var(v), var(s.limitSlot))),
          cmp("AND", cmp("<", var(s.stepSlot), zero()), cmp(">=", var(v), var(s.limitSlot))));
  expr(s.loopTest);
  s.loopIncr = cmp("+", var(v), var(s.stepSlot));
  expr(s.loopIncr);
  convert(s.loopIncr, t, "the loop variable");
  s.tryParent = tryCurrent;
  loops.push_back("FOR");
  block(s.body);
  loops.pop_back();
}

// Case tests become Boolean expressions over a slot that holds the subject.
void Checker::select_stmt(Stmt &s) {
  expr(s.value);
  Type t = s.value->type;
  if (t.kind == K::Void) error_at(s.value->loc, "Select Case needs a value");
  s.subjectSlot = {Slot::Frame, frame_slot(t, false), t};
  for (CaseClause &c : s.cases) {
    for (CaseClause::Test &test : c.tests) {
      Loc at = test.value->loc;
      auto subject = [&] {
        NodeP v = make(NK::Var, at);
        v->slot = s.subjectSlot;
        v->type = t;
        return v;
      };
      auto compare = [&](const std::string &op, NodeP value) {
        NodeP b = make(NK::Binary, at);
        b->text = op;
        b->lhs = subject();
        b->rhs = std::move(value);
        return b;
      };
      NodeP testExpr;
      if (test.upper) {
        NodeP both = make(NK::Binary, at);
        both->text = "AND";
        both->lhs = compare(">=", std::move(test.value));
        both->rhs = compare("<=", std::move(test.upper));
        testExpr = std::move(both);
      } else {
        testExpr = compare(test.op.empty() ? "=" : test.op, std::move(test.value));
      }
      expr(testExpr);
      test.value = std::move(testExpr);
    }
    block(c.body);
  }
}

void Checker::try_stmt(Stmt &s) {
  s.tryId = ++tryCount;
  s.tryParent = tryCurrent;
  tryCurrent = s.tryId;
  block(s.body);
  s.tryEnd = tryCount;
  tryCurrent = s.tryParent;
  ClassInfo *exc = classes.builtin("RuntimeException");
  for (CatchClause &c : s.catches) {
    if (!c.var.empty()) {
      Type t = resolve_type(c.typeRef);
      if (t.kind != K::Object || !t.cls->derives_from(exc))
        error_at(c.typeRef.loc, c.typeRef.name + " is not an exception class");
      c.cls = t.cls;
      std::string u = upper(c.var);
      if (params.count(u) || (locals.count(u) && !(locals[u].type == t)))
        error_at(c.loc, "variable " + c.var + " is already declared");
      if (!locals.count(u)) locals[u] = {Slot::Frame, frame_slot(t, true), t};
      c.slot = locals[u];
    }
    block(c.body);
  }
  r->tryCount = tryCount;
}

// ---- expressions ----

bool Checker::convertible(const Type &from, const Type &to) const {
  if (from == to) return true;
  if (from.is_numeric() && to.is_numeric()) return true;
  if (to.kind == K::Object && from.kind == K::Nil) return true;
  if (to.kind == K::Object && from.kind == K::Object)
    return to.cls == classes.object || from.cls->derives_from(to.cls);
  return false;
}

// Integer to floating point goes through the runtime (IntToFP) except for
// literals, which become Double constants; floating point to Integer through
// FPToInt; Single and Double share the widened form until a store.
void Checker::convert(NodeP &n, const Type &to, const char *context) {
  const Type &from = n->type;
  if (from == to) return;
  if (!convertible(from, to))
    error_at(n->loc,
             std::string(context) + " must be " + type_text(to) + ", not " + type_text(from));
  if (to.kind == K::Object || (from.is_intlike() && to.is_intlike()) ||
      (from.is_float() && to.is_float())) {
    n->type = to;
    return;
  }
  if (n->kind == NK::IntLit && to.is_float()) {
    n->kind = NK::RealLit;
    n->fval = double(n->ival);
    n->type = to;
    return;
  }
  NodeP c = make(NK::Convert, n->loc);
  c->type = to;
  c->lhs = std::move(n);
  n = std::move(c);
}

void Checker::check_args(std::vector<NodeP> &args, const std::vector<Type> &want, Loc loc,
                         const std::string &what) {
  if (args.size() != want.size())
    error_at(loc, what + " takes " + std::to_string(want.size()) + " argument(s), not " +
                      std::to_string(args.size()));
  int32_t bytes = 4; /* and a receiver */
  for (const Type &t : want) bytes += type_size(t);
  pushed += bytes;
  mostPushed = std::max(mostPushed, pushed);
  for (size_t i = 0; i < args.size(); i++) {
    if (args[i]->address) continue; /* checked by the caller */
    expr(args[i]);
    convert(args[i], want[i], ("argument " + std::to_string(i + 1) + " of " + what).c_str());
  }
  pushed -= bytes;
}

void Checker::routine_call(NodeP &n, basc::Routine *target, NodeP receiver, std::vector<NodeP> args,
                           Loc loc) {
  std::vector<Type> want;
  for (Param &p : target->params) want.push_back(resolve_type(p.typeRef));
  for (size_t i = 0; i < args.size() && i < want.size(); i++) {
    if (!target->params[i].byRef) continue;
    expr(args[i]);
    Node &a = *args[i];
    if ((a.kind != NK::Var && a.kind != NK::Field) || a.readOnly)
      error_at(a.loc, "argument " + std::to_string(i + 1) + " of " + target->name +
                          " is ByRef and needs a variable or a property");
    if (!(a.type == want[i]))
      error_at(a.loc, "argument " + std::to_string(i + 1) + " of " + target->name +
                          " is ByRef and must be " + type_text(want[i]) + ", not " +
                          type_text(a.type));
    a.address = true;
  }
  NodeP c = make(NK::CallRoutine, loc);
  c->routine = target;
  c->lhs = std::move(receiver);
  c->dispatched = c->lhs && target->slot >= 0 && overridden_below(c->lhs->type.cls, target);
  c->args = std::move(args);
  check_args(c->args, want, loc, target->name);
  c->type = target->kind == RoutineKind::Function ? resolve_type(target->resultRef) : Type{};
  give_temp(*c);
  n = std::move(c);
}

void Checker::method_call(NodeP &n, const BuiltinMethod *m, NodeP receiver, std::vector<NodeP> args,
                          Loc loc) {
  if (!*m->callEntry) error_at(loc, std::string("method ") + m->name + " is not available");
  std::vector<Type> want;
  for (int32_t i = 0; i < m->paramCount; i++)
    want.push_back(table_type(classes, kBuiltinParams[m->firstParam + i].type));
  NodeP c = make(NK::CallMethod, loc);
  c->method = m;
  c->lhs = std::move(receiver);
  if (c->lhs->kind == NK::ControlRef) c->lhs->forWrite = true, give_temp(*c->lhs);
  c->args = std::move(args);
  check_args(c->args, want, loc, m->name);
  c->type = *m->resultType ? table_type(classes, m->resultType) : Type{};
  give_temp(*c);
  n = std::move(c);
}

// RaiseEvent runs the handler of an event of Self's class chain, if the
// object's class or a control has one; with none it gives the result type's
// zero value.
void Checker::raise_event(NodeP &n) {
  if (!r->owner) error_at(n->loc, "RaiseEvent is only available in a class's routines");
  const EventDecl *e = find_image_event(r->selfClass, n->text);
  if (!e) error_at(n->loc, r->selfClass->display() + " declares no event " + n->text);
  std::vector<Type> want;
  for (const Param &p : e->params) want.push_back(p.type);
  check_args(n->args, want, n->loc, e->name);
  n->event = e;
  n->type = e->result;
  give_temp(*n);
}

void Checker::function_call(NodeP &n, const BuiltinFunction *f, std::vector<NodeP> args, Loc loc) {
  std::vector<Type> want;
  for (int32_t i = 0; i < f->paramCount; i++)
    want.push_back(table_type(classes, kBuiltinParams[f->firstParam + i].type));
  NodeP c = make(NK::CallFunction, loc);
  c->function = f;
  c->args = std::move(args);
  check_args(c->args, want, loc, f->name);
  c->type = *f->resultType ? table_type(classes, f->resultType) : Type{};
  give_temp(*c);
  n = std::move(c);
}

Member Checker::find_member(ClassInfo *cls, const std::string &name) {
  Member m;
  for (ClassInfo *c = cls; c; c = c->super) {
    if (c->decl) {
      for (const Property &p : c->decl->properties)
        if (iequal(p.name, name)) return m.kind = Member::Field, m.field = &p, m;
      for (Routine *rt : c->methods)
        if (iequal(rt->name, name)) return m.kind = Member::Routine, m.routine = rt, m;
      for (const ControlDecl &d : c->decl->controls)
        if (iequal(d.name, name))
          return m.kind = Member::Control, m.control = &d, m.isArray = d.index != INT32_MIN, m;
    }
    if (c->builtin) {
      if ((m.prop = find_builtin_property(c, name))) return m.kind = Member::Prop, m;
      if ((m.method = find_builtin_method(c, name))) return m.kind = Member::Method, m;
    }
  }
  return m;
}

// Resolves n (a Name, or the callee of a Call when isCall) as a member of
// cls reached through receiver(). False when cls has no such member.
bool Checker::resolve_in(NodeP &n, ClassInfo *cls, std::function<NodeP()> receiver, bool isCall) {
  Node &src = *n;
  std::string nm = isCall ? src.lhs->text : src.text;
  Member m = find_member(cls, nm);
  if (m.kind == Member::None) return false;
  std::vector<NodeP> args;
  if (isCall) args = std::move(src.args);
  Loc loc = src.loc;
  switch (m.kind) {
  case Member::None:
    return false;
  case Member::Field:
  case Member::Prop: {
    if (isCall) error_at(loc, nm + " is a property, not a method");
    NodeP f = make(m.kind == Member::Field ? NK::Field : NK::PropGet, loc);
    f->lhs = receiver();
    if (m.kind == Member::Field) {
      f->offset = m.field->offset;
      f->type = f->slot.type = m.field->type;
    } else {
      if (!*m.prop->getter)
        error_at(loc, std::string("property ") + m.prop->name + " cannot be read");
      f->prop = m.prop;
      f->type = table_type(classes, m.prop->type);
    }
    n = std::move(f);
    give_temp(*n);
    return true;
  }
  case Member::Routine:
    routine_call(n, m.routine, receiver(), std::move(args), loc);
    return true;
  case Member::Method:
    method_call(n, m.method, receiver(), std::move(args), loc);
    return true;
  case Member::Control: {
    NodeP c = make(NK::ControlRef, loc);
    c->text = m.control->name;
    c->lhs = receiver();
    c->type = {K::Object, m.control->cls};
    if (m.isArray) {
      if (args.size() != 1) error_at(loc, "control array " + nm + " needs one index");
      expr(args[0]);
      convert(args[0], {K::Integer, nullptr}, "a control-array index");
      c->args = std::move(args);
      give_temp(*c); /* the element comes back as a new reference */
    } else if (isCall) {
      error_at(loc, nm + " is not a control array");
    }
    n = std::move(c);
    return true;
  }
  }
  return false;
}

void Checker::name(NodeP &n) {
  std::string u = upper(n->text);
  if (!locals.count(u) && !params.count(u) && (consts.count(u) || globalConsts.count(u))) {
    const Node *v = consts.count(u) ? consts[u] : globalConsts[u];
    NodeP copy = make(v->kind, n->loc);
    copy->ival = v->ival, copy->fval = v->fval, copy->text = v->text, copy->type = v->type;
    n = std::move(copy);
    return;
  }
  if (locals.count(u) || params.count(u)) {
    NodeP v = make(NK::Var, n->loc);
    if (locals.count(u)) {
      v->slot = locals[u];
    } else {
      Param *p = params[u];
      v->slot = {Slot::Frame, p->offset, p->type, p->byRef};
    }
    v->type = v->slot.type;
    n = std::move(v);
    return;
  }
  Loc loc = n->loc;
  if (r->owner && r->selfClass->controlArray && iequal(n->text, "Index")) {
    NodeP f = make(NK::Field, loc); /* the element's position, not the Index property */
    f->lhs = self_node(loc);
    f->offset = kControlArrayPositionOffset;
    f->type = f->slot.type = {K::Integer, nullptr};
    f->readOnly = true;
    n = std::move(f);
    return;
  }
  if (r->owner) {
    if (resolve_in(
            n, r->selfClass, [&] { return self_node(loc); }, false))
      return;
    if (r->selfClass->window) { /* a control handler reaches its window's members */
      ClassInfo *window = r->selfClass->window->info;
      auto windowOf = [&] {
        NodeP w = make(NK::WindowOf, loc);
        w->lhs = self_node(loc);
        w->type = {K::Object, window};
        return w;
      };
      if (resolve_in(n, window, windowOf, false)) return;
    }
  }
  for (GlobalDecl &g : prog.globals)
    if (iequal(g.name, n->text)) {
      NodeP v = make(NK::Var, loc);
      v->slot = g.slot;
      v->type = g.slot.type;
      n = std::move(v);
      return;
    }
  for (auto &rt : prog.routines)
    if (iequal(rt->name, n->text)) return routine_call(n, rt.get(), nullptr, {}, loc);
  if (const BuiltinFunction *f = find_function(n->text, 0)) return function_call(n, f, {}, loc);
  ClassInfo *cls = classes.find(n->text);
  if (cls && cls->decl && cls->isWindow) {
    NodeP w = make(NK::Implicit, loc);
    w->cls = cls;
    w->type = {K::Object, cls};
    n = std::move(w);
    give_temp(*n);
    return;
  }
  error_at(loc, "unknown name '" + n->text + "'");
}

void Checker::member(NodeP &n) {
  expr(n->lhs);
  const Type &t = n->lhs->type;
  if (t.kind != K::Object)
    error_at(n->loc, "a " + type_text(t) + " value has no member " + n->text);
  NodeP obj = std::move(n->lhs);
  NodeP keep = make(NK::Name, n->loc);
  keep->text = n->text;
  Node *raw = obj.get();
  bool used = false;
  auto receiver = [&] {
    used = true;
    return std::move(obj);
  };
  if (!resolve_in(keep, raw->type.cls, receiver, false) || !used)
    error_at(n->loc, raw->type.cls->display() + " has no member " + n->text);
  n = std::move(keep);
}

void Checker::call(NodeP &n) {
  Node &callee = *n->lhs;
  Loc loc = n->loc;
  if (callee.kind == NK::Name) {
    std::string u = upper(callee.text);
    if (!locals.count(u) && !params.count(u)) {
      NodeP probe = make(NK::Call, loc);
      probe->lhs = std::move(n->lhs);
      probe->args = std::move(n->args);
      std::string nm = probe->lhs->text;
      if (r->owner) {
        if (resolve_in(
                probe, r->selfClass, [&] { return self_node(loc); }, true))
          return void(n = std::move(probe));
        if (r->selfClass->window) {
          ClassInfo *window = r->selfClass->window->info;
          auto windowOf = [&] {
            NodeP w = make(NK::WindowOf, loc);
            w->lhs = self_node(loc);
            w->type = {K::Object, window};
            return w;
          };
          if (resolve_in(probe, window, windowOf, true)) return void(n = std::move(probe));
        }
      }
      for (auto &rt : prog.routines)
        if (iequal(rt->name, nm))
          return routine_call(n, rt.get(), nullptr, std::move(probe->args), loc);
      if (function_name_exists(nm)) {
        size_t count = probe->args.size();
        if (iequal(nm, "InStr") && count == 2) { /* InStr(s, t) searches from 1 */
          NodeP one = make(NK::IntLit, loc);
          one->ival = 1;
          probe->args.insert(probe->args.begin(), std::move(one));
          count = 3;
        }
        const BuiltinFunction *f = find_function(nm, count);
        if (!f) error_at(loc, "wrong number of arguments for " + nm);
        return function_call(n, f, std::move(probe->args), loc);
      }
      ClassInfo *cls = classes.find(nm);
      if (cls && cls != classes.object) { /* a cast: ClassName(expr) */
        if (probe->args.size() != 1) error_at(loc, "a cast takes one value");
        NodeP c = make(NK::Cast, loc);
        c->lhs = std::move(probe->args[0]);
        expr(c->lhs);
        if (c->lhs->type.kind != K::Object && c->lhs->type.kind != K::Nil)
          error_at(c->lhs->loc, "only objects can be cast to a class");
        c->cls = cls;
        c->type = {K::Object, cls};
        return void(n = std::move(c));
      }
      error_at(loc, "unknown name '" + nm + "'");
    }
    error_at(loc, callee.text + " is a variable, not a routine");
  }
  if (callee.kind == NK::Member) {
    expr(callee.lhs);
    const Type &t = callee.lhs->type;
    if (t.kind != K::Object)
      error_at(loc, "a " + type_text(t) + " value has no member " + callee.text);
    NodeP probe = make(NK::Call, loc);
    probe->lhs = make(NK::Name, callee.loc);
    probe->lhs->text = callee.text;
    probe->args = std::move(n->args);
    NodeP obj = std::move(callee.lhs);
    ClassInfo *cls = t.cls;
    std::string shown = cls->display();
    if (!resolve_in(
            probe, cls, [&] { return std::move(obj); }, true))
      error_at(loc, shown + " has no member " + probe->lhs->text);
    n = std::move(probe);
    return;
  }
  error_at(loc, "this expression cannot be called");
}

void Checker::unary(NodeP &n) {
  expr(n->lhs);
  Type t = n->lhs->type;
  if (n->text == "NEG") {
    if (!t.is_numeric()) error_at(n->loc, "cannot negate a " + type_text(t));
    n->type = t.kind == K::Single ? Type{K::Double, nullptr} : t;
    return;
  }
  if (t.kind != K::Boolean && !t.is_intlike())
    error_at(n->loc, "Not needs a Boolean or an Integer");
  n->type = t;
}

void Checker::binary(NodeP &n) {
  expr(n->lhs);
  expr(n->rhs);
  Type a = n->lhs->type, b = n->rhs->type;
  const std::string &op = n->text;
  Type integer{K::Integer, nullptr}, dbl{K::Double, nullptr}, boolean{K::Boolean, nullptr};
  auto fail = [&] {
    error_at(n->loc, "operator " + op + " cannot take " + type_text(a) + " and " + type_text(b));
  };
  if (op == "AND" || op == "OR" || op == "XOR") {
    if (a.kind == K::Boolean && b.kind == K::Boolean) return void(n->type = boolean);
    if (a.is_intlike() && b.is_intlike()) return void(n->type = integer);
    fail();
  }
  if (op == "&" || (op == "+" && a.kind == K::String)) {
    if (a.kind != K::String || b.kind != K::String) fail();
    n->type = a;
    n->text = "&";
    return give_temp(*n);
  }
  if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=") {
    n->type = boolean;
    if (a.kind == K::String && b.kind == K::String) return;
    if (a.is_numeric() && b.is_numeric()) {
      if (!(a.is_intlike() && b.is_intlike()))
        convert(n->lhs, dbl, "operand"), convert(n->rhs, dbl, "operand");
      return;
    }
    if (op != "=" && op != "<>") fail();
    if (a.kind == K::Boolean && b.kind == K::Boolean) return;
    bool objA = a.kind == K::Object || a.kind == K::Nil,
         objB = b.kind == K::Object || b.kind == K::Nil;
    if (objA && objB) return;
    fail();
  }
  if (!a.is_numeric() || !b.is_numeric()) fail();
  if (op == "^") { /* a call of the runtime's Pow */
    NodeP c = make(NK::CallFunction, n->loc);
    c->function = find_function("Pow", 2);
    convert(n->lhs, dbl, "operand");
    convert(n->rhs, dbl, "operand");
    c->args.push_back(std::move(n->lhs));
    c->args.push_back(std::move(n->rhs));
    c->type = dbl;
    n = std::move(c);
    return;
  }
  if (op == "\\" || op == "MOD") {
    convert(n->lhs, integer, "operand");
    convert(n->rhs, integer, "operand");
    return void(n->type = integer);
  }
  if (op == "/" || !(a.is_intlike() && b.is_intlike())) {
    convert(n->lhs, dbl, "operand");
    convert(n->rhs, dbl, "operand");
    return void(n->type = dbl);
  }
  n->type = integer; /* + - * on Integer and Color wrap around */
}

void Checker::expr(NodeP &n) {
  switch (n->kind) {
  case NK::IntLit:
    if (n->ival > INT32_MAX || n->ival < INT32_MIN)
      error_at(n->loc, "integer literal is out of range");
    n->type = {K::Integer, nullptr};
    return;
  case NK::RealLit:
    n->type = {K::Double, nullptr};
    return;
  case NK::StrLit:
    n->type = {K::String, nullptr};
    return;
  case NK::BoolLit:
    n->type = {K::Boolean, nullptr};
    return;
  case NK::ColorLit:
    n->type = {K::Color, nullptr};
    return;
  case NK::NilLit:
    n->type = {K::Nil, nullptr};
    return;
  case NK::SelfRef:
    if (!r->owner) error_at(n->loc, "Self is only available in a class's routines");
    n->type = {K::Object, r->selfClass};
    return;
  case NK::Name:
    return name(n);
  case NK::Member:
    return member(n);
  case NK::Call:
    return call(n);
  case NK::Unary:
    return unary(n);
  case NK::Binary:
    return binary(n);
  case NK::RaiseEvent:
    return raise_event(n);
  case NK::New: {
    Type t = resolve_type(n->typeRef);
    if (t.kind != K::Object || t.cls == classes.object || t.cls->external)
      error_at(n->typeRef.loc, "New needs a class of this program or of the runtime");
    if (t.cls->builtin && (t.cls->builtin->flags & kInterface))
      error_at(n->typeRef.loc, "an interface cannot be created");
    n->cls = t.cls;
    n->type = t;
    return give_temp(*n);
  }
  case NK::IsA: {
    expr(n->lhs);
    if (n->lhs->type.kind != K::Object && n->lhs->type.kind != K::Nil)
      error_at(n->loc, "IsA needs an object");
    Type t = resolve_type(n->typeRef);
    if (t.kind != K::Object) error_at(n->typeRef.loc, "IsA needs a class");
    n->cls = t.cls;
    n->type = {K::Boolean, nullptr};
    return;
  }
  default:
    return; /* already checked */
  }
}

} // namespace

void check(Program &program, Checked &out) {
  Checker c(program, out);
  c.run();
}

} // namespace basc
