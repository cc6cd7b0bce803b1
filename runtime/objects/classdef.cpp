// Class definitions: the default set-up and teardown, the process-wide class
// list, name folding, the member list records, the seven value types, and the
// lookups by name and number that event dispatch and compiled code use.
#include "objects/classdef.h"
#include "base/tagged.h"
#include "objects/objects.h"
#include "base/fault.h"
#include "text/string.h"
#include <cstdio>
#include <cstring>

ClassDef *gClassList;

void class_setup(ClassDef *cls) {
  memset(cls, 0, sizeof *cls);
  cls->marker = 3;
  cls->instanceSize = 24;
  cls->order = -1;
  cls->next = gClassList;
  gClassList = cls;
}

/* ---- names ---- */

// a-z, and the accented small letters of the Mac OS Roman set, to capitals.
const uint8_t kFoldTable[256] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F,
    0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F,
    0x60, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F,
    0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0xE7, 0xCB, 0xE5, 0x80, 0xCC, 0x81, 0x82, 0x83, 0xE9,
    0xE6, 0xE8, 0xEA, 0xED, 0xEB, 0xEC, 0x84, 0xEE, 0xF1, 0xEF, 0x85, 0xCD, 0xF2, 0xF4, 0xF3, 0x86,
    0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
    0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xAE, 0xAF,
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCE,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD9, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0x49, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
};

bool names_equal(const char *a, int32_t aLength, const char *b, int32_t bLength) {
  if (aLength != bLength) return false;
  for (int32_t i = 0; i < aLength; i++)
    if (kFoldTable[(uint8_t)a[i]] != kFoldTable[(uint8_t)b[i]]) return false;
  return true;
}

bool names_equal(const RString *a, const RString *b) {
  return names_equal(str_cview(a), str_len(a), str_cview(b), str_len(b));
}

bool name_is(const RString *a, const char *b) {
  return names_equal(str_cview(a), str_len(a), b, (int32_t)strlen(b));
}

/* ---- member lists ---- */

static void *newRecord(int32_t bytes) {
  void *r = tagged_alloc(bytes);
  memset(r, 0, bytes);
  return r;
}

// Every list record starts with its link, so one walk finds any list's end.
template <class R> static void append(R **list, R *r) {
  while (*list) list = &(*list)->next;
  *list = r;
}

PropertyRecord *class_add_property(ClassDef *cls, const char *name, const void *type, int32_t flags,
                                   void *getter, void *setter, int32_t parameter) {
  PropertyRecord *p = (PropertyRecord *)newRecord(sizeof(PropertyRecord));
  p->name = str_from(name);
  p->type = type;
  p->flags = flags;
  p->getter = getter;
  p->setter = setter;
  p->parameter = parameter;
  append(&cls->properties, p);
  return p;
}

MethodRecord *class_add_method(ClassDef *cls, const char *name, const void *resultType,
                               const ParameterDesc *parameters, int32_t parameterCount,
                               void *entry) {
  MethodRecord *m = (MethodRecord *)newRecord(sizeof(MethodRecord));
  m->name = str_from(name);
  m->cName = name;
  m->resultType = resultType;
  m->parameters = (void *)parameters;
  m->parameterCount = parameterCount;
  m->entry = entry;
  append(&cls->methods, m);
  return m;
}

EventRecord *class_add_event(ClassDef *cls, const char *name, const char *parameterText,
                             const char *resultTypeText, int32_t number) {
  EventRecord *e = (EventRecord *)newRecord(sizeof(EventRecord));
  e->name = str_from(name);
  e->parameterText = parameterText;
  e->resultTypeText = resultTypeText;
  e->number = number;
  append(&cls->events, e);
  return e;
}

HandlerRecord *class_add_handler(ClassDef *cls, RString *name, int32_t number, void *entry) {
  HandlerRecord *h = (HandlerRecord *)newRecord(sizeof(HandlerRecord));
  RuntimeLockString(name);
  h->name = name;
  h->number = number;
  h->entry = entry;
  h->next = cls->handlers;
  cls->handlers = h;
  return h;
}

ConstantRecord *class_add_constant(ClassDef *cls, RString *name, int32_t value) {
  ConstantRecord *c = (ConstantRecord *)newRecord(sizeof(ConstantRecord));
  RuntimeLockString(name);
  c->name = name;
  c->value = value;
  c->next = cls->constants;
  cls->constants = c;
  return c;
}

InterfaceEntry *class_add_interface(ClassDef *cls, ClassDef *interface) {
  InterfaceEntry *i = (InterfaceEntry *)newRecord(sizeof(InterfaceEntry));
  i->interface = interface;
  i->next = cls->interfaces;
  cls->interfaces = i;
  return i;
}

bool type_is_array(const void *type) { return type && *(const int32_t *)type == 1; }

void params_release(ParsedParameter *parameters, int32_t count) {
  if (!parameters) return;
  for (int32_t i = 0; i < count; i++) {
    RuntimeUnlockString(parameters[i].name);
    if (type_is_array(parameters[i].type)) tagged_free((void *)parameters[i].type);
  }
  tagged_free(parameters);
}

