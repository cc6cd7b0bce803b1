// CREATE TABLE and ALTER TABLE ... ADD: column definitions with their type
// words, the primary key, and the engine's createTable and addColumn.
#include "database/sqlparse.h"
#include "dbengine/dbvalue.h"
#include <cstring>

namespace {

enum { kMaxKeyPosition = 255 }; // key positions travel as bytes

// An optional "(n)" after char, character or varchar.
bool type_size(SqlParse *p) {
  SqlToken t = sql_peek(p);
  if (!sql_is_punct(&t, "(")) return true;
  sql_take(p);
  SqlToken n = sql_take(p);
  if (n.kind != kSqlNumber || !sql_is_number(n.text))
    return sql_fail(p, kSqlErrorInvalid, "Invalid field constraint");
  return sql_expect_punct(p, ")", "Expecting ')'");
}

bool type_words(SqlParse *p, bool allowBoolean, DbType *type) {
  static const struct {
    const char *word;
    DbType type;
    bool sized;
  } kTypes[] = {
      {"smallint", kDbSmallInt, false}, {"integer", kDbInteger, false},
      {"char", kDbText, true},          {"character", kDbText, true},
      {"varchar", kDbText, true},       {"float", kDbFloat, false},
      {"double", kDbDouble, false},     {"date", kDbDate, false},
      {"time", kDbTime, false},         {"timestamp", kDbTimestamp, false},
  };
  SqlToken t = sql_take(p);
  for (const auto &k : kTypes)
    if (sql_is_keyword(&t, k.word)) return *type = k.type, !k.sized || type_size(p);
  if (allowBoolean && sql_is_keyword(&t, "boolean")) return *type = kDbBoolean, true;
  if (sql_is_keyword(&t, "long")) {
    SqlToken u = sql_take(p);
    if (sql_is_keyword(&u, "varchar")) return *type = kDbLongText, true;
    if (sql_is_keyword(&u, "varbinary")) return *type = kDbBinary, true;
  }
  return sql_fail(p, kSqlErrorSyntax, "Expecting field type");
}

// name type-words [NOT NULL]
bool column_def(SqlParse *p, bool allowBoolean, DbColumn *col) {
  if (!sql_take_name(p, &col->name, kSqlErrorInvalid, "Invalid column name")) return false;
  if (!type_words(p, allowBoolean, &col->type)) return false;
  col->nullable = 1;
  SqlToken t = sql_peek(p);
  if (!sql_is_keyword(&t, "not")) return true;
  sql_take(p);
  col->nullable = 0;
  return sql_expect_keyword(p, "null", "Expecting 'NULL'");
}

struct TableDef {
  DbColumn *columns;
  int32_t count, room;
  uint8_t *keys;
  int32_t keyCount, keyRoom;
};

template <class T> void grow(SqlParse *p, T **items, int32_t count, int32_t *room) {
  if (count < *room) return;
  int32_t more = *room ? *room * 2 : 16;
  T *grown = sql_new_array<T>(p->arena, more);
  if (count) memcpy(grown, *items, count * sizeof(T));
  *items = grown;
  *room = more;
}

// PRIMARY KEY ( column {, column} ) with PRIMARY already taken.
bool primary_key(SqlParse *p, TableDef *def) {
  if (!sql_expect_keyword(p, "key", "Expecting 'KEY'")) return false;
  if (!sql_expect_punct(p, "(", "Expecting '('")) return false;
  for (;;) {
    DbText name;
    if (!sql_take_name(p, &name, kSqlErrorInvalid, "Invalid column name")) return false;
    int32_t at = 0;
    while (at < def->count && !dbtext_equal_nocase(def->columns[at].name, name)) at++;
    if (at == def->count) return sql_fail(p, kSqlErrorInvalid, "Invalid column");
    if (at > kMaxKeyPosition) return sql_fail(p, kSqlErrorInvalid, "Too many columns");
    grow(p, &def->keys, def->keyCount, &def->keyRoom);
    def->keys[def->keyCount++] = (uint8_t)at;
    SqlToken t = sql_take(p);
    if (sql_is_punct(&t, ")")) return sql_expect_punct(p, ")", "Expecting ')'");
    if (!sql_is_punct(&t, ",")) return sql_fail(p, kSqlErrorSyntax, "Expecting ',' or ')'");
  }
}

// The column definitions and key up to the closing ')'.
bool table_body(SqlParse *p, TableDef *def) {
  for (;;) {
    SqlToken t = sql_peek(p);
    if (sql_is_punct(&t, ")") && def->count == 0) {
      sql_take(p);
      return sql_fail(p, kSqlErrorUnknownColumn,
                      "CREATE TABLE requires at least one column defined");
    }
    if (sql_is_keyword(&t, "primary") && def->count > 0) {
      sql_take(p);
      return primary_key(p, def);
    }
    grow(p, &def->columns, def->count, &def->room);
    if (!column_def(p, true, &def->columns[def->count])) return false;
    def->count++;
    t = sql_take(p);
    if (sql_is_punct(&t, ")")) return true;
    if (!sql_is_punct(&t, ",")) return sql_fail(p, kSqlErrorSyntax, "Expecting ',' or ')'");
  }
}

} // namespace

void sql_create_table(SqlParse *p) {
  DbText table;
  TableDef def = {};
  if (!sql_expect_keyword(p, "table", "Expecting 'TABLE'")) return;
  if (!sql_take_name(p, &table, kSqlErrorInvalid, "Invalid table name")) return;
  if (!sql_expect_punct(p, "(", "Expecting '('")) return;
  if (!table_body(p, &def) || !sql_expect_end(p)) return;
  DbEngine *e = p->engine;
  if (!sql_need(p, e->ops->createTable, "CREATE TABLE")) return;
  if (!e->ops->createTable(e, table, def.columns, def.count, def.keys, def.keyCount))
    sql_engine_failed(p);
}

void sql_alter_table(SqlParse *p) {
  DbText table;
  if (!sql_expect_keyword(p, "table", "Expecting 'TABLE'")) return;
  if (!sql_take_name(p, &table, kSqlErrorInvalid, "Invalid table name")) return;
  SqlToken t = sql_take(p);
  if (sql_is_keyword(&t, "drop")) {
    sql_fail(p, kSqlErrorDropColumn, "Dropping columns is not supported for this database");
    return;
  }
  if (!sql_is_keyword(&t, "add")) {
    sql_fail(p, kSqlErrorSyntax, "Expected 'ADD'");
    return;
  }
  t = sql_peek(p);
  if (sql_is_keyword(&t, "column")) sql_take(p);
  DbColumn col;
  if (!column_def(p, false, &col) || !sql_expect_end(p)) return;
  DbEngine *e = p->engine;
  if (!sql_need(p, e->ops->addColumn, "ALTER TABLE")) return;
  if (!e->ops->addColumn(e, table, &col)) sql_engine_failed(p);
}
