// Menus and keyboard handling on real native menus and windows: the
// calculator's menu bar read from its description, command keys and key
// names, the dispatch chain, the enabling pass, shortcuts, cloning and
// closing items, and the key translation's focus navigation and buttons.
#include "describe.h"
#include "objects/registry.h"
#include "recorder.h"
#include "startup/loader.h"
#include "lifecycle/application.h"
#include "startup/init.h"
#include "text/string.h"
#include "texts.h"
#include "ui/keyboard.h"
#include "ui/menubar.h"
#include "ui/control.h"
#include "ui/windowobject.h"
#include "ui/nativewindow.h"
#include "ui/winclasses.h"
#include <string>
#include <vector>

namespace {

using namespace describe;

std::string gLog;
bool gWindowTakes, gAppTakes, gQuitTakes, gKeyDownTakes;

std::string sjis(const char *utf8) {
  wchar_t wide[256];
  char out[512];
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
  n = WideCharToMultiByte(932, 0, wide, n, out, sizeof out, nullptr, nullptr);
  return std::string(out, n > 0 ? n - 1 : 0);
}

/* ---- menu bar descriptions, written as the compiler writes them ---- */

struct Entry {
  int32_t kind;
  std::string text, name, key;
  int32_t classIndex = 20;
  int32_t index = kNoIndex;
  std::vector<Entry> items;
  bool opens = false; // an item with a submenu
};

img::MenuRecord record(const Entry &e, bool opens) {
  img::MenuRecord r = {e.kind, e.text, e.name, e.index, e.key, "", opens, e.classIndex, {}};
  for (const Entry &i : e.items) r.items.push_back(record(i, i.opens));
  return r;
}

img::Bytes menuBar(const std::vector<Entry> &entries) {
  std::vector<img::MenuRecord> records;
  for (const Entry &e : entries) records.push_back(record(e, e.kind != 2));
  return img::encode_menu_bar(records);
}

Entry item(const std::string &text, const std::string &name, const std::string &key = "") {
  Entry e;
  e.kind = 0, e.text = text, e.name = name, e.key = key;
  return e;
}
Entry menu(const std::string &text, const std::vector<Entry> &items, int32_t kind = 0) {
  Entry e = item(text, "");
  e.kind = kind, e.items = items;
  return e;
}
const Entry kBlank = menu("", {}, 2);

std::vector<Entry> calculatorMenuBar() {
  Entry quit = item(sjis("終了"), "FileQuit", "Q");
  quit.classIndex = 21;
  return {
      menu("", {item("About...", "AppleAboutMenuItem"), kBlank}, 1),
      menu(sjis("ファイル"), {quit, kBlank}),
      menu(sjis("編集"),
           {item(sjis("取り消し"), "EditUndo", "Z"), item("-", ""),
            item(sjis("カット"), "EditCut", "X"), item(sjis("コピー"), "EditCopy", "C"),
            item(sjis("ペースト"), "EditPaste", "V"), item(sjis("クリア"), "EditClear"), kBlank}),
      menu(sjis("その他"), {item(sjis("このプログラムについて..."), "About"), kBlank,
                            item("About...", "AppleAboutMenuItem"), kBlank}),
      kBlank,
  };
}

/* ---- handlers of the test classes ---- */

MenuItemObject *itemNamed(const char *name) {
  RString *n = str_from(name);
  Object *o = RuntimeMenuReference(n);
  RuntimeUnlockString(n);
  RuntimeUnlockObject(o); /* the menu keeps it */
  return (MenuItemObject *)o;
}

uint32_t windowAbout(Object *) { return gLog += "window.About ", gWindowTakes; }
uint32_t windowUndo(Object *) { return gLog += "window.EditUndo ", 1; }
uint32_t windowRecent(Object *, int32_t index) {
  return gLog += "window.Recent" + std::to_string(index) + " ", 1;
}
uint32_t windowEnable(Object *) {
  gLog += "window.enable ";
  if (MenuItemObject *about = itemNamed("About")) about->enabled = 1; /* as compiled code does */
  return 0;
}
uint32_t windowKeyDown(Object *, RString *key) {
  return gLog += "window.KeyDown(" + std::string(str_cview(key)) + ") ", gKeyDownTakes;
}
uint32_t appAbout(Object *) { return gLog += "app.About ", gAppTakes; }
uint32_t appEnable(Object *) { return gLog += "app.enable ", 0; }
uint32_t itemAction(Object *o) {
  return gLog += "item.Action(" + std::string(str_cview(((MenuItemObject *)o)->name)) + ") ", 1;
}
uint32_t quitAction(Object *) { return gLog += "quit.Action ", gQuitTakes; }
void buttonAction(Object *o) { gLog += std::string(str_cview(as_control(o)->name)) + ".Action "; }
void quitting() { gLog += "quit "; }

bool paneCommand(Pane *, MenuItemObject *item) {
  gLog += "pane." + std::string(str_cview(item->name)) + " ";
  return false;
}

struct LoggingPane {
  Pane pane;
  char name;
};
bool logKey(Pane *p, int character, int, int) {
  gLog +=
      std::string("pane.key(") + ((LoggingPane *)p)->name + "," + std::to_string(character) + ") ";
  return false;
}
const PaneKind kLogging = {.name = "logging", .keyDown = logKey};
const MenuPaneOps kLoggingMenus = {paneCommand, nullptr};

class MenuTest : public RuntimeTest {
protected:
  ClassDef windowClass, appClass, itemClass, quitClass, buttonClass;
  ClassDef *table[22] = {};
  WindowObject *window = nullptr;
  View *view = nullptr;
  Object *savedApp = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    describe::set_up_windows();
    gLog.clear();
    gWindowTakes = gAppTakes = gQuitTakes = gKeyDownTakes = false;
    gMenuBarDescription = nullptr;
    gMenuQuit = quitting;
    derive(&windowClass, "MenuTestWindow", gWindowClass, 120);
    constant(&windowClass, "About", (void *)windowAbout);
    constant(&windowClass, "EditUndo", (void *)windowUndo);
    constant(&windowClass, "Recent", (void *)windowRecent);
    addHandler(&windowClass, "EnableMenuItems", (void *)windowEnable);
    addHandler(&windowClass, "KeyDown", (void *)windowKeyDown);
    derive(&appClass, "MenuTestApp", gApplicationClass, 36);
    constant(&appClass, "About", (void *)appAbout);
    addHandler(&appClass, "EnableMenuItems", (void *)appEnable);
    derive(&itemClass, "MenuTestItem", gMenuItemClass, 72);
    addHandler(&itemClass, "Action", (void *)itemAction);
    derive(&quitClass, "MenuTestQuit", registry_find("QuitMenuItem"), 72);
    addHandler(&quitClass, "Action", (void *)quitAction);
    derive(&buttonClass, "MenuTestButton", registry_find("PushButton"), 120);
    addHandler(&buttonClass, "Action", (void *)buttonAction);
    table[0] = &windowClass;
    table[1] = &buttonClass;
    table[20] = &itemClass;
    table[21] = &quitClass;
    gClassTable = table;
    gClassCount = 22;
    savedApp = gAppObject;
    gAppObject = CreateInstance(&appClass);
    window = (WindowObject *)CreateInstance(&windowClass);
    view = makeView(window);
  }
  void TearDown() override {
    pane_set_focus(nullptr);
    menubar_destroy();
    view_destroy(view);
    RuntimeUnlockObject(&window->header);
    RuntimeUnlockObject(gAppObject);
    gAppObject = savedApp;
    gMenuQuit = ApplicationQuit;
    menu_pane_ops_attach(&kLogging, nullptr);
    while (Shortcut *s = shortcut_list()) shortcut_remove(s->kind, s->target, s->detail);
    gClassTable = nullptr;
    gClassCount = 0;
    for (ClassDef *c : {&windowClass, &appClass, &itemClass, &quitClass, &buttonClass})
      class_teardown(c);
    RuntimeTest::TearDown();
  }

