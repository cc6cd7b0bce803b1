// The list of installed font families, by name in alphabetical order: read
// afresh whenever code asks for the count, kept for the names asked after it.
#include "graphics/colour.h"
#include "base/vector.h"
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
