// Plug-ins: the libraries an image carries are installed, loaded and asked to
// register; their classes are completed; files found installed that are not
// the carried ones are replaced, or reported when they cannot be.
#include "karuplugin.h"
#include "objects/objects.h"
#include "plugins/plugin.h"
#include "objects/registry.h"
#include "startup/init.h"
#include "plugintest.h"
#include "recorder.h"
#include "text/string.h"
#include <fstream>
#include <iterator>
#include <list>

namespace {

std::vector<uint8_t> readFile(const char *unixPath) {
  std::ifstream in(std::string("Z:") + unixPath, std::ios::binary);
  EXPECT_TRUE(in) << unixPath;
  return {std::istreambuf_iterator<char>(in), {}};
}

// A node of the plug-in list as an image lays it out: next, byte count, then
// a zero word, the name's length byte, the name and the library.
struct Embedded {
  std::vector<uint32_t> words;
  Embedded(const std::string &name, const std::vector<uint8_t> &file, Embedded *next) {
    int32_t count = 5 + (int32_t)name.size() + (int32_t)file.size();
    words.assign(2 + (count + 3) / 4, 0);
    words[0] = (uint32_t)(uintptr_t)(next ? next->words.data() : nullptr);
    words[1] = count;
    uint8_t *bytes = (uint8_t *)&words[2];
    bytes[4] = (uint8_t)name.size();
    memcpy(bytes + 5, name.data(), name.size());
    memcpy(bytes + 5 + name.size(), file.data(), file.size());
  }
};

std::string inDirectory(UINT(WINAPI *directory)(char *, UINT), const std::string &name) {
  char dir[MAX_PATH];
  directory(dir, sizeof dir);
  return std::string(dir) + "\\" + name;
}

std::string systemPath(const std::string &name) { return inDirectory(GetSystemDirectoryA, name); }

std::string windowsPath(const std::string &name) { return inDirectory(GetWindowsDirectoryA, name); }

// A name of this process's own, so that test runs side by side never share it.
std::string ownName(const char *stem) {
  return stem + std::to_string(GetCurrentProcessId()) + ".dll";
}

void removeLeftovers(const std::string &pattern) { /* files of loaded libraries stay */
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(pattern.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  std::string dir = pattern.substr(0, pattern.rfind('\\') + 1);
  do DeleteFileA((dir + found.cFileName).c_str());
  while (FindNextFileA(h, &found));
  FindClose(h);
}

HANDLE writeFile(const std::string &path, const char *text, DWORD share) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD done;
  WriteFile(h, text, (DWORD)strlen(text), &done, nullptr);
  return h;
}

std::vector<std::string> installDiagnostics;

bool diagnosed(const std::string &text) {
  for (const std::string &d : installDiagnostics)
    if (d.find(text) != std::string::npos) return true;
  return false;
}

template <class T> T *exported(const char *module, const char *name) {
  HMODULE h = GetModuleHandleA(module);
  return h ? (T *)(void *)GetProcAddress(h, name) : nullptr;
}

PropertyRecord *property(ClassDef *cls, const char *name) {
  for (PropertyRecord *p = cls ? cls->properties : nullptr; p; p = p->next)
    if (name_is(p->name, name)) return p;
  return nullptr;
}

MethodRecord *method(ClassDef *cls, const char *name) {
  for (MethodRecord *m = cls ? cls->methods : nullptr; m; m = m->next)
    if (name_is(m->name, name)) return m;
  return nullptr;
}

HandlerRecord *handler(ClassDef *cls, const char *name) {
  for (HandlerRecord *h = cls ? cls->handlers : nullptr; h; h = h->next)
    if (name_is(h->name, name)) return h;
  return nullptr;
}

bool implements(ClassDef *cls, const char *name) {
  for (InterfaceEntry *e = cls->interfaces; e; e = e->next)
    if (name_is(e->interface->name, name)) return true;
  return false;
}

template <class T> T get(Object *o, PropertyRecord *p) {
  return ((T(*)(Object *, int32_t))p->getter)(o, p->parameter);
}

template <class T> void set(Object *o, PropertyRecord *p, T v) {
  ((void (*)(Object *, int32_t, T))p->setter)(o, p->parameter, v);
}

} // namespace

