// Acceptance lists: one for each window or control that accepts drops, made
// by its first Accept call and dropped by its destructor.
#include "dragdrop/accept.h"
#include "base/pool.h"
#include "files/filetypes.h"
#include "lifecycle/exception.h"
#include "objects/registry.h"
#include "text/string.h"
#include "ui/control.h"
#include "ui/windowobject.h"
#include <cstring>

static Vector lists; // of Acceptance *; few, so a walk finds one

static int32_t indexOf(const Object *owner) {
  for (int32_t i = 0; i < vec_count(&lists); i++)
    if (((Acceptance *)vec_get_ptr(&lists, i))->owner == owner) return i;
  return -1;
}

const Acceptance *accept_of(const Object *owner) {
  int32_t i = owner ? indexOf(owner) : -1;
  return i < 0 ? nullptr : (const Acceptance *)vec_get_ptr(&lists, i);
}

static Acceptance *listFor(Object *owner) {
  if (!owner) RuntimeNilObject();
  if (!lists.elementSize) vec_init(&lists);
  int32_t i = indexOf(owner);
  if (i >= 0) return (Acceptance *)vec_get_ptr(&lists, i);
  Acceptance *a = (Acceptance *)pool_alloc(sizeof(Acceptance));
  a->owner = owner;
  a->kinds = 0;
  vec_init(&a->fileTypes);
  vec_init(&a->dataTypes);
  vec_append_ptr(&lists, a);
  return a;
}

static void freeNames(Vector *v) {
  for (int32_t i = 0; i < vec_count(v); i++) RuntimeUnlockString((RString *)vec_get_ptr(v, i));
  vec_dispose(v);
}

static void forget(int32_t i) {
  Acceptance *a = (Acceptance *)vec_get_ptr(&lists, i);
  freeNames(&a->fileTypes);
  freeNames(&a->dataTypes);
  pool_free(a, sizeof(Acceptance));
  vec_remove(&lists, i);
}

void accept_forget_all() {
  while (vec_count(&lists)) forget(vec_count(&lists) - 1);
}

// Adds a type name once (case ignored); nil stands for "".
static void addName(Vector *v, RString *name) {
  for (int32_t i = 0; i < vec_count(v); i++)
    if (!lstrcmpiA(str_cview((RString *)vec_get_ptr(v, i)), str_cview(name))) return;
  RString *kept = name ? name : str_from("");
  if (name) RuntimeLockString(name);
  vec_append_ptr(v, kept);
}

static void acceptKind(Object *owner, AcceptKind kind) { listFor(owner)->kinds |= kind; }

static void acceptFiles(Object *owner, RString *type) {
  Acceptance *a = listFor(owner);
  a->kinds |= kAcceptFiles;
  addName(&a->fileTypes, type);
}

static void acceptData(Object *owner, RString *type) {
  if (!str_len(type)) return; /* data is found by its type's name */
  Acceptance *a = listFor(owner);
  a->kinds |= kAcceptData;
  addName(&a->dataTypes, type);
}

static bool isFolder(const char *path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Typed lists take files whose names match, never folders; the file system
// is asked only about a name that matches.
bool accept_path(const Acceptance *a, const char *path) {
  if (!a || !(a->kinds & kAcceptFiles)) return false;
  const char *name = strrchr(path, '\\');
  name = name ? name + 1 : path;
  bool matched = false;
  for (int32_t i = 0; i < vec_count(&a->fileTypes); i++) {
    const char *type = str_cview((RString *)vec_get_ptr(&a->fileTypes, i));
    if (!*type) return true; /* any file or folder */
    matched = matched || filetype_matches(type, name);
  }
  return matched && !isFolder(path);
}

void accept_each_data_type(const Acceptance *a, void (*fn)(RString *, void *), void *context) {
  if (!a) return;
  for (int32_t i = 0; i < vec_count(&a->dataTypes); i++)
    fn((RString *)vec_get_ptr(&a->dataTypes, i), context);
}

/* ---- the owners' destructors ---- */

static ObjectRoutine windowDestructor, controlDestructor; // the ones the classes had

static void forgetOwner(Object *o) {
  int32_t i = lists.elementSize ? indexOf(o) : -1;
  if (i >= 0) forget(i);
}

static void destroyWindow(Object *o, ClassDef *cls) {
  forgetOwner(o);
  if (windowDestructor) windowDestructor(o, cls);
}

static void destroyControl(Object *o, ClassDef *cls) {
  forgetOwner(o);
  if (controlDestructor) controlDestructor(o, cls);
}

void accept_classes_attach() {
  ClassDef *window = registry_find("Window"), *control = registry_find("Control");
  if (window && window->destructor != destroyWindow) {
    windowDestructor = window->destructor;
    window->destructor = destroyWindow;
  }
  if (control && control->destructor != destroyControl) {
    controlDestructor = control->destructor;
    control->destructor = destroyControl;
  }
}

/* ---- the entry points ---- */

void formAcceptTextDrop(WindowObject *w) { acceptKind(&w->header, kAcceptText); }
void formAcceptPictureDrop(WindowObject *w) { acceptKind(&w->header, kAcceptPicture); }
void formAcceptFileDrop(WindowObject *w, RString *type) { acceptFiles(&w->header, type); }
void formAcceptMacDataDrop(WindowObject *w, RString *type) { acceptData(&w->header, type); }
void controlAcceptTextDrop(ControlObject *c) { acceptKind(&c->header, kAcceptText); }
void controlAcceptPictureDrop(ControlObject *c) { acceptKind(&c->header, kAcceptPicture); }
void controlAcceptFileDrop(ControlObject *c, RString *type) { acceptFiles(&c->header, type); }
void controlAcceptMacDataDrop(ControlObject *c, RString *type) { acceptData(&c->header, type); }
