// Folder-item properties on a scratch folder: paths and parents, Exists and
// bad names, Length past 4 GB, attributes, dates, and renaming with its refusals.
#include "foldertest.h"
#include "objects/date.h"
#include "objects/registry.h"
#include <gtest/gtest.h>
#include <winioctl.h>

namespace {

using FolderPropsTest = FolderTest;

TEST_F(FolderPropsTest, PathsAndParents) {
  RString *missingParent = str_from((folder + "\\no such folder\\x.txt").c_str());
  EXPECT_EQ(pathOf(RuntimeGetFolderItem(missingParent)), "<nil>");
  RuntimeUnlockString(missingParent);

  EXPECT_EQ(pathOf(at(folder + "\\")), folder) << "one trailing separator is dropped";
  EXPECT_EQ(pathOf(folderParentGetter(Ref(item("a.txt")))), folder);
  for (const char *root : {"C:\\", "C:", "\\\\server\\share", "\\\\server\\share\\"})
    EXPECT_EQ(pathOf(folderParentGetter(Ref(at(root)))), "<nil>") << root;
  EXPECT_EQ(pathOf(folderParentGetter(Ref(at("\\\\server\\share\\x")))), "\\\\server\\share");

  RString *up = str_from("..\\x"), *plain = str_from("x.txt");
  Ref scratch(at(folder));
  EXPECT_EQ(pathOf(FolderChild(scratch, up)), "<nil>") << "a child stays in its folder";
  EXPECT_EQ(pathOf(FolderChild(scratch, plain)), path("x.txt"));
  for (const char *escape : {"a\\b", "C:\\x", "a/b", ".."}) {
    RString *s = str_from(escape);
    EXPECT_EQ(pathOf(FolderChild(scratch, s)), "<nil>") << escape;
    RuntimeUnlockString(s);
  }
  RuntimeUnlockString(up);
  RuntimeUnlockString(plain);
}

TEST_F(FolderPropsTest, ExistsOnlyForOneRealEntry) {
  put("real.txt", "abc");
  struct {
    std::string path;
    bool exists;
  } const cases[] = {
      {path("real.txt"), true},
      {path("REAL.TXT"), true},
      {path("missing.txt"), false},
      {path("*.txt"), false},
      {path("r?al.txt"), false},
      {path("CON"), false},
      {path("NUL"), false},
      {path("COM1"), false},
      {path("bad|name"), false},
      {folder, true},
      {"C:", true},
      {"C:\\", true},
      {path(std::string(300, 'x')), false},
  };
  for (auto &c : cases) {
    Ref it(at(c.path));
    EXPECT_EQ(fileExistsGetter(it), c.exists) << c.path;
  }
  Ref drive(at("C:")), file(item("real.txt"));
  EXPECT_TRUE(fileDirectoryGetter(drive));
  EXPECT_FALSE(fileDirectoryGetter(file));
  EXPECT_EQ(fileSizeGetter(file), 3);

  DeleteFileA(path("real.txt").c_str()); /* gone between two calls */
  EXPECT_FALSE(fileExistsGetter(file));
  EXPECT_EQ(fileSizeGetter(file), 0);
  EXPECT_EQ(folderGetModified(file), nullptr);
}

TEST_F(FolderPropsTest, LengthsPastTwoGigabytesHoldAtTheLargestInteger) {
  HANDLE h =
      CreateFileA(path("big.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD unused;
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
  LARGE_INTEGER size;
  size.QuadPart = 5LL << 30; /* 5 GB: wrapped to 32 bits it would read 1 GB */
  SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
  bool made = SetEndOfFile(h);
  CloseHandle(h);
  if (!made) GTEST_SKIP() << "the file system refuses a 5 GB file";
  EXPECT_EQ(fileSizeGetter(Ref(item("big.bin"))), 0x7FFFFFFF);
}

TEST_F(FolderPropsTest, AttributesAndDates) {
  put("a.txt", "x");
  Ref file(item("a.txt"));
  EXPECT_FALSE(fileLockedGetter(file));
  fileLockedSetter(file, 0, true);
  EXPECT_TRUE(fileLockedGetter(file));
  FolderItemDelete(file);
  EXPECT_TRUE(present("a.txt")) << "a read-only file is not deleted";
  EXPECT_NE(lastError(file), 0);
  fileLockedSetter(file, 0, false);
  EXPECT_EQ(lastError(file), 0);

  EXPECT_TRUE(fileVisibleGetter(file));
  fileVisibleSetter(file, 0, false);
  EXPECT_FALSE(fileVisibleGetter(file));
  EXPECT_TRUE(GetFileAttributesA(path("a.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);

  Ref when(CreateInstance(registry_find("Date")));
  SYSTEMTIME st = {2001, 2, 0, 3, 4, 5, 6, 0};
  ASSERT_TRUE(date_set_fields((DateObject *)when.get(), st));
  folderSetModified(file, 0, when);
  folderSetCreation(file, 0, when);
  for (Object *got : {folderGetModified(file), folderGetCreation(file)}) {
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(dateFieldGetter(got, (int32_t)DateField::Year), 2001);
    EXPECT_EQ(dateFieldGetter(got, (int32_t)DateField::Month), 2);
    EXPECT_EQ(dateFieldGetter(got, (int32_t)DateField::Day), 3);
    EXPECT_EQ(dateFieldGetter(got, (int32_t)DateField::Hour), 4);
    EXPECT_EQ(dateFieldGetter(got, (int32_t)DateField::Second), 6);
    RuntimeUnlockObject(got);
  }
  EXPECT_EQ(contents("a.txt"), "x") << "setting a date leaves the contents alone";
  Ref missing(item("missing.txt"));
  folderSetModified(missing, 0, when);
  EXPECT_FALSE(present("missing.txt")) << "no file is made to carry a date";
  EXPECT_NE(lastError(missing), 0);
}

TEST_F(FolderPropsTest, RenamingStaysInTheFolder) {
  put("a.txt", "x");
  Ref file(item("a.txt"));
  for (const char *refused :
       {"..", "sub\\b.txt", "C:b.txt", "b/c.txt", "b*.txt", "NUL", "CON.txt", "", "a<b"}) {
    RString *name = str_from(refused);
    fileNameSetter(file, 0, name);
    RuntimeUnlockString(name);
    EXPECT_TRUE(present("a.txt")) << refused;
    EXPECT_EQ(pathOf((RuntimeLockObject(file), file.get())), path("a.txt")) << refused;
    EXPECT_NE(lastError(file), 0) << refused;
  }
  RString *name = str_from("b.txt");
  fileNameSetter(file, 0, name);
  RuntimeUnlockString(name);
  EXPECT_FALSE(present("a.txt"));
  EXPECT_EQ(contents("b.txt"), "x");
  EXPECT_EQ(take(fileNameGetter(file)), "b.txt");
  EXPECT_EQ(lastError(file), 0);
}

} // namespace
