// The parser. The grammar, top down:
//   file       = { toplevel NL }
//   toplevel   = class | window | routine | "Dim" global | const | project | menubar | plugin
//   const      = "Const" name ["As" type] "=" literal
//   class      = "Class" name ["Inherits" name] NL { member NL } "End" "Class"
//   window     = "Window" name ["Inherits" name] NL { member | control | name "=" literal NL }
//                "End" "Window"
//   member     = ("Property" | "Dim") name "As" type | "Event" name params ["As" type] | routine
//   routine    = ("Sub" | "Function" | "Handler" | "MenuHandler") name ["." name] params
//                ["As" type] NL block "End" kind
//   params     = "(" [param {"," param}] ")";  param = ["ByRef" | "ByVal"] name "As" type
//   control    = "Control" name ["(" int ")"] "As" name NL { name "=" literal NL } "End" "Control"
//   statement  = dim | const | if | select | for | while | do | exit | return | try | raise
//              | raiseevent | expr ["=" expr] | expr args
//   expr       = or;  or = and {("Or" | "Xor") and};  and = not {"And" not};
//   not        = "Not" not | compare
//   compare    = concat {("=" | "<>" | "<" | ">" | "<=" | ">=") concat | "IsA" name}
//   concat     = additive {"&" additive}
//   additive   = mod {("+" | "-") mod};  mod = intdiv {"Mod" intdiv}
//   intdiv     = term {"\" term};  term = unary {("*" | "/") unary}
//   unary      = "-" unary | power;  power = postfix {"^" exponent}
//   exponent   = "-" exponent | postfix;  postfix = primary {"." name | "(" args ")"}
//   primary    = literal | name | "Self" | "Me" | "Nil" | "New" name ["(" ")"] | "(" expr ")"
//              | raiseevent
//   raiseevent = "RaiseEvent" name ["(" args ")"]
#include "parse.h"
#include "names.h"
#include <set>

namespace basc {

namespace {

const std::set<std::string> kReserved = {
    "AND",     "AS",     "CASE",     "CATCH", "CLASS", "CONST",    "CONTROL",     "DIM",
    "DO",      "ELSE",   "ELSEIF",   "END",   "EXIT",  "FALSE",    "FOR",         "FUNCTION",
    "HANDLER", "IF",     "INHERITS", "ISA",   "LOOP",  "ME",       "MENUHANDLER", "MOD",
    "NEW",     "NEXT",   "NIL",      "NOT",   "OR",    "PROPERTY", "RAISE",       "RAISEEVENT",
    "RETURN",  "SELECT", "SELF",     "STEP",  "SUB",   "THEN",     "TO",          "TRUE",
    "TRY",     "UNTIL",  "WEND",     "WHILE", "XOR",
};

const int kMaxDepth = 200; /* nesting of blocks and expressions */

struct Parser {
  const std::vector<Token> &toks;
  Program &prog;
  size_t pos = 0;
  int depth = 0;

  const Token &tok() const { return toks[pos]; }
  const Token &next() const { return toks[pos + 1 < toks.size() ? pos + 1 : pos]; }
  bool at_end() const { return tok().kind == TokKind::End; }
  bool is(const char *word) const {
    return (tok().kind == TokKind::Word || tok().kind == TokKind::Punct) && tok().upper == word;
  }
  bool is_nl() const { return tok().kind == TokKind::Newline || at_end(); }
  void advance() {
    if (!at_end()) pos++;
  }
  bool accept(const char *word) {
    if (!is(word)) return false;
    advance();
    return true;
  }
  std::string found() const {
    switch (tok().kind) {
    case TokKind::Newline:
      return "end of line";
    case TokKind::End:
      return "end of file";
    case TokKind::Str:
      return "string \"" + tok().text + "\"";
    default:
      return "'" + tok().text + "'";
    }
  }
  [[noreturn]] void expected(const std::string &what) {
    error_at(tok().loc, "expected " + what + ", found " + found());
  }
  void expect(const char *word) {
    if (!accept(word)) expected(std::string("'") + word + "'");
  }
  void expect_nl() {
    if (tok().kind == TokKind::Newline) return advance();
    if (!at_end()) expected("end of line");
  }
  void skip_nl() {
    while (tok().kind == TokKind::Newline) advance();
  }
  std::string name(const char *what = "a name") {
    if (tok().kind != TokKind::Word) expected(what);
    if (kReserved.count(tok().upper))
      error_at(tok().loc, "'" + tok().text + "' is a reserved word");
    std::string n = tok().text;
    advance();
    return n;
  }
  TypeRef type_name() {
    TypeRef t{"", tok().loc};
    t.name = name("a type name");
    return t;
  }
  struct Deeper {
    Parser &p;
    Deeper(Parser &p) : p(p) {
      if (++p.depth > kMaxDepth) error_at(p.tok().loc, "nesting is too deep");
    }
    ~Deeper() { p.depth--; }
  };

