// What the checker adds to plain diagnostics: warnings while it walks a
// routine (locals declared and never read, statements no path reaches), and
// the names it offers for a misspelt one.
#include "checker.h"
#include "order.h"
#include "suggest.h"

namespace basc {

void Checker::warn(Loc loc, const std::string &message) { out.warnings.push_back({loc, message}); }

// How a statement leaves the block it stands in on every path, or nullptr
// when some path goes on to the next statement. Quit is not an end: a
// window may refuse to close and the call returns.
const char *Checker::leaves(const Stmt &s) {
  auto all = [&](const Block &b) {
    for (auto &x : b)
      if (leaves(*x)) return true;
    return false;
  };
  switch (s.kind) {
  case SK::Return:
    return "a Return";
  case SK::Exit:
    return "an Exit";
  case SK::Raise:
    return "a Raise";
  case SK::If: {
    if (s.elseBody.empty() || !all(s.body) || !all(s.elseBody)) return nullptr;
    for (auto &e : s.elseIfs)
      if (!all(e.second)) return nullptr;
    return "an If whose every branch leaves";
  }
  case SK::Select: {
    bool hasElse = false;
    for (auto &c : s.cases) {
      hasElse |= c.tests.empty();
      if (!all(c.body)) return nullptr;
    }
    return hasElse ? "a Select Case whose every case leaves" : nullptr;
  }
  case SK::Try: {
    if (!all(s.body)) return nullptr;
    for (auto &c : s.catches)
      if (!all(c.body)) return nullptr;
    return "a Try whose body and every Catch leave";
  }
  default:
    return nullptr;
  }
}

void Checker::warn_unreachable(const Block &b) {
  for (size_t i = 0; i + 1 < b.size(); i++)
    if (const char *how = leaves(*b[i])) {
      warn(b[i + 1]->loc, std::string("unreachable code: this statement follows ") + how +
                              " (line " + std::to_string(b[i]->loc.line) + ")");
      return; /* one warning for the rest of the block */
    }
}

void Checker::declare_local(const std::string &name, Loc loc) {
  localUse[upper(name)] = {name, loc, false};
}

void Checker::read_local(const std::string &upperName) {
  auto it = localUse.find(upperName);
  if (it != localUse.end()) it->second.read = true;
}

// Once the routine is checked: every Dim'd local that nothing read (the
// routine's warnings are then put in the order of the source).
void Checker::warn_unused_locals() {
  for (auto &[u, use] : localUse)
    if (!use.read) warn(use.loc, "local variable " + use.name + " is declared but never read");
}

// Operands evaluated left to right hold their values while later ones run
// code; a String or object only borrowed from a variable or a field could be
// freed by that code (it assigns the variable), so a temporary keeps a
// reference to it for the operation.
void Checker::hold_borrowed(const std::vector<Node *> &operands) {
  if (!evaluated_in_order(operands)) return;
  for (size_t i = 0; i < operands.size(); i++) {
    Node &o = *operands[i];
    if ((o.kind != NK::Var && o.kind != NK::Field) || !o.type.is_ref() || o.address || o.temp)
      continue;
    bool later = false;
    for (size_t j = i + 1; j < operands.size(); j++) later |= may_run_code(*operands[j]);
    if (later) o.temp = temp(o.type);
  }
}

void Checker::hold_call_operands(Node &call) {
  std::vector<Node *> operands;
  if (call.lhs) operands.push_back(call.lhs.get());
  for (auto &a : call.args) operands.push_back(a.get());
  hold_borrowed(operands);
}

// The members cls and the classes above it give: properties, methods,
// controls, events' names excluded.
std::vector<std::string> Checker::member_names(const ClassInfo *cls) const {
  std::vector<std::string> names;
  for (const ClassInfo *c = cls; c; c = c->super) {
    if (c->decl) {
      for (const Property &p : c->decl->properties) names.push_back(p.name);
      for (Routine *rt : c->methods) names.push_back(rt->name);
      for (const ControlDecl &d : c->decl->controls) names.push_back(d.name);
      for (const ConstDecl &k : c->decl->consts) names.push_back(k.name);
    }
    if (c->builtin) {
      for (int32_t i = 0; i < c->builtin->propertyCount; i++)
        names.push_back(kBuiltinProperties[c->builtin->firstProperty + i].name);
      for (int32_t i = 0; i < c->builtin->methodCount; i++)
        names.push_back(kBuiltinMethods[size_t(c->builtin->firstMethod + i)].name);
    }
  }
  return names;
}

// Every name a bare word can reach where the routine being checked stands.
std::vector<std::string> Checker::names_in_scope() const {
  std::vector<std::string> names;
  for (auto &[u, use] : localUse) names.push_back(use.name);
  for (auto &[u, slot] : locals)
    if (!localUse.count(u)) names.push_back(u); /* For and Catch variables */
  for (auto &[u, p] : params) names.push_back(p->name);
  for (const ConstDecl &k : prog.consts) names.push_back(k.name);
  for (const GlobalDecl &g : prog.globals) names.push_back(g.name);
  for (auto &rt : prog.routines) names.push_back(rt->name);
  for (const ModuleDecl &m : prog.modules) names.push_back(m.name);
  for (const BuiltinFunction &f : kBuiltinFunctions) names.push_back(f.name);
  std::vector<std::string> types = type_names();
  names.insert(names.end(), types.begin(), types.end());
  if (r && r->owner) {
    std::vector<std::string> own = member_names(r->selfClass);
    names.insert(names.end(), own.begin(), own.end());
  }
  return names;
}

// The value types and every class: the program's and the runtime's.
std::vector<std::string> Checker::type_names() const {
  std::vector<std::string> names = {"Integer", "Single", "Double", "Boolean", "String", "Color"};
  for (auto &[u, c] : classes.byName) names.push_back(c->name);
  for (const BuiltinClass &c : kBuiltinClasses) names.push_back(c.name);
  return names;
}

// A call that gives no value (a Sub, a method without result) used where a
// value is needed.
void Checker::need_value(const Node &n) const {
  if (n.type.kind != K::Void) return;
  if (n.kind == NK::CallRoutine)
    error_at(n.loc, n.routine->name +
                        " is a Sub and gives no value; call it on a line of its own, or make it a "
                        "Function with a result (Function " +
                        n.routine->name + "(...) As Integer) that Returns one");
  const char *name = n.kind == NK::CallMethod     ? n.method->name
                     : n.kind == NK::CallFunction ? n.function->name
                                                  : nullptr;
  if (name) error_at(n.loc, std::string(name) + " gives no value; call it on a line of its own");
  error_at(n.loc, "this gives no value");
}

// A statement that is only a value: say which, and what would use it.
void Checker::not_a_statement(const Stmt &s) const {
  const Node &v = *s.value;
  std::string what = v.kind == NK::Var || v.kind == NK::Name ? "the variable" : "this value";
  if (v.kind == NK::Field || v.kind == NK::PropGet) what = "the property";
  error_at(s.loc, what + " alone is not a statement; assign it to something (x = ...), or call a "
                         "method");
}

std::string Checker::unknown_name(const std::string &name) const {
  return "unknown name '" + name + "'" + did_you_mean(name, names_in_scope());
}

} // namespace basc
