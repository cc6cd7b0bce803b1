// Threads: the Thread class's platform thread running the object's Run
// handler, and CriticalSection and Semaphore objects that own platform records.
#include "lifecycle/thread.h"
#include "objects/registry.h"
#include "lifecycle/exception.h"
#include <windows.h>
#include <cstddef>

struct ThreadObject {
  Object header;        // 0
  uint8_t running;      // 16: from threadRun until the Run handler returns
  DWORD id;             // 20: the platform thread id
  uintptr_t stackLimit; // 24: RuntimeStackCheck's limit on this thread
  int32_t spare;        // 28
};
static_assert(sizeof(ThreadObject) == 32);

struct CriticalSectionObject {
  Object header;            // 0
  CRITICAL_SECTION section; // 16, 24 bytes
};
static_assert(sizeof(CriticalSectionObject) <= 48);

struct SemaphoreObject {
  Object header; // 0
  HANDLE handle; // 16: initial and maximum count 1
};
static_assert(sizeof(SemaphoreObject) <= 28);

enum : uintptr_t {
  kStackReserve =
      0xDE000, // as on the main thread: bytes below the entry frame compiled code may use
  kStackMargin = 0x10000, // never closer than this to the end of the reservation
};

static DWORD threadSlot() {
  static DWORD slot = TlsAlloc();
  return slot;
}

Object *thread_current() {
  DWORD slot = threadSlot();
  return slot == TLS_OUT_OF_INDEXES ? nullptr : (Object *)TlsGetValue(slot);
}

uintptr_t thread_stack_limit() {
  ThreadObject *t = (ThreadObject *)thread_current();
  return t ? t->stackLimit : 0;
}

static uintptr_t limitBelow(void *frame) {
  MEMORY_BASIC_INFORMATION info;
  uintptr_t limit = (uintptr_t)frame - kStackReserve;
  if (VirtualQuery(frame, &info, sizeof info)) {
    uintptr_t floor = (uintptr_t)info.AllocationBase + kStackMargin;
    if (limit < floor || limit > (uintptr_t)frame) limit = floor;
  }
  return limit;
}

static void finish(ThreadObject *t) {
  TlsSetValue(threadSlot(), nullptr);
  t->running = 0;
  RuntimeUnlockObject(&t->header);
}

void thread_abandon() {
  ThreadObject *t = (ThreadObject *)thread_current();
  if (t) finish(t);
  ExitThread(0);
}

static DWORD WINAPI threadMain(void *parameter) {
  ThreadObject *t = (ThreadObject *)parameter;
  t->stackLimit = limitBelow(__builtin_frame_address(0));
  TlsSetValue(threadSlot(), t);
  EventRecord *run = class_find_event(t->header.cls, "Run");
  void *entry = run ? event_handler_entry(&t->header, run) : nullptr;
  DWORD result = entry ? call_compiled(entry, (uint32_t)(uintptr_t)t, 0) : 0;
  finish(t);
  return result;
}

void threadRun(Object *thread) {
  ThreadObject *t = (ThreadObject *)thread;
  if (t->running) return;
  t->running = 1;
  RuntimeLockObject(thread);
  DWORD id;
  HANDLE handle = CreateThread(nullptr, 0, threadMain, t, 0, &id);
  if (!handle) {
    t->running = 0;
    RuntimeUnlockObject(thread);
    return;
  }
  t->id = id;
  CloseHandle(handle);
}

int32_t threadID(Object *thread) { return (int32_t)((ThreadObject *)thread)->id; }

/* ---- critical sections and semaphores ---- */

static void makeSection(Object *o, ClassDef *) {
  InitializeCriticalSection(&((CriticalSectionObject *)o)->section);
}
static void deleteSection(Object *o, ClassDef *) {
  DeleteCriticalSection(&((CriticalSectionObject *)o)->section);
}

void criticalsection_enter(Object *section) {
  EnterCriticalSection(&((CriticalSectionObject *)section)->section);
}
void criticalsection_leave(Object *section) {
  LeaveCriticalSection(&((CriticalSectionObject *)section)->section);
}

static void makeSemaphore(Object *o, ClassDef *) {
  ((SemaphoreObject *)o)->handle = CreateSemaphoreA(nullptr, 1, 1, nullptr);
}
static void closeSemaphore(Object *o, ClassDef *) {
  HANDLE h = ((SemaphoreObject *)o)->handle;
  if (h) CloseHandle(h);
}

void semaphore_signal(Object *semaphore) {
  WaitForSingleObject(((SemaphoreObject *)semaphore)->handle, INFINITE);
}
void semaphore_release(Object *semaphore) {
  ReleaseSemaphore(((SemaphoreObject *)semaphore)->handle, 1, nullptr);
}

void thread_classes_attach() {
  ClassDef *section = registry_find("CriticalSection"), *semaphore = registry_find("Semaphore");
  section->constructor = makeSection;
  section->destructor = deleteSection;
  semaphore->constructor = makeSemaphore;
  semaphore->destructor = closeSemaphore;
  threadSlot(); /* allocated while only the main thread runs */
}
