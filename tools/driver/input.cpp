// Real input through SendInput: key combinations, typed text, mouse clicks
// and drags.
#include "input.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace input {

static const int kDragStep = 8; /* pixels a drag moves the pointer at a time */

bool foreground(HWND top, double seconds) {
  DWORD start = GetTickCount();
  do {
    if (IsIconic(top)) ShowWindow(top, SW_RESTORE);
    SetForegroundWindow(top);
    if (GetForegroundWindow() == top) return true;
    Sleep(50);
  } while (GetTickCount() - start < seconds * 1000);
  return false;
}

static void send(std::vector<INPUT> &events) {
  if (!events.empty()) SendInput((UINT)events.size(), events.data(), sizeof(INPUT));
  events.clear();
}

static INPUT mouse(DWORD flags, POINT at) {
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(at.x, 65535, width - 1); /* absolute positions run 0..65535 */
  in.mi.dy = MulDiv(at.y, 65535, height - 1);
  in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  return in;
}

void click(POINT at, Button button) {
  DWORD down = button == kRight ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  DWORD up = button == kRight ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  std::vector<INPUT> events = {mouse(0, at)};
  send(events);
  Sleep(30); /* the program sees the pointer arrive before the button goes down */
  events = {mouse(down, at), mouse(up, at)};
  send(events);
}

void move(POINT at) {
  std::vector<INPUT> events = {mouse(0, at)};
  send(events);
}

void wheel(POINT at, int notches) {
  std::vector<INPUT> events = {mouse(0, at)};
  send(events);
  Sleep(30); /* the pointer arrives before the wheel turns */
  INPUT turn = {};
  turn.type = INPUT_MOUSE;
  turn.mi.dwFlags = MOUSEEVENTF_WHEEL;
  turn.mi.mouseData = (DWORD)(notches * WHEEL_DELTA);
  events = {turn};
  send(events);
}

void drag(POINT from, POINT to, void (*drain)(void *), void *context) {
  std::vector<INPUT> events = {mouse(0, from)};
  send(events);
  Sleep(30);
  events = {mouse(MOUSEEVENTF_LEFTDOWN, from)};
  send(events);
  drain(context);
  /* Moves of a few pixels each, as a hand makes them, each taken in before
     the next: a program tracking the drag sees every point on the way. */
  int steps =
      (std::max(std::abs(to.x - from.x), std::abs(to.y - from.y)) + kDragStep - 1) / kDragStep;
  for (int i = 1; i <= steps; i++) {
    POINT at = {from.x + MulDiv(to.x - from.x, i, steps), from.y + MulDiv(to.y - from.y, i, steps)};
    events = {mouse(0, at)};
    send(events);
    drain(context);
  }
  events = {mouse(MOUSEEVENTF_LEFTUP, to)};
  send(events);
}

static INPUT key(WORD vk, WORD scan, DWORD flags) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = scan;
  in.ki.dwFlags = flags;
  return in;
}

static void stroke(std::vector<INPUT> &events, WORD vk) {
  WORD scan = (WORD)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  events.push_back(key(vk, scan, 0));
  events.push_back(key(vk, scan, KEYEVENTF_KEYUP));
}

// One character through its key, when the keyboard layout has one: the
// program gets WM_KEYDOWN with a real virtual-key code, as from a keyboard.
static bool keyed(std::vector<INPUT> &events, wchar_t c) {
  if (c == L'\n') {
    stroke(events, VK_RETURN);
    return true;
  }
  SHORT mapped = c < 0x80 ? VkKeyScanW(c) : -1;
  if (mapped == -1 || (HIBYTE(mapped) & ~1)) return false; /* no key, or one needing Ctrl/Alt */
  bool shift = HIBYTE(mapped) & 1;
  if (shift) events.push_back(key(VK_SHIFT, 0, 0));
  stroke(events, LOBYTE(mapped));
  if (shift) events.push_back(key(VK_SHIFT, 0, KEYEVENTF_KEYUP));
  return true;
}

static HWND focusOfForeground() {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(0, &info) ? info.hwndFocus : nullptr;
}

