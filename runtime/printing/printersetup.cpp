// PrinterSetup: the printer and settings it names (merged by the printer's
// driver whenever they are used), the page setup dialog, the page's
// measures in the Graphics' units, the resolutions, and its text form.
#include "printing/printersetup.h"
#include "lifecycle/exception.h"
#include "objects/registry.h"
#include <commdlg.h>
#include <cstdlib>
#include <cstring>

/* ---- the printer and its settings ---- */

// The settings the setup asks for: its kept public fields (none for a new
// setup) with Landscape applied.
static DEVMODEA wanted(const PrinterSetup *setup) {
  DEVMODEA in = {};
  if (!printers_public(setup->settings, &in)) {
    in.dmSpecVersion = DM_SPECVERSION;
    in.dmSize = sizeof in;
  }
  in.dmOrientation = setup->landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  in.dmFields |= DM_ORIENTATION;
  return in;
}

bool setup_choose(PrinterSetup *setup, PrinterChoice *choice) {
  choice->settings = nullptr;
  const char *named = setup ? str_cview(setup->printer) : "";
  if (named[0] && (int32_t)strlen(named) < kPrinterNameMax && printers_exists(named))
    strcpy(choice->name, named);
  else if (!printers_default(choice->name)) /* the named one is gone: the default serves */
    return false;
  DEVMODEA in = setup ? wanted(setup) : DEVMODEA{};
  choice->settings = printers_settings(choice->name, setup ? &in : nullptr);
  return choice->settings != nullptr;
}

void setup_choice_free(PrinterChoice *choice) {
  free(choice->settings);
  choice->settings = nullptr;
}

// Replaces the setup's printer and kept settings (public part only).
static void keep(PrinterSetup *setup, const char *printer, const DEVMODEA *settings) {
  HGLOBAL kept = settings ? printers_global_settings(settings) : nullptr;
  if (settings && !kept) return; /* out of memory: the old ones stay */
  if (setup->settings) GlobalFree(setup->settings);
  setup->settings = kept;
  RuntimeUnlockString(setup->printer);
  setup->printer = printer && printer[0] ? str_from(printer) : nullptr;
}

bool setup_take(PrinterSetup *setup, HGLOBAL settings, HGLOBAL names) {
  char name[kPrinterNameMax];
  DEVMODEA chosen;
  if (!printers_name_from(names, name) || !printers_public(settings, &chosen)) return false;
  chosen.dmFields &= ~(DM_COPIES | DM_COLLATE); /* copies are the job's, not the setup's */
  keep(setup, name, &chosen);
  if (chosen.dmFields & DM_ORIENTATION)
    setup->landscape = chosen.dmOrientation == DMORIENT_LANDSCAPE;
  return true;
}

int32_t setup_units(const PrinterSetup *setup, int32_t dots, bool vertical) {
  int32_t units = !setup ? kDefaultResolution : vertical ? setup->resolutionY : setup->resolutionX;
  return units > 0 ? units : dots;
}

/* ---- the page setup dialog ---- */

bool printerSetupPageSetup(PrinterSetup *setup) {
  if (!setup) RuntimeNilObject();
  PrinterChoice choice;
  if (!setup_choose(setup, &choice)) return false; /* no printer to set up */
  PAGESETUPDLGA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetActiveWindow();
  dialog.hDevMode = printers_global_settings(choice.settings);
  dialog.hDevNames = printers_global_names(choice.name);
  dialog.Flags = PSD_DISABLEMARGINS; /* the page is the printable area: margins are the program's */
  setup_choice_free(&choice);
  bool chosen = PageSetupDlgA(&dialog) && setup_take(setup, dialog.hDevMode, dialog.hDevNames);
  if (dialog.hDevMode) GlobalFree(dialog.hDevMode);
  if (dialog.hDevNames) GlobalFree(dialog.hDevNames);
  return chosen;
}

/* ---- measures ---- */

static int32_t scaled(int32_t dots, int32_t units, int32_t perInch) {
  return (int32_t)((int64_t)dots * units / perInch);
}

// One measure of the page in the Graphics' units.
static int32_t measure(const PrinterSetup *setup, const PageMetrics &m, int32_t which) {
  int32_t unitsX = setup_units(setup, m.dotsX, false), unitsY = setup_units(setup, m.dotsY, true);
  switch (which) {
  case kInfoPageLeft:
    return scaled(m.pageLeft, unitsX, m.dotsX);
  case kInfoPageTop:
    return scaled(m.pageTop, unitsY, m.dotsY);
  case kInfoPageWidth:
    return scaled(m.pageWidth, unitsX, m.dotsX);
  case kInfoPageHeight:
    return scaled(m.pageHeight, unitsY, m.dotsY);
  case kInfoPaperWidth:
    return scaled(m.paperWidth, unitsX, m.dotsX);
  case kInfoPaperHeight:
    return scaled(m.paperHeight, unitsY, m.dotsY);
  case kInfoResolutionX:
    return unitsX;
  case kInfoResolutionY:
    return unitsY;
  case kInfoPrinterX:
    return m.dotsX;
  case kInfoPrinterY:
    return m.dotsY;
  default:
    return 0;
  }
}

