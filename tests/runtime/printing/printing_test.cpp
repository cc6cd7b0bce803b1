// Printing on the test bed's file printers: print jobs and their pages,
// the units a setup chooses, a printer that refuses the job, the print
// dialog answered by a person's clicks, and the setup's measures and text
// form, damaged forms refused.
#include "../recorder.h"
#include "graphics/graphics.h"
#include "objects/registry.h"
#include "printed.h"
#include "lifecycle/exitlist.h"
#include "printing/printjob.h"
#include "startup/init.h"
#include <thread>

namespace {

std::string str(RString *s) { // takes the reference
  std::string out(str_cview(s), str_len(s));
  RuntimeUnlockString(s);
  return out;
}

// A CRC-32 as a setup's text form carries it, so that tests can write
// forms whose damage the check does not give away.
uint32_t crc32(const std::string &text) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : text) {
    crc ^= c;
    for (int bit = 0; bit < 8; bit++) crc = crc >> 1 ^ (0xEDB88320u & -(crc & 1));
  }
  return ~crc;
}
std::string checked(const std::string &body) {
  char check[16];
  snprintf(check, sizeof check, "%08lX", (unsigned long)crc32(body));
  return body + ";check=" + check;
}
std::string form(const std::string &printer, int landscape = 0, int hres = 72, int vres = 72) {
  return checked("PrinterSetup 1;printer=" + printer + ";landscape=" + std::to_string(landscape) +
                 ";paper=0;length=0;width=0;quality=0;yres=0;hres=" + std::to_string(hres) +
                 ";vres=" + std::to_string(vres));
}

int32_t live_graphics(ClassDef *graphics) {
  int32_t n = 0;
  for (Object *o = objects_live_head(); o; o = o->next) n += o->cls == graphics;
  return n;
}

class PrintingTest : public RuntimeTest {
protected:
  std::vector<Object *> owned;

  void SetUp() override {
    RuntimeTest::SetUp();
    runtime_classes_init();
    printed::forget();
  }
  void TearDown() override {
    for (Object *o : owned) RuntimeUnlockObject(o);
    RuntimeTest::TearDown();
  }
  PrinterSetup *setup(const std::string &text = "") {
    auto *s = (PrinterSetup *)CreateInstance(registry_find("PrinterSetup"));
    owned.push_back(&s->header);
    if (!text.empty()) setString(s, text);
    return s;
  }
  static void setString(PrinterSetup *s, const std::string &text) {
    RString *t = str_make(text.data(), (int32_t)text.size());
    printerSetupStringSetter(s, 0, t);
    RuntimeUnlockString(t);
  }
  static std::string text(PrinterSetup *s) { return str(printerSetupStringGetter(s, 0)); }
  static int32_t info(PrinterSetup *s, PrinterInfo which) {
    return printerSetupInfoGetter(s, which);
  }
  // Draws a page's worth on g: a frame and a line of text.
  static void drawPage(GraphicsObject *g, const char *words) {
    RuntimeGraphicsDrawRect(g, 10, 10, graphicsWidthGetter(g, 0) - 20, 100);
    RString *t = str_from(words);
    RuntimeGraphicsDrawString(g, t, 20, 50, 0);
    RuntimeUnlockString(t);
  }
};

