// The project's registered file types as the folder items use them: the
// type an entry matches best (its Type property), and the file dialogs'
// filter built from a list of type names.
#include "files/filetypes.h"
#include "files/file.h"
#include "lifecycle/settings.h"
#include <cstring>
#include <windows.h>

static const char kAnyType[] = "????"; /* a type code standing for any file */

static int32_t typeCount() { return vec_count(&gSettings.fileTypes); }
static const FileType *typeAt(int32_t i) {
  return (const FileType *)vec_get_ptr(&gSettings.fileTypes, i);
}

// Calls visit for each extension of a type's ";"-separated list, without its
// leading dot; stops when visit returns false.
template <typename Visit> static void eachExtension(const FileType *t, Visit visit) {
  const char *p = str_cview(t->extensions);
  while (*p) {
    const char *end = strchr(p, ';');
    size_t n = end ? (size_t)(end - p) : strlen(p);
    const char *e = p;
    size_t en = n;
    if (en && *e == '.') e++, en--;
    if (en && !visit(e, en)) return;
    p += end ? n + 1 : n;
  }
}

static bool anyType(const FileType *t) { return !strcmp(str_cview(t->type), kAnyType); }

// How well a name matches a type: its longest matching extension scores
// above the catch-all "any file" type, which scores 1; 0 for no match.
static int32_t score(const FileType *t, const char *name) {
  int32_t best = 0;
  bool hasExtensions = false;
  size_t n = strlen(name);
  eachExtension(t, [&](const char *e, size_t en) {
    hasExtensions = true;
    if (n > en && name[n - en - 1] == '.' && !_strnicmp(name + n - en, e, en))
      best = best > (int32_t)en + 1 ? best : (int32_t)en + 1;
    return true;
  });
  if (!hasExtensions && anyType(t)) return 1;
  return best ? best + 1 : 0;
}

RString *fileTypeGetter(Object *item) {
  RString *name = fileNameGetter(item);
  const FileType *best = nullptr;
  int32_t bestScore = 0;
  for (int32_t i = 0; i < typeCount(); i++) {
    int32_t s = score(typeAt(i), str_cview(name));
    if (s > bestScore) bestScore = s, best = typeAt(i);
  }
  RuntimeUnlockString(name);
  if (!best) return nullptr;
  RuntimeLockString(best->name);
  return best->name;
}

static const FileType *typeNamed(const char *name, size_t n) {
  for (int32_t i = 0; i < typeCount(); i++) {
    const char *t = str_cview(typeAt(i)->name);
    if (strlen(t) == n && !_strnicmp(t, name, n)) return typeAt(i);
  }
  return nullptr;
}

bool filetype_matches(const char *typeName, const char *fileName) {
  const FileType *t = typeNamed(typeName, strlen(typeName));
  return t && score(t, fileName) > 0;
}

/* ---- the dialogs' filter ---- */

// Appends n bytes; false, leaving the filter as it was, when they do not fit.
static bool put(FileFilter *f, const char *bytes, size_t n) {
  if (f->length + (int32_t)n >= kFilterMax - 1) return false; /* room for the final NUL */
  memcpy(f->text + f->length, bytes, n);
  f->length += (int32_t)n;
  return true;
}

// One type's patterns: "*.ext" joined with ";", or "*.*" for any file.
static bool putPatterns(FileFilter *f, const FileType *t) {
  int32_t start = f->length;
  bool fits = true;
  eachExtension(t, [&](const char *e, size_t en) {
    fits = (f->length == start || put(f, ";", 1)) && put(f, "*.", 2) && put(f, e, en);
    if (fits && !f->extension[0] && en < kExtensionMax) memcpy(f->extension, e, en);
    return fits;
  });
  if (fits && f->length == start && anyType(t)) fits = put(f, "*.*", 3);
  return fits && f->length > start;
}

static void putType(FileFilter *f, const FileType *t) {
  int32_t start = f->length;
  char kept[kExtensionMax];
  memcpy(kept, f->extension, sizeof kept);
  const char *name = str_cview(t->name);
  if (put(f, name, strlen(name) + 1) && putPatterns(f, t) && put(f, "", 1)) return;
  f->length = start; /* the type did not fit or has no patterns */
  memcpy(f->extension, kept, sizeof kept);
}

bool filter_build(const char *typeNames, FileFilter *out) {
  memset(out, 0, sizeof *out);
  for (const char *p = typeNames; *p;) {
    const char *end = strchr(p, ';');
    size_t n = end ? (size_t)(end - p) : strlen(p);
    if (const FileType *t = typeNamed(p, n)) putType(out, t);
    p += end ? n + 1 : n;
  }
  out->text[out->length] = 0; /* the extra NUL that ends the list */
  return out->length > 0;
}
