// The platform's printers through the spooler: which one is the default,
// their settings as their drivers give and merge them, the device names of
// the print dialogs, and device contexts.
#include "printing/printers.h"
#include <commdlg.h>
#include <winspool.h>
#include <cstdlib>
#include <cstring>

static const char kSpoolerDriver[] = "winspool";

bool printers_default(char *name) {
  DWORD size = kPrinterNameMax;
  return GetDefaultPrinterA(name, &size) && name[0];
}

bool printers_exists(const char *name) {
  HANDLE printer;
  if (!name || !name[0] || !OpenPrinterA((char *)name, &printer, nullptr)) return false;
  ClosePrinter(printer);
  return true;
}

static int32_t sizeOf(const DEVMODEA *settings) {
  return settings->dmSize + settings->dmDriverExtra;
}

bool printers_public(HGLOBAL settings, DEVMODEA *out) {
  const DEVMODEA *p = settings ? (const DEVMODEA *)GlobalLock(settings) : nullptr;
  if (!p) return false;
  SIZE_T size = GlobalSize(settings);
  bool whole = size >= offsetof(DEVMODEA, dmFields) + sizeof(DWORD) &&
               p->dmSize >= offsetof(DEVMODEA, dmFields) + sizeof(DWORD) && p->dmSize <= size;
  if (whole) {
    *out = {};
    memcpy(out, p, p->dmSize < sizeof *out ? p->dmSize : sizeof *out);
    out->dmSize = sizeof *out;
    out->dmDriverExtra = 0;
  }
  GlobalUnlock(settings);
  return whole;
}

// Only the public fields of `wanted` go to the driver: its private part may
// be another driver's.
static DEVMODEA publicPart(const DEVMODEA *wanted) {
  DEVMODEA in = {};
  size_t n = wanted->dmSize < sizeof in ? wanted->dmSize : sizeof in;
  memcpy(&in, wanted, n);
  in.dmSpecVersion = DM_SPECVERSION;
  in.dmSize = sizeof in;
  in.dmDriverExtra = 0;
  return in;
}

DEVMODEA *printers_settings(const char *name, const DEVMODEA *wanted) {
  HANDLE printer;
  if (!name || !name[0] || !OpenPrinterA((char *)name, &printer, nullptr)) return nullptr;
  DEVMODEA *out = nullptr;
  LONG size = DocumentPropertiesA(nullptr, printer, (char *)name, nullptr, nullptr, 0);
  if (size >= (LONG)offsetof(DEVMODEA, dmFields))
    out = (DEVMODEA *)calloc(1, size < (LONG)sizeof(DEVMODEA) ? sizeof(DEVMODEA) : size);
  DEVMODEA in = wanted ? publicPart(wanted) : DEVMODEA{};
  DWORD mode = DM_OUT_BUFFER | (wanted ? DM_IN_BUFFER : 0);
  if (out && DocumentPropertiesA(nullptr, printer, (char *)name, out, wanted ? &in : nullptr,
                                 mode) != IDOK) {
    free(out);
    out = nullptr;
  }
  ClosePrinter(printer);
  return out;
}

HGLOBAL printers_global_settings(const DEVMODEA *settings) {
  int32_t size = sizeOf(settings);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (void *p = memory ? GlobalLock(memory) : nullptr) {
    memcpy(p, settings, size);
    GlobalUnlock(memory);
  }
  return memory;
}

// The printer's port, as its device names carry it; "" when unknown.
static void portOf(const char *name, char *port, size_t size) {
  port[0] = 0;
  HANDLE printer;
  if (!OpenPrinterA((char *)name, &printer, nullptr)) return;
  DWORD need = 0;
  GetPrinterA(printer, 2, nullptr, 0, &need);
  if (BYTE *info = need ? (BYTE *)malloc(need) : nullptr) {
    const char *p =
        GetPrinterA(printer, 2, info, need, &need) ? ((PRINTER_INFO_2A *)info)->pPortName : nullptr;
    if (p && strlen(p) < size) strcpy(port, p);
    free(info);
  }
  ClosePrinter(printer);
}

HGLOBAL printers_global_names(const char *name) {
  char port[MAX_PATH];
  portOf(name, port, sizeof port);
  size_t driver = sizeof(DEVNAMES), device = driver + sizeof kSpoolerDriver;
  size_t output = device + strlen(name) + 1, end = output + strlen(port) + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, end);
  char *p = memory ? (char *)GlobalLock(memory) : nullptr;
  if (!p) return memory;
  DEVNAMES *names = (DEVNAMES *)p;
  names->wDriverOffset = (WORD)driver;
  names->wDeviceOffset = (WORD)device;
  names->wOutputOffset = (WORD)output;
  strcpy(p + driver, kSpoolerDriver);
  strcpy(p + device, name);
  strcpy(p + output, port);
  GlobalUnlock(memory);
  return memory;
}

bool printers_name_from(HGLOBAL names, char *name) {
  const char *p = names ? (const char *)GlobalLock(names) : nullptr;
  if (!p) return false;
  SIZE_T size = GlobalSize(names);
  WORD offset = ((const DEVNAMES *)p)->wDeviceOffset;
  bool ok = false;
  if (offset >= sizeof(DEVNAMES) && offset < size) {
    size_t n = strnlen(p + offset, size - offset);
    ok = n > 0 && n < (size_t)kPrinterNameMax && offset + n < size;
    if (ok) memcpy(name, p + offset, n + 1);
  }
  GlobalUnlock(names);
  return ok;
}

HDC printers_dc(const char *name, const DEVMODEA *settings, bool info) {
  return info ? CreateICA(kSpoolerDriver, name, nullptr, settings)
              : CreateDCA(kSpoolerDriver, name, nullptr, settings);
}

bool printers_measure(HDC dc, PageMetrics *m) {
  m->dotsX = GetDeviceCaps(dc, LOGPIXELSX);
  m->dotsY = GetDeviceCaps(dc, LOGPIXELSY);
  m->pageWidth = GetDeviceCaps(dc, HORZRES);
  m->pageHeight = GetDeviceCaps(dc, VERTRES);
  m->paperWidth = GetDeviceCaps(dc, PHYSICALWIDTH);
  m->paperHeight = GetDeviceCaps(dc, PHYSICALHEIGHT);
  m->pageLeft = GetDeviceCaps(dc, PHYSICALOFFSETX);
  m->pageTop = GetDeviceCaps(dc, PHYSICALOFFSETY);
  return m->dotsX > 0 && m->dotsY > 0;
}
