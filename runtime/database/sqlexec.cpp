// The SQL layer's entry points: the common start of every statement, the
// dispatch on the first word, SELECT's chain of cursors, and the hooks the
// runtime supplies (the background task, temporary files).
#include "database/sqlquery.h"
#include "dbengine/dbvalue.h"
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

SqlHooks g_hooks;
bool g_inBackground; // the background task is running: statements are refused

void *stdio_open(void *) { return tmpfile(); }

int32_t stdio_append(void *file, const void *bytes, uint32_t n) {
  FILE *f = (FILE *)file;
  return fseek(f, 0, SEEK_END) == 0 && fwrite(bytes, 1, n, f) == n;
}

int32_t stdio_read_at(void *file, uint64_t at, void *bytes, uint32_t n) {
  FILE *f = (FILE *)file;
  if (at > (uint64_t)LONG_MAX) return 0;
  return fseek(f, (long)at, SEEK_SET) == 0 && fread(bytes, 1, n, f) == n;
}

void stdio_close(void *file) { fclose((FILE *)file); } // tmpfile() files delete themselves

const SqlTempFileOps kStdioFiles = {stdio_open, stdio_append, stdio_read_at, stdio_close};

// Clears the error, refuses a statement issued from the background task,
// and drops trailing ';' characters.
bool begin(DbEngine *e, DbText *statement, SqlError *err) {
  sql_error_clear(err);
  DbText none = {nullptr, 0};
  if (g_inBackground) {
    sql_error_set(err, kSqlErrorReentered,
                  dbtext_cstr("A statement cannot run while another statement is sorting"), none);
    return false;
  }
  if (!e || !e->ops) {
    sql_error_set(err, kSqlErrorUnsupported, dbtext_cstr("The database is not open"), none);
    return false;
  }
  while (statement->length > 0 && statement->bytes[statement->length - 1] == ';')
    statement->length--;
  return true;
}

// COMMIT and ROLLBACK, optionally followed by WORK or TRANSACTION.
void transaction(SqlParse *p, int32_t (*op)(DbEngine *), const char *what) {
  SqlToken t = sql_peek(p);
  if (sql_is_keyword(&t, "work") || sql_is_keyword(&t, "transaction")) sql_take(p);
  if (!sql_expect_end(p) || !sql_need(p, op != nullptr, what)) return;
  if (!op(p->engine)) sql_engine_failed(p);
}

void dispatch(SqlParse *p) {
  const DbEngineOps *ops = p->engine->ops;
  SqlToken t = sql_take(p);
  if (sql_is_keyword(&t, "commit"))
    transaction(p, ops->commit, "COMMIT");
  else if (sql_is_keyword(&t, "rollback"))
    transaction(p, ops->rollback, "ROLLBACK");
  else if (sql_is_keyword(&t, "create"))
    sql_create_table(p);
  else if (sql_is_keyword(&t, "alter"))
    sql_alter_table(p);
  else if (sql_is_keyword(&t, "update"))
    sql_update(p);
  else if (sql_is_keyword(&t, "delete"))
    sql_delete(p);
  else if (sql_is_keyword(&t, "insert"))
    sql_insert(p);
  else if (sql_is_keyword(&t, "drop"))
    sql_fail(p, kSqlErrorDropTable,
             "Dropping tables from this database is not currently supported.");
  else if (t.kind == kSqlEnd)
    sql_fail(p, kSqlErrorSyntax, "Expecting a statement");
  else
    sql_fail_name(p, kSqlErrorSyntax, "Unsupported statement ", t.text);
}

// The cursors of a parsed query: the join, then the sort when there are
// keys, then the grouping when there are aggregates.
DbCursor *run_query(SqlParse *p, SqlQuery *q) {
  DbCursor *c = sql_join_open(p, q);
  if (c && q->keyCount) c = sql_sort_open(p, q, c);
  if (c && (q->aggregates || q->groupItem >= 0)) c = sql_group_open(p, q, c);
  return c;
}

} // namespace

void sql_set_hooks(const SqlHooks *hooks) { g_hooks = hooks ? *hooks : SqlHooks{}; }

void sql_run_background(void) {
  if (!g_hooks.background || g_inBackground) return;
  g_inBackground = true;
  g_hooks.background(g_hooks.backgroundContext);
  g_inBackground = false;
}

const SqlTempFileOps *sql_temp_files(void **context) {
  *context = g_hooks.tempFiles ? g_hooks.tempContext : nullptr;
  return g_hooks.tempFiles ? g_hooks.tempFiles : &kStdioFiles;
}

void sql_query_free(SqlQuery *q) {
  sql_arena_free(&q->arena);
  free(q);
}

void sql_execute_bound(DbEngine *e, DbText statement, const DbValue *params, int32_t count,
                       SqlError *err) {
  if (!begin(e, &statement, err)) return;
  SqlArena arena;
  sql_arena_init(&arena);
  SqlParse p;
  sql_parse_init(&p, e, statement, &arena, err);
  p.params = params;
  p.paramCount = count;
  dispatch(&p);
  sql_arena_free(&arena);
}

DbCursor *sql_select_bound(DbEngine *e, DbText statement, const DbValue *params, int32_t count,
                           SqlError *err) {
  if (!begin(e, &statement, err)) return nullptr;
  SqlQuery *q = (SqlQuery *)calloc(1, sizeof(SqlQuery));
  sql_arena_init(&q->arena);
  SqlParse p;
  sql_parse_init(&p, e, statement, &q->arena, err);
  p.params = params;
  p.paramCount = count;
  DbCursor *c = nullptr;
  if (sql_query_parse(&p, q) && sql_need(&p, e->ops->openCursor, "SELECT") &&
      sql_query_validate(&p, q))
    c = run_query(&p, q);
  if (!c) {
    sql_query_free(q);
    return nullptr;
  }
  sql_cursor_set_final(c);
  return c;
}

void sql_execute(DbEngine *e, DbText statement, SqlError *err) {
  sql_execute_bound(e, statement, nullptr, 0, err);
}

DbCursor *sql_select(DbEngine *e, DbText statement, SqlError *err) {
  return sql_select_bound(e, statement, nullptr, 0, err);
}
