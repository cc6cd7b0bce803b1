// Folder items: the runtime's object for a file-system entry, existing or not.
// The record, its path, finding items, and AbsolutePath.
#pragma once
#include "objects/objects.h"

struct FolderItem {
  Object header;    // 0
  int32_t words[2]; // 16: the root class's two words
  uint8_t pathSet;  // 24: false stands for the application's own folder
  RString *path;    // 28: absolute path with "\" separators
};
static_assert(sizeof(FolderItem) == 32);

void folderitem_set_path(FolderItem *item, RString *path); // locks path; sets the flag
void folderitem_classes_attach(); // the FolderItem class's destructor: it releases the path

extern "C" {
Object *FolderItemFromPath(RString *path);
RString *fileAbsolutePathGetter(Object *item);
RString *fileNameGetter(Object *item);
Object *getFontsFolder();
Object *FolderChild(Object *item, RString *name);
Object *FolderTrueChild(Object *item, RString *name);
Object *RuntimeGetFolderItem(RString *text);
Object *RuntimeGetTrueFolderItem(RString *text);
}
