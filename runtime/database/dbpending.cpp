// Stand-ins for the statement layer and the storage engine until their
// branches are merged here: every statement and every open fails with a
// clear error. This file goes away in the merge that brings the real ones.
#include "database/sql.h"
#include "dbengine/embedded.h"
#include <cstdlib>
#include <cstring>

static void unavailable(SqlError *err) {
  static const char kText[] = "The SQL layer is not built into this runtime";
  err->code = kSqlErrorUnsupported;
  err->length = sizeof kText - 1;
  err->message = (char *)malloc(sizeof kText);
  memcpy(err->message, kText, sizeof kText);
}

void sql_error_init(SqlError *err) { *err = SqlError{0, nullptr, 0}; }
void sql_error_clear(SqlError *err) {
  free(err->message);
  sql_error_init(err);
}
void sql_execute(DbEngine *, DbText, SqlError *err) { unavailable(err); }
DbCursor *sql_select(DbEngine *, DbText, SqlError *err) { return unavailable(err), nullptr; }
void sql_execute_bound(DbEngine *, DbText, const DbValue *, int32_t, SqlError *err) {
  unavailable(err);
}
DbCursor *sql_select_bound(DbEngine *, DbText, const DbValue *, int32_t, SqlError *err) {
  return unavailable(err), nullptr;
}
void sql_set_hooks(const SqlHooks *) {}

DbEngine *embedded_open(const DbFileSystem *, const char *, int32_t, DbOpenError *error) {
  error->code = kDbErrCannotOpen;
  strcpy(error->message, "The storage engine is not built into this runtime");
  return nullptr;
}
void embedded_close(DbEngine *) {}
const DbFileSystem *dbfile_win32() { return nullptr; }
