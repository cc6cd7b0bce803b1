// Drag items: the DragItem record, the items it carries (text, a picture, a
// file or folder, typed data), walking them, and the entry points that read
// and write the current one.
#pragma once
#include "base/vector.h"
#include "graphics/picture.h"
#include "text/string.h"

// Data of a named type carried by an item ("mac data"); private data stays
// inside this program and is never offered to another one.
struct DragData {
  DragData *next;    // the item's next type, newest first
  RString *type;     // the type's name, as given
  RString *data;     // the bytes
  uint8_t isPrivate; // offered to drops in this program only
};

// One item of a drag.
struct DragEntry {
  int32_t left, top, width, height; // where it lies on the drag's source
  RString *text;                    // nil when the item carries no text
  PictureObject *picture;           // retained; nil when none
  RString *path;                    // a file or folder, absolute; nil when none
  DragData *data;                   // typed data, newest first
};

// The DragItem instance (76 bytes).
struct DragItemObject {
  Object header;       // 0
  Object *source;      // 16: the window or control that made it (retained); nil for a drop
  Vector entries;      // 20: of DragEntry *, in the order they were added or dropped
  int32_t current;     // 36: the entry the properties read and write
  int32_t dropLeft;    // 40: the drop point in the target's coordinates
  int32_t dropTop;     // 44
  int32_t dropWidth;   // 48: the dragged rectangle's size when the source said it, else 0
  int32_t dropHeight;  // 52
  int32_t effect;      // 56: what the last Drag ended in: a DROPEFFECT code
  int32_t reserved[4]; // 60
};
static_assert(offsetof(DragItemObject, source) == 16);
static_assert(offsetof(DragItemObject, entries) == 20);
static_assert(offsetof(DragItemObject, current) == 36);
static_assert(offsetof(DragItemObject, dropLeft) == 40);
static_assert(offsetof(DragItemObject, effect) == 56);
static_assert(sizeof(DragItemObject) == 76);

// Appends to a vector of pointers, doubling its room when full: a drop of
// thousands of files costs no more than their count.
void dragvec_append(Vector *v, const void *p);

// A new drag item with no entry; nil before the classes are set up.
DragItemObject *dragitem_new(Object *source);
// Appends an empty entry over the rectangle and makes it current.
DragEntry *dragitem_add(DragItemObject *d, int32_t left, int32_t top, int32_t width,
                        int32_t height);
int32_t dragitem_count(const DragItemObject *d);
DragEntry *dragitem_entry(const DragItemObject *d, int32_t i);
// The current entry, made when the item has none yet.
DragEntry *dragitem_current(DragItemObject *d);

// An entry's typed data by name (case ignored), or nil.
DragData *dragentry_find(const DragEntry *e, const char *type);
// Sets (or replaces) the entry's data of a type; nil data removes it.
void dragentry_put(DragEntry *e, RString *type, RString *data, bool isPrivate);
// Copies every entry of from (what another item of this program carries)
// into to, sharing the strings and pictures.
void dragitem_copy_entries(DragItemObject *to, const DragItemObject *from);

void dragitem_classes_attach(); // the DragItem class's destructor

extern "C" {
bool DragItemTextAvailable(DragItemObject *d);
bool DragItemPictureAvailable(DragItemObject *d);
bool DragItemFolderItemAvailable(DragItemObject *d);
bool DragItemMacDataAvailable(DragItemObject *d, RString *type);
bool DragItemNextItem(DragItemObject *d);
void DragItemAddItem(DragItemObject *d, int32_t left, int32_t top, int32_t width, int32_t height);
RString *dragItemTextGetter(DragItemObject *d, int32_t);
void dragItemTextSetter(DragItemObject *d, int32_t, RString *text);
Object *dragItemPictureGetter(DragItemObject *d, int32_t);
void dragItemPictureSetter(DragItemObject *d, int32_t, PictureObject *picture);
Object *dragItemFolderItemGetter(DragItemObject *d, int32_t);
void dragItemFolderItemSetter(DragItemObject *d, int32_t, Object *item);
RString *DragItemGetMacData(DragItemObject *d, RString *type);
void DragItemSetMacData(DragItemObject *d, RString *type, RString *data);
void DragItemSetPrivateMacData(DragItemObject *d, RString *type, RString *data);
int32_t dragItemDropLeft(DragItemObject *d, int32_t);
int32_t dragItemDropTop(DragItemObject *d, int32_t);
int32_t dragItemDropWidth(DragItemObject *d, int32_t);
int32_t dragItemDropHeight(DragItemObject *d, int32_t);
}
