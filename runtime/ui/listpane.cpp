// The Listbox pane: its native window class and messages, fonts and
// metrics, the geometry of rows and cells, scrolling by rows and pixels, and
// what the model asks of it (redraws, rows that came and went, relayout).
#include "ui/listpane.h"
#include "base/platform.h"
#include "ui/fonts.h"
#include <algorithm>

static const char kListClass[] = "QX_ListPane";

ListPane *lpane(ListboxObject *list) {
  Pane *p = list->control.pane;
  return p && !p->closing && p->hwnd ? (ListPane *)p : nullptr;
}

ListboxObject *list_of_pane(Pane *pane) { return (ListboxObject *)pane_control(pane); }

bool list_has_pane(ListboxObject *list) { return lpane(list) != nullptr; }

Delivery list_deliver(ListboxObject *list, const char *event, const uint32_t *args, int count) {
  return deliver_to_control(&list->control, event, args, count);
}

/* ---- fonts and metrics ---- */

HFONT list_font(ListPane *lp, ListboxObject *list, uint8_t style) {
  style &= 7;
  if (!lp->fonts[style]) {
    TextStyle s = list->style;
    s.bold |= (style & kCellBold) != 0;
    s.italic |= (style & kCellItalic) != 0;
    s.underline |= (style & kCellUnderline) != 0;
    lp->fonts[style] = textstyle_acquire(&s);
  }
  return lp->fonts[style];
}

static void releaseFonts(ListPane *lp) {
  for (HFONT &f : lp->fonts) {
    if (f) font_release(f);
    f = nullptr;
  }
}

void list_measure(ListboxObject *list) {
  ListPane *lp = lpane(list);
  if (!lp) return;
  HDC dc = GetDC(lp->pane.hwnd);
  HGDIOBJ old = SelectObject(dc, list_font(lp, list, 0));
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(lp->pane.hwnd, dc);
  lp->ascent = tm.tmAscent;
  lp->rowHeight =
      list->defaultRowHeight > 0 ? list->defaultRowHeight : tm.tmHeight + kListRowPadding;
  lp->headingHeight = list->hasHeading ? tm.tmHeight + kListHeadingPadding : 0;
  RECT r;
  GetClientRect(lp->pane.hwnd, &r);
  lp->clientWidth = r.right, lp->clientHeight = r.bottom;
}

/* ---- geometry ---- */

int32_t list_row_top(ListboxObject *list, int32_t row) {
  ListPane *lp = lpane(list);
  return lp->headingHeight + (row - list->scrollRow) * lp->rowHeight;
}

int32_t list_row_at(ListboxObject *list, int32_t y) {
  ListPane *lp = lpane(list);
  if (y < lp->headingHeight || lp->rowHeight <= 0) return -1;
  int32_t row = list->scrollRow + (y - lp->headingHeight) / lp->rowHeight;
  return row < list_count(list) ? row : -1;
}

int32_t list_cell_left(ListboxObject *list, int32_t column) {
  return list_column_left(list, column) - list->scrollX;
}

int32_t list_cell_indent(ListboxObject *list, int32_t row, int32_t column) {
  if (column != 0) return 0;
  if (!list->hierarchical) return kListFlatIndent;
  return kListFolderIndent + kListDepthIndent * list_row(list, row)->depth;
}

int32_t list_content_width(ListboxObject *list) {
  return list_column_left(list, list->columnCount);
}

int32_t list_rows_in_view(ListboxObject *list) {
  ListPane *lp = lpane(list);
  if (!lp || lp->rowHeight <= 0) return 0;
  return std::max(0, (lp->clientHeight - lp->headingHeight) / lp->rowHeight);
}

/* ---- what the model asks ---- */

void list_redraw(ListboxObject *list) {
  if (ListPane *lp = lpane(list)) InvalidateRect(lp->pane.hwnd, nullptr, FALSE);
}

void list_redraw_row(ListboxObject *list, int32_t row) {
  ListPane *lp = lpane(list);
  if (!lp || row < list->scrollRow) return;
  int32_t top = list_row_top(list, row);
  if (top >= lp->clientHeight) return;
  RECT r = {0, top, lp->clientWidth, top + lp->rowHeight};
  InvalidateRect(lp->pane.hwnd, &r, FALSE);
}

// A row number kept across rows inserted or removed at `row`; -1 when its
// row was removed.
static void follow(int32_t *at, int32_t row, int32_t count) {
  if (*at < row) return;
  *at = count < 0 && *at < row - count ? -1 : *at + count;
}

void list_rows_changed(ListboxObject *list, int32_t row, int32_t count) {
  follow(&list->caretRow, row, count);
  follow(&list->anchorRow, row, count);
  follow(&list->editRow, row, count);
  ListPane *lp = lpane(list);
  if (!lp) return;
  int32_t first = list->scrollRow;
  if (row < first) first = std::max(row, first + count); /* the rows in view stay in view */
  first = std::clamp(first, 0, list_last_first_row(list));
  if (first != list->scrollRow) {
    list->scrollRow = first;
    list_redraw(list);
  } else if (row < list->scrollRow + list_rows_in_view(list) + 1) {
    RECT r = {0, std::max(lp->headingHeight, list_row_top(list, row)), lp->clientWidth,
              lp->clientHeight};
    InvalidateRect(lp->pane.hwnd, &r, FALSE);
  }
  list_update_bars_later(lp);
}

