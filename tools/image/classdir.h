// The class directory and project items of an image: class records in their
// reference and definition forms, the item list, and the items a compiler
// writes (project settings, menu bar, object slots, embedded plug-ins).
#pragma once
#include "data1.h"
#include <string>
#include <vector>

namespace img {

struct HandlerDef {
  std::string name; // e.g. "Action", or "PushButton1.Action" style names
  CodeLabel routine;
  int32_t number = 0;
};

struct MethodDef {
  std::string name;
  CodeLabel routine; // unbound label for the methods of an interface class
};

struct ConstantDef {
  std::string name;
  int32_t value = 0;
  CodeLabel routine; // when valid, the value is this routine's address
};

// A class the image defines. Sizes include the object header.
struct ClassDefinition {
  std::string name;
  int32_t instanceSize = 24;
  int32_t superIndex = -1;           // class index in this directory, or -1
  CodeLabel constructor, destructor; // both or neither
  bool isInterface = false;
  std::vector<int32_t> interfaces; // class indexes
  std::vector<MethodDef> methods;
  std::vector<HandlerDef> handlers;
  std::vector<ConstantDef> constants;
  std::vector<CodeLabel> dispatch; // the dispatch table, in slot order
};

class ClassDirectory {
public:
  int32_t add_reference(const std::string &name); // returns the class index
  int32_t add_definition(const ClassDefinition &definition);
  void add_item(DataLabel item) { items_.push_back(item); } // the nil label: an empty item

  // Writes the records and the directory into data, and makes it the class
  // directory of the image (data1 word 1).
  DataLabel write(Data &data) const;

private:
  struct Record {
    bool reference;
    std::string name;
    ClassDefinition definition;
  };
  std::vector<Record> records_;
  std::vector<DataLabel> items_;
};

// The project settings (item kind 4).
struct FileTypeDef {
  std::string name, creator, type, extensions;
};
struct ProjectSettingsDef {
  uint8_t accessorFlag = 1;
  uint32_t unused = 0;
  uint32_t script = 0; // character-set script code (13: Japanese)
  std::vector<FileTypeDef> fileTypes;
  std::vector<std::string> messages; // index 4: the unhandled-exception text
  bool mdi = false;
  std::string applicationName;
};

DataLabel write_settings_item(Data &data, const ProjectSettingsDef &settings);
DataLabel write_menu_bar_item(Data &data, const Bytes &stream);            // kind 2
DataLabel write_object_item(Data &data, int32_t classIndex, DataRef slot); // kind 5
// A database the application carries (kind 10): its file name, then the
// length and the address of the database file it starts from (0 and 0: none).
DataLabel write_database_item(Data &data, const std::string &name, const Bytes &start);
// A picture (kind 1) or movie (kind 3) naming its resource block entry.
DataLabel write_resource_item(Data &data, uint32_t kind, int32_t resource);
// A sound (kind 6): no resource entry; its WAVE file follows in line.
DataLabel write_sound_item(Data &data, const Bytes &wave);

// The embedded plug-in list handed to Win32InstallPlugins: one node per
// library (next, byte count, 4 bytes, name length, name, the file's bytes).
// Returns the first node, or the nil label for no plug-ins.
struct PluginFile {
  std::string name;
  Bytes bytes;
};
DataLabel write_plugin_list(Data &data, const std::vector<PluginFile> &plugins);

} // namespace img
