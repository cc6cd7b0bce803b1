// PopupMenu: rows from InitialValue, rows and tags kept before the pane
// exists, tag ownership, the selection through insertions and removals,
// index checks, Change from code and from the native list, and closing a
// window while its list is open.
#include "compiled.h"
#include "describe.h"
#include "raises.h"
#include "recorder.h"
#include "base/pool.h"
#include "objects/variant.h"
#include "ui/popupmenu.h"
#include <commctrl.h>

extern "C" {
void RuntimePopupEmpty(PopupMenuObject *p);
void RuntimePopupAddRow(PopupMenuObject *p, RString *text);
void RuntimePopupAddSeparator(PopupMenuObject *p);
void RuntimePopupInsertRow(PopupMenuObject *p, int32_t index, RString *text);
void RuntimePopupRemoveRow(PopupMenuObject *p, int32_t index);
RString *RuntimePopupGetRow(PopupMenuObject *p, int32_t index);
void RuntimePopupSetRow(RString *text, PopupMenuObject *p, int32_t index);
int32_t RuntimePopupGetRowTag(PopupMenuObject *p, int32_t index);
void RuntimePopupSetRowTag(int32_t tag, PopupMenuObject *p, int32_t index);
Object *getPopupRowTag(PopupMenuObject *p, int32_t index);
void setPopupRowTag(PopupMenuObject *p, int32_t index, Object *tag);
int32_t RuntimePopupCountGetter(PopupMenuObject *p);
int32_t RuntimePopupSelectionGetter(PopupMenuObject *p);
void RuntimePopupSelectionSetter(PopupMenuObject *p, int32_t, int32_t index);
RString *popupTextGetter(PopupMenuObject *p);
}

namespace {

using namespace describe;
using compiled::word;

std::string gLog;
void onChange(Object *) { gLog += "Change "; }

std::string text(RString *s) {
  std::string t = str_cview(s);
  RuntimeUnlockString(s);
  return t;
}

void add(PopupMenuObject *p, const char *row) {
  RString *s = str_from(row);
  RuntimePopupAddRow(p, s);
  RuntimeUnlockString(s);
}

std::string rows(PopupMenuObject *p) {
  std::string all;
  for (int32_t i = 0; i < RuntimePopupCountGetter(p); i++)
    all += "[" + text(RuntimePopupGetRow(p, i)) + "]";
  return all;
}

class PopupMenuTest : public RuntimeTest {
protected:
  enum { kWindow, kPopup, kClasses };
  ClassDef window, popup;
  ClassDef *table[kClasses] = {&window, &popup};
  WindowObject *w = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    gLog.clear();
    derive(&window, "TestWindow", gWindowClass, 120);
    derive(&popup, "MyPopup", registry_find("PopupMenu"), 132);
    addHandler(&popup, "Change", (void *)onChange);
  }
  void TearDown() override {
    close_test_window(w);
    retire_test_classes({&window, &popup});
    RuntimeTest::TearDown();
  }
  PopupMenuObject *open(const char *initialValue) {
    Description d(kWindow, {{"Name", "W"}, {"Frame", "0"}, {"Width", "300"}, {"Height", "200"}});
    d.control(kPopup,
              placed("p", "-2147483648", {10, 10, 32, 160}, {{"InitialValue", initialValue}}));
    gClassTable = table; /* a closed window forgets it */
    gClassCount = kClasses;
    w = open_window(d);
    if (!w) return nullptr;
    window_pass();
    pump();
    gLog.clear();
    return (PopupMenuObject *)control_named(w, "p");
  }
  static HWND hwnd(PopupMenuObject *p) { return p->control.pane->hwnd; }
};

TEST_F(PopupMenuTest, InitialValueIsSplitIntoRowsAtCarriageReturns) {
  struct {
    const char *initial, *rows;
  } cases[] = {
      {"a\r\rb", "[a][][b]"},
      {"a\r", "[a]"},
      {"", ""},
      {"one", "[one]"},
  };
  for (auto &c : cases) {
    PopupMenuObject *p = open(c.initial);
    ASSERT_TRUE(p);
    EXPECT_EQ(rows(p), c.rows) << c.initial;
    EXPECT_EQ(SendMessageA(hwnd(p), CB_GETCOUNT, 0, 0), RuntimePopupCountGetter(p));
    EXPECT_EQ(p->initialValue, nullptr);
    EXPECT_EQ(RuntimePopupSelectionGetter(p), -1);
    EXPECT_EQ(popupTextGetter(p), nullptr); /* nothing selected: empty */
    close_test_window(w);
  }
}

