// The embedded engine's routine table: opening and closing a database file,
// creating tables, inserting, opening cursors, adding columns, commit and
// rollback, and the error state.
#include "dbengine/engine.h"
#include "dbengine/dbvalue.h"

#include <cstring>
#include <new>

namespace {

const DbValue kNull = {kDbNull, 0, 0, {nullptr, 0}};

int32_t name_ok(Db *db, DbText name, const char *what) {
  if (name.length == 0 || !name.bytes)
    return db_fail(&db->status, kDbErrBadSchema, "a %s name may not be empty", what);
  if (name.length > kDbMaxNameLength)
    return db_fail(&db->status, kDbErrTooLarge, "a %s name is longer than %d bytes", what,
                   kDbMaxNameLength);
  return 1;
}

int32_t type_ok(Db *db, DbType type, DbText name) {
  if (type == kDbNull || !dbtype_valid(type))
    return db_fail(&db->status, kDbErrBadSchema, "column %.*s has an unknown type %d",
                   static_cast<int>(name.length), name.bytes, type);
  return 1;
}

int32_t writable(Db *db, const TableDef *t) {
  if (db->pager.readOnly)
    return db_fail(&db->status, kDbErrReadOnly, "%s was opened read-only", db->pager.path.c_str());
  if (t->system)
    return db_fail(&db->status, kDbErrReadOnly, "the system table %s cannot be changed",
                   t->name.c_str());
  return 1;
}

int32_t e_create_table(DbEngine *e, DbText table, const DbColumn *columns, int32_t columnCount,
                       const uint8_t *keyColumns, int32_t keyCount) {
  Db *db = db_of(e);
  db_begin(db);
  if (db->pager.readOnly)
    return db_fail(&db->status, kDbErrReadOnly, "%s was opened read-only", db->pager.path.c_str());
  if (!name_ok(db, table, "table")) return 0;
  if (table.length >= 4 && dbtext_equal_nocase(DbText{table.bytes, 4}, DbText{"sys$", 4}))
    return db_fail(&db->status, kDbErrBadSchema, "table names starting with sys$ are reserved");
  if (db_table(db, table))
    return db_fail(&db->status, kDbErrTableExists, "table %s already exists",
                   db_table(db, table)->name.c_str());
  db->status = DbStatus{};
  if (columnCount < 1)
    return db_fail(&db->status, kDbErrBadSchema, "a table needs at least one column");
  if (columnCount > kDbMaxColumns)
    return db_fail(&db->status, kDbErrTooLarge, "a table may have at most %d columns",
                   kDbMaxColumns);
  if (keyCount < 0 || keyCount > columnCount || (keyCount && !keyColumns))
    return db_fail(&db->status, kDbErrBadSchema, "the primary key names too many columns");
  auto t = std::make_unique<TableDef>();
  t->name.assign(table.bytes, table.length);
  t->nextRowId = 0;
  t->system = false;
  for (int32_t i = 0; i < columnCount; i++) {
    const DbColumn &c = columns[i];
    if (!name_ok(db, c.name, "column") || !type_ok(db, c.type, c.name)) return 0;
    if (db_column(t.get(), c.name) >= 0)
      return db_fail(&db->status, kDbErrColumnExists, "column %.*s is defined twice",
                     static_cast<int>(c.name.length), c.name.bytes);
    t->columns.push_back(
        ColumnDef{std::string(c.name.bytes, c.name.length), c.type, c.nullable != 0, -1});
  }
  for (int32_t k = 0; k < keyCount; k++) {
    int32_t col = keyColumns[k];
    if (col >= columnCount || t->columns[col].keyPosition >= 0)
      return db_fail(&db->status, kDbErrBadSchema,
                     "the primary key names a column twice or a missing column");
    t->columns[col].keyPosition = k;
    t->key.push_back(col);
  }
  return schema_add_table(db, std::move(t));
}

int32_t e_insert(DbEngine *e, DbText table, const DbAssignment *values, int32_t count) {
  Db *db = db_of(e);
  db_begin(db);
  TableDef *t = db_table(db, table);
  if (!t || !writable(db, t)) return 0;
  std::vector<DbValue> row(t->columns.size(), kNull);
  std::vector<uint8_t> given(t->columns.size(), 0);
  for (int32_t i = 0; i < count; i++) {
    int32_t col = db_column(t, values[i].column);
    if (col < 0)
      return db_fail(
          &db->status, kDbErrNoColumn, "there is no column %.*s in table %s",
          static_cast<int>(values[i].column.length > 300 ? 300 : values[i].column.length),
          values[i].column.bytes ? values[i].column.bytes : "", t->name.c_str());
    if (given[col]++)
      return db_fail(&db->status, kDbErrColumnExists, "column %s is given twice",
                     t->columns[col].name.c_str());
    if (!dbvalue_from_assignment(t->columns[col].type, &values[i], &row[col]))
      return db_fail(
          &db->status, kDbErrTypeMismatch, "a value for column %s of table %s is not a valid %s",
          t->columns[col].name.c_str(), t->name.c_str(), dbtype_name(t->columns[col].type));
  }
  int64_t id;
  return row_insert(db, t, row, &id);
}

DbCursor *e_open_cursor(DbEngine *e, DbText table, const DbText *columns, int32_t columnCount,
                        const DbCondition *where) {
  Db *db = db_of(e);
  db_begin(db);
  TableDef *t = db_table(db, table);
  return t ? table_cursor_open(db, t, columns, columnCount, where) : nullptr;
}

int32_t e_add_column(DbEngine *e, DbText table, const DbColumn *column) {
  Db *db = db_of(e);
  db_begin(db);
  TableDef *t = db_table(db, table);
  if (!t || !writable(db, t) || !name_ok(db, column->name, "column") ||
      !type_ok(db, column->type, column->name))
    return 0;
  if (db_column(t, column->name) >= 0)
    return db_fail(&db->status, kDbErrColumnExists, "table %s already has a column %.*s",
                   t->name.c_str(), static_cast<int>(column->name.length), column->name.bytes);
  if (t->columns.size() >= kDbMaxColumns)
    return db_fail(&db->status, kDbErrTooLarge, "a table may have at most %d columns",
                   kDbMaxColumns);
  if (!column->nullable) {
    // Existing rows would hold NULL in it.
    BtCursor c;
    bt_open(&c, &db->pager, t->root);
    if (!bt_first(&c)) return 0;
    if (bt_valid(&c))
      return db_fail(&db->status, kDbErrNotNull,
                     "a NOT NULL column cannot be added to table %s, which has rows",
                     t->name.c_str());
  }
  return schema_add_column(db, t,
                           ColumnDef{std::string(column->name.bytes, column->name.length),
                                     column->type, column->nullable != 0, -1});
}

int32_t e_error_code(DbEngine *e) { return db_of(e)->status.code; }

DbText e_error_message(DbEngine *e) {
  const std::string &m = db_of(e)->status.message;
  return DbText{m.data(), static_cast<uint32_t>(m.size())};
}

int32_t e_commit(DbEngine *e) {
  Db *db = db_of(e);
  db_begin(db);
  if (pager_commit(&db->pager)) return 1;
  DbStatus failure = db->status;
  bool broken = db->pager.broken;
  if (!broken) schema_load(db); // the transaction was rolled back
  db->status = failure;
  db->status.message +=
      broken ? "; close and reopen the database, which then holds either the state before "
               "or after this commit"
             : "; the transaction was rolled back";
  return 0;
}

int32_t e_rollback(DbEngine *e) {
  Db *db = db_of(e);
  db_begin(db);
  pager_rollback(&db->pager);
  return schema_load(db);
}

DbCursor *e_table_schema(DbEngine *e) {
  Db *db = db_of(e);
  db_begin(db);
  return schema_tables_cursor(db);
}

DbCursor *e_field_schema(DbEngine *e, DbText table) {
  Db *db = db_of(e);
  db_begin(db);
  TableDef *t = db_table(db, table);
  return t ? schema_fields_cursor(db, t) : nullptr;
}

const DbEngineOps kEmbeddedOps = {e_create_table, e_insert,        e_open_cursor, e_add_column,
                                  e_error_code,   e_error_message, e_commit,      e_rollback,
                                  e_table_schema, e_field_schema};

void copy_error(const DbStatus &s, DbOpenError *error) {
  error->code = s.code ? s.code : kDbErrCannotOpen;
  snprintf(error->message, sizeof error->message, "%s", s.message.c_str());
}

} // namespace

void db_begin(Db *db) {
  db->status.code = 0;
  db->status.message.clear();
  pager_trim(&db->pager);
}

DbEngine *embedded_open(const DbFileSystem *fs, const char *path, int32_t flags,
                        DbOpenError *error) {
  Db *db = new (std::nothrow) Db();
  if (!db) {
    *error = DbOpenError{kDbErrNoMemory, "out of memory"};
    return nullptr;
  }
  db->base.ops = &kEmbeddedOps;
  bool created = false;
  bool ok = pager_open(&db->pager, fs, path, flags, &db->status, &created);
  if (ok && created)
    ok = schema_create(db) && pager_commit(&db->pager);
  else if (ok)
    ok = schema_load(db);
  if (!ok) {
    copy_error(db->status, error);
    pager_close(&db->pager);
    delete db;
    return nullptr;
  }
  *error = DbOpenError{0, ""};
  return &db->base;
}

void embedded_close(DbEngine *e) {
  Db *db = db_of(e);
  pager_close(&db->pager);
  delete db;
}
