// Windows made from window descriptions (written with the image toolkit's
// packed streams), their controls on real native windows, the close
// sequence, event order, and native notifications reaching control panes.
#include "objects/registry.h"
#include "describe.h"
#include "recorder.h"
#include "startup/loader.h"
#include "lifecycle/application.h"
#include "text/string.h"
#include "ui/control.h"
#include "ui/windowobject.h"
#include "ui/nativewindow.h"
#include "ui/winclasses.h"
#include <commctrl.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace describe;

std::string gLog;
bool gCancelClose;

std::string nameOf(Object *o) { return is_control(o) ? str_cview(as_control(o)->name) : "window"; }
void logEvent(Object *o, const char *event) { gLog += nameOf(o) + "." + event + " "; }

#define LOGGING_HANDLER(Event)                                                                     \
  void on##Event(Object *o) { logEvent(o, #Event); }
LOGGING_HANDLER(Open)
LOGGING_HANDLER(Close)
LOGGING_HANDLER(Action)
LOGGING_HANDLER(Resized)
LOGGING_HANDLER(Moved)
bool onCancelClose(Object *o) {
  logEvent(o, "CancelClose");
  return gCancelClose;
}
void closeOwnWindow(Object *o) { /* an Action handler that closes the button's window */
  logEvent(o, "Action");
  RuntimeCloseWindow(as_control(o)->window);
}
void closeAgain(Object *o) { /* a Close handler that closes its window again */
  logEvent(o, "Close!");
  RuntimeCloseWindow((WindowObject *)o);
}

// A native button pane whose click notification raises Action.
LRESULT buttonCommand(Pane *pane, int notification) {
  if (notification == BN_CLICKED) deliver_to_control(pane_control(pane), "Action");
  return 0;
}
const PaneKind kButtonKind = {.name = "test button", .command = buttonCommand};

void makeButton(Object *o) {
  ControlObject *c = as_control(o);
  logEvent(o, "CreatePane");
  control_make_pane(c, &kButtonKind, sizeof(Pane), "BUTTON", str_cview(c->name),
                    BS_PUSHBUTTON | WS_TABSTOP);
}
void makeGroup(Object *o) {
  control_make_pane(as_control(o), &kControlPaneKind, sizeof(Pane), "BUTTON", "group", BS_GROUPBOX);
}
void makeTabs(Object *o) {
  Pane *p = control_make_pane(as_control(o), &kControlPaneKind, sizeof(Pane), "SysTabControl32", "",
                              WS_CLIPSIBLINGS);
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = (char *)"one";
  SendMessageA(p->hwnd, TCM_INSERTITEMA, 0, (LPARAM)&item);
}

class WindowTest : public RuntimeTest {
protected:
  enum { kWindow, kButton, kGroup, kTabs, kClasses };
  ClassDef window, button, group, tabs, buttonBase;
  ClassDef *table[kClasses] = {&window, &button, &group, &tabs};

  void SetUp() override {
    RuntimeTest::SetUp();
    describe::set_up_windows();
    gFirstActivation = false;
    gLog.clear();
    gCancelClose = false;
    derive(&window, "TestWindow", gWindowClass, 120);
    for (auto [event, entry] : {std::pair<const char *, void *>{"Open", (void *)onOpen},
                                {"Close", (void *)onClose},
                                {"CancelClose", (void *)onCancelClose},
                                {"Resized", (void *)onResized},
                                {"Moved", (void *)onMoved}})
      addHandler(&window, event, entry);
    derive(&buttonBase, "TestButtonBase", gRectControlClass, 92); /* declares what others handle */
    class_add_event(&buttonBase, "Action", nullptr, nullptr, 1001);
    derive(&button, "TestButton", &buttonBase, 92);
    addHandler(&button, "CreatePane", (void *)makeButton);
    addHandler(&button, "Open", (void *)onOpen);
    addHandler(&button, "Close", (void *)onClose);
    addHandler(&button, "Action", (void *)onAction);
    derive(&group, "TestGroup", gRectControlClass, 92);
    addHandler(&group, "CreatePane", (void *)makeGroup);
    derive(&tabs, "TestTabs", gRectControlClass, 92);
    addHandler(&tabs, "CreatePane", (void *)makeTabs);
    gClassTable = table;
    gClassCount = kClasses;
  }
  void TearDown() override {
    while (gWindowList) gLoopHooks.closeFrontWindow();
    pump();
    gClassTable = nullptr;
    gClassCount = 0;
    for (ClassDef *c : table) class_teardown(c);
    class_teardown(&buttonBase);
    RuntimeTest::TearDown();
  }

