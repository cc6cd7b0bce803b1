// Styled text laid out on a device context: characters measured in their own
// fonts (made once per style for the context's resolution), lines broken at
// the last opportunity that fits, drawn run by run.
#include "printing/styledlayout.h"
#include <richedit.h>
#include <cstdlib>
#include <cstring>

constexpr int32_t kTwipsPerInch = 1440;

// A font made for the context, with its metrics.
struct LayoutFont {
  const StyledChar *style; // the first character that asked for it
  HFONT font;
  int32_t ascent, descent;
};

struct LayoutFonts {
  HDC dc;
  LayoutFont *fonts;
  int32_t count, size;
  int32_t selected; // the index selected into dc, -1 for none
};

LayoutFonts *layout_fonts(HDC dc) {
  auto *f = (LayoutFonts *)calloc(1, sizeof(LayoutFonts));
  if (f) f->dc = dc, f->selected = -1;
  return f;
}

void layout_fonts_free(LayoutFonts *f) {
  if (!f) return;
  for (int32_t i = 0; i < f->count; i++) DeleteObject(f->fonts[i].font);
  free(f->fonts);
  free(f);
}

static bool sameLook(const StyledChar *a, const StyledChar *b) {
  return a->height == b->height && a->bold == b->bold && a->italic == b->italic &&
         a->underline == b->underline && strcmp(a->face, b->face) == 0;
}

static int32_t makeFont(LayoutFonts *f, const StyledChar *c) {
  if (f->count == f->size) {
    int32_t size = f->size ? f->size * 2 : 8;
    auto *grown = (LayoutFont *)realloc(f->fonts, size * sizeof(LayoutFont));
    if (!grown) return -1;
    f->fonts = grown, f->size = size;
  }
  int32_t height = MulDiv(c->height, GetDeviceCaps(f->dc, LOGPIXELSY), kTwipsPerInch);
  HFONT font = CreateFontA(-(height > 0 ? height : 1), 0, 0, 0, c->bold ? FW_BOLD : FW_NORMAL,
                           c->italic, c->underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, c->face);
  if (!font) return -1;
  HGDIOBJ before = SelectObject(f->dc, font);
  TEXTMETRICA m;
  GetTextMetricsA(f->dc, &m);
  SelectObject(f->dc, before);
  f->selected = -1;
  f->fonts[f->count] = LayoutFont{c, font, m.tmAscent, m.tmDescent};
  return f->count++;
}

// The font of a character's look, made on first use; -1 when none can be.
static int32_t fontOf(LayoutFonts *f, const StyledChar *c) {
  for (int32_t i = f->count - 1; i >= 0; i--)
    if (sameLook(f->fonts[i].style, c)) return i;
  return makeFont(f, c);
}

static void select(LayoutFonts *f, int32_t font) {
  if (font < 0 || font == f->selected) return;
  SelectObject(f->dc, f->fonts[font].font);
  f->selected = font;
}

static int32_t widthOf(LayoutFonts *f, const StyledChar *c) {
  if (c->ch == L'\r') return 0;
  select(f, fontOf(f, c));
  SIZE size = {};
  GetTextExtentPoint32W(f->dc, &c->ch, 1, &size);
  return size.cx;
}

/* ---- lines ---- */

struct Line {
  int32_t end;   // the first character after it (its paragraph mark included)
  int32_t width; // of what is drawn
  int32_t ascent, descent;
};

static bool ideograph(wchar_t c) { return c >= 0x2E80; }

// A line may end after c (when d follows).
static bool breakAfter(wchar_t c, wchar_t d) {
  return c == L' ' || c == L'\t' || ideograph(c) || ideograph(d);
}

static void grow(Line *line, const LayoutFont &font) {
  if (font.ascent > line->ascent) line->ascent = font.ascent;
  if (font.descent > line->descent) line->descent = font.descent;
}

// The line that starts at `from` in `width`: up to the paragraph's end, or
// to the last break that fits (spaces after it belong to it), or, with no
// break, as many characters as fit, and at least one.
static Line measureLine(LayoutFonts *f, const StyledChar *text, int32_t count, int32_t from,
                        int32_t width) {
  Line line = {from, 0, 0, 0};
  int32_t x = 0, lastBreak = -1, widthAtBreak = 0, i = from;
  for (; i < count && text[i].ch != L'\r'; i++) {
    int32_t w = widthOf(f, &text[i]);
    bool space = text[i].ch == L' ';
    if (x + w > width && i > from && !space) {
      if (lastBreak > from) {
        i = lastBreak;
        x = widthAtBreak;
      }
      break;
    }
    x += w;
    if (i + 1 < count && breakAfter(text[i].ch, text[i + 1].ch)) {
      lastBreak = i + 1;
      widthAtBreak = space ? x - w : x;
    }
  }
  if (i < count && text[i].ch == L'\r') i++; /* the mark ends its paragraph's last line */
  line.end = i;
  line.width = x;
  for (int32_t j = from; j < i; j++) {
    int32_t font = fontOf(f, &text[j]);
    if (font >= 0) grow(&line, f->fonts[font]);
  }
  return line;
}

static void drawLine(LayoutFonts *f, const StyledChar *text, int32_t from, const Line &line,
                     const RECT &block) {
  int32_t room = block.right - block.left - line.width, x = block.left;
  if (text[from].align == PFA_CENTER) x += room / 2;
  if (text[from].align == PFA_RIGHT) x += room;
  int32_t baseline = block.top + line.ascent;
  for (int32_t i = from; i < line.end;) {
    int32_t run = i;
    while (run < line.end && text[run].ch != L'\r' && sameLook(&text[run], &text[i]) &&
           text[run].colour == text[i].colour)
      run++;
    if (run == i) break;
    int32_t font = fontOf(f, &text[i]);
    if (font < 0) break;
    select(f, font);
    SetTextColor(f->dc, text[i].colour);
    wchar_t chars[256];
    int32_t n = run - i < 256 ? run - i : 256;
    for (int32_t k = 0; k < n; k++) chars[k] = text[i + k].ch;
    TextOutW(f->dc, x, baseline - f->fonts[font].ascent, chars, n);
    SIZE size = {};
    GetTextExtentPoint32W(f->dc, chars, n, &size);
    x += size.cx;
    i += n;
  }
}

int32_t layout_draw(LayoutFonts *f, const StyledChar *text, int32_t count, int32_t from,
                    RECT block) {
  int32_t width = block.right - block.left, top = block.top;
  bool drawn = false;
  while (from < count) {
    Line line = measureLine(f, text, count, from, width);
    if (drawn && top + line.ascent + line.descent > block.bottom) break;
    RECT at = {block.left, top, block.right, block.bottom};
    drawLine(f, text, from, line, at);
    top += line.ascent + line.descent;
    from = line.end;
    drawn = true;
  }
  return from;
}
