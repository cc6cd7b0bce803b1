// Shared by the drawing files: the drawing lock and the current port, the
// coordinate and colour conversions, and the port's font and pen.
#pragma once
#include "graphics/port.h"

// Coordinates reach the device clamped to this, never wrapped.
constexpr int32_t kCoordLimit = 32767;

// The re-entrant drawing lock, keyed by thread. Binding and detaching ports
// and every drawing operation run inside it.
void draw_lock();
void draw_unlock();

// Starts a drawing operation: takes the lock and makes the Graphics' port
// current, returning its device context. Nil (with the lock given back) for a
// nil or detached Graphics or a target without a context now: the operation
// then does nothing. Otherwise draw_end finishes it.
HDC draw_begin(GraphicsObject *g);
void draw_end(GraphicsObject *g);
// Gives the port's context back if it is the current one (inside the lock).
void draw_release_if_current(DrawPort *port);

// A device coordinate: the target's offset added, the origin taken off, in
// 64 bits and clamped to kCoordLimit.
int32_t draw_x(const DrawPort *port, int64_t x);
int32_t draw_y(const DrawPort *port, int64_t y);
int32_t draw_clamp(int64_t v);
COLORREF draw_colour(const DrawPort *port); // the fore colour for the device
// A solid pen of the pen width in the fore colour, selected into dc; or the
// one-pixel pen in the colour given. The text colour the fore colour.
// Nothing is asked of the platform that dc already holds.
void draw_select_pen(DrawPort *port, HDC dc);
void draw_thin_pen(DrawPort *port, HDC dc, COLORREF colour);
void draw_text_colour(DrawPort *port, HDC dc);
// The port's font, made again when marked and selected into dc.
void draw_select_font(DrawPort *port, HDC dc);
// The font's metrics, read once per font.
void draw_metrics(DrawPort *port, HDC dc);
