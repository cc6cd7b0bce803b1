// The plug-in helpers that read constants, find interface routines and
// event handlers, and paint a control's background, called in-process with
// what a careless plug-in might pass them as well as what a careful one does.
#include "describe.h"
#include "karuplugin.h"
#include "plugins/helpers.h"
#include "recorder.h"
#include "ui/plugincontrol.h"

extern "C" void pbAddActionNotificationReceiver();

namespace {

using namespace describe;

class PluginHelpersTest : public RuntimeTest {
protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    ASSERT_TRUE(interfaces_build());
  }
};

TEST_F(PluginHelpersTest, ConstantTextsReadAsTheirValuesAndJunkAsNothing) {
  struct {
    const char *text;
    int32_t type, integer;
    double real;
  } cases[] = {
      {"42", KARU_CONSTANT_INTEGER, 42, 0},
      {"  -7\t", KARU_CONSTANT_INTEGER, -7, 0},
      {"&hFF", KARU_CONSTANT_INTEGER, 255, 0},
      {"&HffffFFFF", KARU_CONSTANT_INTEGER, -1, 0},
      {"&o17", KARU_CONSTANT_INTEGER, 15, 0},
      {"&b101", KARU_CONSTANT_INTEGER, 5, 0},
      {"2.5", KARU_CONSTANT_DOUBLE, 0, 2.5},
      {"-1e3", KARU_CONSTANT_DOUBLE, 0, -1000},
      {"3000000000", KARU_CONSTANT_DOUBLE, 0, 3e9}, /* wider than an Integer */
      {"true", KARU_CONSTANT_BOOLEAN, 1, 0},
      {"FALSE", KARU_CONSTANT_BOOLEAN, 0, 0},
      {"&cFF8000", KARU_CONSTANT_COLOR, 0xFF8000, 0},
      {"", KARU_CONSTANT_NONE, 0, 0},
      {"abc", KARU_CONSTANT_NONE, 0, 0},
      {"&h", KARU_CONSTANT_NONE, 0, 0},
      {"&h123456789", KARU_CONSTANT_NONE, 0, 0}, /* more than 32 bits */
      {"&hFG", KARU_CONSTANT_NONE, 0, 0},
      {"&b102", KARU_CONSTANT_NONE, 0, 0},
      {"&cFF80", KARU_CONSTANT_NONE, 0, 0}, /* a colour has all six digits */
      {"1.2.3", KARU_CONSTANT_NONE, 0, 0},
      {"inf", KARU_CONSTANT_NONE, 0, 0},
      {"nan", KARU_CONSTANT_NONE, 0, 0},
      {"0x10", KARU_CONSTANT_NONE, 0, 0},
      {"1e", KARU_CONSTANT_NONE, 0, 0},
      {"\"open", KARU_CONSTANT_NONE, 0, 0},
      {"\"a\"b\"", KARU_CONSTANT_NONE, 0, 0}, /* a lone quote inside */
  };
  for (auto &c : cases) {
    KARUConstantValue v;
    memset(&v, 0x55, sizeof v);
    EXPECT_EQ(PluginInterpretConstantValue(c.text, &v), c.type) << c.text;
    EXPECT_EQ(v.type, c.type) << c.text;
    EXPECT_EQ(v.integer, c.integer) << c.text;
    EXPECT_DOUBLE_EQ(v.real, c.real) << c.text;
    EXPECT_EQ(v.text, nullptr) << c.text;
  }
  EXPECT_EQ(PluginInterpretConstantValue(nullptr, nullptr), KARU_CONSTANT_NONE);
  KARUConstantValue v;
  EXPECT_EQ(PluginInterpretConstantValue(nullptr, &v), KARU_CONSTANT_NONE);
}

