// An in-memory engine for the SQL layer's tests: tables of typed rows,
// cursors with every routine, commit and rollback by snapshot, and counters
// of the calls it received and the cursors left open.
#pragma once
#include "dbengine/dbapi.h"
#include <map>
#include <string>
#include <vector>

struct MemCell {
  DbType type; // kDbNull for NULL
  int64_t integer;
  double real;
  std::string text;
};

struct MemTable {
  std::string name;
  std::vector<DbColumn> columns; // names point into columnNames
  std::vector<std::string> columnNames;
  std::vector<uint8_t> keys;
  std::vector<std::vector<MemCell>> rows; // by row id; erased rows are empty
  std::vector<bool> live;
};

struct MemEngine {
  DbEngine base;
  DbEngineOps ops; // a copy tests may thin out
  std::vector<MemTable> tables, committed;
  int32_t errorCode;
  std::string errorMessage;
  int32_t calls;       // engine operations called
  int32_t openCursors; // cursors not yet closed
  bool keyOrder;       // cursors walk rows in the order of their first key column
};

void mem_init(MemEngine *m);
MemTable *mem_table(MemEngine *m, const char *name);
