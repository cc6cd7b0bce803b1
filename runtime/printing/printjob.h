// Print jobs: a printer's device context with a document open, lent page by
// page to the Graphics that draws on it; OpenPrinter and OpenPrinterDialog.
#pragma once
#include "graphics/graphics.h"
#include "printing/printersetup.h"

// The first and last pages a job reports when every page is to be printed.
constexpr int32_t kFirstPage = 1;
constexpr int32_t kLastPageAll = 9999;

// What a print dialog (or its absence) settled for a job.
struct JobNumbers {
  int32_t copies;    // the printer makes them: each page is drawn once
  int32_t firstPage; // the range the user asked for; the program chooses
  int32_t lastPage;  // what to draw from it
};

// Starts a document on the printer context (the job owns it from now on,
// whatever happens) and returns the Graphics that draws its pages, in the
// setup's units (72 per inch for a nil setup); nil when the printer refuses
// the document or its first page.
GraphicsObject *printjob_start(HDC dc, PrinterSetup *setup, const JobNumbers &numbers);

// Ends every document still open (the runtime's shutdown runs it): each is
// printed, and its Graphics draws nothing from then on.
void printjob_end_all();

extern "C" {
GraphicsObject *RuntimeOpenPrinter(PrinterSetup *setup);
GraphicsObject *RuntimeOpenPrinterDialog(PrinterSetup *setup);
}
