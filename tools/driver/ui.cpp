// Windows and controls of the program under test: finding them by class,
// title, id or text, and describing them in the driver's output format.
#include "ui.h"
#include "text.h"
#include <commctrl.h>

namespace ui {

static const UINT kReplyMs = 2000; /* a program that does not answer within this is hung */

std::string text(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReplyMs, &length))
    return "";
  std::wstring buffer(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), (LPARAM)buffer.data(), SMTO_ABORTIFHUNG,
                      kReplyMs, &copied);
  buffer.resize(copied < length ? copied : length);
  return text::utf8(buffer);
}

std::string className(HWND window) {
  wchar_t name[256] = L"";
  GetClassNameW(window, name, 256);
  return text::utf8(name);
}

static bool sameClass(HWND window, const std::string &cls) {
  return cls == "*" || lstrcmpiA(className(window).c_str(), cls.c_str()) == 0;
}

static DWORD processOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

struct TopSearch {
  DWORD pid;
  const std::string *cls, *title;
  HWND found;
};

static BOOL CALLBACK matchTop(HWND window, LPARAM context) {
  TopSearch *s = (TopSearch *)context;
  if (!IsWindowVisible(window) || (s->pid && processOf(window) != s->pid)) return TRUE;
  if (!sameClass(window, *s->cls) || (s->title && text(window) != *s->title)) return TRUE;
  s->found = window;
  return FALSE;
}

HWND topWindow(DWORD pid, const std::string &cls, const std::string *title) {
  TopSearch search = {pid, &cls, title, nullptr};
  EnumWindows(matchTop, (LPARAM)&search);
  return search.found;
}

HWND messageBox(DWORD pid) { return topWindow(pid, "#32770", nullptr); }

static BOOL CALLBACK collect(HWND window, LPARAM list) {
  ((std::vector<HWND> *)list)->push_back(window);
  return TRUE;
}

std::vector<HWND> controls(HWND top) {
  std::vector<HWND> list;
  EnumChildWindows(top, collect, (LPARAM)&list);
  return list;
}

static HWND byId(const std::vector<HWND> &list, int id) {
  for (HWND c : list)
    if (GetDlgCtrlID(c) == id) return c;
  return nullptr;
}

static HWND byClassIndex(const std::vector<HWND> &list, const std::string &cls, int index) {
  for (HWND c : list)
    if (sameClass(c, cls) && index-- == 0) return c;
  return nullptr;
}

static HWND byText(const std::vector<HWND> &list, const std::string &wanted) {
  HWND hidden = nullptr;
  for (HWND c : list) {
    if (!text::names(text(c), wanted)) continue;
    if (IsWindowVisible(c)) return c;
    if (!hidden) hidden = c;
  }
  return hidden;
}

HWND control(HWND top, const std::string &selector) {
  std::vector<HWND> list = controls(top);
  if (selector.size() > 1 && selector[0] == '#') return byId(list, atoi(selector.c_str() + 1));
  size_t open = selector.find('[');
  if (open != std::string::npos && open > 0 && selector.back() == ']')
    return byClassIndex(list, selector.substr(0, open), atoi(selector.c_str() + open + 1));
  return byText(list, selector);
}

RECT screenRect(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  return r;
}

