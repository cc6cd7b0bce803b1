// The fixture of the end-to-end image tests: a scratch folder, running an
// executable there under Wine (with the driver answering a message box), and
// packing an image into a copy of the runtime.
#pragma once
#include "image.h"
#include "imagefile.h"
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

inline std::string readText(const fs::path &path) {
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
    dir = fs::temp_directory_path() /
          ("image-run-" + std::to_string(getpid()) + "-" +
           std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    if (!getenv("KEEP_IMAGE_DIRS")) fs::remove_all(dir); /* kept for a look when asked */
  }

  // Runs exe in dir. With a message box expected, the driver reads it and
  // presses OK, as a person would.
  Outcome run(const fs::path &exe, bool expectBox, const std::string &arguments = "") {
    std::string start = "timeout 120 '" WINE_RUN "' '" + exe.string() + "' " + arguments +
                        " >run.out 2>&1; echo $? >run.rc";
    std::string command = "cd '" + dir.string() + "' && { ";
    if (expectBox)
      command += "{ " + start +
                 "; } & timeout 120 '" WINE_RUN "' '" DRIVER_EXE
                 "' message --timeout 60 --process '" +
                 exe.filename().string() + "' >box.txt 2>&1; wait; }";
    else
      command += start + "; }";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    Outcome r;
    r.exitCode = std::stoi("0" + readText(dir / "run.rc"));
    if (fs::exists(dir / "trace.log")) r.trace = readText(dir / "trace.log");
    if (expectBox) r.box = readText(dir / "box.txt");
    return r;
  }

  void writeDat(const img::Image &image) {
    std::string error;
    ASSERT_TRUE(img::write_dat_files(image, dir, &error)) << error;
  }

  fs::path pack(const img::Image &image) {
    std::string error;
    EXPECT_TRUE(img::write_file(dir / "app.img", img::write_appended(image), &error)) << error;
    fs::path out = dir / "app.exe";
    std::string command = "'" PACKER "' pack '" RUNTIME_EXE "' '" + (dir / "app.img").string() +
                          "' '" + out.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    fs::remove(dir / "app.img");
    return out;
  }
};
