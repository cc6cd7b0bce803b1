// Runtime initialisation under Wine: images whose class directories, project
// items and application handlers are written with the toolkit; the handlers
// leave their trail in trace.log.
#include "imageprogram.h"
#include "imagerun.h"

using namespace img;

namespace {

// Application <- BaseApp <- MyApp, MyApp last (the last class derived from
// Application is the application class); Thing, made by a project item into
// a slot of data1, derives from ThingBase, which is listed after it.
Image applicationImage() {
  Program p;
  DataLabel slot = p.data.here();
  p.data.u32(0);
  ClassDirectory dir;
  ClassDefinition myApp = defineClass("MyApp", 40, 1);
  myApp.handlers.push_back({"Open", p.routine([&] {
                              p.trace("Open");
                              p.code.push(1); /* BaseApp */
                              p.code.push(mem(ebp, 8));
                              p.call("RuntimeObjectIsa", 2);
                              p.traceIfTrue("app is a BaseApp");
                              p.code.push(0); /* Application */
                              p.code.push(mem(ebp, 8));
                              p.call("RuntimeObjectIsa", 2);
                              p.traceIfTrue("app is an Application");
                              p.code.push(3); /* ThingBase */
                              p.code.push(mem(slot));
                              p.call("RuntimeObjectIsa", 2);
                              p.traceIfTrue("slot holds a Thing");
                            })});
  myApp.handlers.push_back({"NewDocument", p.routine([&] { p.trace("NewDocument"); })});
  myApp.handlers.push_back({"OpenDocument", p.routine([&] {
                              p.code.push(mem(ebp, 12));
                              p.call("fileAbsolutePathGetter", 1);
                              p.code.push(eax);
                              p.call("lineTrace", 0);
                              p.call("RuntimeUnlockString", 1);
                            })});
  dir.add_reference("application");                  /* 0: names compare ignoring case */
  dir.add_definition(defineClass("BaseApp", 36, 0)); /* 1 */
  dir.add_definition(defineClass("Thing", 32, 3));   /* 2 */
  dir.add_definition(defineClass("ThingBase", 28));  /* 3 */
  dir.add_definition(myApp);                         /* 4 */
  ProjectSettingsDef settings;
  settings.script = 13;
  settings.fileTypes.push_back({"text", "R*ch", "TEXT", ""});
  settings.messages = {"", "", "", "", "Unhandled %1"};
  settings.applicationName = "Test";
  dir.add_item(write_settings_item(p.data, settings));
  dir.add_item(DataLabel()); /* an empty item */
  dir.add_item(write_object_item(p.data, 2, slot));
  return p.link(dir.write(p.data));
}

class InitRunTest : public ImageRunTest {};

TEST_F(InitRunTest, ApplicationClassIsFoundThroughAnotherImageClass) {
  writeDat(applicationImage());
  Outcome r = run(RUNTIME_EXE, false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "Open\rapp is a BaseApp\rapp is an Application\rslot holds a Thing\r"
                     "NewDocument\r");
}

TEST_F(InitRunTest, EveryCommandLineItemOpensADocument) {
  writeDat(applicationImage());
  struct {
    const char *arguments, *trace;
  } cases[] = {
      {"a b", "a\rb\r"},
      {"'x y' z", "x y\rz\r"}, /* Wine quotes an argument that holds a space */
      {"", "NewDocument\r"},   /* an empty line opens nothing */
  };
  for (auto &c : cases) {
    fs::remove(dir / "trace.log");
    Outcome r = run(RUNTIME_EXE, false, c.arguments);
    const std::string opening = "slot holds a Thing\r";
    size_t at = r.trace.find(opening);
    ASSERT_NE(at, std::string::npos) << r.trace;
    EXPECT_EQ(r.trace.substr(at + opening.size()), c.trace) << c.arguments;
  }
}

// An image carrying a plug-in library; its entry routine calls a plug-in
// class's method through a deferred link, bound once the plug-in is loaded.
TEST_F(InitRunTest, DeferredLinksReachPluginMembers) {
  Program p;
  Bytes library;
  std::string error;
  ASSERT_TRUE(read_file(KPV4_DLL, &library, &error)) << error;
  DataLabel plugins = write_plugin_list(p.data, {{"kpimage4.dll", library}});
  DataLabel className = p.data.here();
  p.data.raw(std::string_view("KPSquare", 9)); /* with its terminating NUL */
  p.data.align(4);
  ClassDirectory dir;
  ClassDefinition app = defineClass("App", 36, 0);
  app.handlers.push_back({"Open", p.routine([&] {
                            p.code.push(className);
                            p.call("PluginNewInstance", 1);
                            p.code.push(eax);
                            p.call("!MKPSquare!Area", 0); /* Area() As Double, on the FPU */
                            p.code.sub(esp, 8);
                            p.code.fstp64(mem(esp, 0));
                            p.call("StringStr", 2);
                            p.code.push(eax);
                            p.call("lineTrace", 0);
                            p.call("RuntimeUnlockString", 1);
                            p.call("RuntimeUnlockObject", 1);
                          })});
  dir.add_reference("Application");
  dir.add_definition(app);
  writeDat(p.link(dir.write(p.data), plugins));
  Outcome r = run(RUNTIME_EXE, false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.trace, "4\r");
}

TEST_F(InitRunTest, ImageWithoutProjectItemsStillOpens) {
  Program p;
  ClassDirectory dir;
  ClassDefinition app = defineClass("App", 36, 0);
  app.handlers.push_back({"Open", p.routine([&] {
                            p.code.push(0);
                            p.call("RuntimeProjectObject", 1); /* entry 0 is nil */
                            p.code.test(eax, eax);
                            p.code.setcc(Cond::e, al);
                            p.traceIfTrue("project object 0 is nil");
                          })});
  dir.add_reference("Application");
  dir.add_definition(app);
  writeDat(p.link(dir.write(p.data)));
  EXPECT_EQ(run(RUNTIME_EXE, false).trace, "project object 0 is nil\r");
}

} // namespace
