// Names, members and calls: finding what a name reaches (locals, the class
// chain, the window, globals, built-ins), and checking the arguments of
// routine, method, function and event calls.
#include "checker.h"
#include "suggest.h"
#include <algorithm>

namespace basc {

// An item of the menu bar (at any depth) carries that name.
static bool menu_item_named(const std::vector<MenuEntry> &entries, const std::string &name) {
  for (const MenuEntry &e : entries)
    if ((!e.submenu && iequal(e.name, name)) || menu_item_named(e.items, name)) return true;
  return false;
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
    if (args[i]->address) continue;                   /* checked by the caller */
    if (args[i]->type.kind == K::Void) expr(args[i]); /* not checked yet by pick_method */
    convert(args[i], want[i], ("argument " + std::to_string(i + 1) + " of " + what).c_str());
  }
  pushed -= bytes;
}

// A ByRef argument is a variable or property of exactly the parameter's
// type, whose address is passed.
void Checker::by_ref_arg(NodeP &arg, const Type &want, size_t i, const std::string &what) {
  expr(arg);
  Node &a = *arg;
  if ((a.kind != NK::Var && a.kind != NK::Field) || a.readOnly)
    error_at(a.loc, "argument " + std::to_string(i + 1) + " of " + what +
                        " is ByRef and needs a variable or a property");
  if (a.kind == NK::Var && a.slot.item)
    error_at(a.loc, "argument " + std::to_string(i + 1) + " of " + what +
                        " is ByRef, and a project item cannot be changed");
  if (!(a.type == want))
    error_at(a.loc, "argument " + std::to_string(i + 1) + " of " + what + " is ByRef and must be " +
                        type_text(want) + ", not " + type_text(a.type));
  a.address = true;
}

// What a left-out optional parameter passes: its fallback number, or nil
// for an object.
NodeP Checker::fallback_arg(const Type &want, int32_t fallback, Loc loc) {
  if (want.kind == K::Object) {
    NodeP v = make(NK::NilLit, loc);
    v->type = Type{K::Nil, nullptr};
    return v;
  }
  NodeP v = make(want.kind == K::Boolean ? NK::BoolLit : NK::IntLit, loc);
  v->ival = fallback;
  v->type = want.kind == K::Boolean ? want : Type{K::Integer, nullptr};
  return v;
}

// The arguments of a member-table call: the left-out optional ones get their
// fallbacks, ByRef ones pass addresses, and the rest convert.
void Checker::table_args(std::vector<NodeP> &args, int32_t first, int32_t count, Loc loc,
                         const std::string &what) {
  std::vector<Type> want = table_params(classes, first, count);
  size_t required = size_t(required_params(first, count));
  if (args.size() < required && required < want.size())
    error_at(loc, what + " takes at least " + std::to_string(required) + " argument(s), not " +
                      std::to_string(args.size()));
  for (size_t i = args.size(); i < want.size(); i++) {
    const BuiltinParam &p = kBuiltinParams[first + int32_t(i)];
    if (p.form != kParamOptional) break; /* check_args reports the missing ones */
    args.push_back(fallback_arg(want[i], p.fallback, loc));
  }
  for (size_t i = 0; i < args.size() && i < want.size(); i++)
    if (kBuiltinParams[first + int32_t(i)].form == kParamByRef)
      by_ref_arg(args[i], want[i], i, what);
  check_args(args, want, loc, what);
}

void Checker::routine_call(NodeP &n, basc::Routine *target, NodeP receiver, std::vector<NodeP> args,
                           Loc loc) {
  std::vector<Type> want;
  for (Param &p : target->params) want.push_back(param_type(p));
  for (size_t i = 0; i < args.size() && i < want.size(); i++)
    if (target->params[i].byRef) by_ref_arg(args[i], want[i], i, target->name);
  NodeP c = make(NK::CallRoutine, loc);
  c->routine = target;
  c->lhs = std::move(receiver);
  c->dispatched = c->lhs && target->slot >= 0 && overridden_below(c->lhs->type.cls, target);
  c->args = std::move(args);
  check_args(c->args, want, loc, target->name);
  c->type = target->kind == RoutineKind::Function ? resolve_type(target->resultRef) : Type{};
  hold_call_operands(*c);
  give_temp(*c);
  n = std::move(c);
}

