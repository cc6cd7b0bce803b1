// PopupMenu's rows and pane: the row list the instance keeps, its mirror in
// the native drop-down list, the drop-down width that follows the widest row,
// InitialValue and the pending ListIndex applied as the pane is made, and the
// user's choice reported as Change.
#include "ui/popupmenu.h"
#include "base/pool.h"
#include "lifecycle/exception.h"
#include "objects/registry.h"
#include "ui/fonts.h"
#include <initializer_list>

struct PopupPane {
  Pane pane;      // 0
  HFONT font;     // 104: the list's font, also for measuring rows
  int32_t widest; // 108: the widest row in pixels
};
static_assert(offsetof(PopupPane, font) == sizeof(Pane));

enum { kDropMargin = 6 }; // beyond the widest row and the list's scroll bar

static PopupPane *ppane(PopupMenuObject *p) { return (PopupPane *)p->control.pane; }
static bool open(PopupMenuObject *p) { return p->control.pane && !p->control.pane->closing; }
static HWND hwndOf(PopupMenuObject *p) { return p->control.pane->hwnd; }

/* ---- the row list ---- */

int32_t popup_count(PopupMenuObject *p) { return p->rows ? vec_count(p->rows) : 0; }

PopupRow *popup_row(PopupMenuObject *p, int32_t i) { return (PopupRow *)vec_get_ptr(p->rows, i); }

void popup_check_index(PopupMenuObject *p, int32_t i) {
  if (i < 0 || i >= popup_count(p)) exception_throw("OutOfBoundsException");
}

void popup_set_tag(PopupRow *row, uint32_t tag, bool owned) {
  if (owned) RuntimeLockObject((Object *)(uintptr_t)tag);
  uint32_t old = row->tag;
  bool wasOwned = row->owned;
  row->tag = tag, row->owned = owned;
  if (wasOwned) RuntimeUnlockObject((Object *)(uintptr_t)old); /* after: it may be the same */
}

static void freeRow(PopupRow *row) {
  popup_set_tag(row, 0, false);
  RuntimeUnlockString(row->text);
  pool_free(row, sizeof(PopupRow));
}

/* ---- the drop-down width ---- */

static int32_t measure(PopupMenuObject *p, RString *text) {
  HDC dc = GetDC(hwndOf(p));
  HGDIOBJ old = SelectObject(dc, ppane(p)->font);
  SIZE size = {};
  GetTextExtentPoint32A(dc, str_cview(text), str_len(text), &size);
  SelectObject(dc, old);
  ReleaseDC(hwndOf(p), dc);
  return size.cx;
}

static void setDropWidth(PopupMenuObject *p, int32_t widest) {
  ppane(p)->widest = widest;
  int32_t width = widest ? widest + GetSystemMetrics(SM_CXVSCROLL) + kDropMargin : 0;
  SendMessageA(hwndOf(p), CB_SETDROPPEDWIDTH, width, 0);
}

static void widen(PopupMenuObject *p, RString *text) {
  int32_t w = measure(p, text);
  if (w > ppane(p)->widest) setDropWidth(p, w);
}

static void remeasure(PopupMenuObject *p) {
  int32_t widest = 0;
  for (int32_t i = 0; i < popup_count(p); i++) {
    int32_t w = measure(p, popup_row(p, i)->text);
    if (w > widest) widest = w;
  }
  setDropWidth(p, widest);
}

/* ---- rows and their native mirror ---- */

int32_t popup_selection(PopupMenuObject *p) {
  if (!open(p)) return p->pendingIndex;
  return (int32_t)SendMessageA(hwndOf(p), CB_GETCURSEL, 0, 0);
}

void popup_select(PopupMenuObject *p, int32_t i) {
  if (open(p))
    SendMessageA(hwndOf(p), CB_SETCURSEL, i, 0);
  else
    p->pendingIndex = i;
}

static void nativeInsert(PopupMenuObject *p, int32_t i, RString *text) {
  SendMessageA(hwndOf(p), CB_INSERTSTRING, i, (LPARAM)str_cview(text));
  widen(p, text);
}

void popup_insert(PopupMenuObject *p, int32_t i, RString *text) {
  if (!p->rows) {
    p->rows = (Vector *)pool_alloc(sizeof(Vector));
    vec_init(p->rows);
  }
  PopupRow *row = (PopupRow *)pool_alloc(sizeof(PopupRow));
  RuntimeLockString(text);
  *row = {text, 0, 0};
  vec_insert(p->rows, i, (int32_t)(intptr_t)row);
  if (!open(p)) return;
  int32_t selected = popup_selection(p);
  nativeInsert(p, i, text);
  SendMessageA(hwndOf(p), CB_SETCURSEL, selected, 0); /* the selection keeps its number */
}

