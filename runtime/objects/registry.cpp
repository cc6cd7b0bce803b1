// The built-in class registry: every definition declared in builtins.def made
// at start-up, the shared field accessors those members name, and the
// case-insensitive class name map.
#include "objects/registry.h"
#include "base/fault.h"
#include "objects/builtins.h"
#include "objects/objects.h"
#include "text/string.h"
#include <cstring>
#include <iterator>

ClassDef *gApplicationClass, *gFolderItemClass, *gMenuItemClass, *gWindowClass, *gControlClass,
    *gRectControlClass, *gRuntimeExceptionClass;

static ClassDef defs[kBuiltinClassCount];
static void *(*entryNamed)(const char *name); // the entry table's lookup, from registry_init
static ParameterDesc params[std::size(kBuiltinParams)];

/* ---- the name map: 256 buckets over folded names ---- */

struct MapEntry {
  ClassDef *cls;
  MapEntry *next;
};
static MapEntry entries[kBuiltinClassCount + 2]; // and Object, Runtime
static int32_t entryCount;
static MapEntry *buckets[256];

static uint8_t hashName(const char *name, int32_t length) {
  uint32_t h = 0;
  for (int32_t i = 0; i < length; i++) h = h * 31 + kFoldTable[(uint8_t)name[i]];
  return (uint8_t)(h ^ h >> 8);
}

static void mapEnter(ClassDef *cls) {
  MapEntry **bucket = &buckets[hashName(str_cview(cls->name), str_len(cls->name))];
  MapEntry *e = &entries[entryCount++];
  *e = {cls, *bucket};
  *bucket = e;
}

ClassDef *registry_find(const char *name) {
  int32_t length = (int32_t)strlen(name);
  for (MapEntry *e = buckets[hashName(name, length)]; e; e = e->next)
    if (names_equal(name, length, str_cview(e->cls->name), str_len(e->cls->name))) return e->cls;
  return nullptr;
}

/* ---- shared field accessors: the parameter is the field's byte offset ---- */

static int32_t *intField(Object *o, int32_t offset) { return (int32_t *)((char *)o + offset); }

static int32_t fieldIntGetter(Object *o, int32_t offset) { return *intField(o, offset); }
static void fieldIntSetter(Object *o, int32_t offset, int32_t v) { *intField(o, offset) = v; }

static int32_t fieldShortGetter(Object *o, int32_t offset) {
  return *(int16_t *)((char *)o + offset);
}
static void fieldShortSetter(Object *o, int32_t offset, int32_t v) {
  *(int16_t *)((char *)o + offset) = (int16_t)v;
}

static bool fieldBoolGetter(Object *o, int32_t offset) { return *((uint8_t *)o + offset) != 0; }
static void fieldBoolSetter(Object *o, int32_t offset, int32_t v) {
  *((uint8_t *)o + offset) = (uint8_t)v != 0; /* only the low byte carries a Boolean */
}

// Reference fields: the getter hands out a reference of the caller's own,
// the setter keeps one and releases the field's old one.
template <class T> static T **refField(Object *o, int32_t offset) {
  return (T **)((char *)o + offset);
}
static RString *fieldStringGetter(Object *o, int32_t offset) {
  RString *s = *refField<RString>(o, offset);
  RuntimeLockString(s);
  return s;
}
static void fieldStringSetter(Object *o, int32_t offset, RString *v) {
  str_assign(refField<RString>(o, offset), v);
}
static Object *fieldObjectGetter(Object *o, int32_t offset) {
  Object *v = *refField<Object>(o, offset);
  if (v) RuntimeLockObject(v);
  return v;
}
static void fieldObjectSetter(Object *o, int32_t offset, Object *v) {
  Object *old = *refField<Object>(o, offset);
  if (v) RuntimeLockObject(v);
  *refField<Object>(o, offset) = v;
  if (old) RuntimeUnlockObject(old);
}

static void *const fieldRoutines[] = {
    (void *)fieldIntGetter,    (void *)fieldIntSetter,    (void *)fieldShortGetter,
    (void *)fieldShortSetter,  (void *)fieldBoolGetter,   (void *)fieldBoolSetter,
    (void *)fieldStringGetter, (void *)fieldStringSetter, (void *)fieldObjectGetter,
    (void *)fieldObjectSetter,
};
static_assert(std::size(fieldRoutines) == std::size(kFieldAccessors));

/* ---- stand-ins for members whose routines are not built yet ---- */

[[noreturn]] static void methodUnbuilt(Object *) { fault_unbuilt("a built-in method"); }

