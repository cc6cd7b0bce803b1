// EditField's entry points: property accessors and methods. Setters store
// into the instance and hand the value to the pane when there is one; without
// a pane getters answer from the instance and methods do nothing.
#include "base/pool.h"
#include "base/platform.h"
#include "text/chartables.h"
#include "ui/msgbox.h"
#include "text/string.h"
#include "ui/editfieldpane.h"
#include "ui/nativewindow.h"
#include <cstring>

typedef EditFieldObject E;

static RString *retained(RString *s) {
  RuntimeLockString(s);
  return s;
}

static void setText(E *e, RString *text) {
  str_assign(&e->text, text);
  if (EditPane *ep = edit_pane(e)) {
    edit_put_text(ep, text);
    edit_report_text(e);
  }
}

static void refreshFont(E *e) {
  if (EditPane *ep = edit_pane(e)) format_field_font(ep, e);
}

// The styles this platform's text cannot show: a warning, nothing changed.
static void unsupported(E *e, const char *style) {
  char text[96];
  wsprintfA(text, "Windows does not support the '%s' text font style.", style);
  HWND owner = e->control.pane ? GetAncestor(e->control.pane->hwnd, GA_ROOT) : msgbox_owner();
  gPlatform.messageBox(owner, text, "", MB_OK | MB_ICONWARNING);
}

// The bytes of the character at s[at]: two from a lead byte.
static int32_t step(const char *s, int32_t length, int32_t at) {
  return chartables()->lead[(uint8_t)s[at]] && at + 1 < length ? 2 : 1;
}

// Byte offset of a character position in an 8-bit text.
static int32_t byteOffset(const char *s, int32_t length, int32_t position) {
  int32_t at = 0;
  for (; position > 0 && at < length; position--) at += step(s, length, at);
  return at;
}

static int32_t characters(RString *s) {
  const char *t = str_cview(s);
  int32_t count = 0;
  for (int32_t at = 0; at < str_len(s); count++) at += step(t, str_len(s), at);
  return count;
}

// The selection's text. The control may fill in fewer bytes than a
// double-byte selection needs; the text is then cut from the whole text.
static RString *selectedText(EditPane *ep) {
  CHARRANGE r = edit_selection(ep);
  int32_t count = r.cpMax - r.cpMin, size = 2 * count + 2;
  if (count <= 0) return nullptr;
  char *buffer = (char *)pool_alloc(size);
  memset(buffer, 0, size);
  edit_send(ep, EM_GETSELTEXT, 0, (LPARAM)buffer);
  RString *s = str_make(buffer, lstrlenA(buffer));
  pool_free(buffer, size);
  if (characters(s) >= count) return s;
  RuntimeUnlockString(s);
  RString *whole = edit_control_text(ep);
  const char *t = str_cview(whole);
  int32_t from = byteOffset(t, str_len(whole), r.cpMin);
  int32_t to = byteOffset(t, str_len(whole), r.cpMax);
  RString *cut = str_slice(whole, from, to - from);
  RuntimeUnlockString(whole);
  return cut;
}

