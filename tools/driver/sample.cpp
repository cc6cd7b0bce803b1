// The program the driver's own tests act on: an ANSI window, as the runtime's
// are, with an edit field, a push button, two radio buttons, a check box, a
// tab control, a track bar, a scroll bar, a drop-down list and a menu bar; it
// also notes right clicks and drags on its own area. It appends what happens
// to sample.log (UTF-8,
// one event a line, its arguments first) and exits with 3 on File/Quit, 4 when
// its window is closed.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <string>

enum {
  idEdit = 101,
  idApply = 102,
  idRed = 103,
  idBlue = 104,
  idLoud = 105,
  idTabs = 106,
  idSlider = 107,
  idScroll = 108,
  idChoice = 109,
  idMessage = 201,
  idQuit = 202,
  idClear = 203,
};

static HWND gMain;
static int gExitCode = 4; /* closed by the close box unless File/Quit says otherwise */

// Texts in the source are UTF-16; the windows get them in the ANSI code page.
static std::string ansi(const wchar_t *text) {
  char out[512];
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return n > 0 ? out : "";
}

static std::string utf8(const std::string &ansiText) {
  wchar_t wide[1024];
  int n = MultiByteToWideChar(CP_ACP, 0, ansiText.c_str(), -1, wide, 1024);
  char out[3072];
  int m = WideCharToMultiByte(CP_UTF8, 0, wide, n > 0 ? -1 : 0, out, sizeof out, nullptr, nullptr);
  return m > 0 ? out : "";
}

static void logEvent(const std::string &ansiLine) {
  FILE *f = fopen("sample.log", "ab");
  if (!f) return;
  fprintf(f, "%s\n", utf8(ansiLine).c_str());
  fclose(f);
}

static std::string textOf(int id) {
  char text[1024] = "";
  GetDlgItemTextA(gMain, id, text, sizeof text);
  return text;
}

static HWND control(const char *cls, const char *text, DWORD style, int id, int x, int y, int w,
                    int h) {
  HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, gMain,
                           (HMENU)(INT_PTR)id, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(c, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), 0);
  return c;
}

static void addTab(HWND tabs, int index, const wchar_t *text) {
  std::string name = ansi(text);
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = name.data();
  SendMessageA(tabs, TCM_INSERTITEMA, index, (LPARAM)&item);
}

static void createControls() {
  control("EDIT", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, idEdit, 10, 10, 300, 24);
  control("BUTTON", "&Apply", WS_TABSTOP | BS_PUSHBUTTON, idApply, 320, 10, 90, 24);
  control("BUTTON", "Red", WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, idRed, 10, 44, 90, 20);
  control("BUTTON", "Blue", BS_AUTORADIOBUTTON, idBlue, 110, 44, 90, 20);
  control("BUTTON", "Loud", WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, idLoud, 210, 44, 90, 20);
  CheckRadioButton(gMain, idRed, idBlue, idRed);
  HWND tabs = control(WC_TABCONTROLA, "", WS_TABSTOP, idTabs, 10, 74, 400, 120);
  addTab(tabs, 0, L"General");
  addTab(tabs, 1, L"詳細");
  HWND slider = control(TRACKBAR_CLASSA, "", WS_TABSTOP, idSlider, 10, 200, 200, 30);
  SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 20));
  HWND scroll = control("SCROLLBAR", "", SBS_HORZ, idScroll, 220, 205, 190, 17);
  SetScrollRange(scroll, SB_CTL, 0, 10, TRUE);
  HWND choice = control("COMBOBOX", "", WS_TABSTOP | CBS_DROPDOWNLIST, idChoice, 10, 236, 150, 200);
  for (const char *row : {"One", "Two", "Three"})
    SendMessageA(choice, CB_ADDSTRING, 0, (LPARAM)row);
}

// The scroll bar moves a line or a page at a time, or to where its thumb is
// let go; the track bar moves itself. Each notes where it ends up.
static void scrolled(HWND bar, int code, int thumb) {
  if (GetDlgCtrlID(bar) == idSlider) {
    if (code == TB_THUMBPOSITION)
      logEvent("slider " + std::to_string(SendMessageA(bar, TBM_GETPOS, 0, 0)));
    return;
  }
  int at = GetScrollPos(bar, SB_CTL);
  switch (code) {
  case SB_LINELEFT:
    at -= 1;
    break;
  case SB_LINERIGHT:
    at += 1;
    break;
  case SB_PAGELEFT:
    at -= 5;
    break;
  case SB_PAGERIGHT:
    at += 5;
    break;
  case SB_THUMBPOSITION:
    at = thumb;
    break;
  default:
    return;
  }
  SetScrollPos(bar, SB_CTL, at, TRUE);
  logEvent("scroll " + std::to_string(GetScrollPos(bar, SB_CTL)));
}

