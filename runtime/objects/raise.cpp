// Runtime exceptions raised from the layers below the one that owns them: the
// raise routine the runtime installs at start-up, called by name of class.
#include "objects/raise.h"
#include "base/fault.h"

static RaiseRoutine gRaise;

void objects_set_raise(RaiseRoutine raise) { gRaise = raise; }

void objects_raise(const char *className) {
  if (gRaise) gRaise(className);
  fault_diagnostic("a runtime exception was raised before the runtime could raise one");
  fault_diagnostic(className);
  fault_end_process();
}
