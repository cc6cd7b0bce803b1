// The control map: 256 buckets over a case-folded shift-and-xor hash, plus
// the insertion-order list that every walk follows.
#include "ui/controlmap.h"
#include "objects/classdef.h"
#include "base/pool.h"
#include "text/string.h"
#include <cstdio>
#include <cstring>

static uint8_t bucketOf(const char *key, int32_t length) {
  uint32_t h = 0;
  for (int32_t i = 0; i < length; i++) {
    uint8_t c = (uint8_t)key[i];
    if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
    h = (h << 2) ^ c;
  }
  return (uint8_t)h;
}

ControlMap *map_new() {
  ControlMap *map = (ControlMap *)pool_alloc(sizeof(ControlMap));
  memset(map, 0, sizeof(ControlMap));
  return map;
}

static void freeNode(MapNode *n) {
  RuntimeUnlockString(n->key);
  pool_free(n, sizeof(MapNode));
}

void map_free(ControlMap *map) {
  if (!map) return;
  for (MapNode *n = map->first, *next; n; n = next) {
    next = n->after;
    Object *value = n->value;
    freeNode(n);
    RuntimeUnlockObject(value);
  }
  pool_free(map, sizeof(ControlMap));
}

static MapNode **slotOf(ControlMap *map, const char *key, int32_t length) {
  MapNode **link = &map->buckets[bucketOf(key, length)];
  while (*link && !names_equal(str_cview((*link)->key), str_len((*link)->key), key, length))
    link = &(*link)->bucketNext;
  return link;
}

Object *map_find(const ControlMap *map, const char *key, int32_t length) {
  if (!map) return nullptr;
  MapNode *const *link = slotOf((ControlMap *)map, key, length);
  return *link ? (*link)->value : nullptr;
}

void map_insert(ControlMap *map, RString *key, Object *value) {
  MapNode **link = slotOf(map, str_cview(key), str_len(key));
  RuntimeLockObject(value);
  if (MapNode *n = *link) { /* replaced in place: its position in the order stays */
    Object *old = n->value;
    n->value = value;
    RuntimeUnlockObject(old);
    return;
  }
  MapNode *n = (MapNode *)pool_alloc(sizeof(MapNode));
  *n = {nullptr, nullptr, map->last, key, value};
  RuntimeLockString(key);
  *link = n;
  if (map->last)
    map->last->after = n;
  else
    map->first = n;
  map->last = n;
  map->count++;
}

Object *map_remove(ControlMap *map, const char *key, int32_t length) {
  if (!map) return nullptr;
  MapNode **link = slotOf(map, key, length);
  MapNode *n = *link;
  if (!n) return nullptr;
  *link = n->bucketNext;
  if (n->before)
    n->before->after = n->after;
  else
    map->first = n->after;
  if (n->after)
    n->after->before = n->before;
  else
    map->last = n->before;
  map->count--;
  Object *value = n->value;
  freeNode(n);
  return value;
}

RString *map_control_key(RString *name, int32_t index) {
  if (index == kNoIndex) {
    RuntimeLockString(name);
    return name;
  }
  char suffix[16];
  snprintf(suffix, sizeof suffix, "$%ld", (long)index);
  RString *tail = str_from(suffix);
  RString *key = str_join(name, tail);
  RuntimeUnlockString(tail);
  return key;
}