  static void constant(ClassDef *cls, const char *itemName, void *entry) {
    RString *name = str_from(itemName);
    class_add_constant(cls, name, (int32_t)(uintptr_t)entry);
    RuntimeUnlockString(name);
  }
  static View *makeView(WindowObject *w) {
    w->bounds = {100, 100, 300, 400};
    View *v = view_create(w, nullptr, w->bounds, 0, true, false, false, 0);
    ShowWindow(v->pane.hwnd, SW_SHOWNOACTIVATE);
    return v;
  }
  int32_t build(const std::vector<Entry> &entries) {
    img::Bytes b = menuBar(entries);
    return menubar_build(b.data(), (int32_t)b.size());
  }
  Pane *button(View *v, char name, Rect16 r, DWORD style = WS_TABSTOP) {
    Pane *p = pane_create(&kLogging, sizeof(LoggingPane), &v->pane, r, 0, "BUTTON", "", style, 0);
    ((LoggingPane *)p)->name = name;
    return p;
  }
  bool key(int vk, int modifiers = 0, HWND in = nullptr) {
    return keyboard_key_down(in ? in : view->pane.hwnd, vk, modifiers);
  }
  static std::string menuText(HMENU menu, UINT position) {
    char text[128];
    int n = GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return std::string(text, n > 0 ? n : 0);
  }
  static bool greyed(MenuItemObject *item) {
    return GetMenuState(item->menu->handle, item->commandId, MF_BYCOMMAND) & MF_GRAYED;
  }
};

