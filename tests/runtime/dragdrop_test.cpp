// Drag and drop in process: drag items and their entries, acceptance lists,
// the windows' drop target answering data objects as another program would
// offer them (text, file lists of thousands, damaged lists, pictures, unknown
// formats), drops delivered by the loop as DropObject, text dropped into edit
// fields, and the data object a drag of ours offers.
#include "describe.h"
#include "base/pool.h"
#include "dragdrop/accept.h"
#include "dragdrop/offer.h"
#include "dragdrop/source.h"
#include "files/file.h"
#include "graphics/imagefile.h"
#include "lifecycle/application.h"
#include "lifecycle/settings.h"
#include "picturetest.h"
#include "recorder.h"
#include "texts.h"
#include "ui/droptarget.h"
#include "ui/editfield.h"
#include <ole2.h>
#include <cstring>
#include <map>

using namespace describe;

extern "C" void editReadOnlySetter(EditFieldObject *e, int32_t, bool v);

namespace {

/* ---- a data object as another program offers one ---- */

// The header of a file list (the shell's DROPFILES, whose header would clash
// with the runtime's folder items here).
struct FileListHeader {
  DWORD pFiles; // where the names start
  POINT pt;
  BOOL fNC;
  BOOL fWide; // names in UTF-16
};
static_assert(sizeof(FileListHeader) == 20);

struct FakeData : IDataObject {
  LONG refs = 1;
  std::map<UINT, std::string> formats; // the bytes of each format offered

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    *out = iid == IID_IUnknown || iid == IID_IDataObject ? this : nullptr;
    if (*out) AddRef();
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; } // lives on the test's stack
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC *f, STGMEDIUM *m) override {
    auto it = formats.find(f->cfFormat);
    if (it == formats.end()) return DV_E_FORMATETC;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, it->second.size());
    memcpy(GlobalLock(h), it->second.data(), it->second.size());
    GlobalUnlock(h);
    *m = {};
    m->tymed = TYMED_HGLOBAL;
    m->hGlobal = h;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC *f) override {
    return formats.count(f->cfFormat) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC *, FORMATETC *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC **) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA **) override { return E_NOTIMPL; }

  void unicode(const std::wstring &text) {
    formats[CF_UNICODETEXT] = std::string((const char *)text.c_str(), (text.size() + 1) * 2);
  }
  // A file list of wide names, as a file manager gives it.
  void files(const std::vector<std::wstring> &paths) {
    FileListHeader header = {};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::string bytes((const char *)&header, sizeof header);
    for (const std::wstring &p : paths) bytes.append((const char *)p.c_str(), (p.size() + 1) * 2);
    bytes.append(2, '\0');
    formats[CF_HDROP] = bytes;
  }
};

/* ---- the window ---- */

std::vector<std::string> gDrops; // "name:" then what the item carried
Object *gLastItem;               // the last item delivered, retained

std::string nameOf(Object *o) {
  if (is_control(o)) return str_cview(as_control(o)->name);
  return "window";
}

std::string describeItem(DragItemObject *d) {
  std::string s;
  for (int32_t i = 0; i < dragitem_count(d); i++) {
    DragEntry *e = dragitem_entry(d, i);
    if (e->text) s += "text=" + std::string(str_cview(e->text)) + " ";
    if (e->picture) s += "picture ";
    if (e->path) s += "file ";
    for (DragData *k = e->data; k; k = k->next)
      s += std::string(str_cview(k->type)) + "=" + str_cview(k->data) + " ";
  }
  return s;
}

void onDrop(Object *self, Object *item) {
  gDrops.push_back(nameOf(self) + ": " + describeItem((DragItemObject *)item));
  RuntimeUnlockObject(gLastItem);
  gLastItem = RuntimeLockObject(item);
}

class DropTest : public RuntimeTest {
protected:
  enum { kWindow, kField, kCanvas, kClasses };
  ClassDef window, field, canvas;
  ClassDef *table[kClasses] = {&window, &field, &canvas};
  WindowObject *w = nullptr;
  FileType types[2] = {};
  Vector savedTypes;

