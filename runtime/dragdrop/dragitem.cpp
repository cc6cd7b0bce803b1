// Drag items: their entries, the current entry the properties act on, typed
// data, and the DragItem entry points.
#include "dragdrop/dragitem.h"
#include "base/pool.h"
#include "files/file.h"
#include "lifecycle/exception.h"
#include "objects/registry.h"
#include <cstring>

/* ---- entries ---- */

static ClassDef *dragItemClass() {
  static ClassDef *cls = registry_find("DragItem");
  return cls;
}

void dragvec_append(Vector *v, const void *p) {
  if (vec_count(v) == v->capacity) vec_reserve(v, 2 * v->capacity + 16);
  vec_append_ptr(v, p);
}

DragItemObject *dragitem_new(Object *source) {
  ClassDef *cls = dragItemClass();
  if (!cls) return nullptr;
  DragItemObject *d = (DragItemObject *)CreateInstance(cls);
  d->source = RuntimeLockObject(source);
  vec_init(&d->entries);
  return d;
}

int32_t dragitem_count(const DragItemObject *d) { return vec_count(&d->entries); }

DragEntry *dragitem_entry(const DragItemObject *d, int32_t i) {
  return i >= 0 && i < dragitem_count(d) ? (DragEntry *)vec_get_ptr(&d->entries, i) : nullptr;
}

DragEntry *dragitem_add(DragItemObject *d, int32_t left, int32_t top, int32_t width,
                        int32_t height) {
  DragEntry *e = (DragEntry *)pool_alloc(sizeof(DragEntry));
  *e = {left, top, width, height, nullptr, nullptr, nullptr, nullptr};
  dragvec_append(&d->entries, e);
  d->current = dragitem_count(d) - 1;
  return e;
}

DragEntry *dragitem_current(DragItemObject *d) {
  DragEntry *e = dragitem_entry(d, d->current);
  return e ? e : dragitem_add(d, 0, 0, 0, 0);
}

static void freeData(DragData *k) {
  str_assign(&k->type, nullptr);
  str_assign(&k->data, nullptr);
  pool_free(k, sizeof(DragData));
}

static void freeEntry(DragEntry *e) {
  str_assign(&e->text, nullptr);
  str_assign(&e->path, nullptr);
  if (e->picture) RuntimeUnlockObject(&e->picture->header);
  while (DragData *k = e->data) {
    e->data = k->next;
    freeData(k);
  }
  pool_free(e, sizeof(DragEntry));
}

DragData *dragentry_find(const DragEntry *e, const char *type) {
  for (DragData *k = e->data; k; k = k->next)
    if (!lstrcmpiA(str_cview(k->type), type)) return k;
  return nullptr;
}

void dragentry_put(DragEntry *e, RString *type, RString *data, bool isPrivate) {
  for (DragData **link = &e->data; *link; link = &(*link)->next) {
    if (lstrcmpiA(str_cview((*link)->type), str_cview(type))) continue;
    DragData *old = *link;
    *link = old->next;
    freeData(old);
    break;
  }
  if (!data && !isPrivate) return; /* nil data only takes the type away */
  DragData *k = (DragData *)pool_alloc(sizeof(DragData));
  *k = {e->data, nullptr, nullptr, (uint8_t)isPrivate};
  str_assign(&k->type, type);
  str_assign(&k->data, data);
  e->data = k;
}

// Typed data in the order it was set, so that a copy keeps "newest first".
static void copyData(DragEntry *to, const DragData *k) {
  if (!k) return;
  copyData(to, k->next);
  dragentry_put(to, k->type, k->data, k->isPrivate);
}

void dragitem_copy_entries(DragItemObject *to, const DragItemObject *from) {
  vec_reserve(&to->entries, dragitem_count(to) + dragitem_count(from));
  for (int32_t i = 0; i < dragitem_count(from); i++) {
    const DragEntry *e = dragitem_entry(from, i);
    DragEntry *c = dragitem_add(to, e->left, e->top, e->width, e->height);
    str_assign(&c->text, e->text);
    str_assign(&c->path, e->path);
    if (e->picture) c->picture = (PictureObject *)RuntimeLockObject(&e->picture->header);
    copyData(c, e->data);
  }
  to->current = 0;
}

static void destroyDragItem(Object *o, ClassDef *) {
  DragItemObject *d = (DragItemObject *)o;
  for (int32_t i = 0; i < dragitem_count(d); i++) freeEntry(dragitem_entry(d, i));
  vec_dispose(&d->entries);
  RuntimeUnlockObject(d->source);
  d->source = nullptr;
}

