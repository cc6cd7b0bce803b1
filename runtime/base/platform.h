// The platform calls that block, end the process or can be refused, gathered in
// one table of routines so that a unit test can record or refuse them. The
// product always runs with the real platform.
#pragma once
#include <windows.h>
#include <cstddef>

struct Platform {
  int (*messageBox)(HWND owner, const char *text, const char *caption, UINT type);
  void (*exitProcess)(UINT code);       // ends the process; does not return
  void (*fatalExit)(const char *text);  // last resort when exitProcess returned
  void (*diagnostic)(const char *text); // diagnostic output: shows and writes nothing
  void *(*heapAlloc)(size_t bytes);     // nil when the heap refuses
  void (*heapFree)(void *block);
};

extern Platform gPlatform;           // the table in use
extern const Platform kRealPlatform; // the real platform, for restoring it

extern HINSTANCE gInstance; // the module instance handle, set by the process entry
