// Opening databases of the embedded engine: a new or an existing file named
// by a FolderItem, a database the application carries (opened beside the
// executable on first use), the slot table over the engine, and the list of
// open databases that the exit list closes when the runtime shuts down.
#include "base/platform.h"
#include "base/vector.h"
#include "database/dbinternal.h"
#include "database/enginefile.h"
#include "dbengine/embedded.h"
#include "files/file.h"
#include "lifecycle/exitlist.h"
#include "text/codepage.h"
#include <cstring>

// The embedded engine's slot table: the handle is its DbEngine, which the
// statement layer also works on directly (field engine), so only the slots
// the Database object itself calls are filled.
static void esClose(void *h) { embedded_close((DbEngine *)h); }
static int32_t esErrorCode(void *h) { return ((DbEngine *)h)->ops->errorCode((DbEngine *)h); }
static RString *esErrorMessage(void *h) {
  return db_string(((DbEngine *)h)->ops->errorMessage((DbEngine *)h));
}
static void esCommit(void *h) { ((DbEngine *)h)->ops->commit((DbEngine *)h); }
static void esRollback(void *h) { ((DbEngine *)h)->ops->rollback((DbEngine *)h); }

static const DbSlots kEmbeddedSlots = {
    esClose, nullptr, nullptr, nullptr, nullptr,     nullptr,        nullptr,  nullptr,    nullptr,
    nullptr, nullptr, nullptr, nullptr, esErrorCode, esErrorMessage, esCommit, esRollback,
};

// The open databases, and the object on the exit list that closes them.
static Vector openDatabases;
static ClassDef closerClass;

static void closeAll(Object *, ClassDef *) {
  while (int32_t n = vec_count(&openDatabases))
    database_close_engine((DatabaseObject *)vec_get_ptr(&openDatabases, n - 1));
  vec_dispose(&openDatabases);
  closerClass.marker =
      0; /* a later open (a new run in the same process) puts a new closer on the list */
}

// Puts the closer on the exit list: at start-up, and again on the first open
// after the list has run.
void database_exit_hold() {
  if (closerClass.marker) return;
  closerClass = gObjectClass;
  closerClass.destructor = closeAll;
  exitlist_add(CreateInstance(&closerClass));
  vec_init(&openDatabases);
}

void database_track_open(DatabaseObject *db) {
  database_exit_hold();
  vec_append(&openDatabases, (int32_t)(intptr_t)db);
}

void database_untrack_open(DatabaseObject *db) {
  for (int32_t i = vec_count(&openDatabases) - 1; i >= 0; i--)
    if (vec_get_ptr(&openDatabases, i) == db) return vec_remove(&openDatabases, i);
}

// Opens path (in the runtime's code page) with the engine's flags; nil with
// db's error set when it cannot.
static DbEngine *openFile(DatabaseObject *db, RString *path, int32_t flags) {
  RString *utf8 = str_convert(path, 0, kCpUtf8);
  DbOpenError error{};
  DbEngine *e = embedded_open(dbfile_win32(), str_cview(utf8), flags, &error);
  RuntimeUnlockString(utf8);
  if (!e) database_fail(db, error.code ? error.code : kDbErrCannotOpen, error.message);
  return e;
}

static Object *openItem(Object *folderItem, int32_t flags) {
  char path[kFolderPathMax];
  if (!folderItem || !folderitem_copy_path(folderItem, path)) return nullptr;
  DatabaseObject *db = database_new();
  RString *p = str_from(path);
  DbEngine *e = openFile(db, p, flags);
  RuntimeUnlockString(p);
  if (!e) {
    RuntimeUnlockObject(&db->header);
    return nullptr;
  }
  database_attach_engine(db, e, &kEmbeddedSlots, e);
  return &db->header;
}

// A new, empty database file (an existing one is replaced), or nil.
extern "C" Object *newKARUDatabase(Object *folderItem) {
  return openItem(folderItem, kDbOpenCreate | kDbOpenReplace);
}

// The database in an existing file, or nil.
extern "C" Object *openKARUDatabase(Object *folderItem) { return openItem(folderItem, 0); }

// Writes the carried bytes as the file's first contents; false when the file
// could not be made.
static bool writeStart(const char *path, const uint8_t *bytes, int32_t length) {
  HANDLE h =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  bool ok = WriteFile(h, bytes, (DWORD)length, &wrote, nullptr) && wrote == (DWORD)length &&
            FlushFileBuffers(h);
  CloseHandle(h);
  if (!ok) DeleteFileA(path);
  return ok;
}

// A carried database lives in the file of its name in the executable's
// folder. When that file does not exist yet it is made: from the carried
// bytes of a database file when there are any, else as an empty database.
bool database_open_carried(DatabaseObject *db) {
  char path[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(gInstance, path, MAX_PATH);
  while (n > 0 && path[n - 1] != '\\') n--;
  int32_t nameLength = str_len(db->openName);
  if (n == 0 || n + nameLength >= MAX_PATH || !name_is_plain(str_cview(db->openName)))
    return database_fail(db, kDbErrCannotOpen, "The database's name is no file name"), false;
  memcpy(path + n, str_cview(db->openName), nameLength + 1);
  if (db->openData && db->openLength > 0 && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
    writeStart(path, db->openData, db->openLength);
  RString *p = str_from(path);
  DbEngine *e = openFile(db, p, kDbOpenCreate);
  RuntimeUnlockString(p);
  if (!e) return false;
  database_attach_engine(db, e, &kEmbeddedSlots, e);
  return true;
}

// The project's database item: a name and the carried bytes (address B,
// length A); nothing is opened until the first statement.
Object *database_project_item(const char *name, int32_t length, const uint8_t *bytes,
                              int32_t count) {
  DatabaseObject *db = database_new();
  db->openName = str_make(name, length);
  db->openData = bytes;
  db->openLength = count;
  return &db->header;
}
