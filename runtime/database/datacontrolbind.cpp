// The controls bound to a data control: found through its ControlBind text
// and through their DataSource, each with the field it shows; a field's text
// shown in each kind of control, and each kind's value read back as text.
#include "database/datacontrol.h"
#include "base/pool.h"
#include "objects/registry.h"
#include "ui/buttons.h"
#include "ui/editfield.h"
#include "ui/listbox.h"
#include "ui/popupmenu.h"
#include "ui/statictext.h"
#include "ui/windowobject.h"
#include <vector>

enum BoundKind { kNotBound, kBoundEdit, kBoundStatic, kBoundCheck, kBoundRadio, kBoundList, kBoundPopup };

static BoundKind kindOf(ControlObject *c) {
  static const struct {
    const char *cls;
    BoundKind kind;
  } kinds[] = {{"EditField", kBoundEdit},  {"StaticText", kBoundStatic}, {"CheckBox", kBoundCheck},
               {"RadioButton", kBoundRadio}, {"Listbox", kBoundList},     {"PopupMenu", kBoundPopup}};
  for (auto &k : kinds) {
    ClassDef *cls = registry_find(k.cls);
    if (cls && class_derives_from(c->header.cls, cls)) return k.kind;
  }
  return kNotBound;
}

// The DataSource and DataField a control keeps, by kind (a radio has neither).
static void dataNames(ControlObject *c, RString **source, RString **field) {
  *source = *field = nullptr;
  switch (kindOf(c)) {
  case kBoundEdit:
    *source = ((EditFieldObject *)c)->dataSource, *field = ((EditFieldObject *)c)->dataField;
    break;
  case kBoundStatic:
    *source = ((StaticTextObject *)c)->dataSource, *field = ((StaticTextObject *)c)->dataField;
    break;
  case kBoundCheck:
    *source = ((CheckBoxObject *)c)->dataSource, *field = ((CheckBoxObject *)c)->dataField;
    break;
  case kBoundList:
    *source = ((ListboxObject *)c)->dataSource, *field = ((ListboxObject *)c)->dataField;
    break;
  case kBoundPopup:
    *source = ((PopupMenuObject *)c)->dataSource, *field = ((PopupMenuObject *)c)->dataField;
    break;
  default:
    break;
  }
}

/* ---- finding the bound controls ---- */

struct Collecting {
  DataControlObject *dc;
  std::vector<DataBinding> found;
};

static bool listed(Collecting *k, ControlObject *c) {
  for (DataBinding &b : k->found)
    if (b.control == c) return true;
  return false;
}

static void add(Collecting *k, ControlObject *c, RString *field) {
  if (!c || c == &k->dc->control || listed(k, c) || kindOf(c) == kNotBound) return;
  if (!field || str_len(field) == 0) return;
  RuntimeLockString(field);
  k->found.push_back({c, field});
}

static bool isSpace(char c) { return c == ' ' || c == '\t'; }
static bool isSeparator(char c) { return c == ',' || c == '\r' || c == '\n'; }

// One ControlBind entry, s[0..n): "Control" or "Control=Field", blanks around.
static void addEntry(Collecting *k, const char *s, int32_t n) {
  while (n > 0 && isSpace(*s)) s++, n--;
  while (n > 0 && isSpace(s[n - 1])) n--;
  int32_t eq = 0;
  while (eq < n && s[eq] != '=') eq++;
  int32_t nameEnd = eq;
  while (nameEnd > 0 && isSpace(s[nameEnd - 1])) nameEnd--;
  if (nameEnd == 0) return;
  RString *name = str_make(s, nameEnd);
  ControlObject *c = (ControlObject *)RuntimeControlFetch(k->dc->control.window, name);
  RuntimeUnlockString(name);
  if (!c) return;
  if (eq < n) {
    const char *f = s + eq + 1;
    int32_t fn = n - eq - 1;
    while (fn > 0 && isSpace(*f)) f++, fn--;
    RString *field = str_make(f, fn);
    add(k, c, field);
    RuntimeUnlockString(field);
    return;
  }
  RString *source, *field;
  dataNames(c, &source, &field);
  add(k, c, field);
}

static void addNamed(Collecting *k) {
  RString *bind = k->dc->rows->controlBind;
  const char *s = str_cview(bind);
  int32_t n = str_len(bind), start = 0;
  for (int32_t i = 0; i <= n; i++)
    if (i == n || isSeparator(s[i])) {
      if (i > start) addEntry(k, s + start, i - start);
      start = i + 1;
    }
}

