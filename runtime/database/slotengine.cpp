// A plug-in engine's slot table seen as a DbEngine, so that the statement
// layer can run SQL over it: texts become runtime strings, lists and
// condition trees are rebuilt with them, and a slot the engine lacks is
// reported as an error on the database rather than called.
#include "base/pool.h"
#include "database/dbinternal.h"
#include "karuplugin.h"

struct SlotEngine {
  DbEngine base;
  DatabaseObject *db;   // the owner; not retained (it frees this engine)
  RString *lastMessage; // keeps the text errorMessage handed out
  RString *ownMessage;  // the adapter's own failure (a missing slot), or nil
  int32_t ownCode;      // its code, 0 when the last operation reached the engine
};

static SlotEngine *slotEngine(DbEngine *e) { return (SlotEngine *)e; }
static const DbSlots *slots(DbEngine *e) { return slotEngine(e)->db->slots; }
static void *handle(DbEngine *e) { return slotEngine(e)->db->handle; }

// Reports a missing slot, as this engine's error (read by the statement
// layer) and on the database (read by everyone else); returns 0.
static int32_t lacks(DbEngine *e, const char *what) {
  SlotEngine *s = slotEngine(e);
  RString *m = str_from("The database engine cannot ");
  RString *w = str_from(what);
  str_append(&m, w);
  str_assign(&s->ownMessage, m);
  s->ownCode = kDbErrNoOperation;
  KARUDatabaseSetError(s->db, kDbErrNoOperation, m);
  RuntimeUnlockString(m);
  RuntimeUnlockString(w);
  return 0;
}

// Every operation starts with no failure of the adapter's own.
static const DbSlots *begin(DbEngine *e) {
  slotEngine(e)->ownCode = 0;
  return slots(e);
}

static int32_t succeeded(DbEngine *e) {
  return !slots(e)->errorCode || slots(e)->errorCode(handle(e)) == 0;
}

// Runtime-string lists are built in one pool block with their strings.
static DbSlotColumn *columnList(const DbColumn *columns, int32_t n) {
  DbSlotColumn *list = (DbSlotColumn *)pool_alloc((n ? n : 1) * (int32_t)sizeof(DbSlotColumn));
  for (int32_t i = 0; i < n; i++) {
    list[i].name = db_string(columns[i].name);
    list[i].type = columns[i].type;
    list[i].nullable = columns[i].nullable;
    list[i].spare[0] = list[i].spare[1] = 0;
    list[i].next = i + 1 < n ? &list[i + 1] : nullptr;
  }
  return list;
}

static void freeColumns(DbSlotColumn *list, int32_t n) {
  for (int32_t i = 0; i < n; i++) RuntimeUnlockString(list[i].name);
  pool_free(list, (n ? n : 1) * (int32_t)sizeof(DbSlotColumn));
}

static int32_t seCreateTable(DbEngine *e, DbText table, const DbColumn *columns, int32_t n,
                             const uint8_t *keys, int32_t keyCount) {
  if (!begin(e)->createTable) return lacks(e, "create tables");
  DbSlotColumn *list = columnList(columns, n);
  RString *name = db_string(table);
  slots(e)->createTable(handle(e), name, n ? list : nullptr, keys, keyCount);
  RuntimeUnlockString(name);
  freeColumns(list, n);
  return succeeded(e);
}

static int32_t seInsert(DbEngine *e, DbText table, const DbAssignment *values, int32_t n) {
  if (!begin(e)->insert) return lacks(e, "insert rows");
  DbSlotAssignment *list =
      (DbSlotAssignment *)pool_alloc((n ? n : 1) * (int32_t)sizeof(DbSlotAssignment));
  for (int32_t i = 0; i < n; i++) {
    list[i] = DbSlotAssignment{db_string(values[i].column),
                               db_string(values[i].value),
                               values[i].quoted,
                               {0, 0, 0},
                               i + 1 < n ? &list[i + 1] : nullptr};
  }
  RString *name = db_string(table);
  slots(e)->insert(handle(e), name, n ? list : nullptr);
  RuntimeUnlockString(name);
  for (int32_t i = 0; i < n; i++) {
    RuntimeUnlockString(list[i].column);
    RuntimeUnlockString(list[i].value);
  }
  pool_free(list, (n ? n : 1) * (int32_t)sizeof(DbSlotAssignment));
  return succeeded(e);
}

static RString *optionalString(DbText t) { return t.length ? db_string(t) : nullptr; }

static DbSlotCondition *conditionTree(const DbCondition *c) {
  if (!c) return nullptr;
  DbSlotCondition *n = (DbSlotCondition *)pool_alloc(sizeof(DbSlotCondition));
  n->op = c->op;
  n->function = c->function;
  n->rightIsColumn = c->rightIsColumn;
  n->spare = 0;
  n->column = optionalString(c->column);
  n->table = optionalString(c->table);
  n->right = optionalString(c->right);
  n->rightTable = optionalString(c->rightTable);
  n->left = conditionTree(c->left);
  n->rightChild = conditionTree(c->rightChild);
  return n;
}

static void freeCondition(DbSlotCondition *n) {
  if (!n) return;
  freeCondition(n->left);
  freeCondition(n->rightChild);
  RuntimeUnlockString(n->column);
  RuntimeUnlockString(n->table);
  RuntimeUnlockString(n->right);
  RuntimeUnlockString(n->rightTable);
  pool_free(n, sizeof *n);
}

