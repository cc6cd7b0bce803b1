// The Listbox pane's record and what its three files share: the pane with
// its fonts, metrics and off-screen buffer, the geometry of rows and cells in
// the pane's client area, scrolling, drawing, and the mouse and keys.
#pragma once
#include "graphics/port.h"
#include "ui/listbox.h"

// The drawing target a paint event's Graphics is bound to: one cell of the
// off-screen buffer, clipped to it, (0, 0) at its top-left corner.
struct ListCellTarget {
  DrawTarget target;   // 0
  HDC dc;              // 8: the buffer's context while a row is drawn, else nil
  RECT cell;           // 12: buffer coordinates
  COLORREF background; // 28
};

struct ListPane {
  Pane pane;             // 0
  HFONT fonts[8];        // 112: the list's font for each set of cell style bits, or nil
  int32_t rowHeight;     // 144: pixels
  int32_t headingHeight; // 148: 0 without a heading
  int32_t ascent;        // 152: of the list's font
  int32_t clientWidth;   // 156: the client area, inside the scroll bars
  int32_t clientHeight;  // 160
  HDC buffer;            // 164: the off-screen context, made at the first paint
  HBITMAP bitmap;        // 168: selected into buffer
  HGDIOBJ oldBitmap;     // 172
  int32_t bufferWidth;   // 176
  int32_t bufferHeight;  // 180
  ListCellTarget cell;   // 184: the paint events' target
  int32_t pressRow;      // 216: the row a click went down on, -1 for none
  uint8_t tracking;      // 220: following the mouse after a click
  uint8_t settingScroll; // 221: the scroll bars are being set (their messages are ours)
  uint8_t barsPending;   // 222: a message to set the scroll bars is on its way
};
static_assert(offsetof(ListPane, fonts) == sizeof(Pane));

enum {
  kListPadding = 3,       // text from a cell's left and right edges
  kListFolderIndent = 20, // column 0 of a hierarchical list: the triangle's room
  kListDepthIndent = 12,  // each depth level further right
  kListFlatIndent = 4,    // column 0 of a flat list
  kListCheckSize = 16,    // a check box's side
  kListCheckRoom = 20,    // a check box's cell text starts this much further right
  kListRowPadding = 4,    // a row beyond its font's height
  kListHeadingPadding = 6,
  kListFrame = 2, // the frame, or the focus ring, round the client area
};

ListPane *lpane(ListboxObject *list); // nil without a pane
ListboxObject *list_of_pane(Pane *pane);
HFONT list_font(ListPane *lp, ListboxObject *list,
                uint8_t style);         // cell style bits over the list's
void list_measure(ListboxObject *list); // row and heading heights, client size

// Geometry, in the pane's client coordinates.
int32_t list_row_top(ListboxObject *list, int32_t row);
int32_t list_row_at(ListboxObject *list, int32_t y); // -1 outside the rows
int32_t list_cell_left(ListboxObject *list, int32_t column);
// Where a cell's content starts beyond its left edge: the folder indent in
// column 0, 0 elsewhere.
int32_t list_cell_indent(ListboxObject *list, int32_t row, int32_t column);
void list_update_scroll_bars(ListboxObject *list);
void list_scroll_to(ListboxObject *list, int32_t row); // ScrollPosition, kept in range
void list_scroll_x_to(ListboxObject *list, int32_t x); // ScrollPositionX, kept in range
int32_t list_content_width(ListboxObject *list);       // the sum of the column widths
int32_t list_last_first_row(ListboxObject *list);      // the largest ScrollPosition
int32_t list_last_scroll_x(ListboxObject *list);       // the largest ScrollPositionX
enum { kListBarsMessage = WM_APP + 0x4C };             // posted: set the scroll bars
void list_update_bars_later(ListPane *lp);             // once for many rows
void list_scroll_message(ListboxObject *list, UINT message, WPARAM wParam); // a bar's
void list_wheel(ListboxObject *list, WPARAM wParam);

// Delivers an event of the list's with argument words; kPaneGone when the
// handler closed it.
Delivery list_deliver(ListboxObject *list, const char *event, const uint32_t *args, int count);

// listdraw.cpp
void list_draw(Pane *pane, HDC dc);
void list_draw_release(ListPane *lp); // the buffer and the paint target

// listinput.cpp
bool list_mouse_down(Pane *pane, POINT at, int modifiers);
void list_mouse_drag(Pane *pane, POINT at);
void list_mouse_up(Pane *pane, POINT at);
void list_double_click(ListboxObject *list, POINT client);
bool list_key_down(Pane *pane, int character, int vk, int modifiers);
void list_focus_changed(Pane *pane, bool gained);

// listedit.cpp: the editor closed without its events, as the pane goes.
void list_drop_edit(ListboxObject *list);
