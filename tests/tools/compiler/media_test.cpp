// Pictures, sounds and movies carried in the image: where their bytes go (the
// resource block, or in line after a sound's item), how code reaches them by
// name, and the diagnostics for files that are missing or not of their kind.
#include "codebytes.h"
#include "imagefile.h"
#include "resources.h"
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace basc;

namespace {

std::string le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string le16(uint16_t v) { return {char(v), char(v >> 8)}; }

// A RIFF WAVE file with the given format fields and `samples` bytes of data.
std::string wave(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t samples = 6) {
  std::string fmt = le16(1) + le16(channels) + le32(rate) + le32(rate * channels * bits / 8) +
                    le16(uint16_t(channels * bits / 8)) + le16(bits);
  std::string body = "WAVEfmt " + le32(16) + fmt + "data" + le32(samples) +
                     std::string(samples, '\x80') + (samples & 1 ? "\0" : "");
  return "RIFF" + le32(uint32_t(body.size())) + body;
}

const std::string kBmp = "BM" + std::string(60, '\x01');
const std::string kPng = "\x89PNG\r\n\x1a\n" + std::string(40, '\x02');
const std::string kJpeg = "\xFF\xD8\xFF\xE0" + std::string(20, '\x03');
const std::string kAvi = "RIFF" + le32(20) + "AVI LIST" + std::string(12, '\x04');
const std::string kWave = wave(1, 22050, 8);

class MediaItems : public testing::Test {
protected:
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() / ("media-items-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "media");
  }
  void TearDown() override { fs::remove_all(dir); }