  NodeP node(NK kind, Loc loc) {
    auto n = std::make_unique<Node>();
    n->kind = kind;
    n->loc = loc;
    return n;
  }

  // ---- top level ----
  void file();
  void toplevel();
  void class_decl(bool isWindow);
  void member(ClassDecl &c);
  std::unique_ptr<Routine> routine();
  void event(ClassDecl &c);
  void params(std::vector<Param> &out);
  void control(ClassDecl &c);
  PropValue prop_value();
  void global_dim();
  ConstDecl const_decl();
  void project();
  void menu_bar();
  MenuEntry menu_entry(bool topLevel);
  void plugin();

  // ---- statements ----
  Block block(std::initializer_list<const char *> enders);
  bool at_block_end(std::initializer_list<const char *> enders);
  std::unique_ptr<Stmt> statement();
  std::unique_ptr<Stmt> stmt(SK kind) {
    auto s = std::make_unique<Stmt>();
    s->kind = kind;
    s->loc = tok().loc;
    return s;
  }
  std::unique_ptr<Stmt> dim_stmt();
  std::unique_ptr<Stmt> if_stmt();
  std::unique_ptr<Stmt> select_stmt();
  CaseClause::Test case_test();
  std::unique_ptr<Stmt> for_stmt();
  std::unique_ptr<Stmt> while_stmt();
  std::unique_ptr<Stmt> do_stmt();
  std::unique_ptr<Stmt> exit_stmt();
  std::unique_ptr<Stmt> return_stmt();
  std::unique_ptr<Stmt> try_stmt();
  std::unique_ptr<Stmt> raise_stmt();
  std::unique_ptr<Stmt> simple_stmt();

