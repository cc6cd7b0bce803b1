// Folder-item operations on the file system: delete, create as folder, copy
// (files and whole folder trees), move and launch. Failures change nothing
// and report nothing.
#include "files/file.h"
#include "files/shellpath.h"
#include "text/string.h"
#include <cstring>
#include <windows.h>

static bool isFolder(const char *path) {
  DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// folder + "\" + name into out; false when it would not fit.
static bool joinInto(char *out, const char *folder, const char *name) {
  size_t a = strlen(folder), b = strlen(name);
  if (a + 1 + b >= kFolderPathMax) return false;
  memcpy(out, folder, a);
  out[a] = '\\';
  memcpy(out + a + 1, name, b + 1);
  return true;
}

// Where a copy or move of source to destination lands: inside the
// destination when it is a folder, else the destination itself.
static bool targetOf(Object *item, Object *destination, char *source, char *target) {
  char dest[kFolderPathMax];
  if (!destination || !folderitem_copy_path(item, source) ||
      !folderitem_copy_path(destination, dest))
    return false;
  if (!isFolder(dest)) return strcpy(target, dest), true;
  const char *slash = strrchr(source, '\\');
  return slash && joinInto(target, dest, slash + 1);
}

// True when path is folder itself or lies anywhere beneath it.
static bool within(const char *path, const char *folder) {
  size_t n = strlen(folder);
  return _strnicmp(path, folder, n) == 0 && (path[n] == 0 || path[n] == '\\');
}

void FolderItemDelete(Object *item) {
  char path[kFolderPathMax];
  if (!folderitem_copy_path(item, path) || strpbrk(path, "*?"))
    return folderitem_refuse(item, ERROR_INVALID_NAME);
  folderitem_outcome(item, isFolder(path) ? RemoveDirectoryA(path) : DeleteFileA(path));
}

void FolderItemCreateAsFolder(Object *item) {
  char path[kFolderPathMax];
  if (!folderitem_copy_path(item, path)) return folderitem_refuse(item, ERROR_INVALID_NAME);
  folderitem_outcome(item, CreateDirectoryA(path, nullptr));
}

// Copies a folder and everything in it, depth first; stops at the first
// failure.
static bool copyTree(const char *from, const char *to) {
  char pattern[kFolderPathMax], a[kFolderPathMax], b[kFolderPathMax];
  if (!CreateDirectoryA(to, nullptr) && !isFolder(to)) return false;
  if (!joinInto(pattern, from, "*.*")) return false;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(pattern, &found);
  if (h == INVALID_HANDLE_VALUE) return true;
  bool ok = true;
  do {
    const char *n = found.cFileName;
    if (!strcmp(n, ".") || !strcmp(n, "..")) continue;
    ok = joinInto(a, from, n) && joinInto(b, to, n) &&
         (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? copyTree(a, b)
                                                            : CopyFileA(a, b, FALSE) != 0);
  } while (ok && FindNextFileA(h, &found));
  FindClose(h);
  return ok;
}

// A copy that overwrites the target; a folder is copied with its contents,
// never onto itself or into its own tree.
void FolderItemCopyFileTo(Object *item, Object *destination) {
  char source[kFolderPathMax], target[kFolderPathMax];
  if (!targetOf(item, destination, source, target) || strpbrk(source, "*?") ||
      within(target, source))
    return folderitem_refuse(item, ERROR_INVALID_NAME);
  folderitem_outcome(item, isFolder(source) ? copyTree(source, target)
                                            : CopyFileA(source, target, FALSE) != 0);
}

void FolderItemMoveFileTo(Object *item, Object *destination) {
  char source[kFolderPathMax], target[kFolderPathMax];
  if (!targetOf(item, destination, source, target) || strpbrk(source, "*?") ||
      within(target, source))
    return folderitem_refuse(item, ERROR_INVALID_NAME);
  folderitem_outcome(item, MoveFileExA(source, target, MOVEFILE_COPY_ALLOWED));
}

void FolderItemLaunch(Object *item) {
  char path[kFolderPathMax];
  if (folderitem_copy_path(item, path)) shell_open(path);
}