// The routine an accessor or method name stands for; nil for "".
static void *routine(const char *name, void *none) {
  if (!*name) return none;
  for (size_t i = 0; i < std::size(kFieldAccessors); i++)
    if (!strcmp(name, kFieldAccessors[i])) return fieldRoutines[i];
  void *r = entryNamed(name);
  if (!r) fault_report(kFaultRegistryNoEntry); /* builtins.def names no such entry */
  return r;
}

// A value type descriptor or a class definition, from its name.
static const void *typeNamed(const char *name) {
  static const TypeDescriptor *const types[] = {&kTypeString, &kTypeInteger, &kTypeBoolean,
                                                &kTypeSingle, &kTypeDouble,  &kTypeForm,
                                                &kTypeColor};
  if (!*name) return nullptr;
  for (const TypeDescriptor *t : types)
    if (!strcmp(name, t->name)) return t;
  ClassDef *cls = registry_find(name);
  if (!cls) fault_report(kFaultRegistryNoType); /* builtins.def names no such type */
  return cls;
}

static const char *orNil(const char *text) { return *text ? text : nullptr; }

/* ---- building the definitions ---- */

static void setUp(ClassDef *cls, const BuiltinClass &b) {
  class_setup(cls);
  cls->name = str_from(b.name);
  if (*b.secondName) cls->secondName = str_from(b.secondName);
  cls->superclass = *b.superclass ? registry_find(b.superclass) : nullptr;
  cls->instanceSize = b.size;
  cls->creatable = (b.flags & kCreatable) != 0;
  cls->isInterface = (b.flags & kInterface) != 0;
  mapEnter(cls);
}

static void addProperties(ClassDef *cls, const BuiltinClass &b) {
  for (int32_t i = b.firstProperty; i < b.firstProperty + b.propertyCount; i++) {
    const BuiltinProperty &p = kBuiltinProperties[i];
    class_add_property(cls, p.name, typeNamed(p.type), p.flags, routine(p.getter, nullptr),
                       routine(p.setter, nullptr), p.parameter);
  }
}

static void addMethods(ClassDef *cls, const BuiltinClass &b) {
  for (int32_t i = b.firstMethod; i < b.firstMethod + b.methodCount; i++) {
    const BuiltinMethod &m = kBuiltinMethods[i];
    ParameterDesc *list = m.paramCount ? &params[m.firstParam] : nullptr;
    for (int32_t k = 0; k < m.paramCount; k++)
      list[k] = {kBuiltinParams[m.firstParam + k].name,
                 typeNamed(kBuiltinParams[m.firstParam + k].type),
                 {0, 0}};
    MethodRecord *r = class_add_method(cls, m.name, typeNamed(m.resultType), list, m.paramCount,
                                       routine(m.callEntry, (void *)methodUnbuilt));
    r->assignEntry = routine(m.assignEntry, nullptr);
  }
}

static void addEvents(ClassDef *cls, const BuiltinClass &b) {
  for (int32_t i = b.firstEvent; i < b.firstEvent + b.eventCount; i++) {
    const BuiltinEvent &e = kBuiltinEvents[i];
    EventRecord *r = class_add_event(cls, e.name, orNil(e.parameters), orNil(e.result), e.number);
    r->resultType = typeNamed(e.result);
  }
}

static void addInterfaces(ClassDef *cls, const BuiltinClass &b) {
  for (int32_t i = b.firstInterface; i < b.firstInterface + b.interfaceCount; i++) {
    ClassDef *interface = registry_find(kBuiltinInterfaces[i]);
    if (!interface || !interface->isInterface)
      fault_report(kFaultRegistryNoInterface);
    else
      class_add_interface(cls, interface);
  }
}

static void fillMembers(ClassDef *cls, const BuiltinClass &b) {
  addProperties(cls, b);
  addMethods(cls, b);
  addEvents(cls, b);
  addInterfaces(cls, b);
  cls->registered = 1;
}

static bool built;

bool registry_built() { return built; }

void registry_init(void *(*entryRoutine)(const char *name)) {
  if (built) return;
  built = true;
  entryNamed = entryRoutine;
  mapEnter(&gObjectClass);
  mapEnter(&gRuntimeClass);
  for (int32_t i = 0; i < kBuiltinClassCount; i++) setUp(&defs[i], kBuiltinClasses[i]);
  /* members after all names, so that a member may name any class as its type */
  for (int32_t i = 0; i < kBuiltinClassCount; i++) fillMembers(&defs[i], kBuiltinClasses[i]);
  gApplicationClass = registry_find("Application");
  gFolderItemClass = registry_find("FolderItem");
  gMenuItemClass = registry_find("MenuItem");
  gWindowClass = registry_find("Window");
  gControlClass = registry_find("Control");
  gRectControlClass = registry_find("RectControl");
  gRuntimeExceptionClass = registry_find("RuntimeException");
}
