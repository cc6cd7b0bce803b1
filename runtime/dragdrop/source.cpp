// The drag source: a data object that renders a drag item's text (UTF-16 and
// the code page's), first picture (a packed DIB), files and folders (a file
// list) and public typed data on request, and carries the item itself to
// drops in this program; the drop source; the drag loop.
#include "dragdrop/source.h"
#include "base/pool.h"
#include "dragdrop/offer.h"
#include "graphics/imagefile.h"
#include "lifecycle/application.h"
#include "lifecycle/exception.h"
#include "ui/control.h"
#include "ui/windowobject.h"
#include <ole2.h>
#include <shlobj.h>
#include <cstdlib>
#include <cstring>
#include <new>

static DragItemObject *dragging; // the item of the drag loop running now

DragItemObject *source_dragging() { return dragging; }

/* ---- rendering ---- */

static HGLOBAL globalOf(const void *bytes, size_t n, size_t zeros) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n + zeros);
  uint8_t *p = block ? (uint8_t *)GlobalLock(block) : nullptr;
  if (!p) {
    if (block) GlobalFree(block);
    return nullptr;
  }
  if (n) memcpy(p, bytes, n);
  memset(p + n, 0, zeros);
  GlobalUnlock(block);
  return block;
}

// The texts of the items, a line each.
static RString *allText(DragItemObject *d) {
  RString *all = nullptr, *lineEnd = str_from("\r\n");
  bool first = true;
  for (int32_t i = 0; i < dragitem_count(d); i++) {
    DragEntry *e = dragitem_entry(d, i);
    if (!e->text) continue;
    if (!first) str_append(&all, lineEnd);
    str_append(&all, e->text);
    first = false;
  }
  RuntimeUnlockString(lineEnd);
  return all;
}

static HGLOBAL renderText(DragItemObject *d, bool wide) {
  RString *text = allText(d);
  HGLOBAL block = nullptr;
  if (!wide) {
    block = globalOf(str_cview(text), (size_t)str_len(text), 1);
  } else {
    int32_t n = str_len(text)
                    ? MultiByteToWideChar(CP_ACP, 0, str_cview(text), str_len(text), nullptr, 0)
                    : 0;
    block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (n + 1) * sizeof(wchar_t));
    if (wchar_t *w = block ? (wchar_t *)GlobalLock(block) : nullptr) {
      if (n) MultiByteToWideChar(CP_ACP, 0, str_cview(text), str_len(text), w, n);
      GlobalUnlock(block);
    }
  }
  RuntimeUnlockString(text);
  return block;
}

static PictureObject *firstPicture(DragItemObject *d) {
  for (int32_t i = 0; i < dragitem_count(d); i++)
    if (PictureObject *p = dragitem_entry(d, i)->picture) return p;
  return nullptr;
}

static HGLOBAL renderPicture(DragItemObject *d) {
  size_t length = 0;
  uint8_t *file = bmp_encode(picture_image(firstPicture(d)), &length);
  HGLOBAL block = file && length > kBmpFileHeader
                      ? globalOf(file + kBmpFileHeader, length - kBmpFileHeader, 0)
                      : nullptr;
  free(file);
  return block;
}

// A file list: the header, then each path in UTF-16, zero-terminated, and
// one more zero.
static HGLOBAL renderFiles(DragItemObject *d) {
  size_t units = 1;
  for (int32_t i = 0; i < dragitem_count(d); i++)
    if (RString *p = dragitem_entry(d, i)->path)
      units += MultiByteToWideChar(CP_ACP, 0, str_cview(p), str_len(p), nullptr, 0) + 1;
  HGLOBAL block =
      GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + units * sizeof(wchar_t));
  uint8_t *bytes = block ? (uint8_t *)GlobalLock(block) : nullptr;
  if (!bytes) return block;
  DROPFILES *list = (DROPFILES *)bytes;
  list->pFiles = sizeof(DROPFILES);
  list->fWide = TRUE;
  wchar_t *at = (wchar_t *)(bytes + sizeof(DROPFILES));
  for (int32_t i = 0; i < dragitem_count(d); i++)
    if (RString *p = dragitem_entry(d, i)->path)
      at += MultiByteToWideChar(CP_ACP, 0, str_cview(p), str_len(p), at, (int)units) + 1;
  GlobalUnlock(block);
  return block;
}

// Public data of a type: from the first item that has it, with a zero after
// it, as the clipboard carries it.
static HGLOBAL renderData(DragItemObject *d, const char *type) {
  for (int32_t i = 0; i < dragitem_count(d); i++) {
    DragData *k = dragentry_find(dragitem_entry(d, i), type);
    if (k && !k->isPrivate) return globalOf(str_cview(k->data), (size_t)str_len(k->data), 1);
  }
  return nullptr;
}

static HGLOBAL renderOwn(DragItemObject *d) {
  OwnDrag own = {GetCurrentProcessId(), d};
  return globalOf(&own, sizeof own, 0);
}

/* ---- the formats an item offers ---- */

enum { kMostFormats = 64 }; // typed data beyond this many types is not offered to others

struct Formats {
  FORMATETC list[kMostFormats];
  int count;
};

