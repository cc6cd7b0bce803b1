// The visual-style library, loaded by name on Windows XP only. Each routine
// may be absent; drawing code tests before it calls one.
#pragma once
#include <windows.h>

struct ThemeRoutines {
  FARPROC OpenThemeData, CloseThemeData, GetThemeSysColor, GetThemeColor, IsAppThemed,
      IsThemeActive, IsThemePartDefined, DrawThemeBackground, GetCurrentThemeName, GetThemeMetric,
      GetThemeSysSize, SetThemeAppProperties, GetThemeRect, DrawThemeText,
      DrawThemeParentBackground;
};

extern ThemeRoutines gTheme; // all nil unless the library was loaded

bool platform_is_xp(); // asked once, then remembered
void theme_load();     // on XP only
void theme_unload();

// True while the runtime draws with visual styles: the library is loaded and
// reports the application themed and the theme active.
bool theme_active();