  void SetUp() override {
    RuntimeTest::SetUp();
    set_up_windows();
    static bool ole = SUCCEEDED(OleInitialize(nullptr)); /* once, as the runtime starts */
    ASSERT_TRUE(ole);
    gDrops.clear();
    derive(&window, "DropWindow", gWindowClass, 120);
    derive(&field, "DropField", registry_find("EditField"), 160);
    derive(&canvas, "DropCanvas", registry_find("Canvas"), 108);
    for (ClassDef *c : {&window, &field, &canvas}) addHandler(c, "DropObject", (void *)onDrop);
    savedTypes = gSettings.fileTypes;
    vec_init(&gSettings.fileTypes);
    types[0] = {str_from("Picture"), nullptr, str_from("BMPf"), str_from(".bmp;.png")};
    types[1] = {str_from("Any"), nullptr, str_from("????"), str_from("")};
    for (FileType &t : types) vec_append_ptr(&gSettings.fileTypes, &t);
    open();
  }
  void TearDown() override {
    RuntimeUnlockObject(gLastItem);
    gLastItem = nullptr;
    close_test_window(w);
    accept_forget_all();
    retire_test_classes({&window, &field, &canvas});
    for (FileType &t : types)
      for (RString *s : {t.name, t.type, t.extensions}) RuntimeUnlockString(s);
    vec_dispose(&gSettings.fileTypes);
    gSettings.fileTypes = savedTypes;
    RuntimeTest::TearDown();
  }

  // Fields "plain" and "taker" side by side at the top, a canvas "pad" below.
  void open() {
    Description d(kWindow, {{"Name", "W"}, {"Frame", "0"}, {"Width", "400"}, {"Height", "300"}});
    const char *none = "-2147483648";
    d.control(kField, placed("plain", none, {10, 10, 40, 190}, {{"Text", "one two"}}));
    d.control(kField, placed("taker", none, {10, 200, 40, 390}));
    d.control(kCanvas, placed("pad", none, {100, 10, 250, 390}));
    gClassTable = table;
    gClassCount = kClasses;
    w = open_window(d);
    ASSERT_TRUE(w);
    window_pass();
    pump();
  }
  ControlObject *control(const char *name) { return as_control(control_named(w, name)); }
  EditFieldObject *fieldNamed(const char *name) { return (EditFieldObject *)control(name); }

  // The screen point of a point of the window's content.
  POINTL screen(int x, int y) {
    POINT p = {x, y};
    ClientToScreen(w->view->pane.hwnd, &p);
    return {p.x, p.y};
  }
  // Enter, move and drop at the point, as the platform's drag loop calls
  // the target; the effect the drop answered.
  DWORD dropAt(FakeData &data, int x, int y, DWORD allowed = DROPEFFECT_COPY, DWORD keys = 0) {
    DWORD entered = gDropHooks.enter(w->view, &data, keys, screen(x, y), allowed);
    DWORD over = gDropHooks.over(w->view, keys, screen(x, y), allowed);
    EXPECT_EQ(entered, over);
    return gDropHooks.drop(w->view, &data, keys, screen(x, y), allowed);
  }
  DWORD answerAt(FakeData &data, int x, int y) {
    DWORD effect = gDropHooks.enter(w->view, &data, 0, screen(x, y), DROPEFFECT_COPY);
    gDropHooks.leave(w->view);
    return effect;
  }
  // Runs the loop until the queued drops are delivered.
  void deliver() {
    static int turns;
    turns = 0;
    loop_run_nested(
        [](void *) {
          PostMessageA(nullptr, WM_NULL, 0, 0); /* a turn never waits for input */
          return ++turns < 4;
        },
        nullptr);
  }
};

TEST_F(DropTest, OnlyWhatIsAcceptedIsAnsweredWithCopy) {
  FakeData text, unknown;
  text.unicode(L"hello");
  unknown.formats[RegisterClipboardFormatA("Nobody's format")] = "xyz";
  EXPECT_EQ(answerAt(text, 200, 150), (DWORD)DROPEFFECT_NONE) << "nothing accepted yet";
  controlAcceptTextDrop(control("pad"));
  EXPECT_EQ(answerAt(text, 200, 150), (DWORD)DROPEFFECT_COPY);
  EXPECT_EQ(answerAt(text, 5, 280), (DWORD)DROPEFFECT_NONE) << "the window itself accepts nothing";
  EXPECT_EQ(answerAt(unknown, 200, 150), (DWORD)DROPEFFECT_NONE);
  formAcceptTextDrop(w);
  EXPECT_EQ(answerAt(text, 5, 280), (DWORD)DROPEFFECT_COPY);
  formAcceptMacDataDrop(w, Text("Nobody's format"));
  EXPECT_EQ(answerAt(unknown, 5, 280), (DWORD)DROPEFFECT_COPY) << "data of an accepted type";
}