// Widths from the pane's full width; the rows' height and the scroll ranges
// from the font and the heading.
void list_relayout(ListboxObject *list) {
  ListPane *lp = lpane(list);
  if (!lp) return;
  releaseFonts(lp);
  list_compute_widths(list, lp->pane.bounds.right - lp->pane.bounds.left);
  list_measure(list);
  list->scrollRow = std::clamp(list->scrollRow, 0, list_last_first_row(list));
  list->scrollX = std::clamp(list->scrollX, 0, list_last_scroll_x(list));
  list_update_scroll_bars(list);
  list_redraw(list);
}

/* ---- the native window ---- */

static bool filter(Pane *pane, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) {
  ListboxObject *list = list_of_pane(pane);
  if (!list || pane->closing) return false;
  *result = 0;
  switch (message) {
  case WM_PAINT:
    pane_paint(pane);
    return true;
  case WM_ERASEBKGND:
    *result = 1; /* every pixel is painted from the buffer */
    return true;
  case WM_VSCROLL:
  case WM_HSCROLL:
    if (lParam) return false;
    list_scroll_message(list, message, wParam);
    return true;
  case WM_MOUSEWHEEL:
    list_wheel(list, wParam);
    return true;
  case WM_LBUTTONDBLCLK:
    list_double_click(list, {(short)LOWORD(lParam), (short)HIWORD(lParam)});
    return true;
  case WM_SIZE:
    if (!((ListPane *)pane)->settingScroll)
      list_relayout(list);
    else
      list_measure(list);
    return true;
  case kListBarsMessage:
    ((ListPane *)pane)->barsPending = 0;
    list_update_scroll_bars(list);
    return true;
  case WM_GETDLGCODE:
    *result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    return true;
  }
  return false;
}

static void destroy(Pane *pane) {
  ListPane *lp = (ListPane *)pane;
  list_draw_release(lp);
  releaseFonts(lp);
  if (ListboxObject *list = list_of_pane(pane)) list_drop_edit(list);
}

static bool acceptsFocus(Pane *pane, bool) { return pane->enabled; }

static const PaneKind kListKind = {
    .name = "listbox",
    .draw = list_draw,
    .mouseDown = list_mouse_down,
    .mouseDrag = list_mouse_drag,
    .mouseUp = list_mouse_up,
    .gotFocus = [](Pane *p) { list_focus_changed(p, true); },
    .lostFocus = [](Pane *p) { list_focus_changed(p, false); },
    .keyDown = list_key_down,
    .destroy = destroy,
    .filter = filter,
    .acceptsFocus = acceptsFocus,
};

static void registerClass() {
  static bool registered;
  if (registered) return;
  registered = true;
  WNDCLASSA c = {};
  c.style = CS_DBLCLKS; /* no redraw on resize: the widths change and say what to redraw */
  c.lpfnWndProc = DefWindowProcA;
  c.hInstance = gInstance;
  c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  c.lpszClassName = kListClass;
  RegisterClassA(&c);
}

/* ---- the pane ---- */

static void nameHeadings(ListboxObject *list) {
  for (int32_t i = 0; i < kListColumns; i++) {
    if (list->columns[i].heading) continue;
    char digits[4];
    int n = wsprintfA(digits, "%d", (int)i);
    list->columns[i].heading = str_make(digits, n);
  }
}

// Rows separated by carriage returns, their cells by tabs.
static void addInitialRows(ListboxObject *list) {
  RString *text = list->initialValue;
  const char *s = str_cview(text);
  int32_t n = str_len(text);
  for (int32_t from = 0; from < n;) {
    int32_t end = from;
    while (end < n && s[end] != '\r') end++;
    int32_t row = list_count(list);
    int32_t column = 0;
    for (int32_t at = from; column <= kListMaxColumnCount; column++) {
      int32_t stop = at;
      while (stop < end && s[stop] != '\t') stop++;
      RString *piece = str_make(s + at, stop - at);
      if (column == 0) {
        list_insert_row(list, row, kRowPlain, 0, piece);
      } else {
        ListCell *cell = list_cell_for(list_row(list, row), column);
        str_assign(&cell->text, piece);
      }
      RuntimeUnlockString(piece);
      if (stop >= end) break;
      at = stop + 1;
    }
    list->lastIndex = row;
    from = end + 1;
    if (from < n && s[from] == '\n') from++; /* a CR LF pair ends one row */
  }
}

void list_create_pane(Object *o) {
  ListboxObject *list = (ListboxObject *)o;
  registerClass();
  DWORD style = WS_TABSTOP | WS_CLIPCHILDREN;
  if (list->vScrollBar) style |= WS_VSCROLL;
  if (list->hScrollBar) style |= WS_HSCROLL;
  ListPane *lp = (ListPane *)control_make_pane(&list->control, &kListKind, sizeof(ListPane),
                                               kListClass, "", style);
  if (!lp) return;
  lp->pressRow = -1;
  nameHeadings(list);
  addInitialRows(list);
  list_relayout(list);
  int32_t pending = list->pendingIndex;
  list->pendingIndex = -1;
  if (pending >= 0 && pending < list_count(list)) {
    list_select_only(list, pending, false);
    list_scroll_into_view(list, pending);
  }
}
