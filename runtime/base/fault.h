// Internal fault reports: the assertion dialog, the diagnostic output and the
// out-of-memory ending. Every consistency check of the runtime ends here.
#pragma once
#include "base/faultsites.h"

enum {
  kFaultNamedUnit = 131,  // class code when a source unit is named
  kFaultUnnamed = 132,    // class code when none is
  kFaultNumberInUnit = 4, // the number shown whenever a source unit is named
};

// Shows the assertion dialog; returns only when the user chooses OK.
void fault_assert(int classCode, int number, const char *unit, int line);

// The usual report: a source unit and a line, normally one of the named sites.
inline void fault_report(const char *unit, int line) {
  fault_assert(kFaultNamedUnit, kFaultNumberInUnit, unit, line);
}
inline void fault_report(FaultSite site) { fault_report(site.unit, site.line); }

// Passes a text to the diagnostic output.
void fault_diagnostic(const char *text);

// Ends the process after memory ran out; a large block (over 252 bytes) also
// gets the assertion report. Does not return.
[[noreturn]] void fault_out_of_memory(bool largeBlock);

// Ends the process after telling the user that a routine the application
// called is not part of this runtime yet. Does not return.
[[noreturn]] void fault_unbuilt(const char *name);

// Ends the process with exit code 0, forcing it if the orderly way returns.
[[noreturn]] void fault_end_process();
