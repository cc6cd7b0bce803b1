// The pane tree on a real runtime window: tab visibility, hit testing order,
// focus handed on by a LostFocus handler, hiding down the tree, clipping by a
// container canvas, deferred disposal, and the font and colour services.
#include "compiled.h"
#include "describe.h"
#include "objects/registry.h"
#include "recorder.h"
#include "startup/loader.h"
#include "lifecycle/exception.h"
#include "text/string.h"
#include "ui/fonts.h"
#include "ui/control.h"
#include "ui/windowobject.h"
#include "ui/nativewindow.h"
#include "ui/winclasses.h"
#include <string>

namespace {

std::string gLog;
bool gAccept;         // what the logging panes answer to a mouse down
Pane *gRedirectFocus; // where a pane's focus loss sends the focus

struct NamedPane {
  Pane pane;
  char name;
};
char nameOf(Pane *p) { return ((NamedPane *)p)->name; }

bool logDown(Pane *p, POINT, int) {
  gLog += nameOf(p);
  return gAccept;
}
void logGot(Pane *p) { gLog += std::string("+") + nameOf(p); }
void logLost(Pane *p) {
  gLog += std::string("-") + nameOf(p);
  if (gRedirectFocus) pane_set_focus(gRedirectFocus);
}
const PaneKind kLogging = {
    .name = "logging", .mouseDown = logDown, .gotFocus = logGot, .lostFocus = logLost};

class PaneTest : public RuntimeTest {
protected:
  WindowObject *window = nullptr;
  View *view = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    describe::set_up_windows();
    gLog.clear();
    gAccept = false;
    gRedirectFocus = nullptr;
    window = (WindowObject *)CreateInstance(gWindowClass);
    window->bounds = {100, 100, 300, 400};
    view = view_create(window, nullptr, window->bounds, 0, true, false, false, 0);
    ASSERT_TRUE(view);
    ShowWindow(view->pane.hwnd, SW_SHOWNOACTIVATE);
  }
  void TearDown() override {
    pane_set_focus(nullptr);
    view_destroy(view);
    RuntimeUnlockObject(&window->header);
    RuntimeTest::TearDown();
  }
  Pane *make(char name, Rect16 r, const char *nativeClass = nullptr, int32_t tab = 0) {
    Pane *p = pane_create(&kLogging, sizeof(NamedPane), &view->pane, r, tab, nativeClass, "",
                          nativeClass && !strcmp(nativeClass, "BUTTON") ? WS_TABSTOP : 0, 0);
    if (p) ((NamedPane *)p)->name = name;
    return p;
  }
};

TEST_F(PaneTest, APaneOffItsTabStaysHiddenUntilTheTabIsChosen) {
  Pane *p = make('a', {10, 10, 40, 100}, "QX_Pane", 2);
  pane_set_tab_visible(p, false);
  pane_set_shown(p, false);
  pane_set_shown(p, true);
  EXPECT_FALSE(IsWindowVisible(p->hwnd));
  EXPECT_FALSE(pane_on_screen(p));
  pane_set_tab_visible(p, true);
  EXPECT_TRUE(IsWindowVisible(p->hwnd));
  Pane *plain = make('b', {50, 10, 80, 100}, "QX_Pane"); /* no tab: follows shown alone */
  pane_set_shown(plain, false);
  EXPECT_FALSE(plain->tabVisible);
  EXPECT_FALSE(IsWindowVisible(plain->hwnd));
}

TEST_F(PaneTest, TheFrontMostPaneIsAskedFirstAndADeclinedClickGoesBehind) {
  make('a', {10, 10, 100, 100});
  make('b', {50, 50, 150, 150});
  pane_mouse_down(&view->pane, {60, 60}, 0);
  EXPECT_EQ(gLog, "ba");
  gLog.clear();
  gAccept = true;
  pane_mouse_down(&view->pane, {60, 60}, 0);
  EXPECT_EQ(gLog, "b");
  gLog.clear();
  pane_mouse_down(&view->pane, {20, 20}, 0);
  EXPECT_EQ(gLog, "a");
}

TEST_F(PaneTest, ALostFocusHandlerThatMovesTheFocusWins) {
  Pane *a = make('a', {10, 10, 30, 90}, "BUTTON");
  Pane *b = make('b', {40, 10, 60, 90}, "BUTTON");
  Pane *c = make('c', {70, 10, 90, 90}, "BUTTON");
  pane_set_focus(a);
  gRedirectFocus = c;
  pane_set_focus(b);
  gRedirectFocus = nullptr;
  EXPECT_EQ(pane_focus(), c);
  EXPECT_EQ(gLog, "+a-a+c"); /* b never gained it */
  pane_set_enabled(c, false, true);
  EXPECT_EQ(pane_focus(), nullptr); /* disabling the focused pane clears the focus */
  EXPECT_EQ(view->focusPane, nullptr);
}

TEST_F(PaneTest, HidingAWindowsRootHidesEveryPaneBelowIt) {
  Pane *a = make('a', {10, 10, 30, 90}, "QX_Pane");
  Pane *b = make('b', {40, 10, 60, 90}, "BUTTON");
  pane_request(&view->pane, kPaneHide);
  EXPECT_FALSE(a->shown);
  EXPECT_FALSE(b->shown);
  EXPECT_FALSE(IsWindowVisible(b->hwnd));
  pane_request(&view->pane, kPaneShow);
  EXPECT_TRUE(IsWindowVisible(b->hwnd));
}