TEST_F(DropTest, DropsReachTheControlUnderThePointOrElseTheWindow) {
  controlAcceptTextDrop(control("pad"));
  formAcceptTextDrop(w);
  FakeData text;
  text.unicode(L"caf\x00E9");
  EXPECT_EQ(dropAt(text, 60, 130), (DWORD)DROPEFFECT_COPY);
  EXPECT_EQ(dropAt(text, 395, 295), (DWORD)DROPEFFECT_COPY);
  EXPECT_TRUE(gDrops.empty()) << "delivered by the loop, not inside the drag";
  deliver();
  ASSERT_EQ(gDrops.size(), 2u);
  EXPECT_EQ(gDrops[0].substr(0, 9), "pad: text");
  EXPECT_EQ(gDrops[1].substr(0, 12), "window: text");
  DragItemObject *d = (DragItemObject *)gLastItem;
  EXPECT_EQ(dragItemDropLeft(d, 0), 395) << "window coordinates for the window";
  EXPECT_EQ(dragItemDropTop(d, 0), 295);
  EXPECT_EQ(dragItemDropWidth(d, 0), 0) << "another program's drag has no rectangle";
}

TEST_F(DropTest, ADropOnAControlGivesThePointInItsOwnCoordinates) {
  controlAcceptTextDrop(control("pad"));
  FakeData text;
  text.unicode(L"x");
  dropAt(text, 60, 130);
  deliver();
  ASSERT_TRUE(gLastItem);
  EXPECT_EQ(dragItemDropLeft((DragItemObject *)gLastItem, 0), 50);
  EXPECT_EQ(dragItemDropTop((DragItemObject *)gLastItem, 0), 30);
}

TEST_F(DropTest, FilesAreFilteredByTypeAndThousandsArriveInOrder) {
  controlAcceptFileDrop(control("pad"), Text("Picture"));
  FakeData list;
  std::vector<std::wstring> paths;
  for (int i = 0; i < 5000; i++)
    paths.push_back(L"C:\\pictures\\p" + std::to_wstring(i) + (i % 2 ? L".png" : L".txt"));
  list.files(paths);
  DWORD start = GetTickCount();
  EXPECT_EQ(dropAt(list, 200, 150), (DWORD)DROPEFFECT_COPY);
  deliver();
  DWORD took = GetTickCount() - start;
  ASSERT_TRUE(gLastItem);
  DragItemObject *d = (DragItemObject *)gLastItem;
  ASSERT_EQ(dragitem_count(d), 2500) << "the .txt files are not of the type";
  EXPECT_STREQ(str_cview(dragitem_entry(d, 0)->path), "C:\\pictures\\p1.png");
  EXPECT_STREQ(str_cview(dragitem_entry(d, 2499)->path), "C:\\pictures\\p4999.png");
  int walked = 1;
  while (DragItemNextItem(d)) walked++;
  EXPECT_EQ(walked, 2500);
  Object *item = dragItemFolderItemGetter(d, 0);
  EXPECT_EQ(take(fileNameGetter(item)), "p4999.png");
  RuntimeUnlockObject(item);
  EXPECT_LT(took, 20000u) << "a drop of thousands is linear work";

  FakeData texts;
  texts.files({L"C:\\a.txt"});
  EXPECT_EQ(answerAt(texts, 200, 150), (DWORD)DROPEFFECT_NONE) << "no file of the type";
  controlAcceptFileDrop(control("pad"), Text(""));
  EXPECT_EQ(answerAt(texts, 200, 150), (DWORD)DROPEFFECT_COPY) << "\"\" takes any file";
}

TEST_F(DropTest, DamagedFileListsAreRefusedWithoutReadingPastThem) {
  controlAcceptFileDrop(control("pad"), Text(""));
  FileListHeader header = {};
  header.fWide = TRUE;
  struct {
    const char *why;
    std::string bytes;
  } cases[] = {
      {"shorter than its header", std::string("\x14\0\0", 3)},
      {"names start past the end", (header.pFiles = 4000, std::string((char *)&header, 20))},
      {"names start inside the header",
       (header.pFiles = 2, std::string((char *)&header, 20) + "a")},
      {"a name never ends",
       (header.pFiles = 20, std::string((char *)&header, 20) + std::string("C\0:\0\\\0x\0", 8))},
  };
  for (auto &c : cases) {
    FakeData list;
    list.formats[CF_HDROP] = c.bytes;
    EXPECT_EQ(answerAt(list, 200, 150), (DWORD)DROPEFFECT_NONE) << c.why;
  }
  deliver();
  EXPECT_TRUE(gDrops.empty());
}

