// The data control on a real window over an engine in memory: moving fills
// every kind of bound control, writing back updates, inserts and deletes
// rows, refusals leave the rows alone, and a control with no database or no
// rows does nothing; and a data control's part moves it for another control.
#include "describe.h"
#include "database/datacontrol.h"
#include "database/dbinternal.h"
#include "files/file.h"
#include "memengine.h"
#include "recorder.h"
#include "texts.h"
#include "ui/buttons.h"
#include "ui/editfield.h"
#include "ui/listbox.h"
#include "ui/popupmenu.h"
#include "ui/statictext.h"
#include "objects/variant.h"

// Entry points whose headers do not declare them.
extern "C" {
void setPopupRowTag(PopupMenuObject *p, int32_t index, Object *tag);
void pbAddActionNotificationReceiver(PushButtonObject *b, Object *r);
}

namespace {

using namespace describe;
using memdb::Value;

std::string gLog;

std::string nameOf(Object *o) { return str_cview(as_control(o)->name); }

void onReposition(Object *o) {
  DataControlObject *dc = (DataControlObject *)o;
  gLog += "Reposition " + std::to_string(DataControlRow(dc)) + " ";
}
bool gRefuse = false;
bool onValidate(Object *) {
  gLog += "Validate ";
  return gRefuse;
}
void onAction(Object *o) { gLog += nameOf(o) + ".Action "; }

const DbSlots kNoSlots = {};

class DataControlTest : public RuntimeTest {
protected:
  enum { kWindow, kData, kEdit, kCheck, kRadio, kList, kPopup, kStatic, kButton, kClasses };
  ClassDef window, data, check, radio;
  ClassDef *table[kClasses] = {&window, &data, nullptr, &check, &radio,
                               nullptr, nullptr, nullptr, nullptr};
  WindowObject *w = nullptr;
  memdb::Engine engine;
  DatabaseObject *db = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    gLog.clear();
    gRefuse = false;
    derive(&window, "TestWindow", gWindowClass, 120);
    derive(&data, "MyData", registry_find("DataControl"), 136);
    addHandler(&data, "Reposition", (void *)onReposition);
    addHandler(&data, "Validate", (void *)onValidate);
    derive(&check, "MyCheck", registry_find("CheckBox"), 140);
    addHandler(&check, "Action", (void *)onAction);
    derive(&radio, "MyRadio", registry_find("RadioButton"), 124);
    addHandler(&radio, "Action", (void *)onAction);
    table[kEdit] = registry_find("EditField");
    table[kList] = registry_find("Listbox");
    table[kPopup] = registry_find("PopupMenu");
    table[kStatic] = registry_find("StaticText");
    table[kButton] = registry_find("PushButton");
    gClassTable = table;
    gClassCount = kClasses;
    engine.table("people", {"id", "name", "member", "colour", "city", "size"},
                 {kDbInteger, kDbText, kDbBoolean, kDbText, kDbText, kDbText});
    engine.add("people", {"1", "Ann", "1", "Red", "Paris", "S"});
    engine.add("people", {"2", "Bob", "0", "Blue", "Tokyo", "L"});
    engine.add("people", {"3", "Cy", std::nullopt, std::nullopt, std::nullopt, std::nullopt});
    engine.table("empty", {"id", "name"}, {kDbInteger, kDbText});
    db = database_new();
    database_attach_engine(db, &engine.base, &kNoSlots, &engine.base);
  }
  void TearDown() override {
    close_test_window(w);
    databaseClose(db);
    RuntimeUnlockObject(&db->header);
    EXPECT_EQ(engine.openCursors, 0) << "a cursor outlives its data control";
    retire_test_classes({&window, &data, &check, &radio});
    RuntimeTest::TearDown();
  }

