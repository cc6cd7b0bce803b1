// The parsers' shared rules: the token stream, the statement's first error,
// names, values with bound parameters, and WHERE conditions.
#include "database/sqlparse.h"
#include "dbengine/dbvalue.h"
#include <cstdlib>
#include <cstring>

namespace {

DbText cstr(const char *s) { return dbtext_cstr(s); }

} // namespace

void sql_error_init(SqlError *err) { *err = SqlError{0, nullptr, 0}; }

void sql_error_clear(SqlError *err) {
  free(err->message);
  sql_error_init(err);
}

void sql_error_set(SqlError *err, int32_t code, DbText a, DbText b, DbText c, DbText d) {
  sql_error_clear(err);
  DbText parts[4] = {a, b, c, d};
  size_t n = 0;
  for (DbText t : parts) n += t.length;
  char *m = (char *)malloc(n + 1);
  if (!m) abort(); // out of memory: nothing sensible is left to do
  size_t at = 0;
  for (DbText t : parts) {
    if (t.length) memcpy(m + at, t.bytes, t.length);
    at += t.length;
  }
  m[n] = 0;
  *err = SqlError{code, m, (uint32_t)n};
}

void sql_parse_init(SqlParse *p, DbEngine *e, DbText statement, SqlArena *arena, SqlError *err) {
  *p = SqlParse{};
  sql_lexer_init(&p->lx, statement, arena);
  p->arena = arena;
  p->err = err;
  p->engine = e;
}

bool sql_failed(const SqlParse *p) { return p->err->code != 0; }

bool sql_fail(SqlParse *p, int32_t code, const char *message) {
  if (!sql_failed(p)) sql_error_set(p->err, code, cstr(message));
  return false;
}

bool sql_fail_name(SqlParse *p, int32_t code, const char *message, DbText name, const char *after) {
  if (!sql_failed(p)) sql_error_set(p->err, code, cstr(message), name, cstr(after));
  return false;
}

void sql_engine_failed(SqlParse *p) {
  DbEngine *e = p->engine;
  int32_t code = e->ops->errorCode ? e->ops->errorCode(e) : 0;
  DbText message = e->ops->errorMessage ? e->ops->errorMessage(e) : DbText{nullptr, 0};
  if (message.length == 0) message = cstr("The database engine reported a failure");
  if (!sql_failed(p)) sql_error_set(p->err, code ? code : kSqlErrorEngine, message);
}

bool sql_need(SqlParse *p, bool present, const char *what) {
  if (present) return true;
  return sql_fail_name(p, kSqlErrorUnsupported, "This database does not support ", cstr(what));
}

SqlToken sql_take(SqlParse *p) {
  if (p->hasAhead) {
    p->hasAhead = false;
    return p->ahead;
  }
  SqlToken t = sql_lex(&p->lx);
  if (t.kind == kSqlBad)
    sql_fail(p, kSqlErrorSyntax, t.text.bytes[0] == '[' ? "Expecting ']'" : "Unterminated quote");
  return t;
}

SqlToken sql_peek(SqlParse *p) {
  SqlToken t = sql_take(p);
  sql_push_back(p, t);
  return t;
}

void sql_push_back(SqlParse *p, SqlToken t) {
  p->ahead = t;
  p->hasAhead = true;
}

bool sql_expect_punct(SqlParse *p, const char *punct, const char *message) {
  SqlToken t = sql_take(p);
  return sql_is_punct(&t, punct) || sql_fail(p, kSqlErrorSyntax, message);
}

bool sql_expect_keyword(SqlParse *p, const char *keyword, const char *message) {
  SqlToken t = sql_take(p);
  return sql_is_keyword(&t, keyword) || sql_fail(p, kSqlErrorSyntax, message);
}

bool sql_expect_end(SqlParse *p) {
  SqlToken t = sql_take(p);
  if (t.kind == kSqlEnd) return true;
  return sql_fail_name(p, kSqlErrorSyntax, "Unexpected text after the statement: ", t.text);
}

