// The Clipboard object: its record and entry points.
#pragma once
#include "graphics/picture.h"

// The Clipboard instance (28 bytes). The object holds the platform clipboard
// open only while one of its calls runs; `emptied` and `sequence` let several
// writes through one object add formats to each other.
struct ClipboardObject {
  Object header;    // 0
  uint8_t open;     // 16: holds the platform clipboard open (within a call)
  uint8_t emptied;  // 17: has emptied the clipboard for its own writes
  uint16_t unused;  // 18
  DWORD sequence;   // 20: the clipboard's sequence number after this object's last write
  int32_t reserved; // 24
};
static_assert(offsetof(ClipboardObject, open) == 16);
static_assert(offsetof(ClipboardObject, emptied) == 17);
static_assert(sizeof(ClipboardObject) == 28);

void clipboard_classes_attach(); // the Clipboard class's destructor

extern "C" {
void clipboardSetText(ClipboardObject *c, RString *text);
void clipboardClose(ClipboardObject *c);
RString *clipboardTextGetter(ClipboardObject *c, int32_t);
void clipboardTextSetter(ClipboardObject *c, int32_t, RString *text);
bool clipboardTextAvailable(ClipboardObject *c);
RString *clipboardMacData(ClipboardObject *c, RString *type);
bool clipboardMacDataAvailable(ClipboardObject *c, RString *type);
void clipboardAddMacData(ClipboardObject *c, RString *data, RString *type);
bool clipboardPictureAvailable(ClipboardObject *c);
Object *clipboardPictureGetter(ClipboardObject *c, int32_t);
void clipboardPictureSetter(ClipboardObject *c, int32_t, PictureObject *picture);
}
