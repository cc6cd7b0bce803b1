// The row set cursor: the rows of a finished sort or grouping, in memory or
// in one run, with every move. A sorted result over one table also edits:
// each row carries its table row's identity, and edit, update and delete go
// to that row through the table's cursor.
#include "database/sqlrow.h"
#include <cstdlib>
#include <map>
#include <new>

namespace {

// Rows stand at 0 .. count-1; pos -1 is before the first row and count after
// the last. Rows changed or deleted through the cursor are kept aside.
struct RowSet {
  SqlCursorHead head;
  int32_t columns; // values per row (the items, then the row identity when editable)
  std::vector<std::string> memory;
  SqlRun run;
  SqlRunReader reader;
  int64_t pos, count;
  std::vector<DbValue> values; // the current row's
  SqlRowSource source;         // table nil: read-only
  std::map<int64_t, std::string> changed;
  std::vector<bool> deleted;
};

RowSet *rows(DbCursor *c) { return (RowSet *)c; }
bool on_row(const RowSet *s) { return s->pos >= 0 && s->pos < s->count; }
bool is_deleted(const RowSet *s, int64_t pos) { return !s->deleted.empty() && s->deleted[pos]; }

bool row_bytes(RowSet *s, const char **bytes, size_t *length) {
  auto it = s->changed.find(s->pos);
  if (it != s->changed.end()) {
    *bytes = it->second.data();
    *length = it->second.size();
    return true;
  }
  if (s->memory.empty()) return sql_run_read_at(&s->reader, (size_t)s->pos, bytes, length);
  *bytes = s->memory[s->pos].data();
  *length = s->memory[s->pos].size();
  return true;
}

// Decodes row pos into values; a row that cannot be read ends the set.
bool load(RowSet *s) {
  if (!on_row(s)) return false;
  const char *bytes;
  size_t length;
  if (!row_bytes(s, &bytes, &length) ||
      !sql_row_decode(bytes, length, s->columns, s->values.data()))
    return s->pos = s->count, false;
  return true;
}

// Moves to pos, stepping on past deleted rows in the direction of travel.
int32_t move_to(DbCursor *c, int64_t pos, int step) {
  RowSet *s = rows(c);
  while (pos >= 0 && pos < s->count && is_deleted(s, pos)) pos += step;
  s->pos = pos < -1 ? -1 : pos > s->count ? s->count : pos;
  return load(s);
}

void rs_close(DbCursor *c) {
  RowSet *s = rows(c);
  sql_run_close(&s->run);
  if (s->source.table) s->source.table->ops->close(s->source.table);
  bool owns = s->head.ownsQuery;
  SqlQuery *q = s->head.q;
  s->~RowSet();
  if (owns) sql_query_free(q);
  free(s);
}

int32_t rs_field_count(DbCursor *c) { return rows(c)->head.q->visibleCount; }
DbText rs_field_name(DbCursor *c, int32_t f) { return rows(c)->head.q->items[f].name; }
DbType rs_field_type(DbCursor *c, int32_t f) { return rows(c)->head.q->items[f].type; }
int32_t rs_at_end(DbCursor *c) { return rows(c)->pos >= rows(c)->count; }
int32_t rs_at_start(DbCursor *c) { return rows(c)->pos < 0; }
int32_t rs_move_next(DbCursor *c) { return move_to(c, rows(c)->pos + 1, 1); }
int32_t rs_move_prev(DbCursor *c) { return move_to(c, rows(c)->pos - 1, -1); }
int32_t rs_move_first(DbCursor *c) { return move_to(c, 0, 1); }
int32_t rs_move_last(DbCursor *c) { return move_to(c, rows(c)->count - 1, -1); }

void rs_value(DbCursor *c, int32_t f, DbValue *out) {
  RowSet *s = rows(c);
  if (on_row(s))
    *out = s->values[f];
  else
    *out = DbValue{kDbNull, 0, 0.0, {nullptr, 0}};
}

// Editing: the table's cursor is put on the current row's identity first.
DbCursor *table_on_row(RowSet *s) {
  DbCursor *t = s->source.table;
  if (!on_row(s) || !t->ops->seekRow(t, s->values[s->columns - 1].integer)) return nullptr;
  return t;
}

int64_t rs_row_id(DbCursor *c) {
  return on_row(rows(c)) ? rows(c)->values[rows(c)->columns - 1].integer : -1;
}

int32_t rs_edit(DbCursor *c) {
  DbCursor *t = table_on_row(rows(c));
  return t && t->ops->edit(t);
}

int32_t rs_set_value(DbCursor *c, int32_t f, const DbValue *v) {
  DbCursor *t = rows(c)->source.table;
  return t->ops->setValue(t, rows(c)->source.fields[f], v);
}

// After an update the row shows the table row's new values (it keeps its
// place in the order).
int32_t rs_update(DbCursor *c) {
  RowSet *s = rows(c);
  DbCursor *t = s->source.table;
  if (!on_row(s) || !t->ops->update(t)) return 0;
  std::vector<DbValue> row(s->columns);
  for (int32_t i = 0; i < s->columns - 1; i++) t->ops->value(t, s->source.fields[i], &row[i]);
  row[s->columns - 1] = s->values[s->columns - 1];
  std::string bytes;
  sql_row_encode(row.data(), s->columns, &bytes);
  s->changed[s->pos] = std::move(bytes);
  return load(s);
}

int32_t rs_delete_row(DbCursor *c) {
  RowSet *s = rows(c);
  DbCursor *t = table_on_row(s);
  if (!t || !t->ops->deleteRow(t)) return 0;
  if (s->deleted.empty()) s->deleted.resize(s->count);
  s->deleted[s->pos] = true;
  move_to(c, s->pos + 1, 1);
  return 1;
}

} // namespace

DbCursor *sql_rowset_open(SqlQuery *q, int32_t columns, std::vector<std::string> *memory,
                          SqlRun *run, SqlRowSource *source) {
  RowSet *s = new (calloc(1, sizeof(RowSet))) RowSet();
  s->head.base.ops = &s->head.ops;
  s->head.ops = DbCursorOps{rs_close,    rs_field_count, rs_field_name, rs_field_type, rs_at_end,
                            rs_at_start, rs_move_next,   rs_move_prev,  rs_move_first, rs_move_last,
                            rs_value,    nullptr,        nullptr,       nullptr,       nullptr,
                            nullptr,     nullptr};
  if (source && source->table) {
    s->source = std::move(*source);
    s->head.ops.edit = rs_edit;
    s->head.ops.setValue = rs_set_value;
    s->head.ops.update = rs_update;
    s->head.ops.deleteRow = s->source.table->ops->deleteRow ? rs_delete_row : nullptr;
    s->head.ops.rowId = rs_row_id;
  }
  s->head.q = q;
  s->columns = columns;
  s->values.resize(columns ? columns : 1);
  s->memory = std::move(*memory);
  if (run) s->run = std::move(*run);
  sql_run_reader_init(&s->reader, &s->run);
  s->count = s->memory.empty() ? (int64_t)sql_run_rows(&s->run) : (int64_t)s->memory.size();
  move_to(&s->head.base, 0, 1);
  return &s->head.base;
}
