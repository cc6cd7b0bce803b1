// TabPanel: a native tab control whose selection decides which controls lying
// on it are on screen (by their TabPanelIndex), the tab definition text, the
// Value and Caption accessors, the Change event and tab shortcuts.
#include "objects/registry.h"
#include "lifecycle/exception.h"
#include "text/string.h"
#include "ui/buttons.h"
#include "ui/fonts.h"
#include "ui/windowobject.h"
#include "ui/tabpanel.h"
#include "ui/nativewindow.h"
#include <commctrl.h>

struct TabPane {
  Pane pane;
  HFONT font;
  uint8_t mnemonics[64]; // per tab, upper-cased; 0 for none
};

static TabPanelObject *panelOf(Pane *p) { return (TabPanelObject *)pane_control(p); }
static bool open(TabPanelObject *t) { return t->control.pane && !t->control.pane->closing; }
static int tabCount(TabPanelObject *t) {
  return (int)SendMessageA(t->control.pane->hwnd, TCM_GETITEMCOUNT, 0, 0);
}

/* ---- the visibility rule ---- */

struct Rule {
  TabPanelObject *panel;
  int current; // the selected tab + 1
};

static void applyRule(ControlObject *c, void *context) {
  Rule *r = (Rule *)context;
  if (c == &r->panel->control || !c->pane || !r->panel->control.pane) return;
  if (!rect_encloses(r->panel->control.pane->bounds, c->bounds)) return; /* partly outside */
  pane_set_tab_visible(c->pane, c->tabPanelIndex == r->current);
}

static void runRule(TabPanelObject *t) {
  if (!open(t) || !t->control.window) return;
  Rule r = {t, (int)SendMessageA(t->control.pane->hwnd, TCM_GETCURSEL, 0, 0) + 1};
  controls_each(t->control.window, applyRule, &r);
  buttons_restyle(t->control.view); /* the default button must be on the shown tab */
}

// A new selection: the rule, then Change.
static void selectionChanged(TabPanelObject *t) {
  RuntimeLockObject(&t->control.header);
  runRule(t);
  if (open(t)) deliver_to_control(&t->control, "Change");
  RuntimeUnlockObject(&t->control.header);
}

static ClassDef *tabPanelClass() {
  static ClassDef *cls = registry_find("TabPanel");
  return cls;
}

static void ruleIfPanel(ControlObject *c, void *) {
  if (class_derives_from(c->header.cls, tabPanelClass())) runRule((TabPanelObject *)c);
}

void tabpanel_pass(WindowObject *w) { controls_each(w, ruleIfPanel, nullptr); }

/* ---- the pane ---- */

static LRESULT notify(Pane *p, NMHDR *header) {
  if (header->code == TCN_SELCHANGE)
    if (TabPanelObject *t = panelOf(p)) selectionChanged(t);
  return 0;
}

static HFONT fontOf(TabPanelObject *t) { return textstyle_acquire(&t->style); }

static const PaneKind kTabKind = {
    .name = "tab panel",
    .mouseDown = control_mouse_down,
    .mouseDrag = control_mouse_drag,
    .mouseUp = control_mouse_up,
    .gotFocus = control_got_focus,
    .lostFocus = control_lost_focus,
    .notify = notify,
    .destroy = [](Pane *p) { font_release(((TabPane *)p)->font); },
};

static void setTab(TabPane *tp, int index, const char *text, int32_t length, bool insert) {
  char caption[256];
  lstrcpynA(caption, text, length + 1 < (int32_t)sizeof caption ? length + 1 : sizeof caption);
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = caption;
  SendMessageA(tp->pane.hwnd, insert ? TCM_INSERTITEMA : TCM_SETITEMA, index, (LPARAM)&item);
  if (index < (int)sizeof tp->mnemonics) tp->mnemonics[index] = caption_mnemonic(text, length);
}

// Captions end at each carriage return (or NUL); a non-empty rest is the last one.
static void addTabs(TabPane *tp, RString *definition) {
  const char *s = str_cview(definition);
  int32_t n = str_len(definition), from = 0, index = 0;
  for (int32_t i = 0; i < n; i++)
    if (s[i] == '\r' || s[i] == 0) {
      setTab(tp, index++, s + from, i - from, true);
      from = i + 1;
    }
  if (from < n) setTab(tp, index, s + from, n - from, true);
}

