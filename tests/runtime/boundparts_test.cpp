// The parts of controls that bindings attach to, on a real window: a check
// box's data receivers and its checked and unchecked parts in the order they
// are told, a radio's parts, a list's selection part and a pop-up's row-tag
// provider; and the data sources plug-ins register.
#include "describe.h"
#include "database/datasource.h"
#include "objects/variant.h"
#include "recorder.h"
#include "texts.h"
#include "ui/boundparts.h"
#include "ui/buttons.h"
#include "ui/listbox.h"
#include "ui/popupmenu.h"

extern "C" void setPopupRowTag(PopupMenuObject *p, int32_t index, Object *tag);

namespace {

using namespace describe;

std::string gLog;

std::string nameOf(Object *o) { return str_cview(as_control(o)->name); }

void onAction(Object *o) { gLog += nameOf(o) + ".Action "; }
// A receiver of both kinds of notice, logging what it is told.
void performAction(Object *) { gLog += "performAction "; }
void valueChanged(Object *, Object *source) { gLog += "valueChanged(" + nameOf(source) + ") "; }

class BoundPartsTest : public RuntimeTest {
protected:
  enum { kWindow, kCheck, kRadio, kList, kPopup, kClasses };
  ClassDef window, check, radio, receiverClass;
  ClassDef *table[kClasses] = {&window, &check, &radio, nullptr, nullptr};
  WindowObject *w = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    gLog.clear();
    derive(&window, "TestWindow", gWindowClass, 120);
    derive(&check, "MyCheck", registry_find("CheckBox"), 140);
    addHandler(&check, "Action", (void *)onAction);
    derive(&radio, "MyRadio", registry_find("RadioButton"), 124);
    addHandler(&radio, "Action", (void *)onAction);
    derive(&receiverClass, "Receiver", &gObjectClass, 24);
    class_add_method(&receiverClass, "performAction", nullptr, nullptr, 0, (void *)performAction);
    class_add_method(&receiverClass, "valueChanged", nullptr, nullptr, 0, (void *)valueChanged);
    table[kList] = registry_find("Listbox");
    table[kPopup] = registry_find("PopupMenu");
    gClassTable = table;
    gClassCount = kClasses;
    Description d(kWindow, {{"Name", "W"}, {"Frame", "0"}, {"Width", "400"}, {"Height", "300"}});
    auto at = [](const char *name, Rect16 r, Pairs extra) {
      return placed(name, "-2147483648", r, extra);
    };
    d.control(kCheck, at("Member", {10, 10, 30, 200}, {{"Caption", "Member"}}))
        .control(kRadio, at("RedRadio", {40, 10, 60, 100}, {{"Caption", "Red"}}))
        .control(kRadio, at("BlueRadio", {40, 110, 60, 200}, {{"Caption", "Blue"}}))
        .control(kList, at("Cities", {70, 10, 150, 200}, {{"InitialValue", "Paris\rTokyo"}}))
        .control(kPopup, at("Size", {160, 10, 180, 200}, {{"InitialValue", "S\rM\rL"}}));
    w = open_window(d);
    ASSERT_TRUE(w);
    window_pass();
    pump();
    gLog.clear();
  }
  void TearDown() override {
    close_test_window(w);
    retire_test_classes({&window, &check, &radio, &receiverClass});
    RuntimeTest::TearDown();
  }
  template <class T> T *get(const char *name) { return (T *)control_named(w, name); }
  Object *receiver() { return CreateInstance(&receiverClass); }
};

TEST_F(BoundPartsTest, ACheckBoxTellsItsDataReceiversThenActionThenTheStateReceivers) {
  ButtonObject *member = get<ButtonObject>("Member");
  Object *onChecked = checkBoxGetBoundPart(&member->control.header, Text("getCheckedAction"));
  Object *again = checkBoxGetBoundPart(&member->control.header, Text("GETCHECKEDACTION"));
  Object *onUnchecked = checkBoxGetBoundPart(&member->control.header, Text("getUncheckedAction"));
  ASSERT_TRUE(onChecked && onUnchecked);
  EXPECT_EQ(onChecked, again); /* one part per state */
  EXPECT_NE(onChecked, onUnchecked);
  EXPECT_EQ(checkBoxGetBoundPart(&member->control.header, Text("getValue")), nullptr);
  Object *r = receiver();
  checkBoxAddDataNotificationReceiver(&member->control.header, r);
  cbaAddActionNotificationReceiver((ActionPartObject *)onChecked, r);
  gLog.clear();
  checkBoxValueSetter(member, 0, true);
  EXPECT_EQ(gLog, "valueChanged(Member) Member.Action performAction ");
  gLog.clear();
  checkBoxValueSetter(member, 0, false); /* nobody listens to the unchecked part */
  EXPECT_EQ(gLog, "valueChanged(Member) Member.Action ");
  checkBoxRemoveDataNotificationReceiver(&member->control.header, r);
  cbaRemoveActionNotificationReceiver((ActionPartObject *)onChecked, r);
  gLog.clear();
  checkBoxValueSetter(member, 0, true);
  EXPECT_EQ(gLog, "Member.Action ");
  for (Object *o : {onChecked, again, onUnchecked, r}) RuntimeUnlockObject(o);
}

