// Menus of another process. Under Wine a program's menus cannot be read from
// outside it, so the driver hooks the window's thread with its hook library
// (driverhook.dll, beside driver.exe) and asks it, through a registered
// message and a shared memory block, for each level's items and where they are
// on the screen. The choosing itself is done with real mouse clicks.
#include "menu.h"
#include "input.h"
#include "hookprotocol.h"
#include "inside.h"
#include "text.h"
#include "ui.h"
#include <cstdio>
#include <vector>

namespace menu {

static HANDLE gBlock;
static MenuQuery *gQuery;

static bool openBlock(std::string *error) {
  if (gQuery) return true;
  std::wstring name = kMenuQueryBlock + std::to_wstring(GetCurrentProcessId());
  gBlock = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(MenuQuery),
                              name.c_str());
  if (gBlock) gQuery = (MenuQuery *)MapViewOfFile(gBlock, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  if (!gQuery) *error = "could not make the shared block for menu questions";
  return gQuery != nullptr;
}

// Asks the hook about the menu that the first depth positions lead to.
static bool ask(HWND window, int depth, const int *path, std::string *error) {
  static UINT question = RegisterWindowMessageW(kMenuQueryMessage);
  if (!inside::hook(window, error) || !openBlock(error)) return false;
  gQuery->depth = depth;
  for (int i = 0; i < depth; i++) gQuery->path[i] = path[i];
  gQuery->count = -2; /* unanswered */
  SendMessageTimeoutW(window, question, GetCurrentProcessId(), 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  if (gQuery->count == -2) *error = "the program did not answer the driver's menu question";
  return gQuery->count != -2;
}

static std::vector<std::string> split(const std::string &path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1)
    parts.push_back(path.substr(start, slash - start));
  parts.push_back(path.substr(start));
  return parts;
}

static int find(const std::string &name) {
  for (int i = 0; i < gQuery->count; i++)
    if (!gQuery->items[i].separator && text::names(text::utf8(gQuery->items[i].text), name))
      return i;
  return -1;
}

static std::string itemList() {
  std::string list;
  for (int i = 0; i < gQuery->count; i++)
    if (!gQuery->items[i].separator)
      list += (list.empty() ? "" : ", ") + text::quote(text::utf8(gQuery->items[i].text));
  return list;
}

// Waits until the menu at this level is on the screen, as a click opened it.
static bool waitShown(HWND window, int depth, const int *path, double seconds, std::string *error) {
  DWORD start = GetTickCount();
  while (ask(window, depth, path, error)) {
    if (gQuery->count < 0) {
      *error = "the window has no menu there";
      return false;
    }
    if (gQuery->shown) return true;
    if (GetTickCount() - start > seconds * 1000) {
      *error = "the menu did not open within the timeout";
      return false;
    }
    Sleep(50);
  }
  return false;
}

static bool menuOpen(DWORD pid) { return ui::topWindow(pid, "#32768", nullptr) != nullptr; }

static bool checkItem(int index, const std::string &name, bool last, std::string *error) {
  if (index < 0) {
    *error = "no menu item " + text::quote(name) + "; there are " + itemList();
  } else if (gQuery->items[index].disabled) {
    *error = "menu item " + text::quote(name) + " is disabled";
  } else if (!last && !gQuery->items[index].submenu) {
    *error = "menu item " + text::quote(name) + " opens no menu";
  } else if (last && gQuery->items[index].submenu) {
    *error = "menu item " + text::quote(name) + " opens a menu: name an item in it";
  } else if (IsRectEmpty(&gQuery->items[index].screen)) {
    *error = "menu item " + text::quote(name) + " is not on the screen";
  } else {
    return true;
  }
  return false;
}

// Clicks down the path once and waits for the menu to close.
static bool clickThrough(HWND window, const std::vector<std::string> &parts, double seconds,
                         std::string *error) {
  if (!input::foreground(window, seconds)) {
    *error = "could not bring the window to the foreground";
    return false;
  }
  int positions[kMenuDepth];
  POINT lastClick = {0, 0};
  for (size_t level = 0; level < parts.size(); level++) {
    /* A click that opens a menu can be lost while the window is still coming
       to the front (a busy machine, a box just closed): click it again. */
    DWORD start = GetTickCount();
    while (!waitShown(window, (int)level, positions, level ? 2 : seconds, error)) {
      if (!level || GetTickCount() - start > seconds * 1000 || gQuery->count < 0) return false;
      input::foreground(window, seconds);
      input::click(lastClick);
    }
    bool last = level + 1 == parts.size();
    int index = find(parts[level]);
    if (!checkItem(index, parts[level], last, error)) return false;
    positions[level] = index;
    lastClick = ui::centre(gQuery->items[index].screen);
    input::click(lastClick);
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  for (DWORD start = GetTickCount(); menuOpen(pid); Sleep(50)) {
    if (GetTickCount() - start > seconds * 1000) {
      *error = "the menu stayed open after choosing the item";
      return false;
    }
  }
  return true;
}

bool choose(HWND window, const std::string &path, double seconds, std::string *error) {
  std::vector<std::string> parts = split(path);
  if (parts.size() > kMenuDepth) {
    *error = "menu path deeper than " + std::to_string(kMenuDepth) + " levels";
    return false;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  /* A menu can close on a click at its item without the item being chosen,
     when the window's activation catches up with the menu (a box just closed
     on a busy machine). The hook counts the commands the program takes, and a
     choice that brought none is made again. */
  bool chosen = false;
  for (int attempt = 1; attempt <= 3 && !chosen; attempt++) {
    if (!ask(window, 0, nullptr, error)) break;
    int before = gQuery->commands;
    if (!clickThrough(window, parts, seconds, error)) break;
    inside::caughtUp(window, process, 5);
    std::string gone; /* a window closed or busy with the command has taken it */
    chosen = !IsWindow(window) || !ask(window, 0, nullptr, &gone) || gQuery->commands != before;
    if (!chosen && attempt < 3)
      printf("the program lost the choice of %s; choosing it again\n", text::quote(path).c_str());
  }
  if (process) CloseHandle(process);
  if (!chosen && error->empty())
    *error = "the program did not take the choice of " + text::quote(path);
  return chosen;
}

} // namespace menu
