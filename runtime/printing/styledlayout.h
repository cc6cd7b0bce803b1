// Styled text laid out on a device context: lines broken at spaces (and
// between ideographs) to fit a width, each line as tall as its tallest
// character, aligned as its paragraph asks, drawn in each character's font,
// style and colour. In the context's device units.
#pragma once
#include "ui/editfield.h"

struct LayoutFonts; // the fonts made for one context

LayoutFonts *layout_fonts(HDC dc);
void layout_fonts_free(LayoutFonts *fonts);

// Draws whole lines of text[from, count) into the rectangle, at least one
// line even when it is too short for that; the first character not drawn.
int32_t layout_draw(LayoutFonts *fonts, const StyledChar *text, int32_t count, int32_t from,
                    RECT block);