  void put(const std::string &name, const std::string &bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
  }
  CompileResult compile_source(const std::string &text) {
    return compile({{(dir / "t.bas").string(), text}}, CompileOptions());
  }
  // One diagnostic at `where` (line:column) saying `message`, and no image.
  void expect_diagnostic(const std::string &text, const char *where, const char *message) {
    CompileResult r = compile_source(text);
    EXPECT_FALSE(r.ok) << text;
    std::string start = (dir / "t.bas").string() + ":" + where + ": error: ";
    EXPECT_EQ(r.error.rfind(start, 0), 0u) << text << "\n" << r.error;
    EXPECT_NE(r.error.find(message), std::string::npos) << r.error;
    EXPECT_TRUE(r.image.code1.empty());
    EXPECT_TRUE(r.resources.empty());
  }
};

// Each picture and movie is one resource block entry (its length, u32 BE,
// then its bytes), numbered in the order of the items; a sound's WAVE file is
// in data1. Code reaches each through its project object.
TEST_F(MediaItems, ItemsAreCarriedAndReachedByName) {
  put("media/logo.bmp", kBmp);
  put("icon.png", kPng);
  put("photo.jpg", kJpeg);
  put("clip.avi", kAvi);
  put("media/chime.wav", kWave);
  CompileResult r = compile_source("Picture Logo = \"media/logo.bmp\"\n"
                                   "Picture Icon = \"icon.png\"\n"
                                   "Picture Photo = \"photo.jpg\"\n"
                                   "Movie Clip = \"clip.avi\"\n"
                                   "Sound Chime = \"media/chime.wav\"\n"
                                   "Sub Main()\n"
                                   "  LineTrace Str(Logo.Width + Icon.Height + Photo.Width)\n"
                                   "  LineTrace Str(Clip.Width)\n"
                                   "  Chime.Play\n"
                                   "End Sub\n");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(sites(r.image, "RuntimeProjectObject").size(), 5u);
  EXPECT_EQ(sites(r.image, "pictureWidthGetter").size(), 2u);
  EXPECT_EQ(sites(r.image, "movieWidthGetter").size(), 1u);
  EXPECT_EQ(sites(r.image, "soundPlay").size(), 1u);

  const std::string files[] = {kBmp, kPng, kJpeg, kAvi};
  for (int i = 1; i <= 4; i++) {
    size_t at = 0;
    std::string error;
    ASSERT_TRUE(img::resource_entry(r.resources, i, &at, &error)) << error;
    const std::string &f = files[i - 1];
    ASSERT_LE(at + 4 + f.size(), r.resources.size());
    EXPECT_EQ(img::get_u32be(&r.resources[at]), f.size()) << i;
    EXPECT_EQ(std::string(r.resources.begin() + at + 4, r.resources.begin() + at + 4 + f.size()), f)
        << i;
  }
  size_t at = 0;
  std::string error;
  EXPECT_FALSE(img::resource_entry(r.resources, 5, &at, &error)); /* the sound has none */
  std::string data(r.image.data1.begin(), r.image.data1.end());
  size_t wave = data.find(kWave);
  ASSERT_NE(wave, std::string::npos);
  EXPECT_EQ(data.substr(wave - 8, 8), le32(6) + le32(0)); /* its item: kind 6, no entry */
}

// A program carrying nothing there has no resource block.
TEST_F(MediaItems, SoundsAloneNeedNoResourceBlock) {
  put("chime.wav", kWave);
  CompileResult r = compile_source("Sound Chime = \"chime.wav\"\nSub Main()\nEnd Sub\n");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(r.resources.empty());
}

TEST_F(MediaItems, FilesMissingOrNotOfTheirKindAreDiagnosedAtTheFileName) {
  put("logo.bmp", kBmp);
  put("clip.avi", kAvi);
  put("chime.wav", kWave);
  put("short.bmp", "BM1234");
  put("stereo.wav", wave(2, 22050, 8));
  std::string cut = kWave.substr(0, kWave.size() - 4);
  put("cut.wav", cut);
  put("nodata.wav", "RIFF" + le32(28) + "WAVEfmt " + le32(16) + wave(1, 22050, 8).substr(20, 16));
  struct {
    const char *source, *where, *message;
  } cases[] = {
      {"Picture Logo = \"none.bmp\"\n", "1:16", "cannot read picture"},
      {"\nSound  Chime = \"none.wav\"\n", "2:16", "cannot read sound"},
      {"Movie Clip = \"none.avi\"\n", "1:14", "cannot read movie"},
      {"Picture Logo = \"chime.wav\"\n", "1:16", "is not a BMP, PNG or JPEG picture"},
      {"Picture Logo = \"short.bmp\"\n", "1:16", "is a BMP file cut short"},
      {"Sound Chime = \"logo.bmp\"\n", "1:15", "is not a WAVE sound"},
      {"Sound Chime = \"stereo.wav\"\n", "1:15", "not 8-bit mono PCM at 22,050"},
      {"Sound Chime = \"cut.wav\"\n", "1:15", "missing or cut short"},
      {"Sound Chime = \"nodata.wav\"\n", "1:15", "missing or cut short"},
      {"Movie Clip = \"chime.wav\"\n", "1:14", "is not an AVI movie"},
      {"Movie Clip = \"\"\n", "1:14", "needs a file name"},
  };
  for (const auto &c : cases) expect_diagnostic(c.source, c.where, c.message);
}

// basc writes the resource block beside the development files, and beside an
// image file for the packer.
TEST_F(MediaItems, BascWritesTheResourceBlockBesideTheImage) {
  put("logo.bmp", kBmp);
  put("t.bas", "Picture Logo = \"logo.bmp\"\nSub Main()\nEnd Sub\n");
  std::string source = "'" + (dir / "t.bas").string() + "'";
  ASSERT_EQ(std::system(("'" BASC "' -o '" + dir.string() + "' " + source).c_str()), 0);
  ASSERT_EQ(
      std::system(("'" BASC "' --image '" + (dir / "app.img").string() + "' " + source).c_str()),
      0);
  for (const char *name : {"data3.dat", "app.img.data3"}) {
    img::Bytes block;
    std::string error;
    ASSERT_TRUE(img::read_file(dir / name, &block, &error)) << name << ": " << error;
    size_t at = 0;
    ASSERT_TRUE(img::resource_entry(block, 1, &at, &error)) << error;
    EXPECT_EQ(img::get_u32be(&block[at]), kBmp.size());
  }
}

} // namespace