TEST_F(PluginHelpersTest, QuotedConstantsBecomeNewStringsWithDoubledQuotesUndone) {
  struct {
    const char *text, *value;
  } cases[] = {{"\"\"", ""}, {" \"plain\" ", "plain"}, {"\"say \"\"hi\"\"\"", "say \"hi\""}};
  for (auto &c : cases) {
    KARUConstantValue v;
    ASSERT_EQ(PluginInterpretConstantValue(c.text, &v), KARU_CONSTANT_STRING) << c.text;
    EXPECT_STREQ(str_cview((RString *)v.text), c.value);
    RuntimeUnlockString((RString *)v.text);
  }
}

TEST_F(PluginHelpersTest, InterfaceRoutinesAreFoundByNameAndNothingElseIs) {
  Object *button = CreateInstance(registry_find("PushButton"));
  ASSERT_TRUE(button);
  EXPECT_EQ(GetInterfaceRoutine(button, "actionSource", "addActionNotificationReceiver"),
            (void *)&pbAddActionNotificationReceiver);
  EXPECT_EQ(GetInterfaceRoutine(button, "ACTIONSOURCE", "AddActionNotificationReceiver"),
            (void *)&pbAddActionNotificationReceiver); /* names in any case */
  EXPECT_EQ(GetInterfaceRoutine(button, "actionSource", "performAction"), nullptr);
  EXPECT_EQ(GetInterfaceRoutine(button, "dataNotifier", "addDataNotificationReceiver"), nullptr);
  EXPECT_EQ(GetInterfaceRoutine(button, "NoSuchInterface", "x"), nullptr);
  EXPECT_EQ(GetInterfaceRoutine(button, nullptr, "addActionNotificationReceiver"), nullptr);
  EXPECT_EQ(GetInterfaceRoutine(button, "actionSource", nullptr), nullptr);
  EXPECT_EQ(GetInterfaceRoutine(nullptr, "actionSource", "addActionNotificationReceiver"), nullptr);
  RuntimeUnlockObject(button);
}

void onAction(Object *) {}

TEST_F(PluginHelpersTest, AnEventsHandlerIsFoundOnlyForAnEventOfTheInstancesClass) {
  ClassDef pressed;
  derive(&pressed, "PressedButton", registry_find("PushButton"), 120);
  addHandler(&pressed, "Action", (void *)onAction);
  Object *button = CreateInstance(&pressed);
  ASSERT_TRUE(button);
  EventRecord *action = class_find_event(&pressed, "Action");
  EventRecord *gotFocus = class_find_event(&pressed, "GotFocus");
  EventRecord *timerAction = class_find_event(registry_find("Timer"), "Action");
  ASSERT_TRUE(action && gotFocus && timerAction);
  EXPECT_EQ(GetEventInstance(button, action), (void *)onAction);
  EXPECT_EQ(GetEventInstancePPC(button, action), (void *)onAction);
  EXPECT_EQ(GetEventInstance(button, gotFocus), nullptr);                /* declared, no handler */
  EXPECT_EQ(GetEventInstance(button, timerAction), nullptr);             /* another class's event */
  EXPECT_EQ(GetEventInstance(button, (EventRecord *)&pressed), nullptr); /* not an event */
  EXPECT_EQ(GetEventInstance(button, nullptr), nullptr);
  EXPECT_EQ(GetEventInstance(nullptr, action), nullptr);
  RuntimeUnlockObject(button);
  class_teardown(&pressed);
}

TEST_F(PluginHelpersTest, TheBackgroundIsPaintedOnlyForAControlWithAPaneIntoAContext) {
  Object *loose = CreateInstance(registry_find("PushButton")); /* on no window: no pane */
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(KARUSetSpecialBackground(loose, dc), 0);
  EXPECT_EQ(KARUSetSpecialBackground(nullptr, dc), 0);
  EXPECT_EQ(KARUSetSpecialBackground(loose, nullptr), 0);
  Object *notControl = CreateInstance(registry_find("Dictionary"));
  EXPECT_EQ(KARUSetSpecialBackground(notControl, dc), 0);
  EXPECT_TRUE(KARUinRuntime());
  EXPECT_EQ(KARUGetQXVersion(), kRuntimeVersion);
  DeleteDC(dc);
  RuntimeUnlockObject(notControl);
  RuntimeUnlockObject(loose);
}

} // namespace
