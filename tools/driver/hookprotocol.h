// What the driver and its hook library inside the program under test say to
// each other.
//
// Menus: the driver asks about one level of a window's menus with a
// registered message; the hook answers in a shared memory block named
// kMenuQueryBlock followed by the driver's process id.
//
// Input: after real input the driver presses kInputMarkKey with its process id
// as the extra information. When the program's thread takes that key out of
// its queue, everything sent before it has been handled; the hook hides the
// key from the program and sets the event named kInputMarkEvent followed by
// the driver's process id.
#pragma once
#include <windows.h>

#define kInputMarkKey VK_F24
#define kInputMarkEvent L"MorvintDriverInputMark."

#define kMenuQueryMessage L"MorvintDriverMenuQuery" /* registered; wParam = the driver's pid */
#define kMenuQueryBlock L"MorvintDriverMenuQuery."

enum { kMenuDepth = 8, kMenuItems = 64, kMenuText = 128 };

struct MenuEntry {
  wchar_t text[kMenuText]; // the item's text as the menu holds it ("&Quit\tCtrl+Q")
  RECT screen;             // where it is on the screen; empty while its menu is not shown
  int disabled;            // 1 when greyed or disabled
  int separator;           // 1 for a separator line
  int submenu;             // 1 when choosing it opens another menu
};

struct MenuQuery {
  int depth;                   // asked: how many positions lead from the menu bar
  int path[kMenuDepth];        // asked: the positions, level by level
  int count;                   // answered: items of that menu, -1 when the path leads nowhere
  int shown;                   // answered: 1 when that menu is on the screen now
  int commands;                // answered: menu commands the window's thread has taken so far
  MenuEntry items[kMenuItems]; // answered: the first count items
};
