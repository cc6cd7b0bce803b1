// The MoviePlayer control: a pane holding the movie's window in its picture
// area and, below it, the controller strip the runtime draws and presses
// itself (a play/stop button and a position bar); its properties, the
// receivers its bound parts give, and the class's set-up.
#include "media/movie.h"
#include "base/pool.h"
#include "objects/registry.h"
#include <digitalv.h>

enum : int { kBarMargin = 6, kBarHeight = 6, kThumbWidth = 6 };

// The actions a bound part performs.
enum PlayerAction : int32_t { kNoAction = 0, kPlayAction = 1, kStopAction = 2 };

// MoviePlayerAction: an action notification receiver that plays or stops a player.
struct MoviePlayerActionObject {
  Object header;             // 0
  MoviePlayerObject *target; // 16: retained
  int32_t action;            // 20: PlayerAction
};
static_assert(sizeof(MoviePlayerActionObject) == 24);

struct PlayerPane {
  Pane pane;       // 0
  uint8_t seeking; // 112: the mouse went down on the position bar and drags the position
};
static_assert(offsetof(PlayerPane, seeking) == sizeof(Pane));

static MoviePlayerObject *playerOf(Pane *p) { return (MoviePlayerObject *)pane_control(p); }

/* ---- geometry ---- */

static RECT boundsOf(const MoviePlayerObject *mp) {
  const Pane *p = mp->control.pane;
  return rect_platform(p ? p->bounds : mp->control.bounds);
}

RECT player_strip_rect(const MoviePlayerObject *mp) {
  RECT r = boundsOf(mp);
  r.top = mp->controller ? r.bottom - kControllerHeight : r.bottom;
  if (r.top < boundsOf(mp).top) r.top = boundsOf(mp).top;
  return r;
}

RECT player_picture_rect(const MoviePlayerObject *mp) {
  RECT r = boundsOf(mp);
  r.bottom = player_strip_rect(mp).top;
  return r;
}

static RECT buttonRect(const MoviePlayerObject *mp) {
  RECT s = player_strip_rect(mp);
  return {s.left, s.top, s.left + kControllerHeight, s.bottom};
}

static RECT barRect(const MoviePlayerObject *mp) {
  RECT s = player_strip_rect(mp);
  int middle = (s.top + s.bottom) / 2;
  return {s.left + kControllerHeight + kBarMargin, middle - kBarHeight / 2, s.right - kBarMargin,
          middle + kBarHeight / 2};
}

// The movie's size in the picture area: its own, shrunk to fit with its shape kept.
static SIZE shownSize(const MovieObject *m, RECT area) {
  int w = m->baseWidth, h = m->baseHeight;
  int aw = area.right - area.left, ah = area.bottom - area.top;
  if (aw <= 0 || ah <= 0) return {0, 0};
  if (w > aw) h = (int)((int64_t)h * aw / w), w = aw;
  if (h > ah) w = (int)((int64_t)w * ah / h), h = ah;
  return {w, h};
}

void player_layout(MoviePlayerObject *mp) {
  HWND window = playback_window(mp);
  Pane *p = mp->control.pane;
  if (!mp->movie || !p) return;
  RECT area = player_picture_rect(mp);
  SIZE size = shownSize(mp->movie, area);
  mp->movie->width = (int16_t)size.cx;
  mp->movie->height = (int16_t)size.cy;
  if (!window) return;
  int x = area.left + (area.right - area.left - size.cx) / 2 - p->bounds.left;
  int y = area.top + (area.bottom - area.top - size.cy) / 2 - p->bounds.top;
  RECT now;
  GetWindowRect(window, &now);
  MapWindowPoints(nullptr, p->hwnd, (POINT *)&now, 2);
  if (now.left == x && now.top == y && now.right - now.left == size.cx &&
      now.bottom - now.top == size.cy)
    return;
  MoveWindow(window, x, y, size.cx, size.cy, TRUE);
  MCI_DGV_PUT_PARMS put = {};
  put.rc = {0, 0, size.cx, size.cy}; /* the frame stretched over the whole window */
  mciSendCommandA(playback_device(mp), MCI_PUT, MCI_DGV_PUT_DESTINATION | MCI_DGV_RECT | MCI_WAIT,
                  (DWORD_PTR)&put);
}

void player_redraw_strip(MoviePlayerObject *mp) {
  Pane *p = mp->control.pane;
  if (!p || !mp->controller) return;
  RECT s = player_strip_rect(mp);
  pane_invalidate_rect(
      p, Rect16{(int16_t)s.top, (int16_t)s.left, (int16_t)s.bottom, (int16_t)s.right});
}

