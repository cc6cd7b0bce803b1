// Runtime exceptions raised from the layers below the one that owns them: the
// raise routine the runtime installs at start-up, called by name of class.
#pragma once

typedef void (*RaiseRoutine)(const char *className); // never returns

void objects_set_raise(RaiseRoutine raise);

// Raises a new exception of the built-in class `className` to compiled code.
[[noreturn]] void objects_raise(const char *className);
