// The in-memory test engine: every DbEngineOps and DbCursorOps routine over
// vectors of rows, with conditions evaluated by dbcondition_eval.
#include "memengine.h"
#include "dbengine/condition.h"
#include "dbengine/dbvalue.h"

namespace {

MemEngine *mem(DbEngine *e) { return (MemEngine *)e; }
std::string str(DbText t) { return std::string(t.bytes ? t.bytes : "", t.length); }

int32_t fail(MemEngine *m, int32_t code, const std::string &message) {
  m->errorCode = code;
  m->errorMessage = message;
  return 0;
}

void ok(MemEngine *m) {
  m->calls++;
  m->errorCode = 0;
  m->errorMessage.clear();
}

int32_t table_index(MemEngine *m, DbText name) {
  for (size_t i = 0; i < m->tables.size(); i++)
    if (dbtext_equal_nocase(name, dbtext_cstr(m->tables[i].name.c_str()))) return (int32_t)i;
  return -1;
}

int32_t column_index(const MemTable &t, DbText name) {
  for (size_t i = 0; i < t.columnNames.size(); i++)
    if (dbtext_equal_nocase(name, dbtext_cstr(t.columnNames[i].c_str()))) return (int32_t)i;
  return -1;
}

MemCell cell(const DbValue &v) {
  return MemCell{v.type, v.integer, v.real,
                 dbtype_class(v.type) == kDbClassText ? str(v.text) : ""};
}

DbValue value(const MemCell &c) {
  return DbValue{c.type, c.integer, c.real, DbText{c.text.data(), (uint32_t)c.text.size()}};
}

// A value as the column's type: texts are read as SQL text, numbers cross.
bool convert(DbType type, const DbValue &v, MemCell *out) {
  DbValue r = v;
  if (v.type == kDbNull) return *out = MemCell{kDbNull, 0, 0, ""}, true;
  if (dbtype_class(v.type) == kDbClassText && dbtype_class(type) == kDbClassNumber) {
    if (!dbvalue_parse(type, v.text, &r)) return false;
  } else if (dbtype_class(type) == kDbClassNumber) {
    bool real = v.type == kDbFloat || v.type == kDbDouble;
    if (type == kDbFloat || type == kDbDouble)
      r.real = real ? v.real : (double)v.integer;
    else
      r.integer = real ? (int64_t)v.real : v.integer;
  }
  r.type = type;
  *out = cell(r);
  return true;
}

// Column names live in columnNames; repoints the DbColumn records at them.
void repoint(MemTable *t) {
  for (size_t i = 0; i < t->columns.size(); i++)
    t->columns[i].name = DbText{t->columnNames[i].data(), (uint32_t)t->columnNames[i].size()};
}

void add_column(MemTable *t, const DbColumn &c) {
  t->columnNames.push_back(str(c.name));
  t->columns.push_back(c);
  repoint(t);
  for (auto &row : t->rows)
    if (!row.empty()) row.push_back(MemCell{kDbNull, 0, 0, ""});
}

struct MemCursor {
  DbCursor base;
  MemEngine *m;
  int32_t tableAt;           // in m->tables; -1 when own holds the table
  MemTable own;              // a schema cursor's rows
  std::vector<int32_t> cols; // per field: its column
  const DbCondition *where;
  int64_t pos; // a row id; -1 before the first row, rows.size() after the last
  MemCell posKey;
  bool editing;
  std::vector<MemCell> pending;
};

MemCursor *cur(DbCursor *c) { return (MemCursor *)c; }
MemTable *table(MemCursor *c) { return c->tableAt < 0 ? &c->own : &c->m->tables[c->tableAt]; }
int64_t row_count(MemCursor *c) { return (int64_t)table(c)->rows.size(); }

struct RowRef {
  MemTable *t;
  const std::vector<MemCell> *row;
};

int32_t lookup(void *context, DbText tableName, DbText column, DbValue *out) {
  RowRef *r = (RowRef *)context;
  if (tableName.length && !dbtext_equal_nocase(tableName, dbtext_cstr(r->t->name.c_str())))
    return 0;
  int32_t i = column_index(*r->t, column);
  if (i < 0) return 0;
  *out = value((*r->row)[i]);
  return 1;
}

bool matches(MemCursor *c, int64_t id) {
  MemTable *t = table(c);
  if (!t->live[id]) return false;
  RowRef ref = {t, &t->rows[id]};
  return dbcondition_eval(c->where, lookup, &ref, nullptr) == kDbConditionTrue;
}

bool after(MemCursor *c, int64_t id, const MemCell &key, int64_t thanId) {
  DbValue a = value(table(c)->rows[id][table(c)->keys[0]]), b = value(key);
  int k = dbvalue_compare(&a, &b);
  return k > 0 || (k == 0 && id > thanId);
}

bool key_order(MemCursor *c) { return c->m->keyOrder && !table(c)->keys.empty(); }

// Stands on row id (or the end) and remembers its key for key order.
int32_t stand(MemCursor *c, int64_t id) {
  c->pos = id;
  c->editing = false;
  if (id >= 0 && id < row_count(c) && key_order(c))
    c->posKey = table(c)->rows[id][table(c)->keys[0]];
  return id >= 0 && id < row_count(c);
}

int64_t next_by_key(MemCursor *c, bool fromStart) {
  int64_t best = -1;
  for (int64_t id = 0; id < row_count(c); id++) {
    if (!matches(c, id) || (!fromStart && !after(c, id, c->posKey, c->pos))) continue;
    if (best < 0 || after(c, best, table(c)->rows[id][table(c)->keys[0]], id)) best = id;
  }
  return best < 0 ? row_count(c) : best;
}

int32_t c_move_next(DbCursor *b) {
  MemCursor *c = cur(b);
  if (c->pos >= row_count(c)) return 0;
  if (key_order(c)) return stand(c, next_by_key(c, c->pos < 0));
  int64_t id = c->pos + 1;
  while (id < row_count(c) && !matches(c, id)) id++;
  return stand(c, id);
}

int32_t c_move_prev(DbCursor *b) {
  MemCursor *c = cur(b);
  int64_t id = c->pos - 1;
  while (id >= 0 && !matches(c, id)) id--;
  return stand(c, id);
}

int32_t c_move_first(DbCursor *b) {
  cur(b)->pos = -1;
  return c_move_next(b);
}

int32_t c_move_last(DbCursor *b) {
  cur(b)->pos = row_count(cur(b));
  return c_move_prev(b);
}

void c_close(DbCursor *b) {
  cur(b)->m->openCursors--;
  delete cur(b);
}

int32_t c_field_count(DbCursor *b) { return (int32_t)cur(b)->cols.size(); }
DbText c_field_name(DbCursor *b, int32_t f) { return table(cur(b))->columns[cur(b)->cols[f]].name; }
DbType c_field_type(DbCursor *b, int32_t f) { return table(cur(b))->columns[cur(b)->cols[f]].type; }
int32_t c_at_end(DbCursor *b) { return cur(b)->pos >= row_count(cur(b)); }
int32_t c_at_start(DbCursor *b) { return cur(b)->pos < 0; }

bool on_row(MemCursor *c) { return c->pos >= 0 && c->pos < row_count(c) && table(c)->live[c->pos]; }

void c_value(DbCursor *b, int32_t f, DbValue *out) {
  MemCursor *c = cur(b);
  if (!on_row(c)) return (void)(*out = DbValue{kDbNull, 0, 0, {nullptr, 0}});
  const MemCell &x = c->editing ? c->pending[c->cols[f]] : table(c)->rows[c->pos][c->cols[f]];
  *out = value(x);
}

int32_t c_edit(DbCursor *b) {
  MemCursor *c = cur(b);
  if (!on_row(c)) return fail(c->m, 1, "No current row");
  c->pending = table(c)->rows[c->pos];
  c->editing = true;
  return 1;
}

int32_t c_set_value(DbCursor *b, int32_t f, const DbValue *v) {
  MemCursor *c = cur(b);
  const DbColumn &col = table(c)->columns[c->cols[f]];
  if (!c->editing) return fail(c->m, 1, "Not editing");
  if (!convert(col.type, *v, &c->pending[c->cols[f]]))
    return fail(c->m, 3, "Not a " + std::string(dbtype_name(col.type)));
  return 1;
}

int32_t c_update(DbCursor *b) {
  MemCursor *c = cur(b);
  if (!c->editing) return fail(c->m, 1, "Not editing");
  for (size_t i = 0; i < table(c)->columns.size(); i++)
    if (!table(c)->columns[i].nullable && c->pending[i].type == kDbNull)
      return fail(c->m, 4, "Column " + table(c)->columnNames[i] + " may not be NULL");
  table(c)->rows[c->pos] = c->pending;
  c->editing = false;
  c->m->calls++;
  return 1;
}

int32_t c_delete_row(DbCursor *b) {
  MemCursor *c = cur(b);
  if (!on_row(c)) return fail(c->m, 1, "No current row");
  table(c)->live[c->pos] = false;
  table(c)->rows[c->pos].clear();
  c->m->calls++;
  c_move_next(b);
  return 1;
}

int64_t c_row_id(DbCursor *b) { return cur(b)->pos; }

int32_t c_seek_row(DbCursor *b, int64_t id) {
  MemCursor *c = cur(b);
  if (id < 0 || id >= row_count(c) || !matches(c, id)) return 0;
  return stand(c, id);
}

const DbCursorOps kCursorOps = {c_close,    c_field_count, c_field_name, c_field_type, c_at_end,
                                c_at_start, c_move_next,   c_move_prev,  c_move_first, c_move_last,
                                c_value,    c_edit,        c_set_value,  c_update,     c_delete_row,
                                c_row_id,   c_seek_row};

MemCursor *new_cursor(MemEngine *m, int32_t tableAt, const DbCondition *where) {
  MemCursor *c = new MemCursor{};
  c->base.ops = &kCursorOps;
  c->m = m;
  c->tableAt = tableAt;
  c->where = where;
  c->pos = -1;
  m->openCursors++;
  return c;
}

// Checks that every column a condition names exists (a right-hand name
// without a table may be literal text).
bool condition_columns(MemEngine *m, const MemTable &t, const DbCondition *w) {
  if (!w) return true;
  if (w->op == kDbAnd || w->op == kDbOr)
    return condition_columns(m, t, w->left) && condition_columns(m, t, w->rightChild);
  if (column_index(t, w->column) < 0) return fail(m, 5, "No column " + str(w->column)), false;
  if (w->rightIsColumn && w->rightTable.length && column_index(t, w->right) < 0)
    return fail(m, 5, "No column " + str(w->right)), false;
  return true;
}

DbCursor *e_open_cursor(DbEngine *e, DbText name, const DbText *columns, int32_t count,
                        const DbCondition *where) {
  MemEngine *m = mem(e);
  ok(m);
  int32_t t = table_index(m, name);
  if (t < 0) return fail(m, 2, "No table " + str(name)), nullptr;
  if (!condition_columns(m, m->tables[t], where)) return nullptr;
  MemCursor *c = new_cursor(m, t, where);
  for (int32_t i = 0; i < count; i++) c->cols.push_back(column_index(m->tables[t], columns[i]));
  if (!count)
    for (size_t i = 0; i < m->tables[t].columns.size(); i++) c->cols.push_back((int32_t)i);
  c_move_next(&c->base);
  return &c->base;
}

int32_t e_create_table(DbEngine *e, DbText name, const DbColumn *columns, int32_t count,
                       const uint8_t *keys, int32_t keyCount) {
  MemEngine *m = mem(e);
  ok(m);
  if (table_index(m, name) >= 0) return fail(m, 6, "Table " + str(name) + " exists");
  MemTable t;
  t.name = str(name);
  for (int32_t i = 0; i < count; i++) add_column(&t, columns[i]);
  t.keys.assign(keys, keys + keyCount);
  m->tables.push_back(std::move(t));
  for (MemTable &each : m->tables) repoint(&each); // the vector may have moved them
  return 1;
}

int32_t e_insert(DbEngine *e, DbText name, const DbAssignment *values, int32_t count) {
  MemEngine *m = mem(e);
  ok(m);
  int32_t ti = table_index(m, name);
  if (ti < 0) return fail(m, 2, "No table " + str(name));
  MemTable &t = m->tables[ti];
  std::vector<MemCell> row(t.columns.size(), MemCell{kDbNull, 0, 0, ""});
  for (int32_t i = 0; i < count; i++) {
    int32_t c = column_index(t, values[i].column);
    if (c < 0) return fail(m, 5, "No column " + str(values[i].column));
    DbValue v;
    if (!dbvalue_from_assignment(t.columns[c].type, &values[i], &v))
      return fail(m, 3, "Not a " + std::string(dbtype_name(t.columns[c].type)));
    row[c] = cell(v);
  }
  for (size_t i = 0; i < row.size(); i++)
    if (!t.columns[i].nullable && row[i].type == kDbNull)
      return fail(m, 4, "Column " + t.columnNames[i] + " may not be NULL");
  t.rows.push_back(std::move(row));
  t.live.push_back(true);
  return 1;
}

int32_t e_add_column(DbEngine *e, DbText name, const DbColumn *column) {
  MemEngine *m = mem(e);
  ok(m);
  int32_t t = table_index(m, name);
  if (t < 0) return fail(m, 2, "No table " + str(name));
  add_column(&m->tables[t], *column);
  return 1;
}

int32_t e_error_code(DbEngine *e) { return mem(e)->errorCode; }
DbText e_error_message(DbEngine *e) {
  return DbText{mem(e)->errorMessage.data(), (uint32_t)mem(e)->errorMessage.size()};
}

int32_t e_commit(DbEngine *e) {
  ok(mem(e));
  mem(e)->committed = mem(e)->tables;
  return 1;
}

int32_t e_rollback(DbEngine *e) {
  ok(mem(e));
  mem(e)->tables = mem(e)->committed;
  for (MemTable &t : mem(e)->tables) repoint(&t);
  return 1;
}

DbColumn column(const char *name, DbType type) { return DbColumn{dbtext_cstr(name), type, 1}; }

DbCursor *schema_cursor(MemEngine *m, MemTable &&t) {
  MemCursor *c = new_cursor(m, -1, nullptr);
  c->own = std::move(t);
  repoint(&c->own);
  for (size_t i = 0; i < c->own.columns.size(); i++) c->cols.push_back((int32_t)i);
  c_move_next(&c->base);
  return &c->base;
}

DbCursor *e_table_schema(DbEngine *e) {
  MemEngine *m = mem(e);
  MemTable s;
  add_column(&s, column("TableName", kDbText));
  for (const MemTable &t : m->tables) {
    s.rows.push_back({MemCell{kDbText, 0, 0, t.name}});
    s.live.push_back(true);
  }
  return schema_cursor(m, std::move(s));
}

DbCursor *e_field_schema(DbEngine *e, DbText name) {
  MemEngine *m = mem(e);
  ok(m);
  int32_t ti = table_index(m, name);
  if (ti < 0) return fail(m, 2, "No table " + str(name)), nullptr;
  const MemTable &t = m->tables[ti];
  MemTable s;
  for (const char *n : {"ColumnName", "FieldType", "IsPrimary", "NotNull"})
    add_column(&s, column(n, n[0] == 'C' ? kDbText : n[0] == 'F' ? kDbInteger : kDbBoolean));
  for (size_t i = 0; i < t.columns.size(); i++) {
    bool primary = false;
    for (uint8_t k : t.keys) primary |= k == i;
    s.rows.push_back(
        {MemCell{kDbText, 0, 0, t.columnNames[i]}, MemCell{kDbInteger, t.columns[i].type, 0, ""},
         MemCell{kDbBoolean, primary, 0, ""}, MemCell{kDbBoolean, !t.columns[i].nullable, 0, ""}});
    s.live.push_back(true);
  }
  return schema_cursor(m, std::move(s));
}

const DbEngineOps kEngineOps = {e_create_table, e_insert,        e_open_cursor, e_add_column,
                                e_error_code,   e_error_message, e_commit,      e_rollback,
                                e_table_schema, e_field_schema};

} // namespace

void mem_init(MemEngine *m) {
  m->ops = kEngineOps;
  m->base.ops = &m->ops;
  m->tables.clear();
  m->committed.clear();
  m->errorCode = 0;
  m->errorMessage.clear();
  m->calls = 0;
  m->openCursors = 0;
  m->keyOrder = false;
}

MemTable *mem_table(MemEngine *m, const char *name) {
  int32_t t = table_index(m, dbtext_cstr(name));
  return t < 0 ? nullptr : &m->tables[t];
}
