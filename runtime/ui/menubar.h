// Menus: the menu bar built from the image's description, MenuItem objects
// and their native items, command identifiers, menu refresh, the menu entry
// points, menu command dispatch and the enabling pass.
#pragma once
#include "objects/objects.h"
#include "base/vector.h"
#include "ui/controlmap.h"
#include <windows.h>

struct View;
struct Pane;
struct PaneKind;
struct Menu;

// A MenuItem instance (or one of a subclass).
struct MenuItemObject {
  Object header;                // 0
  int32_t unused[2];            // 16: the root class's words, not used by menu items
  RString *name;                // 24
  RString *text;                // 28
  RString *balloonHelp;         // 32
  RString *disabledBalloonHelp; // 36
  int32_t index;                // 40: kNoIndex when not an element of a menu array
  RString *tag;                 // 44
  Menu *menu;                   // 48: the owning menu
  int32_t position;             // 52: in the native menu; -1 while not shown
  RString *commandKey;          // 56
  uint8_t enabled;              // 60: written by compiled code
  uint8_t nativeEnabled;        // 61
  uint8_t checked;              // 62
  uint8_t nativeChecked;        // 63
  uint8_t visible;              // 64
  uint8_t inserted;             // 65: present in the native menu
  int32_t commandId;            // 68: 0 when it has none
};
static_assert(offsetof(MenuItemObject, name) == 24);
static_assert(offsetof(MenuItemObject, index) == 40);
static_assert(offsetof(MenuItemObject, commandKey) == 56);
static_assert(offsetof(MenuItemObject, enabled) == 60);
static_assert(offsetof(MenuItemObject, checked) == 62);
static_assert(offsetof(MenuItemObject, visible) == 64);
static_assert(offsetof(MenuItemObject, commandId) == 68);
static_assert(sizeof(MenuItemObject) == 72);

// A native drop-down menu and the items in it.
struct Menu {
  HMENU handle;
  Vector items;    // MenuItemObject *, in order; the menu holds a reference to each
  Vector submenus; // beside each item: the Menu it opens, or nil
};

/* ---- the menu bar (menubar.cpp) ---- */

// Builds the menu bar from a description stream (the kind-2 project item)
// and returns the number of bytes read: the stream's length for a whole
// description, -1 when it ends too soon. Items are made through the image's
// class table.
int32_t menubar_build(const uint8_t *stream, int32_t length);
// Builds the bar from the image's description the first time it is needed;
// false when the image describes none.
bool menubar_ensure();
// Releases every item and destroys the native menus (shutdown, tests).
void menubar_destroy();

HMENU menubar_handle(); // nil without a menu bar
int32_t menu_count();
Menu *menu_at(int32_t i); // in creation order
MenuItemObject *menubar_quit_item();
MenuItemObject *menu_item_with_id(int32_t id); // nil for 0 and for unknown identifiers
bool is_menu_item(const Object *object);
void menu_refresh(Menu *menu);

/* ---- dispatch and enabling (menudispatch.cpp) ---- */

// What a kind of pane does with menus while it has the focus.
struct MenuPaneOps {
  bool (*command)(Pane *pane, MenuItemObject *item); // true: it handled the command
  void (*enable)(Pane *pane);                        // enables the items it supports
};
void menu_pane_ops_attach(const PaneKind *kind, const MenuPaneOps *ops);

// A menu command from a click or a shortcut: the focused pane, the front
// window's menu handlers, the application's, the item's Action. False when
// no item has the identifier or nothing handled it.
bool menu_command(View *front, int32_t id);
// The enabling pass; nothing without a menu bar.
void menus_enable();
// The MDI frame's close: the Quit item's name offered to the window's and
// the application's menu handlers; true when one of them took it.
bool menus_offer_quit(View *front);

// What the Quit item does when its Action is not taken; ApplicationQuit.
extern void (*gMenuQuit)();

void menus_install(); // the window and loop hooks; called by window_install

extern "C" {
Object *RuntimeMenuReference(RString *name);
Object *RuntimeMenuArrayReference(RString *name, int32_t index);
Object *RuntimeCloneMenu(RString *name);
void RuntimeCloseMenuItem(MenuItemObject *item);
void RuntimeEnableMenu(MenuItemObject *item);
void enableMenuItems();
RString *menuItemTextGetter(MenuItemObject *item, int32_t);
void menuItemTextSetter(MenuItemObject *item, int32_t, RString *text);
void menuItemCommandKeySetter(MenuItemObject *item, int32_t, RString *key);
}
