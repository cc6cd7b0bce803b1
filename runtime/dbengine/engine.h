// The embedded engine's internals shared by its files: the open database,
// its tables as the system tables describe them, and the row operations
// the engine routines and cursors are built from.
#pragma once
#include "dbengine/btree.h"
#include "dbengine/embedded.h"
#include "dbengine/record.h"

#include <memory>
#include <string>
#include <vector>

struct ColumnDef {
  std::string name;
  DbType type;
  bool nullable;
  int32_t keyPosition; // place in the primary key, -1 when not part of it
};

struct TableDef {
  std::string name;
  int64_t id;       // its row id in sys$tables
  uint32_t root;    // the rows, by row id
  uint32_t keyRoot; // the primary key index, 0 without a primary key
  std::vector<ColumnDef> columns;
  std::vector<int32_t> key; // column numbers of the primary key, in key order
  int64_t nextRowId;        // 0 until first needed
  bool system;              // sys$tables or sys$fields: readable, not writable
};

struct Db {
  DbEngine base; // must stay first
  Pager pager;
  DbStatus status;
  std::vector<std::unique_ptr<TableDef>> tables; // sys$tables, sys$fields, then the user's
  int64_t nextBlobId;                            // 0 until first needed
};

inline Db *db_of(DbEngine *e) { return reinterpret_cast<Db *>(e); }

// Starts an operation: clears the error state, trims the cache.
void db_begin(Db *db);

// Tables and columns by name, compared without regard to ASCII case.
TableDef *db_table(Db *db, DbText name);           // sets kDbErrNoTable when absent
int32_t db_column(const TableDef *t, DbText name); // -1 when absent
bool db_name_equal(const std::string &a, DbText b);

// The system tables: loading every table's definition, writing new ones.
int32_t schema_load(Db *db);
int32_t schema_create(Db *db); // a new file's system tables
int32_t schema_add_table(Db *db, std::unique_ptr<TableDef> t);
int32_t schema_add_column(Db *db, TableDef *t, const ColumnDef &c);

// Converts v to the column's type (texts are read as SQL text); text
// results are kept in storage. Sets kDbErrTypeMismatch.
int32_t value_convert(Db *db, const TableDef *t, int32_t column, const DbValue *v, DbValue *out,
                      std::string *storage);

// Rows. A row's value in its table's tree is a kind byte and either the
// record or where in sys$blob the record lies.
enum RowKind : uint8_t { kRowInline = 0, kRowOverflow = 1 };
// Reads the row a tree cell holds into buffer; values point into buffer.
int32_t row_read(Db *db, const BtCell &cell, std::string *buffer, std::vector<DbValue> *values);
// Reads the row with this id; *found is false when there is none.
int32_t row_fetch(Db *db, const TableDef *t, int64_t id, bool *found, std::string *buffer,
                  std::vector<DbValue> *values);
int32_t row_insert(Db *db, TableDef *t, std::vector<DbValue> &values, int64_t *id);
int32_t row_update(Db *db, TableDef *t, int64_t id, const std::vector<DbValue> &old,
                   std::vector<DbValue> &values);
int32_t row_delete(Db *db, TableDef *t, int64_t id, const std::vector<DbValue> &old);
// Encodes the key columns of a row; 0 (kDbErrTooLarge) when too long.
int32_t row_key(Db *db, const TableDef *t, const std::vector<DbValue> &values, std::string *key);

// Blobs: byte strings kept in sys$blob as numbered chunks.
int32_t blob_write(Db *db, const std::string &bytes, int64_t *id);
int32_t blob_read(Db *db, int64_t id, uint32_t length, std::string *out);
int32_t blob_delete(Db *db, int64_t id);
enum { kBlobChunkBits = 24 }; // chunk numbers in a chunk key's low bits

// Cursors over a table, and over rows built in memory (the schema cursors).
DbCursor *table_cursor_open(Db *db, TableDef *t, const DbText *columns, int32_t count,
                            const DbCondition *where);
DbCursor *schema_tables_cursor(Db *db);
DbCursor *schema_fields_cursor(Db *db, TableDef *t);