// A character with no key of its own, sent to the focused window as WM_CHAR
// once the keys queued before it are in. Real input for it would be a Unicode
// key event (KEYEVENTF_UNICODE), which the system turns into WM_CHAR; but a
// program with an ANSI message loop (GetMessageA, DispatchMessageA), as ours
// have, gets that WM_CHAR in code page bytes, and under Wine the two bytes of
// a double-byte character (code page 932) then reach the window as two
// characters. Posting WM_CHAR or WM_IME_CHAR fares the same; a sent WM_CHAR
// arrives whole, in ANSI and Unicode windows alike.
static void composed(wchar_t c, void (*drain)(void *), void *context) {
  drain(context);
  SendMessageTimeoutW(focusOfForeground(), WM_CHAR, c, 1, SMTO_ABORTIFHUNG, 2000, nullptr);
}

void type(const std::wstring &text, void (*drain)(void *), void *context) {
  std::vector<INPUT> events;
  for (wchar_t c : text) {
    if (!keyed(events, c)) composed(c, drain, context);
    send(events);
    Sleep(5); /* key by key, as typing goes */
  }
}

struct KeyName {
  const char *name;
  WORD vk;
};

static const KeyName kKeys[] = {
    {"ctrl", VK_CONTROL},  {"control", VK_CONTROL}, {"alt", VK_MENU},       {"shift", VK_SHIFT},
    {"return", VK_RETURN}, {"enter", VK_RETURN},    {"tab", VK_TAB},        {"escape", VK_ESCAPE},
    {"esc", VK_ESCAPE},    {"space", VK_SPACE},     {"backspace", VK_BACK}, {"delete", VK_DELETE},
    {"del", VK_DELETE},    {"insert", VK_INSERT},   {"home", VK_HOME},      {"end", VK_END},
    {"pageup", VK_PRIOR},  {"pagedown", VK_NEXT},   {"up", VK_UP},          {"down", VK_DOWN},
    {"left", VK_LEFT},     {"right", VK_RIGHT},     {"menu", VK_APPS},
};

static WORD keyCode(const std::string &name) {
  for (const KeyName &k : kKeys)
    if (_stricmp(k.name, name.c_str()) == 0) return k.vk;
  if (name.size() == 1 && isalnum((unsigned char)name[0])) return (WORD)toupper(name[0]);
  if (name.size() == 1) { /* punctuation such as "," or "-" */
    SHORT mapped = VkKeyScanW((wchar_t)(unsigned char)name[0]);
    return mapped == -1 ? 0 : LOBYTE(mapped);
  }
  if ((name[0] == 'f' || name[0] == 'F') && name.size() <= 3) {
    int n = atoi(name.c_str() + 1);
    if (n >= 1 && n <= 24) return (WORD)(VK_F1 + n - 1);
  }
  return 0;
}

static bool extended(WORD vk) {
  switch (vk) {
  case VK_DELETE:
  case VK_INSERT:
  case VK_HOME:
  case VK_END:
  case VK_PRIOR:
  case VK_NEXT:
  case VK_UP:
  case VK_DOWN:
  case VK_LEFT:
  case VK_RIGHT:
    return true;
  }
  return false;
}

bool press(const std::string &combination, std::string *error) {
  std::vector<WORD> held;
  for (size_t start = 0; start <= combination.size();) {
    size_t plus = combination.find('+', start + 1); /* "ctrl++" holds ctrl and presses + */
    if (plus == std::string::npos) plus = combination.size();
    std::string name = combination.substr(start, plus - start);
    WORD vk = name.empty() ? 0 : keyCode(name);
    if (!vk) {
      *error = "unknown key \"" + name + "\" in " + combination;
      return false;
    }
    held.push_back(vk);
    start = plus + 1;
  }
  std::vector<INPUT> events;
  for (WORD vk : held) {
    WORD scan = (WORD)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    events.push_back(key(vk, scan, extended(vk) ? KEYEVENTF_EXTENDEDKEY : 0));
  }
  for (size_t i = held.size(); i-- > 0;) {
    WORD scan = (WORD)MapVirtualKeyW(held[i], MAPVK_VK_TO_VSC);
    events.push_back(
        key(held[i], scan, KEYEVENTF_KEYUP | (extended(held[i]) ? KEYEVENTF_EXTENDEDKEY : 0)));
  }
  send(events);
  return true;
}

} // namespace input
