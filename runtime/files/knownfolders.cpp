// Folder items for the shell's special folders; a folder without a
// file-system path gives nil.
#include "files/file.h"
#include "files/shellpath.h"
#include "text/string.h"
#include <windows.h>

constexpr int kFontsFolder = 20; /* the shell's fonts folder */

static Object *shellFolder(int which) {
  char path[MAX_PATH];
  if (!shell_folder_path(which, path)) return nullptr;
  RString *text = str_from(path);
  Object *item = FolderItemFromPath(text);
  RuntimeUnlockString(text);
  return item;
}

Object *getFontsFolder() { return shellFolder(kFontsFolder); }
