// Plug-ins: installing the libraries the image carries, loading them, the
// registration entry points they call, the completion pass over their
// classes, and the shared accessors for fields of their instance data.
#include "objects/plugin.h"
#include "ui/plugincontrol.h"
#include "karuplugin.h"
#include "base/tagged.h"
#include "objects/objects.h"
#include "objects/registry.h"
#include "base/pool.h"
#include "startup/entrytable.h"
#include "base/fault.h"
#include "base/platform.h"
#include "text/string.h"
#include <windows.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>

enum {
  kObjectData = 24,  // plug-in data of a class without superclass starts here
  kControlData = 96, // and of a control (RectControl is 92 bytes)
  kV1ControlSize = 100,
};

// One loaded library with an entry point, pushed on the front of the list.
struct Plugin {
  void *const *exports; // 0: table from RegisterPluginExports, or nil
  int32_t version;      // 4: 1 until RegisterPluginVersion
  Plugin *next;         // 8
  HMODULE module;       // 12
  int32_t exportCount;  // 16: entries before the table's nil
};

enum : uint8_t { kIncomplete, kCompleting, kComplete };

// A plug-in class or control: a link word, then the definition.
struct PluginClass {
  PluginClass *next;               // 0
  ClassDef def;                    // 4
  Plugin *plugin;                  // 108: the library that registered it
  KARUClassDescription *desc;      // 112: classes; nil for controls
  KARUControlDescription *control; // 116: controls; nil for classes
  KARURoutine constructor;         // 120: the plug-in's own, called by the wrappers
  KARURoutine destructor;          // 124
  uint8_t state;                   // 128: kIncomplete ... kComplete
};
static_assert(offsetof(PluginClass, def) == 4);

// A node of the list the image hands over: the next node, a byte count, then
// 4 bytes, a name length n, n name bytes and the library's contents.
struct EmbeddedNode {
  EmbeddedNode *next;
  int32_t byteCount;
  uint8_t bytes[1];
};

static EmbeddedNode *embedded;
static Plugin *plugins;
static Plugin noPlugin = {nullptr, 0, nullptr, nullptr, 0}; // registrations outside a load
static Plugin *loading = &noPlugin;
static PluginClass *classes, *controls; // newest first
static MethodRecord *globalMethods, **globalTail = &globalMethods;

static void diagnostic(const char *format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  fault_diagnostic(text);
}

static void reportError(RString *error) {
  fault_diagnostic(str_cview(error));
  RuntimeUnlockString(error);
}

/* ---- lookups ---- */

static PluginClass *findIn(PluginClass *list, const char *name) {
  for (; list; list = list->next)
    if (name_is(list->def.name, name)) return list;
  return nullptr;
}

ClassDef *plugin_find_class(const char *name) {
  PluginClass *p = findIn(classes, name);
  return p ? &p->def : nullptr;
}

ClassDef *plugin_find_control(const char *name) {
  PluginClass *p = findIn(controls, name);
  return p ? &p->def : nullptr;
}

ClassDef *pluginObjectType(const char *name) {
  if (ClassDef *cls = registry_find(name)) return cls;
  if (ClassDef *cls = plugin_find_control(name)) return cls;
  return plugin_find_class(name);
}

Object *PluginNewInstance(const char *name) { return CreateInstance(pluginObjectType(name)); }

void *plugin_find_global_method(const char *name, bool assignForm) {
  for (MethodRecord *m = globalMethods; m; m = m->next)
    if (name_is(m->name, name)) return assignForm ? m->assignEntry : m->entry;
  return nullptr;
}

static PluginClass *recordOf(ClassDef *cls) {
  return (PluginClass *)((uint8_t *)cls - offsetof(PluginClass, def));
}

static PluginClass *pluginClassOf(const ClassDef *cls) { /* nil unless a plug-in class */
  for (PluginClass *p = classes; p; p = p->next)
    if (&p->def == cls) return p;
  return nullptr;
}

/* ---- shared accessors for fields of the instance data ---- */

static uint8_t *field(Object *o, int32_t at) { return (uint8_t *)o + at; }

template <class T> static T getValue(Object *o, int32_t at) {
  T v;
  memcpy(&v, field(o, at), sizeof v);
  return v;
}

template <class T> static void setValue(Object *o, int32_t at, T v) {
  memcpy(field(o, at), &v, sizeof v);
}

