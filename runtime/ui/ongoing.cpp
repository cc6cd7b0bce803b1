// Ongoing-work records: what a thread is in the middle of (a pane held
// through a handler, a receiver kept alive, a value change being delivered,
// a native control's own procedure), kept on a per-thread list, innermost
// first, so that an exception leaving those frames can finish them.
#include "objects/objects.h"
#include "ui/pane.h"

static thread_local Ongoing *ongoing; // the innermost record of the thread

void ongoing_begin(Ongoing *work) {
  work->outer = ongoing;
  ongoing = work;
  if (work->pane) work->pane->useCount++;
  if (work->receiver) RuntimeLockObject(work->receiver);
}

bool ongoing_end(Ongoing *work) {
  ongoing = work->outer; /* records end innermost first */
  if (work->finish) work->finish(work);
  if (work->receiver) RuntimeUnlockObject(work->receiver);
  return work->pane && pane_release(work->pane);
}

bool ongoing_changing(const ControlObject *c) {
  for (Ongoing *w = ongoing; w; w = w->outer)
    if (w->changing == c) return true;
  return false;
}

bool ongoing_native_running() {
  for (Ongoing *w = ongoing; w; w = w->outer)
    if (w->native) return true;
  return false;
}

// The stack grows down: records below frame belong to frames the exception
// left, innermost first on the list.
void ongoing_abandon_below(const void *frame) {
  while (ongoing && (uintptr_t)ongoing < (uintptr_t)frame) ongoing_end(ongoing);
}
