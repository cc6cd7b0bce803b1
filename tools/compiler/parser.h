// Internal to the parser: the Parser's state, its token helpers, and one
// method per grammar rule, shared by parse_decl.cpp, parse_stmt.cpp and
// parse_expr.cpp.
//
// The parser. The grammar, top down:
//   file       = { toplevel NL }
//   toplevel   = class | window | interface | module | routine | "Dim" global | const | project
//              | menubar | plugin
//   interface  = "Interface" name ["Inherits" name {"," name}] NL
//                { ("Sub" | "Function") name [params] ["As" type] NL } "End" "Interface"
//   class and window lines may end in "Implements" name {"," name}, and a member
//   may be such a line
//   module     = "Module" name NL { ("Dim" | "Property") global | const | routine NL } "End"
//   "Module" const      = "Const" name ["As" type] "=" literal class      = "Class" name
//   ["Inherits" name] NL { member NL } "End" "Class" window     = "Window" name ["Inherits" name]
//   NL { member | control | name "=" literal NL }
//                "End" "Window"
//   member     = ("Property" | "Dim") name [shape] "As" type | "Event" name params ["As" type] |
//                const |
//   routine routine    = ("Sub" | "Function" | "Handler" | "MenuHandler") name ["." name] params
//                ["As" type] NL block "End" kind
//   params     = "(" [param {"," param}] ")"
//   param      = ["ByRef" | "ByVal"] name ["(" {","} ")"] "As" type
//   control    = "Control" name ["(" int ")"] "As" name NL { name "=" literal NL } "End" "Control"
//   dim        = "Dim" name [shape] {"," name [shape]} "As" ["New"] type ["=" expr]
//   shape      = "(" [expr {"," expr}] ")";  redim = "Redim" name shape
//   statement  = dim | redim | const | if | select | for | while | do | exit | return | try | raise
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
#pragma once
#include "parse.h"
#include "names.h"
#include <algorithm>
#include <set>

namespace basc {

inline const std::set<std::string> kReserved = {
    "AND",     "AS",     "CASE",     "CATCH", "CLASS", "CONST",    "CONTROL",     "DIM",
    "DO",      "ELSE",   "ELSEIF",   "END",   "EXIT",  "FALSE",    "FOR",         "FUNCTION",
    "HANDLER", "IF",     "INHERITS", "ISA",   "LOOP",  "ME",       "MENUHANDLER", "MOD",
    "NEW",     "NEXT",   "NIL",      "NOT",   "OR",    "PROPERTY", "RAISE",       "RAISEEVENT",
    "REDIM",   "RETURN", "SELECT",   "SELF",  "STEP",  "SUB",      "THEN",        "TO",
    "TRUE",    "TRY",    "UNTIL",    "WEND",  "WHILE", "XOR",
};

const int kMaxDepth = 200;   /* nesting of blocks and parenthesised or unary expressions */
const int kMaxHeight = 1000; /* an expression tree's height: long operator chains too */

// A block the parser is inside: what opened it, where, and what closes it.
struct Opened {
  std::string what; // "If", "For", "Sub" ...
  Loc loc;
  std::string closer; // "End If", "Next" ...
};

struct Parser {
  TokenStream &toks;
  Program &prog;
  size_t pos = 0;
  size_t statementStart = 0; // the first token of the statement before this one
  int depth = 0;
  std::vector<Opened> opened{}; // innermost last

  const Token &tok() const { return toks.at(pos); }
  const Token &next() const { return toks.at(pos + 1); }
  bool at_end() const { return tok().kind == TokKind::End; }
  bool is(const char *word) const {
    return (tok().kind == TokKind::Word || tok().kind == TokKind::Punct) && tok().upper == word;
  }
  bool is_nl() const { return tok().kind == TokKind::Newline || at_end(); }
  // At each line end the tokens before the previous statement are let go:
  // what the parser looks back at lies within the last two statements.
  void advance() {
    if (at_end()) return;
    if (tok().kind == TokKind::Newline) {
      toks.forget_before(statementStart);
      statementStart = pos + 1;
    }
    pos++;
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
  // Skips blank lines, then whether "End closer" ends the block here; the
  // source ending first is the error `missing`, at the block's start.
  bool block_ends(Loc start, const char *closer, const std::string &missing) {
    skip_nl();
    if (at_end()) error_at(start, missing);
    if (!accept("END")) return false;
    expect(closer);
    return true;
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
      if (++p.depth > kMaxDepth)
        error_at(p.tok().loc,
                 "nesting is too deep (limit " + std::to_string(kMaxDepth) +
                     " blocks, parentheses and unary operators in all); move inner parts into "
                     "a Function or a variable");
    }
    ~Deeper() { p.depth--; }
  };
  // Keeps a block on `opened` while its statements are parsed.
  struct Opening {
    Parser &p;
    Opening(Parser &p, std::string what, Loc loc, std::string closer) : p(p) {
      p.opened.push_back({std::move(what), loc, std::move(closer)});
    }
    ~Opening() { p.opened.pop_back(); }
  };
  [[noreturn]] void unclosed(Loc at, const std::string &found, const std::string &opener);
  void close_block(const char *word);
  bool at_closer() const;
  void no_double_equals(Loc at);
  std::string spelled(size_t from) const;
  // The height of an expression tree is kept under kMaxHeight so that the
  // passes after the parser, which recurse over it, stay within their stack.
  void grown(Node &n, const Node *a, const Node *b = nullptr) {
    n.height = 1 + std::max(a ? a->height : 0, b ? b->height : 0);
    if (n.height > kMaxHeight)
      error_at(n.loc, "expression nested too deeply (limit " + std::to_string(kMaxHeight) +
                          " operators in a chain); split it with a variable");
  }

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
  void module_decl();
  void interface_decl();
  void type_list(std::vector<TypeRef> &out);
  void refuse_shared();
  ConstDecl const_decl();
  void project();
  void menu_bar();
  MenuEntry menu_entry(bool topLevel);
  void plugin();
  void database();
  void media_item();
  void object_item();
  size_t item_global(const std::string &itemName, const TypeRef &type, Loc loc);

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
  ArrayShape array_shape();
  std::unique_ptr<Stmt> redim_stmt();
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
    grown(*n, l.get(), r.get());
    n->lhs = std::move(l);
    n->rhs = std::move(r);
    return n;
  }
};

} // namespace basc
