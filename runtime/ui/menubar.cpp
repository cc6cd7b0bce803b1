// The menu bar: built once from the image's description into native menus
// whose items are MenuItem objects; command identifiers, refreshing a menu
// from its items' state, and the menu entry points of compiled code.
#include "ui/menubar.h"
#include "objects/registry.h"
#include "base/pool.h"
#include "lifecycle/application.h"
#include "lifecycle/settings.h"
#include "base/fault.h"
#include "lifecycle/exception.h"
#include "text/packed.h"
#include "text/string.h"
#include "ui/keyboard.h"
#include "ui/nativewindow.h"
#include <cstring>
#include <initializer_list>

static HMENU bar;
static bool built;
static Vector menus; // Menu *, in creation order
static MenuItemObject *quitItem;
static ClassDef *quitClass;

/* ---- command identifiers ---- */

enum { kFirstId = 1000, kIdCount = 1024 };
static uint32_t idsTaken[kIdCount / 32];

// The lowest free identifier. When all are taken the failure is reported
// and the item gets none (0), so that it can never be chosen.
static int32_t takeId() {
  for (int32_t i = 0; i < kIdCount; i++)
    if (!(idsTaken[i / 32] & 1u << (i % 32))) {
      idsTaken[i / 32] |= 1u << (i % 32);
      return kFirstId + i;
    }
  fault_report(kFaultMenuIdsExhausted);
  return 0;
}

static void freeId(int32_t id) {
  int32_t i = id - kFirstId;
  if (i >= 0 && i < kIdCount) idsTaken[i / 32] &= ~(1u << (i % 32));
}

/* ---- menus and their items ---- */

HMENU menubar_handle() { return bar; }
int32_t menu_count() { return vec_count(&menus); }
Menu *menu_at(int32_t i) { return (Menu *)vec_get_ptr(&menus, i); }
MenuItemObject *menubar_quit_item() { return quitItem; }

static MenuItemObject *itemAt(Menu *m, int32_t i) {
  return (MenuItemObject *)vec_get_ptr(&m->items, i);
}
static Menu *submenuAt(Menu *m, int32_t i) { return (Menu *)vec_get_ptr(&m->submenus, i); }

static int32_t positionOf(Menu *m, MenuItemObject *item) {
  for (int32_t i = 0; i < vec_count(&m->items); i++)
    if (itemAt(m, i) == item) return i;
  return -1;
}

static Menu *newMenu() {
  Menu *m = (Menu *)pool_alloc(sizeof(Menu));
  m->handle = CreatePopupMenu();
  vec_init(&m->items);
  vec_init(&m->submenus);
  vec_append_ptr(&menus, m);
  return m;
}

static void insertEntry(Menu *m, int32_t at, MenuItemObject *item, Menu *submenu) {
  vec_insert(&m->items, at, (int32_t)(intptr_t)item);
  vec_insert(&m->submenus, at, (int32_t)(intptr_t)submenu);
  item->menu = m;
}

MenuItemObject *menu_item_with_id(int32_t id) {
  if (id == 0) return nullptr; /* items without an identifier cannot be chosen */
  for (int32_t k = 0; k < menu_count(); k++)
    for (int32_t i = 0; i < vec_count(&menu_at(k)->items); i++)
      if (itemAt(menu_at(k), i)->commandId == id) return itemAt(menu_at(k), i);
  return nullptr;
}

bool is_menu_item(const Object *o) {
  return o && class_derives_from(o->cls, gMenuItemClass) &&
         o->cls->instanceSize >= (int32_t)sizeof(MenuItemObject);
}

/* ---- the classes' own behaviour ---- */

static void menuItemDestructor(Object *o, ClassDef *) {
  MenuItemObject *item = (MenuItemObject *)o;
  for (RString **s : {&item->name, &item->text, &item->balloonHelp, &item->disabledBalloonHelp,
                      &item->tag, &item->commandKey})
    str_assign(s, nullptr);
  freeId(item->commandId);
}

// QuitMenuItem's EnableMenu: always enabled.
static uint32_t quitEnableMenu(Object *o) {
  ((MenuItemObject *)o)->enabled = 1;
  return 0;
}

static void quitApplication() { ApplicationQuit(); }
void (*gMenuQuit)() = quitApplication;

