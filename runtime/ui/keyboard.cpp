// The shortcut registry and the key translation step: every key-down is
// matched against the shortcuts, then offered to the focused pane and to
// the window's KeyDown, and finally drives focus navigation and the
// default and cancel buttons.
#include "ui/keyboard.h"
#include "base/pool.h"
#include "text/string.h"
#include "ui/buttons.h"
#include "ui/editfield.h"
#include "ui/menubar.h"
#include "ui/control.h"
#include "ui/windowobject.h"
#include "ui/tabpanel.h"
#include "ui/nativewindow.h"
#include <commctrl.h>
#include <cstring>
#include <initializer_list>

int gKeyModifiers;

/* ---- the registry ---- */

static Shortcut *shortcuts; // newest first

Shortcut *shortcut_list() { return shortcuts; }

static Shortcut **linkOf(int32_t kind, void *target, int32_t detail) {
  Shortcut **p = &shortcuts;
  while (*p && !((*p)->kind == kind && (*p)->target == target && (*p)->detail == detail))
    p = &(*p)->next;
  return p;
}

void shortcut_remove(int32_t kind, void *target, int32_t detail) {
  Shortcut **p = linkOf(kind, target, detail);
  if (Shortcut *s = *p) {
    *p = s->next;
    RuntimeUnlockString(s->key);
    pool_free(s, sizeof(Shortcut));
  }
}

void shortcut_register(int32_t kind, void *target, int32_t detail, RString *keyName) {
  if (!keyName) return;
  shortcut_remove(kind, target, detail);
  Shortcut *s = (Shortcut *)pool_alloc(sizeof(Shortcut));
  RuntimeLockString(keyName);
  *s = {shortcuts, kind, target, detail, keyName};
  shortcuts = s;
}

/* ---- default hooks ---- */

static bool isClass(HWND hwnd, const char *name) {
  char actual[32];
  return hwnd && GetClassNameA(hwnd, actual, sizeof actual) && !_stricmp(actual, name);
}

static void focusAndPress(Pane *button) {
  pane_set_focus(button);
  if (!button->closing) buttons_press(button);
}

// A tab chosen as by the user: the selection-change notification reaches
// the tab control's pane by reflection.
static void selectNativeTab(Pane *tabs, int32_t tab) {
  HWND hwnd = tabs->hwnd;
  if (SendMessageA(hwnd, TCM_GETCURSEL, 0, 0) == tab) return;
  pane_set_focus(tabs);
  SendMessageA(hwnd, TCM_SETCURSEL, tab, 0);
  NMHDR changed = {hwnd, (UINT_PTR)GetDlgCtrlID(hwnd), (UINT)TCN_SELCHANGE};
  SendMessageA(GetParent(hwnd), WM_NOTIFY, changed.idFrom, (LPARAM)&changed);
}

