// Drawing ports and Graphics objects: what a drawing target lends (a device
// context), the drawing state kept between calls, and the Graphics object
// compiled code draws with. The drawing itself lives in graphics.cpp.
#pragma once
#include "objects/objects.h"
#include "text/string.h"
#include <cstddef>
#include <windows.h>

struct DrawPort;

// The print-job numbers a Graphics answers (Copies, FirstPage, LastPage).
enum class JobValue { Copies, FirstPage, LastPage };

// What a print job adds to its drawing target: pages, the numbers its print
// dialog gave, and the end of the document when its Graphics goes.
struct DrawJobKind {
  // Ends the page and starts the next; the port has given its context back.
  void (*nextPage)(void *target);
  int32_t (*value)(void *target, JobValue which);
  // The Graphics' last release, after its port left the target: ends the
  // document (or abandons it after a failure) and frees the job.
  void (*close)(void *target);
};

// What a kind of drawing target does: lend its device context and take it
// back, and say its size and what ClearRect fills with.
struct DrawTargetKind {
  const char *name;
  HDC (*acquire)(void *target, uintptr_t *token); // nil when it has none now
  void (*release)(void *target, HDC dc, uintptr_t token);
  void (*size)(void *target, int32_t *width, int32_t *height);
  COLORREF (*background)(void *target);
  // Where the target lies in its window now, for targets that move (a pane);
  // nil keeps the offset the port was made with.
  void (*offset)(void *target, int32_t *x, int32_t *y);
  // Set when the context must go back after every operation, on the thread
  // that took it (a window's). Otherwise it may stay taken while the port is
  // current and is given back at the next switch, from any thread.
  uint8_t threadBound;
  const DrawJobKind *job = nullptr; // set for a printer's job only
};

// Placed first in every record that can be drawn on (a picture's image, a
// pane's drawing record). Its ports are detached when the target goes.
struct DrawTarget {
  const DrawTargetKind *kind; // 0
  DrawPort *ports;            // 4: the ports bound to it, linked by nextOnTarget
};

// The drawing state of one Graphics object.
struct DrawPort {
  DrawTarget *target;             // 0: nil once detached: drawing then does nothing
  uint8_t patternActive;          // 4
  HDC dc;                         // 8: while current
  uintptr_t token;                // 12: the target's token for giving dc back
  HFONT font;                     // 16: selected into dc while current
  RString *fontName;              // 20: owned; nil = the system font
  int32_t textSize;               // 24: points; 0 = the platform's default
  uint8_t style;                  // 28: kStyleBold | kStyleItalic | kStyleUnderline
  int32_t penWidth, penHeight;    // 32
  int32_t penX, penY;             // 40
  uint16_t red, green, blue;      // 48: each colour byte x 257
  uint8_t metricsValid;           // 54
  uint8_t fontValid;              // 55
  int32_t textHeight, textAscent; // 56
  int32_t textLeading;            // 64
  uint8_t pattern[8];             // 68: the 8 x 8 pen pattern
  int32_t originX, originY;       // 76: subtracted from every coordinate
  int32_t patternX, patternY;     // 84
  HRGN clip;                      // 92: nil = none
  int32_t offsetX, offsetY;       // 96: the target's place within its window
  DrawPort *nextOnTarget;         // 104
  uint8_t hadClip;                // 108: dc had a clip region when taken
  int32_t savedState;             // 112: SaveDC's level while current, 0 otherwise
  HPEN pen;                       // 116: the wide pen last made, or nil
  COLORREF penColour;             // 120: its colour
  int32_t penSize;                // 124: its width
  // What dc holds while current, so that a call repeating it costs nothing.
  HGDIOBJ dcPen;          // 128: the pen selected by the port, nil when unknown
  COLORREF dcPenColour;   // 132: the stock pen's colour when that is dcPen
  COLORREF dcTextColour;  // 136
  uint8_t dcTextKnown;    // 140: dcTextColour is set in dc
  uint8_t dcFontSelected; // 141: font is selected in dc
};

enum GraphicsStyle : uint8_t {
  kStyleBold = 1,
  kStyleItalic = 2,
  kStyleUnderline = 4,
};

// The Graphics instance (40 bytes): its port, owned.
struct GraphicsObject {
  Object header;  // 0
  DrawPort *port; // 16
};
static_assert(offsetof(GraphicsObject, port) == 16);

// A new Graphics object bound to the target (its offset within its window
// given), with one reference; nil when the class is missing.
GraphicsObject *graphics_new(DrawTarget *target, int32_t offsetX, int32_t offsetY);
// Detaches every port bound to the target: their Graphics objects stay valid
// objects but draw nothing from now on. Called when the target goes.
void graphics_detach_all(DrawTarget *target);
// Detaches one Graphics object (a Paint's, when the paint ends).
void graphics_detach(GraphicsObject *g);

void graphics_classes_attach(); // the Graphics class's constructor and destructor