TEST_F(MenuTest, CalculatorMenuBarIsReadToItsLastByte) {
  img::Bytes b = menuBar(calculatorMenuBar());
  ASSERT_EQ(b.size(), 479u);
  EXPECT_EQ(menubar_build(b.data(), (int32_t)b.size()), 479);
  HMENU bar = menubar_handle();
  ASSERT_EQ(GetMenuItemCount(bar), 3); /* the kind-1 and kind-2 entries make no menu */
  EXPECT_EQ(menuText(bar, 0), sjis("ファイル"));
  EXPECT_EQ(menuText(bar, 2), sjis("その他"));
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, 1)), 6); /* the placeholders are dropped */
  EXPECT_EQ(GetMenuState(GetSubMenu(bar, 1), 1, MF_BYPOSITION) & MF_SEPARATOR, (UINT)MF_SEPARATOR);

  MenuItemObject *quit = itemNamed("FileQuit");
  ASSERT_TRUE(quit);
  EXPECT_EQ(quit, menubar_quit_item());
  EXPECT_EQ(quit->header.cls, &quitClass);
  EXPECT_EQ(menuText(GetSubMenu(bar, 0), 0), sjis("終了") + "\tCtrl+Q");
  if (GetACP() == 932) {
    wchar_t wide[32];
    GetMenuStringW(GetSubMenu(bar, 0), 0, wide, 32, MF_BYPOSITION);
    EXPECT_STREQ(wide, L"終了\tCtrl+Q");
  }
  MenuItemObject *about = itemNamed("AppleAboutMenuItem"); /* only the one under その他 exists */
  ASSERT_TRUE(about);
  EXPECT_EQ(about->menu->handle, GetSubMenu(bar, 2));
  EXPECT_EQ(about->position, 1);
  EXPECT_EQ(about->index, kNoIndex);
  EXPECT_STREQ(str_cview(itemNamed("EditCut")->commandKey), "X");

  img::Bytes cut(b.begin(), b.end() - 1);
  menubar_destroy();
  EXPECT_EQ(menubar_build(cut.data(), (int32_t)cut.size()), -1); /* a stream cut short */
}

TEST_F(MenuTest, KeyNamesCharactersAndCommandKeys) {
  struct {
    const char *commandKey, *name;
  } keys[] = {{"Q", "Ctrl+Q"},         {"Shift-Alt-F5", "Shft+Alt+F5"},
              {"control-x", "Ctrl+x"}, {"Option-Shift-Z", "Ctrl+Shft+Z"},
              {"-", "Ctrl+-"},         {"Shift--", "Ctrl+Shft+-"},
              {"Meta-Del", "Del"},     {"", nullptr}};
  for (auto &k : keys) {
    RString *text = str_from(k.commandKey), *name = command_key_name(text);
    EXPECT_STREQ(name ? str_cview(name) : nullptr, k.name) << k.commandKey;
    RuntimeUnlockString(text);
    RuntimeUnlockString(name);
  }
  struct {
    int vk, modifiers;
    const char *name;
    int character;
  } presses[] = {
      {'Q', kModCommand, "Ctrl+Q", 'q'},
      {'Q', kModShift, "Shft+Q", 'Q'},
      {VK_F5, kModShift | kModOption, "Shft+Alt+F5", 204},
      {'2', kModShift, "Shft+2", '@'},
      {VK_NUMPAD1, kModCommand, "Ctrl+1", '1'}, /* not the letter that shares its code */
      {VK_OEM_MINUS, kModCommand, "Ctrl+-", '-'},
      {VK_OEM_1, kModShift, "Shft+;", ':'},
      {VK_RETURN, 0, "Enter", 13},
      {VK_LEFT, 0, "Left", 28},
      {VK_DELETE, 0, "Del", 127},
      {VK_SHIFT, kModShift, nullptr, VK_SHIFT},
  };
  for (auto &p : presses) {
    RString *name = key_name(p.vk, p.modifiers);
    EXPECT_STREQ(name ? str_cview(name) : nullptr, p.name) << p.vk;
    EXPECT_EQ(key_character(p.vk, p.modifiers), p.character) << p.vk;
    RuntimeUnlockString(name);
  }
}

