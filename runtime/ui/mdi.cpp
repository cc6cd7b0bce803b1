// MDI mode: the frame window with its MDI client, the children that runtime
// windows become, and the MDIWindow object that compiled code sees.
#include "ui/mdi.h"
#include "startup/RuntimeMain.h"
#include "ui/window.h"
#include "ui/windowproc.h"

static HWND frame, client;

HWND mdi_frame() { return frame; }
HWND mdi_client() { return client; }

void mdi_start() {}

HWND mdi_create_child(View *, const char *, DWORD, int, int) { return nullptr; }
void mdi_destroy_child(HWND child) { SendMessageA(client, WM_MDIDESTROY, (WPARAM)child, 0); }
