// Read-only cursors over rows built in memory: the list of tables and the
// list of a table's columns.
#include "dbengine/engine.h"

#include <deque>
#include <new>

namespace {

struct MemCursor {
  DbCursor base; // must stay first
  std::vector<std::string> names;
  std::vector<DbType> types;
  std::vector<std::vector<DbValue>> rows;
  std::deque<std::string> texts; // what the rows' texts point to
  int64_t at;                    // -1 before the rows, rows.size() after them
};

MemCursor *mc(DbCursor *c) { return reinterpret_cast<MemCursor *>(c); }
int64_t rows_of(MemCursor *c) { return static_cast<int64_t>(c->rows.size()); }
bool on_row(MemCursor *c) { return c->at >= 0 && c->at < rows_of(c); }

void m_close(DbCursor *c) { delete mc(c); }
int32_t m_field_count(DbCursor *c) { return static_cast<int32_t>(mc(c)->names.size()); }
DbText m_field_name(DbCursor *c, int32_t f) {
  if (f < 0 || f >= m_field_count(c)) return DbText{"", 0};
  return DbText{mc(c)->names[f].data(), static_cast<uint32_t>(mc(c)->names[f].size())};
}
DbType m_field_type(DbCursor *c, int32_t f) {
  return f < 0 || f >= m_field_count(c) ? kDbNull : mc(c)->types[f];
}
int32_t m_at_end(DbCursor *c) { return mc(c)->at >= rows_of(mc(c)); }
int32_t m_at_start(DbCursor *c) { return mc(c)->at < 0; }
int32_t m_move_next(DbCursor *c) {
  if (mc(c)->at < rows_of(mc(c))) mc(c)->at++;
  return on_row(mc(c));
}
int32_t m_move_prev(DbCursor *c) {
  if (mc(c)->at >= 0) mc(c)->at--;
  return on_row(mc(c));
}
int32_t m_move_first(DbCursor *c) {
  mc(c)->at = 0;
  return on_row(mc(c));
}
int32_t m_move_last(DbCursor *c) {
  mc(c)->at = rows_of(mc(c)) - 1;
  return on_row(mc(c));
}
void m_value(DbCursor *c, int32_t f, DbValue *out) {
  *out = DbValue{kDbNull, 0, 0, {nullptr, 0}};
  if (on_row(mc(c)) && f >= 0 && f < m_field_count(c)) *out = mc(c)->rows[mc(c)->at][f];
}
int64_t m_row_id(DbCursor *c) { return on_row(mc(c)) ? mc(c)->at + 1 : 0; }
int32_t m_seek_row(DbCursor *c, int64_t id) {
  if (id < 1 || id > rows_of(mc(c))) return 0;
  mc(c)->at = id - 1;
  return 1;
}

const DbCursorOps kMemCursorOps = {
    m_close,     m_field_count, m_field_name, m_field_type, m_at_end,  m_at_start,
    m_move_next, m_move_prev,   m_move_first, m_move_last,  m_value,   nullptr,
    nullptr,     nullptr,       nullptr,      m_row_id,     m_seek_row};

MemCursor *mem_open(Db *db, std::initializer_list<std::pair<const char *, DbType>> fields) {
  MemCursor *c = new (std::nothrow) MemCursor();
  if (!c) {
    db_fail(&db->status, kDbErrNoMemory, "out of memory");
    return nullptr;
  }
  c->base.ops = &kMemCursorOps;
  for (auto &f : fields) {
    c->names.push_back(f.first);
    c->types.push_back(f.second);
  }
  c->at = 0;
  return c;
}

DbValue text(MemCursor *c, const std::string &s) {
  c->texts.push_back(s);
  return DbValue{kDbText, 0, 0, {c->texts.back().data(), static_cast<uint32_t>(s.size())}};
}

} // namespace

DbCursor *schema_tables_cursor(Db *db) {
  MemCursor *c = mem_open(db, {{"TableName", kDbText}});
  if (!c) return nullptr;
  for (auto &t : db->tables)
    if (!t->system) c->rows.push_back({text(c, t->name)});
  return &c->base;
}

DbCursor *schema_fields_cursor(Db *db, TableDef *t) {
  MemCursor *c = mem_open(db, {{"ColumnName", kDbText},
                               {"FieldType", kDbInteger},
                               {"IsPrimary", kDbBoolean},
                               {"NotNull", kDbBoolean}});
  if (!c) return nullptr;
  for (auto &col : t->columns)
    c->rows.push_back({text(c, col.name), DbValue{kDbInteger, col.type, 0, {nullptr, 0}},
                       DbValue{kDbBoolean, col.keyPosition >= 0, 0, {nullptr, 0}},
                       DbValue{kDbBoolean, !col.nullable, 0, {nullptr, 0}}});
  return &c->base;
}
