// Runtime objects: creation with the construction chain, reference counts,
// the iterative destruction through the pending list, type tests, the debug
// enumeration of live objects and the debug instance of class "Runtime".
#include "objects/objects.h"
#include "base/pool.h"
#include "base/fault.h"
#include "text/string.h"
#include <algorithm>
#include <cstring>

ClassDef gObjectClass;
ClassDef gRuntimeClass;
ClassDef **gClassTable;
int32_t gClassCount;
Object **gProjectObjects;
int32_t gProjectObjectCount;

static Object *liveHead;      // newest first, linked through prev/next
static Object *pendingHead;   // waiting for destruction, last in first out
static bool destroying;       // set by the outermost destruction only
static Object *debugInstance; // the Runtime object; it owns no reference

Object *objects_live_head() { return liveHead; }

// Block size of an instance: the declared size rounded up to whole words, and
// never smaller than the header that every object has.
static int32_t instanceBytes(const ClassDef *cls) {
  return std::max<int32_t>((cls->instanceSize + 3) & ~3, sizeof(Object));
}

static void construct(Object *o, ClassDef *cls) { /* root side first */
  if (cls->superclass) construct(o, cls->superclass);
  if (cls->constructor) cls->constructor(o, cls);
}

Object *CreateInstance(ClassDef *cls) {
  if (!cls) return nullptr;
  int32_t bytes = instanceBytes(cls);
  Object *o = (Object *)pool_alloc(bytes);
  memset(o, 0, bytes);
  o->refs = 1;
  o->cls = cls;
  construct(o, cls);
  o->next = liveHead;
  if (liveHead) liveHead->prev = o;
  liveHead = o;
  return o;
}

static void unlinkLive(Object *o) {
  if (o->prev)
    o->prev->next = o->next;
  else
    liveHead = o->next;
  if (o->next) o->next->prev = o->prev;
  o->prev = nullptr;
}

static void runDestructors(Object *o) { /* own class up to the root */
  for (ClassDef *c = o->cls; c; c = c->superclass)
    if (c->destructor) c->destructor(o, c);
}

// Destruction never recurses: objects released by destructors are queued and
// handled by the loop of the outermost destruction.
static void destroy(Object *o) {
  unlinkLive(o);
  o->next = pendingHead;
  pendingHead = o;
  o->refs = 1; /* locks and unlocks by destructors cannot start a second destruction */
  if (destroying) return;
  destroying = true;
  while (pendingHead) {
    Object *dying = pendingHead;
    pendingHead = dying->next;
    int32_t bytes = instanceBytes(dying->cls);
    runDestructors(dying);
    pool_free(dying, bytes);
  }
  destroying = false;
}

Object *RuntimeLockObject(Object *object) {
  if (object) object->refs++;
  return object;
}

void RuntimeUnlockObject(Object *object) {
  if (!object) return;
  if (object->refs <= 0) {
    fault_report(kFaultObjectReleaseDead);
    return;
  }
  if (--object->refs == 0) destroy(object);
}

Object *KARULockObject(Object *object) { return RuntimeLockObject(object); }

Object *KARUUnlockObject(Object *object) {
  RuntimeUnlockObject(object);
  return object;
}

Object *RuntimeNewObject(int32_t classIndex) {
  if (classIndex < 0 || classIndex >= gClassCount) {
    fault_report(kFaultNewObjectBadClass);
    return nullptr;
  }
  return CreateInstance(gClassTable[classIndex]);
}

Object *RuntimeProjectObject(int32_t projectIndex) {
  if (projectIndex <= 0 || projectIndex >= gProjectObjectCount) return nullptr;
  return RuntimeLockObject(gProjectObjects[projectIndex]);
}

Object *RuntimePictureReference(int32_t projectIndex) { return RuntimeProjectObject(projectIndex); }

bool class_derives_from(const ClassDef *cls, const ClassDef *target) {
  for (; cls; cls = cls->superclass)
    if (cls == target) return true;
  return false;
}

