// A fuzz target for the SQL layer: each input runs as a statement and as a
// query against a small in-memory database, whose results are read to the
// end. Any outcome is fine except a crash, a leak, an open cursor, or a
// failure without a message. Built for libFuzzer with Clang; otherwise a
// driver feeds it random bytes and token sequences (the count is argv[1]).
#include "database/sql.h"
#include "countengine.h"
#include "memengine.h"
#ifdef SQL_FUZZ_EMBEDDED
#include "dbengine/embedded.h"
#include "memfs.h"
#endif
#include <cstdio>
#include <cstdlib>
#include <cstring>

static void check(bool ok, const char *what) {
  if (ok) return;
  fprintf(stderr, "%s\n", what);
  abort();
}

static void setup(DbEngine *e) {
  static const char *const kStatements[] = {
      "create table t (id integer, name varchar(20), price double, born date, flag boolean, "
      "primary key (id))",
      "create table u (id integer, tid integer, note long varchar)",
      "insert into t (id, name, price, born, flag) values (1, 'Ann', 2.5, '1990-05-01', true)",
      "insert into t (id, name, price) values (2, 'it''s', -3)",
      "insert into u (id, tid, note) values (1, 1, 'x')",
      "insert into u (id, tid) values (2, 2)",
  };
  SqlError err;
  sql_error_init(&err);
  for (const char *s : kStatements) {
    sql_execute(e, DbText{s, (uint32_t)strlen(s)}, &err);
    check(err.code == 0, "setup failed");
  }
}

static void read_all(DbCursor *c) {
  int32_t n = c->ops->fieldCount(c);
  for (int rows = 0; !c->ops->atEnd(c) && rows < 1000; c->ops->moveNext(c), rows++)
    for (int32_t i = 0; i < n; i++) {
      DbValue v;
      c->ops->value(c, i, &v);
      if (v.type != kDbNull && v.text.length)
        check(v.text.bytes != nullptr, "a text without bytes");
    }
  c->ops->close(c);
}

// The database an input runs against: the in-memory engine, or (built with
// SQL_FUZZ_EMBEDDED) the embedded engine on an in-memory file system, whose
// file must pass its structure check after every input.
struct FuzzDb {
#ifdef SQL_FUZZ_EMBEDDED
  MemFs fs;
#else
  MemEngine mem;
#endif
  DbEngine *tested;
  CountingEngine count;

  FuzzDb() {
#ifdef SQL_FUZZ_EMBEDDED
    memfs_init(&fs);
    DbOpenError error;
    tested = embedded_open(&fs.fs, "fuzz.db", kDbOpenCreate, &error);
    check(tested != nullptr, "the database did not open");
#else
    mem_init(&mem);
    tested = &mem.base;
#endif
    counting_init(&count, tested);
    count.moveBudget = 20000; // joins of many tables would otherwise run for ever
  }
  ~FuzzDb() {
    check(count.openCursors == 0, "a cursor was left open");
#ifdef SQL_FUZZ_EMBEDDED
    check(embedded_check(tested) == 1, "the file's structure is damaged");
    embedded_close(tested);
#endif
  }
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 4096) return 0;
  FuzzDb db;
  DbEngine *e = &db.count.base;
  setup(e);
  SqlError err;
  sql_error_init(&err);
  DbText text = {(const char *)data, (uint32_t)size};
  DbCursor *c = sql_select(e, text, &err);
  check((c == nullptr) == (err.code != 0), "select: a cursor and an error, or neither");
  check(err.code == 0 || (err.message && err.length), "select: an error without a message");
  if (c) read_all(c);
  sql_execute(e, text, &err);
  check(err.code == 0 || (err.message && err.length), "execute: an error without a message");
  sql_error_clear(&err);
  return 0;
}

#ifdef SQL_FUZZ_DRIVER
#include <random>
#include <string>

int main(int argc, char **argv) {
  long rounds = argc > 1 ? atol(argv[1]) : 100000;
  static const char *const kWords[] = {
      "select", "insert", "update", "delete", "create", "alter", "table", "from", "where", "order",
      "group",  "by",     "(",      ")",      ",",      ".",     "=",     "<>",   "'x'",   "t",
      "u",      "id",     "name",   "and",    "or",     "*",     "count", "sum",  "avg",   "into",
      "values", "set",    "'",      "[",      "]",      "1",     "-2.5",  "like", "is",    "not",
      "null",   "desc",   "?",      "t.id",   "u.tid",  ";",     "drop",  "add",  "commit"};
  std::mt19937 rng(1);
  for (long r = 0; r < rounds; r++) {
    std::string s;
    int n = rng() % 20;
    for (int i = 0; i < n; i++) {
      if (r % 3 == 0)
        s += (char)rng();
      else
        s += std::string(kWords[rng() % (sizeof kWords / sizeof *kWords)]) + " ";
    }
    LLVMFuzzerTestOneInput((const uint8_t *)s.data(), s.size());
  }
  printf("%ld inputs\n", rounds);
  return 0;
}
#endif
