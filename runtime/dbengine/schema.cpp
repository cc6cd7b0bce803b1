// The system tables: sys$tables (one row per table: its name and tree
// roots), sys$fields (one row per column: table, position, name, type, NOT
// NULL, place in the primary key) and sys$blob (the chunks of large rows),
// and the in-memory table definitions loaded from them.
#include "dbengine/engine.h"
#include "dbengine/dbvalue.h"

namespace {

enum SysTablesColumn { kTabName, kTabRoot, kTabKeyRoot, kTabColumns };
enum SysFieldsColumn {
  kFldTable,
  kFldPosition,
  kFldName,
  kFldType,
  kFldNotNull,
  kFldKey,
  kFldColumns
};

std::unique_ptr<TableDef>
system_table(const char *name, uint32_t root,
             std::initializer_list<std::pair<const char *, DbType>> cols) {
  auto t = std::make_unique<TableDef>();
  t->name = name;
  t->id = 0;
  t->root = root;
  t->keyRoot = 0;
  for (auto &c : cols) t->columns.push_back(ColumnDef{c.first, c.second, true, -1});
  t->nextRowId = 0;
  t->system = true;
  return t;
}

int32_t damaged(Db *db, const char *what) {
  return db_fail(&db->status, kDbErrDamaged, "%s is damaged: %s", db->pager.path.c_str(), what);
}

// Calls fn(rowid, values) for every row of a table.
template <typename F> int32_t scan(Db *db, const TableDef *t, F fn) {
  BtCursor c;
  bt_open(&c, &db->pager, t->root);
  if (!bt_first(&c)) return 0;
  std::string buffer;
  std::vector<DbValue> values;
  while (bt_valid(&c)) {
    BtCell cell;
    if (!bt_cell(&c, &cell) || !row_read(db, cell, &buffer, &values)) return 0;
    if (cell.keyLength != 8) return damaged(db, "a system table has a bad row id");
    values.resize(t->columns.size(), DbValue{kDbNull, 0, 0, {nullptr, 0}});
    if (!fn(key_to_rowid(cell.key), values) || !bt_next(&c)) return 0;
  }
  return 1;
}

bool root_ok(Db *db, int64_t root) { return root > 0 && root < db->pager.pageCount; }

int32_t load_table(Db *db, int64_t id, const std::vector<DbValue> &v) {
  if (v[kTabName].type != kDbText || v[kTabName].text.length == 0 ||
      !root_ok(db, v[kTabRoot].integer) ||
      (v[kTabKeyRoot].integer != 0 && !root_ok(db, v[kTabKeyRoot].integer)))
    return damaged(db, "sys$tables holds a bad row");
  auto t = std::make_unique<TableDef>();
  t->name.assign(v[kTabName].text.bytes, v[kTabName].text.length);
  t->id = id;
  t->root = static_cast<uint32_t>(v[kTabRoot].integer);
  t->keyRoot = static_cast<uint32_t>(v[kTabKeyRoot].integer);
  t->nextRowId = 0;
  t->system = false;
  db->tables.push_back(std::move(t));
  return 1;
}

int32_t load_field(Db *db, const std::vector<DbValue> &v) {
  TableDef *t = nullptr;
  for (auto &x : db->tables)
    if (!x->system && x->id == v[kFldTable].integer) t = x.get();
  int64_t key = v[kFldKey].type == kDbNull ? -1 : v[kFldKey].integer;
  if (!t || v[kFldPosition].integer != static_cast<int64_t>(t->columns.size()) ||
      v[kFldName].type != kDbText || !dbtype_valid(static_cast<uint8_t>(v[kFldType].integer)) ||
      v[kFldType].integer == kDbNull || key < -1 || key >= kDbMaxColumns)
    return damaged(db, "sys$fields holds a bad row");
  ColumnDef c{std::string(v[kFldName].text.bytes, v[kFldName].text.length),
              static_cast<DbType>(v[kFldType].integer), v[kFldNotNull].integer == 0,
              static_cast<int32_t>(key)};
  if (key >= 0) {
    if (t->key.size() <= static_cast<size_t>(key)) t->key.resize(key + 1, -1);
    if (t->key[key] != -1) return damaged(db, "sys$fields holds a bad row");
    t->key[key] = static_cast<int32_t>(t->columns.size());
  }
  t->columns.push_back(c);
  return 1;
}

int32_t system_row(Db *db, TableDef *sys, std::vector<DbValue> values) {
  int64_t id;
  return row_insert(db, sys, values, &id);
}

DbValue int_value(int64_t v, DbType type = kDbInteger) { return DbValue{type, v, 0, {nullptr, 0}}; }
DbValue text_value(const std::string &s) {
  return DbValue{kDbText, 0, 0, {s.data(), static_cast<uint32_t>(s.size())}};
}

int32_t field_row(Db *db, const TableDef *t, int32_t position) {
  const ColumnDef &c = t->columns[position];
  DbValue key = c.keyPosition < 0 ? DbValue{kDbNull, 0, 0, {nullptr, 0}} : int_value(c.keyPosition);
  return system_row(db, db->tables[1].get(),
                    {int_value(t->id), int_value(position), text_value(c.name),
                     int_value(c.type, kDbSmallInt), int_value(!c.nullable, kDbBoolean), key});
}

} // namespace

