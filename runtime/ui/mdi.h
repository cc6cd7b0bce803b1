// MDI mode: one frame window holds the application's document windows as MDI
// children; compiled code sees the frame as an MDIWindow object.
#pragma once
#include <windows.h>

struct View;

void mdi_start(); // at start-up in MDI mode: the classes, the frame and its MDI client
HWND mdi_frame(); // nil outside MDI mode
HWND mdi_client();
HWND mdi_create_child(View *view, const char *title, DWORD style, int width, int height);
void mdi_destroy_child(HWND child);
