// The calculator's own sources through the compiler: its classes in the
// directory order its image has, and its window descriptions with every
// control and the values a person sees.
#include "descriptions.h"
#include "encoding.h"
#include "packed.h"
#include "parse.h"
#include <deque>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace basc;

namespace {

struct Calculator {
  Program prog;
  Checked checked;
  std::deque<std::string> names, texts;

  Calculator() {
    for (const char *file : {"MainWindow.bas", "AboutDialog.bas", "Project.bas"}) {
      std::ifstream in(std::string(APP_DIR "/") + file, std::ios::binary);
      std::stringstream text;
      text << in.rdbuf();
      names.push_back(file);
      texts.push_back(to_code_page(&names.back(), text.str()));
      parse(tokenize(&names.back(), texts.back()), prog);
    }
    names.push_back("plugins.bas"); /* the build names the real library */
    texts.push_back("Plugin \"qxap350.dll\"\n");
    parse(tokenize(&names.back(), texts.back()), prog);
    check(prog, checked);
  }
};

TEST(Calculator, ClassDirectoryHasTheImagesOrder) {
  Calculator c;
  menu_bar(c.prog.menuBar, c.checked); /* names the menu item classes, last */
  std::vector<std::string> names;
  for (ClassInfo *cls : c.checked.classes.directory) names.push_back(cls->display());
  const std::string sub = "(control subclass)";
  EXPECT_EQ(names,
            (std::vector<std::string>{"Window",    "MainWindow",  "TabPanel",    sub, "StaticText",
                                      sub,         "PushButton",  sub,           sub, sub,
                                      "GroupBox",  sub,           "RadioButton", sub, "EditField",
                                      "Separator", sub,           "AboutDialog", sub, sub,
                                      "MenuItem",  "QuitMenuItem"}));
}

// The description's records: window pairs, then per control its pairs.
std::vector<std::vector<std::pair<std::string, std::string>>> records(const img::Bytes &b) {
  img::PackedReader in(b);
  std::vector<std::vector<std::pair<std::string, std::string>>> out(1);
  int32_t count = 0, cls = 0, controls = 0;
  std::string name, value;
  in.read_int(&count);
  in.read_int(&cls);
  for (int32_t i = 0; i < count && in.read_string(&name) && in.read_string(&value); i++)
    out[0].push_back({name, value});
  in.read_int(&controls);
  for (int32_t k = 0; k < controls; k++) {
    in.read_int(&cls);
    in.read_int(&count);
    out.emplace_back();
    for (int32_t i = 0; i < count && in.read_string(&name) && in.read_string(&value); i++)
      out.back().push_back({name, value});
  }
  return out;
}

std::string valueOf(const std::vector<std::pair<std::string, std::string>> &pairs,
                    const std::string &name) {
  for (auto &[n, v] : pairs)
    if (n == name) return v;
  return "<none>";
}

TEST(Calculator, WindowsCarryEveryControlAndTheirValues) {
  Calculator c;
  auto main = records(window_description(*c.prog.classes[0], c.checked));
  ASSERT_EQ(main.size(), 96u); /* the window and 95 controls */
  EXPECT_EQ(main[0].size(), 21u);
  EXPECT_EQ(valueOf(main[0], "BackColor"), "4052479");
  EXPECT_EQ(valueOf(main[0], "MinWidth"), "560");
  EXPECT_EQ(valueOf(main[0], "Title"), "Morvint\x81\x40\x82\x75"
                                       "4.1.3"); /* 　Ｖ in 932 */
  EXPECT_EQ(valueOf(main[1], "Name"), "TabPanel1");
  EXPECT_EQ(valueOf(main[1], "TabDefinition"), "(\x88\xea)\r(\x93\xf1)\r(\x8e\x4f)"); /* 一二三 */
  EXPECT_EQ(valueOf(main[2], "TextColor"), "16713483");
  for (auto &control : main) {
    if (valueOf(control, "Name") != "RadioButton2" || valueOf(control, "Index") != "0") continue;
    EXPECT_EQ(valueOf(control, "Value"), "True");
  }
  auto about = records(window_description(*c.prog.classes[1], c.checked));
  ASSERT_EQ(about.size(), 5u);
  EXPECT_EQ(valueOf(about[0], "CloseBox"), "False");
  EXPECT_EQ(valueOf(about[0], "Placement"), "1");
}

} // namespace
