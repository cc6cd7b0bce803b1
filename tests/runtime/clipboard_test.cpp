// The Clipboard object: text, named data and pictures in and out, writes
// through one object adding formats and through two starting afresh, data
// without a terminating zero, the clipboard never left open between calls,
// and another process (the automation driver) reading and writing it.
#include "recorder.h"
#include "files/clipboard.h"
#include "objects/registry.h"
#include "picturetest.h"
#include "startup/init.h"
#include "text/string.h"
#include "texts.h"
#include <cstring>

using namespace pictest;

namespace {

const char kShiftJis[] = "\x93\xFA\x96\x7B\x8C\xEA"; // three Shift-JIS characters

class ClipboardTest : public RuntimeTest {
protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
  }
  static ClipboardObject *make() {
    return (ClipboardObject *)CreateInstance(registry_find("Clipboard"));
  }
  static void drop(ClipboardObject *c) { RuntimeUnlockObject(&c->header); }
  static void setText(ClipboardObject *c, const char *text) { clipboardSetText(c, Text(text)); }
  static void addData(ClipboardObject *c, const char *data, const char *type) {
    clipboardAddMacData(c, Text(data), Text(type));
  }
  static std::string data(ClipboardObject *c, const char *type) {
    return take(clipboardMacData(c, Text(type)));
  }
  static bool available(ClipboardObject *c, const char *type) {
    return clipboardMacDataAvailable(c, Text(type));
  }
  // Puts bytes on the clipboard as another program would, emptying it first.
  static void putRaw(UINT format, const void *bytes, size_t n) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n);
    memcpy(GlobalLock(block), bytes, n);
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(format, block);
    CloseClipboard();
  }
  static bool nobodyHoldsIt() { return GetOpenClipboardWindow() == nullptr; }
};

bool contains(const std::string &text, const char *part) {
  return text.find(part) != std::string::npos;
}

// Runs the automation driver on the commands; its output.
std::string driver(const std::string &commands) {
  std::string exe = std::string("Z:") + DRIVER_EXE;
  std::string line = "\"" + exe + "\" do \"";
  for (char ch : commands) line += ch == '"' ? std::string("\\\"") : std::string(1, ch);
  line += "\"";
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  CreatePipe(&readEnd, &writeEnd, &sa, 0);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = writeEnd;
  PROCESS_INFORMATION pi = {};
  std::vector<char> command(line.begin(), line.end());
  command.push_back(0);
  bool started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                nullptr, &si, &pi);
  CloseHandle(writeEnd);
  std::string out;
  char buffer[512];
  DWORD got;
  while (started && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got)
    out.append(buffer, got);
  CloseHandle(readEnd);
  if (!started) return "driver did not start: " + exe;
  WaitForSingleObject(pi.hProcess, 60000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return out;
}

struct HoldEvents {
  HANDLE opened, done;
};

// Holds the clipboard open from another thread until told to let go.
DWORD WINAPI holdClipboard(void *p) {
  HoldEvents *events = (HoldEvents *)p;
  OpenClipboard(nullptr);
  SetEvent(events->opened);
  WaitForSingleObject(events->done, INFINITE);
  CloseClipboard();
  return 0;
}

} // namespace

TEST_F(ClipboardTest, InstanceHoldsTheLayoutCompiledCodeAllocates) {
  EXPECT_EQ(registry_find("Clipboard")->instanceSize, int32_t(sizeof(ClipboardObject)));
}

TEST_F(ClipboardTest, TextGoesInAndComesOutAndNoCallLeavesTheClipboardOpen) {
  ClipboardObject *c = make();
  setText(c, "hello");
  EXPECT_TRUE(nobodyHoldsIt());
  EXPECT_TRUE(clipboardTextAvailable(c));
  EXPECT_EQ(take(clipboardTextGetter(c, 0)), "hello");
  EXPECT_TRUE(nobodyHoldsIt());
  clipboardTextSetter(c, 0, Text(std::string("cut\0off", 7)));
  EXPECT_EQ(take(clipboardTextGetter(c, 0)), "cut") << "text is cut at a zero byte";
  setText(c, kShiftJis);
  EXPECT_EQ(take(clipboardTextGetter(c, 0)), kShiftJis);
  clipboardClose(c);
  clipboardClose(c);
  EXPECT_EQ(take(clipboardTextGetter(c, 0)), kShiftJis) << "Close does not end the object";
  drop(c);
  EXPECT_TRUE(nobodyHoldsIt());
}