/* ---- drawing ---- */

static void drawGlyph(HDC dc, RECT b, bool playing, bool enabled) {
  HBRUSH brush = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  int cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2, r = (b.bottom - b.top) / 4;
  if (playing) { /* a square: Stop */
    RECT sq = {cx - r, cy - r, cx + r, cy + r};
    FillRect(dc, &sq, brush);
    return;
  }
  POINT tri[3] = {{cx - r, cy - r}, {cx - r, cy + r}, {cx + r, cy}}; /* a triangle: Play */
  HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  Polygon(dc, tri, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

static void drawBar(HDC dc, const MoviePlayerObject *mp) {
  RECT bar = barRect(mp);
  if (bar.right <= bar.left) return;
  DrawEdge(dc, &bar, BDR_SUNKENOUTER, BF_RECT);
  int32_t duration = mp->movie ? mp->movie->duration : 0;
  int span = bar.right - bar.left - kThumbWidth;
  int at = duration > 0 ? (int)((int64_t)span * mp->position / duration) : 0;
  RECT done = {bar.left + 1, bar.top + 1, bar.left + at + 1, bar.bottom - 1};
  if (done.right > done.left) FillRect(dc, &done, GetSysColorBrush(COLOR_HIGHLIGHT));
  RECT thumb = {bar.left + at, bar.top - 4, bar.left + at + kThumbWidth, bar.bottom + 4};
  DrawFrameControl(dc, &thumb, DFC_BUTTON, DFCS_BUTTONPUSH | (mp->movie ? 0 : DFCS_INACTIVE));
}

static void draw(Pane *p, HDC dc) {
  MoviePlayerObject *mp = playerOf(p);
  if (!mp || !pane_on_screen(p)) return;
  player_layout(mp); /* the bounds may have changed since */
  RECT picture = player_picture_rect(mp);
  FillRect(dc, &picture,
           (HBRUSH)GetStockObject(BLACK_BRUSH)); /* the movie's window is clipped out */
  if (!mp->controller) return;
  RECT strip = player_strip_rect(mp), button = buttonRect(mp);
  FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
  bool enabled = p->enabled && mp->movie;
  DrawFrameControl(dc, &button, DFC_BUTTON, DFCS_BUTTONPUSH | (enabled ? 0 : DFCS_INACTIVE));
  drawGlyph(dc, button, mp->playing, enabled);
  drawBar(dc, mp);
}

/* ---- the mouse: the button plays or stops, the bar seeks ---- */

static void seekTo(MoviePlayerObject *mp, POINT at) {
  RECT bar = barRect(mp);
  int span = bar.right - bar.left - kThumbWidth;
  if (!mp->movie || span <= 0) return;
  int x = at.x - bar.left - kThumbWidth / 2;
  x = x < 0 ? 0 : x > span ? span : x;
  playback_seek(mp, (int32_t)((int64_t)mp->movie->duration * x / span));
}

static bool mouseDown(Pane *p, POINT at, int modifiers) {
  MoviePlayerObject *mp = playerOf(p);
  if (!mp || !p->enabled) return false;
  RECT button = buttonRect(mp), bar = barRect(mp), strip = player_strip_rect(mp);
  InflateRect(&bar, 0, kControllerHeight / 2 - kBarHeight / 2);
  if (!mp->controller || !PtInRect(&strip, at)) return control_mouse_down(p, at, modifiers);
  if (PtInRect(&button, at)) {
    if (mp->playing)
      playback_stop(mp);
    else
      playback_play(mp);
  } else if (PtInRect(&bar, at)) {
    ((PlayerPane *)p)->seeking = 1;
    seekTo(mp, at);
    pane_track(p);
  }
  return true;
}

static void mouseDrag(Pane *p, POINT at) {
  MoviePlayerObject *mp = playerOf(p);
  if (!((PlayerPane *)p)->seeking) return control_mouse_drag(p, at);
  if (mp) seekTo(mp, at);
}

static void mouseUp(Pane *p, POINT at) {
  PlayerPane *pp = (PlayerPane *)p;
  if (!pp->seeking) return control_mouse_up(p, at);
  pp->seeking = 0;
}

static void destroyPane(Pane *p) {
  if (MoviePlayerObject *mp = (MoviePlayerObject *)p->owner) playback_release(mp);
}

static const PaneKind kPlayerKind = {
    .name = "movie player",
    .draw = draw,
    .mouseDown = mouseDown,
    .mouseDrag = mouseDrag,
    .mouseUp = mouseUp,
    .destroy = destroyPane,
};

static void createPane(Object *o) {
  MoviePlayerObject *mp = (MoviePlayerObject *)o;
  Pane *p = control_make_pane(&mp->control, &kPlayerKind, sizeof(PlayerPane), "QX_Pane", "",
                              WS_CLIPCHILDREN);
  if (p) playback_device(mp); /* a movie set before the window opened shows its first frame */
}

/* ---- the entry points ---- */

static bool isPlayer(Object *o) {
  ClassDef *player = registry_find("MoviePlayer");
  return o && player && class_derives_from(o->cls, player);
}

void RuntimeMediaPlay(MoviePlayerObject *mp) {
  if (isPlayer(&mp->control.header)) playback_play(mp);
}

void RuntimeMediaStop(MoviePlayerObject *mp) {
  if (isPlayer(&mp->control.header)) playback_stop(mp);
}

void mediaMovieSetter(MoviePlayerObject *mp, int32_t, MovieObject *movie) {
  if (movie == mp->movie) return;
  playback_stop(mp); /* Stopped is raised when it was playing */
  playback_release(mp);
  RuntimeLockObject((Object *)movie);
  RuntimeUnlockObject((Object *)mp->movie);
  mp->movie = movie;
  mp->position = 0; /* the release forgot the old movie's */
  if (mp->control.pane) {
    playback_device(mp);
    pane_invalidate(mp->control.pane);
  }
}

void mediaControllerLoopingSetter(MoviePlayerObject *mp, int32_t, bool v) { mp->looping = v; }
void mediaControllerPalindromeSetter(MoviePlayerObject *mp, int32_t, bool v) { mp->palindrome = v; }

int32_t mediaControllerWidthGetter(MoviePlayerObject *mp) {
  RECT s = player_strip_rect(mp);
  return mp->controller ? s.right - s.left : 0;
}

int32_t mediaControllerHeightGetter(MoviePlayerObject *mp) {
  RECT s = player_strip_rect(mp);
  return s.bottom - s.top;
}

bool mediaMovieControllerGetter(MoviePlayerObject *mp) { return mp->controller != 0; }

uint32_t getMoviePlayerController(Object *player) {
  return isPlayer(player) ? playback_device((MoviePlayerObject *)player) : 0;
}

/* ---- MoviePlayerAction: a receiver that plays or stops its player ---- */

static void perform(MoviePlayerActionObject *a) {
  if (!a->target) return;
  if (a->action == kPlayAction) playback_play(a->target);
  if (a->action == kStopAction) playback_stop(a->target);
}

Object *mediaGetBoundPart(MoviePlayerObject *mp, RString *part) {
  int32_t action = name_is(part, "Play") ? kPlayAction : name_is(part, "Stop") ? kStopAction : 0;
  ClassDef *cls = action ? registry_find("MoviePlayerAction") : nullptr;
  MoviePlayerActionObject *a = cls ? (MoviePlayerActionObject *)CreateInstance(cls) : nullptr;
  if (!a) return nullptr;
  a->target = (MoviePlayerObject *)RuntimeLockObject(&mp->control.header);
  a->action = action;
  return &a->header;
}

extern "C" void MoviePlayerActionPerformAction(MoviePlayerActionObject *a) {
  if (a) perform(a);
}

static void actionDestructor(Object *o, ClassDef *) {
  MoviePlayerActionObject *a = (MoviePlayerActionObject *)o;
  if (a->target) RuntimeUnlockObject(&a->target->control.header);
  a->target = nullptr;
}

/* ---- the class ---- */

static void constructor(Object *o, ClassDef *) {
  MoviePlayerObject *mp = (MoviePlayerObject *)o;
  mp->play = playback_new();
  mp->controller = 1;
}

static void destructor(Object *o, ClassDef *) {
  MoviePlayerObject *mp = (MoviePlayerObject *)o;
  if (mp->play) {
    playback_release(mp);
    playback_free(mp->play);
    mp->play = nullptr;
  }
  RuntimeUnlockObject((Object *)mp->movie);
  mp->movie = nullptr;
}

void movieplayer_install() {
  control_kind_register("MoviePlayer", createPane);
  if (ClassDef *cls = registry_find("MoviePlayer")) {
    cls->constructor = constructor;
    cls->destructor = destructor;
  }
  if (ClassDef *cls = registry_find("MoviePlayerAction")) {
    cls->destructor = actionDestructor;
    for (MethodRecord *m = cls->methods; m; m = m->next) /* no entry names it */
      if (name_is(m->name, "performAction")) m->entry = (void *)MoviePlayerActionPerformAction;
  }
}
