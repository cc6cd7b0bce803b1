// The system's file dialogs: GetOpenFolderItem and GetSaveFolderItem with the
// project's file types as the filter, and the FolderItemDialog classes
// (OpenDialog, SaveAsDialog, SelectFolderDialog) whose fields say what they show.
#pragma once
#include "objects/objects.h"
#include "text/string.h"
#include <cstddef>

enum { kDialogNameMax = 256 }; // the file-name buffer, terminator included

struct FolderItemDialog {
  Object header;                 // 0, 16 bytes
  int32_t root[2];               // 16: the root class's words, unused
  RString *title;                // 24: the window's caption; nil for the system's own
  RString *promptText;           // 28: the text beside the name (above the tree for folders)
  RString *suggestedFileName;    // 32: the name the dialog starts with
  Object *initialDirectory;      // 36: FolderItem the dialog starts in, or nil
  RString *filter;               // 40: registered file type names, ";"-separated
  RString *actionButtonCaption;  // 44: the Open/Save/OK button's text; nil keeps it
  RString *cancelButtonCaption;  // 48: the Cancel button's text; nil keeps it
  int32_t left;                  // 52: the window's screen position, when
  int32_t top;                   // 56:   either is not 0
  Object *result;                // 60: FolderItem last chosen, nil after a cancel
  char fileName[kDialogNameMax]; // 64: the dialog's name buffer
  uint8_t spare[436 - 64 - kDialogNameMax]; // to the class's instance size
};
static_assert(offsetof(FolderItemDialog, title) == 24 && offsetof(FolderItemDialog, left) == 52);
static_assert(offsetof(FolderItemDialog, result) == 60);
static_assert(sizeof(FolderItemDialog) == 436);

void filedialog_classes_attach(); // the destructor releasing the fields

// Copies text into a buffer of `size` bytes without splitting a double-byte
// character; false when it had to be cut short.
bool dialog_copy_name(char *out, int32_t size, const char *text);

extern "C" {
Object *RuntimeGetOpenFolderItem(RString *types);
Object *RuntimeGetSaveFolderItem(RString *types, RString *defaultName);
Object *FolderItemDialogShowModal(Object *dialog);
bool getUserCancelled();
}