TEST_F(PaneTest, AControlInsideACanvasIsClippedToItForHitTesting) {
  ControlObject *canvas = (ControlObject *)CreateInstance(gRectControlClass);
  ControlObject *inner = (ControlObject *)CreateInstance(gRectControlClass);
  canvas->pane = make('c', {10, 10, 60, 60});
  Pane *p = make('i', {40, 40, 100, 100});
  inner->container = canvas;
  pane_set_owner(p, &inner->header);
  gAccept = true;
  pane_mouse_down(&view->pane, {80, 80}, 0); /* inside the control, outside its canvas */
  EXPECT_EQ(gLog, "");
  pane_mouse_down(&view->pane, {50, 50}, 0);
  EXPECT_EQ(gLog, "i");
  pane_dispose(p);
  canvas->pane = nullptr;
  RuntimeUnlockObject(&inner->header);
  RuntimeUnlockObject(&canvas->header);
}

TEST_F(PaneTest, APaneDisposedDuringItsEventGoesWhenTheEventEnds) {
  Pane *p = make('a', {10, 10, 30, 90}, "QX_Pane");
  HWND hwnd = p->hwnd;
  Ongoing event = {.pane = p};
  ongoing_begin(&event);
  pane_dispose(p);
  pane_dispose(p); /* at most once */
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_TRUE(ongoing_end(&event)); /* gone now */
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(view->pane.firstChild, nullptr);
  EXPECT_TRUE(gRecorder.boxes.empty());
}

// A compiled routine that catches whatever its call of deliver raises, as
// when code pushes a button whose Action handler closes the button's window
// and then fails: the event is over all the same, so the pane goes and the
// receiver is let go.
TEST_F(PaneTest, AnEventLeftByAnExceptionIsOverAllTheSame) {
  using namespace compiled;
  Pane *p = make('a', {10, 10, 30, 90}, "QX_Pane");
  HWND hwnd = p->hwnd;
  ClassDef *classes[] = {gRuntimeExceptionClass};
  gClassTable = classes;
  gClassCount = 1;
  Machine m;
  Code handler; /* disposes of the pane, then raises */
  enter(handler, 1);
  handler.push(int32_t(uintptr_t(p)));
  callAt(handler, (void *)pane_dispose, 1);
  callAt(handler, (void *)RuntimeNilObject);
  m.place(2, handler);
  ClassDef pushable, cls;
  describe::derive(&pushable, "Pushable", &gObjectClass, 16);
  class_add_event(&pushable, "Action", nullptr, nullptr, 1);
  describe::derive(&cls, "Raiser", &pushable, 16);
  describe::addHandler(&cls, "Action", m.at(2));
  Object *receiver = CreateInstance(&cls);
  static const char kAction[] = "Action";
  int32_t caught = 0;
  Code pusher;
  enter(pusher, 1);
  for (int32_t word :
       {0, 0, int32_t(uintptr_t(kAction)), int32_t(uintptr_t(p)), int32_t(uintptr_t(receiver))})
    pusher.push(word);
  callAt(pusher, (void *)&deliver, 5);
  CodeLabel caughtHere = pusher.here();
  pusher.mov(eax, mem(ebp, -4));
  storeEax(pusher, &caught);
  m.place(1, pusher, {catchOf(0, caughtHere)});
  m.run(1);
  ASSERT_NE(caught, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(view->pane.firstChild, nullptr);
  EXPECT_EQ(receiver->refs, 1);
  RuntimeUnlockObject((Object *)caught);
  RuntimeUnlockObject(receiver);
  class_teardown(&cls);
  class_teardown(&pushable);
  gClassTable = nullptr;
  gClassCount = 0;
}

TEST(FontTest, ClassicNamesMapAndEqualFontsAreShared) {
  EXPECT_STREQ(font_face("geneva"), "MS Sans Serif");
  EXPECT_STREQ(font_face("Osaka"), "MS UI Gothic");
  EXPECT_STREQ(font_face("Arial"), "Arial");
  int before = font_cache_count();
  HFONT a = font_acquire("geneva", 0, false, false, false);
  HFONT b = font_acquire("System", 0, false, false, false);
  HFONT bold = font_acquire("Geneva", 0, true, false, false);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, bold);
  LOGFONTA f;
  GetObjectA(a, sizeof f, &f);
  EXPECT_STREQ(f.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(f.lfHeight, -12);
  GetObjectA(bold, sizeof f, &f);
  EXPECT_EQ(f.lfWeight, 700);
  EXPECT_EQ(font_cache_count(), before + 2);
  font_release(a);
  font_release(b);
  font_release(bold);
  EXPECT_EQ(font_cache_count(), before);
  std::string longName(80, 'x'); /* capped to the platform's face-name size */
  HFONT capped = font_acquire(longName.c_str(), 9, false, false, false);
  ASSERT_TRUE(capped);
  font_release(capped);
}

TEST(FontTest, SystemColoursComeInBothForms) {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  SystemColour c = system_colour(1);
  EXPECT_EQ(c.rgb, (int32_t)(GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face)));
  EXPECT_EQ(c.red, GetRValue(face) * 257);
  EXPECT_NE(system_colour(3).rgb, system_colour(4).rgb);
}

} // namespace