static int32_t getBoolean(Object *o, int32_t at) { return *field(o, at) != 0; }
static void setBoolean(Object *o, int32_t at, int32_t v) { *field(o, at) = (v & 0xFF) != 0; }

static RString *getString(Object *o, int32_t at) {
  RString *s = getValue<RString *>(o, at);
  RuntimeLockString(s); /* the caller owns the result */
  return s;
}

static void setString(Object *o, int32_t at, RString *s) {
  RuntimeLockString(s); /* before the release: s may be the old value */
  RuntimeUnlockString(getValue<RString *>(o, at));
  setValue(o, at, s);
}

static Object *getObject(Object *o, int32_t at) {
  return RuntimeLockObject(getValue<Object *>(o, at));
}

static void setObject(Object *o, int32_t at, Object *v) {
  RuntimeLockObject(v);
  RuntimeUnlockObject(getValue<Object *>(o, at));
  setValue(o, at, v);
}

// A control's display is redrawn through the window layer, once it exists.
static void redraw(Object *control) {
  void *invalidate = entry_routine("KARUInvalidateControl");
  if (invalidate && !entry_unbuilt(invalidate)) ((void (*)(Object *))invalidate)(control);
}

template <auto kSet, class T> static void setRedrawing(Object *o, int32_t at, T v) {
  kSet(o, at, v);
  redraw(o);
}

struct FieldAccessors {
  void *get, *set, *setRedrawing;
};

#define ACCESSORS(get, set, T)                                                                     \
  {                                                                                                \
    reinterpret_cast<void *>(get), reinterpret_cast<void *>(set),                                  \
        reinterpret_cast<void *>(&setRedrawing<set, T>)                                            \
  }

static const FieldAccessors kWordField = ACCESSORS(&getValue<int32_t>, &setValue<int32_t>, int32_t);
static const FieldAccessors kSingleField = ACCESSORS(&getValue<float>, &setValue<float>, float);
static const FieldAccessors kDoubleField = ACCESSORS(&getValue<double>, &setValue<double>, double);
static const FieldAccessors kBooleanField = ACCESSORS(&getBoolean, &setBoolean, int32_t);
static const FieldAccessors kStringField = ACCESSORS(&getString, &setString, RString *);
static const FieldAccessors kObjectField = ACCESSORS(&getObject, &setObject, Object *);

static const FieldAccessors *accessorsFor(const void *type) {
  if (type == &kTypeString) return &kStringField;
  if (type == &kTypeBoolean) return &kBooleanField;
  if (type == &kTypeSingle) return &kSingleField;
  if (type == &kTypeDouble) return &kDoubleField;
  if (type == &kTypeInteger || type == &kTypeColor || type == &kTypeForm) return &kWordField;
  return &kObjectField; /* a class */
}

// The references an instance holds in shared-accessor fields go with it.
static void releaseFields(Object *o, ClassDef *cls) {
  for (PropertyRecord *p = cls->properties; p; p = p->next) {
    if (p->setter == kStringField.set || p->setter == kStringField.setRedrawing)
      setString(o, p->parameter, nullptr);
    else if (p->setter == kObjectField.set || p->setter == kObjectField.setRedrawing)
      setObject(o, p->parameter, nullptr);
  }
}

static void constructWrapper(Object *o, ClassDef *cls) {
  if (KARURoutine routine = recordOf(cls)->constructor) routine((KARUObject)o);
}

static void destructWrapper(Object *o, ClassDef *cls) {
  if (KARURoutine routine = recordOf(cls)->destructor) routine((KARUObject)o);
  releaseFields(o, cls);
}

const KARUControlDescription *plugin_control_of(const ClassDef *cls) {
  for (; cls; cls = cls->superclass)
    for (PluginClass *p = controls; p; p = p->next)
      if (&p->def == cls) return p->control;
  return nullptr;
}

/* ---- members from descriptions ---- */

static const void *typeNamed(const char *name) {
  if (!name) return nullptr;
  if (const TypeDescriptor *t = type_named(name, (int32_t)strlen(name))) return t;
  return pluginObjectType(name);
}