static std::string pointText(LPARAM lp) {
  return std::to_string((short)LOWORD(lp)) + "," + std::to_string((short)HIWORD(lp));
}

static HMENU createMenuBar() {
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, idMessage, "&Message...");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, idQuit, "&Quit\tCtrl+Q");
  HMENU edit = CreatePopupMenu();
  AppendMenuA(edit, MF_STRING, idClear, ansi(L"消去(&C)").c_str());
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, (UINT_PTR)file, "&File");
  AppendMenuA(bar, MF_POPUP, (UINT_PTR)edit, ansi(L"編集(&E)").c_str());
  return bar;
}

static void command(int id, int code) {
  switch (id) {
  case idApply:
    logEvent("apply " + textOf(idEdit));
    SetWindowTextA(gMain, ("Sample - " + textOf(idEdit)).c_str());
    break;
  case idRed:
  case idBlue:
    if (code == BN_CLICKED) logEvent("radio " + textOf(id));
    break;
  case idLoud:
    logEvent("check " + std::to_string(IsDlgButtonChecked(gMain, idLoud)));
    break;
  case idChoice:
    if (code == CBN_SELCHANGE) logEvent("choose " + textOf(idChoice));
    break;
  case idMessage: {
    int answer = MessageBoxA(gMain, "Hello from the sample", "Sample", MB_OKCANCEL);
    logEvent(answer == IDOK ? "message OK" : "message Cancel");
    break;
  }
  case idClear:
    SetDlgItemTextA(gMain, idEdit, "");
    logEvent("clear");
    break;
  case idQuit:
    logEvent("quit");
    gExitCode = 3;
    DestroyWindow(gMain);
    break;
  }
}

static LRESULT CALLBACK mainProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
  case WM_COMMAND:
    command(LOWORD(wp), HIWORD(wp));
    return 0;
  case WM_NOTIFY:
    if (((NMHDR *)lp)->code == TCN_SELCHANGE) {
      HWND tabs = ((NMHDR *)lp)->hwndFrom;
      int index = (int)SendMessageA(tabs, TCM_GETCURSEL, 0, 0);
      char text[128] = "";
      TCITEMA item = {};
      item.mask = TCIF_TEXT;
      item.pszText = text;
      item.cchTextMax = sizeof text;
      SendMessageA(tabs, TCM_GETITEMA, index, (LPARAM)&item);
      logEvent("tab " + std::to_string(index) + " " + text);
    }
    return 0;
  case WM_HSCROLL:
    scrolled((HWND)lp, LOWORD(wp), (short)HIWORD(wp));
    return 0;
  case WM_RBUTTONUP:
    logEvent("right " + pointText(lp));
    return 0;
  case WM_LBUTTONDOWN:
    SetCapture(w);
    logEvent("press " + pointText(lp));
    return 0;
  case WM_LBUTTONUP:
    if (GetCapture() == w) ReleaseCapture();
    logEvent("release " + pointText(lp));
    return 0;
  case WM_CLOSE:
    logEvent("close");
    DestroyWindow(w);
    return 0;
  case WM_DESTROY:
    PostQuitMessage(gExitCode);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSA c = {};
  c.lpfnWndProc = mainProcedure;
  c.hInstance = instance;
  c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  c.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  c.lpszClassName = "DriverSample";
  RegisterClassA(&c);
  gMain = CreateWindowExA(0, "DriverSample", "Sample", WS_OVERLAPPEDWINDOW, 40, 40, 440, 330,
                          nullptr, createMenuBar(), instance, nullptr);
  createControls();
  ACCEL quit = {FCONTROL | FVIRTKEY, 'Q', idQuit};
  HACCEL accelerators = CreateAcceleratorTableA(&quit, 1);
  ShowWindow(gMain, show);
  logEvent("ready");
  for (int i = 1; i < __argc; i++) logEvent(std::string("arg ") + __argv[i]);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorA(gMain, accelerators, &msg)) continue;
    if (IsDialogMessageA(gMain, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DestroyAcceleratorTable(accelerators);
  return (int)msg.wParam;
}
