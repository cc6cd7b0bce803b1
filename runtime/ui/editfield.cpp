// EditField panes: the rich-edit control in its four kinds, made in the
// order the properties must reach it; its change and selection reports
// turned into TextChange and SelChange; keys, focus and the mouse; the edit
// commands with their menu items and the clipboard; the data binding push.
#include "objects/registry.h"
#include "base/pool.h"
#include "lifecycle/exception.h"
#include "text/chartables.h"
#include "text/string.h"
#include "ui/droptarget.h"
#include "ui/editfieldpane.h"
#include "ui/menubar.h"
#include <cstring>
#include <initializer_list>
#include <shlwapi.h>

static EditPane *epane(Pane *p) { return (EditPane *)p; }
static EditFieldObject *fieldOf(Pane *p) { return (EditFieldObject *)pane_control(p); }

/* ---- the library ---- */

static HMODULE library() {
  static HMODULE module = LoadLibraryA("RICHED32.DLL"); /* once per process */
  return module;
}

// The major version the library's DllGetVersion reports (0 when the call
// fails); without that export, a platform above version 4 counts as 3.
static int32_t queryVersion() {
  HMODULE m = library();
  auto get =
      m ? (HRESULT(WINAPI *)(DLLVERSIONINFO *))(void *)GetProcAddress(m, "DllGetVersion") : nullptr;
  if (!get) return (GetVersion() & 0xFF) > 4 ? 3 : 0;
  DLLVERSIONINFO info = {};
  info.cbSize = sizeof info;
  return SUCCEEDED(get(&info)) ? (int32_t)info.dwMajorVersion : 0;
}

int32_t edit_library_version() {
  static int32_t version = queryVersion();
  return version;
}

/* ---- reports ---- */

void edit_quiet(EditPane *ep) {
  if (ep->quiet++ == 0) edit_send(ep, EM_SETEVENTMASK, 0, 0);
}

void edit_loud(EditPane *ep) {
  if (--ep->quiet == 0) edit_send(ep, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE);
}

static void pushBinding(EditFieldObject *e);

Delivery edit_report_text(EditFieldObject *e) {
  if (e->changeLock) return kAnsweredFalse; /* its own handler changed the text */
  RuntimeLockObject(&e->control.header);
  e->changeLock = 1;
  Delivery d = deliver_to_control(&e->control, "TextChange");
  if (d != kPaneGone && e->binding && e->liveUpdate) pushBinding(e);
  e->changeLock = 0;
  RuntimeUnlockObject(&e->control.header);
  return d;
}

static void setMenuItem(const char *name, bool enabled);
static void updateEditMenu(EditFieldObject *e, bool disableFirst);

// The field's share of menus about to be shown: its edit items, then
// EnableMenuItems.
static Delivery menusAboutToShow(EditFieldObject *e) {
  updateEditMenu(e, false);
  return deliver_to_control(&e->control, "EnableMenuItems");
}

Delivery edit_report_selection(EditFieldObject *e) {
  RuntimeLockObject(&e->control.header);
  Delivery d = menusAboutToShow(e);
  if (d != kPaneGone && !e->selectionLock) {
    e->selectionLock = 1;
    d = deliver_to_control(&e->control, "SelChange");
    if (d != kPaneGone) updateEditMenu(e, true);
    e->selectionLock = 0;
  }
  RuntimeUnlockObject(&e->control.header);
  return d;
}

Delivery edit_report_both(EditFieldObject *e) {
  RuntimeLockObject(&e->control.header);
  Delivery d = edit_report_text(e);
  if (d != kPaneGone && e->control.pane) d = edit_report_selection(e);
  RuntimeUnlockObject(&e->control.header);
  return d;
}

/* ---- text and selection ---- */

