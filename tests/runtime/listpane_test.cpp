// The Listbox pane on a real window: paint events with a Graphics of the
// cell and their pixels on screen, only the rows in view painted, selection
// by click with Ctrl and Shift, check boxes, cell editing, heading clicks
// that sort, the arrow keys, the wheel and the scroll bar.
#include "compiled.h"
#include "describe.h"
#include "recorder.h"
#include "graphics/graphics.h"
#include "ui/editfield.h"
#include "ui/keyboard.h"
#include "ui/listpane.h"

extern "C" {
void RuntimeListAddRow(ListboxObject *list, RString *text);
void RuntimeListAddParent(ListboxObject *list, RString *text);
RString *RuntimeGetRow(ListboxObject *list, int32_t index);
int32_t listSelectionGetter(ListboxObject *list);
void listSelectionSetter(ListboxObject *list, int32_t, int32_t row);
RString *listGetCell(ListboxObject *list, int32_t row, int32_t column);
void listSetCell(ListboxObject *list, int32_t row, int32_t column, RString *text);
bool listCellCheckGetter(ListboxObject *list, int32_t row, int32_t column);
void listColumnTypeSetter(ListboxObject *list, int32_t column, int32_t type);
void listColumnSortDirectionSetter(ListboxObject *list, int32_t column, int32_t direction);
int32_t listColumnSortDirectionGetter(ListboxObject *list, int32_t column);
bool listGetExpanded(ListboxObject *list, int32_t row);
int32_t listScrollPositionGetter(ListboxObject *list, int32_t);
void listScrollPositionSetter(ListboxObject *list, int32_t, int32_t row);
Object *listActiveCellGetter(ListboxObject *list, int32_t);
void listEditCell(ListboxObject *list, int32_t row, int32_t column);
void listDefaultRowHeightSetter(ListboxObject *list, int32_t, int32_t v);
void listTextSizeSetter(ListboxObject *list, int32_t, int32_t v);
void listHasHeadingSetter(ListboxObject *list, int32_t, bool v);
int32_t listScrollPositionXGetter(ListboxObject *list, int32_t);
void listScrollPositionXSetter(ListboxObject *list, int32_t, int32_t x);
}

namespace {

using namespace describe;

std::string gLog;
int gTextPaints;           // CellTextPaint deliveries
int32_t gLowRow, gHighRow; // the rows CellTextPaint was given
GraphicsObject *gKept;     // a Graphics a paint handler held on to
bool gClickTakes;

std::string take(RString *t) {
  std::string v = str_cview(t);
  RuntimeUnlockString(t);
  return v;
}
std::string n(int32_t v) { return std::to_string(v); }

// Cell (1, 1) paints its background red itself.
bool onBackground(Object *, GraphicsObject *g, int32_t row, int32_t column) {
  if (row != 1 || column != 1) return false;
  gLog += "BG(" + n(graphicsWidthGetter(g, 0)) + "x" + n(graphicsHeightGetter(g, 0)) + ") ";
  graphicsForeColorSetter(g, 0, 0xFF0000);
  RuntimeGraphicsFillRect(g, -50, -50, 500, 500); /* clipped to the cell */
  if (!gKept) gKept = (GraphicsObject *)RuntimeLockObject(&g->header);
  return true;
}
bool onText(Object *, GraphicsObject *, int32_t row, int32_t column, int32_t x, int32_t y) {
  gTextPaints++;
  gLowRow = std::min(gLowRow, row), gHighRow = std::max(gHighRow, row);
  if (row == 0 && column == 2) gLog += "Text(" + n(x) + "," + n(y) + ") ";
  return false;
}
bool onCellClick(Object *, int32_t row, int32_t column, int32_t x, int32_t y) {
  gLog += "Click(" + n(row) + "," + n(column) + "," + n(x) + "," + n(y) + ") ";
  return gClickTakes;
}
void onCellAction(Object *, int32_t row, int32_t column) {
  gLog += "Action(" + n(row) + "," + n(column) + ") ";
}
void onChange(Object *) { gLog += "Change "; }
void onDoubleClick(Object *) { gLog += "Double "; }
void onCellGot(Object *, int32_t row, int32_t column) {
  gLog += "Got(" + n(row) + "," + n(column) + ") ";
}
void onCellLost(Object *, int32_t row, int32_t column) {
  gLog += "Lost(" + n(row) + "," + n(column) + ") ";
}
void onCellTextChange(Object *, int32_t row, int32_t column) {
  gLog += "TextChange(" + n(row) + "," + n(column) + ") ";
}
bool onCellKey(Object *, int32_t row, int32_t column, RString *key) {
  gLog += "Key(" + n(row) + "," + n(column) + "," + str_cview(key) + ") ";
  return str_cview(key)[0] == 'x';
}
bool onSortColumn(Object *, int32_t column) {
  gLog += "Sort(" + n(column) + ") ";
  return false;
}
void onExpand(Object *o, int32_t) {
  RString *t = str_from("child");
  RuntimeListAddRow((ListboxObject *)o, t);
  RuntimeUnlockString(t);
}

void setModifiers(bool ctrl, bool shift) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
}

