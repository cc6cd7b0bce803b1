// Drops on runtime windows: the control under the point (or one that holds
// it) that accepts what is offered, else the window, else an editable field
// taking text itself. A drop on a control or window becomes a DragItem that
// the event loop delivers as DropObject; text dropped into a field goes in at
// the point. And a press on a field's selection drags its text out.
#include "dragdrop/dragdrop.h"
#include "dragdrop/offer.h"
#include "dragdrop/source.h"
#include "lifecycle/application.h"
#include "ui/droptarget.h"
#include "ui/editfieldpane.h"
#include "ui/nativewindow.h"
#include "ui/windowobject.h"
#include <ole2.h>

extern "C" RString *editSelTextGetter(EditFieldObject *e);

static Offer offer;  // what the drag over one of our windows offers
static bool holding; // offer is read and held

// A drag of a field's selection, while it runs.
static struct {
  Pane *field;      // the field dragged from, or nil
  CHARRANGE range;  // the selection dragged
  bool movedInside; // dropped into the same field, which moved the text itself
} fieldDrag;

/* ---- where a drag would land ---- */

struct Spot {
  WindowObject *window;   // the window under the drag
  ControlObject *control; // the control taking the drop, or nil for the window
  EditPane *field;        // or the field taking text itself
  POINT at;               // window content coordinates
};

static bool fieldTakesText(Pane *p) {
  EditFieldObject *e = editField_of(p);
  EditPane *ep = e ? edit_pane(e) : nullptr;
  return ep && (EditPane *)p == ep && !ep->readOnly && !ep->password && p->enabled && offer.text;
}

static bool accepts(Object *o) { return offer_wanted(&offer, accept_of(o)); }

// The innermost pane under the point, then its parents: the first control
// that accepts the offer takes it; a field that accepts nothing of it takes
// text itself; the window last.
static bool locate(View *view, POINTL screen, Spot *s) {
  *s = {};
  if (!holding || !(s->window = view_window(view))) return false;
  s->at = {screen.x, screen.y};
  ScreenToClient(view->pane.hwnd, &s->at);
  Pane *under = &view->pane;
  while (Pane *child = pane_front_child_at(under, s->at)) under = child;
  for (Pane *p = under; p && !p->isRoot; p = p->parent) {
    ControlObject *c = pane_control(p);
    if (!c || !p->enabled) continue;
    if (accepts(&c->header)) return s->control = c, true;
    if (p == under && !accept_of(&c->header) && fieldTakesText(p))
      return s->field = (EditPane *)p, true;
  }
  return accepts(&s->window->header);
}