// QuitMenuItem's Action: its own Action event goes to subclasses first;
// unless one takes it the application quits. The command is always handled.
static uint32_t quitAction(Object *o) {
  EventRecord *own = nullptr;
  for (EventRecord *e = quitClass->events; e && !own; e = e->next)
    if (name_is(e->name, "Action")) own = e;
  void *entry = own ? event_handler_entry(o, own) : nullptr;
  if (!entry || !(call_compiled(entry, (uint32_t)(uintptr_t)o, 0) & 0xFF)) gMenuQuit();
  return 1;
}

static void addHandler(ClassDef *cls, const char *event, void *entry) {
  RString *name = str_from(event);
  class_add_handler(cls, name, 0, entry);
  RuntimeUnlockString(name);
}

static void attachClasses() {
  if (quitClass) return;
  quitClass = registry_find("QuitMenuItem");
  gMenuItemClass->destructor = menuItemDestructor;
  addHandler(quitClass, "EnableMenu", (void *)quitEnableMenu);
  addHandler(quitClass, "Action", (void *)quitAction);
}

/* ---- building ---- */

// An entry or item record of the description.
struct Record {
  int32_t kind;
  RString *text, *name, *commandKey, *balloonHelp, *disabledBalloonHelp;
  int32_t index;
  bool hasSubmenu;
  int32_t classIndex;
};

enum { kDeepestSubmenu = 32 }; // deeper nesting is taken as a damaged description

static Record readRecord(PackedStream *s) {
  Record r;
  r.kind = packed_int(s);
  r.text = packed_string(s);
  r.name = packed_string(s);
  r.index = packed_int(s);
  r.commandKey = packed_string(s);
  r.balloonHelp = packed_string(s);
  r.disabledBalloonHelp = packed_string(s);
  packed_byte(s); /* not used on this platform */
  r.hasSubmenu = packed_byte(s) != 0;
  r.classIndex = packed_int(s);
  if (r.index == (int32_t)0x80000010 || r.index == (int32_t)0x80100000) r.index = kNoIndex;
  return r;
}

static void dropRecord(Record *r) {
  for (RString *s : {r->text, r->name, r->commandKey, r->balloonHelp, r->disabledBalloonHelp})
    RuntimeUnlockString(s);
}

// A new item of the record's class; a class that is not a MenuItem (or too
// small to hold one) gives a plain MenuItem instead.
static MenuItemObject *newItem(int32_t classIndex) {
  Object *o = RuntimeNewObject(classIndex);
  if (!is_menu_item(o)) {
    RuntimeUnlockObject(o);
    o = CreateInstance(gMenuItemClass);
  }
  return (MenuItemObject *)o;
}

static void appendNative(Menu *m, MenuItemObject *item, Menu *submenu) {
  if (name_is(item->text, "-")) {
    AppendMenuA(m->handle, MF_SEPARATOR, 0, nullptr);
    return;
  }
  RString *key = command_key_name(item->commandKey);
  if (key && !submenu) shortcut_register(kShortcutMenuItem, m->handle, item->commandId, key);
  RString *label = key ? str_join_byte(item->text, '\t') : nullptr;
  if (key) str_append(&label, key);
  const char *text = str_cview(key ? label : item->text);
  if (submenu)
    AppendMenuA(m->handle, MF_POPUP | MF_STRING, (UINT_PTR)submenu->handle, text);
  else
    AppendMenuA(m->handle, MF_STRING, item->commandId, text);
  RuntimeUnlockString(label);
  RuntimeUnlockString(key);
}

// The item a record describes, appended to its menu; the menu takes the
// record's strings.
static void makeItem(Menu *m, Record *r, Menu *submenu) {
  MenuItemObject *item = newItem(r->classIndex);
  item->name = r->name;
  item->text = r->text;
  item->balloonHelp = r->balloonHelp;
  item->disabledBalloonHelp = r->disabledBalloonHelp;
  item->commandKey = r->commandKey;
  item->index = r->index;
  item->enabled = item->visible = item->nativeEnabled = item->inserted = 1;
  item->position = vec_count(&m->items);
  item->commandId = takeId();
  insertEntry(m, vec_count(&m->items), item, submenu);
  appendNative(m, item, submenu);
  if (class_derives_from(item->header.cls, quitClass)) {
    RuntimeUnlockObject((Object *)quitItem);
    quitItem = (MenuItemObject *)RuntimeLockObject(&item->header);
  }
}

static void readItems(PackedStream *s, Menu *into, int depth);