class ListPaneTest : public RuntimeTest {
protected:
  enum { kWindow, kList, kClasses };
  ClassDef window, list;
  ClassDef *table[kClasses] = {&window, &list};
  WindowObject *w = nullptr;
  ListboxObject *l = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    gLog.clear();
    gTextPaints = 0, gLowRow = INT32_MAX, gHighRow = -1;
    gKept = nullptr;
    gClickTakes = false;
    derive(&window, "TestWindow", gWindowClass, 120);
    derive(&list, "PaneList", registry_find("Listbox"), sizeof(ListboxObject));
    addHandler(&list, "CellClick", (void *)onCellClick);
    addHandler(&list, "CellAction", (void *)onCellAction);
    addHandler(&list, "Change", (void *)onChange);
    addHandler(&list, "DoubleClick", (void *)onDoubleClick);
    addHandler(&list, "CellGotFocus", (void *)onCellGot);
    addHandler(&list, "CellLostFocus", (void *)onCellLost);
    addHandler(&list, "CellTextChange", (void *)onCellTextChange);
    addHandler(&list, "CellKeyDown", (void *)onCellKey);
    addHandler(&list, "SortColumn", (void *)onSortColumn);
    addHandler(&list, "ExpandRow", (void *)onExpand);
  }
  void TearDown() override {
    setModifiers(false, false);
    if (gKept) RuntimeUnlockObject(&gKept->header);
    close_test_window(w);
    retire_test_classes({&window, &list});
    RuntimeTest::TearDown();
  }
  // A list of three 100-pixel columns, 300 by 200 at (10, 10), on screen.
  void open(const Pairs &extra = {}) {
    Description d(
        kWindow,
        {{"Name", "W"}, {"Frame", "0"}, {"Visible", "True"}, {"Width", "400"}, {"Height", "300"}});
    Pairs pairs = {{"ColumnCount", "3"}, {"ScrollBarVertical", "False"}};
    pairs.insert(pairs.end(), extra.begin(), extra.end());
    d.control(kList, placed("l", "-2147483648", {10, 10, 210, 310}, pairs));
    gClassTable = table;
    gClassCount = kClasses;
    w = open_window(d);
    ASSERT_TRUE(w);
    window_pass();
    pump();
    l = (ListboxObject *)control_named(w, "l");
    ASSERT_TRUE(l && lpane(l));
    gLog.clear();
  }
  void addRows(int count, const char *prefix = "r") {
    for (int i = 0; i < count; i++) {
      RString *t = str_from((prefix + n(i)).c_str());
      RuntimeListAddRow(l, t);
      RuntimeUnlockString(t);
    }
  }
  HWND hwnd() { return l->control.pane->hwnd; }
  HWND root() { return w->view->pane.hwnd; }
  int32_t rowHeight() { return lpane(l)->rowHeight; }
  // The middle of a cell, in the list's client coordinates.
  POINT middle(int32_t row, int32_t column) {
    return {list_cell_left(l, column) + l->widths[column] / 2,
            list_row_top(l, row) + rowHeight() / 2};
  }
  void click(POINT p, bool ctrl = false, bool shift = false) {
    setModifiers(ctrl, shift);
    SendMessageA(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageA(root(), WM_LBUTTONUP, 0, MAKELPARAM(p.x + 10, p.y + 10)); /* window coordinates */
    setModifiers(false, false);
    pump();
  }
  void key(int vk, bool shift = false) {
    keyboard_key_down(root(), vk, shift ? kModShift : 0);
    pump();
  }
  void paintOnce() { /* one WM_PAINT, sent at once */
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateWindow(hwnd());
  }
  void repaint() {
    paintOnce();
    pump();
  }
  COLORREF pixel(POINT p) {
    HDC dc = GetDC(hwnd());
    COLORREF c = GetPixel(dc, p.x, p.y);
    ReleaseDC(hwnd(), dc);
    return c;
  }
  std::string cell(int32_t row, int32_t column) { return take(listGetCell(l, row, column)); }
};

