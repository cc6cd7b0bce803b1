// Text and binary streams: the instances compiled code sees, each wrapping one
// file object (nil once closed), and the constructors the folder-item openers
// hand an open file to.
#pragma once
#include "files/fileobject.h"
#include "objects/objects.h"
#include <cstddef>

enum { kTextInputBufferSize = 1024 };

// Every stream's LastErrorCode: the platform's code of the last failure
// of their file (ERROR_DISK_FULL, ERROR_ACCESS_DENIED ...), 0 while there was
// none. It is kept after Close, which reports a failure of the final write out.
// After a failed write the stream writes nothing more, so the file never holds
// later data beyond a gap.
enum { kStreamLastErrorOffset = 16 };

struct BinaryStream {
  Object header;        // 0, 16 bytes
  int32_t lastError;    // 16: LastErrorCode (the root class's first word, unused by it)
  int32_t root1;        // 20: the root class's second word, unused
  FileObject *file;     // 24: nil once closed
  uint8_t littleEndian; // 28: multi-byte values in the file are little-endian
  uint8_t spare[3];     // 29: to the class's instance size
};
static_assert(offsetof(BinaryStream, lastError) == kStreamLastErrorOffset);
static_assert(offsetof(BinaryStream, file) == 24 && offsetof(BinaryStream, littleEndian) == 28);
static_assert(sizeof(BinaryStream) == 32);

struct TextOutputStream {
  Object header;      // 0
  int32_t lastError;  // 16: LastErrorCode, as BinaryStream's
  int32_t root1;      // 20
  FileObject *file;   // 24: nil once closed
  RString *delimiter; // 28: written after each line; nil or empty means CR LF
};
static_assert(offsetof(TextOutputStream, lastError) == kStreamLastErrorOffset);
static_assert(offsetof(TextOutputStream, delimiter) == 28 && sizeof(TextOutputStream) == 32);

struct TextInputStream {
  Object header;                        // 0
  int32_t lastError;                    // 16: LastErrorCode, as BinaryStream's
  int32_t root1;                        // 20
  FileObject *file;                     // 24: nil once closed
  int32_t offset;                       // 28: the next unread byte of buffer
  int32_t fill;                         // 32: bytes in buffer
  uint8_t buffer[kTextInputBufferSize]; // 36
};
static_assert(offsetof(TextInputStream, buffer) == 36 && sizeof(TextInputStream) == 1060);

// New streams that take over an open file object; nil (the file destroyed)
// when the instance cannot be made.
Object *binary_stream_new(FileObject *file);
Object *text_output_stream_new(FileObject *file);
Object *text_input_stream_new(FileObject *file);

void stream_classes_attach(); // the destructors: each writes out and closes its file

// Shared by the stream entry points, for any of the three records.
void stream_close(Object *stream); // writes out and closes; a failure stays in lastError
void stream_put(Object *stream, const void *bytes, int32_t count); // nothing once closed
void stream_note_error(Object *stream); // the file's last failure into lastError

extern "C" {
RString *TextInputStreamReadLine(Object *stream);
RString *TextInputStreamReadAll(Object *stream);
bool TextInputStreamEOF(Object *stream);
void TextInputStreamClose(Object *stream);
void TextOutputStreamWriteLine(Object *stream, RString *text);
void TextOutputStreamWrite(Object *stream, RString *text);
void TextOutputStreamClose(Object *stream);
bool BinaryStreamEOF(Object *stream);
int32_t BinaryStreamGetLength(Object *stream);
// Setters take the property's parameter word before the value, as compiled code passes it.
void BinaryStreamSetLength(Object *stream, int32_t parameter, int32_t length);
int32_t BinaryStreamGetPosition(Object *stream);
void BinaryStreamSetPosition(Object *stream, int32_t parameter, int32_t position);
int32_t BinaryStreamReadByte(Object *stream);
int32_t BinaryStreamReadShort(Object *stream);
int32_t BinaryStreamReadLong(Object *stream);
double BinaryStreamReadFloat(Object *stream);
double BinaryStreamReadDouble(Object *stream);
RString *BinaryStreamReadPString(Object *stream);
RString *BinaryStreamRead(Object *stream, int32_t count);
void BinaryStreamWriteByte(Object *stream, int32_t value);
void BinaryStreamWriteShort(Object *stream, int32_t value);
void BinaryStreamWriteLong(Object *stream, int32_t value);
void BinaryStreamWriteFloat(Object *stream, double value);
void BinaryStreamWriteDouble(Object *stream, double value);
void BinaryStreamWritePString(Object *stream, RString *text);
void BinaryStreamWrite(Object *stream, RString *text);
void BinaryStreamClose(Object *stream);
}
