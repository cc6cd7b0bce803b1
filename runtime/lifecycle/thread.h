// Threads and their synchronisation objects: the Thread class's platform
// thread, CriticalSection and Semaphore objects over their platform records.
#pragma once
#include "objects/objects.h"

// Gives the built-in CriticalSection and Semaphore classes the constructors
// and destructors that own their platform records.
void thread_classes_attach();

Object *thread_current();           // the Thread object running on this thread, or nil
uintptr_t thread_stack_limit();     // this Thread's stack limit, 0 off a Thread
[[noreturn]] void thread_abandon(); // ends this Thread's platform thread, releasing the object

extern "C" {
void threadRun(Object *thread);
int32_t threadID(Object *thread);
void criticalsection_enter(Object *section);
void criticalsection_leave(Object *section);
void semaphore_signal(Object *semaphore);
void semaphore_release(Object *semaphore);
}
