// The driver's commands that act on the program with real input: clicks on
// controls, tabs, menus, message box buttons and the close box, drags, the
// mouse wheel, typing and key combinations.
#include "commands.h"
#include "input.h"
#include "menu.h"
#include "text.h"
#include "ui.h"
#include <cstdio>
#include <cstdlib>

namespace script {

static bool front(Session &s, HWND top) {
  if (input::foreground(top, 3)) return true;
  s.error = "could not bring " + text::quote(ui::text(top)) + " to the foreground";
  return false;
}

// Keys go to whatever the program has in front (a message box or an open
// menu belongs to it too); only when another program is in front is the
// script's window brought there first.
static bool programInFront(Session &s) {
  DWORD pid = 0;
  GetWindowThreadProcessId(GetForegroundWindow(), &pid);
  return (s.pid && pid == s.pid) || (needWindow(s) && front(s, s.window));
}

// The mouse button a click command asks for: --button left (the default) or right.
static bool buttonOf(Session &s, const Args &a, input::Button *button) {
  std::string name = a.option("button", "left");
  *button = name == "right" ? input::kRight : input::kLeft;
  if (name == "left" || name == "right") return true;
  s.error = "--button is left or right, not " + text::quote(name);
  return false;
}

// Whether what is on the screen at a point is target (or inside it).
static bool showsAt(Session &s, HWND target, POINT at) {
  HWND under = WindowFromPoint(at);
  if (under == target || IsChild(target, under)) return true;
  s.error = text::quote(ui::text(target)) + " is covered by " + ui::className(under) + " " +
            text::quote(ui::text(under));
  return false;
}

// A real click at a point of target, which must be what is on the screen there.
static bool clickAt(Session &s, HWND top, HWND target, POINT at,
                    input::Button button = input::kLeft) {
  if (!front(s, top) || !showsAt(s, target, at)) return false;
  input::click(at, button);
  settle(s);
  return true;
}

static bool usable(Session &s, HWND c, double seconds) {
  if (waitFor(seconds, [&] { return IsWindowVisible(c) && IsWindowEnabled(c); })) return true;
  s.error = text::quote(ui::text(c)) + (IsWindowVisible(c) ? " is disabled" : " is hidden");
  return false;
}

// A point of a rectangle written "X,Y", counted from its left and top, or
// from its right and bottom when negative ("-5,8": 5 pixels in from the right).
static bool pointOf(Session &s, const std::string &word, const RECT &r, POINT *at) {
  long x = 0, y = 0;
  char rest = 0;
  if (sscanf(word.c_str(), "%ld,%ld%c", &x, &y, &rest) != 2) {
    s.error = "a point is written X,Y, not " + text::quote(word);
    return false;
  }
  *at = {x < 0 ? r.right + x : r.left + x, y < 0 ? r.bottom + y : r.top + y};
  return true;
}

// The target of a command that takes "window" or a control: its rectangle on
// the screen (the content area of the window, the whole of a control).
static HWND targetOf(Session &s, const Args &a, RECT *screen) {
  if (a.words[0] == "window") {
    if (!needWindow(s)) return nullptr;
    GetClientRect(s.window, screen);
    MapWindowPoints(s.window, nullptr, (POINT *)screen, 2);
    return s.window;
  }
  HWND c = findControl(s, a.words[0], a.seconds(s));
  if (!c || !usable(s, c, a.seconds(s))) return nullptr;
  *screen = ui::screenRect(c);
  return c;
}

HWND pointedAt(Session &s, const Args &a, POINT *at) {
  RECT r;
  HWND target = targetOf(s, a, &r);
  if (!target || !pointOf(s, a.words[1], r, at) || !front(s, s.window) || !showsAt(s, target, *at))
    return nullptr;
  return target;
}

bool doClick(Session &s, const Args &a) {
  input::Button button;
  RECT r;
  HWND c = buttonOf(s, a, &button) ? targetOf(s, a, &r) : nullptr;
  if (!c) return false;
  std::string what = ui::className(c) + " id=" + std::to_string(GetDlgCtrlID(c)) +
                     " text=" + text::quote(ui::text(c));
  POINT at = ui::centre(r);
  if (a.words.size() > 1 && !pointOf(s, a.words[1], r, &at)) return false;
  if (!clickAt(s, s.window, c, at, button)) return false;
  printf("clicked %s at %ld,%ld%s\n", what.c_str(), at.x, at.y,
         button == input::kRight ? " with the right button" : "");
  return true;
}

// A click on the window itself, at a point of its content area.
bool doClickAt(Session &s, const Args &a) {
  input::Button button;
  if (!buttonOf(s, a, &button) || !needWindow(s)) return false;
  POINT at = {atol(a.words[0].c_str()), atol(a.words[1].c_str())};
  ClientToScreen(s.window, &at);
  HWND under = WindowFromPoint(at);
  if (!clickAt(s, s.window, under == s.window || IsChild(s.window, under) ? under : s.window, at,
               button))
    return false;
  printf("clicked %s,%s at %ld,%ld%s\n", a.words[0].c_str(), a.words[1].c_str(), at.x, at.y,
         button == input::kRight ? " with the right button" : "");
  return true;
}

static void drain(void *session) { settle(*(Session *)session); }

// A drag with the left button across the window or a control, from one point
// of it to another; "thumb" as the first point is the middle of a track bar's
// or scroll bar's thumb.
bool doDrag(Session &s, const Args &a) {
  RECT r;
  HWND target = targetOf(s, a, &r);
  if (!target) return false;
  POINT from, to;
  if (a.words[1] == "thumb") {
    RECT thumb;
    if (!ui::thumb(target, &thumb)) {
      s.error = text::quote(a.words[0]) + " has no thumb";
      return false;
    }
    from = ui::centre(thumb);
  } else if (!pointOf(s, a.words[1], r, &from)) {
    return false;
  }
  if (!pointOf(s, a.words[2], r, &to) || !front(s, s.window) || !showsAt(s, target, from))
    return false;
  input::drag(from, to, drain, &s);
  settle(s);
  printf("dragged %s from %ld,%ld to %ld,%ld\n", a.words[0].c_str(), from.x, from.y, to.x, to.y);
  return true;
}

// The mouse wheel turned over a point of the window or a control (its middle
// unless given); what is under the pointer gets it, or the focus, as the
// system decides.
bool doWheel(Session &s, const Args &a) {
  RECT r;
  HWND target = targetOf(s, a, &r);
  if (!target) return false;
  char *end = nullptr;
  long notches = strtol(a.words[1].c_str(), &end, 10);
  if (*end || notches == 0) {
    s.error =
        "the wheel turns by a whole number of notches other than 0, not " + text::quote(a.words[1]);
    return false;
  }
  POINT at = ui::centre(r);
  if ((a.words.size() > 2 && !pointOf(s, a.words[2], r, &at)) || !front(s, s.window) ||
      !showsAt(s, target, at))
    return false;
  input::wheel(at, (int)notches);
  settle(s);
  printf("turned the wheel %ld over %s at %ld,%ld\n", notches, a.words[0].c_str(), at.x, at.y);
  return true;
}

bool doClickTab(Session &s, const Args &a) {
  HWND tabs = findControl(s, a.option("control", "SysTabControl32[0]"), a.seconds(s));
  if (!tabs || !usable(s, tabs, a.seconds(s))) return false;
  std::string list;
  for (const ui::Tab &tab : ui::tabs(tabs)) {
    if (!text::names(tab.text, a.words[0])) {
      list += (list.empty() ? "" : ", ") + text::quote(tab.text);
      continue;
    }
    POINT at = ui::centre(tab.screen);
    if (!clickAt(s, s.window, tabs, at)) return false;
    printf("clicked tab %s at %ld,%ld\n", text::quote(tab.text).c_str(), at.x, at.y);
    return true;
  }
  s.error = "no tab " + text::quote(a.words[0]) + "; there are " + list;
  return false;
}

bool doType(Session &s, const Args &a) {
  if (!programInFront(s)) return false;
  input::type(text::wide(a.words[0]), drain, &s);
  settle(s);
  printf("typed %s\n", text::quote(a.words[0]).c_str());
  return true;
}

bool doKey(Session &s, const Args &a) {
  for (const std::string &combination : a.words) {
    if (!programInFront(s) || !input::press(combination, &s.error)) return false;
    settle(s);
  }
  std::string all;
  for (const std::string &combination : a.words) all += (all.empty() ? "" : " ") + combination;
  printf("pressed %s\n", all.c_str());
  return true;
}

bool doMenu(Session &s, const Args &a) {
  if (!needWindow(s) || !menu::choose(s.window, a.words[0], a.seconds(s), &s.error)) return false;
  settle(s);
  printf("chose %s\n", text::quote(a.words[0]).c_str());
  return true;
}

// The standard buttons of message boxes, by the names their ids have.
static int buttonId(const std::string &name) {
  static const char *const kNames[] = {"",    "OK", "Cancel", "Abort", "Retry",    "Ignore",
                                       "Yes", "No", "Close",  "Help",  "TryAgain", "Continue"};
  for (int id = 1; id < (int)(sizeof kNames / sizeof *kNames); id++)
    if (_stricmp(kNames[id], name.c_str()) == 0) return id;
  return 0;
}

static bool press(Session &s, HWND box, const std::string &name, double seconds) {
  int id = buttonId(name);
  HWND button = id ? GetDlgItem(box, id) : ui::control(box, name);
  if (!button || !IsWindowVisible(button)) {
    s.error = "the message box has no button " + text::quote(name);
    return false;
  }
  if (!clickAt(s, box, button, ui::centre(ui::screenRect(button)))) return false;
  if (waitFor(seconds, [&] { return !IsWindow(box) || !IsWindowVisible(box); })) return true;
  s.error = "the message box stayed after pressing " + text::quote(name);
  return false;
}

bool doMessage(Session &s, const Args &a) {
  HWND box = nullptr;
  double seconds = a.seconds(s);
  DWORD code = 0;
  waitFor(seconds, [&] {
    return (box = ui::messageBox(s.pid)) ||
           (s.process && GetExitCodeProcess(s.process, &code) && code != STILL_ACTIVE);
  });
  if (!box) {
    s.error = s.process && code != STILL_ACTIVE ? s.program + " ended without a message box"
                                                : "no message box within the timeout";
    return false;
  }
  std::string caption = ui::text(box), message = ui::text(GetDlgItem(box, 0xFFFF));
  std::string name = a.option("press", "OK");
  if (name != "none" && !press(s, box, name, seconds)) return false;
  printf("message caption=%s text=%s pressed=%s\n", text::quote(caption).c_str(),
         text::quote(message).c_str(), name.c_str());
  return true;
}

static bool isCloseBox(HWND top, POINT at) {
  DWORD_PTR hit = HTNOWHERE;
  SendMessageTimeoutW(top, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y), SMTO_ABORTIFHUNG, 2000, &hit);
  return hit == HTCLOSE;
}

// The middle of the window's close box: of the points above its client area
// that the window itself calls HTCLOSE.
static bool closeBox(HWND top, POINT *at) {
  RECT window = ui::screenRect(top), hits = {};
  POINT client = {0, 0};
  ClientToScreen(top, &client);
  for (LONG y = window.top; y < client.y; y += 2)
    for (LONG x = window.right - 1; x > window.right - 80 && x > window.left; x -= 2)
      if (isCloseBox(top, {x, y})) {
        RECT dot = {x, y, x + 1, y + 1};
        UnionRect(&hits, &hits, &dot);
      }
  *at = ui::centre(hits);
  return !IsRectEmpty(&hits);
}

bool doClose(Session &s, const Args &) {
  if (!needWindow(s) || !front(s, s.window)) return false;
  POINT at;
  if (!closeBox(s.window, &at)) {
    PostMessageW(s.window, WM_SYSCOMMAND, SC_CLOSE, 0); /* a window without a close box */
    settle(s);
    printf("closed by SC_CLOSE\n");
    return true;
  }
  if (!clickAt(s, s.window, s.window, at)) return false;
  printf("closed by the close box at %ld,%ld\n", at.x, at.y);
  return true;
}

} // namespace script