static bool chainImplements(const ClassDef *cls, const ClassDef *iface) {
  for (; cls; cls = cls->superclass)
    for (InterfaceEntry *e = cls->interfaces; e; e = e->next)
      if (e->interface == iface) return true;
  return false;
}

static ClassDef *tableClass(int32_t classIndex) {
  return classIndex >= 0 && classIndex < gClassCount ? gClassTable[classIndex] : nullptr;
}

static bool isa(const Object *object, const ClassDef *target) {
  if (!target) return false; /* a bad class index matches nothing */
  if (target == &gObjectClass) return true;
  if (target->isInterface) return chainImplements(object->cls, target);
  return class_derives_from(object->cls, target);
}

bool RuntimeObjectIsa(Object *object, int32_t classIndex) {
  return object && isa(object, tableClass(classIndex));
}

RString *class_display_name(const ClassDef *cls) {
  for (; cls; cls = cls->superclass)
    if (str_len(cls->name) > 0) return cls->name;
  return nullptr;
}

// The n-th live object (0-based), newest first, not counting the excluded one.
static Object *nthLive(const Object *excluded, int32_t n) {
  if (n < 0) return nullptr;
  for (Object *o = liveHead; o; o = o->next)
    if (o != excluded && n-- == 0) return o;
  return nullptr;
}

int32_t RuntimeDebugObjectCount(Object *excluded) {
  int32_t count = 0;
  for (Object *o = liveHead; o; o = o->next)
    if (o != excluded) count++;
  return count;
}

int32_t RuntimeDebugObjectID(Object *excluded, int32_t n) {
  Object *o = nthLive(excluded, n);
  return o ? (int32_t)((uintptr_t)o ^ 0x0015C7A3) : 0;
}

RString *RuntimeDebugObjectClass(Object *excluded, int32_t n) {
  Object *o = nthLive(excluded, n);
  if (!o) return nullptr;
  RString *name = class_display_name(o->cls);
  RuntimeLockString(name);
  return name;
}

int32_t RuntimeDebugObjectRefs(Object *excluded, int32_t n) {
  Object *o = nthLive(excluded, n);
  return o ? o->refs : 0;
}

int32_t RuntimeDebugMemoryUsed() { return pool_used(); }

Object *RuntimeDebugInstance() {
  if (debugInstance) return RuntimeLockObject(debugInstance);
  debugInstance = CreateInstance(&gRuntimeClass);
  return debugInstance;
}

static void runtimeDestructor(Object *, ClassDef *) { debugInstance = nullptr; }

// Methods of the Runtime object: the object itself is the excluded one.
static int32_t memoryUsedMethod(Object *) { return pool_used(); }

static void setUpRuntimeClass() {
  static const ParameterDesc index[] = {{"index", &kTypeInteger, {0, 0}}};
  ClassDef *c = &gRuntimeClass;
  class_setup(c);
  c->name = str_from("Runtime");
  c->superclass = &gObjectClass;
  c->instanceSize = 28;
  c->destructor = runtimeDestructor;
  class_add_method(c, "ObjectCount", &kTypeInteger, nullptr, 0, (void *)RuntimeDebugObjectCount);
  class_add_method(c, "ObjectID", &kTypeInteger, index, 1, (void *)RuntimeDebugObjectID);
  class_add_method(c, "ObjectClass", &kTypeString, index, 1, (void *)RuntimeDebugObjectClass);
  class_add_method(c, "ObjectRefs", &kTypeInteger, index, 1, (void *)RuntimeDebugObjectRefs);
  class_add_method(c, "MemoryUsed", &kTypeInteger, nullptr, 0, (void *)memoryUsedMethod);
  c->registered = 1;
}

void objects_init() {
  class_setup(&gObjectClass);
  gObjectClass.name = str_from("Object");
  gObjectClass.registered = 1;
  setUpRuntimeClass();
}
