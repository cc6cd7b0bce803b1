// Contextual menus: a control without a pane that holds a platform pop-up
// menu of text rows, opens it at the mouse, and hands the chosen row's text
// to its Action event.
#include "ui/contextmenu.h"
#include "objects/registry.h"
#include "text/string.h"
#include "ui/nativewindow.h"
#include "ui/windowobject.h"

static HMENU menuOf(ContextualMenuObject *m) {
  if (!m->menu) m->menu = CreatePopupMenu();
  return m->menu;
}

static void contextualMenuDestructor(Object *o, ClassDef *) {
  ContextualMenuObject *m = (ContextualMenuObject *)o;
  if (m->menu) DestroyMenu(m->menu);
  m->menu = nullptr;
  str_assign(&m->text, nullptr);
}

void contextmenu_install() {
  if (ClassDef *cls = registry_find("ContextualMenu")) cls->destructor = contextualMenuDestructor;
}

void contextualMenuResetContent(ContextualMenuObject *m) {
  if (m->menu) DestroyMenu(m->menu);
  m->menu = nullptr;
}

// Rows are numbered from 1 in the order they were added; separators take no
// number, so the identifier of a new row is one more than the rows before it.
void contextualMenuAddRow(ContextualMenuObject *m, RString *text) {
  HMENU menu = menuOf(m);
  int32_t rows = 0;
  for (int i = GetMenuItemCount(menu) - 1; i >= 0; i--)
    if (GetMenuItemID(menu, i) != 0) rows++;
  AppendMenuA(menu, MF_STRING, (UINT_PTR)(rows + 1), str_cview(text));
}

void contextualMenuAddSeparator(ContextualMenuObject *m) {
  AppendMenuA(menuOf(m), MF_SEPARATOR, 0, nullptr);
}

// The window that owns the tracking: the control's own, else the window in
// front. The platform needs one of this thread's windows.
static HWND ownerOf(ContextualMenuObject *m) {
  WindowObject *w = m->control.window;
  if (w && w->view && w->view->pane.hwnd) return w->view->pane.hwnd;
  HWND active = GetActiveWindow();
  return active ? active : GetForegroundWindow();
}

// The row's whole text, however long.
static RString *rowText(HMENU menu, UINT id) {
  int n = GetMenuStringA(menu, id, nullptr, 0, MF_BYCOMMAND);
  if (n <= 0) return nullptr;
  RString *text = str_make(nullptr, n);
  if (text) GetMenuStringA(menu, id, (char *)text->buffer + 1, n + 1, MF_BYCOMMAND);
  return text;
}

// Tracks the menu at the mouse until a row is chosen or the menu is
// dismissed (Escape, a click elsewhere), which delivers nothing.
void contextualMenuOpen(ContextualMenuObject *m) {
  HMENU menu = m->menu;
  HWND owner = ownerOf(m);
  if (!menu || !GetMenuItemCount(menu) || !owner) return;
  POINT at;
  GetCursorPos(&at);
  SetForegroundWindow(owner); /* otherwise a click elsewhere may leave the menu open */
  UINT id = (UINT)TrackPopupMenu(
      menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x,
      at.y, 0, owner, nullptr);
  PostMessageA(owner, WM_NULL, 0, 0); /* the platform's advice: end the menu's modal state */
  /* The menu took the button's release: a mouse down that opened it and then
     took the mouse must not wait for a release that will never come. */
  pane_finish_tracking_at_once();
  if (!id) return;
  RString *text = rowText(menu, id);
  str_assign(&m->text, text);
  uint32_t arg = (uint32_t)(uintptr_t)text;
  deliver(&m->control.header, nullptr, "Action", &arg, 1); /* holds the control meanwhile */
  RuntimeUnlockString(text);
}