TEST_F(PopupMenuTest, RowsAndTheListIndexWaitInTheInstanceForThePane) {
  int32_t start = pool_used();
  PopupMenuObject *p = (PopupMenuObject *)CreateInstance(registry_find("PopupMenu"));
  EXPECT_EQ(RuntimePopupCountGetter(p), 0);
  EXPECT_EQ(RuntimePopupSelectionGetter(p), -1);
  add(p, "x");
  add(p, "y");
  RuntimePopupAddSeparator(p);
  RuntimePopupSetRowTag(77, p, 1);
  RuntimePopupSelectionSetter(p, 0, 1);
  EXPECT_EQ(rows(p), "[x][y][-]");
  EXPECT_EQ(RuntimePopupSelectionGetter(p), 1); /* read back until the pane takes it */
  EXPECT_EQ(RuntimePopupGetRowTag(p, 1), 77);
  EXPECT_EQ(popupTextGetter(p), nullptr);
  RuntimeUnlockObject(&p->control.header);
  EXPECT_EQ(pool_used(), start) << "a row or text was not released";

  w = nullptr;
  PopupMenuObject *q = open("a\rb\rc");
  RuntimePopupSelectionSetter(q, 0, 2);
  EXPECT_EQ(gLog, "Change ");
  EXPECT_EQ(text(popupTextGetter(q)), "c");
}

TEST_F(PopupMenuTest, ObjectTagsAreHeldByTheirRowsAndNumbersAreNot) {
  PopupMenuObject *p = open("a\rb\rc");
  Object *tag = intToVariant(5), *other = intToVariant(6);
  auto refs = [](Object *o) { return o->refs; };
  setPopupRowTag(p, 0, tag);
  EXPECT_EQ(refs(tag), 2);
  Object *back = getPopupRowTag(p, 0);
  EXPECT_EQ(back, tag);
  RuntimeUnlockObject(back);
  setPopupRowTag(p, 0, other); /* replaced */
  EXPECT_EQ(refs(tag), 1);
  setPopupRowTag(p, 1, tag);
  RuntimePopupRemoveRow(p, 1); /* removed */
  EXPECT_EQ(refs(tag), 1);
  setPopupRowTag(p, 1, tag);
  RString *renamed = str_from("C");
  RuntimePopupSetRow(renamed, p, 1); /* a new text keeps the tag */
  RuntimeUnlockString(renamed);
  EXPECT_EQ(RuntimePopupGetRowTag(p, 1), word(tag));
  RuntimePopupEmpty(p); /* emptied */
  EXPECT_EQ(refs(tag), 1);
  EXPECT_EQ(refs(other), 1);
  add(p, "n");
  RuntimePopupSetRowTag(12345, p, 0); /* a number: nothing to release */
  Object *number = getPopupRowTag(p, 0);
  ASSERT_TRUE(number);
  EXPECT_EQ(((Variant *)number)->value.i, 12345);
  RuntimeUnlockObject(number);
  setPopupRowTag(p, 0, tag);
  close_test_window(w); /* destroyed with its window */
  EXPECT_EQ(refs(tag), 1);
  RuntimeUnlockObject(tag);
  RuntimeUnlockObject(other);
}

