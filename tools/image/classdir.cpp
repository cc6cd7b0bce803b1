// Writing the class directory, class records and project items into data1.
#include "classdir.h"
#include "packed.h"

namespace img {

int32_t ClassDirectory::add_reference(const std::string &name) {
  records_.push_back({true, name, {}});
  return int32_t(records_.size() - 1);
}

int32_t ClassDirectory::add_definition(const ClassDefinition &definition) {
  records_.push_back({false, definition.name, definition});
  return int32_t(records_.size() - 1);
}

// String constants are placed before the record that points at them: a
// record's words must be contiguous.
static std::vector<DataLabel> placeNames(Data &data, const ClassDefinition &c) {
  std::vector<DataLabel> names{data.string_const(c.name)};
  for (const MethodDef &m : c.methods) names.push_back(data.string_const(m.name));
  for (const HandlerDef &h : c.handlers) names.push_back(data.string_const(h.name));
  for (const ConstantDef &k : c.constants) names.push_back(data.string_const(k.name));
  return names;
}

static void writeDefinition(Data &data, const ClassDefinition &c,
                            const std::vector<DataLabel> &names) {
  size_t next = 0;
  data.u32(0);
  data.i32(c.instanceSize);
  data.data_ptr(names[next++]);
  data.i32(c.superIndex);
  bool routines = c.constructor.valid() || c.destructor.valid();
  data.u32(routines);
  if (routines) {
    c.constructor.valid() ? data.code_ptr(c.constructor) : data.u32(0);
    c.destructor.valid() ? data.code_ptr(c.destructor) : data.u32(0);
  }
  data.u32(c.isInterface);
  data.u32(uint32_t(c.interfaces.size()));
  for (int32_t i : c.interfaces) data.i32(i);
  data.u32(uint32_t(c.methods.size()));
  for (const MethodDef &m : c.methods) {
    data.data_ptr(names[next++]);
    if (!c.isInterface) data.code_ptr(m.routine);
  }
  data.u32(uint32_t(c.handlers.size()));
  for (const HandlerDef &h : c.handlers) {
    data.data_ptr(names[next++]);
    data.code_ptr(h.routine);
    data.i32(h.number);
  }
  data.u32(uint32_t(c.constants.size()));
  for (const ConstantDef &k : c.constants) {
    data.data_ptr(names[next++]);
    k.routine.valid() ? data.code_ptr(k.routine) : data.i32(k.value);
  }
  data.u32(uint32_t(c.dispatch.size()));
  for (CodeLabel routine : c.dispatch) data.code_ptr(routine);
}

DataLabel ClassDirectory::write(Data &data) const {
  std::vector<DataLabel> placed;
  for (const Record &r : records_) {
    std::vector<DataLabel> names = r.reference ? std::vector<DataLabel>{data.string_const(r.name)}
                                               : placeNames(data, r.definition);
    data.align(4);
    placed.push_back(data.here());
    if (r.reference) {
      data.u32(1);
      data.data_ptr(names[0]);
    } else {
      writeDefinition(data, r.definition, names);
    }
  }
  data.align(4);
  DataLabel directory = data.here();
  data.u32(uint32_t(placed.size()));
  for (DataLabel l : placed) data.data_ptr(l);
  data.u32(uint32_t(items_.size()));
  for (DataLabel l : items_) data.data_ptr(l);
  data.set_class_directory(directory);
  return directory;
}

// A kind word, then the stream's length and bytes (kind 4 has one more word).
static DataLabel writeStreamItem(Data &data, uint32_t kind, bool extraWord, const Bytes &stream) {
  data.align(4);
  DataLabel item = data.here();
  data.u32(kind);
  if (extraWord) data.u32(0);
  data.u32(uint32_t(stream.size()));
  data.raw(stream);
  return item;
}

DataLabel write_settings_item(Data &data, const ProjectSettingsDef &s) {
  Bytes b;
  put_u8(b, s.accessorFlag);
  put_u32be(b, s.unused);
  put_u32be(b, s.script);
  put_packed_int(b, int32_t(s.fileTypes.size()));
  for (const FileTypeDef &t : s.fileTypes) {
    put_packed_string(b, t.name);
    put_packed_string(b, t.creator);
    put_packed_string(b, t.type);
    put_packed_string(b, t.extensions);
  }
  put_packed_int(b, int32_t(s.messages.size()));
  for (const std::string &m : s.messages) put_packed_string(b, m);
  put_u8(b, s.mdi);
  put_packed_string(b, s.applicationName);
  return writeStreamItem(data, 4, true, b);
}

DataLabel write_menu_bar_item(Data &data, const Bytes &stream) {
  return writeStreamItem(data, 2, false, stream);
}

DataLabel write_object_item(Data &data, int32_t classIndex, DataRef slot) {
  data.align(4);
  DataLabel item = data.here();
  data.u32(5);
  data.i32(classIndex);
  data.data_ptr(slot);
  return item;
}

DataLabel write_database_item(Data &data, const std::string &name, const Bytes &start) {
  data.align(4);
  DataLabel text = data.here();
  data.raw(std::string_view(name));
  DataLabel bytes;
  if (!start.empty()) {
    data.align(4);
    bytes = data.here();
    data.raw(start);
  }
  data.align(4);
  DataLabel item = data.here();
  data.u32(10);
  data.u32(uint32_t(name.size()));
  data.data_ptr(text);
  data.u32(uint32_t(start.size())); /* A: the length */
  data.data_ptr(bytes);             /* B: the address */
  return item;
}

DataLabel write_resource_item(Data &data, uint32_t kind, int32_t resource) {
  data.align(4);
  DataLabel item = data.here();
  data.u32(kind);
  data.i32(resource);
  return item;
}

DataLabel write_sound_item(Data &data, const Bytes &wave) {
  data.align(4);
  DataLabel item = data.here();
  data.u32(6);
  data.u32(0); /* no resource entry */
  data.raw(wave);
  return item;
}

DataLabel write_plugin_list(Data &data, const std::vector<PluginFile> &plugins) {
  DataLabel next; /* nodes are written last first, each pointing at the one after */
  for (size_t i = plugins.size(); i-- > 0;) {
    const PluginFile &p = plugins[i];
    data.align(4);
    DataLabel node = data.here();
    data.data_ptr(next);
    data.u32(uint32_t(5 + p.name.size() + p.bytes.size()));
    data.u32(0); /* four bytes the runtime skips */
    data.u8(uint8_t(p.name.size()));
    data.raw(p.name);
    data.raw(p.bytes);
    next = node;
  }
  return next;
}

} // namespace img
