// An edit field's contents to and from a file's bytes: rich text when the
// bytes begin "{\rtf" (plain text otherwise) on the way in, rich text on the
// way out, streamed through the control.
#include "ui/editfield.h"
#include "ui/editfieldpane.h"
#include <richedit.h>
#include <cstring>

struct Source {
  const uint8_t *bytes;
  LONG left;
};

static DWORD CALLBACK readSource(DWORD_PTR cookie, LPBYTE into, LONG wanted, LONG *got) {
  Source *s = (Source *)cookie;
  *got = wanted < s->left ? wanted : s->left;
  memcpy(into, s->bytes, *got);
  s->bytes += *got, s->left -= *got;
  return 0;
}

bool editField_load(EditFieldObject *e, const void *bytes, int32_t length) {
  EditPane *ep = edit_pane(e);
  if (!ep) return false;
  bool rich = length >= 5 && !memcmp(bytes, "{\\rtf", 5);
  Source s = {(const uint8_t *)bytes, length};
  EDITSTREAM stream = {(DWORD_PTR)&s, 0, readSource};
  bool password = ep->password;
  if (password) mask_set_password(ep, false); /* the loaded text becomes the real text */
  edit_quiet(ep);
  edit_send(ep, EM_STREAMIN, rich ? SF_RTF : SF_TEXT, (LPARAM)&stream);
  edit_loud(ep);
  if (password) mask_set_password(ep, true);
  edit_report_text(e);
  return true;
}

struct Sink {
  EditFieldSink write;
  void *cookie;
  bool failed;
};

static DWORD CALLBACK writeSink(DWORD_PTR cookie, LPBYTE from, LONG count, LONG *taken) {
  Sink *s = (Sink *)cookie;
  s->failed = s->failed || !s->write(s->cookie, from, count);
  *taken = s->failed ? 0 : count;
  return s->failed; /* non-zero stops the stream */
}

bool editField_save(EditFieldObject *e, EditFieldSink write, void *cookie) {
  EditPane *ep = edit_pane(e);
  if (!ep) return false;
  Sink s = {write, cookie, false};
  EDITSTREAM stream = {(DWORD_PTR)&s, 0, writeSink};
  edit_send(ep, EM_STREAMOUT, SF_RTF, (LPARAM)&stream);
  return !s.failed && !stream.dwError;
}
