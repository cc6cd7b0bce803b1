// The runtime as the compiler binds it: classes and global functions from
// the runtime's shared tables.
#include "library.h"
#include "names.h"
#include <cstring>

namespace basc {

using K = Type::Kind;

int32_t required_params(int32_t first, int32_t count) {
  int32_t n = count;
  while (n > 0 && kBuiltinParams[first + n - 1].form == kParamOptional) n--;
  return n;
}

bool takes_arg_count(int32_t first, int32_t count, size_t argCount) {
  return argCount <= size_t(count) && argCount >= size_t(required_params(first, count));
}

const BuiltinFunction *find_function(const std::string &name, size_t argCount) {
  for (const BuiltinFunction &f : kBuiltinFunctions)
    if (iequal(f.name, name) && takes_arg_count(f.firstParam, f.paramCount, argCount)) return &f;
  return nullptr;
}

bool function_name_exists(const std::string &name) {
  for (const BuiltinFunction &f : kBuiltinFunctions)
    if (iequal(f.name, name)) return true;
  return false;
}

Type table_type(Classes &classes, const char *name) {
  static const std::pair<const char *, K> kinds[] = {
      {"Integer", K::Integer}, {"Single", K::Single}, {"Double", K::Double},
      {"Boolean", K::Boolean}, {"String", K::String}, {"Color", K::Color},
  };
  for (auto &[n, k] : kinds)
    if (iequal(n, name)) return Type{k, nullptr};
  ClassInfo *c = classes.find(name);
  return Type{K::Object, c ? c : classes.object};
}

std::vector<Type> table_params(Classes &classes, int32_t first, int32_t count) {
  std::vector<Type> types;
  for (int32_t i = 0; i < count; i++) {
    const BuiltinParam &p = kBuiltinParams[first + i];
    Type t = table_type(classes, p.type);
    types.push_back(p.form == kParamArray ? Type::array_of(t, 1) : t);
  }
  return types;
}

Classes::Classes() {
  auto root = std::make_unique<ClassInfo>();
  root->name = "Object";
  object = root.get();
  byName["OBJECT"] = object;
  all.push_back(std::move(root));
}

ClassInfo *Classes::builtin(const char *name) {
  auto it = byName.find(upper(name));
  if (it != byName.end()) return it->second;
  for (const BuiltinClass &b : kBuiltinClasses) {
    if (!iequal(b.name, name)) continue;
    auto c = std::make_unique<ClassInfo>();
    c->name = b.name;
    c->builtin = &b;
    c->size = b.size;
    ClassInfo *raw = c.get();
    byName[upper(b.name)] = raw;
    all.push_back(std::move(c));
    raw->super = *b.superclass ? builtin(b.superclass) : object;
    raw->isWindow = raw->super && raw->super->isWindow;
    if (iequal(b.name, "Window")) raw->isWindow = true;
    for (int32_t i = 0; i < b.interfaceCount; i++)
      if (ClassInfo *iface = builtin(kBuiltinInterfaces[b.firstInterface + i]))
        raw->interfaces.push_back(iface);
    return raw;
  }
  return nullptr;
}

ClassInfo *Classes::find(const std::string &name) {
  auto it = byName.find(upper(name));
  if (it != byName.end()) return it->second;
  return builtin(name.c_str());
}

ClassInfo *Classes::add_image_class(ClassDecl *decl) {
  auto c = std::make_unique<ClassInfo>();
  c->name = decl->name;
  c->decl = decl;
  c->isWindow = decl->isWindow;
  ClassInfo *raw = c.get();
  byName[upper(decl->name)] = raw;
  all.push_back(std::move(c));
  decl->info = raw;
  return raw;
}

ClassInfo *Classes::add_external(const std::string &name) {
  auto c = std::make_unique<ClassInfo>();
  c->name = name;
  c->external = true;
  c->super = object;
  ClassInfo *raw = c.get();
  byName[upper(name)] = raw;
  all.push_back(std::move(c));
  return raw;
}

ClassInfo *Classes::add_interface(InterfaceDecl *decl) {
  auto c = std::make_unique<ClassInfo>();
  c->name = decl->name;
  c->iface = decl;
  c->super = object;
  ClassInfo *raw = c.get();
  byName[upper(decl->name)] = raw;
  all.push_back(std::move(c));
  decl->info = raw;
  return raw;
}

ClassInfo *Classes::add_control_subclass(ClassInfo *base, ClassDecl *window) {
  auto c = std::make_unique<ClassInfo>();
  c->super = base;
  c->size = base->size;
  c->window = window;
  ClassInfo *raw = c.get();
  all.push_back(std::move(c));
  return raw;
}

int32_t Classes::index_of(ClassInfo *cls) {
  if (cls->index < 0) {
    cls->index = int32_t(directory.size());
    directory.push_back(cls);
  }
  return cls->index;
}

template <class T>
static const T *find_in_chain(const ClassInfo *cls, const std::string &name,
                              int32_t BuiltinClass::*first, int32_t BuiltinClass::*count,
                              const T *table) {
  for (; cls; cls = cls->super) {
    if (!cls->builtin) continue;
    for (int32_t i = 0; i < cls->builtin->*count; i++) {
      const T &m = table[cls->builtin->*first + i];
      if (iequal(m.name, name)) return &m;
    }
  }
  return nullptr;
}

const BuiltinProperty *find_builtin_property(const ClassInfo *cls, const std::string &name) {
  return find_in_chain(cls, name, &BuiltinClass::firstProperty, &BuiltinClass::propertyCount,
                       kBuiltinProperties);
}

const BuiltinMethod *find_builtin_method(const ClassInfo *cls, const std::string &name) {
  return find_in_chain(cls, name, &BuiltinClass::firstMethod, &BuiltinClass::methodCount,
                       kBuiltinMethods.data());
}

std::vector<const BuiltinMethod *> find_builtin_overloads(const ClassInfo *cls,
                                                          const std::string &name) {
  std::vector<const BuiltinMethod *> forms;
  for (; cls && forms.empty(); cls = cls->super) {
    if (!cls->builtin) continue;
    for (int32_t i = 0; i < cls->builtin->methodCount; i++) {
      const BuiltinMethod &m = kBuiltinMethods[size_t(cls->builtin->firstMethod + i)];
      if (iequal(m.name, name)) forms.push_back(&m);
    }
  }
  return forms;
}

const BuiltinEvent *find_builtin_event(const ClassInfo *cls, const std::string &name) {
  return find_in_chain(cls, name, &BuiltinClass::firstEvent, &BuiltinClass::eventCount,
                       kBuiltinEvents);
}

const EventDecl *find_image_event(const ClassInfo *cls, const std::string &name) {
  for (; cls; cls = cls->super)
    if (cls->decl)
      for (const EventDecl &e : cls->decl->events)
        if (iequal(e.name, name)) return &e;
  return nullptr;
}

FieldAccess field_access(const char *accessor) {
  static const std::pair<const char *, FieldAccess> kinds[] = {
      {"fieldIntGetter", FieldAccess::Int},     {"fieldIntSetter", FieldAccess::Int},
      {"fieldShortGetter", FieldAccess::Short}, {"fieldShortSetter", FieldAccess::Short},
      {"fieldBoolGetter", FieldAccess::Bool},   {"fieldBoolSetter", FieldAccess::Bool},
      {"fieldStringGetter", FieldAccess::Ref},  {"fieldStringSetter", FieldAccess::Ref},
      {"fieldObjectGetter", FieldAccess::Ref},  {"fieldObjectSetter", FieldAccess::Ref},
  };
  for (auto &[n, k] : kinds)
    if (std::strcmp(n, accessor) == 0) return k;
  return FieldAccess::None;
}

} // namespace basc
