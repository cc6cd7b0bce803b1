// Canvas on real panes: the transparent style without Paint, Paint's own
// Graphics detached after it, the kept Graphics, the backdrop cut at the
// edges, the mouse in canvas coordinates with tracking, focus and Tab, and
// Scroll with the controls on the canvas, saturating at the 16-bit edge.
#include "compiled.h"
#include "describe.h"
#include "recorder.h"
#include "graphics/graphics.h"
#include "objects/builtins.h"
#include "ui/canvas.h"
#include "ui/keyboard.h"
#include "ui/plugincontrol.h"

namespace {

using namespace describe;

std::string gLog;
bool gAnswer;
GraphicsObject *gKept; // the Graphics a Paint handler held on to

// Paint fills the canvas's top-left 5 x 5 in green.
void onPaint(Object *, GraphicsObject *g) {
  gLog += g ? "Paint " : "Paint(nil) ";
  graphicsForeColorSetter(g, 0, 0x00FF00);
  RuntimeGraphicsFillRect(g, 0, 0, 5, 5);
  if (!gKept) gKept = (GraphicsObject *)RuntimeLockObject(&g->header);
}
bool onMouseDown(Object *, int32_t x, int32_t y) {
  gLog += "Down " + std::to_string(x) + "," + std::to_string(y) + " ";
  return gAnswer;
}
void onMouseDrag(Object *, int32_t x, int32_t y) {
  gLog += "Drag " + std::to_string(x) + "," + std::to_string(y) + " ";
}
void onMouseUp(Object *, int32_t x, int32_t y) {
  gLog += "Up " + std::to_string(x) + "," + std::to_string(y) + " ";
}
bool onKeyDown(Object *o, RString *key) {
  gLog += std::string(str_cview(as_control(o)->name)) + ".Key" +
          std::to_string((int)(uint8_t)str_cview(key)[0]) + " ";
  return true;
}
void onGotFocus(Object *o) { gLog += std::string(str_cview(as_control(o)->name)) + ".Got "; }

class CanvasTest : public RuntimeTest {
protected:
  enum { kWindow, kPlain, kDrawn, kClasses };
  ClassDef window, plain, drawn;
  ClassDef *table[kClasses] = {&window, &plain, &drawn};
  WindowObject *w = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    gLog.clear();
    gAnswer = false;
    gKept = nullptr;
    derive(&window, "TestWindow", gWindowClass, 120);
    derive(&plain, "PlainCanvas", registry_find("Canvas"), 108);
    derive(&drawn, "DrawnCanvas", registry_find("Canvas"), 108);
    addHandler(&drawn, "Paint", (void *)onPaint);
    addHandler(&drawn, "MouseDown", (void *)onMouseDown);
    addHandler(&drawn, "MouseDrag", (void *)onMouseDrag);
    addHandler(&drawn, "MouseUp", (void *)onMouseUp);
    addHandler(&drawn, "KeyDown", (void *)onKeyDown);
    addHandler(&drawn, "GotFocus", (void *)onGotFocus);
  }
  void TearDown() override {
    if (gKept) RuntimeUnlockObject(&gKept->header);
    close_test_window(w);
    retire_test_classes({&window, &plain, &drawn});
    RuntimeTest::TearDown();
  }

  static Pairs at(const char *name, Rect16 r, Pairs extra = {}) {
    return placed(name, "-2147483648", r, extra);
  }
  void open(std::vector<std::pair<int, Pairs>> controls) {
    Description d(kWindow, {{"Name", "W"}, {"Frame", "0"}, {"Width", "400"}, {"Height", "300"}});
    for (auto &[cls, pairs] : controls) d.control(cls, pairs);
    gClassTable = table;
    gClassCount = kClasses;
    w = open_window(d);
    ASSERT_TRUE(w);
    window_pass();
    pump();
  }
  CanvasObject *canvas(const char *name) { return (CanvasObject *)control_named(w, name); }
  static HWND hwnd(CanvasObject *c) { return c->control.pane->hwnd; }
  HWND root() { return w->view->pane.hwnd; }
  static Rect16 bounds(CanvasObject *c) { return c->control.bounds; }
  // What the canvas's pane paints, lent its drawing context as its paint
  // would (in window coordinates), on a white picture of the window's size:
  // the window need not be on screen.
  PictureObject *painted(CanvasObject *c) {
    PictureObject *picture = picture_new(400, 300, 32);
    HDC dc = picture_dc(picture_image(picture));
    Pane *p = c->control.pane;
    p->dc = dc;
    p->kind->draw(p, dc);
    p->dc = nullptr;
    GdiFlush();
    return picture;
  }
  // The colour the canvas paints at a point of the window's content, 0xRRGGBB.
  uint32_t shown(CanvasObject *c, int x, int y) {
    PictureObject *picture = painted(c);
    PictureImage *image = picture_image(picture);
    uint32_t colour = image->bits[y * image->width + x] & 0xFFFFFF;
    RuntimeUnlockObject(&picture->header);
    return colour;
  }
};

