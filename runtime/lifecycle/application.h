// The application object and its lifecycle: the event loop, its periodic
// tasks, deferred calls and pending drops, quitting and shutdown.
#pragma once
#include "objects/objects.h"
#include <windows.h>

extern Object *gAppObject; // the application object; the runtime's own reference

// Calls the handler that the object's class chain provides for the event named
// `event` of the object's class with (object [, argument]); false when there is none.
bool raise_event(Object *object, const char *event);
bool raise_event_with(Object *object, const char *event, Object *argument);
// The same for an event with a Boolean result: true only when a handler
// exists and answers true.
bool raise_event_asking(Object *object, const char *event, Object *argument);

// What the loop, quitting and shutdown ask of the subsystems that own windows,
// panes, serial ports and media. Each fills in its routines once it exists;
// until then every routine answers as if there were none of those.
struct LoopHooks {
  void (*refreshWindows)();      // bring windows' stored bounds up to date, show hidden ones
  bool (*noWindowOpen)();        // the window list is empty
  void (*closeFrontWindow)();    // the front window closes itself and leaves the list
  bool (*allWindowsMayClose)();  // every window agrees to close (CancelClose answers false)
  bool (*mouseCaptured)();       // a pane holds the mouse capture
  void (*trackMouse)();          // mouse-over state from the cursor position
  bool (*translateKeys)(MSG *m); // menu shortcuts and control keys; true when it took m
  HWND (*mdiClient)();           // the MDI client window, in MDI mode
  void (*focusIdle)();           // the focus pane's idle call, when a pane has the focus
  void (*tickSerialPorts)();     // every open serial port reads and raises its events
  void (*shutDownMedia)();       // sound player, multimedia "close all", wave volume, movies
  DWORD (*milliseconds)();       // the platform tick count
  void (*shutDownMovies)();      // the movie library stops, when it was started
};
extern LoopHooks gLoopHooks;
extern const LoopHooks kNoWindowHooks; // the answers before any subsystem fills in its own

// A window subsystem calls this when a window opens: from then on closing the
// last window (outside MDI mode) ends the loop. An application that never
// opened a window runs until the platform's quit message or ApplicationQuit.
void loop_window_opened();

// The tick clock: sixtieths of a second, platform milliseconds x 0.06 cut off.
uint32_t loop_ticks();

// Periodic tasks run at the end of every loop iteration (and by
// RuntimeBackgroundTask) once `period` ticks have passed since their last run.
// While at least one exists the loop polls instead of sleeping in GetMessageA;
// so a source that must be polled rather than signalled by a message (a serial
// port) keeps a task while it is active. A task may remove itself or another
// from inside its routine.
struct PeriodicTask;
PeriodicTask *loop_add_task(void (*routine)(void *context), void *context, uint32_t period);
void loop_remove_task(PeriodicTask *task);

// Runs routine(object) once at the next loop iteration; the object is locked
// until then.
void loop_defer(void (*routine)(Object *object), Object *object);

// Queues a drop for the next iteration, which raises DropObject with the drag
// item on the control (or the window when control is nil). The item, the
// control and the window are locked until then.
void loop_post_drop(Object *window, Object *control, Object *item);

// Runs loop iterations inside a handler (a modal window's own loop) while
// going(context) answers true and nothing asked the loop to quit; the
// recovery point of the iteration it runs inside is kept for it.
void loop_run_nested(bool (*going)(void *context), void *context);

// True while an iteration of the loop on this thread can be resumed at its
// recovery point; loop_recover jumps there and abandons the iteration.
bool loop_can_recover();
[[noreturn]] void loop_recover();

// The shutdown of RuntimeRun: media, OLE, the exit list.
void runtime_shut_down();
void close_all_windows();

// Run state, for the wait cursor (the cursor code clears the flag and moves
// the reference tick) and for tests.
extern bool gLoopStarted;
extern bool gWaitCursor;
extern uint32_t gCursorReferenceTick;

extern "C" {
Object *getAppObject();
// A Windows file has no resource fork: always nil.
Object *appResourceForkGetter(Object *app);
void ApplicationNewDocument(Object *app);
void ApplicationOpenDocument(Object *app, Object *item);
void ApplicationQuit();
void RuntimeRun();
void RuntimeBackgroundTask();
void DisableAutoWaitCursor();
int32_t RuntimeTicks();       // the tick clock
double RuntimeMicroseconds(); // the platform's high-resolution counter, in microseconds
}
