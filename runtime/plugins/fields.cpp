// The shared accessors plug-ins may name for the fields of their instance
// data (word, Single, Double, Boolean, String and object fields, the last two
// holding references), and the constructor and destructor around theirs.
#include "objects/objects.h"
#include "plugins/records.h"
#include "text/string.h"
#include <cstring>

static PluginClass *recordOf(ClassDef *cls) {
  return (PluginClass *)((uint8_t *)cls - offsetof(PluginClass, def));
}

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

// A control's display is redrawn through the window layer.
template <auto kSet, class T> static void setRedrawing(Object *o, int32_t at, T v) {
  kSet(o, at, v);
  gPluginHost.redrawControl(o);
}

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

const FieldAccessors *plugin_field_accessors(const void *type) {
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

void plugin_construct(Object *o, ClassDef *cls) {
  if (KARURoutine routine = recordOf(cls)->constructor) routine((KARUObject)o);
}

void plugin_destruct(Object *o, ClassDef *cls) {
  if (KARURoutine routine = recordOf(cls)->destructor) routine((KARUObject)o);
  releaseFields(o, cls);
}
