// Full-screen mode and MDI mode of runtime windows: where a full-screen window
// goes and how it comes back, the MDI frame and its children, and the
// MDIWindow object's entries and events.
#include "objects/registry.h"
#include "recorder.h"
#include "lifecycle/application.h"
#include "startup/init.h"
#include "ui/msgbox.h"
#include "text/string.h"
#include "ui/mdi.h"
#include "ui/windowobject.h"
#include "ui/winclasses.h"
#include "ui/nativewindow.h"
#include <string>
#include <vector>

namespace {

const DWORD kFrameBits = WS_CAPTION | WS_THICKFRAME;
const Rect16 kBounds = {100, 120, 300, 420}; // top, left, bottom, right

std::string show(RECT r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}
std::string show(Rect16 r) { return show(rect_platform(r)); }

std::string contentOf(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  MapWindowPoints(hwnd, nullptr, (POINT *)&r, 2);
  return show(r);
}
std::string outerOf(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return show(r);
}
DWORD styleOf(HWND hwnd) { return (DWORD)GetWindowLongA(hwnd, GWL_STYLE); }
HWND activeChild() { return (HWND)SendMessageA(mdi_client(), WM_MDIGETACTIVE, 0, 0); }

class WindowModeTest : public RuntimeTest {
protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
    ui_register_window_classes();
    savedHooks = gLoopHooks, savedMenus = gMenuHooks;
    window_install();
    sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  }
  void TearDown() override {
    for (WindowObject *w : windows) {
      window_close_now(w);
      RuntimeUnlockObject(&w->header);
    }
    if (mdi_frame()) DestroyWindow(mdi_frame());
    gSettings.mdi = 0;
    gFirstActivation = false;
    gLoopHooks = savedHooks, gMenuHooks = savedMenus;
    RuntimeTest::TearDown();
  }

  // A Window of that Frame with its native window, placed and shown by the
  // window pass (unless hidden) as the loop would.
  WindowObject *open(int frame, bool growIcon, Rect16 bounds = kBounds, bool hidden = false) {
    static const int kStyleCodes[8] = {8, 3, 2, 1, 4, 5, 6, 9};
    WindowObject *w = (WindowObject *)CreateInstance(gWindowClass);
    w->frame = frame, w->growIcon = growIcon, w->menuBarVisible = 1;
    w->bounds = w->resizedBounds = w->restoreBounds = bounds;
    View *view = view_create(w, nullptr, bounds, kStyleCodes[frame], true, growIcon, false, 0);
    EXPECT_NE(view, nullptr);
    RuntimeLockObject(&w->header); /* the view's reference */
    w->view = view;
    windows.push_back(w);
    if (hidden) view_hide(view);
    window_pass();
    return w;
  }

  void startMdi() {
    gSettings.mdi = 1;
    mdi_start();
    ASSERT_NE(mdi_client(), nullptr);
  }

  std::vector<WindowObject *> windows;
  LoopHooks savedHooks;
  MenuHooks savedMenus;
  int sw, sh; // the screen
};

/* ---- full-screen mode ---- */

TEST_F(WindowModeTest, MsgBoxIsOwnedByTheVisibleModalWindowElseTheFirstDocumentWindow) {
  WindowObject *document = open(0, false);
  EXPECT_EQ(msgbox_owner(), document->view->pane.hwnd);
  WindowObject *modal = open(2, false);
  EXPECT_EQ(msgbox_owner(), modal->view->pane.hwnd);
  WindowObject *hidden = open(2, false, kBounds, true);
  EXPECT_EQ(msgbox_owner(), modal->view->pane.hwnd); /* the newest visible one */
  (void)hidden;
}

TEST_F(WindowModeTest, MsgBoxIsOwnedByTheFrameInMdiMode) {
  startMdi();
  open(0, false);
  EXPECT_EQ(msgbox_owner(), mdi_frame());
}

