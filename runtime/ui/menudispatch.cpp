// Menu commands and menu enabling: the chain a chosen item runs through
// (the focused pane, the front window's menu handlers, the application's,
// the item's Action), the enabling pass, and the hooks that connect menus to
// the windows and the event loop.
#include "objects/registry.h"
#include "lifecycle/application.h"
#include "lifecycle/settings.h"
#include "lifecycle/exception.h"
#include "text/string.h"
#include "ui/editfield.h"
#include "ui/keyboard.h"
#include "ui/mdi.h"
#include "ui/menubar.h"
#include "ui/control.h"
#include "ui/windowobject.h"
#include "ui/nativewindow.h"

/* ---- what kinds of pane do with menus ---- */

enum { kMenuPaneKinds = 8 };
static struct {
  const PaneKind *kind;
  const MenuPaneOps *ops;
} paneOps[kMenuPaneKinds];

void menu_pane_ops_attach(const PaneKind *kind, const MenuPaneOps *ops) {
  for (auto &p : paneOps)
    if (!p.kind || p.kind == kind) {
      p = {kind, ops};
      return;
    }
}

static const MenuPaneOps *opsOf(Pane *pane) {
  for (auto &p : paneOps)
    if (pane && p.kind == pane->kind) return p.ops;
  return nullptr;
}

// The focused pane, when it is not on its way out.
static Pane *focusedPane() {
  Pane *f = pane_focus();
  return f && !f->closing ? f : nullptr;
}

/* ---- menu handlers ---- */

// Calls the menu handlers of the receiver's own class (its constant records:
// item name, routine) whose name is the item's, in list order, until one
// answers True. The pane's use count is held around each call.
static bool runMenuHandlers(Object *receiver, Pane *pane, MenuItemObject *item) {
  if (!receiver) return false;
  for (ConstantRecord *c = receiver->cls->constants; c; c = c->next) {
    if (!c->value || !names_equal(c->name, item->name)) continue;
    uint32_t words[] = {(uint32_t)(uintptr_t)receiver, (uint32_t)item->index};
    Ongoing work = {.pane = pane, .receiver = receiver};
    ongoing_begin(&work);
    uint32_t taken =
        call_compiled_words((void *)(uintptr_t)c->value, words, item->index == kNoIndex ? 1 : 2) &
        0xFF;
    bool gone = ongoing_end(&work);
    if (taken) return true;
    if (gone) return false; /* the window closed: its handlers are done */
  }
  return false;
}

static WindowObject *runtimeWindow(View *view) {
  return view && !view->closing ? view->window : nullptr;
}

static bool windowHandlers(View *front, MenuItemObject *item) {
  WindowObject *w = runtimeWindow(front);
  return w && runMenuHandlers(&w->header, &front->pane, item);
}

static bool itemAction(MenuItemObject *item) {
  EventRecord *action = class_find_event(gMenuItemClass, "Action");
  void *entry = action ? event_handler_entry(&item->header, action) : nullptr;
  return entry && (call_compiled(entry, (uint32_t)(uintptr_t)item, 0) & 0xFF);
}

bool menu_command(View *front, int32_t id) {
  MenuItemObject *item = menu_item_with_id(id);
  if (!item) return false;
  RuntimeLockObject(&item->header); /* a handler may close it */
  Pane *focus = focusedPane();
  const MenuPaneOps *ops = opsOf(focus);
  bool handled = (ops && ops->command && ops->command(focus, item)) ||
                 windowHandlers(front, item) || runMenuHandlers(gAppObject, nullptr, item) ||
                 itemAction(item);
  RuntimeUnlockObject(&item->header);
  return handled;
}

bool menus_offer_quit(View *front) {
  MenuItemObject *quit = menubar_ensure() ? menubar_quit_item() : nullptr;
  if (!quit) return false;
  RuntimeLockObject(&quit->header);
  bool taken = windowHandlers(front, quit) || runMenuHandlers(gAppObject, nullptr, quit);
  RuntimeUnlockObject(&quit->header);
  return taken;
}

/* ---- the enabling pass ---- */

// Every item of every menu, retained, so that handlers may clone or close items.
static void collectItems(Vector *out) {
  vec_init(out);
  for (int32_t k = 0; k < menu_count(); k++) {
    Menu *m = menu_at(k);
    for (int32_t i = 0; i < vec_count(&m->items); i++)
      vec_append_ptr(out, RuntimeLockObject((Object *)vec_get_ptr(&m->items, i)));
  }
}

static void releaseItems(Vector *items) {
  for (int32_t i = 0; i < vec_count(items); i++)
    RuntimeUnlockObject((Object *)vec_get_ptr(items, i));
  vec_dispose(items);
}

// The front runtime window: the active MDI child, or the active window,
// else the newest visible one.
static View *frontView() {
  if (gSettings.mdi) {
    HWND client = mdi_client();
    HWND child = client ? (HWND)SendMessageA(client, WM_MDIGETACTIVE, 0, 0) : nullptr;
    return child ? view_from_hwnd(child) : nullptr;
  }
  if (View *v = view_from_hwnd(GetActiveWindow())) return v;
  for (View *v = gWindowList; v; v = v->next)
    if (!v->closing && v->pane.hwnd && IsWindowVisible(v->pane.hwnd)) return v;
  return nullptr;
}

void menus_enable() {
  if (!menubar_ensure()) return;
  Vector items;
  collectItems(&items);
  for (int32_t i = 0; i < vec_count(&items); i++)
    ((MenuItemObject *)vec_get_ptr(&items, i))->enabled = 0;
  EventRecord *enableMenu = class_find_event(gMenuItemClass, "EnableMenu");
  for (int32_t i = 0; i < vec_count(&items); i++) {
    Object *item = (Object *)vec_get_ptr(&items, i);
    if (void *entry = event_handler_entry(item, enableMenu))
      call_compiled(entry, (uint32_t)(uintptr_t)item, 0);
  }
  releaseItems(&items);
  Pane *focus = focusedPane();
  const MenuPaneOps *ops = opsOf(focus);
  if (ops && ops->enable) ops->enable(focus);
  if (WindowObject *w = runtimeWindow(frontView())) window_event(w, "EnableMenuItems");
  raise_event(gAppObject, "EnableMenuItems");
  for (int32_t k = 0; k < menu_count(); k++) menu_refresh(menu_at(k));
}

/* ---- the hooks ---- */

static HMENU barHook() { return menubar_ensure() ? menubar_handle() : nullptr; }
static void commandHook(View *view, int id) { menu_command(view, id); }

// The edit field carries out and enables the edit menu's items itself.
static const MenuPaneOps kEditFieldMenus = {editField_menu_command, editField_menu_enable};

void menus_install() {
  gMenuHooks = {barHook, commandHook, menus_enable};
  menu_pane_ops_attach(editField_pane_kind(), &kEditFieldMenus);
  gLoopHooks.translateKeys = keyboard_translate;
}