// Pops every record of a list whose name is a runtime string, then frees it.
template <class R> static void releaseNamed(R **list) {
  while (R *r = *list) {
    *list = r->next;
    RuntimeUnlockString(r->name);
    tagged_free(r);
  }
}

void class_teardown(ClassDef *cls) {
  for (ClassDef **link = &gClassList; *link; link = &(*link)->next)
    if (*link == cls) {
      *link = cls->next;
      break;
    }
  for (EventRecord *e = cls->events; e; e = e->next)
    params_release(e->parameters, e->parameterCount);
  releaseNamed(&cls->properties);
  releaseNamed(&cls->methods);
  releaseNamed(&cls->events);
  releaseNamed(&cls->handlers);
  releaseNamed(&cls->constants);
  while (InterfaceEntry *i = cls->interfaces) {
    cls->interfaces = i->next;
    tagged_free(i->table);
    tagged_free(i);
  }
  RuntimeUnlockString(cls->name);
  RuntimeUnlockString(cls->secondName);
  cls->name = cls->secondName = nullptr;
  cls->next = nullptr;
}

/* ---- lookups ---- */

EventRecord *class_find_event(const ClassDef *cls, const char *name) {
  for (; cls; cls = cls->superclass)
    for (EventRecord *e = cls->events; e; e = e->next)
      if (name_is(e->name, name)) return e;
  return nullptr;
}

HandlerRecord *event_find_handler(const Object *object, const EventRecord *event) {
  if (!object) return nullptr;
  if (!event) {
    fault_report(kFaultEventMissing);
    return nullptr;
  }
  HandlerRecord *found = nullptr;
  for (const ClassDef *c = object->cls; c; c = c->superclass) {
    for (EventRecord *e = c->events; e; e = e->next) {
      if (e == event) return found; /* the declaring class ends the search */
      if (names_equal(e->name, event->name)) found = nullptr; /* redeclared: hides those below */
    }
    for (HandlerRecord *h = c->handlers; h; h = h->next)
      if (names_equal(h->name, event->name)) found = h;
  }
  return nullptr;
}

void *event_handler_entry(const Object *object, const EventRecord *event) {
  HandlerRecord *h = event_find_handler(object, event);
  return h ? h->entry : nullptr;
}

void *RuntimeFindHookCode(Object *object, int32_t number) {
  if (!object) return nullptr;
  for (const ClassDef *c = object->cls; c; c = c->superclass)
    for (HandlerRecord *h = c->handlers; h; h = h->next)
      if (h->number == number) return h->entry;
  return nullptr;
}

/* ---- value types ---- */
static RString *stringToText(const void *value) {
  RString *s = *(RString *const *)value;
  RuntimeLockString(s);
  return s;
}

static void stringFromText(RString *text, void *value) {
  RuntimeLockString(text);
  *(RString **)value = text;
}

static void stringRelease(void *value) { RuntimeUnlockString(*(RString **)value); }

static void stringRetain(void *value) { RuntimeLockString(*(RString **)value); }

static RString *integerToText(const void *value) {
  char text[16];
  snprintf(text, sizeof text, "%ld", (long)*(const int32_t *)value);
  return str_from(text);
}

// Leading spaces, one optional sign, then digits up to the first non-digit.
static void integerFromText(RString *text, void *value) {
  const char *p = str_cview(text);
  while (*p == ' ') p++;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') p++;
  uint32_t n = 0;
  for (; *p >= '0' && *p <= '9'; p++)
    n = n * 10 + (uint32_t)(*p - '0'); /* wraps like the hardware */
  *(int32_t *)value = (int32_t)(negative ? 0u - n : n);
}

static RString *booleanToText(const void *value) {
  return str_from(*(const uint8_t *)value ? "True" : "False");
}

static void booleanFromText(RString *text, void *value) {
  *(uint8_t *)value = str_len(text) == 4 && _strnicmp(str_cview(text), "True", 4) == 0;
}

const TypeDescriptor kTypeString = {
    0, "String", stringToText, stringFromText, stringRelease, stringRetain};
const TypeDescriptor kTypeInteger = {0,       "Integer", integerToText, integerFromText,
                                     nullptr, nullptr};
const TypeDescriptor kTypeBoolean = {0,       "Boolean", booleanToText, booleanFromText,
                                     nullptr, nullptr};
const TypeDescriptor kTypeSingle = {0, "Single", nullptr, nullptr, nullptr, nullptr};
const TypeDescriptor kTypeDouble = {0, "Double", nullptr, nullptr, nullptr, nullptr};
const TypeDescriptor kTypeForm = {0, "Form", nullptr, nullptr, nullptr, nullptr};
const TypeDescriptor kTypeColor = {0, "Color", integerToText, integerFromText, nullptr, nullptr};

const TypeDescriptor *type_named(const char *name, int32_t length) {
  static const TypeDescriptor *const named[] = {&kTypeString, &kTypeInteger, &kTypeBoolean,
                                                &kTypeSingle, &kTypeDouble,  &kTypeColor};
  for (const TypeDescriptor *t : named)
    if (names_equal(name, length, t->name, (int32_t)strlen(t->name))) return t;
  return nullptr;
}