POINT centre(const RECT &r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

static std::string rectText(const RECT &r) {
  char out[64];
  wsprintfA(out, "%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
  return out;
}

static bool isCheckable(HWND button) {
  switch (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) {
  case BS_CHECKBOX:
  case BS_AUTOCHECKBOX:
  case BS_RADIOBUTTON:
  case BS_AUTORADIOBUTTON:
  case BS_3STATE:
  case BS_AUTO3STATE:
    return true;
  }
  return false;
}

static bool hasFocus(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
         info.hwndFocus == window;
}

static std::string tabState(HWND tabControl) {
  int selected = (int)SendMessageW(tabControl, TCM_GETCURSEL, 0, 0);
  std::vector<Tab> items = tabs(tabControl);
  std::string name = selected >= 0 && selected < (int)items.size() ? items[selected].text : "";
  return " tab=" + std::to_string(selected) + " tabtext=" + text::quote(name) +
         " tabs=" + std::to_string(items.size());
}

static std::string valueText(LRESULT value, LRESULT least, LRESULT most) {
  return " value=" + std::to_string((long)value) + " range=" + std::to_string((long)least) + "," +
         std::to_string((long)most);
}

// The value of a track bar, progress bar or scroll bar, and the selected item
// of a drop-down list: what the kinds of control that hold a choice add.
static std::string valueState(HWND c, const std::string &cls) {
  auto is = [&](const char *name) { return lstrcmpiA(cls.c_str(), name) == 0; };
  if (is(TRACKBAR_CLASSA))
    return valueText(SendMessageW(c, TBM_GETPOS, 0, 0), SendMessageW(c, TBM_GETRANGEMIN, 0, 0),
                     SendMessageW(c, TBM_GETRANGEMAX, 0, 0));
  if (is(PROGRESS_CLASSA))
    return valueText(SendMessageW(c, PBM_GETPOS, 0, 0), SendMessageW(c, PBM_GETRANGE, TRUE, 0),
                     SendMessageW(c, PBM_GETRANGE, FALSE, 0));
  if (is("ScrollBar")) {
    int least = 0, most = 0;
    GetScrollRange(c, SB_CTL, &least, &most);
    return valueText(GetScrollPos(c, SB_CTL), least, most);
  }
  if (is("ComboBox"))
    return " selected=" + std::to_string((long)SendMessageW(c, CB_GETCURSEL, 0, 0)) +
           " items=" + std::to_string((long)SendMessageW(c, CB_GETCOUNT, 0, 0));
  return "";
}

std::string describe(HWND window, HWND top) {
  std::string cls = className(window);
  std::string line = cls;
  if (window != top) line += " id=" + std::to_string(GetDlgCtrlID(window));
  line += " text=" + text::quote(text(window));
  RECT screen = screenRect(window), client = screen;
  MapWindowPoints(nullptr, top, (POINT *)&client, 2);
  line += " screen=" + rectText(screen) + " client=" + rectText(client);
  line += std::string(" visible=") + (IsWindowVisible(window) ? "1" : "0");
  line += std::string(" enabled=") + (IsWindowEnabled(window) ? "1" : "0");
  if (hasFocus(window)) line += " focused=1";
  if (lstrcmpiA(cls.c_str(), "Button") == 0 && isCheckable(window))
    line += " checked=" + std::to_string(SendMessageW(window, BM_GETCHECK, 0, 0));
  if (lstrcmpiA(cls.c_str(), WC_TABCONTROLA) == 0) line += tabState(window);
  line += valueState(window, cls);
  return line;
}

// A block of memory inside another process: common-control messages carry
// pointers, which the system does not carry across processes for us.
class Remote {
public:
  Remote(HWND window, size_t size) : size(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process) base = (char *)VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~Remote() {
    if (base) VirtualFreeEx(process, base, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
  }
  bool ok() const { return base != nullptr; }
  char *at(size_t offset) const { return base + offset; }
  bool write(size_t offset, const void *data, size_t n) {
    return offset + n <= size && WriteProcessMemory(process, base + offset, data, n, nullptr);
  }
  bool read(size_t offset, void *data, size_t n) {
    return offset + n <= size && ReadProcessMemory(process, base + offset, data, n, nullptr);
  }

private:
  HANDLE process = nullptr;
  char *base = nullptr;
  size_t size;
};

std::vector<Tab> tabs(HWND tabControl) {
  const int kChars = 256;
  const size_t kText = sizeof(TCITEMW), kRect = kText + kChars * sizeof(wchar_t);
  std::vector<Tab> list;
  Remote remote(tabControl, kRect + sizeof(RECT));
  if (!remote.ok()) return list;
  int count = (int)SendMessageW(tabControl, TCM_GETITEMCOUNT, 0, 0);
  for (int i = 0; i < count; i++) {
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = (wchar_t *)remote.at(kText);
    item.cchTextMax = kChars;
    wchar_t name[kChars] = L"";
    Tab tab = {};
    if (remote.write(0, &item, sizeof item) &&
        SendMessageW(tabControl, TCM_GETITEMW, i, (LPARAM)remote.at(0)))
      remote.read(kText, name, sizeof name);
    name[kChars - 1] = L'\0';
    tab.text = text::utf8(name);
    if (SendMessageW(tabControl, TCM_GETITEMRECT, i, (LPARAM)remote.at(kRect)))
      remote.read(kRect, &tab.screen, sizeof tab.screen);
    MapWindowPoints(tabControl, nullptr, (POINT *)&tab.screen, 2);
    list.push_back(tab);
  }
  return list;
}

bool thumb(HWND c, RECT *screen) {
  std::string cls = className(c);
  if (lstrcmpiA(cls.c_str(), "ScrollBar") == 0) {
    SCROLLBARINFO info = {};
    info.cbSize = sizeof info;
    if (!GetScrollBarInfo(c, OBJID_CLIENT, &info)) return false;
    bool vertical = GetWindowLongW(c, GWL_STYLE) & SBS_VERT;
    *screen = info.rcScrollBar; /* the thumb runs across the bar between these */
    if (vertical) {
      screen->top = info.rcScrollBar.top + info.xyThumbTop;
      screen->bottom = info.rcScrollBar.top + info.xyThumbBottom;
    } else {
      screen->left = info.rcScrollBar.left + info.xyThumbTop;
      screen->right = info.rcScrollBar.left + info.xyThumbBottom;
    }
    return screen->right > screen->left && screen->bottom > screen->top;
  }
  if (lstrcmpiA(cls.c_str(), TRACKBAR_CLASSA) != 0) return false;
  Remote remote(c, sizeof(RECT));
  if (!remote.ok()) return false;
  SendMessageW(c, TBM_GETTHUMBRECT, 0, (LPARAM)remote.at(0));
  if (!remote.read(0, screen, sizeof *screen)) return false;
  MapWindowPoints(c, nullptr, (POINT *)screen, 2);
  return !IsRectEmpty(screen);
}

} // namespace ui
