// The parsers' shared state: the token stream with one token of lookahead,
// the first error of the statement, bound parameter values, and the rules
// every statement shares (names, values, WHERE conditions, the end).
#pragma once
#include "database/sql.h"
#include "database/sqltoken.h"

struct SqlParse {
  SqlLexer lx;
  SqlToken ahead; // a token pushed back, when hasAhead
  bool hasAhead;
  SqlArena *arena;
  SqlError *err;
  DbEngine *engine;
  const DbValue *params; // values for ? in value positions
  int32_t paramCount;
  int32_t paramNext;
  int32_t comparisons; // in the WHERE so far
};

void sql_parse_init(SqlParse *p, DbEngine *e, DbText statement, SqlArena *arena, SqlError *err);

// Errors: the first one of a statement is kept. Each returns false so that
// a parser can `return sql_fail(...)`.
bool sql_fail(SqlParse *p, int32_t code, const char *message);
bool sql_fail_name(SqlParse *p, int32_t code, const char *message, DbText name,
                   const char *after = "");
void sql_error_set(SqlError *err, int32_t code, DbText a, DbText b = DbText{nullptr, 0},
                   DbText c = DbText{nullptr, 0}, DbText d = DbText{nullptr, 0});
bool sql_failed(const SqlParse *p);

// After an engine operation failed: its code and message become the error.
void sql_engine_failed(SqlParse *p);
// The engine lacks an operation the statement needs (what names it).
bool sql_need(SqlParse *p, bool present, const char *what);

SqlToken sql_take(SqlParse *p);
SqlToken sql_peek(SqlParse *p);
void sql_push_back(SqlParse *p, SqlToken t);

// Takes the next token and checks that it is punct or keyword; otherwise
// fails with code 200 and message.
bool sql_expect_punct(SqlParse *p, const char *punct, const char *message);
bool sql_expect_keyword(SqlParse *p, const char *keyword, const char *message);
// Nothing may follow a complete statement.
bool sql_expect_end(SqlParse *p);

// A name token (a word or a bracketed name) that passes the identifier test.
bool sql_take_name(SqlParse *p, DbText *name, int32_t code, const char *message);

// A value for INSERT or SET: a quoted text, a number, a word, or ? taking the
// next bound parameter. quoted is set for quoted texts and parameters (so an
// unquoted NULL alone means NULL).
bool sql_parse_value(SqlParse *p, DbText *value, uint8_t *quoted);

// A WHERE condition; AND binds tighter than OR, and each run of one operator
// is built right-recursively. Nil with the error set on failure.
DbCondition *sql_parse_condition(SqlParse *p);

// The statement parsers, each called after its first word was taken.
void sql_create_table(SqlParse *p);
void sql_alter_table(SqlParse *p);
void sql_insert(SqlParse *p);
void sql_update(SqlParse *p);
void sql_delete(SqlParse *p);
