// Collections: a small ordered list of objects, each with an optional text
// key, indexed from 1 and searched by key ignoring case.
#pragma once
#include "base/vector.h"
#include "objects/objects.h"
#include "text/string.h"
#include <cstddef>

struct Collection {
  Object header;   // 0, 16 bytes
  int32_t root[2]; // 16, 8 bytes: the root class's words, unused
  Vector *items;   // 24: 8-byte items (key, value), made by the first add
};
static_assert(offsetof(Collection, items) == 24 && sizeof(Collection) == 28);

// One item as the vector holds it: the key in the low word, the value above.
struct CollectionItem {
  RString *key;  // 0: one reference held; nil is the empty key
  Object *value; // 4: one reference held
};
static_assert(sizeof(CollectionItem) == 8);

// Gives the built-in Collection class the destructor that releases its items.
void collection_classes_attach();

extern "C" {
int32_t collectionCount(Object *c);
void collectionAdd(Object *c, Object *value, RString *key);
Object *collectionIdxItem(Object *c, int32_t index);
Object *collectionItem(Object *c, RString *key);
void collectionIdxRemove(Object *c, int32_t index);
void collectionKeyRemove(Object *c, RString *key);
}