TEST_F(WindowModeTest, FullScreenCoversTheScreenAndLeavingRestoresTheSavedBounds) {
  static HMENU bar;
  gMenuHooks.bar = [] { return bar; };
  struct {
    int frame;
    bool growIcon, menu;
    DWORD restoredBits; // the frame bits the window has again afterwards
    Rect16 bounds;
  } cases[] = {
      {0, true, false, WS_CAPTION | WS_THICKFRAME, kBounds},
      {0, false, false, WS_CAPTION, kBounds},
      {2, false, false, WS_BORDER, kBounds},
      {4, false, false, WS_BORDER, kBounds},
      {4, true, false, WS_BORDER | WS_THICKFRAME, kBounds},
      {3, false, false, WS_CAPTION, kBounds},
      {6, false, false, WS_CAPTION, {-3000, -3000, -2800, -2700}}, /* on no screen: the first */
      {0, true, true, WS_CAPTION | WS_THICKFRAME, kBounds},        /* the menu bar stays on top */
  };
  for (auto &c : cases) {
    bar = c.menu ? CreateMenu() : nullptr;
    if (bar) AppendMenuA(bar, MF_STRING, 1, "File");
    WindowObject *w = open(c.frame, c.growIcon, c.bounds);
    HWND hwnd = w->view->pane.hwnd;
    int menu = c.menu ? GetSystemMetrics(SM_CYMENU) : 0;
    view_enter_full_screen(w->view);
    EXPECT_TRUE(w->fullScreen && w->view->fullScreen) << c.frame;
    EXPECT_EQ(styleOf(hwnd) & kFrameBits, 0u) << c.frame;
    EXPECT_EQ(outerOf(hwnd), show(RECT{-1, 0, sw + 1, sh})) << c.frame; /* a pixel to spare */
    EXPECT_EQ(contentOf(hwnd), show(RECT{-1, menu, sw + 1, sh})) << c.frame;
    EXPECT_EQ(show(w->bounds), contentOf(hwnd)) << c.frame;
    EXPECT_EQ(show(w->restoreBounds), show(c.bounds)) << c.frame;

    view_leave_full_screen(w->view);
    EXPECT_FALSE(w->fullScreen || w->view->fullScreen) << c.frame;
    EXPECT_EQ(styleOf(hwnd) & (kFrameBits | WS_BORDER), c.restoredBits) << c.frame;
    EXPECT_EQ(show(w->bounds), show(c.bounds)) << c.frame;
    EXPECT_EQ(contentOf(hwnd), show(c.bounds)) << c.frame;
    window_close_now(w); /* gives the bar back */
    if (bar) DestroyMenu(bar);
  }
}

TEST_F(WindowModeTest, EnteringOrLeavingTwiceChangesNothing) {
  WindowObject *w = open(0, true);
  HWND hwnd = w->view->pane.hwnd;
  view_enter_full_screen(w->view);
  view_enter_full_screen(w->view); /* must not keep the full-screen bounds as the way back */
  EXPECT_EQ(show(w->restoreBounds), show(kBounds));
  view_leave_full_screen(w->view);
  DWORD style = styleOf(hwnd);
  view_leave_full_screen(w->view);
  EXPECT_EQ(styleOf(hwnd), style);
  EXPECT_EQ(contentOf(hwnd), show(kBounds));
}

/* ---- MDI mode ---- */