  static Pairs at(const char *name, Rect16 r, Pairs extra = {}) {
    return placed(name, "-2147483648", r, extra);
  }
  // The data control "Data" over table, and one control of each kind bound
  // to it: by DataSource, or (the radios, which have none) by ControlBind.
  void open(const char *tableName = "people", Pairs dataExtra = {}) {
    Description d(kWindow, {{"Name", "W"}, {"Frame", "0"}, {"Width", "500"}, {"Height", "300"}});
    Pairs dataPairs = {{"Caption", "People"},
                       {"TableName", tableName},
                       {"ControlBind", "RedRadio=colour, BlueRadio=colour"}};
    dataPairs.insert(dataPairs.end(), dataExtra.begin(), dataExtra.end());
    auto source = [](const char *field) {
      return Pairs{{"DataSource", "Data"}, {"DataField", field}};
    };
    d.control(kData, at("Data", {250, 10, 274, 250}, dataPairs))
        .control(kEdit, at("NameField", {10, 10, 32, 200}, source("name")))
        .control(kCheck, at("Member", {40, 10, 60, 200},
                            {{"Caption", "Member"}, {"DataSource", "Data"}, {"DataField", "member"}}))
        .control(kRadio, at("RedRadio", {70, 10, 90, 100}, {{"Caption", "Red"}}))
        .control(kRadio, at("BlueRadio", {70, 110, 90, 200}, {{"Caption", "Blue"}}))
        .control(kList, at("Cities", {100, 10, 180, 200},
                           {{"InitialValue", "Paris\rTokyo\rLima"}, {"DataSource", "Data"},
                            {"DataField", "city"}}))
        .control(kPopup, at("Size", {190, 10, 210, 200},
                            {{"InitialValue", "S\rM\rL"}, {"DataSource", "Data"}, {"DataField", "size"}}))
        .control(kStatic, at("IdText", {220, 10, 240, 200}, source("id")));
    gClassTable = table; /* closing a window forgets them */
    gClassCount = kClasses;
    w = open_window(d);
    ASSERT_TRUE(w);
    window_pass();
    pump();
    gLog.clear();
  }
  DataControlObject *dc() { return (DataControlObject *)control_named(w, "Data"); }
  void bind() {
    DataControlDBSetter(dc(), 0, db);
    pump();
  }
  template <class T> T *get(const char *name) { return (T *)control_named(w, name); }

  // What the bound controls show, in one line.
  std::string shown() {
    ButtonObject *member = get<ButtonObject>("Member");
    ButtonObject *red = get<ButtonObject>("RedRadio"), *blue = get<ButtonObject>("BlueRadio");
    ListboxObject *list = get<ListboxObject>("Cities");
    PopupMenuObject *size = get<PopupMenuObject>("Size");
    int32_t city = list_first_selected(list);
    int32_t sz = popup_selection(size);
    return take(editTextGetter(get<EditFieldObject>("NameField"))) + " member=" +
           std::to_string(member->value) + " colour=" +
           (red->value ? "Red" : blue->value ? "Blue" : "-") +
           " city=" + (city >= 0 ? take(list_cell_text(list, city, 0)) : "-") +
           " size=" + (sz >= 0 ? str_cview(popup_row(size, sz)->text) : "-") +
           " id=" + str_cview(((StaticTextObject *)get<ControlObject>("IdText"))->text);
  }
  std::string row(int i) {
    std::string out;
    for (const Value &v : engine.find("people")->rows[i]) out += (v ? *v : "NULL") + ",";
    return out;
  }
  int32_t errorCode() { return databaseErrorCodeGetter(db); }
};