TEST_F(PrintingTest, PagesOfAJobReachTheDefaultPrintersFile) {
  GraphicsObject *g = RuntimeOpenPrinter(nullptr);
  ASSERT_NE(g, nullptr) << "the test bed's default printer is missing";
  EXPECT_EQ(graphicsCopiesGetter(g, 0), 1);
  EXPECT_EQ(graphicsFirstPageGetter(g, 0), kFirstPage);
  EXPECT_EQ(graphicsLastPageGetter(g, 0), kLastPageAll);
  PrinterSetup *s = setup();
  EXPECT_EQ(graphicsWidthGetter(g, 0), info(s, kInfoPageWidth)) << "72 units per inch";
  EXPECT_EQ(graphicsHeightGetter(g, 0), info(s, kInfoPageHeight));
  drawPage(g, "one");
  PictureObject *picture = newPicture(16, 16, 32);
  auto *ink = (GraphicsObject *)pictureGraphicsGetter(picture, 0);
  RuntimeGraphicsFillRect(ink, 0, 0, 8, 8); /* black on white */
  RuntimeUnlockObject(&ink->header);
  RuntimeGraphicsDrawPicture(g, picture, 100, 200, 32, 32, 0, 0, 16, 16);
  picture->transparent = 1; /* its white shows what lies below */
  RuntimeGraphicsDrawPicture(g, picture, 200, 200, 32, 32, 0, 0, 16, 16);
  RuntimeUnlockObject(&picture->header);
  RuntimeGraphicsNextPage(g);
  drawPage(g, "two");
  RuntimeGraphicsNextPage(g);
  drawPage(g, "three");
  EXPECT_EQ(printed::read(printed::output()), "") << "nothing is printed before the job ends";
  RuntimeUnlockObject(&g->header);
  std::string document = printed::document();
  EXPECT_EQ(printed::pages(document), 3) << document.substr(0, 2000);
  int32_t dots = info(s, kInfoPrinterX);
  for (size_t at = 0; (at = document.find(" setlinewidth", at)) != std::string::npos; at++) {
    size_t start = document.find_last_not_of("0123456789", at - 1);
    int width = atoi(document.c_str() + start + 1);
    EXPECT_GE(width * 72, dots - 72) << "a 1-unit pen is 1/72 inch wide, not the thinnest line";
  }
  size_t first = document.find("image");
  EXPECT_NE(first, std::string::npos) << "the picture is printed";
  EXPECT_NE(document.find("image", first + 1), std::string::npos) << "and the transparent one";
}

// A document whose Graphics is still held when the runtime shuts down is
// printed then; the Graphics stays, drawing nothing.
TEST_F(PrintingTest, DocumentsStillOpenAtShutdownAreEnded) {
  GraphicsObject *g = RuntimeOpenPrinter(nullptr);
  ASSERT_NE(g, nullptr);
  drawPage(g, "kept");
  RuntimeGraphicsNextPage(g);
  drawPage(g, "kept too");
  exitlist_run(); /* what the runtime's shutdown runs */
  std::string document = printed::document();
  EXPECT_EQ(printed::pages(document), 2);
  RuntimeGraphicsNextPage(g);
  drawPage(g, "too late");
  EXPECT_EQ(graphicsCopiesGetter(g, 0), 0) << "no job any more";
  RuntimeUnlockObject(&g->header);
  Sleep(300);
  EXPECT_EQ(printed::read(printed::output()), document) << "no second document";
}

// A Graphics that is no printer's has no job: no pages, no copies.
TEST_F(PrintingTest, APicturesGraphicsHasNoPrintJob) {
  PictureObject *p = newPicture(20, 20, 32);
  auto *g = (GraphicsObject *)pictureGraphicsGetter(p, 0);
  RuntimeGraphicsNextPage(g);
  EXPECT_EQ(graphicsCopiesGetter(g, 0), 0);
  EXPECT_EQ(graphicsLastPageGetter(g, 0), 0);
  RuntimeUnlockObject(&g->header);
  RuntimeUnlockObject(&p->header);
}

TEST_F(PrintingTest, TheSetupsUnitsAndOrientationShapeThePage) {
  PrinterSetup *s = setup();
  int32_t width = info(s, kInfoPageWidth), height = info(s, kInfoPageHeight);
  int32_t paperWidth = info(s, kInfoPaperWidth), paperHeight = info(s, kInfoPaperHeight);
  EXPECT_EQ(info(s, kInfoResolutionX), kDefaultResolution);
  EXPECT_GT(info(s, kInfoPrinterX), 0);
  EXPECT_GT(width, 400) << "A4 or Letter at 72 per inch";
  EXPECT_LT(width, paperWidth + 1);
  EXPECT_LE(info(s, kInfoPageLeft) + width, paperWidth);
  EXPECT_LE(info(s, kInfoPageTop) + height, paperHeight);
  EXPECT_GT(height, width);

  printerSetupResSetter(s, kInfoResolutionX, 144);
  printerSetupResSetter(s, kInfoResolutionY, 144);
  EXPECT_NEAR(info(s, kInfoPageWidth), 2 * width, 2);
  EXPECT_NEAR(info(s, kInfoPaperHeight), 2 * paperHeight, 2);
  printerSetupResSetter(s, kInfoResolutionX, kResolutionMax + 1);
  printerSetupResSetter(s, kInfoResolutionX, -5);
  EXPECT_EQ(info(s, kInfoResolutionX), 144) << "resolutions out of range are refused";
  printerSetupResSetter(s, kInfoResolutionX, 0);
  EXPECT_EQ(info(s, kInfoResolutionX), info(s, kInfoPrinterX)) << "0: the printer's own dots";

  printerSetupResSetter(s, kInfoResolutionX, 144);
  s->landscape = 1;
  EXPECT_NEAR(info(s, kInfoPageWidth), 2 * height, 2);
  EXPECT_NEAR(info(s, kInfoPageHeight), 2 * width, 2);
  GraphicsObject *g = RuntimeOpenPrinter(s);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(graphicsWidthGetter(g, 0), info(s, kInfoPageWidth));
  EXPECT_EQ(graphicsHeightGetter(g, 0), info(s, kInfoPageHeight));
  drawPage(g, "landscape");
  RuntimeUnlockObject(&g->header);
  EXPECT_EQ(printed::pages(printed::document()), 1);
}

