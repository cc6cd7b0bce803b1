// Assembling the image: the routines, the windows' descriptions and
// accessors, the class directory with its project items, the plug-in list
// and the entry routine, then linking and the map file.
#include "compile.h"
#include "descriptions.h"
#include "encoding.h"
#include "imagefile.h"
#include "items.h"
#include "parse.h"
#include "resources.h"
#include <cstring>
#include <deque>
#include <filesystem>
#include <sstream>

namespace basc {

using namespace img;

namespace {

constexpr size_t kMaxCarriedBytes = 64u << 20; // the runtime reads no larger resource

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
    for (auto &i : prog.interfaces) checked.classes.index_of(i->info);
    for (ClassInfo *c : checked.imageClasses)
      for (ClassInfo *i : c->interfaces) checked.classes.index_of(i);
    for (ClassInfo *c : checked.imageClasses)
      if (c->super && c->super != checked.classes.object) checked.classes.index_of(c->super);
    for (auto &c : prog.classes)
      for (ControlDecl &d : c->controls) checked.classes.index_of(d.cls);
    for (const ObjectItemDecl &o : prog.objectItems)
      checked.classes.index_of(prog.globals[o.global].slot.type.cls);
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
    if (c->iface) { /* an interface: its methods' names, in slot order */
      d.isInterface = true;
      for (Routine *m : c->slots) d.methods.push_back({m->name, CodeLabel{}});
      return d;
    }
    for (ClassInfo *i : c->interfaces) d.interfaces.push_back(i->index);
    for (Routine *m : c->methods) d.methods.push_back({m->name, gen.label_of(m)});
    for (Routine *m : c->dispatch) d.dispatch.push_back(gen.label_of(m));
    for (Routine *h : c->handlers) d.handlers.push_back({h->name, gen.label_of(h), h->eventNumber});
    for (Routine *m : c->menuHandlers) d.constants.push_back({m->name, 0, gen.label_of(m)});
    return d;
  }

  // The project items' numbers, in the order directory() writes them: the
  // settings are 1, the menu bar 2 when there is one, then the databases and
  // carried files; object items need none (the runtime fills their variables).
  void number_items() {
    int32_t items = prog.hasMenuBar ? 2 : 1;
    for (const DatabaseDecl &d : prog.databases)
      gen.bind_project_object(prog.globals[d.global].slot, ++items);
    for (const MediaItemDecl &m : prog.mediaItems)
      gen.bind_project_object(prog.globals[m.global].slot, ++items);
  }

  DataLabel directory() {
    ClassDirectory dir;
    std::vector<ClassInfo *> order = checked.classes.directory;
    for (ClassInfo *c : order) {
      int32_t index = c->decl || c->window || c->iface ? dir.add_definition(definition(c))
                                                       : dir.add_reference(c->name);
      if (index != c->index) error_at({}, "internal: class directory order");
    }
    uint32_t start = data.size();
    dir.add_item(write_settings_item(data, project_settings(prog.project)));
    region("project settings", start);
    if (prog.hasMenuBar) {
      start = data.size();
      dir.add_item(write_menu_bar_item(data, menu_bar(prog.menuBar, checked)));
      region("menu bar", start);
    }
    for (const DatabaseDecl &d : prog.databases) {
      start = data.size();
      dir.add_item(write_database_item(data, d.file, database_start(d)));
      region(d.name + " database", start);
    }
    for (const MediaItemDecl &m : prog.mediaItems) {
      start = data.size();
      dir.add_item(media_item(m));
      region(m.name + " item", start);
    }
    /* last, so that their constructors find every other item made */
    for (const ObjectItemDecl &o : prog.objectItems) {
      const GlobalDecl &g = prog.globals[o.global];
      start = data.size();
      dir.add_item(
          write_object_item(data, g.slot.type.cls->index, DataRef(gen.globals(), g.slot.offset)));
      region(g.name + " object item", start);
    }
    start = data.size();
    DataLabel l = dir.write(data);
    region("class records and directory", start);
    return l;
  }

