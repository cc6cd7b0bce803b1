// Pictures and folder items: opening a picture file, saving a picture as a
// BMP, PNG or JPEG file, and ExportPicture's save dialog.
#include "files/file.h"
#include "graphics/imagefile.h"
#include "text/string.h"
#include <commdlg.h>

// The item's path as a runtime string (locked), or nil for no item.
static RString *pathOf(Object *item) { return item ? fileAbsolutePathGetter(item) : nullptr; }

// A picture from the file, nil when it cannot be read or decoded.
Object *FolderItemOpenImage(Object *item) {
  RString *path = pathOf(item);
  PictureObject *picture = path ? imagefile_load(str_cview(path)) : nullptr;
  RuntimeUnlockString(path);
  return picture ? &picture->header : nullptr;
}

static void saveAs(Object *item, PictureObject *picture, bool jpeg) {
  RString *path = pathOf(item);
  if (path && picture) {
    const char *name = str_cview(path);
    imagefile_save(picture, name, jpeg ? ImageFormat::Jpeg : imagefile_format_for(name));
  }
  RuntimeUnlockString(path);
}

// Saves in the format the file's extension names (.png, .jpg or .jpeg),
// BMP otherwise; a failed save leaves no file and reports nothing.
void FolderItemSaveAsPicture(Object *item, PictureObject *picture) { saveAs(item, picture, false); }

void FolderItemSaveAsJPEG(Object *item, PictureObject *picture) { saveAs(item, picture, true); }

static const char kExportFilter[] = "BMP (*.bmp)\0*.bmp\0PNG (*.png)\0*.png\0JPEG (*.jpg)\0*.jpg\0";
static const char *const kExportExtensions[] = {"bmp", "png", "jpg"};

// Asks where to save the picture, and saves it there in the chosen format.
void exportPicture(PictureObject *picture) {
  if (!picture_image(picture)) return;
  char name[MAX_PATH] = "";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetActiveWindow();
  ofn.lpstrFilter = kExportFilter;
  ofn.lpstrFile = name;
  ofn.nMaxFile = sizeof name;
  ofn.lpstrDefExt = kExportExtensions[0];
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetSaveFileNameA(&ofn)) return;
  ImageFormat formats[] = {ImageFormat::Bmp, ImageFormat::Png, ImageFormat::Jpeg};
  DWORD chosen = ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= 3 ? ofn.nFilterIndex - 1 : 0;
  imagefile_save(picture, name, formats[chosen]);
}
