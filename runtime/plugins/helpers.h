// Plug-in helpers that ask the runtime about itself and about objects: that
// a built program runs, the runtime's version, a constant's text read as a
// value, the routine behind an interface method, an instance's event handler.
#pragma once
#include "objects/classdef.h"

// The runtime's version, major x 10000 + minor x 100 + revision.
constexpr int32_t kRuntimeVersion = 1 * 10000 + 0 * 100 + 0;

struct KARUConstantValue;

extern "C" {
bool KARUinRuntime();
int32_t KARUGetQXVersion();
int32_t PluginInterpretConstantValue(const char *text, KARUConstantValue *value);
void *GetInterfaceRoutine(Object *object, const char *interfaceName, const char *methodName);
void *GetEventInstance(Object *instance, EventRecord *event);
void *GetEventInstancePPC(Object *instance, EventRecord *event);
}