// The control's text: the length it reports may count characters, so the
// buffer allows two bytes for each.
RString *edit_control_text(EditPane *ep) {
  int32_t n = GetWindowTextLengthA(edit_hwnd(ep));
  if (n <= 0) return nullptr;
  int32_t size = 2 * n + 2;
  char *buffer = (char *)pool_alloc(size);
  buffer[0] = 0;
  GetWindowTextA(edit_hwnd(ep), buffer, size);
  RString *s = str_make(buffer, lstrlenA(buffer));
  pool_free(buffer, size);
  return s;
}

RString *edit_text(EditPane *ep) {
  if (!ep->password) return edit_control_text(ep);
  RuntimeLockString(ep->real);
  return ep->real;
}

void edit_put_text(EditPane *ep, RString *text) {
  if (ep->password) return mask_put_text(ep, text);
  edit_quiet(ep);
  SetWindowTextA(edit_hwnd(ep), str_cview(text));
  edit_loud(ep);
  format_realign(ep);
}

CHARRANGE edit_selection(EditPane *ep) {
  CHARRANGE r = {0, 0};
  edit_send(ep, EM_EXGETSEL, 0, (LPARAM)&r);
  return r;
}

void edit_select(EditPane *ep, int32_t start, int32_t end) {
  CHARRANGE r = {start, end};
  edit_quiet(ep);
  edit_send(ep, EM_EXSETSEL, 0, (LPARAM)&r);
  edit_loud(ep);
}

int32_t edit_length(EditPane *ep) { return GetWindowTextLengthA(edit_hwnd(ep)); }

void edit_paste(EditPane *ep) {
  if (ep->password) { /* the clear text never reaches the screen */
    mask_paste(ep);
    return;
  }
  edit_quiet(ep);
  edit_send(ep, WM_PASTE);
  edit_loud(ep);
}

void edit_replace_selection(EditPane *ep, RString *text) {
  if (ep->password) return mask_replace_selection(ep, text);
  edit_quiet(ep);
  edit_send(ep, EM_REPLACESEL, TRUE, (LPARAM)str_cview(text));
  edit_loud(ep);
}

/* ---- the data binding ---- */

// The bound object's setString with the current text.
static void pushBinding(EditFieldObject *e) {
  Object *bound = e->binding;
  void *entry = bound ? method_entry(bound, "setString") : nullptr;
  if (!entry) return;
  RString *text = editTextGetter(e);
  RuntimeLockObject(bound);
  call_compiled(entry, (uint32_t)(uintptr_t)bound, (uint32_t)(uintptr_t)text);
  RuntimeUnlockObject(bound);
  RuntimeUnlockString(text);
}

/* ---- keys ---- */

// The runtime's key character of the navigation keys that reach KeyDown
// when they go down; 0 for other keys.
static int navigationCharacter(int vk) {
  switch (vk) {
  case VK_BACK:
    return 8;
  case VK_TAB:
    return 9;
  case VK_PRIOR:
    return 11;
  case VK_NEXT:
    return 12;
  case VK_END:
    return 4;
  case VK_HOME:
    return 1;
  case VK_LEFT:
    return 28;
  case VK_UP:
    return 30;
  case VK_RIGHT:
    return 29;
  case VK_DOWN:
    return 31;
  case VK_INSERT:
    return 5;
  case VK_DELETE:
    return 127;
  }
  return 0;
}

static Delivery deliverKey(EditFieldObject *e, const uint8_t *bytes, int n) {
  RString *key = str_make(bytes, n);
  uint32_t arg = (uint32_t)(uintptr_t)key;
  Delivery d = deliver_to_control(&e->control, "KeyDown", &arg, 1);
  RuntimeUnlockString(key);
  return d;
}

// The key translation step offers key-downs here: the navigation keys are
// KeyDown's; True from its handler consumes the key.
static bool keyDown(Pane *p, int, int keyCode, int) {
  EditFieldObject *e = fieldOf(p);
  int c = navigationCharacter(keyCode);
  if (!e || !c) return false;
  uint8_t byte = (uint8_t)c;
  return deliverKey(e, &byte, 1) != kAnsweredFalse;
}

