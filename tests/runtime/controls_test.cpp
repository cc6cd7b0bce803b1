// The simple controls on real native windows: when a push button's click is
// an Action, radio groups, check boxes set by code, default buttons, tab
// panels and the controls on their tabs, mnemonics.
#include "describe.h"
#include "objects/registry.h"
#include "recorder.h"
#include "startup/loader.h"
#include "ui/buttons.h"
#include "ui/windowobject.h"
#include "ui/tabpanel.h"
#include "ui/nativewindow.h"
#include "ui/winclasses.h"
#include <commctrl.h>

namespace {

using namespace describe;

std::string gLog;
int gMouseDown = -1, gMouseUp = -1; // a handler's answer; -1: no handler answers

std::string nameOf(Object *o) { return str_cview(as_control(o)->name); }
void onAction(Object *o) { gLog += nameOf(o) + ".Action "; }
void onChange(Object *o) { gLog += nameOf(o) + ".Change "; }
bool onMouseDown(Object *o, int32_t, int32_t) {
  gLog += nameOf(o) + ".MouseDown ";
  return gMouseDown == 1;
}
bool onMouseUp(Object *o, int32_t, int32_t) {
  gLog += nameOf(o) + ".MouseUp ";
  return gMouseUp == 1;
}

class ControlsTest : public RuntimeTest {
protected:
  enum { kWindow, kButton, kRadio, kCheck, kGroup, kTabs, kClasses };
  ClassDef window, button, radio, check, tabs;
  ClassDef *table[kClasses] = {&window, &button, &radio, &check, nullptr, &tabs};
  WindowObject *w = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    describe::set_up_windows();
    gLog.clear();
    gMouseDown = gMouseUp = -1;
    derive(&window, "TestWindow", gWindowClass, 120);
    derive(&button, "MyButton", registry_find("PushButton"), 120);
    addHandler(&button, "Action", (void *)onAction);
    derive(&radio, "MyRadio", registry_find("RadioButton"), 124);
    addHandler(&radio, "Action", (void *)onAction);
    derive(&check, "MyCheck", registry_find("CheckBox"), 140);
    addHandler(&check, "Action", (void *)onAction);
    table[kGroup] = registry_find("GroupBox");
    derive(&tabs, "MyTabs", registry_find("TabPanel"), 124);
    addHandler(&tabs, "Change", (void *)onChange);
    gClassTable = table;
    gClassCount = kClasses;
  }
  void TearDown() override {
    close_test_window(w);
    for (ClassDef *c : {&window, &button, &radio, &check, &tabs}) class_teardown(c);
    RuntimeTest::TearDown();
  }

  static Pairs at(const char *name, Rect16 r, Pairs extra = {}) {
    return placed(name, "-2147483648", r, extra);
  }
  void open(Description &d) {
    w = open_window(d);
    ASSERT_TRUE(w);
    window_pass();
    pump();
    gLog.clear();
  }
  static Description window_() {
    return Description(kWindow,
                       {{"Name", "W"}, {"Frame", "0"}, {"Width", "500"}, {"Height", "300"}});
  }
  ButtonObject *get(const char *name) { return (ButtonObject *)control_named(w, name); }
  static void click(ButtonObject *b, POINT release = {5, 5}) {
    HWND h = b->control.pane->hwnd;
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(release.x, release.y));
    pump();
  }
};

TEST_F(ControlsTest, APushButtonClickIsAnActionUnlessMouseDownAndMouseUpTakeIt) {
  addHandler(&button, "MouseDown", (void *)onMouseDown);
  addHandler(&button, "MouseUp", (void *)onMouseUp);
  Description d = window_();
  d.control(kButton, at("OK", {10, 10, 40, 110}, {{"Caption", "OK"}}));
  open(d);
  struct {
    int down, up;
    const char *log;
  } cases[] = {
      {0, 1, "OK.MouseDown OK.Action "},            /* False: no MouseUp, Action follows */
      {1, 1, "OK.MouseDown OK.MouseUp "},           /* both True: the click is taken */
      {1, 0, "OK.MouseDown OK.MouseUp OK.Action "}, /* True then False: Action again */
  };
  for (auto &c : cases) {
    gMouseDown = c.down, gMouseUp = c.up;
    gLog.clear();
    click(get("OK"));
    EXPECT_EQ(gLog, c.log) << c.down << c.up;
  }
  gMouseDown = 1, gMouseUp = 0;
  gLog.clear();
  click(get("OK"), {500, 500}); /* released outside: no Action */
  EXPECT_EQ(gLog, "OK.MouseDown OK.MouseUp ");
  gLog.clear();
  pushButtonPush(get("OK"));
  EXPECT_EQ(gLog, "OK.Action ");
}