static bool nativePushButton(Pane *pane) {
  DWORD type = (DWORD)GetWindowLongA(pane->hwnd, GWL_STYLE) & 0xF;
  return isClass(pane->hwnd, "BUTTON") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

bool keyboard_tab_stop(Pane *pane, bool) {
  return (GetWindowLongA(pane->hwnd, GWL_STYLE) & WS_TABSTOP) != 0;
}

static bool acceptsFocus(Pane *pane, bool byArrow) {
  auto rule = pane->kind->acceptsFocus ? pane->kind->acceptsFocus : keyboard_tab_stop;
  return rule(pane, byArrow);
}

static bool keepsKey(Pane *focus, int vk) {
  return focus->kind->keepsKey && focus->kind->keepsKey(focus, vk);
}

/* ---- shortcuts ---- */

// A pane of the window, on screen and enabled all the way up to its root.
static bool usable(Pane *pane, View *view) {
  if (!pane || pane_root(pane) != &view->pane) return false;
  for (Pane *p = pane; p->parent; p = p->parent)
    if (p->closing || !pane_on_screen(p) || !p->enabled) return false;
  return true;
}

static bool menuItemGreyed(HMENU menu, int32_t id) {
  UINT state = GetMenuState(menu, (UINT)id, MF_BYCOMMAND);
  return state == (UINT)-1 || (state & (MF_GRAYED | MF_DISABLED));
}

// Presses a control as a click at its top-left corner would.
static void press(Pane *pane) {
  POINT at = {pane->bounds.left, pane->bounds.top};
  if (!pane->kind->mouseDown || !pane->kind->mouseDown(pane, at, gKeyModifiers)) return;
  if (pane_tracking() == pane)
    pane_end_tracking(at); /* the capture released, then the mouse up */
  else if (!pane->closing && pane->kind->mouseUp)
    pane->kind->mouseUp(pane, at);
}

static void runControlShortcut(const Shortcut *s, Pane *pane) {
  switch (s->kind) {
  case kShortcutClickButton:
    focusAndPress(pane);
    break;
  case kShortcutSelectTab:
    selectNativeTab(pane, s->detail);
    break;
  case kShortcutPress:
    press(pane);
    break;
  case kShortcutAccelerator:
    if (ControlObject *c = pane_control(pane)) deliver_to_control(c, "AcceleratorKey");
    break;
  }
}

static void runShortcut(const Shortcut *s, View *view) {
  if (s->kind == kShortcutMenuItem) {
    if (!menuItemGreyed((HMENU)s->target, s->detail)) menu_command(view, s->detail);
    return;
  }
  Pane *pane = pane_from_hwnd((HWND)s->target);
  if (!usable(pane, view)) return;
  Ongoing work = {.pane = pane}; /* its handlers may dispose of it */
  ongoing_begin(&work);
  runControlShortcut(s, pane);
  ongoing_end(&work);
}

// The newest shortcut of that name. A control's shortcut belongs to its own
// window: one in another window is passed over, so that two windows may use
// the same mnemonic.
static const Shortcut *findShortcut(RString *name, View *view) {
  for (Shortcut *s = shortcuts; s; s = s->next) {
    if (!names_equal(s->key, name)) continue;
    if (s->kind == kShortcutMenuItem) return s;
    Pane *pane = IsWindow((HWND)s->target) ? pane_from_hwnd((HWND)s->target) : nullptr;
    if (pane && pane_root(pane) == &view->pane) return s;
  }
  return nullptr;
}

// Alt and a character: the window's button or tab whose caption has it as
// its mnemonic.
static bool runMnemonic(View *view, int vk) {
  RString *name = key_name(vk, 0);
  int c = str_len(name) == 1 ? (uint8_t)str_cview(name)[0] : 0;
  RuntimeUnlockString(name);
  if (!c) return false;
  if (Pane *button = buttons_with_mnemonic(view, (uint8_t)c)) {
    Ongoing work = {.pane = button};
    ongoing_begin(&work);
    focusAndPress(button);
    ongoing_end(&work);
    return true;
  }
  return tabpanel_select_by_mnemonic(view, (uint8_t)c);
}

/* ---- the focused pane and the window ---- */

static Pane *focusIn(View *view) {
  Pane *f = pane_focus();
  return f && !f->closing && pane_root(f) == &view->pane ? f : nullptr;
}

// The focused pane's key handling, then the window's KeyDown with the key's
// character; true when one of them took the key.
static bool offerKey(View *view, int vk, int modifiers) {
  int character = key_character(vk, modifiers);
  Pane *focus = focusIn(view);
  if (focus && focus != &view->pane && focus->kind->keyDown &&
      focus->kind->keyDown(focus, character, vk, modifiers))
    return true;
  WindowObject *w = view->window;
  if (!w || view->closing) return false;
  char c = (char)character;
  RString *key = str_make(&c, 1);
  uint32_t args[] = {(uint32_t)(uintptr_t)key};
  Delivery d = deliver(&w->header, &view->pane, "KeyDown", args, 1);
  RuntimeUnlockString(key);
  return d != kAnsweredFalse;
}

/* ---- navigation ---- */

static bool focusable(Pane *pane, View *view, bool byArrow) {
  return pane->hwnd && usable(pane, view) && acceptsFocus(pane, byArrow);
}

// The panes that can take focus, in pane-tree order.
static void collectFocusable(Pane *pane, View *view, bool byArrow, Vector *out) {
  for (Pane *c = pane->firstChild; c; c = c->next) {
    if (focusable(c, view, byArrow)) vec_append_ptr(out, c);
    collectFocusable(c, view, byArrow, out);
  }
}

// Focus to the next (or previous) pane that can take it after (before) the
// focused one, wrapping round to the first (last).
static void moveFocus(View *view, bool backward, bool byArrow) {
  Vector panes;
  vec_init(&panes);
  collectFocusable(&view->pane, view, byArrow, &panes);
  int32_t count = vec_count(&panes), at = -1;
  Pane *focus = focusIn(view);
  for (int32_t i = 0; i < count; i++)
    if (vec_get_ptr(&panes, i) == focus) at = i;
  Pane *target = nullptr;
  if (count > 0 && backward)
    target = (Pane *)vec_get_ptr(&panes, at > 0 ? at - 1 : count - 1);
  else if (count > 0)
    target = (Pane *)vec_get_ptr(&panes, at >= 0 && at + 1 < count ? at + 1 : 0);
  vec_dispose(&panes);
  if (!target || target == focus) return;
  if (target->kind->enteredByKeyboard) target->kind->enteredByKeyboard(target);
  if (!target->closing) pane_set_focus(target);
}

// Native controls that use the arrow keys themselves.
static bool keepsArrows(HWND hwnd) {
  char name[32];
  if (!hwnd || !GetClassNameA(hwnd, name, sizeof name)) return false;
  if (!_strnicmp(name, "RichEdit", 8)) return true;
  for (const char *c : {"SysTabControl32", "ScrollBar", "msctls_trackbar32", "ComboBox"})
    if (!_stricmp(name, c)) return true;
  return false;
}

static bool navigate(View *view, HWND hwnd, int vk, int modifiers) {
  Pane *focus = focusIn(view);
  switch (vk) {
  case VK_TAB:
    if (modifiers & kModCommand) return false;
    if (focus && keepsKey(focus, VK_TAB)) return false;
    moveFocus(view, (modifiers & kModShift) != 0, false);
    return true;
  case VK_RETURN: {
    if (focus && keepsKey(focus, VK_RETURN)) return false;
    Pane *button = focus && nativePushButton(focus) ? focus : buttons_default(view);
    if (button) buttons_press(button);
    return false;
  }
  case VK_ESCAPE: {
    Pane *cancel = buttons_cancel(view);
    if (cancel) buttons_press(cancel);
    return cancel != nullptr;
  }
  case VK_LEFT:
  case VK_UP:
  case VK_RIGHT:
  case VK_DOWN:
    if (keepsArrows(hwnd)) return false;
    moveFocus(view, vk == VK_LEFT || vk == VK_UP, true);
    return true;
  }
  return false;
}

/* ---- the step ---- */

// The runtime window that holds a native window, following parents.
static View *viewHolding(HWND hwnd) {
  for (HWND h = hwnd; h; h = GetParent(h))
    if (View *v = view_from_hwnd(h)) return v;
  return nullptr;
}

static void showKeyboardCues(View *view) {
  if (LOBYTE(LOWORD(GetVersion())) > 4)
    SendMessageA(view->pane.hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
}

static bool translate(View *view, HWND hwnd, int vk) {
  if (gKeyModifiers & kModOption) showKeyboardCues(view);
  RString *name = key_name(vk, gKeyModifiers);
  const Shortcut *s = name ? findShortcut(name, view) : nullptr;
  bool named = name != nullptr;
  RuntimeUnlockString(name);
  if (s) {
    runShortcut(s, view);
    return true;
  }
  if (gKeyModifiers == kModOption && runMnemonic(view, vk)) return true;
  if (named && offerKey(view, vk, gKeyModifiers)) return true;
  if (view->pane.closing) return true; /* a KeyDown handler closed the window */
  return navigate(view, hwnd, vk, gKeyModifiers);
}

bool keyboard_key_down(HWND hwnd, int vk, int modifiers) {
  View *view = viewHolding(hwnd);
  if (!view || view->closing) return false;
  gKeyModifiers = modifiers & (kModCommand | kModShift | kModOption);
  Ongoing work = {.pane = &view->pane}; /* a handler may close the window */
  ongoing_begin(&work);
  bool consumed = translate(view, hwnd, vk);
  bool closed = view->pane.closing;
  ongoing_end(&work);
  return consumed || closed;
}

bool keyboard_translate(MSG *m) {
  if (m->message != WM_KEYDOWN && m->message != WM_SYSKEYDOWN) return false;
  return keyboard_key_down(m->hwnd, (int)m->wParam, modifiers_now());
}
