// OpenPrinter and OpenPrinterDialog: a print job on the setup's printer
// (or the default printer) straight away, or on the printer, copies and
// pages the user chooses in the print dialog.
#include "printing/printjob.h"
#include <commdlg.h>

GraphicsObject *RuntimeOpenPrinter(PrinterSetup *setup) {
  PrinterChoice choice;
  if (!setup_choose(setup, &choice)) return nullptr; /* no printer */
  HDC dc = printers_dc(choice.name, choice.settings, false);
  setup_choice_free(&choice);
  return printjob_start(dc, setup, JobNumbers{1, kFirstPage, kLastPageAll});
}

// The copies the dialog settled: the printer makes them from its settings.
static int32_t copiesOf(const PRINTDLGA &dialog) {
  const DEVMODEA *settings =
      dialog.hDevMode ? (const DEVMODEA *)GlobalLock(dialog.hDevMode) : nullptr;
  int32_t copies = settings && (settings->dmFields & DM_COPIES) ? settings->dmCopies : 0;
  if (settings) GlobalUnlock(dialog.hDevMode);
  if (copies < 1) copies = dialog.nCopies;
  return copies < 1 ? 1 : copies;
}

static JobNumbers numbersOf(const PRINTDLGA &dialog) {
  bool range = dialog.Flags & PD_PAGENUMS;
  return JobNumbers{copiesOf(dialog), range ? dialog.nFromPage : kFirstPage,
                    range ? dialog.nToPage : kLastPageAll};
}

// The dialog starts on the setup's printer and settings; what the user
// chooses in it goes back into the setup. Nil after a cancel, without a
// printer, or when the printer refuses the document.
GraphicsObject *RuntimeOpenPrinterDialog(PrinterSetup *setup) {
  PRINTDLGA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetActiveWindow();
  dialog.Flags = PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOSELECTION | PD_HIDEPRINTTOFILE;
  dialog.nFromPage = dialog.nToPage = kFirstPage;
  dialog.nMinPage = kFirstPage;
  dialog.nMaxPage = kLastPageAll;
  dialog.nCopies = 1;
  PrinterChoice choice;
  if (!setup_choose(setup, &choice)) return nullptr; /* no printer to offer */
  dialog.hDevMode = printers_global_settings(choice.settings);
  dialog.hDevNames = printers_global_names(choice.name);
  setup_choice_free(&choice);
  GraphicsObject *g = nullptr;
  if (PrintDlgA(&dialog)) {
    if (setup) setup_take(setup, dialog.hDevMode, dialog.hDevNames);
    g = printjob_start(dialog.hDC, setup, numbersOf(dialog)); /* it owns the context */
  }
  if (dialog.hDevMode) GlobalFree(dialog.hDevMode);
  if (dialog.hDevNames) GlobalFree(dialog.hDevNames);
  return g;
}