TEST_F(DataControlTest, MovingFillsEveryKindOfBoundControl) {
  open();
  bind();
  EXPECT_EQ(DataControlRowCount(dc()), 3);
  EXPECT_EQ(DataControlRow(dc()), 1);
  EXPECT_EQ(shown(), "Ann member=1 colour=Red city=Paris size=S id=1");
  EXPECT_NE(gLog.find("Reposition 1"), std::string::npos) << gLog;
  gLog.clear();
  DataControlMoveNext(dc());
  EXPECT_EQ(shown(), "Bob member=0 colour=Blue city=Tokyo size=L id=2");
  /* ControlBind's controls first, then the window's in order; a value that
     changes reports as a change made by code does */
  EXPECT_EQ(gLog, "BlueRadio.Action Member.Action Reposition 2 ");
  DataControlMoveLast(dc());
  EXPECT_EQ(DataControlRow(dc()), 3);
  EXPECT_EQ(shown(), "Cy member=0 colour=- city=- size=- id=3"); /* NULLs blank the controls */
  DataControlMoveNext(dc()); /* past the last: stays */
  EXPECT_EQ(DataControlRow(dc()), 3);
  DataControlMovePrev(dc());
  EXPECT_EQ(DataControlRow(dc()), 2);
  DataControlMoveFirst(dc());
  DataControlMovePrev(dc()); /* before the first: stays */
  EXPECT_EQ(DataControlRow(dc()), 1);
  DataControlMoveTo(dc(), 2);
  EXPECT_EQ(shown(), "Bob member=0 colour=Blue city=Tokyo size=L id=2");
  for (int32_t bad : {0, 4, -1}) DataControlMoveTo(dc(), bad); /* out of range: ignored */
  EXPECT_EQ(DataControlRow(dc()), 2);
  EXPECT_EQ(DataControlFieldCount(dc()), 6);
  Object *field = DataControlGetField(dc(), Text("NAME"));
  ASSERT_TRUE(field);
  DatabaseCursorFieldObject *f = (DatabaseCursorFieldObject *)field;
  EXPECT_EQ(f->field, 1);
  EXPECT_EQ(take(dbcursor_field_string(f->cursor, f->field)), "Bob");
  RuntimeUnlockObject(field);
  EXPECT_EQ(engine.openCursors, 1);
}

TEST_F(DataControlTest, TheMoveButtonsMoveAndAreDisabledAtTheEnds) {
  open();
  bind();
  HWND pane = dc()->control.pane->hwnd, root = w->view->pane.hwnd;
  Rect16 b = dc()->control.bounds;
  RECT r;
  GetClientRect(pane, &r);
  int bw = r.bottom < r.right / 6 ? r.bottom : r.right / 6;
  auto press = [&](int x) { /* pressed on the pane, released where the window tracks it */
    SendMessageA(pane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, r.bottom / 2));
    SendMessageA(root, WM_LBUTTONUP, 0, MAKELPARAM(x + b.left, r.bottom / 2 + b.top));
    pump();
  };
  press(r.right - bw - bw / 2); /* next */
  EXPECT_EQ(DataControlRow(dc()), 2);
  press(r.right - bw / 2); /* last */
  EXPECT_EQ(DataControlRow(dc()), 3);
  gLog.clear();
  press(r.right - bw / 2); /* at the last row the button does nothing */
  EXPECT_EQ(gLog, "");
  press(bw / 2); /* first */
  EXPECT_EQ(DataControlRow(dc()), 1);
  press(bw + bw / 2); /* previous, disabled on the first row */
  EXPECT_EQ(DataControlRow(dc()), 1);
  char caption[32] = {};
  GetWindowTextA(pane, caption, sizeof caption);
  EXPECT_STREQ(caption, "People");
}

TEST_F(DataControlTest, UpdateRecordWritesEveryBoundControlBack) {
  open();
  bind();
  editTextSetter(get<EditFieldObject>("NameField"), 0, Text("Anna"));
  checkBoxValueSetter(get<ButtonObject>("Member"), 0, false);
  radioValueSetter(get<ButtonObject>("BlueRadio"), 0, true);
  listSelectionSetter(get<ListboxObject>("Cities"), 0, 2);
  RuntimePopupSelectionSetter(get<PopupMenuObject>("Size"), 0, 1);
  gLog.clear();
  DataControlUpdateRecord(dc());
  EXPECT_EQ(errorCode(), 0);
  EXPECT_EQ(row(0), "1,Anna,0,Blue,Lima,M,");
  EXPECT_EQ(gLog, "Validate Reposition 1 ");
  DataControlMoveNext(dc());
  DataControlMovePrev(dc());
  EXPECT_EQ(shown(), "Anna member=0 colour=Blue city=Lima size=M id=1");
  EXPECT_EQ(row(1), "2,Bob,0,Blue,Tokyo,L,"); /* the other rows are untouched */
}

