// Shared by the folder-item tests: the streams' scratch folder, here also
// holding folders and read-only files (cleared out before it is removed),
// and items for paths in it.
#pragma once
#include "files/file.h"
#include "streamtest.h"
#include <string>

// An item's AbsolutePath, or "<nil>"; the item is released.
inline std::string pathOf(Object *item) {
  if (!item) return "<nil>";
  std::string p = take(fileAbsolutePathGetter(item));
  RuntimeUnlockObject(item);
  return p;
}

class FolderTest : public StreamTest {
protected:
  void TearDown() override {
    folder_listing_forget();
    clearOut(folder);
    StreamTest::TearDown();
  }

  // Makes every file in the folder deletable and removes its folders with
  // all they hold; the folder itself, and its files, go too when asked.
  static void clearOut(const std::string &dir, bool whole = false) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
      std::string name = found.cFileName, p = dir + "\\" + name;
      if (name == "." || name == "..") continue;
      SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) clearOut(p, true);
      else if (whole) DeleteFileA(p.c_str());
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    if (whole) RemoveDirectoryA(dir.c_str());
  }

  bool present(const std::string &name) {
    return GetFileAttributesA(path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  // An item for a full path, unchecked.
  static Object *at(const std::string &fullPath) { return folderitem_at(fullPath.c_str()); }
  Object *item(const std::string &name) const { return at(path(name)); }

  static int32_t lastError(Object *item) { return ((FolderItem *)item)->lastError; }
};