static DWORD facingStyle(int32_t facing) {
  switch (facing) {
  case 1:
    return TCS_BOTTOM;
  case 2:
    return TCS_VERTICAL | TCS_RIGHT;
  case 3:
    return TCS_VERTICAL;
  default:
    return 0;
  }
}

void tabPanel_createPane(Object *o) {
  TabPanelObject *t = (TabPanelObject *)o;
  Pane *p = control_make_pane(&t->control, &kTabKind, sizeof(TabPane), "SysTabControl32", "",
                              WS_CLIPSIBLINGS | WS_TABSTOP | facingStyle(t->facing));
  if (!p) return;
  TabPane *tp = (TabPane *)p;
  tp->font = fontOf(t);
  SendMessageA(p->hwnd, WM_SETFONT, (WPARAM)tp->font, FALSE);
  addTabs(tp, t->tabDefinition);
}

bool tabpanel_select_by_mnemonic(View *view, uint8_t c) {
  for (Pane *p = view ? view->pane.firstChild : nullptr; p; p = p->next) {
    if (p->kind != &kTabKind || !p->enabled || !pane_on_screen(p)) continue;
    TabPane *tp = (TabPane *)p;
    for (int i = 0; i < (int)sizeof tp->mnemonics; i++) {
      if (tp->mnemonics[i] != c) continue;
      if (SendMessageA(p->hwnd, TCM_GETCURSEL, 0, 0) == i) return true;
      pane_set_focus(p);
      SendMessageA(p->hwnd, TCM_SETCURSEL, i, 0);
      if (TabPanelObject *t = panelOf(p)) selectionChanged(t);
      return true;
    }
  }
  return false;
}

static void tabPanelDestructor(Object *o, ClassDef *) {
  TabPanelObject *t = (TabPanelObject *)o;
  str_assign(&t->tabDefinition, nullptr);
  textstyle_release(&t->style);
}

void tabpanel_install() {
  control_kind_register("TabPanel", tabPanel_createPane);
  if (ClassDef *cls = tabPanelClass()) cls->destructor = tabPanelDestructor;
}

/* ---- accessors ---- */

static void refreshFont(TabPanelObject *t) {
  if (!t->control.pane) return;
  TabPane *tp = (TabPane *)t->control.pane;
  HFONT old = tp->font;
  tp->font = fontOf(t);
  SendMessageA(tp->pane.hwnd, WM_SETFONT, (WPARAM)tp->font, TRUE);
  font_release(old);
}

extern "C" {
int32_t tabPanelValueGetter(TabPanelObject *t) {
  return t->control.pane ? (int32_t)SendMessageA(t->control.pane->hwnd, TCM_GETCURSEL, 0, 0) : 0;
}

void tabPanelValueSetter(TabPanelObject *t, int32_t, int32_t v) {
  if (!open(t) || v < 0 || v >= tabCount(t)) return; /* no such tab: nothing changes */
  SendMessageA(t->control.pane->hwnd, TCM_SETCURSEL, v, 0);
  selectionChanged(t); /* the platform tells nobody of a selection made by code */
}

TEXT_STYLE_SETTERS(tabPanel, TabPanelObject, style, refreshFont)

RString *tabPanelCaptionGetter(TabPanelObject *t, int32_t index) {
  if (!open(t)) return nullptr;
  if (index < 0 || index >= tabCount(t)) exception_throw("OutOfBoundsException");
  char caption[256] = "";
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = caption;
  item.cchTextMax = sizeof caption;
  SendMessageA(t->control.pane->hwnd, TCM_GETITEMA, index, (LPARAM)&item);
  return str_from(caption);
}

void tabPanelCaptionSetter(TabPanelObject *t, int32_t index, RString *v) {
  if (!open(t)) return;
  if (index < 0 || index >= tabCount(t)) exception_throw("OutOfBoundsException");
  setTab((TabPane *)t->control.pane, index, str_cview(v), str_len(v), false);
}
}
