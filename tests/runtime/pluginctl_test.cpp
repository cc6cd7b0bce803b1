// The control helpers as a plug-in reaches them: the kpctl library looks
// each up by name and calls it on its own knob and on a push button; the
// results come back through its exported probes.
#include "describe.h"
#include "karuplugin.h"
#include "plugins/plugin.h"
#include "plugintest.h"
#include "recorder.h"
#include "ui/keyboard.h"
#include "ui/pane.h"

namespace {

using namespace describe;

struct KPProbe { /* as kpctl.c lays it out */
  void *controlHwnd, *controlHandle, *windowHandle, *windowOfControl;
  KARURect bounds, aliasBounds;
  uint8_t visible, tabVisible, focused;
  KARUObject parent, window;
  int32_t fontSize;
  KARUString font, caption;
};

template <class T> T *exported(const char *name) {
  return (T *)(void *)GetProcAddress(GetModuleHandleA("kpctl.dll"), name);
}

class PluginControlTest : public RuntimeTest {
protected:
  enum { kWindow, kKnob, kButton, kClasses };
  ClassDef window;
  ClassDef *table[kClasses] = {&window};
  WindowObject *w = nullptr;

  static void SetUpTestSuite() { install_test_plugins(); }
  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    derive(&window, "KnobWindow", gWindowClass, 120);
    table[kKnob] = plugin_find_control("KPKnob");
    table[kButton] = registry_find("PushButton");
    ASSERT_TRUE(table[kKnob]);
    gClassTable = table;
    gClassCount = kClasses;
    Description d(kWindow, {{"Name", "W"}, {"Frame", "0"}, {"Width", "300"}, {"Height", "200"}});
    d.control(kKnob, placed("Knob", "-2147483648", {20, 30, 60, 70}));
    d.control(kButton, placed("OK", "-2147483648", {150, 200, 172, 280}, {{"Caption", "OK"}}));
    w = open_window(d);
    ASSERT_TRUE(w);
    window_pass();
    pump();
  }
  void TearDown() override {
    close_test_window(w);
    class_teardown(&window);
    RuntimeTest::TearDown();
  }
  ControlObject *get(const char *name) { return (ControlObject *)control_named(w, name); }
  KPProbe probe(ControlObject *c) {
    KPProbe p{};
    exported<void(KARUObject, KARUObject, KPProbe *)>("kpProbe")((KARUObject)c, (KARUObject)w, &p);
    return p;
  }
  static std::string text(KARUString s) {
    std::string t = str_cview((RString *)s);
    RuntimeUnlockString((RString *)s);
    return t;
  }
  static void release(const KPProbe &p) { text(p.font), text(p.caption); }
};

TEST_F(PluginControlTest, EveryHelperIsFoundByName) {
  EXPECT_EQ(*exported<int32_t>("kpHelpersFound"), 17);
}

TEST_F(PluginControlTest, HandlesBoundsParentAndWindowOfAControl) {
  ControlObject *knob = get("Knob");
  ASSERT_TRUE(knob && knob->pane);
  int32_t refs = knob->header.refs, windowRefs = w->header.refs;
  KPProbe p = probe(knob);
  EXPECT_EQ(p.controlHwnd, knob->pane->hwnd);
  EXPECT_EQ(p.controlHandle, knob->pane->hwnd);
  EXPECT_EQ(p.windowHandle, w->view->pane.hwnd);
  EXPECT_EQ(p.windowOfControl, w->view->pane.hwnd);
  for (const KARURect &r : {p.bounds, p.aliasBounds}) {
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 70);
    EXPECT_EQ(r.bottom, 60);
  }
  EXPECT_EQ(p.parent, nullptr); /* on the window itself, in no canvas */
  EXPECT_EQ(p.window, (KARUObject)w);
  EXPECT_EQ(knob->header.refs, refs); /* borrowed: nothing was retained */
  EXPECT_EQ(w->header.refs, windowRefs);
  EXPECT_EQ(text(p.font), "System");
  EXPECT_EQ(p.fontSize, 12);
  EXPECT_EQ(text(p.caption), "Knob");
}

TEST_F(PluginControlTest, VisibilityAndFocusSetByThePluginShowInTheControl) {
  ControlObject *knob = get("Knob"), *ok = get("OK");
  auto show = exported<void(KARUObject, int32_t)>("kpShow");
  auto focus = exported<void(KARUObject, int32_t)>("kpFocus");
  auto check = [&](ControlObject *c, bool visible, bool focused) {
    KPProbe p = probe(c);
    release(p);
    EXPECT_EQ(p.visible, visible);
    EXPECT_EQ(p.tabVisible, visible);
    EXPECT_EQ(p.focused, focused);
  };
  check(ok, true, false);
  focus((KARUObject)ok, 1);
  check(ok, true, true);
  EXPECT_EQ(pane_focus(), ok->pane);
  focus((KARUObject)knob, 0); /* not its focus to give away */
  EXPECT_EQ(pane_focus(), ok->pane);
  focus((KARUObject)ok, 0);
  check(ok, true, false);
  show((KARUObject)knob, 0);
  check(knob, false, false);
  EXPECT_FALSE(IsWindowVisible(knob->pane->hwnd));
  focus((KARUObject)knob, 1); /* hidden: cannot take the focus */
  check(knob, false, false);
  show((KARUObject)knob, 1);
  check(knob, true, false);
}

TEST_F(PluginControlTest, AnAcceleratorPressesTheControlAndTheYieldHandlesWaitingMessages) {
  ControlObject *knob = get("Knob");
  int32_t *presses = exported<int32_t>("kpKnobPresses");
  int32_t before = *presses;
  RString *key = str_from("K");
  exported<void(KARUObject, KARUString)>("kpAccelerate")((KARUObject)knob, (KARUString)key);
  RuntimeUnlockString(key);
  PostMessageA(w->view->pane.hwnd, WM_KEYDOWN, 'K', 0); /* Ctrl is not held: no accelerator */
  exported<void()>("kpYield")();
  EXPECT_EQ(*presses, before);
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE)); /* handled */
  EXPECT_TRUE(keyboard_key_down(w->view->pane.hwnd, 'K', kModCommand));
  EXPECT_EQ(*presses, before + 1);
  exported<void(KARUObject, KARUString)>("kpAccelerate")((KARUObject)knob, nullptr);
  EXPECT_FALSE(keyboard_key_down(w->view->pane.hwnd, 'K', kModCommand));
  EXPECT_EQ(*presses, before + 1);
}

} // namespace
