// The driver's hook library inside the program under test: put on the thread
// of the window being driven, it answers menu questions (menu.cpp) and says
// when the program has taken in the input sent to it.
#pragma once
#include <windows.h>
#include <string>

namespace inside {

// Hooks the thread that owns window, unless it is hooked already.
bool hook(HWND window, std::string *error);

// Takes the hooks out of the program again.
void release();

// Waits until the thread that owns window has taken out of its queue, and
// handled, every input event sent before this call. False when it has not
// within seconds (the program is busy, or another program is in front) or
// when process, the program, ends first.
bool caughtUp(HWND window, HANDLE process, double seconds);

} // namespace inside
