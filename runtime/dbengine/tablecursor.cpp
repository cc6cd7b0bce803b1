// Cursors over a table's rows in row id order, filtered by a WHERE tree;
// a WHERE that fixes every primary key column with `=` is answered by one
// lookup in the key index instead of a scan. Rows may be edited, updated
// and deleted through the cursor.
#include "dbengine/condition.h"
#include "dbengine/dbvalue.h"
#include "dbengine/engine.h"

#include <deque>
#include <new>

namespace {

const DbValue kNull = {kDbNull, 0, 0, {nullptr, 0}};
enum { kMaxWhereDepth = 1000 }; // deeper trees are refused, not walked

enum CursorState { kBeforeRows, kOnRow, kAfterRows };

struct TableCursor {
  DbCursor base; // must stay first
  Db *db;
  std::string table;                 // the table's name, found again after schema reloads
  std::vector<int32_t> fields;       // column numbers, in cursor order
  std::vector<std::string> names;    // their names
  std::vector<DbType> types;         // and types
  std::deque<DbCondition> where;     // a copy of the WHERE tree; front is the root
  std::deque<std::string> whereText; // the texts it points to
  bool keyed;                        // the WHERE names one row by its primary key
  std::string key;                   // that key, encoded
  CursorState state;
  int64_t rowid;
  BtCursor bt;
  uint64_t btChanges; // pager changes when bt was positioned
  std::string buffer; // the current row's record
  std::vector<DbValue> values;
  bool editing;
  std::vector<DbValue> edits;
  std::vector<std::string> editText;
};

TableCursor *tc(DbCursor *c) { return reinterpret_cast<TableCursor *>(c); }

TableDef *live_table(TableCursor *c) {
  return db_table(c->db, DbText{c->table.data(), static_cast<uint32_t>(c->table.size())});
}

DbText keep(TableCursor *c, DbText t) {
  c->whereText.emplace_back(t.bytes ? t.bytes : "", t.length);
  return DbText{c->whereText.back().data(), t.length};
}

// Copies the WHERE tree; 0 (with the error set) when it is nested deeper
// than kMaxWhereDepth or an AND or OR lacks a side.
int32_t copy_where(TableCursor *c, const DbCondition *w, int depth, DbCondition **out) {
  *out = nullptr;
  if (!w) return 1;
  if (depth > kMaxWhereDepth)
    return db_fail(&c->db->status, kDbErrTooLarge, "a WHERE condition is nested more than %d deep",
                   kMaxWhereDepth);
  bool inner = w->op == kDbAnd || w->op == kDbOr;
  if (inner && (!w->left || !w->rightChild))
    return db_fail(&c->db->status, kDbErrMisuse,
                   "a WHERE condition has an AND or OR without two sides");
  c->where.push_back(*w);
  DbCondition *n = &c->where.back();
  n->column = keep(c, w->column);
  n->table = keep(c, w->table);
  n->right = keep(c, w->right);
  n->rightTable = keep(c, w->rightTable);
  *out = n;
  return !inner || (copy_where(c, w->left, depth + 1, &n->left) &&
                    copy_where(c, w->rightChild, depth + 1, &n->rightChild));
}

bool names_me(TableCursor *c, DbText table) {
  return table.length == 0 || db_name_equal(c->table, table);
}

int32_t lookup(void *context, DbText table, DbText column, DbValue *out) {
  TableCursor *c = static_cast<TableCursor *>(context);
  TableDef *t = live_table(c);
  if (!t || !names_me(c, table)) return 0;
  int32_t col = db_column(t, column);
  if (col < 0 || static_cast<size_t>(col) >= c->values.size()) return 0;
  *out = c->values[col];
  return 1;
}

// 1 when the current row meets the WHERE, 0 when not, -1 on failure.
int32_t matches(TableCursor *c) {
  if (c->where.empty()) return 1;
  DbConditionError err{};
  DbConditionResult r = dbcondition_eval(&c->where.front(), lookup, c, &err);
  if (r == kDbConditionUnknownColumn) {
    db_fail(&c->db->status, kDbErrNoColumn, "there is no column %.*s in table %s",
            static_cast<int>(err.column.length > 300 ? 300 : err.column.length), err.column.bytes,
            c->table.c_str());
    return -1;
  }
  return r == kDbConditionTrue;
}

// The equality on column col in the WHERE's top-level AND chain, as a value of its type.
bool key_equality(TableCursor *c, const DbCondition *w, const TableDef *t, int32_t col,
                  DbValue *out) {
  if (!w) return false;
  if (w->op == kDbAnd)
    return key_equality(c, w->left, t, col, out) || key_equality(c, w->rightChild, t, col, out);
  if (w->op != kDbEqual || w->function != kDbNoFunction || !names_me(c, w->table) ||
      db_column(t, w->column) != col)
    return false;
  if (w->rightIsColumn && (w->rightTable.length || db_column(t, w->right) >= 0)) return false;
  return dbvalue_parse(t->columns[col].type, w->right, out);
}

void plan_keyed(TableCursor *c, const TableDef *t) {
  if (!t->keyRoot || c->where.empty()) return;
  std::vector<DbValue> row(t->columns.size(), kNull);
  for (int32_t col : t->key)
    if (!key_equality(c, &c->where.front(), t, col, &row[col])) return;
  DbStatus saved = c->db->status;
  c->keyed = row_key(c->db, t, row, &c->key);
  c->db->status = saved; // a key too long to index matches no row; the scan says so
}

int32_t load_current(TableCursor *c, const TableDef *t) {
  BtCell cell;
  if (!bt_cell(&c->bt, &cell)) return 0;
  if (cell.keyLength != 8)
    return db_fail(&c->db->status, kDbErrDamaged, "%s is damaged: a row id is malformed",
                   c->db->pager.path.c_str());
  c->rowid = key_to_rowid(cell.key);
  if (!row_read(c->db, cell, &c->buffer, &c->values)) return 0;
  if (c->values.size() > t->columns.size())
    return db_fail(&c->db->status, kDbErrDamaged, "%s is damaged: a row has too many values",
                   c->db->pager.path.c_str());
  c->values.resize(t->columns.size(), kNull);
  return 1;
}

// Stands on the keyed row if it exists and matches.
int32_t find_keyed(TableCursor *c, const TableDef *t, CursorState otherwise) {
  c->state = otherwise;
  BtCursor k;
  bool found;
  bt_open(&k, &c->db->pager, t->keyRoot);
  if (!bt_seek(&k, reinterpret_cast<const uint8_t *>(c->key.data()),
               static_cast<uint32_t>(c->key.size()), &found))
    return 0;
  if (!found) return 1;
  BtCell cell;
  if (!bt_cell(&k, &cell)) return 0;
  if (cell.valueLength != 8)
    return db_fail(&c->db->status, kDbErrDamaged, "%s is damaged: a key entry is malformed",
                   c->db->pager.path.c_str());
  bool exists;
  c->rowid = key_to_rowid(cell.value);
  if (!row_fetch(c->db, t, c->rowid, &exists, &c->buffer, &c->values)) return 0;
  if (!exists)
    return db_fail(&c->db->status, kDbErrDamaged, "%s is damaged: a key entry names no row",
                   c->db->pager.path.c_str());
  int32_t m = matches(c);
  if (m < 0) return 0;
  if (m) c->state = kOnRow;
  return 1;
}

// Walks from the tree position forward (or back) to the first matching row.
int32_t walk(TableCursor *c, const TableDef *t, bool forward) {
  for (;;) {
    if (!bt_valid(&c->bt)) {
      c->state = forward ? kAfterRows : kBeforeRows;
      return 1;
    }
    if (!load_current(c, t)) return 0;
    int32_t m = matches(c);
    if (m < 0) return 0;
    if (m) {
      c->state = kOnRow;
      return 1;
    }
    if (!(forward ? bt_next(&c->bt) : bt_prev(&c->bt))) return 0;
  }
}

// Positions the tree at the first row id >= id (or, backward, the last <= id).
int32_t position(TableCursor *c, const TableDef *t, int64_t id, bool forward) {
  uint8_t key[8];
  key_from_rowid(id, key);
  bool exact;
  bt_open(&c->bt, &c->db->pager, t->root);
  if (!bt_seek(&c->bt, key, 8, &exact)) return 0;
  if (!forward && !exact && !bt_prev(&c->bt)) return 0;
  c->btChanges = c->db->pager.changes;
  return 1;
}

// Common start of every cursor routine: a clean error state, the table.
TableDef *begin(TableCursor *c) {
  db_begin(c->db);
  return live_table(c);
}

int32_t settle(TableCursor *c, int32_t ok) {
  if (!ok) c->state = kAfterRows; // a failure ends the walk; the error says why
  c->editing = false;
  return ok && c->state == kOnRow;
}

// Stands on the first (or last) matching row.
int32_t move_to_end(TableCursor *c, bool last) {
  TableDef *t = begin(c);
  if (!t) return settle(c, 0);
  if (c->keyed) return settle(c, find_keyed(c, t, last ? kBeforeRows : kAfterRows));
  bt_open(&c->bt, &c->db->pager, t->root);
  if (!(last ? bt_last(&c->bt) : bt_first(&c->bt))) return settle(c, 0);
  c->btChanges = c->db->pager.changes;
  return settle(c, walk(c, t, !last));
}

int32_t c_move_first(DbCursor *cur) { return move_to_end(tc(cur), false); }
int32_t c_move_last(DbCursor *cur) { return move_to_end(tc(cur), true); }

int32_t c_move_next(DbCursor *cur) {
  TableCursor *c = tc(cur);
  if (c->state == kBeforeRows) return c_move_first(cur);
  if (c->state == kAfterRows) return 0;
  TableDef *t = begin(c);
  if (!t) return settle(c, 0);
  if (c->keyed) {
    c->state = kAfterRows;
    return settle(c, 1);
  }
  bool ok =
      c->btChanges == c->db->pager.changes ? bt_next(&c->bt) : position(c, t, c->rowid + 1, true);
  return settle(c, ok && walk(c, t, true));
}

int32_t c_move_prev(DbCursor *cur) {
  TableCursor *c = tc(cur);
  if (c->state == kAfterRows) return c_move_last(cur);
  if (c->state == kBeforeRows) return 0;
  TableDef *t = begin(c);
  if (!t) return settle(c, 0);
  if (c->keyed) {
    c->state = kBeforeRows;
    return settle(c, 1);
  }
  bool ok =
      c->btChanges == c->db->pager.changes ? bt_prev(&c->bt) : position(c, t, c->rowid - 1, false);
  return settle(c, ok && walk(c, t, false));
}

int32_t c_at_end(DbCursor *cur) { return tc(cur)->state == kAfterRows; }
int32_t c_at_start(DbCursor *cur) { return tc(cur)->state == kBeforeRows; }
int32_t c_field_count(DbCursor *cur) { return static_cast<int32_t>(tc(cur)->fields.size()); }

DbText c_field_name(DbCursor *cur, int32_t field) {
  TableCursor *c = tc(cur);
  if (field < 0 || static_cast<size_t>(field) >= c->names.size()) return DbText{"", 0};
  return DbText{c->names[field].data(), static_cast<uint32_t>(c->names[field].size())};
}

DbType c_field_type(DbCursor *cur, int32_t field) {
  TableCursor *c = tc(cur);
  if (field < 0 || static_cast<size_t>(field) >= c->types.size()) return kDbNull;
  return c->types[field];
}

void c_value(DbCursor *cur, int32_t field, DbValue *out) {
  TableCursor *c = tc(cur);
  *out = kNull;
  if (c->state != kOnRow || field < 0 || static_cast<size_t>(field) >= c->fields.size()) return;
  const std::vector<DbValue> &row = c->editing ? c->edits : c->values;
  if (static_cast<size_t>(c->fields[field]) < row.size()) *out = row[c->fields[field]];
}

int32_t c_edit(DbCursor *cur) {
  TableCursor *c = tc(cur);
  TableDef *t = begin(c);
  if (!t) return 0;
  if (c->state != kOnRow)
    return db_fail(&c->db->status, kDbErrMisuse, "the cursor is not on a row");
  if (c->db->pager.readOnly || t->system)
    return db_fail(&c->db->status, kDbErrReadOnly, "table %s cannot be changed", t->name.c_str());
  c->edits = c->values;
  c->edits.resize(t->columns.size(), kNull);
  c->editText.assign(t->columns.size(), std::string());
  c->editing = true;
  return 1;
}

int32_t c_set_value(DbCursor *cur, int32_t field, const DbValue *v) {
  TableCursor *c = tc(cur);
  TableDef *t = begin(c);
  if (!t) return 0;
  if (!c->editing)
    return db_fail(&c->db->status, kDbErrMisuse, "edit was not called before setting a value");
  if (field < 0 || static_cast<size_t>(field) >= c->fields.size())
    return db_fail(&c->db->status, kDbErrNoColumn, "the cursor has no field %d", field);
  int32_t col = c->fields[field];
  if (static_cast<size_t>(col) >= t->columns.size())
    return db_fail(&c->db->status, kDbErrNoColumn, "the column is gone");
  std::string &text = c->editText[col];
  DbValue out;
  std::string formatted;
  if (!value_convert(c->db, t, col, v, &out, &formatted)) return 0;
  if (dbtype_is_bytes(out.type)) {
    text.assign(out.text.bytes ? out.text.bytes : "",
                out.text.length); // the caller's bytes may not outlive the edit
    out.text = DbText{text.data(), out.text.length};
  }
  c->edits[col] = out;
  return 1;
}

// Texts of the edit point into editText; the record keeps them until reloaded.
int32_t c_update(DbCursor *cur) {
  TableCursor *c = tc(cur);
  TableDef *t = begin(c);
  if (!t) return 0;
  if (!c->editing || c->state != kOnRow)
    return db_fail(&c->db->status, kDbErrMisuse, "edit was not called before update");
  std::vector<DbValue> old = c->values;
  if (!row_update(c->db, t, c->rowid, old, c->edits)) return 0;
  c->editing = false;
  bool found;
  return row_fetch(c->db, t, c->rowid, &found, &c->buffer, &c->values) && found;
}

int32_t c_delete_row(DbCursor *cur) {
  TableCursor *c = tc(cur);
  TableDef *t = begin(c);
  if (!t) return 0;
  if (c->state != kOnRow)
    return db_fail(&c->db->status, kDbErrMisuse, "the cursor is not on a row");
  if (c->db->pager.readOnly || t->system)
    return db_fail(&c->db->status, kDbErrReadOnly, "table %s cannot be changed", t->name.c_str());
  c->editing = false;
  if (!row_delete(c->db, t, c->rowid, c->values)) return 0;
  if (c->keyed) {
    c->state = kAfterRows;
    return 1;
  }
  if (!position(c, t, c->rowid + 1, true) || !walk(c, t, true)) {
    c->state = kAfterRows;
    return 0;
  }
  return 1;
}

int64_t c_row_id(DbCursor *cur) { return tc(cur)->state == kOnRow ? tc(cur)->rowid : 0; }

// Makes buffer the current row's record, giving the cursor's old one back
// in buffer. The values are decoded again: a short std::string keeps its
// bytes inside itself, so swapping moves them away from the old pointers.
int32_t adopt_row(TableCursor *c, const TableDef *t, std::string *buffer) {
  std::swap(*buffer, c->buffer);
  c->values.clear();
  if (c->buffer.empty()) return 1; // the cursor stood on no row
  if (!record_decode(reinterpret_cast<const uint8_t *>(c->buffer.data()),
                     static_cast<uint32_t>(c->buffer.size()), &c->values) ||
      c->values.size() > t->columns.size())
    return db_fail(&c->db->status, kDbErrDamaged, "%s is damaged: a row does not decode",
                   c->db->pager.path.c_str());
  c->values.resize(t->columns.size(), kNull);
  return 1;
}

int32_t c_seek_row(DbCursor *cur, int64_t id) {
  TableCursor *c = tc(cur);
  TableDef *t = begin(c);
  if (!t) return 0;
  std::string buffer;
  std::vector<DbValue> values;
  bool found;
  if (!row_fetch(c->db, t, id, &found, &buffer, &values) || !found || !adopt_row(c, t, &buffer))
    return 0;
  int32_t m = matches(c);
  if (m != 1) { // not a row of this cursor: stay where it was
    adopt_row(c, t, &buffer);
    return 0;
  }
  c->rowid = id;
  c->state = kOnRow;
  c->editing = false;
  c->btChanges = c->db->pager.changes - 1; // re-seek on the next move
  return 1;
}

void c_close(DbCursor *cur) { delete tc(cur); }

const DbCursorOps kTableCursorOps = {
    c_close,     c_field_count, c_field_name, c_field_type, c_at_end,  c_at_start,
    c_move_next, c_move_prev,   c_move_first, c_move_last,  c_value,   c_edit,
    c_set_value, c_update,      c_delete_row, c_row_id,     c_seek_row};

// Every leaf of the WHERE that names this table must name one of its columns.
int32_t check_where(TableCursor *c, const TableDef *t, const DbCondition *w) {
  if (!w) return 1;
  if (w->op == kDbAnd || w->op == kDbOr)
    return check_where(c, t, w->left) && check_where(c, t, w->rightChild);
  if (names_me(c, w->table) && db_column(t, w->column) < 0)
    return db_fail(&c->db->status, kDbErrNoColumn, "there is no column %.*s in table %s",
                   static_cast<int>(w->column.length > 300 ? 300 : w->column.length),
                   w->column.bytes, t->name.c_str());
  return 1;
}

} // namespace

