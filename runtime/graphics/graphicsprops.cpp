// A Graphics object's colour, pen and size properties, pictures drawn
// through it, and its print job's pages and numbers (none unless it is a
// printer's).
#include "graphics/drawing.h"
#include "graphics/graphics.h"

constexpr int32_t kNaturalSize = -10000; // DrawPicture: the picture's or destination's size
constexpr uint16_t kChannelScale = 257;  // an 8-bit channel held in 16 bits

/* ---- colour and pen ---- */

int32_t graphicsForeColorGetter(GraphicsObject *g, int32_t) {
  if (!g || !g->port) return 0;
  DrawPort *port = g->port;
  return (port->red / 256) << 16 | (port->green >> 8) << 8 | port->blue >> 8;
}

void graphicsForeColorSetter(GraphicsObject *g, int32_t, int32_t colour) {
  if (!g || !g->port) return;
  DrawPort *port = g->port;
  port->red = (uint16_t)(((colour >> 16) & 0xFF) * kChannelScale);
  port->green = (uint16_t)(((colour >> 8) & 0xFF) * kChannelScale);
  port->blue = (uint16_t)((colour & 0xFF) * kChannelScale);
}

int32_t graphicsPenWidthGetter(GraphicsObject *g, int32_t) {
  return g && g->port ? g->port->penWidth : 0;
}
void graphicsPenWidthSetter(GraphicsObject *g, int32_t, int32_t width) {
  if (g && g->port) g->port->penWidth = width;
}
int32_t graphicsPenHeightGetter(GraphicsObject *g, int32_t) {
  return g && g->port ? g->port->penHeight : 0;
}
void graphicsPenHeightSetter(GraphicsObject *g, int32_t, int32_t height) {
  if (g && g->port) g->port->penHeight = height;
}

/* ---- the target's size ---- */

static int32_t targetSize(GraphicsObject *g, bool height) {
  if (!g || !g->port) return 0;
  int32_t w = 0, h = 0;
  draw_lock();
  if (DrawTarget *target = g->port->target) target->kind->size(target, &w, &h);
  draw_unlock();
  return height ? h : w;
}

int32_t graphicsWidthGetter(GraphicsObject *g, int32_t) { return targetSize(g, false); }
int32_t graphicsHeightGetter(GraphicsObject *g, int32_t) { return targetSize(g, true); }

/* ---- pictures ---- */

void RuntimeGraphicsDrawPicture(GraphicsObject *g, PictureObject *picture, int32_t x, int32_t y,
                                int32_t w, int32_t h, int32_t sx, int32_t sy, int32_t sw,
                                int32_t sh) {
  PictureImage *image = picture_image(picture);
  if (!image) return;
  if (w == kNaturalSize) w = image->width;
  if (h == kNaturalSize) h = image->height;
  if (sw == kNaturalSize) sw = w;
  if (sh == kNaturalSize) sh = h;
  HDC dc = draw_begin(g);
  if (!dc) return;
  DrawPort *port = g->port;
  int32_t left = draw_x(port, x), top = draw_y(port, y);
  picture_draw_masked(picture, dc, left, top, draw_x(port, (int64_t)x + w) - left,
                      draw_y(port, (int64_t)y + h) - top, sx, sy, sw, sh);
  draw_end(g);
}

/* ---- print jobs ---- */

// The Graphics' print job (its target), inside the drawing lock; nil for a
// Graphics that is no printer's or whose job has ended.
static DrawTarget *jobTarget(GraphicsObject *g) {
  DrawTarget *target = g && g->port ? g->port->target : nullptr;
  return target && target->kind->job ? target : nullptr;
}

void RuntimeGraphicsNextPage(GraphicsObject *g) {
  draw_lock();
  if (DrawTarget *target = jobTarget(g)) {
    draw_release_if_current(g->port); /* the page's context state goes with it */
    target->kind->job->nextPage(target);
  }
  draw_unlock();
}

static int32_t jobValue(GraphicsObject *g, JobValue which) {
  draw_lock();
  DrawTarget *target = jobTarget(g);
  int32_t value = target ? target->kind->job->value(target, which) : 0;
  draw_unlock();
  return value;
}

int32_t graphicsCopiesGetter(GraphicsObject *g, int32_t) { return jobValue(g, JobValue::Copies); }
int32_t graphicsFirstPageGetter(GraphicsObject *g, int32_t) {
  return jobValue(g, JobValue::FirstPage);
}
int32_t graphicsLastPageGetter(GraphicsObject *g, int32_t) {
  return jobValue(g, JobValue::LastPage);
}
