// Fonts and system colours for panes: the face-name mapping, the font cache
// keyed by face, size and style with a reference count per font, and the
// theme colour indices.
#include "ui/fonts.h"
#include "base/pool.h"
#include "text/string.h"
#include <cstring>

struct CachedFont {
  CachedFont *next;
  char face[LF_FACESIZE]; // capped to what the platform takes
  int size;
  bool bold, italic, underline;
  HFONT font;
  int32_t refs;
};
static CachedFont *cache;

int font_cache_count() {
  int n = 0;
  for (CachedFont *f = cache; f; f = f->next) n++;
  return n;
}

HFONT font_acquire(const char *name, int size, bool bold, bool italic, bool underline) {
  char face[LF_FACESIZE];
  lstrcpynA(face, font_face(name ? name : ""), LF_FACESIZE);
  for (CachedFont *f = cache; f; f = f->next)
    if (!_stricmp(f->face, face) && f->size == size && f->bold == bold && f->italic == italic &&
        f->underline == underline) {
      f->refs++;
      return f->font;
    }
  HFONT font = CreateFontA(size ? -size : -12, 0, 0, 0, bold ? 700 : 400, italic, underline, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH, face);
  if (!font) return nullptr;
  CachedFont *f = (CachedFont *)pool_alloc(sizeof(CachedFont));
  *f = {cache, {}, size, bold, italic, underline, font, 1};
  memcpy(f->face, face, sizeof face);
  cache = f;
  return font;
}

const char *font_control_face(RString *textFont) {
  return font_face(str_len(textFont) ? str_cview(textFont) : "System");
}

HFONT font_acquire_control(RString *textFont, int size, bool bold, bool italic, bool underline) {
  return font_acquire(font_control_face(textFont), size, bold, italic, underline);
}

void font_release(HFONT font) {
  for (CachedFont **link = &cache; *link; link = &(*link)->next) {
    CachedFont *f = *link;
    if (f->font != font) continue;
    if (--f->refs > 0) return;
    *link = f->next;
    DeleteObject(f->font);
    pool_free(f, sizeof(CachedFont));
    return;
  }
}

SystemColour system_colour(int index) {
  COLORREF c;
  switch (index) {
  case 1:
    c = GetSysColor(COLOR_BTNFACE);
    break;
  case 2:
    c = GetSysColor(COLOR_BTNTEXT);
    break;
  case 3:
    c = RGB(0xDD, 0xDD, 0xDD);
    break; /* the light and dark greys of the theme */
  case 4:
    c = RGB(0x88, 0x88, 0x88);
    break;
  case 5:
    c = GetSysColor(COLOR_BTNHIGHLIGHT);
    break;
  case 6:
    c = GetSysColor(COLOR_BTNSHADOW);
    break;
  default:
    c = 0;
    break;
  }
  uint8_t r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  return {(int32_t)(r << 16 | g << 8 | b), (uint16_t)(r * 257), (uint16_t)(g * 257),
          (uint16_t)(b * 257)};
}
