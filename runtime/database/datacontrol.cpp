// The DataControl's pane: its caption drawn between four move buttons (first
// and previous at the left, next and last at the right) that the runtime
// draws and presses itself; the actions a data control performs, the bound
// controls filled from the current row, and the class's set-up.
#include "database/datacontrol.h"
#include "base/pool.h"
#include "ui/nativewindow.h"
#include "objects/registry.h"
#include "ui/fonts.h"
#include "ui/windowobject.h"
#include <initializer_list>

struct DataPane {
  Pane pane;     // 0
  HFONT font;    // 112: from the font cache
  int8_t pressed; // 116: the button held down, or -1
  uint8_t armed;  // 117: the mouse is over the pressed button
};
static_assert(offsetof(DataPane, font) == sizeof(Pane));

enum MoveButton { kFirstButton, kPrevButton, kNextButton, kLastButton, kButtons, kNoButton = -1 };
static const char *const kGlyphs[kButtons] = {"|<", "<", ">", ">|"};
static const int32_t kButtonActions[kButtons] = {kDataMoveFirst, kDataMovePrev, kDataMoveNext,
                                                 kDataMoveLast};

static DataControlObject *dataOf(Pane *p) { return (DataControlObject *)pane_control(p); }
static DataPane *dpane(DataControlObject *dc) { return (DataPane *)dc->control.pane; }

/* ---- geometry ---- */

// A button is as wide as the pane is high, but never more than a sixth of its width.
static int buttonWidth(Rect16 b) {
  int w = b.right - b.left, h = b.bottom - b.top;
  return h < w / 6 ? h : w / 6;
}

static RECT buttonRect(Rect16 b, int which) {
  int bw = buttonWidth(b);
  int left = which < kNextButton ? b.left + which * bw : b.right - (kButtons - which) * bw;
  return {left, b.top, left + bw, b.bottom};
}

static int buttonAt(Rect16 b, POINT at) {
  for (int i = 0; i < kButtons; i++) {
    RECT r = buttonRect(b, i);
    if (PtInRect(&r, at)) return i;
  }
  return kNoButton;
}

// First and previous need a row before the current one; next and last one after it.
static bool buttonEnabled(DataControlObject *dc, int which) {
  const DataControlRows *r = dc->rows;
  if (!dc->control.pane || !dc->control.pane->enabled || r->count == 0) return false;
  return which < kNextButton ? r->current != 0 : r->current < r->count - 1;
}

/* ---- drawing ---- */

