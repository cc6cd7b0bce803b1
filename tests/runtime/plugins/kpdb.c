/* A plug-in with a second database engine: tables of text values held in
   memory, reached only through the record-level slots (the runtime parses
   the SQL), with commit and rollback by snapshot. It offers KpMemoryDatabase,
   and KpNoTablesDatabase, whose engine lacks the create-table and add-column
   slots. */
#include "karuplugin.h"
#include <stdlib.h>
#include <string.h>

enum { kMaxTables = 8, kMaxColumns = 8 };

typedef struct Table {
  char name[32];
  int columnCount;
  char columns[kMaxColumns][32];
  uint8_t types[kMaxColumns];
  int rowCount, rowCapacity;
  char ***rows; /* rows[r][c]: a copy, or NULL for NULL */
} Table;

typedef struct Store {
  int tableCount;
  Table tables[kMaxTables];
} Store;

typedef struct Engine {
  Store live, committed;
  int32_t error;
  char message[128];
} Engine;

static KARUBuildStringProc buildString;
static StringGetCStringProc text;
static KARUdbCursorFromDBCursorProc cursorFrom;
static KARUdbDatabaseFromDBDatabaseProc databaseFrom;

static char *copyText(const char *s) {
  if (!s) return NULL;
  char *c = malloc(strlen(s) + 1);
  strcpy(c, s);
  return c;
}

static void freeStore(Store *s) {
  for (int t = 0; t < s->tableCount; t++) {
    Table *tb = &s->tables[t];
    for (int r = 0; r < tb->rowCount; r++) {
      for (int c = 0; c < tb->columnCount; c++) free(tb->rows[r][c]);
      free(tb->rows[r]);
    }
    free(tb->rows);
  }
  s->tableCount = 0;
}

static void copyStore(Store *to, const Store *from) {
  freeStore(to);
  *to = *from;
  for (int t = 0; t < from->tableCount; t++) {
    Table *tb = &to->tables[t];
    tb->rows = malloc(sizeof(char **) * (tb->rowCapacity ? tb->rowCapacity : 1));
    for (int r = 0; r < tb->rowCount; r++) {
      tb->rows[r] = malloc(sizeof(char *) * kMaxColumns);
      for (int c = 0; c < kMaxColumns; c++) tb->rows[r][c] = copyText(from->tables[t].rows[r][c]);
    }
  }
}

static void fail(Engine *e, int32_t code, const char *message) {
  e->error = code;
  strncpy(e->message, message, sizeof e->message - 1);
}

static Table *findTable(Engine *e, KARUString name) {
  for (int t = 0; t < e->live.tableCount; t++)
    if (_stricmp(e->live.tables[t].name, text(name)) == 0) return &e->live.tables[t];
  fail(e, 501, "no such table");
  return NULL;
}

static int findColumn(Table *t, const char *name) {
  for (int c = 0; c < t->columnCount; c++)
    if (_stricmp(t->columns[c], name) == 0) return c;
  return -1;
}

static void mdClose(void *h) {
  Engine *e = h;
  freeStore(&e->live);
  freeStore(&e->committed);
  free(e);
}

static void mdCreateTable(void *h, KARUString name, const KARUDBColumn *columns,
                          const uint8_t *keys, int32_t keyCount) {
  Engine *e = h;
  (void)keys, (void)keyCount;
  e->error = 0;
  if (e->live.tableCount == kMaxTables) return fail(e, 502, "too many tables");
  Table *t = &e->live.tables[e->live.tableCount++];
  memset(t, 0, sizeof *t);
  strncpy(t->name, text(name), sizeof t->name - 1);
  for (; columns && t->columnCount < kMaxColumns; columns = columns->next) {
    strncpy(t->columns[t->columnCount], text(columns->name), 31);
    t->types[t->columnCount++] = columns->type;
  }
}

static void mdInsert(void *h, KARUString name, const KARUDBAssignment *values) {
  Engine *e = h;
  e->error = 0;
  Table *t = findTable(e, name);
  if (!t) return;
  if (t->rowCount == t->rowCapacity) {
    t->rowCapacity = t->rowCapacity ? t->rowCapacity * 2 : 8;
    t->rows = realloc(t->rows, sizeof(char **) * t->rowCapacity);
  }
  char **row = calloc(kMaxColumns, sizeof(char *));
  for (; values; values = values->next) {
    int c = findColumn(t, text(values->column));
    if (c < 0) {
      for (int i = 0; i < kMaxColumns; i++) free(row[i]);
      free(row);
      return fail(e, 503, "no such column");
    }
    int isNull = !values->quoted && _stricmp(text(values->value), "NULL") == 0;
    free(row[c]);
    row[c] = isNull ? NULL : copyText(text(values->value));
  }
  t->rows[t->rowCount++] = row;
}