void dragitem_classes_attach() {
  if (ClassDef *cls = dragItemClass()) cls->destructor = destroyDragItem;
}

/* ---- what the current entry carries ---- */

static DragEntry *current(DragItemObject *d) {
  if (!d) RuntimeNilObject();
  return dragitem_entry(d, d->current);
}

bool DragItemTextAvailable(DragItemObject *d) {
  DragEntry *e = current(d);
  return e && e->text;
}

bool DragItemPictureAvailable(DragItemObject *d) {
  DragEntry *e = current(d);
  return e && e->picture;
}

bool DragItemFolderItemAvailable(DragItemObject *d) {
  DragEntry *e = current(d);
  return e && e->path;
}

bool DragItemMacDataAvailable(DragItemObject *d, RString *type) {
  DragEntry *e = current(d);
  return e && dragentry_find(e, str_cview(type));
}

// Moves to the next entry; false, staying on the last, when there is none.
bool DragItemNextItem(DragItemObject *d) {
  if (!d) RuntimeNilObject();
  if (d->current + 1 >= dragitem_count(d)) return false;
  d->current++;
  return true;
}

void DragItemAddItem(DragItemObject *d, int32_t left, int32_t top, int32_t width, int32_t height) {
  if (!d) RuntimeNilObject();
  dragitem_add(d, left, top, width, height);
}

RString *dragItemTextGetter(DragItemObject *d, int32_t) {
  DragEntry *e = current(d);
  if (!e || !e->text) return nullptr;
  RuntimeLockString(e->text);
  return e->text;
}

void dragItemTextSetter(DragItemObject *d, int32_t, RString *text) {
  if (!d) RuntimeNilObject();
  DragEntry *e = dragitem_current(d);
  RString *empty = text ? nullptr : str_from(""); /* set, even when empty */
  str_assign(&e->text, text ? text : empty);
  RuntimeUnlockString(empty);
}

Object *dragItemPictureGetter(DragItemObject *d, int32_t) {
  DragEntry *e = current(d);
  return e && e->picture ? RuntimeLockObject(&e->picture->header) : nullptr;
}

void dragItemPictureSetter(DragItemObject *d, int32_t, PictureObject *picture) {
  if (!d) RuntimeNilObject();
  DragEntry *e = dragitem_current(d);
  PictureObject *old = e->picture;
  e->picture = picture_of(picture ? &picture->header : nullptr);
  if (e->picture) RuntimeLockObject(&e->picture->header);
  if (old) RuntimeUnlockObject(&old->header);
}

Object *dragItemFolderItemGetter(DragItemObject *d, int32_t) {
  DragEntry *e = current(d);
  return e && e->path ? FolderItemFromPath(e->path) : nullptr;
}

void dragItemFolderItemSetter(DragItemObject *d, int32_t, Object *item) {
  if (!d) RuntimeNilObject();
  DragEntry *e = dragitem_current(d);
  RString *path = item ? fileAbsolutePathGetter(item) : nullptr;
  str_assign(&e->path, str_len(path) ? path : nullptr);
  RuntimeUnlockString(path);
}

RString *DragItemGetMacData(DragItemObject *d, RString *type) {
  DragEntry *e = current(d);
  DragData *k = e ? dragentry_find(e, str_cview(type)) : nullptr;
  if (!k) return nullptr;
  RuntimeLockString(k->data);
  return k->data;
}

static void setData(DragItemObject *d, RString *type, RString *data, bool isPrivate) {
  if (!d) RuntimeNilObject();
  if (!str_len(type)) return; /* data needs a type to be found by */
  RString *empty = data ? nullptr : str_from("");
  dragentry_put(dragitem_current(d), type, data ? data : empty, isPrivate);
  RuntimeUnlockString(empty);
}

void DragItemSetMacData(DragItemObject *d, RString *type, RString *data) {
  setData(d, type, data, false);
}

void DragItemSetPrivateMacData(DragItemObject *d, RString *type, RString *data) {
  setData(d, type, data, true);
}

/* ---- where it was dropped ---- */

static DragItemObject *held(DragItemObject *d) {
  if (!d) RuntimeNilObject();
  return d;
}
int32_t dragItemDropLeft(DragItemObject *d, int32_t) { return held(d)->dropLeft; }
int32_t dragItemDropTop(DragItemObject *d, int32_t) { return held(d)->dropTop; }
int32_t dragItemDropWidth(DragItemObject *d, int32_t) { return held(d)->dropWidth; }
int32_t dragItemDropHeight(DragItemObject *d, int32_t) { return held(d)->dropHeight; }
