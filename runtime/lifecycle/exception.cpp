// Runtime exceptions: the frame walk over compiled call sites and routine
// exception tables, continuing at a handler, the unhandled ending, the checks
// compiled code calls, and the last-chance handler for platform faults.
#include "lifecycle/exception.h"
#include "objects/array.h"
#include "objects/registry.h"
#include "lifecycle/application.h"
#include "lifecycle/settings.h"
#include "base/fault.h"
#include "base/platform.h"
#include "lifecycle/thread.h"
#include "text/string.h"
#include <cstdio>
#include <cstring>

extern "C" void RuntimeMsgBox(RString *s);

enum {
  kFrameLimit = 4096, // a caller's frame further above ends the search
  kCatch = 4,
  kReleaseString = 5,
  kReleaseObject = 6,
  kDisposeIntArray = 8, // numbers of any width: nothing in them to release
  kDisposeStringArray = 9,
  kDisposeObjectArray = 10,
  kDisposeBooleanArray = 11, // the compact one-dimensional Boolean array
  kSiteString = 1,
  kSiteObject = 2,
  kSiteNoCatch = 7,
};

/* ---- reading code and frames that may not be there ---- */

static bool readable(const void *address, uint32_t bytes) {
  uintptr_t at = (uintptr_t)address, end = at + bytes;
  if (end < at) return false;
  while (at < end) {
    MEMORY_BASIC_INFORMATION info;
    if (!VirtualQuery((void *)at, &info, sizeof info) || info.State != MEM_COMMIT ||
        (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) || info.Protect == 0)
      return false;
    at = (uintptr_t)info.BaseAddress + info.RegionSize;
  }
  return true;
}

// A cursor over instruction bytes that checks each page before reading it.
struct Cursor {
  const uint8_t *at;
  uintptr_t checkedUpTo; // bytes below this address are known readable
  bool ok;
};

static uint8_t take(Cursor *c) {
  if ((uintptr_t)c->at >= c->checkedUpTo) {
    uintptr_t page = (uintptr_t)c->at & ~(uintptr_t)4095;
    c->ok = c->ok && readable((const void *)page, 4096);
    c->checkedUpTo = page + 4096;
  }
  return c->ok ? *c->at++ : 0;
}

static int32_t takeBE(Cursor *c, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; i++) v = v << 8 | take(c);
  return bytes == 2 ? (int16_t)v : (int32_t)v;
}

static void releaseSlot(void *slot, bool isString) {
  void *held = *(void **)slot;
  *(void **)slot = nullptr;
  if (isString)
    RuntimeUnlockString((RString *)held);
  else
    RuntimeUnlockObject((Object *)held);
}

// An array the unwound routine made: the slot is cleared first, so that
// nothing reaches the array once it is gone.
static void disposeSlot(void *slot, uint8_t code) {
  void *held = *(void **)slot;
  *(void **)slot = nullptr;
  if (!held) return; /* its Dim was never reached */
  switch (code) {
  case kDisposeIntArray:
    return RuntimeDisposeIntArray((ArrayRecord *)held);
  case kDisposeStringArray:
    return RuntimeDisposeStringArray((ArrayRecord *)held);
  case kDisposeObjectArray:
    return RuntimeDisposeObjectArray((ArrayRecord *)held);
  default:
    return RuntimeDisposeFastBooleanArray((BlockHandle *)held);
  }
}

/* ---- where compiled code lives ---- */

enum { kMaxCompiledBlocks = 8 };
static struct { uintptr_t start, end; } gCompiled[kMaxCompiledBlocks];

void exception_add_compiled_code(const void *start, uint32_t length) {
  for (auto &block : gCompiled)
    if (block.start == block.end) {
      block = {(uintptr_t)start, (uintptr_t)start + length};
      return;
    }
  fault_report(kFaultCompiledBlocksFull);
}

void exception_remove_compiled_code(const void *start) {
  for (auto &block : gCompiled)
    if (block.start == (uintptr_t)start) block = {0, 0};
}

static bool inCompiledCode(const uint8_t *r) {
  for (const auto &block : gCompiled)
    if ((uintptr_t)r >= block.start && (uintptr_t)r + 4 <= block.end) return true;
  return false;
}

/* ---- one frame ---- */

