// PushButton, CheckBox, RadioButton and GroupBox: native "BUTTON" windows in
// panes, the rules that decide when a click is an Action, change reports of
// check boxes and radios, the radio group rule, default and cancel buttons,
// mnemonics, and every property accessor of the four classes.
#include "ui/buttons.h"
#include "objects/registry.h"
#include "ui/boundparts.h"
#include "ui/receivers.h"
#include "base/pool.h"
#include "lifecycle/exception.h"
#include "text/chartables.h"
#include "text/string.h"
#include "ui/fonts.h"
#include "ui/windowobject.h"
#include "ui/nativewindow.h"
#include <initializer_list>

/* ---- mnemonics ---- */

// Upper case through the runtime's table; ASCII letters fold in every code
// page, where the table of a double-byte one leaves single bytes alone.
static uint8_t upper(uint8_t c) {
  return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : chartables()->upper[c];
}

uint8_t caption_mnemonic(const char *s, int32_t length) {
  uint8_t found = 0;
  for (int32_t i = 0; i + 1 < length; i++) {
    if (s[i] != '&') continue;
    if (s[i + 1] == '&') { /* a literal ampersand */
      i++;
      continue;
    }
    found = (uint8_t)s[++i];
  }
  return upper(found);
}

/* ---- records ---- */

static ButtonObject *buttonOf(Pane *p) { return (ButtonObject *)pane_control(p); }
static ButtonPane *bpane(Pane *p) { return (ButtonPane *)p; }
static ButtonPane *paneOf(ButtonObject *b) { return (ButtonPane *)b->control.pane; }
static uint32_t word(long v) { return (uint32_t)v; }

static bool isButtonKind(Pane *p, int kind);

static bool windowOpen(ButtonObject *b) {
  WindowObject *w = b->control.window;
  return w && w->view && !w->view->closing;
}

/* ---- clicks ---- */

// The Action of a push button, then its receivers.
static Delivery pushAction(ButtonObject *b) {
  Delivery d = deliver_to_control(&b->control, "Action");
  if (d != kPaneGone) receivers_notify(((PushButtonObject *)b)->receivers, "performAction");
  return d;
}

// MouseDown and MouseUp are remembered: True on both swallows the click.
static bool filterMouse(Pane *p, UINT message, LPARAM lParam) {
  ButtonObject *b = buttonOf(p);
  if (!b) return false;
  POINT at = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
  uint32_t args[] = {word(at.x), word(at.y)}; /* client coordinates are the control's */
  bpane(p)->clicking = message == WM_LBUTTONDOWN;
  if (message == WM_LBUTTONDOWN) {
    Delivery d = deliver_to_control(&b->control, "MouseDown", args, 2);
    if (d == kPaneGone) return true;
    bpane(p)->remembered = d == kAnsweredTrue;
    return false;
  }
  if (!bpane(p)->remembered) return false;
  Delivery d = deliver_to_control(&b->control, "MouseUp", args, 2);
  if (d == kPaneGone) return true;
  RECT r;
  GetClientRect(p->hwnd, &r);
  bpane(p)->remembered = PtInRect(&r, at) && d == kAnsweredTrue;
  return false;
}

static bool filter(Pane *p, UINT message, WPARAM, LPARAM lParam, LRESULT *) {
  if (bpane(p)->kind == kGroupBox) return false;
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) return filterMouse(p, message, lParam);
  return false;
}

static void reportCheck(ButtonObject *b);
static void checkRadio(ButtonObject *b);

// The platform's clicked notification: sent for a release inside the button.
static LRESULT command(Pane *p, int notification) {
  ButtonObject *b = buttonOf(p);
  if (!b || notification != BN_CLICKED) return 0;
  ButtonPane *bp = bpane(p);
  bool swallowed = bp->remembered;
  bp->remembered = 0;
  if (swallowed) return 0;
  switch (bp->kind) {
  case kPushButton:
    pushAction(b);
    break;
  case kCheckBox:
    SendMessageA(p->hwnd, BM_SETCHECK, SendMessageA(p->hwnd, BM_GETCHECK, 0, 0) ? 0 : 1, 0);
    reportCheck(b);
    break;
  case kRadioButton:
    checkRadio(b);
    break;
  }
  return 0;
}

/* ---- check boxes ---- */

