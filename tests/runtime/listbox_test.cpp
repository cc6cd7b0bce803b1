// Listbox model: the column-width rule and ColumnCount, row insertion and
// LastIndex, cells made on demand and their index checks, selection runs
// through Selected, inserts and removals, folders opened and closed,
// sorting with its events, a bound list provider, and the model without a pane.
#include "compiled.h"
#include "describe.h"
#include "raises.h"
#include "recorder.h"
#include "base/pool.h"
#include "lifecycle/exception.h"
#include "ui/listbox.h"
#include <chrono>
#include <cstdio>
#include <set>

extern "C" {
void RuntimeListResort(ListboxObject *list);
void RuntimeListEmpty(ListboxObject *list);
void RuntimeListAddRow(ListboxObject *list, RString *text);
void RuntimeListAddParent(ListboxObject *list, RString *text);
void RuntimeListInsertRow(ListboxObject *list, int32_t index, RString *text);
void RuntimeRemoveRow(ListboxObject *list, int32_t index);
RString *RuntimeGetRow(ListboxObject *list, int32_t index);
void RuntimeSetRow(ListboxObject *list, int32_t index, RString *text);
int32_t listCountGetter(ListboxObject *list);
int32_t listSelectionGetter(ListboxObject *list);
void listSelectionSetter(ListboxObject *list, int32_t, int32_t row);
RString *listTextGetter(ListboxObject *list);
int32_t listLastIndexGetter(ListboxObject *list);
int32_t listSelCountGetter(ListboxObject *list);
bool listGetSelected(ListboxObject *list, int32_t row);
void listSetSelected(ListboxObject *list, int32_t row, bool selected);
bool listGetExpanded(ListboxObject *list, int32_t row);
void listSetExpanded(ListboxObject *list, int32_t row, bool expanded);
RString *listGetCell(ListboxObject *list, int32_t row, int32_t column);
void listSetCell(ListboxObject *list, int32_t row, int32_t column, RString *text);
bool listGetCellBold(ListboxObject *list, int32_t row, int32_t column);
void listSetCellBold(ListboxObject *list, int32_t row, int32_t column, bool on);
bool listCellCheckGetter(ListboxObject *list, int32_t row, int32_t column);
int32_t listCellTypeGetter(ListboxObject *list, int32_t row, int32_t column);
void listCellTypeSetter(ListboxObject *list, int32_t row, int32_t column, int32_t type);
int32_t listGetCellBorderRight(ListboxObject *list, int32_t row, int32_t column);
void listSetCellBorderRight(ListboxObject *list, int32_t row, int32_t column, int32_t v);
void listColumnCountSetter(ListboxObject *list, int32_t, int32_t count);
int32_t listColumnCountGetter(ListboxObject *list);
void listColumnWidthsSetter(ListboxObject *list, int32_t, RString *widths);
void listColumnTypeSetter(ListboxObject *list, int32_t column, int32_t type);
int32_t listColumnTypeGetter(ListboxObject *list, int32_t column);
void listColumnSortDirectionSetter(ListboxObject *list, int32_t column, int32_t direction);
int32_t listHeadingIndexGetter(ListboxObject *list);
void listHeadingIndexSetter(ListboxObject *list, int32_t, int32_t column);
RString *listGetHeading(ListboxObject *list, int32_t column);
void listEditCell(ListboxObject *list, int32_t row, int32_t column);
}

