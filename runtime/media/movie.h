// Movies: the Movie record (a video file measured when it is opened), the
// MoviePlayer control that shows one through the multimedia command
// interface's digital-video device, its controller strip, and the movie
// library's start and shutdown.
#pragma once
#include "ui/control.h"
#include <cstddef>
#include <cstdint>
#include <windows.h>
#include <mmsystem.h>

struct MoviePlayback;

struct MovieObject {
  Object header;      // 0
  int32_t resource;   // 16: the project resource number; 0 for a movie opened from a file
  RString *path;      // 20: the file's full path, or nil
  int16_t baseWidth;  // 24: the frame size the file declares
  int16_t baseHeight; // 26
  int16_t width;      // 28: the size it was last shown at (the base size until then)
  int16_t height;     // 30
  int32_t duration;   // 32: milliseconds
  int32_t frames;     // 36: video frames
};
static_assert(offsetof(MovieObject, resource) == 16 && offsetof(MovieObject, path) == 20);
static_assert(offsetof(MovieObject, baseWidth) == 24 && offsetof(MovieObject, width) == 28);
static_assert(offsetof(MovieObject, duration) == 32 && offsetof(MovieObject, frames) == 36);
static_assert(sizeof(MovieObject) == 40);

struct MoviePlayerObject {
  ControlObject control; // 0
  MovieObject *movie;    // 92: retained, or nil
  uint8_t looping;       // 96: starts again at the end
  uint8_t palindrome;    // 97: plays back to the start after reaching the end
  uint8_t playing;       // 98: IsPlaying
  uint8_t controller;    // 99: the controller strip is shown below the picture
  int32_t position;      // 100: milliseconds; a program's change is taken up by the next turn
  MoviePlayback *play;   // 104: the open device and its state, made by the constructor
  int32_t reserved;      // 108
};
static_assert(offsetof(MoviePlayerObject, movie) == 92);
static_assert(offsetof(MoviePlayerObject, looping) == 96);
static_assert(offsetof(MoviePlayerObject, controller) == 99);
static_assert(offsetof(MoviePlayerObject, position) == 100);
static_assert(offsetof(MoviePlayerObject, play) == 104);
static_assert(sizeof(MoviePlayerObject) == 112);

/* ---- the file (avifile.cpp) ---- */

// What the header of an AVI file says of its video stream.
struct AviInfo {
  int32_t width, height;   // the frame size
  int32_t frames;          // video frames
  uint32_t microsPerFrame; // the frame period
};
// Walks the file's chunks: true when it is a RIFF AVI whose chunks all lie
// inside the file and whose header describes a video stream of a sane size.
bool avi_read_info(const char *path, AviInfo *info);

/* ---- the movie and the library (movie.cpp) ---- */

// A Movie for the file at path, measured through the digital-video device;
// nil when the file is missing, damaged or cannot be played here.
MovieObject *movie_open_path(const char *path);
// Project movies: start-up gives the routine that reads resource `number` of
// the application's resource block as the bytes of a movie file (a block
// from malloc, or nil). Such a movie is written to a temporary file and
// measured from its header when it is made; its file goes when it is
// released, or at shutdown.
typedef uint8_t *(*MovieResourceReader)(int32_t number, size_t *length);
void movie_set_resource_reader(MovieResourceReader reader);
MovieObject *movie_project_new(int32_t resource); // nil without the Movie class
// The movie's file, a project movie's written out first; nil when it has none.
const char *movie_path(MovieObject *m);
// Opens the file on the digital-video device with its window a hidden child
// of parent (nil: a window of its own); 0 when it cannot be opened.
uint32_t movie_device_open(const char *path, HWND parent);
void movie_device_close(uint32_t device);
// Player shutdown is called at the loop's end when the library was started.
void movie_library_started();
void movies_attach(); // the classes' constructors and destructors, the shutdown hook

/* ---- the player (movieplayer.cpp, playback.cpp) ---- */

enum : int32_t { kControllerHeight = 20 };

// The picture area and the controller strip inside the player's bounds
// (window coordinates).
RECT player_picture_rect(const MoviePlayerObject *mp);
RECT player_strip_rect(const MoviePlayerObject *mp);
void player_layout(MoviePlayerObject *mp); // places the movie's window in the picture area
void player_redraw_strip(MoviePlayerObject *mp);
void movieplayer_install();

// The device behind the player's movie, opened on first need; 0 when none.
uint32_t playback_device(MoviePlayerObject *mp);
HWND playback_window(MoviePlayerObject *mp); // the device's window, or nil
void playback_play(MoviePlayerObject *mp);
void playback_stop(MoviePlayerObject *mp);
void playback_seek(MoviePlayerObject *mp, int32_t ms); // also while playing
void playback_release(MoviePlayerObject *mp);          // the device closes; nothing plays
void playback_shut_down();                             // every player stops and closes
void playback_attach_window(); // the window the devices notify and the tick runs on
MoviePlayback *playback_new();
void playback_free(MoviePlayback *p);

extern "C" {
void RuntimeMediaPlay(MoviePlayerObject *mp);
void RuntimeMediaStop(MoviePlayerObject *mp);
int32_t movieWidthGetter(MovieObject *m);
int32_t movieHeightGetter(MovieObject *m);
int32_t movieBaseWidthGetter(MovieObject *m);
int32_t movieBaseHeightGetter(MovieObject *m);
void mediaMovieSetter(MoviePlayerObject *mp, int32_t, MovieObject *movie);
Object *mediaGetBoundPart(MoviePlayerObject *mp, RString *part);
int32_t mediaControllerWidthGetter(MoviePlayerObject *mp);
int32_t mediaControllerHeightGetter(MoviePlayerObject *mp);
Object *openURLMovie(RString *url);
bool mediaMovieControllerGetter(MoviePlayerObject *mp);
void mediaControllerLoopingSetter(MoviePlayerObject *mp, int32_t, bool v);
void mediaControllerPalindromeSetter(MoviePlayerObject *mp, int32_t, bool v);
uint32_t getMoviePlayerController(Object *player);
RString *getMovieMovie(Object *movie);
bool KARUenterMovies();
Object *FolderItemOpenMovie(Object *item);
}
