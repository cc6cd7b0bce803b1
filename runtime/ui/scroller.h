// ScrollBar and Slider: one implementation over a native scroll bar or a
// native track bar, with the property numbers of the shared accessors.
#pragma once
#include "ui/control.h"

struct ScrollerObject {
  ControlObject control; // 0
  int32_t minimum;       // 92
  int32_t value;         // 96
  int32_t maximum;       // 100
  int32_t lineStep;      // 104
  int32_t pageStep;      // 108
  uint8_t liveScroll;    // 112: a dragged thumb reports while it moves
  uint8_t spare[7];      // 113
};
static_assert(offsetof(ScrollerObject, minimum) == 92);
static_assert(offsetof(ScrollerObject, pageStep) == 108);
static_assert(offsetof(ScrollerObject, liveScroll) == 112);
static_assert(sizeof(ScrollerObject) == 120);

// The property numbers that scrollerPropGetter and scrollerPropSetter take.
enum ScrollerProperty {
  kScrollMinimum = 0,
  kScrollValue = 1,
  kScrollMaximum = 2,
  kScrollLineStep = 3,
  kScrollPageStep = 4,
};

void scroller_install(); // the pane makers of ScrollBar and Slider

extern "C" {
int32_t scrollerPropGetter(ScrollerObject *s, int32_t n);
void scrollerPropSetter(ScrollerObject *s, int32_t n, int32_t value);
}