namespace {

using namespace describe;
using compiled::word;

std::string gLog;
int32_t gCompareSign; // what CompareRows answers: -1, 0 or 1 times (row1 - row2)
bool gCompareTakes;   // CompareRows answers True

RString *s(const char *text) { return str_from(text); }

std::string take(RString *t) {
  std::string v = str_cview(t);
  RuntimeUnlockString(t);
  return v;
}

void add(ListboxObject *l, const char *text, bool folder = false) {
  RString *t = s(text);
  folder ? RuntimeListAddParent(l, t) : RuntimeListAddRow(l, t);
  RuntimeUnlockString(t);
}

void addAll(ListboxObject *l, std::initializer_list<const char *> texts) {
  for (const char *t : texts) add(l, t);
}

void setCell(ListboxObject *l, int32_t row, int32_t column, const char *text) {
  RString *t = s(text);
  listSetCell(l, row, column, t);
  RuntimeUnlockString(t);
}

// Column 0 of every row, each indented by its depth.
std::string rows(ListboxObject *l) {
  std::string all;
  for (int32_t i = 0; i < listCountGetter(l); i++) {
    if (i) all += " ";
    all += std::string(list_row(l, i)->depth, '.') + take(RuntimeGetRow(l, i));
  }
  return all;
}

std::string runs(ListboxObject *l) {
  std::string all;
  for (int32_t i = 0; i < vec_count(&l->runs); i++) {
    int64_t packed = vec_get8(&l->runs, i);
    ListRun r;
    memcpy(&r, &packed, sizeof r);
    all += "(" + std::to_string(r.first) + "," + std::to_string(r.count) + ")";
  }
  return all;
}

void onChange(Object *) { gLog += "Change "; }

// A folder "F" gets children "F1" and folder "Fx"; "Fx" gets "Fx1".
void onExpand(Object *o, int32_t row) {
  ListboxObject *l = (ListboxObject *)o;
  std::string name = take(RuntimeGetRow(l, row));
  gLog += "Expand(" + name + ") ";
  add(l, (name + "1").c_str());
  if (name.size() == 1) add(l, (name + "x").c_str(), true);
}

void onCollapse(Object *o, int32_t row) {
  gLog += "Collapse(" + take(RuntimeGetRow((ListboxObject *)o, row)) + ") ";
}

bool onSortColumn(Object *, int32_t column) {
  gLog += "SortColumn(" + std::to_string(column) + ") ";
  return false;
}

bool onCompare(Object *, int32_t row1, int32_t row2, int32_t column, int32_t *result) {
  gLog += "Compare(" + std::to_string(row1) + "," + std::to_string(row2) + "," +
          std::to_string(column) + ") ";
  *result = gCompareSign * (row1 - row2);
  return gCompareTakes;
}

// The row numbers CompareRows was given, each once, in order.
std::string comparedRows(const std::string &log) {
  std::set<int> seen;
  for (size_t at = 0; (at = log.find("Compare(", at)) != std::string::npos; at++) {
    int a, b, column;
    if (sscanf(log.c_str() + at, "Compare(%d,%d,%d)", &a, &b, &column) == 3) seen.insert({a, b});
  }
  std::string all;
  for (int r : seen) all += (all.empty() ? "" : " ") + std::to_string(r);
  return all;
}

class ListboxTest : public RuntimeTest {
protected:
  enum { kWindow, kList, kClasses };
  ClassDef window, list;
  ClassDef *table[kClasses] = {&window, &list};
  WindowObject *w = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    gLog.clear();
    gCompareSign = 0;
    gCompareTakes = false;
    derive(&window, "TestWindow", gWindowClass, 120);
    derive(&list, "MyList", registry_find("Listbox"), sizeof(ListboxObject));
    addHandler(&list, "Change", (void *)onChange);
    addHandler(&list, "ExpandRow", (void *)onExpand);
    addHandler(&list, "CollapseRow", (void *)onCollapse);
    addHandler(&list, "SortColumn", (void *)onSortColumn);
  }
  void TearDown() override {
    close_test_window(w);
    retire_test_classes({&window, &list});
    RuntimeTest::TearDown();
  }
  // A list 300 pixels wide and 200 high.
  ListboxObject *open(const Pairs &extra = {}) {
    Description d(kWindow, {{"Name", "W"}, {"Frame", "0"}, {"Width", "400"}, {"Height", "300"}});
    d.control(kList, placed("l", "-2147483648", {10, 10, 210, 310}, extra));
    gClassTable = table;
    gClassCount = kClasses;
    w = open_window(d);
    if (!w) return nullptr;
    window_pass();
    pump();
    gLog.clear();
    return (ListboxObject *)control_named(w, "l");
  }
};

