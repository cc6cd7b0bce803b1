// Drawing the Listbox: the rows in view and the heading into an off-screen
// buffer, then onto the pane in one copy. Cells raise CellBackgroundPaint and
// CellTextPaint with a Graphics bound to the cell before drawing themselves.
#include "graphics/picture.h"
#include "ui/listpane.h"
#include <algorithm>

enum {
  kTriangleSize = 8,   // a folder's disclosure triangle
  kArrowSize = 7,      // the sort column's arrow in the heading
  kDecimalReserve = 3, // digits after the point a decimal column makes room for
};

/* ---- the paint events' target ---- */

static ListCellTarget *cellTarget(void *target) { return (ListCellTarget *)target; }

static HDC acquireCell(void *target, uintptr_t *token) {
  ListCellTarget *t = cellTarget(target);
  if (!t->dc) return nullptr;
  *token = (uintptr_t)SaveDC(t->dc);
  IntersectClipRect(t->dc, t->cell.left, t->cell.top, t->cell.right, t->cell.bottom);
  return t->dc;
}

static void releaseCell(void *, HDC dc, uintptr_t token) { RestoreDC(dc, (int)token); }

static void cellSize(void *target, int32_t *width, int32_t *height) {
  ListCellTarget *t = cellTarget(target);
  *width = t->cell.right - t->cell.left;
  *height = t->cell.bottom - t->cell.top;
}

static COLORREF cellBackground(void *target) { return cellTarget(target)->background; }

static const DrawTargetKind kCellTarget = {
    .name = "list cell",
    .acquire = acquireCell,
    .release = releaseCell,
    .size = cellSize,
    .background = cellBackground,
    .offset = nullptr,
    .threadBound = 1,
};

// What a row's drawing shares between its cells.
struct RowPaint {
  ListboxObject *list;
  ListPane *lp;
  HDC dc; // the buffer
  int32_t row;
  RECT box;            // the row, buffer coordinates
  COLORREF background; // the row's
  COLORREF text;
  bool gone; // a handler closed the list: draw no more
};

// A paint event of the cell: true when its handler answered True. The
// Graphics is detached as soon as the handler returns.
static bool paintEvent(RowPaint *rp, const char *event, RECT cell, int32_t column, int32_t x,
                       int32_t y) {
  ListboxObject *list = rp->list;
  if (!has_handler(&list->control.header, event)) return false;
  ListCellTarget *t = &rp->lp->cell;
  if (!t->target.kind) t->target.kind = &kCellTarget;
  t->dc = rp->dc, t->cell = cell, t->background = rp->background;
  GraphicsObject *g = graphics_new(&t->target, cell.left, cell.top);
  if (!g) return false;
  uint32_t args[] = {(uint32_t)(uintptr_t)g, (uint32_t)rp->row, (uint32_t)column, (uint32_t)x,
                     (uint32_t)y};
  Delivery d = list_deliver(list, event, args, x == INT32_MIN ? 3 : 5);
  graphics_detach(g);
  RuntimeUnlockObject(&g->header);
  t->dc = nullptr;
  if (d == kPaneGone) rp->gone = true;
  return d == kAnsweredTrue;
}

/* ---- pieces of a cell ---- */

static void fill(HDC dc, RECT r, COLORREF colour) {
  SetBkColor(dc, colour);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

static void line(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF colour) {
  fill(dc, {x1, y1, std::max(x2, x1 + 1), std::max(y2, y1 + 1)}, colour);
}

// Closed folders point right, open ones down.
static void drawTriangle(HDC dc, int32_t x, int32_t midY, bool open, COLORREF colour) {
  POINT p[3];
  if (open)
    p[0] = {x, midY - kTriangleSize / 4}, p[1] = {x + kTriangleSize, midY - kTriangleSize / 4},
    p[2] = {x + kTriangleSize / 2, midY + kTriangleSize / 4 + 1};
  else
    p[0] = {x + 2, midY - kTriangleSize / 2}, p[1] = {x + 2, midY + kTriangleSize / 2},
    p[2] = {x + 2 + kTriangleSize / 2, midY};
  HBRUSH brush = CreateSolidBrush(colour);
  HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  Polygon(dc, p, 3);
  SelectObject(dc, oldPen), SelectObject(dc, oldBrush);
  DeleteObject(brush);
}

static void drawCheckBox(HDC dc, int32_t x, int32_t midY, bool checked) {
  RECT r = {x, midY - kListCheckSize / 2, x + kListCheckSize, midY + kListCheckSize / 2};
  InflateRect(&r, -1, -1);
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0));
}