/* Conditions: comparisons of a column with a text or number, AND and OR. */
static int compare(const char *a, const char *b, uint8_t type) {
  if (type == 2 || type == 3 || type == 6 || type == 7) {
    double x = atof(a), y = atof(b);
    return x < y ? -1 : x > y;
  }
  return strcmp(a, b);
}

static int meets(Table *t, char **row, const KARUDBCondition *w) {
  if (!w) return 1;
  if (w->op == 64) return meets(t, row, w->left) || meets(t, row, w->rightChild);
  if (w->op == 65) return meets(t, row, w->left) && meets(t, row, w->rightChild);
  int c = findColumn(t, text(w->column));
  if (c < 0) return 0;
  const char *v = row[c];
  if (w->op == 8) return v == NULL;
  if (w->op == 9) return v != NULL;
  if (!v) return 0;
  const char *right = text(w->right);
  if (w->rightIsColumn) {
    int rc = findColumn(t, right);
    if (rc < 0 || !row[rc]) return 0;
    right = row[rc];
  }
  int k = compare(v, right, t->types[c]);
  switch (w->op) {
  case 0:
    return k == 0;
  case 1:
    return k < 0;
  case 2:
    return k > 0;
  case 3:
    return k <= 0;
  case 4:
    return k >= 0;
  case 5:
    return k != 0;
  default:
    return 0;
  }
}

/* A cursor: the matching rows' numbers, the selected columns, a position. */
typedef struct Cursor {
  Engine *engine;
  Table *table;
  int columnCount;
  int columns[kMaxColumns];
  int rowCount;
  int *rows;
  int at;
} Cursor;

static void cuClose(void *d) {
  Cursor *c = d;
  free(c->rows);
  free(c);
}
static int32_t cuFieldCount(void *d) { return ((Cursor *)d)->columnCount; }
static KARUString cuFieldName(void *d, int32_t f) {
  Cursor *c = d;
  const char *n = c->table->columns[c->columns[f]];
  return buildString(n, (int32_t)strlen(n));
}
static int32_t cuFieldType(void *d, int32_t f) {
  Cursor *c = d;
  return c->table->types[c->columns[f]];
}
static char **cuRow(Cursor *c) { return c->table->rows[c->rows[c->at]]; }
static KARUString cuFieldValue(void *d, int32_t f) {
  Cursor *c = d;
  const char *v = cuRow(c)[c->columns[f]];
  return v ? buildString(v, (int32_t)strlen(v)) : NULL;
}
static int32_t cuFieldIsNull(void *d, int32_t f) {
  Cursor *c = d;
  return cuRow(c)[c->columns[f]] == NULL;
}
static int32_t cuAtEnd(void *d) {
  Cursor *c = d;
  return c->at >= c->rowCount;
}
static int32_t cuMoveNext(void *d) {
  Cursor *c = d;
  if (c->at < c->rowCount) c->at++;
  return !cuAtEnd(d);
}
static int32_t cuMoveFirst(void *d) {
  ((Cursor *)d)->at = 0;
  return !cuAtEnd(d);
}
static int32_t cuSetFieldValue(void *d, int32_t f, KARUString value) {
  Cursor *c = d;
  if (cuAtEnd(d)) return 0;
  char **cell = &cuRow(c)[c->columns[f]];
  free(*cell);
  *cell = copyText(text(value));
  return 1;
}
static int32_t cuUpdate(void *d) { return !cuAtEnd(d); }
static int32_t cuDeleteRow(void *d) {
  Cursor *c = d;
  if (cuAtEnd(d)) return 0;
  Table *t = c->table;
  int gone = c->rows[c->at];
  for (int i = 0; i < kMaxColumns; i++) free(t->rows[gone][i]);
  free(t->rows[gone]);
  memmove(&t->rows[gone], &t->rows[gone + 1], sizeof(char **) * (t->rowCount - gone - 1));
  t->rowCount--;
  memmove(&c->rows[c->at], &c->rows[c->at + 1], sizeof(int) * (c->rowCount - c->at - 1));
  c->rowCount--;
  for (int i = c->at; i < c->rowCount; i++) c->rows[i]--; /* the rows after it moved up */
  return 1;
}

static const KARUDBCursorDefinition cursorDefinition = {
    1,          cuClose, cuFieldCount, cuFieldName,     cuFieldType, cuFieldValue, cuFieldIsNull,
    cuMoveNext, cuAtEnd, cuMoveFirst,  cuSetFieldValue, cuUpdate,    cuDeleteRow};

