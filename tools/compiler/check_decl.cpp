// Class declarations: types, classes and their layouts, control subclasses,
// events and their handlers, the binding of routines, and dispatch tables.
#include "checker.h"
#include "suggest.h"

namespace basc {

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
  if (!c) error_at(t.loc, "unknown type '" + t.name + "'" + did_you_mean(t.name, type_names()));
  return {K::Object, c};
}

// An array parameter ("a() As T") takes the array itself, never a copy.
Type Checker::param_type(const Param &p) {
  Type t = resolve_type(p.typeRef);
  if (!p.arrayDims) return t;
  if (p.byRef) error_at(p.loc, "an array parameter is always passed by reference; drop ByRef");
  return Type::array_of(t, p.arrayDims);
}

void Checker::declare_classes() {
  std::set<std::string> seen;
  for (auto &c : prog.classes) {
    if (ClassInfo *other = classes.find(c->name); other && other->iface)
      error_at(c->loc, c->name + " is already an interface of this program");
    if (!seen.insert(upper(c->name)).second || classes.builtin(c->name.c_str()))
      error_at(c->loc, "class " + c->name + " is already defined");
    classes.add_image_class(c.get());
  }
  for (auto &c : prog.classes) resolve_class(*c);
  check_class_cycles();
  std::set<ClassInfo *> busy;
  for (auto &c : prog.classes) layout(c->info, busy);
  for (auto &c : prog.classes) out.imageClasses.push_back(c->info);
}

void Checker::resolve_class(ClassDecl &c) {
  ClassInfo *info = c.info;
  if (c.superRef.name.empty()) {
    info->super = c.isWindow ? classes.builtin("Window") : classes.object;
  } else {
    ClassInfo *s = classes.find(c.superRef.name);
    if (!s)
      error_at(c.superRef.loc, "unknown class '" + c.superRef.name + "'" +
                                   did_you_mean(c.superRef.name, type_names()));
    if (s->is_interface())
      error_at(c.superRef.loc, c.superRef.name +
                                   " is an interface, not a class; write `Implements " +
                                   c.superRef.name + "` to implement it");
    if (s->external) /* its instance size is known only to the runtime */
      error_at(c.superRef.loc, "a class cannot inherit from plug-in class " + s->name);
    info->super = s;
  }
  if (c.isWindow && !info->super->isWindow)
    error_at(c.superRef.loc, "window " + c.name + " must inherit from a window class");
}

// An array property is made by the class's constructor, before any code of
// the program runs, so its bounds are literals (folded here).
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
    if (p.shape.present) p.type = literal_array(p.shape, p.type, "an array property");
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
      if (!out.plugins.undeclared)
        error_at(d.classRef.loc, "unknown control class '" + d.classRef.name + "'");
      cls = classes.add_external(d.classRef.name); /* registered by a plug-in */
    }
    /* placed, but with no pane: its record has no array position for the handlers */
    const char *paneless = nullptr;
    for (const char *kind : {"Timer", "Serial", "Socket"})
      if (cls->derives_from(classes.builtin(kind))) paneless = kind;
    if ((!cls->external || cls->plugin) && !paneless &&
        !cls->derives_from(classes.builtin("Control")))
      error_at(d.classRef.loc, d.classRef.name + " is not a control class");
    if (paneless && d.index != INT32_MIN)
      error_at(d.loc, std::string("a ") + paneless + " cannot be an element of a control array");
    if (base.count(u) && base[u] != cls)
      error_at(d.loc, "the elements of control array " + d.name + " must share one class");
    base[u] = cls;
    std::string key = u + "$" + std::to_string(d.index);
    if (!keys.insert(key).second) error_at(d.loc, "control " + d.name + " is declared twice");
    for (ControlDecl &o : c.controls)
      if (&o != &d && iequal(o.name, d.name) && (o.index == INT32_MIN) != (d.index == INT32_MIN))
        error_at(d.loc, "control " + d.name + " is both a control array and a single control");
  }
  auto subclassOf = [&](const std::string &name) {
    std::string u = upper(name);
    if (!sub.count(u)) {
      sub[u] = classes.add_control_subclass(base[u], &c);
      for (ControlDecl &d : c.controls)
        if (iequal(d.name, name)) sub[u]->controlArray = d.index != INT32_MIN;
      out.imageClasses.push_back(sub[u]);
    }
    return sub[u];
  };
  for (auto &r : c.routines) {
    if (r->controlName.empty()) continue;
    if (!base.count(upper(r->controlName)))
      error_at(r->loc, "window " + c.name + " has no control " + r->controlName);
    r->selfClass = subclassOf(r->controlName);
  }
  for (ControlDecl &d : c.controls)
    if (d.ownClass) subclassOf(d.name);
  for (ControlDecl &d : c.controls) {
    std::string u = upper(d.name);
    d.cls = sub.count(u) ? sub[u] : base[u];
  }
}

