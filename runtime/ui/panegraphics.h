// Panes as drawing targets: the device context a Graphics bound to a pane
// draws with, and the Graphics objects a window hands to compiled code.
#pragma once
#include "graphics/picture.h"

struct Pane;
struct WindowObject;

// The pane's drawing target. It lends the paint context while the pane (or
// the native pane it draws in) is painting, and otherwise takes the native
// window's context with the viewport moved as painting moves it, so that
// both are in window coordinates; given back after each operation.
DrawTarget *pane_draw_target(Pane *pane);
// A new Graphics bound to the pane, with one reference. Its coordinates are
// the pane's own: (0, 0) is the pane's top-left corner. The offset added to
// them is the pane's place in its window, read at every operation so that a
// moved pane keeps drawing in its place; the context's viewport then takes
// window coordinates to the native window's.
GraphicsObject *pane_graphics(Pane *pane);
// The window's Backdrop picture and the part of it the window shows (its
// natural size, cut at the window's), or nil without one.
PictureObject *window_backdrop(WindowObject *w, int32_t *width, int32_t *height);

extern "C" {
Object *windowGraphicsGetter(WindowObject *w, int32_t);
// The window's drawing (its Backdrop, then its Paint event) into another
// Graphics, with the window's top-left corner at (x, y) of that Graphics.
void formDrawInto(WindowObject *w, GraphicsObject *g, int32_t x, int32_t y);
}
