// The SQL dialect's tokens: one call takes the next token off the front of
// the remaining text; the tests for identifiers, numbers and keywords.
#pragma once
#include "dbengine/dbapi.h"
#include "database/sqlarena.h"

enum SqlTokenKind : uint8_t {
  kSqlEnd = 0,       // no text left
  kSqlPunct = 1,     // ( ) , . = < > <= >= <>
  kSqlQuoted = 2,    // '...' or "...": text holds the inner text, doubled quotes collapsed
  kSqlBracketed = 3, // [...]: text holds the inner text; never a keyword
  kSqlNumber = 4,    // - or a digit, then digits and points
  kSqlWord = 5,      // anything else
  kSqlBad = 6,       // an unterminated quote or bracket
};

struct SqlToken {
  SqlTokenKind kind;
  DbText text;
};

struct SqlLexer {
  const char *p; // the remaining text
  const char *end;
  SqlArena *arena; // room for quoted texts whose doubled quotes are collapsed
};

void sql_lexer_init(SqlLexer *lx, DbText text, SqlArena *arena);
SqlToken sql_lex(SqlLexer *lx);

// The word is this keyword, compared without regard to case (quoted and
// bracketed tokens are never keywords).
bool sql_is_keyword(const SqlToken *t, const char *keyword);
bool sql_is_punct(const SqlToken *t, const char *punct);

// A name: a letter or a byte above 128 first, then letters, digits, spaces,
// '#', '_' or bytes from 129 up.
bool sql_is_identifier(DbText t);
// A size or index: one or more digits only.
bool sql_is_number(DbText t);
