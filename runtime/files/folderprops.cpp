// Folder-item properties read from and written to the file system: Exists,
// Directory, Length, Locked, Visible, the two dates, the rename through Name,
// and the properties this platform has no use for (Mac codes, resource forks).
#include "files/file.h"
#include "files/shellpath.h"
#include "objects/date.h"
#include "objects/registry.h"
#include "text/string.h"
#include <cstring>
#include <windows.h>

constexpr int64_t kLargestLength = 0x7FFFFFFF; /* the property is 32-bit */

// The entry's attributes, sizes and times; false when the path is too long,
// names no entry, or carries wildcard characters (which name no one entry).
static bool entryData(Object *item, WIN32_FILE_ATTRIBUTE_DATA *out) {
  char path[kFolderPathMax];
  if (!folderitem_copy_path(item, path) || strpbrk(path, "*?")) return false;
  return GetFileAttributesExA(path, GetFileExInfoStandard, out) != 0;
}

static DWORD attributesOf(Object *item) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return entryData(item, &data) ? data.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

// Turns one attribute bit on or off; a missing entry is left alone.
static void changeAttribute(Object *item, DWORD bit, bool on) {
  char path[kFolderPathMax];
  DWORD now = attributesOf(item);
  if (now == INVALID_FILE_ATTRIBUTES || !folderitem_copy_path(item, path))
    return folderitem_refuse(item, ERROR_FILE_NOT_FOUND);
  DWORD wanted = on ? now | bit : now & ~bit;
  folderitem_outcome(item, wanted == now || SetFileAttributesA(path, wanted));
}

// A drive exists when the platform lists it among its logical drives.
static bool driveExists(const char *drive) {
  char drives[512];
  DWORD n = GetLogicalDriveStringsA(sizeof drives, drives);
  if (n == 0 || n >= sizeof drives) return false;
  for (const char *d = drives; *d; d += strlen(d) + 1)
    if (_strnicmp(d, drive, 2) == 0) return true;
  return false;
}

// A search for the path finds an entry of exactly that name: a wildcard
// would match others, and a device name (CON, NUL) matches no entry.
static bool entryFound(const char *path) {
  const char *slash = strrchr(path, '\\');
  const char *name = slash ? slash + 1 : path;
  if (name_is_device(name)) return false;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(path, &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return !_stricmp(found.cFileName, name) || !_stricmp(found.cAlternateFileName, name);
}

bool fileExistsGetter(Object *item) {
  char path[kFolderPathMax];
  if (!folderitem_copy_path(item, path) || strpbrk(path, "*?")) return false;
  size_t n = strlen(path);
  if (path[n - 1] == ':') return n == 2 && driveExists(path);
  return entryFound(path);
}

bool fileDirectoryGetter(Object *item) {
  char path[kFolderPathMax];
  if (folderitem_copy_path(item, path) && path_is_drive(path)) return true;
  DWORD a = attributesOf(item);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// The size, held at the largest Integer when it is 2 GB or more.
int32_t fileSizeGetter(Object *item) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!entryData(item, &data)) return 0;
  int64_t size = ((int64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
  return (int32_t)(size > kLargestLength ? kLargestLength : size);
}

bool fileLockedGetter(Object *item) {
  DWORD a = attributesOf(item);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
}

void fileLockedSetter(Object *item, int32_t, bool locked) {
  changeAttribute(item, FILE_ATTRIBUTE_READONLY, locked);
}

bool fileVisibleGetter(Object *item) {
  DWORD a = attributesOf(item);
  return a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_HIDDEN);
}

void fileVisibleSetter(Object *item, int32_t, bool visible) {
  changeAttribute(item, FILE_ATTRIBUTE_HIDDEN, !visible);
}

/* ---- dates ---- */

enum class Stamp { Creation, Modification };

// A new Date for a file time, in local time; nil when it cannot be shown.
static Object *dateOf(const FILETIME &utc) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return nullptr;
  Object *date = CreateInstance(registry_find("Date"));
  if (date && !date_set_fields((DateObject *)date, st)) {
    RuntimeUnlockObject(date);
    return nullptr;
  }
  return date;
}