// One item and, when it opens a submenu, the submenu's items first. Items
// of kind 2, and items read into no menu, are read and dropped.
static void readItem(PackedStream *s, Menu *into, int depth) {
  Record r = readRecord(s);
  bool keep = into && r.kind != 2 && !s->damaged;
  Menu *submenu = nullptr;
  if (r.hasSubmenu) {
    if (depth >= kDeepestSubmenu) s->damaged = true;
    if (keep && !s->damaged) submenu = newMenu();
    if (!s->damaged) readItems(s, submenu, depth + 1);
  }
  if (keep)
    makeItem(into, &r, submenu);
  else
    dropRecord(&r);
}

static void readItems(PackedStream *s, Menu *into, int depth) {
  for (int32_t n = packed_int(s); n > 0 && !s->damaged; n--) readItem(s, into, depth);
}

int32_t menubar_build(const uint8_t *stream, int32_t length) {
  attachClasses();
  built = true;
  bar = CreateMenu();
  vec_init(&menus);
  PackedStream s = packed_stream(stream, length);
  for (int32_t n = packed_int(&s); n > 0 && !s.damaged; n--) {
    Record r = readRecord(&s);
    Menu *m = r.kind == 0 ? newMenu() : nullptr; /* kind 1 and 2 entries get no menu */
    readItems(&s, m, 1);
    if (m) AppendMenuA(bar, MF_POPUP | MF_STRING, (UINT_PTR)m->handle, str_cview(r.text));
    dropRecord(&r);
  }
  return s.damaged ? -1 : (int32_t)(s.at - stream);
}

bool menubar_ensure() {
  if (!built && gMenuBarDescription) menubar_build(gMenuBarDescription, gMenuBarLength);
  return bar != nullptr;
}

void menubar_destroy() {
  for (View *v = gWindowList; v; v = v->next)
    if (bar && v->pane.hwnd && GetMenu(v->pane.hwnd) == bar) SetMenu(v->pane.hwnd, nullptr);
  for (int32_t k = 0; k < menu_count(); k++) {
    Menu *m = menu_at(k);
    for (int32_t i = 0; i < vec_count(&m->items); i++) {
      MenuItemObject *item = itemAt(m, i);
      shortcut_remove(kShortcutMenuItem, m->handle, item->commandId);
      freeId(item->commandId);
      item->commandId = 0;
      item->menu = nullptr;
      RuntimeUnlockObject(&item->header);
    }
    vec_dispose(&m->items);
    vec_dispose(&m->submenus);
  }
  if (bar) DestroyMenu(bar); /* and every drop-down attached under it */
  bar = nullptr;
  for (int32_t k = 0; k < menu_count(); k++) {
    Menu *m = menu_at(k);
    if (IsMenu(m->handle)) DestroyMenu(m->handle); /* the submenu of a closed item */
    pool_free(m, sizeof(Menu));
  }
  vec_dispose(&menus);
  RuntimeUnlockObject((Object *)quitItem);
  quitItem = nullptr;
  built = false;
}

/* ---- refreshing ---- */

