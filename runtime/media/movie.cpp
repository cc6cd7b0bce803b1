// Movie objects: a video file checked, opened once on the digital-video device
// to learn that it plays here, and measured; project movies written out from
// the resource block when they are made; the openers from a folder item and from a
// path or file URL; the movie library's start and shutdown; the plug-in
// helpers.
#include "media/movie.h"
#include "base/pool.h"
#include "files/file.h"
#include "lifecycle/application.h"
#include "lifecycle/exitlist.h"
#include "base/vector.h"
#include "objects/registry.h"
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <digitalv.h>

static char kDeviceType[] = "avivideo";
static bool libraryStarted; // a device was opened: the shutdown stops them

void movie_library_started() { libraryStarted = true; }

uint32_t movie_device_open(const char *path, HWND parent) {
  MCI_DGV_OPEN_PARMSA open = {};
  open.lpstrDeviceType = kDeviceType;
  open.lpstrElementName = (char *)path;      /* read only */
  open.dwStyle = WS_CHILD | WS_CLIPSIBLINGS; /* hidden until the player places it */
  open.hWndParent = parent;
  DWORD flags = MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT;
  if (parent) flags |= MCI_DGV_OPEN_PARENT | MCI_DGV_OPEN_WS;
  if (mciSendCommandA(0, MCI_OPEN, flags, (DWORD_PTR)&open) != 0) return 0;
  movie_library_started();
  return open.wDeviceID;
}

void movie_device_close(uint32_t device) {
  if (device) mciSendCommandA(device, MCI_CLOSE, MCI_WAIT, 0);
}

/* ---- the Movie ---- */

// The file's measures when it is a movie that plays here: its chunks are
// checked, then the device opens it once.
static bool measure(const char *path, AviInfo *info) {
  if (!avi_read_info(path, info)) return false;
  uint32_t device = movie_device_open(path, nullptr);
  movie_device_close(device);
  return device != 0;
}

static void take(MovieObject *m, const char *path, const AviInfo &info) {
  str_assign(&m->path, nullptr);
  m->path = str_make(path, (int32_t)strlen(path));
  m->baseWidth = m->width = (int16_t)info.width;
  m->baseHeight = m->height = (int16_t)info.height;
  m->frames = info.frames;
  m->duration = (int32_t)((int64_t)info.frames * info.microsPerFrame / 1000);
}

MovieObject *movie_open_path(const char *path) {
  AviInfo info;
  ClassDef *cls = registry_find("Movie");
  if (!cls || !measure(path, &info)) return nullptr;
  MovieObject *m = (MovieObject *)CreateInstance(cls);
  take(m, path, info);
  return m;
}

/* ---- project movies ---- */

static MovieResourceReader readResource;

void movie_set_resource_reader(MovieResourceReader reader) { readResource = reader; }

static bool writeFile(const char *path, const uint8_t *bytes, size_t length) {
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(h, bytes, (DWORD)length, &written, nullptr) && written == length;
  CloseHandle(h);
  if (!ok) DeleteFileA(path);
  return ok;
}

static Vector projectMovies; // every project movie: their copies go at shutdown

static void deleteProjectCopies() {
  for (int32_t i = 0; i < vec_count(&projectMovies); i++) {
    MovieObject *m = (MovieObject *)vec_get_ptr(&projectMovies, i);
    if (m->path) DeleteFileA(str_cview(m->path));
  }
}

// A project movie's resource written to a temporary file of its own and
// measured there from its header; the device opens it when it is played. The
// file is removed again when it is no movie.
static void writeOut(MovieObject *m) {
  size_t length = 0;
  uint8_t *bytes = readResource ? readResource(m->resource, &length) : nullptr;
  char folder[MAX_PATH], path[MAX_PATH];
  AviInfo info;
  if (bytes && GetTempPathA(sizeof folder, folder) && GetTempFileNameA(folder, "mov", 0, path) &&
      writeFile(path, bytes, length)) {
    if (avi_read_info(path, &info))
      take(m, path, info);
    else
      DeleteFileA(path);
  }
  free(bytes);
}

MovieObject *movie_project_new(int32_t resource) {
  ClassDef *cls = registry_find("Movie");
  if (!cls) return nullptr;
  MovieObject *m = (MovieObject *)CreateInstance(cls);
  m->resource = resource;
  writeOut(m); /* now, so that every measure reads true from the start */
  if (!projectMovies.elementSize) vec_init(&projectMovies);
  vec_append_ptr(&projectMovies, m);
  exitlist_add_routine(deleteProjectCopies);
  return m;
}

const char *movie_path(MovieObject *m) {
  if (!m->path && m->resource) writeOut(m);
  return m->path ? str_cview(m->path) : nullptr;
}

