// The embedded engine over Win32 files: a database written, committed and
// read back after reopening; a second opener refused as "in use"; a missing
// file and a read-only file reported with their own codes.
#include "database/enginefile.h"
#include "dbengine/embedded.h"

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace {

DbText T(const char *s) { return DbText{s, static_cast<uint32_t>(strlen(s))}; }

class EngineFile : public ::testing::Test {
protected:
  std::string path;
  void SetUp() override {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    path = std::string(dir) + "enginefile_test.db";
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    DeleteFileA((path + "-journal").c_str());
  }
  void TearDown() override {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
};

TEST_F(EngineFile, CommittedRowsSurviveReopeningAndASecondOpenerIsRefused) {
  DbOpenError err;
  EXPECT_EQ(embedded_open(dbfile_win32(), path.c_str(), 0, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrCannotOpen);
  DbEngine *e = embedded_open(dbfile_win32(), path.c_str(), kDbOpenCreate, &err);
  ASSERT_NE(e, nullptr) << err.message;
  DbColumn cols[] = {{T("id"), kDbInteger, 0}, {T("name"), kDbText, 1}};
  uint8_t key = 0;
  ASSERT_TRUE(e->ops->createTable(e, T("people"), cols, 2, &key, 1));
  for (int i = 0; i < 500; i++) {
    std::string id = std::to_string(i);
    DbAssignment a[] = {{T("id"), DbText{id.data(), static_cast<uint32_t>(id.size())}, 0},
                        {T("name"), T("Ann"), 1}};
    ASSERT_TRUE(e->ops->insert(e, T("people"), a, 2));
  }
  ASSERT_TRUE(e->ops->commit(e));
  EXPECT_EQ(embedded_open(dbfile_win32(), path.c_str(), 0, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrInUse) << err.message;
  EXPECT_EQ(embedded_open(dbfile_win32(), path.c_str(), kDbOpenReadOnly, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrInUse);
  embedded_close(e);
  EXPECT_EQ(GetFileAttributesA((path + "-journal").c_str()), INVALID_FILE_ATTRIBUTES);

  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(embedded_open(dbfile_win32(), path.c_str(), 0, &err), nullptr);
  EXPECT_EQ(err.code, kDbErrReadOnly) << err.message;
  e = embedded_open(dbfile_win32(), path.c_str(), kDbOpenReadOnly, &err);
  ASSERT_NE(e, nullptr) << err.message;
  EXPECT_TRUE(embedded_check(e));
  DbCondition w = {kDbEqual, kDbNoFunction, T("id"), T(""), T("321"), 0, T(""), nullptr, nullptr};
  DbCursor *c = e->ops->openCursor(e, T("people"), nullptr, 0, &w);
  ASSERT_NE(c, nullptr);
  EXPECT_FALSE(c->ops->atEnd(c));
  DbValue v;
  c->ops->value(c, 0, &v);
  EXPECT_EQ(v.integer, 321);
  c->ops->close(c);
  embedded_close(e);
}

} // namespace
