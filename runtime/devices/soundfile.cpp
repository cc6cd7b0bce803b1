// File sounds: the multimedia command interface opens a sound's file under
// an alias number and plays it with notification to a "QXMCISoundWnd"
// window; one file sound plays at a time, and a looping one starts again
// when its end is notified.
#include "devices/sound.h"
#include "files/file.h"
#include <cstdio>
#include <mmsystem.h>

enum : UINT { kPlayFinished = MM_MCINOTIFY }; /* 953, with MCI_NOTIFY_SUCCESSFUL */

static int32_t nextAlias;               // numbers every file sound opened
static int32_t playingAlias = kNoAlias; // the one file sound that may be playing
static bool playingLoops;               // ... and whether it starts again at its end
static bool fileSoundOpen;              // "close all" at shutdown has something to close
static SoundObject *openSound;          // the sound whose alias is open, or nil

static const char kWindowClass[] = "QXMCISoundWnd";

// Sends one command; the command is built from the format and the alias.
static bool send(HWND notify, const char *format, int32_t alias) {
  char command[32];
  snprintf(command, sizeof command, format, (int)alias);
  return mciSendStringA(command, nullptr, 0, notify) == 0;
}

uint32_t soundfile_device(const SoundObject *s) {
  if (s->alias == kNoAlias || s != openSound) return 0;
  char name[16];
  snprintf(name, sizeof name, "%d", (int)s->alias);
  return mciGetDeviceIDA(name);
}

// The sound was closed (by a newer one, Stop, shutdown or its own end): it
// no longer plays and its alias names nothing.
static void forget(SoundObject *s) {
  s->playing = 0;
  s->alias = kNoAlias;
  if (s == openSound) openSound = nullptr;
}

// Closes the file sound that is open, by its own alias: "close all" would
// also close the program's other devices, a movie playing in a player.
static void closeOpenSound() {
  playingAlias = kNoAlias;
  if (!openSound) return;
  send(nullptr, "close %d", openSound->alias);
  forget(openSound);
}

// The end of a play: a looping sound starts again, any other stops playing.
// A play that failed on its way (no audio device to open) ends it too, or
// IsPlaying would answer true for ever. The end of a device closed since (a
// late notification) changes nothing.
static void finished(SoundObject *s, uint32_t device, bool failed) {
  if (s != openSound || device != soundfile_device(s)) return;
  if (!failed && playingAlias != kNoAlias && playingLoops) {
    send(s->window, "seek %d to start", s->alias);
    if (send(s->window, "play %d notify", s->alias)) return;
  }
  playingAlias = kNoAlias;
  s->playing = 0;
}

static LRESULT CALLBACK notifyProcedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  if (message != kPlayFinished) return DefWindowProcA(hwnd, message, wp, lp);
  SoundObject *s = (SoundObject *)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
  if (s && (wp == MCI_NOTIFY_SUCCESSFUL || wp == MCI_NOTIFY_FAILURE))
    finished(s, (uint32_t)lp, wp == MCI_NOTIFY_FAILURE);
  return 0;
}

static HWND makeWindow(SoundObject *s) {
  HINSTANCE instance = sound_window_class(kWindowClass, notifyProcedure);
  if (!s->window)
    s->window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                                nullptr);
  if (s->window) SetWindowLongPtrA(s->window, GWLP_USERDATA, (LONG_PTR)s);
  return s->window;
}

void soundfile_play(SoundObject *s, bool looping) {
  char path[kFolderPathMax], command[kFolderPathMax + 40];
  closeOpenSound(); /* one file sound at a time */
  if (!folderitem_copy_path(s->item, path)) return;
  int32_t alias = nextAlias;
  snprintf(command, sizeof command, "open \"%s\" alias %d", path, (int)alias);
  if (mciSendStringA(command, nullptr, 0, nullptr) != 0) return;
  HWND window = makeWindow(s);
  if (!window || !send(window, "play %d notify", alias)) {
    send(nullptr, "close %d", alias);
    return;
  }
  playingAlias = alias;
  playingLoops = looping;
  fileSoundOpen = true;
  openSound = s;
  s->looping = looping;
  s->playing = 1;
  s->alias = alias;
  nextAlias++;
  sound_apply_volume(s);
}

void soundfile_stop(SoundObject *s) {
  if (s == openSound) playingAlias = kNoAlias; /* another sound's loop goes on */
  if (s->alias != kNoAlias) {
    send(nullptr, "stop %d", s->alias);
    send(nullptr, "close %d", s->alias);
  }
  forget(s);
}

void soundfile_release(SoundObject *s) {
  if (s == openSound) soundfile_stop(s);
  if (s->window) DestroyWindow(s->window);
  s->window = nullptr;
}

void soundfile_shut_down() {
  if (!fileSoundOpen) return;
  mciSendStringA("close all", nullptr, 0, nullptr);
  fileSoundOpen = false;
  playingAlias = kNoAlias;
  if (openSound) forget(openSound);
}
