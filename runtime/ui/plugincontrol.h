// Panes of plug-in controls: a pane of the runtime's class whose drawing and
// mouse handling are the plug-in's own routines.
#pragma once
#include "objects/objects.h"

void plugin_control_create_pane(Object *control); // the "CreatePane" of every plug-in control

extern "C" {
void KARUInvalidateControl(Object *control);
void KARUInvalidateControlRect(Object *control, int32_t left, int32_t top, int32_t width,
                               int32_t height);
}