  static Pairs windowPairs(Pairs extra = {}) {
    Pairs p = {{"Name", "W"},        {"Frame", "0"},   {"Title", "Test"},
               {"Visible", "False"}, {"Width", "300"}, {"Height", "200"}};
    p.insert(p.end(), extra.begin(), extra.end());
    return p;
  }
  static Pairs buttonPairs(const char *name, const char *index, Rect16 r, Pairs extra = {}) {
    return placed(name, index, r, extra);
  }

  WindowObject *create(const Description &d, Object **variable = nullptr) {
    return open_window(d, variable);
  }
  static Object *fetch(WindowObject *w, const char *key) { return control_named(w, key); }
};

constexpr const char *kNone = "-2147483648";

TEST_F(WindowTest, FramesAndPlacementsPositionTheWindow) {
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  struct Case {
    const char *frame, *placement;
    int left, top;
  } cases[] = {
      {"0", "0", 10, 50},                         /* Frame 0 places by default as 4 */
      {"3", "0", 4, 100},                         /* Frame 3's default is 0 */
      {"0", "1", (sw - 300) / 2, (sh - 200) / 4}, /* 1 counts as 2: centred, a quarter down */
      {"0", "4", 10, 50},
  };
  for (const Case &c : cases) {
    WindowObject *w =
        create(Description(kWindow, windowPairs({{"Frame", c.frame}, {"Placement", c.placement}})));
    ASSERT_TRUE(w) << c.frame << "/" << c.placement;
    EXPECT_EQ(w->bounds.left, c.left) << c.frame << "/" << c.placement;
    EXPECT_EQ(w->bounds.top, c.top) << c.frame << "/" << c.placement;
    EXPECT_EQ(w->bounds.right - w->bounds.left, 300);
    window_pass(); /* the native content area follows the recorded bounds */
    RECT r;
    GetClientRect(w->view->pane.hwnd, &r);
    MapWindowPoints(w->view->pane.hwnd, nullptr, (POINT *)&r, 2);
    EXPECT_EQ(r.left, c.left);
    EXPECT_EQ(r.top, c.top);
    EXPECT_EQ(r.bottom - r.top, 200);
    RuntimeCloseWindow(w);
    RuntimeUnlockObject(&w->header);
  }
}

TEST_F(WindowTest, PropertiesAreFoundByNameAndConvertedByType) {
  WindowObject *w = create(
      Description(kWindow, windowPairs({{"MacProcID", "1234"}, /* the property is MacProcId */
                                        {"HasBackColor", "true"},
                                        {"CloseBox", "Yes"},
                                        {"ZoomIcon", "1"},
                                        {"MinWidth", "-2147483648"},
                                        {"NoSuchProperty", "x"},
                                        {"Width", "250"},
                                        {"Left", "40"}}))); /* Width before Left */
  ASSERT_TRUE(w);
  EXPECT_EQ(w->macProcId, 1234);
  EXPECT_TRUE(w->hasBackColor);
  EXPECT_FALSE(w->closeBox);
  EXPECT_FALSE(w->zoomIcon);
  EXPECT_EQ(w->minWidth, 0);                        /* 16 bits of the most negative value */
  EXPECT_EQ(w->bounds.right - w->bounds.left, 250); /* moving kept the size */
  EXPECT_EQ(w->bounds.left, 40 + 10);
  RuntimeCloseWindow(w);
  RuntimeUnlockObject(&w->header);
}

TEST_F(WindowTest, ControlKeysAndPerNameRecords) {
  Description d(kWindow, windowPairs());
  d.control(kButton, buttonPairs("Radio", "0", {10, 10, 30, 90}))
      .control(kButton, buttonPairs("Radio", "1", {40, 10, 60, 90}))
      .control(kButton, buttonPairs("Single", kNone, {70, 10, 90, 90}));
  WindowObject *w = create(d);
  ASSERT_TRUE(w);
  EXPECT_TRUE(fetch(w, "radio$0"));
  EXPECT_TRUE(fetch(w, "RADIO$1"));
  EXPECT_TRUE(fetch(w, "Single"));
  EXPECT_FALSE(fetch(w, "Radio"));
  EXPECT_EQ(as_control(fetch(w, "Radio$1"))->arrayPosition, 1); /* what handlers read */
  int records = 0;
  for (NameRecord *r = w->names; r; r = r->next) records += name_is(r->name, "Radio");
  EXPECT_EQ(records, 1);
  EXPECT_EQ(windowControlCountGetter(w), 3);
  Object *second = windowControl(w, 1);
  EXPECT_EQ(second, fetch(w, "Radio$1"));
  RuntimeUnlockObject(second);
  RuntimeCloseWindow(w);
  RuntimeUnlockObject(&w->header);
}