extern "C" {

/* ---- text ---- */

RString *editTextGetter(E *e) {
  EditPane *ep = edit_pane(e);
  return ep ? edit_text(ep) : retained(e->text);
}
void editTextSetter(E *e, int32_t, RString *v) { setText(e, v); }
void editSetString(E *e, RString *v) { setText(e, v); }

RString *editTextStyleDataGetter(E *e) {
  EditPane *ep = edit_pane(e);
  return ep ? format_style_data(ep) : nullptr;
}

void editSetTextAndStyle(E *e, RString *text, RString *style) {
  EditPane *ep = edit_pane(e);
  if (!ep) return;
  str_assign(&e->text, text);
  format_apply_style(ep, text, style);
  edit_report_text(e);
}

int32_t editLimitTextGetter(E *e) { return e->limitText; }
void editLimitTextSetter(E *e, int32_t, int32_t v) {
  e->limitText = v;
  if (EditPane *ep = edit_pane(e)) edit_send(ep, EM_EXLIMITTEXT, 0, v ? v : 1000000);
}

/* ---- flags used when the pane is made ---- */

bool editBorderGetter(E *e) { return e->border; }
void editBorderSetter(E *e, int32_t, bool v) { e->border = v; }
bool editMultiLineGetter(E *e) { return e->multiLine; }
void editMultiLineSetter(E *e, int32_t, bool v) { e->multiLine = v; }
bool editScrollBarGetter(E *e) { return e->scrollBarVertical; }
void editScrollBarSetter(E *e, int32_t, bool v) { e->scrollBarVertical = v; }

/* ---- flags the pane follows ---- */

bool editReadOnlyGetter(E *e) { return e->readOnly; }
void editReadOnlySetter(E *e, int32_t, bool v) {
  e->readOnly = v;
  if (EditPane *ep = edit_pane(e)) {
    ep->readOnly = v;
    edit_send(ep, EM_SETREADONLY, v);
  }
}

bool editPasswordGetter(E *e) { return e->password; }
void editPasswordSetter(E *e, int32_t, bool v) {
  e->password = v;
  if (EditPane *ep = edit_pane(e)) mask_set_password(ep, v);
}

/* ---- the whole field's font and colours ---- */

TEXT_STYLE_GETTERS(edit, E, style)
TEXT_STYLE_SETTERS(edit, E, style, refreshFont)

void editTextColorSetter(E *e, int32_t, int32_t v) {
  e->textColor = v;
  if (EditPane *ep = edit_pane(e)) format_text_colour(ep, v);
}
void editBackColorSetter(E *e, int32_t, int32_t v) {
  e->backColor = v;
  if (EditPane *ep = edit_pane(e)) format_background(ep, v);
}

/* ---- selection ---- */

int32_t editSelStartGetter(E *e) {
  EditPane *ep = edit_pane(e);
  return ep ? edit_selection(ep).cpMin : 0;
}
int32_t editSelLengthGetter(E *e) {
  EditPane *ep = edit_pane(e);
  if (!ep) return 0;
  CHARRANGE r = edit_selection(ep);
  return r.cpMax - r.cpMin;
}

// Keeps the length; a negative start selects from 0 what remains of the
// selection past |start|.
void editSelStartSetter(E *e, int32_t, int32_t v) {
  EditPane *ep = edit_pane(e);
  if (!ep) return;
  CHARRANGE r = edit_selection(ep);
  if (v >= 0) {
    edit_select(ep, v, v + (r.cpMax - r.cpMin));
  } else {
    int32_t from = -v, end = r.cpMax > from ? r.cpMax : from;
    edit_select(ep, 0, end - from);
  }
  edit_report_selection(e);
}
void editSelLengthSetter(E *e, int32_t, int32_t v) {
  EditPane *ep = edit_pane(e);
  if (!ep) return;
  int32_t start = edit_selection(ep).cpMin;
  edit_select(ep, start, start + v);
  edit_report_selection(e);
}

RString *editSelTextGetter(E *e) {
  EditPane *ep = edit_pane(e);
  return ep ? selectedText(ep) : nullptr;
}
void editSelTextSetter(E *e, int32_t, RString *v) {
  EditPane *ep = edit_pane(e);
  if (!ep) return;
  edit_replace_selection(ep, v);
  edit_report_both(e);
}

/* ---- the selection's styles ---- */

#define SEL_STYLE(Name, effect)                                                                    \
  bool editSel##Name##Getter(E *e) {                                                               \
    EditPane *ep = edit_pane(e);                                                                   \
    return ep && format_sel_has(ep, effect);                                                       \
  }                                                                                                \
  void editSel##Name##Setter(E *e, int32_t, bool v) {                                              \
    if (EditPane *ep = edit_pane(e)) format_sel_set(ep, effect, v);                                \
  }                                                                                                \
  void editToggleSelection##Name(E *e) {                                                           \
    if (EditPane *ep = edit_pane(e)) format_sel_set(ep, effect, !format_sel_has(ep, effect));      \
  }
SEL_STYLE(Bold, CFE_BOLD)
SEL_STYLE(Italic, CFE_ITALIC)
SEL_STYLE(Underline, CFE_UNDERLINE)

#define UNSUPPORTED(Name, Toggle, text)                                                            \
  bool editSel##Name##Getter(E *e) {                                                               \
    unsupported(e, text);                                                                          \
    return false;                                                                                  \
  }                                                                                                \
  void editSel##Name##Setter(E *e, int32_t, bool) { unsupported(e, text); }                        \
  void editToggleSelection##Toggle(E *) {}
UNSUPPORTED(Outline, Outline, "Outline")
UNSUPPORTED(Shadow, Shadow, "Shadow")
UNSUPPORTED(Condense, Condense, "Condensed")
UNSUPPORTED(Extend, Extend, "Extended")

// Plain: the whole selection is neither bold, italic nor underlined.
bool editSelPlainGetter(E *e) {
  EditPane *ep = edit_pane(e);
  if (!ep) return false;
  const DWORD styles = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE;
  CHARFORMATA cf = format_selection(ep);
  return (cf.dwMask & styles) == styles && !(cf.dwEffects & styles);
}
void editSelPlainSetter(E *e, int32_t, bool v) {
  EditPane *ep = edit_pane(e);
  if (ep && v) format_sel_set(ep, CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE, false);
}

RString *editSelTextFontGetter(E *e) {
  EditPane *ep = edit_pane(e);
  if (!ep) return nullptr;
  CHARFORMATA cf = format_selection(ep);
  return cf.dwMask & CFM_FACE ? str_from(cf.szFaceName) : nullptr;
}
void editSelTextFontSetter(E *e, int32_t, RString *v) {
  if (EditPane *ep = edit_pane(e)) format_sel_font(ep, v);
}

