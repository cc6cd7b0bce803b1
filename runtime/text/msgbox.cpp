// RuntimeMsgBox: a text in a platform message box with the information icon
// and an OK button, owned by the window the user is working in.
#include "text/msgbox.h"
#include "base/platform.h"
#include "text/string.h"

static bool yes() { return true; }
static bool no() { return false; }
static HWND none() { return nullptr; }
static const char *noName() { return ""; }

// No windows exist until the window subsystem installs its own answers.
MsgBoxContext gMsgBoxContext = {yes, none, no, none, none, noName};

HWND msgbox_owner() {
  const MsgBoxContext &c = gMsgBoxContext;
  if (!c.modalListEmpty()) return c.firstVisibleModal(); /* nil when none is visible */
  if (c.mdiMode()) return c.mdiFrame();
  return c.firstPlainWindow();
}

extern "C" void RuntimeMsgBox(RString *s) {
  const char *caption = gMsgBoxContext.mdiMode() ? gMsgBoxContext.applicationName() : "Message";
  gPlatform.messageBox(msgbox_owner(), str_cview(s), caption, MB_OK | MB_ICONINFORMATION);
}
