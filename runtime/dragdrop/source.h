// Drags out of the program: the platform data object over a drag item, the
// drop source that follows the mouse button, the drag loop, and the drag
// items windows and controls make.
#pragma once
#include "dragdrop/dragitem.h"

struct IDataObject;
struct WindowObject;
struct ControlObject;

// A data object offering what the item carries (retained until its release).
IDataObject *source_data_object(DragItemObject *d);

// Runs the platform's drag loop for the item with the effects allowed; the
// effect it ended in (DROPEFFECT_NONE when cancelled or refused).
DWORD source_drag(DragItemObject *d, DWORD allowed);

// The item whose drag loop is running in this program, or nil.
DragItemObject *source_dragging();

extern "C" {
Object *formNewDragItem(WindowObject *w, int32_t left, int32_t top, int32_t width, int32_t height);
Object *controlNewDragItem(ControlObject *c, int32_t left, int32_t top, int32_t width,
                           int32_t height);
void DragItemDrag(DragItemObject *d);
}
