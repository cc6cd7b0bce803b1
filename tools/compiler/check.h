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

struct Checker;

// The checker in two steps, so that a caller can compile each routine and let
// its tree go before the next is checked: first everything but the routines'
// bodies (classes, signatures, globals, interfaces, plug-ins), then one body
// at a time, in any order.
class ProgramChecker {
public:
  ProgramChecker(Program &program, Checked &out);
  ~ProgramChecker();
  void declarations();
  void routine(Routine &r);

private:
  std::unique_ptr<Checker> checker_;
};

// Both steps over the whole program, the routines in program order.
void check(Program &program, Checked &out);

// The routines with bodies, in the order the image places them: each class's
// in turn, then the module-level ones.
template <typename F> void for_each_routine(Program &program, F &&f) {
  for (auto &c : program.classes)
    for (auto &r : c->routines) f(*r);
  for (auto &r : program.routines) f(*r);
}

} // namespace basc
