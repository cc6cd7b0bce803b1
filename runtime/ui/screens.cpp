// Screens and the live input state: the process-wide screen list, filled
// from the monitor enumeration on demand; the Keyboard object's queries of
// the keys held now; the System object's mouse position and button.
#include "ui/screens.h"
#include "base/vector.h"
#include "objects/registry.h"
#include "ui/pane.h"

/* ---- the screen list ---- */

static Vector screenList; // retained ScreenObjects, in enumeration order
static bool listReady;    // screenList is initialised

static MonitorCalls monitorCalls;
static bool monitorCallsLooked;

// Looked up by name: the routines are missing from the oldest platforms.
MonitorCalls *screens_monitor_calls() {
  if (monitorCallsLooked) return &monitorCalls;
  monitorCallsLooked = true;
  HMODULE user = LoadLibraryA("user32.dll");
  if (!user) return &monitorCalls;
  bool wide = (GetVersion() & 0x80000000u) == 0; /* the NT family has the wide variant */
  monitorCalls.enumerate =
      (decltype(monitorCalls.enumerate))(void *)GetProcAddress(user, "EnumDisplayMonitors");
  monitorCalls.info = (decltype(monitorCalls.info))(void *)GetProcAddress(
      user, wide ? "GetMonitorInfoW" : "GetMonitorInfoA");
  return &monitorCalls;
}

static int32_t depthOf(HDC dc) { return GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL); }

static void addScreen(int32_t left, int32_t top, int32_t width, int32_t height, int32_t depth) {
  ClassDef *cls = registry_find("Screen");
  if (!cls) return;
  ScreenObject *s = (ScreenObject *)CreateInstance(cls);
  if (!s) return;
  s->left = left, s->top = top, s->width = width, s->height = height, s->depth = depth;
  vec_append_ptr(&screenList, s); /* the list keeps the creation reference */
}

static BOOL CALLBACK addMonitor(HMONITOR monitor, HDC dc, LPRECT, LPARAM) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!monitorCalls.info || !monitorCalls.info(monitor, &info)) return TRUE; /* skipped */
  const RECT &r = info.rcMonitor;
  addScreen(r.left, r.top, r.right - r.left, r.bottom - r.top, depthOf(dc));
  return TRUE;
}

static void fillList() {
  if (!listReady) vec_init(&screenList), listReady = true;
  if (vec_count(&screenList)) return;
  MonitorCalls *calls = screens_monitor_calls();
  if (!calls->enumerate) return;
  HDC dc = GetDC(nullptr);
  calls->enumerate(dc, nullptr, addMonitor, 0);
  ReleaseDC(nullptr, dc);
}

// The primary display alone, when no monitor could be read.
static void addPrimary() {
  HDC dc = GetDC(nullptr);
  addScreen(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), depthOf(dc));
  ReleaseDC(nullptr, dc);
}

void screens_forget() {
  if (!listReady) return;
  for (int32_t i = 0; i < vec_count(&screenList); i++)
    RuntimeUnlockObject((Object *)vec_get_ptr(&screenList, i));
  vec_set_count(&screenList, 0);
}

// The count of the list itself, so that every index below it gives a
// screen: a monitor whose information cannot be read is not in the list.
int32_t getScreenCount() {
  fillList();
  return vec_count(&screenList) ? vec_count(&screenList) : 1;
}

Object *getScreen(int32_t index) {
  fillList();
  if (index == 0 && vec_count(&screenList) == 0) addPrimary();
  if (index < 0 || index >= vec_count(&screenList)) return nullptr;
  return RuntimeLockObject((Object *)vec_get_ptr(&screenList, index));
}

int32_t screenLeftGetter(ScreenObject *s) { return s->left; }
int32_t screenTopGetter(ScreenObject *s) { return s->top; }
int32_t screenWidthGetter(ScreenObject *s) { return s->width; }
int32_t screenHeightGetter(ScreenObject *s) { return s->height; }
int32_t screenDepthGetter(ScreenObject *s) { return s->depth; }

/* ---- the keyboard ---- */

