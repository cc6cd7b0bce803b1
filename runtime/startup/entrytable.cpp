// The runtime entry table, expanded from entries.def: the constant slot array,
// the case-blind lookup, and the routines standing in for entries not built
// yet, each of which names itself to the user and ends the process.
#include "startup/entrytable.h"
#include "base/fault.h"
#include <windows.h>

// A built routine is declared by name alone: only its address is taken here,
// so its real signature (in its own subsystem's header) does not matter.
// Every name gets route_<name>, which second slots and aliases refer to.
#define BUILT(n)                                                                                   \
  extern "C" void n();                                                                             \
  constexpr auto route_##n = &n;
#define UNBUILT(n)                                                                                 \
  [[noreturn]] static void unbuilt_##n() { fault_unbuilt(#n); }                                    \
  constexpr auto route_##n = &unbuilt_##n;
#define AGAIN(n)
#define ALIAS(n, target) constexpr auto route_##n = route_##target;
#include "startup/entries.def"
#undef BUILT
#undef UNBUILT
#undef AGAIN
#undef ALIAS

#define SLOT(n) {#n, reinterpret_cast<void *>(route_##n), {0, 0}},
#define BUILT(n) SLOT(n)
#define UNBUILT(n) SLOT(n)
#define AGAIN(n) SLOT(n)
#define ALIAS(n, target) SLOT(n)
const EntrySlot kEntryTable[kEntrySlots] = {
#include "startup/entries.def"
}; // the rest, up to kEntrySlots, are empty
#undef SLOT
#undef BUILT
#undef UNBUILT
#undef AGAIN
#undef ALIAS

// The names still bound to their stand-ins, and the stand-ins, each list
// closed by a nil so that it may be empty.
#define BUILT(n)
#define UNBUILT(n) #n,
#define AGAIN(n)
#define ALIAS(n, target)
const char *const kUnbuiltEntries[] = {
#include "startup/entries.def"
    nullptr};
#undef UNBUILT
#define UNBUILT(n) reinterpret_cast<const void *>(&unbuilt_##n),
static const void *const unbuiltRoutines[] = {
#include "startup/entries.def"
    nullptr};
#undef BUILT
#undef UNBUILT
#undef AGAIN
#undef ALIAS

const int kUnbuiltEntryCount = sizeof kUnbuiltEntries / sizeof kUnbuiltEntries[0] - 1;

/* ---- lookup by name: an index over the table, built on first use ---- */

// Entry names are ASCII identifiers, so ignoring case is folding a-z.
static uint8_t fold(char c) { return c >= 'a' && c <= 'z' ? (uint8_t)(c - 'a' + 'A') : (uint8_t)c; }

static bool sameName(const char *a, const char *b) {
  for (;; a++, b++) {
    if (fold(*a) != fold(*b)) return false;
    if (!*a) return true;
  }
}

static uint32_t nameHash(const char *s) {
  uint32_t h = 2166136261u;
  for (; *s; s++) h = (h ^ fold(*s)) * 16777619u;
  return h;
}

enum { kIndexSize = 4096 }; /* a power of two, over three times the names */
struct NameIndex {
  int16_t slot[kIndexSize]; // table slot + 1; 0 for an empty place
};

// Open addressing in slot order, so that the lowest slot of a name is the one kept.
static NameIndex makeIndex() {
  NameIndex index = {};
  for (int i = 0; i < kEntrySlots; i++) {
    const char *name = kEntryTable[i].name;
    if (!name) continue;
    uint32_t at = nameHash(name) & (kIndexSize - 1);
    while (index.slot[at] && !sameName(kEntryTable[index.slot[at] - 1].name, name))
      at = (at + 1) & (kIndexSize - 1);
    if (!index.slot[at]) index.slot[at] = (int16_t)(i + 1);
  }
  return index;
}

int entry_find(const char *name) {
  static const NameIndex index = makeIndex();
  for (uint32_t at = nameHash(name) & (kIndexSize - 1); index.slot[at];
       at = (at + 1) & (kIndexSize - 1))
    if (sameName(kEntryTable[index.slot[at] - 1].name, name)) return index.slot[at] - 1;
  return -1;
}

void *entry_routine(const char *name) {
  int slot = entry_find(name);
  return slot < 0 ? nullptr : kEntryTable[slot].routine;
}

bool entry_unbuilt(const void *routine) {
  for (int i = 0; i < kUnbuiltEntryCount; i++)
    if (unbuiltRoutines[i] == routine) return true;
  return false;
}