int32_t printerSetupInfoGetter(PrinterSetup *setup, int32_t which) {
  if (!setup) RuntimeNilObject();
  if (which == kInfoResolutionX && setup->resolutionX > 0) return setup->resolutionX;
  if (which == kInfoResolutionY && setup->resolutionY > 0) return setup->resolutionY;
  PrinterChoice choice;
  if (!setup_choose(setup, &choice)) return 0; /* no printer: nothing to measure */
  HDC ic = printers_dc(choice.name, choice.settings, true);
  setup_choice_free(&choice);
  PageMetrics m;
  int32_t value = ic && printers_measure(ic, &m) ? measure(setup, m, which) : 0;
  if (ic) DeleteDC(ic);
  return value;
}

/* ---- resolutions ---- */

void printerSetupResSetter(PrinterSetup *setup, int32_t which, int32_t resolution) {
  if (!setup) RuntimeNilObject();
  if (resolution < 0 || resolution > kResolutionMax) return; /* kept: a page must fit the device */
  if (which == kInfoResolutionX) setup->resolutionX = resolution;
  if (which == kInfoResolutionY) setup->resolutionY = resolution;
}

// Asks the printer for its dots per inch; what it can do is what the
// getter reports once its driver has merged the request.
void printerSetupMaxResSetter(PrinterSetup *setup, int32_t which, int32_t dots) {
  if (!setup) RuntimeNilObject();
  if (dots < 1 || dots > kDeviceShortMax) return;
  DEVMODEA in = wanted(setup);
  if (which == kInfoPrinterX) {
    in.dmPrintQuality = (short)dots;
    in.dmFields |= DM_PRINTQUALITY;
  } else if (which == kInfoPrinterY) {
    in.dmYResolution = (short)dots;
    in.dmFields |= DM_YRESOLUTION;
  } else {
    return;
  }
  char name[kPrinterNameMax];
  const char *printer = str_len(setup->printer) < kPrinterNameMax ? str_cview(setup->printer) : "";
  strcpy(name, printer);
  keep(setup, name, &in);
}

/* ---- the text form ---- */

static int32_t field(const DEVMODEA &d, DWORD flag, int32_t value) {
  return d.dmFields & flag ? value : 0;
}

RString *printerSetupStringGetter(PrinterSetup *setup, int32_t) {
  if (!setup) RuntimeNilObject();
  SetupFields f = {};
  if (str_len(setup->printer) < kPrinterNameMax) strcpy(f.printer, str_cview(setup->printer));
  DEVMODEA d;
  if (printers_public(setup->settings, &d)) {
    f.paper = field(d, DM_PAPERSIZE, d.dmPaperSize);
    f.paperLength = field(d, DM_PAPERLENGTH, d.dmPaperLength);
    f.paperWidth = field(d, DM_PAPERWIDTH, d.dmPaperWidth);
    f.quality = field(d, DM_PRINTQUALITY, d.dmPrintQuality);
    f.yResolution = field(d, DM_YRESOLUTION, d.dmYResolution);
  }
  f.landscape = setup->landscape != 0;
  f.resolutionX = setup->resolutionX;
  f.resolutionY = setup->resolutionY;
  char text[kSetupTextMax];
  return str_make(text, setup_encode(f, text));
}

// Sets one field of the settings when the text gives it (0 leaves it to the
// printer).
static void put(DEVMODEA &d, DWORD flag, short &member, int32_t value) {
  if (!value) return;
  member = (short)value;
  d.dmFields |= flag;
}

void printerSetupStringSetter(PrinterSetup *setup, int32_t, RString *text) {
  if (!setup) RuntimeNilObject();
  SetupFields f;
  if (!setup_decode(str_cview(text), str_len(text), &f)) return; /* refused: the setup stays */
  DEVMODEA d = {};
  d.dmSpecVersion = DM_SPECVERSION;
  d.dmSize = sizeof d;
  put(d, DM_PAPERSIZE, d.dmPaperSize, f.paper);
  put(d, DM_PAPERLENGTH, d.dmPaperLength, f.paperLength);
  put(d, DM_PAPERWIDTH, d.dmPaperWidth, f.paperWidth);
  put(d, DM_PRINTQUALITY, d.dmPrintQuality, f.quality);
  put(d, DM_YRESOLUTION, d.dmYResolution, f.yResolution);
  keep(setup, f.printer, d.dmFields ? &d : nullptr);
  setup->landscape = (uint8_t)f.landscape;
  setup->resolutionX = f.resolutionX;
  setup->resolutionY = f.resolutionY;
}

/* ---- the class ---- */

static void construct(Object *object, ClassDef *) {
  auto *setup = (PrinterSetup *)object;
  setup->resolutionX = setup->resolutionY = kDefaultResolution;
}

static void destruct(Object *object, ClassDef *) {
  auto *setup = (PrinterSetup *)object;
  if (setup->settings) GlobalFree(setup->settings);
  setup->settings = nullptr;
  RuntimeUnlockString(setup->printer);
  setup->printer = nullptr;
}

void printersetup_classes_attach() {
  ClassDef *cls = registry_find("PrinterSetup");
  cls->constructor = construct;
  cls->destructor = destruct;
}
