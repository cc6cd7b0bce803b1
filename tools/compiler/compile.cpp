// Assembling the image: the routines, the windows' descriptions and
// accessors, the class directory with its project items, the plug-in list
// and the entry routine, then linking and the map file.
#include "compile.h"
#include "descriptions.h"
#include "encoding.h"
#include "imagefile.h"
#include "parse.h"
#include "resources.h"
#include <cstring>
#include <deque>
#include <filesystem>
#include <sstream>

namespace basc {

using namespace img;

namespace {

constexpr size_t kMaxCarriedBytes = 64u << 20; // the runtime reads no larger picture

uint32_t le32(const uint8_t *b) { return b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24; }
uint16_t le16(const uint8_t *b) { return uint16_t(b[0] | b[1] << 8); }
bool starts(const Bytes &b, std::string_view prefix, size_t at = 0) {
  return b.size() >= at + prefix.size() &&
         std::memcmp(prefix.data(), b.data() + at, prefix.size()) == 0;
}

// What keeps a picture file from being one the runtime decodes (a BMP, PNG or
// JPEG file), or "".
std::string picture_problem(const Bytes &b) {
  if (starts(b, "BM")) return b.size() >= 26 ? "" : "is a BMP file cut short";
  if (starts(b, "\x89PNG\r\n\x1a\n")) return b.size() >= 33 ? "" : "is a PNG file cut short";
  if (starts(b, "\xFF\xD8\xFF")) return "";
  return "is not a BMP, PNG or JPEG picture";
}

// What keeps a sound file from being one the runtime plays from the image: a
// RIFF WAVE file of 8-bit mono PCM samples at 22,050 per second, with its
// chunks inside the file. "" when it is one.
std::string sound_problem(const Bytes &b) {
  if (!starts(b, "RIFF") || !starts(b, "WAVE", 8)) return "is not a WAVE sound";
  uint64_t end = std::min<uint64_t>(b.size(), uint64_t(le32(&b[4])) + 8), at = 12;
  bool format = false;
  while (end >= at + 8) {
    uint64_t size = le32(&b[at + 4]), body = at + 8;
    if (size > end - body) break;
    if (starts(b, "fmt ", at)) {
      const uint8_t *f = &b[body];
      if (size < 16 || le16(f) != 1 || le16(f + 2) != 1 || le32(f + 4) != 22050 ||
          le16(f + 14) != 8)
        return "is a WAVE sound, but not 8-bit mono PCM at 22,050 samples per second";
      format = true;
    } else if (starts(b, "data", at)) {
      return format ? "" : "is a WAVE sound without its format before the samples";
    }
    at = body + size + (size & 1);
  }
  return "is a WAVE sound whose samples are missing or cut short";
}

std::string movie_problem(const Bytes &b) {
  return starts(b, "RIFF") && starts(b, "AVI ", 8) ? "" : "is not an AVI movie";
}

struct Region {
  std::string name;
  uint32_t start, end;
};

struct Assembler {
  Program &prog;
  Checked &checked;
  Code code;
  Data data;
  CodeGen gen;
  std::vector<Region> regions;
  std::vector<Bytes> resources; // the resource block's entries, numbered from 1

  Assembler(Program &p, Checked &c, const CompileOptions &o)
      : prog(p), checked(c), gen(code, data, c, o.codegen) {
    if (c.globalsSize) regions.push_back({"module variables", 8, data.size()});
  }

  void region(const std::string &name, uint32_t start) {
    if (data.size() > start) regions.push_back({name, start, data.size()});
  }

  // Every class the directory will name gets its index before any record is
  // written: records name superclasses and classes by index.
  void index_classes() {
    for (ClassInfo *c : checked.imageClasses)
      if (c->super && c->super != checked.classes.object) checked.classes.index_of(c->super);
    for (auto &c : prog.classes)
      for (ControlDecl &d : c->controls) checked.classes.index_of(d.cls);
    std::vector<const MenuEntry *> stack;
    for (const MenuEntry &e : prog.menuBar) stack.push_back(&e);
    while (!stack.empty()) {
      const MenuEntry *e = stack.back();
      stack.pop_back();
      checked.classes.index_of(e->classRef.name.empty() ? checked.menuItem
                                                        : checked.classes.find(e->classRef.name));
      for (const MenuEntry &i : e->items) stack.push_back(&i);
    }
  }

