// Process entry and the application image: the image header resource, the
// appended and development forms of the four blocks, linking the image's
// imports, relocating its data, the resource block, and the entry routine.
#include "startup/loader.h"
#include "objects/objects.h"
#include "plugins/plugin.h"
#include "objects/registry.h"
#include "base/pool.h"
#include "startup/entrytable.h"
#include "lifecycle/exitlist.h"
#include "base/fault.h"
#include "base/platform.h"
#include "ui/theme.h"
#include "lifecycle/exception.h"
#include "text/string.h"
#include <commctrl.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>

const char *gCommandLine;
uint8_t *gCodeBase;
uint8_t *gDataBase;
DeferredLink *gDeferredLinks;

int32_t gCodeLength, gDataLength;
static uint32_t resourceBlockOffset; /* 0: development mode or no header resource */
static HANDLE resourceFile = INVALID_HANDLE_VALUE;

enum { kCode1, kCode2, kData1, kData2, kBlocks };
static const char *const kBlockNames[kBlocks] = {"code1", "code2", "data1", "data2"};
static const char *const kBlockFiles[kBlocks] = {"code1.dat", "code2.dat", "data1.dat",
                                                 "data2.dat"};
enum : uint32_t { kNoResourceBlock = 0xFFFFFFFF };

struct Block {
  uint8_t *bytes;
  int32_t length;
};

void runtime_core_init() {
  pool_init();
  str_init();
  objects_init();
}