TEST_F(ClipboardTest, TextWithoutAZeroByteStopsAtTheBlocksEnd) {
  ClipboardObject *c = make();
  UINT format = RegisterClipboardFormatA("morvint.test.raw");
  putRaw(format, "xyz", 3);
  EXPECT_EQ(data(c, "morvint.test.raw"), "xyz");
  putRaw(CF_TEXT, "abc", 3);
  std::string text = take(clipboardTextGetter(c, 0));
  EXPECT_EQ(text, std::string("abc").substr(0, text.size()))
      << "the platform may take the last byte for the end of its own copy";
  drop(c);
}

TEST_F(ClipboardTest, WritesThroughOneObjectAddFormatsAndAnotherWriterStartsAfresh) {
  ClipboardObject *one = make();
  setText(one, "text");
  addData(one, "named", "morvint.test.one");
  clipboardClose(one);
  EXPECT_EQ(take(clipboardTextGetter(one, 0)), "text");
  EXPECT_EQ(data(one, "morvint.test.one"), "named");
  EXPECT_FALSE(available(one, "morvint.test.never"));
  EXPECT_FALSE(available(one, ""));

  ClipboardObject *two = make();
  addData(two, "second", "morvint.test.two");
  EXPECT_FALSE(clipboardTextAvailable(two)) << "a second object empties the clipboard";
  EXPECT_FALSE(available(two, "morvint.test.one"));
  EXPECT_EQ(data(two, "morvint.test.two"), "second");

  setText(one, "again"); /* another object wrote in between: one starts afresh */
  EXPECT_FALSE(available(one, "morvint.test.two"));
  putRaw(CF_TEXT, "other program", 14);
  addData(one, "after", "morvint.test.one");
  EXPECT_FALSE(clipboardTextAvailable(one)) << "another program's text is not mixed in";
  drop(one);
  drop(two);
}

TEST_F(ClipboardTest, ReadingWhileAnotherThreadHoldsTheClipboardGivesNil) {
  ClipboardObject *c = make();
  setText(c, "held");
  HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HoldEvents events = {opened, done};
  HANDLE holder = CreateThread(nullptr, 0, holdClipboard, &events, 0, nullptr);
  WaitForSingleObject(opened, INFINITE);
  EXPECT_EQ(clipboardTextGetter(c, 0), nullptr);
  setText(c, "refused");
  SetEvent(done);
  WaitForSingleObject(holder, INFINITE);
  EXPECT_EQ(take(clipboardTextGetter(c, 0)), "held");
  for (HANDLE h : {opened, done, holder}) CloseHandle(h);
  drop(c);
}

TEST_F(ClipboardTest, PicturesTravelAsDeviceIndependentBitmaps) {
  ClipboardObject *c = make();
  PictureObject *p = patterned(21, 7);
  setText(c, "before");
  clipboardPictureSetter(c, 0, p);
  EXPECT_TRUE(clipboardPictureAvailable(c));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
  PictureObject *back = (PictureObject *)clipboardPictureGetter(c, 0);
  ASSERT_TRUE(back);
  EXPECT_EQ(pictureWidthGetter(back, 0), 21);
  EXPECT_EQ(differing(p, back), 0);
  RuntimeUnlockObject(&back->header);

  ClipboardObject *other = make();
  clipboardPictureSetter(other, 0, p);
  EXPECT_FALSE(clipboardTextAvailable(other)) << "setting a picture empties what others left";
  clipboardPictureSetter(other, 0, nullptr);
  EXPECT_TRUE(clipboardPictureAvailable(other));

  putRaw(CF_TEXT, "no picture", 11);
  EXPECT_FALSE(clipboardPictureAvailable(c));
  EXPECT_EQ(clipboardPictureGetter(c, 0), nullptr);
  const uint8_t damaged[] = {40, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F};
  putRaw(CF_DIB, damaged, sizeof damaged);
  EXPECT_EQ(clipboardPictureGetter(c, 0), nullptr);
  RuntimeUnlockObject(&p->header);
  drop(c);
  drop(other);
}

TEST_F(ClipboardTest, AnotherProcessReadsWhatTheRuntimePutThereAndTheOtherWayRound) {
  ClipboardObject *c = make();
  setText(c, "from the runtime");
  EXPECT_PRED2(contains, driver("clipboard"), "clipboard \"from the runtime\"\n");

  PictureObject *p = newPicture(6, 4, 32);
  p->image->bits[0] = 0x102030;
  p->image->bits[6 * 4 - 1] = 0xA0B0C0;
  clipboardPictureSetter(c, 0, p);
  EXPECT_PRED2(contains, driver("clipboard-picture"), "picture 6x4 first=102030 last=A0B0C0\n");
  RuntimeUnlockObject(&p->header);

  EXPECT_PRED2(contains, driver("set-clipboard \"from the driver\""),
               "set-clipboard \"from the driver\"\n");
  EXPECT_EQ(take(clipboardTextGetter(c, 0)), "from the driver");
  drop(c);
}
