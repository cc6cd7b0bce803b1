// Stream objects: making the three stream classes' instances around an open
// file object, and their destructors, which write out and close the file so
// that a stream released without Close loses nothing and keeps no handle.
#include "files/stream.h"
#include "objects/registry.h"

static ClassDef *gBinaryStreamClass, *gTextOutputStreamClass, *gTextInputStreamClass;

// The file and lastError fields sit at the same offsets in all three records.
static_assert(offsetof(TextOutputStream, file) == offsetof(BinaryStream, file));
static_assert(offsetof(TextInputStream, file) == offsetof(BinaryStream, file));
static_assert(offsetof(TextInputStream, lastError) == kStreamLastErrorOffset);

static FileObject **fileOf(Object *o) { return &((BinaryStream *)o)->file; }

static void streamDestructor(Object *o, ClassDef *) {
  file_destroy(*fileOf(o));
  *fileOf(o) = nullptr;
}

static void textOutputDestructor(Object *o, ClassDef *cls) {
  streamDestructor(o, cls);
  TextOutputStream *t = (TextOutputStream *)o;
  RuntimeUnlockString(t->delimiter);
  t->delimiter = nullptr;
}

void stream_classes_attach() {
  gBinaryStreamClass = registry_find("BinaryStream");
  gTextOutputStreamClass = registry_find("TextOutputStream");
  gTextInputStreamClass = registry_find("TextInputStream");
  gBinaryStreamClass->destructor = streamDestructor;
  gTextOutputStreamClass->destructor = textOutputDestructor;
  gTextInputStreamClass->destructor = streamDestructor;
}

static Object *wrap(ClassDef *cls, FileObject *file) {
  Object *o = cls ? CreateInstance(cls) : nullptr;
  if (!o) {
    file_destroy(file);
    return nullptr;
  }
  *fileOf(o) = file;
  return o;
}

Object *binary_stream_new(FileObject *file) { return wrap(gBinaryStreamClass, file); }
Object *text_output_stream_new(FileObject *file) { return wrap(gTextOutputStreamClass, file); }
Object *text_input_stream_new(FileObject *file) { return wrap(gTextInputStreamClass, file); }

/* ---- shared by the entry points ---- */

void stream_note_error(Object *o) {
  FileObject *f = *fileOf(o);
  if (f && f->error) ((BinaryStream *)o)->lastError = (int32_t)f->error;
}

void stream_put(Object *o, const void *bytes, int32_t count) {
  FileObject *f = *fileOf(o);
  if (f && !file_write(f, bytes, count)) stream_note_error(o);
}

void stream_close(Object *o) {
  FileObject *f = *fileOf(o);
  if (!f) return;
  if (!file_flush(f)) stream_note_error(o);
  file_destroy(f);
  *fileOf(o) = nullptr;
}
