// The SQL statement layer: turns the statements of a small SQL dialect into
// an engine's record-level operations (dbengine/dbapi.h), and SELECT into a
// cursor of its own over the engine's cursors. Portable: no platform types.
#pragma once
#include "dbengine/dbapi.h"

// Error codes the layer reports. Parse and validation codes first, then
// failures of the engine or of the layer's own resources.
enum SqlErrorCode : int32_t {
  kSqlOk = 0,
  kSqlErrorSyntax = 200,        // a required word or punctuation is missing
  kSqlErrorInvalid = 201,       // a name, type size or index is invalid
  kSqlErrorUnknownTable = 202,  // SELECT names a table the engine lacks
  kSqlErrorInternal = 203,      // inconsistent validation state
  kSqlErrorAmbiguous = 205,     // a column found in two listed tables
  kSqlErrorUnknownColumn = 206, // a column in no listed table; CREATE TABLE without columns
  kSqlErrorMismatch = 208,      // INSERT counts differ; SET column missing from the table
  kSqlErrorDropTable = 2007,    // DROP TABLE is not supported
  kSqlErrorDropColumn = 2008,   // ALTER TABLE ... DROP is not supported
  kSqlErrorUnsupported = 2009,  // the engine lacks the operation the statement needs
  kSqlErrorReentered = 2010,    // a statement issued while another one is sorting
  kSqlErrorEngine = 2011,       // the engine failed without giving a code of its own
  kSqlErrorTempFile = 2012,     // the sort could not write or read its temporary file
};

// The outcome of a statement. code is 0 on success; otherwise message holds
// the reason (owned, NUL-terminated, length bytes before the NUL). When the
// engine itself failed, code and message are the engine's.
struct SqlError {
  int32_t code;
  char *message; // nil when code is 0
  uint32_t length;
};

// An empty error record; sql_error_clear frees its message and empties it.
// Initialise a record once before its first statement: the layer clears it
// at the start of every statement.
void sql_error_init(SqlError *err);
void sql_error_clear(SqlError *err);

// Runs CREATE TABLE, ALTER TABLE, INSERT, UPDATE, DELETE, COMMIT or ROLLBACK.
// Trailing ';' characters are ignored. On any parse or validation error no
// engine operation is called.
void sql_execute(DbEngine *e, DbText statement, SqlError *err);

// Runs a SELECT and returns its cursor (nil on error). The cursor copies what
// it needs of the statement; close it through its ops->close. It reads the
// engine's cursors, so it must be closed before the engine is.
DbCursor *sql_select(DbEngine *e, DbText statement, SqlError *err);

// The same with parameters: each unquoted ? in a value position (INSERT's
// values, UPDATE's SET values, a WHERE comparison's right-hand side) takes the
// next of params, as a quoted text would, without being read as SQL (numbers
// are written in decimal, a NULL value gives NULL). Too few values is error
// kSqlErrorMismatch; values beyond the last ? are ignored.
void sql_execute_bound(DbEngine *e, DbText statement, const DbValue *params, int32_t count,
                       SqlError *err);
DbCursor *sql_select_bound(DbEngine *e, DbText statement, const DbValue *params, int32_t count,
                           SqlError *err);

// Temporary files for the runs of a long ORDER BY. A file is written by
// appending, then read at offsets; close deletes it.
struct SqlTempFileOps {
  void *(*open)(void *context);                                        // nil on failure
  int32_t (*append)(void *file, const void *bytes, uint32_t n);        // 1 on success
  int32_t (*readAt)(void *file, uint64_t at, void *bytes, uint32_t n); // 1 when n bytes read
  void (*close)(void *file);
};

// What the runtime supplies. background runs between rows of a long sort so
// that the user interface stays responsive; a statement issued from inside it
// is refused with kSqlErrorReentered. tempFiles nil means the C library's
// tmpfile().
struct SqlHooks {
  void (*background)(void *context);
  void *backgroundContext;
  const SqlTempFileOps *tempFiles;
  void *tempContext;
};
void sql_set_hooks(const SqlHooks *hooks); // copied; nil restores the defaults

// The size of the rows an ORDER BY holds in memory before it writes a run.
enum { kSqlSortRunBytes = 640000 };

// The most comparisons one WHERE may hold (kSqlErrorInvalid beyond), so that
// engines walking the condition tree recursively stay within their stack.
enum { kSqlMaxComparisons = 500 };
