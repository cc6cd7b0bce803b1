// Screens and the live input state: the Screen objects of the monitors, the
// Keyboard object with its modifier and key queries, and the mouse position
// and button as the System object reports them.
#pragma once
#include "objects/objects.h"
#include <cstddef>
#include <windows.h>

struct ScreenObject {
  Object header;     // 0, 16 bytes
  int32_t reserved0; // 16: unused, as every root class's first two words
  int32_t reserved1; // 20
  int32_t left;      // 24: the whole monitor, in virtual-screen coordinates
  int32_t top;       // 28
  int32_t width;     // 32
  int32_t height;    // 36
  int32_t depth;     // 40: colour planes x bits per pixel
};
static_assert(offsetof(ScreenObject, left) == 24);
static_assert(offsetof(ScreenObject, depth) == 40);
static_assert(sizeof(ScreenObject) == 44);

// The monitor routines of the user-interface library, looked up by name on
// first use; a test may replace them before the list is filled.
struct MonitorCalls {
  BOOL(WINAPI *enumerate)(HDC dc, LPCRECT clip, MONITORENUMPROC callback, LPARAM data);
  BOOL(WINAPI *info)(HMONITOR monitor, MONITORINFO *info);
};
MonitorCalls *screens_monitor_calls();

// The display configuration changed: the list is filled again when next asked.
void screens_forget();

extern "C" {
int32_t getScreenCount();
Object *getScreen(int32_t index); // retained, or nil
int32_t screenLeftGetter(ScreenObject *s);
int32_t screenTopGetter(ScreenObject *s);
int32_t screenWidthGetter(ScreenObject *s);
int32_t screenHeightGetter(ScreenObject *s);
int32_t screenDepthGetter(ScreenObject *s);

Object *getKeyboardObject();
bool modifierKeyGetter(Object *keyboard, int32_t modifier);      // as of the message in hand
bool asyncModifierKeyGetter(Object *keyboard, int32_t modifier); // at this moment
bool keyboardAsyncKeyDown(Object *keyboard, int32_t code);

Object *getSystemObject();
int32_t getMouseX();
int32_t getMouseY();
bool getMouseDown();
}
