// Text through a Graphics object: drawing at a baseline with optional word
// wrap, widths and heights, the font's metrics, and the font properties,
// which mark the font to be made again before the next text operation.
#include "graphics/drawing.h"
#include "graphics/graphics.h"

constexpr int32_t kNoWrapWidth = 30000; // the right edge of unwrapped text

// The text's box from (x, top): wrapped at `wrap` pixels, or one line per
// line break when wrap is 0. `&` is always drawn as itself.
static UINT textFlags(int32_t wrap) {
  return DT_NOPREFIX | DT_NOCLIP | DT_LEFT | DT_TOP | (wrap ? DT_WORDBREAK : 0);
}

void RuntimeGraphicsDrawString(GraphicsObject *g, RString *text, int32_t x, int32_t y,
                               int32_t wrap) {
  if (!str_len(text)) return;
  if (wrap < 0) wrap = 0;
  HDC dc = draw_begin(g);
  if (!dc) return;
  DrawPort *port = g->port;
  draw_metrics(port, dc);
  int64_t top = (int64_t)y - port->textAscent; /* y is the baseline */
  RECT r = {draw_x(port, x), draw_y(port, top),
            draw_x(port, (int64_t)x + (wrap ? wrap : kNoWrapWidth)), kCoordLimit};
  draw_text_colour(port, dc);
  DrawTextA(dc, str_cview(text), str_len(text), &r, textFlags(wrap));
  draw_end(g);
}

int32_t RuntimeGraphicsStringWidth(GraphicsObject *g, RString *text) {
  if (!str_len(text)) return 0;
  HDC dc = draw_begin(g);
  if (!dc) return 0;
  draw_select_font(g->port, dc);
  SIZE size = {};
  GetTextExtentPoint32A(dc, str_cview(text), str_len(text), &size);
  draw_end(g);
  return size.cx;
}

int32_t RuntimeGraphicsStringHeight(GraphicsObject *g, RString *text, int32_t wrap) {
  if (!str_len(text)) return 0;
  if (wrap < 0) wrap = 0;
  HDC dc = draw_begin(g);
  if (!dc) return 0;
  draw_select_font(g->port, dc);
  RECT r = {0, 0, wrap ? wrap : kNoWrapWidth, 0};
  DrawTextA(dc, str_cview(text), str_len(text), &r, textFlags(wrap) | DT_CALCRECT);
  draw_end(g);
  return r.bottom - r.top;
}

static int32_t metric(GraphicsObject *g, bool ascent) {
  HDC dc = draw_begin(g);
  if (!dc) return 0;
  draw_metrics(g->port, dc);
  int32_t v = ascent ? g->port->textAscent : g->port->textHeight;
  draw_end(g);
  return v;
}

int32_t RuntimeGraphicsTextHeight(GraphicsObject *g) { return metric(g, false); }
int32_t RuntimeGraphicsTextAscent(GraphicsObject *g) { return metric(g, true); }

/* ---- font properties ---- */

// Changes the port's font settings inside the drawing lock, marking the font
// for re-creation.
static DrawPort *fontChange(GraphicsObject *g) {
  if (!g || !g->port) return nullptr;
  draw_lock();
  g->port->fontValid = 0;
  g->port->metricsValid = 0;
  return g->port;
}

RString *graphicsTextFontGetter(GraphicsObject *g, int32_t) {
  if (!g || !g->port) return nullptr;
  RuntimeLockString(g->port->fontName);
  return g->port->fontName;
}

void graphicsTextFontSetter(GraphicsObject *g, int32_t, RString *name) {
  if (DrawPort *port = fontChange(g)) {
    str_assign(&port->fontName, name);
    draw_unlock();
  }
}

int32_t graphicsTextSizeGetter(GraphicsObject *g, int32_t) {
  return g && g->port ? g->port->textSize : 0;
}

void graphicsTextSizeSetter(GraphicsObject *g, int32_t, int32_t size) {
  if (DrawPort *port = fontChange(g)) {
    port->textSize = size;
    draw_unlock();
  }
}

static bool styleGet(GraphicsObject *g, uint8_t bit) {
  return g && g->port && (g->port->style & bit);
}

static void styleSet(GraphicsObject *g, uint8_t bit, bool on) {
  if (DrawPort *port = fontChange(g)) {
    port->style = on ? port->style | bit : port->style & ~bit;
    draw_unlock();
  }
}

bool graphicsBoldGetter(GraphicsObject *g, int32_t) { return styleGet(g, kStyleBold); }
void graphicsBoldSetter(GraphicsObject *g, int32_t, bool on) { styleSet(g, kStyleBold, on); }
bool graphicsItalicGetter(GraphicsObject *g, int32_t) { return styleGet(g, kStyleItalic); }
void graphicsItalicSetter(GraphicsObject *g, int32_t, bool on) { styleSet(g, kStyleItalic, on); }
bool graphicsUnderlineGetter(GraphicsObject *g, int32_t) { return styleGet(g, kStyleUnderline); }
void graphicsUnderlineSetter(GraphicsObject *g, int32_t, bool on) {
  styleSet(g, kStyleUnderline, on);
}