bool sql_take_name(SqlParse *p, DbText *name, int32_t code, const char *message) {
  SqlToken t = sql_take(p);
  bool ok = (t.kind == kSqlWord || t.kind == kSqlBracketed) && sql_is_identifier(t.text);
  if (!ok) return sql_fail(p, code, message);
  *name = t.text;
  return true;
}

// ? takes the next bound value, written as text so that it is never read as
// SQL; a NULL value becomes the unquoted word NULL.
static bool take_param(SqlParse *p, DbText *value, uint8_t *quoted) {
  if (p->paramNext >= p->paramCount)
    return sql_fail(p, kSqlErrorMismatch, "Not enough parameter values");
  const DbValue *v = &p->params[p->paramNext++];
  *quoted = v->type != kDbNull;
  if (v->type == kDbNull) return *value = cstr("NULL"), true;
  if (dbtype_class(v->type) == kDbClassText) return *value = v->text, true;
  char buf[kDbValueTextMax];
  *value = sql_copy(p->arena, DbText{buf, dbvalue_format(v, buf, sizeof buf)});
  return true;
}

static bool is_param(const SqlToken *t) {
  return t->kind == kSqlWord && t->text.length == 1 && t->text.bytes[0] == '?';
}

bool sql_parse_value(SqlParse *p, DbText *value, uint8_t *quoted) {
  SqlToken t = sql_take(p);
  if (is_param(&t)) return take_param(p, value, quoted);
  if (t.kind != kSqlQuoted && t.kind != kSqlNumber && t.kind != kSqlWord)
    return sql_fail(p, kSqlErrorSyntax, "Expecting a value");
  *value = t.text;
  *quoted = t.kind == kSqlQuoted;
  return true;
}

// column-ref: name or table . name.
static bool column_ref(SqlParse *p, DbText *table, DbText *column) {
  const char *bad = "Invalid column/table identifier";
  if (!sql_take_name(p, column, kSqlErrorInvalid, bad)) return false;
  *table = DbText{"", 0};
  SqlToken t = sql_peek(p);
  if (!sql_is_punct(&t, ".")) return true;
  sql_take(p);
  *table = *column;
  return sql_take_name(p, column, kSqlErrorInvalid, bad);
}

static bool comparison_operator(SqlParse *p, DbOperator *op) {
  static const struct {
    const char *punct;
    DbOperator op;
  } kPuncts[] = {{"=", kDbEqual},           {"<", kDbLess},
                 {">", kDbGreater},         {"<=", kDbLessOrEqual},
                 {">=", kDbGreaterOrEqual}, {"<>", kDbNotEqual}};
  SqlToken t = sql_take(p);
  for (const auto &k : kPuncts)
    if (sql_is_punct(&t, k.punct)) return *op = k.op, true;
  if (sql_is_keyword(&t, "like")) return *op = kDbLike, true;
  if (sql_is_keyword(&t, "not")) {
    *op = kDbNotLike;
    return sql_expect_keyword(p, "like", "Expecting 'LIKE'");
  }
  if (sql_is_keyword(&t, "is")) {
    SqlToken u = sql_take(p);
    *op = kDbIsNull;
    if (sql_is_keyword(&u, "not")) *op = kDbIsNotNull, u = sql_take(p);
    return sql_is_keyword(&u, "null") || sql_fail(p, kSqlErrorSyntax, "Expecting 'NULL'");
  }
  return sql_fail_name(p, kSqlErrorInvalid, "Invalid operator ", t.text);
}

