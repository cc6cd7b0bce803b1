// Result rows held by the layer: rows encoded as bytes, runs of them in
// temporary files, and the row set cursor that returns them in order.
#pragma once
#include "database/sqlquery.h"
#include <string>
#include <vector>

// A row's values as bytes: per value a type byte, then 8 bytes for a number
// or a 4-byte length and the bytes for a text. Appends to out.
void sql_row_encode(const DbValue *values, int32_t n, std::string *out);
// Reads n values back; texts point into bytes. False when bytes are short.
bool sql_row_decode(const char *bytes, size_t length, int32_t n, DbValue *out);

// Rows in a temporary file, written in order: row i is the bytes from
// offsets[i] to offsets[i + 1].
struct SqlRun {
  const SqlTempFileOps *files;
  void *file; // nil when the run is empty
  std::vector<uint64_t> offsets;
};
size_t sql_run_rows(const SqlRun *run);
void sql_run_close(SqlRun *run);

// Appends rows to a new run through a buffer.
struct SqlRunWriter {
  SqlRun run;
  std::string buffer;
  bool failed;
};
bool sql_run_begin(SqlRunWriter *w);
void sql_run_append(SqlRunWriter *w, const char *row, size_t length);
bool sql_run_finish(SqlRunWriter *w, SqlRun *out); // false when a write failed

// Reads a run's rows in order through a buffer of whole rows.
struct SqlRunReader {
  const SqlRun *run;
  size_t next;       // the next row to read
  std::string chunk; // bytes from chunkAt
  uint64_t chunkAt;
  bool failed;
};
void sql_run_reader_init(SqlRunReader *r, const SqlRun *run);
// The next row's bytes (valid until the next call); false at the end or on
// a read failure (then failed is set).
bool sql_run_read(SqlRunReader *r, const char **row, size_t *length);
// Any row, for the row set's random moves.
bool sql_run_read_at(SqlRunReader *r, size_t index, const char **row, size_t *length);

// The table a sorted result over one table edits through: its cursor (the
// row set owns it once opened) and each item's field in it.
struct SqlRowSource {
  DbCursor *table;
  std::vector<int32_t> fields;
};

// Takes the table cursor out of a joining cursor over one table whose cursor
// can find rows again by identity and edit them; false otherwise.
bool sql_join_source(DbCursor *join, SqlRowSource *out);

// The rows of a finished sort or grouping, as a cursor over `columns`
// values per row (of which the query's visible ones are shown). The rows
// are either in memory or in one run. With a source, each row's last value
// is its table row's identity, and the cursor edits through the source.
DbCursor *sql_rowset_open(SqlQuery *q, int32_t columns, std::vector<std::string> *memory,
                          SqlRun *run, SqlRowSource *source = nullptr);