static uint32_t readLE32(const uint8_t *p) {
  return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
}
static uint32_t readBE32(const uint8_t *p) {
  return (uint32_t)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

static RString *messagef(const char *format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return str_from(text);
}

static RString *damaged(const char *what) {
  return messagef("The application could not be loaded because its image is damaged: %s.", what);
}

/* ---- reading the blocks ---- */

// Code1 lives in memory that may later be made executable; the rest on the heap.
static uint8_t *allocBlock(int which, int32_t length) {
  if (length == 0) return nullptr;
  if (which == kCode1)
    return (uint8_t *)VirtualAlloc(nullptr, length, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  return (uint8_t *)HeapAlloc(GetProcessHeap(), 0, length);
}

static bool readExactly(HANDLE file, void *into, DWORD bytes) {
  DWORD got = 0;
  return bytes == 0 || (ReadFile(file, into, bytes, &got, nullptr) && got == bytes);
}

// Development mode: each block is a whole file in the working directory.
static RString *readBlockFiles(Block blocks[kBlocks]) {
  int missing = 0;
  for (const char *name : kBlockFiles)
    missing += GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES;
  if (missing == kBlocks)
    return str_from("No application image was found.\n\nThis runtime carries no image of its "
                    "own, and the development files code1.dat, data1.dat, code2.dat and "
                    "data2.dat are not in the working directory.");
  for (int i = 0; i < kBlocks; i++) {
    HANDLE file = CreateFileA(kBlockFiles[i], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    DWORD size = file == INVALID_HANDLE_VALUE ? 0 : GetFileSize(file, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE && size < 0x7FFFFFFF;
    if (ok) {
      blocks[i].length = (int32_t)size;
      blocks[i].bytes = allocBlock(i, size);
      ok = (size == 0 || blocks[i].bytes) && readExactly(file, blocks[i].bytes, size);
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok)
      return messagef("The application could not be loaded because the file %s could not be "
                      "read.",
                      kBlockFiles[i]);
  }
  return nullptr;
}

// The appended form: four length-prefixed blocks from `offset` to the end of
// the executable's own file.
static RString *readAppendedBlocks(uint32_t offset, Block blocks[kBlocks]) {
  char path[512];
  GetModuleFileNameA(gInstance, path, sizeof path);
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return messagef("The application could not be loaded because the file %s could not be read.",
                    path);
  RString *message = nullptr;
  uint32_t size = GetFileSize(file, nullptr);
  uint32_t at = offset;
  if (offset >= size || SetFilePointer(file, offset, nullptr, FILE_BEGIN) != offset)
    message = damaged("the image offset lies outside the executable");
  for (int i = 0; i < kBlocks && !message; i++) {
    uint8_t word[4];
    if (size - at < 4 || !readExactly(file, word, 4)) {
      message = messagef("The application could not be loaded because its image is damaged: "
                         "the %s block is missing.",
                         kBlockNames[i]);
      break;
    }
    at += 4;
    uint32_t length = readLE32(word);
    if (length > size - at) {
      message = messagef("The application could not be loaded because its image is damaged: "
                         "the %s block runs past the end of the file.",
                         kBlockNames[i]);
      break;
    }
    blocks[i].length = (int32_t)length;
    blocks[i].bytes = allocBlock(i, length);
    if ((length && !blocks[i].bytes) || !readExactly(file, blocks[i].bytes, length))
      message = messagef("The application could not be loaded because the %s block could not "
                         "be read.",
                         kBlockNames[i]);
    at += length;
  }
  CloseHandle(file);
  return message;
}

// The header resource says where the image is; without it, or when it still
// reads "PICK", the blocks come from the development files.
static RString *readBlocks(Block blocks[kBlocks]) {
  HRSRC found = FindResourceA(gInstance, MAKEINTRESOURCEA(101), "PICKLE");
  HGLOBAL loaded = found ? LoadResource(gInstance, found) : nullptr;
  const uint8_t *header = loaded ? (const uint8_t *)LockResource(loaded) : nullptr;
  if (header && SizeofResource(gInstance, found) >= 8 && memcmp(header, "PICK", 4) != 0) {
    resourceBlockOffset = readLE32(header + 4);
    return readAppendedBlocks(readLE32(header), blocks);
  }
  resourceBlockOffset = 0;
  return readBlockFiles(blocks);
}

static void freeBlocks(Block blocks[kBlocks]) {
  for (int i = 0; i < kBlocks; i++) {
    if (!blocks[i].bytes) continue;
    if (i == kCode1)
      VirtualFree(blocks[i].bytes, 0, MEM_RELEASE);
    else
      HeapFree(GetProcessHeap(), 0, blocks[i].bytes);
  }
}

/* ---- linking ---- */

// Each site of a chain is the rel32 operand of a call; before patching it
// holds the offset of the next site. A call takes five bytes, so a chain with
// more sites than that allows must loop. With patch false the chain is only
// checked.
static bool walkChain(uint32_t head, const void *target, bool patch) {
  uint32_t steps = 0;
  for (uint32_t site = head; site != 0; steps++) {
    if (site < 1 || gCodeLength < 5 || site > (uint32_t)gCodeLength - 4 ||
        steps > (uint32_t)gCodeLength / 5)
      return false;
    uint8_t *word = gCodeBase + site;
    uint32_t next = readLE32(word);
    uint32_t rel = (uint32_t)(uintptr_t)target - (uint32_t)(uintptr_t)(word + 4);
    if (patch) memcpy(word, &rel, 4);
    site = next;
  }
  return true;
}

bool patch_chain(uint32_t head, const void *target) { return walkChain(head, target, true); }

// `bytes` bytes of executable memory for a small routine made at link time;
// they live as long as the process.
static uint8_t *thunkSpace(int32_t bytes) {
  static uint8_t *page;
  static int32_t used;
  enum { kPageBytes = 4096 };
  if (!page || used + bytes > kPageBytes) {
    page = (uint8_t *)VirtualAlloc(nullptr, kPageBytes, MEM_COMMIT | MEM_RESERVE,
                                   PAGE_EXECUTE_READWRITE);
    used = 0;
    if (!page) fault_out_of_memory(true);
  }
  used += bytes;
  return page + used - bytes;
}

// Imports that name no routine of this runtime are bound to small routines
// that say which name was missing when the application calls them:
// push offset name; call fault_unbuilt.
static void *missingEntryThunk(const char *name) {
  RString *kept = str_from(name); /* lives as long as the process */
  uint8_t *thunk = thunkSpace(10);
  uint32_t text = (uint32_t)(uintptr_t)str_cview(kept);
  uint32_t rel = (uint32_t)(uintptr_t)&fault_unbuilt - (uint32_t)(uintptr_t)(thunk + 10);
  thunk[0] = 0x68;
  memcpy(thunk + 1, &text, 4);
  thunk[5] = 0xE8;
  memcpy(thunk + 6, &rel, 4);
  return thunk;
}

// Compiled code calls a plug-in property's getter or setter as it calls a
// built-in one, (instance, parameter[, value]), but cannot know the
// parameter the plug-in registered (a field offset the runtime chose), so it
// passes 0. Its link is bound to a routine that writes the parameter over
// that argument and goes on to the accessor:
// mov dword [esp+8], parameter; jmp accessor.
static void *parameterThunk(void *accessor, int32_t parameter) {
  uint8_t *thunk = thunkSpace(13);
  static const uint8_t kStore[] = {0xC7, 0x44, 0x24, 0x08};
  uint32_t rel = (uint32_t)(uintptr_t)accessor - (uint32_t)(uintptr_t)(thunk + 13);
  memcpy(thunk, kStore, 4);
  memcpy(thunk + 4, &parameter, 4);
  thunk[8] = 0xE9;
  memcpy(thunk + 9, &rel, 4);
  return thunk;
}

struct LoadedLibrary {
  RString *name;
  HMODULE module; // nil when loading failed
  LoadedLibrary *next;
};
static LoadedLibrary *loadedLibraries;

static HMODULE loadLibrary(const char *name) {
  for (LoadedLibrary *l = loadedLibraries; l; l = l->next)
    if (lstrcmpiA(str_cview(l->name), name) == 0) return l->module;
  LoadedLibrary *l = (LoadedLibrary *)pool_alloc(sizeof(LoadedLibrary));
  l->name = str_from(name);
  l->module = *name ? LoadLibraryA(name) : nullptr;
  l->next = loadedLibraries;
  loadedLibraries = l;
  return l->module;
}

// "!X" + library + "!" + routine: a routine of another shared library.
static void linkLibraryImport(char *text, uint32_t head, RString **message) {
  char *bang = strchr(text, '!');
  const char *library = bang ? text : ""; /* without a "!" the library name is empty */
  const char *routine = bang ? bang + 1 : text;
  if (bang) *bang = 0;
  HMODULE module = loadLibrary(library);
  if (!module) {
    *message = messagef("The application could not be loaded because a necessary shared "
                        "library %s could not be found.",
                        library);
    return;
  }
  void *address = (void *)GetProcAddress(module, routine);
  if (!address) {
    *message = messagef("The application could not be loaded because the routine %s could not "
                        "be found in the shared library %s.",
                        routine, library);
    return;
  }
  if (!patch_chain(head, address)) *message = damaged("a call chain leaves the code block");
}

static void deferLink(const char *name, uint32_t head) {
  DeferredLink *d = (DeferredLink *)pool_alloc(sizeof(DeferredLink));
  d->name = str_from(name);
  d->chainHead = head;
  d->next = gDeferredLinks;
  gDeferredLinks = d;
}

// Kind 1: u32 chain head, u8 name length n, n name bytes.
static void linkNamedImport(const uint8_t *record, RString **message) {
  uint32_t head = readLE32(record);
  char name[256];
  memcpy(name, record + 5, record[4]);
  name[record[4]] = 0;
  if (name[0] == '!' && name[1] == 'X') return linkLibraryImport(name + 2, head, message);
  if (name[0] == '!') { /* bound when the plug-ins are in */
    if (!walkChain(head, nullptr, false)) *message = damaged("a call chain leaves the code block");
    return deferLink(name + 1, head);
  }
  void *routine = entry_routine(name);
  if (!patch_chain(head, routine ? routine : missingEntryThunk(name)))
    *message = damaged("a call chain leaves the code block");
}

// Kind 2: the code1 word at `at` holds a data1 offset; the data base is added.
static void linkDataReference(uint32_t at, RString **message) {
  if (gCodeLength < 4 || at > (uint32_t)gCodeLength - 4) {
    *message = damaged("a data reference lies outside the code block");
    return;
  }
  uint32_t word = readLE32(gCodeBase + at) + (uint32_t)(uintptr_t)gDataBase;
  memcpy(gCodeBase + at, &word, 4);
}

bool LinkImage(const uint8_t *table, int32_t length, RString **message) {
  *message = nullptr;
  for (int32_t p = 0; p < length && !*message;) {
    uint8_t kind = table[p++];
    int32_t left = length - p;
    if (kind == 2) {
      if (left < 4)
        *message = damaged("the link table ends inside a record");
      else
        linkDataReference(readLE32(table + p), message);
      p += 4;
    } else if (kind == 1) {
      if (left < 5 || left - 5 < table[p + 4])
        *message = damaged("the link table ends inside a record");
      else
        linkNamedImport(table + p, message);
      p += left < 5 ? left : 5 + table[p + 4];
    } /* any other byte is skipped */
  }
  return !*message;
}

/* ---- deferred links ---- */

static void *findMember(ClassDef *cls, char kind, const char *member, PropertyRecord **property) {
  if (kind == 'M' || kind == 'W') {
    for (MethodRecord *m = cls->methods; m; m = m->next)
      if (name_is(m->name, member)) return kind == 'M' ? m->entry : m->assignEntry;
  } else {
    for (PropertyRecord *p = cls->properties; p; p = p->next)
      if (name_is(p->name, member)) return *property = p, kind == 'G' ? p->getter : p->setter;
  }
  return nullptr;
}

// The routine for a deferred link, and the property record of a G or S link.
static void *lookUpMember(const char *name, PropertyRecord **property) {
  *property = nullptr;
  char kind = name[0];
  if (kind == 0) return nullptr;
  if (!strchr("MWGS", kind)) {
    fault_report(kFaultPluginMemberKind);
    return nullptr;
  }
  const char *bang = strchr(name + 1, '!');
  if (!bang)
    return kind == 'M' || kind == 'W' ? plugin_find_global_method(name + 1, kind == 'W') : nullptr;
  char className[256];
  int32_t n = (int32_t)(bang - name - 1) < 255 ? (int32_t)(bang - name - 1) : 255;
  memcpy(className, name + 1, n);
  className[n] = 0;
  ClassDef *cls = registry_find(className);
  if (!cls) cls = plugin_find_class(className);
  if (!cls) cls = plugin_find_control(className);
  if (!cls) {
    char text[300];
    snprintf(text, sizeof text, "Unable to load class: %s\n", className);
    OutputDebugStringA(text);
    fault_report(kFaultPluginClassNotLoaded);
    return nullptr;
  }
  return findMember(cls, kind, bang + 1, property);
}

// Kind letter, then "Class!member", or a global method's name alone.
void *LookUpPluginMember(const char *name) {
  PropertyRecord *property;
  return lookUpMember(name, &property);
}

// A link that finds nothing is bound, like a missing entry, to a routine that
// names it when called, never to address 0. Code1 is executable by now, so it
// is made writable for the patching.
void ResolveDeferredLinks() {
  DWORD old;
  if (!gDeferredLinks || !VirtualProtect(gCodeBase, gCodeLength, PAGE_EXECUTE_READWRITE, &old))
    return;
  while (DeferredLink *d = gDeferredLinks) {
    gDeferredLinks = d->next;
    PropertyRecord *property;
    void *target = lookUpMember(str_cview(d->name), &property);
    if (target && property) target = parameterThunk(target, property->parameter);
    if (!target) {
      char shown[300];
      snprintf(shown, sizeof shown, "!%s", str_cview(d->name));
      target = missingEntryThunk(shown);
    }
    patch_chain(d->chainHead, target); /* checked when it was linked */
    RuntimeUnlockString(d->name);
    pool_free(d, sizeof(DeferredLink));
  }
  VirtualProtect(gCodeBase, gCodeLength, old, &old);
}

/* ---- relocating ---- */

// Adds `base` to `words` words of data1 from `cursor`.
static bool relocateRun(uint32_t cursor, uint32_t words, uint8_t *base) {
  if (cursor > (uint32_t)gDataLength || words > ((uint32_t)gDataLength - cursor) / 4) return false;
  for (uint8_t *p = gDataBase + cursor; words--; p += 4) {
    uint32_t word = readLE32(p) + (uint32_t)(uintptr_t)base;
    memcpy(p, &word, 4);
  }
  return true;
}

bool RelocateImageData(const uint8_t *list, int32_t length, RString **message) {
  *message = nullptr;
  uint32_t cursor = 0;
  for (int32_t i = 0; i + 1 < length; i += 2) { /* an odd last byte is no record */
    uint16_t h = list[i] | list[i + 1] << 8;
    uint8_t *base = nullptr;
    if ((h & 0xF000) == 0x8000)
      cursor += (h & 0x0FFF) + 1;
    else if ((h & 0xFE00) == 0x4000 || (h & 0xFE00) == 0x4600)
      base = gCodeBase;
    else if ((h & 0xFE00) == 0x4200)
      base = gDataBase;
    if (!base) continue;
    uint32_t words = (h & 0x01FF) + 1;
    if (!relocateRun(cursor, words, base)) {
      *message = damaged("a relocation run reaches outside the data block");
      return false;
    }
    cursor += words * 4;
  }
  return true;
}

/* ---- the resource block ---- */

static bool readAt(HANDLE file, uint32_t position, uint8_t word[4]) {
  return SetFilePointer(file, position, nullptr, FILE_BEGIN) == position &&
         readExactly(file, word, 4);
}

bool ReadResourceBlockEntry(int32_t index, HANDLE *file, uint32_t *position) {
  if (index <= 0 || resourceBlockOffset == kNoResourceBlock) return false;
  if (resourceFile == INVALID_HANDLE_VALUE) { /* opened on first use, then kept */
    char path[1024] = "data3.dat";
    if (resourceBlockOffset != 0) GetModuleFileNameA(gInstance, path, sizeof path);
    resourceFile =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (resourceFile == INVALID_HANDLE_VALUE) return false;
  }
  uint8_t word[4];
  if (!readAt(resourceFile, resourceBlockOffset, word) || readBE32(word) < (uint32_t)index)
    return false;
  uint32_t count = readBE32(word);
  if (!readAt(resourceFile, resourceBlockOffset + 4 * index, word)) return false;
  *file = resourceFile;
  *position = resourceBlockOffset + 4 * count + readBE32(word) + 4;
  return true;
}

/* ---- loading and entering the image ---- */

static void showMessage(RString *message) {
  gPlatform.messageBox(nullptr, str_cview(message), "Message", MB_OK | MB_ICONINFORMATION);
}

// After linking, code1 may be executed and is no longer written.
static bool makeExecutable() {
  DWORD old;
  return gCodeLength == 0 || VirtualProtect(gCodeBase, gCodeLength, PAGE_EXECUTE_READ, &old);
}

// Data1 word 0, once relocated, must be the address of a routine in code1.
static void *entryRoutine() {
  if (gDataLength < 4) return nullptr;
  uintptr_t entry = readLE32(gDataBase);
  uintptr_t code = (uintptr_t)gCodeBase;
  return entry >= code && entry < code + gCodeLength ? (void *)entry : nullptr;
}

bool LoadApplicationImage() {
  Block blocks[kBlocks] = {};
  RString *message = readBlocks(blocks);
  if (!message) {
    gCodeBase = blocks[kCode1].bytes;
    gCodeLength = blocks[kCode1].length;
    gDataBase = blocks[kData1].bytes;
    gDataLength = blocks[kData1].length;
    if (LinkImage(blocks[kCode2].bytes, blocks[kCode2].length, &message) &&
        RelocateImageData(blocks[kData2].bytes, blocks[kData2].length, &message)) {
      if (!entryRoutine())
        message = damaged("its entry routine lies outside the code block");
      else if (!makeExecutable())
        message = damaged("its code cannot be made executable");
    }
  }
  if (message) {
    showMessage(message);
    RuntimeUnlockString(message);
    freeBlocks(blocks);
    gCodeBase = gDataBase = nullptr;
    gCodeLength = gDataLength = 0;
    return false;
  }
  HeapFree(GetProcessHeap(), 0, blocks[kData2].bytes); /* the relocation list is spent */
  exception_add_compiled_code(gCodeBase, (uint32_t)gCodeLength);
  ((void (*)())entryRoutine())();
  exception_remove_compiled_code(gCodeBase); /* a later image has code of its own */
  return true;
}

RString *win32getCommandLine() { return str_from(gCommandLine ? gCommandLine : ""); }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  gInstance = instance;
  gCommandLine = commandLine;
  exception_install_last_chance();
  InitCommonControls();
  runtime_core_init();
  theme_load();
  LoadApplicationImage();
  exitlist_run();
  theme_unload();
  return 0;
}