// The cleanup list of the call site at R (every second byte from R + 4),
// releasing what it names in the argument area `args`. Returns the skip flag;
// leaves the cursor after the list's 0.
static bool cleanCallSite(Cursor *c, uint8_t *args) {
  bool skip = false;
  for (;;) {
    uint8_t code = take(c);
    if (code == 0 || !c->ok) return skip; /* the routine's code goes on right after the 0 */
    c->at++;                              /* the byte between is not read */
    if (code == kSiteString || code == kSiteObject) {
      uint8_t offset = take(c);
      c->at++;
      if (c->ok) releaseSlot(args + offset, code == kSiteString);
    } else if (code == kSiteNoCatch) {
      skip = true;
    } else {
      fault_report(kFaultCleanupSiteUnknown);
    }
  }
}

// Moves the cursor past the next C9 C3 2F: the end of the routine and the
// start of its exception table.
static bool findTable(Cursor *c) {
  uint8_t a = 0, b = 0;
  for (;;) {
    uint8_t x = take(c);
    if (!c->ok) return false;
    if (a == 0xC9 && b == 0xC3 && x == 0x2F) return true;
    a = b;
    b = x;
  }
}

// Runs the routine's table for frame C: releases references and disposes of
// arrays in table order up to the first catch entry that takes the exception.
// Returns its handler, or nil (with the exception slot cleared) when none does.
static const uint8_t *runTable(Cursor *c, uint8_t *frame, Object *exception, bool skip) {
  for (;;) {
    uint8_t code = take(c);
    if (!c->ok) return nullptr;
    if (code == 0) {
      *(Object **)(frame - 4) = nullptr;
      return nullptr;
    }
    if (code == kCatch) {
      int32_t classIndex = takeBE(c, 2);
      const uint8_t *field = c->at;
      int32_t distance = takeBE(c, 4);
      if (c->ok && !skip && RuntimeObjectIsa(exception, classIndex)) return field + distance;
    } else if (code == kReleaseString || code == kReleaseObject) {
      int32_t offset = takeBE(c, 2);
      if (c->ok) releaseSlot(frame + offset, code == kReleaseString);
    } else if (code >= kDisposeIntArray && code <= kDisposeBooleanArray) {
      int32_t offset = takeBE(c, 2);
      if (c->ok) disposeSlot(frame + offset, code);
    }
  }
}

/* ---- continuing somewhere else ---- */

struct SehRecord {
  SehRecord *next;
  void *handler;
};

static void (*finishAbandoned)(const void *frame);

void exception_on_abandon(void (*finish)(const void *frame)) { finishAbandoned = finish; }

// The platform's registration list has its head in the first word of the
// thread's information block.
void exception_abandon_frames_below(const void *frame) {
  SehRecord *r;
  asm volatile("movl %%fs:0, %0" : "=r"(r));
  while (r != (SehRecord *)-1 && (uintptr_t)r < (uintptr_t)frame) r = r->next;
  asm volatile("movl %0, %%fs:0" : : "r"(r) : "memory");
  if (finishAbandoned) finishAbandoned(frame);
}

// The stack pointer stays where it is: the routine's closing leave restores
// it from the frame pointer.
[[noreturn]] static void continueAt(uint8_t *frame, const uint8_t *handler, Object *exception) {
  *(Object **)(frame - 4) = RuntimeLockObject(exception);
  exception_abandon_frames_below(frame);
  asm volatile("movl %0, %%ebp\n\tjmp *%1" : : "a"(frame), "d"(handler) : "memory");
  __builtin_unreachable();
}

asm(".globl _call_compiled\n"
    "_call_compiled:\n\t"
    "pushl %ebp\n\tmovl %esp, %ebp\n\t"
    "pushl %ebx\n\tpushl %esi\n\tpushl %edi\n\t"
    "pushl 16(%ebp)\n\tpushl 12(%ebp)\n\t"
    "call *8(%ebp)\n\t"
    "leal -12(%ebp), %esp\n\t" /* the compiled routine's leave restored EBP */
    "popl %edi\n\tpopl %esi\n\tpopl %ebx\n\tpopl %ebp\n\t"
    "ret");

asm(".globl _call_compiled_words\n"
    "_call_compiled_words:\n\t"
    "pushl %ebp\n\tmovl %esp, %ebp\n\t"
    "pushl %ebx\n\tpushl %esi\n\tpushl %edi\n\t"
    "movl 16(%ebp), %ecx\n\tmovl 12(%ebp), %edx\n"
    "1:\n\ttestl %ecx, %ecx\n\tjz 2f\n\t"
    "pushl -4(%edx,%ecx,4)\n\tdecl %ecx\n\tjmp 1b\n"
    "2:\n\tcall *8(%ebp)\n\t"
    "leal -12(%ebp), %esp\n\t"
    "popl %edi\n\tpopl %esi\n\tpopl %ebx\n\tpopl %ebp\n\t"
    "ret");

/* ---- nobody caught it ---- */

