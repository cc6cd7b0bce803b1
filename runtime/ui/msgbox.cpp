// RuntimeMsgBox: a text in a platform message box with the information icon
// and an OK button, owned by the window the user is working in.
#include "ui/msgbox.h"
#include "base/platform.h"
#include "lifecycle/settings.h"
#include "text/string.h"
#include "ui/mdi.h"
#include "ui/nativewindow.h"

HWND msgbox_choose_owner(bool anyModal, HWND visibleModal, bool mdi, HWND mdiFrame,
                         HWND firstDocument) {
  if (anyModal) return visibleModal;
  return mdi ? mdiFrame : firstDocument;
}

static HWND firstDocument() {
  for (View *v = gWindowList; v; v = v->next)
    if (frame_is_document(v->frame)) return v->pane.hwnd;
  return nullptr;
}

HWND msgbox_owner() {
  View *modal = view_newest_visible_modal();
  return msgbox_choose_owner(gModalList != nullptr, modal ? modal->pane.hwnd : nullptr,
                             gSettings.mdi, mdi_frame(), firstDocument());
}

extern "C" void RuntimeMsgBox(RString *s) {
  const char *caption = gSettings.mdi ? str_cview(gSettings.applicationName) : "Message";
  gPlatform.messageBox(msgbox_owner(), str_cview(s), caption, MB_OK | MB_ICONINFORMATION);
}
