// The top of the grammar: the file, its classes and windows with their
// members, routines, events and controls, constants, globals, and the
// Project, MenuBar and Plugin blocks.
#include "parser.h"
#include <cstring>

namespace basc {

void Parser::file() {
  skip_nl();
  while (!at_end()) {
    toplevel();
    expect_nl();
    skip_nl();
  }
}

void Parser::toplevel() {
  if (accept("CLASS")) return class_decl(false);
  if (accept("WINDOW")) return class_decl(true);
  if (accept("MODULE")) return module_decl();
  if (is("INTERFACE")) return interface_decl();
  if (is("SUB") || is("FUNCTION")) return prog.routines.push_back(routine());
  if (accept("DIM")) return global_dim();
  if (is("CONST")) return prog.consts.push_back(const_decl());
  if (is("PROJECT")) return project();
  if (is("MENUBAR")) return menu_bar();
  if (is("PLUGIN")) return plugin();
  if (is("DATABASE")) return database();
  if (is("PICTURE") || is("SOUND") || is("MOVIE") || is("CURSOR") || is("TEXT") || is("DATA"))
    return media_item();
  if (is("OBJECT")) return object_item();
  refuse_shared();
  expected("Class, Window, Interface, Sub, Function, Dim, Const, Module, Project, MenuBar, "
           "Plugin, Database, Picture, Sound, Movie, Cursor, Text, Data or Object");
}

// Module Name ... End Module. Its members join the program's globals,
// constants and routines; the module keeps their names for qualified use.
void Parser::module_decl() {
  ModuleDecl m;
  m.loc = tok().loc;
  m.name = name("a module name");
  expect_nl();
  while (!block_ends(m.loc, "MODULE", "missing 'End Module' for " + m.name)) {
    Loc at = tok().loc;
    if (accept("DIM") || accept("PROPERTY")) {
      global_dim();
      m.members.insert(upper(prog.globals.back().name));
    } else if (is("CONST")) {
      prog.consts.push_back(const_decl());
      m.members.insert(upper(prog.consts.back().name));
    } else if (is("SUB") || is("FUNCTION")) {
      prog.routines.push_back(routine());
      m.members.insert(upper(prog.routines.back()->name));
    } else if (is("SHARED")) {
      error_at(at, "a module's members are shared already; drop 'Shared'");
    } else {
      expected("Dim, Property, Const, Sub, Function or 'End Module'");
    }
    expect_nl();
  }
  prog.modules.push_back(std::move(m));
}

// Class-level storage does not exist in an image's class records, so a
// Shared member has nowhere to live; a Module holds such state instead.
void Parser::refuse_shared() {
  if (is("SHARED"))
    error_at(tok().loc, "Shared members are not supported: a class keeps no storage of its "
                        "own; put shared state and routines in a Module");
}

void Parser::class_decl(bool isWindow) {
  auto c = std::make_unique<ClassDecl>();
  c->isWindow = isWindow;
  c->loc = tok().loc;
  c->name = name("a class name");
  if (accept("INHERITS")) c->superRef = type_name();
  if (accept("IMPLEMENTS")) type_list(c->implements);
  expect_nl();
  const char *ender = isWindow ? "WINDOW" : "CLASS";
  const std::string missing =
      std::string("missing 'End ") + (isWindow ? "Window" : "Class") + "' for " + c->name;
  while (!block_ends(c->loc, ender, missing)) {
    if (isWindow && is("CONTROL")) {
      control(*c);
    } else if (isWindow && tok().kind == TokKind::Word && next().upper == "=") {
      c->windowProps.push_back(prop_value());
    } else {
      member(*c);
    }
    expect_nl();
  }
  prog.classes.push_back(std::move(c));
}

void Parser::member(ClassDecl &c) {
  if (accept("PROPERTY") || accept("DIM")) {
    Property p;
    p.loc = tok().loc;
    p.name = name("a property name");
    if (is("(")) p.shape = array_shape();
    expect("AS");
    p.typeRef = type_name();
    c.properties.push_back(std::move(p));
    return;
  }
  if (accept("EVENT")) return event(c);
  if (accept("IMPLEMENTS")) return type_list(c.implements);
  if (is("CONST")) return c.consts.push_back(const_decl());
  refuse_shared();
  if (is("SUB") || is("FUNCTION") || is("HANDLER") || is("MENUHANDLER"))
    return c.routines.push_back(routine());
  expected("Property, Event, Const, Sub, Function, Handler or MenuHandler");
}

void Parser::type_list(std::vector<TypeRef> &out) {
  do out.push_back(type_name());
  while (accept(","));
}

// Interface Name [Inherits A, B] NL { signature NL } End Interface, where a
// signature is a Sub or Function line without a body.
void Parser::interface_decl() {
  auto d = std::make_unique<InterfaceDecl>();
  advance();
  d->loc = tok().loc;
  d->name = name("an interface name");
  if (accept("INHERITS")) type_list(d->bases);
  expect_nl();
  while (!block_ends(d->loc, "INTERFACE", "missing 'End Interface' for " + d->name)) {
    auto r = std::make_unique<Routine>();
    r->loc = tok().loc;
    if (accept("SUB")) {
      r->kind = RoutineKind::Sub;
    } else if (accept("FUNCTION")) {
      r->kind = RoutineKind::Function;
    } else {
      expected("Sub, Function or 'End Interface'");
    }
    r->name = name("a method name");
    if (is("(")) params(r->params);
    if (accept("AS")) r->resultRef = type_name();
    if (!is_nl()) expected("end of line (an interface's methods have no body)");
    expect_nl();
    skip_nl();
    if (is("END") && (next().upper == "SUB" || next().upper == "FUNCTION"))
      error_at(tok().loc, "an interface's methods have no body; drop this 'End " + next().text +
                              "' and the lines before it");
    if (!is("END") && !is("SUB") && !is("FUNCTION") && !at_end())
      error_at(tok().loc, "an interface's methods have no body; only Sub and Function lines "
                          "belong in interface " +
                              d->name);
    d->methods.push_back(std::move(r));
  }
  prog.interfaces.push_back(std::move(d));
}

void Parser::event(ClassDecl &c) {
  EventDecl e;
  e.loc = tok().loc;
  e.name = name("an event name");
  if (is("(")) params(e.params);
  if (accept("AS")) e.resultRef = type_name();
  c.events.push_back(std::move(e));
}

std::unique_ptr<Routine> Parser::routine() {
  auto r = std::make_unique<Routine>();
  r->loc = tok().loc;
  const char *ender;
  if (accept("SUB")) {
    r->kind = RoutineKind::Sub, ender = "SUB";
  } else if (accept("FUNCTION")) {
    r->kind = RoutineKind::Function, ender = "FUNCTION";
  } else if (accept("HANDLER")) {
    r->kind = RoutineKind::Handler, ender = "HANDLER";
  } else {
    expect("MENUHANDLER");
    r->kind = RoutineKind::MenuHandler, ender = "MENUHANDLER";
  }
  r->name = name("a routine name");
  if (r->kind == RoutineKind::Handler && accept(".")) {
    r->controlName = r->name;
    r->name = name("an event name");
  }
  if (r->kind == RoutineKind::Sub) {
    if (iequal(r->name, "Constructor")) r->kind = RoutineKind::Constructor;
    if (iequal(r->name, "Destructor")) r->kind = RoutineKind::Destructor;
  }
  if (is("(")) params(r->params);
  if (accept("AS")) r->resultRef = type_name();
  expect_nl();
  static const std::pair<const char *, const char *> shown[] = {{"SUB", "Sub"},
                                                                {"FUNCTION", "Function"},
                                                                {"HANDLER", "Handler"},
                                                                {"MENUHANDLER", "MenuHandler"}};
  std::string kind;
  for (auto &[u, k] : shown)
    if (!std::strcmp(u, ender)) kind = k;
  Opening open(*this, kind, r->loc, "End " + kind);
  r->body = block({"END"});
  close_block(ender);
  return r;
}

void Parser::params(std::vector<Param> &out) {
  expect("(");
  if (accept(")")) return;
  do {
    Param p;
    p.byRef = accept("BYREF");
    if (!p.byRef) accept("BYVAL");
    p.loc = tok().loc;
    p.name = name("a parameter name");
    if (accept("(")) { /* an array: one more dimension for each comma */
      p.arrayDims = 1;
      while (accept(",")) p.arrayDims++;
      expect(")");
    }
    expect("AS");
    p.typeRef = type_name();
    out.push_back(std::move(p));
  } while (accept(","));
  expect(")");
}

void Parser::control(ClassDecl &c) {
  expect("CONTROL");
  ControlDecl d;
  d.loc = tok().loc;
  d.name = name("a control name");
  if (accept("(")) {
    if (tok().kind != TokKind::Int || tok().ival > INT32_MAX) expected("a control-array index");
    d.index = int32_t(tok().ival);
    advance();
    expect(")");
  }
  expect("AS");
  d.classRef = type_name();
  d.ownClass = accept("SUBCLASSED");
  expect_nl();
  while (!block_ends(d.loc, "CONTROL", "missing 'End Control' for " + d.name)) {
    d.props.push_back(prop_value());
    expect_nl();
  }
  c.controls.push_back(std::move(d));
}

// A text known while parsing: a string literal, or Chr of an integer literal.
static bool text_constant(const Node &n, std::string *out) {
  if (n.kind == NK::StrLit) return *out = n.text, true;
  bool chr = n.kind == NK::Call && n.lhs && n.lhs->kind == NK::Name && iequal(n.lhs->text, "Chr") &&
             n.args.size() == 1 && n.args[0]->kind == NK::IntLit && n.args[0]->ival >= 0 &&
             n.args[0]->ival < 256;
  if (chr) *out = std::string(1, char(n.args[0]->ival));
  return chr;
}

// name = literal, where the literal may be negative; texts may be joined with +.
PropValue Parser::prop_value() {
  PropValue v;
  v.loc = tok().loc;
  if (tok().kind != TokKind::Word) expected("a property name");
  v.name = tok().text;
  advance();
  expect("=");
  v.value = unary();
  while (is("+")) { /* texts joined: "a" + Chr(13) + "b" */
    Loc at = tok().loc;
    advance();
    NodeP rhs = unary();
    std::string left, right;
    if (!text_constant(*v.value, &left) || !text_constant(*rhs, &right))
      error_at(at, "a property's text joins only string literals and Chr(n)");
    v.value->kind = NK::StrLit;
    v.value->text = left + right;
  }
  return v;
}

ConstDecl Parser::const_decl() {
  ConstDecl c;
  expect("CONST");
  c.loc = tok().loc;
  c.name = name("a constant name");
  if (accept("AS")) c.typeRef = type_name();
  expect("=");
  c.value = unary();
  return c;
}

void Parser::global_dim() {
  GlobalDecl g;
  g.loc = tok().loc;
  g.name = name("a variable name");
  if (is("(")) g.shape = array_shape();
  expect("AS");
  g.typeRef = type_name();
  prog.globals.push_back(std::move(g));
}

namespace {

// A string literal, or several joined with +, where Chr(n) stands for one byte.
std::string string_value(Parser &p, const char *what) {
  if (p.tok().kind != TokKind::Str) p.expected(what);
  std::string s = p.tok().text;
  p.advance();
  while (p.accept("+")) {
    if (p.tok().kind == TokKind::Str) {
      s += p.tok().text;
      p.advance();
      continue;
    }
    if (!p.accept("CHR")) p.expected("a string literal or Chr(n)");
    p.expect("(");
    if (p.tok().kind != TokKind::Int || p.tok().ival > 255)
      p.expected("a character code (0 to 255)");
    s += char(p.tok().ival);
    p.advance();
    p.expect(")");
  }
  return s;
}

bool bool_value(Parser &p) {
  if (p.accept("TRUE")) return true;
  if (p.accept("FALSE")) return false;
  p.expected("True or False");
}

} // namespace

// Project NL { setting NL } End Project, where a setting is one of
//   ApplicationName = "text" | CharacterSet = n | MDI = True | MainWindow = name
//   FileType "name", "creator", "type", "extensions" | Message n = "text"
//   UnhandledException = "text"   (message 4)
void Parser::project() {
  ProjectDecl &pj = prog.project;
  if (pj.present) error_at(tok().loc, "a second Project block");
  pj.present = true;
  pj.loc = tok().loc;
  advance();
  expect_nl();
  while (!block_ends(pj.loc, "PROJECT", "missing 'End Project'")) {
    Loc at = tok().loc;
    if (accept("FILETYPE")) {
      ProjectDecl::FileType t;
      t.name = string_value(*this, "the file type's name");
      expect(",");
      t.creator = string_value(*this, "the creator code");
      expect(",");
      t.type = string_value(*this, "the type code");
      expect(",");
      t.extensions = string_value(*this, "the extensions");
      pj.fileTypes.push_back(t);
    } else if (accept("MESSAGE")) {
      if (tok().kind != TokKind::Int || tok().ival > 255) expected("a message number (0 to 255)");
      size_t n = size_t(tok().ival);
      advance();
      expect("=");
      if (pj.messages.size() <= n) pj.messages.resize(n + 1);
      pj.messages[n] = string_value(*this, "the message text");
    } else {
      std::string key = upper(name("a project setting"));
      expect("=");
      if (key == "APPLICATIONNAME") {
        pj.applicationName = string_value(*this, "the application name");
      } else if (key == "CHARACTERSET") {
        if (tok().kind != TokKind::Int) expected("a character-set number");
        pj.characterSet = int32_t(tok().ival);
        advance();
      } else if (key == "MDI") {
        pj.mdi = bool_value(*this);
      } else if (key == "MAINWINDOW") {
        pj.mainWindow = type_name();
      } else if (key == "UNHANDLEDEXCEPTION") {
        if (pj.messages.size() < 5) pj.messages.resize(5);
        pj.messages[4] = string_value(*this, "the message text");
      } else {
        error_at(at, "unknown project setting '" + key + "'");
      }
    }
    expect_nl();
  }
}

// MenuBar NL { entry } End MenuBar, where an entry is
//   Menu "text" [name] NL { entry } End Menu        (AppMenu ... End AppMenu: kind 1)
//   Item name "text" [Key "k"] [Index n] [Help "text"] [As class]
//   Separator
//   Placeholder                                      (kind 2, at any level)
void Parser::menu_bar() {
  if (prog.hasMenuBar) error_at(tok().loc, "a second MenuBar block");
  prog.hasMenuBar = true;
  Loc start = tok().loc;
  advance();
  expect_nl();
  while (!block_ends(start, "MENUBAR", "missing 'End MenuBar'")) {
    prog.menuBar.push_back(menu_entry(true));
    expect_nl();
  }
}

MenuEntry Parser::menu_entry(bool topLevel) {
  Deeper d(*this);
  MenuEntry e;
  e.loc = tok().loc;
  bool appMenu = is("APPMENU");
  if (appMenu || is("MENU")) {
    advance();
    e.kind = appMenu ? 1 : 0;
    e.submenu = true;
    if (!appMenu) e.text = string_value(*this, "the menu's text");
    if (!is_nl()) e.name = name("the menu's name");
    expect_nl();
    while (!block_ends(e.loc, appMenu ? "APPMENU" : "MENU", "missing 'End Menu'")) {
      e.items.push_back(menu_entry(false));
      expect_nl();
    }
    return e;
  }
  if (accept("PLACEHOLDER")) { /* kind 2: read and dropped by the runtime */
    e.kind = 2;
    return e;
  }
  if (topLevel) expected("Menu, AppMenu or Placeholder");
  if (accept("SEPARATOR")) {
    e.text = "-";
    return e;
  }
  expect("ITEM");
  e.name = name("the item's name");
  e.text = string_value(*this, "the item's text");
  for (;;) {
    if (accept("KEY")) {
      e.commandKey = string_value(*this, "the shortcut key");
    } else if (accept("INDEX")) {
      if (tok().kind != TokKind::Int || tok().ival > INT32_MAX) expected("a menu-array index");
      e.index = int32_t(tok().ival);
      advance();
    } else if (accept("HELP")) {
      e.balloonHelp = string_value(*this, "the help text");
    } else if (accept("AS")) {
      e.classRef = type_name();
    } else {
      break;
    }
  }
  return e;
}

void Parser::plugin() {
  PluginDecl p;
  p.loc = tok().loc;
  p.sourceFile = tok().loc.file;
  advance();
  p.path = string_value(*this, "the plug-in's file name");
  prog.plugins.push_back(std::move(p));
}

void Parser::database() {
  DatabaseDecl d;
  d.loc = tok().loc;
  d.sourceFile = tok().loc.file;
  TypeRef type{tok().text, tok().loc};
  advance();
  d.name = name("the database's name");
  expect("=");
  Loc fileLoc = tok().loc;
  d.file = string_value(*this, "the database's file name");
  if (d.file.empty() || d.file.find_first_of("\\/:") != std::string::npos)
    error_at(fileLoc, "a carried database is a file name without a folder");
  if (accept("FROM")) {
    d.startLoc = tok().loc;
    d.start = string_value(*this, "the file the database starts from");
    if (d.start.empty()) error_at(d.startLoc, "a database's From needs a file name");
  }
  d.global = item_global(d.name, type, d.loc);
  prog.databases.push_back(std::move(d));
}

void Parser::media_item() {
  MediaItemDecl d;
  d.loc = tok().loc;
  d.sourceFile = tok().loc.file;
  static const struct {
    const char *keyword, *className;
    MediaItemDecl::Kind kind;
  } kinds[] = {{"PICTURE", "Picture", MediaItemDecl::Picture},
               {"SOUND", "Sound", MediaItemDecl::Sound},
               {"MOVIE", "Movie", MediaItemDecl::Movie},
               {"CURSOR", "MouseCursor", MediaItemDecl::Cursor},
               {"TEXT", "TextResource", MediaItemDecl::Text},
               {"DATA", "DataResource", MediaItemDecl::Data}};
  TypeRef type{"", tok().loc};
  for (const auto &k : kinds)
    if (is(k.keyword)) d.kind = k.kind, type.name = k.className;
  advance();
  d.name = name("the item's name");
  expect("=");
  d.fileLoc = tok().loc;
  d.file = string_value(*this, "the item's file name");
  if (d.file.empty()) error_at(d.fileLoc, "a carried item needs a file name");
  d.global = item_global(d.name, type, d.loc);
  prog.mediaItems.push_back(std::move(d));
}

void Parser::object_item() {
  ObjectItemDecl d;
  d.loc = tok().loc;
  advance();
  std::string itemName = name("the object's name");
  expect("AS");
  d.global = item_global(itemName, type_name(), d.loc);
  prog.objectItems.push_back(d);
}

// A project item's name is a module variable of its class that code reads
// but never assigns.
size_t Parser::item_global(const std::string &itemName, const TypeRef &type, Loc loc) {
  GlobalDecl g;
  g.loc = loc;
  g.name = itemName;
  g.typeRef = type;
  g.item = true;
  prog.globals.push_back(std::move(g));
  return prog.globals.size() - 1;
}

void parse(TokenStream &tokens, Program &program) {
  Parser p{tokens, program};
  p.file();
}

void parse(std::vector<Token> tokens, Program &program) {
  TokenStream stream(std::move(tokens));
  parse(stream, program);
}

} // namespace basc