int32_t schema_load(Db *db) {
  db->tables.clear();
  db->nextBlobId = 0;
  uint32_t tablesRoot = pager_header(&db->pager, kHdrTablesRoot);
  uint32_t fieldsRoot = pager_header(&db->pager, kHdrFieldsRoot);
  uint32_t blobRoot = pager_header(&db->pager, kHdrBlobRoot);
  if (!root_ok(db, tablesRoot) || !root_ok(db, fieldsRoot) || !root_ok(db, blobRoot))
    return damaged(db, "its header names bad system table pages");
  db->tables.push_back(
      system_table("sys$tables", tablesRoot,
                   {{"TableName", kDbText}, {"Root", kDbInteger}, {"KeyRoot", kDbInteger}}));
  db->tables.push_back(system_table("sys$fields", fieldsRoot,
                                    {{"TableId", kDbInteger},
                                     {"Position", kDbInteger},
                                     {"ColumnName", kDbText},
                                     {"FieldType", kDbSmallInt},
                                     {"NotNull", kDbBoolean},
                                     {"KeyPosition", kDbInteger}}));
  if (!scan(db, db->tables[0].get(), [&](int64_t id, auto &v) { return load_table(db, id, v); }) ||
      !scan(db, db->tables[1].get(), [&](int64_t, auto &v) { return load_field(db, v); }))
    return 0;
  for (auto &t : db->tables) {
    if (t->columns.empty()) return damaged(db, "a table has no columns");
    for (int32_t k : t->key)
      if (k < 0) return damaged(db, "a primary key misses a column");
    if (t->key.empty() != (t->keyRoot == 0)) return damaged(db, "a primary key has no index");
  }
  return 1;
}

int32_t schema_create(Db *db) {
  uint32_t tables, fields, blob;
  if (!bt_create(&db->pager, &tables) || !bt_create(&db->pager, &fields) ||
      !bt_create(&db->pager, &blob))
    return 0;
  return pager_set_header(&db->pager, kHdrTablesRoot, tables) &&
         pager_set_header(&db->pager, kHdrFieldsRoot, fields) &&
         pager_set_header(&db->pager, kHdrBlobRoot, blob) && schema_load(db);
}

int32_t schema_add_table(Db *db, std::unique_ptr<TableDef> t) {
  if (!bt_create(&db->pager, &t->root) || (!t->key.empty() && !bt_create(&db->pager, &t->keyRoot)))
    return 0;
  int64_t id;
  std::vector<DbValue> row = {text_value(t->name), int_value(t->root), int_value(t->keyRoot)};
  if (!row_insert(db, db->tables[0].get(), row, &id)) return 0;
  t->id = id;
  for (size_t i = 0; i < t->columns.size(); i++)
    if (!field_row(db, t.get(), static_cast<int32_t>(i))) return 0;
  db->tables.push_back(std::move(t));
  return 1;
}

int32_t schema_add_column(Db *db, TableDef *t, const ColumnDef &c) {
  t->columns.push_back(c);
  if (field_row(db, t, static_cast<int32_t>(t->columns.size() - 1))) return 1;
  t->columns.pop_back();
  return 0;
}

bool db_name_equal(const std::string &a, DbText b) {
  return dbtext_equal_nocase(DbText{a.data(), static_cast<uint32_t>(a.size())}, b);
}

TableDef *db_table(Db *db, DbText name) {
  for (auto &t : db->tables)
    if (db_name_equal(t->name, name)) return t.get();
  db_fail(&db->status, kDbErrNoTable, "there is no table %.*s",
          static_cast<int>(name.length > 300 ? 300 : name.length), name.bytes ? name.bytes : "");
  return nullptr;
}

int32_t db_column(const TableDef *t, DbText name) {
  for (size_t i = 0; i < t->columns.size(); i++)
    if (db_name_equal(t->columns[i].name, name)) return static_cast<int32_t>(i);
  return -1;
}
