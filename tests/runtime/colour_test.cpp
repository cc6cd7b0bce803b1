// Colours from and to their parts, the theme colours against the system's,
// the colour dialog answered by a second thread, the font list and the fonts
// folder.
#include "describe.h"
#include "recorder.h"
#include "files/file.h"
#include "graphics/colour.h"
#include "objects/textencoding.h"
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

class ColourTest : public RuntimeTest {
protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init(); /* the FolderItem class */
  }
};

TEST_F(ColourTest, RgbPacksBytesAndClampsEachPart) {
  EXPECT_EQ(RuntimeRGB(0x12, 0x34, 0x56), 0x123456);
  EXPECT_EQ(RuntimeRGB(300, -5, 255), 0xFF00FF);
  EXPECT_EQ(readColorRed(0x123456), 0x12);
  EXPECT_EQ(readColorGreen(0x123456), 0x34);
  EXPECT_EQ(readColorBlue(0x123456), 0x56);
}

TEST_F(ColourTest, HsvAndCmyBuildColoursAndReadBackTheirParts) {
  EXPECT_EQ(RuntimeHSV(0, 1, 1), 0xFF0000);
  EXPECT_EQ(RuntimeHSV(1.0 / 3, 1, 1), 0x00FF00);
  EXPECT_EQ(RuntimeHSV(2.0 / 3, 1, 1), 0x0000FF);
  EXPECT_EQ(RuntimeHSV(1.0 + 1.0 / 3, 1, 1), 0x00FF00); /* the hue wraps around the circle */
  EXPECT_EQ(RuntimeHSV(0.5, 0, 0.5), 0x808080);         /* no saturation: a grey */
  EXPECT_EQ(RuntimeHSV(0.25, 2, -1), 0x000000);         /* parts outside 0..1 are clamped */
  for (int32_t c : {0x123456, 0xFF8000, 0x00FFFF, 0x7F3FBF}) {
    EXPECT_EQ(RuntimeHSV(readColorHue(c), readColorSaturation(c), readColorValue(c)), c);
    EXPECT_EQ(RuntimeCMY(readColorCyan(c), readColorMagenta(c), readColorYellow(c)), c);
  }
  EXPECT_DOUBLE_EQ(readColorHue(0x0000FF), 2.0 / 3);
  EXPECT_DOUBLE_EQ(readColorValue(0x808080), 128 / 255.0);
  EXPECT_EQ(RuntimeCMY(1, 0, 0), 0x00FFFF);
  EXPECT_DOUBLE_EQ(readColorYellow(0xFFFF00), 1.0);
}

TEST_F(ColourTest, ThemeColoursAreTheSystemColoursAsRrggbb) {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(getFillColor(), GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face));
  COLORREF hilight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(getHilightColor(), colour_from_platform(hilight));
  EXPECT_EQ(colour_to_platform(getDarkBevelColor()), GetSysColor(COLOR_3DDKSHADOW));
}

// Answers the next colour dialog with `button` once it shows, and reports the
// title it had.
std::thread answerColourDialog(int button, std::string *title) {
  return std::thread([=] {
    for (int tries = 0; tries < 500; tries++) {
      HWND dialog = FindWindowA("#32770", nullptr);
      if (dialog && IsWindowVisible(dialog)) {
        char text[100] = "";
        GetWindowTextA(dialog, text, sizeof text);
        *title = text;
        PostMessageA(dialog, WM_COMMAND, button, 0);
        return;
      }
      Sleep(20);
    }
  });
}

TEST_F(ColourTest, TheColourDialogKeepsTheColourOnCancelAndGivesItBackOnOk) {
  RString *prompt = str_from("Pick a pen");
  int32_t colour = 0x336699;
  std::string title;
  std::thread ok = answerColourDialog(IDOK, &title);
  EXPECT_TRUE(selectColor(&colour, prompt));
  ok.join();
  EXPECT_EQ(title, "Pick a pen");
  EXPECT_EQ(colour, 0x336699); /* OK without a change gives the starting colour */

  std::thread cancel = answerColourDialog(IDCANCEL, &title);
  EXPECT_FALSE(selectColor(&colour, prompt));
  cancel.join();
  EXPECT_FALSE(selectColor(nullptr, prompt)); /* nowhere to put it: no dialog */
  RuntimeUnlockString(prompt);
}

TEST_F(ColourTest, FontListIsSortedWithoutDuplicatesAndBounded) {
  int32_t count = getFontCount();
  ASSERT_GT(count, 0);
  RString *previous = nullptr;
  for (int32_t i = 0; i < count; i++) {
    RString *name = getFontName(i);
    ASSERT_GT(str_len(name), 0);
    EXPECT_NE(str_cview(name)[0], '@');
    if (previous) {
      EXPECT_LT(lstrcmpiA(str_cview(previous), str_cview(name)), 0);
    }
    RuntimeUnlockString(previous);
    previous = name;
  }
  RuntimeUnlockString(previous);
  EXPECT_EQ(getFontName(-1), nullptr);
  EXPECT_EQ(getFontName(count), nullptr);
}

TEST_F(ColourTest, AFontsEncodingNamesItsCodePage) {
  getFontCount();
  RString *font = getFontName(0), *missing = str_from("No Such Font Family");
  auto *e = (TextEncodingObject *)getFontTextEncoding(font);
  ASSERT_TRUE(e) << str_cview(font);
  EXPECT_GT(textEncodingBaseGetter(e, 0), 0);
  EXPECT_EQ(getFontTextEncoding(missing), nullptr);
  EXPECT_EQ(getFontTextEncoding(nullptr), nullptr);
  RString *name = textEncodingInternetName(e);
  EXPECT_GT(str_len(name), 0);
  for (auto [page, expected] :
       {std::pair{932, "Shift_JIS"}, {65001, "UTF-8"}, {12345, "windows-12345"}}) {
    e->base = page;
    RString *n = textEncodingInternetName(e);
    EXPECT_STREQ(str_cview(n), expected);
    RuntimeUnlockString(n);
  }
  for (RString *s : {font, missing, name}) RuntimeUnlockString(s);
  RuntimeUnlockObject(&e->header);
}

TEST_F(ColourTest, FontsFolderIsAnExistingDirectory) {
  Object *folder = getFontsFolder();
  ASSERT_TRUE(folder);
  RString *path = fileAbsolutePathGetter(folder);
  DWORD attributes = GetFileAttributesA(str_cview(path));
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << str_cview(path);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  RuntimeUnlockString(path);
  RuntimeUnlockObject(folder);
}

} // namespace
