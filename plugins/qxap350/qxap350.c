/* qxap350.dll: registers the Separator control, a thin etched rule drawn
   across the middle of its bounds (along the longer side) that takes no
   input. Position, size, visibility and enabling come from RectControl. */
#include "karuplugin.h"
#include <windows.h>

/* Two one-pixel lines, shadow then highlight, across the middle of r. */
static void drawSeparator(KARUObject control, void *dc, const KARURect *r) {
  (void)control;
  RECT line = {r->left, r->top, r->right, r->bottom};
  int dx = 0, dy = 0;
  if (r->right - r->left >= r->bottom - r->top) {
    line.top = r->top + (r->bottom - r->top - 2) / 2;
    line.bottom = line.top + 1;
    dy = 1;
  } else {
    line.left = r->left + (r->right - r->left - 2) / 2;
    line.right = line.left + 1;
    dx = 1;
  }
  FillRect((HDC)dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
  OffsetRect(&line, dx, dy);
  FillRect((HDC)dc, &line, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
}

/* No data and no members of its own; no mouse routines, so no input. */
static KARUControlDescription separator = {
    .kind = KARU_CONTROL_KIND,
    .name = "Separator",
    .defaultWidth = 100,
    .defaultHeight = 4,
    .draw = drawSeparator,
};

__declspec(dllexport) void KARUPluginMain(KARULookup lookup) {
  KARU_ENTRY(lookup, RegisterPluginVersion)(4);
  KARU_ENTRY(lookup, PluginRegisterControl)(&separator);
}
