// runtime.exe running real images under Wine: from the development files in
// its working directory, and appended to the executable by the packer. What
// an image did is read back from trace.log; message boxes through the driver.
#include "image.h"
#include "imagefile.h"
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace img;

namespace {

std::string readText(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Outcome {
  int exitCode = -1;
  std::string trace; // trace.log, or "" when the image wrote none
  std::string box;   // what the driver read from the message box, if one was expected
};

class ImageRunTest : public testing::Test {
protected:
  fs::path dir;

  void SetUp() override {
    dir =
        fs::temp_directory_path() /
        ("image-run-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  // Runs exe in dir. With a message box expected, the driver reads it and
  // presses OK, as a person would.
  Outcome run(const fs::path &exe, bool expectBox) {
    std::string start =
        "timeout 120 '" WINE_RUN "' '" + exe.string() + "' >run.out 2>&1; echo $? >run.rc";
    std::string command = "cd '" + dir.string() + "' && { ";
    if (expectBox)
      command += "{ " + start +
                 "; } & timeout 120 '" WINE_RUN "' '" DRIVER_EXE
                 "' message --timeout 60 >box.txt 2>&1; wait; }";
    else
      command += start + "; }";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    Outcome r;
    r.exitCode = std::stoi("0" + readText(dir / "run.rc"));
    if (fs::exists(dir / "trace.log")) r.trace = readText(dir / "trace.log");
    if (expectBox) r.box = readText(dir / "box.txt");
    return r;
  }

  void writeDat(const Image &image) {
    std::string error;
    ASSERT_TRUE(write_dat_files(image, dir, &error)) << error;
  }

  fs::path pack(const Image &image) {
    std::string error;
    EXPECT_TRUE(write_file(dir / "app.img", write_appended(image), &error)) << error;
    fs::path out = dir / "app.exe";
    std::string command = "'" PACKER "' pack '" RUNTIME_EXE "' '" + (dir / "app.img").string() +
                          "' '" + out.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    fs::remove(dir / "app.img");
    return out;
  }
};

// An image whose entry routine traces "hello", then the join of "a" and "b".
Image helloImage(const char *extraImport = nullptr) {
  Code code;
  Data data;
  CodeLabel entry = code.here();
  code.push(ebp);
  code.mov(ebp, esp);
  code.push(data.string_const("hello"));
  code.call_import("lineTrace");
  code.call_descriptor();
  code.add(esp, 4);
  code.push(data.string_const("b"));
  code.push(data.string_const("a"));
  code.call_import("RuntimeAddString");
  code.call_descriptor();
  code.add(esp, 8);
  code.push(eax);
  code.call_import("lineTrace");
  code.call_descriptor();
  code.call_import("RuntimeUnlockString"); /* the joined string is still on the stack */
  code.call_descriptor();
  code.add(esp, 4);
  if (extraImport) code.call_import(extraImport);
  code.leave();
  code.ret();
  code.frame_map({});
  data.set_entry(entry);
  Image image;
  std::string error;
  EXPECT_TRUE(link_image(code, data, &image, &error) && verify_image(image, &error)) << error;
  return image;
}

TEST_F(ImageRunTest, DevelopmentFilesInTheWorkingDirectoryAreRun) {
  writeDat(helloImage());
  Outcome r = run(RUNTIME_EXE, false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "hello\rab\r");
}

TEST_F(ImageRunTest, PackedExecutableRunsItsOwnImage) {
  fs::path exe = pack(helloImage());
  Outcome r = run(exe, false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "hello\rab\r");
}

TEST_F(ImageRunTest, MissingLibraryIsReportedAndTheImageNeverEntered) {
  writeDat(helloImage("!Xmissing.dll!Anything"));
  Outcome r = run(RUNTIME_EXE, true);
  EXPECT_EQ(r.box, "caption: Message\ntext: The application could not be loaded because a "
                   "necessary shared library missing.dll could not be found.\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "");
}

TEST_F(ImageRunTest, TruncatedPackedImageIsRefused) {
  fs::path exe = pack(helloImage());
  fs::resize_file(exe, fs::file_size(exe) - 3);
  Outcome r = run(exe, true);
  EXPECT_EQ(r.box, "caption: Message\ntext: The application could not be loaded because its "
                   "image is damaged: the data2 block runs past the end of the file.\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "");
}

TEST_F(ImageRunTest, RuntimeWithoutAnImageSaysSo) {
  Outcome r = run(RUNTIME_EXE, true);
  EXPECT_NE(r.box.find("text: No application image was found."), std::string::npos) << r.box;
  EXPECT_EQ(r.exitCode, 0);
}

} // namespace
