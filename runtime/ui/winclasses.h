// The runtime's own platform window classes: "QXWindow" for windows, and
// "QX_Pane" and "QX_CanvasPane" for the panes the runtime draws itself.
#pragma once
#include <windows.h>

// Registers the three classes once; their procedures are set by the window
// and pane code through the hooks below before any window is made.
void ui_register_window_classes();

extern WNDPROC gWindowProcedure; // "QXWindow"; the platform default until windows exist
extern WNDPROC gPaneProcedure;   // "QX_Pane" and "QX_CanvasPane"