// Among a method's forms (Item(index) and Item(key)) the one whose
// parameters the arguments convert to; when several do, the one they match
// exactly.
const BuiltinMethod *Checker::pick_method(ClassInfo *cls, const BuiltinMethod *first,
                                          std::vector<NodeP> &args, Loc loc) {
  std::vector<const BuiltinMethod *> forms = find_builtin_overloads(cls, first->name);
  if (forms.size() < 2) return first;
  std::string given;
  for (NodeP &a : args) {
    if (a->type.kind == K::Void) expr(a);
    given += (given.empty() ? "" : ", ") + type_text(a->type);
  }
  std::vector<const BuiltinMethod *> fit, exact;
  for (const BuiltinMethod *m : forms) {
    if (!takes_arg_count(m->firstParam, m->paramCount, args.size())) continue;
    std::vector<Type> want = table_params(classes, m->firstParam, m->paramCount);
    bool converts = true, same = true;
    for (size_t i = 0; i < args.size(); i++) {
      converts &= convertible(args[i]->type, want[i]);
      same &= args[i]->type == want[i];
    }
    if (converts) fit.push_back(m);
    if (same) exact.push_back(m);
  }
  if (fit.size() == 1) return fit[0];
  if (exact.size() == 1) return exact[0];
  std::string what = std::string(first->name) + "(" + given + ")";
  if (fit.empty())
    error_at(loc, "no form of " + std::string(first->name) + " takes (" + given + ")");
  error_at(loc, "the call " + what + " fits more than one form of " + first->name);
}

void Checker::method_call(NodeP &n, const BuiltinMethod *m, NodeP receiver, std::vector<NodeP> args,
                          Loc loc) {
  if (out.plugins.interfaceMethods.count(m))
    error_at(loc, std::string("method ") + m->name + " of plug-in interface " +
                      out.plugins.interfaceMethods[m]->decl->name +
                      " is called on the class that implements it, not through the interface");
  if (!*m->callEntry) error_at(loc, std::string("method ") + m->name + " is not available");
  NodeP c = make(NK::CallMethod, loc);
  c->method = m;
  c->lhs = std::move(receiver);
  if (c->lhs->kind == NK::ControlRef) c->lhs->forWrite = true, give_temp(*c->lhs);
  c->args = std::move(args);
  if (const PluginMember *declared = out.plugins.member_of(m))
    plugin_args(c->args, *declared, loc);
  else
    table_args(c->args, m->firstParam, m->paramCount, loc, m->name);
  c->type = *m->resultType ? table_type(classes, m->resultType) : Type{};
  hold_call_operands(*c);
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
  for (size_t i = 0; i < n->args.size() && i < want.size(); i++)
    if (e->params[i].byRef) by_ref_arg(n->args[i], want[i], i, e->name);
  check_args(n->args, want, n->loc, e->name);
  n->event = e;
  n->type = e->result;
  hold_call_operands(*n);
  give_temp(*n);
}

void Checker::function_call(NodeP &n, const BuiltinFunction *f, std::vector<NodeP> args, Loc loc) {
  NodeP c = make(NK::CallFunction, loc);
  c->function = f;
  c->args = std::move(args);
  if (const PluginMember *declared = out.plugins.member_of(f))
    plugin_args(c->args, *declared, loc);
  else
    table_args(c->args, f->firstParam, f->paramCount, loc, f->name);
  c->type = *f->resultType ? table_type(classes, f->resultType) : Type{};
  hold_call_operands(*c);
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
    if (plugin_member(c, name, m)) return m;
  }
  return m;
}

