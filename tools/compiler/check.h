// The checker: resolves types and names over the whole program, lays out the
// image classes' properties, gives every routine its frame, and orders the
// class directory. Its output is the checked tree plus this summary.
#pragma once
#include "library.h"
#include "plugin_library.h"

namespace basc {

struct Checked {
  Classes classes;
  std::vector<ClassInfo *> imageClasses;  // image classes, then per-control subclasses
  int32_t globalsSize = 0;                // bytes of module-level variables
  std::vector<GlobalDecl *> globalArrays; // made by the entry routine, disposed at its end
  Routine *main = nullptr;                // Sub Main, run by the entry routine
  ClassInfo *mainWindow = nullptr;
  ClassInfo *menuItem = nullptr; // the class of menu items without As
  std::vector<Warning> warnings; // in the order the checker met them
  PluginLibrary plugins;         // what the embedded plug-ins declare
};

void check(Program &program, Checked &out);

} // namespace basc