// dataOffset < 0: the class has no plug-in data, so shared accessors are refused.
static void addProperties(ClassDef *cls, const KARUPropertyDescription *d, int32_t count,
                          int32_t dataOffset, bool isControl) {
  for (int32_t i = 0; i < count; i++, d++) {
    const void *type = typeNamed(d->type);
    bool shared = d->getter == KARU_SHARED_ACCESSOR || d->setter == KARU_SHARED_ACCESSOR;
    if (!type || (shared && dataOffset < 0)) {
      diagnostic("Couldn't add property %s of type %s", d->name, d->type ? d->type : "");
      continue;
    }
    const FieldAccessors *a = accessorsFor(type);
    bool redrawing = isControl && (d->flags & KARU_PROPERTY_INVALIDATES);
    void *getter = d->getter == KARU_SHARED_ACCESSOR ? a->get : d->getter;
    void *setter = d->setter != KARU_SHARED_ACCESSOR ? d->setter
                   : redrawing                       ? a->setRedrawing
                                                     : a->set;
    int32_t flags = d->flags & KARU_PROPERTY_RUNTIME_ONLY ? 0x01 : 0;
    int32_t parameter = d->parameter + (dataOffset < 0 ? 0 : dataOffset);
    class_add_property(cls, d->name, type, flags, getter, setter, parameter);
  }
}

static MethodRecord *parseMethod(const char *declaration, void *entry, void *assignEntry) {
  Declaration decl;
  RString *error = nullptr;
  if (!decl_parse(declaration ? declaration : "", &decl, &error)) {
    reportError(error);
    return nullptr;
  }
  MethodRecord *m = (MethodRecord *)tagged_alloc(sizeof(MethodRecord));
  memset(m, 0, sizeof *m);
  m->name = decl.name; /* the record keeps the parse's reference */
  m->cName = str_cview(decl.name);
  m->resultType = decl.resultType;
  m->parameters = decl.parameters;
  m->parameterCount = decl.parameterCount;
  m->entry = entry;
  m->assignEntry = assignEntry;
  RuntimeUnlockString(decl.parameterText);
  RuntimeUnlockString(decl.resultTypeName);
  return m;
}

static void addMethods(ClassDef *cls, const KARUMethodDescription *d, int32_t count) {
  MethodRecord **tail = &cls->methods;
  while (*tail) tail = &(*tail)->next;
  for (int32_t i = 0; i < count; i++, d++)
    if (MethodRecord *m = parseMethod(d->declaration, d->function, d->assignFunction)) {
      *tail = m;
      tail = &m->next;
    }
}

static void addEvents(ClassDef *cls, KARUEventDescription *d, int32_t count) {
  for (int32_t i = 0; i < count; i++, d++) {
    Declaration decl;
    RString *error = nullptr;
    if (!decl_parse(d->declaration ? d->declaration : "", &decl, &error)) {
      reportError(error);
      continue;
    }
    /* the texts stay with the event record for the life of the process */
    EventRecord *e = class_add_event(
        cls, str_cview(decl.name), decl.parameterText ? str_cview(decl.parameterText) : nullptr,
        decl.resultTypeName ? str_cview(decl.resultTypeName) : nullptr, 0);
    RuntimeUnlockString(decl.name);
    e->resultType = decl.resultType;
    e->parameters = decl.parameters;
    e->parameterCount = decl.parameterCount;
    d->event = (KARUEvent)e;
  }
}

static void addHandler(ClassDef *cls, const char *name, void *entry) {
  RString *s = str_from(name);
  class_add_handler(cls, s, 0, entry);
  RuntimeUnlockString(s);
}

static void addInterfaces(ClassDef *cls, const char *text) {
  for (const char *p = text; p && *p;) {
    while (*p == ' ' || *p == '\t' || *p == ',') p++;
    const char *end = p;
    while (*end && *end != ',') end++;
    int32_t n = (int32_t)(end - p);
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\t')) n--;
    if (n > 0) {
      char name[256];
      snprintf(name, sizeof name, "%.*s", (int)n, p);
      ClassDef *iface = pluginObjectType(name);
      if (iface && iface->isInterface)
        class_add_interface(cls, iface);
      else
        diagnostic("Couldn't find %s interface : %s", str_cview(cls->name), name);
    }
    p = end;
  }
}

/* ---- registration ---- */

static PluginClass *newRecord(const char *name, PluginClass **list) {
  PluginClass *p = (PluginClass *)pool_alloc(sizeof(PluginClass));
  memset(p, 0, sizeof *p);
  class_setup(&p->def);
  p->def.name = str_from(name);
  p->def.registered = 1;
  p->def.constructor = constructWrapper;
  p->def.destructor = destructWrapper;
  p->plugin = loading;
  p->next = *list;
  *list = p;
  return p;
}

