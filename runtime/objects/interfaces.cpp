// Interface tables: numbering the methods of interfaces and filling, for every
// class, one table of entry points per interface it implements; and the two
// table lookups compiled code calls.
#include "objects/classdef.h"
#include "base/tagged.h"
#include "objects/objects.h"
#include "base/fault.h"
#include <cstring>

int32_t gInterfaceStamp;

static void numberMethods(ClassDef *cls) {
  int32_t slot = 0;
  for (MethodRecord *m = cls->methods; m; m = m->next) {
    if (cls->isInterface) {
      m->interfaceSlot = ++slot;
      m->flags |= 0x08;
    } else {
      m->interfaceSlot = 0;
      m->flags &= ~0x08;
    }
  }
}

// The first method of that name on the class chain, own class first.
static MethodRecord *findMethod(const ClassDef *cls, const RString *name) {
  for (; cls; cls = cls->superclass)
    for (MethodRecord *m = cls->methods; m; m = m->next)
      if (names_equal(m->name, name)) return m;
  return nullptr;
}

static bool fillTable(ClassDef *cls, InterfaceEntry *entry) {
  int32_t words = 1;
  for (MethodRecord *m = entry->interface->methods; m; m = m->next) words++;
  tagged_free(entry->table);
  entry->table = (void **)tagged_alloc(words * 4);
  memset(entry->table, 0, words * 4);
  entry->tableWords = words;
  int32_t i = 1;
  for (MethodRecord *m = entry->interface->methods; m; m = m->next, i++) {
    MethodRecord *found = findMethod(cls, m->name);
    if (!found) {
      fault_report(kFaultInterfaceMethodMissing);
      return false;
    }
    entry->table[i] = found->entry;
  }
  return true;
}

static bool buildClass(ClassDef *cls) {
  cls->interfaceStamp = gInterfaceStamp;
  for (InterfaceEntry *entry = cls->interfaces; entry; entry = entry->next)
    if (!fillTable(cls, entry)) return false;
  return true;
}

bool interfaces_build() {
  for (ClassDef *c = gClassList; c; c = c->next) numberMethods(c);
  gInterfaceStamp++;
  for (ClassDef *c = gClassList; c; c = c->next)
    for (ClassDef *k = c; k && !k->isInterface && k->interfaceStamp != gInterfaceStamp;
         k = k->superclass) {
      if (!buildClass(k)) {
        fault_report(kFaultInterfaceBuildFailed);
        return false;
      }
      if (k->registered) break;
    }
  return true;
}

void *FindVTableCode(Object *object, int32_t slot) {
  if (!object) return nullptr;
  const ClassDef *cls = object->cls;
  if (!cls->dispatchTable || slot < 0 || slot >= cls->dispatchSize) return nullptr;
  return cls->dispatchTable[slot];
}

void *FindInterfaceVTableCode(Object *object, int32_t slot, int32_t interfaceClassIndex) {
  if (!object || interfaceClassIndex < 0 || interfaceClassIndex >= gClassCount) return nullptr;
  const ClassDef *interface = gClassTable[interfaceClassIndex];
  for (const ClassDef *c = object->cls; c; c = c->superclass)
    for (InterfaceEntry *entry = c->interfaces; entry; entry = entry->next)
      if (entry->interface == interface) {
        if (!entry->table || slot < 1 || slot >= entry->tableWords) return nullptr;
        return entry->table[slot];
      }
  return nullptr;
}
