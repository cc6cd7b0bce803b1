// Contextual menus: the ContextualMenu control, a menu of text rows opened
// at the mouse whose chosen row reaches the control's Action event.
#pragma once
#include "ui/control.h"

struct ContextualMenuObject {
  ControlObject control; // 0, 92 bytes: a Control without a pane
  HMENU menu;            // 92: the rows, made by the first AddRow; nil when empty
  RString *text;         // 96: the text of the row chosen last (the Text property)
};
static_assert(offsetof(ContextualMenuObject, menu) == 92);
static_assert(offsetof(ContextualMenuObject, text) == 96);
static_assert(sizeof(ContextualMenuObject) == 100);

void contextmenu_install(); // the class's destructor

extern "C" {
void contextualMenuResetContent(ContextualMenuObject *menu);
void contextualMenuAddRow(ContextualMenuObject *menu, RString *text);
void contextualMenuAddSeparator(ContextualMenuObject *menu);
void contextualMenuOpen(ContextualMenuObject *menu); // Action(text) when a row is chosen
}
