// The shell's special-folder location resolved to a path, its id list freed
// with the shell's allocator.
#include "files/shellpath.h"
#include <shlobj.h>

bool shell_folder_path(int which, char *out) {
  LPITEMIDLIST ids = nullptr;
  out[0] = 0;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, which, &ids)) || !ids) return false;
  bool found = SHGetPathFromIDListA(ids, out) && out[0];
  CoTaskMemFree(ids);
  return found;
}
