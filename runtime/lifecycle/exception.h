// Runtime exceptions: raising them to compiled code through the call-site
// descriptors and exception tables its routines carry, the ending when nothing
// catches one, and the last-chance handler for platform faults.
#pragma once
#include "objects/objects.h"

// Raises `exception` as if from the routine whose frame pointer is `frame`:
// the search starts at that frame. The raise keeps one reference for good;
// `locked` says whether the caller's reference is that one (a new exception)
// or the raise must take its own.
[[noreturn]] void exception_raise_from(Object *exception, void *frame, bool locked);

// The blocks compiled routines live in (the image's code, and blocks tests
// place routines in). A raise reads call-site descriptors only after return
// addresses inside them: after any other return address the bytes belong to
// the runtime or the platform, however much they look like a descriptor.
void exception_add_compiled_code(const void *start, uint32_t length);
void exception_remove_compiled_code(const void *start);

// Raises a new exception of the built-in class `className` from the caller.
[[noreturn]] void exception_throw(const char *className);

// The text shown for an exception nobody handles: entry 4 of the message
// table with every "%1" replaced by the class name (empty without entry 4).
RString *exception_message(Object *exception);

// The stack limit of the calling thread that RuntimeStackCheck tests against.
uintptr_t exception_stack_limit();

void exception_install_last_chance(); // the process-level handler for platform faults

// A jump to an outer frame abandons the frames below `frame`: this forgets
// their platform exception registrations and has the subsystem that asked for
// it (exception_on_abandon) finish what they had begun.
void exception_abandon_frames_below(const void *frame);
void exception_on_abandon(void (*finish)(const void *frame));

// Calls a compiled routine with two word arguments. A compiled routine that
// caught an exception returns with the registers the raise left behind; this
// keeps EBX, ESI and EDI for the runtime code that called it.
extern "C" uint32_t call_compiled(void *entry, uint32_t first, uint32_t second);
// The same with `count` argument words, words[0] pushed last (the first argument).
extern "C" uint32_t call_compiled_words(void *entry, const uint32_t *words, int32_t count);

extern "C" {
[[noreturn]] void RuntimeRaiseException(Object *exception);
[[noreturn]] void RuntimeReraiseException(Object *exception);
[[noreturn]] void RuntimeNilObject();
void RuntimeCheckCast(Object *object, int32_t classIndex); // nil passes every cast
void RuntimeStackCheck();
}
