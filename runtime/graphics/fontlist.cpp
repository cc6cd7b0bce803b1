// The list of installed font families, by name in alphabetical order: read
// afresh whenever code asks for the count, kept for the names asked after it;
// and the encoding of a family's characters.
#include "graphics/colour.h"
#include "base/vector.h"
#include "objects/textencoding.h"
#include <cstdlib>

static Vector gFonts; // RString * of each family, sorted; elementSize 0 until first read

static int32_t fontAt(int32_t i) { return vec_get(&gFonts, i); }
static RString *nameAt(int32_t i) { return (RString *)(uintptr_t)fontAt(i); }

static bool listed(const char *name) {
  for (int32_t i = 0; i < vec_count(&gFonts); i++)
    if (lstrcmpiA(str_cview(nameAt(i)), name) == 0) return true;
  return false;
}

// One family per name, whatever its character sets; "@" names are the
// vertical-writing twins of families already listed.
static int CALLBACK addFamily(const LOGFONTA *font, const TEXTMETRICA *, DWORD, LPARAM) {
  const char *name = font->lfFaceName;
  if (name[0] && name[0] != '@' && !listed(name))
    vec_append(&gFonts, (int32_t)(uintptr_t)str_from(name));
  return 1;
}

static int byName(const void *a, const void *b) {
  return lstrcmpiA(str_cview(*(RString *const *)a), str_cview(*(RString *const *)b));
}

static void readFonts() {
  if (gFonts.elementSize == 0) vec_init(&gFonts);
  for (int32_t i = 0; i < vec_count(&gFonts); i++) RuntimeUnlockString(nameAt(i));
  vec_set_count(&gFonts, 0);
  HDC screen = GetDC(nullptr);
  LOGFONTA any = {};
  any.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExA(screen, &any, addFamily, 0, 0);
  ReleaseDC(nullptr, screen);
  if (vec_count(&gFonts) > 1)
    qsort(gFonts.handle->buffer, (size_t)vec_count(&gFonts), sizeof(RString *), byName);
}

int32_t getFontCount() {
  readFonts();
  return vec_count(&gFonts);
}

// The name at index (from 0) of the list the last count read; "" outside it.
RString *getFontName(int32_t index) {
  if (gFonts.elementSize == 0) readFonts();
  if (index < 0 || index >= vec_count(&gFonts)) return nullptr;
  RString *name = nameAt(index);
  RuntimeLockString(name);
  return name;
}

/* ---- a font's encoding ---- */

struct Charsets {
  int first;  // the first character set the family offers, -1 for none
  int system; // the system's own, when the family offers it; else -1
  int wanted; // the system's own character set
};

static int CALLBACK noteCharset(const LOGFONTA *font, const TEXTMETRICA *, DWORD, LPARAM data) {
  Charsets *c = (Charsets *)data;
  if (c->first < 0) c->first = font->lfCharSet;
  if (font->lfCharSet == c->wanted) c->system = font->lfCharSet;
  return 1;
}

// The encoding of a font family's characters: the system's own code page when
// the family offers it, else the code page of the first character set it
// offers; nil for a family that is not installed.
Object *getFontTextEncoding(RString *name) {
  if (str_len(name) == 0 || str_len(name) >= LF_FACESIZE) return nullptr;
  CHARSETINFO info = {};
  Charsets c = {-1, -1, ANSI_CHARSET};
  if (TranslateCharsetInfo((DWORD *)(uintptr_t)GetACP(), &info, TCI_SRCCODEPAGE))
    c.wanted = (int)info.ciCharset;
  LOGFONTA want = {};
  want.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(want.lfFaceName, str_cview(name), LF_FACESIZE);
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(screen, &want, noteCharset, (LPARAM)&c, 0);
  ReleaseDC(nullptr, screen);
  int charset = c.system >= 0 ? c.system : c.first;
  if (charset < 0) return nullptr;
  if (!TranslateCharsetInfo((DWORD *)(uintptr_t)charset, &info, TCI_SRCCHARSET)) return nullptr;
  return &text_encoding_new((int32_t)info.ciACP)->header;
}