TEST_F(CanvasTest, PaintDrawsInCanvasCoordinatesAndOnlyACanvasWithoutPaintIsTransparent) {
  open({{kPlain, at("P", {10, 10, 50, 50})}, {kDrawn, at("D", {10, 60, 50, 100})}});
  EXPECT_TRUE(GetWindowLongA(hwnd(canvas("P")), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  EXPECT_FALSE(GetWindowLongA(hwnd(canvas("D")), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  CanvasObject *d = canvas("D");
  EXPECT_EQ(shown(d, 60, 10), 0x00FF00u); /* the canvas's (0, 0) */
  EXPECT_EQ(shown(d, 64, 14), 0x00FF00u);
  EXPECT_EQ(shown(d, 65, 15), 0xFFFFFFu);
  EXPECT_EQ(gLog.substr(0, 6), "Paint ");
  ASSERT_TRUE(gKept && gKept->port);
  EXPECT_EQ(gKept->port->target, nullptr); /* a Graphics kept from Paint draws nothing */
  RuntimeGraphicsFillRect(gKept, 0, 0, 50, 50);
}

TEST_F(CanvasTest, GraphicsIsNilWithoutAPaneThenOneObjectDetachedWhenThePaneGoes) {
  CanvasObject *loose = (CanvasObject *)CreateInstance(&plain);
  EXPECT_EQ(canvasGraphicsGetter(loose, 0), nullptr);
  RuntimeUnlockObject(&loose->control.header);
  open({{kPlain, at("P", {10, 10, 50, 50})}});
  Object *first = canvasGraphicsGetter(canvas("P"), 0);
  Object *second = canvasGraphicsGetter(canvas("P"), 0);
  ASSERT_TRUE(first);
  EXPECT_EQ(first, second);
  RuntimeUnlockObject(second);
  close_test_window(w);
  EXPECT_EQ(((GraphicsObject *)first)->port->target, nullptr);
  RuntimeUnlockObject(first);
}

TEST_F(CanvasTest, ABackdropIsCutAtTheCanvasEdgesNotScaled) {
  open({{kPlain, at("P", {20, 30, 60, 90})}}); /* left 30, top 20: 60 wide, 40 high */
  PictureObject *picture = picture_new(100, 80, 32);
  ASSERT_TRUE(picture);
  PictureImage *image = picture_image(picture);
  GdiFlush();
  for (int32_t y = 0; y < image->height; y++)
    for (int32_t x = 0; x < image->width; x++)
      image->bits[y * image->width + x] = x < 30 ? 0xFF0000 : 0x0000FF; /* red, then blue */
  canvasBackdropSetter(canvas("P"), 0, &picture->header);
  RuntimeUnlockObject(&picture->header); /* the canvas keeps it */
  CanvasObject *c = canvas("P");
  const uint32_t red = 0xFF0000, blue = 0x0000FF, white = 0xFFFFFF;
  EXPECT_EQ(shown(c, 35, 25), red);   /* picture (5, 5) */
  EXPECT_EQ(shown(c, 89, 59), blue);  /* picture (59, 39): the canvas's last pixel */
  EXPECT_EQ(shown(c, 90, 35), white); /* beyond the right edge */
  EXPECT_EQ(shown(c, 35, 60), white); /* beyond the bottom edge */
  canvasBackdropSetter(c, 0, nullptr);
  EXPECT_EQ(shown(c, 35, 25), white);
}

TEST_F(CanvasTest, TheMouseArrivesInCanvasCoordinatesAndIsTrackedOnlyAfterTrue) {
  open({{kDrawn, at("D", {20, 30, 120, 130})}}); /* left 30, top 20 */
  for (bool answer : {true, false}) {
    gAnswer = answer;
    gLog.clear();
    SendMessageA(hwnd(canvas("D")), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 7));
    SendMessageA(root(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(45, 50)); /* window coordinates */
    SendMessageA(root(), WM_LBUTTONUP, 0, MAKELPARAM(46, 52));
    pump();
    EXPECT_EQ(gLog, answer ? "Down 5,7 Drag 15,30 Up 16,32 " : "Down 5,7 ") << answer;
  }
}

TEST_F(CanvasTest, TabPassesOverACanvasThatRefusesFocusAndReachesKeyDownWithAcceptTabs) {
  open({{kDrawn, at("A", {10, 10, 50, 50}, {{"AcceptFocus", "True"}})},
        {kDrawn, at("B", {10, 60, 50, 100}, {{"AcceptFocus", "False"}})},
        {kDrawn, at("C", {10, 110, 50, 150}, {{"AcceptFocus", "True"}, {"AcceptTabs", "True"}})}});
  pane_set_focus(canvas("A")->control.pane);
  gLog.clear();
  keyboard_key_down(root(), VK_TAB, 0); /* A does not take Tab: the focus moves on, past B */
  EXPECT_EQ(pane_focus(), canvas("C")->control.pane);
  keyboard_key_down(root(), VK_TAB, 0); /* C takes it */
  keyboard_key_down(root(), 'Q', kModShift);
  EXPECT_EQ(pane_focus(), canvas("C")->control.pane);
  EXPECT_EQ(gLog, "C.Got C.Key9 C.Key81 ");
}

TEST_F(CanvasTest, ScrollMovesTheControlsOfTheCanvasAndOfCanvasesWithinIt) {
  open({{kPlain, at("Outer", {10, 10, 110, 210})},
        {kPlain, at("Inner", {20, 20, 80, 120})},
        {kPlain, at("Deep", {30, 30, 50, 60})},
        {kPlain, at("Away", {150, 10, 180, 60})}});
  CanvasObject *outer = canvas("Outer");
  auto lefts = [&] {
    std::string s;
    for (const char *n : {"Outer", "Inner", "Deep", "Away"})
      s += std::to_string(bounds(canvas(n)).left) + " ";
    return s;
  };
  canvasScroll(outer, 0, 0, 0, 0, kWholeSide, kWholeSide, true);
  EXPECT_EQ(lefts(), "10 20 30 10 ");
  canvasScroll(outer, 10, 0, 0, 0, kWholeSide, kWholeSide, true);
  EXPECT_EQ(lefts(), "10 30 40 10 ");
  EXPECT_EQ(canvas("Deep")->control.pane->bounds.left, 40);
  canvasScroll(outer, 10, 0, 0, 0, 50, 50, false);
  EXPECT_EQ(lefts(), "10 30 40 10 ");
  for (int i = 0; i < 3; i++) canvasScroll(outer, 20000, 0, 0, 0, kWholeSide, kWholeSide, true);
  Rect16 deep = bounds(canvas("Deep"));
  EXPECT_EQ(deep.right, INT16_MAX); /* held at the edge, not wrapped to the far side */
  EXPECT_GT(deep.left, 0);
}

} // namespace

namespace {

// The plug-in drawing helpers: a Graphics for a control's pane, and a device
// context only where one stays valid after the call.
TEST_F(CanvasTest, PlugInsGetAPaneGraphicsAndOnlyContextsThatStayValid) {
  open({{kPlain, at("P", {10, 10, 50, 50})}});
  Pane *pane = canvas("P")->control.pane;
  Object *g = KARUGetControlGraphics(&canvas("P")->control.header);
  ASSERT_TRUE(g);
  EXPECT_EQ(((GraphicsObject *)g)->port->target, &pane->drawing);
  EXPECT_EQ(KARUGraphicsDC(g), nullptr); /* the window's context goes back after each use */
  PictureObject *picture = picture_new(8, 8, 32);
  Object *pg = pictureGraphicsGetter(picture, 0);
  EXPECT_EQ(KARUGraphicsDC(pg), picture_dc(picture_image(picture)));
  EXPECT_EQ(KARUGraphicsDC(&picture->header), nullptr); /* not a Graphics */
  EXPECT_EQ(KARUGraphicsDC(nullptr), nullptr);
  EXPECT_EQ(KARUGetControlGraphics(nullptr), nullptr);
  for (Object *o : {g, pg, &picture->header}) RuntimeUnlockObject(o);
}

} // namespace
