// Class definitions: name folding, event handler binding along the class
// chain, interface tables and their lookups, the declaration grammar, and the
// release of every member list.
#include "objects/objects.h"
#include "base/pool.h"
#include "recorder.h"
#include "text/string.h"
#include <string>

namespace {

// Distinct fake code addresses.
char codeB, codeC, codeD, codeFirst, codeSecond, codeNearFirst;

class ClassDefTest : public RuntimeTest {
protected:
  ClassDef a, b, c, d, iface;
  std::vector<ClassDef *> made;
  int32_t poolAtStart = 0;

  void SetUp() override {
    RuntimeTest::SetUp();
    poolAtStart = pool_used();
  }
  void TearDown() override {
    for (ClassDef *cls : made) class_teardown(cls);
    gClassTable = nullptr;
    gClassCount = 0;
    EXPECT_EQ(pool_used(), poolAtStart) << "a member list was not released";
    RuntimeTest::TearDown();
  }
  ClassDef *define(ClassDef *cls, const char *name, ClassDef *super) {
    class_setup(cls);
    cls->name = str_from(name);
    cls->superclass = super;
    made.push_back(cls);
    return cls;
  }
  void handler(ClassDef *cls, const char *name, void *entry, int32_t number = 0) {
    RString *s = str_from(name);
    class_add_handler(cls, s, number, entry);
    RuntimeUnlockString(s);
  }
};

bool reportEndsWith(size_t i, const char *tail) {
  return i < gRecorder.boxes.size() && gRecorder.boxes[i].text.ends_with(tail);
}

TEST_F(ClassDefTest, NamesFoldAsciiAndAccentedLetters) {
  struct {
    const char *x, *y;
    bool equal;
  } cases[] = {
      {"Action", "aCTION", true},
      {"Action", "Actions", false},
      {"caf\x8E", "CAF\x83", true}, /* e acute */
      {"\x8A", "\x80", true},       /* a diaeresis */
      {"\xBF", "\xAF", true},       /* o slash */
      {"\xF5", "i", true},          /* dotless i folds to I */
      {"[", "{", false},
      {"\xE7", "\x87", true},
  };
  for (auto &t : cases)
    EXPECT_EQ(names_equal(t.x, (int32_t)strlen(t.x), t.y, (int32_t)strlen(t.y)), t.equal)
        << t.x << " / " << t.y;
}

TEST_F(ClassDefTest, HandlerNearestTheDeclaringClassWins) {
  define(&a, "A", nullptr);
  define(&b, "B", &a);
  define(&c, "C", &b);
  EventRecord *action = class_add_event(&a, "Action", nullptr, nullptr, 1001);
  handler(&b, "action", &codeB, 7); /* binds ignoring case */
  handler(&c, "Action", &codeC, 7);
  Object ofA = {1, &a, nullptr, nullptr}, ofB = {1, &b, nullptr, nullptr},
         ofC = {1, &c, nullptr, nullptr};

  EXPECT_EQ(event_handler_entry(&ofC, action), &codeB);
  EXPECT_EQ(event_handler_entry(&ofB, action), &codeB);
  EXPECT_EQ(event_find_handler(&ofA, action), nullptr);
  EXPECT_EQ(event_find_handler(nullptr, action), nullptr);
  EXPECT_EQ(class_find_event(&c, "ACTION"), action);
  EXPECT_EQ(RuntimeFindHookCode(&ofC, 7), &codeC); /* by number: own class first */
  EXPECT_EQ(RuntimeFindHookCode(&ofC, 8), nullptr);
  EXPECT_EQ(RuntimeFindHookCode(nullptr, 7), nullptr);
  EXPECT_TRUE(gRecorder.boxes.empty());
}

TEST_F(ClassDefTest, RedeclaredEventHidesHandlersBelowIt) {
  define(&a, "A", nullptr);
  define(&b, "B", &a);
  define(&c, "C", &b);
  define(&d, "D", &c);
  EventRecord *inherited = class_add_event(&a, "Paint", nullptr, nullptr, 0);
  EventRecord *own = class_add_event(&c, "Paint", nullptr, nullptr, 0);
  handler(&d, "Paint", &codeD);
  Object ofD = {1, &d, nullptr, nullptr};

  EXPECT_EQ(event_handler_entry(&ofD, own), &codeD);
  EXPECT_EQ(event_handler_entry(&ofD, inherited), nullptr); /* D's is hidden by C */
  handler(&b, "Paint", &codeB);
  EXPECT_EQ(event_handler_entry(&ofD, inherited), &codeB); /* above C it binds again */
  EXPECT_EQ(class_find_event(&d, "paint"), own);
}

TEST_F(ClassDefTest, NilEventRecordIsReported) {
  define(&a, "A", nullptr);
  Object ofA = {1, &a, nullptr, nullptr};
  EXPECT_EQ(event_find_handler(&ofA, nullptr), nullptr);
  ASSERT_EQ(gRecorder.boxes.size(), 1u);
  EXPECT_TRUE(reportEndsWith(0, " objects : 5854")) << gRecorder.boxes[0].text;
}

TEST_F(ClassDefTest, InterfaceSlotsCountFromOneAndTakeTheNearestMethod) {
  define(&iface, "Shape", nullptr)->isInterface = 1;
  class_add_method(&iface, "First", nullptr, nullptr, 0, nullptr);
  class_add_method(&iface, "Second", nullptr, nullptr, 0, nullptr);
  define(&a, "Base", nullptr);
  class_add_method(&a, "first", nullptr, nullptr, 0, &codeFirst);
  class_add_method(&a, "Second", nullptr, nullptr, 0, &codeSecond);
  class_add_interface(&a, &iface);
  define(&b, "Near", &a);
  class_add_method(&b, "First", nullptr, nullptr, 0, &codeNearFirst);
  class_add_interface(&b, &iface);
  void *dispatch[2] = {&codeB, &codeC};
  b.dispatchTable = dispatch;
  b.dispatchSize = 2;
  ClassDef *table[] = {&a, &b, &iface};
  gClassTable = table;
  gClassCount = 3;

  ASSERT_TRUE(interfaces_build());
  EXPECT_EQ(iface.methods->interfaceSlot, 1);
  EXPECT_EQ(iface.methods->next->interfaceSlot, 2);
  EXPECT_EQ(iface.methods->flags, 0x08);
  EXPECT_EQ(b.interfaceStamp, gInterfaceStamp);
  Object ofB = {1, &b, nullptr, nullptr}, ofA = {1, &a, nullptr, nullptr};
  struct {
    Object *object;
    int32_t slot, index;
    void *code;
  } cases[] = {
      {&ofB, 1, 2, &codeNearFirst}, {&ofB, 2, 2, &codeSecond}, {&ofA, 1, 2, &codeFirst},
      {&ofB, 0, 2, nullptr},        {&ofB, 3, 2, nullptr},     {&ofB, 1, 1, nullptr},
      {&ofB, 1, 3, nullptr},        {&ofB, 1, -1, nullptr},    {nullptr, 1, 2, nullptr},
  };
  for (auto &t : cases)
    EXPECT_EQ(FindInterfaceVTableCode(t.object, t.slot, t.index), t.code)
        << "slot " << t.slot << " index " << t.index;
  EXPECT_EQ(FindVTableCode(&ofB, 1), &codeC);
  EXPECT_EQ(FindVTableCode(&ofB, 2), nullptr);
  EXPECT_EQ(FindVTableCode(&ofA, 0), nullptr);
  EXPECT_EQ(FindVTableCode(nullptr, 0), nullptr);
}

TEST_F(ClassDefTest, MissingInterfaceMethodFailsTheBuild) {
  define(&iface, "Shape", nullptr)->isInterface = 1;
  class_add_method(&iface, "Area", nullptr, nullptr, 0, nullptr);
  define(&a, "Square", nullptr);
  class_add_interface(&a, &iface);
  EXPECT_FALSE(interfaces_build());
  ASSERT_EQ(gRecorder.boxes.size(), 2u);
  EXPECT_TRUE(reportEndsWith(0, " objects : 2398"));
  EXPECT_TRUE(reportEndsWith(1, " objects : 6091"));
}

TEST_F(ClassDefTest, TeardownReleasesEveryList) {
  define(&a, "A", nullptr);
  define(&iface, "I", nullptr)->isInterface = 1;
  class_add_method(&iface, "M", nullptr, nullptr, 0, nullptr);
  class_add_method(&a, "M", nullptr, nullptr, 0, &codeB);
  class_add_property(&a, "P", &kTypeInteger, 0, nullptr, nullptr, 24);
  handler(&a, "H", &codeC);
  RString *k = str_from("K");
  class_add_constant(&a, k, 5);
  RuntimeUnlockString(k);
  class_add_interface(&a, &iface);
  EventRecord *e = class_add_event(&a, "E", "x() As Integer", nullptr, 0);
  Declaration parsed;
  RString *error;
  ASSERT_TRUE(decl_parse("E(x() As Integer)", &parsed, &error));
  e->parameters = parsed.parameters; /* the event takes the parsed array over */
  e->parameterCount = parsed.parameterCount;
  parsed.parameters = nullptr;
  decl_release(&parsed);
  ASSERT_TRUE(interfaces_build());
  EXPECT_EQ(a.interfaces->tableWords, 2);
  /* the fixture's teardown checks that the pool is back where it started */
}

// The declaration grammar.

std::string text(const RString *s) { return std::string(str_cview(s), str_len(s)); }

TEST_F(ClassDefTest, DeclarationsParse) {
  Declaration d;
  RString *error = nullptr;
  ASSERT_TRUE(decl_parse("Foo(x As Integer, ByRef s As String) As Double", &d, &error));
  EXPECT_EQ(text(d.name), "Foo");
  EXPECT_EQ(text(d.parameterText), "x As Integer, ByRef s As String");
  EXPECT_EQ(d.resultType, &kTypeDouble);
  EXPECT_EQ(text(d.resultTypeName), "Double");
  ASSERT_EQ(d.parameterCount, 2);
  EXPECT_EQ(text(d.parameters[0].name), "x");
  EXPECT_EQ(d.parameters[0].type, &kTypeInteger);
  EXPECT_FALSE(d.parameters[0].byRef);
  EXPECT_EQ(text(d.parameters[1].name), "s");
  EXPECT_EQ(d.parameters[1].type, &kTypeString);
  EXPECT_TRUE(d.parameters[1].byRef);
  decl_release(&d);

  ASSERT_TRUE(decl_parse("Foo", &d, &error));
  EXPECT_EQ(text(d.name), "Foo");
  EXPECT_EQ(d.parameterCount, 0);
  EXPECT_EQ(d.parameters, nullptr);
  EXPECT_EQ(d.parameterText, nullptr);
  EXPECT_EQ(d.resultType, nullptr);
  decl_release(&d);

  ASSERT_TRUE(decl_parse("\tdraw ( const v() as color , byval n as single ) // note", &d, &error));
  EXPECT_EQ(text(d.parameterText), " const v() as color , byval n as single ");
  ASSERT_EQ(d.parameterCount, 2);
  ASSERT_TRUE(type_is_array(d.parameters[0].type));
  const ArrayType *array = (const ArrayType *)d.parameters[0].type;
  EXPECT_EQ(array->one, 1);
  EXPECT_EQ(array->elementType, &kTypeColor);
  EXPECT_EQ(array->dimensions, 1);
  EXPECT_FALSE(d.parameters[0].byRef);
  EXPECT_EQ(d.parameters[1].type, &kTypeSingle);
  EXPECT_EQ(d.resultType, nullptr);
  decl_release(&d);
  EXPECT_EQ(error, nullptr);
}

TEST_F(ClassDefTest, MalformedDeclarationsAreRejectedWithTheirMessage) {
  const std::string format = "Invalid plugin method format: ", result = "Invalid return type: ";
  std::string many = "Many(";
  for (int i = 0; i < 33; i++) many += (i ? ", p" : "p") + std::to_string(i) + " As Integer";
  many += ")";
  struct {
    std::string declaration, message;
  } cases[] = {
      {"1Foo", format + "1Foo"},
      {"(x As Integer)", format + "(x As Integer)"},
      {"Foo(x Integer)", format + "Foo(x Integer)"},
      {"Foo(x As Nowhere)", format + "Foo(x As Nowhere)"},
      {"Foo(x As Integer; y As Integer)", format + "Foo(x As Integer; y As Integer)"},
      {"Foo(x As Integer", format + "Foo(x As Integer"},
      {"Foo(x As Integer ' y As Integer)", format + "Foo(x As Integer ' y As Integer)"},
      {"Foo As", result + "Foo As"},
      {"Foo() As 3", result + "Foo() As 3"},
      {"Foo() Bar", format + "Foo() Bar"},
      {"Foo As Nowhere", "Unknown type \"Nowhere\" in plugin method Foo As Nowhere"},
      {many, format + many},
  };
  for (auto &t : cases) {
    Declaration d;
    RString *error = nullptr;
    EXPECT_FALSE(decl_parse(t.declaration.c_str(), &d, &error)) << t.declaration;
    EXPECT_EQ(text(error), t.message);
    EXPECT_EQ(d.name, nullptr);
    EXPECT_EQ(d.parameters, nullptr);
    RuntimeUnlockString(error);
  }
  std::string most = many.substr(0, many.rfind(", p32")) + ")";
  Declaration d;
  RString *error = nullptr;
  ASSERT_TRUE(decl_parse(most.c_str(), &d, &error));
  EXPECT_EQ(d.parameterCount, 32);
  decl_release(&d);
}

} // namespace
