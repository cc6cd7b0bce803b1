// Hooks put into the program under test from driverhook.dll, which lies
// beside driver.exe.
#include "inside.h"
#include "hookprotocol.h"
#include "text.h"

namespace inside {

static HHOOK gMenuHook, gInputHook;
static DWORD gHookedThread;

void release() {
  if (gMenuHook) UnhookWindowsHookEx(gMenuHook);
  if (gInputHook) UnhookWindowsHookEx(gInputHook);
  gMenuHook = gInputHook = nullptr;
  gHookedThread = 0;
}

bool hook(HWND window, std::string *error) {
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (gHookedThread && gHookedThread == thread) return true;
  release();
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  while (n > 0 && path[n - 1] != L'\\' && path[n - 1] != L'/') n--;
  lstrcpyW(path + n, L"driverhook.dll");
  HMODULE library = LoadLibraryW(path);
  auto procedure = [&](const char *name) {
    return library ? (HOOKPROC)(void *)GetProcAddress(library, name) : nullptr;
  };
  HOOKPROC menu = procedure("DriverHookProc"), input = procedure("DriverInputHookProc");
  if (menu && input) {
    gMenuHook = SetWindowsHookExW(WH_CALLWNDPROC, menu, library, thread);
    gInputHook = SetWindowsHookExW(WH_GETMESSAGE, input, library, thread);
  }
  if (!gMenuHook || !gInputHook) {
    release();
    *error = "could not hook the program's thread with " + text::utf8(path);
    return false;
  }
  gHookedThread = thread;
  return true;
}

bool caughtUp(HWND window, HANDLE process, double seconds) {
  static HANDLE seen = CreateEventW(
      nullptr, FALSE, FALSE, (kInputMarkEvent + std::to_wstring(GetCurrentProcessId())).c_str());
  std::string error;
  if (!seen || !hook(window, &error)) return false;
  ResetEvent(seen);
  INPUT mark[2] = {};
  for (INPUT &in : mark) {
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = kInputMarkKey;
    in.ki.dwExtraInfo = GetCurrentProcessId();
  }
  mark[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, mark, sizeof(INPUT));
  HANDLE ends[2] = {seen, process};
  return WaitForMultipleObjects(process ? 2 : 1, ends, FALSE, (DWORD)(seconds * 1000)) ==
         WAIT_OBJECT_0;
}

} // namespace inside