DbCursor *table_cursor_open(Db *db, TableDef *t, const DbText *columns, int32_t count,
                            const DbCondition *where) {
  TableCursor *c = new (std::nothrow) TableCursor();
  if (!c) {
    db_fail(&db->status, kDbErrNoMemory, "out of memory");
    return nullptr;
  }
  c->base.ops = &kTableCursorOps;
  c->db = db;
  c->table = t->name;
  for (int32_t i = 0; i < (count > 0 ? count : static_cast<int32_t>(t->columns.size())); i++) {
    int32_t col = count > 0 ? db_column(t, columns[i]) : i;
    if (col < 0) {
      db_fail(&db->status, kDbErrNoColumn, "there is no column %.*s in table %s",
              static_cast<int>(columns[i].length > 300 ? 300 : columns[i].length), columns[i].bytes,
              t->name.c_str());
      delete c;
      return nullptr;
    }
    c->fields.push_back(col);
    c->names.push_back(t->columns[col].name);
    c->types.push_back(t->columns[col].type);
  }
  DbCondition *root;
  if (!copy_where(c, where, 0, &root) || !check_where(c, t, where)) {
    delete c;
    return nullptr;
  }
  plan_keyed(c, t);
  c_move_first(&c->base);
  if (db->status.code != 0) {
    delete c;
    return nullptr;
  }
  return &c->base;
}