TEST_F(ListboxTest, ColumnWidthsShareTheWidthByTheRule) {
  ListboxObject *l = open();
  ASSERT_TRUE(l);
  struct {
    int32_t count;
    const char *widths;
    std::vector<int16_t> expected;
  } cases[] = {
      {3, "", {100, 100, 100}},
      {3, "50%,,", {150, 75, 75}},
      {3, "50, 50%", {50, 150, 100}},
      {3, "400", {400, 0, 0}},
      {2, " 40000 ,70000%", {32767, 32767}}, /* 16-bit widths take their largest value */
      {2, "-20,x", {0, 0}},                  /* pieces without a number are 0 wide */
      {2, ",", {150, 150}},
      {0, "", {300}},
  };
  for (auto &c : cases) {
    listColumnCountSetter(l, 0, c.count);
    RString *t = s(c.widths);
    listColumnWidthsSetter(l, 0, t);
    RuntimeUnlockString(t);
    std::vector<int16_t> got(l->widths, l->widths + listColumnCountGetter(l));
    EXPECT_EQ(got, c.expected) << c.widths;
  }
  listColumnCountSetter(l, 0, 100);
  EXPECT_EQ(listColumnCountGetter(l), 63);
  listColumnCountSetter(l, 0, -4);
  EXPECT_EQ(listColumnCountGetter(l), 63);
  EXPECT_EQ(take(listGetHeading(l, 12)), "12"); /* named as the pane was made */
  EXPECT_EQ(listGetHeading(l, 64), nullptr);
  listColumnTypeSetter(l, 64, 2); /* outside the tables: ignored */
  EXPECT_EQ(listColumnTypeGetter(l, 64), 0);
}

TEST_F(ListboxTest, InsertRowClampsItsIndexAndLastIndexIsTheRowUsed) {
  ListboxObject *l = open();
  addAll(l, {"a", "b"});
  EXPECT_EQ(listLastIndexGetter(l), 1);
  RString *t = s("first");
  RuntimeListInsertRow(l, -5, t);
  EXPECT_EQ(listLastIndexGetter(l), 0);
  RuntimeListInsertRow(l, listCountGetter(l) + 10, t);
  EXPECT_EQ(listLastIndexGetter(l), 3);
  RuntimeListInsertRow(l, 2, t);
  EXPECT_EQ(listLastIndexGetter(l), 2);
  RuntimeUnlockString(t);
  EXPECT_EQ(rows(l), "first a first b first");
  RuntimeRemoveRow(l, 0);
  EXPECT_EQ(rows(l), "a first b first");
  RuntimeListEmpty(l);
  EXPECT_EQ(listCountGetter(l), 0);
}

TEST_F(ListboxTest, TheEditedCellFollowsItsRowAndEndsWithIt) {
  ListboxObject *l = open();
  addAll(l, {"a", "b", "c", "d"});
  listEditCell(l, 2, 0);
  ASSERT_TRUE(l->activeCell);
  RuntimeRemoveRow(l, 0);
  RString *t = s("new");
  RuntimeListInsertRow(l, 3, t); /* after it: no change */
  RuntimeUnlockString(t);
  EXPECT_EQ(l->editRow, 1);
  EXPECT_TRUE(l->activeCell);
  RuntimeRemoveRow(l, 1);
  EXPECT_EQ(l->activeCell, nullptr) << "its row went";
  EXPECT_EQ(rows(l), "b d new");
}

