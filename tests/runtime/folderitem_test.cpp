// Finding folder items: from the application's folder (relative and absolute
// paths, a missing folder), and as a folder's child with the separator rule.
#include "describe.h"
#include "recorder.h"
#include "files/file.h"
#include <gtest/gtest.h>
#include <string>

namespace {

class FolderItemTest : public RuntimeTest {
protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
  }
  // The item's absolute path, the item released; "<nil>" for none.
  static std::string pathOf(Object *item) {
    if (!item) return "<nil>";
    RString *path = fileAbsolutePathGetter(item);
    std::string text = str_cview(path);
    RuntimeUnlockString(path);
    RuntimeUnlockObject(item);
    return text;
  }
  static std::string find(const char *text) {
    RString *s = str_from(text);
    std::string path = pathOf(RuntimeGetFolderItem(s));
    RuntimeUnlockString(s);
    return path;
  }
  static std::string child(const char *folder, const char *name) {
    RString *f = str_from(folder), *n = str_from(name);
    Object *parent = FolderItemFromPath(f);
    std::string path = pathOf(FolderChild(parent, n));
    RuntimeUnlockObject(parent);
    RuntimeUnlockString(f);
    RuntimeUnlockString(n);
    return path;
  }
};

std::string applicationFolder() {
  char name[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, name, sizeof name);
  while (n > 0 && name[n - 1] != '\\') n--;
  return std::string(name, n > 0 ? n - 1 : 0);
}

TEST_F(FolderItemTest, GetFolderItemJoinsTheApplicationFolderWhenTheFolderExists) {
  std::string app = applicationFolder();
  EXPECT_EQ(find("drawing.bmp"), app + "\\drawing.bmp") << "the file need not exist";
  EXPECT_EQ(find("no such folder\\drawing.bmp"), "<nil>");
  size_t up = app.rfind('\\');
  EXPECT_EQ(find("..\\x.txt"), app.substr(0, up) + "\\x.txt") << "the path is normalised";

  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string absolute = std::string(temp) + "picture.png";
  EXPECT_EQ(find(absolute.c_str()), absolute) << "an absolute path is taken as it is";
  EXPECT_EQ(find("C:\\"), "C:") << "a drive's root lies in no folder but exists";
}

TEST_F(FolderItemTest, NameIsThePathsLastPart) {
  RString *path = str_from("C:\\windows\\fonts\\"), *drive = str_from("C:\\");
  Object *folder = FolderItemFromPath(path), *root = FolderItemFromPath(drive);
  RString *name = fileNameGetter(folder), *rootName = fileNameGetter(root);
  EXPECT_STREQ(str_cview(name), "fonts");
  EXPECT_STREQ(str_cview(rootName), "C:");
  for (RString *s : {path, drive, name, rootName}) RuntimeUnlockString(s);
  RuntimeUnlockObject(folder);
  RuntimeUnlockObject(root);
}

TEST_F(FolderItemTest, ChildAddsOneSeparator) {
  EXPECT_EQ(child("C:\\windows", "fonts"), "C:\\windows\\fonts");
  EXPECT_EQ(child("C:\\windows\\", "fonts"), "C:\\windows\\fonts");
  EXPECT_EQ(child("C:\\", "windows"), "C:\\windows");
}

} // namespace
