/* A plug-in that works its control through the runtime's control helpers:
   the knob takes clicks (counted), and the exported probes call every
   helper, reached by name through the lookup routine, on any control. */
#include "karuplugin.h"
#include <stddef.h>

typedef struct KPProbe {
  void *controlHwnd, *controlHandle, *windowHandle, *windowOfControl;
  KARURect bounds, aliasBounds;
  uint8_t visible, tabVisible, focused;
  KARUObject parent, window;
  int32_t fontSize;
  KARUString font, caption; /* new strings: the caller unlocks them */
} KPProbe;

static GetControlHWNDProc controlHwnd;
static KARUGetControlHandleProc controlHandle;
static KARUGetWindowHandleProc windowHandle;
static PluginGetControlBoundsProc bounds;
static GetControlBoundsProc aliasBounds;
static GetControlVisibleProc getVisible;
static SetControlVisibleProc setVisible;
static GetTabPanelVisibleProc tabVisible;
static KARUGetControlFocusProc getFocus;
static KARUSetControlFocusProc setFocus;
static KARUGetControlParentProc parent;
static getControlWindowProc window;
static PluginDefaultControlFontProc defaultFont;
static PluginDefaultControlFontSizeProc defaultFontSize;
static PluginDefaultControlCaptionProc defaultCaption;
static KARUSetAcceleratorProc accelerator;
static KARUYieldToQXProc yield;

__declspec(dllexport) int32_t kpKnobPresses;
__declspec(dllexport) int32_t kpHelpersFound; /* how many of the 17 the lookup gave */

__declspec(dllexport) void kpProbe(KARUObject control, KARUObject win, KPProbe *out) {
  out->controlHwnd = controlHwnd(control);
  out->controlHandle = controlHandle(control);
  out->windowHandle = windowHandle(win);
  out->windowOfControl = windowHandle(control);
  bounds(control, &out->bounds);
  aliasBounds(control, &out->aliasBounds);
  out->visible = getVisible(control);
  out->tabVisible = tabVisible(control);
  out->focused = getFocus(control);
  out->parent = parent(control);
  out->window = window(control);
  out->fontSize = defaultFontSize();
  out->font = defaultFont();
  out->caption = defaultCaption(control);
}

__declspec(dllexport) void kpShow(KARUObject control, int32_t shown) { setVisible(control, shown); }
__declspec(dllexport) void kpFocus(KARUObject control, int32_t on) { setFocus(control, on); }
__declspec(dllexport) void kpAccelerate(KARUObject control, KARUString key) {
  accelerator(control, key);
}
__declspec(dllexport) void kpYield(void) { yield(); }

static int32_t knobDown(KARUObject knob, int32_t x, int32_t y) {
  (void)knob, (void)x, (void)y;
  kpKnobPresses++;
  return 0;
}

static KARUControlDescription knob = {
    .kind = KARU_CONTROL_KIND_V4,
    .name = "KPKnob",
    .dataSize = 4,
    .defaultWidth = 40,
    .defaultHeight = 40,
    .mouseDown = knobDown,
};

#define FIND(variable, name)                                                                       \
  if ((variable = KARU_ENTRY(lookup, name)) != NULL) kpHelpersFound++;

__declspec(dllexport) void KARUPluginMain(KARULookup lookup) {
  FIND(controlHwnd, GetControlHWND);
  FIND(controlHandle, KARUGetControlHandle);
  FIND(windowHandle, KARUGetWindowHandle);
  FIND(bounds, PluginGetControlBounds);
  FIND(aliasBounds, GetControlBounds);
  FIND(getVisible, GetControlVisible);
  FIND(setVisible, SetControlVisible);
  FIND(tabVisible, GetTabPanelVisible);
  FIND(getFocus, KARUGetControlFocus);
  FIND(setFocus, KARUSetControlFocus);
  FIND(parent, KARUGetControlParent);
  FIND(window, getControlWindow);
  FIND(defaultFont, PluginDefaultControlFont);
  FIND(defaultFontSize, PluginDefaultControlFontSize);
  FIND(defaultCaption, PluginDefaultControlCaption);
  FIND(accelerator, KARUSetAccelerator);
  FIND(yield, KARUYieldToQX);
  KARU_ENTRY(lookup, RegisterPluginVersion)(4);
  KARU_ENTRY(lookup, PluginRegisterControl)(&knob);
}
