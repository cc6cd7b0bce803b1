// Expressions: one function per precedence level, from Or down to the
// primary, and the argument lists of calls.
#include "parser.h"

namespace basc {

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
  grown(*n, n->lhs.get());
  return n;
}

NodeP Parser::compare() {
  NodeP n = concat();
  for (;;) {
    Loc at = tok().loc;
    if (accept("ISA")) {
      NodeP isa = node(NK::IsA, at);
      grown(*isa, n.get());
      isa->lhs = std::move(n);
      isa->typeRef = std::make_unique<TypeRef>(type_name());
      n = std::move(isa);
      continue;
    }
    if (!(is("=") || is("<>") || is("<") || is(">") || is("<=") || is(">="))) return n;
    std::string op = tok().upper;
    advance();
    if (op == "=") no_double_equals(at);
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
  grown(*n, operand.get());
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
  grown(*n, n->lhs.get());
  return n;
}

NodeP Parser::postfix() {
  NodeP n = primary();
  for (;;) {
    Loc at = tok().loc;
    if (accept(".")) {
      NodeP m = node(NK::Member, at);
      grown(*m, n.get());
      m->lhs = std::move(n);
      if (tok().kind != TokKind::Word) expected("a member name after '.'");
      m->text = tok().text;
      advance();
      n = std::move(m);
    } else if (is("(")) {
      NodeP c = node(NK::Call, at);
      c->lhs = std::move(n);
      args(*c);
      const Node *tallest = c->lhs.get();
      for (auto &a : c->args)
        if (a->height > tallest->height) tallest = a.get();
      grown(*c, tallest);
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
  const Token &t = tok(); /* "(" nests through expr(), which counts the depth */
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
    n->typeRef = std::make_unique<TypeRef>(type_name());
    if (accept("(")) expect(")");
    return n;
  }
  if (is("RAISEEVENT")) return raise_event();
  if (t.kind != TokKind::Word) expected("an expression");
  n = node(NK::Name, t.loc);
  n->text = name("an expression");
  return n;
}

} // namespace basc