TEST_F(BoundPartsTest, RadioListAndPopupPartsReportTheirChanges) {
  Object *r = receiver();
  ButtonObject *red = get<ButtonObject>("RedRadio"), *blue = get<ButtonObject>("BlueRadio");
  Object *redOff = radioGetBoundPart(&red->control.header, Text("getUncheckedAction"));
  Object *blueOn = radioGetBoundPart(&blue->control.header, Text("getCheckedAction"));
  rbaAddActionNotificationReceiver((ActionPartObject *)redOff, r);
  rbaAddActionNotificationReceiver((ActionPartObject *)blueOn, r);
  radioValueSetter(red, 0, true);
  gLog.clear();
  radioValueSetter(blue, 0, true); /* red is cleared first, then blue reports */
  EXPECT_EQ(gLog, "performAction BlueRadio.Action performAction ");

  ListboxObject *list = get<ListboxObject>("Cities");
  Object *changed = listGetBoundPart(&list->control.header, Text("getSelectionAction"));
  ASSERT_TRUE(changed);
  lbaAddActionNotificationReceiver((ActionPartObject *)changed, r);
  gLog.clear();
  listSelectionSetter(list, 0, 1);
  listSelectionSetter(list, 0, 1); /* no change: no notice */
  EXPECT_EQ(gLog, "performAction ");
  lbaRemoveActionNotificationReceiver((ActionPartObject *)changed, r);

  PopupMenuObject *size = get<PopupMenuObject>("Size");
  Object *tag = intToVariant(42);
  setPopupRowTag(size, 1, tag);
  RuntimeUnlockObject(tag);
  RuntimePopupSelectionSetter(size, 0, 1);
  Object *rowTag = popupGetBoundPart(&size->control.header, Text("getRowTag"));
  ASSERT_TRUE(rowTag);
  void *getString = method_entry(rowTag, "getString");
  ASSERT_TRUE(getString);
  EXPECT_EQ(take(((RString * (*)(Object *)) getString)(rowTag)), "42");
  EXPECT_EQ(popupGetBoundPart(&size->control.header, Text("nothing")), nullptr);
  for (Object *o : {redOff, blueOn, changed, rowTag, r}) RuntimeUnlockObject(o);
}

// The binding a window description names: an actionBinder joins a part of
// one control to a receiver, which then hears of every change.
TEST_F(BoundPartsTest, AnActionBinderJoinsASourceToItsReceiver) {
  ButtonObject *member = get<ButtonObject>("Member");
  Object *onChecked = checkBoxGetBoundPart(&member->control.header, Text("getCheckedAction"));
  Object *r = receiver(), *binder = CreateInstance(registry_find("actionBinder"));
  void *bind = method_entry(binder, "bind");
  ASSERT_TRUE(bind);
  ((void (*)(Object *, Object *, Object *))bind)(binder, onChecked, r);
  gLog.clear();
  checkBoxValueSetter(member, 0, true);
  EXPECT_EQ(gLog, "Member.Action performAction ");
  for (Object *o : {onChecked, r, binder}) RuntimeUnlockObject(o);
}

// A plug-in's kinds and sources: kinds are unique by name, sources name a
// known kind, and opening one asks its kind with the source's name and data.
Object *gOpened = nullptr;
std::string gOpenedName;
KARUObject openSource(const char *name, void *data) {
  gOpenedName = std::string(name) + ":" + (const char *)data;
  return (KARUObject)RuntimeLockObject(gOpened);
}

TEST(DataSources, PluginDataSourcesOpenThroughTheirKind) {
  datasources_reset();
  static const KARUDataSourceInterface csv = {1, "CSV", openSource};
  static const KARUDataSourceInterface badVersion = {2, "Other", openSource};
  EXPECT_EQ(RegisterDataSourceInterface(&csv), 1);
  EXPECT_EQ(RegisterDataSourceInterface(&csv), 0);       /* the kind is taken */
  EXPECT_EQ(RegisterDataSourceInterface(&badVersion), 0);
  EXPECT_EQ(RegisterDataSourceInterface(nullptr), 0);
  static char data[] = "c:\\people.csv";
  EXPECT_EQ(RegisterDataSource("csv", "People", data), 1);
  EXPECT_EQ(RegisterDataSource("CSV", "PEOPLE", data), 0); /* the name is taken */
  EXPECT_EQ(RegisterDataSource("Other", "Things", data), 0);
  Object *db = CreateInstance(registry_find("Database"));
  gOpened = db;
  Object *opened = datasource_open(Text("people"));
  EXPECT_EQ(opened, db);
  EXPECT_EQ(gOpenedName, "People:c:\\people.csv");
  RuntimeUnlockObject(opened);
  EXPECT_EQ(datasource_open(Text("Nobody")), nullptr);
  DesignAddDataSource("People");
  DesignAddDataSource("people");
  DesignAddDataSource("");
  EXPECT_EQ(datasource_design_count(), 1);
  EXPECT_EQ(std::string(str_cview(datasource_design_name(0))), "People");
  datasources_reset();
  RuntimeUnlockObject(db);
}

} // namespace