TEST_F(ControlsTest, RadiosAreGroupedByEnclosingPanesAndByNativeParents) {
  Description d = window_();
  d.control(kGroup, at("G1", {10, 10, 100, 200}))
      .control(kRadio, at("a", {30, 20, 50, 190}, {{"Value", "True"}}))
      .control(kRadio, at("b", {60, 20, 80, 190}))
      .control(kGroup, at("G2", {10, 210, 100, 400}))
      .control(kRadio, at("c", {30, 220, 50, 390}, {{"Value", "True"}}))
      .control(kRadio, at("d", {60, 220, 80, 390}))
      .control(kRadio, at("loose", {120, 10, 140, 190}, {{"Value", "True"}}));
  open(d);
  EXPECT_EQ(gLog, ""); /* initial values: no reports */
  radioValueSetter(get("b"), 0, true);
  EXPECT_EQ(gLog, "b.Action ");
  EXPECT_FALSE(get("a")->value);
  EXPECT_TRUE(get("c")->value);     /* the other group */
  EXPECT_TRUE(get("loose")->value); /* a different native parent */
  gLog.clear();
  radioValueSetter(get("b"), 0, true); /* checked already: Action again */
  EXPECT_EQ(gLog, "b.Action ");
  gLog.clear();
  click(get("d"));
  EXPECT_EQ(gLog, "d.Action ");
  EXPECT_FALSE(get("c")->value);
  EXPECT_TRUE(get("b")->value);
  EXPECT_EQ(SendMessageA(get("c")->control.pane->hwnd, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(ControlsTest, ACheckBoxSetByCodeReportsEvenWithoutAChange) {
  Description d = window_();
  d.control(kCheck, at("box", {10, 10, 30, 200}));
  open(d);
  checkBoxValueSetter(get("box"), 0, true);
  checkBoxValueSetter(get("box"), 0, true);
  EXPECT_EQ(gLog, "box.Action box.Action ");
  gLog.clear();
  click(get("box"));
  EXPECT_EQ(gLog, "box.Action ");
  EXPECT_FALSE(get("box")->value);
}

TEST_F(ControlsTest, TheTabPanelShowsTheControlsOfTheChosenTab) {
  Description d = window_();
  d.control(kTabs, at("tabs", {10, 10, 200, 300}, {{"TabDefinition", "One\r\rThree"}}))
      .control(kButton, at("first", {50, 20, 70, 120}, {{"TabPanelIndex", "1"}}))
      .control(kButton, at("second", {80, 20, 100, 120}, {{"TabPanelIndex", "2"}}))
      .control(kButton, at("third", {110, 20, 130, 120}, {{"TabPanelIndex", "3"}}))
      .control(kButton, at("across", {150, 250, 170, 400}, {{"TabPanelIndex", "2"}}));
  open(d);
  TabPanelObject *t = (TabPanelObject *)get("tabs");
  EXPECT_EQ(SendMessageA(t->control.pane->hwnd, TCM_GETITEMCOUNT, 0, 0), 3); /* one empty */
  EXPECT_EQ(tabPanelValueGetter(t), 0);
  EXPECT_TRUE(pane_on_screen(get("first")->control.pane));
  EXPECT_FALSE(pane_on_screen(get("second")->control.pane));
  EXPECT_TRUE(get("second")->control.visible);
  EXPECT_TRUE(pane_on_screen(get("across")->control.pane)); /* partly outside: untouched */
  tabPanelValueSetter(t, 0, 1);
  EXPECT_EQ(gLog, "tabs.Change ");
  EXPECT_TRUE(pane_on_screen(get("second")->control.pane));
  EXPECT_FALSE(pane_on_screen(get("first")->control.pane));
  gLog.clear();
  tabPanelValueSetter(t, 0, 1); /* the same tab: Change again */
  tabPanelValueSetter(t, 0, 3); /* no such tab: nothing */
  tabPanelValueSetter(t, 0, -1);
  EXPECT_EQ(gLog, "tabs.Change ");
  EXPECT_EQ(tabPanelValueGetter(t), 1);
}

TEST_F(ControlsTest, TheDefaultButtonMustBeOnTheVisibleTab) {
  Description d = window_();
  d.control(kTabs, at("tabs", {10, 10, 200, 300}, {{"TabDefinition", "One\rTwo"}}))
      .control(kButton,
               at("hidden", {50, 20, 70, 120}, {{"TabPanelIndex", "2"}, {"Default", "True"}}))
      .control(kButton, at("shown", {80, 20, 100, 120},
                           {{"TabPanelIndex", "1"}, {"Default", "True"}, {"Caption", "&Go"}}));
  open(d);
  EXPECT_EQ(buttons_default(w->view), get("shown")->control.pane);
  EXPECT_TRUE(GetWindowLongA(get("shown")->control.pane->hwnd, GWL_STYLE) & BS_DEFPUSHBUTTON);
  EXPECT_EQ(buttons_with_mnemonic(w->view, 'g'), get("shown")->control.pane);
  EXPECT_EQ(buttons_cancel(w->view), nullptr);
  tabPanelValueSetter((TabPanelObject *)get("tabs"), 0, 1);
  EXPECT_EQ(buttons_default(w->view), get("hidden")->control.pane);
  EXPECT_EQ(buttons_with_mnemonic(w->view, 'G'), nullptr); /* its tab is hidden */
}

TEST(MnemonicTest, TheCharacterAfterASingleAmpersand) {
  auto of = [](const char *s) { return caption_mnemonic(s, (int32_t)strlen(s)); };
  EXPECT_EQ(of("Save && Exit"), 0);
  EXPECT_EQ(of("&Save"), 'S');
  EXPECT_EQ(of("&a and &b"), 'B'); /* the last one counts */
  EXPECT_EQ(of("R&&&D"), 'D');
  EXPECT_EQ(of("trailing &"), 0);
}

} // namespace
