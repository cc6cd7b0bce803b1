// Statements: blocks and the statement rules, from Dim to the assignment
// and the call without parentheses.
#include "parser.h"

namespace basc {

// ---- statements ----

namespace {

// The block a closing word ends ("For" for Next, "If" for End If), or ""
// when the words close nothing. `second` is the word after End.
std::string block_closed_by(const std::string &word, const std::string &second) {
  static const std::pair<const char *, const char *> single[] = {
      {"NEXT", "For"},  {"WEND", "While"},  {"LOOP", "Do"},  {"ELSE", "If"},
      {"ELSEIF", "If"}, {"CASE", "Select"}, {"CATCH", "Try"}};
  static const std::pair<const char *, const char *> ended[] = {{"IF", "If"},
                                                                {"SELECT", "Select"},
                                                                {"TRY", "Try"},
                                                                {"SUB", "Sub"},
                                                                {"FUNCTION", "Function"},
                                                                {"HANDLER", "Handler"},
                                                                {"MENUHANDLER", "MenuHandler"},
                                                                {"CLASS", "Class"},
                                                                {"WINDOW", "Window"},
                                                                {"MODULE", "Module"},
                                                                {"CONTROL", "Control"},
                                                                {"PROJECT", "Project"},
                                                                {"MENUBAR", "MenuBar"},
                                                                {"MENU", "Menu"}};
  if (word == "END") {
    for (auto &[w, block] : ended)
      if (second == w) return block;
    return "";
  }
  for (auto &[w, block] : single)
    if (word == w) return block;
  return "";
}

// A routine, class or other declaration: statements never contain one, so
// its end inside a statement block means that block was left open.
bool is_declaration(const std::string &block) {
  for (const char *d : {"Sub", "Function", "Handler", "MenuHandler", "Class", "Window", "Module",
                        "Control", "Project", "MenuBar", "Menu"})
    if (block == d) return true;
  return false;
}

std::string with_article(const std::string &word) {
  return (std::string("AEIOU").find(word[0]) != std::string::npos ? "an " : "a ") + word;
}

} // namespace

// The innermost open block lacks its closer: `found` (a closing word of
// the block `block`, or "" at the end of the file) came first.
void Parser::unclosed(Loc at, const std::string &found, const std::string &block) {
  bool outer = is_declaration(block);
  for (size_t i = 0; i + 1 < opened.size(); i++) outer |= opened[i].what == block;
  if (opened.empty() || (!found.empty() && !outer))
    error_at(at, "'" + found + "' without " + with_article(block));
  const Opened &inner = opened.back();
  std::string missing = "missing '" + inner.closer + "' for the " + inner.what + " on line " +
                        std::to_string(inner.loc.line);
  if (found.empty()) error_at(at, missing + " before the end of the file");
  error_at(at, missing + " before '" + found + "'");
}

bool Parser::at_closer() const {
  return tok().kind == TokKind::Word && !block_closed_by(tok().upper, next().upper).empty();
}

// After a block that stopped at End: End `word`, or the diagnosis of a
// block left open.
void Parser::close_block(const char *word) {
  Loc at = tok().loc;
  std::string end = tok().text;
  expect("END");
  if (accept(word)) return;
  std::string block = block_closed_by("END", tok().upper);
  if (!block.empty()) unclosed(at, end + " " + tok().text, block);
  expected(std::string("'") + word + "'");
}

// "==" is no operator of the language: the comparison is a single "=".
void Parser::no_double_equals(Loc at) {
  if (is("=")) error_at(at, "'==' is not an operator; compare with a single '=' (If a = b Then)");
}

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
    if (at_end()) unclosed(tok().loc, "", "");
    if (at_block_end(enders)) return b;
    if (at_closer()) {
      std::string found = tok().text;
      if (is("END")) found += " " + next().text;
      unclosed(tok().loc, found, block_closed_by(tok().upper, next().upper));
    }
    b.push_back(statement());
    expect_nl();
  }
}

// "Then" ends the condition of an If or ElseIf.
static void then_after_condition(Parser &p) {
  if (p.accept("THEN")) return;
  if (p.is_nl()) error_at(p.tok().loc, "missing 'Then' after the condition (If condition Then)");
  p.expected("'Then' after the condition");
}

