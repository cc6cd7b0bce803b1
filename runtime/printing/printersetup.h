// PrinterSetup: which printer a program prints on and how (the paper, its
// orientation, the printer's resolution, the units its Graphics draws in),
// set by the page setup dialog or from a kept text form, and what it makes
// of the page.
#pragma once
#include "objects/objects.h"
#include "printing/printers.h"
#include "text/string.h"
#include <cstddef>

constexpr int32_t kDefaultResolution = 72; // units per inch, unless set

struct PrinterSetup {
  Object header;       // 0
  HGLOBAL settings;    // 16: DEVMODEA for `printer`, owned; nil: the printer's defaults
  RString *printer;    // 20: the printer's name, owned; nil: the system's default printer
  int32_t resolutionX; // 24: the Graphics' units per inch; 0: the printer's dots
  int32_t resolutionY; // 28
  uint8_t landscape;   // 32: Landscape; applied whenever the settings are used
  uint8_t spare[204 - 33];
};
static_assert(offsetof(PrinterSetup, settings) == 16 && offsetof(PrinterSetup, printer) == 20);
static_assert(offsetof(PrinterSetup, resolutionX) == 24 && offsetof(PrinterSetup, landscape) == 32);
static_assert(sizeof(PrinterSetup) == 204);

// What printerSetupInfoGetter's parameter names (the property's parameter
// in the class table): the page is the printable area, where the Graphics
// draws from (0, 0); the paper is the whole sheet. Sizes are in the
// Graphics' units.
enum PrinterInfo : int32_t {
  kInfoPageLeft = 0, // where the page begins on the paper
  kInfoPageTop = 1,
  kInfoPageWidth = 2,
  kInfoPageHeight = 3,
  kInfoPaperWidth = 4,
  kInfoPaperHeight = 5,
  kInfoResolutionX = 6, // the Graphics' units per inch
  kInfoResolutionY = 7,
  kInfoPrinterX = 8, // the printer's dots per inch
  kInfoPrinterY = 9,
};

// The printer a setup names and its settings, Landscape applied.
struct PrinterChoice {
  char name[kPrinterNameMax];
  DEVMODEA *settings; // malloc'd, owned by the choice
};

// The setup's printer (or the default printer for a nil setup, or when the
// one it names is gone) with its settings; false when there is no printer.
bool setup_choose(PrinterSetup *setup, PrinterChoice *choice);
void setup_choice_free(PrinterChoice *choice);
// Takes what a print dialog chose (settings and device names it made) into
// the setup; false, changing nothing, when they are not whole.
bool setup_take(PrinterSetup *setup, HGLOBAL settings, HGLOBAL names);
// The units per inch a Graphics of the setup draws in, for a printer of
// the dots per inch given.
int32_t setup_units(const PrinterSetup *setup, int32_t dots, bool vertical);

void printersetup_classes_attach(); // the constructor and the destructor

extern "C" {
bool printerSetupPageSetup(PrinterSetup *setup);
int32_t printerSetupInfoGetter(PrinterSetup *setup, int32_t which);
void printerSetupResSetter(PrinterSetup *setup, int32_t which, int32_t resolution);
void printerSetupMaxResSetter(PrinterSetup *setup, int32_t which, int32_t dots);
RString *printerSetupStringGetter(PrinterSetup *setup, int32_t);
void printerSetupStringSetter(PrinterSetup *setup, int32_t, RString *text);
}
