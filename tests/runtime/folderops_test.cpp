// Folder-item operations on a scratch folder: the listing and its refresh
// rule, copying and moving files and folder trees, the openers, the
// well-known folders and volumes, file types and the dialogs' filter.
#include "foldertest.h"
#include "files/filedialog.h"
#include "files/filetypes.h"
#include "files/stream.h"
#include "lifecycle/settings.h"
#include <gtest/gtest.h>

namespace {

class FolderOpsTest : public FolderTest {
protected:
  // Whether the platform lets this process write the file: false for a
  // read-only file, unless the process may write whatever it likes.
  bool writable(const std::string &name) {
    HANDLE h = CreateFileA(path(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
  }
};

TEST_F(FolderOpsTest, ItemsComeFromTheListingAndOutOfRangeAsksForAFreshOne) {
  put("one.txt", "1");
  put("two.txt", "2");
  Ref scratch(at(folder));
  ASSERT_EQ(fileCountGetter(scratch), 2);
  EXPECT_EQ(pathOf(FolderItemItem(scratch, 0)), "<nil>");
  EXPECT_EQ(pathOf(FolderItemItem(scratch, 3)), "<nil>");
  std::string first = pathOf(FolderItemItem(scratch, 1));
  EXPECT_TRUE(first == path("one.txt") || first == path("two.txt")) << first;

  put("three.txt", "3");
  EXPECT_EQ(pathOf(FolderItemTrueItem(scratch, 3)), "<nil>") << "the cached listing has two";
  EXPECT_NE(pathOf(FolderItemItem(scratch, 3)), "<nil>") << "after a miss the folder is re-listed";
  EXPECT_EQ(fileCountGetter(Ref(item("missing"))), 0);
}

TEST_F(FolderOpsTest, CopiesFilesAndFolderTreesButNeverIntoThemselves) {
  CreateDirectoryA(path("tree").c_str(), nullptr);
  CreateDirectoryA(path("tree\\inner").c_str(), nullptr);
  put("tree\\a.txt", "a");
  put("tree\\inner\\b.txt", "b");
  CreateDirectoryA(path("out").c_str(), nullptr);
  Ref tree(item("tree")), out(item("out")), inner(item("tree\\inner"));

  FolderItemCopyFileTo(tree, out);
  EXPECT_EQ(contents("out\\tree\\a.txt"), "a");
  EXPECT_EQ(contents("out\\tree\\inner\\b.txt"), "b");
  EXPECT_EQ(lastError(tree), 0);

  FolderItemCopyFileTo(tree, inner);
  EXPECT_FALSE(present("tree\\inner\\tree")) << "a folder is not copied into itself";
  EXPECT_NE(lastError(tree), 0);
  FolderItemCopyFileTo(tree, tree);
  EXPECT_NE(lastError(tree), 0);

  Ref a(item("tree\\a.txt")), copy(item("c.txt"));
  put("c.txt", "old");
  FolderItemCopyFileTo(a, copy);
  EXPECT_EQ(contents("c.txt"), "a") << "the copy overwrites";
  FolderItemMoveFileTo(copy, out);
  EXPECT_FALSE(present("c.txt"));
  EXPECT_EQ(contents("out\\c.txt"), "a");

  Ref made(item("new folder"));
  FolderItemCreateAsFolder(made);
  EXPECT_TRUE(fileDirectoryGetter(made));
  FolderItemDelete(made);
  EXPECT_FALSE(present("new folder"));
  FolderItemDelete(tree);
  EXPECT_TRUE(present("tree")) << "a folder is not emptied first";
}

TEST_F(FolderOpsTest, OpenersHandTheFileToStreams) {
  put("log.txt", "first\r\n");
  Ref log(item("log.txt"));
  Object *out = FolderItemAppendTextFile(log);
  ASSERT_NE(out, nullptr);
  RString *line = str_from("second");
  TextOutputStreamWriteLine(out, line);
  TextOutputStreamClose(out);
  RuntimeUnlockObject(out);
  EXPECT_EQ(contents("log.txt"), "first\r\nsecond\r\n") << "append keeps the contents";

  Object *in = FolderItemOpenTextFile(log);
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(take(TextInputStreamReadLine(in)), "first");
  RuntimeUnlockObject(in);

  Ref fresh(item("fresh.txt"));
  out = FolderItemAppendTextFile(fresh);
  ASSERT_NE(out, nullptr) << "append makes a missing file";
  RuntimeUnlockObject(out);
  out = FolderItemCreateTextFile(log);
  TextOutputStreamWrite(out, line);
  RuntimeUnlockObject(out);
  EXPECT_EQ(contents("log.txt"), "second") << "create starts afresh";
  RuntimeUnlockString(line);

  SetFileAttributesA(path("log.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  if (!writable("log.txt")) { /* an administrator may write anyway */
    EXPECT_EQ(FolderItemOpenBinaryFile(log, true), nullptr) << "a read-only file";
    EXPECT_EQ(FolderItemAppendTextFile(log), nullptr);
  }
  EXPECT_EQ(contents("log.txt"), "second") << "a refused append cuts nothing";
  Object *reader = FolderItemOpenBinaryFile(log, false);
  EXPECT_NE(reader, nullptr);
  RuntimeUnlockObject(reader);
  for (const char *bad : {"missing.txt", "*.txt", "NUL", "COM1.txt"})
    EXPECT_EQ(FolderItemOpenTextFile(Ref(item(bad))), nullptr) << bad;
  EXPECT_EQ(FolderItemCreateBinaryFile(Ref(item("CON"))), nullptr);
  EXPECT_EQ(FolderItemOpenMovie(log), nullptr);
}

TEST_F(FolderOpsTest, SoundsAreKnownByTheirFirstBytes) {
  struct {
    const char *bytes;
    bool sound;
  } const cases[] = {
      {"RIFF", true},
      {"MThd", true},
      {"ID3\x03", true},
      {"\xFF\xFB\x90\x00", true},  /* MPEG 1 layer 3, 128 kbit/s, 44.1 kHz */
      {"\xFF\xEB\x90\x00", false}, /* reserved version */
      {"\xFF\xF9\x90\x00", false}, /* reserved layer */
      {"\xFF\xFB\x0C\x00", false}, /* bit rate index 0, reserved rate */
      {"\xFF\xFB\x90\x02", false}, /* reserved emphasis */
      {"text", false},
  };
  for (auto &c : cases)
    EXPECT_EQ(sound_header_known((const uint8_t *)c.bytes, 4), c.sound) << c.bytes;
  EXPECT_FALSE(sound_header_known((const uint8_t *)"RI", 2));
}

TEST_F(FolderOpsTest, WellKnownFoldersAndVolumes) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string t = temp;
  EXPECT_EQ(pathOf(getTemporaryItemsFolder()), t.substr(0, t.size() - 1));
  EXPECT_EQ(pathOf(getShutdownItemsFolder()), "<nil>");
  EXPECT_EQ(pathOf(folderFindFolder(-1)), "<nil>");
  EXPECT_EQ(pathOf(folderFindFolder(kSpecialFolderCount)), "<nil>");
  Ref system(getSystemFolder());
  EXPECT_TRUE(fileDirectoryGetter(system));

  Ref temporary(getTemporaryFolderItem());
  ASSERT_NE(temporary.get(), nullptr);
  EXPECT_TRUE(fileExistsGetter(temporary)) << "the request makes the file";
  EXPECT_EQ(take(fileNameGetter(temporary)).substr(0, 3), "qxt");
  FolderItemDelete(temporary);

  int32_t count = getVolumeCount();
  ASSERT_GE(count, 1);
  EXPECT_EQ(pathOf(getVolume(0)), "C:") << "C: comes before every other drive";
  EXPECT_EQ(pathOf(getVolume(count)), "<nil>");
  EXPECT_EQ(pathOf(getVolume(-1)), "<nil>");
}

// Registered file types for one test; the list is put back afterwards.
class FileTypesTest : public FolderTest {
protected:
  void SetUp() override {
    FolderTest::SetUp();
    saved = gSettings.fileTypes;
    vec_init(&gSettings.fileTypes);
    add("Text", ".txt;.text", "TEXT");
    add("Any", "", "????");
    add("Archive", ".gz;.tar.gz", "GZIP");
  }
  void TearDown() override {
    for (FileType &t : types)
      for (RString *s : {t.name, t.creator, t.type, t.extensions}) RuntimeUnlockString(s);
    vec_dispose(&gSettings.fileTypes);
    gSettings.fileTypes = saved;
    FolderTest::TearDown();
  }
  void add(const char *name, const char *extensions, const char *code) {
    types[count] = {str_from(name), nullptr, str_from(code), str_from(extensions)};
    vec_append_ptr(&gSettings.fileTypes, &types[count++]);
  }
  FileType types[3] = {};
  int count = 0;
  Vector saved;
};

TEST_F(FileTypesTest, TypeIsTheBestMatch) {
  EXPECT_EQ(take(fileTypeGetter(Ref(item("a.TXT")))), "Text");
  EXPECT_EQ(take(fileTypeGetter(Ref(item("a.tar.gz")))), "Archive");
  EXPECT_EQ(take(fileTypeGetter(Ref(item("a.doc")))), "Any") << "the catch-all";
}

TEST_F(FileTypesTest, FilterListsTheNamedTypes) {
  FileFilter f;
  ASSERT_TRUE(filter_build("text;Missing;Any", &f));
  EXPECT_EQ(std::string(f.text, f.length + 1), std::string("Text\0*.txt;*.text\0Any\0*.*\0\0", 27));
  EXPECT_STREQ(f.extension, "txt");
  EXPECT_FALSE(filter_build("Missing", &f));
  EXPECT_EQ(f.text[0], 0);
}

TEST(DialogNames, LongNamesAreCutWithoutSplittingACharacter) {
  char out[8];
  EXPECT_TRUE(dialog_copy_name(out, sizeof out, "short"));
  EXPECT_STREQ(out, "short");
  EXPECT_FALSE(dialog_copy_name(out, sizeof out, "abcdefghij"));
  EXPECT_STREQ(out, "abcdefg");
  EXPECT_FALSE(dialog_copy_name(out, sizeof out, "abcdef\x83\x41xyz")) << "a Shift-JIS pair";
  EXPECT_STREQ(out, "abcdef");
  std::string longName(300, 'n');
  char buffer[kDialogNameMax];
  EXPECT_FALSE(dialog_copy_name(buffer, sizeof buffer, longName.c_str()));
  EXPECT_EQ(strlen(buffer), size_t(kDialogNameMax - 1));
}

} // namespace