  ClassDefinition definition(ClassInfo *c) {
    ClassDefinition d;
    d.name = c->name;
    d.instanceSize = c->size;
    d.superIndex = c->super && c->super != checked.classes.object ? c->super->index : -1;
    if (c->needsLifecycle) {
      d.constructor = gen.constructor_of(c);
      d.destructor = gen.destructor_of(c);
    }
    for (Routine *m : c->methods) d.methods.push_back({m->name, gen.label_of(m)});
    for (Routine *m : c->dispatch) d.dispatch.push_back(gen.label_of(m));
    for (Routine *h : c->handlers) d.handlers.push_back({h->name, gen.label_of(h), h->eventNumber});
    for (Routine *m : c->menuHandlers) d.constants.push_back({m->name, 0, gen.label_of(m)});
    return d;
  }

  DataLabel directory() {
    ClassDirectory dir;
    std::vector<ClassInfo *> order = checked.classes.directory;
    for (ClassInfo *c : order) {
      int32_t index =
          c->decl || c->window ? dir.add_definition(definition(c)) : dir.add_reference(c->name);
      if (index != c->index) error_at({}, "internal: class directory order");
    }
    uint32_t start = data.size();
    dir.add_item(write_settings_item(data, project_settings(prog.project)));
    region("project settings", start);
    int32_t items = 1;
    if (prog.hasMenuBar) {
      start = data.size();
      dir.add_item(write_menu_bar_item(data, menu_bar(prog.menuBar, checked)));
      region("menu bar", start);
      items++;
    }
    for (const DatabaseDecl &d : prog.databases) {
      start = data.size();
      dir.add_item(write_database_item(data, d.file, database_start(d)));
      region(d.name + " database", start);
      gen.bind_project_object(prog.globals[d.global].slot,
                              ++items); /* project objects count from 1 */
    }
    for (const MediaItemDecl &m : prog.mediaItems) {
      start = data.size();
      dir.add_item(media_item(m));
      region(m.name + " item", start);
      gen.bind_project_object(prog.globals[m.global].slot, ++items);
    }
    start = data.size();
    DataLabel l = dir.write(data);
    region("class records and directory", start);
    return l;
  }

  // The bytes of the database file a carried database starts from, if any.
  Bytes database_start(const DatabaseDecl &d) {
    Bytes bytes;
    if (d.start.empty()) return bytes;
    std::filesystem::path path = std::filesystem::path(*d.sourceFile).parent_path() / d.start;
    std::string error;
    if (!read_file(path, &bytes, &error)) error_at(d.loc, "cannot read database " + path.string());
    return bytes;
  }

  // A carried picture or movie goes to the resource block as its length
  // (u32 BE) and its bytes; the item names its entry. A sound's bytes follow
  // its item in data1.
  DataLabel media_item(const MediaItemDecl &m) {
    std::filesystem::path path = std::filesystem::path(*m.sourceFile).parent_path() / m.file;
    Bytes bytes;
    std::string error;
    static const char *const kinds[] = {"picture", "sound", "movie"};
    if (!read_file(path, &bytes, &error))
      error_at(m.fileLoc, std::string("cannot read ") + kinds[m.kind] + " " + path.string());
    std::string problem = m.kind == MediaItemDecl::Picture ? picture_problem(bytes)
                          : m.kind == MediaItemDecl::Sound ? sound_problem(bytes)
                                                           : movie_problem(bytes);
    if (bytes.size() > kMaxCarriedBytes) problem = "is larger than 64 MB";
    if (!problem.empty()) error_at(m.fileLoc, path.string() + " " + problem);
    if (m.kind == MediaItemDecl::Sound) return write_sound_item(data, bytes);
    Bytes entry;
    put_u32be(entry, uint32_t(bytes.size()));
    put_bytes(entry, bytes);
    resources.push_back(std::move(entry));
    return write_resource_item(data, m.kind == MediaItemDecl::Picture ? 1 : 3,
                               int32_t(resources.size()));
  }

