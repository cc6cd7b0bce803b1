// Scrolling the Listbox: by rows vertically (ScrollPosition, the first row
// in view) and by pixels sideways (ScrollPositionX), the scroll bars' ranges
// and pages, their messages, the wheel, and scrolling a row into view.
#include "ui/listpane.h"
#include <algorithm>

int32_t list_last_first_row(ListboxObject *list) {
  return std::max(0, list_count(list) - std::max(1, list_rows_in_view(list)));
}

int32_t list_last_scroll_x(ListboxObject *list) {
  return std::max(0, list_content_width(list) - lpane(list)->clientWidth);
}

static void setBar(HWND hwnd, int bar, int32_t range, int32_t page, int32_t pos) {
  SCROLLINFO si = {sizeof si,
                   SIF_RANGE | SIF_PAGE | SIF_POS,
                   0,
                   std::max(0, range - 1),
                   (UINT)std::max(0, page),
                   pos,
                   0};
  SetScrollInfo(hwnd, bar, &si, TRUE);
}

// A bar the list has is shown only while there is something to scroll; one
// it lacks is never given a range, which would bring it back.
void list_update_scroll_bars(ListboxObject *list) {
  ListPane *lp = lpane(list);
  if (!lp || lp->settingScroll) return;
  lp->settingScroll = 1; /* showing a bar resizes the client area and comes back here */
  HWND hwnd = lp->pane.hwnd;
  if (list->vScrollBar)
    setBar(hwnd, SB_VERT, list_count(list), std::max(1, list_rows_in_view(list)), list->scrollRow);
  if (list->hScrollBar)
    setBar(hwnd, SB_HORZ, list_content_width(list), lp->clientWidth, list->scrollX);
  lp->settingScroll = 0;
  RECT r;
  GetClientRect(hwnd, &r);
  lp->clientWidth = r.right, lp->clientHeight = r.bottom;
}

// Rows added one by one set the bars once, when the messages are next read.
void list_update_bars_later(ListPane *lp) {
  if (lp->barsPending) return;
  lp->barsPending = 1;
  PostMessageA(lp->pane.hwnd, kListBarsMessage, 0, 0);
}

// The frame round the client area moved with the pixels: it is drawn again
// where it belongs.
static void invalidateFrame(ListPane *lp) {
  int32_t w = lp->clientWidth, h = lp->clientHeight, f = kListFrame;
  RECT edges[] = {{0, 0, w, f}, {0, h - f, w, h}, {0, 0, f, h}, {w - f, 0, w, h}};
  for (RECT &r : edges) InvalidateRect(lp->pane.hwnd, &r, FALSE);
}

// Moves ScrollPosition (rows) or ScrollPositionX (pixels), kept in range;
// the pixels in view move with it, and only what they uncover is drawn.
static void scrollTo(ListboxObject *list, int32_t *position, int32_t to, bool vertical) {
  if (!lpane(list)) {
    *position = std::max(0, to);
    return;
  }
  to = std::clamp(to, 0, vertical ? list_last_first_row(list) : list_last_scroll_x(list));
  if (to == *position) return;
  if (list->activeCell) list_end_edit(list, true); /* the edit field stays where it is */
  ListPane *lp = lpane(list);
  if (!lp) return;
  int32_t shift = (*position - to) * (vertical ? lp->rowHeight : 1);
  *position = to;
  RECT area = {0, vertical ? lp->headingHeight : 0, lp->clientWidth, lp->clientHeight};
  if (std::abs(shift) < (vertical ? area.bottom - area.top : area.right)) {
    ScrollWindowEx(lp->pane.hwnd, vertical ? 0 : shift, vertical ? shift : 0, &area, &area, nullptr,
                   nullptr, SW_INVALIDATE);
    invalidateFrame(lp);
  } else {
    InvalidateRect(lp->pane.hwnd, &area, FALSE);
  }
  list_update_scroll_bars(list);
}

void list_scroll_to(ListboxObject *list, int32_t row) {
  scrollTo(list, &list->scrollRow, row, true);
}

void list_scroll_x_to(ListboxObject *list, int32_t x) { scrollTo(list, &list->scrollX, x, false); }

void list_scroll_into_view(ListboxObject *list, int32_t row) {
  if (!lpane(list) || row < 0 || row >= list_count(list)) return;
  int32_t shown = std::max(1, list_rows_in_view(list));
  if (row < list->scrollRow)
    list_scroll_to(list, row);
  else if (row >= list->scrollRow + shown)
    list_scroll_to(list, row - shown + 1); /* just far enough */
}

// The new position a scroll bar message asks for.
static int32_t barTarget(HWND hwnd, int bar, WPARAM wParam, int32_t line, int32_t page) {
  SCROLLINFO si = {sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd, bar, &si);
  switch (LOWORD(wParam)) {
  case SB_LINEUP:
    return si.nPos - line;
  case SB_LINEDOWN:
    return si.nPos + line;
  case SB_PAGEUP:
    return si.nPos - page;
  case SB_PAGEDOWN:
    return si.nPos + page;
  case SB_TOP:
    return 0;
  case SB_BOTTOM:
    return si.nMax;
  case SB_THUMBTRACK:
  case SB_THUMBPOSITION:
    return si.nTrackPos;
  default:
    return si.nPos;
  }
}

void list_scroll_message(ListboxObject *list, UINT message, WPARAM wParam) {
  ListPane *lp = lpane(list);
  if (message == WM_VSCROLL) {
    int32_t page = std::max(1, list_rows_in_view(list));
    list_scroll_to(list, barTarget(lp->pane.hwnd, SB_VERT, wParam, 1, page));
  } else {
    int32_t line = std::max(1, lp->rowHeight);
    list_scroll_x_to(list, barTarget(lp->pane.hwnd, SB_HORZ, wParam, line, lp->clientWidth));
  }
}

void list_wheel(ListboxObject *list, WPARAM wParam) {
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  int32_t delta = (short)HIWORD(wParam);
  list_scroll_to(list, list->scrollRow - delta * (int32_t)lines / WHEEL_DELTA);
}
