// PopupMenu: a native drop-down list of text rows, each with a tag, that the
// instance keeps whether or not its pane exists.
#pragma once
#include "base/vector.h"
#include "ui/control.h"
#include "ui/textstyle.h"

struct PopupMenuObject {
  ControlObject control; // 0
  TextStyle style;       // 92: TextFont, TextSize 96, Bold 98, Italic 99, Underline 100
  RString *initialValue; // 104: rows separated by carriage returns, until the pane is made
  int32_t pendingIndex;  // 108: ListIndex given before the pane exists; -1 for none
  RString *dataSource;   // 112
  RString *dataField;    // 116
  Object *provider;      // 120: the bound list provider (retained), or nil
  Vector *rows;          // 124: PopupRow pointers in list order; nil until the first row
  uint32_t spare;        // 128
};
static_assert(offsetof(PopupMenuObject, style) == 92);
static_assert(offsetof(PopupMenuObject, initialValue) == 104);
static_assert(offsetof(PopupMenuObject, pendingIndex) == 108);
static_assert(offsetof(PopupMenuObject, dataSource) == 112);
static_assert(offsetof(PopupMenuObject, provider) == 120);
static_assert(sizeof(PopupMenuObject) == 132);

// One row. A tag given as a Variant is owned: the row holds a reference to it
// and gives it up when the tag is replaced or the row goes. A tag given as a
// plain word is a number and never released.
struct PopupRow {
  RString *text; // 0 (retained)
  uint32_t tag;  // 4: a number, or the owned Variant
  uint8_t owned; // 8
};

void popupmenu_install(); // the pane maker, constructor and destructor of PopupMenu

/* ---- shared by the PopupMenu's files ---- */

int32_t popup_count(PopupMenuObject *p);
PopupRow *popup_row(PopupMenuObject *p, int32_t index);    // index checked by the caller
void popup_check_index(PopupMenuObject *p, int32_t index); // OutOfBoundsException unless a row
void popup_insert(PopupMenuObject *p, int32_t index, RString *text);
void popup_remove(PopupMenuObject *p, int32_t index);
void popup_set_text(PopupMenuObject *p, int32_t index, RString *text);
void popup_set_tag(PopupRow *row, uint32_t tag, bool owned);
void popup_empty(PopupMenuObject *p);
int32_t popup_selection(PopupMenuObject *p);          // -1 for none
void popup_select(PopupMenuObject *p, int32_t index); // no report
void popup_refresh_font(PopupMenuObject *p);

extern "C" {
void RuntimePopupSelectionSetter(PopupMenuObject *p, int32_t, int32_t index);
}
