// The System object's questions about the machine: the Gestalt selectors a
// Windows program can answer, the colour of a screen pixel, the keyboard's
// script as the active keyboard layout's language, and the beep.
#include "ui/system.h"
#include "graphics/colour.h"
#include "plugins/helpers.h"
#include "text/string.h"
#include <cstring>

/* ---- the version of the platform ---- */

struct OsVersion {
  int32_t major, minor, build, platform;
};

typedef LONG(WINAPI *RtlGetVersionCall)(OSVERSIONINFOW *info);

// The true version: GetVersionEx answers what the program's manifest claims
// to know, so the native routine is asked first.
static OsVersion osVersion() {
  OSVERSIONINFOW wide = {};
  wide.dwOSVersionInfoSize = sizeof wide;
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  RtlGetVersionCall call =
      ntdll ? (RtlGetVersionCall)(void *)GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
  if (call && call(&wide) == 0)
    return {(int32_t)wide.dwMajorVersion, (int32_t)wide.dwMinorVersion, (int32_t)wide.dwBuildNumber,
            (int32_t)wide.dwPlatformId};
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return {0, 0, 0, 0};
  return {(int32_t)info.dwMajorVersion, (int32_t)info.dwMinorVersion,
          (int32_t)(info.dwBuildNumber & 0xFFFF), (int32_t)info.dwPlatformId};
}

typedef void(WINAPI *NativeSystemInfoCall)(SYSTEM_INFO *info);

// The machine's own processor: a 32-bit program on a 64-bit system sees an
// x86 through GetSystemInfo.
static SYSTEM_INFO systemInfo() {
  SYSTEM_INFO info = {};
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  NativeSystemInfoCall native =
      kernel ? (NativeSystemInfoCall)(void *)GetProcAddress(kernel, "GetNativeSystemInfo")
             : nullptr;
  (native ? native : GetSystemInfo)(&info);
  return info;
}

enum { kMegabyte = 1024 * 1024 };

static int32_t memoryMegabytes() {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  return (int32_t)(status.ullTotalPhys / kMegabyte);
}

static int32_t screenDepth() {
  HDC dc = GetDC(nullptr);
  int32_t depth = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  ReleaseDC(nullptr, dc);
  return depth;
}

/* ---- Gestalt ---- */

struct Selector {
  char code[5];
  int32_t (*answer)();
};

// Four-character codes, matched exactly as written.
static const Selector kSelectors[] = {
    {"plat", [] { return osVersion().platform; }},
    {"sysv",
     [] {
       OsVersion v = osVersion();
       return v.major << 8 | v.minor;
     }},
    {"sysb", [] { return osVersion().build; }},
    {"sysa", [] { return (int32_t)systemInfo().wProcessorArchitecture; }},
    {"cpun", [] { return (int32_t)systemInfo().dwNumberOfProcessors; }},
    {"ram ", memoryMegabytes},
    {"scrw", [] { return (int32_t)GetSystemMetrics(SM_CXSCREEN); }},
    {"scrh", [] { return (int32_t)GetSystemMetrics(SM_CYSCREEN); }},
    {"scrd", screenDepth},
    {"lang", [] { return (int32_t)GetUserDefaultUILanguage(); }},
    {"kscr", [] { return systemGetKeyScript(nullptr); }},
    {"qxvr", [] { return kRuntimeVersion; }},
};

static const Selector *findSelector(const char *text, int32_t length) {
  if (length != 4) return nullptr;
  for (const Selector &s : kSelectors)
    if (memcmp(s.code, text, 4) == 0) return &s;
  return nullptr;
}

bool gestalt_known(const char *selector, int32_t length) {
  return findSelector(selector, length) != nullptr;
}

extern "C" bool systemGestalt(Object *, RString *selector, int32_t *result) {
  const Selector *s = findSelector(str_cview(selector), str_len(selector));
  int32_t answer = s ? s->answer() : 0;
  if (result) *result = answer;
  return s != nullptr;
}

/* ---- the screen ---- */

// A point off every screen has no colour: it reads as black.
extern "C" int32_t systemPixel(Object *, int32_t x, int32_t y) {
  HDC screen = GetDC(nullptr);
  COLORREF c = screen ? GetPixel(screen, x, y) : CLR_INVALID;
  if (screen) ReleaseDC(nullptr, screen);
  return c == CLR_INVALID ? 0 : colour_from_platform(c);
}

/* ---- the keyboard's script ---- */

struct LanguageScript {
  uint16_t primary; // the primary language of a language identifier
  uint16_t sub;     // its sublanguage, or kAnySub
  Script script;
};
enum : uint16_t { kAnySub = 0xFFFF };

static const LanguageScript kLanguageScripts[] = {
    {LANG_JAPANESE, kAnySub, Script::Japanese},
    {LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED, Script::SimplifiedChinese},
    {LANG_CHINESE, SUBLANG_CHINESE_SINGAPORE, Script::SimplifiedChinese},
    {LANG_CHINESE, kAnySub, Script::TraditionalChinese},
    {LANG_KOREAN, kAnySub, Script::Korean},
    {LANG_ARABIC, kAnySub, Script::Arabic},
    {LANG_FARSI, kAnySub, Script::Arabic},
    {LANG_URDU, kAnySub, Script::Arabic},
    {LANG_HEBREW, kAnySub, Script::Hebrew},
    {LANG_GREEK, kAnySub, Script::Greek},
    {LANG_RUSSIAN, kAnySub, Script::Cyrillic},
    {LANG_UKRAINIAN, kAnySub, Script::Cyrillic},
    {LANG_BELARUSIAN, kAnySub, Script::Cyrillic},
    {LANG_BULGARIAN, kAnySub, Script::Cyrillic},
    {LANG_MACEDONIAN, kAnySub, Script::Cyrillic},
    {LANG_KAZAK, kAnySub, Script::Cyrillic},
    {LANG_MONGOLIAN, kAnySub, Script::Cyrillic},
    {LANG_THAI, kAnySub, Script::Thai},
};

Script script_of_language(uint16_t langId) {
  uint16_t primary = PRIMARYLANGID(langId), sub = SUBLANGID(langId);
  for (const LanguageScript &l : kLanguageScripts)
    if (l.primary == primary && (l.sub == kAnySub || l.sub == sub)) return l.script;
  return Script::Roman;
}

static Script layoutScript(HKL layout) { return script_of_language(LOWORD((uintptr_t)layout)); }

extern "C" int32_t systemGetKeyScript(Object *) {
  return (int32_t)layoutScript(GetKeyboardLayout(0));
}

enum { kMostLayouts = 64 };

// Switches this thread to the first installed layout that writes the script;
// a script no installed layout writes leaves the keyboard as it is, as the
// user's own switching among installed layouts would.
extern "C" void systemSetKeyScript(Object *, int32_t, int32_t script) {
  HKL layouts[kMostLayouts];
  int count = GetKeyboardLayoutList(kMostLayouts, layouts);
  if ((Script)script == layoutScript(GetKeyboardLayout(0))) return;
  for (int i = 0; i < count; i++)
    if ((int32_t)layoutScript(layouts[i]) == script) {
      ActivateKeyboardLayout(layouts[i], 0);
      return;
    }
}

/* ---- the beep ---- */

extern "C" void RuntimeBeep() { MessageBeep(MB_OK); }