static void addBySource(ControlObject *c, void *context) {
  Collecting *k = (Collecting *)context;
  RString *source, *field;
  dataNames(c, &source, &field);
  RString *name = k->dc->control.name;
  if (source && str_len(source) && name && RuntimeStringCompare(source, name) == 0)
    add(k, c, field);
}

int32_t bindings_collect(DataControlObject *dc, DataBinding **out) {
  *out = nullptr;
  WindowObject *w = dc->control.window;
  if (!w || !w->controls) return 0;
  Collecting k = {dc, {}};
  addNamed(&k);
  controls_each(w, addBySource, &k);
  int32_t n = (int32_t)k.found.size();
  if (!n) return 0;
  *out = (DataBinding *)pool_alloc(n * (int32_t)sizeof(DataBinding));
  for (int32_t i = 0; i < n; i++) (*out)[i] = k.found[i];
  return n;
}

void bindings_free(DataBinding *list, int32_t count) {
  for (int32_t i = 0; i < count; i++) RuntimeUnlockString(list[i].field);
  if (list) pool_free(list, count * (int32_t)sizeof(DataBinding));
}

/* ---- showing a field ---- */

static bool same(RString *a, RString *b) { return RuntimeStringCompare(a, b) == 0; }

// True (in any case) or a number other than 0 checks a check box.
static bool truthy(RString *text) {
  const char *s = str_cview(text);
  int32_t n = str_len(text);
  if (n == 4 && (s[0] | 0x20) == 't' && (s[1] | 0x20) == 'r' && (s[2] | 0x20) == 'u' &&
      (s[3] | 0x20) == 'e')
    return true;
  for (int32_t i = 0; i < n; i++)
    if (s[i] >= '1' && s[i] <= '9') return true;
  return false;
}

static int32_t listRowWith(ListboxObject *list, RString *text) {
  for (int32_t row = 0; str_len(text) && row < list_count(list); row++) {
    RString *cell = list_cell_text(list, row, 0);
    bool match = same(cell, text);
    RuntimeUnlockString(cell);
    if (match) return row;
  }
  return -1;
}

static int32_t popupRowWith(PopupMenuObject *p, RString *text) {
  for (int32_t row = 0; str_len(text) && row < popup_count(p); row++)
    if (same(popup_row(p, row)->text, text)) return row;
  return -1;
}

void binding_show(ControlObject *c, RString *text) {
  switch (kindOf(c)) {
  case kBoundEdit:
    return editTextSetter((EditFieldObject *)c, 0, text);
  case kBoundStatic:
    return staticCaptionSetter((StaticTextObject *)c, 0, text);
  case kBoundCheck: {
    ButtonObject *b = (ButtonObject *)c;
    bool want = truthy(text);
    if (want != (bool)b->value) buttons_check(b, want); /* a change only: no Action otherwise */
    return;
  }
  case kBoundRadio: {
    ButtonObject *b = (ButtonObject *)c;
    bool want = str_len(text) > 0 && same(b->caption, text);
    if (want != (bool)b->value) buttons_check(b, want);
    return;
  }
  case kBoundList: {
    ListboxObject *list = (ListboxObject *)c;
    int32_t row = listRowWith(list, text);
    if (row != list_first_selected(list)) listSelectionSetter(list, 0, row);
    return;
  }
  case kBoundPopup: {
    PopupMenuObject *p = (PopupMenuObject *)c;
    int32_t row = popupRowWith(p, text);
    if (row != popup_selection(p)) RuntimePopupSelectionSetter(p, 0, row);
    return;
  }
  default:
    return;
  }
}

/* ---- reading a control back ---- */

RString *binding_read(ControlObject *c, bool *has) {
  *has = true;
  switch (kindOf(c)) {
  case kBoundEdit:
    return editTextGetter((EditFieldObject *)c);
  case kBoundCheck:
    return str_from(((ButtonObject *)c)->value ? "1" : "0");
  case kBoundRadio: {
    ButtonObject *b = (ButtonObject *)c;
    *has = b->value; /* the checked radio of a field gives its value */
    if (!*has) return nullptr;
    RuntimeLockString(b->caption);
    return b->caption;
  }
  case kBoundList: {
    ListboxObject *list = (ListboxObject *)c;
    int32_t row = list_first_selected(list);
    return row >= 0 ? list_cell_text(list, row, 0) : nullptr;
  }
  case kBoundPopup: {
    PopupMenuObject *p = (PopupMenuObject *)c;
    int32_t row = popup_selection(p);
    if (row < 0 || row >= popup_count(p)) return nullptr;
    RuntimeLockString(popup_row(p, row)->text);
    return popup_row(p, row)->text;
  }
  default:
    *has = false;
    return nullptr;
  }
}
