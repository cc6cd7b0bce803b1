// Movies opened from folder items, paths and file URLs: the sizes and length
// an uncompressed AVI declares, and nil (never a crash) for a file that is
// missing, damaged or no movie; the plug-in helpers on a Movie.
#include "files/file.h"
#include "media/movie.h"
#include "moviefiles.h"
#include "objects/registry.h"
#include "streamtest.h"
#include <cstdlib>
#include <cstring>

namespace {

class MovieTest : public StreamTest {
protected:
  MovieObject *openFile(const std::string &name) {
    Object *item = folderitem_at(path(name).c_str());
    Object *m = FolderItemOpenMovie(item);
    RuntimeUnlockObject(item);
    return (MovieObject *)m;
  }
  MovieObject *openText(const std::string &text) {
    RString *s = str_make(text.data(), (int32_t)text.size());
    Object *m = openURLMovie(s);
    RuntimeUnlockString(s);
    return (MovieObject *)m;
  }
};

TEST_F(MovieTest, OpensWithTheSizesAndLengthTheFileDeclares) {
  MovieSpec spec;
  spec.width = 64, spec.height = 48, spec.framesPerSecond = 10;
  spec.colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFFFFFF};
  put("clip.avi", aviFile(spec));
  MovieObject *m = openFile("clip.avi");
  ASSERT_TRUE(m);
  EXPECT_EQ(movieBaseWidthGetter(m), 64);
  EXPECT_EQ(movieBaseHeightGetter(m), 48);
  EXPECT_EQ(movieWidthGetter(m), 64) << "shown nowhere yet: its own size";
  EXPECT_EQ(movieHeightGetter(m), 48);
  EXPECT_EQ(m->duration, 500);
  EXPECT_EQ(m->frames, 5);
  RString *p = getMovieMovie(&m->header);
  EXPECT_EQ(str_cview(p), path("clip.avi"));
  RuntimeUnlockString(p);
  RuntimeUnlockObject(&m->header);
  EXPECT_TRUE(KARUenterMovies());
}

TEST_F(MovieTest, OpensAMovieWithASoundStream) {
  MovieSpec spec;
  spec.sound = true;
  put("sound.avi", aviFile(spec));
  MovieObject *m = openFile("sound.avi");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->frames, 4);
  EXPECT_EQ(m->duration, 400);
  RuntimeUnlockObject(&m->header);
}

TEST_F(MovieTest, OpensFromAPathOrAFileUrl) {
  put("a b.avi", aviFile(MovieSpec()));
  std::string url = "file:///" + folder + "/a%20b.avi";
  for (char &c : url)
    if (c == '\\') c = '/';
  for (const std::string &text : {path("a b.avi"), url}) {
    MovieObject *m = openText(text);
    ASSERT_TRUE(m) << text;
    EXPECT_EQ(str_cview(m->path), path("a b.avi")) << text;
    RuntimeUnlockObject(&m->header);
  }
  for (const char *text : {"", "http://example.invalid/a.avi", "ftp://x/a.avi", "file://"})
    EXPECT_FALSE(openText(text)) << text;
}

// Each of these is nil; the device's own parser never sees them.
TEST_F(MovieTest, AMissingDamagedOrForeignFileIsNil) {
  const std::string good = aviFile(MovieSpec());
  auto patched = [&](size_t at, uint32_t v) {
    std::string s = good;
    for (int i = 0; i < 4; i++) s[at + i] = char(v >> (8 * i));
    return s;
  };
  auto without = [&](const char *tag) {
    std::string s = good;
    s.replace(s.find(tag), 4, "JUNK");
    return s;
  };
  const size_t avih = good.find("avih") + 8, strf = good.find("strf") + 8;
  struct Case {
    const char *name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"text", "This is no movie at all, just some words in a file.\r\n"},
      {"a sound", std::string("RIFF\x24\0\0\0WAVEfmt ", 16) + std::string(40, '\0')},
      {"cut in half", good.substr(0, good.size() / 2)},
      {"the form longer than the file", patched(4, (uint32_t)good.size() + 100)},
      {"a chunk past the form", patched(good.find("hdrl") - 4, 0x7FFFFFF0)},
      {"no frame width", patched(strf + 4, 0)},
      {"a huge frame", patched(strf + 4, 100000)},
      {"no frames", patched(avih + 16, 0) /* the stream length wins when set */},
      {"no header", without("avih")},
      {"no video stream", without("vids")},
      {"no movie list", without("movi")},
      {"only the header", good.substr(0, 12)},
  };
  cases[8].bytes = patched(good.find("vids") + 32, 0);
  cases[8].bytes.replace(avih + 16, 4, std::string(4, '\0'));
  for (const Case &c : cases) {
    put("bad.avi", c.bytes);
    MovieObject *m = openFile("bad.avi");
    EXPECT_FALSE(m) << c.name;
    if (m) RuntimeUnlockObject(&m->header);
  }
  EXPECT_FALSE(openFile("missing.avi"));
  EXPECT_FALSE(FolderItemOpenMovie(nullptr));
}

// A project movie: resource 7 holds a movie file, resource 8 a damaged one.
uint8_t *readResource(int32_t number, size_t *length) {
  std::string bytes = aviFile(MovieSpec());
  if (number == 8) bytes.resize(bytes.size() / 2);
  if (number != 7 && number != 8) return nullptr;
  uint8_t *block = (uint8_t *)malloc(bytes.size());
  memcpy(block, bytes.data(), bytes.size());
  *length = bytes.size();
  return block;
}

TEST_F(MovieTest, AProjectMovieIsWrittenOutOnFirstUseAndRemovedWithIt) {
  movie_set_resource_reader(readResource);
  for (int32_t number : {7, 8, 9}) {
    MovieObject *m = (MovieObject *)CreateInstance(registry_find("Movie"));
    m->resource = number; /* as the project item sets it */
    const int32_t width = number == 7 ? 32 : 0;
    EXPECT_EQ(movieBaseWidthGetter(m), width) << number;
    EXPECT_EQ(movieHeightGetter(m), width * 3 / 4) << number;
    RString *p = getMovieMovie(&m->header);
    std::string file = str_cview(p);
    RuntimeUnlockString(p);
    EXPECT_EQ(file.empty(), number != 7) << number;
    const bool writtenOut = GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
    EXPECT_EQ(writtenOut, number == 7) << number;
    RuntimeUnlockObject(&m->header);
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << "left behind";
  }
  movie_set_resource_reader(nullptr);
}

TEST_F(MovieTest, PluginHelpersRefuseWhatIsNoMovie) {
  Object *item = folderitem_at(path("x.avi").c_str());
  EXPECT_FALSE(getMovieMovie(item));
  EXPECT_FALSE(getMovieMovie(nullptr));
  EXPECT_EQ(getMoviePlayerController(item), 0u);
  RuntimeUnlockObject(item);
}

} // namespace