TEST_F(ListboxTest, CellsReadEmptyUntilWrittenAndIndexesAreChecked) {
  ListboxObject *l = open();
  addAll(l, {"a", "b"});
  EXPECT_EQ(listGetCell(l, 1, 5), nullptr);
  EXPECT_FALSE(listGetCellBold(l, 1, 5));
  EXPECT_EQ(listCellTypeGetter(l, 1, 5), 0);
  setCell(l, 1, 5, "x");
  EXPECT_EQ(take(listGetCell(l, 1, 5)), "x");
  listSetCellBold(l, 1, 5, true);
  listCellTypeSetter(l, 1, 63, kCellCheckBox);
  listSetCellBorderRight(l, 0, 2, 3);
  EXPECT_TRUE(listGetCellBold(l, 1, 5));
  EXPECT_EQ(listCellTypeGetter(l, 1, 63), kCellCheckBox);
  EXPECT_EQ(listGetCellBorderRight(l, 0, 2), 3);
  EXPECT_EQ(take(listGetCell(l, 1, 0)), "b");
  listColumnTypeSetter(l, 4, kCellEditable);
  EXPECT_EQ(list_cell_type(l, 0, 4), kCellEditable); /* the column's, for a cell of type 0 */
  EXPECT_EQ(list_cell_type(l, 1, 63), kCellCheckBox);

  RString *t = s("t");
  struct {
    const void *entry;
    std::vector<int32_t> args;
  } calls[] = {
      {(void *)listGetCell, {word(l), 0, 64}},
      {(void *)listGetCell, {word(l), 0, -1}},
      {(void *)listSetCell, {word(l), 0, 64, word(t)}},
      {(void *)listSetCell, {word(l), 0, -1, word(t)}},
      {(void *)listSetCell, {word(l), 0, 256, word(t)}},
      {(void *)listSetCellBold, {word(l), 0, 200, 1}},
      {(void *)listCellCheckGetter, {word(l), 0, 64}},
      {(void *)listGetCell, {word(l), 2, 0}},
      {(void *)RuntimeGetRow, {word(l), 2}}, /* List(ListCount) */
      {(void *)RuntimeGetRow, {word(l), -1}},
      {(void *)RuntimeSetRow, {word(l), 2, word(t)}},
      {(void *)RuntimeRemoveRow, {word(l), 2}},
      {(void *)listSetExpanded, {word(l), 2, 1}},
  };
  for (auto &c : calls) EXPECT_EQ(raisedBy(c.entry, c.args), "OutOfBoundsException");
  RuntimeUnlockString(t);
  EXPECT_EQ(rows(l), "a b") << "column 256 must not reach column 0";
}

TEST_F(ListboxTest, SelectionRunsJoinSplitAndFollowInsertsAndRemovals) {
  ListboxObject *l = open();
  addAll(l, {"0", "1", "2", "3", "4", "5", "6", "7"});
  for (int32_t row : {2, 3, 4}) listSetSelected(l, row, true);
  EXPECT_EQ(runs(l), "(2,3)");
  EXPECT_EQ(listSelCountGetter(l), 3);
  EXPECT_EQ(listSelectionGetter(l), 2);
  listSetSelected(l, 3, false);
  EXPECT_EQ(runs(l), "(2,1)(4,1)");
  EXPECT_EQ(listSelCountGetter(l), 2);
  listSetSelected(l, 3, true); /* closes the gap */
  EXPECT_EQ(runs(l), "(2,3)");
  listSetSelected(l, 99, true); /* ignored */
  listSetSelected(l, 6, true);
  EXPECT_EQ(runs(l), "(6,1)(2,3)");
  EXPECT_EQ(listSelectionGetter(l), 2);

  RString *t = s("new");
  RuntimeListInsertRow(l, 0, t); /* before: everything moves down */
  EXPECT_EQ(runs(l), "(7,1)(3,3)");
  RuntimeListInsertRow(l, 4, t); /* inside a run: split around the new row */
  RuntimeUnlockString(t);
  EXPECT_EQ(runs(l), "(8,1)(3,1)(5,2)");
  EXPECT_FALSE(listGetSelected(l, 4));
  RuntimeRemoveRow(l, 5); /* a selected row: its run shrinks */
  EXPECT_EQ(runs(l), "(7,1)(3,1)(5,1)");
  RuntimeRemoveRow(l, 3); /* a run of one: gone */
  EXPECT_EQ(runs(l), "(6,1)(4,1)");
  EXPECT_EQ(listSelCountGetter(l), 2);
  EXPECT_EQ(take(listTextGetter(l)), "4");
  EXPECT_EQ(gLog, "") << "Selected reports no Change";

  listSelectionSetter(l, 0, 1);
  EXPECT_EQ(runs(l), "(1,1)");
  listSelectionSetter(l, 0, 1); /* the same row: nothing changed */
  listSelectionSetter(l, 0, 100);
  EXPECT_EQ(listSelectionGetter(l), -1);
  EXPECT_EQ(gLog, "Change Change ");
  RuntimeListEmpty(l);
  EXPECT_EQ(listTextGetter(l), nullptr);
}