// A report stops as soon as the control loses its pane or its window closes.
static bool reportGoesOn(ButtonObject *b, ButtonPane *bp) {
  return b->control.pane == &bp->pane && windowOpen(b);
}

// The data receivers, Action, then the receivers of the state it is now in.
static void reportCheck(ButtonObject *b) {
  ButtonPane *bp = paneOf(b);
  if (!bp) return;
  b->value = SendMessageA(bp->pane.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (bp->reporting || !windowOpen(b)) return;
  CheckBoxObject *c = (CheckBoxObject *)b;
  bool checked = b->value;
  bp->reporting = 1;
  RuntimeLockObject(&b->control.header);
  receivers_notify(c->dataReceivers, "valueChanged", &b->control.header);
  Delivery d = reportGoesOn(b, bp) ? deliver_to_control(&b->control, "Action") : kPaneGone;
  if (d != kPaneGone && reportGoesOn(b, bp))
    actionpart_notify(checked ? c->checkedAction : c->uncheckedAction);
  if (d != kPaneGone && b->control.pane == &bp->pane) bp->reporting = 0;
  RuntimeUnlockObject(&b->control.header);
}

/* ---- radio buttons ---- */

static HWND currentGroup; // the native parent of the radio checked last

// Checked: Action, then the checked receivers; unchecked: its receivers only.
static void reportRadio(ButtonObject *b) {
  ButtonPane *bp = paneOf(b);
  if (!bp) return;
  RadioButtonObject *r = (RadioButtonObject *)b;
  b->value = SendMessageA(bp->pane.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (!b->value) return actionpart_notify(r->uncheckedAction); /* unchecking raises no Action */
  if (bp->reporting) return;
  bp->reporting = 1;
  if (deliver_to_control(&b->control, "Action") == kPaneGone) return;
  bp->reporting = 0;
  if (windowOpen(b)) actionpart_notify(r->checkedAction);
}

static void deselect(Pane *p) {
  if (!isButtonKind(p, kRadioButton) || GetParent(p->hwnd) != currentGroup) return;
  SendMessageA(p->hwnd, BM_SETCHECK, 0, 0);
  if (ButtonObject *b = buttonOf(p)) reportRadio(b);
}

// The smallest pane of the same tab enclosing the radio: the radio's group.
static Pane *groupContainer(Pane *radio) {
  Pane *best = nullptr;
  for (Pane *c = radio->parent->firstChild; c; c = c->next) {
    if (c == radio || c->tabPanelIndex != radio->tabPanelIndex) continue;
    if (!rect_encloses(c->bounds, radio->bounds)) continue;
    if (!best || (c->width < best->width && c->height < best->height)) best = c;
  }
  return best;
}

static void clearOthers(Pane *radio) {
  if (!radio->parent) return;
  Pane *container = groupContainer(radio);
  for (Pane *c = radio->parent->firstChild, *next; c; c = next) {
    next = c->next;
    if (c == radio || c->tabPanelIndex != radio->tabPanelIndex || c->closing) continue;
    if (!container || (c != container && rect_encloses(container->bounds, c->bounds))) deselect(c);
  }
}

static void checkRadio(ButtonObject *b) {
  ButtonPane *bp = paneOf(b);
  if (!bp || bp->checking) return; /* a check already under way */
  bp->checking = 1;
  RuntimeLockObject(&b->control.header);
  SendMessageA(bp->pane.hwnd, BM_SETCHECK, 1, 0);
  currentGroup = GetParent(bp->pane.hwnd);
  clearOthers(&bp->pane);
  if (b->control.pane == &bp->pane) {
    reportRadio(b);
    if (b->control.pane == &bp->pane) bp->checking = 0;
  }
  RuntimeUnlockObject(&b->control.header);
}

/* ---- focus, default and cancel ---- */

static void gotFocus(Pane *p) {
  ButtonObject *b = buttonOf(p);
  if (b && bpane(p)->kind == kRadioButton && !bpane(p)->clicking &&
      !SendMessageA(p->hwnd, BM_GETCHECK, 0, 0))
    checkRadio(b); /* taking focus checks it; a click checks it itself, once */
  if (b && b->control.pane == p) control_got_focus(p);
}

static bool isButtonKind(Pane *p, int kind) {
  return p->kind && p->kind->name && buttonOf(p) && p->hwnd && !strcmp(p->kind->name, "button") &&
         bpane(p)->kind == kind;
}

static Pane *firstWith(Pane *root, uint8_t ButtonPane::*flag) {
  for (Pane *c = root->firstChild; c; c = c->next) {
    if (isButtonKind(c, kPushButton) && bpane(c)->*flag && c->enabled && pane_on_screen(c))
      return c;
    if (Pane *inner = firstWith(c, flag)) return inner;
  }
  return nullptr;
}

Pane *buttons_default(View *view) {
  return view ? firstWith(&view->pane, &ButtonPane::isDefault) : nullptr;
}
Pane *buttons_cancel(View *view) {
  return view ? firstWith(&view->pane, &ButtonPane::isCancel) : nullptr;
}

static Pane *withMnemonic(Pane *root, uint8_t c) {
  for (Pane *p = root->firstChild; p; p = p->next) {
    if (p->hwnd && buttonOf(p) && !strcmp(p->kind->name, "button") && bpane(p)->mnemonic == c &&
        bpane(p)->kind != kGroupBox && p->enabled && pane_on_screen(p))
      return p;
    if (Pane *inner = withMnemonic(p, c)) return inner;
  }
  return nullptr;
}

Pane *buttons_with_mnemonic(View *view, uint8_t c) {
  return view && c ? withMnemonic(&view->pane, upper(c)) : nullptr;
}

void buttons_press(Pane *p) {
  ButtonObject *b = buttonOf(p);
  if (!b || !p->enabled || !pane_on_screen(p)) return;
  switch (bpane(p)->kind) {
  case kPushButton:
    pushAction(b);
    break;
  case kCheckBox:
    SendMessageA(p->hwnd, BM_SETCHECK, !SendMessageA(p->hwnd, BM_GETCHECK, 0, 0), 0);
    reportCheck(b);
    break;
  case kRadioButton:
    checkRadio(b);
    break;
  }
}

static void restyle(Pane *root, Pane *chosen) {
  for (Pane *c = root->firstChild; c; c = c->next) {
    if (isButtonKind(c, kPushButton)) {
      DWORD style = c == chosen ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      if ((GetWindowLongA(c->hwnd, GWL_STYLE) & 0xF) != style)
        SendMessageA(c->hwnd, BM_SETSTYLE, style, TRUE);
    }
    restyle(c, chosen);
  }
}

void buttons_restyle(View *view) {
  if (!view || !view->pane.hwnd) return;
  Pane *focus = pane_focus();
  Pane *chosen = focus && pane_root(focus) == &view->pane && isButtonKind(focus, kPushButton)
                     ? focus
                     : buttons_default(view);
  restyle(&view->pane, chosen);
}

void buttons_focus_moved(Pane *from, Pane *to) {
  View *a = from ? pane_view(from) : nullptr, *b = to ? pane_view(to) : nullptr;
  if (a && !a->pane.closing) buttons_restyle(a);
  if (b && b != a) buttons_restyle(b);
}

/* ---- what the accessors need ---- */

void buttons_check(ButtonObject *b, bool value) {
  b->value = value;
  ButtonPane *bp = paneOf(b);
  if (!bp) return;
  if (bp->kind == kRadioButton && value) return checkRadio(b); /* Action even when checked */
  SendMessageA(bp->pane.hwnd, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (bp->kind == kCheckBox)
    reportCheck(b);
  else
    reportRadio(b);
}

static HFONT fontOf(ButtonObject *b);

void buttons_refresh_font(ButtonObject *b) {
  ButtonPane *bp = paneOf(b);
  if (!bp) return;
  HFONT old = bp->font;
  bp->font = fontOf(b);
  SendMessageA(bp->pane.hwnd, WM_SETFONT, (WPARAM)bp->font, TRUE);
  font_release(old);
}

void buttons_set_caption(ButtonObject *b, RString *caption) {
  str_assign(&b->caption, caption);
  ButtonPane *bp = paneOf(b);
  if (!bp) return;
  SetWindowTextA(bp->pane.hwnd, str_cview(caption));
  if (bp->kind != kGroupBox) bp->mnemonic = caption_mnemonic(str_cview(caption), str_len(caption));
}

void buttons_push(ButtonObject *b) {
  if (b->control.pane && b->control.pane->enabled) pushAction(b);
}

void buttons_add_receiver(PushButtonObject *b, Object *r) { receivers_add(&b->receivers, r); }
void buttons_remove_receiver(PushButtonObject *b, Object *r) {
  receivers_remove(b->receivers, r);
}

/* ---- panes ---- */

static const PaneKind kButtonKind = {
    .name = "button",
    .mouseDown = nullptr,
    .mouseDrag = nullptr,
    .mouseUp = nullptr,
    .gotFocus = gotFocus,
    .lostFocus = control_lost_focus,
    .command = command,
    .destroy = [](Pane *p) { font_release(bpane(p)->font); },
    .filter = filter,
};

static const PaneKind kGroupKind = {
    .name = "button",
    .mouseDown = control_mouse_down,
    .mouseDrag = control_mouse_drag,
    .mouseUp = control_mouse_up,
    .destroy = [](Pane *p) { font_release(bpane(p)->font); },
};

static HFONT fontOf(ButtonObject *b) { return textstyle_acquire(&b->style); }

static void makePane(Object *o, int kind, DWORD style) {
  ButtonObject *b = (ButtonObject *)o;
  Pane *p = control_make_pane(&b->control, kind == kGroupBox ? &kGroupKind : &kButtonKind,
                              sizeof(ButtonPane), "BUTTON", str_cview(b->caption), style);
  if (!p) return;
  ButtonPane *bp = bpane(p);
  bp->kind = (uint8_t)kind;
  bp->font = fontOf(b);
  SendMessageA(p->hwnd, WM_SETFONT, (WPARAM)bp->font, FALSE);
  if (kind != kGroupBox)
    bp->mnemonic = caption_mnemonic(str_cview(b->caption), str_len(b->caption));
  if (kind == kPushButton) bp->isDefault = b->isDefault, bp->isCancel = b->isCancel;
  if (bp->isDefault) buttons_restyle(b->control.view);
  if (kind == kCheckBox || kind == kRadioButton) /* the initial value: no report */
    SendMessageA(p->hwnd, BM_SETCHECK, b->value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void pushButton_createPane(Object *o) { makePane(o, kPushButton, BS_PUSHBUTTON | WS_TABSTOP); }
void checkBox_createPane(Object *o) { makePane(o, kCheckBox, 0x4002 | WS_TABSTOP); }
void radio_createPane(Object *o) { makePane(o, kRadioButton, 0x4004 | WS_TABSTOP); }
void groupBox_createPane(Object *o) { makePane(o, kGroupBox, BS_GROUPBOX); }

static void buttonDestructor(Object *o, ClassDef *) {
  ButtonObject *b = (ButtonObject *)o;
  str_assign(&b->caption, nullptr);
  textstyle_release(&b->style);
}
static void pushButtonDestructor(Object *o, ClassDef *cls) {
  buttonDestructor(o, cls);
  receivers_free(&((PushButtonObject *)o)->receivers);
}
static void checkBoxDestructor(Object *o, ClassDef *cls) {
  buttonDestructor(o, cls);
  CheckBoxObject *c = (CheckBoxObject *)o;
  str_assign(&c->dataSource, nullptr);
  str_assign(&c->dataField, nullptr);
  receivers_free(&c->dataReceivers);
  actionpart_detach(&c->checkedAction);
  actionpart_detach(&c->uncheckedAction);
}
static void radioDestructor(Object *o, ClassDef *cls) {
  buttonDestructor(o, cls);
  RadioButtonObject *r = (RadioButtonObject *)o;
  actionpart_detach(&r->checkedAction);
  actionpart_detach(&r->uncheckedAction);
}

void buttons_install() {
  control_kind_register("PushButton", pushButton_createPane);
  control_kind_register("CheckBox", checkBox_createPane);
  control_kind_register("RadioButton", radio_createPane);
  control_kind_register("GroupBox", groupBox_createPane);
  struct {
    const char *name;
    ObjectRoutine destructor;
  } classes[] = {{"PushButton", pushButtonDestructor},
                 {"CheckBox", checkBoxDestructor},
                 {"RadioButton", radioDestructor},
                 {"GroupBox", buttonDestructor}};
  for (auto &c : classes)
    if (ClassDef *cls = registry_find(c.name)) cls->destructor = c.destructor;
}