static void destroyMovie(Object *o, ClassDef *) {
  MovieObject *m = (MovieObject *)o;
  if (m->resource && m->path) DeleteFileA(str_cview(m->path)); /* the temporary copy */
  for (int32_t i = vec_count(&projectMovies) - 1; i >= 0; i--)
    if (vec_get_ptr(&projectMovies, i) == m) vec_remove(&projectMovies, i);
  str_assign(&m->path, nullptr);
}

Object *FolderItemOpenMovie(Object *item) {
  char path[kFolderPathMax];
  if (!item || !folderitem_copy_path(item, path)) return nullptr;
  MovieObject *m = movie_open_path(path);
  return m ? &m->header : nullptr;
}

/* ---- paths and file URLs ---- */

static int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = (char)tolower((unsigned char)c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// "scheme:" of two letters or more before "//": one letter is a drive.
static size_t schemeLength(const char *s) {
  size_t n = 0;
  while (isalpha((unsigned char)s[n])) n++;
  return n >= 2 && s[n] == ':' ? n : 0;
}

// A file URL's path as a platform path: %XX decoded, slashes turned round,
// "file:///C:/x" giving C:\x and "file://host/x" giving \\host\x; false when
// it does not fit.
static bool urlPath(const char *url, char *out, size_t size) {
  const char *p = url + 7; /* after "file://" */
  size_t n = 0;
  if (!strncmp(p, "localhost/", 10)) p += 9;
  if (*p != '/')
    out[n++] = '\\', out[n++] = '\\'; /* a host: a network path */
  else if (isalpha((unsigned char)p[1]) && (p[2] == ':' || p[2] == '|'))
    p++; /* "/C:/..." */
  for (; *p; p++) {
    char c = *p;
    if (c == '%' && hexDigit(p[1]) >= 0 && hexDigit(p[2]) >= 0) {
      c = (char)(hexDigit(p[1]) * 16 + hexDigit(p[2]));
      p += 2;
    } else if (c == '|' && n == 1) {
      c = ':';
    }
    if (c == '/') c = '\\';
    if (c == 0 || n + 1 >= size) return false;
    out[n++] = c;
  }
  out[n] = 0;
  return n > 0;
}

// A local path or a file URL as a full platform path; false for another
// scheme (the device plays files only) or a path that does not fit.
static bool moviePath(const char *text, char *out) {
  char local[kFolderPathMax];
  size_t scheme = schemeLength(text);
  if (scheme) {
    if (scheme != 4 || _strnicmp(text, "file://", 7) != 0) return false;
    if (!urlPath(text, local, sizeof local)) return false;
    text = local;
  }
  DWORD n = GetFullPathNameA(text, kFolderPathMax, out, nullptr);
  return n > 0 && n < kFolderPathMax;
}

Object *openURLMovie(RString *url) {
  char path[kFolderPathMax];
  if (str_len(url) == 0 || str_len(url) >= kFolderPathMax * 3) return nullptr;
  if ((int32_t)strlen(str_cview(url)) != str_len(url)) return nullptr; /* an embedded NUL */
  if (!moviePath(str_cview(url), path)) return nullptr;
  MovieObject *m = movie_open_path(path);
  return m ? &m->header : nullptr;
}

/* ---- sizes ---- */

// A project movie whose copy could not be made at start-up is tried again.
static MovieObject *measured(MovieObject *m) {
  movie_path(m);
  return m;
}

int32_t movieWidthGetter(MovieObject *m) { return measured(m)->width; }
int32_t movieHeightGetter(MovieObject *m) { return measured(m)->height; }
int32_t movieBaseWidthGetter(MovieObject *m) { return measured(m)->baseWidth; }
int32_t movieBaseHeightGetter(MovieObject *m) { return measured(m)->baseHeight; }

/* ---- the library and plug-ins ---- */

// Whether the digital-video device exists at all: its driver is named in
// the system's multimedia configuration, the registry's or the older file's.
static bool driverRegistered() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\MCI32", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  bool found =
      RegQueryValueExA(key, kDeviceType, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return found;
}

static bool deviceInstalled() {
  char driver[64];
  return driverRegistered() ||
         GetPrivateProfileStringA("mci", kDeviceType, "", driver, sizeof driver, "system.ini") > 0;
}

static bool isMovie(Object *o) {
  ClassDef *movie = registry_find("Movie");
  return o && movie && class_derives_from(o->cls, movie);
}

bool KARUenterMovies() {
  if (libraryStarted) return true;
  if (!deviceInstalled()) return false;
  movie_library_started();
  return true;
}

RString *getMovieMovie(Object *movie) {
  const char *path = isMovie(movie) ? movie_path((MovieObject *)movie) : nullptr;
  return path ? str_make(path, (int32_t)strlen(path)) : nullptr;
}

static void shutDownMovies() {
  if (!libraryStarted) return;
  playback_shut_down();
  libraryStarted = false;
}

void movies_attach() {
  if (ClassDef *cls = registry_find("Movie")) cls->destructor = destroyMovie;
  gLoopHooks.shutDownMovies = shutDownMovies;
  movieplayer_install();
}