Object *getKeyboardObject() {
  ClassDef *cls = registry_find("Sys$Keyboard");
  return cls ? CreateInstance(cls) : nullptr;
}

static bool downNow(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }
static bool downInMessage(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// The keys behind a modifier bit of the Keyboard's properties.
static bool modifierDown(int32_t modifier, bool (*down)(int vk)) {
  switch (modifier) {
  case kModShift:
    return down(VK_SHIFT);
  case kModCommand:
    return down(VK_CONTROL);
  case kModOption:
    return down(VK_MENU);
  case kModControl:
    return down(VK_LWIN) || down(VK_RWIN);
  default:
    return false;
  }
}

bool modifierKeyGetter(Object *, int32_t modifier) { return modifierDown(modifier, downInMessage); }
bool asyncModifierKeyGetter(Object *, int32_t modifier) { return modifierDown(modifier, downNow); }

// The language's key codes 0 to 127 (the classic desktop keyboard's) as
// virtual-key codes; 0 marks a code without a key.
static const uint8_t kKeyCodes[128] = {
    0x41, 0x53, 0x44, 0x46, 0x48, 0x47, 0x5A, 0x58, 0x43, 0x56, 0x00, 0x42, 0x51, 0x57, 0x45, 0x52,
    0x59, 0x54, 0x31, 0x32, 0x33, 0x34, 0x36, 0x35, 0xBB, 0x39, 0x37, 0xBD, 0x38, 0x30, 0xDD, 0x4F,
    0x55, 0xDB, 0x49, 0x50, 0x0D, 0x4C, 0x4A, 0xDE, 0x4B, 0xBA, 0xDC, 0xBC, 0xBF, 0x4E, 0x4D, 0xBE,
    0x09, 0x20, 0xC0, 0x08, 0x00, 0x1B, 0x00, 0x5B, 0xA0, 0x14, 0xA4, 0xA2, 0xA1, 0xA5, 0xA3, 0x00,
    0x00, 0x6E, 0x00, 0x6A, 0x00, 0x6B, 0x00, 0x90, 0x00, 0x00, 0x00, 0x6F, 0x0D, 0x00, 0x6D, 0x00,
    0x00, 0xBB, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x00, 0x68, 0x69, 0x00, 0x00, 0x00,
    0x74, 0x75, 0x76, 0x72, 0x77, 0x78, 0x00, 0x7A, 0x00, 0x2C, 0x00, 0x91, 0x00, 0x79, 0x00, 0x7B,
    0x00, 0x13, 0x2D, 0x24, 0x21, 0x2E, 0x73, 0x23, 0x71, 0x22, 0x70, 0x25, 0x27, 0x28, 0x26, 0x00,
};

enum { kDirectKeyUnit = 65536, kLowestKey = 1, kHighestKey = 254 };

// Above the table, (virtual-key code + 1) x 65536 names a key directly;
// what falls outside the platform's key codes names no key.
static int virtualKeyOf(int32_t code) {
  if (code < 0) return 0;
  if (code < (int32_t)sizeof kKeyCodes) return kKeyCodes[code];
  int32_t vk = code / kDirectKeyUnit - 1;
  return vk >= kLowestKey && vk <= kHighestKey ? vk : 0;
}

bool keyboardAsyncKeyDown(Object *, int32_t code) {
  int vk = virtualKeyOf(code);
  return vk && downNow(vk);
}

/* ---- the System object and the mouse ---- */

Object *getSystemObject() {
  ClassDef *cls = registry_find("SystemClass");
  return cls ? CreateInstance(cls) : nullptr;
}

// The mouse in screen coordinates, whose origin is the main screen's
// top-left corner: what a program positioning windows across screens needs.
static POINT mouseNow() {
  POINT p = {0, 0};
  GetCursorPos(&p);
  return p;
}
int32_t getMouseX() { return mouseNow().x; }
int32_t getMouseY() { return mouseNow().y; }

// The primary button, whichever physical button the user made primary.
bool getMouseDown() { return downNow(GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON); }
