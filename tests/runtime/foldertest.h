// Shared by the folder-item tests: a scratch folder of the test's own under
// the temporary folder (removed with everything in it at the end, read-only
// files included), and items for paths in it.
#pragma once
#include "files/file.h"
#include "variants.h"
#include <string>

// An item's AbsolutePath, or "<nil>"; the item is released.
inline std::string pathOf(Object *item) {
  if (!item) return "<nil>";
  std::string p = take(fileAbsolutePathGetter(item));
  RuntimeUnlockObject(item);
  return p;
}

class FolderTest : public PoolCheckedTest {
protected:
  void SetUp() override {
    PoolCheckedTest::SetUp();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + "folders-" + std::to_string(GetCurrentProcessId());
    removeTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  void TearDown() override {
    folder_listing_forget();
    EXPECT_TRUE(removeTree(folder)) << "something in " << folder << " is still open";
    PoolCheckedTest::TearDown();
  }

  static bool removeTree(const std::string &dir) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
      std::string name = found.cFileName, p = dir + "\\" + name;
      if (name == "." || name == "..") continue;
      SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeTree(p);
      else
        DeleteFileA(p.c_str());
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return RemoveDirectoryA(dir.c_str()) != 0;
  }

  std::string path(const std::string &name) const { return folder + "\\" + name; }

  void put(const std::string &name, const std::string &bytes) {
    HANDLE h =
        CreateFileA(path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(h, bytes.data(), (DWORD)bytes.size(), &n, nullptr);
    CloseHandle(h);
  }

  std::string contents(const std::string &name) {
    HANDLE h = CreateFileA(path(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD n = 0;
    ReadFile(h, bytes.data(), (DWORD)bytes.size(), &n, nullptr);
    CloseHandle(h);
    return bytes;
  }

  bool present(const std::string &name) {
    return GetFileAttributesA(path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  // An item for a full path, unchecked.
  static Object *at(const std::string &fullPath) { return folderitem_at(fullPath.c_str()); }
  Object *item(const std::string &name) const { return at(path(name)); }

  static int32_t lastError(Object *item) { return ((FolderItem *)item)->lastError; }

  std::string folder;
};