TEST_F(MenuTest, CommandsRunThroughPaneWindowApplicationAndAction) {
  build(calculatorMenuBar());
  Pane *focus = button(view, 'f', {10, 10, 30, 90});
  menu_pane_ops_attach(&kLogging, &kLoggingMenus);
  pane_set_focus(focus);
  gLog.clear(); /* focusing may activate the window, which runs the enabling pass */
  MenuItemObject *about = itemNamed("About");
  EXPECT_TRUE(menu_command(view, about->commandId));
  EXPECT_EQ(gLog, "pane.About window.About app.About item.Action(About) ");
  gLog.clear();
  gAppTakes = true;
  EXPECT_TRUE(menu_command(view, about->commandId));
  EXPECT_EQ(gLog, "pane.About window.About app.About ");
  gLog.clear();
  gWindowTakes = true;
  EXPECT_TRUE(menu_command(view, about->commandId));
  EXPECT_EQ(gLog, "pane.About window.About ");
  EXPECT_FALSE(menu_command(view, 999)); /* no such item */

  gLog.clear();
  pane_set_focus(nullptr);
  menu_command(view, itemNamed("FileQuit")->commandId); /* a subclass's Action first */
  EXPECT_EQ(gLog, "quit.Action quit ");
  gLog.clear();
  gQuitTakes = true;
  EXPECT_TRUE(menu_command(view, itemNamed("FileQuit")->commandId));
  EXPECT_EQ(gLog, "quit.Action ");
}

TEST_F(MenuTest, EnablingPassKeepsOnlyWhatHandlersEnable) {
  build(calculatorMenuBar());
  menus_enable();
  EXPECT_EQ(gLog, "window.enable app.enable ");
  EXPECT_FALSE(greyed(itemNamed("FileQuit"))); /* QuitMenuItem enables itself */
  EXPECT_FALSE(greyed(itemNamed("About")));
  EXPECT_TRUE(greyed(itemNamed("EditUndo")));
  EXPECT_TRUE(greyed(itemNamed("AppleAboutMenuItem")));
  EXPECT_FALSE(itemNamed("EditCut")->enabled);

  gLog.clear();
  EXPECT_TRUE(key('Z', kModCommand)); /* greyed: taken, but nothing runs */
  EXPECT_EQ(gLog, "");
  RuntimeEnableMenu(itemNamed("EditUndo"));
  EXPECT_FALSE(greyed(itemNamed("EditUndo")));
  EXPECT_TRUE(key('Z', kModCommand));
  EXPECT_EQ(gLog, "window.EditUndo ");
  gLog.clear();
  EXPECT_TRUE(key('Q', kModCommand)); /* with no menu open */
  EXPECT_EQ(gLog, "quit.Action quit ");
}

