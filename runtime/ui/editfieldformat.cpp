// Edit field formats: the whole field's font and colours, the selection's
// character styles, paragraph alignment, and the style data that describe
// each character's font, styles, colour and size. Reports are off throughout.
#include "base/pool.h"
#include "text/chartables.h"
#include "text/string.h"
#include "ui/editfieldpane.h"
#include "ui/fonts.h"
#include "ui/nativewindow.h"
#include <cstdlib>
#include <cstring>

static const char kStyleFace[] = "MS Sans Serif"; // what style data start from

static CHARFORMATA blank() {
  CHARFORMATA cf;
  memset(&cf, 0, sizeof cf);
  cf.cbSize = sizeof cf;
  return cf;
}

// The character set of the runtime's code page.
static BYTE charset() {
  CHARSETINFO info;
  DWORD page = chartables()->codePage;
  return TranslateCharsetInfo((DWORD *)(uintptr_t)page, &info, TCI_SRCCODEPAGE)
             ? (BYTE)info.ciCharset
             : DEFAULT_CHARSET;
}

// A size as a character height: size x 15 twips; 0 is the default size, 12.
static LONG twips(int32_t size) { return (size > 0 ? size : 12) * 15; }

static void setFace(CHARFORMATA *cf, const char *name) {
  lstrcpynA(cf->szFaceName, name, LF_FACESIZE); /* capped to what the platform takes */
}

static void apply(EditPane *ep, WPARAM scope, CHARFORMATA *cf) {
  edit_quiet(ep);
  edit_send(ep, EM_SETCHARFORMAT, scope, (LPARAM)cf);
  edit_loud(ep);
}

// All text, and the default that text set later takes.
static void applyAll(EditPane *ep, CHARFORMATA *cf) {
  apply(ep, SCF_DEFAULT, cf);
  apply(ep, SCF_ALL, cf);
}

static DWORD effects(bool bold, bool italic, bool underline) {
  return (bold ? CFE_BOLD : 0) | (italic ? CFE_ITALIC : 0) | (underline ? CFE_UNDERLINE : 0);
}

void format_field_font(EditPane *ep, EditFieldObject *e) {
  CHARFORMATA cf = blank();
  cf.dwMask = CFM_FACE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_SIZE | CFM_CHARSET;
  cf.dwEffects = effects(e->style.bold, e->style.italic, e->style.underline);
  cf.yHeight = twips(e->style.size);
  cf.bCharSet = charset();
  setFace(&cf, font_control_face(e->style.font));
  applyAll(ep, &cf);
}

void format_text_colour(EditPane *ep, int32_t colour) {
  CHARFORMATA cf = blank();
  cf.dwMask = CFM_COLOR;
  cf.crTextColor = color_platform(colour);
  applyAll(ep, &cf);
}

void format_background(EditPane *ep, int32_t colour) {
  ep->background = color_platform(colour);
  edit_send(ep, EM_SETBKGNDCOLOR, 0, ep->background);
}

/* ---- the selection's characters ---- */