// Resolves n (a Name, or the callee of a Call when isCall) as a member of
// cls reached through receiver(). False when cls has no such member.
bool Checker::resolve_in(NodeP &n, ClassInfo *cls, std::function<NodeP()> receiver, bool isCall) {
  if (cls->is_interface()) return interface_member(n, cls, receiver, isCall);
  Node &src = *n;
  std::string nm = isCall ? src.lhs->text : src.text;
  Member m = find_member(cls, nm);
  std::vector<NodeP> args;
  if (m.kind == Member::None) {
    std::vector<NodeP> given;
    if (isCall) given = std::move(src.args);
    if (entry_member(n, cls, receiver, given, nm, src.loc)) return true;
    if (isCall) src.args = std::move(given);
    return false;
  }
  if (isCall) args = std::move(src.args);
  Loc loc = src.loc;
  switch (m.kind) {
  case Member::None:
    return false;
  case Member::Field:
  case Member::Prop: {
    bool indexed = isCall && m.kind == Member::Field && m.field->type.is_array();
    if (isCall && !indexed) error_at(loc, nm + " is a property, not a method");
    NodeP f = make(m.kind == Member::Field ? NK::Field : NK::PropGet, loc);
    f->lhs = receiver();
    if (m.kind == Member::Field) {
      f->offset = m.field->offset;
      f->type = f->slot.type = m.field->type;
    } else {
      if (!*m.prop->getter && !src.forWrite) /* a write-only property may be assigned */
        error_at(loc, std::string("property ") + m.prop->name + " cannot be read");
      f->prop = m.prop;
      f->type = table_type(classes, m.prop->type);
    }
    if (indexed) return index(n, std::move(f), std::move(args), loc), true;
    n = std::move(f);
    give_temp(*n);
    return true;
  }
  case Member::Routine:
    routine_call(n, m.routine, receiver(), std::move(args), loc);
    return true;
  case Member::Method: {
    const BuiltinMethod *form =
        out.plugins.member_of(m.method) ? m.method : pick_method(cls, m.method, args, loc);
    method_call(n, form, receiver(), std::move(args), loc);
    return true;
  }
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
  if (!locals.count(u) && !params.count(u) &&
      (consts.count(u) || classConsts.count(u) || globalConsts.count(u))) {
    const Node *v = consts.count(u)        ? consts[u]
                    : classConsts.count(u) ? classConsts[u]
                                           : globalConsts[u];
    NodeP copy = make(v->kind, n->loc);
    copy->ival = v->ival, copy->fval = v->fval, copy->text = v->text, copy->type = v->type;
    n = std::move(copy);
    return;
  }
  if (locals.count(u) || params.count(u)) {
    NodeP v = make(NK::Var, n->loc);
    if (locals.count(u)) {
      read_local(u);
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
  if (r->owner && resolve_in_owner(n, loc, false)) return;
  if (GlobalDecl *g = global_decl(n->text)) {
    NodeP v = make(NK::Var, loc);
    v->slot = g->slot;
    v->type = g->slot.type;
    n = std::move(v);
    return;
  }
  if (Routine *rt = module_routine(n->text)) return routine_call(n, rt, nullptr, {}, loc);
  if (const BuiltinFunction *f = out.plugins.function(n->text)) return function_call(n, f, {}, loc);
  if (const BuiltinFunction *f = find_function(n->text, 0)) return function_call(n, f, {}, loc);
  if (menu_item_named(prog.menuBar, n->text)) {
    NodeP m = make(NK::MenuRef, loc);
    m->text = n->text;
    m->type = {K::Object, classes.builtin("MenuItem")};
    n = std::move(m);
    give_temp(*n);
    return;
  }
  ClassInfo *cls = classes.find(n->text);
  if (cls && cls->decl && cls->isWindow) {
    NodeP w = make(NK::Implicit, loc);
    w->cls = cls;
    w->type = {K::Object, cls};
    n = std::move(w);
    give_temp(*n);
    return;
  }
  error_at(loc, unknown_name(n->text));
}

// Utils.Count: a module's member named through the module becomes the bare
// name, which every scope sees. A local or parameter of the same name wins.
bool Checker::module_member(NodeP &n) {
  if (n->kind != NK::Member || n->lhs->kind != NK::Name) return false;
  std::string u = upper(n->lhs->text);
  if (locals.count(u) || params.count(u)) return false;
  for (const ModuleDecl &m : prog.modules) {
    if (upper(m.name) != u) continue;
    if (!m.members.count(upper(n->text)))
      error_at(n->loc, "module " + m.name + " has no member " + n->text +
                           did_you_mean(n->text, {m.members.begin(), m.members.end()}));
    NodeP bare = make(NK::Name, n->loc);
    bare->text = n->text;
    n = std::move(bare);
    return true;
  }
  return false;
}

void Checker::member(NodeP &n) {
  if (module_member(n)) return expr(n);
  if (grouped_function(n)) return;
  expr(n->lhs);
  const Type &t = n->lhs->type;
  if (t.is_array()) {
    Loc at = n->lhs->loc;
    return array_method(n, std::move(n->lhs), n->text, {}, at);
  }
  if (t.kind == K::Color) return color_part(n);
  if (t.kind != K::Object)
    error_at(n->loc, "a " + type_text(t) + " value has no member " + n->text);
  NodeP obj = std::move(n->lhs);
  NodeP keep = make(NK::Name, n->loc);
  keep->text = n->text;
  keep->forWrite = n->forWrite; /* the target of an assignment */
  Node *raw = obj.get();
  bool used = false;
  auto receiver = [&] {
    used = true;
    return std::move(obj);
  };
  if (!resolve_in(keep, raw->type.cls, receiver, false) || !used)
    no_member(raw->type.cls, n->text, n->loc);
  n = std::move(keep);
}

// SpecialFolder.Desktop ...: a name that is no variable, routine or class
// groups global functions without arguments under it.
bool Checker::grouped_function(NodeP &n) {
  if (n->lhs->kind != NK::Name) return false;
  const std::string name = n->lhs->text + "." + n->text;
  const BuiltinFunction *f = function_name_exists(name) ? find_function(name, 0) : nullptr;
  std::string u = upper(n->lhs->text);
  if (!f || locals.count(u) || params.count(u) || global_named(n->lhs->text)) return false;
  function_call(n, f, {}, n->loc);
  return true;
}

// c.Red, c.Hue ...: the runtime reads a part of a Color value.
void Checker::color_part(NodeP &n) {
  const BuiltinFunction *f = find_function("Color." + n->text, 1);
  if (!f) error_at(n->loc, "a Color value has no member " + n->text);
  std::vector<NodeP> args;
  args.push_back(std::move(n->lhs));
  function_call(n, f, std::move(args), n->loc);
}

// A member that a built-in class reaches through an entry of its own
// (Canvas.Scroll) rather than its method list: a call with the receiver first.
bool Checker::entry_member(NodeP &n, ClassInfo *cls, std::function<NodeP()> &receiver,
                           std::vector<NodeP> &args, const std::string &name, Loc loc) {
  for (ClassInfo *c = cls; c; c = c->super) {
    if (!c->builtin || !function_name_exists(c->name + "." + name)) continue;
    const BuiltinFunction *f = find_function(c->name + "." + name, args.size() + 1);
    if (!f) error_at(loc, "wrong number of arguments for " + name);
    args.insert(args.begin(), receiver());
    function_call(n, f, std::move(args), loc);
    return true;
  }
  return false;
}

// A bare name in a routine of a class: a member of Self's class, or in a
// control's handler a member of its window. The window's controls come
// first there: a control named List is that control in every handler of the
// window, not the List method of the Listbox whose handler names it (a call
// reaches a control only when it indexes a control array).
bool Checker::resolve_in_owner(NodeP &n, Loc loc, bool isCall) {
  ClassInfo *window = r->selfClass->window ? r->selfClass->window->info : nullptr;
  auto windowOf = [&] {
    NodeP w = make(NK::WindowOf, loc);
    w->lhs = self_node(loc);
    w->type = {K::Object, window};
    return w;
  };
  if (window) {
    Member m = find_member(window, isCall ? n->lhs->text : n->text);
    if (m.kind == Member::Control && (!isCall || m.isArray))
      return resolve_in(n, window, windowOf, isCall);
  }
  if (resolve_in(
          n, r->selfClass, [&] { return self_node(loc); }, isCall))
    return true;
  return window && resolve_in(n, window, windowOf, isCall);
}

// A call by a bare name that is no variable: an image routine, UBound, a
// built-in function, or a cast.
void Checker::named_call(NodeP &n, NodeP probe, Loc loc) {
  const std::string nm = probe->lhs->text;
  if (Routine *rt = module_routine(nm))
    return routine_call(n, rt, nullptr, std::move(probe->args), loc);
  if (const BuiltinFunction *f = out.plugins.function(nm))
    return function_call(n, f, std::move(probe->args), loc);
  if (iequal(nm, "UBound")) return ubound(n, std::move(probe->args), loc);
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
  error_at(loc, unknown_name(nm));
}

bool Checker::global_named(const std::string &name) { return global_decl(name) != nullptr; }

// Module-level routines and variables by name, through an index made on
// first use: a program may have many thousands of them.
Routine *Checker::module_routine(const std::string &name) {
  if (routineIndex.size() != prog.routines.size()) {
    routineIndex.clear();
    for (auto &rt : prog.routines) routineIndex.emplace(upper(rt->name), rt.get());
  }
  auto it = routineIndex.find(upper(name));
  return it == routineIndex.end() ? nullptr : it->second;
}

GlobalDecl *Checker::global_decl(const std::string &name) {
  if (globalIndex.size() != prog.globals.size()) {
    globalIndex.clear();
    for (GlobalDecl &g : prog.globals) globalIndex.emplace(upper(g.name), &g);
  }
  auto it = globalIndex.find(upper(name));
  return it == globalIndex.end() ? nullptr : it->second;
}

void Checker::call(NodeP &n) {
  module_member(n->lhs);
  Node &callee = *n->lhs;
  Loc loc = n->loc;
  if (callee.kind == NK::Name) {
    std::string u = upper(callee.text);
    if (!locals.count(u) && !params.count(u)) {
      NodeP probe = make(NK::Call, loc);
      probe->lhs = std::move(n->lhs);
      probe->args = std::move(n->args);
      std::string nm = probe->lhs->text;
      if (r->owner && resolve_in_owner(probe, loc, true)) return void(n = std::move(probe));
      if (!global_named(nm)) return named_call(n, std::move(probe), loc);
      n->lhs = std::move(probe->lhs); /* a module-level array */
      n->args = std::move(probe->args);
    }
    std::string nm = callee.text;
    expr(n->lhs);
    if (!n->lhs->type.is_array())
      error_at(n->lhs->loc, nm + " is not an array (it is " + type_text(n->lhs->type) + ")");
    return index(n, std::move(n->lhs), std::move(n->args), loc);
  }
  if (callee.kind == NK::Member) {
    expr(callee.lhs);
    const Type &t = callee.lhs->type;
    if (t.is_array())
      return array_method(n, std::move(callee.lhs), callee.text, std::move(n->args), loc);
    if (t.kind != K::Object)
      error_at(loc, "a " + type_text(t) + " value has no member " + callee.text);
    NodeP probe = make(NK::Call, loc);
    probe->lhs = make(NK::Name, callee.loc);
    probe->lhs->text = callee.text;
    probe->args = std::move(n->args);
    NodeP obj = std::move(callee.lhs);
    ClassInfo *cls = t.cls;
    if (!resolve_in(
            probe, cls, [&] { return std::move(obj); }, true))
      no_member(cls, probe->lhs->text, loc);
    n = std::move(probe);
    return;
  }
  error_at(loc, "this expression cannot be called");
}

} // namespace basc