TEST_F(DataControlTest, NewRecordBlanksTheControlsAndUpdateRecordInsertsThem) {
  open();
  bind();
  DataControlMoveNext(dc());
  DataControlNewRecord(dc());
  EXPECT_EQ(shown(), " member=0 colour=- city=- size=- id=");
  EXPECT_EQ(engine.find("people")->rows.size(), 3u); /* nothing written yet */
  editTextSetter(get<EditFieldObject>("NameField"), 0, Text("Dee"));
  checkBoxValueSetter(get<ButtonObject>("Member"), 0, true);
  DataControlUpdateRecord(dc());
  EXPECT_EQ(errorCode(), 0);
  ASSERT_EQ(engine.find("people")->rows.size(), 4u);
  /* the list's and pop-up's empty choices are text, so stored empty; id is
     no text, so left NULL */
  EXPECT_EQ(row(3), "NULL,Dee,1,NULL,,,");
  EXPECT_EQ(DataControlRowCount(dc()), 4);
  EXPECT_EQ(DataControlRow(dc()), 4); /* it stands on the new row */
  EXPECT_FALSE(dc()->adding);
  DataControlUpdateRecord(dc()); /* now an update of that row, not a second insert */
  EXPECT_EQ(engine.find("people")->rows.size(), 4u);
  DataControlAddNewRecord(dc()); /* inserts what the controls show at once */
  EXPECT_EQ(engine.find("people")->rows.size(), 5u);
  EXPECT_EQ(row(4), "NULL,Dee,1,NULL,,,");
  DataControlNewRecord(dc());
  DataControlMoveFirst(dc()); /* moving away gives the blank row up */
  EXPECT_FALSE(dc()->adding);
  EXPECT_EQ(shown(), "Ann member=1 colour=Red city=Paris size=S id=1");
}

// A control bound to a field the rows lack shows nothing and is left out of
// what is written, so the rest of the row is still written.
TEST_F(DataControlTest, ControlsBoundToFieldsTheRowsLackAreLeftOut) {
  open("people", {{"ControlBind", "RedRadio=colour, BlueRadio=colour, Member=nickname"}});
  bind();
  EXPECT_EQ(shown(), "Ann member=0 colour=Red city=Paris size=S id=1");
  DataControlAddNewRecord(dc());
  EXPECT_EQ(errorCode(), 0);
  ASSERT_EQ(engine.find("people")->rows.size(), 4u);
  EXPECT_EQ(row(3), "NULL,Ann,NULL,Red,Paris,S,");
  DataControlUpdateRecord(dc());
  EXPECT_EQ(errorCode(), 0);
}

TEST_F(DataControlTest, DeleteRecordStandsOnTheRowThatFollows) {
  open();
  bind();
  DataControlMoveNext(dc());
  DataControlDeleteRecord(dc());
  EXPECT_EQ(DataControlRowCount(dc()), 2);
  EXPECT_EQ(DataControlRow(dc()), 2);
  EXPECT_EQ(take(editTextGetter(get<EditFieldObject>("NameField"))), "Cy");
  DataControlDeleteRecord(dc()); /* the last row: the one before it takes its place */
  EXPECT_EQ(DataControlRow(dc()), 1);
  EXPECT_EQ(take(editTextGetter(get<EditFieldObject>("NameField"))), "Ann");
  DataControlDeleteRecord(dc());
  EXPECT_EQ(DataControlRowCount(dc()), 0);
  EXPECT_EQ(DataControlRow(dc()), 0);
  EXPECT_EQ(shown(), " member=0 colour=- city=- size=- id=");
  DataControlDeleteRecord(dc()); /* nothing left: refused, not a crash */
  EXPECT_EQ(errorCode(), kDataErrNoRow);
}

