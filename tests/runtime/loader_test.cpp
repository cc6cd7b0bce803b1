// The image loader in-process: development-mode images built with the image
// toolkit, linked against the entry table, relocated and entered; damaged
// images refused with their message and never entered.
#include "image.h"
#include "imagefile.h"
#include "recorder.h"
#include "startup/entrytable.h"
#include "startup/loader.h"
#include "lifecycle/exitlist.h"
#include "text/string.h"
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace img;

namespace {

class LoaderTest : public RuntimeTest {
protected:
  fs::path dir, home;
  Code code;
  Data data;
  CodeLabel entry;

  void SetUp() override {
    RuntimeTest::SetUp();
    home = fs::current_path();
    dir =
        fs::temp_directory_path() / ("loader-" + std::to_string(GetCurrentProcessId()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
    entry = code.here();
    code.push(ebp);
    code.mov(ebp, esp);
  }

  void TearDown() override {
    exitlist_run(); /* closes the trace log, so the next test starts its own */
    fs::current_path(home);
    std::error_code ignored; /* the resource block file stays open for the process */
    fs::remove_all(dir, ignored);
    RuntimeTest::TearDown();
  }

  // Calls an import with word arguments (pushed right to left), then removes them.
  void callImport(const char *name, std::vector<DataRef> args) {
    for (size_t i = args.size(); i-- > 0;) code.push(args[i]);
    code.call_import(name);
    code.call_descriptor();
    if (!args.empty()) code.add(esp, int32_t(4 * args.size()));
  }

  void trace(const char *text) { callImport("lineTrace", {data.string_const(text)}); }

  Image link() {
    code.leave();
    code.ret();
    code.frame_map({});
    data.set_entry(entry);
    Image image;
    std::string error;
    EXPECT_TRUE(link_image(code, data, &image, &error)) << error;
    return image;
  }

  bool load(const Image &image) {
    std::string error;
    EXPECT_TRUE(write_dat_files(image, dir, &error)) << error;
    return LoadApplicationImage();
  }

  std::string traced() {
    exitlist_run();
    std::ifstream in("trace.log", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string onlyMessage() {
    EXPECT_EQ(gRecorder.boxes.size(), 1u);
    return gRecorder.boxes.empty() ? "" : gRecorder.boxes[0].text;
  }
};

TEST_F(LoaderTest, EntryRoutineCallsTheRuntimeThroughItsImports) {
  DataLabel result = data.here();
  data.u32(0);
  trace("hello");
  callImport("RuntimeAddString", {data.string_const("a"), data.string_const("b")});
  code.mov(mem(result), eax);
  code.push(eax);
  code.call_import("LINETRACE"); /* names bind without regard to case */
  code.call_descriptor();
  code.add(esp, 4);
  ASSERT_TRUE(load(link()));
  EXPECT_EQ(traced(), "hello\rab\r");
  EXPECT_TRUE(gRecorder.boxes.empty());
  RString *joined = *(RString **)(gDataBase + *data.offset(result));
  EXPECT_EQ(std::string(str_cview(joined)), "ab");
  RuntimeUnlockString(joined);
}

TEST_F(LoaderTest, LibraryImportsBindToTheLibrarysRoutine) {
  DataLabel result = data.here();
  data.u32(0);
  code.call_import("!Xkernel32.dll!GetCurrentProcessId");
  code.call_descriptor();
  code.mov(mem(result), eax);
  ASSERT_TRUE(load(link()));
  EXPECT_EQ(*(DWORD *)(gDataBase + *data.offset(result)), GetCurrentProcessId());
}

TEST_F(LoaderTest, FailedLibraryImportsAreRefusedWithTheirMessage) {
  struct {
    const char *import, *message;
  } cases[] = {
      {"!Xnosuchlibrary.dll!Anything", "The application could not be loaded because a necessary "
                                       "shared library nosuchlibrary.dll could not be found."},
      {"!Xkernel32.dll!NoSuchRoutine", "The application could not be loaded because the routine "
                                       "NoSuchRoutine could not be found in the shared library "
                                       "kernel32.dll."},
      {"!Xkernel32.dll", "The application could not be loaded because a necessary shared library "
                         " could not be found."},
  };
  for (auto &c : cases) {
    gRecorder.boxes.clear();
    Code body;
    Data d;
    CodeLabel start = body.here();
    body.push(d.string_const("entered"));
    body.call_import("lineTrace");
    body.call_import(c.import);
    body.ret();
    d.set_entry(start);
    Image image;
    std::string error;
    ASSERT_TRUE(link_image(body, d, &image, &error)) << error;
    EXPECT_FALSE(load(image));
    EXPECT_EQ(onlyMessage(), c.message);
    EXPECT_EQ(gRecorder.boxes[0].caption, "Message");
    EXPECT_FALSE(fs::exists("trace.log")) << "the image was entered";
  }
}

// Link tables as the loader reads them, whatever a compiler would write:
// stray bytes between records, and an import whose chain is empty.
TEST_F(LoaderTest, StrayBytesAndEmptyChainsAreAccepted) {
  trace("ran");
  Image image = link();
  Bytes extra;
  std::string error;
  ASSERT_TRUE(encode_link_table({{"!Xkernel32.dll!GetTickCount", 0}, {"RuntimeBeep", 0}}, {},
                                &extra, &error));
  Bytes table = {0x00, 0x07, 0xFF};
  table.insert(table.end(), image.code2.begin(), image.code2.end());
  table.push_back(0x03);
  table.insert(table.end(), extra.begin(), extra.end());
  image.code2 = table;
  ASSERT_TRUE(load(image));
  EXPECT_EQ(traced(), "ran\r");
}

TEST_F(LoaderTest, EmptyChainOfAMissingLibraryStillFails) {
  Image image = link();
  Bytes extra;
  std::string error;
  ASSERT_TRUE(encode_link_table({{"!Xabsent.dll!F", 0}}, {}, &extra, &error));
  image.code2.insert(image.code2.end(), extra.begin(), extra.end());
  EXPECT_FALSE(load(image));
  EXPECT_NE(onlyMessage().find("absent.dll"), std::string::npos);
}

TEST_F(LoaderTest, DeferredLinksWaitForThePlugins) {
  code.call_import("!MSeparator!Draw");
  Image image = link();
  code = Code();
  ASSERT_TRUE(load(image));
  ASSERT_NE(gDeferredLinks, nullptr);
  EXPECT_EQ(std::string(str_cview(gDeferredLinks->name)), "MSeparator!Draw");
  EXPECT_NE(gDeferredLinks->chainHead, 0u);
}

// Halfwords exactly as the loader meets them: a 1-byte skip that leaves the
// cursor unaligned, ignored records, a 4096-byte skip, a 512-word run, and an
// odd trailing byte.
TEST_F(LoaderTest, RelocationRecordsMoveTheCursorAsWritten) {
  Image image = link();
  image.data1.assign(8 + 1 + 4 + 4096 + 512 * 4, 0);
  for (size_t i = 4; i + 4 <= image.data1.size(); i += 4) set_u32(image.data1, uint32_t(i), 0x10);
  set_u32(image.data1, 0, 0); /* the entry routine: code1 offset 0 */
  const uint16_t list[] = {0x4000, 0x8003, 0x8000, 0x4200, 0x4400, 0x0000, 0x8FFF, 0x41FF};
  image.data2.clear();
  for (uint16_t h : list) {
    image.data2.push_back(uint8_t(h));
    image.data2.push_back(uint8_t(h >> 8));
  }
  image.data2.push_back(0x42); /* odd length: no record */
  Bytes before = image.data1;
  ASSERT_TRUE(load(image));
  auto word = [](size_t at) { return *(uint32_t *)(gDataBase + at); };
  uintptr_t code = uintptr_t(gCodeBase), data = uintptr_t(gDataBase);
  EXPECT_EQ(word(0), code);
  EXPECT_EQ(word(9), get_u32(before.data() + (9)) + data);
  EXPECT_EQ(word(4), get_u32(before.data() + (4))); /* skipped */
  EXPECT_EQ(word(13), get_u32(before.data() + (13)));
  EXPECT_EQ(word(13 + 4096), get_u32(before.data() + (13 + 4096)) + code);
  EXPECT_EQ(word(13 + 4096 + 511 * 4), get_u32(before.data() + (13 + 4096 + 511 * 4)) + code);
}

TEST_F(LoaderTest, DamagedImagesAreRefusedAndNeverEntered) {
  trace("entered");
  const Image good = link();
  struct Case {
    const char *what;
    void (*damage)(Image &);
    const char *message;
  } cases[] = {
      {"record cut short", [](Image &i) { i.code2.pop_back(); }, "ends inside a record"},
      {"data reference outside code1",
       [](Image &i) {
         i.code2.insert(i.code2.end(), {2, 0xF0, 0xFF, 0, 0});
       },
       "a data reference lies outside the code block"},
      {"chain outside code1",
       [](Image &i) {
         i.code2.insert(i.code2.end(), {1, 0xF0, 0xFF, 0, 0, 1, 'x'});
       },
       "a call chain leaves the code block"},
      {"relocation past data1",
       [](Image &i) {
         i.data2.insert(i.data2.end(), {0xFF, 0x41});
       },
       "a relocation run reaches outside the data block"},
      {"entry outside code1", [](Image &i) { set_u32(i.data1, 0, 0x7FFFFF); },
       "its entry routine lies outside the code block"},
  };
  for (auto &c : cases) {
    gRecorder.boxes.clear();
    Image image = good;
    c.damage(image);
    EXPECT_FALSE(load(image)) << c.what;
    EXPECT_NE(onlyMessage().find(c.message), std::string::npos) << c.what << ": " << onlyMessage();
    EXPECT_FALSE(fs::exists("trace.log")) << c.what << ": the image was entered";
  }
}

TEST_F(LoaderTest, MissingDevelopmentFiles) {
  EXPECT_FALSE(LoadApplicationImage());
  EXPECT_EQ(onlyMessage().rfind("No application image was found.", 0), 0u);
  gRecorder.boxes.clear();
  ASSERT_TRUE(write_file("code1.dat", {0xC3}, nullptr));
  EXPECT_FALSE(LoadApplicationImage());
  EXPECT_EQ(onlyMessage(), "The application could not be loaded because the file code2.dat "
                           "could not be read.");
}

TEST_F(LoaderTest, ImportsThatNameNoRoutineReportTheirNameWhenCalled) {
  code.call_import("NoSuchEntryPoint");
  Image missing = link();
  EXPECT_EXIT(load(missing), testing::ExitedWithCode(0),
              "\\[message box\\] The application called \"NoSuchEntryPoint\".*\n\\[exit\\] 0");
}

TEST_F(LoaderTest, ResourceBlockEntriesAreFoundFromTheEndOfTheOffsetTable) {
  Image image = link();
  ASSERT_TRUE(load(image));
  Bytes block = {0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 3, 'a', 'b', 'c', 'd', 'e'};
  ASSERT_TRUE(write_file("data3.dat", block, nullptr));
  HANDLE file;
  uint32_t at;
  ASSERT_TRUE(ReadResourceBlockEntry(1, &file, &at));
  EXPECT_EQ(at, 12u);
  ASSERT_TRUE(ReadResourceBlockEntry(2, &file, &at));
  EXPECT_EQ(at, 15u);
  EXPECT_FALSE(ReadResourceBlockEntry(3, &file, &at));
  EXPECT_FALSE(ReadResourceBlockEntry(0, &file, &at));
}

} // namespace