TEST_F(ListPaneTest, PaintEventsGetAGraphicsOfTheCellClippedToItAndDetachedAfter) {
  addHandler(&list, "CellBackgroundPaint", (void *)onBackground);
  addHandler(&list, "CellTextPaint", (void *)onText);
  open({{"InitialValue", "a\tb\tc\rd\te"}});
  EXPECT_EQ(cell(0, 2), "c");
  EXPECT_EQ(cell(1, 1), "e");
  EXPECT_STREQ(str_cview(l->columns[2].heading), "2"); /* headings named as the pane was made */
  repaint();
  int32_t h = rowHeight();
  EXPECT_NE(gLog.find("BG(100x" + n(h) + ")"), std::string::npos) << gLog;
  TEXTMETRICA tm;
  HDC dc = GetDC(hwnd());
  SelectObject(dc, list_font(lpane(l), l, 0));
  GetTextMetricsA(dc, &tm);
  ReleaseDC(hwnd(), dc);
  int32_t baseline = (h - tm.tmHeight) / 2 + tm.tmAscent;
  EXPECT_NE(gLog.find("Text(" + n(kListPadding) + "," + n(baseline) + ")"), std::string::npos)
      << gLog;
  EXPECT_EQ(pixel(middle(1, 1)), RGB(255, 0, 0));
  POINT corner = {list_cell_left(l, 1), list_row_top(l, 1)};
  EXPECT_EQ(pixel(corner), RGB(255, 0, 0));
  EXPECT_NE(pixel({corner.x - 2, corner.y + 2}), RGB(255, 0, 0)); /* clipped to the cell */
  EXPECT_NE(pixel({corner.x + 2, corner.y - 2}), RGB(255, 0, 0));
  ASSERT_TRUE(gKept && gKept->port);
  EXPECT_EQ(gKept->port->target, nullptr);
  addRows(40);
  listScrollPositionSetter(l, 0, 1); /* the pixels move up a row; the rest is drawn anew */
  UpdateWindow(hwnd());
  EXPECT_EQ(list_row_top(l, 1), 0);
  EXPECT_EQ(pixel(middle(1, 1)), RGB(255, 0, 0));
  EXPECT_NE(pixel({middle(1, 1).x, list_row_top(l, 2) + 2}), RGB(255, 0, 0));
}