// The bytes of one typed character: a lead byte waits for its trail byte.
static int typedCharacter(EditPane *ep, uint8_t c, uint8_t out[2]) {
  if (ep->pendingLead) {
    out[0] = ep->pendingLead, out[1] = c;
    ep->pendingLead = 0;
    return 2;
  }
  if (chartables()->lead[c]) {
    ep->pendingLead = c;
    return 0;
  }
  out[0] = c;
  return 1;
}

// A double-byte character kept back from the control: given to it whole,
// since a control fed its two bytes one by one may take each as a character
// of its own. Read-only and the limit refuse it as they refuse typing.
static void insertTyped(EditPane *ep, const uint8_t *bytes, int n) {
  CHARRANGE r = edit_selection(ep);
  int32_t after = edit_length(ep) - (r.cpMax - r.cpMin) + 1;
  if (ep->readOnly || after > (int32_t)edit_send(ep, EM_GETLIMITTEXT)) return;
  char text[3] = {};
  memcpy(text, bytes, n);
  edit_send(ep, EM_REPLACESEL, TRUE, (LPARAM)text);
}

// A typed character: KeyDown first (not for Backspace and Tab, which had
// theirs when they went down); True swallows it. False lets the message go
// on to the control; `held` says its bytes were kept back and must be sent.
static bool typed(EditPane *ep, const uint8_t *bytes, int n, bool held) {
  EditFieldObject *e = fieldOf(&ep->pane);
  bool navigation = n == 1 && (bytes[0] == 8 || bytes[0] == 9);
  if (e && !navigation && deliverKey(e, bytes, n) != kAnsweredFalse) return true;
  if (e && ep->password) {
    if (mask_type(ep, bytes, n)) edit_report_both(e);
    return true;
  }
  if (!held) return false;
  insertTyped(ep, bytes, n);
  return true;
}

static bool filter(Pane *p, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) {
  EditPane *ep = epane(p);
  *result = 0;
  if (message == WM_CHAR) {
    uint8_t bytes[2];
    int n = typedCharacter(ep, (uint8_t)wParam, bytes);
    return n == 0 || typed(ep, bytes, n, n == 2);
  }
  if (message == WM_IME_CHAR) { /* both bytes of a double-byte character at once */
    uint8_t bytes[2] = {(uint8_t)(wParam >> 8), (uint8_t)wParam};
    return bytes[0] ? typed(ep, bytes, 2, false) : typed(ep, bytes + 1, 1, false);
  }
  if (message == WM_LBUTTONDOWN && !ep->password && /* a press on the selection may drag it */
      gDropHooks.fieldPress(p, {(short)LOWORD(lParam), (short)HIWORD(lParam)}))
    return true;
  return ep->password && mask_filter(ep, message, wParam, lParam, result);
}

bool editField_keeps_key(Pane *p, int vk) {
  if (!editField_is(p) || !epane(p)->multiLine) return false;
  return vk == VK_RETURN || (vk == VK_TAB && epane(p)->acceptTabs);
}

/* ---- focus and the platform's reports ---- */

static void lostFocus(Pane *p) {
  EditFieldObject *e = fieldOf(p);
  if (!e) return;
  RuntimeLockObject(&e->control.header);
  if (deliver_to_control(&e->control, "LostFocus") != kPaneGone && e->binding) pushBinding(e);
  RuntimeUnlockObject(&e->control.header);
}

static LRESULT command(Pane *p, int notification) {
  EditFieldObject *e = fieldOf(p);
  if (!e || notification != EN_CHANGE || epane(p)->quiet) return 0;
  if (edit_length(epane(p)) == 0) format_realign(epane(p)); /* emptied, it keeps its alignment */
  edit_report_text(e);
  return 0;
}

static LRESULT notify(Pane *p, NMHDR *header) {
  EditFieldObject *e = fieldOf(p);
  if (e && header->code == EN_SELCHANGE && !epane(p)->quiet) edit_report_selection(e);
  return 0;
}

/* ---- edit commands and their menu items ---- */

