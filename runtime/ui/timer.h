// Timers: the Timer record, the hidden "QXTimer" window whose platform timers
// carry the timer objects, the process-wide list of timers, and their expiry.
#pragma once
#include "objects/objects.h"
#include <cstddef>
#include <windows.h>

enum TimerMode : int16_t {
  kTimerOff = 0,
  kTimerSingle = 1,
  kTimerMultiple = 2,
};

// A Timer instance.
struct TimerObject {
  Object header;     // 0
  Object *owner;     // 16: the window whose description placed it, or nil
  int16_t mode;      // 20: a TimerMode
  int16_t spare;     // 22
  int32_t period;    // 24: milliseconds, never below 1
  uint32_t start;    // 28: platform milliseconds at which the current period began
  uint32_t armed;    // 32: a platform timer is set for this object
  TimerObject *next; // 36: the process-wide list of timers
  uint32_t interval; // 40: milliseconds between the platform timer's expiries, while armed
};
static_assert(offsetof(TimerObject, owner) == 16);
static_assert(offsetof(TimerObject, mode) == 20);
static_assert(offsetof(TimerObject, period) == 24);
static_assert(offsetof(TimerObject, start) == 28);
static_assert(offsetof(TimerObject, armed) == 32);
static_assert(offsetof(TimerObject, interval) == 40);
static_assert(sizeof(TimerObject) <= 52);

// Milliseconds left of a period of `period` that began at `start`, seen at
// `now`; negative once the deadline has passed. The platform's millisecond
// count wraps at 2^32, so the time gone by is the wrapping difference.
int64_t timer_remaining(uint32_t start, int32_t period, uint32_t now);
// A delay the platform accepts: at least 1, at most USER_TIMER_MAXIMUM.
UINT timer_platform_delay(int64_t ms);
// The delay of the platform timer that a running timer gets when its period
// changes: what is left of the new period, or when that has passed already,
// 1 in single mode and the full new period in multiple mode.
int64_t timer_rearm_delay(int16_t mode, uint32_t start, int32_t period, uint32_t now);

// The hidden window that receives every timer's expiries (nil before the
// first Timer is made), and whether an object is a live timer.
HWND timer_window();
bool timer_is_live(const TimerObject *timer);

// Stops the timers a window's description placed on it, when it closes: their
// handlers reach the window through the timer, and the window is going.
void timer_stop_placed(Object *window);

void timer_classes_attach(); // the Timer class's constructor and destructor

extern "C" {
int32_t timerModeGetter(TimerObject *timer, int32_t);
void timerModeSetter(TimerObject *timer, int32_t, int32_t value);
int32_t timerPeriodGetter(TimerObject *timer, int32_t);
void timerPeriodSetter(TimerObject *timer, int32_t, int32_t value);
}
