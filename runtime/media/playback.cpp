// A player's playback: the digital-video device opened on its movie inside the
// player's pane, play and stop, the end told by the device's notification,
// looping, the palindrome's way back (stepped frame by frame, since the
// device plays forward only), the position kept in the player's field, and
// the Started, Stopped and Finished events.
#include "base/pool.h"
#include "media/movie.h"
#include <digitalv.h>

struct MoviePlayback {
  uint32_t device;           // 0: the open device, 0 when none
  HWND window;               // 4: the device's window
  MoviePlayerObject *player; // 8: not retained: the player frees this record
  int32_t frame;             // 12: the frame shown last on the way back
  int8_t direction;          // 16: 1 forward, -1 back (palindrome), 0 still
  int32_t written;           // 20: the position last written into the player's field
  DWORD lastStep;            // 24: when the way back last stepped
  MoviePlayback *next;       // 28: the next playback with a device open
};

enum : UINT_PTR { kTickTimer = 1 };
enum : UINT { kTickMillis = 40 };

static MoviePlayback *openList; // every playback with a device open
static HWND notifyWindow;       // takes the device's notifications and the tick
static int32_t playingCount;    // the tick runs while some player plays

static const char kWindowClass[] = "QXMCIMovieWnd";

MoviePlayback *playback_new() {
  MoviePlayback *p = (MoviePlayback *)pool_alloc(sizeof(MoviePlayback));
  *p = {};
  return p;
}

void playback_free(MoviePlayback *p) { pool_free(p, sizeof(MoviePlayback)); }

/* ---- the device ---- */

static DWORD send(uint32_t device, UINT command, DWORD flags, void *parms = nullptr) {
  return mciSendCommandA(device, command, flags, (DWORD_PTR)parms);
}

static DWORD_PTR status(uint32_t device, DWORD item) {
  MCI_STATUS_PARMS s = {};
  s.dwItem = item;
  return send(device, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, &s) == 0 ? s.dwReturn : 0;
}

static int32_t frameOf(const MovieObject *m, int32_t ms) {
  if (m->duration <= 0) return 0;
  return (int32_t)((int64_t)ms * m->frames / m->duration);
}
static int32_t millisOf(const MovieObject *m, int32_t frame) {
  return m->frames > 0 ? (int32_t)((int64_t)frame * m->duration / m->frames) : 0;
}

// Plays from a frame to the end; the end is told to the notify window.
static bool playFrom(uint32_t device, int32_t from) {
  MCI_PLAY_PARMS play = {};
  play.dwCallback = (DWORD_PTR)notifyWindow;
  play.dwFrom = (DWORD)from;
  return send(device, MCI_PLAY, MCI_FROM | MCI_NOTIFY, &play) == 0;
}

static void stopDevice(uint32_t device) { send(device, MCI_STOP, MCI_WAIT); }

static HWND deviceWindow(uint32_t device) { return (HWND)status(device, MCI_DGV_STATUS_HWND); }