static KARUObject mdOpenCursor(void *h, KARUString name, const KARUDBName *columns,
                               const KARUDBCondition *where) {
  Engine *e = h;
  e->error = 0;
  Table *t = findTable(e, name);
  if (!t) return NULL;
  Cursor *c = calloc(1, sizeof *c);
  c->engine = e;
  c->table = t;
  for (; columns && c->columnCount < kMaxColumns; columns = columns->next) {
    int k = findColumn(t, text(columns->name));
    if (k < 0) {
      free(c);
      fail(e, 503, "no such column");
      return NULL;
    }
    c->columns[c->columnCount++] = k;
  }
  if (!c->columnCount)
    for (int k = 0; k < t->columnCount; k++) c->columns[c->columnCount++] = k;
  c->rows = malloc(sizeof(int) * (t->rowCount ? t->rowCount : 1));
  for (int r = 0; r < t->rowCount; r++)
    if (meets(t, t->rows[r], where)) c->rows[c->rowCount++] = r;
  return cursorFrom(c, &cursorDefinition);
}

static void mdAddColumn(void *h, KARUString name, const KARUDBColumn *column) {
  Engine *e = h;
  e->error = 0;
  Table *t = findTable(e, name);
  if (!t) return;
  if (t->columnCount == kMaxColumns) return fail(e, 504, "too many columns");
  strncpy(t->columns[t->columnCount], text(column->name), 31);
  t->types[t->columnCount++] = column->type;
}

static int32_t mdErrorCode(void *h) { return ((Engine *)h)->error; }
static KARUString mdErrorMessage(void *h) {
  Engine *e = h;
  return e->error ? buildString(e->message, (int32_t)strlen(e->message)) : NULL;
}
static void mdCommit(void *h) {
  Engine *e = h;
  e->error = 0;
  copyStore(&e->committed, &e->live);
}
static void mdRollback(void *h) {
  Engine *e = h;
  e->error = 0;
  copyStore(&e->live, &e->committed);
}

static const KARUDBEngineSlots memorySlots = {.close = mdClose,
                                              .createTable = mdCreateTable,
                                              .insert = mdInsert,
                                              .openCursor = mdOpenCursor,
                                              .addColumn = mdAddColumn,
                                              .errorCode = mdErrorCode,
                                              .errorMessage = mdErrorMessage,
                                              .commit = mdCommit,
                                              .rollback = mdRollback};
static const KARUDBEngineSlots noTablesSlots = {.close = mdClose,
                                                .insert = mdInsert,
                                                .openCursor = mdOpenCursor,
                                                .errorCode = mdErrorCode,
                                                .errorMessage = mdErrorMessage,
                                                .commit = mdCommit,
                                                .rollback = mdRollback};
static const KARUDBEngineDefinition memoryEngine = {1, "KpMemory", &memorySlots};
static const KARUDBEngineDefinition noTablesEngine = {1, "KpNoTables", &noTablesSlots};

__declspec(dllexport) KARUObject KpMemoryDatabase(void) {
  return databaseFrom(calloc(1, sizeof(Engine)), &memoryEngine);
}
__declspec(dllexport) KARUObject KpNoTablesDatabase(void) {
  return databaseFrom(calloc(1, sizeof(Engine)), &noTablesEngine);
}

static KARUMethodDescription methods[] = {
    {(void *)KpMemoryDatabase, "KpMemoryDatabase() As Database", NULL},
    {(void *)KpNoTablesDatabase, "KpNoTablesDatabase() As Database", NULL},
};

__declspec(dllexport) void KARUPluginMain(KARULookup lookup) {
  buildString = KARU_ENTRY(lookup, KARUBuildString);
  text = KARU_ENTRY(lookup, StringGetCString);
  cursorFrom = KARU_ENTRY(lookup, KARUdbCursorFromDBCursor);
  databaseFrom = KARU_ENTRY(lookup, KARUdbDatabaseFromDBDatabase);
  KARU_ENTRY(lookup, RegisterPluginVersion)(4);
  KARU_ENTRY(lookup, PluginRegisterDBEngine)(&memoryEngine);
  KARU_ENTRY(lookup, PluginRegisterDBEngine)(&noTablesEngine);
  KARU_ENTRY(lookup, PluginRegisterDBCursor)(&cursorDefinition);
  KARU_ENTRY(lookup, PluginRegisterMethod)(&methods[0]);
  KARU_ENTRY(lookup, PluginRegisterMethod)(&methods[1]);
}