static bool clipboardHasText() { return IsClipboardFormatAvailable(CF_TEXT); }

bool editField_can(Pane *p, EditCommand command) {
  if (!editField_is(p) || p->closing) return false;
  EditPane *ep = epane(p);
  CHARRANGE r = edit_selection(ep);
  bool selection = r.cpMax != r.cpMin;
  switch (command) {
  case kEditCut:
    return selection && !ep->readOnly && !ep->password;
  case kEditCopy:
    return selection && !ep->password;
  case kEditClear:
    return selection && !ep->readOnly;
  case kEditPaste:
    return !ep->readOnly && clipboardHasText();
  case kEditSelectAll:
    return GetWindowTextLengthA(p->hwnd) > 0;
  }
  return false;
}

bool editField_do(Pane *p, EditCommand command) {
  if (!editField_can(p, command)) return false;
  EditPane *ep = epane(p);
  EditFieldObject *e = fieldOf(p);
  switch (command) {
  case kEditCopy:
    edit_send(ep, WM_COPY);
    return true;
  case kEditSelectAll:
    edit_select(ep, 0, -1);
    if (e) edit_report_selection(e);
    return true;
  case kEditCut:
    edit_quiet(ep);
    edit_send(ep, WM_CUT);
    edit_loud(ep);
    break;
  case kEditClear:
    edit_replace_selection(ep, nullptr);
    break;
  case kEditPaste:
    edit_paste(ep);
    break;
  }
  if (e) edit_report_both(e);
  return true;
}

static const struct {
  const char *name;
  EditCommand command;
} kEditItems[] = {
    {"EditCut", kEditCut},
    {"EditCopy", kEditCopy},
    {"EditPaste", kEditPaste},
    {"EditClear", kEditClear},
};

static void setMenuItem(const char *name, bool enabled) {
  RString *key = str_from(name);
  Object *item = RuntimeMenuReference(key);
  RuntimeUnlockString(key);
  if (!item) return;
  ((MenuItemObject *)item)->enabled = enabled;
  RuntimeUnlockObject(item);
}

static void updateEditMenu(EditFieldObject *e, bool disableFirst) {
  if (disableFirst)
    for (auto &item : kEditItems) setMenuItem(item.name, false);
  for (auto &item : kEditItems)
    if (e->control.pane && editField_can(e->control.pane, item.command))
      setMenuItem(item.name, true);
}

void editField_menu_enable(Pane *p) {
  if (EditFieldObject *e = editField_of(p)) updateEditMenu(e, false);
}

// The menu handlers of the field's class chain for the item's name (its
// constant records), the item's Index passed for an element of a menu array.
static Delivery menuHandlers(EditFieldObject *e, MenuItemObject *item) {
  uint32_t words[] = {(uint32_t)(uintptr_t)e, (uint32_t)item->index};
  int count = item->index == kNoIndex ? 1 : 2;
  for (ClassDef *cls = e->control.header.cls; cls; cls = cls->superclass)
    for (ConstantRecord *k = cls->constants; k; k = k->next) {
      if (!k->value || !names_equal(k->name, item->name)) continue;
      Pane *p = e->control.pane;
      if (!p) return kPaneGone;
      Ongoing work = {.pane = p};
      ongoing_begin(&work);
      uint32_t answer = call_compiled_words((void *)(uintptr_t)k->value, words, count);
      if (ongoing_end(&work)) return kPaneGone;
      if (answer & 0xFF) return kAnsweredTrue;
    }
  return kAnsweredFalse;
}

bool editField_menu_command(Pane *p, MenuItemObject *item) {
  EditFieldObject *e = editField_of(p);
  if (!e || !item) return false;
  RuntimeLockObject(&e->control.header);
  Delivery d = menuHandlers(e, item);
  bool handled = d != kAnsweredFalse;
  if (!handled && e->control.pane == p)
    for (auto &it : kEditItems)
      if (name_is(item->name, it.name)) handled = editField_do(p, it.command);
  RuntimeUnlockObject(&e->control.header);
  return handled;
}

