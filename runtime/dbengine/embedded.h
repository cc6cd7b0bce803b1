// The embedded single-file database engine: opening or creating a database
// file as a DbEngine (dbapi.h), closing it, checking its structure, and the
// error codes its operations report through errorCode/errorMessage.
#pragma once
#include "dbengine/dbapi.h"
#include "dbengine/dbfile.h"

// Error codes of the embedded engine (the SQL layer's own are below 1000).
enum DbEngineError : int32_t {
  kDbErrNone = 0,
  kDbErrCannotOpen = 1001,   // the file does not exist or cannot be opened
  kDbErrReadOnly = 1002,     // a change to a file or database opened read-only
  kDbErrDiskFull = 1003,     // no space left; the transaction was rolled back
  kDbErrInUse = 1004,        // another program has the database open
  kDbErrDamaged = 1005,      // the file's structure is damaged
  kDbErrVersion = 1006,      // a format version this engine does not read
  kDbErrNotDatabase = 1007,  // the file is not a database
  kDbErrIo = 1008,           // a read, write or sync failed
  kDbErrNoTable = 1010,      // no table of that name
  kDbErrNoColumn = 1011,     // no column of that name in the table
  kDbErrTypeMismatch = 1012, // a value that is not of its column's type
  kDbErrNotNull = 1013,      // NULL given to a NOT NULL column
  kDbErrDuplicateKey = 1014, // a primary key value already present
  kDbErrTableExists = 1015,
  kDbErrColumnExists = 1016,
  kDbErrTooLarge = 1017,   // a name, key or column count beyond the format's limits
  kDbErrBadSchema = 1018,  // an invalid table or column definition
  kDbErrMisuse = 1019,     // an operation out of order (setValue before edit, ...)
  kDbErrMustReopen = 1020, // a failed commit could not be undone in place
  kDbErrNoMemory = 1021,
};

// How embedded_open treats the file.
enum DbOpenFlags : int32_t {
  kDbOpenReadOnly = 1, // never writes; changes fail with kDbErrReadOnly
  kDbOpenCreate = 2,   // creates an empty database when the file does not exist
  kDbOpenReplace = 4,  // with kDbOpenCreate: an existing file is emptied first
};

// Why an open failed: one of DbEngineError and a message.
struct DbOpenError {
  int32_t code;
  char message[240];
};

// Opens the database at path (UTF-8) through fs, rolling back a transaction
// a crash interrupted. The database is held for this opener alone until it is
// closed (read-only openers share it). Returns nil and fills *error on failure.
// Changes form one transaction until commit or rollback; close rolls back
// what was not committed.
DbEngine *embedded_open(const DbFileSystem *fs, const char *path, int32_t flags,
                        DbOpenError *error);

// Closes e (and its cursors' storage; cursors must be closed first).
void embedded_close(DbEngine *e);

// Walks every tree of the file: page bounds, key order, each page used once,
// the free list, and that every record decodes. Returns 1 when sound;
// otherwise 0 with kDbErrDamaged and a message naming the first fault.
int32_t embedded_check(DbEngine *e);

// Limits of the format.
enum {
  kDbPageSize = 4096,
  kDbMaxNameLength = 255, // table and column names, in bytes
  kDbMaxColumns = 1000,   // columns of a table
  kDbMaxKeyLength = 500,  // an encoded primary key, in bytes
};
