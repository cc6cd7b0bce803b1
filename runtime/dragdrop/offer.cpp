// Reading a drag's data object: text (UTF-16 before the code page's), a
// packed DIB, the file list of a file manager walked once and checked against
// the block's size, data of named types; a drag item of this program taken
// as it is.
#include "dragdrop/offer.h"
#include "base/pool.h"
#include "dragdrop/source.h"
#include "graphics/imagefile.h"
#include <ole2.h>
#include <shlobj.h>
#include <cstring>

UINT offer_own_format() {
  static UINT format = RegisterClipboardFormatA("Morvint DragItem");
  return format;
}

/* ---- blocks of global memory ---- */

struct Block {
  STGMEDIUM medium;
  const uint8_t *bytes; // locked; nil when the format could not be had
  size_t size;          // as the block says
};

static bool fetch(IDataObject *data, UINT format, Block *b) {
  FORMATETC f = {(CLIPFORMAT)format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  b->bytes = nullptr;
  if (!format || data->GetData(&f, &b->medium) != S_OK) return false;
  if (b->medium.tymed == TYMED_HGLOBAL && b->medium.hGlobal) {
    b->bytes = (const uint8_t *)GlobalLock(b->medium.hGlobal);
    b->size = b->bytes ? GlobalSize(b->medium.hGlobal) : 0;
  }
  if (!b->bytes) ReleaseStgMedium(&b->medium);
  return b->bytes;
}

static void release(Block *b) {
  if (!b->bytes) return;
  GlobalUnlock(b->medium.hGlobal);
  ReleaseStgMedium(&b->medium);
  b->bytes = nullptr;
}

static bool offers(IDataObject *data, UINT format) {
  FORMATETC f = {(CLIPFORMAT)format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return format && data->QueryGetData(&f) == S_OK;
}

/* ---- text ---- */

// UTF-16 text in the application's code page; usedDefault says whether a
// character had no equivalent there.
static RString *narrow(const wchar_t *text, int32_t n, bool *usedDefault = nullptr) {
  if (n <= 0) return str_from("");
  BOOL lost = FALSE;
  int32_t size = WideCharToMultiByte(CP_ACP, 0, text, n, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return nullptr;
  char *buffer = (char *)pool_alloc(size);
  WideCharToMultiByte(CP_ACP, 0, text, n, buffer, size, nullptr, usedDefault ? &lost : nullptr);
  RString *s = str_make(buffer, size);
  pool_free(buffer, size);
  if (usedDefault) *usedDefault = lost;
  return s;
}

static RString *textOf(IDataObject *data) {
  Block b;
  RString *text = nullptr;
  if (fetch(data, CF_UNICODETEXT, &b)) {
    const wchar_t *w = (const wchar_t *)b.bytes;
    text = narrow(w, (int32_t)wcsnlen(w, b.size / sizeof(wchar_t)));
  } else if (fetch(data, CF_TEXT, &b)) {
    const char *a = (const char *)b.bytes;
    text = str_make(a, (int32_t)strnlen(a, b.size));
  }
  release(&b);
  return text;
}

/* ---- files ---- */

// A path of the list as the application's code page spells it: when some
// character has no equivalent there, the short name the file system keeps
// for it, which has none.
static RString *pathOf(const wchar_t *path, int32_t n) {
  if (n <= 0 || n >= MAX_PATH) return nullptr; /* longer than any folder item's */
  bool lost = false;
  RString *s = narrow(path, n, &lost);
  if (!lost) return s;
  RuntimeUnlockString(s);
  wchar_t whole[MAX_PATH], brief[MAX_PATH];
  memcpy(whole, path, n * sizeof(wchar_t));
  whole[n] = 0;
  DWORD m = GetShortPathNameW(whole, brief, MAX_PATH);
  if (!m || m >= MAX_PATH) return nullptr;
  s = narrow(brief, (int32_t)m, &lost);
  if (!lost) return s;
  RuntimeUnlockString(s);
  return nullptr;
}

static void addPath(Vector *paths, RString *path) {
  if (path) dragvec_append(paths, path);
}

// The names of a file list: zero-terminated, one after the other, ended by
// an empty one; none runs past the block.
template <typename Char, typename Add>
static void eachName(const uint8_t *start, const uint8_t *end, Add add) {
  const Char *p = (const Char *)start, *last = (const Char *)end;
  while (p < last && *p) {
    const Char *stop = p;
    while (stop < last && *stop) stop++;
    if (stop == last) return; /* unterminated: the rest is damaged */
    add(p, (int32_t)(stop - p));
    p = stop + 1;
  }
}

static void readPaths(IDataObject *data, Vector *paths) {
  Block b;
  if (!fetch(data, CF_HDROP, &b)) return;
  const DROPFILES *list = (const DROPFILES *)b.bytes;
  if (b.size >= sizeof(DROPFILES) && list->pFiles >= sizeof(DROPFILES) && list->pFiles < b.size) {
    const uint8_t *start = b.bytes + list->pFiles, *end = b.bytes + b.size;
    if (list->fWide)
      eachName<wchar_t>(start, end,
                        [&](const wchar_t *p, int32_t n) { addPath(paths, pathOf(p, n)); });
    else
      eachName<char>(start, end, [&](const char *p, int32_t n) {
        if (n < MAX_PATH) addPath(paths, str_make(p, n));
      });
  }
  release(&b);
}

/* ---- the offer ---- */

// The drag item of a drag this program is making, when the data object is its own.
static DragItemObject *ownItem(IDataObject *data) {
  Block b;
  DragItemObject *item = nullptr;
  if (fetch(data, offer_own_format(), &b) && b.size >= sizeof(OwnDrag)) {
    OwnDrag own;
    memcpy(&own, b.bytes, sizeof own);
    if (own.process == GetCurrentProcessId() && own.item && own.item == source_dragging())
      item = (DragItemObject *)RuntimeLockObject(&own.item->header);
  }
  release(&b);
  return item;
}

bool offer_read(Offer *offer, IDataObject *data) {
  *offer = {};
  vec_init(&offer->paths);
  data->AddRef();
  offer->data = data;
  if ((offer->own = ownItem(data))) {
    for (int32_t i = 0; i < dragitem_count(offer->own); i++) {
      DragEntry *e = dragitem_entry(offer->own, i);
      offer->text |= e->text != nullptr;
      offer->picture |= e->picture != nullptr;
      if (e->path) RuntimeLockString(e->path), dragvec_append(&offer->paths, e->path);
    }
    return true;
  }
  offer->text = offers(data, CF_UNICODETEXT) || offers(data, CF_TEXT);
  offer->picture = offers(data, CF_DIB);
  readPaths(data, &offer->paths);
  return offer->text || offer->picture || vec_count(&offer->paths);
}

void offer_clear(Offer *offer) {
  for (int32_t i = 0; i < vec_count(&offer->paths); i++)
    RuntimeUnlockString((RString *)vec_get_ptr(&offer->paths, i));
  vec_dispose(&offer->paths);
  if (offer->own) RuntimeUnlockObject(&offer->own->header);
  if (offer->data) offer->data->Release();
  *offer = {};
}

static RString *pathAt(const Offer *offer, int32_t i) {
  return (RString *)vec_get_ptr(&offer->paths, i);
}

static bool ownHasData(const DragItemObject *own, const char *type) {
  for (int32_t i = 0; i < dragitem_count(own); i++)
    if (dragentry_find(dragitem_entry(own, i), type)) return true;
  return false;
}

static UINT formatNamed(RString *type) {
  return str_len(type) ? RegisterClipboardFormatA(str_cview(type)) : 0;
}

struct DataQuestion {
  const Offer *offer;
  bool found;
};

static void askData(RString *type, void *context) {
  DataQuestion *q = (DataQuestion *)context;
  if (q->found) return;
  q->found = q->offer->own ? ownHasData(q->offer->own, str_cview(type))
                           : offers(q->offer->data, formatNamed(type));
}

bool offer_wanted(const Offer *offer, const Acceptance *a) {
  if (!a || !offer->data) return false;
  if ((a->kinds & kAcceptText) && offer->text) return true;
  if ((a->kinds & kAcceptPicture) && offer->picture) return true;
  if (a->kinds & kAcceptFiles)
    for (int32_t i = 0; i < vec_count(&offer->paths); i++)
      if (accept_path(a, str_cview(pathAt(offer, i)))) return true;
  DataQuestion q = {offer, false};
  accept_each_data_type(a, askData, &q);
  return q.found;
}

RString *offer_text(const Offer *offer) {
  if (!offer->own) return textOf(offer->data);
  for (int32_t i = 0; i < dragitem_count(offer->own); i++)
    if (RString *t = dragitem_entry(offer->own, i)->text) {
      RuntimeLockString(t);
      return t;
    }
  return nullptr;
}

/* ---- the item a drop delivers ---- */

static PictureObject *pictureOf(IDataObject *data) {
  Block b;
  PictureObject *picture = fetch(data, CF_DIB, &b) ? bmp_decode_dib(b.bytes, b.size) : nullptr;
  release(&b);
  return picture;
}

struct DataTaking {
  IDataObject *data;
  DragEntry *entry;
};

// Data of an accepted type, to its first zero byte as on the clipboard.
static void takeData(RString *type, void *context) {
  DataTaking *t = (DataTaking *)context;
  Block b;
  if (!fetch(t->data, formatNamed(type), &b)) return;
  RString *bytes = str_make(b.bytes, (int32_t)strnlen((const char *)b.bytes, b.size));
  release(&b);
  dragentry_put(t->entry, type, bytes, false);
  RuntimeUnlockString(bytes);
}

static bool filled(const DragEntry *e) { return e->text || e->picture || e->path || e->data; }

DragItemObject *offer_take(const Offer *offer, const Acceptance *a) {
  DragItemObject *d = dragitem_new(nullptr);
  if (!d) return nullptr;
  if (offer->own) {
    dragitem_copy_entries(d, offer->own);
    return d;
  }
  DragEntry *first = dragitem_add(d, 0, 0, 0, 0);
  if (a && (a->kinds & kAcceptText) && offer->text) first->text = textOf(offer->data);
  if (a && (a->kinds & kAcceptPicture) && offer->picture) first->picture = pictureOf(offer->data);
  DataTaking taking = {offer->data, first};
  accept_each_data_type(a, takeData, &taking);
  for (int32_t i = 0; i < vec_count(&offer->paths); i++) {
    RString *path = pathAt(offer, i);
    if (!accept_path(a, str_cview(path))) continue;
    DragEntry *e = first->path ? dragitem_add(d, 0, 0, 0, 0) : first;
    str_assign(&e->path, path);
  }
  d->current = 0;
  if (filled(first)) return d;
  RuntimeUnlockObject(&d->header);
  return nullptr;
}