// A row picture scaled down to the row's height; answers its width.
static int32_t drawPicture(HDC dc, Object *picture, int32_t x, RECT box) {
  PictureObject *p = picture_of(picture);
  PictureImage *image = picture_image(p);
  if (!image || image->height <= 0) return 0;
  int32_t h = std::min<int32_t>(image->height, box.bottom - box.top);
  int32_t w = image->width * h / image->height;
  picture_draw_masked(p, dc, x, box.top + (box.bottom - box.top - h) / 2, w, h, 0, 0, image->width,
                      image->height);
  return w;
}

static int32_t textWidth(HDC dc, const char *s, int32_t n) {
  SIZE size = {};
  GetTextExtentPoint32A(dc, s, n, &size);
  return size.cx;
}

// Where the text starts for the cell's alignment: left, centre, right, or
// with its decimal point at a fixed place near the right edge.
static int32_t alignedX(HDC dc, RString *text, uint8_t alignment, int32_t left, int32_t right,
                        int32_t offset) {
  const char *s = str_cview(text);
  int32_t n = str_len(text);
  switch (alignment) {
  case kAlignCenter:
    return left + (right - left - textWidth(dc, s, n)) / 2 + offset;
  case kAlignRight:
    return right - textWidth(dc, s, n) + offset;
  case kAlignDecimal: {
    const char *point = (const char *)memchr(s, '.', n);
    int32_t whole = point ? (int32_t)(point - s) : n;
    int32_t reserve = textWidth(dc, ".000", 1 + kDecimalReserve);
    return right - reserve - textWidth(dc, s, whole) + offset;
  }
  default:
    return left + offset;
  }
}

static void drawBorders(HDC dc, const ListCell *cell, RECT r) {
  if (!cell) return;
  COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
  for (int side = kBorderTop; side <= kBorderRight; side++) {
    int kind = cell->borders[side];
    if (!kind) continue;
    int32_t thick = kind == 2 ? 2 : 1;
    for (int32_t i = 0; i < (kind == 3 ? 2 : 1); i++) { /* 3: a double line */
      int32_t in = i * 2;
      if (side == kBorderTop) line(dc, r.left, r.top + in, r.right, r.top + in + thick, ink);
      if (side == kBorderBottom)
        line(dc, r.left, r.bottom - in - thick, r.right, r.bottom - in, ink);
      if (side == kBorderLeft) line(dc, r.left + in, r.top, r.left + in + thick, r.bottom, ink);
      if (side == kBorderRight) line(dc, r.right - in - thick, r.top, r.right - in, r.bottom, ink);
    }
  }
}

static int32_t cellOffset(ListboxObject *list, const ListCell *cell, int32_t column) {
  return cell && cell->alignOffset ? cell->alignOffset : list->columns[column].alignOffset;
}

/* ---- a cell and a row ---- */

static void drawCellText(RowPaint *rp, RECT r, int32_t column, int32_t x, const ListCell *cell) {
  ListboxObject *list = rp->list;
  HDC dc = rp->dc;
  SelectObject(dc, list_font(rp->lp, list, cell ? cell->style : 0));
  RString *text = list_cell_text(list, rp->row, column);
  int32_t left = x + kListPadding, right = r.right - kListPadding;
  int32_t tx = alignedX(dc, text, list_cell_alignment(list, rp->row, column), left, right,
                        cellOffset(list, cell, column));
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  int32_t ty = r.top + (r.bottom - r.top - tm.tmHeight) / 2;
  if (!paintEvent(rp, "CellTextPaint", r, column, tx - r.left, ty + tm.tmAscent - r.top) &&
      !rp->gone && str_len(text) > 0) {
    int32_t fits = right - left;
    if (tx + textWidth(dc, str_cview(text), str_len(text)) > right && tx > left)
      tx = std::max(left, right - fits); /* too wide to move right: start it at the left */
    RECT box = {tx, ty, right, r.bottom};
    SetTextColor(dc, rp->text);
    DrawTextA(dc, str_cview(text), str_len(text), &box,
              DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_TOP);
  }
  RuntimeUnlockString(text);
}

