// The database's portable contracts: the values, column descriptions and
// condition trees the SQL layer produces, and the routine tables of a cursor
// and of an engine's record-level operations. Nothing here names a platform
// type, so the storage engine and the SQL layer build natively (for
// sanitizers and fuzzers) as well as inside the runtime.
#pragma once
#include <cstdint>

// Column types, by the codes the SQL parser produces.
enum DbType : uint8_t {
  kDbNull = 0, // the type of a value that is NULL
  kDbSmallInt = 2,
  kDbInteger = 3,
  kDbText = 5,
  kDbFloat = 6,
  kDbDouble = 7,
  kDbDate = 8,
  kDbTime = 9,
  kDbTimestamp = 10,
  kDbBoolean = 12,
  kDbLongText = 15,
  kDbBinary = 16,
};

// A run of bytes, not NUL-terminated.
struct DbText {
  const char *bytes; // may be nil when length is 0
  uint32_t length;
};

// One field's value. Small integers, integers and booleans travel in
// integer; floats and doubles in real; texts and blobs in text; dates, times
// and timestamps in text in ISO form ("2026-12-10", "08:40:42",
// "2026-12-10 08:40:42"). A value read from a cursor points into storage the
// cursor owns, valid until the cursor moves, changes or closes.
struct DbValue {
  DbType type; // kDbNull for NULL
  int64_t integer;
  double real;
  DbText text;
};

// A column as CREATE TABLE and ALTER TABLE describe it.
struct DbColumn {
  DbText name;
  DbType type;
  uint8_t nullable; // 1 unless NOT NULL was written
};

// A column and the value INSERT or UPDATE gives it, as written in the
// statement (quotes removed); the engine converts it to the column's type.
struct DbAssignment {
  DbText column;
  DbText value;
  uint8_t quoted; // the value was quoted, so an unquoted NULL means NULL
};

// Condition operators; OR and AND appear only on inner nodes.
enum DbOperator : uint8_t {
  kDbEqual = 0,
  kDbLess = 1,
  kDbGreater = 2,
  kDbLessOrEqual = 3,
  kDbGreaterOrEqual = 4,
  kDbNotEqual = 5,
  kDbLike = 6,
  kDbNotLike = 7,
  kDbIsNull = 8,
  kDbIsNotNull = 9,
  kDbOr = 64,
  kDbAnd = 65,
};

// The text function applied to a condition's column before comparing.
enum DbTextFunction : uint8_t {
  kDbNoFunction = 0,
  kDbUpper = 2,
  kDbLower = 3,
};

// A node of a WHERE condition tree.
struct DbCondition {
  DbOperator op;
  DbTextFunction function;
  DbText column;         // leaves: the column compared
  DbText table;          // its table; empty when not written
  DbText right;          // the right-hand side: a text, a number or a column name
  uint8_t rightIsColumn; // the right-hand side names a column
  DbText rightTable;     // that column's table; empty when not written
  DbCondition *left;     // inner nodes: the sub-trees
  DbCondition *rightChild;
};

// A cursor: rows of named, typed fields. Every cursor record starts with its
// routine table. A cursor opens on its first row, or at its end when it has
// none. A routine the cursor cannot offer is nil (a forward-only cursor has
// no movePrev, a read-only one no edit). Failures are reported through the
// engine's error code and message.
struct DbCursor;
struct DbCursorOps {
  void (*close)(DbCursor *c); // frees the cursor
  int32_t (*fieldCount)(DbCursor *c);
  DbText (*fieldName)(DbCursor *c, int32_t field);
  DbType (*fieldType)(DbCursor *c, int32_t field);
  int32_t (*atEnd)(DbCursor *c);     // past the last row (EOF)
  int32_t (*atStart)(DbCursor *c);   // before the first row (BOF)
  int32_t (*moveNext)(DbCursor *c);  // 1 when it now stands on a row
  int32_t (*movePrev)(DbCursor *c);  // 1 when it now stands on a row
  int32_t (*moveFirst)(DbCursor *c); // 1 when it now stands on a row
  int32_t (*moveLast)(DbCursor *c);  // 1 when it now stands on a row
  void (*value)(DbCursor *c, int32_t field, DbValue *out);
  int32_t (*edit)(DbCursor *c); // 1 when the current row may now be changed
  int32_t (*setValue)(DbCursor *c, int32_t field, const DbValue *v); // 1 on success
  int32_t (*update)(DbCursor *c);    // writes the edited row; 1 on success
  int32_t (*deleteRow)(DbCursor *c); // 1 on success; the cursor then stands on the next row
  int64_t (*rowId)(DbCursor *c);     // the current row's identity
  int32_t (*seekRow)(DbCursor *c, int64_t id); // 1 when the row was found
};
struct DbCursor {
  const DbCursorOps *ops;
};

// An engine's record-level operations, which the SQL layer turns statements
// into. Operations returning int32_t give 1 on success, 0 on failure (the
// engine's errorCode and errorMessage then say why).
struct DbEngine;
struct DbEngineOps {
  int32_t (*createTable)(DbEngine *e, DbText table, const DbColumn *columns, int32_t columnCount,
                         const uint8_t *keyColumns, int32_t keyCount);
  int32_t (*insert)(DbEngine *e, DbText table, const DbAssignment *values, int32_t count);
  // Opens a cursor over the rows of table that meet where (nil: every row),
  // with the named columns in that order (columnCount 0: every column in
  // table order). Nil when the table does not exist or on failure.
  DbCursor *(*openCursor)(DbEngine *e, DbText table, const DbText *columns, int32_t columnCount,
                          const DbCondition *where);
  int32_t (*addColumn)(DbEngine *e, DbText table, const DbColumn *column);
  int32_t (*errorCode)(DbEngine *e); // 0 when the last operation succeeded
  DbText (*errorMessage)(DbEngine *e);
  int32_t (*commit)(DbEngine *e);
  int32_t (*rollback)(DbEngine *e);
  DbCursor *(*tableSchema)(DbEngine *e);               // one row per table: TableName
  DbCursor *(*fieldSchema)(DbEngine *e, DbText table); // one row per column: ColumnName,
                                                       // FieldType, IsPrimary, NotNull
};
struct DbEngine {
  const DbEngineOps *ops;
};
