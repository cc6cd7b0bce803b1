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

// Writes the generic PostScript printer description that Wine's spooler
// carries (for printers it finds without one) where the driver's files go,
// as the spooler would not copy it there; its path in path.
static bool writeGenericPpd(char *path) {
  HMODULE spooler = LoadLibraryExA("winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = spooler ? FindResourceA(spooler, MAKEINTRESOURCEA(1), "PPDFILE") : nullptr;
  HGLOBAL data = found ? LoadResource(spooler, found) : nullptr;
  const void *bytes = data ? LockResource(data) : nullptr;
  char folder[MAX_PATH];
  DWORD n;
  if (!bytes || !GetPrinterDriverDirectoryA(nullptr, nullptr, 1, (BYTE *)folder, sizeof folder, &n))
    return false;
  snprintf(path, MAX_PATH, "%s\\3", folder);
  CreateDirectoryA(path, nullptr);
  snprintf(path, MAX_PATH, "%s\\3\\generic.ppd", folder);
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0, size = SizeofResource(spooler, found);
  bool ok = file != INVALID_HANDLE_VALUE && WriteFile(file, bytes, size, &written, nullptr) &&
            written == size;
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return ok;
}

// Installs (again) the driver, which a prefix registers only for printers it
// finds on the machine: Wine's PostScript driver with the generic printer
// description.
static bool installDriver() {
  char ppd[MAX_PATH];
  if (!writeGenericPpd(ppd)) return false;
  DRIVER_INFO_3A info = {};
  info.cVersion = 3;
  info.pName = (char *)kDriver;
  info.pDriverPath = (char *)"wineps.drv";
  info.pDataFile = ppd;
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
  if (!installDriver()) return fail("installing the driver");
  HANDLE printer = addPrinter(name, port);
  if (!printer) return fail("adding the printer");
  ClosePrinter(printer);
  if (makeDefault && !SetDefaultPrinterA(name)) return fail("making it the default printer");
  printf("fileprinter: %s prints to %s%s\n", name, port, makeDefault ? " (default)" : "");
  return 0;
}
