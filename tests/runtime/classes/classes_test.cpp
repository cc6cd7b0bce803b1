// The built-in class tables as a host program sees them: complete member
// lists, names that resolve (accessors to entry names, types to classes), and
// interfaces that the implementing classes can satisfy.
#include "objects/builtins.h"
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <string>

namespace {

// A host binds Control.Property at compile time, so the tables are constant.
static_assert(builtin_property("EditField", "Text")->parameter == 124);
static_assert(std::string_view(builtin_property("PushButton", "Caption")->getter) ==
              "pushButtonTitleGetter");

std::string folded(std::string s) {
  for (char &c : s) c = (char)toupper((unsigned char)c);
  return s;
}

std::set<std::string> entryNames() {
  std::ifstream in(ENTRIES_DEF);
  std::set<std::string> names;
  std::regex slot(R"(^(BUILT|UNBUILT|AGAIN|ALIAS)\((\w+))");
  std::smatch m;
  for (std::string line; std::getline(in, line);)
    if (std::regex_search(line, m, slot)) names.insert(m[2]);
  return names;
}

const BuiltinClass *find(const std::string &name) {
  for (const BuiltinClass &c : kBuiltinClasses)
    if (folded(c.name) == folded(name)) return &c;
  return nullptr;
}

bool knownType(const std::string &type) {
  static const std::set<std::string> values = {"String", "Integer", "Boolean", "Single",
                                               "Double", "Color",   "Form",    "Object"};
  return values.count(type) || find(type);
}

TEST(BuiltinTables, ClassesAreUniqueAndNameOnlyEarlierClasses) {
  std::set<std::string> seen = {"OBJECT", "RUNTIME"};
  for (const BuiltinClass &c : kBuiltinClasses) {
    EXPECT_TRUE(seen.insert(folded(c.name)).second) << "twice: " << c.name;
    if (*c.superclass) {
      EXPECT_TRUE(seen.count(folded(c.superclass))) << c.name;
    }
    for (int32_t i = 0; i < c.interfaceCount; i++) {
      const BuiltinClass *interface = find(kBuiltinInterfaces[c.firstInterface + i]);
      ASSERT_NE(interface, nullptr) << c.name;
      EXPECT_TRUE(interface->flags & kInterface) << c.name;
      EXPECT_LT(interface, &c) << c.name;
    }
    if (c.flags & kInterface) {
      EXPECT_EQ(c.size, 24) << c.name;
    }
  }
  EXPECT_GE(kBuiltinClassCount, 100);
}

TEST(BuiltinTables, EveryAccessorAndMethodIsAnEntryName) {
  std::set<std::string> names = entryNames();
  ASSERT_GT(names.size(), 1150u) << ENTRIES_DEF;
  for (const char *field : kFieldAccessors) names.insert(field);
  auto known = [&](const char *name) { return !*name || names.count(name); };
  for (const BuiltinProperty &p : kBuiltinProperties) {
    EXPECT_TRUE(known(p.getter)) << p.name << ": " << p.getter;
    EXPECT_TRUE(known(p.setter)) << p.name << ": " << p.setter;
    EXPECT_TRUE(*p.getter || *p.setter) << p.name;
  }
  for (const BuiltinMethod &m : kBuiltinMethods) {
    EXPECT_TRUE(known(m.callEntry)) << m.name << ": " << m.callEntry;
    EXPECT_TRUE(known(m.assignEntry)) << m.name << ": " << m.assignEntry;
  }
  for (const BuiltinFunction &f : kBuiltinFunctions) {
    EXPECT_TRUE(*f.entry && names.count(f.entry)) << f.name << ": " << f.entry;
  }
}

TEST(BuiltinTables, EveryTypeNamesAValueTypeOrAClass) {
  for (const BuiltinProperty &p : kBuiltinProperties) EXPECT_TRUE(knownType(p.type)) << p.name;
  for (const BuiltinParam &a : kBuiltinParams) EXPECT_TRUE(knownType(a.type)) << a.name;
  for (const BuiltinMethod &m : kBuiltinMethods) {
    if (*m.resultType) {
      EXPECT_TRUE(knownType(m.resultType)) << m.name;
    }
  }
  for (const BuiltinFunction &f : kBuiltinFunctions) {
    if (*f.resultType) {
      EXPECT_TRUE(knownType(f.resultType)) << f.name;
    }
  }
}

// Functions follow every class, so their parameters never lengthen a method's
// list, and overloads of one name differ in their parameter count.
TEST(BuiltinTables, FunctionsOwnTheirParametersAndOverloadByCount) {
  const BuiltinMethod &last = kBuiltinMethods.back();
  std::set<std::string> signatures;
  int32_t next = last.firstParam + last.paramCount;
  for (const BuiltinFunction &f : kBuiltinFunctions) {
    EXPECT_EQ(f.firstParam, next) << f.name;
    next += f.paramCount;
    EXPECT_TRUE(signatures.insert(folded(f.name) + "/" + std::to_string(f.paramCount)).second)
        << "twice: " << f.name;
  }
  EXPECT_EQ(size_t(next), std::size(kBuiltinParams));
  struct {
    const char *name, *entry;
    int32_t params;
  } const table[] = {{"Val", "StringVal", 1},
                     {"Format", "StringFormat", 2},
                     {"Rnd", "rnd", 0},
                     {"Mid", "StringMid3", 3},
                     {"MsgBox", "RuntimeMsgBox", 1}};
  for (auto &t : table) {
    bool found = false;
    for (const BuiltinFunction &f : kBuiltinFunctions)
      found |= f.name == std::string(t.name) && f.entry == std::string(t.entry) &&
               f.paramCount == t.params;
    EXPECT_TRUE(found) << t.name;
  }
}

// The interface tables are filled by name from the class chain; a method an
// interface requires and the class lacks stops the whole build.
TEST(BuiltinTables, ImplementingClassesHaveEveryInterfaceMethod) {
  auto hasMethod = [](const BuiltinClass *c, const char *name) {
    for (; c; c = *c->superclass ? find(c->superclass) : nullptr)
      for (int32_t i = 0; i < c->methodCount; i++)
        if (folded(kBuiltinMethods[c->firstMethod + i].name) == folded(name)) return true;
    return false;
  };
  for (const BuiltinClass &c : kBuiltinClasses)
    for (int32_t i = 0; i < c.interfaceCount; i++) {
      const BuiltinClass *interface = find(kBuiltinInterfaces[c.firstInterface + i]);
      for (int32_t k = 0; k < interface->methodCount; k++) {
        const char *name = kBuiltinMethods[interface->firstMethod + k].name;
        EXPECT_TRUE(hasMethod(&c, name)) << c.name << " lacks " << name;
      }
    }
}

TEST(BuiltinTables, ControlClassesDeclareTheirWholeMemberLists) {
  struct Counts {
    const char *name;
    int32_t properties, methods, events;
  } const table[] = {
      /* Window's methods Show, Hide, Close and ShowModal call RuntimeShowWindow and its kin;
         windows and controls make drag items and say which drops they accept */
      {"Control", 11, 5, 4},
      {"RectControl", 11, 0, 3},
      {"Window", 29, 9, 17},
      {"DragItem", 7, 9, 0},
      {"PushButton", 8, 3, 5},
      {"CheckBox", 10, 5, 5},
      {"StaticText", 12, 0, 4},
      {"GroupBox", 6, 0, 3},
      {"EditField", 39, 18, 8},
      {"Listbox", 29, 35, 22},
      {"PopupMenu", 11, 13, 5},
      {"TabPanel", 10, 1, 6},
      {"Canvas", 5, 0, 7},
      {"MenuItem", 10, 0, 2},
      {"Date", 15, 0, 0},
      {"Dictionary", 2, 5, 0},
      {"Collection", 1, 5, 0},
      {"Variant", 0, 11, 0},
      {"Application", 3, 0, 9}, /* and ResourceFork, always nil on Windows */
      {"Line", 7, 0, 0},
      {"SystemClass", 4, 3, 0},
      {"MemoryBlock", 0, 13, 0},
      {"FolderItem", 22, 22, 0},
      {"FolderItemDialog", 10, 1, 0},
      /* each stream adds LastErrorCode, the failure of a write the file did not take */
      {"BinaryStream", 5, 15, 0},
      {"TextOutputStream", 2, 3, 0},
      {"TextInputStream", 2, 3, 0},
      /* the devices add LastErrorCode and Handle to Serial, and the methods a
         program calls them by (the runtime reaches them by entry name only) */
      {"Serial", 11, 9, 1},
      {"SerialPort", 5, 0, 0},
      {"Socket", 7, 7, 4},
      {"NotePlayer", 1, 1, 0},
      {"Sound", 2, 4, 0},
  };
  for (const Counts &k : table) {
    const BuiltinClass *c = find(k.name);
    ASSERT_NE(c, nullptr) << k.name;
    EXPECT_EQ(c->propertyCount, k.properties) << k.name;
    EXPECT_EQ(c->methodCount, k.methods) << k.name;
    EXPECT_EQ(c->eventCount, k.events) << k.name;
  }
}

} // namespace