static void drawCell(RowPaint *rp, RECT r, int32_t column) {
  ListboxObject *list = rp->list;
  HDC dc = rp->dc;
  if (!paintEvent(rp, "CellBackgroundPaint", r, column, INT32_MIN, 0) && !rp->gone)
    fill(dc, r, rp->background);
  if (rp->gone) return;
  int saved = SaveDC(dc);
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  ListRow *row = list_row(list, rp->row);
  const ListCell *cell = list_find_cell(row, column);
  int32_t x = r.left + list_cell_indent(list, rp->row, column), midY = (r.top + r.bottom) / 2;
  if (column == 0 && list->hierarchical && row->folder != kRowPlain)
    drawTriangle(dc, x - kListFolderIndent + kListFlatIndent, midY, row->folder == kFolderOpen,
                 rp->text);
  if (list_cell_type(list, rp->row, column) == kCellCheckBox) {
    drawCheckBox(dc, x, midY, cell && cell->checked);
    x += kListCheckRoom;
  }
  if (column == 0 && row->picture) x += drawPicture(dc, row->picture, x, r);
  drawCellText(rp, r, column, x, cell);
  RestoreDC(dc, saved);
  if (!rp->gone) drawBorders(dc, cell, r);
}

static void drawRow(ListboxObject *list, ListPane *lp, HDC dc, int32_t row, RECT clip) {
  bool focused = pane_focus() == &lp->pane;
  bool selected = list_is_selected(list, row);
  int32_t top = list_row_top(list, row);
  RowPaint rp = {list,
                 lp,
                 dc,
                 row,
                 {0, top, lp->clientWidth, top + lp->rowHeight},
                 GetSysColor(selected ? (focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : COLOR_WINDOW),
                 GetSysColor(!lp->pane.enabled     ? COLOR_GRAYTEXT
                             : selected && focused ? COLOR_HIGHLIGHTTEXT
                                                   : COLOR_WINDOWTEXT),
                 false};
  int32_t end = list_cell_left(list, list->columnCount);
  for (int32_t c = 0; c < list->columnCount && !rp.gone; c++) {
    RECT r = {list_cell_left(list, c), rp.box.top, list_cell_left(list, c) + list->widths[c],
              rp.box.bottom};
    if (r.right <= r.left || r.right <= clip.left || r.left >= clip.right) continue;
    drawCell(&rp, r, c);
  }
  if (rp.gone) return;
  if (end < rp.box.right) fill(dc, {end, rp.box.top, rp.box.right, rp.box.bottom}, rp.background);
  if (list->hGridLines)
    line(dc, 0, rp.box.bottom - 1, rp.box.right, rp.box.bottom, GetSysColor(COLOR_BTNFACE));
  if (focused && row == list->caretRow && !list->useFocusRing) {
    RECT r = rp.box;
    DrawFocusRect(dc, &r);
  }
}

/* ---- the heading and the frame ---- */

static void drawArrow(HDC dc, RECT r, int direction) {
  int32_t x = r.right - kListPadding - kArrowSize, midY = (r.top + r.bottom) / 2;
  POINT p[3];
  if (direction > 0)
    p[0] = {x, midY + 2}, p[1] = {x + kArrowSize, midY + 2}, p[2] = {x + kArrowSize / 2, midY - 2};
  else
    p[0] = {x, midY - 2}, p[1] = {x + kArrowSize, midY - 2}, p[2] = {x + kArrowSize / 2, midY + 2};
  HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(COLOR_BTNSHADOW));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  Polygon(dc, p, 3);
  SelectObject(dc, oldPen), SelectObject(dc, oldBrush);
}

static void drawHeadingBox(HDC dc, RECT r) {
  fill(dc, r, GetSysColor(COLOR_BTNFACE));
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
}

static void drawHeading(ListboxObject *list, ListPane *lp, HDC dc) {
  SelectObject(dc, list_font(lp, list, 0));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  int32_t end = 0;
  for (int32_t c = 0; c < list->columnCount; c++) {
    RECT r = {list_cell_left(list, c), 0, list_cell_left(list, c) + list->widths[c],
              lp->headingHeight};
    end = r.right;
    if (r.right <= r.left) continue;
    drawHeadingBox(dc, r);
    int direction = list->columns[c].sortDirection;
    RECT text = {r.left + kListPadding, r.top + 1, r.right - kListPadding, r.bottom - 1};
    if (c == list->sortColumn && direction) {
      drawArrow(dc, r, direction);
      text.right -= (int32_t)kArrowSize + kListPadding;
    }
    RString *heading = list->columns[c].heading;
    DrawTextA(dc, str_cview(heading), str_len(heading), &text,
              DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER);
  }
  if (end < lp->clientWidth) drawHeadingBox(dc, {end, 0, lp->clientWidth + 2, lp->headingHeight});
}