// Shows one frame while the movie does not play: the device goes there and
// its window, which paints the frame the device stands on, is repainted.
static void showFrame(MoviePlayerObject *mp, int32_t frame) {
  MoviePlayback *p = mp->play;
  if (frame >= mp->movie->frames) frame = mp->movie->frames - 1;
  if (!p->device || frame < 0) return;
  MCI_SEEK_PARMS seek = {};
  seek.dwTo = (DWORD)frame;
  send(p->device, MCI_SEEK, MCI_TO | MCI_WAIT, &seek);
  if (p->window) RedrawWindow(p->window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

// The device stays open, unless someone else closed it (a file sound's
// "close all" closes every device of the program).
static bool alive(uint32_t device) {
  MCI_STATUS_PARMS s = {};
  s.dwItem = MCI_STATUS_MODE;
  return send(device, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, &s) == 0;
}

// The playback lets go of its device: off the list, closed unless gone already.
static void forgetDevice(MoviePlayback *p, bool close) {
  if (!p->device) return;
  for (MoviePlayback **at = &openList; *at; at = &(*at)->next)
    if (*at == p) {
      *at = p->next;
      break;
    }
  if (close) movie_device_close(p->device);
  p->device = 0;
  p->window = nullptr;
}

static void ended(MoviePlayerObject *mp, bool raise, bool atEnd = false);

// A device closed behind the player's back: playing ends, and the next
// need opens it again.
static bool lost(MoviePlayerObject *mp) {
  MoviePlayback *p = mp->play;
  if (!p->device || alive(p->device)) return false;
  forgetDevice(p, false);
  ended(mp, true, true);
  return true;
}

uint32_t playback_device(MoviePlayerObject *mp) {
  MoviePlayback *p = mp->play;
  lost(mp);
  if (p->device || !mp->movie || !mp->control.pane) return p->device;
  HWND pane = mp->control.pane->hwnd;
  const char *path = movie_path(mp->movie);
  if (!path) return 0;
  playback_attach_window();
  p->device = pane ? movie_device_open(path, pane) : 0;
  if (!p->device) return 0;
  MCI_SET_PARMS set = {};
  set.dwTimeFormat = MCI_FORMAT_FRAMES;
  send(p->device, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, &set);
  p->window = deviceWindow(p->device);
  p->player = mp;
  p->next = openList;
  openList = p;
  player_layout(mp);
  if (p->window) ShowWindow(p->window, SW_SHOWNA);
  showFrame(mp, frameOf(mp->movie, mp->position));
  return p->device;
}

HWND playback_window(MoviePlayerObject *mp) { return mp->play ? mp->play->window : nullptr; }

/* ---- the tick and the position ---- */

static void startTick() {
  if (playingCount++ == 0 && notifyWindow) SetTimer(notifyWindow, kTickTimer, kTickMillis, nullptr);
}
static void endTick() {
  if (--playingCount == 0 && notifyWindow) KillTimer(notifyWindow, kTickTimer);
}

static void writePosition(MoviePlayerObject *mp, int32_t ms) {
  if (mp->position == ms) return;
  mp->position = mp->play->written = ms;
  player_redraw_strip(mp);
}

// The device's frame as the player's position.
static void readPosition(MoviePlayerObject *mp) {
  MoviePlayback *p = mp->play;
  if (p->direction < 0) return writePosition(mp, millisOf(mp->movie, p->frame));
  if (p->device)
    writePosition(mp, millisOf(mp->movie, (int32_t)status(p->device, MCI_STATUS_POSITION)));
}

/* ---- playing ---- */

static bool forward(MoviePlayerObject *mp, int32_t fromFrame) {
  MoviePlayback *p = mp->play;
  stopDevice(p->device);
  p->direction = 1;
  return playFrom(p->device, fromFrame);
}

// Playing ends: the device stops, the tick may end, Stopped is raised. The
// position is read from where it stands, unless the movie reached an end.
static void ended(MoviePlayerObject *mp, bool raise, bool atEnd) {
  MoviePlayback *p = mp->play;
  if (!mp->playing) return;
  if (p->device) stopDevice(p->device);
  if (!atEnd) readPosition(mp);
  mp->playing = 0;
  p->direction = 0;
  endTick();
  player_redraw_strip(mp);
  if (raise) deliver_to_control(&mp->control, "Stopped");
}

// The movie reached its end (the start, coming back): Finished is raised,
// then a looping movie starts again and any other stops.
static void passEnded(MoviePlayerObject *mp) {
  RuntimeLockObject(&mp->control.header);
  writePosition(mp, mp->play->direction < 0 ? 0 : mp->movie->duration);
  deliver_to_control(&mp->control, "Finished");
  if (mp->playing && mp->play && mp->looping && mp->play->device) {
    if (!forward(mp, 0)) ended(mp, true);
  } else {
    ended(mp, true, true);
  }
  RuntimeUnlockObject(&mp->control.header);
}

static void reachedEnd(MoviePlayerObject *mp) {
  MoviePlayback *p = mp->play;
  showFrame(mp, mp->movie->frames - 1); /* the device may stop before painting it */
  if (!mp->palindrome) return passEnded(mp);
  p->direction = -1; /* the way back, stepped by the tick */
  p->frame = mp->movie->frames - 1;
  p->lastStep = GetTickCount();
  writePosition(mp, mp->movie->duration);
}

// One step of the way back, once a frame's time has passed.
static void stepBack(MoviePlayerObject *mp) {
  MoviePlayback *p = mp->play;
  uint32_t period = (uint32_t)(mp->movie->duration / (mp->movie->frames ? mp->movie->frames : 1));
  if (GetTickCount() - p->lastStep < period) return;
  p->lastStep = GetTickCount();
  if (--p->frame < 0) {
    p->frame = 0;
    return passEnded(mp);
  }
  showFrame(mp, p->frame);
  readPosition(mp);
}

// A position the program wrote into the field: the device goes there.
static void takeUpPosition(MoviePlayerObject *mp) {
  MoviePlayback *p = mp->play;
  if (mp->position == p->written) return;
  playback_seek(mp, mp->position);
}

void playback_seek(MoviePlayerObject *mp, int32_t ms) {
  MoviePlayback *p = mp->play;
  if (!mp->movie) return;
  if (ms < 0) ms = 0;
  if (ms > mp->movie->duration) ms = mp->movie->duration;
  mp->position = p->written = ms;
  int32_t frame = frameOf(mp->movie, ms);
  if (!playback_device(mp)) return player_redraw_strip(mp);
  if (mp->playing && p->direction < 0) {
    p->frame = frame;
  } else if (mp->playing) {
    if (!forward(mp, frame)) ended(mp, true);
  } else {
    stopDevice(p->device);
    showFrame(mp, frame);
  }
  player_redraw_strip(mp);
}

void playback_play(MoviePlayerObject *mp) {
  if (mp->playing || !mp->movie || !playback_device(mp)) return;
  MoviePlayback *p = mp->play;
  int32_t frame = frameOf(mp->movie, mp->position);
  if (frame >= mp->movie->frames) frame = 0; /* at the end: from the start again */
  if (!forward(mp, frame)) return;
  mp->playing = 1;
  writePosition(mp, millisOf(mp->movie, frame));
  p->written = mp->position;
  startTick();
  player_redraw_strip(mp);
  deliver_to_control(&mp->control, "Started");
}

void playback_stop(MoviePlayerObject *mp) { ended(mp, true); }

void playback_release(MoviePlayerObject *mp) {
  MoviePlayback *p = mp->play;
  if (!p) return;
  ended(mp, false);
  p->written = 0;
  forgetDevice(p, true);
}

void playback_shut_down() {
  while (openList) playback_release(openList->player);
  if (notifyWindow) DestroyWindow(notifyWindow);
  notifyWindow = nullptr;
}

/* ---- the notification window ---- */

static MoviePlayback *playbackOf(uint32_t device) {
  for (MoviePlayback *p = openList; p; p = p->next)
    if (p->device == device) return p;
  return nullptr;
}

// The device says a play ended. It says so too when a play was stopped or
// sought away from, so only a device that is still and stands on the last
// frame counts (the device stops after or on the last frame, as it counts
// the end of a play).
static void notified(uint32_t device, WPARAM how) {
  MoviePlayback *p = playbackOf(device);
  MoviePlayerObject *mp = p ? p->player : nullptr;
  if (!mp || !mp->playing || p->direction != 1) return;
  if (how == MCI_NOTIFY_FAILURE) return ended(mp, true);
  if (how != MCI_NOTIFY_SUCCESSFUL || status(device, MCI_STATUS_MODE) == MCI_MODE_PLAY) return;
  if ((int32_t)status(device, MCI_STATUS_POSITION) < mp->movie->frames - 1) return;
  reachedEnd(mp);
}

static void tick() {
  for (MoviePlayback *p = openList, *next; p; p = next) {
    next = p->next; /* a handler may release this one */
    MoviePlayerObject *mp = p->player;
    if (!mp->playing || lost(mp)) continue;
    takeUpPosition(mp);
    if (p->direction < 0)
      stepBack(mp);
    else
      readPosition(mp);
  }
}

static LRESULT CALLBACK notifyProcedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  if (message == MM_MCINOTIFY) {
    notified((uint32_t)lp, wp);
    return 0;
  }
  if (message == WM_TIMER && wp == kTickTimer) {
    tick();
    return 0;
  }
  return DefWindowProcA(hwnd, message, wp, lp);
}

// The notification window, made with the first player.
void playback_attach_window() {
  if (notifyWindow) return;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = notifyProcedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kWindowClass;
  RegisterClassA(&wc); /* a second registration fails harmlessly */
  notifyWindow = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 wc.hInstance, nullptr);
}