std::unique_ptr<Stmt> Parser::statement() {
  if (is("DIM")) return dim_stmt();
  if (is("REDIM")) return redim_stmt();
  if (is("CONST")) {
    auto s = stmt(SK::Const);
    ConstDecl c = const_decl();
    s->names.push_back({c.name, c.loc, {}, {}});
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

// "(" [expr {"," expr}] ")" after a name: the upper bounds of an array.
ArrayShape Parser::array_shape() {
  ArrayShape shape;
  shape.present = true;
  shape.loc = tok().loc;
  expect("(");
  if (accept(")")) return shape;
  do shape.uppers.push_back(expr());
  while (accept(","));
  expect(")");
  return shape;
}

// The tokens from `from` up to the current one, written out again for a
// diagnostic that quotes the source.
std::string Parser::spelled(size_t from) const {
  std::string text;
  for (size_t i = from; i < pos; i++) {
    const Token &t = toks.at(i);
    bool tight =
        t.text == "(" || t.text == ")" || t.text == "," || (i > from && toks.at(i - 1).text == "(");
    if (i > from && !tight) text += ' ';
    text += t.kind == TokKind::Str ? "\"" + t.text + "\"" : t.text;
  }
  return text;
}

std::unique_ptr<Stmt> Parser::dim_stmt() {
  auto s = stmt(SK::Dim);
  size_t start = pos;
  advance();
  do {
    DimName &d = s->names.emplace_back();
    d.loc = tok().loc;
    d.name = name("a variable name");
    if (is("(")) d.shape = array_shape();
  } while (accept(","));
  if (!is("AS")) { /* the type is missing, or its As */
    std::string dim = spelled(start);
    if (tok().kind == TokKind::Word && !kReserved.count(tok().upper))
      error_at(tok().loc, "`" + dim + " " + tok().text + "`: the type needs As before it \u2014 `" +
                              dim + " As " + tok().text + "`");
    bool array = std::any_of(s->names.begin(), s->names.end(),
                             [](const DimName &d) { return d.shape.present; });
    error_at(tok().loc, "`" + dim + "`: " + (array ? "arrays need" : "a variable needs") +
                            " a type \u2014 `" + dim + " As Integer`");
  }
  advance();
  s->dimNew = accept("NEW");
  s->typeRef = type_name();
  if (s->dimNew && is("(")) {
    expect("(");
    expect(")");
  }
  if (accept("=")) {
    if (s->dimNew) error_at(s->loc, "a Dim with As New takes no initial value");
    for (const DimName &d : s->names)
      if (d.shape.present) error_at(tok().loc, "an array takes no initial value");
    s->value = expr();
  }
  return s;
}

// "Redim" name "(" expr {"," expr} ")"
std::unique_ptr<Stmt> Parser::redim_stmt() {
  auto s = stmt(SK::Redim);
  advance();
  s->target = node(NK::Name, tok().loc);
  s->target->text = name("an array name");
  s->names.push_back({s->target->text, s->target->loc, array_shape(), {}});
  if (s->names[0].shape.uppers.empty()) expected("the new upper bounds");
  return s;
}

std::unique_ptr<Stmt> Parser::if_stmt() {
  auto s = stmt(SK::If);
  advance();
  s->value = expr();
  then_after_condition(*this);
  if (!is_nl()) { /* the one-line form: If c Then statement [Else statement] */
    s->body.push_back(statement());
    if (accept("ELSE")) s->elseBody.push_back(statement());
    return s;
  }
  Opening open(*this, "If", s->loc, "End If");
  s->body = block({"ELSEIF", "ELSE", "END"});
  while (accept("ELSEIF")) {
    NodeP c = expr();
    then_after_condition(*this);
    expect_nl();
    s->elseIfs.emplace_back(std::move(c), block({"ELSEIF", "ELSE", "END"}));
  }
  if (accept("ELSE")) {
    expect_nl();
    s->elseBody = block({"END"});
  }
  close_block("IF");
  return s;
}

std::unique_ptr<Stmt> Parser::select_stmt() {
  auto s = stmt(SK::Select);
  advance();
  expect("CASE");
  s->value = expr();
  expect_nl();
  skip_nl();
  Opening open(*this, "Select", s->loc, "End Select");
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
  if (at_end()) unclosed(tok().loc, "", "");
  if (!is("END")) expected("'Case' or 'End Select'");
  close_block("SELECT");
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
  Opening open(*this, "For", s->loc, "Next");
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
  Opening open(*this, "While", s->loc, "Wend");
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
  Opening open(*this, "Do", s->loc, "Loop");
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
  Opening open(*this, "Try", s->loc, "End Try");
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
  close_block("TRY");
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
  TokKind k = tok().kind;
  if (k == TokKind::Int || k == TokKind::Real || k == TokKind::Str || k == TokKind::Color)
    error_at(at, "a value alone is not a statement; assign it to something (x = ...) or pass it "
                 "to a method");
  if (k != TokKind::Word && !is("(")) expected("a statement");
  NodeP e = postfix();
  for (const char *op : {"+", "*", "/", "\\", "^", "&", "<", ">", "<=", ">=", "<>", "MOD", "AND",
                         "OR", "XOR", "ISA"})
    if (is(op))
      error_at(at, "this line computes a value and does nothing with it; assign it to something "
                   "(x = ...) or call a method");
  Loc equals = tok().loc;
  if (accept("=")) {
    no_double_equals(equals);
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

} // namespace basc
