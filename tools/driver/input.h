// Real keyboard and mouse input, through SendInput, into whichever window is
// in the foreground: the program sees the same messages a person's typing and
// clicking would give it.
#pragma once
#include <windows.h>
#include <string>

namespace input {

// Brings a top-level window to the foreground and waits until it is there.
bool foreground(HWND top, double seconds);

enum Button { kLeft, kRight };

// Moves the mouse to a point of the screen and clicks a button there.
void click(POINT screen, Button button = kLeft);

// Presses the left button at one point of the screen, moves the mouse to
// another in small steps and lets go there. drain(context) waits until the
// program has taken in each step.
void drag(POINT from, POINT to, void (*drain)(void *), void *context);

// Moves the mouse to a point of the screen and turns the wheel there by
// `notches` (positive: away from the user, up the page).
void wheel(POINT screen, int notches);

// Moves the pointer to a point of the screen, no button changing.
void move(POINT screen);

// Types text into the focused window: ASCII as the keys that make it (with
// Shift where needed), newline as Return, anything else as WM_CHAR sent to
// the window. drain(context) waits until the program has taken in the input
// given so far.
void type(const std::wstring &text, void (*drain)(void *), void *context);

// Presses a key combination such as "ctrl+q", "alt+f", "shift+tab" or
// "return" and lets go of it. False (with a message) when a name is unknown.
bool press(const std::string &combination, std::string *error);

} // namespace input