static ClassDef *registerClass(KARUClassDescription *d) {
  if (ClassDef *known = pluginObjectType(d->name)) return known;
  PluginClass *p = newRecord(d->name, &classes);
  p->def.creatable = 1;
  p->desc = d;
  p->constructor = d->constructor;
  p->destructor = d->destructor;
  p->state = kIncomplete;
  return &p->def;
}

extern "C" {

void Win32InstallPlugins(void *list) { embedded = (EmbeddedNode *)list; }

void RegisterPluginVersion(int32_t version) {
  if (loading != &noPlugin) loading->version = version;
}

void RegisterPluginExports(void *const *table) {
  if (loading == &noPlugin) return;
  loading->exports = table;
  loading->exportCount = 0;
  while (table && table[loading->exportCount]) loading->exportCount++;
}

ClassDef *PluginRegisterClass(KARUClassDescription *d) {
  return loading->version >= 3 ? registerClass(d) : nullptr;
}

ClassDef *PluginRegisterInterface(KARUInterfaceDescription *d) {
  if (loading->version < 4) return nullptr;
  if (ClassDef *known = pluginObjectType(d->name)) return known; /* flags stay untouched */
  KARUClassDescription *c = (KARUClassDescription *)pool_alloc(sizeof *c);
  memset(c, 0, sizeof *c);
  c->reserved0 = d->reserved0;
  c->name = d->name;
  c->methods = d->methods;
  c->methodCount = d->methodCount;
  ClassDef *cls = registerClass(c);
  cls->isInterface = 1;
  cls->creatable = 0;
  return cls;
}

void PluginRegisterClassExtension(KARUClassExtension *d) {
  if (loading->version < 3) return;
  ClassDef *cls = pluginObjectType(d->className);
  if (!cls) return;
  addProperties(cls, d->properties, d->propertyCount, -1, false);
  addMethods(cls, d->methods, d->methodCount);
  addEvents(cls, d->events, d->eventCount);
}

} // extern "C"

// Entry `index` of the loading plug-in's exports table, or nil when the index
// lies outside it.
static void *exportAt(int32_t index) {
  if (index < 0 || index >= loading->exportCount) return nullptr;
  return loading->exports[index];
}

static void *exportForMethod(const KARUMethodV1 *m) {
  void *entry = exportAt(m->exportIndex);
  if (!entry)
    diagnostic("Plugin export %ld does not exist: %s", (long)m->exportIndex, m->declaration);
  return entry;
}

static void addGlobalMethod(const char *declaration, void *entry, void *assignEntry) {
  if (MethodRecord *m = parseMethod(declaration, entry, assignEntry)) {
    *globalTail = m;
    globalTail = &m->next;
  }
}

// The first form, widened to the current one; the runtime keeps the copy.
static KARUControlDescription *convertV1(KARUControlDescriptionV1 *v1) {
  KARUControlDescription *d = (KARUControlDescription *)pool_alloc(sizeof *d);
  memset(d, 0, sizeof *d);
  d->kind = KARU_CONTROL_KIND_V3;
  d->name = v1->name;
  d->flags = v1->flags;
  d->dataSize = v1->dataSize;
  d->defaultWidth = d->defaultHeight = kV1ControlSize;
  d->constructor = v1->constructor;
  d->destructor = v1->destructor;
  d->draw = v1->draw;
  d->mouseDown = v1->mouseDown;
  d->mouseDrag = v1->mouseDrag;
  d->mouseUp = v1->mouseUp;
  d->properties = (KARUPropertyDescription *)pool_alloc(v1->propertyCount *
                                                        (int32_t)sizeof(KARUPropertyDescription));
  for (int32_t i = 0; i < v1->propertyCount; i++) {
    const KARUPropertyV1 &from = v1->properties[i];
    KARUPropertyDescription &to = d->properties[d->propertyCount++];
    memset(&to, 0, sizeof to);
    to.name = from.name;
    to.type = from.type;
    to.getter = from.getter;
    to.setter = from.setter;
    to.parameter = from.parameter;
    to.flags = from.flags;
  }
  d->methods =
      (KARUMethodDescription *)pool_alloc(v1->methodCount * (int32_t)sizeof(KARUMethodDescription));
  for (int32_t i = 0; i < v1->methodCount; i++)
    if (void *entry = exportForMethod(&v1->methods[i]))
      d->methods[d->methodCount++] = {entry, v1->methods[i].declaration, nullptr};
  d->events = v1->events;
  d->eventCount = v1->eventCount;
  return d;
}

