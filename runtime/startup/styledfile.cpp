// Styled text between a folder item's file and an edit field: the file's
// bytes handed to the field (rich text or plain), and the field's rich text
// written to the file. Here because it joins the files and the controls.
#include "files/file.h"
#include "files/fileobject.h"
#include "startup/styledfile.h"
#include <cstring>

constexpr int64_t kLargestStyledFile = 64 << 20; /* more than an edit field is meant to hold */

// The item's file opened as asked; nil for a path naming no single file.
static FileObject *openPlain(Object *item, FileOpen how) {
  char path[kFolderPathMax];
  if (!item || !folderitem_copy_path(item, path) || strpbrk(path, "*?")) return nullptr;
  const char *slash = strrchr(path, '\\');
  return name_is_device(slash ? slash + 1 : path) ? nullptr : file_open(path, how);
}

void FolderItemOpenStyledEditField(Object *item, EditFieldObject *field) {
  FileObject *f = field ? openPlain(item, FileOpen::Read) : nullptr;
  if (!f) return;
  int64_t length = file_length(f);
  void *bytes = length >= 0 && length <= kLargestStyledFile
                    ? HeapAlloc(GetProcessHeap(), 0, (SIZE_T)length + 1)
                    : nullptr;
  if (bytes && file_read(f, bytes, (int32_t)length) == (int32_t)length)
    editField_load(field, bytes, (int32_t)length);
  if (bytes) HeapFree(GetProcessHeap(), 0, bytes);
  file_destroy(f);
}

static bool toFile(void *cookie, const void *bytes, int32_t count) {
  return file_write((FileObject *)cookie, bytes, count);
}

void FolderItemSaveStyledEditField(Object *item, EditFieldObject *field) {
  FileObject *f = field ? openPlain(item, FileOpen::Create) : nullptr;
  if (!f) return;
  bool saved = editField_save(field, toFile, f) && file_flush(f);
  folderitem_outcome(item, saved);
  file_destroy(f);
}
