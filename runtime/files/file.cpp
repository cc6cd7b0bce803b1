// Folder items: the path and its path-set flag, the application's folder as
// the default path, items found from the application's folder or as a
// folder's child, and the properties built so far.
#include "files/file.h"
#include "objects/registry.h"
#include "base/platform.h"
#include "text/string.h"
#include "lifecycle/exception.h"
#include <cstring>

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

// The last part of the path: the file's or folder's own name ("C:" for a drive).
RString *fileNameGetter(Object *object) {
  RString *path = fileAbsolutePathGetter(object);
  const char *p = str_cview(path);
  const char *slash = strrchr(p, '\\');
  if (!slash) return path;
  RString *name = str_from(slash + 1);
  RuntimeUnlockString(path);
  return name;
}

/* ---- finding items ---- */

static bool isAbsolute(const char *path) {
  return (path[0] && path[1] == ':') || (path[0] == '\\' && path[1] == '\\');
}

static bool isDirectory(const char *path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The item's path joined with a name, "\" between them unless the path ends
// with one already; normalised ("." and ".." resolved).
static RString *joined(RString *folder, RString *name) {
  char full[MAX_PATH];
  RString *glue = str_len(folder) > 0 && str_cview(folder)[str_len(folder) - 1] == '\\'
                      ? nullptr
                      : str_from("\\");
  RString *withGlue = str_join(folder, glue);
  RString *path = str_join(withGlue, name);
  RuntimeUnlockString(glue);
  RuntimeUnlockString(withGlue);
  DWORD n = GetFullPathNameA(str_cview(path), sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return path;
  RuntimeUnlockString(path);
  return str_from(full);
}

Object *FolderChild(Object *item, RString *name) {
  if (!item) RuntimeNilObject();
  RString *path = joined(itemPath((FolderItem *)item), name);
  Object *child = FolderItemFromPath(path);
  RuntimeUnlockString(path);
  return child;
}

Object *FolderTrueChild(Object *item, RString *name) { return FolderChild(item, name); }

// An item for a path from the application's folder (an absolute path is
// taken as it is), when the folder it would lie in exists; nil otherwise.
Object *RuntimeGetFolderItem(RString *text) {
  RString *path;
  if (isAbsolute(str_cview(text))) {
    RuntimeLockString(text);
    path = text;
  } else {
    FolderItem app = {};
    path = joined(itemPath(&app), text);
    RuntimeUnlockString(app.path);
  }
  const char *p = str_cview(path);
  const char *slash = strrchr(p, '\\');
  bool unc = p[0] == '\\' && p[1] == '\\';
  bool found;
  if (unc || !slash) {
    found = isDirectory(p);
  } else {
    RString *parent = str_make(p, (int32_t)(slash - p) + (slash == p + 2 ? 1 : 0)); /* C:\ */
    found = isDirectory(str_cview(parent));
    RuntimeUnlockString(parent);
  }
  Object *item = found ? FolderItemFromPath(path) : nullptr;
  RuntimeUnlockString(path);
  return item;
}

Object *RuntimeGetTrueFolderItem(RString *text) { return RuntimeGetFolderItem(text); }
