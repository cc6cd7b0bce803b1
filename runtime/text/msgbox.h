// Where RuntimeMsgBox finds its owner window and its caption. The window
// subsystem fills these routines in once its window lists, its modal-window
// list and MDI mode exist; until then each answers "none".
#pragma once
#include <windows.h>

struct MsgBoxContext {
  bool (*modalListEmpty)();         // the runtime's list of modal windows holds none
  HWND (*firstVisibleModal)();      // the first visible window of that list, or nil
  bool (*mdiMode)();                // the application runs in MDI mode
  HWND (*mdiFrame)();               // the MDI frame window
  HWND (*firstPlainWindow)();       // the first window whose frame type is 0 or 8, or nil
  const char *(*applicationName)(); // shown as the caption in MDI mode
};

extern MsgBoxContext gMsgBoxContext;

HWND msgbox_owner(); // the owner the rules choose, or nil
