// Screens, the live keyboard and mouse state, and contextual menus: the
// screen list against the platform's display (and monitors that cannot be
// read), keys and buttons held through injected input, and a menu whose row
// is chosen by keys posted while it tracks, opened directly or by a right
// click on its window.
#include "describe.h"
#include "recorder.h"
#include "ui/contextmenu.h"
#include "ui/pane.h"
#include "ui/screens.h"
#include "ui/windowproc.h"

namespace {

using namespace describe;

ScreenObject *screenAt(int32_t index) { return (ScreenObject *)getScreen(index); }

class ScreensTest : public RuntimeTest {
protected:
  MonitorCalls saved{};
  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
    saved = *screens_monitor_calls();
    screens_forget();
  }
  void TearDown() override {
    *screens_monitor_calls() = saved;
    screens_forget(); /* no screen outlives the test's leak check */
    RuntimeTest::TearDown();
  }
};

TEST_F(ScreensTest, ScreenZeroIsTheWholeDisplayAndIndexesOutsideTheListAreNil) {
  ScreenObject *s = screenAt(0);
  ASSERT_TRUE(s);
  HDC dc = GetDC(nullptr);
  int32_t depth = GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(screenLeftGetter(s), 0);
  EXPECT_EQ(screenTopGetter(s), 0);
  EXPECT_EQ(screenWidthGetter(s), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(screenHeightGetter(s), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(screenDepthGetter(s), depth);
  EXPECT_EQ(getScreenCount(), GetSystemMetrics(SM_CMONITORS));
  EXPECT_EQ(getScreen(getScreenCount()), nullptr);
  EXPECT_EQ(getScreen(-1), nullptr);
  ScreenObject *again = screenAt(0);
  EXPECT_EQ(again, s); /* the list keeps its screens */
  RuntimeUnlockObject(&again->header);
  RuntimeUnlockObject(&s->header);
}

// Two monitors, the first of which cannot be read.
BOOL WINAPI twoMonitors(HDC dc, LPCRECT, MONITORENUMPROC callback, LPARAM data) {
  callback((HMONITOR)1, dc, nullptr, data);
  callback((HMONITOR)2, dc, nullptr, data);
  return TRUE;
}
BOOL WINAPI secondReadable(HMONITOR monitor, MONITORINFO *info) {
  if (monitor != (HMONITOR)2) return FALSE;
  info->rcMonitor = {-800, 100, 0, 700};
  return TRUE;
}
BOOL WINAPI noMonitors(HDC, LPCRECT, MONITORENUMPROC, LPARAM) { return TRUE; }

TEST_F(ScreensTest, UnreadableMonitorIsSkippedAndTheCountIsTheListsOwn) {
  screens_monitor_calls()->enumerate = twoMonitors;
  screens_monitor_calls()->info = secondReadable;
  EXPECT_EQ(getScreenCount(), 1); /* the platform counts one more */
  ScreenObject *s = screenAt(0);
  ASSERT_TRUE(s);
  EXPECT_EQ(screenLeftGetter(s), -800);
  EXPECT_EQ(screenTopGetter(s), 100);
  EXPECT_EQ(screenWidthGetter(s), 800);
  EXPECT_EQ(screenHeightGetter(s), 600);
  EXPECT_EQ(getScreen(1), nullptr);
  RuntimeUnlockObject(&s->header);
}

TEST_F(ScreensTest, WithoutReadableMonitorsScreenZeroIsThePrimaryDisplay) {
  screens_monitor_calls()->enumerate = noMonitors;
  EXPECT_EQ(getScreenCount(), 1);
  ScreenObject *s = screenAt(0);
  ASSERT_TRUE(s);
  EXPECT_EQ(screenWidthGetter(s), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(screenHeightGetter(s), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(getScreen(1), nullptr);
  RuntimeUnlockObject(&s->header);
}

/* ---- keys and buttons held through injected input ---- */

void key(BYTE vk, bool down) { keybd_event(vk, 0, down ? 0 : KEYEVENTF_KEYUP, 0); }

// Holds a key for the life of the object.
struct Held {
  BYTE vk;
  explicit Held(BYTE k) : vk(k) { key(vk, true); }
  ~Held() { key(vk, false); }
};

class KeyboardTest : public ScreensTest {
protected:
  Object *kb = nullptr;
  void SetUp() override {
    ScreensTest::SetUp();
    kb = getKeyboardObject();
    ASSERT_TRUE(kb);
  }
  void TearDown() override {
    RuntimeUnlockObject(kb);
    ScreensTest::TearDown();
  }
  bool down(int32_t code) { return keyboardAsyncKeyDown(kb, code); }
};

TEST_F(KeyboardTest, KeyCodesAskTheMappedKeyAndCodesWithoutAKeyAreNeverDown) {
  enum { kUnit = 65536 };
  struct Case {
    BYTE held;
    int32_t code;
    bool down;
  } cases[] = {
      {'A', 0, true},
      {'A', 1, false},                       /* S */
      {'A', ('A' + 1) * kUnit, true},        /* the virtual-key code directly */
      {'A', ('A' + 1 + 256) * kUnit, false}, /* no key beyond 254, whatever its low byte */
      {'A', 10, false},                      /* a code without a key */
      {VK_SPACE, 49, true},
      {VK_SPACE, 10, false},
      {VK_F1, (VK_F1 + 1) * kUnit, true},
      {VK_F1, 122, true},
      {VK_F1, 200, false}, /* above 127 but below one unit: no key (not -1) */
      {VK_F1, -5, false},
      {VK_F1, 0x7FFFFFFF, false},
  };
  for (const Case &c : cases) {
    Held h(c.held);
    EXPECT_EQ(down(c.code), c.down) << c.code;
  }
  EXPECT_FALSE(down(0)); /* released */
  EXPECT_FALSE(down(49));
}

TEST_F(KeyboardTest, ModifierGettersFollowTheHeldKeys) {
  struct Case {
    BYTE held;
    int32_t downBit;
  } cases[] = {
      {VK_SHIFT, kModShift},  {VK_CONTROL, kModCommand}, {VK_MENU, kModOption},
      {VK_LWIN, kModControl}, {VK_RWIN, kModControl},
  };
  for (const Case &c : cases) {
    Held h(c.held);
    for (int32_t bit : {kModShift, kModCommand, kModOption, kModControl})
      EXPECT_EQ(asyncModifierKeyGetter(kb, bit), bit == c.downBit) << (int)c.held << " " << bit;
  }
  EXPECT_FALSE(asyncModifierKeyGetter(kb, kModShift));
}

TEST_F(ScreensTest, MouseIsReportedInScreenCoordinatesWithItsPrimaryButton) {
  POINT before;
  GetCursorPos(&before);
  SetCursorPos(123, 45);
  EXPECT_EQ(getMouseX(), 123);
  EXPECT_EQ(getMouseY(), 45);
  EXPECT_FALSE(getMouseDown());
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  EXPECT_TRUE(getMouseDown());
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  EXPECT_FALSE(getMouseDown());
  SetCursorPos(before.x, before.y);
  Object *system = getSystemObject();
  EXPECT_TRUE(system);
  RuntimeUnlockObject(system);
}

/* ---- contextual menus ---- */

std::string gChosen, gClicks;
int gActions;
ContextualMenuObject *gMenu; // opened by the window's MouseDown on a contextual click
bool gTakeTheMouse;          // what the window's MouseDown answers
void onMenuAction(Object *, RString *item) {
  gChosen = str_cview(item);
  gActions++;
}
bool onWindowMouseDown(Object *, int32_t, int32_t) {
  gClicks += IsCMMClick() ? "R" : "L";
  if (IsCMMClick() && gMenu) contextualMenuOpen(gMenu);
  return gTakeTheMouse;
}

// Waits for the menu to track, then posts the keys to it: the row is chosen
// (or the menu dismissed) inside the tracking loop.
struct MenuKeys {
  std::vector<WPARAM> keys;
  static DWORD WINAPI run(void *self) {
    HWND menu = nullptr;
    for (int i = 0; i < 500 && !(menu = FindWindowA("#32768", nullptr)); i++) Sleep(10);
    if (!menu) return 1;
    Sleep(50);
    for (WPARAM vk : ((MenuKeys *)self)->keys) {
      PostMessageA(menu, WM_KEYDOWN, vk, 0);
      PostMessageA(menu, WM_KEYUP, vk, 0xC0000000);
      Sleep(20);
    }
    return 0;
  }
};

class ContextualMenuTest : public ScreensTest {
protected:
  enum { kWindow, kMenu, kClasses };
  ClassDef window, menuClass;
  ClassDef *table[kClasses] = {&window, &menuClass};
  WindowObject *w = nullptr;
  ContextualMenuObject *menu = nullptr;

  void SetUp() override {
    ScreensTest::SetUp();
    set_up_windows();
    gChosen.clear();
    gActions = 0;
    derive(&window, "MenuWindow", gWindowClass, 120);
    derive(&menuClass, "MyMenu", registry_find("ContextualMenu"), 100);
    addHandler(&menuClass, "Action", (void *)onMenuAction);
    addHandler(&window, "MouseDown", (void *)onWindowMouseDown);
    gClicks.clear();
    gMenu = nullptr;
    gTakeTheMouse = false;
    gClassTable = table;
    gClassCount = kClasses;
    Description d(kWindow, {{"Name", "W"}, {"Frame", "0"}, {"Width", "300"}, {"Height", "200"}});
    d.control(kMenu, {{"Name", "Menu"}, {"Index", "-2147483648"}});
    w = open_window(d);
    ASSERT_TRUE(w);
    window_pass();
    pump();
    menu = (ContextualMenuObject *)control_named(w, "Menu");
    ASSERT_TRUE(menu);
  }
  void TearDown() override {
    close_test_window(w);
    for (ClassDef *c : {&window, &menuClass}) class_teardown(c);
    ScreensTest::TearDown();
  }
  void rows(std::initializer_list<const char *> texts) {
    for (const char *t : texts) {
      if (!*t) {
        contextualMenuAddSeparator(menu);
        continue;
      }
      RString *s = str_from(t);
      contextualMenuAddRow(menu, s);
      RuntimeUnlockString(s);
    }
  }
  // Opens the menu (by default directly) while the keys are posted to it.
  void openWith(std::vector<WPARAM> keys,
                void (*open)(ContextualMenuObject *) = contextualMenuOpen) {
    MenuKeys k{std::move(keys)};
    HANDLE thread = CreateThread(nullptr, 0, MenuKeys::run, &k, 0, nullptr);
    open(menu);
    WaitForSingleObject(thread, 10000);
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(code, 0u) << "the menu never tracked";
    pump();
  }
};

TEST_F(ContextualMenuTest, TheChosenRowsTextReachesActionAndDismissalDeliversNothing) {
  EXPECT_FALSE(menu->control.pane); /* nothing shows at run time */
  rows({"Cut", "Copy", "", "Paste"});
  openWith({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}); /* the separator is passed over */
  EXPECT_EQ(gActions, 1);
  EXPECT_EQ(gChosen, "Paste");
  EXPECT_STREQ(str_cview(menu->text), "Paste");
  openWith({VK_DOWN, VK_ESCAPE, VK_ESCAPE});
  EXPECT_EQ(gActions, 1);
  contextualMenuResetContent(menu);
  std::string longRow(300, 'x'); /* longer than any fixed buffer for a row */
  rows({longRow.c_str()});
  openWith({VK_DOWN, VK_RETURN});
  EXPECT_EQ(gActions, 2);
  EXPECT_EQ(gChosen, longRow);
}

void rightClick(ContextualMenuObject *m) {
  HWND h = m->control.window->view->pane.hwnd;
  SendMessageA(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  SendMessageA(h, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
}

TEST_F(ContextualMenuTest, TheWindowsMouseDownOpensTheMenuOnARightClickOnly) {
  rows({"Open"});
  gMenu = menu;
  HWND h = w->view->pane.hwnd;
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(gClicks, "L");
  openWith({VK_DOWN, VK_RETURN}, rightClick);
  EXPECT_EQ(gClicks, "LR");
  EXPECT_EQ(gChosen, "Open");
  EXPECT_FALSE(IsCMMClick()); /* only while the click is delivered */
}

// The menu takes the right button's release, so a MouseDown that answers
// True (taking the mouse) must not leave the window waiting for it: later
// clicks, on the close box among others, would go nowhere.
void rightPress(ContextualMenuObject *m) {
  SendMessageA(m->control.window->view->pane.hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
}

TEST_F(ContextualMenuTest, AMenuOpenedByAMouseDownThatTookTheMouseLetsItGo) {
  rows({"Open"});
  gMenu = menu;
  gTakeTheMouse = true;
  openWith({VK_DOWN, VK_RETURN}, rightPress);
  EXPECT_EQ(gChosen, "Open");
  EXPECT_FALSE(pane_tracking());
  EXPECT_NE(GetCapture(), w->view->pane.hwnd);
}

TEST_F(ContextualMenuTest, ADisplayChangeMakesTheScreenListReadAgain) {
  ScreenObject *before = screenAt(0);
  ASSERT_TRUE(before);
  SendMessageA(w->view->pane.hwnd, WM_DISPLAYCHANGE, 32, MAKELPARAM(640, 480));
  ScreenObject *after = screenAt(0);
  EXPECT_NE(after, before);
  EXPECT_EQ(before->header.refs, 1); /* the list let it go */
  RuntimeUnlockObject(&after->header);
  RuntimeUnlockObject(&before->header);
}

} // namespace
