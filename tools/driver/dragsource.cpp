// The driver as another program that drags: files (as a file manager offers
// them) or text (as another window's selection) dropped at a point of the
// program's window through the platform's drag loop. The pointer goes there
// first; the drop follows a few turns of the loop later without a button
// held, so nothing under the pointer is clicked on the way.
#include "commands.h"
#include "input.h"
#include "text.h"
#include <ole2.h>
#include <shlobj.h>
#include <cstdio>
#include <cstring>
#include <new>

namespace script {

namespace {

// One format's bytes, rendered afresh for each request.
struct OneFormat final : IDataObject {
  LONG refs = 1;
  FORMATETC format;
  std::string bytes;

  OneFormat(UINT cf, std::string b)
      : format{(CLIPFORMAT)cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, bytes(std::move(b)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    *out = iid == IID_IUnknown || iid == IID_IDataObject ? this : nullptr;
    if (*out) AddRef();
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&refs);
    if (!left) delete this;
    return left;
  }
  bool matches(const FORMATETC *f) const {
    return f && f->cfFormat == format.cfFormat && (f->tymed & TYMED_HGLOBAL);
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC *f, STGMEDIUM *m) override {
    if (!matches(f)) return DV_E_FORMATETC;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!h) return E_OUTOFMEMORY;
    memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    *m = {};
    m->tymed = TYMED_HGLOBAL;
    m->hGlobal = h;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC *f) override {
    return matches(f) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC *, FORMATETC *out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC **out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    return SHCreateStdEnumFmtEtc(1, &format, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA **) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
};

// Drops once the loop has asked a few times, so that the target has seen
// the drag enter and move over it: the platform's loop looks for a target
// when the pointer moves, so each question nudges it by a pixel and back.
struct DropSoon : IDropSource {
  LONG refs = 1;
  int asked = 0;
  POINT at; // where the drop goes, on the screen

  explicit DropSoon(POINT p) : at(p) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    *out = iid == IID_IUnknown || iid == IID_IDropSource ? this : nullptr;
    if (*out) AddRef();
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs); }
  ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&refs); }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
    if (escape) return DRAGDROP_S_CANCEL;
    if (++asked >= 8) return DRAGDROP_S_DROP;
    input::move({at.x + (asked % 2 ? 0 : 1), at.y}); /* ends where it began */
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

const char *effectName(DWORD effect) {
  if (effect & DROPEFFECT_MOVE) return "move";
  if (effect & DROPEFFECT_COPY) return "copy";
  if (effect & DROPEFFECT_LINK) return "link";
  return "none";
}

} // namespace

// Drags the data to the point of the command's target; prints what was
// dropped and the effect the program answered.
static bool dropAt(Session &s, const Args &a, IDataObject *data, const std::string &what) {
  POINT at;
  if (!pointedAt(s, a, &at)) return false;
  static bool ole = SUCCEEDED(OleInitialize(nullptr));
  if (!ole) {
    s.error = "the platform's drag and drop could not be started";
    return false;
  }
  input::move(at);
  Sleep(30); /* the pointer is there before the drag begins */
  DropSoon source(at);
  DWORD effect = DROPEFFECT_NONE;
  HRESULT result = DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
  if (result != DRAGDROP_S_DROP) effect = DROPEFFECT_NONE;
  settle(s);
  printf("dropped %s on %s at %ld,%ld: %s\n", what.c_str(), a.words[0].c_str(), at.x, at.y,
         effectName(effect));
  return true;
}

bool doDropFiles(Session &s, const Args &a) {
  DROPFILES header = {};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  std::string bytes((const char *)&header, sizeof header);
  for (size_t i = 2; i < a.words.size(); i++) {
    std::wstring path = text::wide(a.words[i]);
    bytes.append((const char *)path.c_str(), (path.size() + 1) * sizeof(wchar_t));
  }
  bytes.append(sizeof(wchar_t), '\0');
  OneFormat *data = new OneFormat(CF_HDROP, bytes);
  bool ok = dropAt(s, a, data, std::to_string(a.words.size() - 2) + " files");
  data->Release();
  return ok;
}

bool doDropText(Session &s, const Args &a) {
  std::wstring text = text::wide(a.words[2]);
  OneFormat *data = new OneFormat(
      CF_UNICODETEXT, std::string((const char *)text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
  bool ok = dropAt(s, a, data, "text " + text::quote(a.words[2]));
  data->Release();
  return ok;
}

} // namespace script