static void drawGridColumns(ListboxObject *list, ListPane *lp, HDC dc, int32_t bottom) {
  for (int32_t c = 0; c < list->columnCount; c++) {
    int32_t x = list_cell_left(list, c + 1) - 1;
    if (x >= 0 && x < lp->clientWidth)
      line(dc, x, lp->headingHeight, x + 1, bottom, GetSysColor(COLOR_BTNFACE));
  }
}

// A thin frame, or the focus ring: two pixels of the highlight colour.
static void drawFrame(ListboxObject *list, ListPane *lp, HDC dc) {
  bool ring = list->useFocusRing && pane_focus() == &lp->pane;
  HBRUSH brush = GetSysColorBrush(ring ? COLOR_HIGHLIGHT : COLOR_BTNSHADOW);
  RECT r = {0, 0, lp->clientWidth, lp->clientHeight};
  for (int i = 0; i < (ring ? kListFrame : 1); i++) {
    FrameRect(dc, &r, brush);
    InflateRect(&r, -1, -1);
  }
}

/* ---- the buffer ---- */

static HDC buffer(ListPane *lp, HDC like) {
  int32_t w = std::max<int32_t>(1, lp->clientWidth), h = std::max<int32_t>(1, lp->clientHeight);
  if (lp->buffer && lp->bufferWidth >= w && lp->bufferHeight >= h) return lp->buffer;
  list_draw_release(lp);
  lp->buffer = CreateCompatibleDC(like);
  lp->bitmap = CreateCompatibleBitmap(like, w, h);
  lp->oldBitmap = SelectObject(lp->buffer, lp->bitmap);
  lp->bufferWidth = w, lp->bufferHeight = h;
  SetBkMode(lp->buffer, TRANSPARENT);
  SetTextAlign(lp->buffer, TA_LEFT | TA_TOP);
  return lp->buffer;
}

void list_draw_release(ListPane *lp) {
  if (lp->cell.target.kind) graphics_detach_all(&lp->cell.target);
  if (!lp->buffer) return;
  SelectObject(lp->buffer, lp->oldBitmap);
  DeleteObject(lp->bitmap);
  DeleteDC(lp->buffer);
  lp->buffer = nullptr, lp->bitmap = nullptr;
}

// Only the rows that cross the area being painted are drawn, so the cost
// follows the pane's height, not the list's length.
void list_draw(Pane *pane, HDC dc) {
  ListboxObject *list = list_of_pane(pane);
  ListPane *lp = (ListPane *)pane;
  if (!list || !pane_on_screen(pane) || lp->rowHeight <= 0) return;
  RECT clip;
  GetClipBox(dc, &clip);
  OffsetRect(&clip, -pane->bounds.left, -pane->bounds.top);
  RECT client = {0, 0, lp->clientWidth, lp->clientHeight};
  if (!IntersectRect(&clip, &clip, &client)) return;
  HDC b = buffer(lp, dc);
  int saved = SaveDC(b);
  IntersectClipRect(b, clip.left, clip.top, clip.right, clip.bottom);
  fill(b, clip, GetSysColor(COLOR_WINDOW));
  int32_t first =
      list->scrollRow + std::max(0, (int32_t)clip.top - lp->headingHeight) / lp->rowHeight;
  int32_t bottom = lp->headingHeight;
  for (int32_t row = first; row < list_count(list); row++) {
    int32_t top = list_row_top(list, row);
    if (top >= clip.bottom) break;
    drawRow(list, lp, b, row, clip);
    if (pane->closing) { /* a paint handler closed the list */
      RestoreDC(b, saved);
      return;
    }
    bottom = top + lp->rowHeight;
  }
  if (list->vGridLines) drawGridColumns(list, lp, b, list->hGridLines ? bottom : lp->clientHeight);
  if (lp->headingHeight > 0 && clip.top < lp->headingHeight) drawHeading(list, lp, b);
  drawFrame(list, lp, b);
  RestoreDC(b, saved);
  BitBlt(dc, pane->bounds.left + clip.left, pane->bounds.top + clip.top, clip.right - clip.left,
         clip.bottom - clip.top, b, clip.left, clip.top, SRCCOPY);
}
