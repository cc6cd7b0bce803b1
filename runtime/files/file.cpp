// Folder items: the path and its path-set flag, the application's folder as
// the default path, and the properties built so far.
#include "files/file.h"
#include "objects/registry.h"
#include "base/platform.h"
#include "text/string.h"

void folderitem_set_path(FolderItem *item, RString *path) {
  str_assign(&item->path, path);
  item->pathSet = 1;
}

static void folderitemDestructor(Object *object, ClassDef *) {
  RuntimeUnlockString(((FolderItem *)object)->path);
}

void folderitem_classes_attach() { gFolderItemClass->destructor = folderitemDestructor; }

// An item whose path was never set stands for the folder of the running
// executable: its full file name up to its last "\".
static RString *itemPath(FolderItem *item) {
  if (!item->pathSet) {
    char name[MAX_PATH];
    DWORD n = GetModuleFileNameA(gInstance, name, sizeof name);
    while (n > 0 && name[n - 1] != '\\') n--;
    RString *folder = str_make(name, n > 0 ? n - 1 : 0);
    folderitem_set_path(item, folder);
    RuntimeUnlockString(folder);
  }
  return item->path;
}

Object *FolderItemFromPath(RString *path) {
  FolderItem *item = (FolderItem *)CreateInstance(gFolderItemClass);
  if (item) folderitem_set_path(item, path);
  return &item->header;
}

// The stored path without one trailing "\".
RString *fileAbsolutePathGetter(Object *object) {
  RString *path = itemPath((FolderItem *)object);
  int32_t n = str_len(path);
  if (n > 0 && str_cview(path)[n - 1] == '\\') return str_left(path, n - 1);
  RuntimeLockString(path);
  return path;
}