TEST_F(ListPaneTest, OnlyTheRowsInViewArePaintedWhateverTheListsLength) {
  addHandler(&list, "CellTextPaint", (void *)onText);
  open();
  addRows(10000);
  pump(); /* the scroll bar comes with the rows' posted update and repaints what it covers */
  int32_t shown = list_rows_in_view(l);
  ASSERT_GT(shown, 3);
  gTextPaints = 0, gLowRow = INT32_MAX, gHighRow = -1;
  paintOnce();
  EXPECT_LE(gTextPaints, (shown + 1) * 3);
  EXPECT_GE(gTextPaints, shown * 3);
  EXPECT_EQ(gLowRow, 0);
  listScrollPositionSetter(l, 0, 5000);
  pump();
  gTextPaints = 0, gLowRow = INT32_MAX, gHighRow = -1;
  paintOnce();
  EXPECT_LE(gTextPaints, (shown + 1) * 3);
  EXPECT_EQ(gLowRow, 5000);
  EXPECT_LE(gHighRow, 5000 + shown);
}

TEST_F(ListPaneTest, ClicksSelectOneRowOrExtendWithCtrlAndShift) {
  open({{"SelectionType", "1"}});
  addRows(10);
  click(middle(2, 0));
  EXPECT_EQ(listSelectionGetter(l), 2);
  EXPECT_EQ(gLog, "Change Click(2,0,50," + n(rowHeight() / 2) + ") ");
  click(middle(4, 1), true);
  EXPECT_TRUE(list_is_selected(l, 2) && list_is_selected(l, 4));
  click(middle(6, 0), false, true); /* from the anchor, row 4 */
  EXPECT_FALSE(list_is_selected(l, 2));
  for (int32_t r : {4, 5, 6}) EXPECT_TRUE(list_is_selected(l, r)) << r;
  EXPECT_EQ(list_selected_count(l), 3);
  gLog.clear();
  click(middle(6, 0), false, true); /* the same selection again: no Change */
  EXPECT_EQ(gLog.find("Change"), std::string::npos);
  l->selectionType = 0;
  click(middle(8, 0), true);
  EXPECT_EQ(list_selected_count(l), 1);
  EXPECT_EQ(listSelectionGetter(l), 8);
  SendMessageA(hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(middle(8, 0).x, middle(8, 0).y));
  SendMessageA(root(), WM_LBUTTONUP, 0, 0);
  EXPECT_NE(gLog.find("Double"), std::string::npos);
}

TEST_F(ListPaneTest, ACheckBoxClickTogglesItAndRaisesCellActionAsSpaceDoes) {
  open();
  addRows(3);
  listColumnTypeSetter(l, 1, kCellCheckBox);
  POINT box = {list_cell_left(l, 1) + kListCheckSize / 2, middle(1, 1).y};
  click(box);
  EXPECT_TRUE(listCellCheckGetter(l, 1, 1));
  EXPECT_NE(gLog.find("Action(1,1)"), std::string::npos) << gLog;
  gLog.clear();
  click(middle(1, 1)); /* beside the box */
  EXPECT_TRUE(listCellCheckGetter(l, 1, 1));
  EXPECT_EQ(gLog.find("Action"), std::string::npos);
  key(VK_SPACE);
  EXPECT_FALSE(listCellCheckGetter(l, 1, 1));
  EXPECT_NE(gLog.find("Action(1,1)"), std::string::npos);
  gClickTakes = true; /* CellClick's True keeps the click from the box */
  click(box);
  EXPECT_FALSE(listCellCheckGetter(l, 1, 1));
}

