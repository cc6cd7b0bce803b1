// Plug-in registration: the entry points a plug-in calls while it loads, its
// classes, controls, interfaces and global methods made from their
// descriptions, the completion pass over the classes, and their lookups.
#include "base/fault.h"
#include "base/pool.h"
#include "base/tagged.h"
#include "objects/objects.h"
#include "objects/registry.h"
#include "plugins/records.h"
#include "text/string.h"
#include <cstdarg>
#include <cstdio>
#include <cstring>

PluginHost gPluginHost;
static Plugin noPlugin = {nullptr, 0, nullptr, nullptr, 0}; // registrations outside a load
Plugin *gLoadingPlugin = &noPlugin;
PluginClass *gPluginClasses, *gPluginControls;
static MethodRecord *globalMethods, **globalTail = &globalMethods;

void plugins_connect(const PluginHost *host) { gPluginHost = *host; }

void plugin_begin_load(Plugin *plugin) { gLoadingPlugin = plugin; }
void plugin_end_load() { gLoadingPlugin = &noPlugin; }

void plugin_diagnostic(const char *format, ...) {
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
  PluginClass *p = findIn(gPluginClasses, name);
  return p ? &p->def : nullptr;
}

ClassDef *plugin_find_control(const char *name) {
  PluginClass *p = findIn(gPluginControls, name);
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

static PluginClass *pluginClassOf(const ClassDef *cls) { /* nil unless a plug-in class */
  for (PluginClass *p = gPluginClasses; p; p = p->next)
    if (&p->def == cls) return p;
  return nullptr;
}

const KARUControlDescription *plugin_control_of(const ClassDef *cls) {
  for (; cls; cls = cls->superclass)
    for (PluginClass *p = gPluginControls; p; p = p->next)
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
      plugin_diagnostic("Couldn't add property %s of type %s", d->name, d->type ? d->type : "");
      continue;
    }
    const FieldAccessors *a = plugin_field_accessors(type);
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
  if (!decl_parse(declaration ? declaration : "", &decl, &error, pluginObjectType)) {
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
    if (!decl_parse(d->declaration ? d->declaration : "", &decl, &error, pluginObjectType)) {
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
        plugin_diagnostic("Couldn't find %s interface : %s", str_cview(cls->name), name);
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
  p->def.constructor = plugin_construct;
  p->def.destructor = plugin_destruct;
  p->plugin = gLoadingPlugin;
  p->next = *list;
  *list = p;
  return p;
}

static ClassDef *registerClass(KARUClassDescription *d) {
  if (ClassDef *known = pluginObjectType(d->name)) return known;
  PluginClass *p = newRecord(d->name, &gPluginClasses);
  p->def.creatable = 1;
  p->desc = d;
  p->constructor = d->constructor;
  p->destructor = d->destructor;
  p->state = kIncomplete;
  return &p->def;
}

extern "C" {

void RegisterPluginVersion(int32_t version) {
  if (gLoadingPlugin != &noPlugin) gLoadingPlugin->version = version;
}

void RegisterPluginExports(void *const *table) {
  if (gLoadingPlugin == &noPlugin) return;
  gLoadingPlugin->exports = table;
  gLoadingPlugin->exportCount = 0;
  while (table && table[gLoadingPlugin->exportCount]) gLoadingPlugin->exportCount++;
}

ClassDef *PluginRegisterClass(KARUClassDescription *d) {
  return gLoadingPlugin->version >= 3 ? registerClass(d) : nullptr;
}

ClassDef *PluginRegisterInterface(KARUInterfaceDescription *d) {
  if (gLoadingPlugin->version < 4) return nullptr;
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
  if (gLoadingPlugin->version < 3) return;
  ClassDef *cls = pluginObjectType(d->className);
  if (!cls) return;
  addProperties(cls, d->properties, d->propertyCount, -1, false);
  addMethods(cls, d->methods, d->methodCount);
  addEvents(cls, d->events, d->eventCount);
}

} // extern "C"

// Entry `index` of the gLoadingPlugin plug-in's exports table, or nil when the index
// lies outside it.
static void *exportAt(int32_t index) {
  if (index < 0 || index >= gLoadingPlugin->exportCount) return nullptr;
  return gLoadingPlugin->exports[index];
}

static void *exportForMethod(const KARUMethodV1 *m) {
  void *entry = exportAt(m->exportIndex);
  if (!entry)
    plugin_diagnostic("Plugin export %ld does not exist: %s", (long)m->exportIndex, m->declaration);
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
  if (gLoadingPlugin->version == 1) {
    const KARUMethodV1 *m = (const KARUMethodV1 *)description;
    if (void *entry = exportForMethod(m)) addGlobalMethod(m->declaration, entry, nullptr);
  } else if (gLoadingPlugin->version >= 3) {
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
  PluginClass *p = newRecord(d->name, &gPluginControls);
  ClassDef *cls = &p->def;
  cls->superclass = gRectControlClass;
  cls->instanceSize = d->dataSize + kControlData;
  d->dataOffset = kControlData;
  p->control = d;
  p->constructor = d->constructor;
  p->destructor = d->destructor;
  p->state = kComplete;
  addHandler(cls, "CreatePane", reinterpret_cast<void *>(gPluginHost.createControlPane));
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
    plugin_diagnostic("Couldn't find %s superclass: %s", str_cview(p->def.name), name);
    return nullptr;
  }
  if (PluginClass *q = pluginClassOf(super)) {
    if (q->state == kCompleting) {
      plugin_diagnostic("Circular superclass chain: %s superclass: %s", str_cview(p->def.name),
                        name);
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

void plugins_complete() {
  for (PluginClass *p = gPluginClasses; p; p = p->next) complete(p);
}
