// An engine in memory for the data control's tests: tables of text values
// (nil for NULL) with row identities, and cursors over one table that can be
// made to lack routines (no way back, no seeking, no editing) so that the
// data control's other paths are taken.
#pragma once
#include "dbengine/dbapi.h"
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace memdb {

using Value = std::optional<std::string>; // nullopt is NULL

struct Table {
  std::string name;
  std::vector<std::string> columns;
  std::vector<DbType> types;
  std::vector<int64_t> ids;
  std::vector<std::vector<Value>> rows;
  int64_t nextId = 1;
};

// Routines a cursor of this engine leaves out.
enum Lacks : uint32_t {
  kLacksNothing = 0,
  kLacksSeek = 1,   // no rowId and seekRow
  kLacksBack = 2,   // no movePrev, moveFirst and moveLast
  kLacksEdit = 4,   // no edit, setValue, update and deleteRow
};

struct Engine {
  DbEngine base;
  std::deque<Table> tables; // cursors hold pointers to them
  uint32_t lacks = kLacksNothing;
  int32_t errorCode = 0;
  std::string errorMessage;
  int32_t openCursors = 0;
  int32_t failInserts = 0; // the next n inserts fail with error 1019

  Engine();
  Table &table(const std::string &name, std::vector<std::string> columns, std::vector<DbType> types);
  Table *find(const std::string &name);
  void add(const std::string &table, std::vector<Value> row);
};

} // namespace memdb
