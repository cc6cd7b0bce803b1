// The built-in class registry: every class definition the runtime provides,
// made once at start-up from the member declarations in builtins.def, and the
// name map that class lookup by name consults first.
#pragma once
#include "objects/classdef.h"

// Builds every built-in definition, once; entryRoutine finds the routine of a
// runtime entry by name (nil when there is none). The subsystems attach their
// constructors, destructors and handlers afterwards.
void registry_init(void *(*entryRoutine)(const char *name));
bool registry_built();

// The built-in class of that name (ignoring case), or nil. Name map only.
ClassDef *registry_find(const char *name);

// Built-in classes that runtime code needs by identity (nil before registry_init).
extern ClassDef *gApplicationClass, *gFolderItemClass, *gMenuItemClass, *gWindowClass,
    *gControlClass, *gRectControlClass, *gRuntimeExceptionClass;