// ReadOnly, a cursor that cannot edit, an engine that fails and a Validate
// handler that answers True each keep the rows as they were.
TEST_F(DataControlTest, RefusedWritesLeaveTheRowsAlone) {
  open();
  bind();
  std::string before = row(0);
  DataControlReadOnlySetter(dc(), 0, true);
  EXPECT_TRUE(DataControlRecordLockedGetter(dc()));
  for (void (*write)(DataControlObject *) :
       {DataControlUpdateRecord, DataControlAddNewRecord, DataControlDeleteRecord}) {
    KARUDatabaseSetError(db, 0, nullptr);
    write(dc());
    EXPECT_EQ(errorCode(), kDataErrReadOnly);
  }
  DataControlNewRecord(dc());
  EXPECT_FALSE(dc()->adding);
  DataControlReadOnlySetter(dc(), 0, false);
  EXPECT_FALSE(DataControlRecordLockedGetter(dc()));

  gRefuse = true;
  gLog.clear();
  DataControlUpdateRecord(dc());
  EXPECT_EQ(gLog, "Validate ");
  gRefuse = false;

  engine.failInserts = 1;
  DataControlAddNewRecord(dc());
  EXPECT_EQ(errorCode(), 1019);
  EXPECT_EQ(take(databaseErrorStringGetter(db)), "disk full");

  engine.lacks = memdb::kLacksEdit;
  DataControlRunQuery(dc());
  EXPECT_TRUE(DataControlRecordLockedGetter(dc()));
  DataControlUpdateRecord(dc());
  EXPECT_EQ(errorCode(), kDataErrCannotEdit);
  DataControlDeleteRecord(dc());
  EXPECT_EQ(errorCode(), kDataErrCannotEdit);
  EXPECT_EQ(row(0), before);
  EXPECT_EQ(engine.find("people")->rows.size(), 3u);
}

// A cursor with no way back and no identities still reaches every row: the
// data control runs it again from the start.
TEST_F(DataControlTest, AForwardOnlyCursorStillReachesEveryRow) {
  engine.lacks = memdb::kLacksBack | memdb::kLacksSeek;
  open();
  bind();
  EXPECT_EQ(DataControlRowCount(dc()), 3);
  DataControlMoveLast(dc());
  EXPECT_EQ(take(editTextGetter(get<EditFieldObject>("NameField"))), "Cy");
  DataControlMovePrev(dc());
  EXPECT_EQ(take(editTextGetter(get<EditFieldObject>("NameField"))), "Bob");
  DataControlMoveFirst(dc());
  EXPECT_EQ(take(editTextGetter(get<EditFieldObject>("NameField"))), "Ann");
  EXPECT_EQ(engine.openCursors, 1); /* the earlier runs were closed */
}

TEST_F(DataControlTest, WithNoDatabaseNoTableOrNoRowsEverythingIsAQuietNoOp) {
  open();
  for (void (*act)(DataControlObject *) :
       {DataControlMoveNext, DataControlMovePrev, DataControlMoveFirst, DataControlMoveLast,
        DataControlRunQuery, DataControlUpdateRecord, DataControlAddNewRecord,
        DataControlDeleteRecord, DataControlNewRecord, DataControlClearBoundControls})
    act(dc());
  EXPECT_EQ(DataControlRowCount(dc()), 0);
  EXPECT_EQ(DataControlRow(dc()), 0);
  EXPECT_EQ(DataControlFieldCount(dc()), 0);
  EXPECT_EQ(DataControlGetCursor(dc()), nullptr);
  EXPECT_EQ(DataControlGetField(dc(), Text("name")), nullptr);
  EXPECT_TRUE(DataControlRecordLockedGetter(dc()));
  close_test_window(w);

  open("empty");
  bind();
  EXPECT_EQ(DataControlRowCount(dc()), 0);
  EXPECT_EQ(DataControlRow(dc()), 0);
  DataControlMoveNext(dc());
  DataControlUpdateRecord(dc());
  EXPECT_EQ(errorCode(), kDataErrNoRow);
  close_test_window(w);

  open("nosuchtable");
  bind();
  EXPECT_EQ(errorCode(), 1010);
  EXPECT_EQ(DataControlRowCount(dc()), 0);
  DataControlTableNameSetter(dc(), 0, nullptr);
  DataControlRunQuery(dc());
  EXPECT_EQ(errorCode(), kDataErrNoSource);
  DataControlDBSetter(dc(), 0, nullptr); /* letting go of the database blanks the controls */
  EXPECT_EQ(DataControlDBGetter(dc()), nullptr);
}