static bool isA(Object *exception, const char *className) {
  ClassDef *cls = registry_find(className);
  return cls && class_derives_from(exception->cls, cls);
}

RString *exception_message(Object *exception) {
  RString *entry =
      vec_count(&gSettings.messages) > 4 ? (RString *)vec_get_ptr(&gSettings.messages, 4) : nullptr;
  RString *name = class_display_name(exception->cls), *text = nullptr;
  const char *s = str_cview(entry);
  int32_t length = str_len(entry), from = 0;
  for (int32_t i = 0; i + 1 < length; i++) {
    if (s[i] != '%' || s[i + 1] != '1') continue;
    RString *piece = str_make(s + from, i - from);
    str_append(&text, piece);
    str_append(&text, name);
    RuntimeUnlockString(piece);
    from = ++i + 1;
  }
  RString *rest = str_make(s + from, length - from);
  str_append(&text, rest);
  RuntimeUnlockString(rest);
  return text;
}

[[noreturn]] static void unhandled(Object *exception) {
  if (isA(exception, "EndException")) {
    runtime_shut_down();
    close_all_windows();
    fault_end_process();
  }
  if (raise_event_asking(gAppObject, "UnhandledException", exception)) {
    if (loop_can_recover()) loop_recover();
    if (thread_current()) thread_abandon(); /* a Thread's own thread has no loop to go back to */
  }
  RString *text = exception_message(exception);
  RuntimeMsgBox(text);
  RuntimeUnlockString(text);
  runtime_shut_down();
  fault_end_process();
}

/* ---- the raise ---- */

void exception_raise_from(Object *exception, void *frame, bool locked) {
  if (!locked) RuntimeLockObject(exception);
  for (uint8_t *f = (uint8_t *)frame; f;) {
    if (!readable(f, 12)) break;
    uint8_t *caller = *(uint8_t **)f;
    const uint8_t *r = *(const uint8_t **)(f + 4);
    if (!readable(r, 4)) break;
    if (inCompiledCode(r) && r[0] == 0xEB && r[2] == 0x90) { /* a compiled call site */
      Cursor c = {r + 4, (uintptr_t)r + 4, true};
      bool skip = cleanCallSite(&c, f + 8);
      if (!c.ok || !findTable(&c)) break;
      const uint8_t *handler = runTable(&c, caller, exception, skip);
      if (handler) continueAt(caller, handler, exception);
      if (!c.ok) break;
    }
    if (caller < f || caller - f > kFrameLimit) break;
    f = caller;
  }
  unhandled(exception);
}

void exception_throw(const char *className) {
  ClassDef *cls = registry_find(className);
  if (!cls) { /* the registry holds every one once the runtime is initialised */
    fault_report(kFaultExceptionClassMissing);
    cls = &gObjectClass;
  }
  Object *exception = CreateInstance(cls);
  exception_raise_from(exception, __builtin_frame_address(0), true);
}

void RuntimeRaiseException(Object *exception) {
  if (!exception) RuntimeNilObject();
  exception_raise_from(exception, __builtin_frame_address(0), false);
}

void RuntimeReraiseException(Object *exception) {
  if (!exception) RuntimeNilObject();
  exception_raise_from(exception, __builtin_frame_address(0), false);
}

void RuntimeNilObject() { exception_throw("NilObjectException"); }

void RuntimeCheckCast(Object *object, int32_t classIndex) {
  if (object && !RuntimeObjectIsa(object, classIndex)) exception_throw("IllegalCastException");
}

uintptr_t exception_stack_limit() {
  uintptr_t own = thread_stack_limit();
  return own ? own : gStackLimit;
}

void RuntimeStackCheck() {
  if ((uintptr_t)__builtin_frame_address(0) < exception_stack_limit())
    exception_throw("stackOverflowException");
}

/* ---- platform faults ---- */

static LONG WINAPI lastChance(EXCEPTION_POINTERS *fault) {
  EXCEPTION_RECORD *record = fault->ExceptionRecord;
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
    return EXCEPTION_CONTINUE_SEARCH;
  char text[128];
  snprintf(text, sizeof text, "Unhandled exception: %08lx\nAt address:          %08lx\n",
           (unsigned long)record->ExceptionCode,
           (unsigned long)(uintptr_t)record->ExceptionAddress);
  gPlatform.messageBox(nullptr, text, "Unhandled Exception", MB_OK | MB_TASKMODAL);
  return EXCEPTION_EXECUTE_HANDLER; /* the platform ends the process */
}

void exception_install_last_chance() { SetUnhandledExceptionFilter(lastChance); }