static void drawButton(HDC dc, DataControlObject *d, DataPane *dp, int which) {
  RECT r = buttonRect(dp->pane.bounds, which);
  bool enabled = buttonEnabled(d, which);
  UINT state = DFCS_BUTTONPUSH | (!enabled ? DFCS_INACTIVE : 0) |
               (dp->pressed == which && dp->armed ? DFCS_PUSHED : 0);
  DrawFrameControl(dc, &r, DFC_BUTTON, state);
  SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawTextA(dc, kGlyphs[which], -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

static void drawCaption(HDC dc, DataControlObject *d, DataPane *dp) {
  Rect16 b = dp->pane.bounds;
  int bw = buttonWidth(b);
  RECT r = {b.left + 2 * bw + 2, b.top, b.right - 2 * bw - 2, b.bottom};
  UINT align = d->textAlign == 1 ? DT_CENTER : d->textAlign == 2 ? DT_RIGHT : DT_LEFT;
  SetTextColor(dc, color_platform(d->textColor));
  DrawTextA(dc, str_cview(d->caption), str_len(d->caption), &r,
            align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

static void draw(Pane *p, HDC dc) {
  DataControlObject *d = dataOf(p);
  if (!d || !pane_on_screen(p)) return;
  DataPane *dp = (DataPane *)p;
  RECT whole = rect_platform(p->bounds);
  FillRect(dc, &whole, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &whole, BDR_SUNKENOUTER, BF_RECT);
  HGDIOBJ old = SelectObject(dc, dp->font ? (HGDIOBJ)dp->font : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_TOP | TA_LEFT);
  for (int i = 0; i < kButtons; i++) drawButton(dc, d, dp, i);
  drawCaption(dc, d, dp);
  SelectObject(dc, old);
}

void datacontrol_redraw(DataControlObject *dc) {
  if (Pane *p = dc->control.pane) {
    SetWindowTextA(p->hwnd, str_cview(dc->caption)); /* what automation reads */
    pane_invalidate(p);
  }
}

void datacontrol_refresh_font(DataControlObject *dc) {
  DataPane *dp = dpane(dc);
  if (!dp) return;
  HFONT old = dp->font;
  dp->font = textstyle_acquire(&dc->style);
  font_release(old);
  pane_invalidate(&dp->pane);
}

/* ---- the mouse: the move buttons, else the control's mouse events ---- */

static bool mouseDown(Pane *p, POINT at, int modifiers) {
  DataControlObject *d = dataOf(p);
  if (!d || !p->enabled) return false;
  int which = buttonAt(p->bounds, at);
  if (which == kNoButton) return control_mouse_down(p, at, modifiers);
  if (!buttonEnabled(d, which)) return true;
  DataPane *dp = (DataPane *)p;
  dp->pressed = (int8_t)which, dp->armed = 1;
  pane_invalidate(p);
  pane_track(p);
  return true;
}

static void mouseDrag(Pane *p, POINT at) {
  DataPane *dp = (DataPane *)p;
  if (dp->pressed == kNoButton) return control_mouse_drag(p, at);
  uint8_t over = buttonAt(p->bounds, at) == dp->pressed;
  if (over != dp->armed) dp->armed = over, pane_invalidate(p);
}

static void mouseUp(Pane *p, POINT at) {
  DataPane *dp = (DataPane *)p;
  if (dp->pressed == kNoButton) return control_mouse_up(p, at);
  int which = dp->pressed;
  bool chosen = dp->armed && buttonAt(p->bounds, at) == which;
  dp->pressed = kNoButton, dp->armed = 0;
  pane_invalidate(p);
  DataControlObject *d = dataOf(p);
  if (chosen && d) datacontrol_perform(d, kButtonActions[which]);
}

static const PaneKind kDataKind = {
    .name = "data control",
    .draw = draw,
    .mouseDown = mouseDown,
    .mouseDrag = mouseDrag,
    .mouseUp = mouseUp,
    .destroy = [](Pane *p) { font_release(((DataPane *)p)->font); },
};

static bool hasSource(DataControlObject *dc) {
  return dc->database && (str_len(dc->query) > 0 || str_len(dc->tableName) > 0);
}

static void createPane(Object *o) {
  DataControlObject *dc = (DataControlObject *)o;
  Pane *p = control_make_pane(&dc->control, &kDataKind, sizeof(DataPane), "QX_Pane",
                              str_cview(dc->caption), 0);
  if (!p) return;
  DataPane *dp = (DataPane *)p;
  dp->pressed = kNoButton;
  dp->font = textstyle_acquire(&dc->style);
  if (hasSource(dc) && !dc->cursor) datacontrol_perform(dc, kDataRunQuery);
}

/* ---- filling the bound controls ---- */

void datacontrol_fill(DataControlObject *dc) {
  if (!rows_on_row(dc)) return datacontrol_clear(dc);
  DataBinding *list = nullptr;
  int32_t n = bindings_collect(dc, &list);
  RuntimeLockObject(&dc->control.header);
  for (int32_t i = 0; i < n; i++) {
    int32_t field = dbcursor_field_index(dc->cursor, list[i].field);
    RString *text = field >= 0 ? dbcursor_field_string(dc->cursor, field) : nullptr;
    binding_show(list[i].control, text);
    RuntimeUnlockString(text);
  }
  bindings_free(list, n);
  RuntimeUnlockObject(&dc->control.header);
}

void datacontrol_clear(DataControlObject *dc) {
  DataBinding *list = nullptr;
  int32_t n = bindings_collect(dc, &list);
  for (int32_t i = 0; i < n; i++) binding_show(list[i].control, nullptr);
  bindings_free(list, n);
}

/* ---- actions ---- */

static const char *const kActionNames[] = {"",          "MoveFirst",    "MovePrev",
                                           "MoveNext",  "MoveLast",     "NewRecord",
                                           "UpdateRecord", "DeleteRecord", "RunQuery",
                                           "AddNewRecord"};

int32_t datacontrol_action_named(RString *name) {
  for (int32_t i = 1; i < (int32_t)(sizeof kActionNames / sizeof *kActionNames); i++)
    if (name_is(name, kActionNames[i])) return i;
  return kDataNoAction;
}

// The Validate event before a row is written: True keeps it from being written.
static bool validated(DataControlObject *dc) {
  return deliver_to_control(&dc->control, "Validate") == kAnsweredFalse;
}

static void moved(DataControlObject *dc) {
  datacontrol_fill(dc);
  datacontrol_redraw(dc);
  deliver_to_control(&dc->control, "Reposition");
}

void datacontrol_move(DataControlObject *dc, int32_t row) {
  dc->adding = 0; /* moving away gives up a new row not yet written */
  rows_move(dc, row);
  moved(dc);
}

static void write(DataControlObject *dc, int32_t action) {
  if (!validated(dc)) return;
  bool inserting = action == kDataAddNewRecord || (action == kDataUpdateRecord && dc->adding);
  bool ok = inserting ? rows_insert(dc) : rows_update(dc);
  if (ok) dc->adding = 0;
  if (ok) moved(dc);
}

void datacontrol_perform(DataControlObject *dc, int32_t action) {
  const int32_t current = dc->rows->current, last = dc->rows->count - 1;
  switch (action) {
  case kDataMoveFirst:
    return datacontrol_move(dc, 0);
  case kDataMovePrev:
    return datacontrol_move(dc, current > 0 ? current - 1 : 0);
  case kDataMoveNext:
    return datacontrol_move(dc, current < last ? current + 1 : last);
  case kDataMoveLast:
    return datacontrol_move(dc, last);
  case kDataRunQuery:
    dc->adding = 0;
    rows_open(dc);
    rows_move(dc, 0);
    return moved(dc);
  case kDataNewRecord:
    if (dc->readOnly) return rows_set_error(dc, kDataErrReadOnly, "The data control is read-only");
    datacontrol_clear(dc);
    dc->adding = 1;
    return datacontrol_redraw(dc);
  case kDataUpdateRecord:
  case kDataAddNewRecord:
    return write(dc, action);
  case kDataDeleteRecord:
    if (rows_delete(dc)) moved(dc);
    return;
  }
}

/* ---- DataControlAction: a receiver that performs one action ---- */

extern "C" void DataControlActionPerformAction(DataControlActionObject *a) {
  if (a && a->target) datacontrol_perform(a->target, a->action);
}

extern "C" void DataControlActionDestructor(DataControlActionObject *a) {
  if (!a->target) return;
  RuntimeUnlockObject(&a->target->control.header);
  a->target = nullptr;
}

extern "C" Object *DataControlGetBoundPart(DataControlObject *dc, RString *part) {
  int32_t action = datacontrol_action_named(part);
  ClassDef *cls = action ? registry_find("DataControlAction") : nullptr;
  DataControlActionObject *a = cls ? (DataControlActionObject *)CreateInstance(cls) : nullptr;
  if (!a) return nullptr;
  a->target = (DataControlObject *)RuntimeLockObject(&dc->control.header);
  a->action = action;
  return &a->header;
}

/* ---- the class ---- */

static void constructor(Object *o, ClassDef *) {
  DataControlObject *dc = (DataControlObject *)o;
  dc->rows = (DataControlRows *)pool_alloc(sizeof(DataControlRows));
  *dc->rows = {};
  vec_init(&dc->rows->ids, 8);
  dc->rows->current = -1;
  dc->textAlign = 1;
}

static void destructor(Object *o, ClassDef *) {
  DataControlObject *dc = (DataControlObject *)o;
  if (dc->rows) {
    rows_close(dc);
    vec_dispose(&dc->rows->ids);
    str_assign(&dc->rows->controlBind, nullptr);
    pool_free(dc->rows, sizeof(DataControlRows));
    dc->rows = nullptr;
  }
  RuntimeUnlockObject((Object *)dc->database);
  dc->database = nullptr;
  for (RString **s : {&dc->caption, &dc->tableName, &dc->query}) str_assign(s, nullptr);
  textstyle_release(&dc->style);
}

static void actionDestructor(Object *o, ClassDef *) {
  DataControlActionDestructor((DataControlActionObject *)o);
}

void datacontrol_install() {
  control_kind_register("DataControl", createPane);
  if (ClassDef *cls = registry_find("DataControl")) {
    cls->constructor = constructor;
    cls->destructor = destructor;
  }
  if (ClassDef *cls = registry_find("DataControlAction")) cls->destructor = actionDestructor;
}