  // A file a project item names, relative to the source naming it: read
  // whole, not empty, no larger than the runtime reads, and of its kind.
  Bytes carried_file(const std::string *sourceFile, const std::string &name, Loc at,
                     const char *kind, std::string (*problem)(const Bytes &)) {
    std::filesystem::path path = std::filesystem::path(*sourceFile).parent_path() / name;
    Bytes bytes;
    std::string error;
    if (!read_file(path, &bytes, &error))
      error_at(at, std::string("cannot read ") + kind + " " + path.string());
    std::string why = bytes.empty()                     ? "is empty"
                      : bytes.size() > kMaxCarriedBytes ? "is larger than 64 MB"
                                                        : problem(bytes);
    if (!why.empty()) error_at(at, path.string() + " " + why);
    return bytes;
  }

  // The bytes of the database file a carried database starts from, if any.
  Bytes database_start(const DatabaseDecl &d) {
    if (d.start.empty()) return {};
    return carried_file(d.sourceFile, d.start, d.startLoc, "database", database_problem);
  }

  // A carried picture, movie, text or data file goes to the resource block as
  // its length (u32 BE) and its bytes, a cursor as its 68-byte body; the item
  // names its entry. A sound's bytes follow its item in data1.
  DataLabel media_item(const MediaItemDecl &m) {
    using K = MediaItemDecl::Kind;
    static const struct {
      const char *name;
      std::string (*problem)(const Bytes &);
      uint32_t item;
    } kinds[] = {{"picture", picture_problem, 1}, {"sound", sound_problem, 6},
                 {"movie", movie_problem, 3},     {"cursor", cursor_problem, 9},
                 {"text", text_problem, 7},       {"data file", data_problem, 8}};
    const auto &kind = kinds[m.kind];
    Bytes bytes = carried_file(m.sourceFile, m.file, m.fileLoc, kind.name, kind.problem);
    if (m.kind == K::Sound) return write_sound_item(data, bytes);
    Bytes entry;
    if (m.kind == K::Cursor) {
      cursor_body(bytes, &entry);
    } else {
      put_u32be(entry, uint32_t(bytes.size()));
      put_bytes(entry, bytes);
    }
    resources.push_back(std::move(entry));
    return write_resource_item(data, kind.item, int32_t(resources.size()));
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

  // Each routine's body is checked, compiled and let go before the next is
  // checked, so that only one routine's tree is alive at a time. The classes
  // have their directory indexes and the project items their numbers before
  // any code names them.
  void routines(ProgramChecker &checker) {
    index_classes();
    number_items();
    uint32_t start = data.size();
    for_each_routine(prog, [&](Routine &r) {
      checker.routine(r);
      gen.routine(r);
      r.body = Block(); /* nothing reads a body once its code is out */
    });
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

  // The rest of the image, once routines() has placed the routines.
  Image run() {
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

CompileResult compile(std::vector<SourceFile> sources, const CompileOptions &options) {
  CompileResult result;
  std::deque<std::string> names; /* the locations point into these */
  std::deque<std::string> texts; /* and the tokens into these */
  Program prog;
  try {
    for (SourceFile &s : sources) {
      names.push_back(s.name);
      texts.push_back(to_code_page(&names.back(), s.text));
      std::string().swap(s.text);
      TokenStream tokens(&names.back(), texts.back());
      parse(tokens, prog);
    }
    read_plugins(prog);
    Checked checked;
    ProgramChecker checker(prog, checked);
    checker.declarations();
    Assembler a(prog, checked, options);
    a.routines(checker);
    if (options.warnings == CompileOptions::Warnings::Errors && !checked.warnings.empty()) {
      for (const Warning &w : checked.warnings)
        result.error += (result.error.empty() ? "" : "\n") + w.text(true);
      return result;
    }
    if (options.warnings == CompileOptions::Warnings::Report)
      for (const Warning &w : checked.warnings) result.warnings.push_back(w.text());
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
