// Class definitions: the default set-up, the process-wide class list, the
// seven value types with their text conversions, and method records.
#include "objects/classdef.h"
#include "objects/dump.h"
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

void class_teardown(ClassDef *cls) {
  for (ClassDef **link = &gClassList; *link; link = &(*link)->next)
    if (*link == cls) {
      *link = cls->next;
      break;
    }
  while (MethodRecord *m = cls->methods) {
    cls->methods = m->next;
    RuntimeUnlockString(m->name);
    tagged_free(m);
  }
  RuntimeUnlockString(cls->name);
  RuntimeUnlockString(cls->secondName);
  cls->name = cls->secondName = nullptr;
  cls->next = nullptr;
}

MethodRecord *class_add_method(ClassDef *cls, const char *name, const void *resultType,
                               const ParameterDesc *parameters, int32_t parameterCount,
                               void *entry) {
  MethodRecord *m = (MethodRecord *)tagged_alloc(sizeof(MethodRecord));
  memset(m, 0, sizeof *m);
  m->name = str_from(name);
  m->cName = name;
  m->resultType = resultType;
  m->parameters = (void *)parameters;
  m->parameterCount = parameterCount;
  m->entry = entry;
  MethodRecord **tail = &cls->methods;
  while (*tail) tail = &(*tail)->next;
  *tail = m;
  return m;
}

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