TEST_F(MenuTest, ClonesJoinTheirArrayAndClosingFreesTheIdentifier) {
  Entry recent = item("Recent", "Recent");
  recent.index = 0;
  Entry single = item("Single", "Single", "K");
  build({menu("File", {recent, single})});
  Text name("Recent");
  EXPECT_FALSE(RuntimeCloneMenu(Text("Nothing")));
  MenuItemObject *a = (MenuItemObject *)RuntimeCloneMenu(name);
  MenuItemObject *b = (MenuItemObject *)RuntimeCloneMenu(name);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->index, 1);
  EXPECT_EQ(b->index, 2);
  menus_enable();
  HMENU file = GetSubMenu(menubar_handle(), 0);
  ASSERT_EQ(GetMenuItemCount(file), 4);
  EXPECT_EQ(menuText(file, 1), "Recent");
  EXPECT_EQ(b->position, 2);
  gLog.clear();
  EXPECT_TRUE(menu_command(view, b->commandId)); /* an array element passes its Index */
  EXPECT_EQ(gLog, "window.Recent2 ");
  menuItemTextSetter(b, 0, Text("Renamed"));
  EXPECT_EQ(menuText(file, 2), "Renamed");

  EXPECT_FALSE(RuntimeCloneMenu(Text("Single"))); /* not an array: no model */
  ASSERT_EQ(gRecorder.boxes.size(), 1u);
  EXPECT_NE(gRecorder.boxes[0].text.find("menubar : 445"), std::string::npos);

  MenuItemObject *single0 = itemNamed("Single");
  int32_t freed = single0->commandId;
  RuntimeCloseMenuItem(single0);
  EXPECT_EQ(GetMenuItemCount(file), 3);
  MenuItemObject *c = (MenuItemObject *)RuntimeCloneMenu(name);
  EXPECT_EQ(c->commandId, freed); /* the lowest free identifier */
  gLog.clear();
  key('K', kModCommand); /* the closed item's shortcut went with it */
  EXPECT_EQ(gLog, "window.KeyDown(k) ");
  for (MenuItemObject *o : {a, b, c}) RuntimeUnlockObject(&o->header);
}

TEST_F(MenuTest, SubmenuHangsUnderItsItemOnly) {
  Entry more = item("More", "More", "M");
  more.opens = true;
  more.items = {item("Inner", "Inner", "I")};
  build({menu("File", {more})});
  HMENU bar = menubar_handle();
  EXPECT_EQ(GetMenuItemCount(bar), 1);
  HMENU file = GetSubMenu(bar, 0), sub = GetSubMenu(file, 0);
  ASSERT_TRUE(sub);
  EXPECT_EQ(menuText(file, 0), "More\tCtrl+M");
  EXPECT_EQ(menuText(sub, 0), "Inner\tCtrl+I");
  EXPECT_TRUE(key('I', kModCommand));
  EXPECT_EQ(gLog, "item.Action(Inner) ");
  gLog.clear();
  key('M', kModCommand); /* an item that opens a submenu has no shortcut */
  EXPECT_EQ(gLog, "window.KeyDown(m) ");
}

TEST_F(MenuTest, RunningOutOfIdentifiersIsReported) {
  std::vector<Entry> items(1023, item("x", "Filler"));
  Entry array = item("A", "A");
  array.index = 0;
  items.push_back(array);
  build({menu("Big", items)});
  EXPECT_TRUE(gRecorder.boxes.empty());
  MenuItemObject *clone = (MenuItemObject *)RuntimeCloneMenu(Text("A"));
  ASSERT_TRUE(clone);
  EXPECT_EQ(clone->commandId, 0);
  ASSERT_EQ(gRecorder.boxes.size(), 1u);
  EXPECT_NE(gRecorder.boxes[0].text.find("menubar"), std::string::npos);
  EXPECT_FALSE(menu_item_with_id(0)); /* it can never be chosen */
  RuntimeCloseMenuItem(itemNamed("Filler"));
  MenuItemObject *next = (MenuItemObject *)RuntimeCloneMenu(Text("A"));
  EXPECT_EQ(next->commandId, 1000); /* the one the closed item gave back */
  RuntimeUnlockObject(&clone->header);
  RuntimeUnlockObject(&next->header);
}

TEST_F(MenuTest, TabAndArrowsMoveFocusInTreeOrder) {
  Pane *a = button(view, 'a', {10, 10, 30, 90});
  Pane *b = button(view, 'b', {40, 10, 60, 90});
  Pane *off = button(view, 'd', {70, 10, 90, 90});
  button(view, 'g', {100, 10, 120, 90}, BS_GROUPBOX); /* no tab stop */
  Pane *c = button(view, 'c', {130, 10, 150, 90});
  pane_set_enabled(off, false, false);
  pane_set_focus(b);
  EXPECT_TRUE(key(VK_TAB));
  EXPECT_EQ(pane_focus(), c);
  EXPECT_TRUE(key(VK_TAB));
  EXPECT_EQ(pane_focus(), a);
  EXPECT_TRUE(key(VK_TAB, kModShift)); /* before the first: the last */
  EXPECT_EQ(pane_focus(), c);
  EXPECT_TRUE(key(VK_UP));
  EXPECT_EQ(pane_focus(), b);
  EXPECT_FALSE(key(VK_TAB, kModCommand));
  EXPECT_EQ(pane_focus(), b);
  Pane *tabs = pane_create(&kLogging, sizeof(LoggingPane), &view->pane, {160, 10, 190, 200}, 0,
                           "SysTabControl32", "", WS_TABSTOP, 0);
  pane_set_focus(tabs);
  EXPECT_FALSE(key(VK_RIGHT, 0, tabs->hwnd)); /* the tab control keeps its arrows */
  EXPECT_EQ(pane_focus(), tabs);
}

