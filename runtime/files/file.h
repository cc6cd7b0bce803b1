// Folder items: the runtime's object for a file-system entry, existing or not.
// The record, its path, finding items, and AbsolutePath.
#pragma once
#include "objects/objects.h"
#include <cstddef>
#include <windows.h>

struct FolderItem {
  Object header;     // 0
  int32_t words[2];  // 16: the root class's two words
  uint8_t pathSet;   // 24: false stands for the application's own folder
  uint8_t spare;     // 25
  int16_t lastError; // 26: the platform's code for the last failed change, 0 after a success
  RString *path;     // 28: absolute path with "\" separators
};
static_assert(offsetof(FolderItem, lastError) == 26 && offsetof(FolderItem, path) == 28);
static_assert(sizeof(FolderItem) == 32);

void folderitem_set_path(FolderItem *item, RString *path); // locks path; sets the flag
void folderitem_classes_attach(); // the FolderItem class's destructor: it releases the path

enum { kFolderPathMax = 260 }; // the platform's longest path, terminator included

Object *folderitem_at(const char *path); // a new item for a path, unchecked
// The item's normalised path into out (kFolderPathMax bytes); false, out
// empty, when it is empty or longer than the platform's paths.
bool folderitem_copy_path(Object *item, char *out);
bool path_is_drive(const char *path);  // exactly "X:"
bool path_is_unc(const char *path);    // "\\server..."
bool name_is_plain(const char *name);  // a name that stays inside its folder
bool name_is_device(const char *name); // CON, NUL, COM1 ... (with or without an extension)

// Empties the process-wide listing cache that Count and Item share.
void folder_listing_forget();

// A sound's first bytes: a RIFF, MIDI or MPEG audio file, or ID3 tags.
bool sound_header_known(const uint8_t *bytes, int32_t count);

// Records how a change of the file system went in the item's LastErrorCode:
// 0 when ok, else the platform's last error. Returns ok.
bool folderitem_outcome(Object *item, bool ok);
// Records a change refused before the file system was asked.
void folderitem_refuse(Object *item, DWORD code);

// The well-known folders by number, as folderFindFolder and SpecialFolder take them.
enum class SpecialFolder {
  Desktop,
  Documents,
  Fonts,
  Trash,
  StartupItems,
  AppleMenu,
  ControlPanels,
  Preferences,
  ApplicationSupport,
  System,
  Extensions,
  TemporaryItems,
  ShutdownItems
};
constexpr int kSpecialFolderCount = 13;

struct PictureObject;

extern "C" {
Object *FolderItemFromPath(RString *path);
RString *fileAbsolutePathGetter(Object *item);
RString *fileNameGetter(Object *item);
Object *folderFindFolder(int32_t which);
Object *getDesktopFolder();
Object *GetDocumentsFolder();
Object *getFontsFolder();
Object *getTrashFolder();
Object *getStartupItemsFolder();
Object *getAppleMenuFolder();
Object *getControlPanelsFolder();
Object *getPreferencesFolder();
Object *getApplicationSupportFolder();
Object *getSystemFolder();
Object *getExtensionsFolder();
Object *getTemporaryItemsFolder();
Object *getShutdownItemsFolder();
Object *getVolume(int32_t index);
int32_t getVolumeCount();
Object *getTemporaryFolderItem();
bool fileExistsGetter(Object *item);
bool fileDirectoryGetter(Object *item);
int32_t fileSizeGetter(Object *item);
bool fileLockedGetter(Object *item);
void fileLockedSetter(Object *item, int32_t, bool locked);
bool fileVisibleGetter(Object *item);
void fileVisibleSetter(Object *item, int32_t, bool visible);
Object *folderGetCreation(Object *item);
Object *folderGetModified(Object *item);
void folderSetCreation(Object *item, int32_t, Object *date);
void folderSetModified(Object *item, int32_t, Object *date);
void fileNameSetter(Object *item, int32_t, RString *name);
RString *fileMacTypeGetter(Object *item);
void fileMacTypeSetter(Object *item, int32_t, RString *code);
RString *fileMacCreatorGetter(Object *item);
void fileMacCreatorSetter(Object *item, int32_t, RString *code);
int32_t fileRFSizeGetter(Object *item);
bool fileAliasGetter(Object *item);
RString *FileDisplayNameGetter(Object *item);
bool FileExtensionVisibleGetter(Object *item);
void FileExtensionVisibleSetter(Object *item, int32_t, bool visible);
RString *fileTypeGetter(Object *item);
int32_t fileCountGetter(Object *item);
Object *FolderItemItem(Object *item, int32_t index);
Object *FolderItemTrueItem(Object *item, int32_t index);
void FolderItemDelete(Object *item);
void FolderItemCreateAsFolder(Object *item);
void FolderItemCopyFileTo(Object *item, Object *destination);
void FolderItemMoveFileTo(Object *item, Object *destination);
void FolderItemLaunch(Object *item);
Object *FolderItemOpenTextFile(Object *item);
Object *FolderItemCreateTextFile(Object *item);
Object *FolderItemAppendTextFile(Object *item);
Object *FolderItemOpenBinaryFile(Object *item, bool readWrite);
Object *FolderItemCreateBinaryFile(Object *item);
Object *FolderItemOpenMovie(Object *item);
RString *KARUpathFromFolderItem(Object *item);
int32_t KARUGetWin32Charset();
Object *FolderChild(Object *item, RString *name);
Object *FolderTrueChild(Object *item, RString *name);
Object *folderParentGetter(Object *item);
Object *RuntimeGetFolderItem(RString *text);
Object *RuntimeGetTrueFolderItem(RString *text);
Object *FolderItemOpenImage(Object *item);
void FolderItemSaveAsPicture(Object *item, PictureObject *picture);
void FolderItemSaveAsJPEG(Object *item, PictureObject *picture);
void exportPicture(PictureObject *picture);
}
