// The built-in class registry: lookup by name, the class tree, sizes and
// interfaces, the members other parts rely on, and the shared field accessors.
#include "objects/objects.h"
#include "objects/registry.h"
#include "startup/init.h"
#include "recorder.h"
#include "startup/entrytable.h"
#include "text/string.h"
#include <set>
#include <string>

namespace {

std::string text(const RString *s) { return s ? str_cview(s) : "(nil)"; }

class RegistryTest : public RuntimeTest {
protected:
  static void SetUpTestSuite() { runtime_classes_init(); }

  static ClassDef *cls(const char *name) {
    ClassDef *c = registry_find(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  static PropertyRecord *property(ClassDef *c, const char *name) {
    for (PropertyRecord *p = c->properties; p; p = p->next)
      if (name_is(p->name, name)) return p;
    return nullptr;
  }
};

TEST_F(RegistryTest, FindsClassesWhateverTheCaseAndOnlyBuiltIns) {
  struct {
    const char *asked, *found;
  } const cases[] = {
      {"pushbutton", "PushButton"},
      {"PUSHBUTTON", "PushButton"},
      {"object", "Object"},
      {"Runtime", "Runtime"},
      {"sys$keyboard", "Sys$Keyboard"},
      {"qxapplication", nullptr},
      {"PushButton1", nullptr},
      {"", nullptr},
  };
  for (const auto &k : cases) {
    ClassDef *c = registry_find(k.asked);
    EXPECT_EQ(c ? text(c->name) : "(nil)", k.found ? k.found : "(nil)") << k.asked;
  }
  EXPECT_EQ(registry_find("Object"), &gObjectClass);
  EXPECT_EQ(registry_find("runtime"), &gRuntimeClass);
  registry_init(entry_routine); /* a second call changes nothing */
  EXPECT_EQ(registry_find("Object"), &gObjectClass);
}

TEST_F(RegistryTest, WindowAndControlAreRootsAndEveryControlEndsAtControl) {
  EXPECT_EQ(gWindowClass->superclass, nullptr);
  EXPECT_EQ(gControlClass->superclass, nullptr);
  EXPECT_EQ(gRectControlClass->superclass, gControlClass);
  EXPECT_EQ(cls("Dialog")->superclass, gWindowClass);
  for (const char *name :
       {"PushButton",  "CheckBox",   "RadioButton",    "StaticText", "GroupBox",  "EditField",
        "Listbox",     "PopupMenu",  "TabPanel",       "Canvas",     "ScrollBar", "Slider",
        "ProgressBar", "Rectangle",  "RoundRectangle", "Oval",       "Line",      "MoviePlayer",
        "DataControl", "NotePlayer", "ContextualMenu"}) {
    ClassDef *c = cls(name);
    while (c->superclass) c = c->superclass;
    EXPECT_EQ(c, gControlClass) << name;
  }
}

TEST_F(RegistryTest, ClassesCarrySizeSecondNameFlagsAndInterfaces) {
  struct {
    const char *name;
    int32_t size;
    const char *secondName;
    bool creatable, isInterface;
    std::set<std::string> interfaces;
  } const cases[] = {
      {"PushButton", 120, nullptr, false, false, {"actionSource"}},
      {"CheckBox",
       140,
       nullptr,
       false,
       false,
       {"BooleanProvider", "dataNotifier", "bindingPartInterface"}},
      {"EditField", 156, nullptr, false, false, {"StringInterface"}},
      {"Listbox",
       564,
       nullptr,
       false,
       false,
       {"listSelectionNotifier", "listDataNotificationReceiver", "bindingPartInterface",
        "ListInterface"}},
      {"PopupMenu",
       132,
       nullptr,
       false,
       false,
       {"StringProvider", "dataNotifier", "DataAvailableProvider", "ListInterface",
        "bindingPartInterface"}},
      {"Application", 36, "QXApplication", false, false, {}},
      {"Date", 52, "java/util/Date", true, false, {}},
      {"NilObjectException", 28, "java/lang/NullPointerException", true, false, {}},
      {"EndException", 28, nullptr, false, false, {}},
      {"TextInputStream", 1060, nullptr, false, false, {}},
      {"SaveAsDialog", 436, nullptr, true, false, {}},
      {"MDIWindow", 56, nullptr, true, false, {}},
      {"bindingPartInterface", 24, nullptr, false, true, {}},
  };
  for (const auto &k : cases) {
    ClassDef *c = cls(k.name);
    EXPECT_EQ(c->marker, 3) << k.name;
    EXPECT_EQ(c->registered, 1) << k.name;
    EXPECT_EQ(c->instanceSize, k.size) << k.name;
    EXPECT_EQ(text(c->secondName), k.secondName ? k.secondName : "(nil)") << k.name;
    EXPECT_EQ(c->creatable, k.creatable) << k.name;
    EXPECT_EQ(c->isInterface, k.isInterface) << k.name;
    std::set<std::string> interfaces;
    for (InterfaceEntry *i = c->interfaces; i; i = i->next)
      interfaces.insert(text(i->interface->name));
    EXPECT_EQ(interfaces, k.interfaces) << k.name;
  }
}

TEST_F(RegistryTest, PushButtonHasItsTellingMembers) {
  ClassDef *c = cls("PushButton");
  std::string properties;
  for (PropertyRecord *p = c->properties; p; p = p->next) properties += text(p->name) + " ";
  EXPECT_EQ(properties, "Caption Default Cancel TextFont TextSize Bold Italic Underline ");
  EXPECT_EQ(property(c, "Caption")->getter, entry_routine("pushButtonTitleGetter"));
  EXPECT_EQ(property(c, "Default")->type, &kTypeBoolean);

  MethodRecord *add = c->methods, *remove = add->next, *push = remove->next;
  EXPECT_EQ(text(add->name), "addActionNotificationReceiver");
  ASSERT_EQ(remove->parameterCount, 1);
  const ParameterDesc *receiver = (const ParameterDesc *)remove->parameters;
  EXPECT_STREQ(receiver->name, "receiver");
  EXPECT_EQ(receiver->type, registry_find("actionNotificationReceiver"));
  EXPECT_EQ(push->entry, entry_routine("pushButtonPush"));

  struct {
    const char *name, *parameters, *result;
    int32_t number;
  } const events[] = {
      {"Action", nullptr, nullptr, 1001},
      {"MouseDown", "X As Integer, Y As Integer", "Boolean", 501},
      {"MouseUp", "X As Integer, Y As Integer", "Boolean", 502},
      {"GotFocus", nullptr, nullptr, 1004},
      {"LostFocus", nullptr, nullptr, 1005},
  };
  EventRecord *e = c->events;
  for (const auto &k : events) {
    ASSERT_NE(e, nullptr) << k.name;
    EXPECT_EQ(text(e->name), k.name);
    EXPECT_STREQ(e->parameterText ? e->parameterText : "", k.parameters ? k.parameters : "");
    EXPECT_STREQ(e->resultTypeText ? e->resultTypeText : "", k.result ? k.result : "");
    EXPECT_EQ(e->resultType, k.result ? &kTypeBoolean : nullptr) << k.name;
    EXPECT_EQ(e->number, k.number) << k.name;
    e = e->next;
  }
  EXPECT_EQ(e, nullptr);
  EXPECT_EQ(class_find_event(cls("EditField"), "keydown")->number, 401);
  ASSERT_NE(c->handlers, nullptr);
  EXPECT_TRUE(name_is(c->handlers->name, "CreatePane"));
  EXPECT_EQ(gControlClass->handlers, nullptr);
}

TEST_F(RegistryTest, ApplicationHasItsSecondNameAndNineEvents) {
  EXPECT_EQ(text(gApplicationClass->secondName), "QXApplication");
  std::string names;
  EventRecord *last = nullptr;
  for (EventRecord *e = gApplicationClass->events; e; e = e->next)
    names += text(e->name) + " ", last = e;
  EXPECT_EQ(names, "Open Close EnableMenuItems NewDocument OpenDocument HandleAppleEvent Activate "
                   "Deactivate UnhandledException ");
  EXPECT_STREQ(last->parameterText, "error As RuntimeException");
  EXPECT_EQ(last->resultType, &kTypeBoolean);
}

TEST_F(RegistryTest, NilObjectExceptionIsARuntimeException) {
  ClassDef *table[] = {gRuntimeExceptionClass, cls("NilObjectException"), gWindowClass};
  gClassTable = table;
  gClassCount = 3;
  Object *o = CreateInstance(table[1]);
  EXPECT_TRUE(RuntimeObjectIsa(o, 0));
  EXPECT_TRUE(RuntimeObjectIsa(o, 1));
  EXPECT_FALSE(RuntimeObjectIsa(o, 2));
  RuntimeUnlockObject(o);
  gClassTable = nullptr;
  gClassCount = 0;
}

// The shared field accessors read and write the field the parameter names.
TEST_F(RegistryTest, FieldAccessorsKeepTheirFieldWidth) {
  typedef int32_t (*Getter)(Object *, int32_t);
  typedef void (*Setter)(Object *, int32_t, int32_t);
  struct {
    const char *cls, *property;
    int32_t written, read;
  } const cases[] = {
      {"Control", "Index", -7, -7},
      {"Window", "MacProcId", 3, 3},
      {"Window", "MinWidth", 0x18000, -32768},
      {"Window", "MaxHeight", 640, 640},
      {"EditField", "Styled", 0x100, 0}, /* a Boolean is its low byte */
      {"EditField", "AcceptTabs", 0x1FF, 1},
  };
  for (const auto &k : cases) {
    ClassDef *c = cls(k.cls);
    PropertyRecord *p = nullptr;
    for (ClassDef *k2 = c; k2 && !p; k2 = k2->superclass) p = property(k2, k.property);
    ASSERT_NE(p, nullptr) << k.property;
    Object *o = CreateInstance(c);
    ((Setter)p->setter)(o, p->parameter, k.written);
    EXPECT_EQ(((Getter)p->getter)(o, p->parameter) & (p->type == &kTypeBoolean ? 0xFF : ~0), k.read)
        << k.cls << "." << k.property;
    RuntimeUnlockObject(o);
  }
}

TEST_F(RegistryTest, InterfaceTablesBuildOverTheBuiltIns) {
  EXPECT_TRUE(interfaces_build());
  EXPECT_TRUE(gRecorder.boxes.empty());
}

} // namespace
