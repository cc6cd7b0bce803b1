// Opening a folder item's file: as a text or binary stream (read, create,
// append, read-write) and the look at a file's first bytes that tells a
// sound. Movies are opened by the media layer.
#include "files/file.h"
#include "files/fileobject.h"
#include "files/stream.h"
#include <cstring>

// The platform file behind an item, opened as asked; nil when the path names
// no single file (wildcards, a device, too long) or the platform refuses.
static FileObject *openItem(Object *item, FileOpen how) {
  char path[kFolderPathMax];
  if (!folderitem_copy_path(item, path) || strpbrk(path, "*?")) return nullptr;
  const char *slash = strrchr(path, '\\');
  if (name_is_device(slash ? slash + 1 : path)) return nullptr;
  return file_open(path, how);
}

static Object *textInput(FileObject *f) { return f ? text_input_stream_new(f) : nullptr; }
static Object *textOutput(FileObject *f) { return f ? text_output_stream_new(f) : nullptr; }
static Object *binary(FileObject *f) { return f ? binary_stream_new(f) : nullptr; }

Object *FolderItemOpenTextFile(Object *item) { return textInput(openItem(item, FileOpen::Read)); }

Object *FolderItemCreateTextFile(Object *item) {
  return textOutput(openItem(item, FileOpen::Create));
}

// Opens the file keeping what it holds (making it when missing) and writes
// after its end; a file that cannot be opened is never cut to nothing.
Object *FolderItemAppendTextFile(Object *item) {
  FileObject *f = openItem(item, FileOpen::OpenOrCreate);
  if (f && !file_seek(f, file_length(f))) {
    file_destroy(f);
    return nullptr;
  }
  return textOutput(f);
}

Object *FolderItemOpenBinaryFile(Object *item, bool readWrite) {
  return binary(openItem(item, readWrite ? FileOpen::ReadWrite : FileOpen::Read));
}

Object *FolderItemCreateBinaryFile(Object *item) {
  return binary(openItem(item, FileOpen::Create));
}

/* ---- sounds ---- */

// An MPEG audio frame header in the first four bytes: the sync bits, and no
// reserved version, layer, sample rate, bit rate or emphasis.
static bool mpegFrame(const uint8_t *b) {
  uint32_t w = (uint32_t)b[0] << 24 | b[1] << 16 | b[2] << 8 | b[3];
  return (w >> 21) == 0x7FF && ((b[1] >> 3) & 3) != 1 && (b[1] & 6) != 0 &&
         ((b[2] >> 2) & 3) != 3 && b[2] >= 16 && b[2] < 240 && (w & 3) != 2;
}

bool sound_header_known(const uint8_t *b, int32_t n) {
  if (n < 3) return false;
  if (!memcmp(b, "ID3", 3)) return true;
  if (n < 4) return false;
  return !memcmp(b, "RIFF", 4) || !memcmp(b, "MThd", 4) || mpegFrame(b);
}
