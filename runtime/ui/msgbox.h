// RuntimeMsgBox: a text in a platform message box, owned by the window the
// user is working in.
#pragma once
#include <windows.h>

struct RString;

extern "C" void RuntimeMsgBox(RString *s);

// The owner rule over its facts: while the runtime lists any modal window,
// the newest visible one (nil when none is visible); otherwise the MDI frame
// in MDI mode, else the first document window of the window list, or nil.
HWND msgbox_choose_owner(bool anyModal, HWND visibleModal, bool mdi, HWND mdiFrame,
                         HWND firstDocument);

HWND msgbox_owner(); // the rule over the runtime's windows as they are now