TEST_F(DropTest, PicturesArriveAsPicturesAndDamagedOnesAreDropped) {
  controlAcceptPictureDrop(control("pad"));
  PictureObject *p = pictest::patterned(12, 7);
  size_t length = 0;
  uint8_t *file = bmp_encode(p->image, &length);
  FakeData picture, damaged;
  picture.formats[CF_DIB] = std::string((char *)file + kBmpFileHeader, length - kBmpFileHeader);
  damaged.formats[CF_DIB] = std::string((char *)file + kBmpFileHeader, 30);
  free(file);
  EXPECT_EQ(dropAt(picture, 200, 150), (DWORD)DROPEFFECT_COPY);
  EXPECT_EQ(dropAt(damaged, 200, 150), (DWORD)DROPEFFECT_NONE) << "nothing could be read";
  deliver();
  ASSERT_EQ(gDrops.size(), 1u);
  Object *got = dragItemPictureGetter((DragItemObject *)gLastItem, 0);
  ASSERT_TRUE(got);
  EXPECT_EQ(pictest::differing(p, (PictureObject *)got), 0);
  RuntimeUnlockObject(got);
  RuntimeUnlockObject(&p->header);
}

TEST_F(DropTest, TextGoesIntoAnEditableFieldAtThePointUnlessItAcceptsDropsItself) {
  FakeData text;
  text.unicode(L"dropped ");
  EXPECT_EQ(dropAt(text, 12, 20, DROPEFFECT_COPY | DROPEFFECT_MOVE), (DWORD)DROPEFFECT_MOVE)
      << "text moves unless Control is held";
  EXPECT_EQ(take(editTextGetter(fieldNamed("plain"))), "dropped one two");
  EXPECT_EQ(dropAt(text, 12, 20, DROPEFFECT_COPY | DROPEFFECT_MOVE, MK_CONTROL),
            (DWORD)DROPEFFECT_COPY);
  controlAcceptTextDrop(control("taker"));
  EXPECT_EQ(dropAt(text, 300, 20), (DWORD)DROPEFFECT_COPY);
  EXPECT_EQ(take(editTextGetter(fieldNamed("taker"))), "") << "the program decides";
  deliver();
  ASSERT_EQ(gDrops.size(), 1u);
  EXPECT_EQ(gDrops[0], "taker: text=dropped  ");
  editReadOnlySetter(fieldNamed("plain"), 0, true);
  EXPECT_EQ(answerAt(text, 12, 20), (DWORD)DROPEFFECT_NONE) << "a read-only field takes nothing";
}

TEST_F(DropTest, AClosedWindowStillGetsItsQueuedDrop) {
  formAcceptTextDrop(w);
  FakeData text;
  text.unicode(L"late");
  dropAt(text, 395, 295);
  RuntimeCloseWindow(w);
  RuntimeUnlockObject(&w->header); /* the pending drop keeps it */
  w = nullptr;
  pump();
  PostQuitMessage(0); /* the loop's first turn delivers, then it ends */
  RuntimeRun();
  ASSERT_EQ(gDrops.size(), 1u);
  EXPECT_EQ(gDrops[0], "window: text=late ");
}

TEST_F(DropTest, AListIsForgottenWithItsOwner) {
  controlAcceptTextDrop(control("pad"));
  Object *pad = &control("pad")->header;
  EXPECT_TRUE(accept_of(pad));
  close_test_window(w);
  EXPECT_FALSE(accept_of(pad));
}

/* ---- drag items and the data object of a drag of ours ---- */

class DragItemTest : public RuntimeTest {
protected:
  DragItemObject *d = nullptr;
  int32_t poolBefore = 0;

  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
    poolBefore = pool_used();
    d = dragitem_new(nullptr);
  }
  void TearDown() override {
    RuntimeUnlockObject(&d->header);
    EXPECT_EQ(pool_used(), poolBefore) << "a drag item leaves nothing behind";
    RuntimeTest::TearDown();
  }
  static std::string get(IDataObject *data, UINT format) {
    FORMATETC f = {(CLIPFORMAT)format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM m;
    if (data->GetData(&f, &m) != S_OK) return "<none>";
    std::string bytes((const char *)GlobalLock(m.hGlobal), GlobalSize(m.hGlobal));
    GlobalUnlock(m.hGlobal);
    ReleaseStgMedium(&m);
    return bytes;
  }
};

