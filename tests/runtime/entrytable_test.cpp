// The runtime entry table: its shape, the fixed slots, the case-blind lookup,
// shared routines, and the routines that stand in for entries not built yet.
#include "objects/objects.h"
#include "recorder.h"
#include "startup/entrytable.h"
#include "lifecycle/exception.h"
#include "lifecycle/trace.h"
#include "text/string.h"
#include <cstring>
#include <iostream>
#include <set>
#include <string>

using EntryTableTest = RuntimeTest;

// Each distinct name of entries.def and whether its routine is built.
struct ListedEntry {
  const char *name;
  bool built;
};
static const ListedEntry kListed[] = {
#define BUILT(n) {#n, true},
#define UNBUILT(n) {#n, false},
#define AGAIN(n)
#define ALIAS(n, target)
#include "startup/entries.def"
#undef BUILT
#undef UNBUILT
#undef AGAIN
#undef ALIAS
};

TEST_F(EntryTableTest, HoldsUsedSlotsThenEmptyOnes) {
  std::set<std::string> names;
  std::set<void *> routines;
  for (int i = 0; i < kEntrySlotsUsed; i++) {
    const EntrySlot &slot = kEntryTable[i];
    ASSERT_NE(slot.name, nullptr) << "slot " << i;
    EXPECT_NE(slot.routine, nullptr) << slot.name;
    EXPECT_EQ(slot.reserved[0] | slot.reserved[1], 0u) << slot.name;
    names.insert(slot.name);
    routines.insert(slot.routine);
  }
  EXPECT_EQ(names.size(), 1157u);    // three names take two slots each
  EXPECT_EQ(routines.size(), 1155u); // and two pairs of names share a routine
  for (int i = kEntrySlotsUsed; i < kEntrySlots; i++) {
    const EntrySlot &slot = kEntryTable[i];
    EXPECT_TRUE(!slot.name && !slot.routine && !slot.reserved[0] && !slot.reserved[1]) << i;
  }
  EXPECT_EQ(sizeof kEntryTable, 1285u * 16);
}

TEST_F(EntryTableTest, FixedNamesSitAtTheirSlots) {
  struct {
    const char *name;
    int slot;
  } cases[] = {{"RuntimeInit", 0},
               {"RuntimeCreateWindow", 1},
               {"RuntimeLockObject", 2},
               {"RuntimeUnlockObject", 3},
               {"RuntimeRun", 4},
               {"RuntimeUnlockString", 6},
               {"RuntimeAddString", 7},
               {"StringStr", 24},
               {"StringVal", 25},
               {"IntToFP", 30},
               {"RuntimeNilObject", 31},
               {"RuntimeControlReference", 32},
               {"RuntimeMenuReference", 38},
               {"editTextGetter", 88},
               {"editTextSetter", 89},
               {"radioValueSetter", 159},
               {"RuntimePow", 337},
               {"RuntimeFloor", 342},
               {"RuntimeCloseWindow", 356},
               {"RuntimeControlArrayItemReference", 365},
               {"RuntimeControlFetch", 366},
               {"RuntimeStackCheck", 583},
               {"Win32InstallPlugins", 898},
               {"getSerialPortCount", 383},
               {"KARUBuildPictureFromDIB", 1010},
               {"unlockPictureDescription", 1092},
               {"RuntimeMsgBox", 1131}};
  for (auto &c : cases) {
    EXPECT_STREQ(kEntryTable[c.slot].name, c.name);
    EXPECT_EQ(entry_find(c.name), c.slot) << c.name;
    EXPECT_EQ(entry_routine(c.name), kEntryTable[c.slot].routine) << c.name;
  }
}

TEST_F(EntryTableTest, LookupIgnoresLetterCaseOnly) {
  struct {
    const char *wanted;
    int slot; // -1: not found
  } cases[] = {
      {"runtimeinit", 0},
      {"RUNTIMEMSGBOX", 1131},
      {"GETSERIALPORTCOUNT", 383},
      {"edittextgetter", 88},
      {"Runtime", -1},                           // a prefix of many names
      {"RuntimeMsgBo", -1},                      // one letter short
      {"RuntimeMsgBoxes", -1},                   // one name longer
      {"RuntimeControlArrayItemReferences", -1}, // longer than any name
      {"", -1},                                  // the empty slots must not match it
      {"Runtime Init", -1},
  };
  for (auto &c : cases) {
    EXPECT_EQ(entry_find(c.wanted), c.slot) << '"' << c.wanted << '"';
    if (c.slot < 0) {
      EXPECT_EQ(entry_routine(c.wanted), nullptr) << c.wanted;
    }
  }
}

