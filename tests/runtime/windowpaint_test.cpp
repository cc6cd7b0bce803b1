// A window's drawing on screen: the Backdrop picture, then the Paint event
// with a Graphics that draws on the window and is detached when the paint
// ends, and the window's own Graphics outside painting. Pixels are read back
// from the window's device context.
#include "describe.h"
#include "recorder.h"
#include "graphics/graphics.h"
#include "ui/panegraphics.h"

extern "C" void windowBackdropSetter(WindowObject *w, int32_t, Object *picture);

namespace {

using namespace describe;

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);

GraphicsObject *gKept; // the first Paint's Graphics, kept past its paint
int gPaints;

void onPaint(Object *, GraphicsObject *g) {
  gPaints++;
  graphicsForeColorSetter(g, 0, 0xFF0000);
  RuntimeGraphicsFillRect(g, 10, 10, 20, 20);
  if (!gKept) {
    RuntimeLockObject(&g->header);
    gKept = g;
  }
}

DWORD WINAPI fillFromAnotherThread(void *arg) {
  RuntimeGraphicsFillRect((GraphicsObject *)arg, 120, 20, 10, 10);
  return 0;
}

class WindowPaintTest : public RuntimeTest {
protected:
  ClassDef window;
  ClassDef *table[1] = {&window};
  WindowObject *w = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    gKept = nullptr;
    gPaints = 0;
    derive(&window, "PaintWindow", gWindowClass, 120);
    addHandler(&window, "Paint", (void *)onPaint);
    gClassTable = table;
    gClassCount = 1;
  }
  void TearDown() override {
    if (gKept) RuntimeUnlockObject(&gKept->header);
    close_test_window(w);
    retire_test_classes({&window});
    RuntimeTest::TearDown();
  }

  COLORREF at(int x, int y) {
    HDC dc = GetDC(w->view->pane.hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(w->view->pane.hwnd, dc);
    return c;
  }
  void repaint() {
    InvalidateRect(w->view->pane.hwnd, nullptr, TRUE);
    UpdateWindow(w->view->pane.hwnd);
    pump();
  }
};

TEST_F(WindowPaintTest, PaintDrawsOnTheWindowAfterTheBackdropAndItsGraphicsEndsWithIt) {
  w = open_window(Description(0, {{"Name", "W"},
                                  {"Frame", "0"},
                                  {"Title", "Paint"},
                                  {"Visible", "True"},
                                  {"Width", "200"},
                                  {"Height", "150"}}));
  ASSERT_TRUE(w);
  window_pass();
  PictureObject *backdrop = picture_new(40, 40, 32);
  for (int32_t i = 0; i < 40 * 40; i++) backdrop->image->bits[i] = 0x00FF00;
  windowBackdropSetter(w, 0, &backdrop->header);
  RuntimeUnlockObject(&backdrop->header);
  repaint();
  ASSERT_GT(gPaints, 0);
  EXPECT_EQ(at(15, 15), kRed);   /* Paint over the Backdrop */
  EXPECT_EQ(at(35, 35), kGreen); /* the Backdrop where Paint did not draw */
  EXPECT_NE(at(45, 45), kGreen); /* natural size */

  ASSERT_TRUE(gKept);
  graphicsForeColorSetter(gKept, 0, 0x0000FF);
  RuntimeGraphicsFillRect(gKept, 50, 50, 10, 10); /* after its paint: nothing */
  EXPECT_NE(at(55, 55), kBlue);
  EXPECT_EQ(graphicsWidthGetter(gKept, 0), 0);

  GraphicsObject *g = (GraphicsObject *)windowGraphicsGetter(w, 0); /* outside painting */
  ASSERT_TRUE(g);
  EXPECT_EQ(graphicsWidthGetter(g, 0), 200);
  graphicsForeColorSetter(g, 0, 0x0000FF);
  RuntimeGraphicsFillRect(g, 100, 100, 10, 10);
  EXPECT_EQ(at(105, 105), kBlue);
  EXPECT_EQ(g->port->dc, nullptr); /* a window's context goes back after each operation */
  HANDLE thread = CreateThread(nullptr, 0, fillFromAnotherThread, g, 0, nullptr);
  WaitForSingleObject(thread, INFINITE); /* taken and given back on that thread */
  CloseHandle(thread);
  EXPECT_EQ(at(125, 25), kBlue);
  EXPECT_EQ(g->port->dc, nullptr);
  RuntimeUnlockObject(&g->header);
}

TEST_F(WindowPaintTest, DrawIntoPutsTheWindowsDrawingIntoAPictureAtAPlace) {
  w = open_window(Description(0, {{"Name", "W"},
                                  {"Frame", "0"},
                                  {"Title", "Into"},
                                  {"Visible", "False"},
                                  {"Width", "60"},
                                  {"Height", "50"}}));
  ASSERT_TRUE(w);
  PictureObject *p = picture_new(100, 100, 32);
  GraphicsObject *g = (GraphicsObject *)pictureGraphicsGetter(p, 0);
  formDrawInto(w, g, 5, 7);
  GdiFlush();
  EXPECT_EQ(p->image->bits[(7 + 10) * 100 + 5 + 10] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(p->image->bits[(7 + 9) * 100 + 5 + 9] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(p->image->bits[(7 + 29) * 100 + 5 + 29] & 0xFFFFFF, 0xFF0000u);
  RuntimeGraphicsFillRect(gKept, 0, 0, 5, 5); /* its Graphics ended with it */
  EXPECT_EQ(p->image->bits[0] & 0xFFFFFF, 0xFFFFFFu);
  RuntimeUnlockObject(&g->header);
  RuntimeUnlockObject(&p->header);

  GraphicsObject *own = (GraphicsObject *)windowGraphicsGetter(w, 0);
  ASSERT_TRUE(own);
  EXPECT_EQ(graphicsHeightGetter(own, 0), 50);
  close_test_window(w); /* the window's panes go, and their Graphics with them */
  EXPECT_EQ(graphicsHeightGetter(own, 0), 0);
  RuntimeGraphicsFillRect(own, 0, 0, 5, 5);
  RuntimeUnlockObject(&own->header);
}

} // namespace
