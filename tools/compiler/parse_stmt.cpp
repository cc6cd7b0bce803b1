// Statements: blocks and the statement rules, from Dim to the assignment
// and the call without parentheses.
#include "parser.h"

namespace basc {

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
  if (is("REDIM")) return redim_stmt();
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

std::unique_ptr<Stmt> Parser::dim_stmt() {
  auto s = stmt(SK::Dim);
  advance();
  do {
    s->names.push_back(name("a variable name"));
    s->shapes.push_back(is("(") ? array_shape() : ArrayShape{});
  } while (accept(","));
  expect("AS");
  s->dimNew = accept("NEW");
  s->typeRef = type_name();
  if (s->dimNew && is("(")) {
    expect("(");
    expect(")");
  }
  if (accept("=")) {
    if (s->dimNew) error_at(s->loc, "a Dim with As New takes no initial value");
    for (const ArrayShape &shape : s->shapes)
      if (shape.present) error_at(tok().loc, "an array takes no initial value");
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
  s->shapes.push_back(array_shape());
  if (s->shapes[0].uppers.empty()) expected("the new upper bounds");
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

} // namespace basc
