// The window procedure of "QXWindow": platform messages turned into runtime
// behaviour and Window events; the root pane's routines; mouse-over tracking.
#pragma once
#include "ui/nativewindow.h"

extern const PaneKind kRootPaneKind;

// The message a runtime window received last, with its time and the cursor
// position then: what mouse and modifier queries read.
struct WindowMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT cursor;
};
extern WindowMessage gLastMessage;

void window_proc_install();             // the procedure of "QXWindow"
void window_proc_forget(View *view);    // the view is going: no mouse-over state refers to it
void window_refresh_cursor(View *view); // a cursor setting changed: show it now if over the view
void window_note_control_cursor(HCURSOR cursor); // the cursor of the control the mouse entered
void window_track_mouse();                       // the loop's mouse-over step, before each message
LRESULT window_message(View *view, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

extern "C" bool IsCMMClick(); // while a mouse down is delivered: it came from the right button
