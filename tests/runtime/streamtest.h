// Shared by the stream tests: a scratch folder of the test's own under the
// temporary folder (removed with everything in it at the end), files written
// and read back with plain platform calls, and streams opened on them.
#pragma once
#include "files/stream.h"
#include "variants.h"
#include <string>

class StreamTest : public PoolCheckedTest {
protected:
  void SetUp() override {
    PoolCheckedTest::SetUp();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + "streams-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  void TearDown() override {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
      DeleteFileA(path(found.cFileName).c_str()); /* "." and ".." are no files: refused */
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str())) << "a file is still open in " << folder;
    PoolCheckedTest::TearDown();
  }

  std::string path(const std::string &name) const { return folder + "\\" + name; }

  void put(const std::string &name, const std::string &bytes) {
    HANDLE h =
        CreateFileA(path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(h, bytes.data(), (DWORD)bytes.size(), &n, nullptr);
    CloseHandle(h);
  }

  // The file's bytes as another program would see them; "<locked>" when it
  // cannot be opened while others read and write it.
  std::string contents(const std::string &name) {
    HANDLE h = CreateFileA(path(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<locked>";
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD n = 0;
    ReadFile(h, bytes.data(), (DWORD)bytes.size(), &n, nullptr);
    CloseHandle(h);
    return bytes;
  }

  FileObject *open(const std::string &name, FileOpen how) {
    return file_open(path(name).c_str(), how);
  }

  std::string folder;
};
