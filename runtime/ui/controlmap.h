// The control map of a window: a string map of 256 buckets whose keys compare
// without regard to case, with one list that keeps insertion order. The map
// owns one reference to every value.
#pragma once
#include "objects/objects.h"

struct RString;

struct MapNode {
  MapNode *bucketNext;     // next node of the same bucket
  MapNode *after, *before; // insertion order
  RString *key;            // as inserted
  Object *value;           // retained by the map
};

struct ControlMap {
  MapNode *buckets[256];
  MapNode *first, *last; // insertion order
  int32_t count;
};

ControlMap *map_new();
void map_free(ControlMap *map); // releases every value

// The value under key, not retained; nil when missing.
Object *map_find(const ControlMap *map, const char *key, int32_t length);
// Inserts value (retaining it) under key; an existing key has its value
// replaced in place, keeping its position in the order.
void map_insert(ControlMap *map, RString *key, Object *value);
// Takes the entry out; its reference passes to the caller. Nil when missing.
Object *map_remove(ControlMap *map, const char *key, int32_t length);

// The key of a control: Name, or Name$Index for an element of a control array.
RString *map_control_key(RString *name, int32_t index);
inline constexpr int32_t kNoIndex = INT32_MIN; // not an element of a control array