// The same over a file of the embedded engine, when the runtime carries one.
TEST_F(DataControlTest, OverTheEmbeddedEngineRowsAreReadWrittenAddedAndDeleted) {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  std::string path = std::string(folder) + "dctest" + std::to_string(GetCurrentProcessId()) + ".db";
  Object *item = folderitem_at(path.c_str());
  DatabaseObject *real = (DatabaseObject *)newKARUDatabase(item);
  RuntimeUnlockObject(item);
  if (!real) GTEST_SKIP() << "this runtime carries no storage engine";
  DbEngine *e = real->engine;
  DbColumn columns[] = {{{"name", 4}, kDbText, 1}, {{"member", 6}, kDbBoolean, 1}};
  ASSERT_TRUE(e->ops->createTable(e, {"people", 6}, columns, 2, nullptr, 0));
  for (const char *name : {"Ann", "Bob"}) {
    DbAssignment row[] = {{{"name", 4}, {name, 3}, 1}, {{"member", 6}, {"1", 1}, 0}};
    ASSERT_TRUE(e->ops->insert(e, {"people", 6}, row, 2));
  }
  open();
  DataControlDBSetter(dc(), 0, real);
  EXPECT_EQ(DataControlRowCount(dc()), 2);
  EXPECT_EQ(shown(), "Ann member=1 colour=- city=- size=- id=");
  editTextSetter(get<EditFieldObject>("NameField"), 0, Text("Anna"));
  checkBoxValueSetter(get<ButtonObject>("Member"), 0, false);
  DataControlUpdateRecord(dc());
  EXPECT_EQ(databaseErrorCodeGetter(real), 0);
  DataControlMoveNext(dc());
  DataControlMovePrev(dc());
  EXPECT_EQ(shown(), "Anna member=0 colour=- city=- size=- id=");
  editTextSetter(get<EditFieldObject>("NameField"), 0, Text("Cy"));
  DataControlAddNewRecord(dc());
  EXPECT_EQ(DataControlRowCount(dc()), 3);
  EXPECT_EQ(take(editTextGetter(get<EditFieldObject>("NameField"))), "Cy");
  DataControlMoveFirst(dc());
  DataControlDeleteRecord(dc());
  EXPECT_EQ(DataControlRowCount(dc()), 2);
  EXPECT_EQ(take(editTextGetter(get<EditFieldObject>("NameField"))), "Bob");
  DataControlQuerySetter(dc(), 0, Text("select name from people where name = 'Cy'"));
  EXPECT_EQ(databaseErrorCodeGetter(real), 0);
  EXPECT_EQ(DataControlRowCount(dc()), 1); /* a query takes the table's place */
  EXPECT_EQ(take(editTextGetter(get<EditFieldObject>("NameField"))), "Cy");
  close_test_window(w);
  databaseClose(real);
  RuntimeUnlockObject(&real->header);
  DeleteFileA(path.c_str());
}

// A push button's action receivers include the data control's parts, so a
// button moves the data control as its own buttons do.
TEST_F(DataControlTest, ADataControlPartPerformsItsActionForAnyActionSource) {
  open();
  bind();
  EXPECT_EQ(DataControlGetConstant(dc(), Text("movenext")), kDataMoveNext);
  EXPECT_EQ(DataControlGetConstant(dc(), Text("Jump")), kDataNoAction);
  EXPECT_EQ(DataControlGetBoundPart(dc(), Text("Jump")), nullptr);
  Object *next = DataControlGetBoundPart(dc(), Text("MoveNext"));
  ASSERT_TRUE(next);
  Object *button = CreateInstance(registry_find("PushButton"));
  pbAddActionNotificationReceiver((PushButtonObject *)button, next);
  RuntimeUnlockObject(next); /* the button keeps it, and it keeps the data control */
  void *perform = method_entry(next, "performAction");
  ASSERT_TRUE(perform);
  ((void (*)(Object *))perform)(next);
  EXPECT_EQ(DataControlRow(dc()), 2);
  RuntimeUnlockObject(button);
}

} // namespace
