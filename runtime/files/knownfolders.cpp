// Folder items for the well-known folders: the shell's special folders, the
// Windows, system and temporary directories, the volumes, and new temporary
// files. A folder without a file-system path gives nil.
#include "files/file.h"
#include "files/shellpath.h"
#include "text/string.h"
#include <windows.h>

// Where a well-known folder comes from: one of the shell's numbered special
// folders, or one of the platform's own directories.
enum class Source { Shell, Windows, System, Temporary, None };

struct KnownFolder {
  Source source;
  int shellNumber; // for Source::Shell
};

// Indexed by SpecialFolder: folderFindFolder takes these numbers.
static const KnownFolder kKnownFolders[] = {
    {Source::Shell, 16},    // Desktop: the desktop directory
    {Source::Shell, 5},     // Documents: personal documents
    {Source::Shell, 20},    // Fonts
    {Source::Shell, 10},    // Trash: the recycle bin
    {Source::Shell, 7},     // StartupItems: the start-up programs
    {Source::Shell, 2},     // AppleMenu: the programs menu
    {Source::Shell, 3},     // ControlPanels
    {Source::Windows, 0},   // Preferences
    {Source::Windows, 0},   // ApplicationSupport
    {Source::System, 0},    // System
    {Source::System, 0},    // Extensions
    {Source::Temporary, 0}, // TemporaryItems
    {Source::None, 0},      // ShutdownItems
};
static_assert(sizeof kKnownFolders / sizeof *kKnownFolders == kSpecialFolderCount);

// The folder's path into out; false when it has none.
static bool knownPath(const KnownFolder &k, char *out) {
  UINT n = 0;
  switch (k.source) {
  case Source::Shell:
    return shell_folder_path(k.shellNumber, out);
  case Source::Windows:
    n = GetWindowsDirectoryA(out, MAX_PATH);
    break;
  case Source::System:
    n = GetSystemDirectoryA(out, MAX_PATH);
    break;
  case Source::Temporary:
    n = GetTempPathA(MAX_PATH, out);
    break;
  case Source::None:
    break;
  }
  return n > 0 && n < MAX_PATH;
}

Object *folderFindFolder(int32_t which) {
  char path[MAX_PATH];
  if (which < 0 || which >= kSpecialFolderCount) return nullptr;
  return knownPath(kKnownFolders[which], path) ? folderitem_at(path) : nullptr;
}

static Object *special(SpecialFolder which) { return folderFindFolder((int32_t)which); }

Object *getDesktopFolder() { return special(SpecialFolder::Desktop); }
Object *GetDocumentsFolder() { return special(SpecialFolder::Documents); }
Object *getFontsFolder() { return special(SpecialFolder::Fonts); }
Object *getTrashFolder() { return special(SpecialFolder::Trash); }
Object *getStartupItemsFolder() { return special(SpecialFolder::StartupItems); }
Object *getAppleMenuFolder() { return special(SpecialFolder::AppleMenu); }
Object *getControlPanelsFolder() { return special(SpecialFolder::ControlPanels); }
Object *getPreferencesFolder() { return special(SpecialFolder::Preferences); }
Object *getApplicationSupportFolder() { return special(SpecialFolder::ApplicationSupport); }
Object *getSystemFolder() { return special(SpecialFolder::System); }
Object *getExtensionsFolder() { return special(SpecialFolder::Extensions); }
Object *getTemporaryItemsFolder() { return special(SpecialFolder::TemporaryItems); }
Object *getShutdownItemsFolder() { return nullptr; }

/* ---- volumes ---- */

constexpr int kDriveLetters = 32; /* the bits of the logical-drive mask */

// The drive number of the index-th volume: C onwards first, then A and B.
static int driveAt(int32_t index) {
  DWORD drives = GetLogicalDrives();
  for (int i = 0; i < kDriveLetters; i++) {
    int drive = (i + 2) % kDriveLetters; /* A and B come last */
    if ((drives >> drive & 1) && index-- == 0) return drive;
  }
  return -1;
}

Object *getVolume(int32_t index) {
  int drive = index >= 0 ? driveAt(index) : -1;
  if (drive < 0) return nullptr;
  char path[3] = {(char)('A' + drive), ':', 0};
  return folderitem_at(path);
}

int32_t getVolumeCount() {
  int32_t count = 0;
  for (DWORD drives = GetLogicalDrives(); drives; drives &= drives - 1) count++;
  return count;
}

// A new empty file with a unique name in the temporary-files directory.
Object *getTemporaryFolderItem() {
  char folder[MAX_PATH], path[MAX_PATH];
  UINT n = GetTempPathA(sizeof folder, folder);
  if (n == 0 || n >= sizeof folder || !GetTempFileNameA(folder, "qxt", 0, path)) return nullptr;
  return folderitem_at(path);
}