extern "C" {

void PluginRegisterMethod(void *description) {
  if (loading->version == 1) {
    const KARUMethodV1 *m = (const KARUMethodV1 *)description;
    if (void *entry = exportForMethod(m)) addGlobalMethod(m->declaration, entry, nullptr);
  } else if (loading->version >= 3) {
    const KARUMethodDescription *m = (const KARUMethodDescription *)description;
    addGlobalMethod(m->declaration, m->function, m->assignFunction);
  }
}

ClassDef *PluginRegisterControl(void *description) {
  int32_t kind = *(const int32_t *)description;
  if (kind < KARU_CONTROL_KIND_V1 || kind == KARU_CONTROL_KIND_V2) return nullptr;
  KARUControlDescription *d = (KARUControlDescription *)description;
  if (kind == KARU_CONTROL_KIND_V1) {
    ((KARUControlDescriptionV1 *)description)->dataOffset = kControlData;
    d = convertV1((KARUControlDescriptionV1 *)description);
  }
  PluginClass *p = newRecord(d->name, &controls);
  ClassDef *cls = &p->def;
  cls->superclass = gRectControlClass;
  cls->instanceSize = d->dataSize + kControlData;
  d->dataOffset = kControlData;
  p->control = d;
  p->constructor = d->constructor;
  p->destructor = d->destructor;
  p->state = kComplete;
  addHandler(cls, "CreatePane", reinterpret_cast<void *>(plugin_control_create_pane));
  addProperties(cls, d->properties, d->propertyCount, kControlData, true);
  addMethods(cls, d->methods, d->methodCount);
  addEvents(cls, d->events, d->eventCount);
  if (kind >= KARU_CONTROL_KIND_V4) {
    for (int32_t i = 0; i < d->handlerCount; i++)
      addHandler(cls, d->handlers[i].name, d->handlers[i].entry);
    addInterfaces(cls, d->interfaces);
  }
  return cls;
}

} // extern "C"

/* ---- completion pass ---- */

static void complete(PluginClass *p);

// The superclass a description names, completed first when it is a plug-in
// class; nil when there is none, it is unknown, or the chain comes back here.
static ClassDef *superclassOf(PluginClass *p) {
  const char *name = p->desc->superName;
  if (!name || !*name) return nullptr;
  ClassDef *super = pluginObjectType(name);
  if (!super) {
    diagnostic("Couldn't find %s superclass: %s", str_cview(p->def.name), name);
    return nullptr;
  }
  if (PluginClass *q = pluginClassOf(super)) {
    if (q->state == kCompleting) {
      diagnostic("Circular superclass chain: %s superclass: %s", str_cview(p->def.name), name);
      return nullptr;
    }
    complete(q);
  }
  return super;
}

static void complete(PluginClass *p) {
  if (p->state != kIncomplete) return;
  p->state = kCompleting;
  KARUClassDescription *d = p->desc;
  ClassDef *super = superclassOf(p);
  int32_t offset = super ? super->instanceSize : kObjectData;
  p->def.superclass = super;
  p->def.instanceSize = offset + d->dataSize;
  d->dataOffset = offset;
  addProperties(&p->def, d->properties, d->propertyCount, offset, false);
  addMethods(&p->def, d->methods, d->methodCount);
  addEvents(&p->def, d->events, d->eventCount);
  for (int32_t i = 0; i < d->handlerCount; i++)
    addHandler(&p->def, d->handlers[i].name, d->handlers[i].entry);
  addInterfaces(&p->def, d->interfaces);
  p->state = kComplete;
}

/* ---- installation and loading ---- */

// One embedded library to install, newest first.
struct WorkRecord {
  WorkRecord *next;
  int32_t size;        // bytes of the library
  const uint8_t *file; // its contents, inside the image
  RString *name;       // file name
};

static bool writeAll(HANDLE h, const uint8_t *bytes, int32_t size) {
  DWORD done = 0;
  return WriteFile(h, bytes, (DWORD)size, &done, nullptr) && done == (DWORD)size;
}

