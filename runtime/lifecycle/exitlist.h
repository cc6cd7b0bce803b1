// The exit list: objects the runtime destroys when it shuts down (open
// streams, the trace log), newest first.
#pragma once

struct Object;

void exitlist_add(Object *object);    // the list takes over the caller's reference
void exitlist_remove(Object *object); // gives the reference back to the caller
void exitlist_run();                  // releases every object, newest first, then the final routine

// A routine run at the end of every exitlist_run: the file layer's, which
// writes out and closes files whose streams were never released.
void exitlist_set_final(void (*routine)());
// A routine run by every exitlist_run after the objects and before the final
// routine (printing's, which ends documents still open); each is added once.
void exitlist_add_routine(void (*routine)());
