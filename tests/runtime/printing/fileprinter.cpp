// The test bed's printers, which write what they print to files: adds (or
// replaces) a printer on the PostScript driver Wine carries, with a port that
// names where its jobs go, and can make it the default printer.
//
//   fileprinter add NAME PORT [--default]
//
// Exits 0 when the printer is there as asked, 1 with the reason otherwise.
#include <windows.h>
#include <winspool.h>
#include <cstdio>
#include <cstring>

static const char kDriver[] = "Wine PostScript Driver";

static int fail(const char *what) {
  fprintf(stderr, "fileprinter: %s failed (error %lu)\n", what, GetLastError());
  return 1;
}

// Installs the driver for the printer's environment when the prefix has not
// registered it yet: Wine's own PostScript driver with its generic PPD.
static bool installDriver() {
  DRIVER_INFO_3A info = {};
  info.cVersion = 3;
  info.pName = (char *)kDriver;
  info.pDriverPath = (char *)"wineps.drv";
  info.pDataFile = (char *)"generic.ppd";
  info.pConfigFile = (char *)"wineps.drv";
  return AddPrinterDriverExA(nullptr, 3, (BYTE *)&info, APD_COPY_NEW_FILES);
}

static void removePrinter(const char *name) {
  HANDLE printer;
  PRINTER_DEFAULTSA access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!OpenPrinterA((char *)name, &printer, &access)) return;
  DeletePrinter(printer);
  ClosePrinter(printer);
}

static HANDLE addPrinter(const char *name, const char *port) {
  PRINTER_INFO_2A info = {};
  info.pPrinterName = (char *)name;
  info.pPortName = (char *)port;
  info.pDriverName = (char *)kDriver;
  info.pPrintProcessor = (char *)"WinPrint";
  info.pDatatype = (char *)"RAW";
  return AddPrinterA(nullptr, 2, (BYTE *)&info);
}

int main(int argc, char **argv) {
  if (argc < 4 || strcmp(argv[1], "add") != 0) {
    fprintf(stderr, "usage: fileprinter add NAME PORT [--default]\n");
    return 2;
  }
  const char *name = argv[2], *port = argv[3];
  bool makeDefault = argc > 4 && strcmp(argv[4], "--default") == 0;
  removePrinter(name); /* a printer of an earlier run may name another port */
  HANDLE printer = addPrinter(name, port);
  if (!printer && GetLastError() == ERROR_UNKNOWN_PRINTER_DRIVER && installDriver())
    printer = addPrinter(name, port);
  if (!printer) return fail("adding the printer");
  ClosePrinter(printer);
  if (makeDefault && !SetDefaultPrinterA(name)) return fail("making it the default printer");
  printf("fileprinter: %s prints to %s%s\n", name, port, makeDefault ? " (default)" : "");
  return 0;
}