TEST_F(ListboxTest, TheSelectionObserverIsToldAroundEachChange) {
  ListboxObject *l = open();
  addAll(l, {"a", "b", "c"});
  static std::string seen;
  seen.clear();
  l->observer = [](ListboxObject *list, bool changing, void *) {
    seen += changing ? "[" + std::to_string(list_selected_count(list))
                     : std::to_string(list_selected_count(list)) + "]";
  };
  listSetSelected(l, 1, true);
  listSetSelected(l, 1, true); /* already: nothing */
  listSelectionSetter(l, 0, 2);
  RuntimeRemoveRow(l, 2);
  l->observer = nullptr;
  EXPECT_EQ(seen, "[01][11][10]");
}

TEST_F(ListboxTest, FoldersOpenUnderThemselvesAndCloseOnlyTheirOwnRows) {
  ListboxObject *l = open();
  l->hierarchical = true;
  add(l, "A", true);
  add(l, "B", true);
  add(l, "c");
  listSetExpanded(l, 0, true);
  EXPECT_EQ(rows(l), "A .A1 .Ax B c");
  EXPECT_EQ(listLastIndexGetter(l), 2);
  listSetExpanded(l, 2, true); /* nested: its rows go under it */
  EXPECT_EQ(rows(l), "A .A1 .Ax ..Ax1 B c");
  listSetExpanded(l, 4, true);
  EXPECT_EQ(rows(l), "A .A1 .Ax ..Ax1 B .B1 .Bx c");
  EXPECT_TRUE(listGetExpanded(l, 0));
  EXPECT_FALSE(listGetExpanded(l, 1));
  listSetSelected(l, 6, true);
  gLog.clear();
  listSetExpanded(l, 1, true);  /* a plain row */
  listSetExpanded(l, 1, false); /* not an open folder */
  EXPECT_EQ(gLog, "");
  listSetExpanded(l, 0, false);
  EXPECT_EQ(gLog, "Collapse(A) ");
  EXPECT_EQ(rows(l), "A B .B1 .Bx c") << "a later folder keeps its children";
  EXPECT_FALSE(listGetExpanded(l, 0));
  EXPECT_EQ(runs(l), "(3,1)");
  listSetExpanded(l, 0, true);
  EXPECT_EQ(rows(l), "A .A1 .Ax B .B1 .Bx c");
}