// Installs once per process: the calculator's library, the test plug-ins,
// and a plain library over a foreign file of the same name.
void install_test_plugins() {
  static bool installed;
  if (installed) return;
  installed = true;
  runtime_classes_init();
  for (const char *stem : {"kpstale*.dll", "kplock*.dll", "kpdecl*.dll"}) {
    removeLeftovers(systemPath(stem));
    removeLeftovers(windowsPath(stem));
  }
  CloseHandle(writeFile(systemPath(ownName("kpstale")), "not the library", 0));
  static std::list<Embedded> nodes; /* the list runs from the back: installed first */
  nodes.emplace_front(ownName("kpstale"), readFile(KPPLAIN_DLL), nullptr);
  nodes.emplace_front("kpctl.dll", readFile(KPCTL_DLL), &nodes.front());
  nodes.emplace_front(ownName("kpdecl"), readFile(KPDECL_DLL), &nodes.front());
  nodes.emplace_front("kpv3.dll", readFile(KPV3_DLL), &nodes.front());
  nodes.emplace_front("kpv4.dll", readFile(KPV4_DLL), &nodes.front());
  nodes.emplace_front("kpv1.dll", readFile(KPV1_DLL), &nodes.front());
  nodes.emplace_front("qxap350.dll", readFile(QXAP350_DLL), &nodes.front());
  Platform saved = gPlatform;
  gPlatform.diagnostic = [](const char *text) { installDiagnostics.push_back(text); };
  gPlatform.messageBox = [](HWND, const char *text, const char *, UINT) {
    ADD_FAILURE() << text;
    return IDOK;
  };
  Win32InstallPlugins(nodes.front().words.data());
  plugins_install();
  EXPECT_TRUE(interfaces_build()); /* as initialisation does once classes are loaded */
  gPlatform = saved;
}

