// Edit fields on real rich-edit controls: text with and without a pane,
// selection and its reports, password masking typed through the control,
// read-only and limits, KeyDown, the edit commands, unsupported styles, style
// data, alignment and positions.
#include "describe.h"
#include "objects/registry.h"
#include "recorder.h"
#include "files/clipboard.h"
#include "startup/loader.h"
#include "startup/styledfile.h"
#include "files/file.h"
#include "ui/editfield.h"
#include "ui/menubar.h"
#include "ui/windowobject.h"
#include "ui/nativewindow.h"
#include "ui/winclasses.h"
#include <algorithm>
#include <richedit.h>

extern "C" {
int32_t editSelStartGetter(EditFieldObject *e);
void editSelStartSetter(EditFieldObject *e, int32_t, int32_t v);
int32_t editSelLengthGetter(EditFieldObject *e);
void editSelLengthSetter(EditFieldObject *e, int32_t, int32_t v);
RString *editSelTextGetter(EditFieldObject *e);
void editSelTextSetter(EditFieldObject *e, int32_t, RString *v);
void editLimitTextSetter(EditFieldObject *e, int32_t, int32_t v);
void editPasswordSetter(EditFieldObject *e, int32_t, bool v);
void editReadOnlySetter(EditFieldObject *e, int32_t, bool v);
void editPasteFromClipboard(EditFieldObject *e);
void editCopyToClipboard(EditFieldObject *e);
RString *editTextStyleDataGetter(EditFieldObject *e);
void editSetTextAndStyle(EditFieldObject *e, RString *text, RString *style);
RString *editSelTextFontGetter(EditFieldObject *e);
bool editSelOutlineGetter(EditFieldObject *e);
void editSelOutlineSetter(EditFieldObject *e, int32_t, bool v);
bool editSelShadowGetter(EditFieldObject *e);
void editSelCondenseSetter(EditFieldObject *e, int32_t, bool v);
bool editSelExtendGetter(EditFieldObject *e);
bool editSelBoldGetter(EditFieldObject *e);
void editToggleSelectionBold(EditFieldObject *e);
void EditAlignmentSetter(EditFieldObject *e, int32_t, int32_t v);
int32_t EditSelAlignmentGetter(EditFieldObject *e);
void EditSelAlignmentSetter(EditFieldObject *e, int32_t, int32_t v);
int32_t editLineNumAtCharPos(EditFieldObject *e, int32_t v);
int32_t editCharPosAtLineNum(EditFieldObject *e, int32_t v);
int32_t editCharPosAtXY(EditFieldObject *e, int32_t x, int32_t y);
int32_t editInsertionPosAtXY(EditFieldObject *e, int32_t x, int32_t y);
}

namespace {

using namespace describe;

std::string gLog;
std::string gSwallow; // the keys KeyDown answers True for
bool gMenuHandlerAnswer;

const char kJapanese[] = "\x93\xFA\x96\x7B\x8C\xEA"; // three Shift-JIS characters

std::string str(RString *s) { // takes the reference
  std::string out(str_cview(s), str_len(s));
  RuntimeUnlockString(s);
  return out;
}
// The words of a log in order: the order of the control's own reports
// is the platform's.
std::string sorted(const std::string &log) {
  std::vector<std::string> words;
  for (size_t at = 0, end; (end = log.find(' ', at)) != std::string::npos; at = end + 1)
    words.push_back(log.substr(at, end - at + 1));
  std::sort(words.begin(), words.end());
  std::string out;
  for (auto &w : words) out += w;
  return out;
}
std::string nameOf(Object *o) { return str_cview(as_control(o)->name); }
void onTextChange(Object *o) { gLog += nameOf(o) + ".TextChange "; }
void onSelChange(Object *o) { gLog += nameOf(o) + ".SelChange "; }
bool onKeyDown(Object *, RString *key) {
  std::string k(str_cview(key), str_len(key));
  gLog += "KeyDown(" + std::to_string((uint8_t)k[0]) + ") ";
  return gSwallow.find(k) != std::string::npos;
}
bool onMenuCopy(Object *) {
  gLog += "menu.EditCopy ";
  return gMenuHandlerAnswer;
}

void setClipboard(const char *text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
  memcpy(GlobalLock(h), text, strlen(text) + 1);
  GlobalUnlock(h);
  SetClipboardData(CF_TEXT, h);
  CloseClipboard();
}

std::string clipboard() {
  std::string text;
  if (!OpenClipboard(nullptr)) return "(closed)";
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    text = (const char *)GlobalLock(h);
    GlobalUnlock(h);
  }
  CloseClipboard();
  return text;
}

