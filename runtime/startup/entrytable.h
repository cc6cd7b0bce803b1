// The runtime entry table: every name compiled code can call, in slot order,
// with the routine behind it, and the lookup the image loader binds with.
#pragma once
#include <cstddef>
#include <cstdint>

struct EntrySlot {
  const char *name;     // 0, 4 bytes: the entry name; null for an empty slot
  void *routine;        // 4, 4 bytes: the entry routine
  uint32_t reserved[2]; // 8, 8 bytes: always 0
};
static_assert(sizeof(EntrySlot) == 16 && offsetof(EntrySlot, routine) == 4);

enum { kEntrySlots = 1285, kEntrySlotsUsed = 1160 };

extern const EntrySlot kEntryTable[kEntrySlots];

// The first slot whose name equals name, ignoring letter case; -1 if none.
int entry_find(const char *name);
void *entry_routine(const char *name); // that slot's routine, or nil

// True when routine is one that only reports that its entry is not built.
bool entry_unbuilt(const void *routine);

// The entries whose routine is not built yet (a name sharing one of these
// routines reports under the name listed here).
extern const char *const kUnbuiltEntries[];
extern const int kUnbuiltEntryCount;
