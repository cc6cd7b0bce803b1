// Process entry and the application image: finding, reading, linking and
// relocating its four blocks, and the state the process keeps about it.
#pragma once
#include "base/platform.h"
#include <windows.h>
#include <cstdint>

struct RString;

extern const char *gCommandLine; // the command line as the platform passed it
extern uint8_t *gCodeBase;       // code1, executable once linked
extern uint8_t *gDataBase;       // data1
extern int32_t gCodeLength, gDataLength;

// The command line as a new string: the arguments after the program's name.
extern "C" RString *win32getCommandLine();

// Creates the memory pool's lock, then the string lock, then the core classes.
void runtime_core_init();

// Reads, links and relocates the image and calls its entry routine. False
// (after the message has been shown) when the image could not be loaded.
bool LoadApplicationImage();

// Applies the link table to code1. False with a message the caller owns when
// a library import failed or the table is damaged.
bool LinkImage(const uint8_t *table, int32_t length, RString **message);

// Applies the relocation list to data1. False with a message when a run
// reaches outside data1.
bool RelocateImageData(const uint8_t *list, int32_t length, RString **message);

// The open file and absolute position of entry `index` (from 1) of the
// resource block; false when there is no such entry.
bool ReadResourceBlockEntry(int32_t index, HANDLE *file, uint32_t *position);

// An import that waits for the plug-ins: its name without the "!" and the
// head of its fix-up chain. Newest first.
struct DeferredLink {
  RString *name;
  uint32_t chainHead;
  DeferredLink *next;
};
extern DeferredLink *gDeferredLinks;

// Binds the imports that waited for the plug-ins; empties the list.
void ResolveDeferredLinks();

// The entry address for a deferred link name (without its "!"), or 0.
void *LookUpPluginMember(const char *name);

// Patches every call site of a fix-up chain to call target. False when the
// chain leaves code1 or loops.
bool patch_chain(uint32_t head, const void *target);