TEST_F(WindowTest, EventsComeInOrderAndCloseRunsOnce) {
  Description d(kWindow, windowPairs());
  d.control(kButton, buttonPairs("A", kNone, {10, 10, 30, 90}))
      .control(kButton, buttonPairs("B", kNone, {40, 10, 60, 90}));
  Object *variable = nullptr;
  WindowObject *w = create(d, &variable);
  ASSERT_TRUE(w);
  EXPECT_EQ(variable, &w->header);
  RuntimeLockObject(variable); /* the compiled code's own reference */
  EXPECT_EQ(gLog, "A.CreatePane B.CreatePane A.Open B.Open window.Open ");
  gLog.clear();
  gCancelClose = true;
  RuntimeCloseWindow(w);
  EXPECT_EQ(gLog, "window.CancelClose ");
  EXPECT_TRUE(w->view);
  EXPECT_TRUE(fetch(w, "A"));
  gLog.clear();
  gCancelClose = false;
  replaceHandler(&window, "Close", (void *)closeAgain);
  RuntimeCloseWindow(w);
  EXPECT_EQ(gLog, "window.CancelClose A.Close B.Close window.Close! ");
  EXPECT_FALSE(w->view);
  EXPECT_FALSE(fetch(w, "A"));
  EXPECT_EQ(variable, nullptr); /* released and cleared with the native window */
  EXPECT_TRUE(gRecorder.boxes.empty());
  RuntimeUnlockObject(&w->header);
}

TEST_F(WindowTest, ClosingAControlRemovesTheKeyItWasInsertedWith) {
  Description d(kWindow, windowPairs());
  d.control(kButton, buttonPairs("Single", kNone, {10, 10, 30, 90}))
      .control(kButton, buttonPairs("Row", "0", {40, 10, 60, 90}))
      .control(kButton, buttonPairs("Row", "1", {40, 100, 60, 180}))
      .control(kButton, buttonPairs("Row", "2", {40, 200, 60, 280}));
  WindowObject *w = create(d);
  ASSERT_TRUE(w);
  int32_t live = RuntimeDebugObjectCount(nullptr);
  ControlClose(as_control(fetch(w, "Single")));
  EXPECT_FALSE(fetch(w, "Single"));
  EXPECT_EQ(RuntimeDebugObjectCount(nullptr), live - 1);
  Object *last = fetch(w, "Row$2");
  ControlClose(as_control(fetch(w, "Row$1")));
  EXPECT_EQ(fetch(w, "Row$1"), last); /* the later element moved down */
  EXPECT_EQ(as_control(last)->index, 1);
  EXPECT_FALSE(fetch(w, "Row$2"));
  RString *row = str_from("Row");
  Object *clone = RuntimeCloneControlReference(w, row);
  ASSERT_TRUE(clone);
  EXPECT_EQ(as_control(clone)->index, 2);
  EXPECT_TRUE(as_control(clone)->pane);
  RuntimeUnlockObject(clone);
  RuntimeUnlockString(row);
  gLog.clear();
  RuntimeCloseWindow(w);
  EXPECT_EQ(gLog, "window.CancelClose Row.Close Row.Close Row.Close window.Close ");
  EXPECT_TRUE(gRecorder.boxes.empty()); /* nothing released twice */
  RuntimeUnlockObject(&w->header);
}

