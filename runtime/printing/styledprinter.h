// StyledTextPrinter: an edit field's styled text, taken when the printer is
// made, drawn block by block into a Graphics (a printer's page by page) and
// laid out for the Graphics' device.
#pragma once
#include "graphics/graphics.h"
#include "ui/editfield.h"

struct StyledTextPrinter {
  Object header;     // 0
  StyledChar *text;  // 16: the field's characters when it was made, owned
  GraphicsObject *g; // 20: where it draws, retained
  int32_t width;     // 24: of each block, in the Graphics' units; 0 or less: to its right edge
  int32_t next;      // 28: the first character not drawn yet
  int32_t count;     // 32: of text
  uint8_t spare[48 - 36];
};
static_assert(offsetof(StyledTextPrinter, text) == 16 && offsetof(StyledTextPrinter, width) == 24);
static_assert(sizeof(StyledTextPrinter) == 48);

void styledprinter_classes_attach(); // the destructor

extern "C" {
StyledTextPrinter *editStyleTextPrinter(EditFieldObject *e, GraphicsObject *g, int32_t width);
// Draws the next block of the text at (x, y), as many whole lines as fit
// in `height`, and at least one line, so that a loop until EOF always ends.
void styledPrinterDrawBlock(StyledTextPrinter *p, int32_t x, int32_t y, int32_t height);
bool styledPrinterEOF(StyledTextPrinter *p, int32_t);
void styledPrinterWidthSetter(StyledTextPrinter *p, int32_t, int32_t width);
}