TEST_F(ListboxTest, SortingOrdersGroupsByTheColumnInEachDirection) {
  ListboxObject *l = open();
  l->hierarchical = true;
  addAll(l, {"b", "d", "a"});
  add(l, "C", true);
  listSetExpanded(l, 3, true);
  EXPECT_EQ(rows(l), "b d a C .C1 .Cx");
  listSelectionSetter(l, 0, 1); /* "d" */
  gLog.clear();
  listHeadingIndexSetter(l, 0, 0);
  EXPECT_EQ(rows(l), "a b C .C1 .Cx d");
  EXPECT_EQ(listHeadingIndexGetter(l), 0);
  EXPECT_EQ(listSelectionGetter(l), 5) << "the selected row is selected at its new place";
  EXPECT_EQ(gLog, "SortColumn(0) Change ");
  listColumnSortDirectionSetter(l, 0, -1);
  RuntimeListResort(l);
  EXPECT_EQ(rows(l), "d C .C1 .Cx b a");
  listColumnSortDirectionSetter(l, 0, 0);
  gLog.clear();
  RuntimeListResort(l);
  EXPECT_EQ(gLog, "") << "a column that does not sort";

  listSetSelected(l, 4, true); /* two rows: both stay selected */
  addHandler(&list, "CompareRows", (void *)onCompare);
  listColumnSortDirectionSetter(l, 1, 1);
  gCompareTakes = true;
  gCompareSign = -1; /* the later row first: the order reverses */
  gLog.clear();
  listHeadingIndexSetter(l, 0, 1);
  EXPECT_EQ(rows(l), "a b C .C1 .Cx d");
  EXPECT_EQ(runs(l), "(1,1)(5,1)");
  EXPECT_EQ(comparedRows(gLog), "0 1 4 5") << gLog << ": the groups' own first rows";
  gCompareTakes = false; /* the texts of column 1 decide: all empty, the order stays */
  RuntimeListResort(l);
  EXPECT_EQ(rows(l), "a b C .C1 .Cx d");
}

TEST_F(ListboxTest, AnExceptionOutOfAHandlerLeavesTheListAsItWas) {
  using namespace compiled;
  Machine m; /* a handler that raises NilObjectException */
  Code raise;
  enter(raise, 1);
  callAt(raise, (void *)RuntimeNilObject);
  m.place(1, raise);
  replaceHandler(&list, "ExpandRow", m.at(1));
  addHandler(&list, "CompareRows", m.at(1));
  ListboxObject *l = open();
  l->hierarchical = true;
  add(l, "F", true);
  addAll(l, {"b", "a"});
  EXPECT_EQ(Catcher().raised((void *)listSetExpanded, Words()(l)(0)(1)), "NilObjectException");
  add(l, "c");
  EXPECT_EQ(rows(l), "F b a c") << "rows added later are not the folder's";
  int32_t used = pool_used();
  EXPECT_EQ(Catcher().raised((void *)RuntimeListResort, Words()(l)), "");
  EXPECT_EQ(Catcher().raised((void *)listHeadingIndexSetter, Words()(l)(0)(0)),
            "NilObjectException");
  EXPECT_EQ(rows(l), "F b a c");
  EXPECT_EQ(pool_used(), used) << "the sort's records were not given back";
} /* and the list goes with its window: nothing keeps it */

// A provider of rows of two fields: "r<row>" and "f<row>".
Object *gRecord;
int32_t gRecordRow;
Object *providerGetRow(Object *, int32_t row) {
  gRecordRow = row;
  return RuntimeLockObject(gRecord);
}
int32_t recordFieldCount(Object *) { return 2; }
RString *recordField(Object *, int32_t field) {
  std::string t = (field == 1 ? "r" : "f") + std::to_string(gRecordRow);
  return str_from(t.c_str());
}

