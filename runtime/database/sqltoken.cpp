// The SQL dialect's tokeniser and its name, number and keyword tests.
#include "database/sqltoken.h"
#include "dbengine/dbvalue.h"
#include <cstring>

namespace {

bool is_digit(uint8_t c) { return c >= '0' && c <= '9'; }
bool is_letter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Bytes that end a word besides those below '!'.
bool ends_word(uint8_t c) { return c < '!' || (c && strchr("(),.<=>", c)); }

SqlToken token(SqlTokenKind kind, const char *p, size_t n) {
  return SqlToken{kind, DbText{p, (uint32_t)n}};
}

// A quoted text: runs to the matching quote, a doubled quote standing for
// one. The inner text is copied only when it holds a doubled quote.
SqlToken lex_quoted(SqlLexer *lx) {
  char quote = *lx->p;
  const char *start = lx->p + 1, *q = start;
  size_t doubled = 0;
  for (;;) {
    if (q == lx->end) return lx->p = lx->end, token(kSqlBad, start - 1, q - start + 1);
    if (*q == quote) {
      if (q + 1 < lx->end && q[1] == quote) {
        doubled++;
        q += 2;
        continue;
      }
      break;
    }
    q++;
  }
  lx->p = q + 1;
  if (!doubled) return token(kSqlQuoted, start, q - start);
  char *out = (char *)sql_alloc(lx->arena, q - start - doubled);
  size_t n = 0;
  for (const char *s = start; s < q; s++) {
    out[n++] = *s;
    if (*s == quote) s++; /* skip the second of the pair */
  }
  return token(kSqlQuoted, out, n);
}

SqlToken lex_bracketed(SqlLexer *lx) {
  const char *start = lx->p + 1;
  const char *close = (const char *)memchr(start, ']', lx->end - start);
  if (!close) {
    SqlToken bad = token(kSqlBad, lx->p, lx->end - lx->p);
    lx->p = lx->end;
    return bad;
  }
  lx->p = close + 1;
  return token(kSqlBracketed, start, close - start);
}

} // namespace

void sql_lexer_init(SqlLexer *lx, DbText text, SqlArena *arena) {
  *lx = SqlLexer{text.bytes, text.bytes + text.length, arena};
}

SqlToken sql_lex(SqlLexer *lx) {
  while (lx->p < lx->end && (uint8_t)*lx->p < '!') lx->p++;
  const char *s = lx->p;
  if (s == lx->end) return token(kSqlEnd, s, 0);
  uint8_t c = *s;
  if (strchr("(),.=", c)) return lx->p++, token(kSqlPunct, s, 1);
  if (c == '<' || c == '>') {
    bool two = s + 1 < lx->end && (s[1] == '=' || (c == '<' && s[1] == '>'));
    lx->p += two ? 2 : 1;
    return token(kSqlPunct, s, two ? 2 : 1);
  }
  if (c == '\'' || c == '"') return lex_quoted(lx);
  if (c == '[') return lex_bracketed(lx);
  const char *q = s + 1;
  if (c == '-' || is_digit(c)) {
    while (q < lx->end && (is_digit(*q) || *q == '.')) q++;
    lx->p = q;
    return token(kSqlNumber, s, q - s);
  }
  while (q < lx->end && !ends_word(*q)) q++;
  lx->p = q;
  return token(kSqlWord, s, q - s);
}

bool sql_is_keyword(const SqlToken *t, const char *keyword) {
  return t->kind == kSqlWord && dbtext_equal_cstr_nocase(t->text, keyword);
}

bool sql_is_punct(const SqlToken *t, const char *punct) {
  size_t n = strlen(punct);
  return t->kind == kSqlPunct && t->text.length == n && memcmp(t->text.bytes, punct, n) == 0;
}

bool sql_is_identifier(DbText t) {
  if (t.length == 0) return false;
  uint8_t first = t.bytes[0];
  if (!is_letter(first) && first <= 128) return false;
  for (uint32_t i = 1; i < t.length; i++) {
    uint8_t c = t.bytes[i];
    if (!is_letter(c) && !is_digit(c) && c != ' ' && c != '#' && c != '_' && c < 129) return false;
  }
  return true;
}

bool sql_is_number(DbText t) {
  if (t.length == 0) return false;
  for (uint32_t i = 0; i < t.length; i++)
    if (!is_digit(t.bytes[i])) return false;
  return true;
}
