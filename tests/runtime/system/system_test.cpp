// The System object: Gestalt's selectors and its refusals, the colour of a
// screen pixel under a window of a known colour, the key script against the
// active keyboard layout, and ShowURL opening a document with the program
// registered for its kind (and refusing what the shell cannot open).
#include "describe.h"
#include "files/showurl.h"
#include "plugins/helpers.h"
#include "recorder.h"
#include "ui/system.h"
#include <filesystem>
#include <fstream>

namespace {

using namespace describe;

bool gestalt(const char *selector, int32_t *result) {
  RString *s = str_from(selector);
  bool known = systemGestalt(nullptr, s, result);
  RuntimeUnlockString(s);
  return known;
}

class SystemObjectTest : public RuntimeTest {
protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
  }
};

TEST_F(SystemObjectTest, GestaltAnswersTheMachinesFiguresAndRefusesUnknownSelectors) {
  struct {
    const char *selector;
    int32_t least, most; /* the answer lies in [least, most] */
  } known[] = {
      {"plat", VER_PLATFORM_WIN32_NT, VER_PLATFORM_WIN32_NT},
      {"sysv", 0x0501, 0x0FFF}, /* XP or later */
      {"sysb", 1, INT32_MAX},
      {"cpun", 1, 1024},
      {"ram ", 64, INT32_MAX},
      {"scrw", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CXSCREEN)},
      {"scrh", GetSystemMetrics(SM_CYSCREEN), GetSystemMetrics(SM_CYSCREEN)},
      {"scrd", 8, 32},
      {"lang", GetUserDefaultUILanguage(), GetUserDefaultUILanguage()},
      {"kscr", systemGetKeyScript(nullptr), systemGetKeyScript(nullptr)},
      {"qxvr", kRuntimeVersion, kRuntimeVersion},
  };
  for (auto &k : known) {
    int32_t answer = -12345;
    EXPECT_TRUE(gestalt(k.selector, &answer)) << k.selector;
    EXPECT_GE(answer, k.least) << k.selector;
    EXPECT_LE(answer, k.most) << k.selector;
  }
  int32_t architecture = -1;
  ASSERT_TRUE(gestalt("sysa", &architecture));
  EXPECT_TRUE(architecture == PROCESSOR_ARCHITECTURE_INTEL ||
              architecture == PROCESSOR_ARCHITECTURE_AMD64 ||
              architecture == PROCESSOR_ARCHITECTURE_ARM || architecture == 12 /* ARM64 */)
      << architecture;
  for (const char *unknown : {"nope", "", "SYSV", "sysvx", "sys", "\x01\x02\x03\x04"}) {
    int32_t answer = 77;
    EXPECT_FALSE(gestalt(unknown, &answer)) << unknown;
    EXPECT_EQ(answer, 0) << unknown; /* never a stale value */
  }
  EXPECT_TRUE(gestalt("sysv", nullptr)); /* no place for the answer: still no fault */
}

TEST_F(SystemObjectTest, PixelIsTheColourShownAtThatPointOfTheScreen) {
  HBRUSH brush = CreateSolidBrush(RGB(0x20, 0x80, 0xC0));
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = brush;
  wc.lpszClassName = "MorvintPixelProbe";
  RegisterClassA(&wc);
  HWND probe = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 40, 60,
                               80, 50, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(probe);
  UpdateWindow(probe);
  EXPECT_TRUE(pump_until([] { return systemPixel(nullptr, 70, 80) == 0x2080C0; }, 5000))
      << std::hex << systemPixel(nullptr, 70, 80);
  EXPECT_EQ(systemPixel(nullptr, 40, 60), 0x2080C0);  /* the window's first pixel */
  EXPECT_EQ(systemPixel(nullptr, -30000, -30000), 0); /* off every screen: black */
  DestroyWindow(probe);
  UnregisterClassA(wc.lpszClassName, wc.hInstance);
  DeleteObject(brush);
}