static void offerFormat(Formats *f, UINT format) {
  for (int i = 0; i < f->count; i++)
    if (f->list[i].cfFormat == format) return;
  if (f->count < kMostFormats)
    f->list[f->count++] = {(CLIPFORMAT)format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

static Formats formatsOf(DragItemObject *d) {
  Formats f = {};
  offerFormat(&f, offer_own_format());
  for (int32_t i = 0; i < dragitem_count(d); i++) {
    DragEntry *e = dragitem_entry(d, i);
    if (e->text) offerFormat(&f, CF_UNICODETEXT), offerFormat(&f, CF_TEXT);
    if (e->picture) offerFormat(&f, CF_DIB);
    if (e->path) offerFormat(&f, CF_HDROP);
    for (DragData *k = e->data; k; k = k->next)
      if (!k->isPrivate) offerFormat(&f, RegisterClipboardFormatA(str_cview(k->type)));
  }
  return f;
}

static HGLOBAL render(DragItemObject *d, UINT format) {
  if (format == offer_own_format()) return renderOwn(d);
  switch (format) {
  case CF_UNICODETEXT:
    return renderText(d, true);
  case CF_TEXT:
    return renderText(d, false);
  case CF_DIB:
    return renderPicture(d);
  case CF_HDROP:
    return renderFiles(d);
  }
  char name[256];
  return GetClipboardFormatNameA(format, name, sizeof name) ? renderData(d, name) : nullptr;
}

/* ---- the data object and the drop source ---- */

namespace {

template <typename Interface> struct Counted : Interface {
  LONG refs = 1;
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs); }
};

struct DataObject : Counted<IDataObject> {
  DragItemObject *item; // retained
  Formats formats;      // what it offers, fixed when it is made

  explicit DataObject(DragItemObject *d)
      : item((DragItemObject *)RuntimeLockObject(&d->header)), formats(formatsOf(d)) {}

  bool has(const FORMATETC *f) const {
    if (!f || !(f->tymed & TYMED_HGLOBAL) || f->dwAspect != DVASPECT_CONTENT) return false;
    for (int i = 0; i < formats.count; i++)
      if (formats.list[i].cfFormat == f->cfFormat) return true;
    return false;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    *out = iid == IID_IUnknown || iid == IID_IDataObject ? this : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&refs);
    if (left == 0) {
      RuntimeUnlockObject(&item->header);
      this->~DataObject();
      pool_free(this, sizeof(DataObject));
    }
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC *f, STGMEDIUM *medium) override {
    if (!has(f)) return DV_E_FORMATETC;
    HGLOBAL block = render(item, f->cfFormat);
    if (!block) return E_OUTOFMEMORY;
    *medium = {};
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC *f) override {
    return has(f) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC *, FORMATETC *out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC **out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    return SHCreateStdEnumFmtEtc((UINT)formats.count, formats.list, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA **) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
};

// Follows the left button: released drops, Escape cancels.
struct DropSource : Counted<IDropSource> {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    *out = iid == IID_IUnknown || iid == IID_IDropSource ? this : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&refs);
    if (left == 0) {
      this->~DropSource();
      pool_free(this, sizeof(DropSource));
    }
    return left;
  }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return keys & MK_LBUTTON ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

} // namespace

// The drag loop took the button's release. A pane that was following the
// mouse (the drag began in its MouseDrag) stops, as if released where the
// pointer is, once the handler that started the drag has returned: it must
// not take the next move for a drag of a button still down.
static void endTracking(Object *) {
  Pane *pane = pane_tracking();
  if (!pane || GetKeyState(VK_LBUTTON) < 0) return;
  POINT at;
  GetCursorPos(&at);
  ScreenToClient(pane_root(pane)->hwnd, &at);
  pane_end_tracking(at);
}

IDataObject *source_data_object(DragItemObject *d) {
  return new (pool_alloc(sizeof(DataObject))) DataObject(d);
}

DWORD source_drag(DragItemObject *d, DWORD allowed) {
  if (dragging) return DROPEFFECT_NONE; /* one drag at a time */
  IDataObject *data = source_data_object(d);
  IDropSource *source = new (pool_alloc(sizeof(DropSource))) DropSource;
  dragging = d;
  DWORD effect = DROPEFFECT_NONE;
  if (DoDragDrop(data, source, allowed, &effect) != DRAGDROP_S_DROP) effect = DROPEFFECT_NONE;
  dragging = nullptr;
  if (pane_tracking()) loop_defer(endTracking, nullptr);
  source->Release();
  data->Release();
  return effect;
}

/* ---- the entry points ---- */

// Only copies leave a program's own drags: a file manager given a move
// would take the user's files away.
void DragItemDrag(DragItemObject *d) {
  if (!d) RuntimeNilObject();
  RuntimeLockObject(&d->header);
  d->effect = (int32_t)source_drag(d, DROPEFFECT_COPY);
  RuntimeUnlockObject(&d->header);
}

static Object *newItem(Object *source, int32_t left, int32_t top, int32_t width, int32_t height) {
  if (!source) RuntimeNilObject();
  DragItemObject *d = dragitem_new(source);
  if (d) dragitem_add(d, left, top, width, height);
  return d ? &d->header : nullptr;
}

Object *formNewDragItem(WindowObject *w, int32_t left, int32_t top, int32_t width, int32_t height) {
  return newItem(w ? &w->header : nullptr, left, top, width, height);
}

Object *controlNewDragItem(ControlObject *c, int32_t left, int32_t top, int32_t width,
                           int32_t height) {
  return newItem(c ? &c->header : nullptr, left, top, width, height);
}