class EditFieldTest : public RuntimeTest {
protected:
  enum { kWindow, kField, kClasses };
  ClassDef window, field;
  ClassDef *table[kClasses] = {&window, &field};
  WindowObject *w = nullptr;

  void SetUp() override {
    RuntimeTest::SetUp();
    describe::set_up_windows();
    gLog.clear();
    gSwallow.clear();
    derive(&window, "TestWindow", gWindowClass, 120);
    derive(&field, "MyField", registry_find("EditField"), 160);
    addHandler(&field, "TextChange", (void *)onTextChange);
    addHandler(&field, "SelChange", (void *)onSelChange);
    addHandler(&field, "KeyDown", (void *)onKeyDown);
    gClassTable = table;
    gClassCount = kClasses;
  }
  void TearDown() override {
    close();
    gClassTable = nullptr;
    gClassCount = 0;
    for (ClassDef *c : {&window, &field}) class_teardown(c);
    RuntimeTest::TearDown();
  }
  void close() {
    if (!w) return;
    RuntimeCloseWindow(w);
    RuntimeUnlockObject(&w->header);
    w = nullptr;
    pump();
  }

  // Opens a window with fields named a, b, c ... each with its pairs.
  void open(std::initializer_list<Pairs> fields) {
    Description d(kWindow, {{"Name", "W"}, {"Frame", "0"}, {"Width", "400"}, {"Height", "300"}});
    int16_t top = 10;
    char name[] = "a";
    for (const Pairs &extra : fields) {
      Pairs p = {{"Name", name},           {"Index", "-2147483648"},
                 {"Left", "10"},           {"Top", std::to_string(top)},
                 {"Width", "300"},         {"Height", "60"},
                 {"Visible", "True"},      {"Enabled", "True"},
                 {"BackColor", "16777215"}};
      p.insert(p.end(), extra.begin(), extra.end());
      d.control(kField, p);
      top += 70;
      name[0]++;
    }
    w = open_window(d);
    ASSERT_TRUE(w);
    window_pass();
    pump();
    gLog.clear();
  }
  EditFieldObject *get(const char *name) { return (EditFieldObject *)control_named(w, name); }
  static HWND hwnd(EditFieldObject *e) { return e->control.pane->hwnd; }
  static std::string shown(EditFieldObject *e) {
    char buffer[256] = "";
    GetWindowTextA(hwnd(e), buffer, sizeof buffer);
    return buffer;
  }
  static std::string text(EditFieldObject *e) { return str(editTextGetter(e)); }
  static void setText(EditFieldObject *e, const std::string &s) {
    RString *v = str_make(s.data(), (int32_t)s.size());
    editTextSetter(e, 0, v);
    RuntimeUnlockString(v);
  }
  static void select(EditFieldObject *e, int32_t start, int32_t length) {
    editSelStartSetter(e, 0, start);
    editSelLengthSetter(e, 0, length);
  }
  // Characters as the platform delivers typing to the control.
  static void type(EditFieldObject *e, const std::string &s) {
    for (char c : s) SendMessageA(hwnd(e), WM_CHAR, (uint8_t)c, 1);
  }
  // A key going down: offered to the field as the key translation step
  // does, then, unless consumed, the messages the control receives.
  static bool press(EditFieldObject *e, int vk) {
    Pane *p = e->control.pane;
    if (p->kind->keyDown(p, 0, vk, 0)) return true;
    SendMessageA(hwnd(e), WM_KEYDOWN, vk, 1);
    if (vk == VK_BACK) SendMessageA(hwnd(e), WM_CHAR, 8, 1);
    SendMessageA(hwnd(e), WM_KEYUP, vk, 1);
    return false;
  }
};

