// BinaryStream: typed reads and writes at the file's position, most
// significant byte first unless LittleEndian; length-prefixed and raw texts;
// Length and Position, clamped to the 32-bit properties.
#include "files/stream.h"
#include "files/memoryblock.h"
#include "text/string.h"
#include <algorithm>
#include <climits>
#include <cstring>

static BinaryStream *binary(Object *o) { return (BinaryStream *)o; }

static int32_t clamped(int64_t value) { return value > INT32_MAX ? INT32_MAX : (int32_t)value; }

// Up to count bytes from the file; 0 once closed.
static int32_t take(Object *o, void *out, int32_t count) {
  FileObject *f = binary(o)->file;
  int32_t got = file_read(f, out, count);
  if (got < count) stream_note_error(o);
  return got;
}

// The file holds the most significant byte first unless LittleEndian; memory
// holds the least significant first.
static void order(Object *o, uint8_t *bytes, size_t n) {
  if (!binary(o)->littleEndian) std::reverse(bytes, bytes + n);
}

template <typename T> static T readValue(Object *o) {
  uint8_t bytes[sizeof(T)];
  T value = 0;
  if (take(o, bytes, sizeof bytes) != (int32_t)sizeof bytes) return 0;
  order(o, bytes, sizeof bytes);
  memcpy(&value, bytes, sizeof bytes);
  return value;
}

template <typename T> static void writeValue(Object *o, T value) {
  uint8_t bytes[sizeof(T)];
  memcpy(bytes, &value, sizeof bytes);
  order(o, bytes, sizeof bytes);
  stream_put(o, bytes, sizeof bytes);
}

// count bytes as a string, fewer at the end of the file; nil for none.
static RString *readText(Object *o, int32_t count) {
  RString *s = str_make(nullptr, count);
  if (!s) return nullptr;
  int32_t got = take(o, str_writable(&s, 0), count);
  if (got == count) return s;
  RString *shorter = str_make(str_cview(s), got);
  RuntimeUnlockString(s);
  return shorter;
}

/* ---- numbers ---- */

int32_t BinaryStreamReadByte(Object *o) { return readValue<uint8_t>(o); }
int32_t BinaryStreamReadShort(Object *o) { return readValue<int16_t>(o); }
int32_t BinaryStreamReadLong(Object *o) { return readValue<int32_t>(o); }
double BinaryStreamReadFloat(Object *o) { return readValue<float>(o); }
double BinaryStreamReadDouble(Object *o) { return readValue<double>(o); }

void BinaryStreamWriteByte(Object *o, int32_t value) { writeValue(o, (uint8_t)value); }
void BinaryStreamWriteShort(Object *o, int32_t value) { writeValue(o, (int16_t)value); }
void BinaryStreamWriteLong(Object *o, int32_t value) { writeValue(o, value); }
void BinaryStreamWriteFloat(Object *o, double value) { writeValue(o, (float)value); }
void BinaryStreamWriteDouble(Object *o, double value) { writeValue(o, value); }

/* ---- texts ---- */

RString *BinaryStreamRead(Object *o, int32_t count) {
  FileObject *f = binary(o)->file;
  if (!f || count <= 0) return nullptr;
  if (count > kFileBufferSize) { /* never allocate more than the file still holds */
    int64_t left = file_length(f) - file_position(f);
    if (left < count) count = left > 0 ? (int32_t)left : 0;
  }
  return readText(o, count);
}

RString *BinaryStreamReadPString(Object *o) {
  uint8_t n = 0;
  if (take(o, &n, 1) != 1) return nullptr;
  RString *s = readText(o, n);
  if (str_len(s) == n) return s;
  RuntimeUnlockString(s); /* fewer than n bytes follow */
  return nullptr;
}

void BinaryStreamWrite(Object *o, RString *text) { stream_put(o, str_cview(text), str_len(text)); }

void BinaryStreamWritePString(Object *o, RString *text) {
  uint8_t n = (uint8_t)std::min<int32_t>(str_len(text), kPStringLongest);
  stream_put(o, &n, 1);
  stream_put(o, str_cview(text), n);
}

/* ---- position, length, end and close ---- */

bool BinaryStreamEOF(Object *o) { return file_at_end(binary(o)->file); }

int32_t BinaryStreamGetLength(Object *o) { return clamped(file_length(binary(o)->file)); }
int32_t BinaryStreamGetPosition(Object *o) { return clamped(file_position(binary(o)->file)); }

void BinaryStreamSetLength(Object *o, int32_t, int32_t length) {
  FileObject *f = binary(o)->file;
  if (f && length >= 0 && !file_set_length(f, length)) stream_note_error(o);
}

void BinaryStreamSetPosition(Object *o, int32_t, int32_t position) {
  FileObject *f = binary(o)->file;
  if (f && position >= 0) {
    file_seek(f, position);
    stream_note_error(o); /* the seek writes out buffered bytes */
  }
}

void BinaryStreamClose(Object *o) { stream_close(o); }
