// The Graphics object's entry points as compiled code calls them: the object
// first, coordinates as (x, y, width, height) in the target's coordinates,
// colours as 0xRRGGBB. A nil or detached Graphics draws nothing and answers 0.
#pragma once
#include "graphics/picture.h"

struct ArrayRecord;

extern "C" {
void RuntimeGraphicsDrawLine(GraphicsObject *g, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void RuntimeGraphicsDrawRect(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h);
void RuntimeGraphicsFillRect(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h);
void RuntimeGraphicsClearRect(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h);
void RuntimeGraphicsDrawOval(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h);
void RuntimeGraphicsFillOval(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h);
void RuntimeGraphicsDrawRoundRect(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h,
                                  int32_t cornerWidth, int32_t cornerHeight);
void RuntimeGraphicsFillRoundRect(GraphicsObject *g, int32_t x, int32_t y, int32_t w, int32_t h,
                                  int32_t cornerWidth, int32_t cornerHeight);
// The points as a one-dimensional Integer array x1, y1, x2, y2 ... from
// element 1 (element 0 unused); the count comes from the array's bound, an
// unpaired last value is ignored, fewer than two points draw nothing.
void graphicsDrawPolygon(GraphicsObject *g, ArrayRecord *points);
void graphicsFillPolygon(GraphicsObject *g, ArrayRecord *points);

// y is the baseline; wrap 0 means no wrapping (right edge at 30000).
void RuntimeGraphicsDrawString(GraphicsObject *g, RString *text, int32_t x, int32_t y,
                               int32_t wrap);
int32_t RuntimeGraphicsStringWidth(GraphicsObject *g, RString *text);
int32_t RuntimeGraphicsStringHeight(GraphicsObject *g, RString *text, int32_t wrap);
int32_t RuntimeGraphicsTextHeight(GraphicsObject *g);
int32_t RuntimeGraphicsTextAscent(GraphicsObject *g);

// -10000 for w, h: the picture's own size; for sw, sh: the destination's.
void RuntimeGraphicsDrawPicture(GraphicsObject *g, PictureObject *picture, int32_t x, int32_t y,
                                int32_t w, int32_t h, int32_t sx, int32_t sy, int32_t sw,
                                int32_t sh);
void graphicsDrawStopIcon(GraphicsObject *g, int32_t x, int32_t y);
void graphicsDrawNoteIcon(GraphicsObject *g, int32_t x, int32_t y);
void graphicsDrawCautionIcon(GraphicsObject *g, int32_t x, int32_t y);
int32_t graphicsPixelGetter(GraphicsObject *g, int32_t x, int32_t y);
void graphicsPixelSetter(GraphicsObject *g, int32_t x, int32_t y, int32_t colour);

RString *graphicsTextFontGetter(GraphicsObject *g, int32_t);
void graphicsTextFontSetter(GraphicsObject *g, int32_t, RString *name);
int32_t graphicsTextSizeGetter(GraphicsObject *g, int32_t);
void graphicsTextSizeSetter(GraphicsObject *g, int32_t, int32_t size);
bool graphicsBoldGetter(GraphicsObject *g, int32_t);
void graphicsBoldSetter(GraphicsObject *g, int32_t, bool on);
bool graphicsItalicGetter(GraphicsObject *g, int32_t);
void graphicsItalicSetter(GraphicsObject *g, int32_t, bool on);
bool graphicsUnderlineGetter(GraphicsObject *g, int32_t);
void graphicsUnderlineSetter(GraphicsObject *g, int32_t, bool on);
int32_t graphicsForeColorGetter(GraphicsObject *g, int32_t);
void graphicsForeColorSetter(GraphicsObject *g, int32_t, int32_t colour);
int32_t graphicsPenWidthGetter(GraphicsObject *g, int32_t);
void graphicsPenWidthSetter(GraphicsObject *g, int32_t, int32_t width);
int32_t graphicsPenHeightGetter(GraphicsObject *g, int32_t);
void graphicsPenHeightSetter(GraphicsObject *g, int32_t, int32_t height);
int32_t graphicsWidthGetter(GraphicsObject *g, int32_t);
int32_t graphicsHeightGetter(GraphicsObject *g, int32_t);

// Print jobs: a Graphics that is not a printer's has no pages or copies, so
// these answer 0 and NextPage does nothing.
void RuntimeGraphicsNextPage(GraphicsObject *g);
int32_t graphicsCopiesGetter(GraphicsObject *g, int32_t);
int32_t graphicsFirstPageGetter(GraphicsObject *g, int32_t);
int32_t graphicsLastPageGetter(GraphicsObject *g, int32_t);
}