// Directory indexes in the order a reader meets the classes: each image class
// after its superclasses, a window's controls after it, each control's class
// before the control's own subclass. Classes named later (by New, by the menu
// bar) follow in the order the code generator asks for them.
void Checker::number_classes() {
  std::function<void(ClassInfo *)> number = [&](ClassInfo *c) {
    if (c->index >= 0) return;
    bool ownsSuper = c->decl || c->window; /* the image's classes record their superclass */
    if (ownsSuper && c->super && c->super != classes.object) number(c->super);
    classes.index_of(c);
  };
  for (auto &c : prog.classes) {
    number(c->info);
    for (ControlDecl &d : c->controls) number(d.cls);
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
  for (size_t i = 0; i < e.params.size(); i++) {
    if (!(resolve_type(h.params[i].typeRef) == e.params[i].type))
      error_at(h.params[i].loc, "parameter " + h.params[i].name + " of event " + h.name + " is " +
                                    type_text(e.params[i].type));
    check_by_ref(h.params[i], e.params[i].byRef, h.name);
  }
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
  if (!ev) ev = plugin_event(target, h.name);
  bool external = target->super && target->super->plugin_kind();
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

namespace {

// One parameter of a built-in event's declaration text: its type's name and
// whether the runtime passes the address of its variable.
struct EventParam {
  std::string type;
  bool byRef = false;
};

std::string trimmed(const std::string &s) {
  size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// "X As Integer, ByRef result As Integer" -> {Integer}, {Integer, ByRef}.
std::vector<EventParam> event_params(const std::string &text) {
  std::vector<EventParam> out;
  for (size_t p = 0; p < text.size();) {
    size_t comma = text.find(',', p);
    std::string one =
        trimmed(text.substr(p, comma == std::string::npos ? std::string::npos : comma - p));
    size_t as = upper(one).find(" AS ");
    EventParam e;
    e.type = as == std::string::npos ? "" : trimmed(one.substr(as + 4));
    e.byRef = upper(one).rfind("BYREF ", 0) == 0;
    out.push_back(e);
    if (comma == std::string::npos) break;
    p = comma + 1;
  }
  return out;
}

} // namespace

// A handler's parameter is ByRef exactly where the event's is: the caller
// passes either the value or its variable's address, never both.
void Checker::check_by_ref(const Param &p, bool byRef, const std::string &event) {
  if (p.byRef != byRef)
    error_at(p.loc, "parameter " + p.name + " of event " + event +
                        (byRef ? " is ByRef; declare it ByRef" : " is not ByRef"));
}

// The handler's parameters must match the event's declaration text
// ("X As Integer, Y As Integer").
void Checker::check_event_signature(Routine &h, const ClassInfo *cls) {
  const BuiltinEvent *ev = find_builtin_event(cls, h.name);
  if (!ev) ev = plugin_event(cls, h.name);
  std::string text = ev->parameters;
  std::vector<EventParam> params = event_params(text);
  if (params.size() != h.params.size())
    error_at(h.loc, "event " + h.name + " takes " + std::to_string(params.size()) +
                        " parameter(s): " + (text.empty() ? "none" : text));
  for (size_t i = 0; i < params.size(); i++) {
    if (!(table_type(classes, params[i].type.c_str()) == resolve_type(h.params[i].typeRef)))
      error_at(h.params[i].loc,
               "parameter " + h.params[i].name + " of event " + h.name + " is " + params[i].type);
    check_by_ref(h.params[i], params[i].byRef, h.name);
  }
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
    for (Param &p : m->params) p.type = param_type(p);
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

} // namespace basc