  DataLabel plugins() {
    std::vector<PluginFile> files;
    for (const PluginDecl &p : prog.plugins) { /* read_plugins read them */
      PluginFile f;
      f.name = std::filesystem::path(p.path).filename().string();
      f.bytes = p.bytes;
      files.push_back(std::move(f));
    }
    uint32_t start = data.size();
    DataLabel l = write_plugin_list(data, files);
    region("plug-in list", start);
    return l;
  }

  void windows() {
    for (auto &c : prog.classes) {
      if (!c->isWindow) continue;
      uint32_t start = data.size();
      Bytes stream = window_description(*c, checked);
      data.align(4);
      DataLabel description = data.here();
      data.u32(uint32_t(stream.size()));
      data.raw(stream);
      region(c->name + " window description", start);
      start = data.size();
      data.align(4);
      DataLabel pointer = data.here();
      data.data_ptr(description);
      data.u32(0); /* the implicit instance */
      region(c->name + " description pointer and instance slot", start);
      gen.window_routines(c->info, pointer);
    }
  }

  void routines() {
    uint32_t start = data.size();
    for (auto &c : prog.classes)
      for (auto &r : c->routines) gen.routine(*r);
    for (auto &r : prog.routines) gen.routine(*r);
    for (ClassInfo *c : checked.imageClasses)
      if (c->needsLifecycle) gen.lifecycle(c);
    region("constants of the routines", start);
  }

  std::string map(const Image &image) {
    std::ostringstream m;
    char line[256];
    m << "code1 routines (offset, size)\n";
    for (const PlacedRoutine &r : gen.routines()) {
      uint32_t at = *code.offset(r.start);
      snprintf(line, sizeof line, "  %08X %6u  ", at, r.end - at);
      m << line << r.name << "\n";
    }
    m << "data1 regions (offset, size)\n";
    snprintf(line, sizeof line, "  %08X %6u  ", 0, 8);
    m << line << "entry routine and class directory words\n";
    for (const Region &r : regions) {
      snprintf(line, sizeof line, "  %08X %6u  ", r.start, r.end - r.start);
      m << line << r.name << "\n";
    }
    m << "imports (call sites)\n";
    std::vector<LinkRecord> records;
    std::string error;
    decode_link_table(image.code2, &records, &error);
    for (const LinkRecord &rec : records) {
      if (rec.kind != 1) continue;
      std::vector<uint32_t> sites;
      walk_chain(image.code1, rec.value, &sites, &error);
      snprintf(line, sizeof line, "  %6zu  ", sites.size());
      m << line << rec.name << "\n";
    }
    return m.str();
  }

  Image run() {
    index_classes();
    routines();
    windows();
    DataLabel plugin = plugins();
    DataLabel dir = directory();
    gen.entry_routine(dir, plugin, checked.main, checked.mainWindow);
    Image image;
    std::string error;
    if (!link_image(code, data, &image, &error) || !verify_image(image, &error))
      error_at({}, "internal: " + error);
    return image;
  }
};

} // namespace

CompileResult compile(const std::vector<SourceFile> &sources, const CompileOptions &options) {
  CompileResult result;
  std::deque<std::string> names; /* the locations point into these */
  std::deque<std::string> texts; /* and the tokens into these */
  Program prog;
  try {
    for (const SourceFile &s : sources) {
      names.push_back(s.name);
      texts.push_back(to_code_page(&names.back(), s.text));
      parse(tokenize(&names.back(), texts.back()), prog);
    }
    read_plugins(prog);
    Checked checked;
    check(prog, checked);
    Assembler a(prog, checked, options);
    result.image = a.run();
    result.map = a.map(result.image);
    if (!a.resources.empty()) result.resources = encode_resource_block(a.resources);
    result.ok = true;
  } catch (const CompileError &e) {
    result.error = e.text();
  }
  return result;
}

} // namespace basc
