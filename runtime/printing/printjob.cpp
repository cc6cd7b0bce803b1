// Print jobs: the drawing target of a printer's document (its context mapped
// to the Graphics' units, pages ended and begun, the document ended when the
// Graphics goes, or abandoned after a refusal), and the documents still open
// when the runtime shuts down, ended then.
#include "printing/printjob.h"
#include "graphics/drawing.h"
#include "lifecycle/exitlist.h"
#include <commdlg.h>
#include <cstdlib>
#include <cstring>

struct PrintJob {
  DrawTarget target;      // 0: the job as its Graphics' target
  HDC dc;                 // 8: the printer's, the document open; owned
  int32_t unitsX, unitsY; // 12: the Graphics' units per inch
  PageMetrics metrics;    // 20: the page, in the printer's dots
  JobNumbers numbers;     // 52
  uint8_t failed;         // 64: the printer refused a page: the rest draws
                          //     nothing and the document is abandoned
  PrintJob *next;         // 68: the next open job
};

static PrintJob *openJobs; // inside the drawing lock

static PrintJob *jobOf(void *target) { return (PrintJob *)target; }

/* ---- the job as a drawing target ---- */

// The Graphics draws in its units: the context maps them to the printer's
// dots (set again each time, as a new page may start from a fresh state).
static HDC acquireJob(void *target, uintptr_t *token) {
  PrintJob *job = jobOf(target);
  *token = 0;
  if (job->failed) return nullptr;
  SetMapMode(job->dc, MM_ANISOTROPIC);
  SetWindowExtEx(job->dc, job->unitsX, job->unitsY, nullptr);
  SetViewportExtEx(job->dc, job->metrics.dotsX, job->metrics.dotsY, nullptr);
  return job->dc;
}

static void releaseJob(void *, HDC, uintptr_t) {}

static int32_t inUnits(int32_t dots, int32_t units, int32_t perInch) {
  return (int32_t)((int64_t)dots * units / perInch);
}

static void jobSize(void *target, int32_t *width, int32_t *height) {
  PrintJob *job = jobOf(target);
  *width = inUnits(job->metrics.pageWidth, job->unitsX, job->metrics.dotsX);
  *height = inUnits(job->metrics.pageHeight, job->unitsY, job->metrics.dotsY);
}

static COLORREF jobBackground(void *) { return RGB(255, 255, 255); }

static void nextPage(void *target) {
  PrintJob *job = jobOf(target);
  if (job->failed) return;
  job->failed = EndPage(job->dc) <= 0 || StartPage(job->dc) <= 0;
}

static int32_t jobValue(void *target, JobValue which) {
  const JobNumbers &n = jobOf(target)->numbers;
  return which == JobValue::Copies      ? n.copies
         : which == JobValue::FirstPage ? n.firstPage
                                        : n.lastPage;
}

static void closeJob(void *target) {
  PrintJob *job = jobOf(target);
  draw_lock();
  for (PrintJob **link = &openJobs; *link; link = &(*link)->next)
    if (*link == job) {
      *link = job->next;
      break;
    }
  draw_unlock();
  if (job->failed || EndPage(job->dc) <= 0 || EndDoc(job->dc) <= 0)
    AbortDoc(job->dc); /* nothing half printed */
  DeleteDC(job->dc);
  free(job);
}

void printjob_end_all() {
  draw_lock();
  while (PrintJob *job = openJobs) {
    graphics_detach_all(&job->target); /* its Graphics draws nothing from now on */
    closeJob(job);
  }
  draw_unlock();
}

static const DrawJobKind kPrintJob = {
    .nextPage = nextPage,
    .value = jobValue,
    .close = closeJob,
};

static const DrawTargetKind kJobTarget = {
    .name = "print job",
    .acquire = acquireJob,
    .release = releaseJob,
    .size = jobSize,
    .background = jobBackground,
    .offset = nullptr,
    .threadBound = 0, /* the printer's context serves any thread */
    .job = &kPrintJob,
};

/* ---- starting a document ---- */

// The document's name in the spooler: the program's file name.
static const char *documentName(char *buffer, DWORD size) {
  DWORD n = GetModuleFileNameA(nullptr, buffer, size);
  if (n == 0 || n >= size) return "Document";
  const char *name = buffer;
  for (const char *p = buffer; *p; p = CharNextA(p))
    if (*p == '\\' || *p == '/') name = p + 1;
  return name;
}

static bool startDocument(HDC dc) {
  char path[MAX_PATH];
  DOCINFOA doc = {};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = documentName(path, sizeof path);
  if (StartDocA(dc, &doc) <= 0) return false;
  if (StartPage(dc) > 0) return true;
  AbortDoc(dc);
  return false;
}

GraphicsObject *printjob_start(HDC dc, PrinterSetup *setup, const JobNumbers &numbers) {
  PageMetrics metrics;
  PrintJob *job = nullptr;
  if (!dc || !printers_measure(dc, &metrics) || !(job = (PrintJob *)calloc(1, sizeof *job)) ||
      !startDocument(dc)) {
    free(job);
    if (dc) DeleteDC(dc);
    return nullptr;
  }
  job->target.kind = &kJobTarget;
  job->dc = dc;
  job->metrics = metrics;
  job->unitsX = setup_units(setup, metrics.dotsX, false);
  job->unitsY = setup_units(setup, metrics.dotsY, true);
  job->numbers = numbers;
  GraphicsObject *g = graphics_new(&job->target, 0, 0);
  if (!g || !g->port) {                     /* no Graphics to end it: abandoned now */
    if (g) RuntimeUnlockObject(&g->header); /* a Graphics without a port never reaches the job */
    job->failed = 1;
    closeJob(job);
    return nullptr;
  }
  draw_lock();
  job->next = openJobs;
  openJobs = job;
  draw_unlock();
  exitlist_add_routine(printjob_end_all);
  return g;
}
