// Internal fault reports: the assertion dialog (OK continues, Cancel quits),
// the silent diagnostic output, and the endings for exhausted memory and for
// routines this runtime does not provide yet.
#include "base/fault.h"
#include "base/platform.h"
#include <cstdio>

void fault_assert(int classCode, int number, const char *unit, int line) {
  (void)classCode; // not shown
  char text[256];
  snprintf(text, sizeof text,
           "Failed Assertion: %d\nPress OK to Continue\nPress Cancel to Quit.\n\n"
           "Please report what caused this error\nalong with the information below.\n\n"
           " %s : %d",
           (short)number, unit ? unit : "(no source unit)", line);
  int choice = gPlatform.messageBox(nullptr, text, "", MB_OKCANCEL | MB_ICONERROR | MB_DEFBUTTON2);
  if (choice != IDOK) fault_end_process();
}

void fault_diagnostic(const char *text) { gPlatform.diagnostic(text); }

void fault_end_process() {
  gPlatform.exitProcess(0);
  gPlatform.fatalExit("Gentle Shutdown Failed.  Attempting Forced Shutdown.");
  for (;;) ExitProcess(0); // neither routine may return
}

void fault_out_of_memory(bool largeBlock) {
  fault_diagnostic("This application has run out of memory and must quit now.");
  if (largeBlock) fault_report(kFaultLargeBlockRefused);
  fault_end_process(); // also when the user chose OK
}

[[noreturn]] static void quitWithMessage(const char *text) {
  gPlatform.messageBox(nullptr, text, "Message", MB_OK | MB_ICONERROR);
  fault_end_process();
}

void fault_unbuilt(const char *name) {
  char text[256];
  snprintf(text, sizeof text,
           "The application called \"%s\", which this version of the runtime does not "
           "provide.\nThe application must quit now.",
           name);
  quitWithMessage(text);
}
