// What the plug-in layer's files share: the record of each loaded library,
// the record around each plug-in class, and the lists of them.
#pragma once
#include "karuplugin.h"
#include "plugins/plugin.h"
#include <windows.h>

enum {
  kObjectData = 24,  // plug-in data of a class without superclass starts here
  kControlData = 96, // and of a control (RectControl is 92 bytes)
  kV1ControlSize = 100,
};

// One loaded library with an entry point, pushed on the front of the list.
struct Plugin {
  void *const *exports; // 0: table from RegisterPluginExports, or nil
  int32_t version;      // 4: 1 until RegisterPluginVersion
  Plugin *next;         // 8
  HMODULE module;       // 12
  int32_t exportCount;  // 16: entries before the table's nil
};

enum : uint8_t { kIncomplete, kCompleting, kComplete };

// A plug-in class or control: a link word, then the definition.
struct PluginClass {
  PluginClass *next;               // 0
  ClassDef def;                    // 4
  Plugin *plugin;                  // 108: the library that registered it
  KARUClassDescription *desc;      // 112: classes; nil for controls
  KARUControlDescription *control; // 116: controls; nil for classes
  KARURoutine constructor;         // 120: the plug-in's own, called by the wrappers
  KARURoutine destructor;          // 124
  uint8_t state;                   // 128: kIncomplete ... kComplete
};
static_assert(offsetof(PluginClass, def) == 4);

extern PluginHost gPluginHost;      // the routines above this layer
extern Plugin *gLoadingPlugin;      // whose registrations arrive now; a stand-in outside a load
extern PluginClass *gPluginClasses; // newest first
extern PluginClass *gPluginControls;

void plugin_diagnostic(const char *format, ...); // to the diagnostic output

/* fields.cpp: the shared accessors for fields of the instance data */
struct FieldAccessors {
  void *get, *set, *setRedrawing;
};
const FieldAccessors *plugin_field_accessors(const void *type);
void plugin_construct(Object *object, ClassDef *cls); // the plug-in's constructor, if any
void plugin_destruct(Object *object, ClassDef *cls);  // its destructor, then the fields

/* register.cpp */
void plugin_begin_load(Plugin *plugin); // registrations from now on belong to it
void plugin_end_load();
void plugins_complete(); // the completion pass over the classes loaded