TEST_F(WindowModeTest, MdiChildrenLiveInTheClientAndReachTheWindowProcedure) {
  startMdi();
  WindowObject *first = open(0, false), *w = open(0, true, kBounds, true);
  HWND hwnd = w->view->pane.hwnd;
  char className[32] = "";
  GetClassNameA(hwnd, className, sizeof className);
  EXPECT_STREQ(className, "QX_MDICHILD");
  EXPECT_EQ(GetParent(hwnd), mdi_client());
  EXPECT_EQ((View *)GetWindowLongPtrA(hwnd, 0), w->view);
  EXPECT_EQ(styleOf(first->view->pane.hwnd) & WS_THICKFRAME, 0u); /* its Frame's own style */
  EXPECT_EQ(contentOf(hwnd), show(kBounds));
  EXPECT_FALSE(IsWindowVisible(hwnd)); /* Visible = False holds in MDI mode too */
  EXPECT_TRUE(first->view->active);

  w->view->visible = 1; /* shown by the window pass, it becomes the active child */
  window_pass();
  EXPECT_EQ(activeChild(), hwnd);
  EXPECT_TRUE(w->view->active && !first->view->active);
  SetWindowPos(hwnd, nullptr, 7, 9, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(show(w->bounds), contentOf(hwnd)); /* recorded in screen coordinates */
  RECT inClient;
  GetWindowRect(hwnd, &inClient);
  MapWindowPoints(nullptr, mdi_client(), (POINT *)&inClient, 2);
  SetWindowPos(mdi_frame(), nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  window_pass(); /* the child goes with the frame and stays put inside the client */
  EXPECT_EQ(show(w->bounds), contentOf(hwnd));
  RECT after;
  GetWindowRect(hwnd, &after);
  MapWindowPoints(nullptr, mdi_client(), (POINT *)&after, 2);
  EXPECT_EQ(show(after), show(inClient));
}

TEST_F(WindowModeTest, AnMdiChildKnowsItsViewFromItsCreation) {
  startMdi();
  View view = {}; /* no native window yet: its messages take the default way */
  HWND hwnd = mdi_create_child(&view, "child", WS_CAPTION, 200, 100);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ((View *)GetWindowLongPtrA(hwnd, 0), &view);
  mdi_destroy_child(hwnd);
}

TEST_F(WindowModeTest, MenuCommandsOfTheFrameGoToTheActiveChild) {
  static View *seenView;
  static int seenId;
  gMenuHooks.command = [](View *view, int id) { seenView = view, seenId = id; };
  startMdi();
  struct {
    bool withChild;
    WPARAM command;
    int expectedId; // 0: not a menu command
  } cases[] = {{false, 42, 42}, {true, 43, 43}, {true, MAKEWPARAM(44, 1), 44}, {true, 3000, 0}};
  for (auto &c : cases) {
    if (c.withChild && windows.empty()) open(0, true);
    seenView = nullptr, seenId = 0;
    SendMessageA(mdi_frame(), WM_COMMAND, c.command, 0);
    EXPECT_EQ(seenId, c.expectedId) << c.command;
    EXPECT_EQ(seenView, c.expectedId && c.withChild ? windows[0]->view : nullptr) << c.command;
  }
}

TEST_F(WindowModeTest, MdiFullScreenTakesTheFrameAlongAndGivesItBackAfterTheLastChild) {
  startMdi();
  HWND frame = mdi_frame(), client = mdi_client();
  std::string frameBefore = outerOf(frame);
  WindowObject *w = open(0, true), *other = open(0, true, {150, 160, 350, 460});
  HWND hwnd = w->view->pane.hwnd;
  int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);

  view_enter_full_screen(w->view);
  EXPECT_EQ(styleOf(frame) & kFrameBits, 0u);
  EXPECT_EQ(outerOf(frame), show(RECT{0, 0, sw + cx, sh + cy}));
  EXPECT_EQ(outerOf(client), show(RECT{0, 0, sw + cx, sh + cy})); /* its scroll bars off screen */
  RECT child;
  GetWindowRect(hwnd, &child);
  MapWindowPoints(nullptr, client, (POINT *)&child, 2);
  EXPECT_EQ(show(child), show(RECT{0, 0, sw, sh}));
  EXPECT_EQ(show(w->bounds), contentOf(hwnd));
  EXPECT_EQ(show(w->view->mdiFrameRestore), frameBefore);

  view_enter_full_screen(other->view);
  view_leave_full_screen(w->view);
  EXPECT_EQ(styleOf(frame) & kFrameBits, 0u); /* the other child still fills the screen */
  view_leave_full_screen(other->view);
  EXPECT_EQ(styleOf(frame) & kFrameBits, (DWORD)kFrameBits);
  EXPECT_EQ(outerOf(frame), frameBefore);
  EXPECT_EQ(contentOf(hwnd), show(kBounds));
  EXPECT_EQ(show(w->bounds), show(kBounds));
}

/* ---- the MDIWindow object ---- */

TEST_F(WindowModeTest, MdiWindowPropertiesSpeakForTheFrame) {
  startMdi();
  HWND frame = mdi_frame();
  MdiWindowObject *o = mdi_window();
  const int32_t position[4] = {50, 60, 500, 400};
  for (int32_t which = 0; which < 4; which++) MDIWindowPosSetter(o, which, position[which]);
  for (int32_t which = 0; which < 4; which++)
    EXPECT_EQ(MDIWindowPosGetter(o, which), position[which]) << which;
  EXPECT_EQ(contentOf(frame), show(RECT{50, 60, 550, 460}));

  RString *title = str_from("Bearing capacity"), *back;
  MDIWindowTitleSetter(o, 0, title);
  EXPECT_STREQ(str_cview(back = MDIWindowTitleGetter(o, 0)), "Bearing capacity");
  RuntimeUnlockString(back);
  RuntimeUnlockString(title);

  EXPECT_TRUE(MDIWindowVisibleGetter(o, 0));
  for (bool visible : {false, true}) {
    MDIWindowVisibleSetter(o, 0, visible);
    EXPECT_EQ(MDIWindowVisibleGetter(o, 0), visible);
    EXPECT_EQ(bool(IsWindowVisible(frame)), visible);
  }
}

TEST_F(WindowModeTest, DraggingTheFrameKeepsItsContentWithinMinAndMax) {
  startMdi();
  MdiWindowObject *o = mdi_window();
  o->minWidth = 300, o->maxWidth = 500, o->minHeight = 200, o->maxHeight = 0;
  RECT over = {0, 0, 0, 0};
  AdjustWindowRectEx(&over, styleOf(mdi_frame()), FALSE, 0);
  struct {
    WPARAM edge;
    RECT dragged, expected; // of the content: the frame's overhead is added to both
  } cases[] = {
      {WMSZ_BOTTOMRIGHT, {100, 100, 200, 150}, {100, 100, 400, 300}}, /* both minimums */
      {WMSZ_LEFT, {0, 100, 900, 400}, {400, 100, 900, 400}},          /* the left edge moves */
      {WMSZ_TOP, {100, 0, 500, 5000}, {100, 0, 500, 5000}},           /* no maximum height */
      {WMSZ_TOPLEFT, {400, 400, 500, 500}, {200, 300, 500, 500}},
  };
  for (auto &c : cases) {
    RECT r = c.dragged, e = c.expected;
    for (RECT *x : {&r, &e})
      x->right += over.right - over.left, x->bottom += over.bottom - over.top;
    SendMessageA(mdi_frame(), WM_SIZING, c.edge, (LPARAM)&r);
    EXPECT_EQ(show(r), show(e)) << c.edge;
  }
}

std::vector<std::string> gEvents;
bool gFrameShownAtOpen;

TEST_F(WindowModeTest, TheImagesMdiWindowOpensWithTheFrameThenHearsMovesAndSizes) {
  ClassDef declaring, handling; /* MDIWindow's events as an image class declares them, */
  class_setup(&declaring);      /* and a class below it that handles them */
  declaring.superclass = registry_find("MDIWindow");
  class_setup(&handling);
  handling.superclass = &declaring;
  declaring.instanceSize = handling.instanceSize = 56;
  struct {
    const char *name;
    void (*handler)(Object *);
  } events[] = {{"Open",
                 [](Object *) {
                   gEvents.push_back("Open");
                   gFrameShownAtOpen = IsWindowVisible(mdi_frame());
                 }},
                {"Resized", [](Object *) { gEvents.push_back("Resized"); }},
                {"Moved", [](Object *) { gEvents.push_back("Moved"); }}};
  for (auto &e : events) {
    class_add_event(&declaring, e.name, nullptr, nullptr, 0);
    RString *name = str_from(e.name);
    class_add_handler(&handling, name, 0, (void *)e.handler);
    RuntimeUnlockString(name);
  }
  ClassDef *table[] = {&declaring, &handling};
  gClassTable = table, gClassCount = 2;
  gEvents.clear();

  startMdi();
  MdiWindowObject *o = mdi_window();
  EXPECT_EQ(o->header.cls, &handling);
  EXPECT_EQ(gEvents, std::vector<std::string>{"Open"});
  EXPECT_TRUE(gFrameShownAtOpen);
  struct {
    int32_t which, value;
    const char *event; // nil: nothing changed, nothing reported
  } steps[] = {{0, 40, "Moved"}, {2, 480, "Resized"}, {2, 480, nullptr}, {1, 70, "Moved"}};
  for (auto &s : steps) {
    gEvents.clear();
    MDIWindowPosSetter(o, s.which, s.value);
    EXPECT_EQ(gEvents, s.event ? std::vector<std::string>{s.event} : std::vector<std::string>{})
        << s.which << " " << s.value;
  }
  EXPECT_EQ(show(o->bounds), contentOf(mdi_frame()));

  DestroyWindow(mdi_frame()); /* the frame's object goes with it, before its classes */
  EXPECT_EQ(mdi_window(), nullptr);
  gClassTable = nullptr, gClassCount = 0;
  class_teardown(&handling);
  class_teardown(&declaring);
}

} // namespace