TEST_F(EntryTableTest, RepeatedNamesAndAliasesShareOneRoutine) {
  struct {
    int first, second;
  } repeats[] = {{383, 387}, {1010, 1132}, {1092, 1093}};
  for (auto &r : repeats) {
    EXPECT_STREQ(kEntryTable[r.first].name, kEntryTable[r.second].name);
    EXPECT_EQ(kEntryTable[r.first].routine, kEntryTable[r.second].routine) << r.first;
  }
  struct {
    const char *a, *b;
  } aliases[] = {{"windowHWNDGetter", "getterWinHWND"},
                 {"PluginGetControlBounds", "GetControlBounds"}};
  for (auto &p : aliases) {
    ASSERT_GE(entry_find(p.a), 0) << p.a;
    ASSERT_GE(entry_find(p.b), 0) << p.b;
    EXPECT_EQ(entry_routine(p.a), entry_routine(p.b)) << p.a;
  }
}

TEST_F(EntryTableTest, BuiltEntriesAreTheRuntimeRoutines) {
  struct {
    const char *name;
    const void *routine;
  } cases[] = {
#define ROUTINE(n) {#n, reinterpret_cast<const void *>(&n)}
      ROUTINE(RuntimeLockObject),      ROUTINE(RuntimeUnlockObject),
      ROUTINE(KARULockObject),         ROUTINE(KARUUnlockObject),
      ROUTINE(CreateInstance),         ROUTINE(RuntimeNewObject),
      ROUTINE(RuntimeProjectObject),   ROUTINE(RuntimePictureReference),
      ROUTINE(RuntimeObjectIsa),       ROUTINE(RuntimeCheckCast),
      ROUTINE(RuntimeDebugInstance),   ROUTINE(RuntimeDebugObjectCount),
      ROUTINE(RuntimeDebugObjectID),   ROUTINE(RuntimeDebugObjectClass),
      ROUTINE(RuntimeDebugObjectRefs), ROUTINE(RuntimeDebugMemoryUsed),
      ROUTINE(debugDumpObjects),       ROUTINE(RuntimeLockString),
      ROUTINE(RuntimeUnlockString),    ROUTINE(KARULockString),
      ROUTINE(KARUUnlockString),       ROUTINE(RuntimeAddString),
      ROUTINE(RuntimeStringCompare),   ROUTINE(KARUBuildString),
      ROUTINE(StringGetCString),       ROUTINE(StringToCString),
      ROUTINE(StringGetPString),       ROUTINE(StringToPString),
      ROUTINE(StringToOSType),         ROUTINE(lineTrace),
#undef ROUTINE
  };
  for (auto &c : cases) EXPECT_EQ(entry_routine(c.name), c.routine) << c.name;
}

TEST_F(EntryTableTest, OnlyUnbuiltEntriesAreBoundToTheReportingRoutines) {
  std::set<std::string> unlisted(kUnbuiltEntries, kUnbuiltEntries + kUnbuiltEntryCount);
  std::set<void *> reporting;
  for (auto &e : kListed) {
    void *routine = entry_routine(e.name);
    ASSERT_NE(routine, nullptr) << e.name;
    EXPECT_EQ(entry_unbuilt(routine), !e.built) << e.name;
    EXPECT_EQ(unlisted.erase(e.name), e.built ? 0u : 1u) << e.name;
    if (!e.built) {
      EXPECT_TRUE(reporting.insert(routine).second) << e.name << " shares a report";
    }
  }
  EXPECT_TRUE(unlisted.empty()) << *unlisted.begin();
  EXPECT_EQ(int(reporting.size()), kUnbuiltEntryCount);
  EXPECT_FALSE(entry_unbuilt(nullptr));
}

// Every name of the table is bound to its routine: none is left to the
// stand-in that reports it, and none may come back.
TEST_F(EntryTableTest, NoNameIsLeftToTheReportingStandIn) {
  std::set<std::string> names, unbuilt;
  for (int i = 0; i < kEntrySlotsUsed; i++) {
    names.insert(kEntryTable[i].name);
    if (entry_unbuilt(kEntryTable[i].routine)) unbuilt.insert(kEntryTable[i].name);
  }
  std::cout << "entry table: " << names.size() - unbuilt.size() << " of " << names.size()
            << " names built\n";
  for (const std::string &name : unbuilt) ADD_FAILURE() << name << " is not built";
  for (auto &e : kListed) EXPECT_TRUE(e.built) << e.name << " is listed as not built";
  EXPECT_EQ(kUnbuiltEntryCount, 0);
}
