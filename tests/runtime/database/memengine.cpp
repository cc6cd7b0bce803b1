// The in-memory engine's routines: a cursor stands on an index into its
// table's rows (-1 before the first, the count past the last) and edits a
// copy of the row until update.
#include "memengine.h"
#include <cstring>

namespace memdb {
namespace {

struct Cursor {
  DbCursor base;
  DbCursorOps ops;
  Engine *engine;
  Table *table;
  int32_t at = 0;
  bool editing = false;
  std::vector<Value> edited;
  std::string scratch; // the text a value read last points into
};

Cursor *cur(DbCursor *c) { return (Cursor *)c; }
std::string str(DbText t) { return std::string(t.bytes ? t.bytes : "", t.length); }
DbText text(const std::string &s) { return {s.data(), (uint32_t)s.size()}; }
int32_t count(Cursor *c) { return (int32_t)c->table->rows.size(); }
bool onRow(Cursor *c) { return c->at >= 0 && c->at < count(c); }

void fail(Engine *e, int32_t code, const char *message) {
  e->errorCode = code;
  e->errorMessage = message;
}

void close(DbCursor *c) {
  cur(c)->engine->openCursors--;
  delete cur(c);
}
int32_t fieldCount(DbCursor *c) { return (int32_t)cur(c)->table->columns.size(); }
DbText fieldName(DbCursor *c, int32_t f) { return text(cur(c)->table->columns[f]); }
DbType fieldType(DbCursor *c, int32_t f) { return cur(c)->table->types[f]; }
int32_t atEnd(DbCursor *c) { return cur(c)->at >= count(cur(c)); }
int32_t atStart(DbCursor *c) { return cur(c)->at < 0; }
int32_t moveNext(DbCursor *c) {
  Cursor *k = cur(c);
  k->editing = false;
  if (k->at < count(k)) k->at++;
  return onRow(k);
}
int32_t movePrev(DbCursor *c) {
  Cursor *k = cur(c);
  k->editing = false;
  if (k->at >= 0) k->at--;
  return onRow(k);
}
int32_t moveFirst(DbCursor *c) {
  cur(c)->editing = false;
  cur(c)->at = count(cur(c)) ? 0 : 0;
  return onRow(cur(c));
}
int32_t moveLast(DbCursor *c) {
  cur(c)->editing = false;
  cur(c)->at = count(cur(c)) - 1;
  return onRow(cur(c));
}
void value(DbCursor *c, int32_t f, DbValue *out) {
  Cursor *k = cur(c);
  *out = {};
  if (!onRow(k)) return;
  const Value &v = k->editing ? k->edited[f] : k->table->rows[k->at][f];
  if (!v) return;
  k->scratch = *v;
  out->type = kDbText; /* every value travels as its text */
  out->text = text(k->scratch);
}
int32_t edit(DbCursor *c) {
  Cursor *k = cur(c);
  if (!onRow(k)) return fail(k->engine, 1004, "no row"), 0;
  k->editing = true;
  k->edited = k->table->rows[k->at];
  return 1;
}
int32_t setValue(DbCursor *c, int32_t f, const DbValue *v) {
  Cursor *k = cur(c);
  if (!k->editing) return fail(k->engine, 1005, "not editing"), 0;
  if (v->type == kDbNull)
    k->edited[f] = std::nullopt;
  else if (v->type == kDbInteger || v->type == kDbSmallInt || v->type == kDbBoolean)
    k->edited[f] = std::to_string(v->integer);
  else
    k->edited[f] = str(v->text);
  return 1;
}
int32_t update(DbCursor *c) {
  Cursor *k = cur(c);
  if (!k->editing || !onRow(k)) return fail(k->engine, 1005, "not editing"), 0;
  k->table->rows[k->at] = k->edited;
  k->editing = false;
  return 1;
}
int32_t deleteRow(DbCursor *c) {
  Cursor *k = cur(c);
  if (!onRow(k)) return fail(k->engine, 1004, "no row"), 0;
  k->table->rows.erase(k->table->rows.begin() + k->at);
  k->table->ids.erase(k->table->ids.begin() + k->at);
  return 1; /* standing on the row that followed, or at the end */
}
int64_t rowId(DbCursor *c) { return onRow(cur(c)) ? cur(c)->table->ids[cur(c)->at] : 0; }
int32_t seekRow(DbCursor *c, int64_t id) {
  Cursor *k = cur(c);
  k->editing = false;
  for (int32_t i = 0; i < count(k); i++)
    if (k->table->ids[i] == id) return k->at = i, 1;
  return 0;
}

Engine *eng(DbEngine *e) { return (Engine *)e; }

DbCursor *openCursor(DbEngine *e, DbText table, const DbText *, int32_t, const DbCondition *) {
  Engine *m = eng(e);
  Table *t = m->find(str(table));
  if (!t) return fail(m, 1010, "no such table"), nullptr;
  Cursor *c = new Cursor;
  c->ops = {close,    fieldCount, fieldName, fieldType, atEnd,  atStart, moveNext, movePrev, moveFirst,
            moveLast, value,      edit,      setValue,  update, deleteRow, rowId,  seekRow};
  if (m->lacks & kLacksSeek) c->ops.rowId = nullptr, c->ops.seekRow = nullptr;
  if (m->lacks & kLacksBack)
    c->ops.movePrev = c->ops.moveFirst = c->ops.moveLast = nullptr;
  if (m->lacks & kLacksEdit)
    c->ops.edit = nullptr, c->ops.setValue = nullptr, c->ops.update = nullptr,
    c->ops.deleteRow = nullptr;
  c->base.ops = &c->ops;
  c->engine = m;
  c->table = t;
  m->openCursors++;
  m->errorCode = 0;
  return &c->base;
}

int32_t insert(DbEngine *e, DbText table, const DbAssignment *values, int32_t n) {
  Engine *m = eng(e);
  Table *t = m->find(str(table));
  if (!t) return fail(m, 1010, "no such table"), 0;
  if (m->failInserts > 0) return m->failInserts--, fail(m, 1019, "disk full"), 0;
  std::vector<Value> row(t->columns.size());
  for (int32_t i = 0; i < n; i++) {
    size_t col = 0;
    while (col < t->columns.size() &&
           strcasecmp(t->columns[col].c_str(), str(values[i].column).c_str()) != 0)
      col++;
    if (col == t->columns.size()) return fail(m, 1011, "no such column"), 0;
    row[col] = str(values[i].value);
  }
  t->rows.push_back(row);
  t->ids.push_back(t->nextId++);
  m->errorCode = 0;
  return 1;
}

int32_t errorCode(DbEngine *e) { return eng(e)->errorCode; }
DbText errorMessage(DbEngine *e) { return text(eng(e)->errorMessage); }

const DbEngineOps kOps = {nullptr,   insert,       openCursor, nullptr, errorCode,
                          errorMessage, nullptr,  nullptr,    nullptr, nullptr};

} // namespace

Engine::Engine() { base.ops = &kOps; }

Table &Engine::table(const std::string &name, std::vector<std::string> columns,
                     std::vector<DbType> types) {
  tables.push_back({name, columns, types, {}, {}, 1});
  return tables.back();
}

Table *Engine::find(const std::string &name) {
  for (Table &t : tables)
    if (strcasecmp(t.name.c_str(), name.c_str()) == 0) return &t;
  return nullptr;
}

void Engine::add(const std::string &table, std::vector<Value> row) {
  Table *t = find(table);
  t->rows.push_back(row);
  t->ids.push_back(t->nextId++);
}

} // namespace memdb