namespace {

class PluginTest : public RuntimeTest {
public:
  static void SetUpTestSuite() { install_test_plugins(); }
};

TEST_F(PluginTest, ClassesAreSizedAfterTheirSuperclassWhateverTheRegistrationOrder) {
  struct Case {
    const char *name, *super, *description;
    int32_t size, dataOffset;
  } cases[] = {
      {"KPPlain", nullptr, "kpPlain", 32, 24},
      {"KPParent", nullptr, "kpParent", 32, 24},
      {"KPChild", "KPParent", "kpChild", 36, 32},          /* superclass registered later */
      {"KPGrandchild", "KPChild", "kpGrandchild", 40, 36}, /* earlier */
  };
  for (const Case &c : cases) {
    ClassDef *cls = plugin_find_class(c.name);
    ASSERT_TRUE(cls) << c.name;
    EXPECT_EQ(cls->superclass, c.super ? plugin_find_class(c.super) : nullptr) << c.name;
    EXPECT_EQ(cls->instanceSize, c.size) << c.name;
    EXPECT_EQ(exported<KARUClassDescription>("kpv3.dll", c.description)->dataOffset, c.dataOffset)
        << c.name;
    EXPECT_TRUE(cls->registered && cls->creatable) << c.name;
  }
}

TEST_F(PluginTest, FieldPropertiesAddressTheClassesOwnData) {
  ClassDef *parent = plugin_find_class("KPParent"), *child = plugin_find_class("KPChild");
  ClassDef *grandchild = plugin_find_class("KPGrandchild");
  PropertyRecord *base = property(parent, "Base"), *title = property(parent, "Title");
  PropertyRecord *score = property(child, "Score"), *owner = property(grandchild, "Owner");
  ASSERT_TRUE(base && title && score && owner);
  EXPECT_EQ(base->parameter, 24);
  EXPECT_EQ(title->parameter, 28);
  EXPECT_EQ(title->flags, 0x01);
  EXPECT_EQ(score->parameter, 32); /* past the superclass's fields */
  EXPECT_EQ(owner->parameter, 36);
  EXPECT_EQ(owner->type, parent);

  Object *o = PluginNewInstance("kpgrandchild");
  Object *holder = PluginNewInstance("KPParent");
  RString *text = str_from("caption");
  set<int32_t>(o, base, 11);
  set<int32_t>(o, score, 22);
  set<RString *>(o, title, text);
  set<Object *>(o, owner, holder);
  EXPECT_EQ(get<int32_t>(o, base), 11);
  EXPECT_EQ(get<int32_t>(o, score), 22);
  EXPECT_EQ(text->refs, 2);
  EXPECT_EQ(holder->refs, 2);
  RuntimeUnlockObject(o); /* the fields' references go with it */
  EXPECT_EQ(text->refs, 1);
  EXPECT_EQ(holder->refs, 1);
  RuntimeUnlockString(text);
  RuntimeUnlockObject(holder);
}

TEST_F(PluginTest, RegisteringAKnownNameReturnsTheExistingDefinition) {
  ClassDef *first = *exported<ClassDef *>("kpv3.dll", "kpFirst");
  EXPECT_EQ(first, plugin_find_class("KPPlain"));
  EXPECT_EQ(*exported<ClassDef *>("kpv3.dll", "kpSecond"), first);
  EXPECT_EQ(first->instanceSize, 32);
  EXPECT_EQ(PluginNewInstance("NoSuchClass"), nullptr);
}

TEST_F(PluginTest, ControlsAreFoundBeforeClassesOfTheSameName) {
  ClassDef *control = plugin_find_control("KPTwin");
  ASSERT_TRUE(control && plugin_find_class("KPTwin"));
  EXPECT_NE(control, plugin_find_class("KPTwin"));
  EXPECT_EQ(pluginObjectType("kptwin"), control);
  EXPECT_EQ(pluginObjectType("KPWithdrawn"), nullptr); /* kind 2 */
}

TEST_F(PluginTest, ControlsAreRectControlsWithTheirDataAfterByte96) {
  ClassDef *gauge = plugin_find_control("KPGauge"), *dial = plugin_find_control("KPOldDial");
  ASSERT_TRUE(gauge && dial);
  auto *gaugeDesc = exported<KARUControlDescription>("kpv3.dll", "kpGauge");
  auto *dialDesc = exported<KARUControlDescriptionV1>("kpv1.dll", "kpDial");
  EXPECT_EQ(gauge->superclass, gRectControlClass);
  EXPECT_EQ(gauge->instanceSize, 108);
  EXPECT_EQ(gaugeDesc->dataOffset, 96);
  EXPECT_TRUE(handler(gauge, "CreatePane"));
  ASSERT_TRUE(property(gauge, "Level"));
  EXPECT_EQ(property(gauge, "Level")->parameter, 100);
  ASSERT_TRUE(method(gauge, "Reset"));
  EXPECT_EQ(method(gauge, "Reset")->entry, exported<void>("kpv3.dll", "kpReset"));
  EXPECT_FALSE(method(gauge, "Broken")); /* does not parse */
  EXPECT_EQ((EventRecord *)gaugeDesc->events[0].event, class_find_event(gauge, "Changed"));
  ASSERT_TRUE(gaugeDesc->events[0].event);
  EXPECT_EQ(((EventRecord *)gaugeDesc->events[0].event)->parameterCount, 1);

  Object *o = PluginNewInstance("KPGauge"); /* its constructor sets Level */
  EXPECT_EQ(get<int32_t>(o, property(gauge, "Level")), 7);
  RuntimeUnlockObject(o);

  EXPECT_EQ(dial->instanceSize, 100); /* the first form, converted */
  EXPECT_EQ(dialDesc->dataOffset, 96);
  EXPECT_EQ(property(dial, "Angle")->parameter, 96);
  ASSERT_TRUE(method(dial, "Turn"));
  EXPECT_EQ(method(dial, "Turn")->entry, exported<void>("kpv1.dll", "kpTurn"));
  EXPECT_FALSE(method(dial, "Spin")); /* its export does not exist */
}

TEST_F(PluginTest, VersionOneRegistersGlobalMethodsThroughItsExportsButNoClasses) {
  EXPECT_EQ(*exported<ClassDef *>("kpv1.dll", "kpV1Class"), nullptr);
  EXPECT_EQ(pluginObjectType("KPV1Class"), nullptr);
  EXPECT_EQ(*exported<ClassDef *>("kpv3.dll", "kpV3Interface"), nullptr); /* needs 4 */
  auto twice = (int32_t(*)(int32_t))plugin_find_global_method("v1twice", false);
  ASSERT_EQ((void *)twice, exported<void>("kpv1.dll", "kpTwice"));
  EXPECT_EQ(twice(21), 42);
  auto add = (int32_t(*)(int32_t, int32_t))plugin_find_global_method("V3Add", false);
  ASSERT_TRUE(add);
  EXPECT_EQ(add(2, 3), 5);
}

TEST_F(PluginTest, VersionOneExportIndexOutsideTheTableIsRefused) {
  EXPECT_EQ(plugin_find_global_method("V1Beyond", false), nullptr);
  EXPECT_EQ(plugin_find_global_method("V1Negative", false), nullptr);
  EXPECT_TRUE(diagnosed("Plugin export 5 does not exist"));
  EXPECT_TRUE(diagnosed("Plugin export -1 does not exist"));
}

TEST_F(PluginTest, SuperclassCycleIsBrokenWithADiagnostic) {
  ClassDef *a = plugin_find_class("KPLoopA"), *b = plugin_find_class("KPLoopB");
  ASSERT_TRUE(a && b);
  ClassDef *root = a->superclass ? b : a, *other = root == a ? b : a;
  EXPECT_EQ(root->superclass, nullptr);
  EXPECT_EQ(other->superclass, root);
  EXPECT_EQ(root->instanceSize, 28);
  EXPECT_EQ(other->instanceSize, 32);
  EXPECT_TRUE(diagnosed("Circular superclass chain"));
}

TEST_F(PluginTest, InterfacesHandlersAndExtensionsReachTheirClasses) {
  ClassDef *shape = plugin_find_class("KPShape"), *square = plugin_find_class("KPSquare");
  ClassDef *badge = plugin_find_control("KPBadge");
  ASSERT_TRUE(shape && square && badge);
  EXPECT_TRUE(shape->isInterface);
  EXPECT_FALSE(shape->creatable);
  EXPECT_TRUE(method(shape, "Area"));
  EXPECT_TRUE(implements(square, "KPShape"));
  EXPECT_FALSE(implements(square, "NoSuchThing"));
  EXPECT_TRUE(diagnosed("Couldn't find KPSquare interface : NoSuchThing"));
  EXPECT_TRUE(implements(badge, "KPShape"));
  EXPECT_FALSE(implements(badge, "KPPlain")); /* a class, not an interface */
  ASSERT_TRUE(handler(badge, "Open"));
  EXPECT_EQ(handler(badge, "Open")->entry, exported<void>("kpv4.dll", "kpBadgeOpen"));
  EXPECT_TRUE(method(plugin_find_class("KPParent"), "Describe"));
}

TEST_F(PluginTest, ForeignInstalledFileIsReplacedByTheCarriedLibrary) {
  std::string name = ownName("kpstale");
  std::ifstream in(systemPath(name), std::ios::binary);
  std::vector<uint8_t> installed{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(installed, readFile(KPPLAIN_DLL));
  EXPECT_TRUE(GetModuleHandleA(name.c_str())); /* loaded though it has no entry point */
}

TEST_F(PluginTest, CalculatorLibraryRegistersTheSeparator) {
  ClassDef *separator = pluginObjectType("separator");
  ASSERT_TRUE(separator);
  EXPECT_TRUE(name_is(separator->name, "Separator"));
  EXPECT_EQ(separator, plugin_find_control("Separator"));
  EXPECT_EQ(separator->superclass, gRectControlClass);
  EXPECT_EQ(separator->instanceSize, 96);
  EXPECT_TRUE(handler(separator, "CreatePane"));
}

using PluginDeathTest = PluginTest;

TEST_F(PluginDeathTest, ForeignFileThatCannotBeReplacedEndsWithAMessage) {
  EXPECT_EXIT(
      {
        gPlatform.messageBox = [](HWND, const char *text, const char *, UINT) {
          fprintf(stderr, "[message box] %s\n", text);
          return IDOK;
        };
        std::string name = ownName("kplock");
        writeFile(systemPath(name), "not ours", 0); /* held open, shared with nobody */
        writeFile(windowsPath(name), "not ours", 0);
        Embedded node(name, readFile(KPPLAIN_DLL), nullptr);
        Win32InstallPlugins(node.words.data());
        plugins_install();
      },
      testing::ExitedWithCode(0), "differs from the one the application carries");
}

} // namespace
