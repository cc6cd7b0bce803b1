// Line: a straight line between two points of its window, drawn by the
// runtime in BorderColor, BorderWidth pixels thick.
#pragma once
#include "ui/control.h"

struct LineObject {
  ControlObject control; // 0
  int32_t x1;            // 92: window content coordinates
  int32_t y1;            // 96
  int32_t x2;            // 100
  int32_t y2;            // 104
  int32_t borderWidth;   // 108: pixels; 0 draws nothing
  int32_t borderColor;   // 112: 0xRRGGBB
};
static_assert(offsetof(LineObject, x1) == 92);
static_assert(offsetof(LineObject, borderWidth) == 108);
static_assert(offsetof(LineObject, borderColor) == 112);
static_assert(sizeof(LineObject) == 116);

// What linePosSetter's parameter names: the field's offset, which the
// properties' shared getter reads too.
enum LinePart {
  kLineX1 = offsetof(LineObject, x1),
  kLineY1 = offsetof(LineObject, y1),
  kLineX2 = offsetof(LineObject, x2),
  kLineY2 = offsetof(LineObject, y2),
  kLineWidth = offsetof(LineObject, borderWidth),
};

void line_install(); // the pane maker of Line

// The six corners of the line's stroke (a square pen of the border width
// moved from one end to the other), in window coordinates; false when the
// line is not drawn (a width below 1).
bool line_stroke(const LineObject *line, POINT corners[6]);

extern "C" void linePosSetter(LineObject *line, int32_t part, int32_t value);
