// DatabaseQuery objects: a statement with "?" markers, the values bound to
// them by number (handed to the statement layer as values, never pasted into
// the text), and RunQuery, which selects or executes it on the query's database.
#include "base/pool.h"
#include "database/dbinternal.h"
#include "database/sql.h"
#include "objects/registry.h"
#include <cstring>

enum { kMaxParameters = 1000 }; // a number beyond this is a mistake, not a statement

static void clearParameter(DbQueryParameter *p) {
  RuntimeUnlockString(p->text);
  memset(p, 0, sizeof *p);
}

static void queryDestructor(Object *o, ClassDef *) {
  DatabaseQueryObject *q = (DatabaseQueryObject *)o;
  for (int32_t i = 0; i < q->count; i++) clearParameter(&q->parameters[i]);
  if (q->parameters) pool_free(q->parameters, q->count * (int32_t)sizeof(DbQueryParameter));
  q->parameters = nullptr;
  q->count = 0;
  RuntimeUnlockObject(&q->database->header);
  RuntimeUnlockObject(&q->result->header);
  RuntimeUnlockString(q->statement);
  q->database = nullptr;
  q->result = nullptr;
  q->statement = nullptr;
}

void dbquery_classes_attach() { registry_find("DatabaseQuery")->destructor = queryDestructor; }

// Makes room for parameter number n (0-based).
static DbQueryParameter *parameterSlot(DatabaseQueryObject *q, int32_t n) {
  if (n >= q->count) {
    int32_t bytes = (n + 1) * (int32_t)sizeof(DbQueryParameter);
    DbQueryParameter *grown = (DbQueryParameter *)pool_alloc(bytes);
    memset(grown, 0, bytes);
    if (q->count) memcpy(grown, q->parameters, q->count * sizeof(DbQueryParameter));
    if (q->parameters) pool_free(q->parameters, q->count * (int32_t)sizeof(DbQueryParameter));
    q->parameters = grown;
    q->count = n + 1;
  }
  return &q->parameters[n];
}

// Binds the text to marker number index (1-based: the first "?" is 1).
extern "C" void databaseQuerySetParameter(DatabaseQueryObject *q, int32_t index, RString *value) {
  if (!q) return;
  if (index < 1 || index > kMaxParameters) {
    if (q->database) database_fail(q->database, kDbErrBadParameter, "No such query parameter");
    return;
  }
  DbQueryParameter *p = parameterSlot(q, index - 1);
  clearParameter(p);
  p->type = kDbText;
  str_assign(&p->text, value);
}

// True when the statement's first word is SELECT.
static bool isSelect(RString *s) {
  const char *t = str_cview(s);
  while (*t && (uint8_t)*t <= ' ') t++;
  return _strnicmp(t, "select", 6) == 0 && (uint8_t)t[6] <= ' ';
}

// Runs the statement: a SELECT gives the query's cursor (also returned, a
// new reference), anything else is executed and gives nil.
extern "C" Object *databaseQueryRunQuery(DatabaseQueryObject *q) {
  if (!q) return nullptr;
  RuntimeUnlockObject(&q->result->header);
  q->result = nullptr;
  DatabaseObject *db = q->database;
  if (!db) return nullptr;
  db->errorCode = 0;
  if (!database_ensure_open(db)) return nullptr;
  if (!db->engine)
    return database_fail(db, kDbErrNoOperation, "This database cannot bind parameters"), nullptr;
  int32_t n = q->count;
  DbValue *values = (DbValue *)pool_alloc((n ? n : 1) * (int32_t)sizeof(DbValue));
  for (int32_t i = 0; i < n; i++) {
    values[i] = DbValue{};
    values[i].type = (DbType)q->parameters[i].type;
    values[i].text = db_text(q->parameters[i].text);
  }
  SqlError e;
  sql_error_init(&e);
  if (isSelect(q->statement)) {
    DbCursor *c = sql_select_bound(db->engine, db_text(q->statement), values, n, &e);
    q->result = dbcursor_make(db, c, q->statement);
  } else {
    sql_execute_bound(db->engine, db_text(q->statement), values, n, &e);
  }
  pool_free(values, (n ? n : 1) * (int32_t)sizeof(DbValue));
  database_store_sql_error(db, &e);
  if (!q->result) return nullptr;
  return RuntimeLockObject(&q->result->header);
}
