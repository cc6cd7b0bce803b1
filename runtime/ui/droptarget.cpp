// A platform drop target for runtime windows: a counted object that passes
// the four drag questions, with the view under the drag, to the drop hooks.
#include "ui/droptarget.h"
#include "base/pool.h"
#include "ui/nativewindow.h"
#include <ole2.h>
#include <new>

static DWORD refuse(View *, IDataObject *, DWORD, POINTL, DWORD) { return DROPEFFECT_NONE; }
static DWORD refuseOver(View *, DWORD, POINTL, DWORD) { return DROPEFFECT_NONE; }
static void nothing(View *) {}
static bool notTaken(Pane *, POINT) { return false; }
static void noRowDrag(ControlObject *, int32_t, Rect16) {}

DropHooks gDropHooks = {refuse, refuseOver, nothing, refuse, notTaken, noRowDrag};

namespace {

struct Target : IDropTarget {
  LONG refs = 1;
  HWND hwnd; // the native window it is registered for

  explicit Target(HWND h) : hwnd(h) {}

  // The view while its native window lives; nil once it is going.
  View *view() const { return view_from_hwnd(hwnd); }

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
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject *data, DWORD keys, POINTL at,
                                      DWORD *effect) override {
    View *v = view();
    *effect = v && data ? gDropHooks.enter(v, data, keys, at, *effect) : DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD *effect) override {
    View *v = view();
    *effect = v ? gDropHooks.over(v, keys, at, *effect) : DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    gDropHooks.leave(view());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject *data, DWORD keys, POINTL at, DWORD *effect) override {
    View *v = view();
    *effect = v && data ? gDropHooks.drop(v, data, keys, at, *effect) : DROPEFFECT_NONE;
    if (!v || !data) gDropHooks.leave(v);
    return S_OK;
  }
};

} // namespace

IDropTarget *drop_target_register(HWND hwnd) {
  Target *t = new (pool_alloc(sizeof(Target))) Target(hwnd);
  if (RegisterDragDrop(hwnd, t) == S_OK) return t; /* the platform holds its own reference */
  t->Release();
  return nullptr;
}

void drop_target_revoke(HWND hwnd, IDropTarget *target) {
  if (!target) return;
  RevokeDragDrop(hwnd);
  target->Release();
}