CHARFORMATA format_selection(EditPane *ep) {
  CHARFORMATA cf = blank();
  edit_send(ep, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
  return cf;
}

// The effect bits equal their mask bits: CFE_BOLD is CFM_BOLD and so on.
bool format_sel_has(EditPane *ep, DWORD effect) {
  CHARFORMATA cf = format_selection(ep);
  return (cf.dwMask & effect) == effect && (cf.dwEffects & effect) == effect;
}

void format_sel_set(EditPane *ep, DWORD effect, bool on) {
  CHARFORMATA cf = blank();
  cf.dwMask = effect;
  cf.dwEffects = on ? effect : 0;
  apply(ep, SCF_SELECTION, &cf);
}

// Font, size and colour reach the selection of a styled field and all text
// of a plain one.
static WPARAM scope(EditPane *ep) { return ep->styled ? SCF_SELECTION : SCF_ALL; }

void format_sel_font(EditPane *ep, RString *name) {
  CHARFORMATA cf = blank();
  cf.dwMask = CFM_FACE;
  setFace(&cf, font_face(str_cview(name)));
  apply(ep, scope(ep), &cf);
}

void format_sel_size(EditPane *ep, int32_t size) {
  CHARFORMATA cf = blank();
  cf.dwMask = CFM_SIZE;
  cf.yHeight = twips(size);
  apply(ep, scope(ep), &cf);
}

void format_sel_colour(EditPane *ep, int32_t colour) {
  CHARFORMATA cf = blank();
  cf.dwMask = CFM_COLOR;
  cf.crTextColor = color_platform(colour);
  apply(ep, scope(ep), &cf);
}

/* ---- paragraphs ---- */

static void applyAlignment(EditPane *ep, int32_t alignment) {
  PARAFORMAT pf;
  memset(&pf, 0, sizeof pf);
  pf.cbSize = sizeof pf;
  pf.dwMask = PFM_ALIGNMENT;
  pf.wAlignment = alignment == 2 ? PFA_CENTER : alignment == 3 ? PFA_RIGHT : PFA_LEFT;
  edit_send(ep, EM_SETPARAFORMAT, 0, (LPARAM)&pf);
}

void format_alignment(EditPane *ep, int32_t alignment) {
  if (alignment == ep->alignment) return;
  ep->alignment = alignment;
  edit_quiet(ep);
  edit_send(ep, EM_HIDESELECTION, TRUE, 0);
  CHARRANGE saved = edit_selection(ep);
  edit_select(ep, 0, -1);
  applyAlignment(ep, alignment);
  edit_select(ep, saved.cpMin, saved.cpMax);
  edit_send(ep, EM_HIDESELECTION, FALSE, 0);
  edit_loud(ep);
}

void format_realign(EditPane *ep) {
  int32_t alignment = ep->alignment;
  ep->alignment = -1;
  format_alignment(ep, alignment);
}

int32_t format_sel_alignment(EditPane *ep) {
  PARAFORMAT pf;
  memset(&pf, 0, sizeof pf);
  pf.cbSize = sizeof pf;
  edit_send(ep, EM_GETPARAFORMAT, 0, (LPARAM)&pf);
  if (!(pf.dwMask & PFM_ALIGNMENT)) return -1; /* the paragraphs differ */
  switch (pf.wAlignment) {
  case PFA_LEFT:
    return 1;
  case PFA_CENTER:
    return 2;
  case PFA_RIGHT:
    return 3;
  }
  return 0;
}

void format_set_sel_alignment(EditPane *ep, int32_t alignment) {
  edit_quiet(ep);
  applyAlignment(ep, alignment);
  edit_loud(ep);
}

/* ---- style data ---- */

// Bold, italic and underline are the style bits Graphics objects use too.
enum StyleFlags {
  kStyleFont = 8,   // a length byte and the font name follow
  kStyleColour = 16 // red, green and blue bytes follow
};

struct ByteList {
  uint8_t *data;
  int32_t used, size;
};

static void put(ByteList *b, const void *bytes, int32_t n) {
  if (b->used + n > b->size) {
    int32_t size = b->size ? 2 * b->size : 256;
    while (size < b->used + n) size *= 2;
    uint8_t *data = (uint8_t *)pool_alloc(size);
    if (b->used) memcpy(data, b->data, b->used);
    if (b->data) pool_free(b->data, b->size);
    b->data = data, b->size = size;
  }
  memcpy(b->data + b->used, bytes, n);
  b->used += n;
}

static void putByte(ByteList *b, uint8_t c) { put(b, &c, 1); }

// One character's record; `face` is the font of the record before.
static void putRecord(ByteList *out, const CHARFORMATA &cf, char face[LF_FACESIZE]) {
  bool named = _stricmp(cf.szFaceName, face) != 0;
  bool coloured = !(cf.dwEffects & CFE_AUTOCOLOR) && (cf.crTextColor & 0xFFFFFF) != 0;
  uint8_t flags = (cf.dwEffects & CFE_BOLD ? kStyleBold : 0) |
                  (cf.dwEffects & CFE_ITALIC ? kStyleItalic : 0) |
                  (cf.dwEffects & CFE_UNDERLINE ? kStyleUnderline : 0) | (named ? kStyleFont : 0) |
                  (coloured ? kStyleColour : 0);
  putByte(out, flags);
  if (named) {
    lstrcpynA(face, cf.szFaceName, LF_FACESIZE);
    putByte(out, (uint8_t)lstrlenA(face));
    put(out, face, lstrlenA(face));
  }
  if (coloured) {
    uint8_t rgb[] = {GetRValue(cf.crTextColor), GetGValue(cf.crTextColor),
                     GetBValue(cf.crTextColor)};
    put(out, rgb, 3);
  }
  int32_t size = cf.yHeight / 15;
  putByte(out, (uint8_t)(size < 0 ? 0 : size > 255 ? 255 : size));
}

RString *format_style_data(EditPane *ep) {
  edit_quiet(ep);
  edit_send(ep, EM_HIDESELECTION, TRUE, 0);
  CHARRANGE saved = edit_selection(ep);
  int32_t n = edit_length(ep);
  char face[LF_FACESIZE];
  lstrcpynA(face, kStyleFace, LF_FACESIZE);
  ByteList out = {};
  for (int32_t i = 0; i < n; i++) {
    edit_select(ep, i, i + 1);
    putRecord(&out, format_selection(ep), face);
  }
  edit_select(ep, saved.cpMin, saved.cpMax);
  edit_send(ep, EM_HIDESELECTION, FALSE, 0);
  edit_loud(ep);
  RString *data = str_make(out.data, out.used);
  if (out.data) pool_free(out.data, out.size);
  return data;
}

// Reads the record at *at into a character format; false when the data end
// inside it. `face` carries the font name from one record to the next.
static bool readRecord(const uint8_t *s, int32_t n, int32_t *at, char face[LF_FACESIZE],
                       CHARFORMATA *cf) {
  int32_t i = *at;
  if (i >= n) return false;
  uint8_t flags = s[i++];
  if (flags & kStyleFont) {
    if (i >= n || s[i] > n - i - 1) return false;
    int32_t length = s[i++];
    int32_t kept = length < LF_FACESIZE - 1 ? length : LF_FACESIZE - 1;
    memcpy(face, s + i, kept);
    face[kept] = 0;
    i += length;
  }
  COLORREF colour = 0;
  if (flags & kStyleColour) {
    if (n - i < 3) return false;
    colour = RGB(s[i], s[i + 1], s[i + 2]);
    i += 3;
  }
  if (i >= n) return false;
  *cf = blank();
  cf->dwMask = CFM_FACE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR | CFM_SIZE;
  cf->dwEffects = effects(flags & kStyleBold, flags & kStyleItalic, flags & kStyleUnderline);
  cf->crTextColor = colour;
  cf->yHeight = twips(s[i++]);
  setFace(cf, face);
  *at = i;
  return true;
}

void format_apply_style(EditPane *ep, RString *text, RString *style) {
  edit_put_text(ep, text);
  edit_quiet(ep);
  CHARFORMATA plain = blank();
  plain.dwMask = CFM_FACE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR;
  setFace(&plain, kStyleFace);
  apply(ep, SCF_ALL, &plain);
  const uint8_t *s = (const uint8_t *)str_cview(style);
  int32_t n = str_len(style), at = 0, styled = 0, length = edit_length(ep);
  char face[LF_FACESIZE];
  lstrcpynA(face, kStyleFace, LF_FACESIZE);
  CHARFORMATA cf;
  for (; styled < length && readRecord(s, n, &at, face, &cf); styled++) {
    edit_select(ep, styled, styled + 1);
    apply(ep, SCF_SELECTION, &cf);
  }
  edit_select(ep, styled + 1, styled + 1);
  edit_loud(ep);
}

/* ---- the styled characters, for printing ---- */

// The control's text by its positions: a paragraph mark is one '\r'.
static wchar_t *positionsText(EditPane *ep, int32_t *count) {
  GETTEXTLENGTHEX ask = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  int32_t n = (int32_t)SendMessageW(edit_hwnd(ep), EM_GETTEXTLENGTHEX, (WPARAM)&ask, 0);
  wchar_t *text = n >= 0 ? (wchar_t *)malloc((n + 1) * sizeof(wchar_t)) : nullptr;
  if (!text) return nullptr;
  GETTEXTEX get = {(DWORD)((n + 1) * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
  *count = (int32_t)SendMessageW(edit_hwnd(ep), EM_GETTEXTEX, (WPARAM)&get, (LPARAM)text);
  return text;
}

static void readStyle(EditPane *ep, StyledChar *c, uint8_t align) {
  CHARFORMATA cf = format_selection(ep);
  c->bold = (cf.dwEffects & CFE_BOLD) != 0;
  c->italic = (cf.dwEffects & CFE_ITALIC) != 0;
  c->underline = (cf.dwEffects & CFE_UNDERLINE) != 0;
  c->colour = cf.dwEffects & CFE_AUTOCOLOR ? GetSysColor(COLOR_WINDOWTEXT) : cf.crTextColor;
  c->height = cf.yHeight > 0 ? cf.yHeight : twips(0);
  c->align = align;
  lstrcpynA(c->face, cf.szFaceName, LF_FACESIZE);
}

StyledChar *editField_styled_text(EditFieldObject *e, int32_t *count) {
  EditPane *ep = edit_pane(e);
  int32_t n = 0;
  wchar_t *text = ep ? positionsText(ep, &n) : nullptr;
  StyledChar *out = text ? (StyledChar *)calloc(n > 0 ? n : 1, sizeof(StyledChar)) : nullptr;
  if (!out) {
    free(text);
    return nullptr;
  }
  edit_quiet(ep);
  edit_send(ep, EM_HIDESELECTION, TRUE, 0);
  CHARRANGE saved = edit_selection(ep);
  uint8_t align = PFA_LEFT;
  for (int32_t i = 0; i < n; i++) {
    edit_select(ep, i, i + 1);
    if (i == 0 || text[i - 1] == L'\r') { /* a paragraph begins */
      PARAFORMAT pf = {};
      pf.cbSize = sizeof pf;
      edit_send(ep, EM_GETPARAFORMAT, 0, (LPARAM)&pf);
      align = (uint8_t)(pf.wAlignment ? pf.wAlignment : PFA_LEFT);
    }
    out[i].ch = text[i];
    readStyle(ep, &out[i], align);
  }
  edit_select(ep, saved.cpMin, saved.cpMax);
  edit_send(ep, EM_HIDESELECTION, FALSE, 0);
  edit_loud(ep);
  free(text);
  *count = n;
  return out;
}