TEST_F(EditFieldTest, TextRoundTripsThroughThePaneAndIsStoredWithoutOne) {
  open({{{"Text", kJapanese}}});
  EditFieldObject *e = get("a");
  EXPECT_EQ(text(e), kJapanese);
  EXPECT_EQ(shown(e), kJapanese);
  EXPECT_EQ(gLog, ""); /* the text given at creation reports nothing */
  setText(e, std::string(kJapanese) + "abc");
  EXPECT_EQ(gLog, "a.TextChange ");
  EXPECT_EQ(text(e), std::string(kJapanese) + "abc");
  editSelStartSetter(e, 0, 0);
  editSelLengthSetter(e, 0, 1000);
  EXPECT_EQ(str(editSelTextGetter(e)), std::string(kJapanese) + "abc");

  RuntimeLockObject(&e->control.header);
  close();
  EXPECT_EQ(e->control.pane, nullptr);
  setText(e, "stored");
  EXPECT_EQ(text(e), "stored");
  EXPECT_EQ(editSelStartGetter(e), 0);
  EXPECT_EQ(editSelTextGetter(e), nullptr);
  EXPECT_EQ(editCharPosAtLineNum(e, 0), 0);
  RuntimeUnlockObject(&e->control.header);
}

TEST_F(EditFieldTest, StyledTextRoundTripsThroughAFile) {
  open({{{"Text", "first"}}});
  EditFieldObject *e = get("a");
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string path = std::string(temp) + "styled-" + std::to_string(GetCurrentProcessId()) + ".rtf";
  Object *file = folderitem_at(path.c_str()), *device = folderitem_at("C:\\NUL");
  setText(e, std::string(kJapanese) + "styled");
  FolderItemSaveStyledEditField(file, e);
  char head[6] = "";
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD n = 0;
  ReadFile(h, head, 5, &n, nullptr);
  CloseHandle(h);
  EXPECT_STREQ(head, "{\\rtf") << "saved as rich text";

  setText(e, "changed");
  FolderItemOpenStyledEditField(file, e);
  EXPECT_EQ(text(e), std::string(kJapanese) + "styled");
  FolderItemOpenStyledEditField(device, e);
  EXPECT_EQ(text(e), std::string(kJapanese) + "styled") << "a device is no file to read";
  DeleteFileA(path.c_str());
  FolderItemOpenStyledEditField(file, e);
  EXPECT_EQ(text(e), std::string(kJapanese) + "styled") << "a missing file changes nothing";
  RuntimeUnlockObject(file);
  RuntimeUnlockObject(device);
}

TEST_F(EditFieldTest, SelectionPropertiesReportTheirChangesOnce) {
  open({{{"Text", "hello world"}}});
  EditFieldObject *e = get("a");
  editSelStartSetter(e, 0, 6);
  editSelLengthSetter(e, 0, 5);
  EXPECT_EQ(gLog, "a.SelChange a.SelChange ");
  EXPECT_EQ(str(editSelTextGetter(e)), "world");
  gLog.clear();
  RString *there = str_from("there");
  editSelTextSetter(e, 0, there);
  RuntimeUnlockString(there);
  EXPECT_EQ(gLog, "a.TextChange a.SelChange ");
  EXPECT_EQ(text(e), "hello there");
  editSelStartSetter(e, 0, -3); /* from 0 to what lies past 3 of the selection's end, 11 */
  EXPECT_EQ(editSelStartGetter(e), 0);
  EXPECT_EQ(editSelLengthGetter(e), 8);
  editSelStartSetter(e, 0, 11);
  gLog.clear();
  type(e, "!"); /* the control's own reports: one of each */
  EXPECT_EQ(sorted(gLog), "KeyDown(33) a.SelChange a.TextChange ");
  EXPECT_EQ(text(e), "hello there!");
}

