// Every place the runtime reports an internal fault, by name. The unit names
// and line numbers are what the assertion dialog prints; they are fixed, so a
// report is found here by searching for its unit name, not by its file.
#pragma once

struct FaultSite {
  const char *unit; // the source unit the dialog names
  int line;         // the line number it prints
};

/* the pool and the vector */
inline constexpr FaultSite kFaultLargeBlockRefused = {"utility", 708};
inline constexpr FaultSite kFaultTagGuardBroken = {"dump", 64};
inline constexpr FaultSite kFaultVectorGetOutside = {"array", 68};
inline constexpr FaultSite kFaultVectorGet8Outside = {"array", 82};
inline constexpr FaultSite kFaultVectorPutOutside = {"array", 95};
inline constexpr FaultSite kFaultVectorPut8Outside = {"array", 107};
inline constexpr FaultSite kFaultVectorInsertOutside = {"array", 132};
inline constexpr FaultSite kFaultVectorInsert8Outside = {"array", 157};
inline constexpr FaultSite kFaultVectorRemoveOutside = {"array", 168};

/* the language's arrays */
inline constexpr FaultSite kFaultArrayAddIndexNil = {"commonruntime", 222};
inline constexpr FaultSite kFaultArrayReadSingleNil = {"commonruntime", 934};
inline constexpr FaultSite kFaultArrayReadDoubleNil = {"commonruntime", 959};
inline constexpr FaultSite kFaultArrayReadStringNil = {"commonruntime", 985};
inline constexpr FaultSite kFaultArrayReadObjectNil = {"commonruntime", 1014};
inline constexpr FaultSite kFaultArrayWriteSingleNil = {"commonruntime", 1064};
inline constexpr FaultSite kFaultArrayWriteDoubleNil = {"commonruntime", 1094};
inline constexpr FaultSite kFaultArrayWriteStringNil = {"commonruntime", 1126};
inline constexpr FaultSite kFaultArrayWriteObjectNil = {"commonruntime", 1167};

/* runtime strings */
inline constexpr FaultSite kFaultStringShareDead = {"string", 90};
inline constexpr FaultSite kFaultStringReleaseDead = {"string", 102};
inline constexpr FaultSite kFaultStringWriteOutside = {"string", 377};
inline constexpr FaultSite kFaultStringWriteEmpty = {"string", 387};

/* objects, classes and the registry */
inline constexpr FaultSite kFaultObjectReleaseDead = {"objects", 471};
inline constexpr FaultSite kFaultNewObjectBadClass = {"RuntimeMain", 1191};
inline constexpr FaultSite kFaultInterfaceMethodMissing = {"objects", 2398};
inline constexpr FaultSite kFaultEventMissing = {"objects", 5854};
inline constexpr FaultSite kFaultInterfaceBuildFailed = {"objects", 6091};
inline constexpr FaultSite kFaultRegistryNoEntry = {"registry", 88};
inline constexpr FaultSite kFaultRegistryNoType = {"registry", 101};
inline constexpr FaultSite kFaultRegistryNoInterface = {"registry", 154};
inline constexpr FaultSite kFaultPluginNodeDamaged = {"plugin", 656};

/* dictionaries */
inline constexpr FaultSite kFaultDictionaryIndexOutside = {"Dictionary", 391};
inline constexpr FaultSite kFaultDictionaryNotInBin = {"Dictionary", 630};

/* start-up, the loop and exceptions */
inline constexpr FaultSite kFaultPluginClassNotLoaded = {"RuntimeMain", 487};
inline constexpr FaultSite kFaultPluginMemberKind = {"RuntimeMain", 538};
inline constexpr FaultSite kFaultNoApplicationObject = {"application", 1964};
inline constexpr FaultSite kFaultCleanupSiteUnknown = {"win32exception", 123};
inline constexpr FaultSite kFaultExceptionClassMissing = {"win32exception", 254};
inline constexpr FaultSite kFaultCompiledBlocksFull = {"win32exception", 90};

/* windows, panes, controls and menus */
inline constexpr FaultSite kFaultWindowFrameUnknown = {"window", 519};
inline constexpr FaultSite kFaultPaneOwnerTwice = {"pane", 382};
inline constexpr FaultSite kFaultPaneDestroyedFocused = {"SubPane", 460};
inline constexpr FaultSite kFaultPaneDestroyedDrawing = {"SubPane", 461};
inline constexpr FaultSite kFaultPaneDestroyedInUse = {"SubPane", 462};
inline constexpr FaultSite kFaultCloneWithoutWindow = {"RuntimeMain", 2050};
inline constexpr FaultSite kFaultCloseWithoutWindow = {"runctl", 5330};
inline constexpr FaultSite kFaultMenuIdsExhausted = {"menubar", 37};
inline constexpr FaultSite kFaultMenuCloneWithoutModel = {"menubar", 445};
inline constexpr FaultSite kFaultMenuTextWithoutItem = {"menubar", 868};