void popup_remove(PopupMenuObject *p, int32_t i) {
  freeRow(popup_row(p, i));
  vec_remove(p->rows, i);
  if (!open(p)) {
    if (p->pendingIndex == i && i >= popup_count(p)) p->pendingIndex = -1;
    return;
  }
  int32_t selected = popup_selection(p);
  SendMessageA(hwndOf(p), CB_DELETESTRING, i, 0);
  if (selected > i)
    selected--; /* the same row, one up */
  else if (selected == i && i >= popup_count(p))
    selected = -1;                                    /* it was the last */
  SendMessageA(hwndOf(p), CB_SETCURSEL, selected, 0); /* else the row moved into its place */
  remeasure(p);
}

void popup_set_text(PopupMenuObject *p, int32_t i, RString *text) {
  PopupRow *row = popup_row(p, i);
  RuntimeLockString(text);
  RuntimeUnlockString(row->text);
  row->text = text;
  if (!open(p)) return;
  int32_t selected = popup_selection(p);
  SendMessageA(hwndOf(p), CB_DELETESTRING, i, 0);
  nativeInsert(p, i, text);
  SendMessageA(hwndOf(p), CB_SETCURSEL, selected, 0);
}

void popup_empty(PopupMenuObject *p) {
  for (int32_t i = 0; i < popup_count(p); i++) freeRow(popup_row(p, i));
  if (p->rows) vec_set_count(p->rows, 0);
  if (!open(p)) {
    p->pendingIndex = -1;
    return;
  }
  SendMessageA(hwndOf(p), CB_RESETCONTENT, 0, 0);
  setDropWidth(p, 0);
}

static void freeRows(PopupMenuObject *p) {
  if (!p->rows) return;
  for (int32_t i = 0; i < popup_count(p); i++) freeRow(popup_row(p, i));
  vec_dispose(p->rows);
  pool_free(p->rows, sizeof(Vector));
  p->rows = nullptr;
}

/* ---- the pane ---- */

static PopupMenuObject *popupOf(Pane *pane) { return (PopupMenuObject *)pane_control(pane); }

// The user's choice. The platform says nothing of choices made by code;
// the selection setter reports those itself.
static LRESULT command(Pane *pane, int notification) {
  PopupMenuObject *p = popupOf(pane);
  if (p && notification == CBN_SELCHANGE) deliver_change(&p->control, "Change");
  return 0;
}

static const PaneKind kPopupKind = {
    .name = "popup menu",
    .mouseDown = control_mouse_down,
    .mouseDrag = control_mouse_drag,
    .mouseUp = control_mouse_up,
    .gotFocus = control_got_focus,
    .lostFocus = control_lost_focus,
    .command = command,
    .destroy = [](Pane *pane) { font_release(((PopupPane *)pane)->font); },
};

// Each piece before a carriage return is a row, an empty one too; the text
// after the last is a row when there is any.
static void addInitialRows(PopupMenuObject *p) {
  const char *s = str_cview(p->initialValue);
  int32_t n = str_len(p->initialValue), from = 0;
  for (int32_t i = 0; i <= n; i++) {
    if (i < n ? s[i] != '\r' : i == from) continue;
    RString *piece = str_make(s + from, i - from);
    popup_insert(p, popup_count(p), piece);
    RuntimeUnlockString(piece);
    from = i + 1;
  }
  str_assign(&p->initialValue, nullptr);
}

void popup_refresh_font(PopupMenuObject *p) {
  if (!open(p)) return;
  HFONT old = ppane(p)->font;
  ppane(p)->font = textstyle_acquire(&p->style);
  SendMessageA(hwndOf(p), WM_SETFONT, (WPARAM)ppane(p)->font, TRUE);
  font_release(old);
  remeasure(p);
}

static void createPane(Object *o) {
  PopupMenuObject *p = (PopupMenuObject *)o;
  Pane *pane = control_make_pane(&p->control, &kPopupKind, sizeof(PopupPane), "COMBOBOX", "",
                                 CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
  if (!pane) return;
  ppane(p)->font = textstyle_acquire(&p->style);
  SendMessageA(pane->hwnd, WM_SETFONT, (WPARAM)ppane(p)->font, FALSE);
  for (int32_t i = 0; i < popup_count(p); i++) nativeInsert(p, i, popup_row(p, i)->text);
  addInitialRows(p); /* after the rows added before the pane, which now takes them too */
  int32_t pending = p->pendingIndex;
  p->pendingIndex = -1;
  if (pending >= 0 && pending < popup_count(p)) SendMessageA(pane->hwnd, CB_SETCURSEL, pending, 0);
}

static void constructor(Object *o, ClassDef *) { ((PopupMenuObject *)o)->pendingIndex = -1; }

static void destructor(Object *o, ClassDef *) {
  PopupMenuObject *p = (PopupMenuObject *)o;
  freeRows(p);
  textstyle_release(&p->style);
  for (RString **s : {&p->initialValue, &p->dataSource, &p->dataField}) str_assign(s, nullptr);
  RuntimeUnlockObject(p->provider);
  p->provider = nullptr;
}

void popupmenu_install() {
  control_kind_register("PopupMenu", createPane);
  if (ClassDef *cls = registry_find("PopupMenu")) {
    cls->constructor = constructor;
    cls->destructor = destructor;
  }
}