TEST_F(PrintingTest, TheSetupStringKeepsEverySetting) {
  PrinterSetup *s = setup(form("File%20Printer", 1, 100, 150));
  printerSetupMaxResSetter(s, kInfoPrinterX, 300);
  std::string kept = text(s);
  EXPECT_NE(kept.find("printer=File%20Printer;landscape=1;"), std::string::npos) << kept;
  EXPECT_NE(kept.find("quality=300;"), std::string::npos) << kept;
  PrinterSetup *again = setup(kept);
  EXPECT_EQ(text(again), kept);
  EXPECT_EQ(again->landscape, 1);
  EXPECT_EQ(info(again, kInfoResolutionX), 100);
  EXPECT_EQ(info(again, kInfoResolutionY), 150);
  EXPECT_GT(info(again, kInfoPageWidth), info(again, kInfoPageHeight) * 100 / 150)
      << "landscape, in units of 100 across and 150 down per inch";
  EXPECT_EQ(text(setup()), form("", 0, 72, 72)) << "a new setup: the default printer, as it is";
}

TEST_F(PrintingTest, DamagedSetupStringsAreRefused) {
  PrinterSetup *s = setup(form("File%20Printer", 1, 100, 100));
  const std::string kept = text(s);
  std::string flipped = kept;
  flipped[flipped.find("landscape=1") + 10] = '0';
  std::string wrongCheck = kept;
  wrongCheck.back() = wrongCheck.back() == '0' ? '1' : '0';
  const std::string damaged[] = {
      "",
      "garbage",
      kept.substr(0, kept.size() - 1),
      kept.substr(0, kept.size() / 2),
      flipped,
      wrongCheck,
      kept + ";",
      checked("PrinterSetup 2;printer=;landscape=0;paper=0;length=0;width=0;quality=0;yres=0;"
              "hres=72;vres=72"),
      form("", 2),
      form("", 0, 5000),
      form("", 0, -1),
      form("Bad%G1Name"),
      form("Half%4"),
      form("Nul%00Name"),
      form("Plain%41Escaped"),
      form("Semi;colon"),
      form(std::string(300, 'x')),
      checked("PrinterSetup 1;printer=;landscape=0;paper=0;length=0;width=0;quality=0;yres=0;"
              "hres=72;vres=72;extra=1"),
      checked("PrinterSetup 1;landscape=0;printer=;paper=0;length=0;width=0;quality=0;yres=0;"
              "hres=72;vres=72"),
      checked("PrinterSetup 1;printer=;landscape=0;paper=99999;length=0;width=0;quality=0;"
              "yres=0;hres=72;vres=72"),
      checked("PrinterSetup 1;printer=;landscape=00000000001;paper=0;length=0;width=0;"
              "quality=0;yres=0;hres=72;vres=72"),
      std::string(5000, 'P'),
  };
  for (const std::string &text : damaged) {
    setString(s, text);
    EXPECT_EQ(PrintingTest::text(s), kept) << "accepted: " << text;
  }
  setString(s, form("Caf%E9", 0, 200, 200)); /* a name outside ASCII is whole text */
  EXPECT_EQ(text(s), form("Caf%E9", 0, 200, 200));
}

// A setup naming a printer that is gone prints on the default printer.
TEST_F(PrintingTest, AMissingPrinterGivesWayToTheDefault) {
  PrinterSetup *s = setup(form("No%20Such%20Printer"));
  EXPECT_GT(info(s, kInfoPageWidth), 0);
  GraphicsObject *g = RuntimeOpenPrinter(s);
  ASSERT_NE(g, nullptr);
  drawPage(g, "still printed");
  RuntimeUnlockObject(&g->header);
  EXPECT_EQ(printed::pages(printed::document()), 1);
}

