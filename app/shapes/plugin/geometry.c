/* The Shapes demonstration's plug-in: perimeters of the shapes it draws, as
   global methods that the program calls by name. The triangle is isosceles,
   standing on its base with its apex above the base's middle. A size that is
   negative or not a number gives NaN, so that a caller's mistake shows in
   what it prints rather than as a plausible length. */
#include "karuplugin.h"
#include <math.h>
#include <stddef.h>

static const double kPi = 3.14159265358979323846;

KARU_DECLARATIONS("' the perimeters Shapes shows\n"
                  "Method CirclePerimeter(radius As Double) As Double\n"
                  "Method RectanglePerimeter(width As Double, height As Double) As Double\n"
                  "Method TrianglePerimeter(base As Double, height As Double) As Double\n");

static int usable(double size) { return size >= 0 && isfinite(size); }

static double circlePerimeter(double radius) { return usable(radius) ? 2 * kPi * radius : NAN; }

static double rectanglePerimeter(double width, double height) {
  return usable(width) && usable(height) ? 2 * (width + height) : NAN;
}

static double trianglePerimeter(double base, double height) {
  if (!usable(base) || !usable(height)) return NAN;
  return base + 2 * sqrt(base * base / 4 + height * height);
}

static KARUMethodDescription globals[] = {
    {(void *)circlePerimeter, "CirclePerimeter(radius As Double) As Double", NULL},
    {(void *)rectanglePerimeter, "RectanglePerimeter(width As Double, height As Double) As Double",
     NULL},
    {(void *)trianglePerimeter, "TrianglePerimeter(base As Double, height As Double) As Double",
     NULL},
};

__declspec(dllexport) void KARUPluginMain(KARULookup lookup) {
  KARU_ENTRY(lookup, RegisterPluginVersion)(4);
  for (size_t i = 0; i < sizeof globals / sizeof globals[0]; i++)
    KARU_ENTRY(lookup, PluginRegisterMethod)(&globals[i]);
}