TEST_F(ListboxTest, ABoundProviderSuppliesTheTextsAndTheSettersDoNothing) {
  ClassDef provider, record;
  derive(&provider, "TestProvider", nullptr, sizeof(Object));
  derive(&record, "TestRecord", nullptr, sizeof(Object));
  class_add_method(&provider, "GetRow", nullptr, nullptr, 0, (void *)providerGetRow);
  class_add_method(&record, "FieldCount", nullptr, nullptr, 0, (void *)recordFieldCount);
  class_add_method(&record, "getIndString", nullptr, nullptr, 0, (void *)recordField);
  gRecord = CreateInstance(&record);
  ListboxObject *l = open();
  addAll(l, {"a", "b"});
  l->provider = CreateInstance(&provider);
  EXPECT_EQ(take(RuntimeGetRow(l, 1)), "r2");
  EXPECT_EQ(take(listGetCell(l, 0, 1)), "f1");
  EXPECT_EQ(listGetCell(l, 0, 2), nullptr); /* beyond the fields */
  add(l, "c");
  setCell(l, 0, 0, "x");
  RuntimeRemoveRow(l, 0);
  EXPECT_EQ(listCountGetter(l), 2);
  RuntimeUnlockObject(l->provider);
  l->provider = nullptr;
  EXPECT_EQ(rows(l), "a b");
  RuntimeUnlockObject(gRecord);
  close_test_window(w);
  retire_test_classes({&provider, &record});
}

TEST_F(ListboxTest, WithoutAPaneTheModelAnswersAndFreesEverything) {
  int32_t start = pool_used();
  ListboxObject *l = (ListboxObject *)CreateInstance(registry_find("Listbox"));
  EXPECT_EQ(listCountGetter(l), 0);
  EXPECT_EQ(gRecorder.boxes.size(), 0u);
  addAll(l, {"a", "b", "c"});
  setCell(l, 2, 40, "x");
  listSetCellBold(l, 0, 3, true);
  listSetSelected(l, 1, true);
  listSelectionSetter(l, 0, 2);
  EXPECT_EQ(listCountGetter(l), 3);
  EXPECT_EQ(listSelectionGetter(l), -1);
  EXPECT_EQ(listSelCountGetter(l), 0);
  EXPECT_EQ(listHeadingIndexGetter(l), -1);
  EXPECT_EQ(l->pendingIndex, 2);
  RString *h = s("Name");
  RString *widths = s("10,20");
  listColumnWidthsSetter(l, 0, widths);
  RuntimeUnlockString(widths);
  listHeadingIndexSetter(l, 0, 0);
  EXPECT_EQ(l->sortColumn, 0);
  l->columns[1].heading = h;
  RuntimeUnlockObject(&l->control.header);
  EXPECT_EQ(pool_used(), start) << "a row, cell or text was not released";
}

// Figures only: 10,000 rows of three columns added, sorted and selected.
TEST_F(ListboxTest, TenThousandRowsAreAddedSortedAndSelectedQuickly) {
  ListboxObject *l = open();
  listColumnCountSetter(l, 0, 3);
  auto start = std::chrono::steady_clock::now();
  char text[16];
  for (int32_t i = 0; i < 10000; i++) {
    snprintf(text, sizeof text, "%05d", (i * 7919) % 10000);
    add(l, text);
    setCell(l, i, 1, text);
    setCell(l, i, 2, "c");
  }
  auto added = std::chrono::steady_clock::now();
  RuntimeListResort(l); /* no sort column yet */
  listHeadingIndexSetter(l, 0, 1);
  auto sorted = std::chrono::steady_clock::now();
  for (int32_t i = 0; i < 10000; i++) listSetSelected(l, i, true);
  EXPECT_EQ(listSelCountGetter(l), 10000);
  listSelectionSetter(l, 0, 9999);
  auto selected = std::chrono::steady_clock::now();
  EXPECT_EQ(take(RuntimeGetRow(l, 0)), "00000");
  EXPECT_EQ(take(RuntimeGetRow(l, 9999)), "09999");
  EXPECT_EQ(listSelCountGetter(l), 1);
  auto ms = [](auto a, auto b) {
    return (long)std::chrono::duration_cast<std::chrono::milliseconds>(b - a).count();
  };
  printf("10000 rows: added in %ld ms, sorted in %ld ms, selected in %ld ms\n", ms(start, added),
         ms(added, sorted), ms(sorted, selected));
}

} // namespace