int32_t editSelTextSizeGetter(E *e) {
  EditPane *ep = edit_pane(e);
  if (!ep) return 0;
  CHARFORMATA cf = format_selection(ep);
  return cf.dwMask & CFM_SIZE ? cf.yHeight / 15 : 0;
}
void editSelTextSizeSetter(E *e, int32_t, int32_t v) {
  if (EditPane *ep = edit_pane(e)) format_sel_size(ep, v);
}

int32_t editSelTextColorGetter(E *e) {
  EditPane *ep = edit_pane(e);
  if (!ep) return 0;
  CHARFORMATA cf = format_selection(ep);
  COLORREF c = cf.dwEffects & CFE_AUTOCOLOR ? GetSysColor(COLOR_WINDOWTEXT) : cf.crTextColor;
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
void editSelTextColorSetter(E *e, int32_t, int32_t v) {
  if (EditPane *ep = edit_pane(e)) format_sel_colour(ep, v);
}

/* ---- alignment ---- */

void EditAlignmentSetter(E *e, int32_t, int32_t v) {
  e->alignment = v;
  if (EditPane *ep = edit_pane(e)) format_alignment(ep, v);
}
int32_t EditSelAlignmentGetter(E *e) {
  EditPane *ep = edit_pane(e);
  return ep ? format_sel_alignment(ep) : 0;
}
void EditSelAlignmentSetter(E *e, int32_t, int32_t v) {
  if (EditPane *ep = edit_pane(e)) format_set_sel_alignment(ep, v);
}

/* ---- data binding names ---- */

RString *EditDataSourceGetter(E *e) { return retained(e->dataSource); }
void EditDataSourceSetter(E *e, int32_t, RString *v) { str_assign(&e->dataSource, v); }
void EditDataFieldSetter(E *e, int32_t, RString *v) { str_assign(&e->dataField, v); }

/* ---- scrolling, lines and positions ---- */

int32_t editScrollPositionGetter(E *e) {
  EditPane *ep = edit_pane(e);
  return ep ? (int32_t)edit_send(ep, EM_GETFIRSTVISIBLELINE) : 0;
}
void editScrollPositionSetter(E *e, int32_t v) {
  if (EditPane *ep = edit_pane(e))
    edit_send(ep, EM_LINESCROLL, 0, v - (int32_t)edit_send(ep, EM_GETFIRSTVISIBLELINE));
}

int32_t EditScrollPositionXGetter(E *e) {
  EditPane *ep = edit_pane(e);
  if (!ep || edit_library_version() < 3) return 0;
  POINT at = {0, 0};
  edit_send(ep, EM_GETSCROLLPOS, 0, (LPARAM)&at);
  return at.x;
}
void EditScrollPositionXSetter(E *e, int32_t v) {
  EditPane *ep = edit_pane(e);
  if (!ep || edit_library_version() < 3) return;
  POINT at = {0, 0};
  edit_send(ep, EM_GETSCROLLPOS, 0, (LPARAM)&at);
  at.x = v;
  edit_send(ep, EM_SETSCROLLPOS, 0, (LPARAM)&at);
}

int32_t editLineNumAtCharPos(E *e, int32_t v) {
  EditPane *ep = edit_pane(e);
  if (!ep || v <= 0) return 0;
  if (v < edit_length(ep)) return (int32_t)edit_send(ep, EM_LINEFROMCHAR, v - 1);
  return (int32_t)edit_send(ep, EM_GETLINECOUNT);
}

int32_t editCharPosAtLineNum(E *e, int32_t v) {
  EditPane *ep = edit_pane(e);
  if (!ep || v < 0) return 0;
  if (v == 0) return 1;
  if (v < (int32_t)edit_send(ep, EM_GETLINECOUNT))
    return (int32_t)edit_send(ep, EM_LINEINDEX, v) + 1;
  return edit_length(ep) + 1;
}

int32_t editInsertionPosAtXY(E *e, int32_t x, int32_t y) {
  EditPane *ep = edit_pane(e);
  if (!ep) return 0;
  POINTL at = {x, y};
  return (int32_t)edit_send(ep, EM_CHARFROMPOS, 0, (LPARAM)&at);
}
int32_t editCharPosAtXY(E *e, int32_t x, int32_t y) {
  return edit_pane(e) ? editInsertionPosAtXY(e, x, y) + 1 : 0;
}

/* ---- the clipboard ---- */

void editCopyToClipboard(E *e) {
  EditPane *ep = edit_pane(e);
  if (ep && !ep->password) edit_send(ep, WM_COPY);
}

void editPasteFromClipboard(E *e) {
  EditPane *ep = edit_pane(e);
  if (!ep) return;
  edit_paste(ep);
  edit_report_both(e);
}
}