// The right-hand side: a quoted text, a parameter, a number, or a name
// (taken as a column, optionally table . column).
static bool right_side(SqlParse *p, DbCondition *c) {
  SqlToken t = sql_take(p);
  uint8_t quoted = t.kind == kSqlQuoted;
  if (is_param(&t)) {
    if (!take_param(p, &c->right, &quoted)) return false;
  } else if (t.kind == kSqlQuoted || t.kind == kSqlNumber || t.kind == kSqlWord ||
             t.kind == kSqlBracketed) {
    c->right = t.text;
  } else {
    return sql_fail(p, kSqlErrorSyntax, "Expecting a value");
  }
  if ((c->op == kDbLike || c->op == kDbNotLike) && !quoted)
    return sql_fail(p, kSqlErrorInvalid, "Quotes expected after LIKE operation");
  if (quoted || t.kind == kSqlNumber || !sql_is_identifier(t.text)) return true;
  c->rightIsColumn = 1;
  SqlToken dot = sql_peek(p);
  if (!sql_is_punct(&dot, ".")) return true;
  sql_take(p);
  c->rightTable = c->right;
  return sql_take_name(p, &c->right, kSqlErrorInvalid, "Invalid column/table identifier");
}

// [upper ( | lower (] column-ref [)] operator right-hand-side
static DbCondition *comparison(SqlParse *p) {
  if (++p->comparisons > kSqlMaxComparisons) {
    sql_fail(p, kSqlErrorInvalid, "Too many comparisons in the condition");
    return nullptr;
  }
  DbCondition *c = sql_new<DbCondition>(p->arena);
  SqlToken t = sql_peek(p);
  bool upper = sql_is_keyword(&t, "upper"), lower = sql_is_keyword(&t, "lower");
  if (upper || lower) {
    sql_take(p);
    c->function = upper ? kDbUpper : kDbLower;
    if (!sql_expect_punct(p, "(", "Expected '('")) return nullptr;
  }
  if (!column_ref(p, &c->table, &c->column)) return nullptr;
  if (c->function != kDbNoFunction && !sql_expect_punct(p, ")", "Expected ')'")) return nullptr;
  DbOperator op = kDbEqual;
  if (!comparison_operator(p, &op)) return nullptr;
  c->op = op;
  if (op == kDbIsNull || op == kDbIsNotNull) return c;
  return right_side(p, c) ? c : nullptr;
}

// A run of terms joined by one operator, built right-recursively:
// a op b op c is op(a, op(b, c)). Built from the end, so no recursion.
static DbCondition *chain(SqlParse *p, DbCondition **terms, size_t n, DbOperator op) {
  DbCondition *tree = terms[n - 1];
  for (size_t i = n - 1; i-- > 0;) {
    DbCondition *node = sql_new<DbCondition>(p->arena);
    node->op = op;
    node->left = terms[i];
    node->rightChild = tree;
    tree = node;
  }
  return tree;
}

// Grows an arena array of terms, doubling its room.
static DbCondition **push_term(SqlParse *p, DbCondition **terms, size_t n, size_t *room,
                               DbCondition *term) {
  if (n == *room) {
    size_t more = *room ? *room * 2 : 8;
    DbCondition **grown = sql_new_array<DbCondition *>(p->arena, more);
    if (n) memcpy(grown, terms, n * sizeof *terms);
    terms = grown;
    *room = more;
  }
  terms[n] = term;
  return terms;
}

// Terms read by term, joined by keyword into op's chain.
static DbCondition *joined(SqlParse *p, DbCondition *(*term)(SqlParse *), const char *keyword,
                           DbOperator op) {
  DbCondition **terms = nullptr;
  size_t n = 0, room = 0;
  for (;;) {
    DbCondition *c = term(p);
    if (!c) return nullptr;
    terms = push_term(p, terms, n++, &room, c);
    SqlToken t = sql_peek(p);
    if (!sql_is_keyword(&t, keyword)) break;
    sql_take(p);
  }
  return chain(p, terms, n, op);
}

// AND terms of one OR operand.
static DbCondition *and_terms(SqlParse *p) { return joined(p, comparison, "and", kDbAnd); }

DbCondition *sql_parse_condition(SqlParse *p) { return joined(p, and_terms, "or", kDbOr); }