// The DbCursor inside a cursor object the engine returned: taken out of the
// object (which is then released), since the statement layer owns it now.
static DbCursor *takeCursor(Object *o) {
  if (!o) return nullptr;
  DatabaseCursorObject *c = (DatabaseCursorObject *)o;
  DbCursor *k = c->cursor;
  c->cursor = nullptr;
  dbcursor_close(c);
  RuntimeUnlockObject(o);
  return k;
}

static DbCursor *seOpenCursor(DbEngine *e, DbText table, const DbText *columns, int32_t n,
                              const DbCondition *where) {
  if (!begin(e)->openCursor) return lacks(e, "open table cursors"), nullptr;
  DbSlotName *names = (DbSlotName *)pool_alloc((n ? n : 1) * (int32_t)sizeof(DbSlotName));
  for (int32_t i = 0; i < n; i++)
    names[i] = DbSlotName{db_string(columns[i]), i + 1 < n ? &names[i + 1] : nullptr};
  DbSlotCondition *tree = conditionTree(where);
  RString *name = db_string(table);
  Object *o = slots(e)->openCursor(handle(e), name, n ? names : nullptr, tree);
  RuntimeUnlockString(name);
  freeCondition(tree);
  for (int32_t i = 0; i < n; i++) RuntimeUnlockString(names[i].name);
  pool_free(names, (n ? n : 1) * (int32_t)sizeof(DbSlotName));
  return takeCursor(o);
}

static int32_t seAddColumn(DbEngine *e, DbText table, const DbColumn *column) {
  if (!begin(e)->addColumn) return lacks(e, "add columns");
  DbSlotColumn *list = columnList(column, 1);
  RString *name = db_string(table);
  slots(e)->addColumn(handle(e), name, list);
  RuntimeUnlockString(name);
  freeColumns(list, 1);
  return succeeded(e);
}

static int32_t seErrorCode(DbEngine *e) {
  if (slotEngine(e)->ownCode) return slotEngine(e)->ownCode;
  return slots(e)->errorCode ? slots(e)->errorCode(handle(e)) : 0;
}

static DbText seErrorMessage(DbEngine *e) {
  SlotEngine *s = slotEngine(e);
  if (s->ownCode) return db_text(s->ownMessage);
  RuntimeUnlockString(s->lastMessage);
  s->lastMessage = slots(e)->errorMessage ? slots(e)->errorMessage(handle(e)) : nullptr;
  return db_text(s->lastMessage);
}

static int32_t seCommit(DbEngine *e) {
  if (!begin(e)->commit) return lacks(e, "commit");
  slots(e)->commit(handle(e));
  return succeeded(e);
}

static int32_t seRollback(DbEngine *e) {
  if (!begin(e)->rollback) return lacks(e, "roll back");
  slots(e)->rollback(handle(e));
  return succeeded(e);
}

static DbCursor *seTableSchema(DbEngine *e) {
  if (!begin(e)->tableSchema) return lacks(e, "list its tables"), nullptr;
  return takeCursor(slots(e)->tableSchema(handle(e)));
}

static DbCursor *seFieldSchema(DbEngine *e, DbText table) {
  if (!begin(e)->fieldSchema) return lacks(e, "list a table's columns"), nullptr;
  RString *name = db_string(table);
  DbCursor *c = takeCursor(slots(e)->fieldSchema(handle(e), name));
  RuntimeUnlockString(name);
  return c;
}

static const DbEngineOps kSlotEngineOps = {
    seCreateTable,  seInsert, seOpenCursor, seAddColumn,   seErrorCode,
    seErrorMessage, seCommit, seRollback,   seTableSchema, seFieldSchema,
};
// An engine without a field schema: the statement layer learns a table's
// columns from a cursor over it instead.
static const DbEngineOps kSlotEngineOpsNoFieldSchema = {
    seCreateTable,  seInsert, seOpenCursor, seAddColumn,   seErrorCode,
    seErrorMessage, seCommit, seRollback,   seTableSchema, nullptr,
};

DbEngine *slotengine_new(DatabaseObject *db) {
  SlotEngine *s = (SlotEngine *)pool_alloc(sizeof(SlotEngine));
  s->base.ops = db->slots->fieldSchema ? &kSlotEngineOps : &kSlotEngineOpsNoFieldSchema;
  s->db = db;
  s->lastMessage = s->ownMessage = nullptr;
  s->ownCode = 0;
  return &s->base;
}

void slotengine_free(DbEngine *e) {
  RuntimeUnlockString(slotEngine(e)->lastMessage);
  RuntimeUnlockString(slotEngine(e)->ownMessage);
  pool_free(e, sizeof(SlotEngine));
}

static_assert(sizeof(KARUDBEngineSlots) == sizeof(DbSlots), "the plug-in's slot table is ours");

extern "C" int32_t PluginRegisterDBEngine(const KARUDBEngineDefinition *d) {
  return d && d->version == 1 && d->slots;
}

extern "C" KARUObject KARUdbDatabaseFromDBDatabase(void *h, const KARUDBEngineDefinition *d) {
  if (!PluginRegisterDBEngine(d) || !h) return nullptr;
  DatabaseObject *db = database_new();
  database_attach_engine(db, h, (const DbSlots *)d->slots, nullptr);
  db->engine = slotengine_new(db);
  return (KARUObject)db;
}
