// StaticText: a pane of the runtime's own class that draws its text with the
// control's font and colour: word-wrapped, or line by line with alignment,
// dimmed while its window is inactive. Its accessors redraw it.
#include "objects/registry.h"
#include "text/string.h"
#include "ui/buttons.h"
#include "ui/fonts.h"
#include "ui/keyboard.h"
#include "ui/windowobject.h"
#include "ui/statictext.h"
#include "ui/nativewindow.h"
#include <initializer_list>

static StaticTextObject *textOf(Pane *p) { return (StaticTextObject *)pane_control(p); }

// An inactive pane draws each 16-bit channel c as (c + 0x18000) / 4.
static COLORREF dimmed(COLORREF c) {
  auto channel = [](int v) { return (int)(((uint32_t)v * 257 + 0x18000) / 4 / 257); };
  return RGB(channel(GetRValue(c)), channel(GetGValue(c)), channel(GetBValue(c)));
}

static void fillBackground(Pane *p, HDC dc) {
  if (p->nativeParent) return pane_paint_parent_background(p, dc); /* on a tab or in a group */
  View *view = pane_view(p);
  WindowObject *w = view ? view->window : nullptr;
  RECT r = rect_platform(p->bounds);
  bool own = p->tabPanelIndex == 0 && w && w->hasBackColor;
  HBRUSH brush =
      own ? CreateSolidBrush(color_platform(w->backColor)) : GetSysColorBrush(COLOR_BTNFACE);
  FillRect(dc, &r, brush);
  if (own) DeleteObject(brush);
}

// Lines end at CR, LF, or CR LF (counted once).
static void drawLines(HDC dc, StaticTextObject *t, Rect16 b) {
  const char *s = str_cview(t->text);
  int32_t n = str_len(t->text), start = 0, y = b.top;
  TEXTMETRICA m;
  GetTextMetricsA(dc, &m);
  while (start <= n) {
    int32_t end = start;
    while (end < n && s[end] != '\r' && s[end] != '\n') end++;
    SIZE size;
    GetTextExtentPoint32A(dc, s + start, end - start, &size);
    int width = b.right - b.left, x = b.left;
    if (t->textAlign == 1)
      x += (width - size.cx) / 2;
    else if (t->textAlign == 2)
      x = b.right - size.cx;
    TextOutA(dc, x, y + m.tmAscent, s + start, end - start); /* baseline alignment */
    y += m.tmAscent + m.tmDescent;
    if (end >= n) break;
    start = end + (s[end] == '\r' && end + 1 < n && s[end + 1] == '\n' ? 2 : 1);
  }
}

static void draw(Pane *p, HDC dc) {
  StaticTextObject *t = textOf(p);
  if (!t || !pane_on_screen(p)) return;
  fillBackground(p, dc);
  HFONT font = textstyle_acquire(&t->style);
  HGDIOBJ old = SelectObject(dc, font);
  COLORREF colour = color_platform(t->textColor);
  SetTextColor(dc, p->active ? colour : dimmed(colour));
  SetBkMode(dc, TRANSPARENT);
  if (t->multiLine) {
    SetTextAlign(dc, TA_TOP | TA_LEFT);
    RECT r = rect_platform(p->bounds);
    UINT align = t->textAlign == 1 ? DT_CENTER : t->textAlign == 2 ? DT_RIGHT : DT_LEFT;
    DrawTextA(dc, str_cview(t->text), str_len(t->text), &r, DT_WORDBREAK | DT_NOPREFIX | align);
  } else {
    SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    drawLines(dc, t, p->bounds);
  }
  SelectObject(dc, old);
  font_release(font);
}

static const PaneKind kStaticKind = {
    .name = "static text",
    .draw = draw,
    .mouseDown = control_mouse_down,
    .mouseDrag = control_mouse_drag,
    .mouseUp = control_mouse_up,
};

// A caption's mnemonic makes Alt+character the static text's accelerator key.
static void registerAccelerator(StaticTextObject *t) {
  Pane *p = t->control.pane;
  uint8_t c = p ? caption_mnemonic(str_cview(t->text), str_len(t->text)) : 0;
  if (!c) return;
  char name[8] = "Alt+";
  name[4] = (char)c;
  RString *key = str_from(name);
  shortcut_register(kShortcutAccelerator, p->hwnd, 0, key);
  RuntimeUnlockString(key);
}

// The pane's window text follows the text it draws, so that screen readers
// and automation read what the label shows.
static void nameWindow(StaticTextObject *t) {
  if (Pane *p = t->control.pane) SetWindowTextA(p->hwnd, str_cview(t->text));
}

void staticText_createPane(Object *o) {
  StaticTextObject *t = (StaticTextObject *)o;
  control_make_pane(&t->control, &kStaticKind, sizeof(Pane), "QX_Pane", "", 0);
  nameWindow(t);
  registerAccelerator(t);
}

static void staticDestructor(Object *o, ClassDef *) {
  StaticTextObject *t = (StaticTextObject *)o;
  textstyle_release(&t->style);
  for (RString **s : {&t->text, &t->dataSource, &t->dataField}) str_assign(s, nullptr);
}

void statictext_install() {
  control_kind_register("StaticText", staticText_createPane);
  if (ClassDef *cls = registry_find("StaticText")) cls->destructor = staticDestructor;
}

/* ---- accessors: store, then redraw ---- */

static void redraw(StaticTextObject *t) {
  if (t->control.pane) pane_invalidate(t->control.pane);
}

extern "C" {
void staticCaptionSetter(StaticTextObject *t, int32_t, RString *v) {
  str_assign(&t->text, v);
  nameWindow(t);
  registerAccelerator(t);
  redraw(t);
}
void staticTextAlignSetter(StaticTextObject *t, int32_t, int32_t v) {
  t->textAlign = (int16_t)v;
  redraw(t);
}
void staticTextColorSetter(StaticTextObject *t, int32_t, int32_t v) {
  if (t->textColor == v) return;
  t->textColor = v;
  redraw(t);
}
TEXT_FONT_SETTERS(static, StaticTextObject, style, redraw)
void staticAttributeSetter(StaticTextObject *t, int32_t offset, bool v) {
  *((uint8_t *)t + offset) = v; /* Bold, Italic or Underline, by the field's offset */
  redraw(t);
}
RString *StaticTextDataSourceGetter(StaticTextObject *t) {
  RuntimeLockString(t->dataSource);
  return t->dataSource;
}
void StaticTextDataSourceSetter(StaticTextObject *t, int32_t, RString *v) {
  str_assign(&t->dataSource, v);
}
void StaticTextDataFieldSetter(StaticTextObject *t, int32_t, RString *v) {
  str_assign(&t->dataField, v);
}
}