TEST_F(MenuTest, KeysGoToTheFocusedPaneThenTheWindow) {
  Pane *a = button(view, 'a', {10, 10, 30, 90});
  pane_set_focus(a);
  EXPECT_FALSE(key('A'));
  EXPECT_EQ(gLog, "pane.key(a,97) window.KeyDown(a) ");
  gLog.clear();
  gKeyDownTakes = true;
  EXPECT_TRUE(key('2', kModShift));
  EXPECT_EQ(gLog, "pane.key(a,64) window.KeyDown(@) ");
  gLog.clear();
  EXPECT_FALSE(key(VK_SHIFT, kModShift)); /* no name: offered to no one */
  EXPECT_EQ(gLog, "");
}

// A described window with three push buttons: ok (&Save, Default), cancel
// (Cancel) and other (&Keep).
WindowObject *openButtons() {
  auto at = [](const char *name, int top, Pairs extra) {
    return placed(name, "-2147483648", {(int16_t)top, 10, (int16_t)(top + 20), 90}, extra);
  };
  Description d(0, {{"Name", "W"}, {"Frame", "0"}, {"Width", "300"}, {"Height", "200"}});
  d.control(1, at("ok", 10, {{"Caption", "&Save"}, {"Default", "True"}}))
      .control(1, at("cancel", 40, {{"Caption", "Cancel"}, {"Cancel", "True"}}))
      .control(1, at("other", 70, {{"Caption", "&Keep"}}));
  WindowObject *w = open_window(d);
  window_pass();
  pump();
  return w;
}

Pane *paneOf(WindowObject *w, const char *name) { return as_control(control_named(w, name))->pane; }

void closeWindow(WindowObject *w) {
  RuntimeCloseWindow(w);
  RuntimeUnlockObject(&w->header);
  pump();
}

TEST_F(MenuTest, ReturnEscapeAndMnemonicsPushTheWindowsButtons) {
  EXPECT_FALSE(key(VK_ESCAPE)); /* a window without a cancel button */
  WindowObject *w = openButtons();
  ASSERT_TRUE(w);
  HWND in = w->view->pane.hwnd;
  gLog.clear();
  EXPECT_TRUE(key(VK_ESCAPE, 0, in));
  pane_set_focus(paneOf(w, "other"));
  EXPECT_FALSE(key(VK_RETURN, 0, in)); /* a focused push button is pushed itself; not taken */
  pane_set_focus(nullptr);
  EXPECT_FALSE(key(VK_RETURN, 0, in)); /* else the default button */
  EXPECT_EQ(gLog, "window.KeyDown(\x1b) cancel.Action window.KeyDown(\r) other.Action "
                  "window.KeyDown(\r) ok.Action ");
  gLog.clear();
  EXPECT_TRUE(key('S', kModOption, in));
  EXPECT_EQ(gLog, "ok.Action ");
  EXPECT_EQ(pane_focus(), paneOf(w, "ok"));
  pane_set_enabled(paneOf(w, "ok"), false, false);
  gLog.clear();
  key('S', kModOption, in);
  EXPECT_EQ(gLog.find("Action"), std::string::npos); /* disabled: nothing happens */

  WindowObject *second = openButtons(); /* a newer shortcut of the same name, elsewhere */
  Text k("Ctrl+K");
  shortcut_register(kShortcutClickButton, paneOf(w, "other")->hwnd, 0, k);
  shortcut_register(kShortcutClickButton, paneOf(second, "other")->hwnd, 0, k);
  gLog.clear();
  EXPECT_TRUE(key('K', kModCommand, in));
  EXPECT_EQ(gLog, "other.Action ");
  EXPECT_EQ(pane_focus(), paneOf(w, "other")); /* the one in the window of the key */
  closeWindow(second);
  closeWindow(w);
}

} // namespace
