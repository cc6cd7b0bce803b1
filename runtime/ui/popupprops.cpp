// PopupMenu's entry points: rows added, inserted, removed, read and replaced,
// row tags as words and as Variants, ListCount, ListIndex, Text, the font
// quartet and the stored DataSource and DataField.
#include "ui/popupmenu.h"
#include "objects/variant.h"

static void changeReported(PopupMenuObject *p) {
  if (p->control.pane && !p->control.pane->closing) deliver_change(&p->control, "Change");
}

extern "C" {
void RuntimePopupEmpty(PopupMenuObject *p) { popup_empty(p); }

void RuntimePopupAddRow(PopupMenuObject *p, RString *text) {
  popup_insert(p, popup_count(p), text);
}

void RuntimePopupAddSeparator(PopupMenuObject *p) {
  RString *dash = str_from("-");
  popup_insert(p, popup_count(p), dash);
  RuntimeUnlockString(dash);
}

void RuntimePopupInsertRow(PopupMenuObject *p, int32_t index, RString *text) {
  if (index != popup_count(p)) popup_check_index(p, index); /* just past the end appends */
  popup_insert(p, index, text);
}

void RuntimePopupRemoveRow(PopupMenuObject *p, int32_t index) {
  popup_check_index(p, index);
  popup_remove(p, index);
}

RString *RuntimePopupGetRow(PopupMenuObject *p, int32_t index) {
  popup_check_index(p, index);
  RString *text = popup_row(p, index)->text;
  RuntimeLockString(text);
  return text;
}

void RuntimePopupSetRow(RString *text, PopupMenuObject *p, int32_t index) {
  popup_check_index(p, index);
  popup_set_text(p, index, text);
}

int32_t RuntimePopupGetRowTag(PopupMenuObject *p, int32_t index) {
  popup_check_index(p, index);
  return (int32_t)popup_row(p, index)->tag;
}

void RuntimePopupSetRowTag(int32_t tag, PopupMenuObject *p, int32_t index) {
  popup_check_index(p, index);
  popup_set_tag(popup_row(p, index), (uint32_t)tag, false);
}

// A tag given as a word reads back as an Integer Variant; no tag as nil.
Object *getPopupRowTag(PopupMenuObject *p, int32_t index) {
  popup_check_index(p, index);
  PopupRow *row = popup_row(p, index);
  if (row->owned) return RuntimeLockObject((Object *)(uintptr_t)row->tag);
  return row->tag ? intToVariant((int32_t)row->tag) : nullptr;
}

void setPopupRowTag(PopupMenuObject *p, int32_t index, Object *tag) {
  popup_check_index(p, index);
  popup_set_tag(popup_row(p, index), (uint32_t)(uintptr_t)tag, tag != nullptr);
}

int32_t RuntimePopupCountGetter(PopupMenuObject *p) { return popup_count(p); }

int32_t RuntimePopupSelectionGetter(PopupMenuObject *p) { return popup_selection(p); }

// -1 clears the selection. Without a pane the index waits for it; with one
// a choice made by code is reported as the user's would be.
void RuntimePopupSelectionSetter(PopupMenuObject *p, int32_t, int32_t index) {
  if (!p->control.pane) {
    p->pendingIndex = index < -1 ? -1 : index;
    return;
  }
  if (index != -1) popup_check_index(p, index);
  popup_select(p, index);
  changeReported(p);
}

RString *popupTextGetter(PopupMenuObject *p) {
  int32_t selected = p->control.pane ? popup_selection(p) : -1;
  if (selected < 0 || selected >= popup_count(p)) return nullptr;
  RString *text = popup_row(p, selected)->text;
  RuntimeLockString(text);
  return text;
}

RString *RuntimePopupGetString(PopupMenuObject *p) { return popupTextGetter(p); }

TEXT_STYLE_GETTERS(popup, PopupMenuObject, style)
TEXT_STYLE_SETTERS(popup, PopupMenuObject, style, popup_refresh_font)

RString *PopupDataSourceGetter(PopupMenuObject *p) {
  RuntimeLockString(p->dataSource);
  return p->dataSource;
}
void PopupDataSourceSetter(PopupMenuObject *p, int32_t, RString *v) {
  str_assign(&p->dataSource, v);
}
void PopupDataFieldSetter(PopupMenuObject *p, int32_t, RString *v) { str_assign(&p->dataField, v); }
}