TEST_F(SystemObjectTest, LanguagesMapToTheScriptsTheirLayoutsWrite) {
  struct {
    LANGID language;
    Script script;
  } cases[] = {
      {MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), Script::Japanese},
      {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), Script::Roman},
      {MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), Script::Roman},
      {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), Script::SimplifiedChinese},
      {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SINGAPORE), Script::SimplifiedChinese},
      {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL), Script::TraditionalChinese},
      {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_HONGKONG), Script::TraditionalChinese},
      {MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN), Script::Korean},
      {MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), Script::Cyrillic},
      {MAKELANGID(LANG_GREEK, SUBLANG_DEFAULT), Script::Greek},
      {MAKELANGID(LANG_HEBREW, SUBLANG_DEFAULT), Script::Hebrew},
      {MAKELANGID(LANG_ARABIC, SUBLANG_ARABIC_EGYPT), Script::Arabic},
      {MAKELANGID(LANG_THAI, SUBLANG_DEFAULT), Script::Thai},
  };
  for (auto &c : cases)
    EXPECT_EQ(script_of_language(c.language), c.script) << std::hex << c.language;
}

TEST_F(SystemObjectTest, KeyScriptIsTheActiveLayoutsAndOnlyInstalledLayoutsAreChosen) {
  int32_t now = systemGetKeyScript(nullptr);
  EXPECT_EQ(now, (int32_t)script_of_language(LOWORD((uintptr_t)GetKeyboardLayout(0))));
  HKL before = GetKeyboardLayout(0);
  systemSetKeyScript(nullptr, 0, 999); /* no layout writes it */
  systemSetKeyScript(nullptr, 0, -1);
  EXPECT_EQ(GetKeyboardLayout(0), before);
  systemSetKeyScript(nullptr, 0, now); /* already active */
  EXPECT_EQ(GetKeyboardLayout(0), before);
  // Each installed layout's script chooses a layout that writes it.
  HKL layouts[16];
  int count = GetKeyboardLayoutList(16, layouts);
  for (int i = 0; i < count; i++) {
    int32_t script = (int32_t)script_of_language(LOWORD((uintptr_t)layouts[i]));
    systemSetKeyScript(nullptr, 0, script);
    EXPECT_EQ(systemGetKeyScript(nullptr), script) << i;
  }
  ActivateKeyboardLayout(before, 0);
}

bool showURL(const std::string &text) {
  RString *url = str_make(text.data(), (int32_t)text.size());
  bool shown = GlobalShowURL(url);
  RuntimeUnlockString(url);
  return shown;
}

void setClassKey(const std::string &key, const std::string &value) {
  HKEY h;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(h, nullptr, 0, REG_SZ, (const BYTE *)value.c_str(), (DWORD)value.size() + 1);
  RegCloseKey(h);
}

TEST_F(SystemObjectTest, ShowURLRefusesWhatTheShellCannotOpen) {
  EXPECT_FALSE(showURL(""));
  EXPECT_FALSE(GlobalShowURL(nullptr));
  EXPECT_FALSE(showURL("C:\\no\\such\\folder\\nothing.txt"));
  EXPECT_FALSE(showURL(std::string("C:\\windows\\win.ini\0calc.exe", 28))); /* a NUL inside */
  RString *url = str_from("");
  EXPECT_FALSE(RuntimeShowURL(nullptr, url));
  RuntimeUnlockString(url);
}

// A kind of document registered for the test: its program copies the
// document beside it, which shows that the shell ran it with the path.
TEST_F(SystemObjectTest, ShowURLOpensADocumentWithTheProgramRegisteredForItsKind) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / "showurl-test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::path document = dir / "note.morvintprobe", copy = dir / "opened.txt";
  std::ofstream(document) << "opened by its program";
  setClassKey(".morvintprobe", "MorvintProbe.Document");
  setClassKey("MorvintProbe.Document\\shell\\open\\command",
              "cmd.exe /c copy \"%1\" \"" + copy.string() + "\"");
  EXPECT_TRUE(showURL(document.string()));
  EXPECT_TRUE(pump_until([&] { return fs::exists(copy) && fs::file_size(copy) > 0; }, 30000));
  for (const char *key :
       {"MorvintProbe.Document\\shell\\open\\command", "MorvintProbe.Document\\shell\\open",
        "MorvintProbe.Document\\shell", "MorvintProbe.Document", ".morvintprobe"})
    RegDeleteKeyA(HKEY_CLASSES_ROOT, key); /* innermost first */
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

} // namespace
