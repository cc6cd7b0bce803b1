// dbsql: a database file of the embedded engine at the command line. Reads
// statements from standard input, one a line, runs each through the SQL
// layer and prints the rows a SELECT gives, tab-separated, NULL as "NULL".
// "check" verifies the file's structure. Changes form one transaction until
// a "commit" line; the end of the input rolls back what was not committed.
//
//   dbsql DATABASE < statements.sql
//
// A failing statement prints "error CODE: MESSAGE" on standard error and
// makes the exit status 1; later statements still run.
#include "database/sql.h"
#include "dbengine/embedded.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>

namespace {

void print_value(const DbValue &v) {
  switch (v.type) {
  case kDbNull:
    std::fputs("NULL", stdout);
    break;
  case kDbSmallInt:
  case kDbInteger:
  case kDbBoolean:
    std::printf("%lld", static_cast<long long>(v.integer));
    break;
  case kDbFloat:
  case kDbDouble:
    std::printf("%.17g", v.real);
    break;
  default:
    std::fwrite(v.text.bytes, 1, v.text.length, stdout);
    break;
  }
}

void print_rows(DbCursor *c) {
  int32_t fields = c->ops->fieldCount(c);
  for (; !c->ops->atEnd(c); c->ops->moveNext(c)) {
    for (int32_t i = 0; i < fields; i++) {
      DbValue v;
      c->ops->value(c, i, &v);
      if (i > 0) std::fputc('\t', stdout);
      print_value(v);
    }
    std::fputc('\n', stdout);
  }
}

bool is_select(const std::string &line) {
  size_t at = line.find_first_not_of(" \t");
  return at != std::string::npos && strncasecmp(line.c_str() + at, "select", 6) == 0;
}

// Runs one line; false when it failed.
bool run(DbEngine *db, const std::string &line, SqlError *err) {
  if (line == "check") {
    if (embedded_check(db)) return true;
    err->code = db->ops->errorCode(db);
    DbText m = db->ops->errorMessage(db);
    std::fprintf(stderr, "error %d: %.*s\n", err->code, static_cast<int>(m.length), m.bytes);
    return false;
  }
  DbText text = {line.data(), static_cast<uint32_t>(line.size())};
  if (is_select(line)) {
    DbCursor *c = sql_select(db, text, err);
    if (c) {
      print_rows(c);
      c->ops->close(c);
    }
  } else {
    sql_execute(db, text, err);
  }
  if (err->code == 0) return true;
  std::fprintf(stderr, "error %d: %.*s\n", err->code, static_cast<int>(err->length), err->message);
  return false;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dbsql DATABASE < statements\n");
    return 2;
  }
  DbOpenError openError;
  DbEngine *db = embedded_open(dbfile_posix(), argv[1], kDbOpenCreate, &openError);
  if (!db) {
    std::fprintf(stderr, "error %d: %s\n", openError.code, openError.message);
    return 1;
  }
  SqlError err;
  sql_error_init(&err);
  int status = 0;
  char buffer[64 * 1024];
  std::string line;
  while (std::fgets(buffer, sizeof buffer, stdin)) {
    line += buffer;
    if (line.empty() || line.back() != '\n') continue; /* a line longer than the buffer */
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.find_first_not_of(" \t") != std::string::npos && !run(db, line, &err)) status = 1;
    line.clear();
  }
  if (!line.empty() && !run(db, line, &err)) status = 1;
  sql_error_clear(&err);
  embedded_close(db);
  return status;
}
