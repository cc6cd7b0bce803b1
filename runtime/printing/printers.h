// The platform's printers, through its spooler: the default printer, a
// printer's own settings and settings merged into them by its driver, the
// device names the print dialogs take, and device contexts.
#pragma once
#include "printing/setupstring.h"
#include <windows.h>

// The system's default printer into name (kPrinterNameMax bytes); false when
// there is none.
bool printers_default(char *name);
bool printers_exists(const char *name);

// A copy (malloc'd) of the printer's settings: its driver's defaults with
// the public fields of `wanted` (those its dmFields name) merged by the
// driver, which keeps only what it supports; `wanted` nil gives the
// defaults. Nil when the printer is unknown or its driver refuses. Settings
// never reach a driver otherwise, so another driver's private part, or
// settings read from a program's text, are never trusted.
DEVMODEA *printers_settings(const char *name, const DEVMODEA *wanted);
// The public part of settings held in movable memory (a dialog's); false
// when they are not whole.
bool printers_public(HGLOBAL settings, DEVMODEA *out);

// Movable memory holding a copy of the settings (private part included), or
// the device names (driver, printer, port) of the printer, as the print
// dialogs take them; nil when out of memory.
HGLOBAL printers_global_settings(const DEVMODEA *settings);
HGLOBAL printers_global_names(const char *name);
// The printer named in device names a dialog gave, into name; false when
// there is none or it does not fit.
bool printers_name_from(HGLOBAL names, char *name);

// What a printer's device context says of the page, in its dots.
struct PageMetrics {
  int32_t dotsX, dotsY;          // dots per inch
  int32_t pageWidth, pageHeight; // the printable area
  int32_t paperWidth, paperHeight;
  int32_t pageLeft, pageTop; // where the printable area begins on the paper
};
// False when the context is no printer's (no dots).
bool printers_measure(HDC dc, PageMetrics *metrics);

// A device context for printing (information only when `info`), nil when
// the printer or its driver refuses.
HDC printers_dc(const char *name, const DEVMODEA *settings, bool info);
