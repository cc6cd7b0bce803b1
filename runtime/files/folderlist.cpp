// A folder's entries by number: the process-wide listing cache that Count
// fills and Item reads, re-listing when asked to or when another folder is read.
#include "files/file.h"
#include "base/vector.h"
#include "text/string.h"
#include <cstring>
#include <windows.h>

struct Listing {
  RString *folder;  // the folder last listed, nil before the first
  Vector names;     // RString entry names in the platform's order, "." and ".." left out
  bool refresh;     // the next Item lists the folder again
  bool initialised; // names is ready
};
static Listing gListing;

static void forget() {
  if (!gListing.initialised) {
    vec_init(&gListing.names);
    gListing.initialised = true;
  }
  for (int32_t i = 0; i < vec_count(&gListing.names); i++)
    RuntimeUnlockString((RString *)vec_get_ptr(&gListing.names, i));
  vec_set_count(&gListing.names, 0);
  RuntimeUnlockString(gListing.folder);
  gListing.folder = nullptr;
}

// Empties the cache and reads the folder's entries into it.
static void list(RString *folder) {
  forget();
  RuntimeLockString(folder);
  gListing.folder = folder;
  char pattern[kFolderPathMax];
  if (str_len(folder) + 5 > (int32_t)sizeof pattern) return;
  strcpy(pattern, str_cview(folder));
  strcat(pattern, "\\*.*");
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(pattern, &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
      vec_append_ptr(&gListing.names, str_from(found.cFileName));
  } while (FindNextFileA(h, &found));
  FindClose(h);
}

void folder_listing_forget() {
  forget();
  vec_dispose(&gListing.names);
  gListing.initialised = false;
  gListing.refresh = false;
}

int32_t fileCountGetter(Object *item) {
  RString *folder = fileAbsolutePathGetter(item);
  list(folder);
  RuntimeUnlockString(folder);
  return vec_count(&gListing.names);
}

// The index-th entry (from 1) through the cache; out of range gives nil and
// has the next call list the folder afresh.
Object *FolderItemItem(Object *item, int32_t index) {
  RString *folder = fileAbsolutePathGetter(item);
  if (gListing.refresh || !gListing.folder ||
      _stricmp(str_cview(gListing.folder), str_cview(folder)) != 0)
    list(folder);
  Object *entry = nullptr;
  if (index >= 1 && index <= vec_count(&gListing.names)) {
    FolderItem within = {};
    folderitem_set_path(&within, folder);
    RString *name = (RString *)vec_get_ptr(&gListing.names, index - 1);
    entry = FolderChild(&within.header, name);
    RuntimeUnlockString(within.path);
    gListing.refresh = false;
  } else {
    gListing.refresh = true;
  }
  RuntimeUnlockString(folder);
  return entry;
}

Object *FolderItemTrueItem(Object *item, int32_t index) { return FolderItemItem(item, index); }
