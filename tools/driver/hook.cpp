// The driver's hook library, loaded into the program under test on the
// thread of the window being driven. Under Wine a menu can be read only inside
// the process that owns it: one hook answers the driver's menu question there,
// for one level of the window's menus, in the driver's shared memory block.
// The other tells the driver when the program has taken in the input sent so
// far, by watching for the driver's input mark.
#include "hookprotocol.h"
#include <cstdio>

static LONG gMenuCommands; /* chosen menu items, as their commands are taken from the queue */

static HMENU menuAt(HWND window, const MenuQuery &q) {
  HMENU menu = GetMenu(window);
  for (int level = 0; menu && level < q.depth; level++) menu = GetSubMenu(menu, q.path[level]);
  return menu;
}

struct ShownSearch {
  HMENU menu;
  bool shown;
};

static BOOL CALLBACK findShown(HWND window, LPARAM context) {
  ShownSearch *s = (ShownSearch *)context;
  wchar_t cls[16] = L"";
  GetClassNameW(window, cls, 16);
  if (IsWindowVisible(window) && lstrcmpW(cls, L"#32768") == 0 &&
      (HMENU)SendMessageW(window, MN_GETHMENU, 0, 0) == s->menu)
    s->shown = true;
  return !s->shown;
}

static bool isShown(HMENU menu) {
  ShownSearch search = {menu, false};
  EnumThreadWindows(GetCurrentThreadId(), findShown, (LPARAM)&search);
  return search.shown;
}

static void describe(HWND window, HMENU menu, bool bar, int position, MenuEntry *entry) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
  GetMenuItemInfoW(menu, position, TRUE, &info);
  GetMenuStringW(menu, position, entry->text, kMenuText, MF_BYPOSITION);
  entry->disabled = (info.fState & MFS_DISABLED) != 0;
  entry->separator = (info.fType & MFT_SEPARATOR) != 0;
  entry->submenu = info.hSubMenu != nullptr;
  SetRectEmpty(&entry->screen);
  GetMenuItemRect(bar ? window : nullptr, menu, position,
                  &entry->screen); /* a shown popup finds its own window */
}

static void answer(HWND window, DWORD driver) {
  wchar_t name[64];
  swprintf(name, 64, L"%ls%lu", kMenuQueryBlock, driver);
  HANDLE block = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name);
  if (!block) return;
  MenuQuery *q = (MenuQuery *)MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(MenuQuery));
  if (q) {
    HMENU menu = q->depth >= 0 && q->depth <= kMenuDepth ? menuAt(window, *q) : nullptr;
    q->count = menu ? GetMenuItemCount(menu) : -1;
    if (q->count > kMenuItems) q->count = kMenuItems;
    q->shown = menu && (q->depth == 0 || isShown(menu));
    q->commands = gMenuCommands;
    for (int i = 0; i < q->count; i++) describe(window, menu, q->depth == 0, i, &q->items[i]);
    UnmapViewOfFile(q);
  }
  CloseHandle(block);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK DriverHookProc(int code, WPARAM wp, LPARAM lp) {
  static UINT question = RegisterWindowMessageW(kMenuQueryMessage);
  const CWPSTRUCT *m = (const CWPSTRUCT *)lp;
  if (code == HC_ACTION && m->message == question) answer(m->hwnd, (DWORD)m->wParam);
  return CallNextHookEx(nullptr, code, wp, lp);
}

static void markSeen(DWORD driver) {
  wchar_t name[64];
  swprintf(name, 64, L"%ls%lu", kInputMarkEvent, driver);
  if (HANDLE seen = OpenEventW(EVENT_MODIFY_STATE, FALSE, name)) {
    SetEvent(seen);
    CloseHandle(seen);
  }
}

extern "C" __declspec(dllexport) LRESULT CALLBACK
    DriverInputHookProc(int code, WPARAM wp, LPARAM lp) {
  MSG *m = (MSG *)lp;
  bool mark = (m->message == WM_KEYDOWN || m->message == WM_KEYUP) && m->wParam == kInputMarkKey &&
              GetMessageExtraInfo() != 0;
  if (code == HC_ACTION && wp == PM_REMOVE && m->message == WM_COMMAND && !m->lParam &&
      HIWORD(m->wParam) == 0)
    gMenuCommands++;
  if (code == HC_ACTION && wp == PM_REMOVE && mark) {
    if (m->message == WM_KEYUP) markSeen((DWORD)GetMessageExtraInfo());
    m->message = WM_NULL; /* the program never sees the mark */
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
