// Process entry: what the process keeps from its start, and the order in
// which the runtime core comes up.
#pragma once
#include <windows.h>

extern HINSTANCE gInstance;      // the module instance handle
extern const char *gCommandLine; // the command line as the platform passed it

// Creates the memory pool's lock, then the string lock, then the core classes.
void runtime_core_init();
