// The crash test's workload: numbered transactions of inserts (some rows
// large enough for sys$blob), updates and deletes through cursors, and a
// log row naming the transaction, applied either to a database or to an
// in-memory model, so a test can tell exactly which transactions a file holds.
#pragma once
#include "dbengine/dbapi.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>

struct CrashRow {
  std::string v;
  int64_t n;
};
using CrashModel = std::map<int64_t, CrashRow>;

int32_t crash_create(DbEngine *e);             // the tables, committed
int32_t crash_apply(DbEngine *e, int64_t txn); // the transaction's changes, not committed
void crash_model(CrashModel *m, int64_t txn);

// Reads the database back: the rows of table t and the highest logged
// transaction (with every transaction below it logged too, else -1).
int32_t crash_read(DbEngine *e, CrashModel *rows, int64_t *lastTxn);
