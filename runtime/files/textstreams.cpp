// Text streams: TextInputStream's line reader over its 1024-byte buffer (CR,
// LF and CR LF each end a line, also across a refill), ReadAll and EOF; and
// TextOutputStream's writes with its line delimiter.
#include "files/stream.h"
#include "text/string.h"
#include <climits>
#include <cstring>

static TextInputStream *input(Object *o) { return (TextInputStream *)o; }

/* ---- TextInputStream ---- */

// The next bytes of the file into the buffer; false at the end of the file.
static bool refill(TextInputStream *t) {
  t->offset = 0;
  t->fill = file_read(t->file, t->buffer, kTextInputBufferSize);
  if (t->fill == 0) stream_note_error((Object *)t);
  return t->fill > 0;
}

static bool endOfLine(uint8_t c) { return c == '\r' || c == '\n'; }

// Appends n bytes to *line; a line that fits in one buffer is made at once.
static void gather(RString **line, const uint8_t *bytes, int32_t n) {
  if (n == 0) return;
  RString *piece = str_make(bytes, n);
  if (!*line) {
    *line = piece;
    return;
  }
  str_append(line, piece);
  RuntimeUnlockString(piece);
}

RString *TextInputStreamReadLine(Object *o) {
  TextInputStream *t = input(o);
  if (!t->file) return nullptr;
  RString *line = nullptr;
  for (;;) {
    if (t->offset >= t->fill && !refill(t)) return line; /* the last line, or "" at the end */
    int32_t from = t->offset, at = from;
    while (at < t->fill && !endOfLine(t->buffer[at])) at++;
    gather(&line, t->buffer + from, at - from);
    t->offset = at;
    if (at == t->fill) continue;
    bool cr = t->buffer[at] == '\r';
    t->offset++;
    if (cr && t->offset == t->fill) refill(t); /* its LF may start the next buffer */
    if (cr && t->offset < t->fill && t->buffer[t->offset] == '\n') t->offset++;
    return line;
  }
}

RString *TextInputStreamReadAll(Object *o) {
  TextInputStream *t = input(o);
  if (!t->file) return nullptr;
  int32_t buffered = t->fill - t->offset;
  int64_t rest = file_length(t->file) - file_position(t->file);
  if (rest < 0) rest = 0;
  if (rest > INT32_MAX - 2 - buffered) rest = INT32_MAX - 2 - buffered; /* a string's limit */
  int32_t n = buffered + (int32_t)rest;
  RString *all = str_make(nullptr, n);
  if (!all) return nullptr; /* nothing left, or too big for memory */
  uint8_t *bytes = str_writable(&all, 0);
  memcpy(bytes, t->buffer + t->offset, (size_t)buffered);
  t->offset = t->fill;
  int32_t got = buffered + file_read(t->file, bytes + buffered, n - buffered);
  if (got == n) return all;
  RString *shorter = str_make(bytes, got); /* the file shrank meanwhile */
  RuntimeUnlockString(all);
  return shorter;
}

bool TextInputStreamEOF(Object *o) {
  TextInputStream *t = input(o);
  return !t->file || (t->offset >= t->fill && file_at_end(t->file));
}

void TextInputStreamClose(Object *o) { stream_close(o); }

/* ---- TextOutputStream ---- */

void TextOutputStreamWrite(Object *o, RString *text) {
  stream_put(o, str_cview(text), str_len(text));
}

void TextOutputStreamWriteLine(Object *o, RString *text) {
  RString *delimiter = ((TextOutputStream *)o)->delimiter;
  TextOutputStreamWrite(o, text);
  if (str_len(delimiter))
    TextOutputStreamWrite(o, delimiter);
  else
    stream_put(o, "\r\n", 2);
}

void TextOutputStreamClose(Object *o) { stream_close(o); }
