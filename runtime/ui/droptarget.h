// The drop target every runtime window registers with the platform, and the
// hooks through which the drag-and-drop layer answers it. Until that layer
// installs its own, every drag over a window is refused and a press on an
// edit field never starts one.
#pragma once
#include "ui/pane.h"
#include <windows.h>

struct IDropTarget;
struct IDataObject;
struct ControlObject;
struct Pane;
struct View;

struct DropHooks {
  // A drag came over the view (at: screen coordinates); the effect it may have there.
  DWORD (*enter)(View *view, IDataObject *data, DWORD keys, POINTL at, DWORD allowed);
  DWORD (*over)(View *view, DWORD keys, POINTL at, DWORD allowed);
  void (*leave)(View *view);
  // The drag ended over the view: the effect it had.
  DWORD (*drop)(View *view, IDataObject *data, DWORD keys, POINTL at, DWORD allowed);
  // A left press on an edit field (client coordinates of its native
  // control); true when it was taken, by a drag of the selection or a click.
  bool (*fieldPress)(Pane *field, POINT at);
  // A list's row pressed and dragged (EnableDrag): DragRow may start a drag
  // of it. The row's rectangle is in the list's own coordinates.
  void (*rowDrag)(ControlObject *list, int32_t row, Rect16 bounds);
};
extern DropHooks gDropHooks;

IDropTarget *drop_target_register(HWND hwnd); // nil when the platform refuses
void drop_target_revoke(HWND hwnd, IDropTarget *target);
