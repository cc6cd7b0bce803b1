// A platform drop target for runtime windows: a counted object answering the
// four drag questions. No kind of drop is accepted until the drag items and
// their acceptance lists exist, so every drag is answered with "no effect".
#include "ui/droptarget.h"
#include "base/pool.h"
#include <ole2.h>
#include <new>

namespace {

struct Target : IDropTarget {
  LONG refs = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&refs);
    if (left == 0) {
      this->~Target();
      pool_free(this, sizeof(Target));
    }
    return left;
  }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject *, DWORD, POINTL, DWORD *effect) override {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD *effect) override {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject *, DWORD, POINTL, DWORD *effect) override {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
};

} // namespace

IDropTarget *drop_target_register(HWND hwnd) {
  Target *t = new (pool_alloc(sizeof(Target))) Target;
  if (RegisterDragDrop(hwnd, t) == S_OK) return t; /* the platform holds its own reference */
  t->Release();
  return nullptr;
}

void drop_target_revoke(HWND hwnd, IDropTarget *target) {
  if (!target) return;
  RevokeDragDrop(hwnd);
  target->Release();
}
