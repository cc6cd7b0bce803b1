// The shell's services for paths: special-folder locations resolved to a path
// (the id list freed with the shell's allocator), display names, opening.
#include "files/shellpath.h"
#include <shlobj.h>
#include <shellapi.h>
#include <cstring>

bool shell_folder_path(int which, char *out) {
  LPITEMIDLIST ids = nullptr;
  out[0] = 0;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, which, &ids)) || !ids) return false;
  bool found = SHGetPathFromIDListA(ids, out) && out[0];
  CoTaskMemFree(ids);
  return found;
}

bool shell_display_name(const char *path, char *out, int size) {
  SHFILEINFOA info = {};
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return false;
  if (!SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_DISPLAYNAME) || !info.szDisplayName[0])
    return false;
  if ((int)strlen(info.szDisplayName) >= size) return false;
  strcpy(out, info.szDisplayName);
  return true;
}

// No message of the shell's own: a refusal is the caller's to report.
bool shell_open(const char *path) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "open";
  info.lpFile = path;
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExA(&info) != FALSE;
}

bool shell_browse_folder(HWND owner, const char *prompt, char *out) {
  BROWSEINFOA info = {};
  info.hwndOwner = owner;
  info.pszDisplayName = out;
  info.lpszTitle = prompt;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST ids = SHBrowseForFolderA(&info);
  if (!ids) return false;
  bool found = SHGetPathFromIDListA(ids, out) && out[0];
  CoTaskMemFree(ids);
  return found;
}
