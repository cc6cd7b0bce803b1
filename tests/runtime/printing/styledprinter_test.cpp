// Styled text printed from an edit field block by block: into a picture,
// where the ink of each block can be seen, and onto the file printer's
// pages; a block too short for a line, an empty field and a closed one.
#include "../describe.h"
#include "../recorder.h"
#include "graphics/graphics.h"
#include "printed.h"
#include "printing/printjob.h"
#include "printing/styledprinter.h"

namespace {

using namespace describe;

class StyledPrinterTest : public RuntimeTest {
protected:
  enum { kWindow, kField, kClasses };
  ClassDef window, field;
  ClassDef *table[kClasses] = {&window, &field};
  WindowObject *w = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    printed::forget();
    derive(&window, "PrintWindow", gWindowClass, 120);
    derive(&field, "PrintedField", registry_find("EditField"), 160);
    gClassTable = table;
    gClassCount = kClasses;
  }
  void TearDown() override {
    close_test_window(w);
    retire_test_classes({&window, &field});
    RuntimeTest::TearDown();
  }

  // A window with one multi-line styled field holding `lines` lines.
  EditFieldObject *fieldOf(int lines) {
    std::string text;
    for (int i = 1; i <= lines; i++)
      text += (i > 1 ? "\r" : "") + std::string("Line ") + std::to_string(i);
    Description d(kWindow, {{"Name", "W"}, {"Frame", "0"}, {"Width", "400"}, {"Height", "300"}});
    d.control(kField, placed("f", "-2147483648", Rect16{10, 10, 290, 390},
                             {{"MultiLine", "True"}, {"Styled", "True"}, {"TextSize", "12"}}));
    w = open_window(d);
    EXPECT_TRUE(w);
    pump();
    auto *e = (EditFieldObject *)control_named(w, "f");
    RString *t = str_make(text.data(), (int32_t)text.size());
    editTextSetter(e, 0, t);
    RuntimeUnlockString(t);
    return e;
  }
};

// Dark pixels of a picture in rows [top, bottom) and columns [left, right).
int inkIn(PictureObject *p, int top, int bottom, int left = 0, int right = 1 << 30) {
  int n = 0;
  for (int y = top; y < bottom && y < p->image->height; y++)
    for (int x = left; x < right && x < p->image->width; x++)
      n += (p->image->bits[y * p->image->width + x] & 0xFF) < 0x80;
  return n;
}

extern "C" {
void EditAlignmentSetter(EditFieldObject *e, int32_t, int32_t v);
void editSelStartSetter(EditFieldObject *e, int32_t, int32_t v);
void editSelLengthSetter(EditFieldObject *e, int32_t, int32_t v);
void editSelTextSizeSetter(EditFieldObject *e, int32_t, int32_t v);
}

TEST_F(StyledPrinterTest, BlocksFollowEachOtherUntilTheTextEnds) {
  EditFieldObject *e = fieldOf(30);
  PictureObject *p = newPicture(300, 200, 32);
  auto *g = (GraphicsObject *)pictureGraphicsGetter(p, 0);
  StyledTextPrinter *stp = editStyleTextPrinter(e, g, 250);
  ASSERT_NE(stp, nullptr);
  EXPECT_FALSE(styledPrinterEOF(stp, 0));
  int blocks = 0;
  std::vector<int32_t> starts;
  while (!styledPrinterEOF(stp, 0) && blocks < 100) {
    RuntimeGraphicsClearRect(g, 0, 0, 300, 200);
    starts.push_back(stp->next);
    styledPrinterDrawBlock(stp, 10, 20, 100);
    blocks++;
    EXPECT_GT(inkIn(p, 20, 120), 0) << "block " << blocks << " drew nothing";
    EXPECT_EQ(inkIn(p, 0, 20) + inkIn(p, 121, 200), 0) << "block " << blocks << " left its place";
  }
  EXPECT_TRUE(styledPrinterEOF(stp, 0));
  EXPECT_GT(blocks, 2) << "30 lines do not fit in 100 pixels";
  EXPECT_LT(blocks, 30) << "a block holds several lines";
  for (size_t i = 1; i < starts.size(); i++) EXPECT_GT(starts[i], starts[i - 1]);
  RuntimeGraphicsClearRect(g, 0, 0, 300, 200);
  styledPrinterDrawBlock(stp, 10, 20, 100);
  EXPECT_EQ(inkIn(p, 0, 200), 0) << "past the end nothing is drawn";
  RuntimeUnlockObject(&stp->header);
  RuntimeUnlockObject(&g->header);
  RuntimeUnlockObject(&p->header);
}