TEST_F(EditFieldTest, LimitTextAndReadOnlyRefuseTyping) {
  open({{{"LimitText", "0"}}});
  EditFieldObject *e = get("a");
  EXPECT_EQ(SendMessageA(hwnd(e), EM_GETLIMITTEXT, 0, 0), 1000000);
  editLimitTextSetter(e, 0, 3);
  type(e, "abcd");
  EXPECT_EQ(text(e), "abc");
  editLimitTextSetter(e, 0, 0);
  editReadOnlySetter(e, 0, true);
  gLog.clear();
  type(e, "z");
  EXPECT_EQ(text(e), "abc");
  EXPECT_EQ(gLog, "KeyDown(122) "); /* KeyDown still hears it */
}

TEST_F(EditFieldTest, APasswordFieldShowsMasksAndKeepsWhatWasTyped) {
  open({{{"Password", "True"}}});
  EditFieldObject *e = get("a");
  type(e, "abc");
  EXPECT_EQ(shown(e), "***");
  EXPECT_EQ(text(e), "abc");
  EXPECT_EQ(gLog, "KeyDown(97) a.TextChange a.SelChange KeyDown(98) a.TextChange a.SelChange "
                  "KeyDown(99) a.TextChange a.SelChange ");
  press(e, VK_BACK);
  EXPECT_EQ(text(e), "ab");
  editPasswordSetter(e, 0, false);
  EXPECT_EQ(shown(e), "ab");
  editPasswordSetter(e, 0, true);
  EXPECT_EQ(shown(e), "**");

  type(e, "\r\x1b\x01"); /* keys that insert nothing leave nothing behind */
  EXPECT_EQ(text(e), "ab");
  editLimitTextSetter(e, 0, 3);
  type(e, "xyz");
  EXPECT_EQ(text(e), "abx");
  editReadOnlySetter(e, 0, true);
  type(e, "q");
  EXPECT_EQ(text(e), "abx");
  editReadOnlySetter(e, 0, false);
  editLimitTextSetter(e, 0, 0);

  select(e, 1, 1);
  type(e, "Z"); /* replaces the selected character */
  EXPECT_EQ(text(e), "aZx");
  select(e, 0, 0);
  press(e, VK_DELETE);
  EXPECT_EQ(text(e), "Zx");
  setText(e, kJapanese);
  EXPECT_EQ(shown(e), "******"); /* each byte of the real text is masked */
  EXPECT_EQ(text(e), kJapanese);

  setText(e, "secret");
  setClipboard("PW");
  select(e, 0, 1);
  editPasteFromClipboard(e);
  EXPECT_EQ(text(e), "PWecret");
  EXPECT_EQ(shown(e), "*******");
  select(e, 0, 7);
  editCopyToClipboard(e); /* does nothing: the clipboard keeps its text */
  SendMessageA(hwnd(e), WM_CUT, 0, 0);
  EXPECT_EQ(text(e), "PWecret");
  SendMessageA(hwnd(e), WM_PASTE, 0, 0);
  EXPECT_EQ(text(e), "PW");
}

TEST_F(EditFieldTest, CopyAndPasteWorkWhileAClipboardObjectExists) {
  open({{}});
  EditFieldObject *e = get("a");
  ClipboardObject *c = (ClipboardObject *)CreateInstance(registry_find("Clipboard"));
  RString *s = str_from("from the object");
  clipboardSetText(c, s);
  RuntimeUnlockString(s);
  editPasteFromClipboard(e);
  EXPECT_EQ(text(e), "from the object");
  setText(e, "copied");
  select(e, 0, 6);
  editCopyToClipboard(e);
  EXPECT_EQ(str(clipboardTextGetter(c, 0)), "copied");
  RuntimeUnlockObject(&c->header);
}