static void insertNative(Menu *m, int32_t i, int32_t position) {
  MenuItemObject *item = itemAt(m, i);
  Menu *submenu = submenuAt(m, i);
  if (name_is(item->text, "-"))
    InsertMenuA(m->handle, position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  else if (submenu)
    InsertMenuA(m->handle, position, MF_BYPOSITION | MF_POPUP | MF_STRING,
                (UINT_PTR)submenu->handle, str_cview(item->text));
  else
    InsertMenuA(m->handle, position, MF_BYPOSITION | MF_STRING, item->commandId,
                str_cview(item->text));
  item->inserted = 1;
  item->nativeEnabled = 1;
  item->nativeChecked = 0;
}

// Hidden items leave the native menu, visible ones not yet in it enter it at
// their running position; then enabled and checked states follow the items.
void menu_refresh(Menu *m) {
  int32_t position = 0;
  for (int32_t i = 0; i < vec_count(&m->items); i++) {
    MenuItemObject *item = itemAt(m, i);
    if (!item->visible) {
      if (item->inserted) RemoveMenu(m->handle, position, MF_BYPOSITION); /* keeps a submenu */
      item->inserted = 0;
      item->position = -1;
      continue;
    }
    item->position = position;
    if (!item->inserted) insertNative(m, i, position);
    position++;
  }
  for (int32_t i = 0; i < vec_count(&m->items); i++) {
    MenuItemObject *item = itemAt(m, i);
    if (item->position < 0) continue;
    if (!item->enabled != !item->nativeEnabled) {
      EnableMenuItem(m->handle, item->position,
                     MF_BYPOSITION | (item->enabled ? MF_ENABLED : MF_GRAYED));
      item->nativeEnabled = item->enabled != 0;
    }
    if (!item->checked != !item->nativeChecked) {
      CheckMenuItem(m->handle, item->position,
                    MF_BYPOSITION | (item->checked ? MF_CHECKED : MF_UNCHECKED));
      item->nativeChecked = item->checked != 0;
    }
  }
}

/* ---- entry points ---- */

// The item of that name and Index: the Quit item first, then every menu in order.
static MenuItemObject *findItem(RString *name, int32_t index) {
  menubar_ensure();
  if (quitItem && quitItem->index == index && names_equal(quitItem->name, name)) return quitItem;
  for (int32_t k = 0; k < menu_count(); k++)
    for (int32_t i = 0; i < vec_count(&menu_at(k)->items); i++) {
      MenuItemObject *item = itemAt(menu_at(k), i);
      if (item->index == index && names_equal(item->name, name)) return item;
    }
  return nullptr;
}

Object *RuntimeMenuReference(RString *name) {
  MenuItemObject *item = findItem(name, kNoIndex);
  return item ? RuntimeLockObject(&item->header) : nullptr;
}

Object *RuntimeMenuArrayReference(RString *name, int32_t index) {
  MenuItemObject *item = findItem(name, index);
  return item ? RuntimeLockObject(&item->header) : nullptr;
}

static bool anyItemNamed(RString *name) {
  for (int32_t k = 0; k < menu_count(); k++)
    for (int32_t i = 0; i < vec_count(&menu_at(k)->items); i++)
      if (names_equal(itemAt(menu_at(k), i)->name, name)) return true;
  return false;
}

Object *RuntimeCloneMenu(RString *name) {
  menubar_ensure();
  if (!anyItemNamed(name)) return nullptr;
  int32_t n = 0; /* the smallest index not in use, after the model n - 1 */
  while (findItem(name, n)) n++;
  MenuItemObject *model = n > 0 ? findItem(name, n - 1) : nullptr;
  if (!model || !model->menu) {
    fault_report(kFaultMenuCloneWithoutModel);
    return nullptr;
  }
  MenuItemObject *item = (MenuItemObject *)CreateInstance(model->header.cls);
  str_assign(&item->text, model->text);
  str_assign(&item->name, model->name);
  str_assign(&item->balloonHelp, model->balloonHelp);
  str_assign(&item->disabledBalloonHelp, model->disabledBalloonHelp);
  item->index = n;
  item->enabled = item->visible = 1;
  item->position = -1; /* it enters the native menu at the next refresh */
  item->commandId = takeId();
  Menu *m = model->menu;
  insertEntry(m, positionOf(m, model) + 1, item, nullptr);
  return RuntimeLockObject(&item->header);
}

void RuntimeCloseMenuItem(MenuItemObject *item) {
  Menu *m = item ? item->menu : nullptr;
  int32_t at = m ? positionOf(m, item) : -1;
  if (at < 0) return;
  if (item->inserted && item->position >= 0) RemoveMenu(m->handle, item->position, MF_BYPOSITION);
  vec_remove(&m->items, at);
  vec_remove(&m->submenus, at);
  shortcut_remove(kShortcutMenuItem, m->handle, item->commandId);
  freeId(item->commandId);
  item->commandId = 0;
  item->menu = nullptr;
  item->inserted = 0;
  item->position = -1;
  if (item == quitItem) {
    quitItem = nullptr;
    RuntimeUnlockObject(&item->header);
  }
  RuntimeUnlockObject(&item->header); /* the menu's reference */
  menu_refresh(m);
}

void RuntimeEnableMenu(MenuItemObject *item) {
  if (!item) return;
  item->enabled = 1;
  if (!item->menu || !item->inserted || item->position < 0) return;
  EnableMenuItem(item->menu->handle, item->position, MF_BYPOSITION | MF_ENABLED);
  item->nativeEnabled = 1;
}

void enableMenuItems() {}

RString *menuItemTextGetter(MenuItemObject *item, int32_t) {
  RString *text = item ? item->text : nullptr;
  RuntimeLockString(text);
  return text;
}

void menuItemTextSetter(MenuItemObject *item, int32_t, RString *text) {
  if (!item) {
    fault_report(kFaultMenuTextWithoutItem);
    return;
  }
  str_assign(&item->text, text);
  if (!item->menu || !item->inserted || item->position < 0) return;
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = (char *)str_cview(text);
  SetMenuItemInfoA(item->menu->handle, item->position, TRUE, &info);
}

void menuItemCommandKeySetter(MenuItemObject *item, int32_t, RString *key) {
  if (item) str_assign(&item->commandKey, key); /* the shortcut made at creation stays */
}