/* ---- the pane ---- */

static void destroy(Pane *p) { str_assign(&epane(p)->real, nullptr); }

static const PaneKind kEditKind = {
    .name = "edit field",
    .mouseDown = control_mouse_down,
    .mouseUp = control_mouse_up,
    .gotFocus = control_got_focus,
    .lostFocus = lostFocus,
    .keyDown = keyDown,
    .command = command,
    .notify = notify,
    .destroy = destroy,
    .filter = filter,
    .keepsKey = editField_keeps_key,
};

const PaneKind *editField_pane_kind() { return &kEditKind; }
static const PaneKind *adopted; /* a kind built on this one, whose panes are edit fields too */
void editField_adopt_kind(const PaneKind *kind) { adopted = kind; }
bool editField_is(const Pane *p) { return p && (p->kind == &kEditKind || p->kind == adopted); }
EditFieldObject *editField_of(Pane *p) { return editField_is(p) ? fieldOf(p) : nullptr; }

// The four kinds: single-line scrolls sideways; multi-line keeps its
// selection shown and takes the scroll bars asked for.
static DWORD styleFor(EditFieldObject *e) {
  if (!e->multiLine) return ES_AUTOHSCROLL | WS_TABSTOP;
  DWORD style = ES_MULTILINE | ES_NOHIDESEL | WS_TABSTOP;
  if (e->scrollBarVertical) style |= WS_VSCROLL | ES_AUTOVSCROLL;
  if (e->scrollBarHorizontal) style |= WS_HSCROLL | ES_AUTOHSCROLL;
  return style;
}

void editField_createPane(Object *o) {
  EditFieldObject *e = (EditFieldObject *)o;
  library();
  Pane *p = control_make_pane(&e->control, &kEditKind, sizeof(EditPane), "RichEdit", "",
                              styleFor(e), e->border ? WS_EX_CLIENTEDGE : 0);
  if (!p) return;
  EditPane *ep = epane(p);
  ep->styled = e->styled;
  ep->multiLine = e->multiLine;
  ep->mask = '*';
  ep->background = GetSysColor(COLOR_WINDOW);
  ep->quiet = 1;                                 /* reports stay off until the field is complete */
  SendMessageA(p->hwnd, WM_SETREDRAW, FALSE, 0); /* one layout at the end, not one per setting */
  format_field_font(ep, e);
  RECT client; /* the text lies within the border, where right-aligned text must end too */
  GetClientRect(p->hwnd, &client);
  SendMessageA(p->hwnd, EM_SETRECT, 0, (LPARAM)&client);
  format_alignment(ep, e->alignment);
  ep->readOnly = e->readOnly;
  if (e->readOnly) edit_send(ep, EM_SETREADONLY, TRUE); /* a new control is writable */
  format_background(ep, e->backColor);
  format_text_colour(ep, e->textColor);
  ep->useFocusRing = e->useFocusRing;
  e->changeLock = e->selectionLock = 1;             /* the initial text reports nothing */
  if (str_len(e->text)) edit_put_text(ep, e->text); /* a new control is empty */
  edit_send(ep, EM_EXLIMITTEXT, 0, e->limitText ? e->limitText : 1000000);
  e->changeLock = e->selectionLock = 0;
  mask_set_password(ep, e->password);
  ep->acceptTabs = e->acceptTabs;
  SendMessageA(p->hwnd, WM_SETREDRAW, TRUE, 0);
  edit_loud(ep);
}

static void editDestructor(Object *o, ClassDef *) {
  EditFieldObject *e = (EditFieldObject *)o;
  textstyle_release(&e->style);
  for (RString **s : {&e->text, &e->dataSource, &e->dataField}) str_assign(s, nullptr);
}

void editfield_install() {
  control_kind_register("EditField", editField_createPane);
  if (ClassDef *cls = registry_find("EditField")) cls->destructor = editDestructor;
}
