// A parsed and validated SELECT, and the cursors that run it: the joining
// cursor over the tables, the sorting cursor and the aggregating cursor.
#pragma once
#include "database/sqlparse.h"

enum SqlAggregate : uint8_t {
  kSqlPlain = 0,
  kSqlCount = 1,
  kSqlAvg = 2,
  kSqlSum = 3,
  kSqlMin = 4,
  kSqlMax = 5,
};

// One result column. Visible items come first, then the hidden ones that
// ORDER BY or GROUP BY added.
struct SqlItem {
  SqlAggregate aggregate;
  uint8_t star;     // `*` or `table.*` before expansion
  DbText table;     // as written; empty when not written
  DbText column;    // as written; empty for count(*)
  DbText name;      // the result column's name
  DbType type;      // the result column's type
  int32_t source;   // the index of its table in the FROM list; -1 for count(*)
  DbType fieldType; // the column's type in its table
};

struct SqlSortKey {
  int32_t column; // index into the items
  uint8_t descending;
};

struct SqlQuery {
  SqlArena arena; // owns every text and node below
  DbEngine *engine;
  SqlItem *items;
  int32_t itemCount, itemRoom;
  int32_t visibleCount; // items before the hidden ones
  DbText *tables;
  int32_t tableCount, tableRoom;
  DbCondition *where;
  DbCondition **tableWhere; // per table: the terms only it needs (or nil)
  DbCondition *joinWhere;   // the terms the joined row is tested against
  SqlSortKey *keys;
  int32_t keyCount, keyRoom;
  int32_t groupItem; // the GROUP BY column's item, -1 without one
  bool aggregates;   // some visible item is an aggregate
};

// Parses the SELECT into q (whose arena is initialised) and validates it
// against the tables' schemas. False with the error set on failure.
bool sql_query_parse(SqlParse *p, SqlQuery *q);
bool sql_query_validate(SqlParse *p, SqlQuery *q);
void sql_query_free(SqlQuery *q); // frees q itself

// Every cursor of the layer starts with this: its routine table (filled per
// cursor, nil where the input cannot offer a routine) and its query.
struct SqlCursorHead {
  DbCursor base;
  DbCursorOps ops;
  SqlQuery *q;
  bool ownsQuery; // the last cursor of the chain frees the query
};
void sql_head_close(SqlCursorHead *h);

// The cursors of a query. Each takes its input cursor's place: when the
// returned cursor closes, it closes the input too. The last cursor of the
// chain owns q (final), freeing it on close.
DbCursor *sql_join_open(SqlParse *p, SqlQuery *q);
DbCursor *sql_sort_open(SqlParse *p, SqlQuery *q, DbCursor *input);
DbCursor *sql_group_open(SqlParse *p, SqlQuery *q, DbCursor *input);
void sql_cursor_set_final(DbCursor *c); // this cursor frees the query on close

// The statement-in-progress guard: the sort runs the background hook through
// this so that statements issued from it are refused.
void sql_run_background(void);
const SqlTempFileOps *sql_temp_files(void **context);
