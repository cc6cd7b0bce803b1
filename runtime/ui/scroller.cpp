// ScrollBar and Slider: their panes over a native scroll bar or track bar, the
// shared property accessors, the scroll bar's range and enabling rule, the
// moves made by the user's clicks and drags, and the ValueChanged report.
#include "ui/scroller.h"
#include "objects/registry.h"
#include "ui/windowobject.h"
#include <climits>
#include <commctrl.h>

struct ScrollPane {
  Pane pane;         // 0
  uint8_t slider;    // 104: 1 over a track bar, 0 over a scroll bar
  int32_t lastValue; // 108: the position last reported
  int32_t lineStep;  // 112
  int32_t pageStep;  // 116
  void (*report)(Pane *pane, int32_t old, int32_t now); // 120: the receiver of value changes
};
static_assert(offsetof(ScrollPane, slider) == sizeof(Pane));

enum {
  kTrackBarNoTicks = TBS_NOTICKS, // 0x10
  kTrackBarVertical = TBS_VERT,   // 0x02
};

static ScrollPane *spane(Pane *p) { return (ScrollPane *)p; }
static ScrollerObject *scrollerOf(Pane *p) { return (ScrollerObject *)pane_control(p); }
static HWND hwndOf(ScrollerObject *s) { return s->control.pane->hwnd; }
static bool isSlider(ScrollerObject *s) { return spane(s->control.pane)->slider; }

/* ---- the native side ---- */

static int32_t nativeMinimum(ScrollerObject *s) {
  if (isSlider(s)) return (int32_t)SendMessageA(hwndOf(s), TBM_GETRANGEMIN, 0, 0);
  INT low = 0, high = 0;
  SendMessageA(hwndOf(s), SBM_GETRANGE, (WPARAM)&low, (LPARAM)&high);
  return low;
}

static int32_t nativeMaximum(ScrollerObject *s) {
  if (isSlider(s)) return (int32_t)SendMessageA(hwndOf(s), TBM_GETRANGEMAX, 0, 0);
  INT low = 0, high = 0;
  SendMessageA(hwndOf(s), SBM_GETRANGE, (WPARAM)&low, (LPARAM)&high);
  return high;
}

static int32_t nativeValue(ScrollerObject *s) {
  return (int32_t)SendMessageA(hwndOf(s), isSlider(s) ? TBM_GETPOS : SBM_GETPOS, 0, 0);
}

static void setNativeValue(ScrollerObject *s, int32_t v) {
  if (isSlider(s))
    SendMessageA(hwndOf(s), TBM_SETPOS, TRUE, v);
  else
    SendMessageA(hwndOf(s), SBM_SETPOS, v, TRUE);
}

// A scroll bar's range may span at most INT_MAX positions: a wider one (from
// extreme values, or NaN turned into an Integer) is cut at the top.
static int32_t spanLimited(int32_t low, int32_t high) {
  return (int64_t)high - low > INT_MAX ? (int32_t)((int64_t)low + INT_MAX) : high;
}

// The scroll bar can be used only over a range of more than one position,
// and never while the control is disabled.
static bool rangeUsable(ScrollerObject *s) { return nativeMinimum(s) < nativeMaximum(s); }

static void applyEnabling(ScrollerObject *s) {
  EnableWindow(hwndOf(s), s->control.pane->enabled && rangeUsable(s));
}

static int32_t clamp(int64_t v, int32_t low, int32_t high) {
  return v < low ? low : v > high ? high : (int32_t)v;
}

// The position is kept inside the new range, whichever way the native
// control treats one that falls outside.
static void setRange(ScrollerObject *s, int32_t low, int32_t high) {
  HWND h = hwndOf(s);
  if (isSlider(s)) { /* a slider's range is set without enabling or disabling */
    SendMessageA(h, TBM_SETRANGEMIN, FALSE, low);
    SendMessageA(h, TBM_SETRANGEMAX, TRUE, high);
  } else {
    SendMessageA(h, SBM_SETRANGEREDRAW, low, spanLimited(low, high));
    applyEnabling(s);
  }
  int32_t pos = nativeValue(s), kept = clamp(pos, nativeMinimum(s), nativeMaximum(s));
  if (kept != pos) setNativeValue(s, kept);
}

static void setStep(ScrollerObject *s, int32_t n, int32_t v) {
  ScrollPane *sp = spane(s->control.pane);
  (n == kScrollLineStep ? sp->lineStep : sp->pageStep) = v;
  if (isSlider(s))
    SendMessageA(hwndOf(s), n == kScrollLineStep ? TBM_SETLINESIZE : TBM_SETPAGESIZE, 0, v);
}

static int32_t step(ScrollerObject *s, int32_t n) {
  ScrollPane *sp = spane(s->control.pane);
  int32_t &kept = n == kScrollLineStep ? sp->lineStep : sp->pageStep;
  if (isSlider(s))
    kept = (int32_t)SendMessageA(hwndOf(s),
                                 n == kScrollLineStep ? TBM_GETLINESIZE : TBM_GETPAGESIZE, 0, 0);
  return kept;
}

/* ---- change reports ---- */

// The native position against the last one reported: a difference becomes
// the last value and goes to the receiver.
static void changeCheck(ScrollerObject *s) {
  Pane *p = s->control.pane;
  if (!p || p->closing) return;
  int32_t now = nativeValue(s), old = spane(p)->lastValue;
  if (now == old) return;
  spane(p)->lastValue = s->value = now;
  if (spane(p)->report) spane(p)->report(p, old, now);
}