TEST_F(PopupMenuTest, TheSelectionKeepsItsNumberThroughInsertionsAndRemovals) {
  PopupMenuObject *p = open("a\rb\rc\rd\re");
  RuntimePopupSelectionSetter(p, 0, 2);
  RString *z = str_from("z");
  RuntimePopupInsertRow(p, 0, z);
  RuntimeUnlockString(z);
  EXPECT_EQ(RuntimePopupSelectionGetter(p), 2);
  EXPECT_EQ(text(popupTextGetter(p)), "b"); /* the row that was row 1 */
  RuntimePopupRemoveRow(p, 2);              /* the selected row: the next moves up */
  EXPECT_EQ(RuntimePopupSelectionGetter(p), 2);
  EXPECT_EQ(text(popupTextGetter(p)), "c");
  RuntimePopupRemoveRow(p, 0); /* before it: the same row, one number less */
  EXPECT_EQ(text(popupTextGetter(p)), "c");
  RuntimePopupSelectionSetter(p, 0, RuntimePopupCountGetter(p) - 1);
  RuntimePopupRemoveRow(p, RuntimePopupCountGetter(p) - 1); /* the selected last row */
  EXPECT_EQ(RuntimePopupSelectionGetter(p), -1);
  RuntimePopupSelectionSetter(p, 0, 0);
  RuntimePopupSelectionSetter(p, 0, -1); /* clears */
  EXPECT_EQ(SendMessageA(hwnd(p), CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(rows(p), "[a][c][d]");
  EXPECT_EQ(SendMessageA(hwnd(p), CB_GETCOUNT, 0, 0), 3);
}

TEST_F(PopupMenuTest, RowIndexesOutOfRangeRaiseAndChangeNothing) {
  PopupMenuObject *p = open("a\rb\rc\rd\re");
  RuntimePopupSelectionSetter(p, 0, 1);
  RString *t = str_from("t");
  struct {
    const void *entry;
    std::vector<int32_t> args;
  } calls[] = {
      {(void *)RuntimePopupGetRow, {word(p), 5}},
      {(void *)RuntimePopupGetRow, {word(p), -1}},
      {(void *)RuntimePopupRemoveRow, {word(p), 5}},
      {(void *)RuntimePopupSetRow, {word(t), word(p), 5}},
      {(void *)RuntimePopupInsertRow, {word(p), 6, word(t)}},
      {(void *)RuntimePopupGetRowTag, {word(p), -1}},
      {(void *)setPopupRowTag, {word(p), 7, 0}},
      {(void *)RuntimePopupSelectionSetter, {word(p), 0, 5}},
      {(void *)RuntimePopupSelectionSetter, {word(p), 0, -2}},
  };
  for (auto &c : calls) EXPECT_EQ(raisedBy(c.entry, c.args), "OutOfBoundsException");
  EXPECT_EQ(raisedBy((void *)RuntimePopupInsertRow, {word(p), 5, word(t)}), ""); /* appends */
  RuntimeUnlockString(t);
  EXPECT_EQ(rows(p), "[a][b][c][d][e][t]");
  EXPECT_EQ(RuntimePopupSelectionGetter(p), 1);
}

TEST_F(PopupMenuTest, TheUsersChoiceAndOnesMadeByCodeRaiseChange) {
  PopupMenuObject *p = open("a\rb");
  HWND h = hwnd(p);
  SendMessageA(h, CB_SETCURSEL, 1, 0);
  SendMessageA(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), CBN_SELCHANGE), (LPARAM)h);
  EXPECT_EQ(gLog, "Change ");
  EXPECT_EQ(text(popupTextGetter(p)), "b");
  RuntimePopupSelectionSetter(p, 0, 0);
  EXPECT_EQ(gLog, "Change Change ");
}

TEST_F(PopupMenuTest, TheDropDownListWidensForItsWidestRow) {
  PopupMenuObject *p = open("a");
  LRESULT narrow = SendMessageA(hwnd(p), CB_GETDROPPEDWIDTH, 0, 0);
  add(p, "a much, much wider row than the list itself would show");
  LRESULT wide = SendMessageA(hwnd(p), CB_GETDROPPEDWIDTH, 0, 0);
  EXPECT_GT(wide, narrow);
  RuntimePopupRemoveRow(p, 1);
  EXPECT_LT(SendMessageA(hwnd(p), CB_GETDROPPEDWIDTH, 0, 0), wide);
}

TEST_F(PopupMenuTest, AWindowClosedWhileItsListIsOpenIsSafe) {
  PopupMenuObject *p = open("a\rb\rc");
  SendMessageA(hwnd(p), CB_SHOWDROPDOWN, TRUE, 0);
  pump();
  close_test_window(w);
  pump();
  SUCCEED();
}

} // namespace
