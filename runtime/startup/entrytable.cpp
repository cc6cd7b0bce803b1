// The runtime entry table, expanded from entries.def: the constant slot array,
// the case-blind lookup, and the routines standing in for entries not built
// yet, each of which names itself to the user and ends the process.
#include "startup/entrytable.h"
#include "startup/fault.h"
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

#define BUILT(n)
#define UNBUILT(n) #n,
#define AGAIN(n)
#define ALIAS(n, target)
const char *const kUnbuiltEntries[] = {
#include "startup/entries.def"
};
#undef UNBUILT
#define UNBUILT(n) reinterpret_cast<const void *>(&unbuilt_##n),
static const void *const unbuiltRoutines[] = {
#include "startup/entries.def"
};
#undef BUILT
#undef UNBUILT
#undef AGAIN
#undef ALIAS

const int kUnbuiltEntryCount = sizeof kUnbuiltEntries / sizeof kUnbuiltEntries[0];

int entry_find(const char *name) {
  for (int i = 0; i < kEntrySlots; i++) {
    const char *slotName = kEntryTable[i].name;
    if (slotName && lstrcmpiA(slotName, name) == 0) return i;
  }
  return -1;
}

void *entry_routine(const char *name) {
  int slot = entry_find(name);
  return slot < 0 ? nullptr : kEntryTable[slot].routine;
}

bool entry_unbuilt(const void *routine) {
  for (const void *r : unbuiltRoutines)
    if (r == routine) return true;
  return false;
}