static void reportToControl(Pane *p, int32_t, int32_t) {
  if (ScrollerObject *s = scrollerOf(p)) deliver_change(&s->control, "ValueChanged");
}

/* ---- the user's moves ---- */

static int32_t trackPosition(ScrollerObject *s) {
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_TRACKPOS;
  GetScrollInfo(hwndOf(s), SB_CTL, &info);
  return info.nTrackPos;
}

// Where a scroll bar's notification moves it; false when it does not move
// (the end of a scroll, or a thumb dragged without LiveScroll).
static bool scrollBarTarget(ScrollerObject *s, int code, int32_t *target) {
  int64_t pos = nativeValue(s);
  ScrollPane *sp = spane(s->control.pane);
  switch (code) {
  case SB_LINEUP:
    pos -= sp->lineStep;
    break;
  case SB_LINEDOWN:
    pos += sp->lineStep;
    break;
  case SB_PAGEUP:
    pos -= sp->pageStep;
    break;
  case SB_PAGEDOWN:
    pos += sp->pageStep;
    break;
  case SB_THUMBTRACK:
    if (!s->liveScroll) return false; /* reported on release */
    pos = trackPosition(s);
    break;
  case SB_THUMBPOSITION:
    pos = trackPosition(s);
    break;
  case SB_TOP:
    pos = nativeMinimum(s);
    break;
  case SB_BOTTOM:
    pos = nativeMaximum(s);
    break;
  default:
    return false;
  }
  *target = clamp(pos, nativeMinimum(s), nativeMaximum(s));
  return true;
}

// The scroll bar moves itself only when told; the track bar has moved
// already when it notifies, so only the report is left, held back while a
// thumb is dragged without LiveScroll.
static LRESULT scrolled(Pane *p, UINT, WPARAM wParam) {
  ScrollerObject *s = scrollerOf(p);
  if (!s) return 0;
  int code = LOWORD(wParam);
  if (spane(p)->slider) {
    if (code != TB_THUMBTRACK || s->liveScroll) changeCheck(s);
    return 0;
  }
  int32_t target;
  if (!scrollBarTarget(s, code, &target)) return 0;
  setNativeValue(s, target);
  changeCheck(s);
  return 0;
}

// Enabling the control does not make a scroll bar over an empty range usable.
static bool filter(Pane *p, UINT message, WPARAM wParam, LPARAM, LRESULT *result) {
  ScrollerObject *s = scrollerOf(p);
  if (message != WM_ENABLE || !wParam || !s || spane(p)->slider || rangeUsable(s)) return false;
  EnableWindow(p->hwnd, FALSE);
  *result = 0;
  return true;
}

static const PaneKind kScrollKind = {
    .name = "scroller",
    .mouseDown = control_mouse_down,
    .mouseDrag = control_mouse_drag,
    .mouseUp = control_mouse_up,
    .gotFocus = control_got_focus,
    .lostFocus = control_lost_focus,
    .scroll = scrolled,
    .filter = filter,
};

/* ---- the pane ---- */

static ClassDef *sliderClass() {
  static ClassDef *cls = registry_find("Slider");
  return cls;
}

// The values the instance holds go to the native control as it is made, so
// that what was set before the window was built is what the user sees.
static void applyInstance(ScrollerObject *s) {
  setStep(s, kScrollLineStep, s->lineStep);
  setStep(s, kScrollPageStep, s->pageStep);
  setRange(s, s->minimum, s->maximum);
  setNativeValue(s, s->value);
  spane(s->control.pane)->lastValue = s->value = nativeValue(s); /* no report at creation */
}

static void createPane(Object *o) {
  ScrollerObject *s = (ScrollerObject *)o;
  bool slider = class_derives_from(o->cls, sliderClass());
  Rect16 b = s->control.bounds;
  bool wide = b.right - b.left > b.bottom - b.top;
  DWORD style = slider ? (kTrackBarNoTicks | (wide ? 0 : kTrackBarVertical)) | WS_TABSTOP
                       : (wide ? SBS_HORZ : SBS_VERT);
  Pane *p = control_make_pane(&s->control, &kScrollKind, sizeof(ScrollPane),
                              slider ? TRACKBAR_CLASSA : "SCROLLBAR", "", style);
  if (!p) return;
  spane(p)->slider = slider;
  spane(p)->report = reportToControl;
  applyInstance(s);
}

void scroller_install() {
  control_kind_register("ScrollBar", createPane);
  control_kind_register("Slider", createPane);
}

/* ---- accessors ---- */

static bool known(int32_t n) { return n >= kScrollMinimum && n <= kScrollPageStep; }

static int32_t *field(ScrollerObject *s, int32_t n) { return &s->minimum + n; }

extern "C" {
int32_t scrollerPropGetter(ScrollerObject *s, int32_t n) {
  if (!known(n)) return 0;
  if (!s->control.pane) return *field(s, n);
  switch (n) {
  case kScrollMinimum:
    return nativeMinimum(s);
  case kScrollValue:
    return nativeValue(s);
  case kScrollMaximum:
    return nativeMaximum(s);
  default:
    return step(s, n);
  }
}

void scrollerPropSetter(ScrollerObject *s, int32_t n, int32_t v) {
  if (!known(n)) return;
  *field(s, n) = v;
  if (!s->control.pane || s->control.pane->closing) return;
  switch (n) {
  case kScrollValue:
    setNativeValue(s, v);
    break;
  case kScrollMinimum:
  case kScrollMaximum: /* the other end stays where it is */
    setRange(s, s->minimum, s->maximum);
    break;
  default:
    setStep(s, n, v);
    return;
  }
  changeCheck(s);
}
}
