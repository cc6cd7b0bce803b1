// Interfaces: their declarations and what they extend, the classes that
// implement them, the cycles of inheritance refused, and calls through an
// interface reference.
//
// The runtime fills a class's table for an interface by looking each of the
// interface's method names up the class chain, from the class itself; a
// call through an interface reference takes the entry at the method's slot
// in the table of the object's nearest class that lists the interface.
#include "checker.h"

namespace basc {

namespace {

// Deeper chains of interfaces than this are refused rather than flattened:
// each interface holds the methods of every one it extends.
constexpr size_t kMaxInterfaceDepth = 200;

// "A -> B -> A"; a long chain keeps its ends.
std::string chain_text(const std::vector<std::string> &names) {
  std::string s;
  for (size_t i = 0; i < names.size(); i++) {
    if (names.size() > 9 && i >= 4 && i + 4 < names.size()) {
      if (i == 4) s += " -> ...";
      continue;
    }
    s += (s.empty() ? "" : " -> ") + names[i];
  }
  return s;
}

} // namespace

// "Function Area(scale As Double) As Double": the line that declares m.
std::string Checker::signature_text(const Routine &m) {
  std::string s = std::string(m.kind == RoutineKind::Function ? "Function " : "Sub ") + m.name;
  s += "(";
  for (size_t i = 0; i < m.params.size(); i++) {
    const Param &p = m.params[i];
    s += (i ? ", " : "") + std::string(p.byRef ? "ByRef " : "") + p.name;
    if (p.arrayDims) s += "(" + std::string(size_t(p.arrayDims - 1), ',') + ")";
    s += " As " + p.typeRef.name;
  }
  s += ")";
  if (!m.resultRef.name.empty()) s += " As " + m.resultRef.name;
  return s;
}

// A class whose chain comes back to it would have no root and no layout.
void Checker::check_class_cycles() {
  for (auto &d : prog.classes) {
    std::vector<std::string> path{d->name};
    size_t steps = 0;
    for (ClassInfo *s = d->info->super; s && s->decl && steps <= prog.classes.size();
         s = s->super, steps++) {
      path.push_back(s->name);
      if (s == d->info)
        error_at(d->superRef.loc, "class " + d->name + " inherits from itself (" +
                                      chain_text(path) + "); remove one of these Inherits");
    }
  }
}

void Checker::declare_interfaces() {
  std::set<std::string> seen;
  for (auto &d : prog.interfaces) {
    if (!seen.insert(upper(d->name)).second)
      error_at(d->loc, "interface " + d->name + " is declared twice");
    if (ClassInfo *c = classes.find(d->name))
      error_at(d->loc, d->name + " is already " +
                           (c->is_interface() ? "a built-in interface" : "a built-in class"));
    classes.add_interface(d.get());
  }
}

// An interface named after Inherits or Implements: known, an interface, and
// named once in its list.
ClassInfo *Checker::listed_interface(const TypeRef &t, std::set<ClassInfo *> &named,
                                     const std::string &list, const char *onlyInterfaces) {
  ClassInfo *i = classes.find(t.name);
  if (!i) error_at(t.loc, "unknown interface '" + t.name + "'");
  if (!i->is_interface())
    error_at(t.loc, t.name + " is a class, not an interface; " + onlyInterfaces);
  if (!named.insert(i).second) error_at(t.loc, "interface " + t.name + " is named twice " + list);
  return i;
}

// An interface's methods in slot order: those of the interfaces it extends,
// then its own. A name met twice is one method when the signatures agree.
void Checker::resolve_interface(ClassInfo *i, std::vector<ClassInfo *> &path) {
  InterfaceDecl &d = *i->iface;
  if (!interfaceDepth.try_emplace(i, 1).second) return;
  path.push_back(i);
  std::map<std::string, Routine *> byName; /* upper-cased */
  auto add = [&](Routine *m, Loc loc, const std::string &from) {
    auto [at, added] = byName.try_emplace(upper(m->name), m);
    if (added) return i->slots.push_back(m);
    Routine *o = at->second;
    if (o != m && !same_params(*o, *m))
      error_at(loc, "method " + m->name + from + " conflicts with " + o->owner->name + "." +
                        o->name + ", declared `" + signature_text(*o) + "`");
  };
  std::set<ClassInfo *> named, extended;
  auto extend = [&](ClassInfo *a) {
    if (extended.insert(a).second) i->interfaces.push_back(a);
  };
  for (const TypeRef &t : d.bases) {
    ClassInfo *b =
        listed_interface(t, named, "after Inherits", "an interface inherits only interfaces");
    for (size_t k = 0; k < path.size(); k++)
      if (path[k] == b) {
        std::vector<std::string> names;
        for (size_t j = k; j < path.size(); j++) names.push_back(path[j]->name);
        names.push_back(b->name);
        error_at(t.loc, "interface " + b->name + " inherits from itself (" + chain_text(names) +
                            "); remove one of these Inherits");
      }
    if (b->iface) resolve_interface(b, path);
    size_t depth = (b->iface ? interfaceDepth[b] : 1) + 1;
    if (depth > kMaxInterfaceDepth)
      error_at(t.loc, "interface " + d.name + " inherits through more than " +
                          std::to_string(kMaxInterfaceDepth) + " levels of interfaces");
    interfaceDepth[i] = std::max(interfaceDepth[i], depth);
    for (ClassInfo *a : b->interfaces) extend(a);
    extend(b);
    for (Routine *m : interface_slots(b)) add(m, t.loc, " of " + b->name);
  }
  std::set<std::string> own;
  for (auto &m : d.methods) {
    if (!own.insert(upper(m->name)).second)
      error_at(m->loc, "method " + m->name + " is declared twice in interface " + d.name);
    add(m.get(), m->loc, "");
  }
  path.pop_back();
}

// The methods' types first (an interface may name itself in them), then
// what each interface extends.
void Checker::resolve_interfaces() {
  for (auto &d : prog.interfaces)
    for (auto &m : d->methods) {
      m->owner = d->info;
      if (iequal(m->name, "Constructor") || iequal(m->name, "Destructor"))
        error_at(m->loc, m->name + " belongs to a class; an interface declares only methods "
                                   "that its classes' objects answer");
      std::set<std::string> names;
      for (Param &p : m->params) {
        if (!names.insert(upper(p.name)).second)
          error_at(p.loc, "parameter " + p.name + " is declared twice");
        p.type = param_type(p);
      }
      m->result = resolve_type(m->resultRef, true);
      if (m->kind == RoutineKind::Function && m->result.kind == K::Void)
        error_at(m->loc, "function " + m->name + " needs a result type (As ...)");
      if (m->kind == RoutineKind::Sub && m->result.kind != K::Void)
        error_at(m->resultRef.loc, "a Sub has no result; use Function");
    }
  for (auto &d : prog.interfaces) {
    std::vector<ClassInfo *> path;
    resolve_interface(d->info, path);
  }
}

// A built-in interface's methods come from the runtime's table, in the
// order the runtime numbers them.
const std::vector<Routine *> &Checker::interface_slots(ClassInfo *i) {
  if (i->iface || !i->builtin || !i->tableMethods.empty()) return i->slots;
  for (int32_t k = 0; k < i->builtin->methodCount; k++) {
    const BuiltinMethod &bm = kBuiltinMethods[size_t(i->builtin->firstMethod + k)];
    auto m = std::make_unique<Routine>();
    m->name = bm.name;
    m->owner = i;
    m->resultRef.name = bm.resultType;
    m->kind = *bm.resultType ? RoutineKind::Function : RoutineKind::Sub;
    for (int32_t a = 0; a < bm.paramCount; a++) {
      const BuiltinParam &bp = kBuiltinParams[bm.firstParam + a];
      Param p;
      p.name = bp.name;
      p.typeRef.name = bp.type;
      p.byRef = bp.form == kParamByRef;
      p.arrayDims = bp.form == kParamArray ? 1 : 0;
      p.type = p.arrayDims ? Type::array_of(table_type(classes, bp.type), 1)
                           : table_type(classes, bp.type);
      m->params.push_back(std::move(p));
    }
    m->result = *bm.resultType ? table_type(classes, bm.resultType) : Type{};
    i->slots.push_back(m.get());
    i->tableMethods.push_back(std::move(m));
  }
  return i->slots;
}

bool Checker::same_params(const Routine &a, const Routine &b) {
  if (!(a.result == b.result) || a.params.size() != b.params.size()) return false;
  for (size_t k = 0; k < a.params.size(); k++)
    if (!(a.params[k].type == b.params[k].type) || a.params[k].byRef != b.params[k].byRef)
      return false;
  return true;
}

// The method the runtime puts in c's table for m: the first of that name
// up c's chain. Problems are reported at `at`, the name in Implements.
void Checker::check_implemented(ClassInfo *c, ClassInfo *iface, Routine &m, const TypeRef &at) {
  std::string through = iequal(at.name, iface->name) ? "" : " (through " + at.name + ")";
  for (ClassInfo *k = c; k; k = k->super) {
    for (Routine *own : k->methods) {
      if (!iequal(own->name, m.name)) continue;
      if (same_params(*own, m)) return;
      error_at(k == c ? own->loc : at.loc,
               "method " + k->name + "." + own->name + " does not match " + iface->name + "." +
                   m.name + through + ": declare it `" + signature_text(m) + "`");
    }
    if (!k->builtin) continue;
    for (int32_t i = 0; i < k->builtin->methodCount; i++) {
      const BuiltinMethod &bm = kBuiltinMethods[size_t(k->builtin->firstMethod + i)];
      if (!iequal(bm.name, m.name)) continue;
      Type result = *bm.resultType ? table_type(classes, bm.resultType) : Type{};
      std::vector<Type> params = table_params(classes, bm.firstParam, bm.paramCount);
      bool same = result == m.result && params.size() == m.params.size();
      for (size_t p = 0; same && p < params.size(); p++)
        same = params[p] == m.params[p].type && (kBuiltinParams[bm.firstParam + int32_t(p)].form ==
                                                 kParamByRef) == m.params[p].byRef;
      if (same) return;
      error_at(at.loc, "method " + k->name + "." + m.name + " does not match " + iface->name + "." +
                           m.name + through);
    }
  }
  error_at(at.loc, "class " + c->name + " implements " + iface->name + through +
                       " but has no method " + m.name + " — add `" + signature_text(m) + "`");
}

// The interfaces a class names, with those they extend, each checked to be
// complete. The class's record lists the interfaces of its superclasses
// too, so that a method it overrides is the one those interfaces reach.
void Checker::class_interfaces(ClassInfo *c, std::set<ClassInfo *> &done) {
  if (!c->decl || !done.insert(c).second) return;
  if (c->super && c->super->decl) class_interfaces(c->super, done);
  std::vector<std::pair<ClassInfo *, const TypeRef *>> own;
  auto add = [&](ClassInfo *i, const TypeRef *t) {
    for (auto &o : own)
      if (o.first == i) return;
    own.push_back({i, t});
  };
  std::set<ClassInfo *> named;
  for (const TypeRef &t : c->decl->implements) {
    ClassInfo *i = listed_interface(t, named, "in the Implements list of " + c->name,
                                    "a class implements only interfaces (Inherits names its "
                                    "superclass)");
    add(i, &t);
    for (ClassInfo *a : i->interfaces) add(a, &t);
  }
  for (auto &[i, t] : own)
    for (Routine *m : interface_slots(i)) check_implemented(c, i, *m, *t);
  for (auto &o : own) c->interfaces.push_back(o.first);
  for (ClassInfo *s = c->super; s && s->decl; s = s->super)
    for (ClassInfo *i : s->interfaces)
      if (std::find(c->interfaces.begin(), c->interfaces.end(), i) == c->interfaces.end())
        c->interfaces.push_back(i);
}

// x.Area through an interface reference: a call of the interface's method
// at its slot; the receiver's class is known only at run time.
bool Checker::interface_member(NodeP &n, ClassInfo *iface, std::function<NodeP()> receiver,
                               bool isCall) {
  Node &src = *n;
  std::string nm = isCall ? src.lhs->text : src.text;
  const std::vector<Routine *> &slots = interface_slots(iface);
  for (size_t k = 0; k < slots.size(); k++) {
    if (!iequal(slots[k]->name, nm)) continue;
    std::vector<NodeP> args;
    if (isCall) args = std::move(src.args);
    Loc loc = src.loc;
    routine_call(n, slots[k], receiver(), std::move(args), loc);
    n->cls = iface;
    n->ival = int64_t(k + 1);
    return true;
  }
  error_at(src.loc, "interface " + iface->name + " declares no method " + nm +
                        "; to reach a member of the object's class, cast it first, as in "
                        "ClassName(value)." +
                        nm);
}

} // namespace basc
