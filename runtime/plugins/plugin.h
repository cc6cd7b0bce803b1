// Plug-ins: shared libraries, carried inside the image, that add classes,
// controls, interfaces and global methods. Installed and loaded by
// RuntimeInit; their classes are completed after all of them are loaded.
#pragma once
#include "objects/classdef.h"

extern "C" {
void Win32InstallPlugins(void *embeddedList); // remembered for RuntimeInit
ClassDef *pluginObjectType(const char *name); // registry, plug-in controls, plug-in classes
Object *PluginNewInstance(const char *name);
}

// What the plug-ins reach above their layer, given by RuntimeInit before any
// plug-in registers.
struct PluginHost {
  void *(*entryRoutine)(const char *name);    // handed to each plug-in's main routine
  void (*createControlPane)(Object *control); // the CreatePane of every plug-in control
  void (*redrawControl)(Object *control);     // after a redrawing accessor set a field
};
void plugins_connect(const PluginHost *host);

// Installs and loads every embedded plug-in, then completes their classes.
void plugins_install();

ClassDef *plugin_find_class(const char *name);   // plug-in classes only, ignoring case
ClassDef *plugin_find_control(const char *name); // plug-in controls only, ignoring case

// The description of the plug-in control a class is or derives from, or nil.
struct KARUControlDescription;
const KARUControlDescription *plugin_control_of(const ClassDef *cls);

// A plug-in global method's entry point (assignForm: its assignment form), or nil.
void *plugin_find_global_method(const char *name, bool assignForm);