TEST_F(EditFieldTest, KeyDownSeesEachKeyOnceAndTrueKeepsItOut) {
  open({{}});
  EditFieldObject *e = get("a");
  gSwallow = "5";
  type(e, "a5b");
  EXPECT_EQ(text(e), "ab");
  gLog.clear();
  EXPECT_FALSE(press(e, VK_BACK)); /* its KeyDown when it goes down, none for its character */
  EXPECT_EQ(sorted(gLog), "KeyDown(8) a.SelChange a.TextChange ");
  EXPECT_EQ(text(e), "a");
  gLog.clear();
  gSwallow = "\x1c"; /* Left: the runtime's character 28 */
  EXPECT_TRUE(press(e, VK_LEFT));
  EXPECT_FALSE(press(e, VK_DOWN));
  EXPECT_EQ(gLog, "KeyDown(28) KeyDown(31) ");
  EXPECT_FALSE(press(e, 'A')); /* letters reach KeyDown as typed characters only */

  setText(e, "");
  gSwallow.clear();
  gLog.clear();
  type(e, kJapanese); /* a double-byte character is one key, and reaches the control whole */
  EXPECT_EQ(text(e), kJapanese);
  size_t keys = 0;
  for (size_t at = 0; (at = gLog.find("KeyDown", at)) != std::string::npos; at++) keys++;
  EXPECT_EQ(keys, GetACP() == 932 ? 3u : 6u);
}

TEST_F(EditFieldTest, EditCommandsFollowReadOnlyAndPassword) {
  open({{{"Text", "abc"}},
        {{"Text", "abc"}, {"ReadOnly", "True"}},
        {{"Text", "abc"}, {"Password", "True"}}});
  setClipboard("x");
  struct {
    const char *field;
    bool cut, copy, clear, paste;
  } cases[] = {
      {"a", true, true, true, true},
      {"b", false, true, false, false}, /* read-only: only Copy */
      {"c", false, false, true, true},  /* password: Clear and Paste */
  };
  for (auto &c : cases) {
    EditFieldObject *e = get(c.field);
    select(e, 0, 2);
    Pane *p = e->control.pane;
    EXPECT_EQ(editField_can(p, kEditCut), c.cut) << c.field;
    EXPECT_EQ(editField_can(p, kEditCopy), c.copy) << c.field;
    EXPECT_EQ(editField_can(p, kEditClear), c.clear) << c.field;
    EXPECT_EQ(editField_can(p, kEditPaste), c.paste) << c.field;
    select(e, 0, 0);
    EXPECT_FALSE(editField_can(p, kEditCut)) << c.field; /* nothing selected */
  }

  EditFieldObject *a = get("a");
  MenuItemObject item = {};
  item.index = kNoIndex;
  auto command = [&](const char *name) {
    str_assign(&item.name, nullptr);
    item.name = str_from(name);
    return editField_menu_command(a->control.pane, &item);
  };
  select(a, 0, 1);
  gLog.clear();
  EXPECT_TRUE(command("EditClear"));
  EXPECT_EQ(text(a), "bc");
  EXPECT_EQ(gLog, "a.TextChange a.SelChange ");
  EXPECT_FALSE(command("EditUndo"));
  EXPECT_FALSE(command("EditCut")); /* nothing selected: not handled */

  RString *handler = str_from("EditCopy"); /* a menu handler of the field's class */
  class_add_constant(&field, handler, (int32_t)(uintptr_t)onMenuCopy);
  RuntimeUnlockString(handler);
  select(a, 0, 2);
  gMenuHandlerAnswer = true;
  gLog.clear();
  EXPECT_TRUE(command("editcopy"));
  EXPECT_EQ(gLog, "menu.EditCopy ");
  EXPECT_EQ(clipboard(), "x"); /* the field did not copy */
  gMenuHandlerAnswer = false;
  EXPECT_TRUE(command("EditCopy")); /* the handler declines: the field copies */
  EXPECT_EQ(clipboard(), "bc");
  str_assign(&item.name, nullptr);
}