// The field's alignment and sizes reach the page: right-aligned text inks
// only the right of its block; a larger size, more rows.
TEST_F(StyledPrinterTest, AlignmentAndSizeComeFromTheField) {
  EditFieldObject *e = fieldOf(1);
  PictureObject *p = newPicture(300, 100, 32);
  auto *g = (GraphicsObject *)pictureGraphicsGetter(p, 0);
  EditAlignmentSetter(e, 0, 3);
  StyledTextPrinter *right = editStyleTextPrinter(e, g, 300);
  styledPrinterDrawBlock(right, 0, 0, 100);
  EXPECT_GT(inkIn(p, 0, 100, 200, 300), 0);
  EXPECT_EQ(inkIn(p, 0, 100, 0, 150), 0) << "right-aligned";
  auto rows = [&] {
    int n = 0;
    for (int y = 0; y < 100; y++) n += inkIn(p, y, y + 1) > 0;
    return n;
  };
  int small = rows();
  RuntimeGraphicsClearRect(g, 0, 0, 300, 100);
  editSelStartSetter(e, 0, 0);
  editSelLengthSetter(e, 0, 6);
  editSelTextSizeSetter(e, 0, 36);
  StyledTextPrinter *large = editStyleTextPrinter(e, g, 300);
  styledPrinterDrawBlock(large, 0, 0, 100);
  EXPECT_GT(rows(), small * 2) << "36 against 12";
  for (StyledTextPrinter *s : {right, large}) RuntimeUnlockObject(&s->header);
  RuntimeUnlockObject(&g->header);
  RuntimeUnlockObject(&p->header);
}

// A block shorter than a line still takes one line, so that a loop until
// EOF ends; one line a block.
TEST_F(StyledPrinterTest, ABlockTooShortForALineTakesOneLine) {
  EditFieldObject *e = fieldOf(5);
  PictureObject *p = newPicture(300, 200, 32);
  auto *g = (GraphicsObject *)pictureGraphicsGetter(p, 0);
  StyledTextPrinter *stp = editStyleTextPrinter(e, g, 0); /* 0: to the right edge */
  int blocks = 0;
  while (!styledPrinterEOF(stp, 0) && blocks < 50) {
    styledPrinterDrawBlock(stp, 0, 0, 1);
    blocks++;
  }
  EXPECT_EQ(blocks, 5);
  RuntimeUnlockObject(&stp->header);
  RuntimeUnlockObject(&g->header);
  RuntimeUnlockObject(&p->header);
}

// The text is taken when the printer is made: closing the field's window
// afterwards leaves it printable; an empty field, or one without its window,
// has nothing to print.
TEST_F(StyledPrinterTest, TheTextIsTakenWhenThePrinterIsMade) {
  EditFieldObject *e = fieldOf(0);
  PictureObject *p = newPicture(80, 50, 32);
  auto *g = (GraphicsObject *)pictureGraphicsGetter(p, 0);
  StyledTextPrinter *empty = editStyleTextPrinter(e, g, 70);
  EXPECT_TRUE(styledPrinterEOF(empty, 0));
  RString *t = str_from("words");
  editTextSetter(e, 0, t);
  RuntimeUnlockString(t);
  StyledTextPrinter *taken = editStyleTextPrinter(e, g, 70);
  RuntimeLockObject(&e->control.header);
  close_test_window(w);
  gClassTable = table; /* the classes stay until the test ends */
  gClassCount = kClasses;
  EXPECT_FALSE(styledPrinterEOF(taken, 0));
  styledPrinterDrawBlock(taken, 0, 0, 50);
  EXPECT_GT(inkIn(p, 0, 50), 0);
  EXPECT_TRUE(styledPrinterEOF(taken, 0));
  StyledTextPrinter *closed = editStyleTextPrinter(e, g, 70);
  EXPECT_TRUE(styledPrinterEOF(closed, 0)) << "no window, no text";
  EXPECT_EQ(editStyleTextPrinter(e, nullptr, 40), nullptr);
  for (StyledTextPrinter *s : {empty, taken, closed}) RuntimeUnlockObject(&s->header);
  RuntimeUnlockObject(&e->control.header);
  RuntimeUnlockObject(&g->header);
  RuntimeUnlockObject(&p->header);
}

// A page's worth of blocks at a time onto the printer: as many pages as blocks.
TEST_F(StyledPrinterTest, LongTextFillsPrintedPages) {
  EditFieldObject *e = fieldOf(150);
  GraphicsObject *g = RuntimeOpenPrinter(nullptr);
  ASSERT_NE(g, nullptr);
  int32_t height = graphicsHeightGetter(g, 0);
  StyledTextPrinter *stp = editStyleTextPrinter(e, g, graphicsWidthGetter(g, 0) - 72);
  styledPrinterWidthSetter(stp, 0, graphicsWidthGetter(g, 0) - 144);
  EXPECT_EQ(stp->width, graphicsWidthGetter(g, 0) - 144);
  int pages = 0;
  while (!styledPrinterEOF(stp, 0) && pages < 20) {
    if (pages++) RuntimeGraphicsNextPage(g);
    styledPrinterDrawBlock(stp, 72, 72, height - 144);
  }
  EXPECT_GE(pages, 2) << "150 lines of 12 points are more than a page";
  EXPECT_LT(pages, 20);
  RuntimeUnlockObject(&stp->header);
  RuntimeUnlockObject(&g->header);
  EXPECT_EQ(printed::pages(printed::document()), pages);
}

} // namespace
