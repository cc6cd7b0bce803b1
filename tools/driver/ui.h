// Finding the windows and controls of the program under test and reading them
// back: texts through the W APIs (so they come out as UTF-8 whatever the
// program's ANSI code page), rectangles, states, tab items.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace ui {

std::string text(HWND window);
std::string className(HWND window);

// The visible top-level window of process pid (any process when pid is 0)
// whose class is cls ("*" for any) and, when title is given, whose title is
// exactly *title; nil when there is none now.
HWND topWindow(DWORD pid, const std::string &cls, const std::string *title);

// The message box (#32770 dialog) the process shows now, or nil.
HWND messageBox(DWORD pid);

// Every control inside a window, in the order the system lists them.
std::vector<HWND> controls(HWND top);

// The control a selector names: "#ID" by control id, "Class[N]" the Nth of
// that class (counted from 0), anything else by its text as a person reads it.
// Visible controls win over hidden ones with the same text. Nil when none.
HWND control(HWND top, const std::string &selector);

RECT screenRect(HWND window);
POINT centre(const RECT &r);

// One line describing a window or control: class, id, text, rectangles on
// the screen and in the top window's client area, visible/enabled, focus,
// and what the kind of control adds (checked state, the selected tab, the
// value of a bar, the selected item of a drop-down list).
std::string describe(HWND window, HWND top);

// The thumb of a track bar or scroll bar on the screen; false for other
// controls, or when the bar shows no thumb.
bool thumb(HWND c, RECT *screen);

struct Tab {
  std::string text;
  RECT screen;
};

// The items of a SysTabControl32, read from the program's own memory.
std::vector<Tab> tabs(HWND tabControl);

} // namespace ui