// The spooler may refuse a job when it starts (nil) or only when the
// document ends (Wine's does, when it cannot write the port): either way
// nothing is left behind and nothing reaches another printer.
TEST_F(PrintingTest, APrinterThatRefusesTheJobEndsItCleanly) {
  ClassDef *graphics = registry_find("Graphics");
  int32_t before = live_graphics(graphics);
  PrinterSetup *s = setup(form("Refusing%20Printer"));
  if (GraphicsObject *g = RuntimeOpenPrinter(s)) {
    drawPage(g, "refused");
    RuntimeGraphicsNextPage(g);
    drawPage(g, "refused too");
    RuntimeUnlockObject(&g->header);
  }
  EXPECT_EQ(live_graphics(graphics), before) << "no Graphics is left behind";
  Sleep(500);
  EXPECT_EQ(printed::read(printed::output()), "");
}

/* ---- the print dialog ---- */

// What a person does in the print dialog: waits for it, types the copies
// and a page range when asked, and presses OK or Cancel.
struct DialogHand {
  bool ok = true;
  int copies = 0, from = 0, to = 0; // 0: left as shown
  bool seen = false;

  static BOOL CALLBACK findDialog(HWND w, LPARAM found) {
    char name[16];
    GetClassNameA(w, name, sizeof name);
    if (strcmp(name, "#32770") == 0 && IsWindowVisible(w)) *(HWND *)found = w;
    return TRUE;
  }
  void setText(HWND dialog, int id, int value) {
    SetDlgItemTextA(dialog, id, std::to_string(value).c_str());
  }
  void act(DWORD thread) {
    HWND dialog = nullptr;
    for (int tries = 0; !dialog && tries < 300; tries++) {
      Sleep(100);
      EnumThreadWindows(thread, findDialog, (LPARAM)&dialog);
    }
    if (!(seen = dialog != nullptr)) return;
    Sleep(500);                                 /* until it has settled */
    if (copies) setText(dialog, 0x482, copies); /* the copies box */
    if (from) {
      SendDlgItemMessageA(dialog, 0x422, BM_CLICK, 0, 0); /* "Pages" */
      setText(dialog, 0x480, from);
      setText(dialog, 0x481, to);
    }
    PostMessageA(dialog, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
  }
};

GraphicsObject *throughDialog(DialogHand &hand, PrinterSetup *setup) {
  std::thread person(&DialogHand::act, &hand, GetCurrentThreadId());
  GraphicsObject *g = RuntimeOpenPrinterDialog(setup);
  person.join();
  return g;
}

TEST_F(PrintingTest, ThePrintDialogGivesCopiesAndThePageRange) {
  DialogHand hand;
  hand.copies = 2, hand.from = 2, hand.to = 3;
  PrinterSetup *s = setup();
  GraphicsObject *g = throughDialog(hand, s);
  ASSERT_TRUE(hand.seen) << "no print dialog came up";
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(graphicsCopiesGetter(g, 0), 2);
  EXPECT_EQ(graphicsFirstPageGetter(g, 0), 2);
  EXPECT_EQ(graphicsLastPageGetter(g, 0), 3);
  drawPage(g, "page two");
  RuntimeGraphicsNextPage(g);
  drawPage(g, "page three");
  RuntimeUnlockObject(&g->header);
  std::string document = printed::document();
  EXPECT_EQ(printed::pages(document), 2) << "each page drawn once";
  EXPECT_NE(document.find("copies=2"), std::string::npos) << "the printer makes the copies";
  EXPECT_NE(text(s).find("printer=File%20Printer;"), std::string::npos)
      << "the dialog's choice is kept in the setup";
  printed::forget();
  g = RuntimeOpenPrinter(s);
  ASSERT_NE(g, nullptr);
  drawPage(g, "once");
  RuntimeUnlockObject(&g->header);
  EXPECT_EQ(printed::document().find("copies=2"), std::string::npos) << "copies are the job's";
}

TEST_F(PrintingTest, CancellingThePrintDialogGivesNil) {
  DialogHand hand;
  hand.ok = false;
  EXPECT_EQ(throughDialog(hand, nullptr), nullptr);
  EXPECT_TRUE(hand.seen);
  EXPECT_EQ(printed::read(printed::output()), "");
}

} // namespace
