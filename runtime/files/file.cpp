// Folder items: the path and its path-set flag, the application's folder as
// the default path, the joining rule, items found from the application's
// folder, a folder's child and its parent.
#include "files/file.h"
#include "objects/registry.h"
#include "base/platform.h"
#include "text/string.h"
#include "lifecycle/exception.h"
#include "lifecycle/settings.h"
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

Object *folderitem_at(const char *path) {
  RString *text = str_from(path);
  Object *item = FolderItemFromPath(text);
  RuntimeUnlockString(text);
  return item;
}

// The stored path without one trailing "\".
RString *fileAbsolutePathGetter(Object *object) {
  if (!object) RuntimeNilObject();
  RString *path = itemPath((FolderItem *)object);
  int32_t n = str_len(path);
  if (n > 0 && str_cview(path)[n - 1] == '\\') return str_left(path, n - 1);
  RuntimeLockString(path);
  return path;
}

bool folderitem_copy_path(Object *item, char *out) {
  RString *path = fileAbsolutePathGetter(item);
  int32_t n = str_len(path);
  bool fits = n > 0 && n < kFolderPathMax;
  if (fits)
    memcpy(out, str_cview(path), n + 1);
  else
    out[0] = 0;
  RuntimeUnlockString(path);
  return fits;
}

void folderitem_refuse(Object *item, DWORD code) {
  ((FolderItem *)item)->lastError = (int16_t)code;
}

bool folderitem_outcome(Object *item, bool ok) {
  DWORD code = GetLastError();
  folderitem_refuse(item, ok ? 0 : code ? code : ERROR_GEN_FAILURE);
  return ok;
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

bool path_is_drive(const char *path) { return path[0] && path[1] == ':' && !path[2]; }

bool path_is_unc(const char *path) { return path[0] && path[1] == '\\'; }

/* ---- joining and finding items ---- */

static bool isDirectory(const char *path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The base folder joined with a text: a text naming a drive or a UNC path
// stands alone, one starting with "\" goes under the base's drive, anything
// else under the base itself with one "\" between. The result is normalised
// ("." and ".." resolved) when the platform can.
static RString *joined(RString *folder, RString *text) {
  const char *t = str_cview(text), *base = str_cview(folder);
  RString *path;
  if (strchr(t, ':') || path_is_unc(t)) {
    RuntimeLockString(text);
    path = text;
  } else if (t[0] == '\\') {
    RString *drive = str_make(base, base[0] && base[1] == ':' ? 2 : 0);
    path = str_join(drive, text);
    RuntimeUnlockString(drive);
  } else {
    int32_t n = str_len(folder);
    RString *glue = n > 0 && base[n - 1] == '\\' ? nullptr : str_from("\\");
    RString *withGlue = str_join(folder, glue);
    path = str_join(withGlue, text);
    RuntimeUnlockString(glue);
    RuntimeUnlockString(withGlue);
  }
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(str_cview(path), sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return path;
  RuntimeUnlockString(path);
  return str_from(full);
}

// The platform's reserved device names, which open a device wherever they
// stand in a path, whatever extension follows them.
bool name_is_device(const char *name) {
  static const char *const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
  static const char *const kNumbered[] = {"COM", "LPT"};
  size_t n = strcspn(name, ".");
  while (n > 0 && name[n - 1] == ' ') n--;
  for (const char *d : kDevices)
    if (n == 3 && !_strnicmp(name, d, 3)) return true;
  for (const char *d : kNumbered)
    if (n == 4 && !_strnicmp(name, d, 3) && name[3] >= '1' && name[3] <= '9') return true;
  return false;
}

// A name that stays inside its folder: no separator, no drive, not "." or
// "..", no character the file system refuses, not empty.
bool name_is_plain(const char *name) {
  if (!name[0] || !strcmp(name, ".") || !strcmp(name, "..") || name_is_device(name)) return false;
  for (const unsigned char *p = (const unsigned char *)name; *p; p++) {
    if (*p < 32 || strchr("\\/:*?\"<>|", *p)) return false;
    if (IsDBCSLeadByte(*p) && p[1]) p++; /* a trail byte may look like "\" */
  }
  return true;
}

// The item's path joined with a name; nil when the name would leave the
// folder (a separator, a drive, "..").
Object *FolderChild(Object *item, RString *name) {
  if (!item) RuntimeNilObject();
  const char *n = str_cview(name);
  if (!strcmp(n, "..") || strpbrk(n, "\\/:")) return nullptr;
  RString *path = joined(itemPath((FolderItem *)item), name);
  Object *child = FolderItemFromPath(path);
  RuntimeUnlockString(path);
  return child;
}

Object *FolderTrueChild(Object *item, RString *name) { return FolderChild(item, name); }

// An item for a path from the application's folder, when the folder it would
// lie in exists (for a UNC path: when the path itself is a folder); nil otherwise.
Object *RuntimeGetFolderItem(RString *text) {
  FolderItem app = {};
  RString *path = joined(itemPath(&app), text);
  RuntimeUnlockString(app.path);
  const char *p = str_cview(path);
  const char *slash = strrchr(p, '\\');
  bool found;
  if (path_is_unc(p) || !slash) {
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

// The folder holding the item; nil for a drive's root, a UNC share and a
// path with no folder above it.
Object *folderParentGetter(Object *item) {
  RString *path = fileAbsolutePathGetter(item);
  const char *p = str_cview(path);
  const char *slash = strrchr(p, '\\');
  Object *parent = nullptr;
  bool shareRoot = path_is_unc(p) && slash && slash <= strchr(p + 2, '\\');
  if (slash && slash > p && !shareRoot) {
    RString *text = str_make(p, (int32_t)(slash - p));
    if (_stricmp(str_cview(text), p) != 0) parent = FolderItemFromPath(text);
    RuntimeUnlockString(text);
  }
  RuntimeUnlockString(path);
  return parent;
}

/* ---- for plug-ins ---- */

RString *KARUpathFromFolderItem(Object *item) {
  return item ? fileAbsolutePathGetter(item) : nullptr;
}

// The platform character set of the project's script (SHIFTJIS_CHARSET for Japanese).
int32_t KARUGetWin32Charset() { return gSettings.characterSet; }