  // ---- expressions ----
  NodeP expr();
  NodeP or_expr();
  NodeP and_expr();
  NodeP not_expr();
  NodeP compare();
  NodeP concat();
  NodeP additive();
  NodeP mod_expr();
  NodeP intdiv();
  NodeP term();
  NodeP unary();
  NodeP power();
  NodeP exponent();
  NodeP postfix();
  NodeP primary();
  NodeP raise_event();
  void args(Node &call);
  NodeP binary(const std::string &op, NodeP l, NodeP r, Loc loc) {
    NodeP n = node(NK::Binary, loc);
    n->text = op;
    n->lhs = std::move(l);
    n->rhs = std::move(r);
    return n;
  }
};

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
  if (is("SUB") || is("FUNCTION")) return prog.routines.push_back(routine());
  if (accept("DIM")) return global_dim();
  if (is("CONST")) return prog.consts.push_back(const_decl());
  if (is("PROJECT")) return project();
  if (is("MENUBAR")) return menu_bar();
  if (is("PLUGIN")) return plugin();
  expected("Class, Window, Sub, Function, Dim, Const, Project, MenuBar or Plugin");
}

void Parser::class_decl(bool isWindow) {
  auto c = std::make_unique<ClassDecl>();
  c->isWindow = isWindow;
  c->loc = tok().loc;
  c->name = name("a class name");
  if (accept("INHERITS")) c->superRef = type_name();
  expect_nl();
  const char *ender = isWindow ? "WINDOW" : "CLASS";
  for (;;) {
    skip_nl();
    if (at_end())
      error_at(c->loc,
               std::string("missing 'End ") + (isWindow ? "Window" : "Class") + "' for " + c->name);
    if (accept("END")) {
      expect(ender);
      break;
    }
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
    expect("AS");
    p.typeRef = type_name();
    c.properties.push_back(std::move(p));
    return;
  }
  if (accept("EVENT")) return event(c);
  if (is("SUB") || is("FUNCTION") || is("HANDLER") || is("MENUHANDLER"))
    return c.routines.push_back(routine());
  expected("Property, Event, Sub, Function, Handler or MenuHandler");
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
  r->body = block({"END"});
  expect("END");
  if (!accept(ender)) expected(std::string("'End ") + ender + "'");
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
  expect_nl();
  for (;;) {
    skip_nl();
    if (at_end()) error_at(d.loc, "missing 'End Control' for " + d.name);
    if (accept("END")) {
      expect("CONTROL");
      break;
    }
    d.props.push_back(prop_value());
    expect_nl();
  }
  c.controls.push_back(std::move(d));
}

// name = literal, where the literal may be negative.
PropValue Parser::prop_value() {
  PropValue v;
  v.loc = tok().loc;
  if (tok().kind != TokKind::Word) expected("a property name");
  v.name = tok().text;
  advance();
  expect("=");
  v.value = unary();
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
  expect("AS");
  g.typeRef = type_name();
  prog.globals.push_back(std::move(g));
}

std::string string_value(Parser &p, const char *what) {
  if (p.tok().kind != TokKind::Str) p.expected(what);
  std::string s = p.tok().text;
  p.advance();
  return s;
}

bool bool_value(Parser &p) {
  if (p.accept("TRUE")) return true;
  if (p.accept("FALSE")) return false;
  p.expected("True or False");
}

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
  for (;;) {
    skip_nl();
    if (at_end()) error_at(pj.loc, "missing 'End Project'");
    if (accept("END")) {
      expect("PROJECT");
      break;
    }
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
void Parser::menu_bar() {
  if (prog.hasMenuBar) error_at(tok().loc, "a second MenuBar block");
  prog.hasMenuBar = true;
  Loc start = tok().loc;
  advance();
  expect_nl();
  for (;;) {
    skip_nl();
    if (at_end()) error_at(start, "missing 'End MenuBar'");
    if (accept("END")) {
      expect("MENUBAR");
      return;
    }
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
    for (;;) {
      skip_nl();
      if (at_end()) error_at(e.loc, "missing 'End Menu'");
      if (accept("END")) {
        expect(appMenu ? "APPMENU" : "MENU");
        break;
      }
      e.items.push_back(menu_entry(false));
      expect_nl();
    }
    return e;
  }
  if (topLevel) expected("Menu or AppMenu");
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

// ---- statements ----

bool Parser::at_block_end(std::initializer_list<const char *> enders) {
  if (at_end()) return true;
  for (const char *e : enders)
    if (is(e)) return true;
  return false;
}

Block Parser::block(std::initializer_list<const char *> enders) {
  Deeper d(*this);
  Block b;
  for (;;) {
    skip_nl();
    if (at_block_end(enders)) {
      if (at_end()) expected("'" + std::string(*enders.begin()) + "'");
      return b;
    }
    b.push_back(statement());
    expect_nl();
  }
}

std::unique_ptr<Stmt> Parser::statement() {
  if (is("DIM")) return dim_stmt();
  if (is("CONST")) {
    auto s = stmt(SK::Const);
    ConstDecl c = const_decl();
    s->names.push_back(c.name);
    s->typeRef = c.typeRef;
    s->value = std::move(c.value);
    return s;
  }
  if (is("IF")) return if_stmt();
  if (is("SELECT")) return select_stmt();
  if (is("FOR")) return for_stmt();
  if (is("WHILE")) return while_stmt();
  if (is("DO")) return do_stmt();
  if (is("EXIT")) return exit_stmt();
  if (is("RETURN")) return return_stmt();
  if (is("TRY")) return try_stmt();
  if (is("RAISE")) return raise_stmt();
  if (is("RAISEEVENT")) {
    auto s = stmt(SK::Expr);
    s->value = raise_event();
    return s;
  }
  return simple_stmt();
}

std::unique_ptr<Stmt> Parser::dim_stmt() {
  auto s = stmt(SK::Dim);
  advance();
  do s->names.push_back(name("a variable name"));
  while (accept(","));
  expect("AS");
  s->dimNew = accept("NEW");
  s->typeRef = type_name();
  if (s->dimNew && is("(")) {
    expect("(");
    expect(")");
  }
  if (accept("=")) {
    if (s->dimNew) error_at(s->loc, "a Dim with As New takes no initial value");
    s->value = expr();
  }
  return s;
}

std::unique_ptr<Stmt> Parser::if_stmt() {
  auto s = stmt(SK::If);
  advance();
  s->value = expr();
  expect("THEN");
  if (!is_nl()) { /* the one-line form: If c Then statement [Else statement] */
    s->body.push_back(statement());
    if (accept("ELSE")) s->elseBody.push_back(statement());
    return s;
  }
  s->body = block({"ELSEIF", "ELSE", "END"});
  while (accept("ELSEIF")) {
    NodeP c = expr();
    expect("THEN");
    expect_nl();
    s->elseIfs.emplace_back(std::move(c), block({"ELSEIF", "ELSE", "END"}));
  }
  if (accept("ELSE")) {
    expect_nl();
    s->elseBody = block({"END"});
  }
  expect("END");
  expect("IF");
  return s;
}

std::unique_ptr<Stmt> Parser::select_stmt() {
  auto s = stmt(SK::Select);
  advance();
  expect("CASE");
  s->value = expr();
  expect_nl();
  skip_nl();
  while (is("CASE")) {
    CaseClause c;
    c.loc = tok().loc;
    advance();
    if (!accept("ELSE")) {
      do c.tests.push_back(case_test());
      while (accept(","));
    } else if (!s->cases.empty() && s->cases.back().tests.empty()) {
      error_at(c.loc, "a second Case Else");
    }
    expect_nl();
    c.body = block({"CASE", "END"});
    s->cases.push_back(std::move(c));
  }
  expect("END");
  expect("SELECT");
  return s;
}

CaseClause::Test Parser::case_test() {
  CaseClause::Test t;
  if (accept("IS")) {
    static const char *ops[] = {"=", "<>", "<", ">", "<=", ">="};
    for (const char *op : ops)
      if (is(op)) t.op = op;
    if (t.op.empty()) expected("a comparison after Is");
    advance();
    t.value = concat();
    return t;
  }
  t.value = concat();
  if (accept("TO")) t.upper = concat();
  return t;
}

std::unique_ptr<Stmt> Parser::for_stmt() {
  auto s = stmt(SK::For);
  advance();
  Loc at = tok().loc;
  s->target = node(NK::Name, at);
  s->target->text = name("the loop variable");
  if (accept("AS")) s->typeRef = type_name();
  expect("=");
  s->value = expr();
  expect("TO");
  s->to = expr();
  if (accept("STEP")) s->step = expr();
  expect_nl();
  s->body = block({"NEXT"});
  expect("NEXT");
  if (tok().kind == TokKind::Word && !iequal(tok().text, s->target->text))
    error_at(tok().loc, "Next " + tok().text + " does not match For " + s->target->text);
  if (tok().kind == TokKind::Word) advance();
  return s;
}

std::unique_ptr<Stmt> Parser::while_stmt() {
  auto s = stmt(SK::While);
  advance();
  s->value = expr();
  expect_nl();
  s->body = block({"WEND"});
  expect("WEND");
  return s;
}

std::unique_ptr<Stmt> Parser::do_stmt() {
  auto s = stmt(SK::Do);
  advance();
  if (is("WHILE") || is("UNTIL")) {
    s->until = is("UNTIL");
    advance();
    s->value = expr();
  }
  expect_nl();
  s->body = block({"LOOP"});
  expect("LOOP");
  if (is("WHILE") || is("UNTIL")) {
    if (s->value)
      error_at(tok().loc, "a Do loop tests its condition at the top or the bottom, not both");
    s->until = is("UNTIL");
    s->testAtTop = false;
    advance();
    s->value = expr();
  }
  return s;
}

std::unique_ptr<Stmt> Parser::exit_stmt() {
  auto s = stmt(SK::Exit);
  advance();
  if (is("FOR") || is("WHILE") || is("DO") || is("SUB") || is("FUNCTION") || is("HANDLER") ||
      is("MENUHANDLER")) {
    s->word = tok().upper;
    advance();
  }
  return s;
}

std::unique_ptr<Stmt> Parser::return_stmt() {
  auto s = stmt(SK::Return);
  advance();
  if (!is_nl() && !is("ELSE")) s->value = expr();
  return s;
}

std::unique_ptr<Stmt> Parser::try_stmt() {
  auto s = stmt(SK::Try);
  advance();
  expect_nl();
  s->body = block({"CATCH", "END"});
  while (is("CATCH")) {
    CatchClause c;
    c.loc = tok().loc;
    advance();
    if (!is_nl()) {
      c.var = name("the exception variable");
      expect("AS");
      c.typeRef = type_name();
    }
    expect_nl();
    c.body = block({"CATCH", "END"});
    s->catches.push_back(std::move(c));
  }
  if (s->catches.empty()) error_at(s->loc, "a Try block needs at least one Catch");
  expect("END");
  expect("TRY");
  return s;
}

std::unique_ptr<Stmt> Parser::raise_stmt() {
  auto s = stmt(SK::Raise);
  advance();
  s->value = expr();
  return s;
}

// An assignment, a call with parentheses, or a call whose arguments follow
// without them: MsgBox "text".
std::unique_ptr<Stmt> Parser::simple_stmt() {
  Loc at = tok().loc;
  if (tok().kind != TokKind::Word && !is("(")) expected("a statement");
  NodeP e = postfix();
  if (accept("=")) {
    auto s = stmt(SK::Assign);
    s->loc = at;
    s->target = std::move(e);
    s->value = expr();
    return s;
  }
  auto s = stmt(SK::Expr);
  s->loc = at;
  if (!is_nl() && !is("ELSE")) {
    NodeP call = node(NK::Call, at);
    call->lhs = std::move(e);
    do call->args.push_back(expr());
    while (accept(","));
    e = std::move(call);
  }
  if (e->kind != NK::Call && e->kind != NK::Name && e->kind != NK::Member)
    error_at(at, "this expression is not a statement");
  s->value = std::move(e);
  return s;
}

// ---- expressions ----

NodeP Parser::expr() {
  Deeper d(*this);
  return or_expr();
}

NodeP Parser::or_expr() {
  NodeP n = and_expr();
  while (is("OR") || is("XOR")) {
    Loc at = tok().loc;
    std::string op = tok().upper;
    advance();
    n = binary(op, std::move(n), and_expr(), at);
  }
  return n;
}

NodeP Parser::and_expr() {
  NodeP n = not_expr();
  while (is("AND")) {
    Loc at = tok().loc;
    advance();
    n = binary("AND", std::move(n), not_expr(), at);
  }
  return n;
}

NodeP Parser::not_expr() {
  if (!is("NOT")) return compare();
  Deeper d(*this);
  NodeP n = node(NK::Unary, tok().loc);
  advance();
  n->text = "NOT";
  n->lhs = not_expr();
  return n;
}

NodeP Parser::compare() {
  NodeP n = concat();
  for (;;) {
    Loc at = tok().loc;
    if (accept("ISA")) {
      NodeP isa = node(NK::IsA, at);
      isa->lhs = std::move(n);
      isa->typeRef = type_name();
      n = std::move(isa);
      continue;
    }
    if (!(is("=") || is("<>") || is("<") || is(">") || is("<=") || is(">="))) return n;
    std::string op = tok().upper;
    advance();
    n = binary(op, std::move(n), concat(), at);
  }
}

NodeP Parser::concat() {
  NodeP n = additive();
  while (is("&")) {
    Loc at = tok().loc;
    advance();
    n = binary("&", std::move(n), additive(), at);
  }
  return n;
}

NodeP Parser::additive() {
  NodeP n = mod_expr();
  while (is("+") || is("-")) {
    Loc at = tok().loc;
    std::string op = tok().upper;
    advance();
    n = binary(op, std::move(n), mod_expr(), at);
  }
  return n;
}

NodeP Parser::mod_expr() {
  NodeP n = intdiv();
  while (is("MOD")) {
    Loc at = tok().loc;
    advance();
    n = binary("MOD", std::move(n), intdiv(), at);
  }
  return n;
}

NodeP Parser::intdiv() {
  NodeP n = term();
  while (is("\\")) {
    Loc at = tok().loc;
    advance();
    n = binary("\\", std::move(n), term(), at);
  }
  return n;
}

NodeP Parser::term() {
  NodeP n = unary();
  while (is("*") || is("/")) {
    Loc at = tok().loc;
    std::string op = tok().upper;
    advance();
    n = binary(op, std::move(n), unary(), at);
  }
  return n;
}

// Unary minus; a negated number literal is folded, so -2147483648 is a literal.
NodeP Parser::unary() {
  if (!is("-")) return power();
  Deeper d(*this);
  Loc at = tok().loc;
  advance();
  NodeP operand = unary();
  if (operand->kind == NK::IntLit && operand->text.empty()) {
    operand->ival = -operand->ival;
    operand->loc = at;
    operand->text = "-"; /* folded once: - - 5 stays an operation */
    return operand;
  }
  if (operand->kind == NK::RealLit && operand->text.empty()) {
    operand->fval = -operand->fval;
    operand->loc = at;
    operand->text = "-";
    return operand;
  }
  NodeP n = node(NK::Unary, at);
  n->text = "NEG";
  n->lhs = std::move(operand);
  return n;
}

// a ^ b ^ c is (a ^ b) ^ c; -a ^ b is -(a ^ b), and a ^ -b takes the minus.
NodeP Parser::power() {
  NodeP n = postfix();
  while (is("^")) {
    Loc at = tok().loc;
    advance();
    n = binary("^", std::move(n), exponent(), at);
  }
  return n;
}

NodeP Parser::exponent() {
  if (!is("-")) return postfix();
  Deeper d(*this);
  NodeP n = node(NK::Unary, tok().loc);
  advance();
  n->text = "NEG";
  n->lhs = exponent();
  return n;
}

NodeP Parser::postfix() {
  NodeP n = primary();
  for (;;) {
    Loc at = tok().loc;
    if (accept(".")) {
      NodeP m = node(NK::Member, at);
      m->lhs = std::move(n);
      if (tok().kind != TokKind::Word) expected("a member name after '.'");
      m->text = tok().text;
      advance();
      n = std::move(m);
    } else if (is("(")) {
      NodeP c = node(NK::Call, at);
      c->lhs = std::move(n);
      args(*c);
      n = std::move(c);
    } else {
      return n;
    }
  }
}

NodeP Parser::raise_event() {
  NodeP n = node(NK::RaiseEvent, tok().loc);
  expect("RAISEEVENT");
  n->text = name("an event name");
  if (is("(")) args(*n);
  return n;
}

void Parser::args(Node &call) {
  expect("(");
  if (accept(")")) return;
  do call.args.push_back(expr());
  while (accept(","));
  expect(")");
}

NodeP Parser::primary() {
  Deeper d(*this);
  const Token &t = tok();
  NodeP n;
  switch (t.kind) {
  case TokKind::Int:
    n = node(NK::IntLit, t.loc);
    n->ival = t.ival;
    advance();
    return n;
  case TokKind::Real:
    n = node(NK::RealLit, t.loc);
    n->fval = t.fval;
    advance();
    return n;
  case TokKind::Str:
    n = node(NK::StrLit, t.loc);
    n->text = t.text;
    advance();
    return n;
  case TokKind::Color:
    n = node(NK::ColorLit, t.loc);
    n->ival = t.ival;
    advance();
    return n;
  default:
    break;
  }
  if (accept("(")) {
    n = expr();
    expect(")");
    return n;
  }
  if (is("TRUE") || is("FALSE")) {
    n = node(NK::BoolLit, t.loc);
    n->ival = is("TRUE");
    advance();
    return n;
  }
  if (accept("NIL")) return node(NK::NilLit, t.loc);
  if (is("SELF") || is("ME")) {
    n = node(NK::SelfRef, t.loc);
    advance();
    return n;
  }
  if (accept("NEW")) {
    n = node(NK::New, t.loc);
    n->typeRef = type_name();
    if (accept("(")) expect(")");
    return n;
  }
  if (is("RAISEEVENT")) return raise_event();
  if (t.kind != TokKind::Word) expected("an expression");
  n = node(NK::Name, t.loc);
  n->text = name("an expression");
  return n;
}

} // namespace

void parse(const std::vector<Token> &tokens, Program &program) {
  Parser p{tokens, program};
  p.file();
}

} // namespace basc
