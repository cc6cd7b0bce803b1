// Canvas: the control compiled code draws on itself. Its pane paints the
// Backdrop and raises Paint, passes keys and the mouse in canvas coordinates,
// takes the focus when asked to, and scrolls its pixels with its controls.
#pragma once
#include "ui/control.h"

struct GraphicsObject;

struct CanvasObject {
  ControlObject control;    // 0
  Object *backdrop;         // 92: a Picture (retained), or nil
  GraphicsObject *graphics; // 96: made by the first Graphics read (retained), or nil
  uint8_t acceptFocus;      // 100
  uint8_t acceptTabs;       // 101
  uint8_t useFocusRing;     // 102
  uint32_t adapter;         // 104
};
static_assert(offsetof(CanvasObject, backdrop) == 92);
static_assert(offsetof(CanvasObject, graphics) == 96);
static_assert(offsetof(CanvasObject, acceptFocus) == 100);
static_assert(offsetof(CanvasObject, acceptTabs) == 101);
static_assert(offsetof(CanvasObject, useFocusRing) == 102);
static_assert(sizeof(CanvasObject) == 108);

bool canvas_is(const Pane *pane); // the pane is a canvas's

void canvas_install(); // the Canvas kind of pane and the class's destructor

extern "C" {
Object *canvasGraphicsGetter(CanvasObject *canvas, int32_t);
void canvasBackdropSetter(CanvasObject *canvas, int32_t, Object *picture);
void canvasScroll(CanvasObject *canvas, int32_t dx, int32_t dy, int32_t x, int32_t y, int32_t width,
                  int32_t height, bool moveControls);
}
