// Pane help texts: HelpTag (else BalloonHelp) while enabled and the disabled
// text otherwise, shown by a tool tip made when a pane first has one; and the
// Application's switch that shows or silences every tip at once.
#include "base/platform.h"
#include "text/string.h"
#include "ui/pane.h"
#include <commctrl.h>
#include <cstring>

static bool helpShown = true; // Application.BalloonHelpVisible

// The tool of a pane's tip: the whole native window, with the text given.
static TOOLINFOA toolInfo(Pane *pane, const char *text) {
  TOOLINFOA info;
  memset(&info, 0, sizeof info);
  info.cbSize = sizeof info - sizeof(void *); /* the size every common-controls version takes */
  info.uFlags = TTF_IDISHWND;
  info.hwnd = pane ? pane->hwnd : nullptr;
  info.uId = (UINT_PTR)info.hwnd;
  info.lpszText = (char *)text;
  return info;
}

void pane_refresh_help(Pane *pane) {
  RString *text = pane->enabled ? pane->help : pane->disabledHelp;
  if (!pane->hwnd || (!text && !pane->toolTip)) return;
  if (!pane->toolTip) {
    pane->toolTip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    pane->hwnd, nullptr, gInstance, nullptr);
    if (!pane->toolTip) return;
    TOOLINFOA info = toolInfo(pane, "");
    info.uFlags |= TTF_SUBCLASS;
    SendMessageA(pane->toolTip, TTM_ADDTOOLA, 0, (LPARAM)&info);
  }
  TOOLINFOA info = toolInfo(pane, str_cview(text));
  SendMessageA(pane->toolTip, TTM_UPDATETIPTEXTA, 0, (LPARAM)&info);
  SendMessageA(pane->toolTip, TTM_ACTIVATE, helpShown && str_len(text) > 0, 0);
}

void pane_set_help(Pane *pane, RString *helpTag, RString *balloonHelp, RString *disabledHelp) {
  str_assign(&pane->balloonHelp, balloonHelp);
  str_assign(&pane->help, str_len(helpTag) ? helpTag : balloonHelp);
  str_assign(&pane->disabledHelp, disabledHelp);
  pane_refresh_help(pane);
}

/* ---- the Application's switch ---- */

// Every tip of this thread is a top-level window whose one tool is its
// pane's native window; each such pane shows or silences its own tip again.
static BOOL CALLBACK refreshTip(HWND hwnd, LPARAM) {
  char name[32];
  if (!GetClassNameA(hwnd, name, sizeof name) || lstrcmpiA(name, TOOLTIPS_CLASSA) != 0) return TRUE;
  TOOLINFOA tool = toolInfo(nullptr, nullptr);
  if (!SendMessageA(hwnd, TTM_ENUMTOOLSA, 0, (LPARAM)&tool)) return TRUE;
  if (Pane *p = pane_from_hwnd(tool.hwnd))
    if (p->toolTip == hwnd) pane_refresh_help(p);
  return TRUE;
}

extern "C" bool AppBalloonHelpVisibleGetter(Object *) { return helpShown; }

extern "C" void AppBalloonHelpVisibleSetter(Object *, int32_t, bool visible) {
  if (helpShown == visible) return;
  helpShown = visible;
  EnumThreadWindows(GetCurrentThreadId(), refreshTip, 0);
}