TEST_F(ListPaneTest, AnEditableCellEditsInAnEditFieldThatReturnKeepsAndEscapeDiscards) {
  open();
  addRows(3);
  RString *t = str_from("old");
  listSetCell(l, 1, 2, t);
  RuntimeUnlockString(t);
  listColumnTypeSetter(l, 2, kCellEditable);
  click(middle(1, 2));
  Object *active = listActiveCellGetter(l, 0);
  ASSERT_TRUE(active);
  EditFieldObject *e = (EditFieldObject *)active;
  EXPECT_EQ(take(editTextGetter(e)), "old");
  EXPECT_EQ(list_selected_count(l), 0); /* the selection is cleared */
  EXPECT_EQ(pane_focus(), e->control.pane);
  EXPECT_NE(gLog.find("Got(1,2)"), std::string::npos) << gLog;
  t = str_from("new");
  editTextSetter(e, 0, t);
  RuntimeUnlockString(t);
  SendMessageA(e->control.pane->hwnd, EM_SETSEL, 3, 3);
  SendMessageA(e->control.pane->hwnd, WM_CHAR, 'x', 1); /* CellKeyDown takes it */
  SendMessageA(e->control.pane->hwnd, WM_CHAR, 'y', 1);
  EXPECT_EQ(take(editTextGetter(e)), "newy");
  gLog.clear();
  key(VK_RETURN);
  EXPECT_EQ(cell(1, 2), "newy");
  EXPECT_EQ(gLog, "Key(1,2,\r) TextChange(1,2) Lost(1,2) ");
  EXPECT_EQ(listActiveCellGetter(l, 0), nullptr);
  EXPECT_EQ(pane_focus(), l->control.pane);
  EXPECT_EQ(list_selected_count(l), 1); /* the edited row is selected again */
  EXPECT_EQ(listSelectionGetter(l), 1);
  RuntimeUnlockObject(active);
  gLog.clear();
  listEditCell(l, 0, 2); /* ListIndex moves to the edited row: Change */
  EXPECT_EQ(listSelectionGetter(l), 0);
  EXPECT_NE(gLog.find("Change"), std::string::npos) << gLog;
  key(VK_ESCAPE);
  EXPECT_EQ(listSelectionGetter(l), 0);
  click(middle(1, 2));
  Object *again = listActiveCellGetter(l, 0);
  ASSERT_TRUE(again);
  t = str_from("dropped");
  editTextSetter((EditFieldObject *)again, 0, t);
  RuntimeUnlockString(t);
  key(VK_ESCAPE);
  EXPECT_EQ(cell(1, 2), "newy");
  EXPECT_EQ(listActiveCellGetter(l, 0), nullptr);
  RuntimeUnlockObject(again);
  click(middle(2, 2));
  ASSERT_TRUE(l->activeCell);
  t = str_from("kept");
  editTextSetter((EditFieldObject *)l->activeCell, 0, t);
  RuntimeUnlockString(t);
  pane_set_focus(nullptr); /* the focus goes elsewhere: the text stays */
  EXPECT_EQ(cell(2, 2), "kept");
  EXPECT_EQ(l->activeCell, nullptr);
  click(middle(0, 2));
  EXPECT_TRUE(l->activeCell); /* the window closes with this edit under way */
}

TEST_F(ListPaneTest, AHeadingClickSortsByItsColumnAndASecondReverses) {
  open({{"HasHeading", "True"}});
  for (const char *s : {"b", "c", "a"}) {
    RString *t = str_from(s);
    RuntimeListAddRow(l, t);
    RuntimeUnlockString(t);
  }
  ASSERT_GT(lpane(l)->headingHeight, 0);
  auto rows = [&] {
    return take(RuntimeGetRow(l, 0)) + take(RuntimeGetRow(l, 1)) + take(RuntimeGetRow(l, 2));
  };
  POINT heading = {50, lpane(l)->headingHeight / 2};
  click(heading);
  EXPECT_EQ(rows(), "abc");
  EXPECT_EQ(l->sortColumn, 0);
  click(heading);
  EXPECT_EQ(rows(), "cba");
  EXPECT_EQ(listColumnSortDirectionGetter(l, 0), -1);
  listColumnSortDirectionSetter(l, 1, 0);
  gLog.clear();
  click({150, heading.y});
  EXPECT_EQ(gLog, "");
  EXPECT_EQ(l->sortColumn, 0);
}