TEST_F(EditFieldTest, UnsupportedStylesWarnAndChangeNothing) {
  open({{{"Text", "abc"}}});
  EditFieldObject *e = get("a");
  select(e, 0, 3);
  editSelOutlineSetter(e, 0, true);
  EXPECT_FALSE(editSelOutlineGetter(e));
  EXPECT_FALSE(editSelShadowGetter(e));
  editSelCondenseSetter(e, 0, true);
  EXPECT_FALSE(editSelExtendGetter(e));
  const char *expected[] = {"Outline", "Outline", "Shadow", "Condensed", "Extended"};
  ASSERT_EQ(gRecorder.boxes.size(), 5u);
  for (size_t i = 0; i < 5; i++) {
    EXPECT_EQ(gRecorder.boxes[i].text,
              std::string("Windows does not support the '") + expected[i] + "' text font style.");
    EXPECT_EQ(gRecorder.boxes[i].caption, "");
    EXPECT_EQ(gRecorder.boxes[i].type & MB_ICONMASK, (UINT)MB_ICONWARNING);
  }
  EXPECT_FALSE(editSelBoldGetter(e));
  editToggleSelectionBold(e);
  EXPECT_TRUE(editSelBoldGetter(e));
}

TEST_F(EditFieldTest, StyleDataReadBackAndAppliedWithinTheirBounds) {
  open({{{"Text", "ab"}, {"TextFont", "System"}, {"TextSize", "12"}, {"Styled", "True"}}});
  EditFieldObject *e = get("a");
  EXPECT_EQ(str(editTextStyleDataGetter(e)), std::string("\0\x0c\0\x0c", 4));

  auto apply = [&](const char *text, const std::string &style) {
    RString *t = str_from(text), *s = str_make(style.data(), (int32_t)style.size());
    editSetTextAndStyle(e, t, s);
    RuntimeUnlockString(t);
    RuntimeUnlockString(s);
  };
  /* x: bold Arial 20; y: italic, red, 14, still Arial; z: no record */
  apply("xyz", std::string("\x09\x05"
                           "Arial\x14"
                           "\x12\xff\x00\x00\x0e",
                           13));
  EXPECT_EQ(text(e), "xyz");
  EXPECT_EQ(str(editTextStyleDataGetter(e)), std::string("\x09\x05"
                                                         "Arial\x14"
                                                         "\x12\xff\x00\x00\x0e"
                                                         "\x08\x0dMS Sans Serif\x0c",
                                                         29));

  std::string longName(40, 'F');
  apply("pq", "\x08" + std::string(1, (char)40) + longName + "\x0c" +
                  "\x08\xc8"
                  "F");
  EXPECT_EQ(text(e), "pq"); /* the second record claims 200 bytes: it is not applied */
  select(e, 0, 1);
  EXPECT_EQ(str(editSelTextFontGetter(e)), longName.substr(0, 31));
  select(e, 1, 1);
  EXPECT_EQ(str(editSelTextFontGetter(e)), "MS Sans Serif");
}

TEST_F(EditFieldTest, AlignmentAndPositions) {
  open({{{"Text", "one\rtwo"}, {"MultiLine", "True"}}});
  EditFieldObject *e = get("a");
  EditAlignmentSetter(e, 0, 3);
  select(e, 0, 0);
  EXPECT_EQ(EditSelAlignmentGetter(e), 3);
  select(e, 5, 0);
  EXPECT_EQ(EditSelAlignmentGetter(e), 3); /* the whole text */
  EditSelAlignmentSetter(e, 0, 2);
  editSelStartSetter(e, 0, 0);
  editSelLengthSetter(e, 0, 1000);
  EXPECT_EQ(EditSelAlignmentGetter(e), -1); /* the paragraphs differ */

  EXPECT_EQ(editCharPosAtLineNum(e, 0), 1);
  EXPECT_EQ(editLineNumAtCharPos(e, 0), 0);
  EXPECT_EQ(editLineNumAtCharPos(e, 1), 0);
  EXPECT_EQ(editCharPosAtLineNum(e, -1), 0);
  EXPECT_EQ(editCharPosAtLineNum(e, 1), (int32_t)SendMessageA(hwnd(e), EM_LINEINDEX, 1, 0) + 1);
  EXPECT_EQ(editCharPosAtXY(e, 5, 5), editInsertionPosAtXY(e, 5, 5) + 1);
}

} // namespace
