// The baseline of the start-up benchmark: a plain Win32 program that makes
// the calculator's main window and its 95 native controls directly (the same
// classes and numbers of each kind, laid out in a grid), shows it and waits
// to be closed.
#include <windows.h>
#include <commctrl.h>

static LRESULT CALLBACK procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(w, m, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  InitCommonControls();
  LoadLibraryA("riched32.dll");
  WNDCLASSA c = {};
  c.lpfnWndProc = procedure;
  c.hInstance = instance;
  c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  c.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  c.lpszClassName = "PlainWindow";
  RegisterClassA(&c);
  RECT r = {10, 50, 529, 423}; /* 519 x 373 of content, where the calculator puts it */
  DWORD style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  AdjustWindowRect(&r, style, TRUE);
  HWND w = CreateWindowExA(0, "PlainWindow", "Plain", style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, nullptr, CreateMenu(), instance, nullptr);
  struct {
    const char *cls;
    DWORD style;
    int count;
  } kinds[] = {
      {"SysTabControl32", 0, 1},     {"STATIC", 0, 53},
      {"BUTTON", BS_PUSHBUTTON, 3},  {"BUTTON", BS_GROUPBOX, 3},
      {"BUTTON", BS_RADIOBUTTON, 5}, {"RichEdit", ES_AUTOHSCROLL, 26},
      {"STATIC", SS_ETCHEDHORZ, 4},
  };
  int n = 0;
  HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
  for (auto &k : kinds)
    for (int i = 0; i < k.count; i++, n++) {
      HWND h =
          CreateWindowExA(0, k.cls, "text", WS_CHILD | WS_VISIBLE | k.style, 5 + (n % 6) * 85,
                          5 + (n / 6) * 22, 80, 20, w, (HMENU)(INT_PTR)(n + 1), instance, nullptr);
      SendMessageA(h, WM_SETFONT, (WPARAM)font, FALSE);
    }
  ShowWindow(w, SW_SHOWNORMAL);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return 0;
}
