// Project items: pictures, sounds, movies, cursors, texts and data files
// carried in the image (where their bytes go: the resource block, or in line
// after a sound's item), objects made at start-up, how code reaches each by
// name, and the diagnostics for files that are missing or not of their kind.
#include "codebytes.h"
#include "imagefile.h"
#include "moviefiles.h"
#include "resources.h"
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace basc;

namespace {

std::string le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string le16(uint16_t v) { return {char(v), char(v >> 8)}; }
std::string be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

// A RIFF WAVE file with the given format fields and `samples` bytes of data.
std::string wave(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t samples = 6) {
  std::string fmt = le16(1) + le16(channels) + le32(rate) + le32(rate * channels * bits / 8) +
                    le16(uint16_t(channels * bits / 8)) + le16(bits);
  std::string body = "WAVEfmt " + le32(16) + fmt + "data" + le32(samples) +
                     std::string(samples, '\x80') + (samples & 1 ? "\0" : "");
  return "RIFF" + le32(uint32_t(body.size())) + body;
}

// A 24-bit BMP file of 5 x 3 pixels.
const std::string kBmp = "BM" + le32(102) + le32(0) + le32(54) + le32(40) + le32(5) + le32(3) +
                         le16(1) + le16(24) + le32(0) + le32(48) + std::string(16, '\0') +
                         std::string(48, '\x01');
const std::string kPng =
    "\x89PNG\r\n\x1a\n" + std::string(25, '\x02') + std::string("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
const std::string kJpeg = "\xFF\xD8\xFF\xE0" + std::string(20, '\x03') + "\xFF\xD9";
const std::string kAvi = aviFile(MovieSpec{});
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

// A Windows cursor file of one size x size image; `pixel` gives each pixel
// as '#' black, 'o' white, 'x' inverted or ' ' transparent. The palette puts
// white at index `whiteAt` (a clear pixel's colour is black, an inverting
// one's white).
std::string cursorFile(int size, const std::function<char(int, int)> &pixel, int hotX = 0,
                       int hotY = 0, int whiteAt = 1, uint16_t bits = 1) {
  std::string colour, mask;
  for (int y = size - 1; y >= 0; y--) { /* bottom-up rows */
    uint32_t c = 0, m = 0;
    for (int x = 0; x < size; x++) {
      char p = pixel(x, y);
      bool white = p == 'o' || p == 'x', clear = p == ' ' || p == 'x';
      if (white == (whiteAt == 1)) c |= 0x80000000u >> x; /* the palette index of its colour */
      if (clear) m |= 0x80000000u >> x;
    }
    for (int i = 0; i < 4; i++) colour += char(c >> (24 - 8 * i)), mask += char(m >> (24 - 8 * i));
  }
  std::string palette = whiteAt == 1 ? std::string("\0\0\0\0\xFF\xFF\xFF\0", 8)
                                     : std::string("\xFF\xFF\xFF\0\0\0\0\0", 8);
  std::string bih = le32(40) + le32(size) + le32(2 * size) + le16(1) + le16(bits) + le32(0) +
                    le32(uint32_t(colour.size() * 2)) + le32(0) + le32(0) + le32(2) + le32(0);
  std::string image = bih + palette + colour + mask;
  return le16(0) + le16(2) + le16(1) + char(size) + char(size) + char(2) + char(0) +
         le16(uint16_t(hotX)) + le16(uint16_t(hotY)) + le32(uint32_t(image.size())) + le32(22) +
         image;
}

// The 68-byte body the runtime reads: image and mask bits of the top-left
// 16 x 16 (mask 1 opaque; image 1 black there, inverting where clear), the
// hot spot as i16 BE, vertical first.
std::string cursorBody(const std::function<char(int, int)> &pixel, int hotX, int hotY) {
  std::string body(68, '\0');
  for (int y = 0; y < 16; y++)
    for (int x = 0; x < 16; x++) {
      char p = pixel(x, y);
      char bit = char(0x80 >> (x % 8));
      if (p == '#' || p == 'x') body[size_t(y * 2 + x / 8)] |= bit;
      if (p == '#' || p == 'o') body[size_t(32 + y * 2 + x / 8)] |= bit;
    }
  body[64] = char(hotY >> 8), body[65] = char(hotY), body[66] = char(hotX >> 8);
  body[67] = char(hotX);
  return body;
}

// A drawing with every kind of pixel inside the top-left 16 x 16.
char arrow(int x, int y) {
  if (y >= 12 || x > y) return y == 13 && x == 2 ? 'x' : ' ';
  return x == 0 || x == y || y == 11 ? '#' : 'o';
}

// The resource block entry `number` as a string of `size` bytes.
std::string entry(const CompileResult &r, int number, size_t size) {
  size_t at = 0;
  std::string error;
  EXPECT_TRUE(img::resource_entry(r.resources, number, &at, &error)) << error;
  if (at + size > r.resources.size()) return "";
  return std::string(r.resources.begin() + long(at), r.resources.begin() + long(at + size));
}

// A cursor file becomes the 68-byte body of its resource entry, from either
// palette order and either size; the item (kind 9) names the entry.
TEST_F(MediaItems, CursorsAreReducedToTheirBody) {
  put("a16.cur", cursorFile(16, arrow, 3, 5));
  put("a32.cur",
      cursorFile(
          32, [](int x, int y) { return x < 16 && y < 16 ? arrow(x, y) : ' '; }, 15, 0, 0));
  CompileResult r =
      compile_source("Cursor Small = \"a16.cur\"\nCursor Large = \"a32.cur\"\n"
                     "Sub Main()\n  If Small <> Large Then LineTrace \"two\"\nEnd Sub\n");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(entry(r, 1, 68), cursorBody(arrow, 3, 5));
  EXPECT_EQ(entry(r, 2, 68), cursorBody(arrow, 15, 0));
  std::string data(r.image.data1.begin(), r.image.data1.end());
  EXPECT_NE(data.find(le32(9) + le32(1)), std::string::npos);
  EXPECT_NE(data.find(le32(9) + le32(2)), std::string::npos);
}

// A cursor is set as the application's MouseCursor (a property code may
// assign but not read) and as a window's.
TEST_F(MediaItems, CursorsAreSetAsTheApplicationsAndAWindows) {
  put("a16.cur", cursorFile(16, arrow));
  CompileResult r =
      compile_source("Cursor Pen = \"a16.cur\"\n"
                     "Window W\nEnd Window\n"
                     "Class App Inherits Application\n"
                     "  Handler Open()\n    MouseCursor = Pen\n  End Handler\n"
                     "End Class\n"
                     "Sub Main()\n  App.MouseCursor = Pen\n  W.MouseCursor = Pen\nEnd Sub\n");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(sites(r.image, "appMouseCursorSetter").size(), 2u);
  EXPECT_EQ(sites(r.image, "formMouseCursorSetter").size(), 1u);
  expect_diagnostic("Sub Main()\n  Dim c As MouseCursor = App.MouseCursor\nEnd Sub\n", "2:29",
                    "property MouseCursor cannot be read");
}

// A carried text (kind 7) and data file (kind 8) are their length and bytes,
// unchanged.
TEST_F(MediaItems, TextsAndDataFilesAreCarriedAsTheyAre) {
  const std::string text = "first line\r\nsecond \x82\xA0 line", bytes("\x00\xFF\x10\x00", 4);
  put("notes.txt", text);
  put("table.bin", bytes);
  CompileResult r = compile_source("Text Notes = \"notes.txt\"\nData Table = \"table.bin\"\n"
                                   "Sub Main()\n"
                                   "  LineTrace Notes.Text + Str(Table.Data.Byte(1))\n"
                                   "End Sub\n");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(entry(r, 1, 4 + text.size()), be32(uint32_t(text.size())) + text);
  EXPECT_EQ(entry(r, 2, 8), be32(4) + bytes);
  std::string data(r.image.data1.begin(), r.image.data1.end());
  EXPECT_NE(data.find(le32(7) + le32(1)), std::string::npos);
  EXPECT_NE(data.find(le32(8) + le32(2)), std::string::npos);
  EXPECT_EQ(sites(r.image, "memoryGetByte").size(), 1u);
}

// The class directory's item list as offsets into data1.
std::vector<uint32_t> items(const img::Image &im) {
  auto word = [&](uint32_t at) { return img::get_u32(&im.data1[at]); };
  uint32_t dir = word(4), n = word(dir), m = word(dir + 4 + 4 * n);
  std::vector<uint32_t> out;
  for (uint32_t i = 0; i < m; i++) out.push_back(word(dir + 8 + 4 * n + 4 * i));
  return out;
}

// The name of the class at `index` of the directory.
std::string class_name(const img::Image &im, uint32_t index) {
  auto word = [&](uint32_t at) { return img::get_u32(&im.data1[at]); };
  uint32_t dir = word(4), record = word(dir + 4 + 4 * index);
  uint32_t text = word(record) == 1 ? word(record + 4) : word(record + 8);
  return std::string((const char *)&im.data1[word(text + 4) + 1], word(text + 12));
}

// An object item (kind 5) names its class and the module variable the runtime
// puts the object in; the items come last, after every other kind, so that
// their constructors find the others made. Code reads the variable directly.
TEST_F(MediaItems, ObjectItemsNameTheirClassAndVariable) {
  CompileResult r = compile_source("Object Settings As Dictionary\n"
                                   "Dim Before As Integer\n"
                                   "Object Tally As Counter\n"
                                   "Class Counter\n  Property Count As Integer\nEnd Class\n"
                                   "Sub Main()\n"
                                   "  Settings.Value(\"a\") = Tally.Count\n"
                                   "End Sub\n");
  ASSERT_TRUE(r.ok) << r.error;
  std::vector<uint32_t> list = items(r.image);
  ASSERT_EQ(list.size(), 3u); /* the settings, then the two objects */
  auto word = [&](uint32_t at) { return img::get_u32(&r.image.data1[at]); };
  const char *names[] = {"Dictionary", "Counter"};
  uint32_t slots[] = {8, 16}; /* the module variables start at 8, four bytes each */
  for (int i = 0; i < 2; i++) {
    uint32_t item = list[size_t(i) + 1];
    EXPECT_EQ(word(item), 5u);
    EXPECT_EQ(class_name(r.image, word(item + 4)), names[i]);
    EXPECT_EQ(word(item + 8), slots[i]);
  }
  EXPECT_TRUE(sites(r.image, "RuntimeProjectObject").empty());
}

// Any other item is read through its variable, which takes the project object
// on its first read: code the runtime runs while it opens the application
// finds it too.
TEST_F(MediaItems, CarriedItemsAreTakenOnFirstRead) {
  put("notes.txt", "hello");
  CompileResult r = compile_source("Text Notes = \"notes.txt\"\n"
                                   "Class App Inherits Application\n"
                                   "  Handler Open()\n    LineTrace Notes.Text\n  End Handler\n"
                                   "End Class\n");
  ASSERT_TRUE(r.ok) << r.error;
  /* mov eax,[Notes]; test eax,eax; jnz; push 2; call RuntimeProjectObject; ...; mov [Notes],eax
     (the settings are project object 1) */
  long at = find(r.image.code1, "8b 05 08 00 00 00 85 c0 0f 85 ?? ?? ?? ?? 6a 02 e8");
  ASSERT_GE(at, 0);
  long store = find(r.image.code1, "89 05 08 00 00 00", size_t(at));
  EXPECT_GT(store, at);
  EXPECT_LT(store, at + 40);
  EXPECT_EQ(sites(r.image, "RuntimeProjectObject").size(), 1u);
}

// With a menu bar (project object 2) the carried items count from 3.
TEST_F(MediaItems, AMenuBarComesBeforeTheCarriedItems) {
  put("notes.txt", "hello");
  CompileResult r = compile_source("MenuBar\n  Menu \"File\"\n    Item FileQuit \"Quit\"\n"
                                   "  End Menu\nEnd MenuBar\nText Notes = \"notes.txt\"\n"
                                   "Sub Main()\n  LineTrace Notes.Text\nEnd Sub\n");
  ASSERT_TRUE(r.ok) << r.error;
  std::vector<uint32_t> list = items(r.image);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(img::get_u32(&r.image.data1[list[1]]), 2u); /* the menu bar */
  EXPECT_EQ(img::get_u32(&r.image.data1[list[2]]), 7u); /* the text */
  EXPECT_GE(find(r.image.code1, "85 c0 0f 85 ?? ?? ?? ?? 6a 03 e8"), 0);
}

TEST_F(MediaItems, ObjectItemsAndProjectItemNamesAreDiagnosed) {
  struct {
    const char *source, *where, *message;
  } cases[] = {
      {"Object N As Integer\n", "1:13", "an Object item is of a class, not Integer"},
      {"Object O As Object\n", "1:13", "Object is the root class"},
      {"Object S As StringProvider\n", "1:13", "StringProvider is an interface"},
      {"Object S As Shape\nInterface Shape\n  Function Area() As Double\nEnd Interface\n", "1:13",
       "Shape is an interface"},
      {"Object W As Main\nWindow Main\nEnd Window\n", "1:13", "Main is a window"},
      {"Object W As Window\n", "1:13", "Window is a window"},
      {"Object B As PushButton\n", "1:13", "PushButton is a control"},
      {"Object A As App\nClass App Inherits Application\nEnd Class\n", "1:13",
       "App is the application"},
      {"Object U As Unknown\n", "1:13", "unknown type 'Unknown'"},
      {"Object D Dictionary\n", "1:10", "expected 'AS'"},
      {"Object D As Dictionary\nDim D As Integer\n", "2:5", "D is declared twice"},
      {"Object D As Dictionary\nSub Main()\n  D = New Dictionary\nEnd Sub\n", "3:3",
       "cannot assign to project item D"},
      {"Object D As Dictionary\nSub F(ByRef x As Dictionary)\nEnd Sub\n"
       "Sub Main()\n  F(D)\nEnd Sub\n",
       "5:5", "a project item cannot be changed"},
  };
  for (const auto &c : cases) expect_diagnostic(c.source, c.where, c.message);
}

TEST_F(MediaItems, CarriedFilesOfEveryKindAreDiagnosedAtTheFileName) {
  put("empty.txt", "");
  put("nul.txt", std::string("a\0b", 3));
  put("logo.bmp", kBmp);
  put("cut.bmp", kBmp.substr(0, kBmp.size() - 1));
  put("cut.png", kPng.substr(0, kPng.size() - 12));
  put("cut.jpg", kJpeg.substr(0, kJpeg.size() - 2));
  put("a16.cur", cursorFile(16, arrow));
  std::string cur = cursorFile(16, arrow);
  put("short.cur", cur.substr(0, cur.size() - 10));
  put("icon.ico", cur.substr(0, 2) + le16(1) + cur.substr(4));
  put("colour.cur", cursorFile(16, arrow, 0, 0, 1, 4));
  put("big.cur",
      cursorFile(32, [](int x, int y) { return x == 20 && y == 3 ? '#' : arrow(x, y); }));
  put("hot.cur", cursorFile(
                     32, [](int x, int y) { return x < 16 && y < 16 ? arrow(x, y) : ' '; }, 20, 3));
  std::string avi = aviFile(MovieSpec{});
  put("cut.avi", avi.substr(0, avi.size() - 30));
  std::string noVideo = avi;
  noVideo.replace(noVideo.find("vids"), 4, "auds");
  put("novideo.avi", noVideo);
  std::string db = "\x89"
                   "DBF\r\n\x1a\n" +
                   le32(1) + le32(4096) + le32(2) + std::string(28, '\0');
  put("cut.db", db + std::string(4096, '\0'));
  struct {
    const char *source, *where, *message;
  } cases[] = {
      {"Cursor P = \"none.cur\"\n", "1:12", "cannot read cursor"},
      {"Cursor P = \"empty.txt\"\n", "1:12", "empty.txt is empty"},
      {"Cursor P = \"logo.bmp\"\n", "1:12", "is not a cursor (.cur) file"},
      {"Cursor P = \"icon.ico\"\n", "1:12", "is not a cursor (.cur) file"},
      {"Cursor P = \"short.cur\"\n", "1:12", "is a cursor file cut short"},
      {"Cursor P = \"colour.cur\"\n", "1:12", "is a colour cursor"},
      {"Cursor P = \"big.cur\"\n", "1:12", "draws outside its top-left 16 x 16"},
      {"Cursor P = \"hot.cur\"\n", "1:12", "hot spot outside"},
      {"Text T = \"none.txt\"\n", "1:10", "cannot read text"},
      {"Text T = \"empty.txt\"\n", "1:10", "is empty"},
      {"Text T = \"nul.txt\"\n", "1:10", "is not a text file"},
      {"Data D = \"none.bin\"\n", "1:10", "cannot read data file"},
      {"Data D = \"empty.txt\"\n", "1:10", "is empty"},
      {"Picture P = \"empty.txt\"\n", "1:13", "is empty"},
      {"Picture P = \"cut.bmp\"\n", "1:13", "is a BMP file cut short"},
      {"Picture P = \"cut.png\"\n", "1:13", "is a PNG file cut short"},
      {"Picture P = \"cut.jpg\"\n", "1:13", "is a JPEG file cut short"},
      {"Movie M = \"cut.avi\"\n", "1:11", "is an AVI movie cut short"},
      {"Movie M = \"novideo.avi\"\n", "1:11", "without a video stream"},
      {"Database D = \"d.db\" From \"logo.bmp\"\n", "1:26", "logo.bmp is not a database file"},
      {"Database D = \"d.db\" From \"cut.db\"\n", "1:26", "is a database file cut short"},
      {"Database D = \"d.db\" From \"empty.txt\"\n", "1:26", "is empty"},
      {"Database D = \"d.db\" From \"\"\n", "1:26", "needs a file name"},
  };
  for (const auto &c : cases) expect_diagnostic(c.source, c.where, c.message);
}

} // namespace