static Object *stampOf(Object *item, Stamp which) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!entryData(item, &data)) return nullptr;
  return dateOf(which == Stamp::Creation ? data.ftCreationTime : data.ftLastWriteTime);
}

// The date's moment as a platform file time (UTC).
static bool fileTimeOf(Object *date, FILETIME *out) {
  SYSTEMTIME st = {};
  st.wYear = (WORD)dateFieldGetter(date, (int32_t)DateField::Year);
  st.wMonth = (WORD)dateFieldGetter(date, (int32_t)DateField::Month);
  st.wDay = (WORD)dateFieldGetter(date, (int32_t)DateField::Day);
  st.wHour = (WORD)dateFieldGetter(date, (int32_t)DateField::Hour);
  st.wMinute = (WORD)dateFieldGetter(date, (int32_t)DateField::Minute);
  st.wSecond = (WORD)dateFieldGetter(date, (int32_t)DateField::Second);
  FILETIME local;
  return SystemTimeToFileTime(&st, &local) && LocalFileTimeToFileTime(&local, out);
}

// Opens the existing entry with the right to change its attributes only,
// so neither its contents nor another program's hold on it are disturbed.
static void setStamp(Object *item, Object *date, Stamp which) {
  char path[kFolderPathMax];
  FILETIME time;
  if (!date || !folderitem_copy_path(item, path) || strpbrk(path, "*?") || !fileTimeOf(date, &time))
    return folderitem_refuse(item, ERROR_INVALID_PARAMETER);
  HANDLE h = CreateFileA(path, FILE_WRITE_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (!folderitem_outcome(item, h != INVALID_HANDLE_VALUE)) return;
  bool set = which == Stamp::Creation ? SetFileTime(h, &time, nullptr, nullptr)
                                      : SetFileTime(h, nullptr, nullptr, &time);
  folderitem_outcome(item, set);
  CloseHandle(h);
}

Object *folderGetCreation(Object *item) { return stampOf(item, Stamp::Creation); }
Object *folderGetModified(Object *item) { return stampOf(item, Stamp::Modification); }
void folderSetCreation(Object *item, int32_t, Object *date) {
  setStamp(item, date, Stamp::Creation);
}
void folderSetModified(Object *item, int32_t, Object *date) {
  setStamp(item, date, Stamp::Modification);
}

/* ---- the name ---- */

// Renames the entry within its folder; a name that would move it elsewhere
// or that the file system refuses renames nothing.
void fileNameSetter(Object *item, int32_t, RString *name) {
  char path[kFolderPathMax], target[kFolderPathMax];
  const char *n = str_cview(name);
  char *slash = folderitem_copy_path(item, path) ? strrchr(path, '\\') : nullptr;
  size_t folder = slash ? (size_t)(slash - path) + 1 : 0;
  if (!name_is_plain(n) || !slash || folder + strlen(n) >= sizeof target)
    return folderitem_refuse(item, ERROR_INVALID_NAME);
  memcpy(target, path, folder);
  strcpy(target + folder, n);
  if (!folderitem_outcome(item, MoveFileA(path, target))) return;
  RString *moved = str_from(target);
  folderitem_set_path((FolderItem *)item, moved);
  RuntimeUnlockString(moved);
}

/* ---- what a Windows file does not have ---- */

RString *fileMacTypeGetter(Object *) { return nullptr; }
void fileMacTypeSetter(Object *, int32_t, RString *) {}
RString *fileMacCreatorGetter(Object *) { return nullptr; }
void fileMacCreatorSetter(Object *, int32_t, RString *) {}
int32_t fileRFSizeGetter(Object *) { return 0; }
bool fileAliasGetter(Object *) { return false; }

// The name the shell shows for the entry (which may hide the extension),
// else the name itself.
RString *FileDisplayNameGetter(Object *item) {
  char path[kFolderPathMax], shown[kFolderPathMax];
  if (folderitem_copy_path(item, path) && shell_display_name(path, shown, sizeof shown))
    return str_from(shown);
  return fileNameGetter(item);
}

// Names carry their extensions in the runtime's own texts; nothing to hide.
bool FileExtensionVisibleGetter(Object *) { return true; }
void FileExtensionVisibleSetter(Object *, int32_t, bool) {}
