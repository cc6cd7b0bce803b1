// Panes of plug-in controls: a pane of the runtime's class whose drawing and
// mouse handling are the plug-in's own routines; the control helpers that
// plug-ins call (pluginhelpers.cpp).
#pragma once
#include "karuplugin.h"
#include "objects/objects.h"
#include <windows.h>

struct RString;

void plugin_control_create_pane(Object *control); // the "CreatePane" of every plug-in control

extern "C" {
void KARUInvalidateControl(Object *control);
void KARUInvalidateControlRect(Object *control, int32_t left, int32_t top, int32_t width,
                               int32_t height);

HWND GetControlHWND(Object *control); // the control's native pane window, or nil
HWND KARUGetControlHandle(Object *control);
HWND KARUGetWindowHandle(Object *windowOrControl);
void PluginGetControlBounds(Object *control, KARURect *bounds); // also GetControlBounds
bool GetControlVisible(Object *control);
void SetControlVisible(Object *control, bool visible);
bool GetTabPanelVisible(Object *control);
bool KARUGetControlFocus(Object *control);
void KARUSetControlFocus(Object *control, bool focus);
Object *KARUGetControlParent(Object *control); // the enclosing control, borrowed, or nil
Object *getControlWindow(Object *control);     // borrowed, or nil
RString *PluginDefaultControlFont();
int32_t PluginDefaultControlFontSize();
RString *PluginDefaultControlCaption(Object *control);
void KARUSetAccelerator(Object *control, RString *key);
void KARUYieldToQX();
Object *KARUGetControlGraphics(Object *control); // a new Graphics for its pane, or nil
HDC KARUGraphicsDC(Object *graphics); // a picture's context, a pane's while it paints, or nil
// Paints what shows behind the control's pane into dc; 1 when it did.
int32_t KARUSetSpecialBackground(Object *control, HDC dc);
}