TEST_F(ListPaneTest, ArrowKeysMoveTheSelectionAndKeepItInView) {
  open({{"SelectionType", "1"}});
  addRows(100);
  int32_t shown = list_rows_in_view(l);
  click(middle(0, 0));
  key(VK_DOWN);
  key(VK_DOWN);
  EXPECT_EQ(listSelectionGetter(l), 2);
  key(VK_DOWN, true);
  EXPECT_EQ(list_selected_count(l), 2);
  key(VK_END);
  EXPECT_EQ(listSelectionGetter(l), 99);
  EXPECT_EQ(listScrollPositionGetter(l, 0), 100 - shown);
  key(VK_PRIOR);
  EXPECT_EQ(listSelectionGetter(l), 99 - (shown - 1));
  key(VK_HOME);
  EXPECT_EQ(listSelectionGetter(l), 0);
  EXPECT_EQ(listScrollPositionGetter(l, 0), 0);
  listSelectionSetter(l, 0, shown + 5); /* below the view: scrolled just far enough */
  EXPECT_EQ(listScrollPositionGetter(l, 0), 6);
}

TEST_F(ListPaneTest, LeftAndRightCloseAndOpenFoldersAsTheTriangleDoes) {
  open({{"Hierarchical", "True"}});
  RString *t = str_from("folder");
  RuntimeListAddParent(l, t);
  RuntimeUnlockString(t);
  click({list_cell_indent(l, 0, 0) + 20, middle(0, 0).y}); /* beside the triangle: selects */
  EXPECT_FALSE(listGetExpanded(l, 0));
  key(VK_RIGHT);
  EXPECT_TRUE(listGetExpanded(l, 0));
  EXPECT_EQ(list_count(l), 2);
  key(VK_LEFT);
  EXPECT_FALSE(listGetExpanded(l, 0));
  click({list_cell_indent(l, 0, 0) - kListFolderIndent / 2, middle(0, 0).y});
  EXPECT_TRUE(listGetExpanded(l, 0));
}

TEST_F(ListPaneTest, TheWheelAndTheScrollBarMoveScrollPositionWithinRange) {
  open({{"ScrollBarVertical", "True"}});
  addRows(100);
  pump(); /* the bars are set once for all the rows */
  int32_t shown = list_rows_in_view(l);
  SCROLLINFO si = {sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, 99);
  EXPECT_EQ((int32_t)si.nPage, shown);
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  SendMessageA(hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_EQ(listScrollPositionGetter(l, 0), (int32_t)lines);
  SendMessageA(hwnd(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(listScrollPositionGetter(l, 0), (int32_t)lines + 1);
  SendMessageA(hwnd(), WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(listScrollPositionGetter(l, 0), (int32_t)lines + 1 + shown);
  SendMessageA(hwnd(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(listScrollPositionGetter(l, 0), 100 - shown);
  GetScrollInfo(hwnd(), SB_VERT, &si);
  EXPECT_EQ(si.nPos, 100 - shown);
  SendMessageA(hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, 10 * WHEEL_DELTA), 0);
  EXPECT_EQ(listScrollPositionGetter(l, 0), 100 - shown - 10 * (int32_t)lines);
}

TEST_F(ListPaneTest, DisplaySettersApplyToThePaneAtOnce) {
  open({{"ColumnWidths", "300,300,300"}, {"ScrollBarHorizontal", "True"}});
  addRows(3);
  listDefaultRowHeightSetter(l, 0, 30);
  EXPECT_EQ(rowHeight(), 30);
  listDefaultRowHeightSetter(l, 0, 0);
  int32_t natural = rowHeight();
  listTextSizeSetter(l, 0, 30);
  EXPECT_GT(rowHeight(), natural); /* the font's height sets the rows' */
  EXPECT_EQ(lpane(l)->headingHeight, 0);
  listHasHeadingSetter(l, 0, true);
  EXPECT_GT(lpane(l)->headingHeight, 0);
  listScrollPositionXSetter(l, 0, 5000); /* no further than the columns reach */
  EXPECT_EQ(listScrollPositionXGetter(l, 0), 900 - lpane(l)->clientWidth);
  SendMessageA(hwnd(), WM_HSCROLL, SB_LEFT, 0);
  EXPECT_EQ(listScrollPositionXGetter(l, 0), 0);
}

} // namespace
