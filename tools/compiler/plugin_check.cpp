// Plug-ins from code: reading the declarations each embedded library
// carries, making the classes and member records they declare, and checking
// the arguments of calls to plug-in methods.
#include "checker.h"
#include "imagefile.h"
#include "pe.h"
#include "suggest.h"
#include <cstring>
#include <filesystem>

namespace basc {

namespace {

template <class T> const T *named(const std::deque<T> &records, const std::string &name) {
  for (const T &r : records)
    if (iequal(r.name, name)) return &r;
  return nullptr;
}

// The declarations text at the export: its bytes up to the terminating NUL,
// which must lie within the export's section.
bool declarations_text(const img::Bytes &file, const pe::ExportSpot &spot, std::string *text) {
  const uint8_t *start = file.data() + spot.file_offset;
  const uint8_t *end = static_cast<const uint8_t *>(std::memchr(start, 0, spot.available));
  if (!end) return false;
  text->assign(reinterpret_cast<const char *>(start), size_t(end - start));
  return true;
}

} // namespace

const BuiltinFunction *PluginLibrary::function(const std::string &name) const {
  return named(functions, name);
}
const BuiltinProperty *PluginLibrary::property(const PluginClass &c,
                                               const std::string &name) const {
  return named(c.properties, name);
}
const BuiltinMethod *PluginLibrary::method(const PluginClass &c, const std::string &name) const {
  return named(c.methods, name);
}
const BuiltinEvent *PluginLibrary::event(const PluginClass &c, const std::string &name) const {
  return named(c.events, name);
}

void read_plugins(Program &prog) {
  for (PluginDecl &p : prog.plugins) {
    std::filesystem::path path = std::filesystem::path(*p.sourceFile).parent_path() / p.path;
    std::string name = std::filesystem::path(p.path).filename().string(), error;
    if (name.empty() || name.size() > 255) error_at(p.loc, "a plug-in needs a file name");
    if (!img::read_file(path, &p.bytes, &error))
      error_at(p.loc, "cannot read plug-in " + path.string());
    p.read = true;
    pe::ExportSpot spot;
    if (!pe::find_export(p.bytes, kPluginDeclarationsSymbol, &spot, &error))
      error_at(p.loc, "plug-in " + name + " is not a library the runtime can load: " + error);
    if (!spot.found) continue; /* its members are the runtime's to know */
    std::string text;
    if (!declarations_text(p.bytes, spot, &text))
      error_at(p.loc, "the declarations of plug-in " + name + " do not end inside the file");
    auto declared = std::make_shared<PluginDeclarations>();
    if (!parse_plugin_declarations(text, declared.get(), &error))
      error_at(p.loc, "the declarations of plug-in " + name + " are damaged: " + error);
    p.declared = std::move(declared);
  }
}

// Every class a plug-in declares becomes an external class with its member
// records; superclasses and types are resolved once all are known.
void Checker::plugin_classes() {
  PluginLibrary &lib = out.plugins;
  std::map<std::string, const PluginDecl *> owner; // upper-case class and method names
  for (const PluginDecl &p : prog.plugins) {
    if (!p.read || !p.declared) {
      lib.undeclared = true;
      continue;
    }
    std::string file = std::filesystem::path(p.path).filename().string();
    auto fail = [&](int line, const std::string &what) {
      error_at(p.loc,
               "plug-in " + file + " (declarations line " + std::to_string(line) + ") " + what);
    };
    for (const PluginClassDecl &d : p.declared->classes) {
      if (owner.count(upper(d.name)) || classes.find(d.name))
        fail(d.line, "declares class " + d.name + ", which is already a class");
      for (auto &c : prog.classes)
        if (iequal(c->name, d.name))
          fail(d.line, "declares class " + d.name + ", which this program declares");
      owner[upper(d.name)] = &p;
      PluginClass &pc = lib.classes.emplace_back();
      pc.decl = &d;
      pc.file = file;
      ClassInfo *info = classes.add_external(d.name);
      info->plugin = &pc;
    }
    for (const PluginMember &m : p.declared->methods) {
      if (lib.function(m.name)) fail(m.line, "declares global method " + m.name + " twice");
      std::string link = "!M" + m.name;
      const BuiltinFunction &f = lib.functions.emplace_back(BuiltinFunction{
          lib.keep(m.name), lib.keep(m.result), lib.keep(link), -1, int32_t(m.params.size())});
      lib.declared[&f] = &m;
    }
  }
  for (PluginClass &pc : lib.classes) {
    const PluginClassDecl &d = *pc.decl;
    auto fail = [&](int line, const std::string &what) {
      error_at(owner[upper(d.name)]->loc,
               "plug-in " + pc.file + " (declarations line " + std::to_string(line) + ") " + what);
    };
    ClassInfo *info = classes.find(d.name);
    if (d.kind == PluginClassDecl::Control) {
      info->super = classes.builtin("RectControl");
    } else if (!d.super.empty()) {
      ClassInfo *s = classes.find(d.super);
      if (!s || s->decl)
        fail(d.line, "class " + d.name + " inherits from unknown class " + d.super);
      info->super = s;
      for (ClassInfo *c = s; c; c = c->super)
        if (c == info) fail(d.line, "class " + d.name + " inherits from itself");
    }
    for (const std::string &name : d.interfaces) {
      ClassInfo *i = classes.find(name);
      bool isInterface = i && ((i->builtin && (i->builtin->flags & kInterface)) ||
                               (i->plugin && i->plugin->decl->kind == PluginClassDecl::Interface));
      if (!isInterface) fail(d.line, d.name + " implements " + name + ", which is no interface");
    }
    auto link = [&](char kind, const std::string &member) {
      std::string text = std::string("!") + kind + d.name + "!" + member;
      if (text.size() > 255)
        fail(d.line, "member " + d.name + "." + member + " has too long a name");
      return lib.keep(text);
    };
    std::set<std::string> names;
    auto once = [&](const PluginMember &m) {
      if (!names.insert(upper(m.name)).second)
        fail(m.line, "declares " + m.name + " twice in " + d.name);
    };
    // Compiled code passes parameter 0 to a property's accessors; the runtime
    // binds the link to a stub that puts the registered parameter in its place.
    for (const PluginMember &m : d.properties) {
      once(m);
      pc.properties.push_back(BuiltinProperty{0, lib.keep(m.name), lib.keep(m.result),
                                              link('G', m.name),
                                              m.readOnly ? "" : link('S', m.name), 0});
    }
    bool callable = d.kind != PluginClassDecl::Interface; /* its methods have no routines */
    for (const PluginMember &m : d.methods) {
      once(m);
      const BuiltinMethod &r = pc.methods.emplace_back(
          BuiltinMethod{lib.keep(m.name), lib.keep(m.result), callable ? link('M', m.name) : "",
                        m.assignable ? link('W', m.name) : "", -1, int32_t(m.params.size())});
      lib.declared[&r] = &m;
      if (!callable) lib.interfaceMethods[&r] = &pc;
    }
    for (const PluginMember &m : d.events) {
      once(m);
      pc.events.push_back(
          BuiltinEvent{lib.keep(m.name), lib.keep(m.paramText), lib.keep(m.result), 0});
    }
  }
  // Every type a declaration names is a value type or a class known by now.
  auto known = [&](const std::string &type) {
    static const char *const values[] = {"Integer", "Single", "Double",
                                         "Boolean", "String", "Color"};
    for (const char *v : values)
      if (iequal(v, type)) return true;
    return classes.find(type) != nullptr;
  };
  auto check_types = [&](const PluginMember &m, const PluginDecl &p) {
    std::vector<std::string> types;
    for (const PluginParam &a : m.params) types.push_back(a.type);
    if (!m.result.empty()) types.push_back(m.result);
    for (const std::string &t : types)
      if (!known(t))
        error_at(p.loc, "plug-in " + std::filesystem::path(p.path).filename().string() +
                            " (declarations line " + std::to_string(m.line) +
                            ") names an unknown type '" + t + "'");
  };
  for (const PluginDecl &p : prog.plugins) {
    if (!p.declared) continue;
    for (const PluginMember &m : p.declared->methods) check_types(m, p);
    for (const PluginClassDecl &d : p.declared->classes)
      for (auto *list : {&d.properties, &d.methods, &d.events})
        for (const PluginMember &m : *list) check_types(m, p);
  }
}

// The arguments of a plug-in method: as many as it declares, ByRef ones by
// address, the rest converted to the declared types.
void Checker::plugin_args(std::vector<NodeP> &args, const PluginMember &m, Loc loc) {
  std::vector<Type> want;
  for (const PluginParam &p : m.params) {
    Type t = table_type(classes, p.type.c_str());
    want.push_back(p.array ? Type::array_of(t, 1) : t);
  }
  for (size_t i = 0; i < args.size() && i < want.size(); i++)
    if (m.params[i].byRef) by_ref_arg(args[i], want[i], i, m.name);
  check_args(args, want, loc, m.name);
}

// The error for a member cls lacks; a class of a plug-in that declares
// nothing has members only the runtime knows.
void Checker::no_member(const ClassInfo *cls, const std::string &name, Loc loc) {
  if (cls->plugin_kind()) {
    const ClassInfo *c = cls;
    while (!c->external) c = c->super;
    error_at(loc, "the plug-in of " + c->name + " declares no members, so " + name +
                      " cannot be used from code (the plug-in must carry its declarations)");
  }
  error_at(loc, cls->display() + " has no member " + name + did_you_mean(name, member_names(cls)));
}

// A member a plug-in declares for cls itself (not its superclasses).
bool Checker::plugin_member(ClassInfo *cls, const std::string &name, Member &m) {
  if (!cls->plugin) return false;
  if ((m.prop = out.plugins.property(*cls->plugin, name))) return m.kind = Member::Prop, true;
  if ((m.method = out.plugins.method(*cls->plugin, name))) return m.kind = Member::Method, true;
  return false;
}

// The event of that name a plug-in declares for cls or a class above it.
const BuiltinEvent *Checker::plugin_event(const ClassInfo *cls, const std::string &name) {
  for (; cls; cls = cls->super)
    if (cls->plugin)
      if (const BuiltinEvent *e = out.plugins.event(*cls->plugin, name)) return e;
  return nullptr;
}

const BuiltinProperty *Checker::plugin_property(const ClassInfo *cls, const std::string &name) {
  for (; cls; cls = cls->super)
    if (cls->plugin)
      if (const BuiltinProperty *p = out.plugins.property(*cls->plugin, name)) return p;
  return nullptr;
}

} // namespace basc