// Text moves between fields unless Control is held or the drag does not
// allow it; everything else is copied.
static DWORD effectAt(const Spot &s, DWORD keys, DWORD allowed) {
  if (s.field && (allowed & DROPEFFECT_MOVE) && !(keys & MK_CONTROL)) return DROPEFFECT_MOVE;
  return allowed & DROPEFFECT_COPY ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

static DWORD answer(View *view, DWORD keys, POINTL at, DWORD allowed) {
  Spot s;
  return locate(view, at, &s) ? effectAt(s, keys, allowed) : DROPEFFECT_NONE;
}

static void leave(View *) {
  if (holding) offer_clear(&offer);
  holding = false;
}

static DWORD enter(View *view, IDataObject *data, DWORD keys, POINTL at, DWORD allowed) {
  leave(view);
  offer_read(&offer, data);
  holding = true;
  return answer(view, keys, at, allowed);
}

/* ---- the drop ---- */

static int32_t charAt(EditPane *ep, POINT client) {
  POINTL p = {client.x, client.y};
  return (int32_t)edit_send(ep, EM_CHARFROMPOS, 0, (LPARAM)&p);
}

static POINT fieldPoint(EditPane *ep, View *view, POINT at) {
  MapWindowPoints(view->pane.hwnd, edit_hwnd(ep), &at, 1);
  return at;
}

// The text goes in at the point and ends selected; a move within one field
// takes it from where it was first (dropped on itself, nothing happens).
static DWORD dropIntoField(EditPane *ep, POINT client, DWORD effect) {
  EditFieldObject *e = editField_of(&ep->pane);
  int32_t at = charAt(ep, client);
  CHARRANGE from = fieldDrag.range;
  bool inside = fieldDrag.field == &ep->pane && effect == DROPEFFECT_MOVE;
  if (inside && at >= from.cpMin && at <= from.cpMax) return DROPEFFECT_NONE;
  RString *text = offer_text(&offer);
  if (!text) return DROPEFFECT_NONE;
  if (inside) {
    edit_select(ep, from.cpMin, from.cpMax);
    edit_replace_selection(ep, nullptr);
    if (at > from.cpMax) at -= from.cpMax - from.cpMin;
    fieldDrag.movedInside = true;
  }
  edit_select(ep, at, at);
  edit_replace_selection(ep, text);
  RuntimeUnlockString(text);
  edit_select(ep, at, edit_selection(ep).cpMax);
  SetFocus(edit_hwnd(ep));
  edit_report_both(e);
  return effect;
}

// The drag's rectangle, when it came from this program: its first item's size.
static void placeItem(DragItemObject *d, const Spot &s) {
  POINT at = s.at;
  if (s.control) at.x -= s.control->bounds.left, at.y -= s.control->bounds.top;
  d->dropLeft = at.x;
  d->dropTop = at.y;
  if (DragEntry *first = offer.own ? dragitem_entry(offer.own, 0) : nullptr) {
    d->dropWidth = first->width;
    d->dropHeight = first->height;
  }
}

static DWORD drop(View *view, IDataObject *, DWORD keys, POINTL at, DWORD allowed) {
  Spot s;
  DWORD effect = locate(view, at, &s) ? effectAt(s, keys, allowed) : DROPEFFECT_NONE;
  if (effect != DROPEFFECT_NONE && s.field) {
    effect = dropIntoField(s.field, fieldPoint(s.field, view, s.at), effect);
  } else if (effect != DROPEFFECT_NONE) {
    Object *target = s.control ? &s.control->header : &s.window->header;
    DragItemObject *d = offer_take(&offer, accept_of(target));
    if (d) {
      placeItem(d, s);
      loop_post_drop(&s.window->header, s.control ? &s.control->header : nullptr, &d->header);
      RuntimeUnlockObject(&d->header); /* the pending drop holds it */
    } else {
      effect = DROPEFFECT_NONE; /* what was offered could not be read */
    }
  }
  leave(view);
  return effect;
}

/* ---- dragging a field's selection ---- */

static void dragSelection(EditPane *ep, CHARRANGE range) {
  EditFieldObject *e = editField_of(&ep->pane);
  RuntimeLockObject(&e->control.header);
  DragItemObject *d = dragitem_new(&e->control.header);
  Rect16 b = e->control.bounds;
  dragitem_add(d, 0, 0, b.right - b.left, b.bottom - b.top);
  RString *text = editSelTextGetter(e);
  dragItemTextSetter(d, 0, text);
  RuntimeUnlockString(text);
  fieldDrag = {&ep->pane, range, false};
  DWORD allowed = ep->readOnly ? DROPEFFECT_COPY : DROPEFFECT_COPY | DROPEFFECT_MOVE;
  DWORD effect = source_drag(d, allowed);
  bool moveOut = effect == DROPEFFECT_MOVE && !fieldDrag.movedInside;
  fieldDrag = {};
  if (moveOut && edit_pane(e) == ep) { /* the field may have closed meanwhile */
    edit_select(ep, range.cpMin, range.cpMax);
    edit_replace_selection(ep, nullptr);
    edit_report_both(e);
  }
  RuntimeUnlockObject(&d->header);
  RuntimeUnlockObject(&e->control.header);
}

// Follows the mouse after a press until it leaves the platform's drag
// rectangle around the press (true) or the button comes up (false); Escape
// gives up. Other messages are dispatched meanwhile, keys set aside.
static bool dragStarts(HWND hwnd, POINT screen) {
  int dx = GetSystemMetrics(SM_CXDRAG), dy = GetSystemMetrics(SM_CYDRAG);
  RECT still = {screen.x - dx, screen.y - dy, screen.x + dx + 1, screen.y + dy + 1};
  SetCapture(hwnd);
  bool started = false;
  MSG m = {};
  while (GetCapture() == hwnd && GetMessageA(&m, nullptr, 0, 0) > 0) {
    if (m.message == WM_LBUTTONUP || (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE)) break;
    if (m.message == WM_MOUSEMOVE) {
      if ((started = !PtInRect(&still, m.pt))) break;
    } else if (m.message < WM_KEYFIRST || m.message > WM_KEYLAST) {
      DispatchMessageA(&m);
    }
  }
  if (m.message == WM_QUIT) PostQuitMessage((int)m.wParam); /* for the loop to see */
  if (GetCapture() == hwnd) ReleaseCapture();
  return started;
}

// A press inside the selection: a drag when the mouse moves away before the
// button comes up, else a click that puts the caret there.
static bool fieldPress(Pane *p, POINT at) {
  EditPane *ep = (EditPane *)p;
  CHARRANGE range = edit_selection(ep);
  if (range.cpMin == range.cpMax || source_dragging() || !editField_of(p)) return false;
  if (GetKeyState(VK_SHIFT) < 0) return false; /* Shift-click extends the selection */
  int32_t pos = charAt(ep, at);
  if (pos < range.cpMin || pos >= range.cpMax) return false;
  POINT screen = at;
  ClientToScreen(edit_hwnd(ep), &screen);
  SetFocus(edit_hwnd(ep));
  if (dragStarts(edit_hwnd(ep), screen)) {
    dragSelection(ep, range);
  } else if (EditFieldObject *e = editField_of(p)) {
    edit_select(ep, pos, pos);
    edit_report_selection(e);
  }
  return true;
}

// DragRow gets a drag item over the row; a handler that fills it and
// answers True has it dragged.
static void rowDrag(ControlObject *list, int32_t row, Rect16 bounds) {
  RuntimeLockObject(&list->header);
  DragItemObject *d = dragitem_new(&list->header);
  dragitem_add(d, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
  uint32_t args[] = {(uint32_t)(uintptr_t)d, (uint32_t)row};
  if (deliver_to_control(list, "DragRow", args, 2) == kAnsweredTrue && list->pane)
    d->effect = (int32_t)source_drag(d, DROPEFFECT_COPY);
  RuntimeUnlockObject(&d->header);
  RuntimeUnlockObject(&list->header);
}

void dragdrop_install() {
  gDropHooks = {enter, answer, leave, drop, fieldPress, rowDrag};
  dragitem_classes_attach();
  accept_classes_attach();
}
