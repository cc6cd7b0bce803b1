// ProgressBar: its pane over a native progress bar, the Value and Maximum
// accessors, and the indeterminate bar: a block of 8 pixels that a periodic
// task of the event loop moves forward and back while Maximum is not positive.
#include "ui/progressbar.h"
#include "lifecycle/application.h"
#include "ui/theme.h"
#include <commctrl.h>

struct ProgressPane {
  Pane pane;          // 0
  PeriodicTask *task; // 104: while the block moves
  int32_t phase;      // 108: the block's step across the bar
  uint8_t backward;   // 112
  uint8_t cleared;    // 113: its area was invalidated once while off screen
};
static_assert(offsetof(ProgressPane, task) == sizeof(Pane));

enum {
  kShortRangeTop = 0xFFFF, // PBM_SETRANGE carries the maximum in 16 bits
  kThemeBar = 1,           // the "Progress" theme class's parts
  kThemeChunk = 3,
  kBlockInset = 2,
};

static int32_t animations;
int32_t progress_animations() { return animations; }

static ProgressPane *ppane(ProgressBarObject *b) { return (ProgressPane *)b->control.pane; }
static bool open(ProgressBarObject *b) { return b->control.pane && !b->control.pane->closing; }

void progress_phase(ProgressBarObject *b, int32_t *phase, bool *backward) {
  *phase = open(b) ? ppane(b)->phase : 0;
  *backward = open(b) && ppane(b)->backward;
}

/* ---- the moving block ---- */

// One step: forward until the block would leave the bar, then back to the start.
static void advance(ProgressPane *pp) {
  int32_t steps = pp->pane.width / kProgressBlock;
  if (!pp->backward) {
    if (++pp->phase >= steps) pp->backward = 1, pp->phase = steps - 1;
  } else if (--pp->phase < 0) {
    pp->backward = 0, pp->phase = 1;
  }
}

static void tick(void *context) {
  ProgressPane *pp = (ProgressPane *)context;
  if (!pane_on_screen(&pp->pane)) { /* once: what shows there now is drawn again */
    if (!pp->cleared && pp->pane.hwnd) {
      RECT r;
      GetWindowRect(pp->pane.hwnd, &r);
      MapWindowPoints(nullptr, GetParent(pp->pane.hwnd), (POINT *)&r, 2);
      InvalidateRect(GetParent(pp->pane.hwnd), &r, TRUE);
    }
    pp->cleared = 1;
    return;
  }
  pp->cleared = 0;
  advance(pp);
  InvalidateRect(pp->pane.hwnd, nullptr, FALSE);
}

static void startBlock(ProgressPane *pp) {
  if (pp->task) return;
  pp->phase = 0, pp->backward = 0, pp->cleared = 0;
  pp->task = loop_add_task(tick, pp, kProgressPeriod);
  animations++;
  InvalidateRect(pp->pane.hwnd, nullptr, TRUE);
}

static void stopBlock(ProgressPane *pp) {
  if (!pp->task) return;
  loop_remove_task(pp->task);
  pp->task = nullptr;
  animations--;
  if (pp->pane.hwnd) InvalidateRect(pp->pane.hwnd, nullptr, TRUE);
}

typedef HANDLE(WINAPI *OpenTheme)(HWND, LPCWSTR);
typedef HRESULT(WINAPI *CloseTheme)(HANDLE);
typedef HRESULT(WINAPI *DrawTheme)(HANDLE, HDC, int, int, const RECT *, const RECT *);

static bool drawThemed(HWND hwnd, HDC dc, const RECT *bar, const RECT *block) {
  if (!theme_active() || !gTheme.OpenThemeData || !gTheme.DrawThemeBackground) return false;
  HANDLE theme = ((OpenTheme)(void *)gTheme.OpenThemeData)(hwnd, L"Progress");
  if (!theme) return false;
  ((DrawTheme)(void *)gTheme.DrawThemeBackground)(theme, dc, kThemeBar, 0, bar, nullptr);
  ((DrawTheme)(void *)gTheme.DrawThemeBackground)(theme, dc, kThemeChunk, 0, block, nullptr);
  if (gTheme.CloseThemeData) ((CloseTheme)(void *)gTheme.CloseThemeData)(theme);
  return true;
}

// Without visual styles: a sunken button face with a shadow-coloured block.
static void drawPlain(HDC dc, RECT bar, const RECT *block) {
  FillRect(dc, &bar, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &bar, BDR_SUNKENOUTER, BF_RECT);
  FillRect(dc, block, GetSysColorBrush(COLOR_BTNSHADOW));
}

static void paintBlock(ProgressPane *pp) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(pp->pane.hwnd, &ps);
  RECT bar;
  GetClientRect(pp->pane.hwnd, &bar);
  int x = pp->phase * kProgressBlock;
  RECT block = {x + kBlockInset, kBlockInset, x + kProgressBlock, bar.bottom - kBlockInset};
  if (!drawThemed(pp->pane.hwnd, dc, &bar, &block)) drawPlain(dc, bar, &block);
  EndPaint(pp->pane.hwnd, &ps);
}

// While the block moves the runtime paints the bar; otherwise the native
// control does.
static bool filter(Pane *p, UINT message, WPARAM, LPARAM, LRESULT *result) {
  ProgressPane *pp = (ProgressPane *)p;
  if (!pp->task) return false;
  if (message == WM_ERASEBKGND) {
    *result = 1;
    return true;
  }
  if (message != WM_PAINT) return false;
  paintBlock(pp);
  *result = 0;
  return true;
}

static const PaneKind kProgressKind = {
    .name = "progress bar",
    .mouseDown = control_mouse_down,
    .mouseDrag = control_mouse_drag,
    .mouseUp = control_mouse_up,
    .destroy = [](Pane *p) { stopBlock((ProgressPane *)p); },
    .filter = filter,
};

/* ---- the native bar ---- */

static void applyMaximum(ProgressBarObject *b) {
  HWND h = b->control.pane->hwnd;
  int32_t top = b->maximum > 0 ? b->maximum : 0;
  if (top > kShortRangeTop)
    SendMessageA(h, PBM_SETRANGE32, 0, top); /* too wide for the 16-bit message */
  else
    SendMessageA(h, PBM_SETRANGE, 0, MAKELPARAM(0, top));
  if (b->maximum > 0)
    stopBlock(ppane(b));
  else
    startBlock(ppane(b));
}

static void createPane(Object *o) {
  ProgressBarObject *b = (ProgressBarObject *)o;
  if (!control_make_pane(&b->control, &kProgressKind, sizeof(ProgressPane), PROGRESS_CLASSA, "", 0))
    return;
  applyMaximum(b); /* what was set before the window was built */
  SendMessageA(b->control.pane->hwnd, PBM_SETPOS, b->value, 0);
}

void progressbar_install() { control_kind_register("ProgressBar", createPane); }

/* ---- accessors ---- */

extern "C" {
int32_t progressValueGetter(ProgressBarObject *b) { return b->value; }
int32_t progressMaximumGetter(ProgressBarObject *b) { return b->maximum; }

void progressValueSetter(ProgressBarObject *b, int32_t, int32_t v) {
  b->value = v;
  if (open(b)) SendMessageA(b->control.pane->hwnd, PBM_SETPOS, v, 0);
}

void progressMaximumSetter(ProgressBarObject *b, int32_t, int32_t v) {
  b->maximum = v;
  if (open(b)) applyMaximum(b);
}
}