static bool sameContents(const char *path, const uint8_t *bytes, int32_t size) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool same = GetFileSize(h, nullptr) == (DWORD)size;
  uint8_t chunk[4096];
  for (int32_t at = 0; same && at < size;) {
    DWORD want = (DWORD)(size - at < (int32_t)sizeof chunk ? size - at : sizeof chunk), got = 0;
    same = ReadFile(h, chunk, want, &got, nullptr) && got == want &&
           memcmp(chunk, bytes + at, want) == 0;
    at += (int32_t)want;
  }
  CloseHandle(h);
  return same;
}

enum Placement { kPlaced, kRefused, kForeign };

// Puts the library at path: a new file is written, an equal one is used as
// it is, a different one is rewritten; kForeign when that cannot be done.
static Placement place(const char *path, const WorkRecord *w) {
  HANDLE h =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    bool written = writeAll(h, w->file, w->size);
    CloseHandle(h);
    if (written) return kPlaced;
    DeleteFileA(path);
    return kRefused;
  }
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return kRefused;
  if (sameContents(path, w->file, w->size)) return kPlaced;
  h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                  nullptr);
  if (h == INVALID_HANDLE_VALUE) return kForeign;
  bool written = writeAll(h, w->file, w->size);
  CloseHandle(h);
  return written ? kPlaced : kForeign;
}

[[noreturn]] static void cannotInstall(const char *text) {
  gPlatform.messageBox(nullptr, text, nullptr, MB_OK | MB_ICONERROR); /* default title */
  fault_end_process();
}

static void installPath(const WorkRecord *w, char *path) {
  char dir[MAX_PATH];
  const char *name = str_cview(w->name);
  GetSystemDirectoryA(dir, sizeof dir);
  snprintf(path, MAX_PATH, "%s\\%s", dir, name);
  Placement inSystem = place(path, w);
  if (inSystem == kPlaced) return;
  char systemPath[MAX_PATH];
  strcpy(systemPath, path);
  GetWindowsDirectoryA(dir, sizeof dir);
  snprintf(path, MAX_PATH, "%s\\%s", dir, name);
  Placement inWindows = place(path, w);
  if (inWindows == kPlaced) return;
  if (inSystem == kForeign || inWindows == kForeign) {
    char text[3 * MAX_PATH];
    snprintf(text, sizeof text,
             "The application cannot continue because the installed file \"%s\" differs from "
             "the one the application carries and cannot be replaced. Close other programs "
             "that use it, or run the application once with Standard User or Administrator "
             "privileges.",
             inSystem == kForeign ? systemPath : path);
    cannotInstall(text);
  }
  cannotInstall("The application cannot continue because a needed file cannot be installed. "
                "You don't have appropriate permission to install the file. Running the "
                "application once with Standard User or Administrator privileges will solve "
                "the problem.");
}

static void load(const char *path) {
  HMODULE module = LoadLibraryA(path);
  if (!module) {
    diagnostic("Couldn't load plugin %s", path);
    return;
  }
  auto main = (KARUPluginMainProc)(void *)GetProcAddress(module, "KARUPluginMain");
  if (!main) return; /* not a plug-in: it stays loaded */
  Plugin *p = (Plugin *)pool_alloc(sizeof(Plugin));
  *p = {nullptr, 1, plugins, module, 0};
  plugins = p;
  loading = p;
  main(entry_routine);
  loading = &noPlugin;
}

static WorkRecord *workRecords() {
  WorkRecord *work = nullptr;
  for (EmbeddedNode *node = embedded; node; node = node->next) {
    int32_t n = node->byteCount >= 5 ? node->bytes[4] : 0;
    if (node->byteCount < n + 5) { /* damaged node */
      fault_report(kFaultPluginNodeDamaged);
      continue;
    }
    WorkRecord *w = (WorkRecord *)pool_alloc(sizeof(WorkRecord));
    *w = {work, node->byteCount - n - 5, node->bytes + 5 + n, str_make(node->bytes + 5, n)};
    work = w;
  }
  return work;
}

void plugins_install() {
  WorkRecord *work = workRecords();
  embedded = nullptr; /* installed once */
  while (WorkRecord *w = work) {
    char path[MAX_PATH];
    installPath(w, path);
    load(path);
    work = w->next;
    RuntimeUnlockString(w->name);
    pool_free(w, sizeof *w);
  }
  for (PluginClass *p = classes; p; p = p->next) complete(p);
}
