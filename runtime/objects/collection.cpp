// Collections: items appended to a vector made on first use, read and removed
// by 1-based index or by the first key that matches with the key fold.
#include "objects/collection.h"
#include "objects/registry.h"
#include "objects/variant.h"
#include "base/pool.h"
#include <cstring>

typedef Collection C;

static CollectionItem itemAt(const C *c, int32_t i) { /* 0-based */
  int64_t word = vec_get8(c->items, i);
  CollectionItem item;
  memcpy(&item, &word, sizeof item);
  return item;
}

// Takes item i (0-based) out of the list first, then lets go of its key and
// value, whose destructors may come back to the collection.
static void removeAt(C *c, int32_t i) {
  CollectionItem item = itemAt(c, i);
  vec_remove(c->items, i);
  RuntimeUnlockString(item.key);
  RuntimeUnlockObject(item.value);
}

// The 0-based place of the first item whose key matches, or -1.
static int32_t find(const C *c, const RString *key) {
  for (int32_t i = 0; i < collectionCount((Object *)c); i++)
    if (keys_equal(itemAt(c, i).key, key)) return i;
  return -1;
}

static int32_t checkedIndex(Object *c, int32_t index) {
  if (index < 1 || index > collectionCount(c)) objects_raise("OutOfBoundsException");
  return index - 1;
}

static void collectionDestructor(Object *o, ClassDef *) {
  C *c = (C *)o;
  if (!c->items) return;
  while (c->items->count) removeAt(c, c->items->count - 1);
  vec_dispose(c->items);
  pool_free(c->items, sizeof(Vector));
}

void collection_classes_attach() { registry_find("Collection")->destructor = collectionDestructor; }

int32_t collectionCount(Object *c) {
  Vector *items = ((C *)c)->items;
  return items ? items->count : 0;
}

void collectionAdd(Object *object, Object *value, RString *key) {
  C *c = (C *)object;
  if (!c->items) {
    c->items = (Vector *)pool_alloc(sizeof(Vector));
    vec_init(c->items, sizeof(CollectionItem));
  }
  RuntimeLockString(key);
  CollectionItem item = {key, RuntimeLockObject(value)};
  int64_t word;
  memcpy(&word, &item, sizeof word);
  vec_insert8(c->items, c->items->count, word);
}

Object *collectionIdxItem(Object *c, int32_t index) {
  return RuntimeLockObject(itemAt((C *)c, checkedIndex(c, index)).value);
}

Object *collectionItem(Object *c, RString *key) {
  int32_t i = find((C *)c, key);
  return i < 0 ? nullptr : RuntimeLockObject(itemAt((C *)c, i).value);
}

void collectionIdxRemove(Object *c, int32_t index) { removeAt((C *)c, checkedIndex(c, index)); }

void collectionKeyRemove(Object *c, RString *key) {
  int32_t i = find((C *)c, key);
  if (i >= 0) removeAt((C *)c, i);
}
