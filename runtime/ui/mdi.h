// MDI mode: one frame window holds the application's document windows as MDI
// children; compiled code sees the frame as an MDIWindow object.
#pragma once
#include "ui/pane.h"
#include <windows.h>

struct View;

// An MDIWindow instance. Every instance speaks for the one frame; the frame's
// own object (mdi_window) is the one that receives its events and whose size
// limits hold while the frame is dragged.
struct MdiWindowObject {
  Object header;     // 0
  int16_t minWidth;  // 16: of the content area; 0 = no limit
  int16_t minHeight; // 18
  int16_t maxWidth;  // 20
  int16_t maxHeight; // 22
  uint8_t visible;   // 24: as last set, or shown by mdi_start
  uint8_t opened;    // 25: Open delivered; Moved and Resized follow only then
  uint8_t unused[2]; // 26
  Rect16 bounds;     // 28: the frame's content area, screen coordinates
};
static_assert(offsetof(MdiWindowObject, minWidth) == 16);
static_assert(offsetof(MdiWindowObject, visible) == 24);
static_assert(offsetof(MdiWindowObject, bounds) == 28);
static_assert(sizeof(MdiWindowObject) <= 56); /* the class's instance size */

// At start-up in MDI mode: the classes, the frame's object (of the image's
// last class derived from MDIWindow, else MDIWindow itself), the frame with
// its MDI client, shown, then Open. Once only while the frame lives.
void mdi_start();
HWND mdi_frame(); // nil outside MDI mode, and once the frame is destroyed
HWND mdi_client();
MdiWindowObject *mdi_window(); // the frame's object (the runtime's reference), or nil
HWND mdi_create_child(View *view, const char *title, DWORD style, int width, int height);
void mdi_destroy_child(HWND child);

extern "C" {
int32_t MDIWindowPosGetter(MdiWindowObject *o, int32_t which);
void MDIWindowPosSetter(MdiWindowObject *o, int32_t which, int32_t value);
RString *MDIWindowTitleGetter(MdiWindowObject *o, int32_t parameter);
void MDIWindowTitleSetter(MdiWindowObject *o, int32_t parameter, RString *value);
bool MDIWindowVisibleGetter(MdiWindowObject *o, int32_t parameter);
void MDIWindowVisibleSetter(MdiWindowObject *o, int32_t parameter, bool value);
int32_t MDIWindowHandleGetter(MdiWindowObject *o, int32_t parameter);
void MDIWindowMaximize(MdiWindowObject *o);
void MDIWindowMinimize(MdiWindowObject *o);
void MDIWindowRestore(MdiWindowObject *o);
}