// Native buttons whose parent is a tab control or a group box: those do not
// pass WM_COMMAND on, so the runtime reflects it to the button's pane.
TEST_F(WindowTest, ButtonsInsideTabControlsAndGroupBoxesDeliverAction) {
  Description d(kWindow, windowPairs({{"Visible", "True"}}));
  d.control(kTabs, buttonPairs("Tabs", kNone, {10, 10, 100, 140}))
      .control(kButton, buttonPairs("InTab", kNone, {40, 20, 60, 100}, {{"TabPanelIndex", "1"}}))
      .control(kGroup, buttonPairs("Group", kNone, {10, 150, 100, 290}))
      .control(kButton, buttonPairs("InGroup", kNone, {40, 160, 60, 280}));
  WindowObject *w = create(d);
  ASSERT_TRUE(w);
  ControlObject *inTab = as_control(fetch(w, "InTab")), *inGroup = as_control(fetch(w, "InGroup"));
  EXPECT_EQ(GetParent(inTab->pane->hwnd), as_control(fetch(w, "Tabs"))->pane->hwnd);
  EXPECT_EQ(GetParent(inGroup->pane->hwnd), as_control(fetch(w, "Group"))->pane->hwnd);
  window_pass();
  pump();
  gLog.clear();
  SendMessageA(inTab->pane->hwnd, BM_CLICK, 0, 0);
  SendMessageA(inGroup->pane->hwnd, BM_CLICK, 0, 0);
  pump();
  EXPECT_EQ(gLog, "InTab.Action InGroup.Action ");
  RuntimeCloseWindow(w);
  RuntimeUnlockObject(&w->header);
}

// The button's own procedure goes on after its click notification: its
// window is hidden at once and destroyed only when that procedure is done.
TEST_F(WindowTest, AButtonThatClosesItsWindowOutlivesItsOwnClick) {
  Description d(kWindow, windowPairs({{"Visible", "True"}}));
  d.control(kButton, buttonPairs("Done", kNone, {10, 10, 40, 110}));
  WindowObject *w = create(d);
  ASSERT_TRUE(w);
  window_pass();
  pump();
  HWND root = w->view->pane.hwnd, done = as_control(fetch(w, "Done"))->pane->hwnd;
  replaceHandler(&button, "Action", (void *)closeOwnWindow);
  gLog.clear();
  SendMessageA(done, BM_CLICK, 0, 0);
  EXPECT_EQ(gLog, "Done.Action window.CancelClose Done.Close window.Close ");
  EXPECT_FALSE(w->view);
  window_pass(); /* the loop's next iteration */
  EXPECT_FALSE(IsWindow(done));
  EXPECT_FALSE(IsWindow(root));
  EXPECT_TRUE(gRecorder.boxes.empty());
  RuntimeUnlockObject(&w->header);
}

TEST_F(WindowTest, LockedControlsFollowTheWindowOnceActivated) {
  Description d(kWindow, windowPairs());
  d.control(kButton, buttonPairs("Right", kNone, {10, 10, 30, 90}, {{"LockRight", "True"}}))
      .control(kButton, buttonPairs("Both", kNone, {40, 10, 60, 90},
                                    {{"LockLeft", "True"}, {"LockRight", "True"}}))
      .control(kButton, buttonPairs("Still", kNone, {70, 10, 90, 90}));
  WindowObject *w = create(d);
  ASSERT_TRUE(w);
  windowPosSetter(w, 2, 340); /* before the first activation: no Resized, controls follow */
  EXPECT_EQ(gLog.find("Resized"), std::string::npos);
  EXPECT_EQ(as_control(fetch(w, "Right"))->bounds.left, 50);
  gFirstActivation = true;
  gLog.clear();
  windowPosSetter(w, 2, 360);
  pump();
  EXPECT_EQ(gLog, "window.Resized "); /* once per change */
  ControlObject *right = as_control(fetch(w, "Right")), *both = as_control(fetch(w, "Both")),
                *still = as_control(fetch(w, "Still"));
  EXPECT_EQ(right->bounds.left, 70);
  EXPECT_EQ(right->bounds.right, 150);
  EXPECT_EQ(both->bounds.left, 10);
  EXPECT_EQ(both->bounds.right, 150);
  EXPECT_EQ(still->bounds.right, 90);
  RECT r;
  GetWindowRect(right->pane->hwnd, &r);
  EXPECT_EQ(r.right - r.left, 80);
  ShowWindow(w->view->pane.hwnd, SW_SHOWMINNOACTIVE); /* minimised: nothing shrinks */
  pump();
  EXPECT_EQ(w->bounds.right - w->bounds.left, 360);
  EXPECT_EQ(right->bounds.left, 70);
  RuntimeCloseWindow(w);
  RuntimeUnlockObject(&w->header);
}

TEST_F(WindowTest, AStyleCodeOutsideTheTableIsRefused) {
  gRecorder.answer = IDOK;
  WindowObject *w = create(Description(kWindow, windowPairs({{"Frame", "11"}})));
  EXPECT_FALSE(w);
  ASSERT_EQ(gRecorder.boxes.size(), 1u);
  EXPECT_NE(gRecorder.boxes[0].text.find("window"), std::string::npos);
  EXPECT_FALSE(gWindowList);
}

} // namespace
