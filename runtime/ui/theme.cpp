// The visual-style library of Windows XP: loaded at start-up on that version
// only, its routines taken by name, and freed when the process ends.
#include "ui/theme.h"

ThemeRoutines gTheme;
static HMODULE themeLibrary;

static const char *const kRoutineNames[] = {
    "OpenThemeData",       "CloseThemeData", "GetThemeSysColor",         "GetThemeColor",
    "IsAppThemed",         "IsThemeActive",  "IsThemePartDefined",       "DrawThemeBackground",
    "GetCurrentThemeName", "GetThemeMetric", "GetThemeSysSize",          "SetThemeAppProperties",
    "GetThemeRect",        "DrawThemeText",  "DrawThemeParentBackground"};
static_assert(sizeof kRoutineNames / sizeof *kRoutineNames ==
              sizeof(ThemeRoutines) / sizeof(FARPROC));

// Platform id 2 (NT), version 5.1. The extended version record is offered
// first, then the basic one; a platform that takes neither is not XP.
static bool askIsXp() {
  OSVERSIONINFOEXA extended = {};
  extended.dwOSVersionInfoSize = sizeof extended;
  OSVERSIONINFOA *info = (OSVERSIONINFOA *)&extended;
  if (!GetVersionExA(info)) {
    info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    if (!GetVersionExA(info)) return false;
  }
  return info->dwPlatformId == VER_PLATFORM_WIN32_NT && info->dwMajorVersion == 5 &&
         info->dwMinorVersion == 1;
}

bool platform_is_xp() {
  static int answer = -1;
  if (answer < 0) answer = askIsXp();
  return answer;
}

void theme_load() {
  if (!platform_is_xp() || !(themeLibrary = LoadLibraryA("uxtheme.dll"))) return;
  FARPROC *slots = (FARPROC *)&gTheme;
  for (size_t i = 0; i < sizeof kRoutineNames / sizeof *kRoutineNames; i++)
    slots[i] = GetProcAddress(themeLibrary, kRoutineNames[i]);
}

void theme_unload() {
  if (!themeLibrary) return;
  FreeLibrary(themeLibrary);
  themeLibrary = nullptr;
  gTheme = ThemeRoutines();
}

bool theme_active() {
  typedef BOOL(WINAPI * Ask)();
  return gTheme.IsAppThemed && gTheme.IsThemeActive && ((Ask)(void *)gTheme.IsAppThemed)() &&
         ((Ask)(void *)gTheme.IsThemeActive)();
}
