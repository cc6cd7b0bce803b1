// runtime.exe running real images under Wine: from the development files in
// its working directory, and appended to the executable by the packer. What
// an image did is read back from trace.log; message boxes through the driver.
#include "imagerun.h"
using namespace img;

namespace {

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
