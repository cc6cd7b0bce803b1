// Timers: Mode and Period, the platform timers of the hidden "QXTimer"
// window (one per armed Timer, identified by the object), the list of live
// timers, and the expiry that raises Action.
#include "ui/timer.h"
#include "base/platform.h"
#include "lifecycle/application.h"
#include "objects/registry.h"
#include "ui/control.h"

enum : int32_t { kDefaultPeriod = 1000 };

static HWND window;         // "QXTimer", made with its class by the first Timer
static TimerObject *timers; // every live Timer, newest first

/* ---- deadline arithmetic ---- */

int64_t timer_remaining(uint32_t start, int32_t period, uint32_t now) {
  uint32_t gone = now - start; /* wraps with the platform count */
  return (int64_t)period - gone;
}

UINT timer_platform_delay(int64_t ms) {
  if (ms < 1) return 1;
  return ms > USER_TIMER_MAXIMUM ? USER_TIMER_MAXIMUM : (UINT)ms;
}

int64_t timer_rearm_delay(int16_t mode, uint32_t start, int32_t period, uint32_t now) {
  int64_t remaining = timer_remaining(start, period, now);
  if (remaining >= 0) return remaining;
  return mode == kTimerMultiple ? period : 1;
}

static uint32_t now() { return gLoopHooks.milliseconds(); }

/* ---- the list and the platform timers ---- */

HWND timer_window() { return window; }

bool timer_is_live(const TimerObject *t) {
  for (TimerObject *p = timers; p; p = p->next)
    if (p == t) return true;
  return false;
}

static void arm(TimerObject *t, int64_t delay) {
  t->interval = timer_platform_delay(delay);
  t->armed = SetTimer(window, (UINT_PTR)t, t->interval, nullptr) != 0;
}

static void disarm(TimerObject *t) {
  if (t->armed) KillTimer(window, (UINT_PTR)t);
  t->armed = 0;
}

// One expiry: single timers end; a multiple one with a handler goes on, its
// platform timer repeating by itself unless a shortened period has to give
// way to the full one; then Action, with the timer held so that the handler
// may release it.
static void expire(TimerObject *t) {
  bool handled = has_handler(&t->header, "Action");
  if (t->mode != kTimerMultiple || !handled) {
    disarm(t); /* a multiple timer nobody listens to stays quiet until set again */
    if (t->mode != kTimerMultiple) t->mode = kTimerOff;
  } else if (t->interval != timer_platform_delay(t->period)) {
    arm(t, t->period);
  }
  if (t->mode == kTimerMultiple) t->start = now();
  if (handled) deliver(&t->header, nullptr, "Action");
}

// An expiry still queued for a timer that was stopped or destroyed since
// names no armed live timer, and is dropped without touching the object.
static LRESULT CALLBACK timerProcedure(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  if (message != WM_TIMER) return DefWindowProcA(hwnd, message, wp, lp);
  TimerObject *t = (TimerObject *)wp;
  if (timer_is_live(t) && t->armed) expire(t);
  return 0;
}

static void makeWindow() {
  if (window) return;
  HINSTANCE instance = gInstance ? gInstance : GetModuleHandleA(nullptr);
  WNDCLASSA c = {};
  c.lpfnWndProc = timerProcedure;
  c.hInstance = instance;
  c.lpszClassName = "QXTimer";
  RegisterClassA(&c);
  window =
      CreateWindowExA(0, "QXTimer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
}

void timer_stop_placed(Object *w) {
  for (TimerObject *t = timers; t; t = t->next)
    if (t->owner == w) {
      disarm(t);
      t->mode = kTimerOff;
    }
}

/* ---- the class ---- */

static void makeTimer(Object *o, ClassDef *) {
  TimerObject *t = (TimerObject *)o;
  makeWindow();
  t->period = kDefaultPeriod;
  t->start = now();
  t->next = timers;
  timers = t;
}

static void destroyTimer(Object *o, ClassDef *) {
  TimerObject *t = (TimerObject *)o;
  disarm(t);
  for (TimerObject **link = &timers; *link; link = &(*link)->next)
    if (*link == t) {
      *link = t->next;
      break;
    }
}

void timer_classes_attach() {
  ClassDef *cls = registry_find("Timer");
  cls->constructor = makeTimer;
  cls->destructor = destroyTimer;
}

/* ---- the accessors ---- */

int32_t timerModeGetter(TimerObject *t, int32_t) { return t->mode; }
int32_t timerPeriodGetter(TimerObject *t, int32_t) { return t->period; }

void timerModeSetter(TimerObject *t, int32_t, int32_t value) {
  t->mode = (int16_t)value;
  t->start = now();
  if (t->mode != kTimerOff)
    arm(t, t->period);
  else
    disarm(t);
}

void timerPeriodSetter(TimerObject *t, int32_t, int32_t value) {
  t->period = value > 0 ? value : 1;
  if (t->mode == kTimerOff || !t->armed) return;
  arm(t, timer_rearm_delay(t->mode, t->start, t->period, now())); /* replaces the running one */
}