TEST_F(DragItemTest, EntriesAreWalkedInOrderAndEachKeepsItsOwnData) {
  EXPECT_FALSE(DragItemTextAvailable(d)) << "a new item carries nothing";
  dragItemTextSetter(d, 0, Text("first"));
  DragItemSetMacData(d, Text("TYPE"), Text("one"));
  DragItemAddItem(d, 1, 2, 3, 4);
  EXPECT_FALSE(DragItemTextAvailable(d)) << "the new entry is current";
  DragItemSetMacData(d, Text("type"), Text("two"));
  DragItemSetMacData(d, Text("TYPE"), Text("three")); /* replaces, case ignored */
  d->current = 0;
  EXPECT_EQ(take(dragItemTextGetter(d, 0)), "first");
  EXPECT_EQ(take(DragItemGetMacData(d, Text("type"))), "one");
  EXPECT_TRUE(DragItemNextItem(d));
  EXPECT_EQ(take(DragItemGetMacData(d, Text("Type"))), "three");
  EXPECT_FALSE(DragItemMacDataAvailable(d, Text("other")));
  EXPECT_FALSE(DragItemNextItem(d)) << "the last stays current";
  EXPECT_EQ(dragitem_entry(d, 1)->width, 3);
}

TEST_F(DragItemTest, AFolderItemIsKeptByItsPath) {
  Object *item = folderitem_at("C:\\windows\\notepad.exe");
  dragItemFolderItemSetter(d, 0, item);
  RuntimeUnlockObject(item);
  EXPECT_TRUE(DragItemFolderItemAvailable(d));
  Object *back = dragItemFolderItemGetter(d, 0);
  EXPECT_EQ(take(fileAbsolutePathGetter(back)), "C:\\windows\\notepad.exe");
  RuntimeUnlockObject(back);
}

TEST_F(DragItemTest, TheDataObjectOffersTextFilesPicturesAndPublicDataOnly) {
  dragItemTextSetter(d, 0, Text("line"));
  Object *item = folderitem_at("C:\\x\\a b.txt");
  dragItemFolderItemSetter(d, 0, item);
  RuntimeUnlockObject(item);
  PictureObject *p = pictest::patterned(5, 4);
  dragItemPictureSetter(d, 0, p);
  DragItemSetMacData(d, Text("Public"), Text("shared"));
  DragItemSetPrivateMacData(d, Text("Secret"), Text("mine"));
  DragItemAddItem(d, 0, 0, 0, 0);
  dragItemTextSetter(d, 0, Text("second"));
  IDataObject *data = source_data_object(d);
  EXPECT_EQ(get(data, CF_TEXT), std::string("line\r\nsecond\0", 13));
  std::string u = get(data, CF_UNICODETEXT);
  EXPECT_EQ(u.substr(0, 6), std::string("l\0i\0n", 6));
  std::string files = get(data, CF_HDROP);
  ASSERT_GT(files.size(), sizeof(FileListHeader));
  std::wstring first((const wchar_t *)(files.data() + sizeof(FileListHeader)));
  EXPECT_EQ(first, L"C:\\x\\a b.txt");
  std::string dib = get(data, CF_DIB);
  PictureObject *back = bmp_decode_dib((const uint8_t *)dib.data(), dib.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(pictest::differing(p, back), 0);
  EXPECT_EQ(get(data, RegisterClipboardFormatA("Public")), std::string("shared\0", 7));
  EXPECT_EQ(get(data, RegisterClipboardFormatA("Secret")), "<none>") << "private stays here";
  for (PictureObject *o : {p, back}) RuntimeUnlockObject(&o->header);
  data->Release();
}

TEST_F(DragItemTest, ADragOfOursIsTakenWholeByADropInThisProgram) {
  DragItemSetPrivateMacData(d, Text("Secret"), Text("mine"));
  dragItemTextSetter(d, 0, Text("t"));
  IDataObject *data = source_data_object(d);
  Offer offer;
  offer_read(&offer, data);
  EXPECT_FALSE(offer.own) << "only while its drag loop runs";
  offer_clear(&offer);
  data->Release();
}

} // namespace
