// What a drag offers, read from the platform's data object: text, a picture,
// files and folders, data of named types; or, for a drag from this program,
// the drag item itself. And the drag item a drop delivers.
#pragma once
#include "base/vector.h"
#include "dragdrop/accept.h"
#include "dragdrop/dragitem.h"

struct IDataObject;

struct Offer {
  IDataObject *data;   // retained while the drag lasts
  DragItemObject *own; // a drag from this program: its item, retained; else nil
  uint8_t text;        // text is offered
  uint8_t picture;     // a picture is offered
  Vector paths;        // of RString *: the files and folders, in the order given
};

// Reads what the data object offers (the files' names once, the rest is
// asked again on the drop); false when it offers nothing a drop could take.
bool offer_read(Offer *offer, IDataObject *data);
void offer_clear(Offer *offer);

// Whether a window or control with the list would take some of the offer.
bool offer_wanted(const Offer *offer, const Acceptance *a);

// The drag item for a drop on a window or control with the list: what it
// accepts of the offer (everything, for a drag from this program). Nil when
// nothing could be read after all.
DragItemObject *offer_take(const Offer *offer, const Acceptance *a);

// The text offered, in the application's code page; nil when there is none.
RString *offer_text(const Offer *offer);

// The private format through which a drag item of this program travels.
UINT offer_own_format();
struct OwnDrag {
  DWORD process;        // the program that made it
  DragItemObject *item; // valid in that program only, while its drag lasts
};
